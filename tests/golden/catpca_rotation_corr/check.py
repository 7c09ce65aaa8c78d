# Numerical variables: both correlation tables hold the Pearson correlations
# of data.csv (a numerical quantification is a linear transformation), each
# followed by the eigenvalues of that matrix (computed here by Jacobi).
# The varimax rotation is orthogonal: the transformation matrix is
# orthonormal, rotated = unrotated x T, every communality is kept and the
# varimax criterion does not decrease.
import csv, json, math, sys
import os
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
from golden_check import jacobi, corr, table

rows = list(csv.DictReader(open("data.csv")))
names = ["price", "quality", "service", "design", "comfort"]
cols = [[float(r[v]) for r in rows] for v in names]
R = [[corr(a, b) for b in cols] for a in cols]
ev = jacobi(R)
report = json.load(open(sys.argv[1]))
for title in ("CPR Original Correlations", "CPR Transformed Correlations"):
    _, c = table(report, title)
    for j in range(5):
        for k in range(5):
            assert abs(c[(j, k)] - R[j][k]) < 1e-6, (title, j, k)
        assert abs(c[(5 + j, 5)] - ev[j]) < 1e-6, (title, "eigenvalue", j)
_, L = table(report, "Component Loadings")
_, RL = table(report, "Rotated Component Loadings")
_, T = table(report, "Component Transformation Matrix")
for s in range(2):
    for t in range(2):
        dot = sum(T[(u, s)] * T[(u, t)] for u in range(2))
        assert abs(dot - (1 if s == t else 0)) < 1e-6
def varimax(M):
    v = 0
    for s in range(2):
        col = [M[(j, s)] ** 2 for j in range(5)]
        v += 5 * sum(x * x for x in col) - sum(col) ** 2
    return v
for j in range(5):
    for t in range(2):
        assert abs(RL[(j, t)] - sum(L[(j, u)] * T[(u, t)] for u in range(2))) < 1e-3  # table shows 3 decimals
    h = sum(L[(j, s)] ** 2 for s in range(2)); hr = sum(RL[(j, s)] ** 2 for s in range(2))
    assert abs(h - hr) < 1e-6
assert varimax(RL) >= varimax(L) - 1e-9
print("correlations, eigenvalues and the orthogonal rotation agree")
