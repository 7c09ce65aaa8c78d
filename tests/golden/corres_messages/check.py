# Every report listed here names what it is about: the key is given with the
# parameters taken from cmd.sps, and each parameter shows in the text.
import json, sys

expected = [
    ("Missing left parenthesis.", ["TABLE: staff needs its range, (min, max)", "BY"]),
    ("Missing BY keyword.", ["smoke"]),
    ("No row variable.", ["staf"]),
    ("Invalid range specified.", ["smoke", "2", "2"]),
    ("Invalid MEASURE keyword.", ["EUKLID"]),
    ("Invalid PRINT keyword.", ["TABEL"]),
    ("Invalid PLOT keyword.", ["BYPLOT"]),
    ("Out of range plot label size.", ["80"]),
    ("Invalid number of dimensions.", ["1.5"]),
    ("Out of range row number on SUPPLEMENTARY.", ["9", "ROW", "1", "5"]),
    # staff(1,5): category value 7 lies outside 1 to 5.
    ("Out of range row number on SUPPLEMENTARY.", ["7", "staff", "1", "5"]),
    ("Invalid value on EQUAL.", ["2.5"]),
    ("NDIM1 greater than NDIM2.", ["3", "2"]),
    ("Unknown variable on SUPPLEMENTARY subcommand.", ["rows"]),
    ("String variable ^1 in TABLE.", ["region"]),
    ("Incorrect file specification.", ["*"]),
    ("Out of range column number on SUPPLEMENTARY.", ["0", "COLUMN", "1", "4"]),
]
report = json.load(open(sys.argv[1]))
msgs = [it for c in report["commands"] for it in c["items"] if it["type"] == "message"]
for key, params in expected:
    hits = [m for m in msgs if m["key"] == key and m["params"] == params]
    assert hits, (key, params, [(m["key"], m["params"]) for m in msgs if m["key"] == key])
    for p in params:
        assert p in hits[0]["text"], (key, hits[0]["text"])
    assert "^" not in hits[0]["text"], hits[0]["text"]
# SCORES(*) is closed by its parenthesis: no report of a missing one.
assert not any(m["key"] == "Missing right parenthesis." and m["params"][0] == "OUTFILE" for m in msgs), msgs
print("%d reports name their token" % len(expected))
