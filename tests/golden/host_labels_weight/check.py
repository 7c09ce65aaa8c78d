# The correspondence table must hold the weighted counts worked out by hand
# from data.csv: rows with smoke = 9 (user-missing), a weight of 0, a negative
# or missing weight, or staff = 0 (missing range LO THRU 0) do not count.
import json
import sys

expected = [[2, 1, 0], [1, 3, 1], [1, 0, 2]]
report = json.load(open(sys.argv[1]))
tables = [it for c in report["commands"] for it in c["items"]
          if it["type"] == "table" and it["title"]["key"] == "Correspondence Table"]
assert len(tables) == 1, "one correspondence table expected"
t = tables[0]
rows = [cat["path"][-1]["text"] for cat in t["dimensions"][0]["categories"]]
cols = [cat["path"][-1]["text"] for cat in t["dimensions"][1]["categories"]]
assert rows[:3] == ["Senior", "Junior", "Secretary"], rows
assert cols[:3] == ["None", "Light", "Heavy"], cols
assert t["dimensions"][0]["label"]["text"] == "Staff group"
cells = {tuple(c["categories"]): c["value"] for c in t["cells"]}
for i in range(3):
    for j in range(3):
        assert abs(cells[(i, j)] - expected[i][j]) < 1e-12, (i, j, cells[(i, j)])
    assert abs(cells[(i, 3)] - sum(expected[i])) < 1e-12
assert abs(cells[(3, 3)] - 11) < 1e-12
print("weighted counts as computed by hand")
