# The saved file and its dictionary, read back independently of the engine.
import csv
import json
import sys

with open("saved.csv", newline="") as f:
    rows = list(csv.reader(f))
assert rows[0] == ["staff", "smoke", "name"], rows[0]
assert rows[2] == ["1", "2", "Lee, Bo"], rows[2]
assert len(rows) == 9, len(rows)
with open("saved.csv.dict.json") as f:
    dic = {v["name"]: v for v in json.load(f)["variables"]}
assert dic["staff"]["label"] == "Staff group"
assert dic["staff"]["value_labels"] == [[1, "Senior"], [2, "Junior"], [3, "Secretary"]]
assert dic["staff"]["missing"]["values"] == [9]
assert dic["name"]["width"] == 7 and dic["name"]["value_labels"] == [["Ann", "Anne"]]
# The report was made from the file read back: no error anywhere.
report = json.load(open(sys.argv[1]))
for c in report["commands"]:
    for item in c["items"]:
        assert not (item["type"] == "message" and item["severity"] == "error"), item
print("saved file and dictionary as written")
