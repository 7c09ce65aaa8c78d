# Two sets of numerical variables: each OVERALS eigenvalue is (1 + rho) / 2,
# rho the canonical correlations of (u1, u2) with (v1, v2) computed here from
# data.csv; the fit is their sum and the loss of each set in each dimension
# is (1 - rho) / 2. The object scores are centred with X'X = n I.
import csv, json, math, sys
import os
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
from golden_check import cmd_tables, cells

rows = list(csv.DictReader(open("data.csv")))
n = len(rows)
col = {k: [float(r[k]) for r in rows] for k in ["u1", "u2", "v1", "v2"]}


def cov(a, b):
    ma, mb = sum(a) / n, sum(b) / n
    return sum((x - ma) * (y - mb) for x, y in zip(a, b)) / n


U, V = ["u1", "u2"], ["v1", "v2"]
S11 = [[cov(col[a], col[b]) for b in U] for a in U]
S22 = [[cov(col[a], col[b]) for b in V] for a in V]
S12 = [[cov(col[a], col[b]) for b in V] for a in U]


def inv(m):
    d = m[0][0] * m[1][1] - m[0][1] * m[1][0]
    return [[m[1][1] / d, -m[0][1] / d], [-m[1][0] / d, m[0][0] / d]]


def mul(a, b):
    return [[sum(a[i][k] * b[k][j] for k in range(2)) for j in range(2)] for i in range(2)]


M = mul(mul(inv(S11), S12), mul(inv(S22), [list(r) for r in zip(*S12)]))
t, d = M[0][0] + M[1][1], M[0][0] * M[1][1] - M[0][1] * M[1][0]
rho = [math.sqrt((t + math.sqrt(t * t - 4 * d)) / 2), math.sqrt((t - math.sqrt(t * t - 4 * d)) / 2)]

report = json.load(open(sys.argv[1]))
cmd = [c for c in report["commands"] if cmd_tables(c, "Summary of Analysis")][0]
summ = cells(cmd_tables(cmd, "Summary of Analysis")[0])
# Rows: Set 1, Set 2, Mean (losses), Eigenvalue, Fit; columns: dimensions, Sum.
for s in range(2):
    assert abs(summ[(3, s)] - (1 + rho[s]) / 2) < 1e-6, ("eigenvalue", s, summ[(3, s)], rho[s])
    for k in range(2):
        assert abs(summ[(k, s)] - (1 - rho[s]) / 2) < 1e-6, ("set loss", k, s)
assert abs(summ[(4, 2)] - sum((1 + r) / 2 for r in rho)) < 1e-6
hist = cells(cmd_tables(cmd, "Iteration History")[0])
last = max(r for r, c in hist)
assert abs(hist[(last, 1)] - sum((1 + r) / 2 for r in rho)) < 1e-6, "history fit"
obj = cells(cmd_tables(cmd, "Object Scores")[0])
for s in range(2):
    x = [obj[(i, s)] for i in range(n)]
    assert abs(sum(x)) < 1e-9 and abs(sum(v * v for v in x) - n) < 1e-9
print("canonical correlations agree")
