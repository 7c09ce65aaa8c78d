# The matrix form gives the known singular values of the staff by smoking table.
import json
import sys

report = json.load(open(sys.argv[1]))
s = [it for c in report["commands"] for it in c["items"]
     if it["type"] == "table" and it["title"]["key"] == "Summary"][0]
cells = {tuple(c["categories"]): c.get("value") for c in s["cells"]}
cols = [cat["path"][-1].get("key") for cat in s["dimensions"][1]["categories"]]
sv = cols.index("Singular Value")
for k, v in enumerate([0.2734, 0.1001, 0.0203]):
    assert abs(cells[(k, sv)] - v) < 5e-5, (k, cells[(k, sv)])
chi = cols.index("Chi Square")
assert abs(cells[(3, chi)] - 16.44) < 5e-3
t = [it for c in report["commands"] for it in c["items"]
     if it["type"] == "table" and it["title"]["key"] == "Correspondence Table"][0]
rows = [cat["path"][-1]["text"] for cat in t["dimensions"][0]["categories"]]
assert rows[:5] == ["SM", "JM", "SE", "JE", "SC"], rows
print("matrix input: known values")
