"""The output of a run as Python objects: pivot tables as DataFrames, messages,
charts (data and SVG), the HTML report and the variables that SAVE added."""
import json
from dataclasses import dataclass, field

import numpy as np
import pandas as pd

__all__ = ["Report", "Message", "Chart", "TableList", "CommandError"]


@dataclass(frozen=True)
class Message:
    """A note, warning or error of a command, with its message key."""
    severity: str          # "note", "warning" or "error"
    key: str               # the message key (or catalogue number) behind the text
    text: str              # the text as the report shows it
    params: tuple = ()     # the texts put into the key's slots
    number: int = 0        # numbered messages of the older procedures
    command: str = ""      # the command that issued it

    def __str__(self):
        return f"{self.severity}: {self.text}"


class CommandError(Exception):
    """A command issued an error. ``report`` is the report so far; its
    ``errors`` are the error messages, with their keys."""

    def __init__(self, report):
        self.report = report
        errors = report.errors
        text = "; ".join(m.text for m in errors) or "a command failed"
        super().__init__(text)


class TableList(list):
    """The tables in report order; also indexed by title (the first table
    with that title), e.g. ``report.tables["Model Summary"]``."""

    def __getitem__(self, key):
        if isinstance(key, str):
            for t in self:
                if t.attrs.get("title") == key:
                    return t
            raise KeyError(f"no table titled {key!r}; the titles are: {', '.join(self.titles())}")
        return super().__getitem__(key)

    def __contains__(self, key):
        if isinstance(key, str):
            return key in self.titles()
        return super().__contains__(key)

    def __repr__(self):
        # Printed, each table under its title, as a report reads.
        return "\n\n".join(f"{t.attrs.get('title', '')}\n{t}" for t in self) if self else "[]"

    def titles(self):
        return [t.attrs.get("title", "") for t in self]

    def all(self, title):
        """Every table with this title (a command may print several)."""
        return [t for t in self if t.attrs.get("title") == title]


class Chart:
    """A chart: its data (one row per point, the columns the procedure
    declared) and the SVG drawing, which Jupyter shows inline."""

    def __init__(self, spec, svg):
        self.spec = spec
        self.title = spec["title"]["text"]
        self.key = spec["title"]["key"]
        self.svg = svg
        names = [c["name"]["text"] for c in spec["columns"]]
        # Two columns may share a label; keep them apart.
        seen = {}
        unique = []
        for n in names:
            seen[n] = seen.get(n, 0) + 1
            unique.append(n if seen[n] == 1 else f"{n}.{seen[n] - 1}")
        rows = [[np.nan if v is None else v for v in r] for r in spec["rows"]]
        self.data = pd.DataFrame(rows, columns=unique)
        self.data.attrs["column_keys"] = [c["name"]["key"] for c in spec["columns"]]

    def _repr_svg_(self):
        return self.svg

    def save(self, path):
        """Write the SVG to a file."""
        with open(path, "w", encoding="utf-8") as f:
            f.write(self.svg)

    def __repr__(self):
        return f"<Chart {self.title!r}: {len(self.data)} rows>"


def _level_values(dim):
    """One tuple of labels per category of a dimension (group path, padded
    at the top so that every category has the same depth), and their keys."""
    paths = [c["path"] for c in dim["categories"]]
    depth = max((len(p) for p in paths), default=1)
    labels, keys = [], []
    for p in paths:
        pad = [""] * (depth - len(p))
        labels.append(tuple(pad + [x["text"] for x in p]))
        keys.append(tuple(pad + [x["key"] for x in p]))
    return depth, labels, keys


def _axis_index(dims, used):
    """The index over the dimensions `dims` for the category combinations in
    `used` (tuples of category ids, in first-seen order)."""
    names, per_dim = [], []
    for d in dims:
        depth, labels, keys = _level_values(d)
        name = d["label"]["text"]
        names += [None] * (depth - 1) + [name]  # group levels are unnamed
        per_dim.append((depth, labels, keys))
    tuples, key_tuples = [], []
    for combo in used:
        t, k = [], []
        for (depth, labels, keys), cid in zip(per_dim, combo):
            t += labels[cid]
            k += keys[cid]
        tuples.append(tuple(t))
        key_tuples.append(tuple(k))
    if not dims:
        return pd.RangeIndex(len(used) or 1), [()] * (len(used) or 1)
    if len(names) == 1 and len(dims) == 1:
        return pd.Index([t[0] for t in tuples], name=names[0], dtype=object), key_tuples
    return pd.MultiIndex.from_tuples(tuples, names=names), key_tuples


def table_frame(spec):
    """A pivot table as a DataFrame: rows are the row dimensions (layers
    outermost), columns the column dimensions; a text cell holds its text."""
    dims = spec["dimensions"]
    row_dims = [i for i, d in enumerate(dims) if d["axis"] == "layer"] + \
               [i for i, d in enumerate(dims) if d["axis"] == "row"]
    col_dims = [i for i, d in enumerate(dims) if d["axis"] == "column"]
    cells = {}
    rows_used, cols_used = {}, {}
    for c in spec["cells"]:
        ids = c["categories"]
        r = tuple(ids[i] for i in row_dims)
        k = tuple(ids[i] for i in col_dims)
        rows_used.setdefault(r, len(rows_used))
        cols_used.setdefault(k, len(cols_used))
        value = c["text"]["text"] if c.get("text") else (np.nan if c["value"] is None else c["value"])
        cells[(r, k)] = value
    # Categories keep the procedure's order, not the order cells were set in.
    rows = sorted(rows_used)
    cols = sorted(cols_used)
    grid = np.full((len(rows), len(cols)), np.nan, dtype=object)
    rpos = {r: i for i, r in enumerate(rows)}
    cpos = {k: j for j, k in enumerate(cols)}
    for (r, k), v in cells.items():
        grid[rpos[r], cpos[k]] = v
    index, row_keys = _axis_index([dims[i] for i in row_dims], rows)
    columns, col_keys = _axis_index([dims[i] for i in col_dims], cols)
    df = pd.DataFrame(grid, index=index, columns=columns)
    df = df.infer_objects()
    for j in range(df.shape[1]):  # all-number columns as floats, whatever pandas guessed
        col = df.iloc[:, j]
        if col.dtype == object and all(isinstance(v, float) for v in col):
            df.isetitem(j, col.astype(float))
    df.attrs.update({
        "title": spec["title"]["text"],
        "title_key": spec["title"]["key"],
        "name_key": spec["name"]["key"],
        "table_id": spec["table_id"],
        "dimension_keys": [d["label"]["key"] for d in dims],
        "row_keys": row_keys,
        "column_keys": col_keys,
        "footnotes": [(f["marker"], f["key"], f["text"]) for f in spec["footnotes"]],
    })
    return df


class Report:
    """What a run produced.

    tables        pivot tables as DataFrames (a TableList: by position or title);
                  ``df.attrs`` holds the message keys of the title, the
                  dimensions, the row and column categories and the footnotes
    messages      notes, warnings and errors (``Message``), in order
    charts        ``Chart`` objects (``.data``, ``.svg``)
    listings      text blocks of the procedures with listing output
    new_variables what the procedures saved (SAVE) as a DataFrame aligned
                  with the input's index
    syntax        the commands that ran
    """

    def __init__(self, result, syntax, index=None):
        self._result = result
        self.syntax = syntax
        self.json = json.loads(result.json())
        self.tables = TableList()
        self.messages = []
        self.charts = []
        self.listings = []
        svgs = result.svgs()
        for cmd in self.json["commands"]:
            self._walk(cmd["items"], cmd["name"], svgs)
        self.new_variables = self._new_variables(result.new_variables(), index)
        self.interrupted = bool(result.interrupted)

    def _walk(self, items, command, svgs):
        for it in items:
            kind = it["type"]
            if kind == "table":
                df = table_frame(it)
                df.attrs["command"] = command
                self.tables.append(df)
            elif kind == "message":
                self.messages.append(Message(it["severity"], it["key"], it["text"], tuple(it.get("params", ())),
                                             it.get("number", 0), command))
            elif kind == "chart":
                self.charts.append(Chart(it, svgs[len(self.charts)]))
            elif kind == "text":
                self.listings.append((it["title"]["text"], "\n".join(it["lines"])))
            elif kind == "heading":
                self._walk(it["items"], command, svgs)

    @staticmethod
    def _new_variables(new, index):
        data, labels, value_labels = {}, {}, {}
        for name, label, is_string, values, vlabels in new:
            data[name] = values
            if label:
                labels[name] = label
            if vlabels:
                value_labels[name] = dict(vlabels)
        if index is None:
            n = len(next(iter(data.values()))) if data else 0
            index = pd.RangeIndex(n)
        df = pd.DataFrame(data, index=index)
        df.attrs["variable_labels"] = labels
        df.attrs["value_labels"] = value_labels
        return df

    @property
    def errors(self):
        return [m for m in self.messages if m.severity == "error"]

    @property
    def warnings(self):
        return [m for m in self.messages if m.severity == "warning"]

    def html(self, title=""):
        """The whole report as one self-contained HTML page."""
        return self._result.html(title)

    def text(self):
        """The report as the program prints it (plain text)."""
        return self._result.text()

    def _repr_html_(self):
        return self.html()

    def __repr__(self):
        return (f"<Report: {len(self.tables)} tables, {len(self.charts)} charts, "
                f"{len(self.messages)} messages, {self.new_variables.shape[1]} new variables>")
