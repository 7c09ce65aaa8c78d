# Missing values, SAVE and MATRIX OUT, checked against data.csv and the files
# the run wrote:
#  - the marginal frequencies and missing counts are those of data.csv once
#    the user-missing 9, empty cells and values outside 1..max are missing and
#    the filtered case is left out;
#  - each quantification is the mean of the printed object scores of the
#    objects in its category;
#  - the saved variables are the printed object scores (system-missing for the
#    filtered case), the second run's equal the first's (same fixed start),
#    and the matrix file holds the printed quantifications.
import csv, json, sys
import os
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
from golden_check import cmd_tables, cells

report = json.load(open(sys.argv[1]))
run = [c for c in report["commands"] if cmd_tables(c, "Object Scores")][0]
rows = [r for r in csv.DictReader(open("data.csv"))]
used = [r for r in rows if r["keep"] == "1"]
maxima = {"a": 3, "b": 4, "c": 3}


def code(r, v):
    x = r[v]
    if x == "" or (v == "b" and x == "9"):
        return 0
    k = float(x)
    return int(k) if k == int(k) and 1 <= k <= maxima[v] else 0


n, p = len(used), 3
obj = cells(cmd_tables(run, "Object Scores")[0])
X = [[obj[(i, s)] for s in range(p)] for i in range(n)]
freq = cells(cmd_tables(run, "Marginal Frequencies")[0])
quant = {t["name"]["text"]: cells(t) for t in cmd_tables(run, "Quantifications")}
row = 0
for v in ["a", "b", "c"]:
    codes = [code(r, v) for r in used]
    for k in range(1, maxima[v] + 1):
        members = [i for i in range(n) if codes[i] == k]
        assert freq[(row, 0)] == len(members), (v, k, freq[(row, 0)], len(members))
        assert quant[v][(k - 1, 0)] == len(members)
        for s in range(p):
            mean = sum(X[i][s] for i in members) / len(members)
            assert abs(quant[v][(k - 1, 1 + s)] - mean) < 1e-9, ("centroid", v, k, s)
        row += 1
    assert freq[(row, 0)] == codes.count(0), (v, "missing")
    row += 1

saved = list(csv.DictReader(open("saved.csv")))
obj_row = 0
for r in saved:
    if r["keep"] != "1":
        assert all(r[k] == "" for k in ("hscore_1", "hscore_2", "HOM_1", "HOM_2", "HOM_3"))
        continue
    for s in range(2):
        assert abs(float(r["hscore_%d" % (s + 1)]) - X[obj_row][s]) < 1e-12, ("saved", obj_row, s)
    for s in range(3):
        assert abs(float(r["HOM_%d" % (s + 1)]) - X[obj_row][s]) < 1e-12, ("second run", obj_row, s)
    obj_row += 1
assert obj_row == n

labels = {("a", 1): "low", ("a", 2): "middle", ("a", 3): "high"}
records = list(csv.DictReader(open("quant.csv")))
assert len(records) == 10, len(records)
at = 0
for v in ["a", "b", "c"]:
    for k in range(1, maxima[v] + 1):
        rec = records[at]
        at += 1
        assert rec["ROWTYPE_"] == "QUANT" and rec["VARNAME_"] == v
        assert rec["LEVEL_"] == labels.get((v, k), str(k)), rec
        for s in range(p):
            assert abs(float(rec["DIM%d" % (s + 1)]) - quant[v][(k - 1, 1 + s)]) < 1e-12
print("frequencies, centroids, saved variables and the matrix file agree")
