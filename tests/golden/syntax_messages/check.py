# The reports of cmd.sps name the token, variable or value they are about, in
# the JSON parameters and in the text; the expected parameters are read off
# cmd.sps.
import json, sys

expected = [
    ("Invalid CPR subcommand.", ["BOGUS"]),
    ("CPR Duplicate var ANALY.", ["a"]),
    ("CPR Mult Kwd ANALY ^1.", ["LEVEL"]),
    ("CPR Invalid value CRIT.", ["0"]),
    ("Mult CPR subcommand ^1.", ["CRITITER"]),
    ("MCOR Invalid level ^1.", ["NOMINAL"]),
    ("CPR Unexp impu kwd MISS.", ["MODEIMPU"]),
    ("CPR Invalid val Rot Obli", ["0.9"]),
    ("Invalid CPR supp obj.", ["99"]),
    ("Invalid CPR supp obj range.", ["5 THRU 3"]),
]
report = json.load(open(sys.argv[1]))
msgs = [it for c in report["commands"] for it in c["items"] if it["type"] == "message"]
for key, params in expected:
    hits = [m for m in msgs if m["key"] == key and m["params"][:len(params)] == params]
    assert hits, (key, params, [(m["key"], m["params"]) for m in msgs if m["key"] == key])
    for p in params:
        assert p in hits[0]["text"], (key, hits[0]["text"])
    assert "^" not in hits[0]["text"], hits[0]["text"]
# Errors stop the command, so none may say that something is used instead.
for m in msgs:
    if m["severity"] == "error":
        assert " is used" not in m["text"] and "ignored" not in m["text"], m["text"]
print("%d reports name their token" % len(expected))
