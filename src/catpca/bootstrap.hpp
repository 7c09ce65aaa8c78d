// Bootstrap confidence regions of CATPCA and MULTIPLE CORRESPONDENCE.
//
// The analysis is re-run on resamples of the active objects, each replicate
// starting from the full-sample solution; the replicate is matched to the
// full-sample solution (reflection or orthogonal Procrustes rotation on the
// category points) and its statistics are stored, so that every statistic
// gets a bootstrap mean and a percentile interval. Plain arrays owned by the
// caller; nothing is allocated here.
#pragma once

#include <cstddef>
#include <cstdint>

#include "catpca/pralgo.hpp"
#include "catpca/results.hpp"

namespace oscat::catpca {

// A value that does not exist in a replicate (a category no object fell in).
inline constexpr double BOOT_ABSENT = 999.0;

// Uniform numbers in [0, 1): the host's URAND in the procedure, a fixed
// generator in tests.
using BootRandom = double (*)(void* state);

// ---------------------------------------------------------------- sampling ---
// One unbalanced replicate: `draws` uniform draws over all n objects, a draw
// on an object of weight 0 repeated; each accepted draw adds objw[i] to g[i].
void CPR_BootUnbalanced(int n, const double* objw, int draws, BootRandom rnd, void* state, double* g);

// Balanced sampling: `list` (n' * B entries, n' the objects of non-zero
// weight) receives every active object B times, randomly permuted.
void CPR_BootBalancedList(int n, const double* objw, int B, int* list, BootRandom rnd, void* state);
// Weights of replicate b (0-based): block b of n' entries of the list.
void CPR_BootBalancedWeights(int n, const double* objw, int nprime, int b, const int* list, double* g);

// ---------------------------------------------------------------- matching ---
// p x p cross-product R between reference (o) and replicate (b) category
// points: centroids of multiple nominal variables, vector coordinates q_c a_j
// of single ones; weighted by the reference frequencies and the variable
// weights; categories absent from the replicate (fb == 0) are skipped.
// Arrays in the layout of `Shown` (Y kmax x p x m, q kmax x m, A p x m).
struct BootCrossInput {
  int m = 0, p = 0, kmax = 0;
  const CategoryAggregates* agg = nullptr;  // reference (frequencies, K, w)
  const double* fb = nullptr;               // replicate frequencies, kmax x m (leading dimension ldf)
  int ldf = 0;
  const int* multiple = nullptr;
  const int* active = nullptr;
  const double *Yo = nullptr, *qo = nullptr, *Ao = nullptr;
  const double *Yb = nullptr, *qb = nullptr, *Ab = nullptr;
};
void CPR_BootCross(const BootCrossInput& in, double* R);

// Doubles of scratch CPR_BootMatch needs.
std::size_t CPR_BootMatchWork(int p);
// Scratch of the matching step of a replicate (T, R, a row, CPR_BootMatch).
inline std::size_t CPR_BootStoreWork(int p) { return static_cast<std::size_t>(2 * p * p + p) + CPR_BootMatchWork(p); }
// T (p x p) that brings the replicate to the reference: REFLECT gives
// diag(sign R_tt) (-1 exactly where R_tt < 0); Procrustes gives T = V U^T from
// R = U S V^T, the orthogonal T minimizing ||O - B T||.
void CPR_BootMatch(int p, const double* R, bool procrustes, double* T, double* work);

// Rows of a matrix times T (p x p), in place. Element (r, s) sits at
// M[r * rs + s * cs]; rows holding SYSMIS or BOOT_ABSENT are left alone.
// `tmp` holds p doubles.
void CPR_BootTransform(int rows, int p, double* M, long rs, long cs, const double* T, double* tmp);

// --------------------------------------------------------------- summaries ---
// Position of the percentile bounds: k = trunc(Bv (1 - L/100) / 2 + 0.5), >= 1.
int CPR_BootPercentileK(int Bv, int level);
// Mean and percentile interval of B replicate values (BOOT_ABSENT excluded).
// Returns Bv, the number of values used; with Bv = 0 all three are SYSMIS.
// `idx` holds B ints.
int CPR_BootSummary(int B, const double* vals, int level, int* idx, double& mean, double& lower,
                    double& upper);

// ---------------------------------------------------------------- ellipses ---
std::size_t CPR_BootEllipseWork(int B);
// Confidence ellipse of the replicate points (xs[b], ys[b]) (BOOT_ABSENT
// skipped) around (cx, cy) at `level` percent, K points into px, py; `area`
// is pi r^2 s1 s2. Returns false (nothing drawn, area SYSMIS) with fewer than
// three points or a degenerate cloud. `work` holds CPR_BootEllipseWork(B)
// doubles, `iwork` B ints.
bool CPR_BootEllipse(int B, const double* xs, const double* ys, double cx, double cy, int level, int K,
                     double* px, double* py, double& area, double* work, int* iwork);

// --------------------------------------------------------------- the run ---
// Statistic layout of the stored values (each statistic has B values,
// stored contiguously: vals[stat * B + b]).
struct BootLayout {
  int m = 0, p = 0, kmax = 0, n = 0;
  int summary = 0;  // (p + 1) rows x 3: alpha, eigenvalue, percentage (row p: total)
  int vafc = 0;     // p x m centroid VAF (discrimination measures in MCA)
  int vafv = 0;     // p x m vector VAF (single variables)
  int load = 0;     // p x m loadings (single variables)
  int cent = 0;     // kmax x p x m centroids
  int obj = 0;      // n x p object scores
  int count = 0;
  void set(int n_, int m_, int p_, int kmax_);
  int sum(int row, int col) const { return summary + row * 3 + col; }
  int vc(int j, int s) const { return vafc + s + j * p; }
  int vv(int j, int s) const { return vafv + s + j * p; }
  int ld(int j, int s) const { return load + s + j * p; }
  int ct(int j, int c, int s) const { return cent + c + s * kmax + j * kmax * p; }
  int ob(int i, int s) const { return obj + i + s * n; }
};

struct BootInput {
  const PrData* d = nullptr;          // full-sample data (objw the analysis weights)
  PrSettings set;                     // the main run's settings
  FinishInput fin;                    // the main run's finishing (normalization)
  const Shown* ref = nullptr;         // the reference (full-sample, unrotated) solution
  const double* X0 = nullptr;         // engine object scores of the full sample (n x p)
  const double* A0 = nullptr;         // engine loadings of the full sample (p x m)
  const int* multiple = nullptr;
  const int* active = nullptr;
  const int* cases = nullptr;         // case numbers (reports)
  double M = 0;                       // active variable weight
  int B = 0, level = 95;
  bool balanced = true, procrustes = true;
  BootRandom rnd = nullptr;
  void* rnd_state = nullptr;
  bool progress = true;               // ODOMTR / ATNJMP through the host
};

// Caller-owned storage.
struct BootArrays {
  PrArrays eng;                       // replicate engine arrays (history may be null)
  double* work = nullptr;             // CPR_WorkSize doubles
  int* iwork = nullptr;               // kmax ints
  ScalingLevelRecord* lev = nullptr;  // m, a fresh copy per replicate
  CategoryAggregates* agg = nullptr;  // m replicate aggregates
  double* freq = nullptr;             // kmax x m replicate frequencies
  Shown shown;                        // replicate shown arrays (X, A, q, Y, vafc, vafv)
  double* g = nullptr;                // n replicate weights
  double* gmin = nullptr;             // n
  double* gmax = nullptr;             // n
  int* list = nullptr;                // n' x B (balanced only)
  double* vals = nullptr;             // layout.count x B
  double* ref = nullptr;              // layout.count: the full-sample values
  double* mwork = nullptr;            // CPR_BootStoreWork(p) doubles
};

struct BootResult {
  BootLayout layout;
  int B = 0;
  int valid = 0;            // replicates stored
  int flawed = 0;           // balanced replicates that could not be analysed
  int redrawn = 0;          // unbalanced replicates drawn again
  bool interrupted = false;
  int zero_range = 0;       // objects whose weight range is 0 (unbalanced)
  bool zero_range_all_zero = false;
  const double* vals = nullptr;
  const double* ref = nullptr;  // full-sample value of every statistic
};

// Number of active objects (non-zero weight).
int CPR_BootActiveCount(int n, const double* objw);
// The whole bootstrap. Returns false on an engine failure that is not a
// replicate's own fault (nothing stored then).
bool CPR_Bootstrap(const BootInput& in, BootArrays& a, BootResult& r);
// Warnings after the run: objects whose weight never varied (unbalanced
// sampling) and flawed balanced replicates.
void CPR_BootReport(const BootInput& in, const BootArrays& a, const BootResult& r);

}  // namespace oscat::catpca
