# Input CATREG cannot use, and its limits:
#  - each sign pattern file fault ends its command with its message and
#    without model tables;
#  - a file with more variables than ordinal predictors gives a warning and
#    the same fit as a file holding the same pattern in its first two;
#  - a lasso penalty of 3 zeroes every coefficient (|r(x, y)| <= 1 < 3/2):
#    "CRG Penalty too high." and no model tables;
#  - cross-validation with 20 folds on 8 cases equals leave-one-out,
#    recomputed here by least squares on the standardized training cases.
import csv, json, math, os, sys
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
from golden_check import cmd_tables, cells, lstsq

report = json.load(open(sys.argv[1]))
cmds = [c for c in report["commands"] if c["procedure"]]
assert len(cmds) == 10, len(cmds)
msgs = lambda c: [i["key"] for i in c["items"] if i["type"] == "message"]
for c, key in zip(cmds[:5], ["CRG FIXSIGNS file not read.", "CRG Nvar less MOrd INI FIX.",
                             "CRG Ncases less INI FIX.", "CRG non-num symbol INI FIX.",
                             "CRG non-num symbol INI FIX."]):
    assert msgs(c)[-1] == key, (msgs(c), key)
    assert not cmd_tables(c, "Model Summary")

assert "CRG Nvar larger MOrd INI FIX." in msgs(cmds[5])
for key in ("Model Summary", "Coefficients"):
    a, b = cells(cmd_tables(cmds[5], key)[0]), cells(cmd_tables(cmds[6], key)[0])
    assert a.keys() == b.keys()
    for k in a:
        if key == "Coefficients" and k[1] not in (0, 2):
            continue  # the bootstrap standard errors (and F) draw other samples
        assert a[k] is b[k] or abs(a[k] - b[k]) < 1e-12, (key, k, a[k], b[k])

assert "CRG Penalty too high." in msgs(cmds[7])
assert not cmd_tables(cmds[7], "Model Summary") and not cmd_tables(cmds[7], "Coefficients")

rows = list(csv.DictReader(open("data.csv")))
col = lambda v: [float(r[v]) for r in rows]
N = len(rows)
y, xs = col("y"), [col("x"), col("z")]
errs = []
for out in range(N):
    train = [i for i in range(N) if i != out]
    def std(v):
        m = sum(v[i] for i in train) / len(train)
        s = math.sqrt(sum((v[i] - m) ** 2 for i in train) / len(train))
        return [(x - m) / s for x in v]
    zs, Xs = std(y), [std(x) for x in xs]
    b, _ = lstsq([[X[i] for i in train] for X in Xs], [zs[i] for i in train])
    errs.append((zs[out] - sum(bj * X[out] for bj, X in zip(b, Xs))) ** 2)
epe = sum(errs) / N
se = math.sqrt(sum((e - epe) ** 2 for e in errs)) / N
for c in cmds[8:]:
    s = {k[1]: v for k, v in cells(cmd_tables(c, "Model Summary")[0]).items() if k[0] == 0}
    assert abs(s[4] - epe) < 1e-6, (s[4], epe)
    assert abs(s[5] - se) < 1e-6, (s[5], se)
    assert s[6] == N
