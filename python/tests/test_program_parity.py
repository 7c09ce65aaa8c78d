"""The module and the program give the same report, bit for bit, for the same
commands on the same data: golden cases re-run with their data files read by
pandas and handed over as DataFrames instead of GET DATA."""
import os
import re
import shutil
import tempfile
import unittest
import warnings

import numpy as np
import pandas as pd

import oscat
from support import GOLDEN, program_json

GET_DATA = re.compile(r"GET DATA\s*/TYPE=CSV\s*/FILE='([^']+)'\.\s*\n", re.IGNORECASE)

# Numeric data only: the module's reading of text cells is pandas's, not GET
# DATA's. Each run starts the random generator afresh, so a case whose random
# draws follow a second GET DATA (catreg_weighted's bootstrap) cannot be split.
CASES = ["catpca_numerical", "catpca_rot_oblimin", "catpca_boot_basic", "catpca_save", "mca_discrimination",
         "mca_contrib_weighted", "catreg_nominal", "catreg_resample", "corres_smoking_cases", "homals_vs_mca",
         "host_labels_weight"]


def segments(syntax):
    """(data file, commands) for each GET DATA of the syntax; what comes
    before the first one goes with it (SET SEED, say)."""
    parts = GET_DATA.split(syntax)
    prefix, rest = parts[0], parts[1:]
    out = []
    for i in range(0, len(rest), 2):
        out.append((rest[i], (prefix if i == 0 else "") + rest[i + 1]))
    return out


def read(path):
    # round_trip: the same nearest double as the program's reader.
    return pd.read_csv(path, float_precision="round_trip")


class ProgramParity(unittest.TestCase):
    def setUp(self):
        warnings.simplefilter("ignore", oscat.OscatWarning)

    def run_case(self, name):
        tmp = tempfile.mkdtemp()
        self.addCleanup(shutil.rmtree, tmp, ignore_errors=True)
        if True:
            prog_dir = os.path.join(tmp, "program")
            mod_dir = os.path.join(tmp, "module")
            shutil.copytree(os.path.join(GOLDEN, name), prog_dir)
            shutil.copytree(os.path.join(GOLDEN, name), mod_dir)
            expected = program_json("cmd.sps", prog_dir)
            with open(os.path.join(mod_dir, "cmd.sps"), encoding="utf-8") as f:
                syntax = f.read()
            got = []
            reports = []
            for data_file, commands in segments(syntax):
                report = oscat.run(commands, read(os.path.join(mod_dir, data_file)), base_dir=mod_dir,
                                   raise_on_error=False)
                got += report.json["commands"]
                reports.append(report)
            want = [c for c in expected["commands"] if c["name"] != "GET DATA"]
            self.assertEqual(len(got), len(want))
            for g, w in zip(got, want):
                # The whole output of each command: every number, label, key and chart point.
                self.assertEqual(g, w, f"{name}: {w['name']} differs")
            return reports, prog_dir

    def test_cases(self):
        for name in CASES:
            with self.subTest(case=name):
                self.run_case(name)

    def test_saved_variables_match_the_programs_file(self):
        # catpca_save ends with SAVE OUTFILE of the working file: its saved
        # columns are what report.new_variables must hold, case by case.
        reports, prog_dir = self.run_case("catpca_save")
        new = reports[0].new_variables
        saved = read(os.path.join(prog_dir, "out.csv"))
        data = read(os.path.join(GOLDEN, "catpca_save", "data.csv"))
        self.assertEqual(list(new.columns), [c for c in saved.columns if c not in data.columns])
        self.assertGreater(new.shape[1], 0)
        for c in new.columns:
            np.testing.assert_array_equal(new[c].to_numpy(), saved[c].to_numpy(dtype=float), err_msg=c)


if __name__ == "__main__":
    unittest.main()
