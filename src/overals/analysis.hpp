// One OVERALS run's data and results, shared by the computation and the output.
#pragma once

#include <vector>

#include "host/host.hpp"
#include "overals/overals.hpp"

namespace oscat::overals {

using host::Msg;

struct HistoryRow {
  int iteration;
  double loss, fit, difference;
};

struct Analysis {
  int n = 0, m = 0, K = 0, p = 0;
  std::vector<int> var, level, Kj, set;  // per analysis variable
  std::vector<long> yoff;                // offset of its categories (times p for the K x p blocks)
  long ksum = 0;
  int* own = nullptr;       // n x m: the variable's own category (0 missing)
  int* codes = nullptr;     // n x m: the category where the object takes part in the set, else 0
  double* f = nullptr;      // category counts of the objects in the set
  std::vector<int> missing, missing_in_set;
  std::vector<char> in_any;  // the object takes part in some set
  std::vector<int> case_numbers;
  double* X = nullptr;       // n x p object scores, X'X = n I
  double* S = nullptr;       // K blocks of n x p set predictions
  double* Y = nullptr;       // K_j x p category coordinates (single: q a')
  double* Ymult = nullptr;   // K_j x p multiple category coordinates (centroids of the residual)
  double* q = nullptr;       // single quantifications
  double* weights = nullptr; // p per variable
  double* GX = nullptr;      // K_j x p per variable: category sums of X
  double* C = nullptr;       // cross tables G_j'G_l of the variables of a set
  std::vector<long> coff;    // m x m: offset of G_j'G_l in C (-1: other sets)
  std::vector<HistoryRow> history;
  bool crit_reached = false;
  std::vector<double> set_loss;   // K x p
  std::vector<double> eigen;      // p
  double* Yj(int j) const { return Y + yoff[static_cast<std::size_t>(j)] * p; }
  const double* Ymj(int j) const { return Ymult + yoff[static_cast<std::size_t>(j)] * p; }
};

void case_summary(const Analysis& a);
void final_measures(Analysis& a);
void output(const Settings& s, const Analysis& a);

}  // namespace oscat::overals
