# The two runs of the same PRINCALS command give identical listings and charts.
import json, sys
report = json.load(open(sys.argv[1]))
runs = [c for c in report["commands"] if any(it["type"] == "text" for it in c["items"])]
assert len(runs) == 2, len(runs)
A, B = runs[0]["items"], runs[1]["items"]
assert len(A) == len(B) and sum(len(it.get("lines", [])) for it in A) > 100
for x, y in zip(A, B):
    assert json.dumps(x, sort_keys=True) == json.dumps(y, sort_keys=True), x.get("title")
print("both runs are identical")
