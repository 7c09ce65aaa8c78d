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
assert len(cmds) == 2

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
s = cells(t)
cols = [[p.get("key") for p in c["path"]] for c in t["dimensions"][0]["categories"]]
at = lambda *path: [i for i, p in enumerate(cols) if p[-len(path):] == list(path)][0]
assert abs(s[(at("Estimate"),)] - epe) < 1e-6, (s[(at("Estimate"),)], epe)
assert abs(s[(at("Std. Error"),)] - se) < 1e-6, (s[(at("Std. Error"),)], se)
assert s[(at("N"),)] == N

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
s2 = cells(cmd_tables(cmds[1], "Model Summary")[0])
assert abs(s2[(4,)] - apes[one]) < 1e-6, (s2[(4,)], apes[one], one)
assert abs(s2[(5,)] - est[one]) < 1e-12
