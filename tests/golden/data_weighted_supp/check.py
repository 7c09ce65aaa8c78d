# Every count of the weighted case processing summary is a sum of case
# weights, computed here from the data file.
import csv, json, os, sys
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
from golden_check import table, leaf

recs = list(csv.DictReader(open(os.path.join(os.path.dirname(os.path.abspath(__file__)), "data.csv"))))
vals = lambda r: [r[k] for k in ("q1", "q2", "q3")]
valid = lambda x: x not in ("", "9")
w = [float(r["wt"]) for r in recs]
supp = {0, 1, 2, 3}
allmiss = {i for i, r in enumerate(recs) if not any(valid(x) for x in vals(r))}
assert allmiss == {6}, allmiss
aside = supp | allmiss
active = [i for i in range(len(recs)) if i not in aside]
complete = [i for i in active if all(valid(x) for x in vals(recs[i]))]
expect = {
    "CPR Valid Cases": sum(w[i] for i in complete),
    "CPR Cases with Missing Values": sum(w[i] for i in active) - sum(w[i] for i in complete),
    "Supplementary Cases": sum(w[i] for i in aside),
    "Total": sum(w),
    "Cases Used in Analysis": sum(w[i] for i in active),
}
report = json.load(open(sys.argv[1]))
t, c = table(report, "Case Processing Summary")
rows = [cat["path"][-1]["key"] for cat in t["dimensions"][0]["categories"]]
for k, v in expect.items():
    got = c[(rows.index(k), 0)]
    assert abs(got - v) < 1e-9, (k, got, v)
assert [f["key"] for f in t["footnotes"]] == ["Cases Weighted by ^1."], t["footnotes"]
print("ok")
