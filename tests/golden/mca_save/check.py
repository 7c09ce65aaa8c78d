# MULTIPLE CORRESPONDENCE SAVE against the printed tables and a fact of the
# solution: the transformed variables of a multiple nominal variable are its
# category centroids, the mean saved object score of the objects in each
# category (per dimension); an object without a category (passive missing)
# has none. The second run saves only dimension 1 under the root "cen".
import csv
import json
import sys
import os
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
from golden_check import walk, cells, leaf, cmd_tables as tables

report = json.load(open(sys.argv[1]))
for c in report["commands"]:
    for it in c["items"]:
        assert not (it["type"] == "message" and it["severity"] == "error"), it
cmds = [c for c in report["commands"] if c["items"] and any(
    it["type"] == "table" and it["title"]["key"] == "Credit" for it in c["items"])]
assert len(cmds) == 2


(objt,) = tables(cmds[0], "Object Scores")
oc = cells(objt)
scores = {int(leaf(c)): [oc[(i, 0)], oc[(i, 1)]] for i, c in enumerate(objt["dimensions"][0]["categories"])}
coords = []
for t in tables(cmds[0], "Quantifications"):
    qc = cells(t)
    cols = [[p.get("key") or p["text"] for p in c["path"]] for c in t["dimensions"][1]["categories"]]
    iy = [i for i, p in enumerate(cols) if p[:2] == ["Points", "Coordinates"]]
    assert len(iy) == 2, cols
    coords.append({leaf(c): [qc.get((r, i)) for i in iy] for r, c in enumerate(t["dimensions"][0]["categories"])})
assert len(coords) == 3

with open("out.csv", newline="") as f:
    data = list(csv.DictReader(f))
names = ["region", "transport", "housing"]
made = ["TRA1_1_1", "TRA1_2_1", "TRA2_1_1", "TRA2_2_1", "TRA3_1_1", "TRA3_2_1", "OBSCO1_1", "OBSCO2_1",
        "cen1_1_1", "cen2_1_1", "cen3_1_1"]
assert list(data[0].keys()) == names + made, list(data[0].keys())
dic = {v["name"]: v["label"] for v in json.load(open("out.csv.dict.json"))["variables"]}
assert dic["TRA2_2_1"] == "Transformed transport, dimension 2", dic["TRA2_2_1"]


def num(s):
    return None if s == "" else float(s)


def close(a, b, tol=1e-9):
    return a is not None and b is not None and abs(a - b) <= tol * max(1.0, abs(b))


assert len(data) == len(scores)
for case, r in enumerate(data, start=1):
    for s in range(2):
        assert close(num(r["OBSCO%d_1" % (s + 1)]), scores[case][s]), (case, s)
    for j, v in enumerate(names):
        for s in range(2):
            got = num(r["TRA%d_%d_1" % (j + 1, s + 1)])
            if r[v] == "":
                assert got is None, (case, j, s)
                continue
            assert close(got, coords[j][r[v]][s]), (case, j, s)
            members = [scores[k][s] for k, q in enumerate(data, start=1) if q[v] == r[v]]
            assert abs(got - sum(members) / len(members)) < 1e-8, ("centroid", case, j, s)
        # The second run (same data, same solution up to convergence).
        if r[v] == "":
            assert r["cen%d_1_1" % (j + 1)] == ""
        else:
            assert abs(num(r["cen%d_1_1" % (j + 1)]) - num(r["TRA%d_1_1" % (j + 1)])) < 1e-4, (case, j)

with open("obj.csv", newline="") as f:
    obj = list(csv.DictReader(f))
assert [list(r.values()) for r in obj] == [[r["OBSCO1_1"], r["OBSCO2_1"]] for r in data]
with open("discr.csv", newline="") as f:
    dd = list(csv.DictReader(f))
assert list(dd[0].keys()) == ["DISCR1_1", "DISCR2_1", "DISCR3_1"]
for r, d in zip(data, dd):
    for j, v in enumerate(names):
        assert (d["DISCR%d_1" % (j + 1)] == "") == (r[v] == ""), (r, d)
        if r[v] != "":
            assert float(d["DISCR%d_1" % (j + 1)]) == float(r[v])
print("saved centroids and object scores agree with the tables and with the category means")
