# Chi-square of independence computed here from the counts, its degrees of
# freedom from the non-empty rows and columns, and its tail probability from
# the regularized upper incomplete gamma function, against the Summary table.
import csv, json, math, os, sys
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
from golden_check import table, grid, find

R, C = 7, 6
n = [[0.0] * C for _ in range(R)]
with open(os.path.join(os.path.dirname(os.path.abspath(__file__)), "smoking.csv"), newline="") as f:
    for rec in csv.DictReader(f):
        n[int(rec["staff"]) - 1][int(rec["smoke"]) - 1] += float(rec["count"])
N = sum(map(sum, n))
rm = [sum(r) for r in n]
cm = [sum(n[i][j] for i in range(R)) for j in range(C)]
chi2 = sum((n[i][j] - rm[i] * cm[j] / N) ** 2 / (rm[i] * cm[j] / N)
           for i in range(R) for j in range(C) if rm[i] > 0 and cm[j] > 0)
df = (sum(m > 0 for m in rm) - 1) * (sum(m > 0 for m in cm) - 1)
assert df == 12, df


def upper_gamma_q(a, x):
    # Q(a, x) by the series for P when x < a + 1, else by the continued fraction.
    lg = math.lgamma(a)
    if x < a + 1:
        term = s = 1.0 / a
        ap = a
        for _ in range(10000):
            ap += 1
            term *= x / ap
            s += term
            if abs(term) < abs(s) * 1e-16:
                break
        return 1.0 - s * math.exp(-x + a * math.log(x) - lg)
    b = x + 1 - a
    c = 1e300
    d = 1 / b
    h = d
    for i in range(1, 10000):
        an = -i * (i - a)
        b += 2
        d = an * d + b
        d = 1e-300 if abs(d) < 1e-300 else d
        c = b + an / c
        c = 1e-300 if abs(c) < 1e-300 else c
        d = 1 / d
        delta = d * c
        h *= delta
        if abs(delta - 1) < 1e-16:
            break
    return math.exp(-x + a * math.log(x) - lg) * h


# The tail function itself against two closed forms: df 2 gives exp(-x/2),
# df 1 gives erfc(sqrt(x/2)).
for x in (0.5, 3.0, 17.0):
    assert abs(upper_gamma_q(1.0, x / 2) - math.exp(-x / 2)) < 1e-12
    assert abs(upper_gamma_q(0.5, x / 2) - math.erfc(math.sqrt(x / 2))) < 1e-12
sig = upper_gamma_q(df / 2, chi2 / 2)

report = json.load(open(sys.argv[1]))
t, _ = table(report, "Summary")
cells, cols = grid(t)
tot = len(t["dimensions"][0]["categories"]) - 1
assert abs(cells[(tot, find(cols, "Chi Square"))] - chi2) < 1e-9 * chi2, (cells[(tot, find(cols, "Chi Square"))], chi2)
assert abs(cells[(tot, find(cols, "Sig."))] - sig) < 1e-9, (cells[(tot, find(cols, "Sig."))], sig)
assert abs(sig - 0.172) < 5e-4, sig

# The footnotes of the Sig. cell: the df, and how many empty points were left out.
sig_cell = [c for c in t["cells"] if tuple(c["categories"]) == (tot, find(cols, "Sig."))][0]
notes = {f["marker"]: f for f in t["footnotes"]}
texts = [notes[m]["params"] for m in sig_cell["footnotes"]]
assert texts == [[str(df)], ["2", "2"]], texts

# The empty points are still listed, with mass 0.
o, _ = table(report, "Overview Row Points")
ocells, ocols = grid(o)
rows = o["dimensions"][0]["categories"]
assert len(rows) == R + 1, len(rows)
for i in (5, 6):
    assert ocells[(i, find(ocols, "Mass"))] == 0, ocells[(i, find(ocols, "Mass"))]
