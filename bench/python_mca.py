#!/usr/bin/env python3
"""oscat.mca on a large DataFrame against the oscat program on the same data:
time and memory. python_mca.py BUILD_DIR [CASES] (default 1,000,000 cases).

The data: 20 variables of small integers (int64, the DataFrame's size is
CASES x 20 x 8 bytes); variable j has 5 + j mod 3 categories cut from one of
two correlated latent normal factors (fixed seed), as catpca_make_data.py.

Each measurement runs in its own process so that peaks do not mix:
  module   builds the DataFrame, resets the process's peak resident size
           (/proc/self/clear_refs) and runs oscat.mca; reports the time of the
           call, the peak resident size above the size before the call, and
           tracemalloc's peak (what Python and numpy allocated during the call;
           the engine's C++ allocations are not traced)
  program  `oscat run` on the same data written as CSV and the same command
           (GET DATA first); /usr/bin/time's elapsed time and peak
The program holds its copy of the data as doubles (CASES x 20 x 8 bytes), so
its peak less that copy is what the analysis needs.
"""
import json
import os
import subprocess
import sys
import tempfile
import time

import numpy as np
import pandas as pd

M = 20


def make_frame(cases):
    rng = np.random.default_rng(20261207)
    f1 = rng.normal(size=cases)
    f2 = 0.5 * f1 + 0.75 ** 0.5 * rng.normal(size=cases)
    cols = {}
    from statistics import NormalDist
    for j in range(M):
        ncat = 5 + (j + 1) % 3
        cuts = [NormalDist(0, 1.25 ** 0.5).inv_cdf(k / ncat) for k in range(1, ncat)]
        z = (f1 if j % 2 == 0 else f2) + 0.5 * rng.normal(size=cases)
        codes = np.digitize(z, cuts) + 1
        if (j + 1) % 3 == 0:
            perm = rng.permutation(ncat) + 1
            codes = perm[codes - 1]
        cols[f"v{j + 1}"] = codes.astype(np.int64)
    return pd.DataFrame(cols)


def status_kb(field):
    with open("/proc/self/status") as f:
        for line in f:
            if line.startswith(field + ":"):
                return int(line.split()[1])
    return 0


def child_module(cases):
    import gc
    import tracemalloc
    import oscat
    df = make_frame(cases)
    gc.collect()
    size_mb = df.memory_usage(index=False).sum() / 2 ** 20
    with open("/proc/self/clear_refs", "w") as f:  # peak resident size := current
        f.write("5")
    before = status_kb("VmRSS")
    tracemalloc.start()
    t0 = time.perf_counter()
    report = oscat.mca(df, dims=2, print="HISTORY", plot="NONE")
    secs = time.perf_counter() - t0
    traced_peak = tracemalloc.get_traced_memory()[1]
    tracemalloc.stop()
    peak = status_kb("VmHWM")
    iters = len(report.tables["Iteration History"])
    print(json.dumps({"secs": secs, "df_mb": size_mb, "before_mb": before / 1024, "peak_mb": peak / 1024,
                      "traced_mb": traced_peak / 2 ** 20, "iterations": iters, "syntax": report.syntax}))


def main():
    if len(sys.argv) >= 3 and sys.argv[1] == "--child":
        return child_module(int(sys.argv[2]))
    build = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else "build")
    cases = int(sys.argv[2]) if len(sys.argv) > 2 else 1_000_000
    env = dict(os.environ, PYTHONPATH=os.path.join(build, "python"))
    out = subprocess.run([sys.executable, __file__, "--child", str(cases)], env=env, check=True,
                         stdout=subprocess.PIPE, text=True).stdout
    mod = json.loads(out.strip().splitlines()[-1])

    with tempfile.TemporaryDirectory() as tmp:
        make_frame(cases).to_csv(os.path.join(tmp, "data.csv"), index=False)
        with open(os.path.join(tmp, "cmd.sps"), "w") as f:
            f.write("GET DATA /TYPE=CSV /FILE='data.csv'.\n" + mod["syntax"])
        timing = os.path.join(tmp, "time.txt")
        subprocess.run(["/usr/bin/time", "-f", "%e %M", "-o", timing, os.path.join(build, "oscat"), "run",
                        "cmd.sps"], cwd=tmp, check=True, stdout=subprocess.DEVNULL)
        with open(timing) as f:
            psecs, pkb = f.read().split()[-2:]
    psecs, pmb = float(psecs), int(pkb) / 1024
    copy_mb = cases * M * 8 / 2 ** 20
    analysis_mb = pmb - copy_mb
    grew = mod["peak_mb"] - mod["before_mb"]
    print(f"oscat.mca, {cases} x {M} int64 DataFrame ({mod['df_mb']:.0f} MB), {mod['iterations'] - 1} iterations")
    print(f"  module : {mod['secs']:.2f} s; resident {mod['before_mb']:.0f} MB before the call, "
          f"peak {mod['peak_mb']:.0f} MB (+{grew:.0f} MB); tracemalloc peak {mod['traced_mb']:.1f} MB")
    print(f"  program: {psecs:.2f} s (CSV read included); peak {pmb:.0f} MB, of which the analysis "
          f"about {analysis_mb:.0f} MB (peak less its {copy_mb:.0f} MB copy of the data)")
    print(f"  module time / program time: {mod['secs'] / psecs:.2f}")
    print(f"  module's growth during the call / (0.2 x DataFrame + analysis): "
          f"{grew / (0.2 * mod['df_mb'] + analysis_mb):.2f}")


if __name__ == "__main__":
    main()
