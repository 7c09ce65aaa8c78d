# Bootstrap samples with a constant dependent or predictor:
#  - no cell of any table is NaN or infinite, and every bootstrap standard
#    error of a coefficient is a number >= 0;
#  - x reproduces y exactly (both take their second value in case 5 only),
#    so the unpenalized fits have R square 1, and the lasso models with
#    penalty L keep x alone with the soft-thresholded coefficient 1 - L/2.
import json, math, os, sys
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
from golden_check import cmd_tables, cells, walk

report = json.load(open(sys.argv[1]))
cmds = [c for c in report["commands"] if cmd_tables(c, "Model Summary")]
assert len(cmds) == 3, len(cmds)
for c in cmds:
    for t in walk(c["items"]):
        if t["type"] != "table":
            continue
        for cell in t["cells"]:
            v = cell.get("value")
            if isinstance(v, float):
                assert math.isfinite(v), (t["title"]["key"], cell)
    co = cells(cmd_tables(c, "Coefficients")[0])
    ses = [v for (row, col), v in co.items() if col == 1]
    assert ses and all(isinstance(v, float) and v >= 0 for v in ses), ses

s = cells(cmd_tables(cmds[0], "Model Summary")[0])
assert abs(s[(1,)] - 1) < 1e-9, s
path = cells(cmd_tables(cmds[1], "Lasso Coefficients")[0])
for k, lam in ((1, 0.2), (2, 0.4)):
    assert path[(k, 0)] == 1, path
    assert abs(path[(k, 1)] - (1 - lam / 2)) < 1e-9, (k, path[(k, 1)])
    assert all(path[(k, j)] == 0 for j in (2, 3, 4))
