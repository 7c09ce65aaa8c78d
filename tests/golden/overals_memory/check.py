# The matrix file is written only when its values fit: never.csv must not
# exist, written.csv holds one SCOOR_ row per case.
import csv, os, sys
assert not os.path.exists("never.csv"), "a file was written after the shortfall"
rows = list(csv.DictReader(open("written.csv")))
assert sum(r["ROWTYPE_"] == "SCOOR_" for r in rows) == 6000
os.remove("written.csv")
if os.path.exists("written.csv.dict.json"):
    os.remove("written.csv.dict.json")
print("matrix file written only with room for its values")
