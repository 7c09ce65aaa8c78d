#!/usr/bin/env python3
"""Write the CATREG benchmark data and syntax: catreg_make_data.py CASES OUTDIR.

The twenty variables of catpca_make_data.py (same seed, same design) and an
outcome y with 7 categories: a sum of the predictors' codes, some of them
permuted and one squared, plus noise, cut at its sextiles. Syntax files:
catreg_CASES_fit.sps (one fit, predictors ordinal, nominal, numerical and
spline ordinal in turn) and catreg_CASES_lasso.sps (a lasso path of 51
penalties with 10-fold cross-validation)."""
import os
import random
import subprocess
import sys

cases, out = int(sys.argv[1]), sys.argv[2]
here = os.path.dirname(os.path.abspath(__file__))
subprocess.run([sys.executable, os.path.join(here, "catpca_make_data.py"), str(cases), out], check=True)
src = os.path.join(out, "catpca_%d.csv" % cases)
name = "catreg_%d" % cases
rng = random.Random(7)
weights = [0.6, -0.4, 0.3, 0.0, 0.5, 0.0, -0.3, 0.2, 0.0, 0.0, 0.4, 0.0, 0.0, 0.0, 0.0, 0.2, 0.0, 0.0, 0.0, 0.1]
scores = []
with open(src) as f:
    header = f.readline().strip()
    lines = f.read().splitlines()
for line in lines:
    v = [int(c) for c in line.split(",")]
    s = sum(w * c for w, c in zip(weights, v)) + 0.15 * (v[2] - 3) ** 2 + rng.gauss(0, 1)
    scores.append(s)
cuts = sorted(scores)
cuts = [cuts[len(cuts) * k // 7] for k in range(1, 7)]
with open(os.path.join(out, name + ".csv"), "w") as f:
    f.write("y," + header + "\n")
    for s, line in zip(scores, lines):
        y = 1 + sum(s > c for c in cuts)
        f.write("%d,%s\n" % (y, line))
os.remove(src)
for suffix in ("catpca", "mca"):
    p = os.path.join(out, "catpca_%d_%s.sps" % (cases, suffix))
    if os.path.exists(p):
        os.remove(p)

levels = ["ORDINAL", "NOMINAL", "NUMERICAL", "SPORD"]
spec = " ".join("v%d(LEVEL=%s)" % (j + 1, levels[j % 4]) for j in range(20))
with open(os.path.join(out, name + "_fit.sps"), "w") as f:
    f.write("GET DATA /TYPE=CSV /FILE='%s.csv'.\n" % name)
    f.write("CATREG VARIABLES=y v1 TO v20 /ANALYSIS=y(LEVEL=ORDINAL) WITH %s\n"
            "  /PRINT=R HISTORY /PLOT=NONE.\n" % spec)
with open(os.path.join(out, name + "_lasso.sps"), "w") as f:
    f.write("GET DATA /TYPE=CSV /FILE='%s.csv'.\n" % name)
    f.write("CATREG VARIABLES=y v1 TO v20 /ANALYSIS=y(LEVEL=ORDINAL) WITH %s\n"
            "  /REGULARIZATION=LASSO(0 1.0 0.02)('lasso_path.csv')\n"
            "  /RESAMPLE=CROSSVAL(10) /PRINT=R /PLOT=NONE.\n" % spec)
