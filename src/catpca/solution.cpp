#include "catpca/solution.hpp"

#include <cmath>
#include <utility>

#include "host/host.hpp"

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
  // Reflect columns with a negative sum, then order by decreasing sum of squares.
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
  for (int i = 0; i < r; ++i) {
    double h = 0;
    for (int s = 0; s < p; ++s) h += col(s)[i] * col(s)[i];
    h2[i] = h;
  }
  return iterations;
}

double CPR_CronbachAlpha(double M, double lambda) {
  if (lambda == 0) return 0.0;
  if (M == 1) return host::SYSMIS;  // one variable: alpha is undefined
  return M * (lambda - 1) / ((M - 1) * lambda);
}

}  // namespace oscat::catpca
