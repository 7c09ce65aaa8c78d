# Staff group by smoking: known values of this classic table, and the matrix
# files read back against the printed results.
import csv
import json
import math
import sys

report = json.load(open(sys.argv[1]))
tables = {}
for c in report["commands"]:
    for it in c["items"]:
        if it["type"] == "table":
            tables.setdefault(it["title"]["key"], it)


def grid(t):
    cells = {tuple(c["categories"]): c.get("value") for c in t["cells"]}
    rows = [cat["path"][-1].get("key") or cat["path"][-1]["text"] for cat in t["dimensions"][0]["categories"]]
    cols = [[p.get("key") or p["text"] for p in cat["path"]] for cat in t["dimensions"][1]["categories"]]
    return cells, rows, cols


def col(cols, *path):
    for i, p in enumerate(cols):
        if p[-len(path):] == list(path):
            return i
    raise AssertionError("no column %s in %s" % (path, cols))


s = tables["Summary"]
cells, rows, cols = grid(s)
sv = col(cols, "Singular Value")
facts = [0.2734, 0.1001, 0.0203]
for k, v in enumerate(facts):
    assert abs(cells[(k, sv)] - v) < 5e-5, (k, cells[(k, sv)])
tot = len(rows) - 1
assert abs(cells[(tot, col(cols, "Summary Inertia"))] - 0.0852) < 5e-5
assert abs(cells[(tot, col(cols, "Chi Square"))] - 16.44) < 5e-3
assert abs(cells[(tot, col(cols, "Sig."))] - 0.172) < 5e-4

# Row scores (symmetrical normalization): standard coordinates times sqrt(lambda).
o = tables["Overview Row Points"]
ocells, orows, ocols = grid(o)
assert orows[:5] == ["Senior managers", "Junior managers", "Senior employees", "Junior employees", "Secretaries"], orows
mass = [11 / 193, 18 / 193, 51 / 193, 88 / 193, 25 / 193]
for i in range(5):
    assert abs(ocells[(i, col(ocols, "Mass"))] - mass[i]) < 1e-12
# Contributions of points to each dimension sum to one.
for k in ("1", "2"):
    c = col(ocols, "Of Point to Inertia of Dimension", k)
    assert abs(sum(ocells[(i, c)] for i in range(5)) - 1) < 1e-9

# The score file holds the printed scores; the variance file the squared
# standard deviations of the confidence tables.
with open("scores.csv", newline="") as f:
    recs = list(csv.DictReader(f))
assert [r["ROWTYPE_"].strip() for r in recs] == ["ROW"] * 5 + ["COLUMN"] * 4
assert recs[0]["VARNAME_"].strip() == "staff" and recs[5]["VARNAME_"].strip() == "smoke"
assert recs[0]["LEVEL_"].strip() == "Senior managers"
for i in range(5):
    for k in (1, 2):
        printed = ocells[(i, col(ocols, "Score in Dimension", str(k)))]
        assert abs(float(recs[i]["DIM%d" % k]) - printed) < 1e-9, (i, k)
with open("variance.csv", newline="") as f:
    vrecs = list(csv.DictReader(f))
sing = [r for r in vrecs if r["VARNAME_"].strip() == "SINGULAR"]
assert len(sing) == 2
sd = col(cols, "Standard Deviation")
for k in range(2):
    assert abs(math.sqrt(float(sing[k]["DIM%d" % (k + 1)])) - cells[(k, sd)]) < 1e-9
ct = tables["Confidence Row Points"]
ccells, crows, ccols = grid(ct)
rowrecs = [r for r in vrecs if r["VARNAME_"].strip() == "staff"]
assert len(rowrecs) == 10
for i in range(5):
    for k in range(2):
        v = float(rowrecs[2 * i + k]["DIM%d" % (k + 1)])
        assert abs(math.sqrt(v) - ccells[(i, col(ccols, "Standard Deviation in Dimension", str(k + 1)))]) < 1e-9
print("smoking table: known values and matrix files agree")
