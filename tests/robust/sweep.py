#!/usr/bin/env python3
"""Randomized robustness sweep of CATPCA, MULTIPLE CORRESPONDENCE and CATREG.

  sweep.py --oscat BUILD/oscat [--cases N] [--seed S] [--keep DIR] [--timeout SEC]
  sweep.py --oscat BUILD/oscat --replay CASE_SEED [--keep DIR]

Each case has its own seed (printed on failure): it writes a small random data
file, sometimes a configuration file, and a random command file built from
the grammar of the procedures, with the occasional malformed token; then
runs `oscat run cmd.sps` (JSON, sometimes text or HTML) twice in fresh
directories and flags
  - a crash or sanitizer report (an exit status other than 0 and 1, or
    "ERROR: AddressSanitizer", "runtime error:", "LeakSanitizer" on stderr),
  - a timeout, exit 2,
  - invalid JSON or a non-finite number in it,
  - a report or output file that differs between the two runs,
  - a ragged or half-written output file, or a temporary file left behind.
Some data files have odd cells (missing-data spellings, text, numbers beyond
the range of doubles or 2^53, bytes that are not UTF-8 in cells, names and
labels). After the cases, two runs SAVE the same file at once a few times; the
data and dictionary left must come from one run and read back.
Failing cases keep their directory under --keep for replay. Python 3 standard
library only. Exit status: 0 when every case passed, 1 otherwise.
"""
import argparse
import csv
import hashlib
import json
import os
import random
import re
import shutil
import subprocess
import sys
import tempfile

LEVELS = ["NOMINAL", "ORDINAL", "NUMERICAL", "MNOMINAL", "SPORD", "SPNOM"]
MISSING_TREATMENTS = ["PASSIVE EXTRACAT", "PASSIVE MODEIMPU", "PASSIVE RANDIMPU", "PASSIVE",
                      "ACTIVE EXTRACAT", "ACTIVE MODEIMPU", "ACTIVE RANDIMPU", "ACTIVE", "LISTWISE",
                      "EXTRACAT", "MODEIMPU"]
JUNK = ["(", ")", "=", "/", ",", "*", "-1", "0", "1e300", "2147483648", "-2147483649", "0.5", "'x'",
        "FOO", "LEVEL", "TO", "THRU", "BY", ".", "''", "99999999999", "1e-320", "NaN"]


# ------------------------------------------------------------------- data ---

def fmt(x):
    if isinstance(x, float):
        if x != 0 and not 1e-3 <= abs(x) <= 1e6:
            return repr(x)
        return repr(round(x, 3))
    return str(x)


def make_data(rng):
    """Returns (header, rows, info) for a small random data file."""
    r = rng.random()
    n = rng.randint(1, 40) if r < 0.25 else rng.randint(8, 40) if r < 0.95 else rng.randint(100, 300)
    nv = rng.randint(1, 7) if rng.random() < 0.2 else rng.randint(3, 7)
    names, cols, kinds = [], [], {}
    for j in range(nv):
        name = "v%d" % (j + 1)
        k = rng.randint(1, 9) if rng.random() < 0.1 else rng.randint(2, 9)
        shape = rng.random()
        col = []
        for _ in range(n):
            r = rng.random()
            if r < 0.08:
                col.append("")
            elif r < 0.085:
                col.append(rng.choice([99999, 1e9, 123456789012, 0.0001, -1e6, 1e308, -1e308, 5e-324]))
            elif shape < 0.04:
                col.append(3)  # a constant column
            elif shape < 0.25:
                col.append(round(rng.uniform(-3, 3 * k), rng.choice([1, 2])))
            elif shape < 0.35:
                col.append(rng.randint(-2, k))
            else:
                col.append(rng.randint(1, k))
        names.append(name)
        cols.append(col)
        kinds[name] = "num"
    if rng.random() < 0.25:
        words = ["a", "b", "c", "dd", "e e", "f,g", 'q"t', "z", "\u00e9t\u00e9", "x" * 300, " lead",
                 "-1", "3.5"][: rng.randint(1, 13)]
        names.append("s1")
        cols.append([rng.choice(words) if rng.random() > 0.1 else "" for _ in range(n)])
        kinds["s1"] = "str"
    if rng.random() < 0.4:
        names.append("w")
        cols.append([rng.choice([0, 1, 1, 2, 0.5, 1.5, 3, "", -1, 0.001, 1000]) if rng.random() < 0.98
                     else rng.choice([1e308, 5e-324, 1e19]) for _ in range(n)])
        kinds["w"] = "num"
    if rng.random() < 0.3:
        names.append("f")
        cols.append([rng.choice([0, 1, 1, 1, ""]) for _ in range(n)])
        kinds["f"] = "num"
    rows = [[c[i] for c in cols] for i in range(n)]
    return names, rows, {"n": n, "kinds": kinds, "vars": [v for v in names if v.startswith("v")]}


def csv_text(header, rows):
    out = []
    w = csv.writer(_Sink(out), lineterminator="\n")
    w.writerow(header)
    for r in rows:
        w.writerow([fmt(x) for x in r])
    return "".join(out)


class _Sink:
    def __init__(self, out):
        self.out = out

    def write(self, s):
        self.out.append(s)


def make_config(rng, n, p, bad):
    """A configuration file: n rows by p columns, sometimes wrong when bad."""
    rows, cols = n, p
    r = rng.random() if bad else 1.0
    if r < 0.15:
        rows = max(0, n + rng.choice([-2, -1, 1, 3]))
    elif r < 0.3:
        cols = max(1, p + rng.choice([-1, 1, 2]))
    header = ["d%d" % (j + 1) for j in range(cols)]
    data = []
    for _ in range(rows):
        row = []
        for _ in range(cols):
            x = rng.random()
            if x < 0.04 and bad:
                row.append("")
            elif x < 0.05 and bad:
                row.append("abc")
            elif x < 0.07:
                row.append(0)
            elif x < 0.075 and bad:
                row.append(rng.choice([1e308, -1e200, 5e-324]))
            else:
                row.append(round(rng.gauss(0, 1), 4))
        data.append(row)
    if rng.random() < 0.1 and data and bad:
        data[rng.randrange(len(data))] = [""] * cols
    return csv_text(header, data)


# ---------------------------------------------------------------- command ---

def pick(rng, seq, lo=1, hi=None):
    hi = len(seq) if hi is None else min(hi, len(seq))
    lo = min(lo, hi)
    return rng.sample(seq, rng.randint(lo, hi))


def varlist(vs):
    return " ".join(vs)


def analysis_spec(rng, mca, bad):
    """One ANALYSIS group as written in the command, and the level it gives."""
    items = []
    if rng.random() < 0.3:
        items.append("WEIGHT=%s" % rng.choice(["1", "2", "3"] + (["0", "1.5"] if bad else [])))
    if mca:
        if bad and rng.random() < 0.2:
            items.append("LEVEL=%s" % rng.choice(["MNOMINAL", "NOMINAL"]))
        return items, "MNOMINAL"
    level = rng.choice(LEVELS)
    if rng.random() < 0.8:
        items.append("LEVEL=%s" % level if rng.random() < 0.7 else level)
    else:
        level = "SPORD"
    if level.startswith("SP") or (bad and rng.random() < 0.1):
        if rng.random() < 0.5:
            items.append("INKNOT=%d" % rng.choice([0, 1, 2, 3, 5, 9]))
        if rng.random() < 0.5:
            items.append("DEGREE=%d" % rng.choice([1, 2, 3, 4]))
    return items, level


def make_command(rng, info, files):
    """One CATPCA or MULTIPLE CORRESPONDENCE command. Most commands are
    meant to be valid, so that the analysis and its output run; a "bad" one
    also draws specifications that the parsers or the data checks reject."""
    bad = rng.random() < 0.3
    mca = rng.random() < 0.4
    proc = "MULTIPLE CORRESPONDENCE" if mca else "CATPCA"
    allv = info["vars"] + [v for v in ("s1",) if v in info["kinds"]]
    vars_ = pick(rng, allv, 1 if bad else 3)
    extra = [v for v in allv if v not in vars_]
    label_var = None
    if extra and rng.random() < 0.3:
        label_var = rng.choice(extra)
        vars_ = vars_ + [label_var]
    ana = [v for v in vars_ if v != label_var]
    if len(ana) > 1 and rng.random() < 0.2:
        ana = ana[:-1]
    subs = []
    # ANALYSIS, in groups with their own specifications
    groups, rest, level = [], ana[:], {}
    rng.shuffle(rest)
    while rest:
        g = rest[: rng.randint(1, len(rest))]
        rest = rest[len(g):]
        spec, lev = analysis_spec(rng, mca, bad)
        for v in g:
            level[v] = lev
        groups.append(varlist(g) + (" (%s)" % " ".join(spec) if spec else ""))
    subs.append("ANALYSIS=" + " ".join(groups))
    mnom = [v for v in ana if level[v] == "MNOMINAL"]
    single = [v for v in ana if level[v] != "MNOMINAL"]
    ndim = 2
    if rng.random() < 0.6:
        ndim = rng.randint(1, 4) if bad else rng.randint(1, 3)
        subs.append("DIMENSION=%d" % ndim)
    if rng.random() < 0.4:
        d = []
        for v in pick(rng, vars_, 1, 3):
            m = rng.choice(["GROUPING", "GROUPING NCAT=%d" % rng.randint(2, 9),
                            "GROUPING NCAT=%d DISTR=UNIFORM" % rng.randint(2, 9),
                            "GROUPING DISTR=NORMAL", "RANKING", "MULTIPLYING",
                            "GROUPING EQINTV=%s" % rng.choice(["0.5", "1", "2", "100", "0.001"] + (["1e-310", "1e-9"] if bad else [])), ""])
            d.append("%s(%s)" % (v, m) if m else v)
        subs.append("DISCRETIZATION=" + " ".join(d))
    if rng.random() < 0.45:
        d = []
        for v in pick(rng, vars_, 1, 3):
            t = rng.choice(MISSING_TREATMENTS)
            if not bad and t == "LISTWISE" and rng.random() < 0.5:
                t = "PASSIVE"
            d.append("%s(%s)" % (v, t))
        subs.append("MISSING=" + " ".join(d))
    fixed = False
    resample = rng.random() < 0.3
    if rng.random() < 0.2 and (bad or not resample):
        fixed = rng.random() < 0.5
        files["conf.csv"] = make_config(rng, info["n"], ndim, bad)
        subs.append("CONFIGURATION=%s('conf.csv')" % ("FIXED" if fixed else "INITIAL"))
    if rng.random() < 0.3:
        s = []
        if rng.random() < 0.7 and (bad or not fixed):
            top = info["n"] + 1 if bad else info["n"]
            objs = sorted(set(rng.randint(1, max(1, top)) for _ in range(rng.randint(1, 3))))
            o = " ".join(str(x) for x in objs)
            if rng.random() < 0.2 and info["n"] >= 3:
                o = "1 THRU %d" % rng.randint(1, info["n"])
            s.append("OBJECT(%s)" % o)
        if rng.random() < 0.5 and ana and (bad or len(ana) >= 4):
            s.append("VARIABLE(%s)" % varlist(pick(rng, ana, 1, 2 if bad else 1)))
        if s:
            subs.append("SUPPLEMENTARY=" + " ".join(s))
    if rng.random() < 0.3:
        subs.append("NORMALIZATION=%s" % rng.choice(
            ["VPRINCIPAL", "OPRINCIPAL", "SYMMETRICAL", "INDEPENDENT", "0.5", "-1", "1", "0", "-0.3"]
            + (["1.5"] if bad else [])))
    if not mca and rng.random() < 0.3 and (bad or not resample):
        r = rng.choice(["VARIMAX", "EQUAMAX", "QUARTIMAX", "OBLIMIN",
                        "OBLIMIN(%s)" % rng.choice(["0", "0.5", "-2", "0.8"] + (["0.9"] if bad else [])),
                        "PROMAX", "PROMAX(%s)" % rng.choice(["1", "2", "4", "6"]), "NOROTATE"])
        if rng.random() < 0.4:
            r += " " + rng.choice(["KAISER", "NOKAISER"])
        subs.append("ROTATION=" + r)
    if rng.random() < 0.2:
        subs.append("MAXITER=%d" % rng.choice([1, 2, 5, 50, 200]))
    if rng.random() < 0.2:
        subs.append("CRITITER=%s" % rng.choice(["0.1", "0.001", ".0000000001", "1e-14"]))
    # PRINT
    if rng.random() < 0.7:
        kws = ["DESCRIP", "HISTORY", "CORR", "OCORR", "OBJECT", "QUANT"]
        kws += ["DISCRIM"] if mca else ["VAF", "LOADING"]
        p = []
        for k in pick(rng, kws, 1):
            if k in ("DESCRIP", "QUANT") and rng.random() < 0.4:
                k += "(%s)" % varlist(pick(rng, ana, 1, 2))
            elif k == "OBJECT" and rng.random() < 0.4:
                k += "(%s)" % rng.choice(vars_)
            elif k == "LOADING" and rng.random() < 0.3:
                k += "(%s)" % rng.choice(["SORT", "NOSORT"])
            p.append(k)
        if rng.random() < 0.05:
            p = ["NONE"]
        subs.append("PRINT=" + " ".join(p))
    # PLOT
    if rng.random() < 0.75:
        kws = ["OBJECT", "CATEGORY", "JOINTCAT", "BIPLOT", "TRANS", "RESID", "NDIM"]
        kws += ["DISCRIM"] if mca else ["LOADING", "TRIPLOT", "PROJCENT", "VAF"]
        p = []
        for k in pick(rng, kws, 1, 4):
            if k in ("CATEGORY", "TRANS", "RESID", "JOINTCAT"):
                vl = varlist(pick(rng, ana, 1, 2))
                if k in ("TRANS", "RESID") and rng.random() < 0.3:
                    vl += " (%d)" % rng.randint(1, ndim if not bad else 3)
                k += "(%s)" % vl
            elif k == "BIPLOT" and rng.random() < 0.5:
                if mca or rng.random() < 0.5 or not (bad or (mnom and single)):
                    k += "(%s)" % varlist(pick(rng, ana, 1, 2))
                else:
                    k += "(LOADING(%s) CENTROID(%s))" % (rng.choice(single if not bad else ana),
                                                         rng.choice(mnom if not bad else ana))
            elif k == "OBJECT" and rng.random() < 0.3:
                k += "(%s)" % rng.choice(vars_)
            elif k == "PROJCENT":
                if not bad and not (mnom and single):
                    continue
                k += "(CENTROID(%s) %s)" % (rng.choice(mnom if not bad else ana),
                                            varlist(pick(rng, single if not bad else ana, 1, 2)))
            elif k == "NDIM":
                if bad:
                    k += rng.choice(["(1,2)", "(1,3)", "(2,3)", "(1,1)", "()", "(1,4)", "(3)"])
                elif ndim == 1:
                    k += rng.choice(["(1,1)", "()"])
                else:
                    a = rng.randint(1, ndim - 1)
                    k += "(%d,%d)" % (a, rng.randint(a + 1, ndim))
            elif k == "LOADING" and rng.random() < 0.3:
                if not bad and not single:
                    continue
                k += "(%s)" % varlist(pick(rng, single if not bad else ana, 1, 2))
            if rng.random() < 0.1:
                k += " (%d)" % rng.choice([0, 8, 20])
            p.append(k)
        if rng.random() < (0.5 if resample else 0.1) and (bad or "OBJECT" in p or any(
                x.startswith("CATEGORY") for x in p)):
            ell = rng.choice(["DMELLARE" if mca else "LDELLARE", "CTELLARE", "OBELLARE"])
            p.append("%s(%s)" % (ell, rng.choice(["AREA", "STDEV", "AREA > 0.5", "STDEV < 2"])))
        if rng.random() < 0.05:
            p.append("NELLPNT(%d)" % rng.choice([3, 4, 20, 101] if bad else [4, 20, 100]))
        if rng.random() < 0.05 or not p:
            p = ["NONE"]
        subs.append("PLOT=" + " ".join(p))
    else:
        subs.append("PLOT=NONE" if rng.random() < 0.5 else "PLOT=OBJECT")
    # SAVE and OUTFILE
    if rng.random() < 0.25:
        kws = ["TRDATA", "OBJECT"] + ([] if mca else ["APPROX"])
        s = []
        top = 3 if bad else ndim
        for k in pick(rng, kws, 1):
            r = rng.random()
            if r < 0.2:
                k += "(r%d)" % rng.randint(1, 9)
            elif r < 0.35 and k != "APPROX":
                k += "((%d))" % rng.randint(1, top)
            elif r < 0.45 and k != "APPROX":
                k += "(q%d(%d))" % (rng.randint(1, 9), rng.randint(1, top))
            s.append(k)
        if resample and ndim == 2 and rng.random() < 0.4:
            s.append(rng.choice(["DMELLARE" if mca else "LDELLARE", "CTELLARE", "OBELLARE"]))
        subs.append("SAVE=" + " ".join(s))
    if rng.random() < 0.25:
        kws = ["TRDATA", "DISCRDAT", "OBJECT"] + ([] if mca else ["APPROX"])
        if resample:
            kws.append("ELLCOORD")
        s = []
        for k in pick(rng, kws, 1):
            name = "out_%s.csv" % k.lower()
            files.setdefault("__outputs__", []).append(name)
            s.append("%s('%s')" % (k, name))
        subs.append("OUTFILE=" + " ".join(s))
    if resample:
        opts = []
        if rng.random() < 0.5:
            opts.append(rng.choice(["BALANCED", "UNBALANCED"]))
        if rng.random() < 0.5:
            opts.append(rng.choice(["PROCRU", "REFLECT"]))
        opts.append(str(rng.choice([0, 1, 2, 3, 5, 8, 20])))
        if rng.random() < 0.3:
            opts.append(", %d" % rng.choice([50, 90, 99, 100]))
        subs.append("RESAMPLE=BOOTSTRAP(%s)" % " ".join(opts))
    if rng.random() < 0.1:
        subs.append(rng.choice(["MAXITER=%d" % rng.randint(1, 9), "PRINT=NONE", "PLOT=NONE"]))  # a repeat
    rng.shuffle(subs)
    vtext = varlist(vars_)
    if len(info["vars"]) >= 3 and rng.random() < 0.08:
        vtext = "%s TO %s" % (info["vars"][0], info["vars"][-1])
    head = "%s VARIABLES=%s" % (proc, vtext)
    if not mca and rng.random() < 0.1:
        head = "%s %s" % (proc, vtext)
    text = head + "\n  /" + "\n  /".join(subs) + "."
    if bad and rng.random() < 0.4:
        # one malformed token somewhere in the command
        toks = text.split(" ")
        pos = rng.randrange(len(toks))
        toks.insert(pos, rng.choice(JUNK))
        text = " ".join(toks)
        if not text.endswith("."):
            text += "."
    return text, fixed


CRG_LEVELS = ["NOMINAL", "ORDINAL", "NUMERICAL", "SPORD", "SPNOM"]
CRG_MISSING = ["LISTWISE", "EXTRACAT", "MODEIMPU", "RANDIMPU"]


def make_sign_file(rng, p, bad):
    """A FIXSIGNS pattern file: rows of +1/-1 over p ordinal predictors."""
    cols = max(1, p + (rng.choice([-1, 1]) if bad and rng.random() < 0.4 else 0))
    rows = rng.randint(0 if bad else 1, 4)
    data = [[rng.choice([1, -1]) if not (bad and rng.random() < 0.1) else rng.choice(["", "x", 0.5])
             for _ in range(cols)] for _ in range(rows)]
    return csv_text(["s%d" % (j + 1) for j in range(cols)], data)


def make_catreg_command(rng, info, files):
    """One CATREG command: a dependent and predictors of random levels with
    the occasional start, penalty path, resampling, test cases and saved
    output; a "bad" one also draws specifications that are rejected."""
    bad = rng.random() < 0.2
    allv = info["vars"] + [v for v in ("s1",) if v in info["kinds"]]
    vars_ = pick(rng, allv, 1 if bad else 2, 6)
    dep, preds = vars_[0], vars_[1:]
    levels = {}

    def level_items(v):
        items = []
        lv = rng.choice(CRG_LEVELS + (["MNOMINAL", "BOGUS"] if bad and rng.random() < 0.3 else []))
        levels[v] = lv
        items.append("LEVEL=%s" % lv)
        if lv.startswith("SP") and rng.random() < 0.6:
            items.append("DEGREE=%d INKNOT=%d" % (rng.choice([1, 2, 3]), rng.choice([0, 1, 2, 4])))
        return "%s (%s)" % (v, " ".join(items))

    ana = level_items(dep) + " WITH " + " ".join(level_items(v) for v in preds) if preds else level_items(dep)
    subs = ["ANALYSIS=" + ana]
    ordinal = [v for v in preds if levels.get(v) in ("ORDINAL", "SPORD")]
    if rng.random() < 0.3:
        n = info["n"]
        objs = sorted(set(rng.randint(1, max(1, n + (3 if bad else 0))) for _ in range(rng.randint(1, 4))))
        subs.append("SUPPLEMENTARY=OBJECT(%s)" % " ".join(map(str, objs)))
    if rng.random() < 0.3:
        subs.append("MISSING=%s" % " ".join("%s (%s)" % (v, rng.choice(CRG_MISSING + (["PASSIVE", "ACTIVE"] if bad else [])))
                                             for v in pick(rng, vars_, 1)))
    if rng.random() < 0.25:
        subs.append("DISCRETIZATION=%s" % " ".join(
            "%s (%s)" % (v, rng.choice(["RANKING", "MULTIPLYING", "GROUPING NCAT=%d" % rng.randint(2, 9),
                                        "EQINTV=%s" % rng.choice(["1", "2.5"])])) for v in pick(rng, vars_, 1)))
    r = rng.random()
    if r < 0.1:
        subs.append("INITIAL=%s" % rng.choice(["NUMERICAL", "RANDOM"]))
    elif r < 0.25 and (ordinal or bad):
        files.setdefault("__outputs__", []).append("signs.csv")
        subs.append("INITIAL=MULTISTART(%s)('signs.csv')" % rng.choice(["ALL", "0", "50", "100"]))
    elif r < 0.35 and (ordinal or bad):
        files["fix.csv"] = make_sign_file(rng, len(ordinal), bad)
        subs.append("INITIAL=FIXSIGNS(%d)('fix.csv')" % rng.choice([1, 1, 2, 5]))
    regu = None
    if rng.random() < 0.35:
        regu = rng.choice(["RIDGE", "LASSO", "ENET"])
        if regu == "ENET":
            lists = "(0 %s 0.5)(0 %s 0.25)" % (rng.choice(["0.5", "1"]), rng.choice(["0.5", "1"]))
        else:
            lists = rng.choice(["", "(0 1 0.25)", "(0.2 1.2 0.5)", "(0.5 0.5 0)", "(3 3 0)"])
        if bad and rng.random() < 0.3:
            lists = rng.choice(["(1 0 0.1)", "(0 1)", "(-1 1 0.1)", "(0 1 0.1)(0 1 0.1)(0 1 0.1)"])
        files.setdefault("__outputs__", []).append("regu.csv")
        subs.append("REGULARIZATION=%s%s('regu.csv')" % (regu, lists))
    if rng.random() < 0.3:
        if rng.random() < 0.5:
            subs.append("RESAMPLE=CROSSVAL(%d)" % rng.choice([2, 3, 5, 10] + ([0, 60, -1] if bad else [])))
        else:
            subs.append("RESAMPLE=BOOTSTRAP(%d)" % rng.choice([1, 3, 10] + ([0, -2] if bad else [])))
    if rng.random() < 0.3:
        subs.append("CRITITER=%s" % rng.choice([".001", ".00001", "1e-12"] + (["-1", "0"] if bad else [])))
    if rng.random() < 0.3:
        subs.append("MAXITER=%d" % rng.choice([1, 2, 10, 100] + ([0, -5] if bad else [])))
    if rng.random() < 0.6:
        kws = ["R", "ANOVA", "COEFF", "OCORR", "CORR", "HISTORY", "DESCRIP", "QUANT", "NONE"] + (["REGU"] if regu or bad else [])
        subs.append("PRINT=" + " ".join(pick(rng, kws, 1, 5)))
    if rng.random() < 0.4:
        kws = ["TRANS(%s)" % rng.choice(vars_), "RESID(%s)" % rng.choice(vars_), "NONE"]
        if regu == "ENET":
            kws.append("REGU(0 0.5)")
        elif regu or bad:
            kws.append("REGU")
        subs.append("PLOT=" + " ".join(pick(rng, kws, 1, 2)))
    if rng.random() < 0.25:
        subs.append("SAVE=" + " ".join(pick(rng, ["TRDATA", "PRED", "RES", "PRED(p)", "TRDATA(t)"], 1, 3)))
    if rng.random() < 0.2:
        s = []
        for k in pick(rng, ["TRDATA", "DISCRDAT"], 1):
            name = "out_crg_%s.csv" % k.lower()
            files.setdefault("__outputs__", []).append(name)
            s.append("%s('%s')" % (k, name))
        subs.append("OUTFILE=" + " ".join(s))
    rng.shuffle(subs)
    text = "CATREG VARIABLES=%s\n  /" % varlist(vars_) + "\n  /".join(subs) + "."
    if bad and rng.random() < 0.4:
        toks = text.split(" ")
        toks.insert(rng.randrange(len(toks)), rng.choice(JUNK))
        text = " ".join(toks)
        if not text.endswith("."):
            text += "."
    return text, None


def damage(rng, text):
    """A data file with something wrong in it."""
    lines = text.split("\n")
    r = rng.random()
    if r < 0.2:
        return lines[0] + "\n"                      # header only
    if r < 0.3:
        return ""                                   # empty file
    if r < 0.5 and len(lines) > 2:
        i = rng.randrange(1, len(lines) - 1)
        lines[i] = lines[i] + ",7"                  # a ragged row
    elif r < 0.6:
        lines[0] = lines[0].replace("v2", "v1")     # a repeated name
    elif r < 0.7 and len(lines) > 2:
        i = rng.randrange(1, len(lines) - 1)
        lines[i] = '"' + lines[i]                   # an unclosed quote
    elif r < 0.8:
        lines[0] = lines[0].replace("v1", "1v")     # a name that is not a name
    else:
        return text.replace("\n", "\r\n")         # Windows line ends
    return "\n".join(lines)


# Cells that must not change a column's type silently: missing-data spellings,
# text, numbers beyond the range of doubles or beyond 2^53, and bytes that are
# not UTF-8 (written through surrogateescape).
# (No "inf" or "NaN": a string column may be saved with them as text, which
# the non-finite check of saved files would flag.)
ODD_CELLS = ["NA", "na", "N/A", ".", " n/a ", "0x10", '"1,5"', "abc", "1e400", "-1e999", "1e-400",
             "12345678901234567891", "9007199254740993", "\udce9t\udce9", "x\udcff"]


def odd_cells(rng, text):
    """A well-formed data file with odd cells, or a name that is not UTF-8."""
    lines = text.split("\n")
    if rng.random() < 0.2:
        lines[0] = lines[0].replace("v1", "v\udce91", 1)  # a Latin-1 name
    for _ in range(rng.randint(1, 4)):
        if len(lines) < 3:
            break
        i = rng.randrange(1, len(lines) - 1)
        cells = lines[i].split(",")
        if not cells or '"' in lines[i]:
            continue
        cells[rng.randrange(len(cells))] = rng.choice(ODD_CELLS)
        lines[i] = ",".join(cells)
    return "\n".join(lines)


def make_case(case_seed):
    rng = random.Random(case_seed)
    header, rows, info = make_data(rng)
    files = {"data.csv": csv_text(header, rows)}
    if rng.random() < 0.05:
        files["data.csv"] = damage(rng, files["data.csv"])
    elif rng.random() < 0.15:
        files["data.csv"] = odd_cells(rng, files["data.csv"])
    lines = ["* robustness case %d." % case_seed]
    if rng.random() < 0.5:
        lines.append("SET SEED=%d." % rng.randint(1, 99999))
    lines.append("GET DATA /TYPE=CSV /FILE='data.csv'.")
    if "w" in info["kinds"] and rng.random() < 0.7:
        lines.append("WEIGHT BY w.")
    if "f" in info["kinds"] and rng.random() < 0.7:
        lines.append("FILTER BY f.")
    if rng.random() < 0.3:
        v = rng.choice(info["vars"])
        lines.append("MISSING VALUES %s (%s)." % (v, rng.choice(["9", "1", "LO THRU 0", "2, 3"])))
    if rng.random() < 0.3:
        v = rng.choice(info["vars"])
        lines.append("VALUE LABELS %s 1 'one' 2 'two, too' 3 'three'." % v)
    if rng.random() < 0.05:
        v = rng.choice(info["vars"])
        lines.append("VARIABLE LABELS %s 'Ann\udce9e'." % v)  # not UTF-8: saved files must still be written
    if rng.random() < 0.1:
        lines.append("SET WORKSPACE=%d." % rng.randint(4, 80))  # kilobytes: fails somewhere inside
    for _ in range(1 if rng.random() < 0.65 else 2):
        make = make_catreg_command if rng.random() < 0.3 else make_command
        cmd, _ = make(rng, info, files)
        lines.append(cmd)
    if rng.random() < 0.15:
        lines.append("SAVE OUTFILE='saved.csv'.")
        files.setdefault("__outputs__", []).append("saved.csv")
    files["cmd.sps"] = "\n".join(lines) + "\n"
    fmt_ = rng.choice(["json"] * 6 + ["text", "html"])
    return files, fmt_


# ----------------------------------------------------------------- checks ---

NONFINITE = re.compile(r"(?<![A-Za-z])(nan|-?inf(inity)?)(?![A-Za-z])", re.I)


def json_problems(doc):
    out = []

    def walk(x, path):
        if isinstance(x, dict):
            if x.get("nonfinite") is True:
                out.append("non-finite value at %s" % path)
            if "nonfinite_points" in x:
                out.append("non-finite chart value at %s" % path)
            f = x.get("formatted")
            if isinstance(f, str) and NONFINITE.search(f):
                out.append("non-finite text %r at %s" % (f, path))
            for k, v in x.items():
                walk(v, path + "." + k)
        elif isinstance(x, list):
            for i, v in enumerate(x):
                walk(v, "%s[%d]" % (path, i))
        elif isinstance(x, float) and (x != x or x in (float("inf"), float("-inf"))):
            out.append("non-finite number at %s" % path)

    walk(doc, "$")
    return out[:5]


def file_problems(d, outputs):
    probs = []
    for f in os.listdir(d):
        if ".tmp" in f:
            probs.append("temporary file left behind: %s" % f)
    for name in outputs:
        p = os.path.join(d, name)
        if not os.path.exists(p):
            continue
        with open(p, newline="", encoding="utf-8", errors="replace") as fh:
            text = fh.read()
        if text and not text.endswith("\n"):
            probs.append("%s does not end with a line end (half written?)" % name)
        rows = list(csv.reader(text.splitlines()))
        if not rows:
            probs.append("%s is empty" % name)
            continue
        width = len(rows[0])
        for i, r in enumerate(rows[1:], 2):
            if len(r) != width:
                probs.append("%s line %d has %d fields, header %d" % (name, i, len(r), width))
                break
        if NONFINITE.search(text):
            probs.append("%s holds a non-finite number" % name)
    return probs


def digest_outputs(d, outputs):
    h = hashlib.sha256()
    for name in sorted(set(outputs)):
        p = os.path.join(d, name)
        h.update(name.encode())
        if os.path.exists(p):
            with open(p, "rb") as fh:
                h.update(fh.read())
        else:
            h.update(b"<absent>")
    return h.hexdigest()


def run_once(oscat, files, fmt_, d, timeout):
    for name, text in files.items():
        if name.startswith("__"):
            continue
        with open(os.path.join(d, name), "w", encoding="utf-8", errors="surrogateescape", newline="") as fh:
            fh.write(text)
    env = dict(os.environ)
    env.setdefault("ASAN_OPTIONS", "detect_leaks=1")
    env.setdefault("UBSAN_OPTIONS", "print_stacktrace=1")
    try:
        p = subprocess.run([oscat, "run", "cmd.sps", "--format", fmt_], cwd=d, stdout=subprocess.PIPE,
                           stderr=subprocess.PIPE, timeout=timeout, env=env)
    except subprocess.TimeoutExpired:
        return None, b"", b""
    return p.returncode, p.stdout, p.stderr


STATS = {}  # exit status of the first run -> number of cases


def check_case(oscat, case_seed, keep, timeout):
    files, fmt_ = make_case(case_seed)
    outputs = files.get("__outputs__", [])
    problems = []
    dirs = []
    results = []
    for attempt in range(2):
        d = tempfile.mkdtemp(prefix="oscat-robust-%d-" % case_seed)
        dirs.append(d)
        rc, out, err = run_once(oscat, files, fmt_, d, timeout)
        results.append((rc, out, digest_outputs(d, outputs)))
        errt = err.decode("utf-8", "replace")
        if rc is None:
            problems.append("timeout after %ss" % timeout)
            break
        if ("AddressSanitizer" in errt or "runtime error:" in errt or "LeakSanitizer" in errt):
            first = [l for l in errt.splitlines() if "ERROR" in l or "runtime error" in l][:2]
            problems.append("sanitizer: " + " | ".join(first))
            break
        if rc not in (0, 1):
            problems.append("exit status %d: %s" % (rc, errt.strip()[:200]))
            break
        if fmt_ == "json":
            try:
                doc = json.loads(out.decode("utf-8"))
                problems += json_problems(doc)
            except (ValueError, UnicodeDecodeError) as e:
                problems.append("invalid JSON: %s" % e)
        problems += file_problems(d, outputs)
        if problems:
            break
    if not problems and len(results) == 2:
        if results[0][0] != results[1][0]:
            problems.append("exit status differs between runs: %s, %s" % (results[0][0], results[1][0]))
        elif results[0][1] != results[1][1]:
            problems.append("report differs between two runs")
        elif results[0][2] != results[1][2]:
            problems.append("output files differ between two runs")
    if problems and keep:
        dest = os.path.join(keep, "case-%d" % case_seed)
        shutil.rmtree(dest, ignore_errors=True)
        shutil.copytree(dirs[0], dest)
        with open(os.path.join(dest, "problems.txt"), "w") as fh:
            fh.write("format %s\n" % fmt_ + "\n".join(problems) + "\n")
            fh.write("\n--- stderr ---\n" + errt)
        with open(os.path.join(dest, "report.out"), "wb") as fh:
            fh.write(results[0][1])
    for d in dirs:
        shutil.rmtree(d, ignore_errors=True)
    STATS[results[0][0] if results else None] = STATS.get(results[0][0] if results else None, 0) + 1
    return problems


def concurrent_saves(oscat, case_seed, timeout):
    """Two runs SAVE the same file at once, a few times: what is left must be
    one run's data beside the same run's dictionary, readable by GET DATA."""
    rng = random.Random(case_seed)
    header, rows, _ = make_data(rng)
    d = tempfile.mkdtemp(prefix="oscat-saves-")
    probs = []
    try:
        for tag in "AB":
            with open(os.path.join(d, tag + ".csv"), "w", newline="") as fh:
                fh.write(csv_text(header, rows if tag == "A" else rows[::-1]))
            with open(os.path.join(d, "s%s.sps" % tag), "w") as fh:
                fh.write("GET DATA /TYPE=CSV /FILE='%s.csv'.\nVARIABLE LABELS %s 'run %s'.\nSAVE OUTFILE='out.csv'.\n"
                         % (tag, header[0], tag))
        with open(os.path.join(d, "r.sps"), "w") as fh:
            fh.write("GET DATA /TYPE=CSV /FILE='out.csv'.\n")
        # What A's save alone writes: the data of a pair from A must equal it.
        subprocess.run([oscat, "run", "sA.sps"], cwd=d, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                       timeout=timeout)
        shutil.copy(os.path.join(d, "out.csv"), os.path.join(d, "refA.data"))
        for _ in range(5):
            ps = [subprocess.Popen([oscat, "run", "s%s.sps" % t], cwd=d, stdout=subprocess.DEVNULL,
                                   stderr=subprocess.DEVNULL) for t in "AB"]
            for p in ps:
                p.wait(timeout=timeout)
            r = subprocess.run([oscat, "run", "r.sps", "--format", "json"], cwd=d, stdout=subprocess.PIPE,
                               stderr=subprocess.PIPE, timeout=timeout)
            if r.returncode != 0:
                probs.append("the saved pair is not read back (exit %d)" % r.returncode)
                break
            with open(os.path.join(d, "out.csv.dict.json")) as fh:
                side = fh.read()
            with open(os.path.join(d, "out.csv"), newline="") as fh:
                data = fh.read()
            with open(os.path.join(d, "refA.data"), newline="") as fh:
                a_data = fh.read()
            if len(rows) > 1 and rows != rows[::-1] and ("run A" in side) != (data == a_data):
                probs.append("data and dictionary of out.csv come from different runs")
                break
        if any(".tmp" in f for f in os.listdir(d)):
            probs.append("temporary file left behind by concurrent saves")
    finally:
        shutil.rmtree(d, ignore_errors=True)
    return probs


def main():
    ap = argparse.ArgumentParser(description=__doc__.strip().splitlines()[0])
    ap.add_argument("--oscat", required=True, help="the oscat program")
    ap.add_argument("--cases", type=int, default=100)
    ap.add_argument("--seed", type=int, default=1)
    ap.add_argument("--replay", type=int, action="append", help="run this case seed only (repeatable)")
    ap.add_argument("--keep", default="robust-failures", help="directory for failing cases ('' keeps none)")
    ap.add_argument("--timeout", type=float, default=60.0)
    ap.add_argument("--write", help="write the case files of --replay into this directory and stop")
    a = ap.parse_args()
    oscat = os.path.abspath(a.oscat)
    if not os.access(oscat, os.X_OK):
        print("sweep: %s is not an executable" % oscat, file=sys.stderr)
        return 2
    keep = os.path.abspath(a.keep) if a.keep else ""
    if keep:
        os.makedirs(keep, exist_ok=True)
    seeds = a.replay or [a.seed * 1000003 + i for i in range(a.cases)]
    if a.write:
        os.makedirs(a.write, exist_ok=True)
        files, fmt_ = make_case(seeds[0])
        for name, text in files.items():
            if not name.startswith("__"):
                with open(os.path.join(a.write, name), "w", encoding="utf-8", errors="surrogateescape", newline="") as fh:
                    fh.write(text)
        print("format %s" % fmt_)
        return 0
    failed = []
    for s in seeds:
        probs = check_case(oscat, s, keep, a.timeout)
        if probs:
            failed.append(s)
            print("FAIL case %d: %s" % (s, "; ".join(probs)), flush=True)
    if not a.replay:
        probs = concurrent_saves(oscat, seeds[0], a.timeout)
        if probs:
            failed.append("saves")
            print("FAIL concurrent saves: %s" % "; ".join(probs), flush=True)
    print("exit statuses: %s" % ", ".join("%s: %d" % (k, v) for k, v in sorted(STATS.items(), key=str)))
    print("%d passed, %d failed" % (len(seeds) - len(failed), len(failed)))
    if failed:
        print("failing case seeds: %s" % " ".join(str(s) for s in failed))
        if keep:
            print("kept in %s (replay: --replay SEED)" % keep)
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
