// One PRINCALS run's data and results, shared by the iterations and the
// listing.
#pragma once

#include <string>
#include <vector>

#include "princals/princals.hpp"

namespace oscat::princals {

struct Analysis {
  int n = 0, m = 0, p = 0;
  std::vector<int> var, level, K;
  std::vector<long> off;
  long ksum = 0;
  int* codes = nullptr;
  double* f = nullptr;
  std::vector<int> missing, case_numbers;
  double* X = nullptr;      // n x p, X'X = I during the iterations
  double* Ym = nullptr;     // multiple quantifications (centroids), K x p per variable
  double* Y = nullptr;      // the quantifications used: q a' (single) or Ym (multiple)
  double* q = nullptr;      // single quantifications
  double* a = nullptr;      // loadings, p per variable
  std::vector<double> eta;  // m x p multiple fit
  std::vector<double> sfit; // single fit per variable
  double fit = 0, mloss = 0, sloss = 0;
  bool single(int j) const { return level[static_cast<std::size_t>(j)] != MNOMINAL; }
  double* Ymj(int j) const { return Ym + off[static_cast<std::size_t>(j)] * p; }
  double* Yj(int j) const { return Y + off[static_cast<std::size_t>(j)] * p; }
  bool all(int lv) const {
    for (int l : level)
      if (l != lv) return false;
    return true;
  }
};

// How an iteration ended.
struct Stop {
  bool converged = false;
  double difference = 0;
};

// Listing sections (princals_listing.cpp), in the order they are printed.
void line(const std::string& s);
void banner(const Analysis& a);
void variables_listing(const Analysis& a);
void frequencies_listing(const Analysis& a);
void dimension_check(int maximum);
void history_head(bool initial);
void history_row(int iteration, const Analysis& a, double change);
void stop_message(const Stop& stop);
void summary_listing(const Analysis& a, bool initial);
void quantifications_listing(const Analysis& a);
void loadings_listing(const Analysis& a);
// The correlations of the quantified variables (single: q; multiple: the
// coordinates of the first dimension) and their eigenvalues. `work` holds
// m (m + 2) doubles.
void correlations_listing(const Analysis& a, bool initial, double* work);
void objects_listing(const Analysis& a, const double* X);
void plots(const Settings& s, const Analysis& a, const double* X);
void save(const Settings& s, const Analysis& a, const double* X);
bool matrix_file(int handle, const Analysis& a);

}  // namespace oscat::princals
