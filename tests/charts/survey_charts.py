#!/usr/bin/env python3
"""Every chart kind on survey-like data, checked on the drawn SVG.

survey_charts.py OSCAT [--cases 200,2000] [--keep DIR]

For each object count: made-up answers of N people to five 5-point
questions (two correlated factors), a nominal group with long category
names and an age group; the first ten people are supplementary objects and
the age group a supplementary variable. CATPCA, MULTIPLE CORRESPONDENCE (in
three dimensions: scatterplot matrices),
CORRESPONDENCE (with a supplementary row; in three dimensions with NDIM
pairs) and CATREG draw every chart they
can into one HTML report (--keep DIR leaves data, syntax and report there,
for a look in a browser). Each chart's SVG must have
  - every text inside the viewBox,
  - no two point labels overlapping,
  - a "n labels not shown" note exactly when fewer labels than labelled
    points are drawn (counted from the SVG for charts without vectors),
  - for a biplot, vectors drawn at the factor its legend states, measured
    against the axis ticks.
Text boxes are estimated from the advance widths of the charts' sans-serif
face (the same widths the renderer is meant to respect)."""
import math
import os
import random
import re
import subprocess
import sys
import tempfile
import time
import html as htmlmod

# Advance widths (1/1000 em) of ASCII 32..126 in Helvetica / Arial.
ADV = [278, 278, 355, 556, 556, 889, 667, 191, 333, 333, 389, 584, 278, 333, 278, 278,
       556, 556, 556, 556, 556, 556, 556, 556, 556, 556, 278, 278, 584, 584, 584, 556, 1015,
       667, 667, 722, 722, 667, 611, 778, 722, 278, 500, 667, 556, 833,
       722, 778, 667, 778, 722, 667, 611, 722, 667, 944, 667, 667, 611,
       278, 278, 278, 469, 556, 333,
       556, 556, 500, 556, 556, 278, 556, 556, 222, 222, 500, 222, 833,
       556, 556, 556, 556, 333, 500, 278, 556, 500, 722, 500, 500, 500,
       334, 260, 334, 584]

GROUPS = ["Senior employee", "Clerical", "Custodial worker", "Manager of a department", "Technical staff"]
AGES = ["Under 30", "30-44", "45-64", "65 and over"]


def width(s, size, bold=False):
    em = 0.0
    for ch in s:
        o = ord(ch)
        em += ADV[o - 32] / 1000 if 32 <= o < 127 else (1.0 if 0x2E80 <= o <= 0xD7FF else 0.65)
    return em * size * (1.1 if bold else 1.0)


def make_data(n, path):
    rng = random.Random(4242 + n)
    with open(path, "w") as f:
        f.write("id,q1,q2,q3,q4,q5,grp,age\n")
        for i in range(n):
            f1 = rng.gauss(0, 1)
            f2 = 0.4 * f1 + math.sqrt(1 - 0.16) * rng.gauss(0, 1)
            qs = []
            for j in range(5):
                z = (f1 if j < 3 else f2) + 0.7 * rng.gauss(0, 1)
                qs.append(min(5, max(1, int(round(3 + 1.1 * z)))))
            g = min(4, max(0, int((f1 + 2) * 1.25)))
            a = rng.randrange(4)
            f.write("%d,%s,%d,%d\n" % (i + 1, ",".join(map(str, qs)), g + 1, a + 1))


SYNTAX = """GET DATA /TYPE=CSV /FILE='{data}'.
VARIABLE LABELS q1 'Satisfied with pay' / q2 'Satisfied with hours' / q3 'Would recommend'
  / q4 'Team spirit' / q5 'Clear goals' / grp 'Employment category' / age 'Age group'.
VALUE LABELS q1 q2 q3 q4 q5 1 'strongly disagree' 2 'disagree' 3 'neutral' 4 'agree' 5 'strongly agree'
  / grp {grp_labels} / age {age_labels}.
CATPCA VARIABLES=q1 q2 q3 q4 q5 grp age
  /ANALYSIS=q1 q2 q3 q4 q5 (LEVEL=ORDINAL) grp (LEVEL=MNOMINAL) age (LEVEL=ORDINAL)
  /SUPPLEMENTARY=OBJECT(1 THRU 10) VARIABLE(age)
  /DIMENSION=2
  /PRINT=NONE
  /PLOT=OBJECT(grp) LOADING CATEGORY(grp) JOINTCAT(grp q1) BIPLOT TRIPLOT TRANS(q1 grp) RESID(q1)
    PROJCENT(CENTROID(grp) q1 q4).
MULTIPLE CORRESPONDENCE VARIABLES=q1 q4 grp age
  /ANALYSIS=q1 q4 grp age
  /DIMENSION=3
  /PRINT=NONE
  /PLOT=OBJECT DISCRIM CATEGORY(grp) JOINTCAT BIPLOT.
CORRESPONDENCE TABLE=grp(1,5) BY q1(1,5)
  /SUPPLEMENTARY=grp(5)
  /PLOT=BIPLOT RPOINTS CPOINTS TRROWS TRCOLUMNS.
CORRESPONDENCE TABLE=grp(1,5) BY q4(1,5)
  /DIMENSION=3
  /PLOT=BIPLOT NDIM(1,3).
CATREG VARIABLES=q3 q1 q2 grp
  /ANALYSIS=q3 (LEVEL=ORDINAL) WITH q1 q2 (LEVEL=ORDINAL) grp (LEVEL=NOMINAL)
  /PRINT=NONE
  /PLOT=TRANS(q3 grp) RESID(q1 grp).
"""


def text_boxes(svg):
    out = []
    for m in re.finditer(r"<text([^>]*)>([^<]*)</text>", svg):
        tag, content = m.group(1), htmlmod.unescape(m.group(2))
        a = dict(re.findall(r'([\w-]+)="([^"]*)"', tag))
        size = float(a.get("font-size", 11))
        w = width(content, size, a.get("font-weight") == "bold")
        x, y = float(a["x"]), float(a["y"])
        anchor = a.get("text-anchor", "start")
        x0 = x - w / 2 if anchor == "middle" else x - w if anchor == "end" else x
        corners = [(x0, y - 0.8 * size), (x0 + w, y - 0.8 * size), (x0 + w, y + 0.25 * size), (x0, y + 0.25 * size)]
        ang = 0.0
        r = re.search(r"rotate\(([-0-9.]+) ([-0-9.]+) ([-0-9.]+)\)", a.get("transform", ""))
        if r:
            ang = math.radians(float(r.group(1)))
            cx, cy = float(r.group(2)), float(r.group(3))
            corners = [(cx + (px - cx) * math.cos(ang) - (py - cy) * math.sin(ang),
                        cy + (px - cx) * math.sin(ang) + (py - cy) * math.cos(ang)) for px, py in corners]
        xs, ys = [c[0] for c in corners], [c[1] for c in corners]
        out.append({"cls": a.get("class", ""), "text": content, "box": (min(xs), min(ys), max(xs), max(ys))})
    return out


def overlap(a, b):
    return a[0] < b[2] and b[0] < a[2] and a[1] < b[3] and b[1] < a[3]


def check_svg(svg, where, problems):
    vb = re.search(r'viewBox="0 0 ([0-9.]+) ([0-9.]+)"', svg)
    W, H = float(vb.group(1)), float(vb.group(2))
    boxes = text_boxes(svg)
    title = next((b["text"] for b in boxes if b["cls"] == "title"), "?")
    name = "%s [%s]" % (where, title)
    for b in boxes:
        x0, y0, x1, y1 = b["box"]
        if x0 < -0.5 or y0 < -0.5 or x1 > W + 0.5 or y1 > H + 0.5:
            problems.append("%s: text %r outside the %gx%g picture: %s" % (name, b["text"], W, H, b["box"]))
    labels = [b for b in boxes if b["cls"] == "label"]
    for i in range(len(labels)):
        for j in range(i + 1, len(labels)):
            if overlap(labels[i]["box"], labels[j]["box"]):
                problems.append("%s: labels %r and %r overlap" % (name, labels[i]["text"], labels[j]["text"]))
    note = re.search(r">([0-9]+) labels? not shown<", svg)
    shown = len(labels)
    return name, shown, int(note.group(1)) if note else 0, W, H


def vector_factor(svg, name, problems):
    """The legend's factor against the drawn vectors (pixels per unit from the x ticks)."""
    m = re.search(r"\(\u00d7([0-9.]+)\)<", svg)
    if not m:
        return None
    factor = float(m.group(1))
    ticks = [(float(a), float(t)) for a, t in re.findall(
        r'<text x="([-0-9.]+)" y="[-0-9.]+" text-anchor="middle" class="tick">(-?[0-9.]+)</text>', svg)]
    if len(ticks) < 2:
        problems.append("%s: no x ticks to measure the vectors by" % name)
        return factor
    (pa, va), (pb, vb) = ticks[0], ticks[-1]
    ppu = (pb - pa) / (vb - va)
    origin = pa - va * ppu
    for x1, x2 in re.findall(r'<line class="vector" x1="([-0-9.]+)" y1="[-0-9.]+" x2="([-0-9.]+)"', svg):
        if abs(float(x1) - origin) > 0.05:
            problems.append("%s: a vector does not start at the origin" % name)
    return factor


def run(oscat, n, keep, problems):
    d = keep or tempfile.mkdtemp()
    os.makedirs(d, exist_ok=True)
    data = os.path.join(d, "survey_%d.csv" % n)
    make_data(n, data)
    sps = os.path.join(d, "survey_%d.sps" % n)
    with open(sps, "w") as f:
        f.write(SYNTAX.format(data=data,
                              grp_labels=" ".join("%d '%s'" % (i + 1, s) for i, s in enumerate(GROUPS)),
                              age_labels=" ".join("%d '%s'" % (i + 1, s) for i, s in enumerate(AGES))))
    report = os.path.join(d, "survey_%d.html" % n)
    t0 = time.time()
    p = subprocess.run([oscat, "run", sps, "--format", "html", "--output", report],
                       stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=600)
    secs = time.time() - t0
    if p.returncode != 0:
        problems.append("n=%d: oscat exit %d: %s" % (n, p.returncode, p.stderr.decode(errors="replace")[:500]))
        return
    src = open(report, encoding="utf-8").read()
    svgs = re.findall(r"<svg xmlns.*?</svg>", src, re.S)
    titles = []
    biplots = sploms = 0
    for k, svg in enumerate(svgs):
        name, shown, note, W, H = check_svg(svg, "n=%d chart %d" % (n, k + 1), problems)
        titles.append(name)
        f = vector_factor(svg, name, problems)
        if f is not None:
            biplots += 1
            if not (f > 1):
                problems.append("%s: loadings below 1 among %d objects not enlarged (x%g)" % (name, n, f))
        # Object clouds above 50 points are unlabelled and say so.
        # (Scatterplot matrices draw no labels at all.)
        splom = 'class="panel"' in svg
        if splom:
            sploms += 1
        if "Object Points" in name and n > 50 and note < n - 10 and not splom:
            problems.append("%s: %d objects but the note counts %d labels not shown" % (name, n, note))
        if "Supplementary Objects" in svg and "fill=\"#ffffff\" stroke=" not in svg:
            problems.append("%s: supplementary objects are not drawn hollow" % name)
    if len(svgs) < 20:
        problems.append("n=%d: only %d charts" % (n, len(svgs)))
    if biplots < 2:
        problems.append("n=%d: %d charts state a vector factor, expected the biplot and the triplot" % (n, biplots))
    if sploms < 4:
        problems.append("n=%d: %d scatterplot matrices, expected the four of MULTIPLE CORRESPONDENCE" % (n, sploms))
    if not any("Supplementary Objects" in s for s in svgs):
        problems.append("n=%d: no chart names the supplementary objects" % n)
    for k in (2, 3):
        if not any(">Row and Column Points, Dimensions 1 and %d<" % k in s for s in svgs):
            problems.append("n=%d: no correspondence biplot titled with its pair 1 and %d" % (n, k))
    if not any("Supplementary rows" in s for s in svgs):
        problems.append("n=%d: the correspondence biplot does not name its supplementary row" % n)
    print("n=%d: %d charts in %.1f s" % (n, len(svgs), secs))
    if secs > 120:
        problems.append("n=%d: the run took %.0f s" % (n, secs))


def main():
    args = sys.argv[1:]
    if not args:
        print(__doc__.strip().splitlines()[2])
        return 2
    oscat = os.path.abspath(args[0])
    cases, keep = [200, 2000], None
    if "--cases" in args:
        cases = [int(x) for x in args[args.index("--cases") + 1].split(",")]
    if "--keep" in args:
        keep = os.path.abspath(args[args.index("--keep") + 1])
    problems = []
    for n in cases:
        run(oscat, n, keep, problems)
    for p in problems:
        print(p)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
