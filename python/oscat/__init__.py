"""oscat from Python: optimal-scaling analysis of categorical data on pandas
DataFrames, with the engine and procedures running in this process.

    import oscat, pandas as pd
    report = oscat.run("MULTIPLE CORRESPONDENCE VARIABLES=a b c /ANALYSIS=a b c.", data=df)
    report.tables["Model Summary"]        # a DataFrame
    oscat.mca(df, dims=2).tables          # the same through a convenience

``run`` takes any commands the ``oscat`` program takes (the command reference
is docs/README.md); the conveniences (``mca``, ``catpca``, ``correspondence``,
``catreg``, ``homals``) build a command from keyword arguments and expose its
text as ``report.syntax``.

Errors: a command error raises ``CommandError`` (its ``report`` holds what
was produced and the messages with their keys); wrong arguments raise
``ValueError``; warnings of the commands go through ``warnings`` as
``OscatWarning``. Ctrl-C stops the running procedure; the KeyboardInterrupt
raised afterwards carries the report so far as its ``report`` attribute.

Threads: one run at a time per process. Runs from several threads wait for
each other (a lock); the GIL is released while a run computes.
"""
import os
import warnings

from . import _oscat
from ._commands import (catpca_syntax, catreg_syntax, correspondence_syntax, homals_syntax, mca_syntax)
from ._frame import Range, columns_of
from ._report import Chart, CommandError, Message, Report, TableList

__version__ = _oscat.version
__all__ = ["run", "mca", "catpca", "correspondence", "catreg", "homals", "Report", "Message", "Chart",
           "TableList", "CommandError", "OscatWarning", "Range"]


class OscatWarning(UserWarning):
    """A warning issued by a command (the text; the key is in ``report.messages``)."""


def run(syntax, data=None, *, weight=None, variable_labels=None, value_labels=None, missing_values=None,
        base_dir=None, raise_on_error=True):
    """Run the commands of ``syntax`` and return a ``Report``.

    data            a pandas DataFrame: the working data file (numeric columns as
                    numbers, strings and categoricals as string variables with
                    their categories as value labels, NaN / None as missing);
                    None runs without one (GET DATA may read a file)
    weight          name of a numeric column to weight the cases by (WEIGHT BY)
    variable_labels {column: label}; value_labels {column: {value: label}};
    missing_values  {column: [values] or [oscat.Range(lo, hi), value]}: user-missing
                    values. Each also read from ``data.attrs`` under the same
                    name; the keywords win.
    base_dir        directory that relative file names in the syntax refer to
                    (default: the current directory)
    raise_on_error  raise CommandError when a command issued an error (default)
    """
    if not isinstance(syntax, str):
        raise ValueError("syntax must be a string of commands")
    columns = []
    index = None
    if data is not None:
        columns = columns_of(data, variable_labels, value_labels, missing_values)
        index = data.index
        if weight is not None and weight not in data.columns:
            raise ValueError(f"weight: no column named {weight!r}")
    elif weight is not None or variable_labels or value_labels or missing_values:
        raise ValueError("weight, labels and missing values describe data; no data were given")
    result = _oscat.run(syntax, columns, weight or "", os.path.abspath(base_dir or os.getcwd()))
    report = Report(result, syntax, index)
    for m in report.warnings:
        warnings.warn(f"{m.command}: {m.text}", OscatWarning, stacklevel=2)
    if result.exception is not None:
        exc = result.exception
        try:
            exc.report = report
        except AttributeError:
            pass
        raise exc
    if raise_on_error and (report.errors or result.errors):
        raise CommandError(report)
    return report


def _run_command(syntax, data, options):
    return run(syntax, data, **options)


_RUN_KEYWORDS = ("weight", "variable_labels", "value_labels", "missing_values", "base_dir", "raise_on_error")


def _split(kwargs):
    run_opts = {k: kwargs.pop(k) for k in list(kwargs) if k in _RUN_KEYWORDS}
    return run_opts, kwargs


def mca(data, dims=2, **kwargs):
    """MULTIPLE CORRESPONDENCE of the columns of ``data``.

    variables       analysed columns (default every column but the weight)
    supplementary   columns fitted to the solution without shaping it
    supplementary_objects  case numbers (1-based) likewise
    variable_weights {column: weight}
    maxiter, crititer  iteration limit (100) and convergence criterion (.00001)
    normalization   "VPRINCIPAL" (default), "OPRINCIPAL", "SYMMETRICAL", "INDEPENDENT" or a number
    missing         {column: "PASSIVE MODEIMPU", ...}; discretization {column: "GROUPING NCAT=5", ...}
    print, plot, save  lists of keywords (or strings) as in the command, e.g.
                    print=["DISCRIM", "QUANT(a b)"], save=["OBJECT"]
    resample        e.g. "BOOTSTRAP(1000, 0.95)"
    plus the keywords of ``run`` (weight, labels, missing values).
    The command text is ``report.syntax``; ``oscat.mca_syntax`` builds it alone.
    """
    run_opts, opts = _split(kwargs)
    return _run_command(mca_syntax(data, dims=dims, weight=run_opts.get("weight"), **opts), data, run_opts)


def catpca(data, levels=None, dims=2, rotation=None, **kwargs):
    """CATPCA of the columns of ``data``.

    levels          {column: "ORDINAL"} (NOMINAL, ORDINAL, NUMERICAL, MNOMINAL, SPORD,
                    SPNOM) or {column: {"level": "SPORD", "degree": 2, "inknot": 2}};
                    columns not named take ``level`` (default: the procedure's default)
    rotation        None, "VARIMAX", "EQUAMAX", "QUARTIMAX", "OBLIMIN", "PROMAX",
                    with arguments as in the command ("OBLIMIN(0) KAISER")
    and the keywords of ``mca``.
    """
    run_opts, opts = _split(kwargs)
    return _run_command(catpca_syntax(data, levels=levels, dims=dims, rotation=rotation,
                                      weight=run_opts.get("weight"), **opts), data, run_opts)


def correspondence(data, rows=None, cols=None, dims=2, **kwargs):
    """CORRESPONDENCE analysis.

    With ``rows`` and ``cols``: the table of counts of those two columns of
    ``data`` (integer codes; strings and categoricals are numbered 1, 2, ...
    with their categories as value labels). Without them ``data`` is the
    table itself (a DataFrame or 2-D array of counts).
    supplementary, equal, measure, standardize, normalization, print, plot:
    as the subcommands (text or lists of keywords). The analysis is direct,
    without iterations: ``maxiter`` and ``crititer`` are refused.
    """
    run_opts, opts = _split(kwargs)
    syntax, frame = correspondence_syntax(data, rows=rows, cols=cols, dims=dims, **opts)
    return _run_command(syntax, frame, run_opts)


def catreg(data, dependent, predictors=None, levels=None, **kwargs):
    """CATREG: ``dependent`` on ``predictors`` (default every other column).

    levels          {column: level} as in catpca (default: the procedure's)
    maxiter, crititer, initial ("NUMERICAL", "RANDOM", "MULTISTART(ALL)"),
    regularization ("RIDGE(0 1 0.1)"), resample ("CROSSVAL(10)"),
    supplementary_objects, missing, discretization, print, plot, save:
    as the subcommands.
    """
    run_opts, opts = _split(kwargs)
    return _run_command(catreg_syntax(data, dependent, predictors=predictors, levels=levels,
                                      weight=run_opts.get("weight"), **opts), data, run_opts)


def homals(data, dims=2, **kwargs):
    """HOMALS of the columns of ``data`` (whole-number codes 1 to their
    maximum, which is taken from the data unless ``max_categories`` says).

    variables, analysis (the analysed subset), maxiter (100), crititer (the
    CONVERGENCE value, .00001), print, plot, save: as the subcommands.
    """
    run_opts, opts = _split(kwargs)
    return _run_command(homals_syntax(data, dims=dims, **opts), data, run_opts)
