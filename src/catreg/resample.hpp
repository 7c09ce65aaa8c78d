// Resampling estimates of the prediction error: the case selection of each
// resampling fit, the squared errors of the cases a fit left out, and the
// estimates after the series. Pure numerics on the caller's arrays.
#pragma once

#include "catreg/regression.hpp"

namespace oscat::catreg {

// Per case of one model: sum and count of its out-of-sample squared errors,
// the fits that left it out and those of them that could not predict it.
struct CaseErrors {
  double* sum = nullptr;
  double* count = nullptr;
  double* left_out = nullptr;
  double* unpredictable = nullptr;
};

// Fit weights of cross-validation fold `fold` (1..k): the active cases,
// numbered in file order, are dealt out in turn; the fold's cases get 0.
void CRG_FoldCases(int n, const double* w, int k, int fold, double* out);

// Variables with at most one non-empty category among the fit's objects:
// flags[j] = 1 for such a variable, else 0. Returns their count.
int CRG_ZeroVariance(int m, const scaling::CategoryAggregates* agg, double* flags);

// Squared prediction errors of the cases with weight w > 0 that the fit
// (weights fw) left out, from the fit's quantifications and coefficients.
// A category the fit did not see is predicted for a numerical variable (on
// its standardized scale) and, within the range of the seen categories, for
// a spline variable (linearly between its neighbours); otherwise the case is
// unpredictable. Returns the cases that had such a category.
int CRG_PredictionErrors(const CrgData& fit, const CrgArrays& a, const double* w, CaseErrors& e);

struct ErrorEstimate {
  double epe = 0, se = 0;  // SYSMIS when no case has an error
  double cases = 0;        // cases with an error
  bool never_left_out = false, never_predictable = false;
};

// The estimate over the cases with errors: cross-validation the mean error,
// the bootstrap the .632 estimator with the apparent error `ape`.
ErrorEstimate CRG_ErrorEstimates(int n, const double* w, const CaseErrors& e, bool bootstrap, double ape);

// The optimal model (smallest error among the models with a selected
// predictor; the first of equal ones; 0 when none qualifies) and the
// one-standard-error model (the last later model within one standard error
// of it with at least one and at most as many selected predictors).
void CRG_SelectModels(int M, const double* epe, const double* se, const double* selected, int& optimal,
                      int& one_se);

}  // namespace oscat::catreg
