// From the engine's solution to what the tables and charts show.
//
// The engine works with object scores of unit sum of squares and keeps the
// multiple nominal centroids multiplied by sqrt(w_j); the user sees object
// scores normalized by the eigenvalues, loadings as correlations (for
// VPRINCIP), standardized quantifications and centroids that are the category
// means of the shown object scores. Plain arrays, nothing allocated.
#pragma once

#include "scaling/quantify.hpp"

namespace oscat::catpca {

using scaling::CategoryAggregates;

// Largest number of dimensions the data support: 1 per active single
// variable, the non-empty categories of each active multiple nominal variable
// (one fewer when no single variable is active: the centred indicator space);
// with exactly two active variables the smaller contribution; at most the
// truncated active weight minus 1. `multiple` and `active` are m flags.
int CPR_DimensionCap(int m, const CategoryAggregates* agg, const int* multiple, const int* active,
                     double active_weight);

// Everything the output needs, in display units.
struct Shown {
  int n = 0, m = 0, p = 0, kmax = 0;
  double* X = nullptr;      // n x p object scores (normalized)
  double* A = nullptr;      // p x m loadings (normalized, per unit variable weight)
  double* q = nullptr;      // kmax x m quantifications, sum f q^2 = N (SYSMIS kept)
  double* Y = nullptr;      // kmax x p x m centroids of the shown object scores
  double* vafc = nullptr;   // p x m centroid VAF: w_j sum_c f_c Y_cs^2 (engine scale)
  double* vafv = nullptr;   // p x m vector VAF: a_js^2 (engine loadings, weight included)
};

struct FinishInput {
  int n = 0, m = 0, p = 0, kmax = 0;
  const CategoryAggregates* agg = nullptr;
  const int* multiple = nullptr;     // m flags
  const double* lambda = nullptr;    // p eigenvalues
  const double* A = nullptr;         // engine loadings p x m
  const double* q = nullptr;         // engine quantifications kmax x m
  const double* Y = nullptr;         // engine centroids kmax x p x m
  const double* eta = nullptr;       // engine eta p x m
  double xscale = 1;                 // factor the engine applied to X
  double e_obj = 0, e_var = 1;       // normalization exponents
  bool fixed_scores = false;         // FIXED configuration: scores are not rescaled
};

// Fills `out` (arrays allocated by the caller; out.X already holds the
// engine's scaled scores and is normalized in place).
void CPR_Shown(const FinishInput& in, Shown& out);

}  // namespace oscat::catpca
