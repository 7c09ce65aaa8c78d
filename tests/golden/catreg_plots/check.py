# CATREG charts against the tables and the saved values of the same fit:
#  - the transformation chart of c holds its Quantifications;
#  - residual charts: a case's point is its partial residual RES_1 + Beta_j
#    TRA<j>_1 at its category value (active cases on the first chart, the
#    supplementary case 5 on the second), the line is Beta_j q_c;
#  - the lasso path chart holds every model's coefficients at its
#    standardized sum of coefficients (Lasso Models and Coefficients tables).
import csv, json, os, sys
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
from golden_check import cmd_tables, cells, leaf
from plotlib import charts

report = json.load(open(sys.argv[1]))
out = list(csv.DictReader(open("out.csv")))
cmd = [c for c in report["commands"] if cmd_tables(c, "Coefficients")][0]
beta = {v: cells(cmd_tables(cmd, "Coefficients")[0])[(j, 0)] for j, v in enumerate("abc")}
q = {}
for t in cmd_tables(cmd, "Quantifications"):
    k = cells(t)
    q[t["dimensions"][0]["label"]["text"]] = {float(leaf(c)): k[(i, 1)] for i, c in enumerate(t["dimensions"][0]["categories"])}

(tc,) = charts(report, "Transformation ^1")
assert [(float(a), b) for a, b in tc["rows"]] == sorted(q["c"].items())

for j, v in ((1, "a"), (2, "b")):
    first = [c for c in charts(report, "E62930^1^2") if c["title"]["text"].endswith(" on " + v)][0]
    second = [c for c in charts(report, "E62931^1") if c["title"]["text"].endswith(" on " + v)][0]
    for ch, active in ((first, True), (second, False)):
        pts = [r for r in ch["rows"] if r[3] == 1.0]
        line = [r for r in ch["rows"] if r[4] == 1.0]
        cases = [i for i in range(len(out)) if (i != 4) == active]
        assert [int(r[2]) for r in pts] == [i + 1 for i in cases]
        for r, i in zip(pts, cases):
            o = out[i]
            assert r[0] == float(o[v])
            e = float(o["RES_1"]) + beta[v] * float(o["TRA%d_1" % (j + 1)])
            assert abs(r[1] - e) < 1e-12, (v, i, r[1], e)
        assert [(r[0], r[1]) for r in line] == [(x, beta[v] * qq) for x, qq in sorted(q[v].items())]

(pc,) = charts(report, "E62947")
lasso = [c for c in report["commands"] if cmd_tables(c, "Lasso Models")][0]
m = cells(cmd_tables(lasso, "Lasso Models")[0])
b = cells(cmd_tables(lasso, "Lasso Coefficients")[0])
M = 6
expect = [(m[(k, 3)], b[(k, 1 + j)], v) for j, v in enumerate("abc") for k in range(M)]
assert [tuple(r) for r in pc["rows"]] == expect, (pc["rows"], expect)
