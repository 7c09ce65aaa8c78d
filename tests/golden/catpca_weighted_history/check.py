# One variable with weight 2: the loss split of the Iteration History's last
# row, recomputed from data.csv and the printed solution. Conventions read
# off the output: object scores X are centred with sum(x^2) = N over the N
# active objects; quantifications q have sum(f q) = 0 and sum(f q^2) = N
# (f the category frequencies); the printed loadings a_j are correlations,
# not multiplied by the variable weight w_j. With centroids Y_c (category
# means of the object scores, recomputed here from the data),
#   eta_js = sum_c f_c Y_cs^2 / N,   a_js = sum_c f_c q_c Y_cs / N,
#   fit = sum_j w_j |a_j|^2                      (total VAF, Model Summary),
#   centroid loss = sum_j w_j (p - sum_s eta_js),
#   restriction loss = sum_j w_j (sum_s eta_js - |a_j|^2), each term >= 0,
#   total loss = centroid + restriction = p sum_j w_j - fit.
# The Variance Accounted For table gives w_j eta_js and w_j a_js^2 per
# variable, and the Model Summary eigenvalues are sum_j w_j a_js^2.
import csv, json, os, sys
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
from golden_check import cmd_tables, cells, object_scores, quantifications, standardized_solution

P = 2
W = {"a": 1, "b": 2, "c": 1, "d": 1, "e": 1}
rows, N, cmd, X = standardized_solution(sys.argv[1], P)
quant = quantifications(cmd, P)
load = cells(cmd_tables(cmd, "Component Loadings")[0])
vaf = cells(cmd_tables(cmd, "Variance Accounted For")[0])
summ = cells(cmd_tables(cmd, "Model Summary")[0])

fit = centroid = restriction = 0.0
lam = [0.0] * P
for j, v in enumerate(W):
    w = W[v]
    labels, f, q, Yp = quant[v]
    codes = [r[v] for r in rows]
    assert f == [codes.count(l) for l in labels], (v, "frequencies")
    assert abs(sum(a * b for a, b in zip(f, q))) < 1e-8 and abs(sum(a * b * b for a, b in zip(f, q)) - N) < 1e-6
    Y = [[sum(X[i][s] for i in range(N) if codes[i] == l) / fc for s in range(P)] for l, fc in zip(labels, f)]
    for c in range(len(labels)):
        for s in range(P):
            assert abs(Y[c][s] - Yp[c][s]) < 1e-6, (v, c, s, "centroid")
    eta = [sum(f[c] * Y[c][s] ** 2 for c in range(len(f))) / N for s in range(P)]
    a = [sum(f[c] * q[c] * Y[c][s] for c in range(len(f))) / N for s in range(P)]
    aa = sum(x * x for x in a)
    assert vaf[(j, 0)] == w, (v, "weight column")
    for s in range(P):
        assert abs(a[s] - load[(j, s)]) < 1e-6, (v, s, "loading")
        assert abs(vaf[(j, 1 + s)] - w * eta[s]) < 1e-6, (v, s, "centroid VAF")
        assert abs(vaf[(j, 4 + s)] - w * a[s] ** 2) < 1e-6, (v, s, "vector VAF")
        lam[s] += w * a[s] ** 2
    assert abs(vaf[(j, 6)] - w * aa) < 1e-6, (v, "total VAF")
    assert sum(eta) - aa > -1e-9, (v, "restriction loss < 0")
    fit += w * aa
    centroid += w * (P - sum(eta))
    restriction += w * (sum(eta) - aa)

for s in range(P):
    assert abs(summ[(s, 1)] - lam[s]) < 1e-6, ("eigenvalue", s)
hist = cells(cmd_tables(cmd, "Iteration History")[0])
last = max(k[0] for k in hist)
F, _, L, Lc, Lr = (hist[(last, c)] for c in range(5))
assert abs(F - fit) < 1e-6 and abs(summ[(P, 1)] - fit) < 1e-6, ("fit", F, fit)
assert Lr >= 0 and abs(Lr - restriction) < 1e-6, ("restriction loss", Lr, restriction)
assert abs(Lc - centroid) < 1e-6, ("centroid loss", Lc, centroid)
assert abs(L - (Lc + Lr)) < 1e-9 and abs(L - (P * sum(W.values()) - fit)) < 1e-6, ("total loss", L)
print("loss split, VAF and loadings agree with the weighted centroids and quantifications")
