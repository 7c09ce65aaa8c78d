"""Ctrl-C (SIGINT) during a long bootstrap stops the procedure, raises
KeyboardInterrupt with the report so far, and leaves the module usable."""
import os
import signal
import threading
import unittest
import warnings

import numpy as np
import pandas as pd

import oscat


def data():
    rng = np.random.default_rng(5)
    n = 400
    latent = rng.normal(size=n)
    return pd.DataFrame({f"q{j}": np.digitize(latent + rng.normal(size=n), [-1, 0, 1]) + 1 for j in range(5)})


SHORT = "CATPCA VARIABLES=q0 q1 q2 q3 q4 /ANALYSIS=q0 q1 q2 q3 q4 (LEVEL=ORDINAL) /PLOT=NONE /PRINT=VAF LOADING."
# Far more samples than the test waits for: only the interrupt ends it early.
LONG = SHORT[:-1] + " /RESAMPLE=BOOTSTRAP(UNBALANCED 50000)."


class Interrupt(unittest.TestCase):
    def setUp(self):
        warnings.simplefilter("ignore", oscat.OscatWarning)

    def test_sigint_stops_the_run_and_the_module_stays_usable(self):
        df = data()
        before = oscat.run(SHORT, df).json["commands"]

        timer = threading.Timer(1.0, os.kill, (os.getpid(), signal.SIGINT))
        timer.start()
        try:
            with self.assertRaises(KeyboardInterrupt) as caught:
                oscat.run(LONG + "\n" + SHORT, df)
        finally:
            timer.cancel()
        # Only an interrupt seen by the running procedure carries the report;
        # one left pending would surface after the whole bootstrap, without it.
        report = caught.exception.report
        self.assertTrue(report.interrupted)
        # The command after the interrupted one did not run.
        self.assertEqual([c["name"] for c in report.json["commands"]], ["CATPCA"])
        self.assertIn("Interrupted by the user: the remaining commands were not run.",
                      [m.key for m in report.errors])

        # Usable afterwards, with the same results as before.
        after = oscat.run(SHORT, df).json["commands"]
        self.assertEqual(after, before)
        # The handler is Python's own again: a later Ctrl-C is a plain KeyboardInterrupt.
        self.assertIs(signal.getsignal(signal.SIGINT), signal.default_int_handler)


if __name__ == "__main__":
    unittest.main()
