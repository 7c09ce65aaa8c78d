# Biplots, triplot, residual plots and projected centroids, checked against
# the printed tables and against facts computed here from data.csv:
#  - loading vectors (a vector element, drawn from the origin) end at the
#    Component Loadings;
#  - the centroids are the category means of the printed object scores;
#  - a residual plot of a single variable pairs its quantification with the
#    object scores times its loadings, and the mean of their product is the
#    variable's vector VAF (loadings are correlations with standardized scores);
#    for the multiple nominal variable the mean product of centroid and
#    score is its centroid VAF in that dimension;
#  - a projected centroid is centroid . a_j / |a_j|.
import csv, json, math, sys, os
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
from plotlib import *

data = list(csv.DictReader(open("data.csv")))
n = len(data)
report = json.load(open(sys.argv[1]))
obj = matrix(tables(report, "Object Scores")[0])
X = [obj[str(i + 1)] for i in range(n)]
load = matrix(tables(report, "Component Loadings")[0])
vaf_t = tables(report, "Variance Accounted For")[0]
vaf = matrix(vaf_t)
vtot = column(vaf_t, "Total")

def quant(var):
    t = tables(report, "Quantifications", var)[0]
    return matrix(t), t

def means(var, s):
    g = {}
    for r, x in zip(data, X): g.setdefault(r[var], []).append(x[s])
    return {c: sum(v) / len(v) for c, v in g.items()}

cent = {s: means("region", s) for s in range(2)}
dims = ["Dimension 1", "Dimension 2"]

def check_objects(rows):
    objs = [r for r in rows if r["Points"] == "Objects" and r["Dimension 1"] is not None]
    check(len(objs) == n, "objects", len(objs))
    for r in objs:
        x = X[int(r["Label"]) - 1]
        check(close(r["Dimension 1"], x[0]) and close(r["Dimension 2"], x[1]), "object", r)

def check_vectors(ch, names):
    # Loadings are rows drawn by a vector element (from the origin), and only
    # by it: the point element is restricted to the other rows.
    rows = chart_rows(ch)
    kinds = {e["kind"]: e for e in ch["elements"]}
    check(set(kinds) == {"vector", "point"}, "elements", kinds)
    vcol = ch["columns"][kinds["vector"]["rows"]]["name"]["text"]
    pcol = ch["columns"][kinds["point"]["rows"]]["name"]["text"]
    vec = [r for r in rows if r["Points"] == "Component Loadings"]
    check(all(r[vcol] == 1 and r[pcol] is None for r in vec), "vector rows")
    check(all(r[pcol] == 1 and r[vcol] is None for r in rows if r["Points"] != "Component Loadings"), "point rows")
    tips = {r["Label"]: r for r in vec}
    check(sorted(tips) == sorted(names) and len(vec) == len(names), "vectors", sorted(tips))
    for v, r in tips.items():
        check(close(r["Dimension 1"], load[v][0]) and close(r["Dimension 2"], load[v][1]), "loading", v)

def check_centroids(rows):
    pts = [r for r in rows if r["Points"] == "region" and r["Dimension 1"] is not None]
    check(len(pts) == 4, "centroids", len(pts))
    for r in pts:
        for s in range(2):
            check(close(r[dims[s]], cent[s][r["Label"]], 1e-5), "centroid", r)

bl_chart = charts(report, "BiPlot loadings,objects")[0]
bl = chart_rows(bl_chart)
check_objects(bl); check_vectors(bl_chart, ["income", "trust", "age"])
bc = chart_rows(charts(report, "BiPlot centroids,objects")[0])
check_objects(bc); check_centroids(bc)
check(not [r for r in bc if r["Points"] == "Component Loadings"], "no vectors in the centroid biplot")
tp_chart = charts(report, "TriPlot Header")[0]
tp = chart_rows(tp_chart)
check_objects(tp); check_vectors(tp_chart, ["income", "trust", "age"]); check_centroids(tp)

# Residuals of income.
qi, _ = quant("income")
qcol = column(tables(report, "Quantifications", "income")[0], "Quantification")
res = chart_rows(charts(report, "Residuals ^1", "income")[0])
check(len(res) == n, "residual points", len(res))
want = sorted((X[i][0] * load["income"][0] + X[i][1] * load["income"][1], qi[data[i]["income"]][qcol])
              for i in range(n))
got = sorted((r["Approximation"], r["Quantification"]) for r in res)
for (a, b), (c, d) in zip(got, want):
    check(close(a, c) and close(b, d), "residual point", (a, b), (c, d))
mean_prod = sum(a * b for a, b in got) / n
check(close(mean_prod, vaf["income"][vtot], 1e-5), "mean q*approx", mean_prod, vaf["income"][vtot])

# Residuals of region per dimension: centroid against object score.
for s in range(2):
    res = chart_rows(charts(report, "Residuals ^1", "region, Dimension %d" % (s + 1))[0])
    got = sorted((r["Approximation"], r["Centroid Coordinate"]) for r in res)
    want = sorted((X[i][s], cent[s][data[i]["region"]]) for i in range(n))
    for (a, b), (c, d) in zip(got, want):
        check(close(a, c) and close(b, d, 1e-5), "centroid residual", s, (a, b), (c, d))
    mean_prod = sum(a * b for a, b in got) / n
    check(close(mean_prod, vaf["region"][s], 1e-5), "mean centroid*score", s, mean_prod, vaf["region"][s])

# Projected centroids: table and chart.
pt = matrix(tables(report, "Projected Centroids")[0])
pc = chart_rows(charts(report, "Projected Centroids ^1", "region")[0])
check(len(pc) == 12, "projected points", len(pc))
for k, v in enumerate(["income", "trust", "age"]):
    a = load[v]; na = math.hypot(a[0], a[1])
    for c in ["1", "2", "3", "4"]:
        want = (cent[0][c] * a[0] + cent[1][c] * a[1]) / na
        check(close(pt[c][k], want, 1e-5), "projection table", v, c, pt[c][k], want)
        p = [r for r in pc if r["Centroids Projected on"] == v and r["Label"] == c]
        check(len(p) == 1 and close(p[0]["Projected Centroid"], want, 1e-5), "projection chart", v, c)
print("biplot, triplot, residual and projected centroid charts agree")
