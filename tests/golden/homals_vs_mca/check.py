# HOMALS checked against facts that do not come from its own code:
#  - its eigenvalues are the principal inertias of CORRESPONDENCE on the
#    indicator matrix, MULTIPLE CORRESPONDENCE's inertias, and the largest
#    eigenvalues of (1/m) sum_j P_j computed here from data.csv (P_j the
#    projector on the centred indicator columns of variable j);
#  - each dimension's discrimination measures add up to m times its
#    eigenvalue and are the squared correlation ratios of the variables with
#    the printed object scores;
#  - both runs of the same command give identical tables.
import csv, json, sys
import os
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
from golden_check import jacobi, cmd_tables, cells

report = json.load(open(sys.argv[1]))
cmds = report["commands"]
runs = [c for c in cmds if cmd_tables(c, "Eigenvalues")]
assert len(runs) == 2, len(runs)
strip = lambda c: json.dumps([t for t in c["items"]], sort_keys=True)
assert strip(runs[0]) == strip(runs[1]), "two runs differ"

rows = list(csv.DictReader(open("data.csv")))
names = ["region", "transport", "housing"]
n, m = len(rows), len(names)
codes = [[r[v] for r in rows] for v in names]
S = [[0.0] * n for _ in range(n)]
for col in codes:
    cnt = {}
    for c in col: cnt[c] = cnt.get(c, 0) + 1
    for i in range(n):
        for k in range(n):
            S[i][k] += ((1.0 / cnt[col[i]] if col[i] == col[k] else 0.0) - 1.0 / n) / m
ref = jacobi(S)

ev = cells(cmd_tables(runs[0], "Eigenvalues")[0])
disc = cells(cmd_tables(runs[0], "Discrimination Measures")[0])
obj = cells(cmd_tables(runs[0], "Object Scores")[0])
mca = [c for c in cmds if cmd_tables(c, "Model Summary")][0]
msum = cells(cmd_tables(mca, "Model Summary")[0])
ca = [c for c in cmds if cmd_tables(c, "Summary")][0]
ctab = cmd_tables(ca, "Summary")[0]
csum = cells(ctab)


def column(t, key):
    for dim in t["dimensions"]:
        for i, cat in enumerate(dim["categories"]):
            if cat["path"] and cat["path"][-1]["key"] == key:
                return i
    raise AssertionError(key)


ci, si = column(ctab, "Summary Inertia"), column(ctab, "Singular Value")
for s in range(2):
    e = ev[(s, 0)]
    assert abs(e - ref[s]) < 1e-6, ("reference", s, e, ref[s])
    assert abs(e - msum[(s, 2)]) < 1e-6, ("MULTIPLE CORRESPONDENCE inertia", s, e, msum[(s, 2)])
    assert abs(e - csum[(s, ci)]) < 1e-6, ("CORRESPONDENCE principal inertia", s, e, csum[(s, ci)])
    assert abs(e - csum[(s, si)] ** 2) < 1e-6, ("CORRESPONDENCE singular value squared", s, e)
    assert abs(sum(disc[(j, s)] for j in range(m)) - m * e) < 1e-9, ("discrimination total", s)
    x = [obj[(i, s)] for i in range(n)]
    mx = sum(x) / n
    tss = sum((v - mx) ** 2 for v in x)
    assert abs(mx) < 1e-9 and abs(tss - n) < 1e-6, ("object scores standardized", s, mx, tss)
    for j, col in enumerate(codes):
        groups = {}
        for c, v in zip(col, x): groups.setdefault(c, []).append(v)
        eta2 = sum(len(g) * (sum(g) / len(g) - mx) ** 2 for g in groups.values()) / tss
        assert abs(disc[(j, s)] - eta2) < 1e-9, ("correlation ratio", j, s, disc[(j, s)], eta2)
print("eigenvalues, discrimination measures and repeat run agree")
