# Direct oblimin with delta 0 (quartimin), Kaiser normalization. Facts that
# hold for any oblique rotation: structure = pattern x component correlations,
# the reproduced matrix pattern Phi pattern' is the unrotated A A', Phi is a
# correlation matrix. Quartimin itself: the pattern of the Kaiser-normalized
# rows minimizes sum_i p_i1^2 p_i2^2 over all unit-column transformations,
# found here by a grid search over the two component directions.
import json, math, sys, os
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
from golden_check import table

report = json.load(open(sys.argv[1]))
_, Lc = table(report, "Component Loadings")
_, Pc = table(report, "Pattern Matrix")
_, Sc = table(report, "Structure Matrix")
_, Fc = table(report, "Component Correlation Matrix")
_, Vr = table(report, "Variance Accounted For Rotation")
_, Mr = table(report, "Model Summary Rotation")
_, M0 = table(report, "Model Summary")
m, p = 5, 2
A = [[Lc[(j, s)] for s in range(p)] for j in range(m)]
P = [[Pc[(j, s)] for s in range(p)] for j in range(m)]
S = [[Sc[(j, s)] for s in range(p)] for j in range(m)]
Phi = [[Fc[(s, t)] for t in range(p)] for s in range(p)]

assert all(abs(Phi[s][s] - 1) < 1e-9 for s in range(p)) and abs(Phi[0][1] - Phi[1][0]) < 1e-12
assert abs(Phi[0][1]) < 1
for j in range(m):
    for s in range(p):
        assert abs(S[j][s] - sum(P[j][t] * Phi[t][s] for t in range(p))) < 1e-9
    for k in range(m):
        a = sum(A[j][s] * A[k][s] for s in range(p))
        b = sum(P[j][s] * Phi[s][t] * P[k][t] for s in range(p) for t in range(p))
        assert abs(a - b) < 1e-9, (j, k)
    # VAF of the rotated solution: squared structure loadings; the total is
    # the communality.
    for s in range(p):
        assert abs(Vr[(j, 3 + s)] - S[j][s] ** 2) < 1e-9
    assert abs(Vr[(j, 5)] - sum(A[j][s] ** 2 for s in range(p))) < 1e-9
for s in range(p):
    assert abs(Mr[(s, 1)] - sum(S[j][s] ** 2 for j in range(m))) < 1e-9
assert abs(Mr[(p, 1)] - M0[(p, 1)]) < 1e-9  # the rotation keeps the total

h = [math.sqrt(sum(x * x for x in A[j])) for j in range(m)]
B = [[A[j][s] / h[j] for s in range(p)] for j in range(m)]

def crit(Q):
    return sum(Q[j][0] ** 2 * Q[j][1] ** 2 for j in range(m))

def pattern(a, b):
    # P T' = B with T = [(cos a, sin a), (cos b, sin b)] (columns).
    t = [[math.cos(a), math.cos(b)], [math.sin(a), math.sin(b)]]
    d = t[0][0] * t[1][1] - t[0][1] * t[1][0]
    return [[(B[j][0] * t[1][1] - B[j][1] * t[0][1]) / d, (B[j][1] * t[0][0] - B[j][0] * t[1][0]) / d]
            for j in range(m)]

best = None
for ia in range(360):
    for ib in range(360):
        a, b = ia * math.pi / 360, ib * math.pi / 360
        if abs(math.sin(b - a)) < 0.05: continue
        f = crit(pattern(a, b))
        if best is None or f < best[0]: best = (f, a, b)
f, a, b = best
step = math.pi / 720
while step > 1e-9:
    moved = False
    for da, db in ((step, 0), (-step, 0), (0, step), (0, -step)):
        g = crit(pattern(a + da, b + db))
        if g < f: f, a, b, moved = g, a + da, b + db, True
    if not moved: step /= 2
ours = crit([[P[j][s] / h[j] for s in range(p)] for j in range(m)])
# The iterations stop when the criterion changes by at most 1e-4.
assert f - 1e-9 <= ours <= f + 1e-4, (ours, f)
Q = pattern(a, b)
for perm in ((0, 1), (1, 0)):
    sg = [1 if sum(Q[j][perm[s]] for j in range(m)) > 0 else -1 for s in range(p)]
    if all(abs(P[j][s] / h[j] - sg[s] * Q[j][perm[s]]) < 5e-3 for j in range(m) for s in range(p)):
        break
else:
    raise AssertionError("pattern differs from the quartimin minimum")
print("oblique identities hold and the pattern is the quartimin minimum")
