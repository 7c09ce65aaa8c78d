# Test data, checked against least squares computed here: the 50 active cases
# are standardized with their own means and standard deviations, the model
# is fitted on them (ridge: b = (R + lambda I)^-1 r), and the 10
# supplementary cases are predicted on the training scale. Per model:
#  - test "Mean Squared Error" = mean of (z - zhat)^2 over the test cases,
#    its "Std. Error" sqrt(sum (e - mse)^2) / 10, N = 10;
#  - training "Mean Squared Error" = the apparent prediction error, its
#    standard error from the squared residuals, N = 50;
#  - the optimal model has the smallest test error; the Model Summary
#    reports the one-standard-error model's errors;
#  - test cases in a category no training case has are left out: of ten
#    test cases only the two without c = 6 count.
import csv, json, math, os, sys
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
from golden_check import cmd_tables, cells
from reglib import inverse

rows = list(csv.DictReader(open("data.csv")))
train, test = range(0, 50), range(50, 60)
def std(v):
    x = [float(r[v]) for r in rows]
    m = sum(x[i] for i in train) / 50
    s = math.sqrt(sum((x[i] - m) ** 2 for i in train) / 50)
    return [(t - m) / s for t in x]
z = std("y")
X = [std(v) for v in "abc"]
R = [[sum(X[j][i] * X[k][i] for i in train) / 50 for k in range(3)] for j in range(3)]
r = [sum(X[j][i] * z[i] for i in train) / 50 for j in range(3)]


def errors(lam):
    Ri = inverse([[R[j][k] + (lam if j == k else 0) for k in range(3)] for j in range(3)])
    b = [sum(Ri[j][k] * r[k] for k in range(3)) for j in range(3)]
    e = lambda i: (z[i] - sum(b[j] * X[j][i] for j in range(3))) ** 2
    out = []
    for idx in (train, test):
        es = [e(i) for i in idx]
        mse = sum(es) / len(es)
        out += [mse, math.sqrt(sum((x - mse) ** 2 for x in es)) / len(es), len(es)]
    return out


report = json.load(open(sys.argv[1]))
cmds = [c for c in report["commands"] if cmd_tables(c, "Model Summary")]
assert len(cmds) == 3
# A numerical dependent: row 0 holds the standardized errors, row 1 the
# same on the raw scale (times the variance of y over the training cases).
yv = [float(r["y"]) for r in rows]
ym = sum(yv[i] for i in train) / 50
vy = sum((yv[i] - ym) ** 2 for i in train) / 50


def rows_of(t):
    c = cells(t)
    return ({k[1]: v for k, v in c.items() if k[0] == 0}, {k[1]: v for k, v in c.items() if k[0] == 1})


s, sraw = rows_of(cmd_tables(cmds[0], "Model Summary")[0])
ref = errors(0)
for col, val in zip(range(4, 10), ref):
    assert abs(s[col] - val) < 1e-6, (col, s[col], val)
for col, val in zip(range(4, 10), ref):
    scale = 1 if col in (6, 9) else vy
    assert abs(sraw[col] - val * scale) < 1e-6 * vy, (col, sraw[col], val * scale)
assert abs(sraw[3] - s[3] * vy) < 1e-9 * vy and 0 not in sraw

m = cells(cmd_tables(cmds[1], "Ridge Models")[0])
M = 5
refs = [errors(0.5 * k) for k in range(M)]
for k in range(M):
    for col, val in zip(range(4, 10), refs[k]):
        assert abs(m[(k, col)] - val) < 1e-6, (k, col, m[(k, col)], val)
        scale = 1 if col in (6, 9) else vy
        assert abs(m[(k, col + 6)] - val * scale) < 1e-6 * vy, (k, col, m[(k, col + 6)], val * scale)
opt = min(range(M), key=lambda k: (refs[k][3], k))
one = opt
for k in range(opt + 1, M):
    if refs[k][3] <= refs[opt][3] + refs[opt][4]:
        one = k
s2, _ = rows_of(cmd_tables(cmds[1], "Model Summary")[0])
for col, val in zip(range(5, 11), refs[one]):
    assert abs(s2[col] - val) < 1e-6, (col, s2[col], val)

t = cmd_tables(cmds[2], "Model Summary")[0]
s3, _ = rows_of(t)
assert s3[9] == 2, s3
assert "Annot test cases some excl." in json.dumps(t)
