# Test cases with unseen categories, recomputed from data.csv and the
# printed quantifications and coefficients:
#  1. y and x are numerical (their quantifications are the values
#     standardized over the 30 training cases); a test case with z = 3 gets
#     the quantification halfway between those of z = 2 and z = 4; the case
#     with z = 7 lies beyond the training range and is left out. The test
#     error is the mean squared error of the other five test cases, its
#     standard error sqrt(sum (e - mse)^2) / 5.
#  2. every test case has the unseen nominal category g = 4: the test error
#     is missing, with the note that no test case could be predicted.
import csv, json, math, os, sys
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
from golden_check import cmd_tables, cells

rows = list(csv.DictReader(open("data.csv")))
col = lambda v: [float(r[v]) for r in rows]
train = range(30)


def std(x):
    m = sum(x[i] for i in train) / 30
    s = math.sqrt(sum((x[i] - m) ** 2 for i in train) / 30)
    return [(v - m) / s for v in x]


report = json.load(open(sys.argv[1]))
cmds = [c for c in report["commands"] if cmd_tables(c, "Model Summary")]
assert len(cmds) == 2
y, x, z = std(col("y")), std(col("x")), col("z")
q = {int(k[0]) + 1: v for k, v in cells(cmd_tables(cmds[0], "Quantifications")[0]).items() if k[1] == 1}
assert q[4] - q[2] > 0.5, q  # a real slope to interpolate on
q[3] = (q[2] + q[4]) / 2
beta = cells(cmd_tables(cmds[0], "Coefficients")[0])
bx, bz = beta[(0, 0)], beta[(1, 0)]
errs = [(y[i] - bx * x[i] - bz * q[int(z[i])]) ** 2 for i in range(30, 36) if z[i] != 7]
assert len(errs) == 5
mse = sum(errs) / 5
se = math.sqrt(sum((e - mse) ** 2 for e in errs)) / 5
t = cmd_tables(cmds[0], "Model Summary")[0]
s = {k[1]: c for k, c in ((tuple(c["categories"]), c) for c in t["cells"]) if k[0] == 0}
assert abs(s[7]["value"] - mse) < 1e-6, (s[7]["value"], mse)
assert abs(s[8]["value"] - se) < 1e-6, (s[8]["value"], se)
assert s[9]["value"] == 5 and s[9]["footnotes"], s[9]
assert s[6]["value"] == 30

t = cmd_tables(cmds[1], "Model Summary")[0]
s = {c["categories"][1]: c for c in t["cells"] if c["categories"][0] == 0}
assert s[7]["value"] is None and s[7]["footnotes"], s[7]
keys = {f["marker"]: f["key"] for f in t["footnotes"]}
assert keys[s[7]["footnotes"][0]] == "Annot test cases all sysmis.", keys
assert 9 not in s  # no test case used: the N cell stays empty
