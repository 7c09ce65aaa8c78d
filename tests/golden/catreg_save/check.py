# Saved variables of CATREG, checked against the printed tables and identities:
#  - TRA<j>_1 is each case's category quantification (Quantifications tables);
#  - over the active cases (all but the supplementary case 5) the transformed
#    dependent is centred with mean square 1;
#  - PRE_1 = sum_j Beta_j TRA<j>_1 (Coefficients), RES_1 = TRA1_1 - PRE_1,
#    and the mean squared residual of the active cases is the apparent
#    prediction error; the supplementary case gets the same formulas;
#  - the OUTFILE file holds the same transformed values, the DISCRDAT file
#    the category values.
import csv, json, os, sys
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
from golden_check import cmd_tables, cells, leaf

report = json.load(open(sys.argv[1]))
cmd = [c for c in report["commands"] if cmd_tables(c, "Model Summary")][0]
out = list(csv.DictReader(open("out.csv")))
tra = list(csv.DictReader(open("tra.csv")))
discr = list(csv.DictReader(open("discr.csv")))
names = ["y", "a", "b", "c"]
q = {}
for t in cmd_tables(cmd, "Quantifications"):
    k = cells(t)
    q[t["dimensions"][0]["label"]["text"]] = {float(leaf(c)): k[(i, 1)] for i, c in enumerate(t["dimensions"][0]["categories"])}
beta = [cells(cmd_tables(cmd, "Coefficients")[0])[(j, 0)] for j in range(3)]
ape = cells(cmd_tables(cmd, "Model Summary")[0])[(3,)]
active = [r for i, r in enumerate(out) if i != 4]
N = len(active)
assert abs(sum(float(r["TRA1_1"]) for r in active)) < 1e-9
assert abs(sum(float(r["TRA1_1"]) ** 2 for r in active) / N - 1) < 1e-9
for r, t, d in zip(out, tra, discr):
    for j, v in enumerate(names):
        assert abs(float(r["TRA%d_1" % (j + 1)]) - q[v][float(r[v])]) < 1e-12
        assert float(t["TRA%d_1" % (j + 1)]) == float(r["TRA%d_1" % (j + 1)])
        assert float(d["DISCR%d_1" % (j + 1)]) == float(r[v])
    pre = sum(b * float(r["TRA%d_1" % (j + 2)]) for j, b in enumerate(beta))
    assert abs(float(r["PRE_1"]) - pre) < 1e-12
    assert abs(float(r["RES_1"]) - (float(r["TRA1_1"]) - pre)) < 1e-12
assert abs(sum(float(r["RES_1"]) ** 2 for r in active) / N - ape) < 1e-9
