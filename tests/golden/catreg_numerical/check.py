# Every variable numerical: the fit is least squares on the standardized
# variables. Checked against the normal equations solved here from data.csv:
#  - Beta, R Square, Adjusted R Square, the ANOVA (sums of squares, df, F);
#  - zero-order r, partial t/sqrt(t^2 + df), part beta*sqrt(tolerance),
#    tolerance 1/diag(R^-1) (before = after transformation for numerical
#    variables), Pratt's importance beta*r/R^2 summing to 1;
#  - the bootstrap standard errors are within a factor 1.5 of the classical ones;
#  - no iteration 0 row (no preliminary run), the last decrease below CRITITER.
import csv, json, math, os, sys
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
from golden_check import table
from reglib import ols_reference

rows = list(csv.DictReader(open("data.csv")))
col = lambda v: [float(r[v]) for r in rows]
ref = ols_reference(col("y"), [col("a"), col("b"), col("c")])
N, p = len(rows), 3
report = json.load(open(sys.argv[1]))
close = lambda a, b, tol=1e-6: abs(a - b) < tol

_, s = table(report, "Model Summary")
assert close(s[(0,)], math.sqrt(ref["R2"])) and close(s[(1,)], ref["R2"]), s
assert close(s[(2,)], 1 - (1 - ref["R2"]) * (N - 1) / (N - p - 1))
assert close(s[(3,)], 1 - ref["R2"])

_, a = table(report, "ANOVA")
assert close(a[(0, 0)], N * ref["R2"]) and close(a[(1, 0)], N * (1 - ref["R2"]))
assert a[(0, 1)] == p and a[(1, 1)] == N - p - 1 and a[(2, 1)] == N - 1
F = (ref["R2"] / p) / ((1 - ref["R2"]) / (N - p - 1))
assert close(a[(0, 3)], F, 1e-4 * F), (a[(0, 3)], F)

_, c = table(report, "Coefficients")
for j in range(p):
    assert close(c[(j, 0)], ref["beta"][j]), (j, c[(j, 0)], ref["beta"][j])
    assert 1 / 1.5 < c[(j, 1)] / ref["se"][j] < 1.5, (j, c[(j, 1)], ref["se"][j])
    assert c[(j, 2)] == 1
    assert close(c[(j, 3)], (c[(j, 0)] / c[(j, 1)]) ** 2, 1e-6 * c[(j, 3)])

_, k = table(report, "Correlations and Tolerance")
for j in range(p):
    for col_, name in ((0, "zero"), (1, "partial"), (2, "part"), (3, "importance"), (4, "tol"), (5, "tol")):
        assert close(k[(j, col_)], ref[name][j]), (j, name, k[(j, col_)], ref[name][j])
assert close(sum(k[(j, 3)] for j in range(p)), 1.0)

t, h = table(report, "Iteration History")
its = [cat["path"][-1]["text"] for cat in t["dimensions"][0]["categories"]]
assert its[0] == "1", its
assert 0 <= h[(len(its) - 1, 2)] <= 1e-10
