# MULTIPLE CORRESPONDENCE: the biplot shows the objects and, for each named
# variable, its category centroids, which are the category means of the
# printed object scores (computed here from data.csv); the residual plot of a
# variable in dimension s pairs each object's score with its category's
# centroid, and their mean product is the discrimination measure (the
# squared correlation ratio, since the scores are standardized).
import csv, json, sys, os
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
from plotlib import *

data = list(csv.DictReader(open("data.csv")))
n = len(data)
report = json.load(open(sys.argv[1]))
obj = matrix(tables(report, "Object Scores")[0])
X = [obj[str(i + 1)] for i in range(n)]
disc = matrix(tables(report, "MCOR DiscrMeasures")[0])

def means(var, s):
    g = {}
    for r, x in zip(data, X): g.setdefault(r[var], []).append(x[s])
    return {c: sum(v) / len(v) for c, v in g.items()}

bc = [p for p in chart_rows(charts(report, "BiPlot centroids,objects")[0]) if p["Dimension 1"] is not None]
check(len([p for p in bc if p["Points"] == "Objects"]) == n, "objects")
check({p["Points"] for p in bc} == {"Objects", "region", "housing"}, {p["Points"] for p in bc})
for var in ("region", "housing"):
    m = [means(var, 0), means(var, 1)]
    pts = [p for p in bc if p["Points"] == var]
    check(len(pts) == len(m[0]), "categories", var)
    for p in pts:
        for s in range(2):
            check(close(p["Dimension %d" % (s + 1)], m[s][p["Label"]], 1e-5), "centroid", var, p)

res = charts(report, "Residuals ^1")
check([c["subtitle"]["text"] for c in res] == ["transport, Dimension 1"], "one dimension asked for")
m = means("transport", 0)
got = sorted((p["Approximation"], p["Centroid Coordinate"]) for p in chart_rows(res[0]))
want = sorted((X[i][0], m[data[i]["transport"]]) for i in range(n))
check(len(got) == n, "points")
for (a, b), (c, d) in zip(got, want):
    check(close(a, c) and close(b, d, 1e-5), "residual point", (a, b), (c, d))
mp = sum(a * b for a, b in got) / n
check(close(mp, disc["transport"][0], 1e-5), "mean product", mp, disc["transport"][0])
print("MCA biplot centroids and residuals agree")
