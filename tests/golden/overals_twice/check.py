# The two runs of each pair of OVERALS commands give identical items
# (tables with every cell, charts with every point).
import json, sys
report = json.load(open(sys.argv[1]))
runs = [c for c in report["commands"] if any(it["type"] == "table" for it in c["items"])]
assert len(runs) == 4, len(runs)
for a, b in ((0, 1), (2, 3)):
    A, B = runs[a]["items"], runs[b]["items"]
    assert len(A) == len(B) and len(A) > 5, (len(A), len(B))
    for x, y in zip(A, B):
        assert json.dumps(x, sort_keys=True) == json.dumps(y, sort_keys=True), (a, b, x.get("title"))
print("each pair of runs is identical")
