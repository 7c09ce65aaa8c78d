# A fixed configuration that is not standardized (conf_3col.csv: its first two
# columns have means and variances other than 0 and 1) is taken as
# standardized scores: with numerical variables the loadings are then the
# correlations of the variables with the configuration's columns, computed
# here from the files.
import csv, json, math, os, sys
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
from golden_check import corr, cells, cmd_tables

data = list(csv.DictReader(open("data.csv")))
conf = list(csv.reader(open("conf_3col.csv")))[1:]
report = json.load(open(sys.argv[1]))
runs = [c for c in report["commands"] if cmd_tables(c, "Component Loadings")]
assert len(runs) == 1, len(runs)
load = cells(cmd_tables(runs[0], "Component Loadings")[0])
keys = [m["key"] for m in runs[0]["items"] if m["type"] == "message"]
assert "CPR Config standardized." in keys, keys
for j, v in enumerate("abc"):
    x = [float(r[v]) for r in data]
    for s in range(2):
        want = corr(x, [float(row[s]) for row in conf])
        assert abs(load[(j, s)] - want) < 1e-9, (v, s, load[(j, s)], want)
print("fixed configuration loadings are correlations")
