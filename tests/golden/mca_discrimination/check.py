# MULTIPLE CORRESPONDENCE of three nominal variables, checked against facts
# computed here from data.csv without the program:
#  - the eigenvalues are the largest eigenvalues of sum_j P_j, P_j the
#    projector on the centred indicator columns of variable j (homogeneity
#    analysis maximizes the summed squared correlation ratios);
#  - "MCOR Inertia" is the eigenvalue divided by the number of variables;
#  - each discrimination measure is the squared correlation ratio of the
#    variable with that dimension of the object scores.
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
names = ["region", "transport", "housing"]
n = len(rows)
codes = [[r[v] for r in rows] for v in names]
S = [[0.0] * n for _ in range(n)]
for col in codes:
    cnt = {}
    for c in col: cnt[c] = cnt.get(c, 0) + 1
    for i in range(n):
        for k in range(n):
            S[i][k] += (1.0 / cnt[col[i]] if col[i] == col[k] else 0.0) - 1.0 / n
ev = jacobi(S)
report = json.load(open(sys.argv[1]))

_, summ = table(report, "Model Summary")
for s in range(2):
    assert abs(summ[(s, 1)] - ev[s]) < 1e-6, ("eigenvalue", s, summ[(s, 1)], ev[s])
    assert abs(summ[(s, 2)] - ev[s] / 3) < 1e-6, "inertia"
    assert abs(summ[(s, 3)] - 100 * ev[s] / 3) < 1e-5
_, obj = table(report, "Object Scores")
_, disc = table(report, "MCOR DiscrMeasures")
for s in range(2):
    x = [obj[(i, s)] for i in range(n)]
    mx = sum(x) / n
    tss = sum((v - mx) ** 2 for v in x)
    total = 0
    for j, col in enumerate(codes):
        groups = {}
        for c, v in zip(col, x): groups.setdefault(c, []).append(v)
        bss = sum(len(g) * (sum(g) / len(g) - mx) ** 2 for g in groups.values())
        eta2 = bss / tss
        assert abs(disc[(j, s)] - eta2) < 1e-6, ("discrimination", j, s, disc[(j, s)], eta2)
        total += eta2
    assert abs(total - ev[s]) < 1e-6
print("eigenvalues, inertia and discrimination measures agree")
