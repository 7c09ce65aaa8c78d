# The saved variables and OUTFILE files of CATPCA against the printed tables
# and against facts that hold for any solution:
#  - saved object scores are the Object Scores table, and are standardized
#    over the active objects (default normalization);
#  - a transformed single variable is the quantification of each object's
#    category, centred with unit mean square over the active objects, and its
#    correlations with the saved object scores are the component loadings;
#  - a multiple nominal variable is saved per dimension as the centroid of its
#    category: the mean saved object score of the active objects in it;
#  - approximations are object scores times loadings;
#  - the filtered case is system-missing everywhere; the second run makes
#    the names with counter 2 and the same values; the OUTFILE files hold the
#    values of the objects in the analysis, in case order.
import csv
import json
import math
import sys
import os
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
from golden_check import walk, cells, leaf, cmd_tables as tables

report = json.load(open(sys.argv[1]))
cmds = [c for c in report["commands"] if c["procedure"] == "CATPCA" or c["name"] == "CATPCA"]
assert len(cmds) == 2, [c["name"] for c in report["commands"]]
for c in report["commands"]:
    for it in c["items"]:
        assert not (it["type"] == "message" and it["severity"] == "error"), it


def path(cat):
    return [p.get("key") or p["text"] for p in cat["path"]]


first = cmds[0]
(objt,) = tables(first, "Object Scores")
oc = cells(objt)
rows = [leaf(c) for c in objt["dimensions"][0]["categories"]]
scores = {int(r): [oc[(i, s)] for s in range(2)] for i, r in enumerate(rows)}
assert sorted(scores) == [1, 2, 3, 4, 5, 7, 8, 9, 10, 11, 12, 13], sorted(scores)

(lt,) = tables(first, "Component Loadings")
lc = cells(lt)
load = {leaf(c): [lc[(i, s)] for s in range(2)] for i, c in enumerate(lt["dimensions"][0]["categories"])}

quant = []  # per variable: {category text: (q or None, [y1, y2])}
for t in tables(first, "Quantifications"):
    qc = cells(t)
    cols = [path(c) for c in t["dimensions"][1]["categories"]]
    iq = [i for i, p in enumerate(cols) if p == ["Quantification"]]
    iy = [i for i, p in enumerate(cols) if p[0] == "CPR Centroid Coord."]
    d = {}
    for r, cat in enumerate(t["dimensions"][0]["categories"]):
        d[leaf(cat)] = (qc[(r, iq[0])] if iq else None, [qc[(r, i)] for i in iy])
    quant.append(d)
assert len(quant) == 4

with open("out.csv", newline="") as f:
    data = list(csv.DictReader(f))
header = list(data[0].keys())
created = ["TRA1_1", "TRA2_1", "TRA3_1", "TRA4_1_1", "TRA4_2_1", "OBSCO1_1", "OBSCO2_1",
           "APP1_1", "APP2_1", "APP3_1", "APP4_1", "TRA1_2", "TRA2_2", "TRA3_2", "TRA4_1_2",
           "TRA4_2_2", "OBSCO1_2"]
assert header == ["id", "v1", "v2", "v3", "v4", "keep"] + created, header
dic = {v["name"]: v for v in json.load(open("out.csv.dict.json"))["variables"]}
assert dic["TRA1_1"]["label"] == "Transformed First item", dic["TRA1_1"]
assert dic["TRA4_2_1"]["label"] == "Transformed v4, dimension 2", dic["TRA4_2_1"]
assert dic["OBSCO2_1"]["label"] == "Object scores, dimension 2", dic["OBSCO2_1"]
assert dic["APP3_1"]["label"] == "Approximation of v3", dic["APP3_1"]

# The notes list every created variable (label and name) and the four files.
notes = first["notes"]
made = [(n["item"]["text"], n["contents"]["text"]) for n in notes
        if n["group"]["key"] == "Variables Created or Modified"]
assert [m[0] for m in made] == created[:11], made
assert all(dic[nm]["label"] == lab for nm, lab in made)
files = [(n["item"]["text"], n["contents"]["key"]) for n in notes if n["group"]["key"] == "Files Saved"]
assert files == [("tra.csv", "Quantifications"), ("discr.csv", "Discretized Data"),
                 ("obj.csv", "Object Scores"), ("app.csv", "Approximations")], files


def num(s):
    return None if s == "" else float(s)


def close(a, b, tol=1e-9):
    return a is not None and b is not None and abs(a - b) <= tol * max(1.0, abs(b))


by_case = {int(r["id"]): r for r in data}
# Case 6 is not in the analysis.
assert all(by_case[6][v] == "" for v in created), by_case[6]
active = [c for c in scores if c != 13]
for c, x in scores.items():
    r = by_case[c]
    for s in range(2):
        assert close(num(r["OBSCO%d_1" % (s + 1)]), x[s]), (c, s)
    for j in range(3):
        q = quant[j][r["v%d" % (j + 1)]][0]
        assert close(num(r["TRA%d_1" % (j + 1)]), q), (c, j)
        a = sum(x[s] * load[["First item", "v2", "v3"][j]][s] for s in range(2))
        assert close(num(r["APP%d_1" % (j + 1)]), a), (c, j)
    for s in range(2):
        assert close(num(r["TRA4_%d_1" % (s + 1)]), quant[3][r["v4"]][1][s]), (c, s)
    assert r["APP4_1"] == "", r["APP4_1"]
    # The second run: same values, counter 2.
    for a_, b_ in [("TRA1_2", "TRA1_1"), ("TRA4_2_2", "TRA4_2_1"), ("OBSCO1_2", "OBSCO1_1")]:
        assert close(num(r[a_]), num(r[b_]), 1e-7), (c, a_)

n = len(active)


def col(name):
    return [num(by_case[c][name]) for c in active]


def corr(x, y):
    mx, my = sum(x) / len(x), sum(y) / len(y)
    sxy = sum((a - mx) * (b - my) for a, b in zip(x, y))
    return sxy / math.sqrt(sum((a - mx) ** 2 for a in x) * sum((b - my) ** 2 for b in y))


for s in range(2):
    x = col("OBSCO%d_1" % (s + 1))
    assert abs(sum(x)) < 1e-8 and abs(sum(v * v for v in x) / n - 1) < 1e-6, ("scores", s)
for j, name in enumerate(["First item", "v2", "v3"]):
    t = col("TRA%d_1" % (j + 1))
    assert abs(sum(t)) < 1e-8 and abs(sum(v * v for v in t) / n - 1) < 1e-6, ("standardized", j)
    for s in range(2):
        assert abs(corr(t, col("OBSCO%d_1" % (s + 1))) - load[name][s]) < 1e-4, ("loading", j, s)
for s in range(2):
    x = col("OBSCO%d_1" % (s + 1))
    y = col("TRA4_%d_1" % (s + 1))
    groups = {}
    for c, xv in zip(active, x):
        groups.setdefault(by_case[c]["v4"], []).append(xv)
    for c, yv in zip(active, y):
        g = groups[by_case[c]["v4"]]
        assert abs(yv - sum(g) / len(g)) < 1e-6, ("centroid", c, s)

# OUTFILE files: one case per object of the analysis, in case order.
objs = sorted(scores)


def read(path):
    with open(path, newline="") as f:
        return list(csv.DictReader(f))


expect = {"tra.csv": ["TRA1_1", "TRA2_1", "TRA3_1", "TRA4_1_1", "TRA4_2_1"],
          "obj.csv": ["OBSCO1_1", "OBSCO2_1"],
          "app.csv": ["APP1_1", "APP2_1", "APP3_1", "APP4_1"]}
for fname, names in expect.items():
    rows_ = read(fname)
    assert list(rows_[0].keys()) == names, (fname, list(rows_[0].keys()))
    assert len(rows_) == len(objs), (fname, len(rows_))
    for c, r in zip(objs, rows_):
        for nm in names:
            assert r[nm] == by_case[c][nm], (fname, c, nm, r[nm], by_case[c][nm])
fd = {v["name"]: v for v in json.load(open("tra.csv.dict.json"))["variables"]}
assert fd["TRA4_1_1"]["label"] == "Transformed v4, dimension 1"
rows_ = read("discr.csv")
assert list(rows_[0].keys()) == ["DISCR1_1", "DISCR2_1", "DISCR3_1", "DISCR4_1"]
for c, r in zip(objs, rows_):
    for j in range(4):
        assert float(r["DISCR%d_1" % (j + 1)]) == float(by_case[c]["v%d" % (j + 1)]), (c, j)
print("saved variables and files agree with the tables and with the solution's properties")
