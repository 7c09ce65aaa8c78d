#!/usr/bin/env python3
"""Peak memory of large reports: report_memory.py OSCAT_BINARY [CASES]

MULTIPLE CORRESPONDENCE on CASES objects (default 300000) of the benchmark data
(catpca_make_data.py), with /PRINT=OBJECT /PLOT=OBJECT: an object table of two
cells per object and an object-points chart of one point per object. Each
format (text, html, json) runs in its own process; its peak resident memory
is measured, and the same run with /PRINT=NONE /PLOT=NONE gives the memory of
the analysis alone.

The writers stream: what a report adds to the analysis is the output document
(the tables and charts as the procedures built them, a few kilobytes per
object here), not a copy of the report text. Fails (exit 1) when a run fails,
or when the JSON or HTML report needs more than the text report's peak plus a
quarter: the JSON report of 300,000 points once needed 5.6 GB.
"""
import os
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
OSCAT = os.path.abspath(sys.argv[1])
CASES = int(sys.argv[2]) if len(sys.argv) > 2 else 300000


def peak_mb(args, cwd):
    """Run args; return (exit status, peak resident MB)."""
    p = subprocess.Popen(args, cwd=cwd, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    _, status, usage = os.wait4(p.pid, 0)
    return os.waitstatus_to_exitcode(status), usage.ru_maxrss / 1024.0


def main():
    failures = []
    with tempfile.TemporaryDirectory() as d:
        subprocess.run([sys.executable, os.path.join(HERE, "catpca_make_data.py"), str(CASES), d],
                       check=True, stdout=subprocess.DEVNULL)
        data = "catpca_%d.csv" % CASES
        for name, opts in (("none", "/PRINT=NONE /PLOT=NONE"), ("big", "/PRINT=OBJECT /PLOT=OBJECT")):
            with open(os.path.join(d, name + ".sps"), "w") as f:
                f.write("GET DATA /TYPE=CSV /FILE='%s'.\n"
                        "MULTIPLE CORRESPONDENCE VARIABLES=v1 TO v5 /ANALYSIS=v1 TO v5 %s.\n" % (data, opts))
        rc, base = peak_mb([OSCAT, "run", "none.sps", "--output", "none.txt"], d)
        print("report memory, %d objects: analysis alone peak %.0f MB" % (CASES, base))
        peaks = {}
        for fmt in ("text", "html", "json"):
            out = "report." + fmt
            rc, peak = peak_mb([OSCAT, "run", "big.sps", "--format", fmt, "--output", out], d)
            size = os.path.getsize(os.path.join(d, out)) / 1048576.0 if os.path.exists(os.path.join(d, out)) else 0
            peaks[fmt] = peak
            print("  %-4s report %7.0f MB  peak %6.0f MB  exit %d" % (fmt, size, peak, rc))
            if rc != 0:
                failures.append("%s report: exit %d" % (fmt, rc))
            os.remove(os.path.join(d, out))
        for fmt in ("html", "json"):
            if peaks[fmt] > 1.25 * peaks["text"] + 32:
                failures.append("%s report needs %.0f MB, the text report %.0f MB" % (fmt, peaks[fmt], peaks["text"]))
    for f in failures:
        print("FAIL:", f)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
