# Case weights act as replication: the weighted analysis of data.csv and the
# analysis of expanded.csv (each case repeated w times) give the same Model
# Summary, ANOVA, Beta, df, correlations, tolerances and quantifications
# (the bootstrap standard errors differ: their samples are drawn differently).
import json, os, sys
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
from golden_check import cmd_tables, cells

report = json.load(open(sys.argv[1]))
cmds = [c for c in report["commands"] if cmd_tables(c, "Model Summary")]
assert len(cmds) == 2


def same(key):
    ts = [cmd_tables(c, key) for c in cmds]
    assert len(ts[0]) == len(ts[1]) > 0, key
    for a, b in zip(*ts):
        ca, cb = cells(a), cells(b)
        assert ca.keys() == cb.keys(), key
        for k in ca:
            assert abs(ca[k] - cb[k]) < 1e-8, (key, k, ca[k], cb[k])


same("Model Summary")
same("ANOVA")
same("Correlations and Tolerance")
same("Quantifications")
coef = [cells(cmd_tables(c, "Coefficients")[0]) for c in cmds]
for k in coef[0]:
    if k[1] in (0, 2):  # Beta, df
        assert abs(coef[0][k] - coef[1][k]) < 1e-8, ("Coefficients", k)
