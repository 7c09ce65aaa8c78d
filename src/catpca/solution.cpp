#include "catpca/solution.hpp"

#include <algorithm>
#include <cmath>
#include <utility>

#include "host/host.hpp"
#include "scaling/linalg.hpp"

namespace oscat::catpca {

void CPR_Normalize(int n, int p, int m, double* X, int ldx, double* A, const double* lambda,
                   double e_obj, double e_var, bool fixed_scores) {
  for (int s = 0; s < p; ++s) {
    if (!(lambda[s] > 0)) continue;
    if (!fixed_scores) {
      const double fx = std::pow(lambda[s], e_obj / 2);
      for (int i = 0; i < n; ++i) X[i + static_cast<long>(s) * ldx] *= fx;
    }
    const double fa = std::pow(lambda[s], e_var / 2 - 0.5);
    for (int j = 0; j < m; ++j) A[s + static_cast<long>(j) * p] *= fa;
  }
}

namespace {

double orthomax_criterion(int r, int p, const double* L, int ldl, double gamma, bool quartimax) {
  double V = 0;
  for (int s = 0; s < p; ++s) {
    double s2 = 0, s4 = 0;
    for (int i = 0; i < r; ++i) {
      const double a2 = L[i + static_cast<long>(s) * ldl] * L[i + static_cast<long>(s) * ldl];
      s2 += a2;
      s4 += a2 * a2;
    }
    V += r * s4 - gamma * s2 * s2;
  }
  return quartimax ? V / r : V;
}

void rotate_pair(int rows, double* x, double* y, double c, double sn) {
  for (int i = 0; i < rows; ++i) {
    const double a = x[i], b = y[i];
    x[i] = c * a + sn * b;
    y[i] = -sn * a + c * b;
  }
}

// Columns of L (r x p) with a negative sum are reflected, then the columns are
// ordered by decreasing sum of squares (exchange sort); T's columns follow.
void reflect_and_order(int r, int p, double* L, int ldl, double* T) {
  auto col = [&](int s) { return L + static_cast<long>(s) * ldl; };
  for (int s = 0; s < p; ++s) {
    double sum = 0;
    for (int i = 0; i < r; ++i) sum += col(s)[i];
    if (sum < 0) {
      for (int i = 0; i < r; ++i) col(s)[i] = -col(s)[i];
      for (int k = 0; k < p; ++k) T[k + s * p] = -T[k + s * p];
    }
  }
  auto ss = [&](int s) {
    double v = 0;
    for (int i = 0; i < r; ++i) v += col(s)[i] * col(s)[i];
    return v;
  };
  for (int s = 0; s < p - 1; ++s)
    for (int t = s + 1; t < p; ++t)
      if (ss(t) > ss(s)) {
        for (int i = 0; i < r; ++i) std::swap(col(s)[i], col(t)[i]);
        for (int k = 0; k < p; ++k) std::swap(T[k + s * p], T[k + t * p]);
      }
}

}  // namespace

int CPR_Orthomax(int r, int p, double* L, int ldl, double gamma, bool quartimax, bool kaiser,
                 double* T, double* h2, double* work) {
  auto col = [&](int s) { return L + static_cast<long>(s) * ldl; };
  for (int s = 0; s < p; ++s)
    for (int t = 0; t < p; ++t) T[s + t * p] = s == t ? 1.0 : 0.0;
  for (int i = 0; i < r; ++i) {
    double h = 0;
    for (int s = 0; s < p; ++s) h += col(s)[i] * col(s)[i];
    h2[i] = h;
    work[i] = h > 0 ? std::sqrt(h) : 0.0;
    if (kaiser)
      for (int s = 0; s < p; ++s) col(s)[i] = work[i] > 0 ? col(s)[i] / work[i] : 0.0;
  }
  double Vprev = -1;
  int iterations = -25;
  for (int it = 1; it <= 25; ++it) {
    for (int s = 0; s < p - 1; ++s)
      for (int t = s + 1; t < p; ++t) {
        double Su = 0, Sv = 0, Sc = 0, Sd = 0;
        for (int i = 0; i < r; ++i) {
          const double a = col(s)[i], b = col(t)[i];
          const double u = a * a - b * b, v = 2 * a * b;
          Su += u;
          Sv += v;
          Sc += u * u - v * v;
          Sd += 2 * u * v;
        }
        double num = Sd - 2 * gamma * Su * Sv / r;
        const double den = Sc - gamma * (Su * Su - Sv * Sv) / r;
        if (num == 0 && den == 0) num = 1e-6;
        const double phi = std::atan2(num, den) / 4;
        const double sn = std::sin(phi);
        if (std::fabs(sn) <= 1e-15) continue;
        const double c = std::cos(phi);
        rotate_pair(r, col(s), col(t), c, sn);
        rotate_pair(p, T + s * p, T + t * p, c, sn);
      }
    const double V = orthomax_criterion(r, p, L, ldl, gamma, quartimax);
    if (std::fabs(V - Vprev) <= 1e-4) {
      iterations = it;
      break;
    }
    Vprev = V;
  }
  if (kaiser)
    for (int i = 0; i < r; ++i)
      for (int s = 0; s < p; ++s) col(s)[i] *= work[i];
  reflect_and_order(r, p, L, ldl, T);
  for (int i = 0; i < r; ++i) {
    double h = 0;
    for (int s = 0; s < p; ++s) h += col(s)[i] * col(s)[i];
    h2[i] = h;
  }
  return iterations;
}

namespace {

// Inverse of the symmetric positive definite n x n matrix `a` through its
// Cholesky factor; `l` is n x n scratch. False when a pivot is not clearly
// positive (the matrix is singular or indefinite for this purpose).
bool chol_inverse(int n, const double* a, double* inv, double* l) {
  for (int k = 0; k < n * n; ++k) l[k] = 0;
  for (int j = 0; j < n; ++j)
    for (int i = j; i < n; ++i) {
      double x = a[i + j * n];
      for (int k = 0; k < j; ++k) x -= l[i + k * n] * l[j + k * n];
      if (i == j) {
        if (!(a[j + j * n] > 0) || !(x > 1e-12 * a[j + j * n])) return false;
        l[j + j * n] = std::sqrt(x);
      } else {
        l[i + j * n] = x / l[j + j * n];
      }
    }
  // L^-1 in place (lower triangle), then inv = L^-T L^-1.
  for (int j = 0; j < n; ++j) {
    l[j + j * n] = 1 / l[j + j * n];
    for (int i = j + 1; i < n; ++i) {
      double x = 0;
      for (int k = j; k < i; ++k) x += l[i + k * n] * l[k + j * n];
      l[i + j * n] = -x / l[i + i * n];
    }
  }
  for (int s = 0; s < n; ++s)
    for (int t = 0; t < n; ++t) {
      double x = 0;
      for (int k = std::max(s, t); k < n; ++k) x += l[k + s * n] * l[k + t * n];
      inv[s + t * n] = x;
    }
  return true;
}

// Common end of the oblique rotations: rows scaled back (Kaiser), columns
// reflected to a non-negative sum and ordered by decreasing sum of squares
// (T follows), then Phi = T'T and the communalities diag(P Phi P').
void finish_oblique(int r, int p, double* L, int ldl, const double* scale, double* T, double* Phi,
                    double* h2) {
  auto col = [&](int s) { return L + static_cast<long>(s) * ldl; };
  if (scale != nullptr)
    for (int i = 0; i < r; ++i)
      for (int s = 0; s < p; ++s) col(s)[i] *= scale[i];
  reflect_and_order(r, p, L, ldl, T);
  for (int s = 0; s < p; ++s)
    for (int t = 0; t < p; ++t) {
      double x = 0;
      for (int k = 0; k < p; ++k) x += T[k + s * p] * T[k + t * p];
      Phi[s + t * p] = x;
    }
  for (int i = 0; i < r; ++i) {
    double h = 0;
    for (int s = 0; s < p; ++s)
      for (int t = 0; t < p; ++t) h += col(s)[i] * Phi[s + t * p] * col(t)[i];
    h2[i] = h;
  }
}

// Kaiser normalization: scale[i] = sqrt(h2_i) and row i divided by it (rows
// without communality become 0).
void kaiser_rows(int r, int p, double* L, int ldl, const double* h2, double* scale) {
  for (int i = 0; i < r; ++i) {
    scale[i] = h2[i] > 0 ? std::sqrt(h2[i]) : 0.0;
    for (int s = 0; s < p; ++s) {
      double& a = L[i + static_cast<long>(s) * ldl];
      a = scale[i] > 0 ? a / scale[i] : 0.0;
    }
  }
}

// Quartic c1 g + c2 g^2 + c3 g^3 + c4 g^4 (value 0 at g = 0).
double quartic(const double* c, double g) { return g * (c[1] + g * (c[2] + g * (c[3] + g * c[4]))); }

// The step g that minimizes the quartic over the real roots of its cubic
// derivative; 0 when no root lowers it.
double quartic_min(const double* c) {
  double roots[3];
  int nr = 0;
  const double scale = std::fabs(c[1]) + std::fabs(c[2]) + std::fabs(c[3]);
  if (!(c[4] > 1e-12 * scale) || !(c[4] > 0)) {
    // Not a proper quartic (a column without spread): the quadratic step.
    if (c[2] > 0) roots[nr++] = -c[1] / (2 * c[2]);
  } else {
    const double a = 3 * c[3] / (4 * c[4]), b = 2 * c[2] / (4 * c[4]), cc = c[1] / (4 * c[4]);
    const double Q = (a * a - 3 * b) / 9, R = (2 * a * a * a - 9 * a * b + 27 * cc) / 54;
    if (R * R < Q * Q * Q) {
      const double th = std::acos(std::clamp(R / std::sqrt(Q * Q * Q), -1.0, 1.0));
      const double sq = -2 * std::sqrt(Q), pi2 = 2 * 3.14159265358979323846;
      roots[nr++] = sq * std::cos(th / 3) - a / 3;
      roots[nr++] = sq * std::cos((th + pi2) / 3) - a / 3;
      roots[nr++] = sq * std::cos((th - pi2) / 3) - a / 3;
    } else {
      const double A = -std::copysign(std::cbrt(std::fabs(R) + std::sqrt(R * R - Q * Q * Q)), R);
      const double B = A != 0 ? Q / A : 0.0;
      roots[nr++] = A + B - a / 3;
    }
  }
  double best = 0, fbest = 0;
  for (int k = 0; k < nr; ++k) {
    if (!std::isfinite(roots[k])) continue;
    const double f = quartic(c, roots[k]);
    if (f < fbest) {
      fbest = f;
      best = roots[k];
    }
  }
  return best;
}

}  // namespace

double CPR_ObliminCriterion(int r, int p, const double* L, int ldl, double delta) {
  double f = 0;
  for (int s = 0; s < p - 1; ++s)
    for (int t = s + 1; t < p; ++t) {
      double cross = 0, ss = 0, tt = 0;
      for (int i = 0; i < r; ++i) {
        const double a2 = L[i + static_cast<long>(s) * ldl] * L[i + static_cast<long>(s) * ldl];
        const double b2 = L[i + static_cast<long>(t) * ldl] * L[i + static_cast<long>(t) * ldl];
        cross += a2 * b2;
        ss += a2;
        tt += b2;
      }
      f += cross - delta / r * ss * tt;
    }
  return f;
}

int CPR_Oblimin(int r, int p, double* L, int ldl, double delta, bool kaiser, double* T, double* Phi,
                double* h2, double* work) {
  auto col = [&](int s) { return L + static_cast<long>(s) * ldl; };
  double* scale = work;
  for (int s = 0; s < p; ++s)
    for (int t = 0; t < p; ++t) T[s + t * p] = Phi[s + t * p] = s == t ? 1.0 : 0.0;
  for (int i = 0; i < r; ++i) {
    double h = 0;
    for (int s = 0; s < p; ++s) h += col(s)[i] * col(s)[i];
    h2[i] = h;
  }
  if (kaiser) kaiser_rows(r, p, L, ldl, h2, scale);
  const double d = r > 0 ? delta / r : 0.0;
  double Vprev = -1;
  int iterations = -25;
  for (int it = 1; it <= 25; ++it) {
    // Pairwise step: component t moves towards component s, t' = (t + g s)/k.
    // Then pattern column s loses g times column t and column t is scaled by
    // k = |t + g s|, so the criterion is a quartic in g.
    for (int s = 0; s < p; ++s)
      for (int t = 0; t < p; ++t) {
        if (s == t) continue;
        double Sx2W = 0, SxyW = 0, Sy2W = 0, Sx2y2 = 0, Sxy3 = 0, Sy4 = 0, Sx2 = 0, Sxy = 0, Sy2 = 0, SW = 0;
        for (int i = 0; i < r; ++i) {
          double W = 0;
          for (int u = 0; u < p; ++u)
            if (u != s && u != t) W += col(u)[i] * col(u)[i];
          const double x = col(s)[i], y = col(t)[i];
          Sx2W += x * x * W;
          SxyW += x * y * W;
          Sy2W += y * y * W;
          Sx2y2 += x * x * y * y;
          Sxy3 += x * y * y * y;
          Sy4 += y * y * y * y;
          Sx2 += x * x;
          Sxy += x * y;
          Sy2 += y * y;
          SW += W;
        }
        const double phi = Phi[s + t * p];
        const double a1 = -2 * SxyW + 2 * d * Sxy * SW, a2 = Sy2W - d * Sy2 * SW;
        const double e0 = a2 + Sx2y2 - d * Sx2 * Sy2;
        const double e1 = -2 * Sxy3 + 2 * d * Sxy * Sy2, e2 = Sy4 - d * Sy2 * Sy2;
        const double c[5] = {0, a1 + e1 + 2 * phi * e0, a2 + e2 + 2 * phi * e1 + e0, 2 * phi * e2 + e1, e2};
        const double g = quartic_min(c);
        const double k2 = 1 + 2 * phi * g + g * g;
        if (g == 0 || !(k2 > 1e-8)) continue;
        const double k = std::sqrt(k2);
        for (int i = 0; i < r; ++i) {
          col(s)[i] -= g * col(t)[i];
          col(t)[i] *= k;
        }
        for (int u = 0; u < p; ++u) T[u + t * p] = (T[u + t * p] + g * T[u + s * p]) / k;
        for (int u = 0; u < p; ++u) {
          double x = 0;
          for (int v = 0; v < p; ++v) x += T[v + t * p] * T[v + u * p];
          Phi[t + u * p] = Phi[u + t * p] = u == t ? 1.0 : x;
        }
      }
    const double V = CPR_ObliminCriterion(r, p, L, ldl, delta);
    if (std::fabs(V - Vprev) <= 1e-4) {
      iterations = it;
      break;
    }
    Vprev = V;
  }
  finish_oblique(r, p, L, ldl, kaiser ? scale : nullptr, T, Phi, h2);
  return iterations;
}

int CPR_Promax(int r, int p, double* L, int ldl, double kappa, bool kaiser, double* T, double* Phi,
               double* h2, double* work, int* ipiv) {
  auto col = [&](int s) { return L + static_cast<long>(s) * ldl; };
  const long pp = static_cast<long>(p) * p;
  double* tgt = work;
  double* scale = tgt + static_cast<long>(r) * p;
  double* V = scale + 2L * r;
  double* BtB = V + pp;
  double* Binv = BtB + pp;
  double* BtP = Binv + pp;
  double* U = BtP + pp;
  double* C = U + pp;
  double* Cinv = C + pp;
  double* S = Cinv + pp;  // scratch: Cholesky factor, LU factors
  double* vec = S + pp;   // 2p
  const int iters = CPR_Orthomax(r, p, L, ldl, 1.0, false, true, V, h2, scale);
  if (kaiser) kaiser_rows(r, p, L, ldl, h2, scale);
  for (int s = 0; s < p; ++s)
    for (int i = 0; i < r; ++i) {
      const double b = col(s)[i];
      tgt[i + static_cast<long>(s) * r] = std::copysign(std::pow(std::fabs(b), kappa), b);
    }
  // U = (B'B)^-1 B'P: the least-squares transformation of B towards P.
  for (int s = 0; s < p; ++s)
    for (int t = 0; t < p; ++t) {
      double x = 0, y = 0;
      for (int i = 0; i < r; ++i) {
        x += col(s)[i] * col(t)[i];
        y += col(s)[i] * tgt[i + static_cast<long>(t) * r];
      }
      BtB[s + t * p] = x;
      BtP[s + t * p] = y;
    }
  if (!chol_inverse(p, BtB, Binv, S)) return 0;
  scaling::MatMul('N', 'N', p, p, p, 1.0, Binv, p, BtP, p, 0.0, U, p);
  scaling::MatMul('T', 'N', p, p, p, 1.0, U, p, U, p, 0.0, C, p);
  if (!chol_inverse(p, C, Cinv, S)) return 0;
  // Columns scaled so that the components have unit variance.
  for (int s = 0; s < p; ++s) {
    const double f = std::sqrt(Cinv[s + s * p]);
    for (int k = 0; k < p; ++k) U[k + s * p] *= f;
  }
  // Pattern = B U; the components are the unrotated ones times V U^-T.
  scaling::MatMul('N', 'N', r, p, p, 1.0, L, ldl, U, p, 0.0, tgt, r);
  for (int s = 0; s < p; ++s)
    for (int i = 0; i < r; ++i) col(s)[i] = tgt[i + static_cast<long>(s) * r];
  for (long k = 0; k < pp; ++k) S[k] = U[k];
  if (scaling::LuDecomp(p, S, p, ipiv) != 0) return 0;
  scaling::LuInverse(p, S, p, ipiv, C, p, vec);
  scaling::MatMul('N', 'T', p, p, p, 1.0, V, p, C, p, 0.0, T, p);
  for (long k = 0; k < pp; ++k)
    if (!std::isfinite(T[k])) return 0;
  for (int s = 0; s < p; ++s)
    for (int i = 0; i < r; ++i)
      if (!std::isfinite(col(s)[i])) return 0;
  finish_oblique(r, p, L, ldl, kaiser ? scale : nullptr, T, Phi, h2);
  return iters;
}

double CPR_CronbachAlphaOblique(double M, double lambda, double sigma) {
  if (M == 1) return host::SYSMIS;
  if (sigma == 0) return 0.0;
  return M / (M - 1) * (1 - lambda / sigma);
}

double CPR_CronbachAlpha(double M, double lambda) {
  if (lambda == 0) return 0.0;
  if (M == 1) return host::SYSMIS;  // one variable: alpha is undefined
  return M * (lambda - 1) / ((M - 1) * lambda);
}

}  // namespace oscat::catpca
