# MULTISTA(ALL) with 32 ordinal predictors runs no sign pattern (there are
# none beyond 31): its fit must be the fit of INITIAL = RANDOM (the numerical
# start, no preliminary run, no sign in force), table for table, and its
# Model Summary names no sign pattern. A sign forced on x5, whose effect is
# negative, would instead zero its quantification.
import json, os, sys
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
from golden_check import cmd_tables, cells

report = json.load(open(sys.argv[1]))
cmds = [c for c in report["commands"] if cmd_tables(c, "Model Summary")]
assert len(cmds) == 2
for key in ("Model Summary", "Iteration History", "Correlations and Tolerance"):
    a, b = cells(cmd_tables(cmds[0], key)[0]), cells(cmd_tables(cmds[1], key)[0])
    assert a.keys() == b.keys(), key
    for k in a:
        assert a[k] == b[k] or abs(a[k] - b[k]) < 1e-12, (key, k, a[k], b[k])
ca = cells(cmd_tables(cmds[0], "Coefficients")[0])
cb = cells(cmd_tables(cmds[1], "Coefficients")[0])
for k in ca:
    if k[1] == 0:
        assert abs(ca[k] - cb[k]) < 1e-12, (k, ca[k], cb[k])
assert ca[(4, 0)] < -0.1, ca[(4, 0)]
notes = json.dumps(cmd_tables(cmds[0], "Model Summary")[0]["footnotes"])
assert "MSigns" not in notes and "Depvar" in notes, notes
