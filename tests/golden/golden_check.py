# Helpers shared by the golden cases' check.py scripts: reading tables out of
# the JSON report and the small linear algebra that independent reference
# values need (no third-party packages on a fresh machine).
import math

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


def grid(t):
    cells = {tuple(c["categories"]): c.get("value") for c in t["cells"]}
    cols = [[p.get("key") or p["text"] for p in cat["path"]] for cat in t["dimensions"][1]["categories"]]
    return cells, cols


def find(cols, *path):
    return [i for i, p in enumerate(cols) if p[-len(path):] == list(path)][0]


# Per-command readers: items of a command with its headings flattened, its
# tables by title key, a table's cells by category ids, a category's label.
def walk(items):
    for it in items:
        if it["type"] == "heading":
            yield from walk(it["items"])
        else:
            yield it


def cmd_tables(cmd, key):
    return [t for t in walk(cmd["items"]) if t["type"] == "table" and t["title"]["key"] == key]


def cells(t):
    return {tuple(c["categories"]): c["value"] for c in t["cells"]}


def leaf(cat):
    p = cat["path"][-1]
    return p.get("text") or p.get("key")


def lstsq(cols, y, w=None):
    """Weighted least squares of y on the columns `cols` (lists of equal
    length) by the normal equations; returns (coefficients, fitted values)."""
    n, k = len(y), len(cols)
    w = w or [1.0] * n
    A = [[sum(w[i] * cols[r][i] * cols[c][i] for i in range(n)) for c in range(k)]
         + [sum(w[i] * cols[r][i] * y[i] for i in range(n))] for r in range(k)]
    for c in range(k):  # Gauss-Jordan with partial pivoting
        piv = max(range(c, k), key=lambda r: abs(A[r][c]))
        A[c], A[piv] = A[piv], A[c]
        for r in range(k):
            if r != c:
                f = A[r][c] / A[c][c]
                A[r] = [a - f * b for a, b in zip(A[r], A[c])]
    b = [A[r][k] / A[r][r] for r in range(k)]
    return b, [sum(b[c] * cols[c][i] for c in range(k)) for i in range(n)]


def object_scores(cmd, p):
    """Object scores of a command as rows of p values, in case order."""
    t = cmd_tables(cmd, "Object Scores")[0]
    c = cells(t)
    return [[c[(i, s)] for s in range(p)] for i in range(len(t["dimensions"][0]["categories"]))]


def quantifications(cmd, p):
    """Per variable name: category labels, frequencies, quantifications and
    centroids (rows of p values) from the Quantifications tables of a
    command with single-level variables."""
    out = {}
    for t in cmd_tables(cmd, "Quantifications"):
        c = cells(t)
        labels = [leaf(k) for k in t["dimensions"][0]["categories"]]
        K = range(len(labels))
        out[t["dimensions"][0]["label"]["text"]] = (
            labels, [c[(k, 0)] for k in K], [c[(k, 1)] for k in K],
            [[c[(k, 2 + s)] for s in range(p)] for k in K])
    return out


def standardized_solution(report_path, p, data="data.csv"):
    """The data rows and the command with object scores, whose p columns are
    checked to be centred with sum of squares N (the active objects).
    Returns (rows, N, cmd, X)."""
    import csv
    import json
    rows = list(csv.DictReader(open(data)))
    n = len(rows)
    report = json.load(open(report_path))
    cmd = [c for c in report["commands"] if cmd_tables(c, "Object Scores")][0]
    X = object_scores(cmd, p)
    assert len(X) == n
    for s in range(p):
        col = [x[s] for x in X]
        assert abs(sum(col)) < 1e-8 and abs(sum(v * v for v in col) - n) < 1e-6, ("scores", s)
    return rows, n, cmd, X
