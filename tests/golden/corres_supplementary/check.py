# Row 5 supplementary: the singular values are those of the 4 x 4 table
# without it, and its scores follow from its profile and the column scores by
# the transition formula (symmetrical: row = profile . column scores / lambda).
import json
import sys
import os
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
from golden_check import grid, find

report = json.load(open(sys.argv[1]))
summ = [it for c in report["commands"] for it in c["items"] if it["type"] == "table" and it["title"]["key"] == "Summary"]
rowp = [it for c in report["commands"] for it in c["items"] if it["type"] == "table" and it["title"]["key"] == "Overview Row Points"]
colp = [it for c in report["commands"] for it in c["items"] if it["type"] == "table" and it["title"]["key"] == "Overview Column Points"]
assert len(summ) == 2 and len(rowp) == 2 and len(colp) == 2


lam = []
for t in summ:
    cells, cols = grid(t)
    sv = find(cols, "Singular Value")
    lam.append([cells[(k, sv)] for k in range(3)])
for a, b in zip(lam[0], lam[1]):
    assert abs(a - b) < 1e-12, (lam)
rc, rcols = grid(rowp[0])
cc, ccols = grid(colp[0])
profile = [10 / 25, 6 / 25, 7 / 25, 2 / 25]
for k in (1, 2):
    score = [cc[(j, find(ccols, "Score in Dimension", str(k)))] for j in range(4)]
    expected = sum(p * s for p, s in zip(profile, score)) / lam[0][k - 1]
    got = rc[(4, find(rcols, "Score in Dimension", str(k)))]
    assert abs(got - expected) < 1e-9, (k, got, expected)
    assert rc[(4, find(rcols, "Of Point to Inertia of Dimension", str(k)))] == 0
print("supplementary row: identities hold")
