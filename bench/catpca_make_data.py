#!/usr/bin/env python3
"""Write the CATPCA / MULTIPLE CORRESPONDENCE benchmark data and syntax:
catpca_make_data.py CASES OUTDIR (fixed seed).

Twenty variables; variable j (1-based) has 5 + j mod 3 categories, cut at
equal-probability thresholds from one of two correlated latent normal
factors plus noise; every third variable has its category codes permuted, so
that its relation to the factors is not monotone."""
import os
import random
import sys
from statistics import NormalDist

cases, out = int(sys.argv[1]), sys.argv[2]
rng = random.Random(20261207)
M = 20
ncat = [5 + j % 3 for j in range(1, M + 1)]
cuts = [[NormalDist(0, 1.25 ** 0.5).inv_cdf(k / c) for k in range(1, c)] for c in ncat]
perm = []
for j in range(M):
    codes = list(range(1, ncat[j] + 1))
    if (j + 1) % 3 == 0:
        rng.shuffle(codes)
    perm.append(codes)

os.makedirs(out, exist_ok=True)
name = "catpca_%d" % cases
names = ["v%d" % (j + 1) for j in range(M)]
with open(os.path.join(out, name + ".csv"), "w") as f:
    f.write(",".join(names) + "\n")
    g = rng.gauss
    for _ in range(cases):
        f1 = g(0, 1)
        f2 = 0.5 * f1 + 0.75 ** 0.5 * g(0, 1)  # correlation 0.5 between the factors
        row = []
        for j in range(M):
            z = (f1 if j % 2 == 0 else f2) + 0.5 * g(0, 1)
            k = 0
            for c in cuts[j]:
                if z > c:
                    k += 1
            row.append(str(perm[j][k]))
        f.write(",".join(row) + "\n")

levels = ["ORDINAL", "NOMINAL", "NUMERICAL", "SPORD"]
spec = " ".join("%s(%s)" % (v, levels[j % 4]) for j, v in enumerate(names))
with open(os.path.join(out, name + "_catpca.sps"), "w") as f:
    f.write("GET DATA /TYPE=CSV /FILE='%s.csv'.\n" % name)
    f.write("CATPCA VARIABLES=v1 TO v20 /ANALYSIS=%s\n  /DIMENSION=2 /PRINT=HISTORY /PLOT=NONE.\n" % spec)
with open(os.path.join(out, name + "_mca.sps"), "w") as f:
    f.write("GET DATA /TYPE=CSV /FILE='%s.csv'.\n" % name)
    f.write("MULTIPLE CORRESPONDENCE VARIABLES=v1 TO v20 /ANALYSIS=v1 TO v20\n"
            "  /DIMENSION=2 /PRINT=HISTORY /PLOT=NONE.\n")
# The default PRINT (with the correlations of the transformed variables).
with open(os.path.join(out, name + "_mcadefault.sps"), "w") as f:
    f.write("GET DATA /TYPE=CSV /FILE='%s.csv'.\n" % name)
    f.write("MULTIPLE CORRESPONDENCE VARIABLES=v1 TO v20 /ANALYSIS=v1 TO v20\n"
            "  /DIMENSION=2 /PLOT=NONE.\n")
