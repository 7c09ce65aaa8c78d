# CATPCA of two nominal variables in one dimension: the eigenvalue is 1 plus
# the first canonical correlation of the two variables, i.e. 1 + the first
# singular value of the correspondence analysis of their cross table
# (computed here from data.csv: the largest eigenvalue of K K', with
# K = D_r^-1/2 (F/n - r c') D_c^-1/2).
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
n = len(rows)
a = sorted(set(r["party"] for r in rows)); b = sorted(set(r["paper"] for r in rows))
F = [[sum(1 for r in rows if r["party"] == x and r["paper"] == y) / n for y in b] for x in a]
rm = [sum(row) for row in F]; cm = [sum(F[i][k] for i in range(len(a))) for k in range(len(b))]
K = [[(F[i][k] - rm[i] * cm[k]) / math.sqrt(rm[i] * cm[k]) for k in range(len(b))] for i in range(len(a))]
KK = [[sum(K[i][k] * K[l][k] for k in range(len(b))) for l in range(len(a))] for i in range(len(a))]
sv = math.sqrt(jacobi(KK)[0])
report = json.load(open(sys.argv[1]))
_, summ = table(report, "Model Summary")
assert abs(summ[(0, 1)] - (1 + sv)) < 1e-6, (summ[(0, 1)], 1 + sv)
print("eigenvalue = 1 + first singular value of the cross table")
