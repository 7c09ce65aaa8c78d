// Building blocks of the alternating least squares procedures: weighted
// category moments, category centroids, object scores from quantified
// categories, orthonormalization and the fixed start generator, and the
// indicator products on category codes.
//
// Codes are held one per object and variable (n x m, column-major; variable
// j at codes + j*n); code c in 1..K_j is a category, anything else none.
// Nothing here allocates or reports: callers pass every array and scratch
// area and report what the return values say.
#pragma once

#include <cstdint>

#include "scaling/quantify.hpp"

namespace oscat::scaling {

// Objects per block of the passes over the data: a block of scores stays in
// the first-level cache while every variable's codes stream past it.
inline constexpr int kObjectBlock = 2048;

// Weighted moments of category values over the first K categories:
// N = sum_c f_c, mean = sum_c f_c x_c / N (0 when N is 0),
// S = sum_c f_c (x_c - mean)^2.
void ZYL_Moments(const double* x, const double* f, int K, double& N, double& mean, double& S);

// Category centroids of the object scores for the variables j0..j1-1:
// Y_j = diag(f_j)^-1 G_j' W X, with G_j the indicator matrix of variable j's
// codes and W = diag(objw). Y_j (K x p, leading dimension K) is at Y + j*K*p;
// K >= every K_j. Objects of weight 0 and codes outside 1..K_j count nowhere;
// empty categories get 0. Variables with suppl[j] set are skipped unless
// `with_suppl` (suppl may be null). Every sum runs in object order, so a split
// of [0, m) into ranges gives the same bits as one call.
void ZYL_Centroids(const int* codes, int n, const CategoryAggregates* agg, const int* suppl, bool with_suppl,
                   int j0, int j1, const double* X, int p, const double* objw, double* Y, int K);

// Object scores Z = sum_j G_j T_j for the objects i0..i1-1 (Z is n x p),
// T_j being variable j's (K + 1) x p table at T + j*(K+1)*p whose row 0
// stands for "no category" and holds 0. Variables with suppl[j] set do not
// count (suppl may be null). Each object adds its variables in order, so a
// split of the objects gives the same bits as one call.
void ZYL_AccumulateScores(const int* codes, int n, int m, const CategoryAggregates* agg, const int* suppl,
                          const double* T, int K, int p, int i0, int i1, double* Z);

// Fit and loss of the principal-components alternation over the active
// variables (suppl[j] unset; suppl may be null), with w_j the variable weight
// and W_j its whole part, eta_js = sum_c f_c Y_cs^2 (p x m) and vaf_j the
// squared length of single variables' loadings (the weight inside):
//   single:   F_s = sum vaf_j,  E_s = sum w_j sum_s eta_js,  W_s = sum W_j
//   multiple: F_m = sum_j sum_s eta_js / p,                  W_m = sum W_j
//   fit F = F_s + F_m; restriction loss L_r = E_s - F_s;
//   centroid loss L_c = p W_s + W_m - F_m - E_s; loss L = L_c + L_r.
// A variable is multiple nominal with `all_multiple` or its level MNOMINAL.
struct FitLoss {
  double fit = 0, loss = 0, centroid = 0, restricted = 0;
};
FitLoss ZYL_FitLoss(int m, int p, const CategoryAggregates* agg, const ScalingLevelRecord* lev, bool all_multiple,
                    const int* suppl, const double* vaf, const double* eta);

// Symmetric orthonormalization Z -> X (both n x p): centre over the active
// objects, P = Z' W Z, X = Z P^(-1/2). `root` receives sqrt of the eigenvalues
// of P (descending; 0 for those below kRankTolerance), V (p x p) its
// eigenvectors. `work` holds 3p^2 + p doubles. Returns 0, or 1 when the
// eigen-decomposition failed.
int CPR_Orthonorm(int n, int p, const double* objw, double* Z, double* X, double* root, double* V,
                  double* work);

// Eigenvalues of Z' W Z at or below this count as zero: the start is then
// rank deficient.
inline constexpr double kRankTolerance = 1e-8;

// Fills X (n x p) from the start generator: column by column, values in
// (-1, 1); with weighting, objects of weight 0 get 0 and consume no number.
// `seed` carries the generator state between calls (start with CPR_SEED).
// `random`, when given, replaces the built-in congruential generator.
inline constexpr std::int64_t CPR_SEED = 315747;
void CPR_RandomStart(int n, int p, const double* objw, bool weighted, double* X, std::int64_t& seed,
                     double (*random)(void*), void* state);

// Indicator products on category codes, in the four modes the procedures
// use: the result replaced or added into, and codes above `bound` ignored or
// (bound <= 0) every positive code taken. Codes <= 0 never count.
enum class Into { Replace, Add };
// Y (rows 1..K of a K x p matrix, leading dimension ldy) = / += G' X for one
// variable's n codes; X is n x p (leading dimension ldx). With Replace, Y is
// zeroed first (K rows).
void IndicatorSums(const int* codes, int n, const double* X, int ldx, int p, double* Y, int ldy, int K, int bound,
                   Into mode);
// Z (n x p, leading dimension ldz) = / += G Y: row code_i of Y for object i;
// objects without a counted code get 0 (Replace) or keep their value (Add).
void IndicatorScatter(const int* codes, int n, const double* Y, int ldy, int p, double* Z, int ldz, int bound,
                      Into mode);

}  // namespace oscat::scaling
