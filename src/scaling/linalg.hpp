// Shared dense numerics of the procedures: matrix product, symmetric
// eigen-decomposition, LU decomposition and inverse, index sort.
//
// Matrices are column-major with an explicit leading dimension; element (i, j)
// (0-based) of A is A[i + j * lda]. Every routine works in the arrays it is
// given and allocates nothing.
#pragma once

namespace oscat::scaling {

// C = alpha * op(A) * op(B) + beta * C, with op(X) = X ('N') or X' ('T').
// op(A) is m x k, op(B) is k x n, C is m x n. When beta is 0, C is not read.
// C must not overlap A or B.
void MatMul(char transa, char transb, int m, int n, int k, double alpha, const double* A, int lda,
            const double* B, int ldb, double beta, double* C, int ldc);

// Symmetric eigen-decomposition of the n x n matrix in `a` (both triangles
// set). On return the columns of `a` hold the eigenvectors and `d` the
// eigenvalues in descending order (equal values keep the order in which the QL
// step produced them). `e` is scratch of n doubles.
// Returns 0 on success, or the 1-based index of the eigenvalue whose QL
// iteration did not converge within 500 iterations (then `a` and `d` hold
// partial results).
int SymEigen(int n, double* a, int lda, double* d, double* e);

// LU decomposition with partial pivoting, in place: P A = L U, L unit lower.
// `piv` (n ints) receives the 1-based row interchanged with row i at step i.
// Returns 0, or the 1-based column of the first exactly zero pivot.
int LuDecomp(int n, double* a, int lda, int* piv);
// Solve A x = b with the factors of LuDecomp; b (n) is overwritten by x.
void LuSolve(int n, const double* lu, int lda, const int* piv, double* b);
// Explicit inverse from the factors of LuDecomp: `inv` (n x n, ldi) receives
// A^-1. `work` is scratch of n doubles.
void LuInverse(int n, const double* lu, int lda, const int* piv, double* inv, int ldi,
               double* work);

// sqrt(a^2 + b^2) without overflow or destructive underflow.
double pythag(double a, double b);

// Index Shell sort: rearranges idx[0..n-1] (indexes into `keys`, 0-based) so
// that keys[idx[0]] <= keys[idx[1]] <= ... The caller fills idx.
void IndexShellSort(int n, const double* keys, int* idx);

}  // namespace oscat::scaling
