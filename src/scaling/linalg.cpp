#include "scaling/linalg.hpp"

#include <cmath>

namespace oscat::scaling {

void MatMul(char transa, char transb, int m, int n, int k, double alpha, const double* A, int lda,
            const double* B, int ldb, double beta, double* C, int ldc) {
  const bool ta = transa == 'T' || transa == 't';
  const bool tb = transb == 'T' || transb == 't';
  for (int j = 0; j < n; ++j) {
    double* cj = C + static_cast<long>(j) * ldc;
    if (beta == 0.0) {
      for (int i = 0; i < m; ++i) cj[i] = 0.0;
    } else if (beta != 1.0) {
      for (int i = 0; i < m; ++i) cj[i] *= beta;
    }
    for (int l = 0; l < k; ++l) {
      const double blj = tb ? B[j + static_cast<long>(l) * ldb] : B[l + static_cast<long>(j) * ldb];
      if (blj == 0.0) continue;
      const double s = alpha * blj;
      if (ta) {
        // op(A)(i, l) = A(l, i): strided, but op(A) is small wherever 'T' is used.
        for (int i = 0; i < m; ++i) cj[i] += s * A[l + static_cast<long>(i) * lda];
      } else {
        const double* al = A + static_cast<long>(l) * lda;
        for (int i = 0; i < m; ++i) cj[i] += s * al[i];
      }
    }
  }
}

double pythag(double a, double b) { return std::hypot(a, b); }

namespace {

// Householder reduction to tridiagonal form; the accumulated transformation
// replaces `a`, the diagonal goes to d and the sub-diagonal to e (e[0] = 0).
// Indexes below are 1-based to keep the classical formulation readable.
void tridiagonalize(int n, double* a, int lda, double* d, double* e) {
  auto A = [&](int i, int j) -> double& { return a[(i - 1) + static_cast<long>(j - 1) * lda]; };
  auto D = [&](int i) -> double& { return d[i - 1]; };
  auto E = [&](int i) -> double& { return e[i - 1]; };
  for (int i = n; i >= 2; --i) {
    const int l = i - 1;
    double h = 0.0, scale = 0.0;
    if (l > 1) {
      for (int k = 1; k <= l; ++k) scale += std::fabs(A(i, k));
      if (scale == 0.0) {
        E(i) = A(i, l);
      } else {
        for (int k = 1; k <= l; ++k) {
          A(i, k) /= scale;
          h += A(i, k) * A(i, k);
        }
        double f = A(i, l);
        double g = f >= 0.0 ? -std::sqrt(h) : std::sqrt(h);
        E(i) = scale * g;
        h -= f * g;
        A(i, l) = f - g;
        f = 0.0;
        for (int j = 1; j <= l; ++j) {
          A(j, i) = A(i, j) / h;
          g = 0.0;
          for (int k = 1; k <= j; ++k) g += A(j, k) * A(i, k);
          for (int k = j + 1; k <= l; ++k) g += A(k, j) * A(i, k);
          E(j) = g / h;
          f += E(j) * A(i, j);
        }
        const double hh = f / (h + h);
        for (int j = 1; j <= l; ++j) {
          f = A(i, j);
          g = E(j) - hh * f;
          E(j) = g;
          for (int k = 1; k <= j; ++k) A(j, k) -= (f * E(k) + g * A(i, k));
        }
      }
    } else {
      E(i) = A(i, l);
    }
    D(i) = h;
  }
  D(1) = 0.0;
  E(1) = 0.0;
  for (int i = 1; i <= n; ++i) {
    const int l = i - 1;
    if (D(i) != 0.0) {
      for (int j = 1; j <= l; ++j) {
        double g = 0.0;
        for (int k = 1; k <= l; ++k) g += A(i, k) * A(k, j);
        for (int k = 1; k <= l; ++k) A(k, j) -= g * A(k, i);
      }
    }
    D(i) = A(i, i);
    A(i, i) = 1.0;
    for (int j = 1; j <= l; ++j) A(j, i) = A(i, j) = 0.0;
  }
}

// QL with implicit shifts on the tridiagonal (d, e), accumulating into z.
int tridiagonal_ql(int n, double* d, double* e, double* z, int ldz) {
  constexpr double kSmall = 2.23e-16;
  constexpr int kMaxIter = 500;
  auto Z = [&](int i, int j) -> double& { return z[(i - 1) + static_cast<long>(j - 1) * ldz]; };
  auto D = [&](int i) -> double& { return d[i - 1]; };
  auto E = [&](int i) -> double& { return e[i - 1]; };
  for (int i = 2; i <= n; ++i) E(i - 1) = E(i);
  E(n) = 0.0;
  for (int l = 1; l <= n; ++l) {
    int iter = 0;
    int m;
    do {
      for (m = l; m <= n - 1; ++m) {
        const double dd = std::fabs(D(m)) + std::fabs(D(m + 1));
        if (std::fabs(E(m)) <= kSmall * dd) break;
      }
      if (m != l) {
        if (iter++ == kMaxIter) return l;
        double g = (D(l + 1) - D(l)) / (2.0 * E(l));
        double r = pythag(g, 1.0);
        g = D(m) - D(l) + E(l) / (g + (g >= 0.0 ? std::fabs(r) : -std::fabs(r)));
        double s = 1.0, c = 1.0, p = 0.0;
        int i;
        for (i = m - 1; i >= l; --i) {
          double f = s * E(i);
          const double b = c * E(i);
          r = pythag(f, g);
          E(i + 1) = r;
          if (r == 0.0) {
            D(i + 1) -= p;
            E(m) = 0.0;
            break;
          }
          s = f / r;
          c = g / r;
          g = D(i + 1) - p;
          r = (D(i) - g) * s + 2.0 * c * b;
          p = s * r;
          D(i + 1) = g + p;
          g = c * r - b;
          for (int k = 1; k <= n; ++k) {
            f = Z(k, i + 1);
            Z(k, i + 1) = s * Z(k, i) + c * f;
            Z(k, i) = c * Z(k, i) - s * f;
          }
        }
        if (r == 0.0 && i >= l) continue;
        D(l) -= p;
        E(l) = g;
        E(m) = 0.0;
      }
    } while (m != l);
  }
  return 0;
}

}  // namespace

int SymEigen(int n, double* a, int lda, double* d, double* e) {
  if (n <= 0) return 0;
  tridiagonalize(n, a, lda, d, e);
  const int rc = tridiagonal_ql(n, d, e, a, lda);
  if (rc != 0) return rc;
  // Selection of the largest remaining value; the block in between is shifted
  // rather than swapped so that equal eigenvalues keep their order.
  for (int i = 0; i < n - 1; ++i) {
    int k = i;
    for (int j = i + 1; j < n; ++j)
      if (d[j] > d[k]) k = j;
    if (k == i) continue;
    const double dk = d[k];
    for (int j = k; j > i; --j) d[j] = d[j - 1];
    d[i] = dk;
    for (int r = 0; r < n; ++r) {
      double* row = a + r;
      const double vk = row[static_cast<long>(k) * lda];
      for (int j = k; j > i; --j) row[static_cast<long>(j) * lda] = row[static_cast<long>(j - 1) * lda];
      row[static_cast<long>(i) * lda] = vk;
    }
  }
  return 0;
}

int LuDecomp(int n, double* a, int lda, int* piv) {
  auto A = [&](int i, int j) -> double& { return a[i + static_cast<long>(j) * lda]; };
  int info = 0;
  for (int k = 0; k < n; ++k) {
    int p = k;
    double big = std::fabs(A(k, k));
    for (int i = k + 1; i < n; ++i)
      if (std::fabs(A(i, k)) > big) {
        big = std::fabs(A(i, k));
        p = i;
      }
    piv[k] = p + 1;
    if (big == 0.0) {
      if (info == 0) info = k + 1;
      continue;
    }
    if (p != k)
      for (int j = 0; j < n; ++j) {
        const double t = A(k, j);
        A(k, j) = A(p, j);
        A(p, j) = t;
      }
    const double inv = 1.0 / A(k, k);
    for (int i = k + 1; i < n; ++i) A(i, k) *= inv;
    for (int j = k + 1; j < n; ++j) {
      const double akj = A(k, j);
      if (akj == 0.0) continue;
      for (int i = k + 1; i < n; ++i) A(i, j) -= A(i, k) * akj;
    }
  }
  return info;
}

void LuSolve(int n, const double* lu, int lda, const int* piv, double* b) {
  auto A = [&](int i, int j) { return lu[i + static_cast<long>(j) * lda]; };
  for (int k = 0; k < n; ++k) {
    const int p = piv[k] - 1;
    if (p != k) {
      const double t = b[k];
      b[k] = b[p];
      b[p] = t;
    }
  }
  for (int i = 0; i < n; ++i)
    for (int k = 0; k < i; ++k) b[i] -= A(i, k) * b[k];
  for (int i = n - 1; i >= 0; --i) {
    for (int k = i + 1; k < n; ++k) b[i] -= A(i, k) * b[k];
    b[i] /= A(i, i);
  }
}

void LuInverse(int n, const double* lu, int lda, const int* piv, double* inv, int ldi,
               double* work) {
  for (int j = 0; j < n; ++j) {
    for (int i = 0; i < n; ++i) work[i] = i == j ? 1.0 : 0.0;
    LuSolve(n, lu, lda, piv, work);
    for (int i = 0; i < n; ++i) inv[i + static_cast<long>(j) * ldi] = work[i];
  }
}

void IndexShellSort(int n, const double* keys, int* idx) {
  int gap = 1;
  while (gap < n / 3) gap = 3 * gap + 1;
  for (; gap >= 1; gap /= 3) {
    for (int i = gap; i < n; ++i) {
      const int v = idx[i];
      const double kv = keys[v];
      int j = i;
      while (j >= gap && keys[idx[j - gap]] > kv) {
        idx[j] = idx[j - gap];
        j -= gap;
      }
      idx[j] = v;
    }
  }
}

}  // namespace oscat::scaling
