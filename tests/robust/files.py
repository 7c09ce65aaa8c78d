#!/usr/bin/env python3
"""Files written by oscat: files.py OSCAT_BINARY

Checks, each in a fresh temporary directory:
  - --output through a symlink writes the link's target and keeps the link;
    onto a FIFO (not a regular file) or onto --data / the syntax file it is
    refused with exit 2 and the file is left as it was;
  - two runs saving the same file at the same time leave a data file and
    dictionary from one run, and GET DATA reads them; a pair from two runs
    is refused;
  - --output onto a file that the syntax's GET DATA reads, or its dictionary,
    is refused before anything runs; onto a file a procedure reads (a CATPCA
    configuration file), before the report is written; exit 2 naming the file;
  - exit status: an unreadable --data or syntax file 2, a GET DATA that cannot
    read its file 1 (an error of that command, the report is written);
  - SIGTERM during SAVE leaves no temporary file, and a stale temporary of a
    dead run is removed by the next SAVE of that file;
  - a 100,000-column file is read, saved and read back well within a minute;
  - running out of memory in GET DATA is an error of that command only.
Exits non-zero naming the first check that failed.
"""
import glob
import os
import signal
import subprocess
import sys
import tempfile
import time

OSCAT = os.path.abspath(sys.argv[1])
failures = []


def check(cond, what):
    if not cond:
        failures.append(what)
        print("FAIL:", what)


def run(args, cwd, **kw):
    return subprocess.run([OSCAT, "run"] + args, cwd=cwd, stdout=subprocess.PIPE, stderr=subprocess.PIPE, **kw)


def flat(report):
    """A text report with its line breaks undone, for finding messages in it."""
    return b" ".join(report.split())


def write(path, text):
    with open(path, "w") as f:
        f.write(text)


def output_targets(d):
    write(os.path.join(d, "d.csv"), "a,b\n1,2\n2,1\n3,3\n1,1\n")
    write(os.path.join(d, "t.sps"), "TITLE 'x'.\n")
    write(os.path.join(d, "real.txt"), "old\n")
    os.symlink("real.txt", os.path.join(d, "link.txt"))
    p = run(["t.sps", "--data", "d.csv", "--output", "link.txt"], d)
    check(p.returncode == 0, "output through a symlink: exit %d %s" % (p.returncode, p.stderr))
    check(os.path.islink(os.path.join(d, "link.txt")), "the symlink is kept")
    check(open(os.path.join(d, "real.txt")).read() != "old\n", "the link's target holds the report")
    os.mkfifo(os.path.join(d, "fifo"))
    p = run(["t.sps", "--output", "fifo"], d, timeout=20)
    check(p.returncode == 2 and b"not a regular file" in p.stderr, "a FIFO is refused: %s" % p.stderr)
    check(not os.path.isfile(os.path.join(d, "fifo")), "the FIFO is not replaced")
    for victim in ("d.csv", "t.sps"):
        before = open(os.path.join(d, victim)).read()
        p = run(["t.sps", "--data", "d.csv", "--output", victim], d)
        check(p.returncode == 2 and b"input file" in p.stderr, "--output onto %s is refused: %s" % (victim, p.stderr))
        check(open(os.path.join(d, victim)).read() == before, "%s is unchanged" % victim)


def save_race(d):
    rows = "\n".join("%d,%d" % (i % 3 + 1, i % 5 + 1) for i in range(3000))
    for name in "AB":
        write(os.path.join(d, name + ".csv"), "x,y\n" + rows + ("\n" if name == "A" else "\n1,1\n"))
        write(os.path.join(d, "s%s.sps" % name),
              "GET DATA /TYPE=CSV /FILE='%s.csv'.\nVALUE LABELS x 1 '%s-one'.\nSAVE OUTFILE='shared.csv'.\n" % (name, name))
    write(os.path.join(d, "read.sps"), "GET DATA /TYPE=CSV /FILE='shared.csv'.\n")
    for _ in range(15):
        a = subprocess.Popen([OSCAT, "run", "sA.sps"], cwd=d, stdout=subprocess.DEVNULL)
        b = subprocess.Popen([OSCAT, "run", "sB.sps"], cwd=d, stdout=subprocess.DEVNULL)
        a.wait()
        b.wait()
        data = open(os.path.join(d, "shared.csv")).read()
        side = open(os.path.join(d, "shared.csv.dict.json")).read()
        from_a = data == open(os.path.join(d, "A.csv")).read()
        check(("A-one" in side) == from_a, "data and dictionary of shared.csv come from one run")
        check(run(["read.sps"], d).returncode == 0, "GET DATA reads the saved pair")
    # A pair from two runs: the data of B beside the dictionary of A.
    run(["sA.sps"], d)
    side_a = open(os.path.join(d, "shared.csv.dict.json")).read()
    run(["sB.sps"], d)
    write(os.path.join(d, "shared.csv.dict.json"), side_a)
    p = run(["read.sps"], d)
    check(p.returncode == 1 and b"was not written with this data file" in flat(p.stdout), "a mismatched pair is refused")
    check(not glob.glob(os.path.join(d, "*.tmp-*")), "no temporaries are left by the saves")


def sigterm(d):
    line = ",".join(str(k % 7) for k in range(20))
    with open(os.path.join(d, "big.csv"), "w") as f:
        f.write(",".join("v%d" % k for k in range(20)) + "\n")
        f.write((line + "\n") * 200000)
    write(os.path.join(d, "saves.sps"), "GET DATA /TYPE=CSV /FILE='big.csv'.\n" +
          "".join("SAVE OUTFILE='s%d.csv'.\n" % k for k in range(40)))
    p = subprocess.Popen([OSCAT, "run", "saves.sps"], cwd=d, stdout=subprocess.DEVNULL)
    deadline = time.time() + 30
    while time.time() < deadline and not glob.glob(os.path.join(d, "s*.csv.tmp-*")):
        time.sleep(0.005)
    p.send_signal(signal.SIGTERM)
    p.wait()
    check(p.returncode == -signal.SIGTERM, "SIGTERM ends the run (status %d)" % p.returncode)
    check(not glob.glob(os.path.join(d, "*.tmp-*")), "SIGTERM during SAVE leaves no temporary: %s" %
          glob.glob(os.path.join(d, "*.tmp-*")))
    # A temporary of a dead run is cleaned by the next SAVE of the same file.
    dead = subprocess.Popen(["true"])
    dead.wait()
    stale = os.path.join(d, "small.csv.tmp-%d" % dead.pid)
    write(stale, "half")
    write(os.path.join(d, "small.sps"), "GET DATA /TYPE=CSV /FILE='big.csv'.\nSAVE OUTFILE='small.csv'.\n")
    check(run(["small.sps"], d).returncode == 0, "SAVE beside a stale temporary")
    check(not os.path.exists(stale), "the stale temporary is removed")


def wide_header(d):
    # 100,000 columns: the name checks must be linear (a quadratic one took minutes).
    n = 100000
    write(os.path.join(d, "wide.csv"), ",".join("v%d" % i for i in range(n)) + "\n" + ",".join("1" for _ in range(n)) + "\n")
    write(os.path.join(d, "wide.sps"), "GET DATA /TYPE=CSV /FILE='wide.csv'.\nSAVE OUTFILE='w2.csv'.\nGET DATA /TYPE=CSV /FILE='w2.csv'.\n")
    try:
        p = run(["wide.sps"], d, timeout=60)
        check(p.returncode == 0, "a 100,000-column file is read and saved: %s" % p.stdout[-300:])
    except subprocess.TimeoutExpired:
        check(False, "a 100,000-column file takes over a minute")


def out_of_memory(d):
    # GET DATA beyond the address space allowed: an error for that command,
    # the next commands run and the report is written.
    import resource

    def limit():
        resource.setrlimit(resource.RLIMIT_AS, (100 << 20, 100 << 20))

    write(os.path.join(d, "t.sps"), "TITLE 'x'.\n")
    if subprocess.run([OSCAT, "run", "t.sps"], cwd=d, preexec_fn=limit, stdout=subprocess.DEVNULL,
                      stderr=subprocess.DEVNULL).returncode != 0:
        print("out_of_memory: skipped (the program cannot start within 100 MB, e.g. under a sanitizer)")
        return
    with open(os.path.join(d, "h.csv"), "w") as f:
        f.write("a,b\n" + "1,2\n" * 5000000)
    write(os.path.join(d, "g.sps"), "GET DATA /TYPE=CSV /FILE='h.csv'.\nTITLE 'after'.\n")
    p = subprocess.run([OSCAT, "run", "g.sps"], cwd=d, preexec_fn=limit, stdout=subprocess.PIPE, stderr=subprocess.PIPE)
    check(p.returncode == 1 and b"not enough memory for this command" in flat(p.stdout) and b"TITLE 'after'" in p.stdout,
          "out of memory in GET DATA is reported and the run goes on: %d %s" % (p.returncode, p.stdout[-400:]))


def output_onto_read_files(d):
    # Files the syntax itself reads: refused before anything runs (GET DATA),
    # or before the report is written (a procedure's configuration file).
    os.mkdir(os.path.join(d, "syn"))
    rows = "".join("%d,%d,%d\n" % (i % 3 + 1, (i * 7) % 4 + 1, (i * 5) % 3 + 1) for i in range(40))
    write(os.path.join(d, "syn", "g.csv"), "a,b,c\n" + rows)
    write(os.path.join(d, "syn", "g.sps"),
          "GET DATA /TYPE=CSV /FILE='g.csv'.\nSAVE OUTFILE='saved.csv'.\nTITLE 'x'.\n")
    for victim in ("syn/g.csv", "syn/g.csv.dict.json", "./syn/../syn/g.csv"):
        real = os.path.join(d, "syn", os.path.basename(victim))
        before = open(real).read() if os.path.exists(real) else None
        p = run(["syn/g.sps", "--output", victim], d)
        check(p.returncode == 2 and b"input file" in p.stderr and os.path.basename(victim).encode() in p.stderr
              and b"GET DATA" in p.stderr, "--output onto %s (GET DATA) is refused: %d %s" % (victim, p.returncode, p.stderr))
        check((open(real).read() if os.path.exists(real) else None) == before, "%s is unchanged" % victim)
        check(not os.path.exists(os.path.join(d, "syn", "saved.csv")), "nothing ran before the refusal (%s)" % victim)
    # The configuration file of CATPCA is known to be read only once it is.
    write(os.path.join(d, "conf.csv"), "d1,d2\n" + "".join("%g,%g\n" % ((i % 7) - 3, (i % 5) - 2) for i in range(40)))
    write(os.path.join(d, "c.sps"), "GET DATA /TYPE=CSV /FILE='syn/g.csv'.\n"
          "CATPCA VARIABLES=a b c /ANALYSIS=a b c /DIMENSION=2 /CONFIGURATION=INITIAL('conf.csv') /PLOT=NONE.\n")
    before = open(os.path.join(d, "conf.csv")).read()
    p = run(["c.sps", "--output", "conf.csv"], d)
    check(p.returncode == 2 and b"conf.csv" in p.stderr and b"input file" in p.stderr,
          "--output onto a configuration file is refused: %d %s" % (p.returncode, p.stderr))
    check(open(os.path.join(d, "conf.csv")).read() == before, "the configuration file is unchanged")
    p = run(["c.sps", "--output", "r.txt"], d)
    check(p.returncode == 0 and b"Model Summary" in open(os.path.join(d, "r.txt"), "rb").read(),
          "the same run with another --output works: %d %s" % (p.returncode, p.stderr))


def exit_status(d):
    # An unreadable --data or syntax file: nothing runs, no report, exit 2.
    write(os.path.join(d, "t.sps"), "TITLE 'x'.\n")
    p = run(["t.sps", "--data", "missing.csv"], d)
    check(p.returncode == 2 and p.stdout == b"" and b"missing.csv" in p.stderr, "--data missing: %d" % p.returncode)
    p = run(["missing.sps"], d)
    check(p.returncode == 2 and p.stdout == b"", "syntax file missing: %d" % p.returncode)
    # GET DATA that cannot read its file is an error of that command: the
    # next commands run and the report says which file, exit 1.
    write(os.path.join(d, "g.sps"), "GET DATA /TYPE=CSV /FILE='missing.csv'.\nTITLE 'after'.\n")
    p = run(["g.sps"], d)
    check(p.returncode == 1 and b"missing.csv" in p.stdout and b"TITLE 'after'" in p.stdout,
          "GET DATA of a missing file: exit %d %s" % (p.returncode, p.stdout[-300:]))
    # The help says so.
    h = subprocess.run([OSCAT, "--help"], stdout=subprocess.PIPE, stderr=subprocess.PIPE)
    text = flat(h.stdout)
    check(h.returncode == 0 and b"Exit status" in text and b"1 a command issued an error, e.g. a GET DATA" in text,
          "--help lists the exit statuses: %s" % h.stdout[-400:])


for test in (output_targets, output_onto_read_files, exit_status, save_race, sigterm, wide_header, out_of_memory):
    with tempfile.TemporaryDirectory() as d:
        test(d)
sys.exit(1 if failures else 0)
