// One HOMALS run's data and results, shared by the computation and the output.
#pragma once

#include <vector>

#include "homals/homals.hpp"

namespace oscat::homals {

struct HistoryRow {
  int iteration;
  double fit, difference;
};

struct Analysis {
  int n = 0;                 // objects
  int m = 0;                 // analysis variables
  int p = 0;                 // dimensions (after any rank reduction)
  std::vector<int> var;      // dictionary index of each analysis variable
  std::vector<int> K;        // its maximum category
  std::vector<long> yoff;    // offset of its K x p block in Y (and of its K frequencies in f)
  int* codes = nullptr;      // n x m category numbers (0 missing)
  double* f = nullptr;       // frequencies, variable after variable
  double* counts = nullptr;  // m_i: variables observed for object i
  double* w = nullptr;       // sqrt(m / m_i), 0 when m_i = 0
  double* X = nullptr;       // n x p object scores
  double* Y = nullptr;       // quantifications, K_j x p per variable
  std::vector<int> missing;  // objects missing per variable
  std::vector<int> case_numbers;
  // Values of the variables that label object plots (n per variable).
  std::vector<std::vector<double>> labels;
  std::vector<HistoryRow> history;
  bool crit_reached = false;
  std::vector<double> eigen;         // p eigenvalues (divided by m)
  std::vector<double> discrimination;  // m x p
  int plot_first = 0, plot_last = 0;   // 1-based range; 0 when no charts
};

// Tables, charts, saved variables and the matrix file of a finished run.
void output(const Settings& s, const Analysis& a);

}  // namespace oscat::homals
