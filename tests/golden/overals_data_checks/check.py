# The transformation charts: the ordinal variable a has one quantification
# per category, in category order (monotone); the multiple nominal c has
# its coordinates in both dimensions.
import json, sys
report = json.load(open(sys.argv[1]))
charts = {it["title"]["params"][0]: it for c in report["commands"] for it in c["items"]
          if it["type"] == "chart" and it["title"].get("key") == "61705^1"}
assert sorted(charts) == ["a", "c"], sorted(charts)
q = [r[-1] for r in charts["a"]["rows"]]
assert [r[0] for r in charts["a"]["rows"]] == ["1", "2", "3"]
assert all(x <= y + 1e-12 for x, y in zip(q, q[1:])) or all(x >= y - 1e-12 for x, y in zip(q, q[1:])), q
assert len(set(round(v, 9) for v in q)) > 1, "an ordinal quantification that is constant"
groups = sorted(set(r[1] for r in charts["c"]["rows"]))
assert groups == ["c, Dimension 1", "c, Dimension 2"], groups
assert len(charts["c"]["rows"]) == 8
print("transformation charts as expected")
