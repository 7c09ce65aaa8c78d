"""A DataFrame becomes the working data file as given: numbers, NaN, strings,
categoricals, labels, user-missing values and case weights, counted by the
procedure as pandas counts them."""
import json
import os
import shutil
import tempfile
import unittest
import warnings

import numpy as np
import pandas as pd

import oscat


def frame():
    rng = np.random.default_rng(7)
    n = 60
    df = pd.DataFrame({
        "a": rng.integers(1, 4, n).astype(float),
        "b": pd.Categorical(rng.choice(["x", "y", "z"], n)),
        "s": rng.choice(["p", "q"], n).astype(object),
        "o": pd.Categorical(rng.choice(["low", "mid", "high"], n), categories=["low", "mid", "high"],
                            ordered=True),
        "w": rng.choice([0.5, 1.0, 2.0], n),
    }, index=[f"r{i}" for i in range(n)])
    df.loc[df.index[[2, 11]], "a"] = np.nan
    df.loc[df.index[[5]], "b"] = None
    df.loc[df.index[[8, 9]], "s"] = None
    df.loc[df.index[[20]], "w"] = np.nan   # a case without a weight is left out
    df.loc[df.index[[21]], "w"] = 0.0
    df.attrs["variable_labels"] = {"a": "Item A", "b": "Item B"}
    return df


def descriptives(report):
    """The Descriptive Statistics tables by their variable (the row dimension)."""
    out = {}
    for t in report.tables.all("Descriptive Statistics"):
        out[t.index.names[-1]] = t
    return out


class FrameRoundTrip(unittest.TestCase):
    def setUp(self):
        warnings.simplefilter("ignore", oscat.OscatWarning)
        self.df = frame()
        self.report = oscat.run(
            "MULTIPLE CORRESPONDENCE VARIABLES=a b s o /ANALYSIS=a b s o /PRINT=DESCRIP /PLOT=NONE.",
            self.df, weight="w", value_labels={"a": {1: "one", 2: "two"}, "s": {"p": "Pea"}},
            missing_values={"a": [3]})

    def test_case_counts(self):
        df = self.df[self.df.w > 0]
        incomplete = df.a.isna() | (df.a == 3) | df.b.isna() | df.s.isna()
        t = self.report.tables["Case Processing Summary"].iloc[:, 0]
        self.assertAlmostEqual(t["Total"], df.w.sum(), places=12)
        self.assertAlmostEqual(t["Valid Active Cases"], df.w[~incomplete].sum(), places=12)
        self.assertAlmostEqual(t["Active Cases with Missing Values"], df.w[incomplete].sum(), places=12)

    def test_categories_labels_and_frequencies(self):
        df = self.df[self.df.w > 0]
        d = descriptives(self.report)
        self.assertEqual(set(d), {"Item A", "Item B", "s", "o"})  # variable labels from attrs

        def valid(t):
            v = t.xs("Valid", level=0).iloc[:, 0]
            return v.drop("Total")

        a = valid(d["Item A"])
        self.assertEqual(list(a.index), ["one", "two"])          # 3 is user-missing
        self.assertAlmostEqual(a["one"], df.w[df.a == 1].sum(), places=12)
        self.assertAlmostEqual(a["two"], df.w[df.a == 2].sum(), places=12)
        miss = d["Item A"].xs("Missing", level=0).iloc[:, 0]
        self.assertAlmostEqual(miss["System-missing"], df.w[df.a.isna()].sum(), places=12)
        self.assertAlmostEqual(miss["User-defined missing"], df.w[df.a == 3].sum(), places=12)

        b = valid(d["Item B"])
        self.assertEqual(list(b.index), ["x", "y", "z"])
        for c in "xyz":
            self.assertAlmostEqual(b[c], df.w[df.b == c].sum(), places=12)
        # A missing categorical or string entry is missing, not a blank category.
        self.assertAlmostEqual(d["Item B"].xs("Missing", level=0).iloc[0, 0], df.w[df.b.isna()].sum(), places=12)
        s = valid(d["s"])
        self.assertEqual(list(s.index), ["Pea", "q"])
        self.assertAlmostEqual(s["Pea"], df.w[df.s == "p"].sum(), places=12)
        self.assertAlmostEqual(d["s"].xs("Missing", level=0).iloc[0, 0], df.w[df.s.isna()].sum(), places=12)

        # An ordered categorical keeps its order (not the alphabetical one).
        o = valid(d["o"])
        self.assertEqual(list(o.index), ["low", "mid", "high"])
        for c in ["low", "mid", "high"]:
            self.assertAlmostEqual(o[c], df.w[df.o == c].sum(), places=12)

    def test_table_keys_are_kept(self):
        t = self.report.tables["Case Processing Summary"]
        self.assertTrue(t.attrs["title_key"])
        self.assertEqual(len(t.attrs["row_keys"]), len(t.index))
        self.assertIn("CPR Valid Cases", [k[-1] for k in t.attrs["row_keys"]])

    def test_saved_variables_are_aligned_with_the_index(self):
        df = self.df
        r = oscat.run("MULTIPLE CORRESPONDENCE VARIABLES=b s o /ANALYSIS=b s o /PLOT=NONE /SAVE=OBJECT.",
                      df, weight="w")
        new = r.new_variables
        self.assertEqual(new.shape[1], 2)
        self.assertTrue(new.index.equals(df.index))
        left_out = ~(df.w > 0)
        self.assertTrue(new[left_out].isna().all().all())
        used = df.w > 0
        self.assertTrue(np.isfinite(new[used].to_numpy()).all())
        # The scores belong to their cases: weighted, they are centred.
        x = new[used].to_numpy()
        w = df.w[used].to_numpy()
        np.testing.assert_allclose(w @ x / w.sum(), 0, atol=1e-9)
        shuffled = new[used].sample(frac=1, random_state=1).to_numpy()
        self.assertGreater(np.abs(w @ shuffled / w.sum()).max(), 1e-6)


class FrameAsSaved(unittest.TestCase):
    def test_save_outfile_writes_the_frame_back(self):
        # The working file the frame became, written by SAVE OUTFILE at full
        # precision, holds the frame's values: strided columns of a 2-D block,
        # small integer, unsigned, float32 and boolean columns included.
        rng = np.random.default_rng(9)
        block = rng.normal(size=(50, 3))
        block[[3, 7], 1] = np.nan
        df = pd.DataFrame(block, columns=["x", "y", "z"])
        self.assertEqual(df["y"].to_numpy().strides, (24,))  # a column of the row-major block
        df["i8"] = rng.integers(-100, 100, 50).astype(np.int8)
        df["u16"] = rng.integers(0, 60000, 50).astype(np.uint16)
        df["f32"] = rng.normal(size=50).astype(np.float32)
        df["flag"] = rng.random(50) < 0.5
        df["nullable"] = pd.array([1, None] * 25, dtype="Int64")
        df["txt"] = ["a,b", 'say "hi"', None, "x"] * 12 + ["y", "z"]
        df["cat"] = pd.Categorical(rng.choice(["lo", "hi"], 50), categories=["lo", "hi"], ordered=True)
        df.attrs["variable_labels"] = {"x": "The x"}
        before = df.copy()
        tmp = tempfile.mkdtemp()
        self.addCleanup(shutil.rmtree, tmp)
        oscat.run("SAVE OUTFILE='out.csv'.", df, base_dir=tmp, missing_values={"i8": [oscat.Range(None, -90)]})
        back = pd.read_csv(os.path.join(tmp, "out.csv"), float_precision="round_trip", keep_default_na=False,
                           na_values=[""])
        for c in ["x", "y", "z", "i8", "u16", "f32"]:
            np.testing.assert_array_equal(back[c].to_numpy(dtype=float), df[c].to_numpy(dtype=float), err_msg=c)
        np.testing.assert_array_equal(back["flag"].to_numpy(dtype=float), df["flag"].to_numpy(dtype=float))
        np.testing.assert_array_equal(back["nullable"].to_numpy(dtype=float),
                                      df["nullable"].to_numpy(dtype=float, na_value=np.nan))
        self.assertEqual(back["txt"].fillna("").tolist(), df["txt"].fillna("").tolist())
        self.assertEqual(back["cat"].tolist(), (df["cat"].cat.codes + 1).tolist())
        with open(os.path.join(tmp, "out.csv.dict.json")) as f:
            dictionary = {v["name"]: v for v in json.load(f)["variables"]}
        self.assertEqual(dictionary["x"]["label"], "The x")
        self.assertEqual(dictionary["cat"]["value_labels"], [[1, "lo"], [2, "hi"]])
        self.assertEqual(dictionary["txt"]["missing"]["strings"], [""])
        self.assertEqual(dictionary["i8"]["missing"]["range"][1], -90)
        pd.testing.assert_frame_equal(df, before)  # the frame is read, never written


class FrameUsageErrors(unittest.TestCase):
    def test_rejected_frames(self):
        ok = pd.DataFrame({"a": [1, 2, 3]})
        cases = [
            (pd.DataFrame({"my col": [1, 2]}), {}),                        # not a variable name
            (pd.DataFrame({0: [1, 2]}), {}),                               # not a string
            (pd.DataFrame({"a": [1.0, np.inf]}), {}),                      # infinite
            (pd.DataFrame({"a": pd.to_datetime(["2020-01-01", "2021-01-01"])}), {}),
            (ok, {"weight": "nope"}),
            (ok, {"missing_values": {"a": [1, 2, 3, 4]}}),
            (ok, {"missing_values": {"a": [oscat.Range(0, 1), 2, 3]}}),
            (ok, {"variable_labels": {"zz": "x"}}),
            ([[1, 2]], {}),
        ]
        for data, kw in cases:
            with self.subTest(data=str(data)[:40], kw=kw):
                with self.assertRaises(ValueError):
                    oscat.run("MULTIPLE CORRESPONDENCE VARIABLES=a /ANALYSIS=a.", data, **kw)


if __name__ == "__main__":
    unittest.main()
