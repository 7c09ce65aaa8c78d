# ANACOR's listing recomputed from data.csv (cases out of range or missing
# left out, 3.7 cut to 3) and from the full-precision matrix files:
# the table and its margins, the profiles, masses and scores, the singular
# values and total inertia, both kinds of contributions (canonical
# normalization: a point's share of dimension k is r_i f_ik^2 / lambda_k, the
# dimension's share of the point lambda_k f_ik^2 / (inertia_i / r_i)), the
# variances and correlations against the variance file, the permuted tables
# against the order of the scores, the charts' scores and label lengths, and
# the two runs' identical output.
import csv, json, math, sys

report = json.load(open(sys.argv[1]))
runs = [c for c in report["commands"] if c["name"] == "ANACOR"]
assert len(runs) == 2
strip = lambda items: json.dumps(items, sort_keys=True)
assert strip(runs[0]["items"]) == strip(runs[1]["items"]), "two runs differ"
lines = [l for it in runs[0]["items"] if it["type"] == "text" for l in it["lines"]]

I, J, p = 5, 4, 2
F = [[0.0] * J for _ in range(I)]
for rec in csv.DictReader(open("data.csv")):
    if rec["staff"] == "" or rec["smoke"] == "":
        continue
    i, j = int(float(rec["staff"])), int(float(rec["smoke"]))  # truncation
    if 1 <= i <= I and 1 <= j <= J:
        F[i - 1][j - 1] += float(rec["count"])
N = sum(map(sum, F))
r0 = [sum(F[i]) for i in range(I)]
c0 = [sum(F[i][j] for i in range(I)) for j in range(J)]
r, c = [v / N for v in r0], [v / N for v in c0]
S = [[(F[i][j] / N - r[i] * c[j]) / math.sqrt(r[i] * c[j]) for j in range(J)] for i in range(I)]
rin = [sum(v * v for v in S[i]) for i in range(I)]
cin = [sum(S[i][j] ** 2 for i in range(I)) for j in range(J)]
rlab = ["Senior managers", "Junior managers", "Senior employees", "Junior employees", "Secretaries"]
clab = ["None", "Light", "Medium", "Heavy"]


def block(title, n):
    """The n lines of numbers after a section title (header and blank skipped),
    each as (label, values)."""
    at = lines.index(title) + 4
    out = []
    for l in lines[at:at + n]:
        label, nums = l[:20].strip(), l[20:].split()
        out.append((label, [float(v) if v != "." else None for v in nums]))
    return out


def close(got, want, tol, what):
    assert len(got) == len(want), (what, got, want)
    for a, b in zip(got, want):
        assert abs(a - b) <= tol, (what, got, want)


for (label, vals), i in zip(block("The table to be analyzed:", I + 1), range(I + 1)):
    want = F[i] + [r0[i]] if i < I else c0 + [N]
    assert label == (rlab + ["Margin"])[i], label
    close(vals, want, 0, "table")
for (label, vals), i in zip(block("The Rowprofiles:", I + 1), range(I + 1)):
    close(vals, [F[i][j] / r0[i] for j in range(J)] if i < I else c, 5e-5, "row profile")
for (label, vals), j in zip(block("The Columnprofiles:", J + 1), range(J + 1)):
    close(vals, [F[i][j] / c0[j] for i in range(I)] if j < J else r, 5e-5, "column profile")

recs = list(csv.DictReader(open("scores.csv")))
f = [[float(q["DIM%d" % (k + 1)]) for k in range(p)] for q in recs if q["ROWTYPE_"] == "ROW"]
g = [[float(q["DIM%d" % (k + 1)]) for k in range(p)] for q in recs if q["ROWTYPE_"] == "COLUMN"]
lam = [sum(r[i] * f[i][k] ** 2 for i in range(I)) for k in range(p)]
close(lam, [sum(c[j] * g[j][k] ** 2 for j in range(J)) for k in range(p)], 1e-12, "canonical")
start = lines.index("              Value                        Explained    Proportion") + 2
close([float(l.split()[1]) for l in lines[start:start + p]], lam, 6e-7, "singular values")
total = [l for l in lines if l.startswith("Total  ")][0].split()
close([float(total[1])], [sum(rin)], 6e-7, "total inertia")

for side, X, mass, inert, labels in (("row", f, r, rin, rlab), ("column", g, c, cin, clab)):
    n = len(X)
    sc = block(side.capitalize() + " Scores:", n)
    assert [l for l, _ in sc] == labels
    for (_, vals), i in zip(sc, range(n)):
        close(vals, [mass[i]] + X[i], 5e-5, side + " scores")
    pts = block("Contribution of %s points to the inertia of each dimension:" % side, n + 1)
    for (_, vals), i in zip(pts, range(n)):
        close(vals, [mass[i] * X[i][k] ** 2 / lam[k] for k in range(p)], 5e-5, side + " to dimension")
    close(pts[n][1], [1.0] * p, 5e-5, side + " total")
    dims = block("Contribution of dimensions to the inertia of each %s point:" % side, n)
    for (_, vals), i in zip(dims, range(n)):
        want = [lam[k] * X[i][k] ** 2 / (inert[i] / mass[i]) for k in range(p)]
        close(vals, want + [sum(want)], 5e-5, side + " of dimension")

var = {}
for q in csv.DictReader(open("variance.csv")):
    var[(q["VARNAME_"], q["LEVEL_"], int(q["DIMNMBR_"]))] = [float(q["DIM%d" % (k + 1)]) for k in range(p)]
blocks = [("Variances and Correlation Matrix of the singular values:", ("SINGULAR", ""))]
blocks += [("Variances and Correlation Matrix of scores of Row %s:" % l, ("staff", l)) for l in rlab]
blocks += [("Variances and Correlation Matrix of scores of Column %s:" % l, ("smoke", l)) for l in clab]
for title, (name, level) in blocks:
    cov = [var[(name, level, k + 1)] for k in range(p)]
    for k, (_, vals) in enumerate(block(title, p)):
        got = [float(v) for v in lines[lines.index(title) + 4 + k].split()]
        want = [k + 1, cov[k][k]] + [cov[k][l] / math.sqrt(cov[k][k] * cov[l][l]) for l in range(k + 1)]
        close(got[:2], want[:2], 5e-8, title)
        close(got[2:], want[2:], 5e-4, title)

for d in range(p):
    title = "The data-matrix permuted according to the scores in dimension: %d" % (d + 1)
    at = lines.index(title)
    ro = sorted(range(I), key=lambda i: f[i][d])
    co = sorted(range(J), key=lambda j: g[j][d])
    header = lines[at + 2]
    assert [header.find(clab[j]) for j in co] == sorted(header.find(clab[j]) for j in co), header
    for (label, vals), i in zip(block(title, I), ro):
        assert label == rlab[i], (title, label)
        close(vals, [F[i][j] for j in co] + [r0[i]], 0, title)

charts = [it for it in runs[0]["items"] if it["type"] == "chart"]
titles = [ch["title"]["text"] for ch in charts]
assert titles == ["Row Scores in Dimension 1", "Row Scores in Dimension 2", "Column Scores in Dimension 1",
                  "Column Scores in Dimension 2", "Row Scores", "Column Scores", "Row and Column Scores"], titles
assert [ch["elements"][0]["label_max"] for ch in charts] == [6, 6, 12, 12, 12, 12, 8]
joint = charts[-1]["rows"]
close([v for row in joint for v in row[2:]], [v for X in (f, g) for row in X for v in row], 1e-12, "joint")
print("ok")
