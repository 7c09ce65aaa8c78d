// Statistics of a converged regression fit: degrees of freedom, tolerances,
// correlations, importance, the ANOVA and the coefficient tests. Pure
// numerics; undefined values are host::SYSMIS.
#pragma once

#include <vector>

#include "catreg/regression.hpp"

namespace oscat::catreg {

// Tolerance below which a predictor's row carries a footnote.
inline constexpr double kLowTolerance = 0.0001;

struct StatsInput {
  const CrgData* d = nullptr;
  const CrgArrays* a = nullptr;
  double ape = 0, r2 = 0;
  const double* se = nullptr;  // m standard errors (index 0 unused); null: none
  bool penalized = false;
};

// Per-predictor arrays are indexed by variable (0, the dependent, unused).
struct Stats {
  explicit Stats(int m)
      : beta(m), se(m), df(m), coef_f(m), coef_sig(m), zero_order(m), partial(m), part(m), importance(m),
        tol_after(m), tol_before(m) {}
  std::vector<double> beta, se, df, coef_f, coef_sig, zero_order, partial, part, importance, tol_after,
      tol_before;
  double r2_reg = 0, adjusted_r2 = 0;
  double df_reg = 0, df_res = 0, ss_reg = 0, ss_res = 0, ms_reg = 0, ms_res = 0, f = 0, sig = 0;
};

// Degrees of freedom of predictor j (SYSMIS when a fixed sign was not met).
double CRG_Df(const CrgData& d, const double* q, double beta, int j);

// Tolerances 1/diag(R^-1) from the eigen decomposition of the correlation
// matrix R (p x p, overwritten) of the predictors whose df is not SYSMIS
// (the others get SYSMIS). `work` holds 2p doubles. Returns false when the
// eigen decomposition failed.
bool CRG_Tolerance(int p, double* R, const double* df, double* tol, double* work);

// Doubles of work CRG_Statistics needs for m variables.
long CRG_StatsWork(int m);
void CRG_Statistics(const StatsInput& in, Stats& st, double* work);

}  // namespace oscat::catreg
