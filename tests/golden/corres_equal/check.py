# Rows 1 and 2 equal: singular values of the table with the two rows summed,
# and both rows carry that merged row's scores.
import json
import sys
import os
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
from golden_check import grid, find

report = json.load(open(sys.argv[1]))
summ = [it for c in report["commands"] for it in c["items"] if it["type"] == "table" and it["title"]["key"] == "Summary"]
rowp = [it for c in report["commands"] for it in c["items"] if it["type"] == "table" and it["title"]["key"] == "Overview Row Points"]
assert len(summ) == 2 and len(rowp) == 2


lam = []
for t in summ:
    cells, cols = grid(t)
    sv = find(cols, "Singular Value")
    lam.append([cells[(k, sv)] for k in range(3)])
for a, b in zip(lam[0], lam[1]):
    assert abs(a - b) < 1e-12, lam
e, ecols = grid(rowp[0])
m, mcols = grid(rowp[1])
for k in (1, 2):
    ce, cm = find(ecols, "Score in Dimension", str(k)), find(mcols, "Score in Dimension", str(k))
    assert abs(e[(0, ce)] - e[(1, ce)]) < 1e-12
    assert abs(abs(e[(0, ce)]) - abs(m[(0, cm)])) < 1e-9
    # The rest of the rows agree with the merged table up to the sign of the axis.
    sign = 1 if e[(2, ce)] * m[(1, cm)] > 0 else -1
    for i in range(2, 5):
        assert abs(e[(i, ce)] - sign * m[(i - 1, cm)]) < 1e-9
print("equality restriction: identities hold")
