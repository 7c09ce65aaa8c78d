# With every variable numerical the analysis is classical principal components
# of the correlation matrix. Checked against a Jacobi eigen-decomposition of
# the correlations computed here from data.csv:
#  - Model Summary eigenvalues are the two largest eigenvalues, the total their sum;
#  - Cronbach's alpha is M(l-1)/((M-1)l) with M = 5;
#  - component loadings are the correlations of the variables with the
#    object scores (standardized components), and equal sqrt(l) * eigenvector.
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

t, cells = table(report, "Model Summary")
M = 5.0
for s in range(2):
    lam = cells[(s, 1)]
    assert abs(lam - ev[s]) < 1e-6, ("eigenvalue", s, lam, ev[s])
    assert abs(cells[(s, 2)] - 100 * ev[s] / M) < 1e-5
    assert abs(cells[(s, 0)] - M * (ev[s] - 1) / ((M - 1) * ev[s])) < 1e-6
tot = ev[0] + ev[1]
assert abs(cells[(2, 1)] - tot) < 1e-6
assert abs(cells[(2, 0)] - M * (tot - 1) / ((M - 1) * tot)) < 1e-6

_, load = table(report, "Component Loadings")
_, obj = table(report, "Object Scores")
for s in range(2):
    score = [obj[(i, s)] for i in range(len(rows))]
    m = sum(score) / len(score)
    assert abs(m) < 1e-8
    assert abs(sum((x - m) ** 2 for x in score) / len(score) - 1) < 1e-6  # standardized
    ss = 0
    for j in range(5):
        a = load[(j, s)]
        assert abs(a - corr(cols[j], score)) < 1e-6, ("loading", j, s, a)
        ss += a * a
    assert abs(ss - ev[s]) < 1e-6
print("eigenvalues, alpha and loadings agree with the correlation matrix")
