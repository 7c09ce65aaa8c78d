# OVERALS with every variable multiple nominal in a set of its own: its
# eigenvalues equal HOMALS's and the largest eigenvalues of (1/m) sum_j P_j
# (P_j the projector on the centred indicator columns of variable j),
# computed here from data.csv; each set's loss is 1 - x'P_j x / n.
import csv, json, sys
import os
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
from golden_check import jacobi, cmd_tables, cells

rows = list(csv.DictReader(open("data.csv")))
names = ["a", "b", "c"]
n, m = len(rows), len(names)
S = [[0.0] * n for _ in range(n)]
for v in names:
    col = [r[v] for r in rows]
    cnt = {}
    for c in col: cnt[c] = cnt.get(c, 0) + 1
    for i in range(n):
        for k in range(n):
            S[i][k] += ((1.0 / cnt[col[i]] if col[i] == col[k] else 0.0) - 1.0 / n) / m
ref = jacobi(S)
report = json.load(open(sys.argv[1]))
ovr = [c for c in report["commands"] if cmd_tables(c, "Summary of Analysis")][0]
hom = [c for c in report["commands"] if cmd_tables(c, "Eigenvalues")][0]
summ = cells(cmd_tables(ovr, "Summary of Analysis")[0])
ev = cells(cmd_tables(hom, "Eigenvalues")[0])
for s in range(2):
    e = summ[(m + 1, s)]
    assert abs(e - ref[s]) < 1e-6, ("reference", s, e, ref[s])
    assert abs(e - ev[(s, 0)]) < 1e-6, ("HOMALS", s, e, ev[(s, 0)])
    assert abs(1 - sum(summ[(k, s)] for k in range(m)) / m - e) < 1e-12
print("OVERALS eigenvalues are HOMALS's")
