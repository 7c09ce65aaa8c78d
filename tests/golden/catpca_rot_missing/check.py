# Rotations of a solution with passive missing values and a supplementary
# variable. What every rotation keeps: each dimension of the rotated Model
# Summary is the active total of the rotated VAF table; after an orthogonal
# rotation a variable's VAF per dimension is its squared rotated loading, so its
# total and the solution's total are those of the unrotated solution; after an
# oblique one it is the squared structure loading, and its total the
# communality (pattern times structure, summed over the dimensions).
import json, os, sys
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
from golden_check import cmd_tables, cells, leaf

report = json.load(open(sys.argv[1]))
procs = [c for c in report["commands"] if cmd_tables(c, "Model Summary Rotation")]
assert len(procs) == 5, len(procs)
m, p, active = 6, 2, 5
tol = 1e-9


def one(cmd, key):
    ts = cmd_tables(cmd, key)
    assert len(ts) == 1, (key, len(ts))
    return ts[0]


for cmd, oblique in zip(procs, (False, False, False, True, True)):
    M0 = cells(one(cmd, "Model Summary"))
    Mr = cells(one(cmd, "Model Summary Rotation"))
    v0t = one(cmd, "Variance Accounted For")
    vrt = one(cmd, "Variance Accounted For Rotation")
    V0, Vr = cells(v0t), cells(vrt)
    rows = [leaf(c) for c in vrt["dimensions"][0]["categories"]]
    tot = rows.index("Active Total")
    A = [[cells(one(cmd, "Component Loadings"))[(j, s)] for s in range(p)] for j in range(m)]
    if oblique:
        P = cells(one(cmd, "Pattern Matrix"))
        S = cells(one(cmd, "Structure Matrix"))
        per_dim = [[S[(j, s)] ** 2 for s in range(p)] for j in range(m)]
        for j in range(m):
            communality = sum(P[(j, s)] * S[(j, s)] for s in range(p))
            assert abs(communality - sum(a * a for a in A[j])) < 1e-9, (j, communality)
    else:
        L = cells(one(cmd, "Rotated Component Loadings"))
        per_dim = [[L[(j, s)] ** 2 for s in range(p)] for j in range(m)]
    for j in range(m):
        for s in range(p):
            assert abs(Vr[(j, 3 + s)] - per_dim[j][s]) < tol, (oblique, j, s, Vr[(j, 3 + s)], per_dim[j][s])
        # The total of a variable is the unrotated one (orthogonal: the sum
        # of its squared rotated loadings; oblique: its communality).
        assert abs(Vr[(j, 5)] - V0[(j, 5)]) < tol, (j, Vr[(j, 5)], V0[(j, 5)])
        assert abs(V0[(j, 5)] - sum(a * a for a in A[j])) < tol
        if not oblique:
            assert abs(Vr[(j, 5)] - sum(per_dim[j])) < tol
            # Centroids: the mean over the dimensions is kept too.
            assert abs(Vr[(j, 2)] - V0[(j, 2)]) < tol
    for s in range(p):
        assert abs(Mr[(s, 1)] - Vr[(tot, 3 + s)]) < tol, (s, Mr[(s, 1)], Vr[(tot, 3 + s)])
        assert abs(Mr[(s, 1)] - sum(per_dim[j][s] for j in range(active))) < tol
    assert abs(Mr[(p, 1)] - M0[(p, 1)]) < tol
    if not oblique:
        assert abs(sum(Mr[(s, 1)] for s in range(p)) - Mr[(p, 1)]) < tol, [Mr[(s, 1)] for s in range(p + 1)]
print("ok")
