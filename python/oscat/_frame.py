"""A DataFrame as the engine's working data file: one column description per
variable, handed to the engine as arrays (never through a file)."""
import math

import numpy as np
import pandas as pd

__all__ = ["Range", "columns_of"]


class Range:
    """A range of user-missing values, as ``MISSING VALUES x (lo THRU hi)``;
    ``None`` for an open end (``LO`` / ``HI``)."""

    def __init__(self, lo=None, hi=None):
        self.lo = -math.inf if lo is None else float(lo)
        self.hi = math.inf if hi is None else float(hi)
        if not self.lo <= self.hi:
            raise ValueError(f"missing-value range {lo!r} to {hi!r}: the low end is above the high end")

    def __repr__(self):
        return f"Range({self.lo!r}, {self.hi!r})"


def _metadata(df, key, given):
    """The per-column mapping under df.attrs[key], overridden by the keyword."""
    merged = dict(df.attrs.get(key) or {})
    merged.update(given or {})
    unknown = [c for c in merged if c not in df.columns]
    if unknown:
        raise ValueError(f"{key}: no column named {', '.join(map(repr, unknown))}")
    return merged


def _missing_spec(name, spec, is_string):
    if spec is None:
        return [], None
    if isinstance(spec, Range):
        spec = [spec]
    if isinstance(spec, (str, bytes)) or not hasattr(spec, "__iter__"):
        spec = [spec]
    values, rng = [], None
    for item in spec:
        if isinstance(item, Range):
            if is_string:
                raise ValueError(f"missing values of {name!r}: a string column takes no range")
            if rng is not None:
                raise ValueError(f"missing values of {name!r}: one range at most")
            rng = (item.lo, item.hi)
        elif is_string:
            values.append(str(item))
        else:
            try:
                values.append(float(item))
            except (TypeError, ValueError):
                raise ValueError(f"missing values of {name!r}: {item!r} is not a number") from None
    return values, rng


def columns_of(df, variable_labels=None, value_labels=None, missing_values=None):
    """The column descriptions the engine loads, and the names in order.

    Numbers (integers, floats, booleans, nullable integers) are numeric
    variables, NaN / None / NA being system-missing. Strings and unordered
    categoricals are string variables (a categorical's categories become value
    labels); ordered categoricals are numbered 1, 2, ... in their order with
    the categories as value labels, so that an ordinal analysis keeps it.
    Missing entries of a string column are blank, declared user-missing.
    """
    if not isinstance(df, pd.DataFrame):
        raise ValueError(f"data must be a pandas DataFrame, not {type(df).__name__}")
    if df.columns.duplicated().any():
        raise ValueError("the DataFrame has repeated column names")
    vlabels = _metadata(df, "variable_labels", variable_labels)
    vallabs = _metadata(df, "value_labels", value_labels)
    missing = _metadata(df, "missing_values", missing_values)

    cols = []
    for name in df.columns:
        if not isinstance(name, str):
            raise ValueError(f"column name {name!r} is not a string; rename the column (a variable name "
                             "starts with a letter)")
        s = df[name]
        label = str(vlabels.get(name, ""))
        given_labels = vallabs.get(name) or {}
        dtype = s.dtype
        if isinstance(dtype, pd.CategoricalDtype) and dtype.ordered:
            codes = s.cat.codes.to_numpy()
            data = np.where(codes < 0, np.nan, codes + 1.0)
            labels = [(float(i + 1), str(c)) for i, c in enumerate(dtype.categories)]
            labels += [(float(v), str(l)) for v, l in given_labels.items()]
            vals, rng = _missing_spec(name, missing.get(name), False)
            cols.append((name, "num", data, label, labels, (vals, rng)))
        elif isinstance(dtype, pd.CategoricalDtype):
            cats = [str(c) for c in dtype.categories]
            codes = s.cat.codes.to_numpy()
            lookup = np.array(cats + [""], dtype=object)
            cells = lookup[codes].tolist()  # code -1 (missing) picks the blank at the end
            labels = [(c, c) for c in cats] + [(str(v), str(l)) for v, l in given_labels.items()]
            vals, _ = _missing_spec(name, missing.get(name), True)
            if (codes < 0).any() and "" not in vals:
                vals.append("")
            cols.append((name, "str", cells, label, labels, (vals, None)))
        elif pd.api.types.is_bool_dtype(dtype) or pd.api.types.is_numeric_dtype(dtype):
            if isinstance(dtype, np.dtype):
                data = s.to_numpy()
            else:  # nullable extension types: NA becomes NaN
                data = s.to_numpy(dtype="float64", na_value=np.nan)
            labels = [(float(v), str(l)) for v, l in given_labels.items()]
            vals, rng = _missing_spec(name, missing.get(name), False)
            cols.append((name, "num", data, label, labels, (vals, rng)))
        elif pd.api.types.is_object_dtype(dtype) or pd.api.types.is_string_dtype(dtype):
            blank = s.isna().to_numpy()
            cells = ["" if b else str(v) for v, b in zip(s.tolist(), blank)]
            labels = [(str(v), str(l)) for v, l in given_labels.items()]
            vals, _ = _missing_spec(name, missing.get(name), True)
            if blank.any() and "" not in vals:
                vals.append("")
            cols.append((name, "str", cells, label, labels, (vals, None)))
        else:
            raise ValueError(f"column {name!r} has type {dtype}, which is neither numbers nor text; "
                             "convert it (dates, for example, to numbers or strings)")
        if len(cols[-1][5][0]) > 3 or (cols[-1][5][1] is not None and len(cols[-1][5][0]) > 1):
            raise ValueError(f"missing values of {name!r}: at most three values, or a range and one value "
                             "(a blank counts as one for a string column with missing entries)")
    return cols
