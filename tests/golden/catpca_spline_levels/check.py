# Spline levels, checked from data.csv and the printed solution (object
# scores are centred with unit variance over the N active objects, the
# quantified variables have sum(f q) = 0 and sum(f q^2) = N):
#  - every variable is standardized and its loadings are the correlations of
#    the transformed variable with the object scores;
#  - the Correlations Transformed Variables table is the correlation matrix
#    of the transformed variables with its eigenvalues, the two largest of
#    which are the Model Summary's;
#  - x1 (spline ordinal) is non-decreasing in the category values;
#  - each spline quantification is a quadratic spline in the category value
#    with interior knots at equally spaced ranks of the categories (x1: 3 and
#    6 of 1..8; x2: 4 of 1..7), i.e. it lies in the span of 1, x, x^2 and
#    (x - k)+^2 per knot; a plain quadratic must not do (knots used), and x2
#    (spline nominal) is not monotone.
import csv, json, os, sys
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
from golden_check import corr, jacobi, lstsq, cmd_tables, cells, object_scores, quantifications, standardized_solution

P = 2
rows, N, cmd, X = standardized_solution(sys.argv[1], P)
quant = quantifications(cmd, P)
load = cells(cmd_tables(cmd, "Component Loadings")[0])
names = ["x1", "x2", "x3", "x4"]
trans = []
for j, v in enumerate(names):
    labels, f, q, _ = quant[v]
    codes = [r[v] for r in rows]
    assert f == [codes.count(l) for l in labels], (v, "frequencies")
    assert abs(sum(a * b for a, b in zip(f, q))) < 1e-8, (v, "centred")
    assert abs(sum(a * b * b for a, b in zip(f, q)) - N) < 1e-6, (v, "scaled")
    t = [q[labels.index(c)] for c in codes]
    trans.append(t)
    for s in range(P):
        assert abs(load[(j, s)] - corr(t, [x[s] for x in X])) < 1e-6, (v, s, "loading")

R = cells(cmd_tables(cmd, "CPR Transformed Correlations")[0])
Rc = [[corr(a, b) for b in trans] for a in trans]
for i in range(4):
    for k in range(4):
        assert abs(R[(i, k)] - Rc[i][k]) < 1e-6, ("correlation", i, k)
summ = cells(cmd_tables(cmd, "Model Summary")[0])
ev = jacobi(Rc)
for s in range(4):
    assert abs(R[(4 + s, 4)] - ev[s]) < 1e-6, ("eigenvalue of the correlations", s)
for s in range(P):
    assert abs(summ[(s, 1)] - ev[s]) < 1e-6, ("eigenvalue", s, summ[(s, 1)], ev[s])


def spline_residual(x, q, knots, degree=2):
    cols = [[xi ** d for xi in x] for d in range(degree + 1)]
    cols += [[max(0.0, xi - k) ** degree for xi in x] for k in knots]
    _, fit = lstsq(cols, q)
    return max(abs(a - b) for a, b in zip(q, fit))


for v, knots in (("x1", [3, 6]), ("x2", [4])):
    labels, _, q, _ = quant[v]
    x = [float(l) for l in labels]
    assert x == [float(k) for k in range(1, len(x) + 1)]
    assert spline_residual(x, q, knots) < 1e-6, (v, "not a quadratic spline", spline_residual(x, q, knots))
    assert spline_residual(x, q, []) > 1e-3, (v, "a plain quadratic: knots unused")
q1 = quant["x1"][2]
assert all(b >= a - 1e-9 for a, b in zip(q1, q1[1:])), ("x1 not monotone", q1)
q2 = quant["x2"][2]
assert not all(b >= a for a, b in zip(q2, q2[1:])) and not all(b <= a for a, b in zip(q2, q2[1:]))
print("spline quantifications are standardized quadratic splines; loadings and correlations agree")
