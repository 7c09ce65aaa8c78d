# PRINCALS's listing checked against facts from outside its code:
#  - every variable multiple nominal: the eigenvalues of each dimension equal
#    HOMALS's and the total fit their sum;
#  - every variable numerical: the eigenvalues are the largest eigenvalues of
#    the correlation matrix of data.csv divided by the number of variables,
#    and the component loadings are the correlations of the variables with the
#    principal components (their squares add up to the eigenvalues).
# Listing values are printed with six decimals.
import csv, json, sys
import os
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
from golden_check import jacobi, cmd_tables, cells

report = json.load(open(sys.argv[1]))


def lines(cmd):
    return [l for it in cmd["items"] if it["type"] == "text" for l in it["lines"]]


def after(ls, prefix):
    return [float(v) for v in [l for l in ls if l.startswith(prefix)][0][len(prefix):].replace("=", " ").split()
            if v.replace(".", "").replace("-", "").isdigit()]


pri = [c for c in report["commands"] if lines(c)]
assert len(pri) == 2
hom = [c for c in report["commands"] if cmd_tables(c, "Eigenvalues")][0]
ev = cells(cmd_tables(hom, "Eigenvalues")[0])
mult = after(lines(pri[0]), "Eigenvalues:")
for s in range(2):
    assert abs(mult[s] - ev[(s, 0)]) < 1e-6, ("HOMALS", s, mult[s], ev[(s, 0)])
total = [l for l in lines(pri[0]) if l.startswith("Total Fit")][0].split()[3]
assert abs(float(total) - sum(mult)) < 1e-6

rows = list(csv.DictReader(open("data.csv")))
names = ["region", "transport", "housing"]
n, m = len(rows), len(names)
col = {v: [float(r[v]) for r in rows] for v in names}


def corr(a, b):
    ma, mb = sum(a) / n, sum(b) / n
    sab = sum((x - ma) * (y - mb) for x, y in zip(a, b))
    return sab / (sum((x - ma) ** 2 for x in a) * sum((y - mb) ** 2 for y in b)) ** 0.5


ref = jacobi([[corr(col[a], col[b]) for b in names] for a in names])
num = lines(pri[1])
eig = after(num, "Eigenvalues:")
for s in range(2):
    assert abs(eig[s] - ref[s] / m) < 1e-6, ("PCA", s, eig[s], ref[s] / m)
start = num.index("Component Loadings")
load = [[float(v) for v in l.split()[1:]] for l in num[start + 3:start + 3 + m]]
R = [[corr(col[a], col[b]) for b in names] for a in names]
for s in range(2):
    assert abs(sum(load[j][s] ** 2 for j in range(m)) - ref[s]) < 1e-3, ("loadings", s)
    # Loadings are eigenvectors of R scaled by the root of their eigenvalue.
    for j in range(m):
        Ra = sum(R[j][k] * load[k][s] for k in range(m))
        assert abs(Ra - ref[s] * load[j][s]) < 1e-3, ("R a = lambda a", s, j)
# Every variable numerical: the initial configuration is the solution.
i = num.index("single numerical,")
assert num[i + 1] == "so initial and final configurations are identical."
assert " * The History of Iterations *" not in num
# The correlations of the optimally scaled variables are the data's, with
# their eigenvalues.
start = num.index("* Correlations between Optimally Scaled Variables *")
rows_r = [[float(v) for v in l.split()[1:]] for l in num[start + 3:start + 3 + m]]
for j in range(m):
    for k in range(m):
        assert abs(rows_r[j][k] - R[j][k]) < 1e-4, ("correlation", j, k)
at = num.index("Dimension  Eigenvalue", start)
evs = [float(l.split()[1]) for l in num[at + 1:at + 1 + m]]
for s in range(m):
    assert abs(evs[s] - ref[s]) < 1e-4, ("eigenvalue of R", s)
print("PRINCALS agrees with HOMALS and with principal components")
