#!/usr/bin/env python3
"""Run one golden case: run_golden.py OSCAT_BINARY CASE_DIR

A case directory holds
  cmd.sps        the syntax, run as `oscat run cmd.sps --format text` with the
                 case directory as working directory (data files beside it)
  expected.txt   the exact text report expected on standard output
  expected_exit  optional: the expected exit status (default 0)
  check.py       optional: run as `python3 check.py REPORT.json` on the JSON
                 report of the same syntax, for numeric checks against
                 independent facts with tolerances; it exits non-zero on failure

Regenerating: UPDATE_GOLDEN=1 writes expected.txt (and expected_exit when the
status is not 0) from the current output instead of comparing. Review the diff
(`git diff tests/golden`) before committing: an expected file is a claim that
the output is right, not a record of what the code happens to print.
"""
import difflib
import os
import subprocess
import sys
import tempfile


def main():
    if len(sys.argv) != 3:
        print(__doc__.strip().splitlines()[0], file=sys.stderr)
        return 2
    binary = os.path.abspath(sys.argv[1])
    case = os.path.abspath(sys.argv[2])
    name = os.path.basename(case)
    update = os.environ.get("UPDATE_GOLDEN") == "1"

    # Output files a case writes (SAVE, OUTFILE) must not pile up in the tree:
    # remember what was there and remove what is new afterwards.
    before = set(os.listdir(case))
    try:
        return run_case(binary, case, name, update)
    finally:
        for f in set(os.listdir(case)) - before - {"expected.txt", "expected_exit"}:
            path = os.path.join(case, f)
            if os.path.isfile(path):
                os.remove(path)


def run_case(binary, case, name, update):
    env = dict(os.environ)
    env.setdefault("ASAN_OPTIONS", "detect_leaks=1")
    proc = subprocess.run([binary, "run", "cmd.sps", "--format", "text"], cwd=case,
                          stdout=subprocess.PIPE, stderr=subprocess.PIPE, env=env, timeout=600)
    out = proc.stdout.decode("utf-8", errors="replace")
    err = proc.stderr.decode("utf-8", errors="replace")

    expected_path = os.path.join(case, "expected.txt")
    exit_path = os.path.join(case, "expected_exit")
    if update:
        with open(expected_path, "w", encoding="utf-8", newline="") as f:
            f.write(out)
        if proc.returncode != 0:
            with open(exit_path, "w") as f:
                f.write("%d\n" % proc.returncode)
        elif os.path.exists(exit_path):
            os.remove(exit_path)
        print("%s: wrote expected.txt (exit %d); review the diff before committing" % (name, proc.returncode))
        if err:
            sys.stderr.write(err)
        return 0

    failed = False
    expected_exit = 0
    if os.path.exists(exit_path):
        with open(exit_path) as f:
            expected_exit = int(f.read().strip() or "0")
    if proc.returncode != expected_exit:
        print("%s: exit status %d, expected %d" % (name, proc.returncode, expected_exit))
        failed = True
    if not os.path.exists(expected_path):
        print("%s: no expected.txt (run with UPDATE_GOLDEN=1 and review it)" % name)
        failed = True
    else:
        with open(expected_path, encoding="utf-8", newline="") as f:
            expected = f.read()
        if out != expected:
            failed = True
            print("%s: report differs from expected.txt" % name)
            sys.stdout.writelines(difflib.unified_diff(
                expected.splitlines(True), out.splitlines(True), "expected.txt", "actual", n=3))
    if err and failed:
        print("--- standard error ---")
        print(err)

    check = os.path.join(case, "check.py")
    if os.path.exists(check):
        with tempfile.TemporaryDirectory() as tmp:
            report = os.path.join(tmp, "report.json")
            jp = subprocess.run([binary, "run", "cmd.sps", "--format", "json", "--output", report], cwd=case,
                                stdout=subprocess.PIPE, stderr=subprocess.PIPE, env=env, timeout=600)
            if not os.path.exists(report):
                print("%s: no JSON report (exit %d): %s" % (name, jp.returncode, jp.stderr.decode(errors="replace")))
                failed = True
            else:
                cp = subprocess.run([sys.executable, check, report], cwd=case)
                if cp.returncode != 0:
                    print("%s: check.py failed" % name)
                    failed = True
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
