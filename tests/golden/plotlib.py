# Reading charts and tables out of the JSON report for the plot cases.
import math

from golden_check import walk


def items(report):
    for c in report["commands"]:
        yield from walk(c["items"])


def charts(report, key, subtitle=None):
    out = []
    for it in items(report):
        if it["type"] != "chart" or it["title"]["key"] != key:
            continue
        if subtitle is not None and it.get("subtitle", {}).get("text") != subtitle:
            continue
        out.append(it)
    return out


def tables(report, key, row_label=None):
    return [it for it in items(report) if it["type"] == "table" and it["title"]["key"] == key
            and (row_label is None or it["dimensions"][0]["label"]["text"] == row_label)]


def grid(t):
    """rows (texts), column paths (texts) and {(r, c): value}."""
    rows = [cat["path"][-1]["text"] for cat in t["dimensions"][0]["categories"]]
    cols = [[p["text"] for p in cat["path"]] for cat in t["dimensions"][1]["categories"]]
    cells = {tuple(c["categories"]): c.get("value") for c in t["cells"]}
    return rows, cols, cells


def matrix(t):
    """Row label -> list of the values of every column."""
    rows, cols, cells = grid(t)
    return {r: [cells.get((i, k)) for k in range(len(cols))] for i, r in enumerate(rows)}


def column(t, *path):
    _, cols, _ = grid(t)
    return [i for i, p in enumerate(cols) if p[-len(path):] == list(path)][0]


def chart_rows(ch):
    """Rows as dicts keyed by column text (dimension columns by their text)."""
    names = [c["name"]["text"] for c in ch["columns"]]
    return [dict(zip(names, r)) for r in ch["rows"]]


def close(a, b, tol=1e-6):
    return a is not None and b is not None and abs(a - b) <= tol * max(1.0, abs(b))


def check(cond, *what):
    if not cond:
        raise AssertionError(" ".join(str(w) for w in what))
