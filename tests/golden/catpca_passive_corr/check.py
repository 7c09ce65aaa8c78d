# Passive missing values in the correlation tables, checked from data.csv and
# the printed solution (not from the code's own stand-ins):
#  - original table: Pearson correlations with every missing value replaced by
#    its variable's mode (lowest value on ties);
#  - transformed table: a (nominal, mode) missing -> quantification of a's
#    modal category; c (multiple nominal, extra category) missing -> the mean
#    object score of the objects missing on c, in the layer's dimension;
#    e (nominal, extra category) missing -> the nominal rule that holds for
#    e's own categories: q = k * (centroid . loading), with k read off them.
import csv, json, os, sys
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
from golden_check import corr

rows = list(csv.DictReader(open("data.csv")))
names = ["a", "b", "c", "d", "e"]
raw = {v: [int(r[v]) if r[v] else None for r in rows] for v in names}
n = len(rows)
report = json.load(open(sys.argv[1]))
items = report["commands"][1]["items"]


def find(key):
    return [it for it in items if it["type"] == "table" and it["title"]["key"] == key]


def cells(t):
    return {tuple(c["categories"]): c["value"] for c in t["cells"]}


def mode(v):
    vals = [x for x in raw[v] if x is not None]
    return min(set(vals), key=lambda x: (-vals.count(x), x))


# Original correlations.
orig = {v: [x if x is not None else mode(v) for x in raw[v]] for v in names}
t = find("CPR Original Correlations")[0]
oc = cells(t)
for j, a in enumerate(names):
    for k, b in enumerate(names):
        want = 1.0 if j == k else corr(orig[a], orig[b])
        assert abs(oc[(j, k)] - want) < 1e-9, ("original", a, b, oc[(j, k)], want)
assert [f["key"] for f in t["footnotes"]] == ["CPR Missing values in OCorr."], t["footnotes"]

# The printed solution.
heading = [it for it in items if it["type"] == "heading"][0]
quant = {}
for qt in heading["items"]:
    var = qt["dimensions"][0]["label"]["text"]
    cats = [c["path"][-1]["text"] for c in qt["dimensions"][0]["categories"]]
    cols = [tuple(p["key"] for p in c["path"]) + (c["path"][-1]["text"],) for c in qt["dimensions"][1]["categories"]]
    cc = cells(qt)
    quant[var] = {cat: {cols[j]: cc.get((i, j)) for j in range(len(cols))} for i, cat in enumerate(cats)}
obj = cells(find("Object Scores")[0])
X = [[obj[(i, s)] for s in range(2)] for i in range(n)]
lt = find("Component Loadings")[0]
lvars = [c["path"][-1]["text"] for c in lt["dimensions"][0]["categories"]]
lc = cells(lt)
load = {v: [lc[(i, s)] for s in range(2)] for i, v in enumerate(lvars)}


def q(v, cat):
    return quant[v][str(cat)][("Quantification", "Quantification")]


def centroid(v, cat, s):
    return quant[v][str(cat)][("CPR Centroid Coord.", "Dimension", "", str(s + 1))]


def mean_scores(v):
    miss = [i for i in range(n) if raw[v][i] is None]
    return [sum(X[i][s] for i in miss) / len(miss) for s in range(2)]


# e is nominal: its quantifications are proportional to the projections of
# its centroids on its loading vector.
proj = lambda y: sum(y[s] * load["e"][s] for s in range(2))
ks = [q("e", c) / proj([centroid("e", c, s) for s in range(2)]) for c in sorted(set(x for x in raw["e"] if x))]
assert max(ks) - min(ks) < 1e-6, ("e nominal", ks)
e_missing = ks[0] * proj(mean_scores("e"))
c_missing = mean_scores("c")

tt = find("CPR Transformed Correlations")[0]
tc = cells(tt)
for layer in range(2):
    val = {
        "a": [q("a", x if x is not None else mode("a")) for x in raw["a"]],
        "b": [q("b", x) for x in raw["b"]],
        "c": [centroid("c", x, layer) if x is not None else c_missing[layer] for x in raw["c"]],
        "d": [q("d", x) for x in raw["d"]],
        "e": [q("e", x) if x is not None else e_missing for x in raw["e"]],
    }
    for j, a in enumerate(names):
        for k, b in enumerate(names):
            want = 1.0 if j == k else corr(val[a], val[b])
            got = tc[(j, k, layer)]
            assert abs(got - want) < 1e-6, ("transformed", layer, a, b, got, want)
marks = {f["marker"]: f["key"] for f in tt["footnotes"]}
foot = [[marks[m] for m in c["footnotes"]] for c in tt["dimensions"][0]["categories"][:5]]
assert foot[0] == ["CPR MODE Passive imputed."] and foot[4] == ["CPR EXTR Passive imputed."], foot
assert "CPR EXTR Passive imputed." in foot[2] and not foot[1] and not foot[3], foot
print("passive missing values in the correlation tables agree")
