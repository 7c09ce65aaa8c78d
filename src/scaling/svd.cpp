#include "scaling/svd.hpp"

#include <algorithm>
#include <cmath>

#include "scaling/linalg.hpp"

namespace oscat::scaling {
namespace {

constexpr double kEps = 2.23e-16;           // relative size counted as zero
constexpr double kTiny = 2.2250738585073e-308;  // Householder vectors below this are skipped
constexpr int kMaxSweeps = 50;

inline double sign_of(double a, double b) { return b >= 0 ? std::fabs(a) : -std::fabs(a); }

// Dot product with four independent sums: a single running sum is bound by
// the latency of the additions, and the decomposition is mostly dot products.
inline double dot(const double* x, const double* y, int n) {
  double s0 = 0, s1 = 0, s2 = 0, s3 = 0;
  int k = 0;
  for (; k + 4 <= n; k += 4) {
    s0 += x[k] * y[k];
    s1 += x[k + 1] * y[k + 1];
    s2 += x[k + 2] * y[k + 2];
    s3 += x[k + 3] * y[k + 3];
  }
  for (; k < n; ++k) s0 += x[k] * y[k];
  return (s0 + s1) + (s2 + s3);
}

// Whether to accumulate all vectors through the sweeps rather than solve for
// the few wanted ones afterwards.
bool full_mode(int n, int nvec) { return nvec > 0 && (n <= 16 || 4 * nvec > n); }

// Householder bidiagonalization in place. On return w holds the diagonal,
// e[i] the superdiagonal element (i-1, i) (e[0] = 0), the left reflectors
// sit below the diagonal of a and the right ones to the right of the
// superdiagonal. Returns the norm used by the convergence test.
//
// One sweep over the trailing columns per step: each column receives the
// right reflection of the previous step, then the left reflection of this
// step, and contributes to the product needed by this step's right
// reflection while it is in cache. tmp, wacc: m scratch; rvf: n scratch.
// Built for wide vector units too when the processor has them.
__attribute__((target_clones("arch=haswell", "default")))
double bidiagonalize(int m, int n, double* a, int lda, double* w, double* e, double* tmp, double* wacc,
                     double* rvf) {
  auto A = [&](int r, int c) -> double& { return a[static_cast<std::size_t>(c) * lda + r]; };
  double g = 0, scale = 0, anorm = 0;
  bool pending = false;  // a right reflection (tmp, rvf) still to be applied to columns
  for (int i = 0; i < n; ++i) {
    const int l = i + 1;
    e[i] = scale * g;
    double* ci = &A(0, i);
    if (pending)
      for (int r = i; r < m; ++r) ci[r] += tmp[r] * rvf[i];
    g = scale = 0;
    double s = 0, h = 0;
    bool left = false;
    for (int k = i; k < m; ++k) scale += std::fabs(ci[k]);
    if (scale != 0) {
      for (int k = i; k < m; ++k) {
        ci[k] /= scale;
        s += ci[k] * ci[k];
      }
      if (s >= kTiny) {
        const double f = ci[i];
        g = -sign_of(std::sqrt(s), f);
        h = f * g - s;
        ci[i] = f - g;
        left = true;
      }
    }
    const bool right_follows = i != n - 1;
    if (right_follows)
      for (int r = l; r < m; ++r) wacc[r] = 0;
    for (int j = l; j < n; ++j) {
      double* cj = &A(0, j);
      // Right reflection of the previous step fused with this step's dot product.
      double fac = 0;
      if (pending && left) {
        const double f = rvf[j];
        double d0 = 0, d1 = 0;
        int r = i;
        for (; r + 2 <= m; r += 2) {
          cj[r] += tmp[r] * f;
          cj[r + 1] += tmp[r + 1] * f;
          d0 += ci[r] * cj[r];
          d1 += ci[r + 1] * cj[r + 1];
        }
        for (; r < m; ++r) {
          cj[r] += tmp[r] * f;
          d0 += ci[r] * cj[r];
        }
        fac = (d0 + d1) / h;
      } else if (pending) {
        const double f = rvf[j];
        for (int r = i; r < m; ++r) cj[r] += tmp[r] * f;
      } else if (left) {
        fac = dot(ci + i, cj + i, m - i) / h;
      }
      // Left reflection fused with the product for this step's right reflection.
      if (left) cj[i] += fac * ci[i];
      if (right_follows) {
        const double aij = cj[i];
        if (left) {
          for (int r = l; r < m; ++r) {
            cj[r] += fac * ci[r];
            wacc[r] += cj[r] * aij;
          }
        } else {
          for (int r = l; r < m; ++r) wacc[r] += cj[r] * aij;
        }
      } else if (left) {
        for (int r = l; r < m; ++r) cj[r] += fac * ci[r];
      }
    }
    if (scale != 0)
      for (int k = i; k < m; ++k) ci[k] *= scale;
    w[i] = scale * g;
    g = s = scale = 0;
    pending = false;
    if (right_follows) {
      for (int k = l; k < n; ++k) scale += std::fabs(A(i, k));
      if (scale != 0) {
        for (int k = l; k < n; ++k) {
          A(i, k) /= scale;
          s += A(i, k) * A(i, k);
        }
        if (s >= kTiny) {
          const double f = A(i, l);
          g = -sign_of(std::sqrt(s), f);
          h = f * g - s;
          A(i, l) = f - g;
          // tmp = A(l:, l:) v for the reflector v (the scaled row with its
          // first element shifted by -g), from the product gathered above.
          const double* cl = &A(0, l);
          for (int r = l; r < m; ++r) tmp[r] = wacc[r] / scale - g * cl[r];
          for (int k = l; k < n; ++k) rvf[k] = A(i, k) / h;
          pending = true;
        }
        for (int k = l; k < n; ++k) A(i, k) *= scale;
      }
    }
    anorm = std::max(anorm, std::fabs(w[i]) + std::fabs(e[i]));
  }
  return anorm;
}

// Rotate columns p and q of an r-row matrix.
inline void rotate(double* x, int ld, int rows, int p, int q, double c, double s) {
  double* cp = x + static_cast<std::size_t>(p) * ld;
  double* cq = x + static_cast<std::size_t>(q) * ld;
  for (int j = 0; j < rows; ++j) {
    const double y = cp[j], z = cq[j];
    cp[j] = y * c + z * s;
    cq[j] = z * c - y * s;
  }
}

// Implicit-shift QR on the bidiagonal (w, e); rotations are applied to the
// columns of u (mu rows) and v (nv rows) when given.
int bidiagonal_qr(int n, double* w, double* e, double anorm, double* u, int ldu, int mu, double* v,
                  int ldv, int nv) {
  const double tol = kEps * anorm;
  int most = 0;
  bool failed = false;
  for (int k = n - 1; k >= 0; --k) {
    for (int its = 1; its <= kMaxSweeps; ++its) {
      bool flag = true;
      int l = k, nm = 0;
      for (; l >= 0; --l) {
        nm = l - 1;
        if (std::fabs(e[l]) <= tol) {
          flag = false;
          break;
        }
        if (std::fabs(w[nm]) <= tol) break;
      }
      if (flag) {
        // w[nm] is negligible: chase e[l] out with rotations from the left.
        double c = 0, s = 1;
        for (int i = l; i <= k; ++i) {
          const double f = s * e[i];
          e[i] = c * e[i];
          if (std::fabs(f) <= tol) break;
          const double g = w[i];
          double h = pythag(f, g);
          w[i] = h;
          h = 1.0 / h;
          c = g * h;
          s = -f * h;
          if (u) rotate(u, ldu, mu, nm, i, c, s);
        }
      }
      double z = w[k];
      if (l == k) {
        if (z < 0) {
          w[k] = -z;
          if (v) {
            double* ck = v + static_cast<std::size_t>(k) * ldv;
            for (int j = 0; j < nv; ++j) ck[j] = -ck[j];
          }
        }
        most = std::max(most, its);
        break;
      }
      if (its == kMaxSweeps) {
        failed = true;
        break;
      }
      double x = w[l];
      nm = k - 1;
      double y = w[nm];
      double g = e[nm];
      double h = e[k];
      double f = ((y - z) * (y + z) + (g - h) * (g + h)) / (2.0 * h * y);
      g = pythag(f, 1.0);
      f = ((x - z) * (x + z) + h * ((y / (f + sign_of(g, f))) - h)) / x;
      double c = 1, s = 1;
      for (int j = l; j <= nm; ++j) {
        const int i = j + 1;
        g = e[i];
        y = w[i];
        h = s * g;
        g = c * g;
        z = pythag(f, h);
        e[j] = z;
        c = f / z;
        s = h / z;
        f = x * c + g * s;
        g = g * c - x * s;
        h = y * s;
        y *= c;
        if (v) rotate(v, ldv, nv, j, i, c, s);
        z = pythag(f, h);
        w[j] = z;
        if (z != 0) {
          z = 1.0 / z;
          c = f * z;
          s = h * z;
        }
        f = c * g + s * y;
        x = c * y - s * g;
        if (u) rotate(u, ldu, mu, j, i, c, s);
      }
      e[l] = 0;
      e[k] = f;
      w[k] = x;
    }
  }
  return failed ? 0 : most;
}

// Decreasing order by exchanges, moving vector columns alike.
void sort_values(int n, double* w, double* u, int ldu, int mu, double* v, int ldv, int nv) {
  for (int i = 0; i < n - 1; ++i) {
    int k = i;
    for (int j = i + 1; j < n; ++j)
      if (w[j] > w[k]) k = j;
    if (k == i) continue;
    std::swap(w[i], w[k]);
    if (u) std::swap_ranges(u + static_cast<std::size_t>(i) * ldu, u + static_cast<std::size_t>(i) * ldu + mu,
                            u + static_cast<std::size_t>(k) * ldu);
    if (v) std::swap_ranges(v + static_cast<std::size_t>(i) * ldv, v + static_cast<std::size_t>(i) * ldv + nv,
                            v + static_cast<std::size_t>(k) * ldv);
  }
}

// Accumulation of the right reflectors into V (n x n).
void accumulate(int n, double* a, int lda, const double* e, double* v, int ldv) {
  auto A = [&](int r, int c) -> double& { return a[static_cast<std::size_t>(c) * lda + r]; };
  auto V = [&](int r, int c) -> double& { return v[static_cast<std::size_t>(c) * ldv + r]; };
  double g = 0;
  int l = n;
  for (int i = n - 1; i >= 0; --i) {
    if (i < n - 1) {
      if (g != 0) {
        for (int j = l; j < n; ++j) V(j, i) = (A(i, j) / A(i, l)) / g;
        for (int j = l; j < n; ++j) {
          double s = 0;
          for (int k = l; k < n; ++k) s += A(i, k) * V(k, j);
          for (int k = l; k < n; ++k) V(k, j) += s * V(k, i);
        }
      }
      for (int j = l; j < n; ++j) V(i, j) = V(j, i) = 0;
    }
    V(i, i) = 1;
    g = e[i];
    l = i;
  }
}

// Accumulation of the left reflectors into U, in place of a.
void accumulate_left(int m, int n, double* a, int lda, const double* d) {
  auto A = [&](int r, int c) -> double& { return a[static_cast<std::size_t>(c) * lda + r]; };
  for (int i = n - 1; i >= 0; --i) {
    const int l = i + 1;
    double g = d[i];
    for (int j = l; j < n; ++j) A(i, j) = 0;
    double* ci = &A(0, i);
    if (g != 0) {
      g = 1.0 / g;
      for (int j = l; j < n; ++j) {
        double* cj = &A(0, j);
        const double s = dot(ci + l, cj + l, m - l);
        const double f = (s / ci[i]) * g;
        for (int k = i; k < m; ++k) cj[k] += f * ci[k];
      }
      for (int j = i; j < m; ++j) ci[j] *= g;
    } else {
      for (int j = i; j < m; ++j) ci[j] = 0;
    }
    ci[i] += 1;
  }
}

// Tridiagonal (T - sigma I) with zero diagonal and off-diagonal `off`
// (length n2 - 1): LU with partial pivoting, then solve in place.
void tgk_factor(int n2, const double* off, double sigma, double tiny, double* dl, double* dd,
                double* du, double* du2, double* piv) {
  for (int i = 0; i < n2; ++i) dd[i] = -sigma;
  for (int i = 0; i < n2 - 1; ++i) dl[i] = du[i] = off[i];
  for (int i = 0; i < n2 - 1; ++i) {
    if (i < n2 - 2) du2[i] = 0;
    if (std::fabs(dd[i]) >= std::fabs(dl[i])) {
      if (dd[i] == 0) dd[i] = tiny;
      const double fact = dl[i] / dd[i];
      dl[i] = fact;
      dd[i + 1] -= fact * du[i];
      piv[i] = 0;
    } else {
      const double fact = dd[i] / dl[i];
      dd[i] = dl[i];
      dl[i] = fact;
      const double temp = du[i];
      du[i] = dd[i + 1];
      dd[i + 1] = temp - fact * dd[i + 1];
      if (i < n2 - 2) {
        du2[i] = du[i + 1];
        du[i + 1] = -fact * du[i + 1];
      }
      piv[i] = 1;
    }
  }
  if (dd[n2 - 1] == 0) dd[n2 - 1] = tiny;
}

void tgk_solve(int n2, const double* dl, const double* dd, const double* du, const double* du2,
               const double* piv, double* b) {
  for (int i = 0; i < n2 - 1; ++i) {
    if (piv[i] == 0) {
      b[i + 1] -= dl[i] * b[i];
    } else {
      const double temp = b[i];
      b[i] = b[i + 1];
      b[i + 1] = temp - dl[i] * b[i];
    }
  }
  b[n2 - 1] /= dd[n2 - 1];
  if (n2 > 1) b[n2 - 2] = (b[n2 - 2] - du[n2 - 2] * b[n2 - 1]) / dd[n2 - 2];
  for (int i = n2 - 3; i >= 0; --i) b[i] = (b[i] - du[i] * b[i + 1] - du2[i] * b[i + 2]) / dd[i];
}

double norm2(int n, const double* x) {
  double s = 0;
  for (int i = 0; i < n; ++i) s += x[i] * x[i];
  return std::sqrt(s);
}

}  // namespace

std::size_t svd_work_size(int m, int n, int nvec) {
  const std::size_t M = static_cast<std::size_t>(m), N = static_cast<std::size_t>(n);
  std::size_t size = N + 2 * M + 3 * N;  // e, two row-update scratch, kept diagonal and superdiagonal, rvf
  if (full_mode(n, nvec)) return size + N * N;
  if (nvec > 0) size += 2 * N * static_cast<std::size_t>(nvec) + 2 * N + 12 * N;
  return size;
}

int CPR_PXS_SVDCMP(int m, int n, double* a, int lda, double* w, int nvec, double* u, int ldu,
                   double* v, int ldv, double* work) {
  double* e = work;
  double* tmp = e + n;
  double* dkeep = tmp + m;
  double* ekeep = dkeep + n;
  double* wacc = ekeep + n;
  double* rvf = wacc + m;
  double* rest = rvf + n;
  const double anorm = bidiagonalize(m, n, a, lda, w, e, tmp, wacc, rvf);
  std::copy(w, w + n, dkeep);
  std::copy(e, e + n, ekeep);

  if (full_mode(n, nvec)) {
    double* vv = rest;
    accumulate(n, a, lda, e, vv, n);
    accumulate_left(m, n, a, lda, dkeep);
    const int sweeps = bidiagonal_qr(n, w, e, anorm, a, lda, m, vv, n, n);
    sort_values(n, w, a, lda, m, vv, n, n);
    for (int k = 0; k < nvec; ++k) {
      std::copy(a + static_cast<std::size_t>(k) * lda, a + static_cast<std::size_t>(k) * lda + m,
                u + static_cast<std::size_t>(k) * ldu);
      std::copy(vv + static_cast<std::size_t>(k) * n, vv + static_cast<std::size_t>(k) * n + n,
                v + static_cast<std::size_t>(k) * ldv);
    }
    return sweeps;
  }

  const int sweeps = bidiagonal_qr(n, w, e, anorm, nullptr, 0, 0, nullptr, 0, 0);
  sort_values(n, w, nullptr, 0, 0, nullptr, 0, 0);
  if (nvec == 0) return sweeps;

  // Vectors of the bidiagonal B by inverse iteration on its Golub–Kahan form
  // T (order 2n, zero diagonal, off-diagonal d0 e1 d1 e2 ...), whose
  // eigenvector for +sigma interleaves the right and left vectors of B.
  const int n2 = 2 * n;
  double* zs = rest;                                  // n2 x nvec
  double* off = zs + static_cast<std::size_t>(n2) * nvec;
  double* dl = off + n2;
  double* dd = dl + n2;
  double* du = dd + n2;
  double* du2 = du + n2;
  double* piv = du2 + n2;
  for (int i = 0; i < n; ++i) {
    off[2 * i] = dkeep[i];
    if (i < n - 1) off[2 * i + 1] = ekeep[i + 1];
  }
  const double tiny = std::max(anorm, 1e-300) * kEps;
  for (int k = 0; k < nvec; ++k) {
    double* z = zs + static_cast<std::size_t>(k) * n2;
    tgk_factor(n2, off, w[k], tiny, dl, dd, du, du2, piv);
    for (int i = 0; i < n2; ++i) z[i] = 1.0 + 0.5 * std::sin(0.7 * i + 0.3 * k);
    for (int it = 0; it < 3; ++it) {
      tgk_solve(n2, dl, dd, du, du2, piv, z);
      // Keep vectors of close (or equal) values apart.
      for (int j = 0; j < k; ++j) {
        const double* zj = zs + static_cast<std::size_t>(j) * n2;
        double s = 0;
        for (int i = 0; i < n2; ++i) s += zj[i] * z[i];
        for (int i = 0; i < n2; ++i) z[i] -= s * zj[i];
      }
      const double nz = norm2(n2, z);
      if (nz == 0) break;
      for (int i = 0; i < n2; ++i) z[i] /= nz;
    }
  }
  // Split each into right (v) and left (u) parts, then apply the reflectors.
  for (int k = 0; k < nvec; ++k) {
    const double* z = zs + static_cast<std::size_t>(k) * n2;
    double* uk = u + static_cast<std::size_t>(k) * ldu;
    double* vk = v + static_cast<std::size_t>(k) * ldv;
    for (int i = 0; i < n; ++i) {
      vk[i] = z[2 * i];
      uk[i] = z[2 * i + 1];
    }
    for (int i = n; i < m; ++i) uk[i] = 0;
    double nv = norm2(n, vk), nu = norm2(n, uk);
    if (nv > 0)
      for (int i = 0; i < n; ++i) vk[i] /= nv;
    if (nu > 0)
      for (int i = 0; i < n; ++i) uk[i] /= nu;
    // Left reflectors, last first: y <- H_i y.
    for (int i = n - 1; i >= 0; --i) {
      const double* ci = a + static_cast<std::size_t>(i) * lda;
      const double h = ci[i] * dkeep[i];
      if (h == 0) continue;
      const double f = dot(ci + i, uk + i, m - i) / h;
      for (int r = i; r < m; ++r) uk[r] += f * ci[r];
    }
    // Right reflectors (row i, columns i+1..n-1).
    for (int i = n - 2; i >= 0; --i) {
      const double h = a[static_cast<std::size_t>(i + 1) * lda + i] * ekeep[i + 1];
      if (h == 0) continue;
      double s = 0;
      for (int c = i + 1; c < n; ++c) s += a[static_cast<std::size_t>(c) * lda + i] * vk[c];
      const double f = s / h;
      for (int c = i + 1; c < n; ++c) vk[c] += f * a[static_cast<std::size_t>(c) * lda + i];
    }
  }
  return sweeps;
}

}  // namespace oscat::scaling
