# The weighted table and its chi-square, computed here from data.csv.
import csv, json, sys
T = {}
for row in csv.DictReader(open("data.csv")):
    k = (int(row["r"]), int(row["c"]))
    T[k] = T.get(k, 0.0) + float(row["w"])
N = sum(T.values())
r = {i: sum(v for (a, _), v in T.items() if a == i) for i in (1, 2, 3)}
c = {j: sum(v for (_, b), v in T.items() if b == j) for j in (1, 2)}
chi = sum((T.get((i, j), 0) - r[i] * c[j] / N) ** 2 / (r[i] * c[j] / N) for i in r for j in c)
report = json.load(open(sys.argv[1]))
tables = {it["title"]["key"]: it for cmd in report["commands"] for it in cmd["items"] if it["type"] == "table"}
counts = [cell for cell in tables["Correspondence Table"]["cells"] if cell["value"] is not None]
assert all(cell["format"] == "fixed" and cell["decimals"] == 2 for cell in counts), "one format for all counts"
assert abs(max(cell["value"] for cell in counts) - N) < 1e-12
values = [cell["value"] for cell in tables["Summary"]["cells"] if cell["value"] is not None]
assert any(abs(v - chi) < 1e-9 for v in values), (chi, values)
print("ok", N, chi)
