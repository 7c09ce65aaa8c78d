"""oscat.mca against the eigen-decomposition of the Burt matrix, computed here
with numpy: the inertias of the dimensions are the largest eigenvalues of
(1/m) D^-1/2 (B - d d'/n) D^-1/2, B = G'G for the indicator matrix G of the
m variables, d the category counts."""
import unittest

import numpy as np
import pandas as pd

import oscat


def burt_inertias(df):
    blocks = [pd.get_dummies(df[c]).to_numpy(dtype=float) for c in df.columns]
    g = np.hstack(blocks)
    n, m = len(df), len(blocks)
    d = g.sum(axis=0)
    b = g.T @ g
    s = (b - np.outer(d, d) / n) / np.sqrt(np.outer(d, d)) / m
    return np.sort(np.linalg.eigvalsh(s))[::-1]


class McaIsBurtDecomposition(unittest.TestCase):
    def check(self, df, dims):
        report = oscat.mca(df, dims=dims, maxiter=100000, crititer=1e-14, plot="NONE")
        self.assertIn("CRITITER=1e-14", report.syntax.replace("\n", " "))
        summary = report.tables["Model Summary"]
        vaf = summary.xs("Variance Accounted For", axis=1, level=0)
        got = vaf["Inertia"].iloc[:dims].to_numpy(dtype=float)
        want = burt_inertias(df)[:dims]
        np.testing.assert_allclose(got, want, rtol=0, atol=1e-9)
        # Total (Eigenvalue) is m times the inertia.
        np.testing.assert_allclose(vaf["Total (Eigenvalue)"].iloc[:dims].to_numpy(dtype=float),
                                   df.shape[1] * want, rtol=0, atol=1e-8)

    def test_random_codes(self):
        rng = np.random.default_rng(42)
        n = 300
        latent = rng.normal(size=n)
        df = pd.DataFrame({f"v{j}": np.digitize(latent + rng.normal(scale=1.0 + j / 3, size=n),
                                                np.linspace(-1.5, 1.5, 3 + j % 3)) + 1
                           for j in range(5)})
        self.check(df, 3)

    def test_categorical_and_string_columns(self):
        rng = np.random.default_rng(3)
        n = 150
        df = pd.DataFrame({
            "colour": pd.Categorical(rng.choice(["red", "green", "blue", "grey"], n)),
            "size": rng.choice(["S", "M", "L"], n).astype(object),
            "code": rng.integers(1, 5, n),
        })
        self.check(df, 2)


if __name__ == "__main__":
    unittest.main()
