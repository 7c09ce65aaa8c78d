// Singular value decomposition (Golub–Reinsch) shared by the procedures.
//
// Matrices are column-major with a leading dimension; the routine allocates
// nothing: the caller passes every array and a scratch area of
// svd_work_size(m, n, nvec) doubles.
#pragma once

#include <cstddef>

namespace oscat::scaling {

// Largest number of columns the routine accepts.
inline constexpr int SVD_MAX_COLUMNS = 1000;

// Scratch doubles needed by CPR_PXS_SVDCMP for an m x n matrix and nvec vectors.
std::size_t svd_work_size(int m, int n, int nvec);

// Decompose the m x n matrix `a` (m >= n, 1 <= n <= SVD_MAX_COLUMNS) as
// U diag(w) V^T.
//  - `a` is destroyed.
//  - `w` (n) receives every singular value, in decreasing order.
//  - `nvec` (0..n) leading singular vector pairs are returned: U in `u`
//    (m x nvec, leading dimension ldu) and V in `v` (n x nvec, ldv); either
//    pointer may be null when nvec is 0.
// All n vectors are accumulated through the QR sweeps when many are asked
// for; for a few, the values are found without vectors and each pair is then
// obtained by inverse iteration on the bidiagonal form and transformed back,
// which turns an O(n^3) accumulation into O(m n nvec).
// Returns the largest number of QR sweeps any value needed, or 0 when a
// value did not converge within 50 sweeps (its value is then approximate).
int CPR_PXS_SVDCMP(int m, int n, double* a, int lda, double* w, int nvec, double* u, int ldu,
                   double* v, int ldv, double* work);

}  // namespace oscat::scaling
