# CATPCA of two nominal variables in one dimension: the eigenvalue is 1 plus
# the first canonical correlation of the two variables, i.e. 1 + the first
# singular value of the correspondence analysis of their cross table
# (computed here from data.csv: the largest eigenvalue of K K', with
# K = D_r^-1/2 (F/n - r c') D_c^-1/2).
import csv, json, math, sys
import os
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
from golden_check import jacobi, corr, table

rows = list(csv.DictReader(open("data.csv")))
n = len(rows)
a = sorted(set(r["party"] for r in rows)); b = sorted(set(r["paper"] for r in rows))
F = [[sum(1 for r in rows if r["party"] == x and r["paper"] == y) / n for y in b] for x in a]
rm = [sum(row) for row in F]; cm = [sum(F[i][k] for i in range(len(a))) for k in range(len(b))]
K = [[(F[i][k] - rm[i] * cm[k]) / math.sqrt(rm[i] * cm[k]) for k in range(len(b))] for i in range(len(a))]
KK = [[sum(K[i][k] * K[l][k] for k in range(len(b))) for l in range(len(a))] for i in range(len(a))]
sv = math.sqrt(jacobi(KK)[0])
report = json.load(open(sys.argv[1]))
_, summ = table(report, "Model Summary")
assert abs(summ[(0, 1)] - (1 + sv)) < 1e-6, (summ[(0, 1)], 1 + sv)
print("eigenvalue = 1 + first singular value of the cross table")
