// Reading a CATPCA / MULTIPLE CORRESPONDENCE configuration file: object
// scores saved by an earlier run (or any data file with numeric columns) that
// either start the iterations (INITIAL) or are the solution (FIXED).
#pragma once

namespace oscat::catpca {

struct ConfigurationRead {
  bool ok = false;      // false after an error was reported
  int rows = 0;         // objects that took a row
  int excluded = 0;     // rows whose p values were all system-missing
};

// Reads the file behind `handle` (opened by the CONFIGURATION parser) into X
// (n x p, column-major). One case of the file per active object (objw[i] > 0),
// in object order; the other objects' rows of X are set to 0 and take no case.
// System-missing values become 0; an object whose p values are all missing
// gets excluded[i] = 1 (0 otherwise). The first p variables are used; every
// problem is reported through the host, errors with
// severity 3. The file is closed on every path.
ConfigurationRead CPR_ReadConfiguration(int handle, int n, int p, const double* objw, double* X,
                                        int* excluded);

}  // namespace oscat::catpca
