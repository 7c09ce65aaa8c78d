# Promax(3) without Kaiser normalization, recomputed independently: varimax of
# the Kaiser-normalized rows (angle by search), target sign(b)|b|^3 from the
# varimax loadings, least-squares transformation U = (B'B)^-1 B'target with
# unit-variance columns, pattern = B U, Phi = (U'U)^-1. Object scores of an
# oblique solution have unit variances and correlate as Phi.
import json, math, sys, os
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
from golden_check import table

report = json.load(open(sys.argv[1]))
_, Lc = table(report, "Component Loadings")
_, Pc = table(report, "Pattern Matrix")
_, Sc = table(report, "Structure Matrix")
_, Fc = table(report, "Component Correlation Matrix")
_, Xc = table(report, "Object Scores")
m, p, n = 5, 2, 40
A = [[Lc[(j, s)] for s in range(p)] for j in range(m)]
P = [[Pc[(j, s)] for s in range(p)] for j in range(m)]
S = [[Sc[(j, s)] for s in range(p)] for j in range(m)]
Phi = [[Fc[(s, t)] for t in range(p)] for s in range(p)]

def inv2(M):
    d = M[0][0] * M[1][1] - M[0][1] * M[1][0]
    return [[M[1][1] / d, -M[0][1] / d], [-M[1][0] / d, M[0][0] / d]]

def mul(X, Y):
    return [[sum(X[i][k] * Y[k][j] for k in range(len(Y))) for j in range(len(Y[0]))] for i in range(len(X))]

def tr(X):
    return [list(r) for r in zip(*X)]

h = [math.sqrt(sum(x * x for x in A[j])) for j in range(m)]
def rot(a):
    return [[A[j][0] * math.cos(a) + A[j][1] * math.sin(a), -A[j][0] * math.sin(a) + A[j][1] * math.cos(a)]
            for j in range(m)]
def vcrit(a):
    R = rot(a)
    v = 0
    for s in range(p):
        c = [(R[j][s] / h[j]) ** 2 for j in range(m)]
        v += m * sum(x * x for x in c) - sum(c) ** 2
    return v
a = max((k * math.pi / 2000 for k in range(1000)), key=vcrit)
step = math.pi / 4000
while step > 1e-10:
    a = max((a - step, a, a + step), key=vcrit)
    step /= 2
Bv = rot(a)
tgt = [[math.copysign(abs(x) ** 3, x) for x in r] for r in Bv]
U = mul(inv2(mul(tr(Bv), Bv)), mul(tr(Bv), tgt))
Ci = inv2(mul(tr(U), U))
U = [[U[k][s] * math.sqrt(Ci[s][s]) for s in range(p)] for k in range(p)]
Pref = mul(Bv, U)
PhiRef = inv2(mul(tr(U), U))
for perm in ((0, 1), (1, 0)):
    sg = [1 if sum(Pref[j][perm[s]] for j in range(m)) > 0 else -1 for s in range(p)]
    if all(abs(P[j][s] - sg[s] * Pref[j][perm[s]]) < 2e-3 for j in range(m) for s in range(p)):
        assert abs(Phi[0][1] - sg[0] * sg[1] * PhiRef[perm[0]][perm[1]]) < 2e-3
        break
else:
    raise AssertionError("pattern differs from the promax recomputation")

assert all(abs(Phi[s][s] - 1) < 1e-9 for s in range(p))
for j in range(m):
    for s in range(p):
        assert abs(S[j][s] - sum(P[j][t] * Phi[t][s] for t in range(p))) < 1e-9
    comm = sum(P[j][s] * Phi[s][t] * P[j][t] for s in range(p) for t in range(p))
    assert abs(comm - sum(x * x for x in A[j])) < 1e-9

X = [[Xc[(i, s)] for s in range(p)] for i in range(n)]
for s in range(p):
    assert abs(sum(X[i][s] for i in range(n))) < 1e-8
    for t in range(p):
        c = sum(X[i][s] * X[i][t] for i in range(n)) / n
        assert abs(c - Phi[s][t]) < 1e-8, (s, t, c)
print("promax agrees with the recomputation; scores correlate as Phi")
