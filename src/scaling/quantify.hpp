// Optimal scaling of one variable: the restriction of category
// quantifications to a scaling level, the spline machinery, category
// centroids and normalization. Shared by the principal-components engine and
// the regression engine.
//
// Everything here works on category aggregates (K values per variable) except
// ZYL_Centroids, which makes one pass over the objects. Arrays are 0-based in
// code (category c of the text is index c-1); matrices are column-major.
// Nothing allocates: callers pass every array and scratch area.
#pragma once

#include "scaling/levels.hpp"

namespace oscat::scaling {

// Missing-value treatment code whose last category is the extra category.
inline constexpr int MISS_EXTRACAT = MISS_ACTIVE_EXTRACAT;

// Category aggregates of one variable.
struct CategoryAggregates {
  int K = 0;                    // categories, the extra category included
  const double* x = nullptr;    // K category values, ascending
  const double* f = nullptr;    // K weighted frequencies of the active objects
  double N = 0;                 // total active weight
  double xbar = 0;              // weighted mean of the active category values
  double S = 0;                 // weighted sum of squares of those values about xbar
  double w = 1;                 // variable weight (>= 0)
  int miss = 0;                 // missing-value treatment code
  bool extracat() const { return miss == MISS_EXTRACAT; }
  // Categories that take part in the level restrictions.
  int active() const { return extracat() ? K - 1 : K; }
};

// One spline variable's basis block and coefficients.
struct SplineBlock {
  const double* B = nullptr;  // K x M basis (leading dimension ldb), centred
  int ldb = 0;
  const double* D = nullptr;  // M column norms  sum_c f_c B_cm^2
  double* b = nullptr;        // M + 1 coefficients (last: intercept slot)
  double* bsave = nullptr;    // M + 1, the copy restored after a failed attempt
  int M = 0;
};

// How a quantification call behaves for its caller.
struct QuantifyMode {
  int proc = 1;                  // 1 CATPCA, 2 CATREG, 3 MCORRESP
  bool numerical_mode = false;   // numerical pre-run of the principal-components engine
  bool target_given = false;     // CATREG: q holds the target on entry
  bool zero_on_fail = false;     // CATREG: a twice-failed restriction zeroes q, not the loadings
  double target_scale = 1.0;     // multiplies a given target
  bool explicit_mean = true;     // numerical restriction: mean of the active targets computed directly
  bool intercept = false;        // spline fit with an intercept although no extra category
  int min_sweeps_initial = 5;    // spline sweeps at least, iteration 0
  int min_sweeps = 2;            // spline sweeps at least, later
};

// ---- spline set-up -----------------------------------------------------
// Columns of basis storage needed by the spline variables (sum of k + d with
// the requested k; the set-up may lower k, never raise it).
int ZYL_SplineColumns(int m, const ScalingLevelRecord* lev);
// Knot sequence of one variable: `t` receives k + 2d values (boundary values
// repeated d times around the k interior knots). `v` holds the n' candidate
// category values in ascending order.
void ZYL_PlaceKnots(int k, int d, int nprime, const double* v, double* t);
// I-spline basis rows for the K' category values x (ascending) with boundary
// knots lo < hi and the k interior knots: B (ld ldb) receives K' rows and
// k + d columns, each non-decreasing from 0 to 1. `work` holds 3d + 1 doubles.
void ZYL_ISplineBasis(int k, int d, double lo, double hi, const double* interior, int Kp,
                      const double* x, double* B, int ldb, double* work);

struct SplineSetupArgs {
  int m = 0;                          // variables
  ScalingLevelRecord* lev = nullptr;  // m records; inknot may be lowered
  const CategoryAggregates* agg = nullptr;  // m variables
  int* lowered = nullptr;            // m (may be null): 1 where inknot was lowered to fit the categories
  bool skip_empty = false;           // empty categories neither hold knots nor count for k_max
  int kmax = 0;                      // rows of the basis storage
  double* basis = nullptr;           // kmax x (columns) storage, side by side
  double* D = nullptr;               // one per basis column
  double* coef = nullptr;            // one block of k + d + 1 per spline variable
  int* col_offset = nullptr;         // m: first basis column of each spline variable (-1: none)
  int* coef_offset = nullptr;        // m: first coefficient (-1: none)
  double* work = nullptr;            // kmax + k_largest + 2 d_largest + 4 doubles
};
// Places knots, builds and centres every spline variable's basis and sets the
// start coefficients; a variable with more interior knots than its categories
// allow gets the largest number they do, marked in `lowered` for the caller
// to report. Returns 0.
int ZYL_SplineSetup(const SplineSetupArgs& a);

// ---- per-variable steps --------------------------------------------------
// Normalization to sum_c f_c q_c^2 = cnorm (all zero when that cannot be met).
void ZYL_NormQuant(double* q, const double* f, int K, double cnorm);

// Weighted monotone (non-decreasing) regression of q over K categories in
// place; empty categories end as 0. Returns true on failure (constant result).
bool ZYL_MonReg(double* q, int K, const double* f);

// Numerical restriction of the target q over the active categories. Returns
// true on failure (a negative covariance with the category values).
bool ZYL_NumRestrict(double* q, const CategoryAggregates& v, bool explicit_mean);

// Coordinate-descent fit of the spline coefficients to the target q (over the
// Kp active categories); q receives the fitted values. r is a residual vector
// of Kp. `nzero` receives the number of zero coefficients. Returns true on
// failure (every coefficient zero, at least one by a negative gradient).
bool ZYL_SplineFit(double* b, double* q, const double* B, int ldb, const double* D, double* r,
                   bool intercept, int M, int Kp, const double* f, int min_sweeps, int level,
                   int& nzero);

// Level restriction of the target in q (dispatch on `level`). Returns true on failure.
bool ZYL_LevelRestrict(double* q, int level, const CategoryAggregates& v, const SplineBlock* sp,
                       double* r, bool explicit_mean, bool intercept, int min_sweeps, int& nzero);

// One quantification call (levels other than MNOMINAL). The target is
// t_c = sum_s Y_cs a_s (or q itself with mode.target_given). On return q holds
// the normalized quantification. `work` holds 2K doubles. Returns 0, or 1 when
// the restriction failed twice (then `a` is zeroed, or q with zero_on_fail).
int ZYL_Quantify(const CategoryAggregates& v, double* a, int p, double* work,
                 const SplineBlock* sp, ScalingLevelRecord& lev, int level, double* q,
                 const double* Y, int ldy, double cnorm, int iter, bool final_pass,
                 const QuantifyMode& mode);

// Quantifications of categories used only by supplementary objects (f_c = 0
// and used[c] set). Nominal, ordinal and multiple nominal levels get NaN, no
// value (for MNOMINAL pass the centroid matrix as q with p columns), numerical
// the line through the first two non-empty categories, spline levels the
// linear interpolation between the neighbouring non-empty categories (NaN
// outside their range). Returns true when some category received NaN.
bool ZYL_SupplCatQuant(double* q, int ldq, int p, int level, const CategoryAggregates& v,
                       const int* used);

}  // namespace oscat::scaling
