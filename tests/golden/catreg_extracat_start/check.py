# The preliminary numerical run with a far-off extra category: iteration 0
# must be the least-squares fit of y on x and g taken as numbers, the extra
# category of x at its value 501 (the value after the largest, 500), over
# the 36 cases with y and x (reglib.r_square, recomputed here); the run stops
# at a loss change of 1e-4, hence the tolerance. Every history value is
# finite and the converged fit has APE = 1 - R square.
import csv, json, math, os, sys
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
from golden_check import cmd_tables, cells
from reglib import r_square

rows = [r for r in csv.DictReader(open("data.csv")) if r["y"] != ""]
y = [float(r["y"]) for r in rows]
x = [float(r["x"]) if r["x"] != "" else 501.0 for r in rows]
g = [float(r["g"]) for r in rows]
r2_0 = r_square([x, g], y)
report = json.load(open(sys.argv[1]))
h = cells(cmd_tables(report["commands"][1], "Iteration History")[0])
for v in h.values():
    assert isinstance(v, float) and math.isfinite(v), h
assert abs(h[(0, 0)] - r2_0) < 1e-3, (h[(0, 0)], r2_0)
s = cells(cmd_tables(report["commands"][1], "Model Summary")[0])
assert abs(s[(3,)] - (1 - s[(1,)])) < 1e-9, s
