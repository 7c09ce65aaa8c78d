# ANACOR's scores checked against a decomposition made here from table.csv
# (Jacobi on S'S with S = (P - r c') / sqrt(r c')), and against
# CORRESPONDENCE's score files:
#  - singular values: the listing's six decimals, and from the canonical file
#    lambda_k = sum_i r_i f_ik^2 to 1e-9;
#  - rows = standard coordinates x sv^((1+alpha)/2), columns x sv^((1-alpha)/2)
#    (principal: both x sv), to 1e-9 up to the sign of each dimension;
#  - the canonical scores rebuild the table: p_ij = r_i c_j (1 + sum_k f_ik g_jk);
#  - each keyword's file equals CORRESPONDENCE's under the matching keyword.
import csv, json, math, sys

report = json.load(open(sys.argv[1]))
rows = list(csv.reader(open("table.csv")))[1:]
F = [[float(v) for v in r[1:]] for r in rows]
I, J = len(F), len(F[0])
N = sum(map(sum, F))
r = [sum(F[i]) / N for i in range(I)]
c = [sum(F[i][j] for i in range(I)) / N for j in range(J)]
S = [[(F[i][j] / N - r[i] * c[j]) / math.sqrt(r[i] * c[j]) for j in range(J)] for i in range(I)]
StS = [[sum(S[i][a] * S[i][b] for i in range(I)) for b in range(J)] for a in range(J)]


def jacobi_vectors(a):
    n = len(a)
    a = [row[:] for row in a]
    v = [[float(i == j) for j in range(n)] for i in range(n)]
    for _ in range(100):
        if sum(a[i][j] ** 2 for i in range(n) for j in range(n) if i != j) < 1e-32:
            break
        for p in range(n):
            for q in range(p + 1, n):
                if abs(a[p][q]) < 1e-300:
                    continue
                th = (a[q][q] - a[p][p]) / (2 * a[p][q])
                t = (1 if th >= 0 else -1) / (abs(th) + math.sqrt(th * th + 1))
                cs = 1 / math.sqrt(t * t + 1)
                sn = t * cs
                for k in range(n):
                    akp, akq = a[k][p], a[k][q]
                    a[k][p], a[k][q] = cs * akp - sn * akq, sn * akp + cs * akq
                for k in range(n):
                    apk, aqk = a[p][k], a[q][k]
                    a[p][k], a[q][k] = cs * apk - sn * aqk, sn * apk + cs * aqk
                for k in range(n):
                    vkp, vkq = v[k][p], v[k][q]
                    v[k][p], v[k][q] = cs * vkp - sn * vkq, sn * vkp + cs * vkq
    order = sorted(range(n), key=lambda k: -a[k][k])
    return [a[k][k] for k in order], [[v[i][k] for i in range(n)] for k in order]


ev, vecs = jacobi_vectors(StS)
p = min(I, J) - 1
lam = [math.sqrt(ev[k]) for k in range(p)]
assert ev[p] < 1e-20, ev  # the trivial dimension
# Standard coordinates: y = v / sqrt(c), x = S v / (lambda sqrt(r)).
y = [[vecs[k][j] / math.sqrt(c[j]) for j in range(J)] for k in range(p)]
x = [[sum(S[i][j] * vecs[k][j] for j in range(J)) / lam[k] / math.sqrt(r[i]) for i in range(I)] for k in range(p)]


def scores(name):
    recs = list(csv.DictReader(open(name)))
    R = [[float(q["DIM%d" % (k + 1)]) for k in range(p)] for q in recs if q["ROWTYPE_"] == "ROW"]
    C = [[float(q["DIM%d" % (k + 1)]) for k in range(p)] for q in recs if q["ROWTYPE_"] == "COLUMN"]
    assert len(R) == I and len(C) == J, name
    return R, C


def expect(name, rpow, cpow):
    R, C = scores(name)
    for k in range(p):
        sign = 1 if sum(R[i][k] * x[k][i] for i in range(I)) > 0 else -1
        for i in range(I):
            want = sign * x[k][i] * lam[k] ** rpow
            assert abs(R[i][k] - want) < 1e-9, (name, "row", i, k, R[i][k], want)
        for j in range(J):
            want = sign * y[k][j] * lam[k] ** cpow
            assert abs(C[j][k] - want) < 1e-9, (name, "column", j, k, C[j][k], want)
    return R, C


for name, alpha in (("a_can.csv", 0), ("a_rp.csv", 1), ("a_cp.csv", -1), ("a_p15.csv", 1.5),
                    ("a_m06.csv", -0.6), ("a_p2.csv", 2), ("a_m2.csv", -2)):
    expect(name, (1 + alpha) / 2, (1 - alpha) / 2)
expect("a_pr.csv", 1, 1)

# The canonical scores: singular values and the reconstitution of the table.
R, C = scores("a_can.csv")
for k in range(p):
    assert abs(sum(r[i] * R[i][k] ** 2 for i in range(I)) - lam[k]) < 1e-9, k
    assert abs(sum(c[j] * C[j][k] ** 2 for j in range(J)) - lam[k]) < 1e-9, k
for i in range(I):
    for j in range(J):
        rebuilt = r[i] * c[j] * (1 + sum(R[i][k] * C[j][k] for k in range(p)))
        assert abs(rebuilt - F[i][j] / N) < 1e-9, (i, j, rebuilt, F[i][j] / N)

# The listing's singular values.
anacor = [cmd for cmd in report["commands"] if cmd["name"] == "ANACOR"]
assert len(anacor) == 8
for cmd in anacor:
    ls = [l for it in cmd["items"] if it["type"] == "text" for l in it["lines"]]
    start = ls.index("              Value                        Explained    Proportion") + 2
    sv = [float(l.split()[1]) for l in ls[start:start + p]]
    assert all(abs(a - b) < 6e-7 for a, b in zip(sv, lam)), (sv, lam)

# The same files as CORRESPONDENCE's.
for a, b in (("a_can.csv", "c_can.csv"), ("a_rp.csv", "c_rp.csv"), ("a_cp.csv", "c_cp.csv"), ("a_pr.csv", "c_pr.csv")):
    assert list(csv.reader(open(a))) == list(csv.reader(open(b))), (a, b)
print("ok")
