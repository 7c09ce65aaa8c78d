#!/usr/bin/env python3
"""Text reports fit their width: text_width.py OSCAT_BINARY EXAMPLES_DIR

Runs every bundled example (a copy, so the tree stays clean) as the demo does,
with the default width (standard output is not a terminal: 80 columns) and
after SET WIDTH=60 and SET WIDTH=200, and checks
  - no line of the text report is wider than the width;
  - splitting wide tables into panels loses and invents no value: the numbers
    with decimals in the report at width 60 and at 80 are, as a multiset,
    those of the report at 200, where only few tables need panels;
  - the example run exits as it does at any width.
Exits non-zero naming the first failures.
"""
import collections
import glob
import os
import re
import shutil
import subprocess
import sys
import tempfile

OSCAT = os.path.abspath(sys.argv[1])
EXAMPLES = os.path.abspath(sys.argv[2])
NUMBER = re.compile(r"-?\d+\.\d+(?:E[+-]\d+)?%?")
failures = []


def run(work, sps, width):
    args = [OSCAT, "run"]
    if width:
        with open(os.path.join(work, "width.sps"), "w") as f:
            f.write("SET WIDTH=%d.\n" % width)
        args.append("width.sps")
    p = subprocess.run(args + [sps], cwd=work, stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=600)
    return p.returncode, p.stdout.decode("utf-8")


def main():
    with tempfile.TemporaryDirectory() as tmp:
        work = os.path.join(tmp, "examples")
        shutil.copytree(EXAMPLES, work)
        os.mkdir(os.path.join(tmp, "report"))  # the CATREG example writes its path file there
        for sps in sorted(glob.glob(os.path.join(work, "*.sps"))):
            name = os.path.basename(sps)
            if name == "width.sps":
                continue
            reports = {}
            for width in (None, 60, 200):
                rc, text = run(work, name, width)
                limit = width or 80
                wide = [l for l in text.splitlines() if len(l) > limit]
                if wide:
                    failures.append("%s at width %d: %d lines wider, e.g. %r" % (name, limit, len(wide), wide[0][:100]))
                reports[limit] = (rc, text)
            base_rc, base = reports[200]
            for limit in (60, 80):
                rc, text = reports[limit]
                if rc != base_rc:
                    failures.append("%s: exit %d at width %d, %d at 200" % (name, rc, limit, base_rc))
                a, b = collections.Counter(NUMBER.findall(base)), collections.Counter(NUMBER.findall(text))
                if a != b:
                    failures.append("%s at width %d: values lost %s, added %s" %
                                    (name, limit, list((a - b).items())[:5], list((b - a).items())[:5]))
    for f in failures:
        print("FAIL:", f)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
