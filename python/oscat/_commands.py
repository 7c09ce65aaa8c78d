"""Command text for the conveniences: each builds exactly what it runs, so the
text can be read, kept and run again with ``oscat.run`` or the program."""
import numbers

import numpy as np
import pandas as pd

__all__ = ["mca_syntax", "catpca_syntax", "catreg_syntax", "correspondence_syntax", "homals_syntax"]

LEVELS = ("NOMINAL", "ORDINAL", "NUMERICAL", "MNOMINAL", "SPORD", "SPNOM")


def _num(x, what):
    if isinstance(x, bool) or not isinstance(x, numbers.Real) or not np.isfinite(x):
        raise ValueError(f"{what} must be a finite number, not {x!r}")
    return f"{float(x):.12g}" if not isinstance(x, numbers.Integral) else str(int(x))


def _count(x, what, lo=1):
    if isinstance(x, bool) or not isinstance(x, numbers.Integral) or x < lo:
        raise ValueError(f"{what} must be a whole number of at least {lo}, not {x!r}")
    return str(int(x))


def _names(data, names, what):
    if isinstance(names, str):
        names = [names]
    names = list(names)
    for n in names:
        if n not in data.columns:
            raise ValueError(f"{what}: no column named {n!r}")
    return names


def _words(value, what):
    """A subcommand's specification: a string as typed, or a list of keywords."""
    if isinstance(value, str):
        return value
    if isinstance(value, (list, tuple)):
        return " ".join(str(v) for v in value)
    raise ValueError(f"{what} must be a string or a list of keywords, not {value!r}")


class _Command:
    """Subcommands joined with '/', wrapped into lines the syntax reader takes
    (a line ending in a period would end the command early, so a break never
    follows one)."""

    def __init__(self, head):
        self.parts = [head]

    def add(self, text):
        self.parts.append("/" + text)

    def text(self, width=78):
        lines, line = [], ""
        for part in self.parts:
            for word in part.split(" "):
                if line and len(line) + 1 + len(word) > width and not line.endswith("."):
                    lines.append(line)
                    line = "  " + word
                else:
                    line = f"{line} {word}" if line else word
        lines.append(line)
        return "\n".join(lines) + ".\n"


def _common(cmd, data, *, missing=None, discretization=None):
    if discretization:
        specs = [f"{v}({_words(s, 'discretization')})" for v, s in discretization.items()]
        _names(data, list(discretization), "discretization")
        cmd.add("DISCRETIZATION=" + " ".join(specs))
    if missing:
        _names(data, list(missing), "missing")
        cmd.add("MISSING=" + " ".join(f"{v}({_words(s, 'missing')})" for v, s in missing.items()))
    return cmd


def _tail(cmd, *, maxiter, crititer, resample=None, print=None, plot=None, save=None, outfile=None):
    if maxiter is not None:
        cmd.add(f"MAXITER={_count(maxiter, 'maxiter', 0)}")
    if crititer is not None:
        cmd.add(f"CRITITER={_num(crititer, 'crititer')}")
    if resample is not None:
        cmd.add("RESAMPLE=" + _words(resample, "resample"))
    for name, value in (("PRINT", print), ("PLOT", plot), ("SAVE", save), ("OUTFILE", outfile)):
        if value is not None:
            cmd.add(f"{name}=" + (_words(value, name.lower()) or "NONE"))
    return cmd


def _objects(objs):
    return " ".join(_count(o, "supplementary_objects") for o in objs)


def _analysis_variables(data, variables, weight, extra=()):
    if variables is None:
        variables = [c for c in data.columns if c != weight]
    else:
        variables = _names(data, variables, "variables")
    for e in extra:
        if e not in variables:
            variables.append(e)
    if not variables:
        raise ValueError("no variables to analyse")
    return variables


def _level_spec(name, spec):
    if isinstance(spec, str):
        spec = {"level": spec}
    if not isinstance(spec, dict):
        raise ValueError(f"level of {name!r}: a level name or a dict, not {spec!r}")
    parts = []
    for key, value in spec.items():
        key_u = key.upper()
        if key_u == "LEVEL":
            level = str(value).upper()
            if level not in LEVELS:
                raise ValueError(f"level of {name!r}: {value!r} is not one of {', '.join(LEVELS)}")
            parts.append(f"LEVEL={level}")
        elif key_u in ("DEGREE", "INKNOT"):
            parts.append(f"{key_u}={_count(value, key, 0)}")
        elif key_u == "WEIGHT":
            parts.append(f"WEIGHT={_count(value, 'weight')}")
        else:
            raise ValueError(f"level of {name!r}: unknown key {key!r} (level, degree, inknot, weight)")
    return "(" + " ".join(parts) + ")"


def _optimal_scaling(head, data, *, dims, variables, supplementary, supplementary_objects, level_specs,
                     normalization, configuration, rotation, weight, maxiter, crititer, missing, discretization,
                     resample, print, plot, save, outfile):
    supplementary = _names(data, supplementary or [], "supplementary")
    variables = _analysis_variables(data, variables, weight, supplementary)
    for v in level_specs:
        if v not in variables:
            raise ValueError(f"levels: {v!r} is not an analysed variable")
    cmd = _Command(f"{head} VARIABLES=" + " ".join(variables))
    cmd.add("ANALYSIS=" + " ".join(v + (_level_spec(v, level_specs[v]) if v in level_specs else "")
                                   for v in variables))
    _common(cmd, data, missing=missing, discretization=discretization)
    sup = []
    if supplementary_objects:
        sup.append(f"OBJECT({_objects(supplementary_objects)})")
    if supplementary:
        sup.append(f"VARIABLE({' '.join(supplementary)})")
    if sup:
        cmd.add("SUPPLEMENTARY=" + " ".join(sup))
    if configuration is not None:
        cmd.add("CONFIGURATION=" + _words(configuration, "configuration"))
    cmd.add(f"DIMENSION={_count(dims, 'dims')}")
    if normalization is not None:
        norm = normalization if isinstance(normalization, str) else _num(normalization, "normalization")
        cmd.add(f"NORMALIZATION={norm}")
    if rotation is not None:
        cmd.add("ROTATION=" + _words(rotation, "rotation"))
    _tail(cmd, maxiter=maxiter, crititer=crititer, resample=resample, print=print, plot=plot, save=save,
          outfile=outfile)
    return cmd.text()


def mca_syntax(data, dims=2, *, variables=None, supplementary=None, supplementary_objects=None,
               variable_weights=None, normalization=None, configuration=None, weight=None, maxiter=None,
               crititer=None, missing=None, discretization=None, resample=None, print=None, plot=None,
               save=None, outfile=None):
    """The MULTIPLE CORRESPONDENCE command ``oscat.mca`` runs (see there)."""
    specs = {v: {"weight": w} for v, w in (variable_weights or {}).items()}
    return _optimal_scaling("MULTIPLE CORRESPONDENCE", data, dims=dims, variables=variables,
                            supplementary=supplementary, supplementary_objects=supplementary_objects,
                            level_specs=specs, normalization=normalization, configuration=configuration,
                            rotation=None, weight=weight, maxiter=maxiter, crititer=crititer, missing=missing,
                            discretization=discretization, resample=resample, print=print, plot=plot,
                            save=save, outfile=outfile)


def catpca_syntax(data, levels=None, dims=2, rotation=None, *, level=None, variables=None, supplementary=None,
                  supplementary_objects=None, normalization=None, configuration=None, weight=None,
                  maxiter=None, crititer=None, missing=None, discretization=None, resample=None, print=None,
                  plot=None, save=None, outfile=None):
    """The CATPCA command ``oscat.catpca`` runs (see there)."""
    specs = dict(levels or {})
    if level is not None:
        for v in _analysis_variables(data, variables, weight, _names(data, supplementary or [], "supplementary")):
            specs.setdefault(v, level)
    return _optimal_scaling("CATPCA", data, dims=dims, variables=variables, supplementary=supplementary,
                            supplementary_objects=supplementary_objects, level_specs=specs,
                            normalization=normalization, configuration=configuration, rotation=rotation,
                            weight=weight, maxiter=maxiter, crititer=crititer, missing=missing,
                            discretization=discretization, resample=resample, print=print, plot=plot,
                            save=save, outfile=outfile)


def catreg_syntax(data, dependent, predictors=None, levels=None, *, level=None, weight=None,
                  supplementary_objects=None, initial=None, regularization=None, maxiter=None, crititer=None,
                  missing=None, discretization=None, resample=None, print=None, plot=None, save=None,
                  outfile=None):
    """The CATREG command ``oscat.catreg`` runs (see there)."""
    (dependent,) = _names(data, [dependent], "dependent")
    if predictors is None:
        predictors = [c for c in data.columns if c not in (dependent, weight)]
    predictors = _names(data, predictors, "predictors")
    if not predictors:
        raise ValueError("catreg needs at least one predictor")
    specs = dict(levels or {})
    if level is not None:
        for v in [dependent] + predictors:
            specs.setdefault(v, level)
    for v in specs:
        if v != dependent and v not in predictors:
            raise ValueError(f"levels: {v!r} is neither the dependent variable nor a predictor")
    lev = {v: _level_spec(v, s) for v, s in specs.items()}
    cmd = _Command("CATREG VARIABLES=" + " ".join([dependent] + predictors))
    cmd.add("ANALYSIS=" + dependent + lev.get(dependent, "") + " WITH " +
            " ".join(p + lev.get(p, "") for p in predictors))
    _common(cmd, data, missing=missing, discretization=discretization)
    if supplementary_objects:
        cmd.add(f"SUPPLEMENTARY=OBJECT({_objects(supplementary_objects)})")
    if initial is not None:
        cmd.add("INITIAL=" + _words(initial, "initial"))
    if regularization is not None:
        cmd.add("REGULARIZATION=" + _words(regularization, "regularization"))
    _tail(cmd, maxiter=maxiter, crititer=crititer, resample=resample, print=print, plot=plot, save=save,
          outfile=outfile)
    return cmd.text()


def _codes(series):
    """A column as whole-number codes 1..k when it is text or categorical
    (categories as value labels), else as it is."""
    if isinstance(series.dtype, pd.CategoricalDtype):
        codes = series.cat.codes.to_numpy()
        labels = {float(i + 1): str(c) for i, c in enumerate(series.cat.categories)}
        return pd.Series(np.where(codes < 0, np.nan, codes + 1.0), index=series.index), labels
    if pd.api.types.is_numeric_dtype(series.dtype) and not pd.api.types.is_bool_dtype(series.dtype):
        return series, {}
    cats = sorted(series.dropna().astype(str).unique())
    pos = {c: i + 1.0 for i, c in enumerate(cats)}
    values = [np.nan if pd.isna(v) else pos[str(v)] for v in series]
    return pd.Series(values, index=series.index, dtype=float), {p: c for c, p in pos.items()}


def _range_of(series, name):
    v = pd.to_numeric(series, errors="coerce").dropna().to_numpy()
    if v.size == 0:
        raise ValueError(f"column {name!r} has no values")
    if not np.all(v == np.floor(v)):
        raise ValueError(f"column {name!r} must hold whole-number codes (or be text or categorical)")
    return int(v.min()), int(v.max())


def correspondence_syntax(data, rows=None, cols=None, dims=2, *, supplementary=None, equal=None, measure=None,
                          standardize=None, normalization=None, print=None, plot=None, outfile=None,
                          maxiter=None, crititer=None):
    """The CORRESPONDENCE command ``oscat.correspondence`` runs and the data
    it runs on: (syntax, DataFrame)."""
    if maxiter is not None or crititer is not None:
        raise ValueError("CORRESPONDENCE is computed directly (a singular value decomposition): it has no "
                         "iterations, so maxiter and crititer do not apply")
    if (rows is None) != (cols is None):
        raise ValueError("give both rows and cols, or neither (data is then the table of counts)")
    if rows is not None:
        if not isinstance(data, pd.DataFrame):
            raise ValueError("rows and cols name columns of a DataFrame")
        _names(data, [rows, cols], "rows/cols")
        if rows == cols:
            raise ValueError("rows and cols must be two different columns")
        frame = pd.DataFrame(index=data.index)
        labels = {}
        for name in (rows, cols):
            frame[name], labels[name] = _codes(data[name])
        extra = [c for c in data.columns if c not in (rows, cols)]
        for c in extra:  # a weight column, say
            frame[c] = data[c]
        frame.attrs = {k: v for k, v in data.attrs.items()}
        vl = dict(frame.attrs.get("value_labels") or {})
        for name in (rows, cols):
            if labels[name]:
                vl[name] = labels[name]
        frame.attrs["value_labels"] = vl
        (r0, r1), (c0, c1) = _range_of(frame[rows], rows), _range_of(frame[cols], cols)
        cmd = _Command(f"CORRESPONDENCE TABLE={rows}({r0},{r1}) BY {cols}({c0},{c1})")
    else:
        table = data if isinstance(data, pd.DataFrame) else pd.DataFrame(np.asarray(data, dtype=float))
        if table.ndim != 2 or table.shape[0] < 1 or table.shape[1] < 1:
            raise ValueError("the table of counts must be two-dimensional")
        frame = table.copy()
        frame.columns = [f"c{j + 1}" for j in range(table.shape[1])]
        for c in frame.columns:
            if not pd.api.types.is_numeric_dtype(frame[c].dtype):
                raise ValueError("the table of counts must hold numbers")
        cmd = _Command(f"CORRESPONDENCE TABLE=ALL({table.shape[0]},{table.shape[1]})")
    cmd.add(f"DIMENSION={_count(dims, 'dims')}")
    for name, value in (("SUPPLEMENTARY", supplementary), ("EQUAL", equal), ("MEASURE", measure),
                        ("STANDARDIZE", standardize), ("NORMALIZATION", normalization), ("PRINT", print),
                        ("PLOT", plot), ("OUTFILE", outfile)):
        if value is not None:
            v = value if not isinstance(value, numbers.Real) or isinstance(value, bool) else _num(value, name)
            cmd.add(f"{name}=" + _words(v, name.lower()))
    return cmd.text(), frame


def homals_syntax(data, dims=2, *, variables=None, analysis=None, max_categories=None, maxiter=None,
                  crititer=None, print=None, plot=None, save=None, matrix=None):
    """The HOMALS command ``oscat.homals`` runs (see there)."""
    variables = _analysis_variables(data, variables, None)
    max_categories = dict(max_categories or {})
    specs = []
    for v in variables:
        if v not in max_categories:
            _, hi = _range_of(data[v], v)
            max_categories[v] = hi
        specs.append(f"{v}({_count(max_categories[v], 'max_categories')})")
    cmd = _Command("HOMALS VARIABLES=" + " ".join(specs))
    if analysis is not None:
        cmd.add("ANALYSIS=" + " ".join(_names(data, analysis, "analysis")))
    cmd.add(f"DIMENSION={_count(dims, 'dims')}")
    if maxiter is not None:
        cmd.add(f"MAXITERATIONS={_count(maxiter, 'maxiter', 0)}")
    if crititer is not None:
        cmd.add(f"CONVERGENCE={_num(crititer, 'crititer')}")
    for name, value in (("PRINT", print), ("PLOT", plot), ("SAVE", save), ("MATRIX", matrix)):
        if value is not None:
            cmd.add(f"{name}=" + _words(value, name.lower()))
    return cmd.text()
