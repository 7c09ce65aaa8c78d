# Readers of the bootstrap tables and charts for the golden checks: tables by
# key within one command, columns by their label paths, and the value,
# estimate, interval and ellipse area of each row.
from golden_check import cells, cmd_tables as tables


def charts(command, key):
    out = []
    def walk(items):
        for it in items:
            if it["type"] == "chart" and it["title"]["key"] == key:
                out.append(it)
            walk(it.get("items", []))
    walk(command["items"])
    return out


def columns(t):
    # column id -> path of label keys
    d = t["dimensions"][1]
    lab = lambda p: p["key"] + ("|" + ",".join(p["params"]) if p.get("params") else "")
    return {i: tuple(lab(p) for p in c["path"]) for i, c in enumerate(d["categories"])}


def boot_rows(t):
    """Per (row, dimension label): value, estimate, lower, upper; and areas."""
    cols, v = columns(t), cells(t)
    rows = {k[0] for k in v}
    out, areas = {}, {}
    for r in rows:
        groups = {}
        for cid, path in cols.items():
            if path[-1] == "CPR Ellipse Area":
                areas[r] = v.get((r, cid))
                continue
            g = tuple(x for x in path[:-1] if not x.startswith("CPR ^1 CI"))
            groups.setdefault(g[0] if len(g) == 1 else g, {})[path[-1] if path[-1] in ("Lower", "Upper", "CPR Boot Est") else "value"] = v.get((r, cid))
        for g, d in groups.items():
            out[(r, g)] = d
    return out, areas


def check_intervals(t, inside):
    rows, areas = boot_rows(t)
    assert rows
    for k, d in rows.items():
        lo, hi, est = d.get("Lower"), d.get("Upper"), d.get("CPR Boot Est")
        if est is None:
            continue
        assert lo is not None and hi is not None, (k, d)
        assert lo <= hi + 1e-12, (k, d)
        if inside:
            assert lo - 1e-9 <= est <= hi + 1e-9, (k, d)
    for r, a in areas.items():
        assert a is None or a >= 0, (r, a)
    return rows, areas


def note(t, key, n):
    fns = [f for f in t["footnotes"] if f["key"] == key]
    assert fns, [f["key"] for f in t["footnotes"]]
    assert fns[0]["params"] == [str(n)], fns[0]


# Full-sample values of the rows, and the ellipse areas.
def boot_values(t):
    rows, areas = boot_rows(t)
    return {k: d["value"] for k, d in rows.items() if "value" in d}, areas
