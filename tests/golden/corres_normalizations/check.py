# Scores of each normalization against the symmetrical one: with standard
# coordinates x, symmetrical scores are x * lambda^(1/2) for rows and columns;
# alpha gives rows x * lambda^((1+alpha)/2) and columns x * lambda^((1-alpha)/2);
# principal gives both x * lambda.
import json, math, sys

report = json.load(open(sys.argv[1]))
runs = [c for c in report["commands"] if c["name"] == "CORRESPONDENCE"]
assert len(runs) == 6


def tables(cmd):
    return {it["title"]["key"]: it for it in cmd["items"] if it["type"] == "table"}


def scores(t):
    # (point, dimension) -> score; the score columns are the leaves under
    # "Score in Dimension", in dimension order.
    cols = [i for i, c in enumerate(t["dimensions"][1]["categories"])
            if c["path"][0]["key"] == "Score in Dimension"]
    cells = {tuple(c["categories"]): c["value"] for c in t["cells"]}
    npts = len(t["dimensions"][0]["categories"]) - 1  # without "Active Total"
    return [[cells[(i, col)] for col in cols] for i in range(npts)]


def singular_values(cmd):
    t = tables(cmd)["Summary"]
    cells = {tuple(c["categories"]): c["value"] for c in t["cells"]}
    return [cells[(k, 0)] for k in range(2)]


lam = singular_values(runs[0])
sym_r = scores(tables(runs[0])["Overview Row Points"])
sym_c = scores(tables(runs[0])["Overview Column Points"])
for run, (rp, cp) in zip(runs[1:5], [(1, 0), (0, 1), (1, 1), (0.75, 0.25)]):
    assert all(abs(a - b) < 1e-12 for a, b in zip(singular_values(run), lam))
    r = scores(tables(run)["Overview Row Points"])
    c = scores(tables(run)["Overview Column Points"])
    for got, sym, power in ((r, sym_r, rp), (c, sym_c, cp)):
        for i in range(len(sym)):
            for k in range(2):
                want = sym[i][k] / math.sqrt(lam[k]) * lam[k] ** power
                assert abs(got[i][k] - want) < 1e-9, (run["syntax"], i, k, got[i][k], want)
keys = [it["key"] for it in runs[5]["items"] if it["type"] == "message"]
assert "Invalid NORMALIZATION keyword." in keys, keys
print("ok")
