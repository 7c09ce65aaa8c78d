# With every dimension the data allow, HOMALS's eigenvalues are the whole
# nonzero spectrum of (1/m) sum_j P_j (computed here from data.csv, P_j the
# projector on the centred indicator columns of variable j) and MULTIPLE
# CORRESPONDENCE's inertias; its discrimination measures are MULTIPLE
# CORRESPONDENCE's, dimension by dimension.
import csv, json, sys
import os
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
from golden_check import jacobi, cmd_tables, cells

report = json.load(open(sys.argv[1]))
cmds = report["commands"]
hom = [c for c in cmds if cmd_tables(c, "Eigenvalues")][0]
mca = [c for c in cmds if cmd_tables(c, "Model Summary")][0]
ev = cells(cmd_tables(hom, "Eigenvalues")[0])
disc = cells(cmd_tables(hom, "Discrimination Measures")[0])
msum = cells(cmd_tables(mca, "Model Summary")[0])
mdisc = cells(cmd_tables(mca, "MCOR DiscrMeasures")[0])

rows = list(csv.DictReader(open("data.csv")))
names = ["a", "b", "c"]
n, m, p = len(rows), len(names), 5
codes = [[r[v] for r in rows] for v in names]
S = [[0.0] * n for _ in range(n)]
for col in codes:
    cnt = {}
    for c in col: cnt[c] = cnt.get(c, 0) + 1
    for i in range(n):
        for k in range(n):
            S[i][k] += ((1.0 / cnt[col[i]] if col[i] == col[k] else 0.0) - 1.0 / n) / m
ref = jacobi(S)
assert abs(ref[p]) < 1e-9, "the data allow more than five dimensions"
for s in range(p):
    assert abs(ev[(s, 0)] - ref[s]) < 1e-6, ("reference", s, ev[(s, 0)], ref[s])
    assert abs(ev[(s, 0)] - msum[(s, 2)]) < 1e-6, ("inertia", s)
    for j in range(m):
        assert abs(disc[(j, s)] - mdisc[(j, s)]) < 1e-6, ("discrimination", j, s, disc[(j, s)], mdisc[(j, s)])
print("the whole spectrum and every discrimination measure agree")
