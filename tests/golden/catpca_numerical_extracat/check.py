# A numerical variable x with an extra category for its missing values
# (user-missing 99 and empty cells), checked from data.csv and the printed
# solution. Object scores are centred with sum(x^2) = N over all N active
# objects, those with a missing x included; the extra category is the last
# row of x's quantifications.
#  - the extra category holds every object with a missing x;
#  - x's quantified variable is standardized over all N objects;
#  - on the valid categories q is an increasing linear function of the
#    category values (1 2 3 5 8: the spacing counts, not the ranks);
#  - the extra category's quantification is free: at convergence q is the
#    f-weighted projection of the targets t_c = Y_c.a / |a|^2 (Y_c the
#    category means of the object scores, recomputed here) on {linear in the
#    values on the valid categories, anything on the extra one}, with no
#    further scaling (q'Dt = N a'a/|a|^2 = N = q'Dq makes the factor 1), so
#    q_extra = t_extra and the valid q are the weighted line fitted to t;
#  - every loading is the correlation of the transformed variable with the
#    object scores, and the Correlations Transformed Variables table is the
#    correlation matrix of the transformed variables.
import csv, json, os, sys
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
from golden_check import corr, lstsq, cmd_tables, cells, object_scores, quantifications, standardized_solution

P = 2
rows, N, cmd, X = standardized_solution(sys.argv[1], P)
quant = quantifications(cmd, P)
load = cells(cmd_tables(cmd, "Component Loadings")[0])
names = ["x", "y1", "y2", "y3", "y4"]

# Category of every object on every variable: for x the missing ones go to
# the extra (last) category.
missing = [r["x"] in ("", "99") for r in rows]
valid = sorted({float(r["x"]) for r, m in zip(rows, missing) if not m})
labels, f, q, _ = quant["x"]
assert [float(l) for l in labels[:-1]] == valid, labels
K = len(labels)
cat = {"x": [K - 1 if m else valid.index(float(r["x"])) for r, m in zip(rows, missing)]}
for v in names[1:]:
    cat[v] = [quant[v][0].index(r[v]) for r in rows]

trans = []
for j, v in enumerate(names):
    lv, fv, qv, _ = quant[v]
    assert fv == [cat[v].count(c) for c in range(len(lv))], (v, "frequencies")
    assert abs(sum(a * b for a, b in zip(fv, qv))) < 1e-8, (v, "centred")
    assert abs(sum(a * b * b for a, b in zip(fv, qv)) - N) < 1e-6, (v, "scaled")
    t = [qv[c] for c in cat[v]]
    trans.append(t)
    for s in range(P):
        assert abs(load[(j, s)] - corr(t, [x[s] for x in X])) < 1e-6, (v, s, "loading")
assert f[-1] == sum(missing) == 8

# Linear and increasing on the valid categories.
(b0, b1), fit = lstsq([[1.0] * (K - 1), valid], q[:-1])
assert b1 > 0 and max(abs(a - b) for a, b in zip(q[:-1], fit)) < 1e-6, ("not linear", q)

# Free extra category: q is the projection of the targets.
a = [load[(0, s)] for s in range(P)]
aa = sum(v * v for v in a)
Y = [[sum(X[i][s] for i in range(N) if cat["x"][i] == c) / f[c] for s in range(P)] for c in range(K)]
t = [sum(Y[c][s] * a[s] for s in range(P)) / aa for c in range(K)]
_, tfit = lstsq([[1.0] * (K - 1), valid], t[:-1], f[:-1])
assert abs(q[-1] - t[-1]) < 1e-6, ("extra category", q[-1], t[-1])
assert max(abs(q[c] - tfit[c]) for c in range(K - 1)) < 1e-6, ("valid categories", q, tfit)

R = cells(cmd_tables(cmd, "CPR Transformed Correlations")[0])
for i in range(len(names)):
    for k in range(len(names)):
        assert abs(R[(i, k)] - corr(trans[i], trans[k])) < 1e-6, ("correlation", i, k)
print("x is linear on its values with a free extra category; loadings and correlations agree")
