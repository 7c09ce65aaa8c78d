# Penalized least squares on standardized variables (every variable
# numerical), objective 1/(2N)|z - Xb|^2 + lambda1/2 |b|_1 + lambda2/2 |b|^2,
# checked per model of each path against facts computed here from data.csv
# with R = X'X/N and r = X'z/N:
#  - ridge: b = (R + lambda I)^-1 r (closed form);
#  - lasso: the optimality conditions r - R b = lambda/2 sign(b) where b != 0,
#    |r - R b| <= lambda/2 where b = 0; lambda = 0 gives least squares;
#  - elastic net: the naive coefficients b/(1 + lambda2) meet
#    r - R c = lambda1/2 sign(c) + lambda2 c (zero entries as for the lasso);
#  - every model: R Square Regu = 1 - APE with APE = |z - Xb|^2/N, the count
#    of selected predictors and the standardized sum of coefficients;
#  - a single lasso value: Model Summary and Coefficients of that model.
import csv, json, math, os, sys
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
from golden_check import cmd_tables, cells
from reglib import standardize, inverse, ols_reference

rows = list(csv.DictReader(open("data.csv")))
col = lambda v: [float(r[v]) for r in rows]
N = len(rows)
z = standardize(col("y"))
X = [standardize(col(v)) for v in "abc"]
p = 3
R = [[sum(a * b for a, b in zip(X[j], X[k])) / N for k in range(p)] for j in range(p)]
r = [sum(a * b for a, b in zip(X[j], z)) / N for j in range(p)]
grad = lambda b: [r[j] - sum(R[j][k] * b[k] for k in range(p)) for j in range(p)]
ape = lambda b: sum((z[i] - sum(b[j] * X[j][i] for j in range(p))) ** 2 for i in range(N)) / N
sign = lambda x: 1 if x > 0 else -1
tol = 1e-6

report = json.load(open(sys.argv[1]))
cmds = [c for c in report["commands"] if any(cmd_tables(c, k) for k in
        ("Ridge Models", "Lasso Models", "Elastic Net Models"))]
assert len(cmds) == 4, len(cmds)


def path(c, kind):
    m = cells(cmd_tables(c, kind + " Models")[0])
    t = cmd_tables(c, kind + " Coefficients")[0]
    b = cells(t)
    M = len(t["dimensions"][0]["categories"])
    off = 0 if kind == "Ridge" else 1
    return M, m, [[b[(k, off + j)] for j in range(p)] for k in range(M)]


# Ridge 0, 0.25, ..., 1.
M, m, betas = path(cmds[0], "Ridge")
assert M == 5
s0 = sum(x * x for x in betas[0])
for k in range(M):
    lam = 0.25 * k
    assert abs(m[(k, 0)] - lam) < 1e-12
    ref = [sum(inverse([[R[i][j] + (lam if i == j else 0) for j in range(p)] for i in range(p)])[a][c] * r[c]
               for c in range(p)) for a in range(p)]
    for j in range(p):
        assert abs(betas[k][j] - ref[j]) < tol, (k, j, betas[k][j], ref[j])
    assert abs(m[(k, 3)] - ape(betas[k])) < tol and abs(m[(k, 1)] - (1 - ape(betas[k]))) < tol
    assert abs(m[(k, 2)] - sum(x * x for x in betas[k]) / s0) < tol
ols = ols_reference(col("y"), [col(v) for v in "abc"])
assert all(abs(a - b) < tol for a, b in zip(betas[0], ols["beta"]))


def lasso_kkt(b, l1, l2, where):
    g = grad(b)
    for j in range(p):
        if b[j] == 0:
            assert abs(g[j]) <= l1 / 2 + tol, (where, j, g[j])
        else:
            assert abs(g[j] - (l1 / 2 * sign(b[j]) + l2 * b[j])) < tol, (where, j, g[j], b[j])


# Lasso: the unpenalized model first, then 0.2 .. 1.0.
M, m, betas = path(cmds[1], "Lasso")
assert M == 6
s0 = sum(abs(x) for x in betas[0])
for k in range(M):
    lam = 0.2 * k
    assert abs(m[(k, 0)] - lam) < 1e-12
    lasso_kkt(betas[k], lam, 0, ("lasso", k))
    assert m[(k, 2)] == sum(1 for x in betas[k] if x != 0)
    assert abs(m[(k, 4)] - ape(betas[k])) < tol and abs(m[(k, 1)] - (1 - ape(betas[k]))) < tol
    assert abs(m[(k, 3)] - sum(abs(x) for x in betas[k]) / s0) < tol
assert all(abs(a - b) < tol for a, b in zip(betas[0], ols["beta"]))
assert m[(M - 1, 2)] < p  # the larger penalties remove predictors

# Elastic net: ridge 0.5, 1 outside, lasso 0, 0.4, 0.8 inside.
M, m, betas = path(cmds[2], "Elastic Net")
assert M == 6
for k in range(M):
    l2, l1 = 0.5 * (1 + k // 3), 0.4 * (k % 3)
    if k % 3 == 0:
        assert abs(m[(k, 0)] - l2) < 1e-12
    assert abs(m[(k, 1)] - l1) < 1e-12
    lasso_kkt([x / (1 + l2) for x in betas[k]], l1, l2, ("enet", k))
    assert abs(m[(k, 5)] - ape(betas[k])) < tol
    first = sum(abs(x) for x in betas[k - k % 3])
    assert abs(m[(k, 4)] - sum(abs(x) for x in betas[k]) / first) < tol

# One lasso value: the model output belongs to it.
M, m, betas = path(cmds[3], "Lasso")
assert M == 1
lasso_kkt(betas[0], 0.3, 0, "single")
s = cells(cmd_tables(cmds[3], "Model Summary")[0])
assert abs(s[(3,)] - (1 - ape(betas[0]))) < tol and abs(s[(4,)] - ape(betas[0])) < tol
c = cells(cmd_tables(cmds[3], "Coefficients")[0])
assert all(abs(c[(j, 0)] - betas[0][j]) < 1e-12 for j in range(p))
# R Square is the squared correlation of z with the prediction.
zh = [sum(betas[0][j] * X[j][i] for j in range(p)) for i in range(N)]
zz = sum(a * b for a, b in zip(z, zh)); hh = sum(a * a for a in zh)
assert abs(s[(1,)] - zz * zz / (N * hh)) < tol

# The regularization file of the lasso path: one case per model, the table's
# coefficients under names that carry the predictor's position.
f = list(csv.DictReader(open("lasso.csv")))
M, m, betas = path(cmds[1], "Lasso")
assert len(f) == M
assert list(f[0]) == ["ModelNumber", "LassoPenalty", "RSquare", "NPredictors", "StdSumCoeff",
                      "LassoBeta2_a", "LassoBeta3_b", "LassoBeta4_c"], list(f[0])
for k in range(M):
    assert int(float(f[k]["ModelNumber"])) == k + 1
    assert abs(float(f[k]["RSquare"]) - m[(k, 1)]) < 1e-12
    for j, v in enumerate("abc"):
        assert abs(float(f[k]["LassoBeta%d_%s" % (j + 2, v)]) - betas[k][j]) < 1e-12
