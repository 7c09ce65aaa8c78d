# Numerical variables: both correlation tables hold the Pearson correlations
# of data.csv (a numerical quantification is a linear transformation), each
# followed by the eigenvalues of that matrix (computed here by Jacobi).
# The varimax rotation is orthogonal: the transformation matrix is
# orthonormal, rotated = unrotated x T, every communality is kept and the
# varimax criterion does not decrease.
import csv, json, math, sys

def jacobi(a):
    n = len(a); a = [r[:] for r in a]
    for _ in range(100):
        off = sum(a[i][j] ** 2 for i in range(n) for j in range(n) if i != j)
        if off < 1e-30: break
        for p in range(n):
            for q in range(p + 1, n):
                if abs(a[p][q]) < 1e-300: continue
                th = (a[q][q] - a[p][p]) / (2 * a[p][q])
                t = (1 if th >= 0 else -1) / (abs(th) + math.sqrt(th * th + 1))
                c = 1 / math.sqrt(t * t + 1); s = t * c
                for k in range(n):
                    akp, akq = a[k][p], a[k][q]
                    a[k][p], a[k][q] = c * akp - s * akq, s * akp + c * akq
                for k in range(n):
                    apk, aqk = a[p][k], a[q][k]
                    a[p][k], a[q][k] = c * apk - s * aqk, s * apk + c * aqk
    return sorted((a[i][i] for i in range(n)), reverse=True)

def corr(x, y):
    mx, my = sum(x) / len(x), sum(y) / len(y)
    sxy = sum((a - mx) * (b - my) for a, b in zip(x, y))
    sxx = sum((a - mx) ** 2 for a in x); syy = sum((b - my) ** 2 for b in y)
    return sxy / math.sqrt(sxx * syy)

def table(report, key):
    ts = [it for c in report["commands"] for it in c["items"]
          if it["type"] == "table" and it["title"]["key"] == key]
    assert len(ts) == 1, (key, len(ts))
    t = ts[0]
    cells = {tuple(c["categories"]): c["value"] for c in t["cells"]}
    return t, cells


rows = list(csv.DictReader(open("data.csv")))
names = ["price", "quality", "service", "design", "comfort"]
cols = [[float(r[v]) for r in rows] for v in names]
R = [[corr(a, b) for b in cols] for a in cols]
ev = jacobi(R)
report = json.load(open(sys.argv[1]))
for title in ("CPR Original Correlations", "CPR Transformed Correlations"):
    _, c = table(report, title)
    for j in range(5):
        for k in range(5):
            assert abs(c[(j, k)] - R[j][k]) < 1e-6, (title, j, k)
        assert abs(c[(5 + j, 5)] - ev[j]) < 1e-6, (title, "eigenvalue", j)
_, L = table(report, "Component Loadings")
_, RL = table(report, "Rotated Component Loadings")
_, T = table(report, "Component Transformation Matrix")
for s in range(2):
    for t in range(2):
        dot = sum(T[(u, s)] * T[(u, t)] for u in range(2))
        assert abs(dot - (1 if s == t else 0)) < 1e-6
def varimax(M):
    v = 0
    for s in range(2):
        col = [M[(j, s)] ** 2 for j in range(5)]
        v += 5 * sum(x * x for x in col) - sum(col) ** 2
    return v
for j in range(5):
    for t in range(2):
        assert abs(RL[(j, t)] - sum(L[(j, u)] * T[(u, t)] for u in range(2))) < 1e-3  # table shows 3 decimals
    h = sum(L[(j, s)] ** 2 for s in range(2)); hr = sum(RL[(j, s)] ** 2 for s in range(2))
    assert abs(h - hr) < 1e-6
assert varimax(RL) >= varimax(L) - 1e-9
print("correlations, eigenvalues and the orthogonal rotation agree")
