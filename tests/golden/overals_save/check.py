# OVERALS with missing values, SAVE and MATRIX OUT, against data.csv and the
# files the run wrote:
#  - the marginal frequencies count, per set, the objects with a category on
#    every variable of the set; "Missing" and "Missing within the set" the rest;
#  - each category centroid is the mean of the printed object scores of the
#    objects in that category (within the set);
#  - the saved variables and the SCOOR_ records are the printed object scores,
#    the CENTRO_ records the printed centroids.
import csv, json, sys
import os
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
from golden_check import cmd_tables, cells

report = json.load(open(sys.argv[1]))
run = [c for c in report["commands"] if cmd_tables(c, "Object Scores")][0]
used = [r for r in csv.DictReader(open("data.csv")) if r["keep"] == "1"]
maxima = {"a": 3, "b": 4, "c": 3, "id": 30}
sets = [["a"], ["b", "c"], ["id"]]


def code(r, v):
    x = r[v]
    if x == "" or (v == "b" and x == "9"):
        return 0
    k = float(x)
    return int(k) if k == int(k) and 1 <= k <= maxima[v] else 0


n, p = len(used), 2
obj = cells(cmd_tables(run, "Object Scores")[0])
X = [[obj[(i, s)] for s in range(p)] for i in range(n)]
freq = cells(cmd_tables(run, "Marginal Frequencies")[0])
cen = cells(cmd_tables(run, "Centroids")[0])
row = crow = 0  # Marginal Frequencies and Centroids rows (two missing rows there, one here)
centroids = {}
for group in sets:
    inset = [all(code(r, v) > 0 for v in group) for r in used]
    for v in group:
        codes = [code(r, v) if inset[i] else 0 for i, r in enumerate(used)]
        for k in range(1, maxima[v] + 1):
            members = [i for i in range(n) if codes[i] == k]
            assert freq[(row, 0)] == len(members), (v, k)
            for s in range(p):
                if members:
                    mean = sum(X[i][s] for i in members) / len(members)
                    assert abs(cen[(crow, 1 + p + s)] - mean) < 1e-9, ("centroid", v, k, s)
                    centroids[(v, k, s)] = mean
            row += 1
            crow += 1
        crow += 1
        own_missing = sum(1 for r in used if code(r, v) == 0)
        within = sum(1 for i, r in enumerate(used) if code(r, v) > 0 and not inset[i])
        assert freq[(row, 0)] == own_missing and freq[(row + 1, 0)] == within, (v, "missing")
        row += 2

saved = list(csv.DictReader(open("saved.csv")))
i = 0
for r in saved:
    if r["keep"] != "1":
        assert r["ovs_1"] == "" and r["ovs_2"] == ""
        continue
    for s in range(p):
        assert abs(float(r["ovs_%d" % (s + 1)]) - X[i][s]) < 1e-12
    i += 1
assert i == n

records = list(csv.DictReader(open("ovm.csv")))
scores = [r for r in records if r["ROWTYPE_"] == "SCOOR_"]
assert len(scores) == n
for i, r in enumerate(scores):
    for s in range(p):
        assert abs(float(r["DIM%d" % (s + 1)]) - X[i][s]) < 1e-12
for r in records:
    if r["ROWTYPE_"] == "CENTRO_":
        for s in range(p):
            assert abs(float(r["DIM%d" % (s + 1)]) - centroids[(r["VARNAME_"], int(r["LEVEL_"]), s)]) < 1e-12
print("frequencies, centroids, saved variables and the matrix file agree")
