# Prediction error estimates, checked against facts computed here from data.csv:
#  1. 7-fold cross-validation of a numerical model: the active cases are
#     dealt out in turn to the folds; each fold's cases are predicted by least
#     squares fitted on the other folds, every variable standardized with the
#     training cases' mean and standard deviation. The estimate is the mean of
#     the squared errors of the standardized dependent, its standard error
#     sqrt(sum (e_i - mean)^2) / n.
#  2. a lasso path with .632 bootstrap estimates: the optimal model has the
#     smallest estimate, the one-standard-error model is the last later model
#     within one standard error of it with no more (and at least one)
#     selected predictors, and the Model Summary reports that model (its
#     apparent error, penalty and estimate); every estimate is at least
#     0.368 * APE (the .632 estimator of non-negative errors).
import csv, json, math, os, sys
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
from golden_check import cmd_tables, cells
from golden_check import lstsq

rows = list(csv.DictReader(open("data.csv")))
col = lambda v: [float(r[v]) for r in rows]
N = len(rows)
report = json.load(open(sys.argv[1]))
cmds = [c for c in report["commands"] if cmd_tables(c, "Model Summary")]
assert len(cmds) == 3, len(cmds)

# 1. Cross-validation.
k = 7
y, xs = col("y"), [col(v) for v in "abc"]
errs = []
for fold in range(k):
    train = [i for i in range(N) if i % k != fold]
    def std(v):
        m = sum(v[i] for i in train) / len(train)
        s = math.sqrt(sum((v[i] - m) ** 2 for i in train) / len(train))
        return [(x - m) / s for x in v]
    zs, Xs = std(y), [std(x) for x in xs]
    b, _ = lstsq([[X[i] for i in train] for X in Xs], [zs[i] for i in train])
    errs += [(zs[i] - sum(bj * X[i] for bj, X in zip(b, Xs))) ** 2 for i in range(N) if i % k == fold]
epe = sum(errs) / N
se = math.sqrt(sum((e - epe) ** 2 for e in errs)) / N
t = cmd_tables(cmds[0], "Model Summary")[0]
# A numerical dependent: a "Raw Data" row (1) repeats the errors on the
# scale of y, each squared error times the variance of y.
assert [c["path"][0]["key"] for c in t["dimensions"][0]["categories"]] == ["Standardized Data", "Raw Data"]
s = {k[1]: v for k, v in cells(t).items() if k[0] == 0}
raw = {k[1]: v for k, v in cells(t).items() if k[0] == 1}
cols = [[p.get("key") for p in c["path"]] for c in t["dimensions"][1]["categories"]]
at = lambda *path: [i for i, p in enumerate(cols) if p[-len(path):] == list(path)][0]
assert abs(s[at("Estimate")] - epe) < 1e-6, (s[at("Estimate")], epe)
assert abs(s[at("Std. Error")] - se) < 1e-6, (s[at("Std. Error")], se)
assert s[at("N")] == N
ybar = sum(y) / N
vy = sum((v - ybar) ** 2 for v in y) / N
assert abs(raw[at("Estimate")] - epe * vy) < 1e-6 * vy, (raw[at("Estimate")], epe * vy)
assert abs(raw[at("Std. Error")] - se * vy) < 1e-6 * vy
assert abs(raw[at("Apparent Prediction Error")] - s[at("Apparent Prediction Error")] * vy) < 1e-9 * vy
assert raw[at("N")] == N and at("R Square") not in raw

# 2. Lasso path with bootstrap estimates.
m = cells(cmd_tables(cmds[1], "Lasso Models")[0])
M = 7
est = [m[(i, 5)] for i in range(M)]
ses = [m[(i, 6)] for i in range(M)]
sel = [m[(i, 2)] for i in range(M)]
apes = [m[(i, 4)] for i in range(M)]
opt = min(range(M), key=lambda i: (est[i], i))
one = opt
for i in range(opt + 1, M):
    if est[i] <= est[opt] + ses[opt] and 1 <= sel[i] <= sel[opt]:
        one = i
for i in range(M):
    assert est[i] >= 0.368 * apes[i] - 1e-12
t = cmd_tables(cmds[1], "Lasso Models")[0]
notes = {i: [f for f in c["footnotes"]] for i, c in enumerate(t["dimensions"][0]["categories"])}
assert notes[opt] and notes[one], notes
s2 = {k[1]: v for k, v in cells(cmd_tables(cmds[1], "Model Summary")[0]).items() if k[0] == 0}
assert abs(s2[4] - apes[one]) < 1e-6, (s2[4], apes[one], one)
assert abs(s2[5] - est[one]) < 1e-12
# The raw-scale group of the path: the same estimates times the variance of y.
paths = [[p["key"] for p in c["path"]] for c in t["dimensions"][1]["categories"]]
assert paths[5][0] == "Expected Prediction Error Standardized Data", paths
assert paths[8] == ["Expected Prediction Error Raw Data", "Estimate"], paths
for i in range(M):
    assert abs(m[(i, 8)] - est[i] * vy) < 1e-9 * vy, (i, m[(i, 8)], est[i] * vy)
    assert abs(m[(i, 9)] - ses[i] * vy) < 1e-9 * vy
    assert m[(i, 10)] == m[(i, 7)]

# 3. An elastic net with cross-validation: the ridge penalty is shown on the
#    first model of each ridge value (3 lasso values each), and the refit of
#    the chosen model reports its penalties and its estimate.
t = cmd_tables(cmds[2], "Elastic Net Models")[0]
m = cells(t)
assert len(t["dimensions"][0]["categories"]) == 9
for k in range(9):
    assert ((k, 0) in m) == (k % 3 == 0), k
    assert abs(m[(k, 1)] - 0.2 * (k % 3)) < 1e-12
# The optimal and one-standard-error models follow the rule on the table's
# own estimates, and the Model Summary belongs to the latter.
marks = {f["marker"]: f["key"] for f in t["footnotes"]}
rows = [[marks[x] for x in c["footnotes"]] for c in t["dimensions"][0]["categories"]]
est = [m[(k, 6)] for k in range(9)]
se9 = [m[(k, 7)] for k in range(9)]
sel = [m[(k, 3)] for k in range(9)]
opt = min(range(9), key=lambda k: (est[k], k))
one = opt
for k in range(opt + 1, 9):
    if est[k] <= est[opt] + se9[opt] and 1 <= sel[k] <= sel[opt]:
        one = k
assert any(x.startswith("Annot Optimal model") for x in rows[opt]), rows
assert any(x.startswith("Annot 1SE model") for x in rows[one]), rows
s3 = {(k[1],): v for k, v in cells(cmd_tables(cmds[2], "Model Summary")[0]).items() if k[0] == 0}
assert abs(s3[(5,)] - est[one]) < 1e-12, (s3, est, one)
ridge = 0.5 * (one // 3)
assert "%g" % ridge in json.dumps(cmd_tables(cmds[2], "Model Summary")[0]["footnotes"]) or ridge == 0
# The second pass refits that model on all data: the same apparent error.
assert abs(s3[(4,)] - m[(one, 5)]) < 1e-9, (s3[(4,)], m[(one, 5)])
