# MULTIPLE CORRESPONDENCE contributions against facts that do not come from
# its own code: for complete data each category's inertia is 1/m - mass, the
# masses sum to 1, the categories' inertias to (K - m)/m, the contributions of
# the points to each dimension to 1; and every statistic equals that of the
# correspondence analysis of the indicator matrix (column points =
# categories, row points = objects). A second analysis with another
# normalization gives the same contributions.
import json, sys


def tables(command, key):
    out = []
    def walk(items):
        for it in items:
            if it["type"] == "table" and it["title"]["key"] == key:
                cells = {tuple(c["categories"]): c["value"] for c in it["cells"]}
                rows = [[p.get("key") or p["text"] for p in c["path"]] for c in it["dimensions"][0]["categories"]]
                cols = [[p.get("key") or p["text"] for p in c["path"]] for c in it["dimensions"][1]["categories"]]
                out.append((cells, rows, cols))
            walk(it.get("items", []))
    walk(command["items"])
    return out


def col(cols, *path):
    hits = [i for i, p in enumerate(cols) if p[-len(path):] == list(path)]
    assert len(hits) == 1, (path, cols)
    return hits[0]


# Statistic name -> column path, ours and the correspondence table's.
STATS = {"mass": (("Mass",), ("Mass",)), "inertia": (("Inertia",), ("Overview Inertia",))}
for s in ("1", "2"):
    STATS["pt" + s] = (("Of Point to Inertia of Dimension", s),) * 2
    STATS["dp" + s] = (("Of Dimension to Inertia of Point", s),) * 2
STATS["total"] = (("Of Dimension to Inertia of Point", "Total"), ("Of Dimension to Inertia of Point", "Overview Total"))


def points(t, which, nrows):
    cells, rows, cols = t
    return [{k: cells[(r, col(cols, *v[which]))] for k, v in STATS.items()} for r in range(nrows)]


report = json.load(open(sys.argv[1]))
mca = [c for c in report["commands"] if tables(c, "Object Contributions")]
ca = [c for c in report["commands"] if tables(c, "Overview Row Points")][0]
assert len(mca) == 2
m, K, n = 3, 10, 45

cats = []
for t in tables(mca[0], "Quantifications"):
    k = len(t[1]) - 1  # the last row is the variable's Active Total
    assert t[1][-1] == ["Active Total"]
    cats += points(t, 0, k)
assert len(cats) == K
objs = points(tables(mca[0], "Object Contributions")[0], 0, n)

close = lambda a, b, tol=1e-6: abs(a - b) < tol
assert close(sum(c["mass"] for c in cats), 1.0)
assert close(sum(c["inertia"] for c in cats), (K - m) / m)
for c in cats:
    assert close(c["inertia"], 1.0 / m - c["mass"])
    assert close(c["total"], c["dp1"] + c["dp2"])
for pts in (cats, objs):
    for s in ("1", "2"):
        assert close(sum(p["pt" + s] for p in pts), 1.0), s
assert close(sum(o["mass"] for o in objs), 1.0)
assert close(sum(o["inertia"] for o in objs), (K - m) / m)

ca_cols = points(tables(ca, "Overview Column Points")[0], 1, K)
ca_rows = points(tables(ca, "Overview Row Points")[0], 1, n)
for ours, theirs, what in ((cats, ca_cols, "category"), (objs, ca_rows, "object")):
    for i, (a, b) in enumerate(zip(ours, theirs)):
        for k in STATS:
            assert close(a[k], b[k]), (what, i, k, a[k], b[k])

# The object principal normalization: the same contributions.
region = points(tables(mca[1], "Quantifications")[0], 0, 3)
for a, b in zip(region, cats[:3]):
    for k in STATS:
        assert close(a[k], b[k]), ("OPRINCIPAL", k)
for a, b in zip(points(tables(mca[1], "Object Contributions")[0], 0, n), objs):
    for k in STATS:
        assert close(a[k], b[k]), ("OPRINCIPAL object", k)
print("ok")
