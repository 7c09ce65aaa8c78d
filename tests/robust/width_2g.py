#!/usr/bin/env python3
"""A text cell of 2^31 bytes or more: width_2g.py OSCAT_BINARY

Writes a 2 GiB data file (column a has one cell of 2^31 + 10 bytes) in a
temporary directory, runs GET DATA and SAVE, and checks that GET DATA refuses
the file with a message naming the line and the column, and that no file is
saved. Needs about 2.1 GB of disk and 5 GB of memory; ctest runs it only when
asked (its name matches -E robust).
"""
import os
import subprocess
import sys
import tempfile

oscat = os.path.abspath(sys.argv[1])
with tempfile.TemporaryDirectory() as d:
    with open(os.path.join(d, "big.csv"), "wb") as f:
        f.write(b"a,b\n")
        chunk, left = b"x" * (1 << 24), 2 ** 31 + 10
        while left > 0:
            n = min(left, len(chunk))
            f.write(chunk[:n])
            left -= n
        f.write(b",1\ny,2\nz,3\n")
    with open(os.path.join(d, "cmd.sps"), "w") as f:
        f.write("GET DATA /TYPE=CSV /FILE='big.csv'.\nSAVE OUTFILE='saved.csv'.\n")
    p = subprocess.run([oscat, "run", "cmd.sps"], cwd=d, stdout=subprocess.PIPE, stderr=subprocess.PIPE)
    out = " ".join(p.stdout.decode("utf-8", "replace").split())  # messages wrap at the report width
    ok = (p.returncode == 1 and 'line 2, variable "a": a cell of 2147483658 bytes' in out
          and not os.path.exists(os.path.join(d, "saved.csv")))
    print(out[-600:])
    sys.exit(0 if ok else 1)
