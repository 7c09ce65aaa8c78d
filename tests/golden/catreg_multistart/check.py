# Multiple systematic starts, checked against facts of the fits themselves:
#  - the winning pattern of MULTISTA(ALL) is row r of the all-patterns table
#    (entry k is + when bit 3-k of r-1 is set); every ordinal quantification
#    is monotone in the direction its sign gives (or zero);
#  - the best pattern fits at least as well as the ordinary start, and the
#    threshold strategy (every predictor a candidate) no better than all
#    patterns;
#  - the threshold strategy's file: its first stage changes the sign of each
#    ordinal predictor in turn and then keeps the all-plus base; FIXSIGNS
#    with the winning row number reproduces that fit; a pattern number
#    beyond the file's cases is an error.
import json, os, re, sys
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
from golden_check import cmd_tables, cells, leaf

report = json.load(open(sys.argv[1]))
cmds = [c for c in report["commands"] if cmd_tables(c, "Model Summary")]
assert len(cmds) == 4, len(cmds)
r2 = [cells(cmd_tables(c, "Model Summary")[0])[(1,)] for c in cmds]
text = json.dumps(cmd_tables(cmds[1], "Model Summary")[0])
m = re.search(r"Best sign pattern: (\d+)", text)
assert m, text[:500]
best = int(m.group(1))
assert 1 <= best <= 8
signs = [1 if (best - 1) >> (2 - k) & 1 else -1 for k in range(3)]
q = {}
for t in cmd_tables(cmds[1], "Quantifications"):
    k = cells(t)
    q[t["dimensions"][0]["label"]["text"]] = {float(leaf(c)): k[(i, 1)] for i, c in enumerate(t["dimensions"][0]["categories"])}
for s, v in zip(signs, ["agegrp", "noise", "green"]):
    vals = [q[v][x] for x in sorted(q[v])]
    assert all(s * (b - a) >= -1e-9 for a, b in zip(vals, vals[1:])) or all(x == 0 for x in vals), (v, s, vals)
assert r2[1] >= r2[0] - 1e-9, r2
assert r2[2] <= r2[1] + 1e-9, r2

import csv
rows = [[int(float(x)) for x in r.values()] for r in csv.DictReader(open("signs.csv"))]
assert rows[:4] == [[-1, 1, 1], [1, -1, 1], [1, 1, -1], [1, 1, 1]], rows
t2 = json.dumps(cmd_tables(cmds[2], "Model Summary")[0])
win = int(re.search(r"Best sign pattern: (\d+)", t2).group(1))
t3 = json.dumps(cmd_tables(cmds[3], "Model Summary")[0])
assert "Sign pattern: 4" in t3 and win == 4
assert abs(r2[3] - r2[2]) < 1e-9, r2
errors = [it for c in report["commands"] for it in c["items"] if it["type"] == "message"
          and "INI FIX" in json.dumps(it)]
assert len(errors) == 1, errors
