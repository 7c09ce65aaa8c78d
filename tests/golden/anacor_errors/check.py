# Every numbered message in ANACOR's table (but the entry's memory message,
# tested in anacor_memory) is given by this case with a text of its own, and
# the rank-one table keeps one dimension whose inertia is its chi-square / N.
import csv, json, os, re, sys

report = json.load(open(sys.argv[1]))
table = open(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "..", "src", "anacor",
                          "messages.inc")).read()
catalogue = set(re.findall(r'\{"(179\d\d)"', table))
messages = [it for c in report["commands"] for it in c["items"] if it["type"] == "message"]
given = {m["key"] for m in messages}
missing = sorted(catalogue - given - {"17901"})
assert not missing, missing
for m in messages:
    assert not m["text"].startswith("Message "), m

anacor = [c for c in report["commands"] if c["name"] == "ANACOR"]
lines = lambda c: [l for it in c["items"] if it["type"] == "text" for l in it["lines"]]
rank1 = [c for c in anacor if any(l.startswith(">The number of dimensions has been reduced") for l in lines(c))]
assert len(rank1) == 1
F = [[float(v) for v in row] for row in list(csv.reader(open("rank1.csv")))[1:]]
N = sum(map(sum, F))
r = [sum(row) / N for row in F]
c = [sum(row[j] for row in F) / N for j in range(len(F[0]))]
inertia = sum((F[i][j] / N - r[i] * c[j]) ** 2 / (r[i] * c[j]) for i in range(len(r)) for j in range(len(c)))
ls = lines(rank1[0])
row = ls[ls.index("              Value                        Explained    Proportion") + 2].split()
assert row[0] == "1" and abs(float(row[1]) ** 2 - inertia) < 2e-6 and abs(float(row[2]) - inertia) < 6e-7, row
assert sum("NOTE: Rows and Columns are independent." in lines(c) for c in anacor) == 2
print("ok")
