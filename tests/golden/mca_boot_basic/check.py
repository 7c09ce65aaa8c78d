# MULTIPLE CORRESPONDENCE bootstrap: ordered intervals holding the bootstrap
# means (50 samples at 95%: the smallest and largest replicate values), the
# footnote with the method and B, and full-sample values equal to those of
# the analysis without resampling.
import json, os, sys
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
from bootlib import *


report = json.load(open(sys.argv[1]))
runs = [c for c in report["commands"] if tables(c, "MCOR DiscrMeasures")]
assert len(runs) == 2, len(runs)
boot, plain = runs

tb = tables(boot, "Model Summary")[0]
assert not any(p[-1] == "% of Variance" for p in columns(tb).values())

for key in ("Model Summary Bootstrap Results", "MCOR DiscrMeasures Boot", "CPR Centroids Boot", "CPR Objects Boot"):
    ts = tables(boot, key)
    assert ts, key
    for t in ts:
        note(t, "CPR BBoot Procru N ^1", 50)
        check_intervals(t, True)
assert len(tables(boot, "CPR Centroids Boot")) == 3

# Full-sample values beside the bootstrap columns.
disc = cells(tables(plain, "MCOR DiscrMeasures")[0])
db, _ = boot_values(tables(boot, "MCOR DiscrMeasures Boot")[0])
assert len(db) == 6
for (r, g), val in db.items():
    assert abs(val - disc[(r, int(g.split("|")[1]) - 1)]) < 1e-9, (r, g)
obj = cells(tables(plain, "Object Scores")[0])
ob, areas = boot_values(tables(boot, "CPR Objects Boot")[0])
for (r, g), val in ob.items():
    assert abs(val - obj[(r, int(g.split("|")[1]) - 1)]) < 1e-9
assert all(a is None or a > 0 for a in areas.values())
assert len(charts(boot, "Confidence Ellipses Labeled by")) == 3
print("ok")
