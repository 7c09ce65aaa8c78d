"""python/examples/survey_analyses.py reproduces examples/catpca.sps and
examples/mca.sps: every table, message and chart of its analyses is the
program's."""
import contextlib
import io
import os
import runpy
import shutil
import tempfile
import unittest
import warnings

import oscat
from support import SOURCE_DIR, program_json


def procedure_items(report_json):
    return [c["items"] for c in report_json["commands"] if c["procedure"]]


class Examples(unittest.TestCase):
    def test_survey_analyses_reproduce_the_command_files(self):
        warnings.simplefilter("ignore", oscat.OscatWarning)
        tmp = tempfile.mkdtemp()
        self.addCleanup(shutil.rmtree, tmp)
        here = os.getcwd()
        os.chdir(tmp)
        try:
            with contextlib.redirect_stdout(io.StringIO()):
                ns = runpy.run_path(os.path.join(SOURCE_DIR, "python", "examples", "survey_analyses.py"))
        finally:
            os.chdir(here)
        self.assertTrue(os.path.exists(os.path.join(tmp, "survey_analyses.html")))
        examples = os.path.join(SOURCE_DIR, "examples")
        catpca = procedure_items(program_json("catpca.sps", examples))
        mca = procedure_items(program_json("mca.sps", examples))
        self.assertEqual(len(catpca), 2)
        self.assertEqual(procedure_items(ns["catpca"].json), catpca[:1])
        self.assertEqual(procedure_items(ns["rotated"].json), catpca[1:])
        self.assertEqual(procedure_items(ns["mca"].json), mca)


if __name__ == "__main__":
    unittest.main()
