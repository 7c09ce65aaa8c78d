# NDIM pairs and the scatterplot matrix, residuals under the object principal
# and the independent normalization, and the requests that cannot be met.
# The residual identity: the quantification times X a_j (standardized scores
# and correlation loadings) averages to the variable's vector VAF; the shown
# scores and loadings give that product directly under OPRINCIPAL, and under
# INDEPENDENT after dividing dimension s by sqrt(eigenvalue s).
import csv, json, math, sys, os
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
from plotlib import *

data = list(csv.DictReader(open("data.csv")))
n = len(data)
report = json.load(open(sys.argv[1]))
cmds = [{"commands": [c]} for c in report["commands"] if c["name"] == "CATPCA"]
check(len(cmds) == 4, "commands", len(cmds))
dims = ["Dimension %d" % (s + 1) for s in range(3)]

def keys(r):
    return [i["key"] if i["type"] == "message" else i["title"]["key"] for i in items(r)
            if i["type"] in ("message", "chart")]

def residual_identity(r, var, scale):
    obj = matrix(tables(r, "Object Scores")[0])
    load = matrix(tables(r, "Component Loadings")[0])
    vt = tables(r, "Variance Accounted For")[0]
    qt = tables(r, "Quantifications", var)[0]
    q = matrix(qt)
    qc = column(qt, "Quantification")
    res = chart_rows(charts(r, "Residuals ^1", var)[0])
    want = sorted((sum(obj[str(i + 1)][s] * load[var][s] * scale[s] for s in range(3)), q[data[i][var]][qc])
                  for i in range(n))
    got = sorted((p["Approximation"], p["Quantification"]) for p in res)
    check(len(got) == n, "residual points", var)
    for (a, b), (c, d) in zip(got, want):
        check(close(a, c, 1e-5) and close(b, d), "residual point", var, (a, b), (c, d))
    mp = sum(a * b for a, b in got) / n
    total = matrix(vt)[var][column(vt, "Total")]
    check(close(mp, total, 1e-5), "mean product", var, mp, total)
    return obj, load

# 1. OPRINCIPAL, NDIM(1,3): dimension 1 against 2 and against 3.
r = cmds[0]
check(keys(r) == ["^1, Dimensions ^2 and ^3", "^1, Dimensions ^2 and ^3", "Residuals ^1"], keys(r))
obj, load = residual_identity(r, "trust", [1, 1, 1])
pairs = charts(r, "^1, Dimensions ^2 and ^3")
check(len(pairs) == 2, "two pairs")
for ch, k in zip(pairs, (1, 2)):
    # Each title names its pair: the two charts differ in the outline.
    check(ch["title"]["text"] == "Biplot of Objects and Component Loadings, Dimensions 1 and %d" % (k + 1),
          ch["title"]["text"])
    check(ch["x_label"]["text"] == "Dimension 1" and ch["y_label"]["text"] == dims[k], "pair", k)
    rows = chart_rows(ch)
    tips = {p["Label"]: p for p in rows if p["Points"] == "Component Loadings" and p["Label"]}
    check(sorted(tips) == ["age", "income", "trust"], sorted(tips))
    for v, p in tips.items():
        check(close(p["Dimension 1"], load[v][0]) and close(p[dims[k]], load[v][k]), "tip", v, k)

# 2. INDEPENDENT: no biplot, objects as a scatterplot matrix with the note,
# residuals with the eigenvalue scale taken out.
r = cmds[1]
check(keys(r) == ["CPR Indep norm no biplot.", "Object Points Labeled by", "Note on NDIM plot keyword.",
                  "Residuals ^1"], keys(r))
ch = charts(r, "Object Points Labeled by")[0]
check(len(ch.get("splom", [])) == 3, "scatterplot matrix")
summ = matrix(tables(r, "Model Summary")[0])
lam = [summ[str(s + 1)][column(tables(r, "Model Summary")[0], "Total (Eigenvalue)")] for s in range(3)]
residual_identity(r, "age", [1 / math.sqrt(l) for l in lam])

# 3. One dimension: the note and no chart.
check(keys(cmds[2]) == ["CPR No plots one dimension."], keys(cmds[2]))

# 4. Multiple nominal variables left out of the loadings; projections only on
# single variables.
r = cmds[3]
check(keys(r) == ["CPR BIPLOT(LOADING) for MNOM.", "BiPlot loadings,objects", "CPR no multiple variables triplot.",
                  "TriPlot Header", "CPR PROJCENT on MNOM ^1.", "Projected Centroids ^1"], keys(r))
bl = chart_rows(charts(r, "BiPlot loadings,objects")[0])
check(sorted({p["Label"] for p in bl if p["Points"] == "Component Loadings" and p["Label"]}) == ["trust"], "biplot")
tp = chart_rows(charts(r, "TriPlot Header")[0])
check(sorted({p["Label"] for p in tp if p["Points"] == "Component Loadings" and p["Label"]}) == ["age", "trust"],
      "triplot vectors")
check(not [p for p in tp if p["Points"] not in ("Objects", "Component Loadings")], "triplot centroids")
_, cols, _ = grid(tables(r, "Projected Centroids")[0])
check(cols == [["trust"]], "projected on", cols)
print("NDIM pairs, scatterplot matrix, residual scales and refused requests agree")
