# Optimally scaled regressions checked against independent facts computed
# here from data.csv:
#  1. numerical y on nominal a b c: R Square equals the R^2 of least squares
#     of y on the dummies of a, b and c (main effects); the ANOVA's
#     regression df is the number of free dummy coefficients (4 + 3 + 5);
#  2. nominal g on nominal a b: R Square equals the largest squared canonical
#     correlation between the dummies of g and those of a and b;
#  3. numerical y on ordinal a b c: every quantification is monotone in the
#     category order, R Square lies between the numerical and the nominal
#     R^2, and at convergence Beta and R Square are those of least squares
#     of y on the quantified predictors read from the Quantifications tables.
import csv, json, math, os, sys
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
from golden_check import cmd_tables, cells, leaf
from reglib import dummies, r_square, first_canonical_r2, ols_reference

rows = list(csv.DictReader(open("data.csv")))
col = lambda v: [float(r[v]) for r in rows]
report = json.load(open(sys.argv[1]))
cmds = [c for c in report["commands"] if any(t["type"] == "table" for t in c["items"])]
cmds = [c for c in cmds if cmd_tables(c, "Model Summary")]
assert len(cmds) == 3, len(cmds)
close = lambda a, b, tol=1e-6: abs(a - b) < tol
r2_of = lambda c: cells(cmd_tables(c, "Model Summary")[0])[(1,)]


def quants(c):
    out = {}
    for t in cmd_tables(c, "Quantifications"):
        k = cells(t)
        labels = [float(leaf(cat)) for cat in t["dimensions"][0]["categories"]]
        out[t["dimensions"][0]["label"]["text"]] = {x: k[(i, 1)] for i, x in enumerate(labels)}
    return out


# 1. Nominal predictors span their dummies.
X = dummies(col("a")) + dummies(col("b")) + dummies(col("c"))
r2_nominal = r_square(X, col("y"))
assert close(r2_of(cmds[0]), r2_nominal), (r2_of(cmds[0]), r2_nominal)
anova = cells(cmd_tables(cmds[0], "ANOVA")[0])
assert anova[(0, 1)] == 12 and anova[(1, 1)] == len(rows) - 13, anova

# 2. Nominal dependent: the first canonical correlation.
cc = first_canonical_r2(dummies(col("g")), dummies(col("a")) + dummies(col("b")))
assert close(r2_of(cmds[1]), cc), (r2_of(cmds[1]), cc)

# 3. Ordinal predictors.
q = quants(cmds[2])
for v in "abc":
    vals = [q[v][x] for x in sorted(q[v])]
    up = all(b >= a - 1e-9 for a, b in zip(vals, vals[1:]))
    down = all(b <= a + 1e-9 for a, b in zip(vals, vals[1:]))
    assert up or down, (v, vals)
r2_num = ols_reference(col("y"), [col("a"), col("b"), col("c")])["R2"]
r2_ord = r2_of(cmds[2])
assert r2_num - 1e-9 <= r2_ord <= r2_nominal + 1e-9, (r2_num, r2_ord, r2_nominal)
phi = [[q[v][x] for x in col(v)] for v in "abc"]
ref = ols_reference(col("y"), phi)
assert close(r2_ord, ref["R2"]), (r2_ord, ref["R2"])
coef = cells(cmd_tables(cmds[2], "Coefficients")[0])
for j in range(3):
    assert close(coef[(j, 0)], ref["beta"][j], 1e-5), (j, coef[(j, 0)], ref["beta"][j])

# 4. Correlations of the ordinal fit: the original ones are those of the
#    category values, the transformed ones those of the quantified predictors;
#    each table's eigenvalues sum to 3; the tolerances are 1/diag(R^-1).
from golden_check import corr, jacobi
from reglib import inverse
corrs = [col(v) for v in "abc"]
for key, data, tcol in (("CPR Original Correlations", corrs, 5), ("CPR Transformed Correlations", phi, 4)):
    t = cells(cmd_tables(cmds[2], key)[0])
    R = [[corr(a, b) for b in data] for a in data]
    for j in range(3):
        for k in range(3):
            assert abs(t[(j, k)] - R[j][k]) < 1e-9, (key, j, k, t[(j, k)], R[j][k])
    ev = jacobi(R)
    for k in range(3):
        assert abs(t[(3 + k, 3)] - ev[k]) < 1e-9, (key, k)
    Ri = inverse(R)
    ct = cells(cmd_tables(cmds[2], "Correlations and Tolerance")[0])
    for j in range(3):
        assert abs(ct[(j, tcol)] - 1 / Ri[j][j]) < 1e-9, (key, j)
