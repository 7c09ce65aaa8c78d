#!/usr/bin/env python3
"""Write a table of Poisson(5) + 1 counts as a matrix file and its syntax:
corres_make_data.py ROWS COLS OUTDIR (fixed seed)."""
import math
import os
import random
import sys

rows, cols, out = int(sys.argv[1]), int(sys.argv[2]), sys.argv[3]
rng = random.Random(12345)


def poisson(lam):
    # Knuth's method; small mean.
    l, k, p = math.exp(-lam), 0, 1.0
    while True:
        p *= rng.random()
        if p <= l:
            return k
        k += 1


os.makedirs(out, exist_ok=True)
name = "corres_%dx%d" % (rows, cols)
with open(os.path.join(out, name + ".csv"), "w") as f:
    f.write(",".join("c%d" % (j + 1) for j in range(cols)) + "\n")
    for _ in range(rows):
        f.write(",".join(str(poisson(5.0) + 1) for _ in range(cols)) + "\n")
with open(os.path.join(out, name + ".sps"), "w") as f:
    f.write("GET DATA /TYPE=CSV /FILE='%s.csv'.\n" % name)
    f.write("CORRESPONDENCE TABLE=ALL(%d,%d) /PRINT=NONE /PLOT=NONE.\n" % (rows, cols))
