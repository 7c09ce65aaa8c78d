// Kernels of the older alternating least squares procedures (homogeneity
// analysis and its relatives): the fixed start, centring with per-object
// counts, row scaling, the weighted sum of squares of quantifications and
// Gram-Schmidt with rank reduction. The indicator products they use are
// IndicatorSums / IndicatorScatter (als.hpp).
//
// Matrices are column-major with leading dimension n (objects). Nothing here
// allocates or reports.
#pragma once

#include <cstdint>

namespace oscat::scaling {

// Fills X (n x p) column after column from the fixed congruential generator
// (s = 125 s mod 2796203, starting at 315747): every element is uniform on
// (-1, 1) and a run gives the same numbers every time.
void HomFixedStart(int n, int p, double* X);

// Centring with per-object counts: for each column s, t = sum_i X_is and
// X_is -= counts_i * t * c. With c = 1 / sum_i counts_i every column sum
// becomes zero; objects with more observed variables take more of the shift.
void HomCentre(int n, int p, const double* counts, double c, double* X);

// B_is = d_i A_is (B may be A).
void HomScaleRows(int n, int p, const double* d, const double* A, double* B);

// sum_c f_c y_c^2 over the first K entries (one column of quantifications).
double HomWeightedSS(const double* f, const double* y, int K);

// Columns whose sum of squares is at or below this are dependent on the
// earlier ones: Gram-Schmidt drops them.
inline constexpr double kHomRankTolerance = 1e-6;

// Gram-Schmidt orthonormalization of X (n x p) in place, column by column. A
// column whose sum of squares (after the projections of the earlier columns
// were taken out) is at or below kHomRankTolerance is removed: the later
// columns move left and p falls by one. Returns the new p (the rank found).
int HomGramSchmidt(int n, int p, double* X);

// The indicator products of all m variables at once, over blocks of objects
// so that a block of X (or Z) stays in cache while every variable's codes
// pass over it. codes is n x m (column j the category numbers 1..K[j] of
// variable j, 0 missing); variable j's K[j] x p block of Y starts at
// Y + off[j] * p (leading dimension K[j]). Each sum keeps the order of the
// one-variable products (objects in increasing order), so the results are
// those of IndicatorSums / IndicatorScatter variable by variable.
//
// Y_j = G_j' X for every j (replacing Y), dimensions s0..s1-1 of p (the
// dimensions are independent: two callers may share them out).
void HomCategorySums(const int* codes, int n, int m, const long* off, const int* K, const double* X, int p,
                     double* Y, int s0, int s1);
// Z = sum_j G_j Y_j (replacing Z; variables added in order), dimensions
// s0..s1-1 of p.
void HomScatterSum(const int* codes, int n, int m, const long* off, const int* K, const double* Y, int p, double* Z,
                   int s0, int s1);
inline void HomCategorySums(const int* codes, int n, int m, const long* off, const int* K, const double* X, int p,
                            double* Y) {
  HomCategorySums(codes, n, m, off, K, X, p, Y, 0, p);
}
inline void HomScatterSum(const int* codes, int n, int m, const long* off, const int* K, const double* Y, int p,
                          double* Z) {
  HomScatterSum(codes, n, m, off, K, Y, p, Z, 0, p);
}

// The cross table of two category codings: C[c + d * Ka] = the number of
// objects with category c + 1 in `a` and d + 1 in `b` (C is Ka x Kb, replaced).
void HomCrossTable(const int* a, const int* b, int n, int Ka, int Kb, double* C);

// Category sums of a partial residual without forming it: Y[c, s] = sum over
// the objects i in category c of (X[i, s] - S[i, s]), objects in increasing
// order (Y is K x p, replaced). X and S are n x p.
void HomResidualSums(const int* codes, int n, const double* X, const double* S, int p, double* Y, int K);

// One variable's part of a prediction exchanged in one pass:
// S[i, s] = (S[i, s] + -Yold[c, s]) + Ynew[c, s] for the category c of object
// i (0.0 twice for a missing one), the two additions of taking the old part
// out and putting the new one in. Yold and Ynew are K x p.
void HomReplaceScatter(const int* codes, int n, const double* Yold, const double* Ynew, int K, int p, double* S);

}  // namespace oscat::scaling
