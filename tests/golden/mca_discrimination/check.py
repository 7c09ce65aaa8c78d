# MULTIPLE CORRESPONDENCE of three nominal variables, checked against facts
# computed here from data.csv without the program:
#  - the eigenvalues are the largest eigenvalues of sum_j P_j, P_j the
#    projector on the centred indicator columns of variable j (homogeneity
#    analysis maximizes the summed squared correlation ratios);
#  - "MCOR Inertia" is the eigenvalue divided by the number of variables;
#  - each discrimination measure is the squared correlation ratio of the
#    variable with that dimension of the object scores.
import csv, json, math, sys
import os
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
from golden_check import jacobi, corr, table

rows = list(csv.DictReader(open("data.csv")))
names = ["region", "transport", "housing"]
n = len(rows)
codes = [[r[v] for r in rows] for v in names]
S = [[0.0] * n for _ in range(n)]
for col in codes:
    cnt = {}
    for c in col: cnt[c] = cnt.get(c, 0) + 1
    for i in range(n):
        for k in range(n):
            S[i][k] += (1.0 / cnt[col[i]] if col[i] == col[k] else 0.0) - 1.0 / n
ev = jacobi(S)
report = json.load(open(sys.argv[1]))

_, summ = table(report, "Model Summary")
for s in range(2):
    assert abs(summ[(s, 1)] - ev[s]) < 1e-6, ("eigenvalue", s, summ[(s, 1)], ev[s])
    assert abs(summ[(s, 2)] - ev[s] / 3) < 1e-6, "inertia"
    assert abs(summ[(s, 3)] - 100 * ev[s] / 3) < 1e-5
_, obj = table(report, "Object Scores")
_, disc = table(report, "MCOR DiscrMeasures")
for s in range(2):
    x = [obj[(i, s)] for i in range(n)]
    mx = sum(x) / n
    tss = sum((v - mx) ** 2 for v in x)
    total = 0
    for j, col in enumerate(codes):
        groups = {}
        for c, v in zip(col, x): groups.setdefault(c, []).append(v)
        bss = sum(len(g) * (sum(g) / len(g) - mx) ** 2 for g in groups.values())
        eta2 = bss / tss
        assert abs(disc[(j, s)] - eta2) < 1e-6, ("discrimination", j, s, disc[(j, s)], eta2)
        total += eta2
    assert abs(total - ev[s]) < 1e-6
print("eigenvalues, inertia and discrimination measures agree")
