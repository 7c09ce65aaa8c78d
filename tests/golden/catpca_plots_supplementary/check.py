# Supplementary objects and variables in the charts, against the tables:
#  - the object chart holds every object with a score (the excluded case 5
#    has none and is not drawn), the supplementary cases 3 and 7 in their own
#    group drawn by an element of their own, the others in "Objects";
#  - the loadings chart and the biplot put the supplementary variable edu in
#    "Supplementary Variables", at its loadings from the table;
#  - each point is drawn by exactly one element.
import json, sys, os
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
from plotlib import *

report = json.load(open(sys.argv[1]))
obj = matrix(tables(report, "Object Scores")[0])
load = matrix(tables(report, "Component Loadings")[0])
supp = {"3", "7"}


def drawn_by(ch, row):
    """Elements whose rows include `row` (dict of column text -> value)."""
    out = []
    for e in ch["elements"]:
        if e["rows"] is None:
            out.append(e)
            continue
        name = ch["columns"][e["rows"]]["name"]["text"]
        if row.get(name) is not None:
            out.append(e)
    return out


def check_objects(ch, rows):
    objs = [r for r in rows if r["Points"] in ("Objects", "Supplementary Objects")]
    labels = sorted(r["Label"] for r in objs)
    check(labels == sorted(k for k, v in obj.items() if v[0] is not None), "objects with a score", labels)
    check("5" not in labels, "the excluded case is not drawn")
    for r in objs:
        want = "Supplementary Objects" if r["Label"] in supp else "Objects"
        check(r["Points"] == want, "group of", r["Label"], r["Points"])
        check(close(r["Dimension 1"], obj[r["Label"]][0]) and close(r["Dimension 2"], obj[r["Label"]][1]), "score", r)
        els = drawn_by(ch, r)
        check(len(els) == 1 and els[0]["kind"] == "point", "one point element for", r["Label"])
    # The supplementary objects have an element of their own.
    el_of = {r["Label"]: id(drawn_by(ch, r)[0]) for r in objs}
    check(len({el_of[k] for k in supp}) == 1 and el_of["3"] not in {el_of[k] for k in el_of if k not in supp},
          "supplementary element")


(op,) = charts(report, "Object Points Labeled by")
check(op["title"]["text"] == "Object Points Labeled by Case Number", op["title"])
check_objects(op, chart_rows(op))

(lc,) = charts(report, "Component Loadings")
lrows = chart_rows(lc)
check(sorted(r["Label"] for r in lrows) == ["edu", "q1", "q2", "q3", "q4"], "loadings", lrows)
for r in lrows:
    check(r["Points"] == ("Supplementary Variables" if r["Label"] == "edu" else "Variables"), "group", r)
    check(close(r["Dimension 1"], load[r["Label"]][0]) and close(r["Dimension 2"], load[r["Label"]][1]), "loading", r)

(bp,) = charts(report, "BiPlot loadings,objects")
brows = chart_rows(bp)
check_objects(bp, brows)
vec = {r["Label"]: r for r in brows if r["Points"] in ("Component Loadings", "Supplementary Variables")}
check(sorted(vec) == ["edu", "q1", "q2", "q3", "q4"], "vectors", sorted(vec))
check(vec["edu"]["Points"] == "Supplementary Variables", "edu is supplementary")
for k, r in vec.items():
    els = drawn_by(bp, r)
    check(len(els) == 1 and els[0]["kind"] == "vector", "one vector element for", k)
    check(close(r["Dimension 1"], load[k][0]) and close(r["Dimension 2"], load[k][1]), "vector tip", k)
