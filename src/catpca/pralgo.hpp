// The alternating least squares engine of CATPCA and MULTIPLE CORRESPONDENCE.
//
// The engine alternates between quantifying every variable for fixed object
// scores (with its loadings) and recomputing the object scores from the
// quantified variables, until the fit stops improving. It works on plain
// arrays owned by the caller and allocates nothing: CPR_WorkSize tells the
// caller how much scratch to pass.
#pragma once

#include <cstdint>

#include "scaling/als.hpp"

namespace oscat::catpca {

using scaling::CategoryAggregates;
using scaling::ScalingLevelRecord;

// Status of a run.
inline constexpr int CPR_IMPROVING = 1, CPR_CONVERGED = -1, CPR_MAXITER = 0;

// What the engine reads. Per-variable arrays have m entries.
struct PrData {
  int n = 0, m = 0, p = 2;
  int kmax = 0;                        // largest number of categories
  const int* codes = nullptr;          // n x m (column-major): 1..K_j, 0 = no category
  const double* objw = nullptr;        // n object weights; 0 = supplementary / not active
  bool weighted = false;               // object weighting in force
  ScalingLevelRecord* lev = nullptr;   // levels; spline inknot may be lowered, status written
  const int* suppl = nullptr;          // 1 = supplementary variable
  const CategoryAggregates* agg = nullptr;  // categories, frequencies, weights w_j
  const char* const* names = nullptr;  // variable names for warnings (may be null)
  int proc = 1;                        // 1 CATPCA, 3 MULTIPLE CORRESPONDENCE
};

struct PrSettings {
  double crititer = 0.00001;
  int maxiter = 100;
  double crit_numerical = 0.00001;     // numerical pre-run
  int maxiter_numerical = 100;
  int min_sweeps_initial = 5, min_sweeps = 2;
  int config = 0;                      // 0 none, 1 INITIAL (X holds the start), 2 FIXED (X is the solution)
  bool bootstrap = false;              // replicate: X and A hold the full-sample solution as start
  bool main_analysis = true;           // progress display and warnings
  double xscale = 1.0;                 // scale factor applied to X at the end (normalization)
  // Random start generator: a replacement for the built-in congruential
  // generator (values in (-1, 1)); null uses the built-in one.
  double (*random)(void* state) = nullptr;
  void* random_state = nullptr;
  // Threads for the passes over the objects: 0 chooses (two for large data
  // when the machine has them), 1 runs serially, 2 or more uses two. The
  // results do not depend on it.
  int threads = 0;
};

// Iteration history: one row per iteration (row 0 the numerical pre-run).
struct HistoryRow {
  int iteration = 0;
  double fit = 0, increase = 0;
  double loss = 0, centroid = 0, restricted = 0;  // L, L_c, L_r
};

// What the engine returns (arrays owned by the caller).
struct PrArrays {
  double* X = nullptr;        // n x p object scores (in/out)
  double* q = nullptr;        // kmax x m quantifications of single variables
  double* Y = nullptr;        // kmax x p x m centroids; multiple nominal ones scaled by sqrt(w_j)
  double* A = nullptr;        // p x m loadings of single variables
  double* vaf = nullptr;      // m: sum_s a_js^2
  double* eta = nullptr;      // p x m: sum_c f_c Y_cs^2 (multiple nominal: with the sqrt(w_j) scaling)
  double* lambda = nullptr;   // p: variance accounted for per dimension
  // Spline storage (see ZYL_SplineSetup); may be null when no variable is spline.
  double* basis = nullptr;    // kmax x ZYL_SplineColumns
  double* D = nullptr;        // ZYL_SplineColumns
  double* coef = nullptr;     // ZYL_SplineColumns + number of spline variables
  double* coef_save = nullptr;
  int* col_offset = nullptr;  // m
  int* coef_offset = nullptr; // m
  HistoryRow* history = nullptr;  // maxiter + 2 rows (may be null)
  int* suppl_only = nullptr;  // m: set to 1 when a category is used by supplementary objects only (may be null)
  int* knots_lowered = nullptr;  // m: spline variables whose interior knots were lowered (may be null)
};

struct PrResult {
  int status = CPR_IMPROVING;   // CPR_CONVERGED or CPR_MAXITER after a full run
  int iterations = 0;
  double fit = 0, increase = 0;
  double loss = 0, centroid = 0, restricted = 0;
  int history_rows = 0;
  bool has_prerun = false;
  int prerun_iterations = 0;    // iterations of the numerical pre-run (0 without one)
  bool interrupted = false;
  int error = 0;                // 0; 1 orthonormalization failed; 2 no usable start; 3 bad weight
};

// Doubles of scratch the engine needs; `max_degree` is the largest spline
// degree of the variables (0 without splines).
std::int64_t CPR_WorkSize(int n, int m, int p, int kmax, int max_degree);

// The start generator and the orthonormalization are the shared kernels'.
using scaling::CPR_Orthonorm;
using scaling::CPR_RandomStart;
using scaling::CPR_SEED;

// The engine. `work` holds CPR_WorkSize doubles, `iwork` kmax ints.
void CPR_PrAlgo(const PrData& d, const PrSettings& s, PrArrays& out, double* work, int* iwork,
                PrResult& res);

}  // namespace oscat::catpca
