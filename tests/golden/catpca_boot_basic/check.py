# Structural facts of the bootstrap tables: every interval is ordered, the
# bootstrap mean lies in the 95% interval (with 50 samples that interval runs
# from the smallest to the largest replicate value), the footnote names the
# method and the number of samples, and the full-sample values shown beside
# the bootstrap columns are those of the same analysis without resampling.
import json, os, sys
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
from bootlib import *


report = json.load(open(sys.argv[1]))
runs = [c for c in report["commands"] if tables(c, "Component Loadings")]
assert len(runs) == 3, len(runs)
boot, plain, unbal = runs

# Model summary: no percentages in a bootstrap run; eigenvalues as without it.
def summary(c):
    t = tables(c, "Model Summary")[0]
    cols = columns(t)
    return t, cols, cells(t)
tb, cb, vb = summary(boot)
tp, cp, vp = summary(plain)
assert not any(p[-1] == "% of Variance" for p in cb.values())
assert any(p[-1] == "% of Variance" for p in cp.values())
eig_b = [cid for cid, p in cb.items() if p[-1] == "Total (Eigenvalue)"][0]
eig_p = [cid for cid, p in cp.items() if p[-1] == "Total (Eigenvalue)"][0]
for r in range(3):
    assert abs(vb[(r, eig_b)] - vp[(r, eig_p)]) < 1e-9

for key in ("Model Summary Bootstrap Results", "CPR VAF Boot", "CPR Loadings Boot", "CPR Centroids Boot",
            "CPR Objects Boot"):
    ts = tables(boot, key)
    assert ts, key
    for t in ts:
        note(t, "CPR BBoot Procru N ^1", 50)
        check_intervals(t, True)

# Full-sample values beside the bootstrap columns.
load = cells(tables(plain, "Component Loadings")[0])
lb, areas = boot_values(tables(boot, "CPR Loadings Boot")[0])
for (r, g), val in lb.items():
    s = int(g.split("|")[1])
    assert abs(val - load[(r, s - 1)]) < 1e-9, (r, g, val)
assert len(areas) == 5 and all(a > 0 for a in areas.values())
obj = cells(tables(plain, "Object Scores")[0])
ob, _ = boot_values(tables(boot, "CPR Objects Boot")[0])
assert len(ob) == 80
for (r, g), val in ob.items():
    assert abs(val - obj[(r, int(g.split("|")[1]) - 1)]) < 1e-9

# Ellipses drawn for the loadings, the categories of v2 and the objects.
ell = charts(boot, "Confidence Ellipses Labeled by")
assert len(ell) == 3, len(ell)

# The unbalanced reflected run: its own footnote, ordered 90% intervals.
t = tables(unbal, "CPR Loadings Boot")[0]
note(t, "CPR UBoot Refl N ^1", 50)
check_intervals(t, False)
assert any(p[-2]["key"] == "CPR ^1 CI" and p[-2]["params"] == ["90"]
           for p in (c["path"] for c in t["dimensions"][1]["categories"]) if len(p) > 2)
print("ok")
