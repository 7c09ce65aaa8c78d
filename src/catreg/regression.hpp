// The regression engine: the numerical start, the alternating least squares
// (backfitting) sweeps over the dependent and the predictors, convergence
// and the statistics of the converged fit. Pure numerics on the caller's
// arrays: nothing here allocates, reports or reads settings; the only host
// contact is the progress and interrupt hook the caller may pass.
#pragma once

#include "scaling/quantify.hpp"

namespace oscat::catreg {

// One row of the iteration history.
struct HistoryRow {
  int iteration = 0;
  double r2 = 0, ape = 0, decrease = 0;
  bool has_decrease = false;
};

// Penalties of one fit (none by default).
enum class Penalty { None = 0, Ridge = 1, Lasso = 2, ElasticNet = 3 };

struct CrgData {
  int n = 0;                  // objects
  int m = 0;                  // variables: 0 the dependent, 1..m-1 the predictors
  int kmax = 0;               // leading dimension of q (>= every K_j)
  const int* codes = nullptr; // n x m category indexes 1..K_j (0: none)
  const double* w = nullptr;  // n weights (0: object not in the fit)
  const scaling::CategoryAggregates* agg = nullptr;  // m, frequencies of the fit's weights
  scaling::ScalingLevelRecord* lev = nullptr;        // m; the final pass sets `status`
  const scaling::SplineBlock* spline = nullptr;      // m (entries with B == nullptr: none); may be null
  double N = 0;               // sum of the weights
  // Weighted cross tables of every pair of variables (CRG_CrossTables); when
  // given, the sweeps run on them and touch the objects only once the fit
  // has converged. Null: every sweep runs over the objects.
  const double* cross = nullptr;
  const long* cross_off = nullptr;  // m x m offsets of the K_j x K_k blocks
};

struct CrgArrays {
  double* q = nullptr;     // kmax x m quantifications
  double* b = nullptr;     // m coefficients (b[0] = 1 for the dependent)
  double* z = nullptr;     // n quantified dependent
  double* phi = nullptr;   // n x m quantified variables (column 0 unused)
  double* zhat = nullptr;  // n prediction
  double* r = nullptr;     // n partial residual
  double* t = nullptr;     // kmax target
  double* work = nullptr;  // 2 kmax for the quantification
  HistoryRow* history = nullptr;  // maxiter + 1 rows (may be null)
  double* zq = nullptr;    // kmax: the dependent's centred quantification (sweeps on cross tables)
};

struct CrgSettings {
  int maxiter = 100;
  double crititer = 1e-5;
  bool random_start = false;  // INITIAL RANDOM: no preliminary run
  Penalty penalty = Penalty::None;
  double lambda1 = 0;         // lasso penalty
  double lambda2 = 0;         // ridge penalty
  // Signs of the ordinal and spline-ordinal predictors (m entries, +1 or -1;
  // 0 or a null array: the restriction's own retry rule). With a sign the
  // restriction is made in that direction only and a failure gives a zero
  // quantification (the final pass then sets the level status to -1).
  const int* signs = nullptr;
  // Multiple systematic starts: threshold percentage (0..100) or -1 for all
  // sign patterns; 101 = none. A first fit of its series makes the
  // preliminary run that sets the candidate flags.
  double threshold = 101.0;
  bool fixed_signs = false;  // FIXSIGNS: the signs hold throughout, no preliminary run
  // A fit on cross tables forms the objects' vectors (z, phi, zhat) at its
  // end; a caller that reads only q and b may skip that.
  bool objects = true;
  bool first_of_series = true;
  // Progress and interrupt: called once per sweep of the main run; returns
  // true to stop (may be null).
  bool (*poll)(void*, int iteration) = nullptr;
  void* poll_state = nullptr;
};

struct CrgResult {
  double ape = 0, r2 = 0;      // of the final pass
  int iterations = 0;          // sweeps of the main run (the final pass not counted)
  bool converged = false;      // the stop came from CRITITER
  double last_difference = 0;  // |APE_old - APE| when the stop rule fired
  bool prerun = false;         // a preliminary numerical run was made
  double ape0 = 0, r20 = 0;    // its values (iteration 0)
  int history_rows = 0;
  bool interrupted = false;
  long long starts = 0;        // sign patterns run by the multiple starts
  long long best_pattern = 0;  // 1-based row of the winning pattern (0: none run)
};

// The sign pattern table of the multiple starts: rows of p entries (+1/-1)
// over the ordinal predictors `ordinal` (their variable indexes, in order).
struct SignTable {
  int* rows = nullptr;   // capacity x p; all patterns are not stored (row r is CRG_AllSignPatterns(r))
  int capacity = 0;
  int p = 0;
  const int* ordinal = nullptr;
  int* candidate = nullptr;  // p flags: -1 the threshold strategy may change the sign, 0 not
  int* signs = nullptr;      // m: the pattern in force, per variable
  int* base = nullptr;       // p: scratch for the threshold strategy's base pattern
  long long count = 0;       // rows run
};

// Patterns of all sign patterns: 2^p, none when p exceeds 31.
long long CRG_AllSignCount(int p);

// Rows a table stores: the threshold strategy's at most (p + 1)^2 + 2; all
// patterns are generated, not stored (1).
int CRG_SignRows(int p, bool all);

// Row r (0-based) of the all-patterns table: entry k is -1 when bit p-1-k of
// r is 0, else +1 (row 0 all -1, the last all +1).
void CRG_AllSignPatterns(int p, long long r, int* row);

// The fit with multiple systematic starts: the sign patterns (all, or the
// threshold strategy's stages) each run to convergence from where the
// previous one ended, then one run with the best, which writes the history.
// When no pattern is run (all patterns of more than 31 predictors) the main
// run has no sign in force.
void CRG_MultiStart(const CrgData& d, const CrgSettings& s, CrgArrays& a, SignTable& t, CrgResult& res);

// Doubles the cross tables of m variables with the given categories take:
// (sum of K_j)^2.
long CRG_CrossTableSize(int m, const scaling::CategoryAggregates* agg);

// The weighted cross tables of d's objects: block (j, k) at off[j * m + k]
// holds F[c + c' K_j] = sum of w_i over the objects in category c of j and
// c' of k (objects without a category on either do not count). `off` has
// m * m entries, F CRG_CrossTableSize doubles.
void CRG_CrossTables(const CrgData& d, long* off, double* F);

// True when every object with a weight has a category on every variable:
// only then do the cross tables carry the whole fit.
bool CRG_CrossTablesApply(const CrgData& d);

// Below this a coefficient or a sum of squares counts as zero.
inline constexpr double kTiny = 2.23e-16;

// Numerical start: standardized category values for every variable, the
// dependent's z, every predictor's phi and coefficient |phi'Wz|/N (1 when that
// vanishes), and the prediction.
void CRG_InitNumerical(const CrgData& d, CrgArrays& a);

// A restart from complete quantifications and coefficients in `a` (an
// earlier fit's): forms z (centred over the weighted objects), every phi and
// the prediction. CRG_Als with random_start then continues from there.
void CRG_Restart(const CrgData& d, CrgArrays& a);

// The fit from the start in `a`: the preliminary numerical run (unless the
// start is random or every variable is numerical) and the main run to
// convergence with its final pass.
void CRG_Als(const CrgData& d, const CrgSettings& s, CrgArrays& a, CrgResult& res);

// One coefficient under a penalty, from the unpenalized update u = phi'r/N:
// ridge u/(1 + lambda2), lasso soft-thresholding at lambda1/2, elastic net
// both (the naive elastic-net coefficient).
double CRG_RegCoef(double u, Penalty p, double lambda1, double lambda2);

}  // namespace oscat::catreg
