"""The Python surface: conveniences against independent computations and the
program, reports, errors, warnings and runs from several threads."""
import os
import shutil
import tempfile
import threading
import unittest
import warnings

import numpy as np
import pandas as pd

import oscat
from support import program_json


def survey(seed=11, n=120):
    rng = np.random.default_rng(seed)
    latent = rng.normal(size=n)
    return pd.DataFrame({f"q{j}": np.digitize(latent + rng.normal(size=n), [-1, 0, 1]) + 1 for j in range(4)})


class Conveniences(unittest.TestCase):
    def setUp(self):
        warnings.simplefilter("ignore", oscat.OscatWarning)

    def test_syntax_is_what_ran(self):
        # The text a convenience exposes gives the same report, through the
        # module and through the program (data written as CSV for it).
        df = survey()
        report = oscat.catpca(df, levels={"q0": "nominal", "q1": {"level": "spord", "degree": 2, "inknot": 1}},
                              level="ordinal", dims=2, rotation="VARIMAX", supplementary=["q3"], maxiter=500,
                              crititer=1e-9, print=["VAF", "LOADING", "QUANT(q0)"], plot="LOADING")
        for part in ("q0(LEVEL=NOMINAL)", "LEVEL=SPORD DEGREE=2 INKNOT=1", "/ROTATION=VARIMAX",
                     "VARIABLE(q3)", "/MAXITER=500", "/CRITITER=1e-09"):
            self.assertIn(part, " ".join(report.syntax.split()))
        again = oscat.run(report.syntax, df)
        self.assertEqual(again.json["commands"], report.json["commands"])
        tmp = tempfile.mkdtemp()
        self.addCleanup(shutil.rmtree, tmp)
        df.to_csv(os.path.join(tmp, "d.csv"), index=False)
        with open(os.path.join(tmp, "cmd.sps"), "w") as f:
            f.write("GET DATA /TYPE=CSV /FILE='d.csv'.\n" + report.syntax)
        program = program_json("cmd.sps", tmp)["commands"][1]
        self.assertEqual(program, report.json["commands"][0])

    def test_correspondence_of_a_table_is_its_svd(self):
        rng = np.random.default_rng(2)
        table = rng.integers(1, 30, (5, 4)).astype(float)
        report = oscat.correspondence(table, dims=3)
        p = table / table.sum()
        r, c = p.sum(axis=1), p.sum(axis=0)
        s = (p - np.outer(r, c)) / np.sqrt(np.outer(r, c))
        sv = np.linalg.svd(s, compute_uv=False)[:3]
        got = report.tables["Summary"].xs("Singular Value", axis=1, level=-1).iloc[:3, 0].to_numpy(dtype=float)
        np.testing.assert_allclose(got, sv, rtol=0, atol=1e-10)

    def test_correspondence_of_two_text_columns_counts_the_cases(self):
        rng = np.random.default_rng(4)
        df = pd.DataFrame({"r": pd.Categorical(rng.choice(["u", "v", "w"], 90)), "c": rng.choice(["k", "l"], 90),
                           "wt": rng.choice([1.0, 2.0], 90)})
        report = oscat.correspondence(df, rows="r", cols="c", dims=1, weight="wt")
        t = report.tables["Correspondence Table"].drop(index="Active Margin", columns="Active Margin")
        want = pd.crosstab(df.r, df.c, values=df.wt, aggfunc="sum").astype(float)
        np.testing.assert_array_equal(t.to_numpy(dtype=float), want.to_numpy())
        self.assertEqual(list(t.index), ["u", "v", "w"])
        self.assertEqual(list(t.columns), ["k", "l"])

    def test_catreg_numerical_is_least_squares(self):
        rng = np.random.default_rng(8)
        n = 80
        df = pd.DataFrame({"a": rng.integers(1, 6, n), "b": rng.integers(1, 4, n)})
        # Positive whole numbers: other values would be grouped or missing.
        y = np.round(10 * (0.5 * df.a - 0.8 * df.b + rng.normal(size=n))).astype(int)
        df["y"] = y - y.min() + 1
        report = oscat.catreg(df, "y", level="numerical", crititer=1e-12, maxiter=1000)
        x = np.column_stack([np.ones(n), df.a, df.b])
        beta, *_ = np.linalg.lstsq(x, df.y, rcond=None)
        resid = df.y - x @ beta
        r2 = 1 - resid @ resid / ((df.y - df.y.mean()) ** 2).sum()
        self.assertAlmostEqual(report.tables["Model Summary"]["R Square"].iloc[0], r2, places=9)

    def test_homals_eigenvalues_are_mca_inertias(self):
        df = survey(seed=3)
        hom = oscat.homals(df, dims=2, maxiter=1000, crititer=1e-10, plot="NONE")
        self.assertIn("q0(4)", hom.syntax)
        mca = oscat.mca(df, dims=2, maxiter=1000, crititer=1e-12, plot="NONE")
        eig = hom.tables["Eigenvalues"].iloc[:, 0].to_numpy(dtype=float)
        inertia = mca.tables["Model Summary"].xs("Variance Accounted For", axis=1, level=0)["Inertia"]
        np.testing.assert_allclose(eig, inertia.iloc[:2].to_numpy(dtype=float), atol=1e-6)

    def test_usage_errors(self):
        df = survey()
        with self.assertRaises(ValueError):
            oscat.catpca(df, levels={"q0": "curved"})
        with self.assertRaises(ValueError):
            oscat.mca(df, variables=["nope"])
        with self.assertRaises(ValueError):
            oscat.mca(df, dims=0)
        with self.assertRaises(ValueError):
            oscat.correspondence(df, rows="q0")
        with self.assertRaises(ValueError):
            oscat.run(42)


class Reports(unittest.TestCase):
    def setUp(self):
        warnings.simplefilter("ignore", oscat.OscatWarning)

    def test_tables_charts_html(self):
        df = survey()
        report = oscat.mca(df, print=["DISCRIM"], plot=["DISCRIM"])
        t = report.tables["Discrimination Measures"]
        self.assertIs(t, report.tables[report.tables.titles().index("Discrimination Measures")])
        self.assertEqual(list(t.index[:4]), ["q0", "q1", "q2", "q3"])
        self.assertIsInstance(t.columns, pd.MultiIndex)  # Dimension group over 1, 2 beside Mean
        with self.assertRaises(KeyError):
            report.tables["No such table"]
        chart = report.charts[0]
        self.assertTrue(chart.svg.startswith("<svg"))
        self.assertEqual(chart._repr_svg_(), chart.svg)
        # The chart's points are the table's discrimination measures.
        pts = chart.data.select_dtypes("number").to_numpy()
        np.testing.assert_array_equal(np.sort(pts[:, 0]), np.sort(t.iloc[:4, 0].to_numpy(dtype=float)))
        html = report.html()
        self.assertIn("<svg", html)
        self.assertIn("Discrimination Measures", html)

    def test_command_error_carries_the_report(self):
        df = survey()
        with self.assertRaises(oscat.CommandError) as caught:
            oscat.run("MULTIPLE CORRESPONDENCE VARIABLES=q0 q1 /ANALYSIS=q0 q1 /PLOT=NONE.\n"
                      "CATPCA VARIABLES=q0 nope /ANALYSIS=q0 nope.", df)
        report = caught.exception.report
        self.assertIn("Model Summary", report.tables)      # the first command's output is kept
        self.assertTrue(report.errors)
        self.assertTrue(all(m.key for m in report.errors))
        self.assertEqual(report.errors[0].command, "CATPCA")

    def test_warnings_go_through_python(self):
        df = survey().astype(str)  # string variables are discretized by RANKING, with a warning
        with warnings.catch_warnings(record=True) as seen:
            warnings.simplefilter("always")
            report = oscat.mca(df, plot="NONE")
        ours = [w for w in seen if issubclass(w.category, oscat.OscatWarning)]
        self.assertEqual(len(ours), len(report.warnings))
        self.assertGreater(len(ours), 0)


class Threads(unittest.TestCase):
    def test_concurrent_runs_equal_serial_runs(self):
        warnings.simplefilter("ignore", oscat.OscatWarning)
        frames = [survey(seed=s, n=400) for s in range(4)]
        serial = [oscat.mca(f, plot="NONE", crititer=1e-10).json["commands"] for f in frames]
        got = [None] * len(frames)
        errors = []

        def work(i):
            try:
                for _ in range(3):
                    got[i] = oscat.mca(frames[i], plot="NONE", crititer=1e-10).json["commands"]
            except Exception as e:  # noqa: BLE001 - reported below
                errors.append(e)

        threads = [threading.Thread(target=work, args=(i,)) for i in range(len(frames))]
        for t in threads:
            t.start()
        for t in threads:
            t.join()
        self.assertEqual(errors, [])
        self.assertEqual(got, serial)


if __name__ == "__main__":
    unittest.main()
