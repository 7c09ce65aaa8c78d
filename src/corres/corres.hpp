// CORRESPONDENCE: settings filled by the parser, the analysis arrays and the
// computational steps (plain arrays, no host calls), and the output routines.
#pragma once

#include <cstddef>
#include <string>

#include "frame/workspace.hpp"
#include "host/host.hpp"

namespace oscat::corres {

enum Measure { CHISQ = 0, EUCLID = 1 };
enum Standardize { RMEAN = 1, CMEAN = 2, RCMEAN = 3, RSUM = 4, CSUM = 5 };
enum PrintFlag { P_TABLE, P_RPROFILE, P_CPROFILE, P_RPOINTS, P_CPOINTS, P_RCONFIDE, P_CCONFIDE, P_PERMUTAT, P_COUNT };
enum PlotFlag { G_TRROWS, G_TRCOLUMN, G_RPOINTS, G_CPOINTS, G_BIPLOT, G_COUNT };

struct Settings {
  int table_mode = 0;                  // 0 none, 1 variables, 2 matrix
  int row_var = 0, col_var = 0;        // dictionary indexes (mode 1)
  std::string row_name, col_name;      // names in output and matrix files
  std::string row_eqname, col_eqname;  // names accepted by EQUAL and SUPPLEMENTARY
  int row_min = 0, row_max = 0, col_min = 0, col_max = 0;
  int nrow = 0, ncol = 0;
  int ndim = 2;
  double alpha = 0;
  bool principal = false;
  double rpow = 0.5, cpow = 0.5;
  std::string norm_key = "Symmetrical normalization";  // caption key, or "^1 normalization"
  std::string norm_text;                               // the number as typed
  std::string norm_short = "60206";                    // catalogue text for chart captions
  int measure = CHISQ;
  int standardize = RCMEAN;
  bool print[P_COUNT] = {true, false, false, true, true, false, false, false};
  int nperm = 1;
  bool plot[G_COUNT] = {false, false, false, false, true};
  bool plot_none = false;
  int label_len[G_COUNT] = {60, 60, 60, 60, 60};
  int plot_first = 1, plot_last = 0;
  bool ndim_given = false;
  bool out_scores = false, out_variance = false;
  int scores_handle = 0, variance_handle = 0;
  // Per row / column, 1-based; sized nrow / ncol once TABLE is known.
  int* suprow = nullptr;
  int* supcol = nullptr;
  int nsuprow = 0, nsupcol = 0;
  int* eqrow = nullptr;  // 0 free, else the first row of the group
  int* eqcol = nullptr;
  int rowcat_var = 0;
  int* matrix_vars = nullptr;  // TABLE = ALL: the matrix variables in file order
  frame::Workspace* ws = nullptr;  // the command's workspace (side and equality arrays)
  int nmatrix_vars = 0;
};

// Every array of one analysis; the caller provides them all.
struct Analysis {
  int I = 0, J = 0;        // rows and columns of the table
  int Ia = 0, Ja = 0;      // less the supplementary points (I'', J'')
  int Iact = 0, Jact = 0;  // less also the non-leading equality members (I', J')
  int q = 0;               // singular values computed: min(Ia, Ja)
  int nvec = 0;            // leading vector pairs computed
  int p = 2;               // dimensions reported
  int qp = 0;              // dimensions in the solution (q')
  bool transposed = false;

  int measure = CHISQ, standardize = RCMEAN;
  double rpow = 0.5, cpow = 0.5, alpha = 0;
  bool principal = false;
  const int* suprow = nullptr;  // I flags
  const int* supcol = nullptr;  // J flags
  const int* eqrow = nullptr;   // I group numbers (1-based leaders), may be null
  const int* eqcol = nullptr;

  double* F = nullptr;    // I x J
  double* F0 = nullptr;   // I x J
  double* r = nullptr;    // I
  double* c = nullptr;    // J
  double* r0 = nullptr;   // I
  double* c0 = nullptr;   // J
  double* S = nullptr;    // I x J
  double* A = nullptr;    // Ia x Ja
  double* X = nullptr;    // I x q
  double* Y = nullptr;    // J x q
  double* lambda = nullptr;  // q
  double* rowin = nullptr;   // I
  double* colin = nullptr;   // J
  double* cov = nullptr;     // (I + J + 1) x p(p+1)/2, packed
  double* P = nullptr;       // I x J
  double* ubuf = nullptr;    // max(Ia, Ja) x q
  double* vbuf = nullptr;    // min(Ia, Ja) x q
  double* svdwork = nullptr;
  int* gsizeR = nullptr;     // I
  int* gsizeC = nullptr;     // J
  int* perm = nullptr;       // max(I, J)
  double* keys = nullptr;    // max(I, J)
  double* scratch = nullptr; // p + max(I, J) x p

  double N = 0;
  double total_inertia = 0;
  double chi2 = 0;
  int df = 0;
  int Inz = 0, Jnz = 0;  // I', J' less the rows / columns without mass (the df's counts)
  int sweeps = 0;
};

// Array sizes (in elements) for an I x J table with `nvec` vectors wanted.
struct Sizes {
  std::size_t F, vecR, vecC, ubuf, vbuf, svdwork, cov;
};
Sizes analysis_sizes(int I, int J, int nsupr, int nsupc, int nvec, int p);

// Steps of the computation, in order. Status codes: 0 success.
// Margins, first sums and N; returns 1 when the grand total is 0.
int ca_margins(Analysis& a);
// Mean rows (columns) of equality groups; sets the active counts.
void ca_merge_equal(Analysis& a);
// Standardization (Euclidean), centering, S and the point inertias.
void ca_standardize_center(Analysis& a);
// Decomposition of the active part of S; sets q, lambda and nvec vectors in X, Y.
void ca_decompose(Analysis& a, int nvec);
// Dimension checks: returns flags of what was changed (1 too many dims,
// 2 reduced by the tolerance, 4 no dimension left).
int ca_check_dims(Analysis& a);
// Masses, standard coordinates and the proportions P.
void ca_coordinates(Analysis& a);
// Delta-method covariances (singular values always; points when asked).
void ca_confidence(Analysis& a, bool rows, bool cols);
// Scores from standard coordinates, then supplementary points.
void ca_scores(Analysis& a);
// Summary statistics (total inertia, chi-square and its degrees of freedom).
void ca_summary(Analysis& a);
// Point statistics for row (col = false) or column point i; SYSMIS fields
// when the first sum is 0. ctr_pt and ctr_dim have p entries.
struct PointStats {
  double mass, inertia, total;
  bool missing;
};
PointStats ca_point(const Analysis& a, bool col, int i, double* score, double* ctr_pt, double* ctr_dim);
// Permutation order for dimension d (0-based) into a.perm; rows or columns.
void ca_permutation(Analysis& a, bool col, int d);

// Packed covariance index (0-based k, l; block b: 0 singular values, 1..I rows, I+1.. columns).
inline std::size_t cov_index(int p, int b, int k, int l) {
  if (l > k) {
    int t = k;
    k = l;
    l = t;
  }
  return static_cast<std::size_t>(b) * (p * (p + 1) / 2) + static_cast<std::size_t>(k) * (k + 1) / 2 + l;
}

// The procedure (host side).
void parse_and_run(Settings& s);
void run_analysis(Settings& s);
// The subcommand keywords the parser accepts (as matched: abbreviations of 8 letters).
host::KeywordTable subcommand_keywords();

}  // namespace oscat::corres
