# Weighted contributions equal those of the replicated cases; the weighted
# tables carry the weighting footnote, the others do not.
import json, sys

report = json.load(open(sys.argv[1]))


def quant(command):
    out = []
    def walk(items):
        for it in items:
            if it["type"] == "table" and it["title"]["key"] == "Quantifications":
                out.append(it)
            walk(it.get("items", []))
    walk(command["items"])
    return out


runs = [q for q in (quant(c) for c in report["commands"]) if q]
assert len(runs) == 2 and len(runs[0]) == len(runs[1]) == 3
for a, b in zip(*runs):
    ca = {tuple(c["categories"]): c["value"] for c in a["cells"]}
    cb = {tuple(c["categories"]): c["value"] for c in b["cells"]}
    assert ca.keys() == cb.keys()
    for k in ca:
        if ca[k] is None or cb[k] is None:
            assert ca[k] is None and cb[k] is None, k
        else:
            # A dimension's sign is arbitrary: coordinates may be reflected.
            assert abs(abs(ca[k]) - abs(cb[k])) < 1e-6, (k, ca[k], cb[k])
    notes = lambda t: [f.get("key") for f in t.get("footnotes", [])]
    assert "MCOR QuantContr total weighted." in notes(a), notes(a)
    assert "MCOR QuantContr total weighted." not in notes(b)
print("ok")
