#include "scaling/homogeneity.hpp"

#include <cmath>

namespace oscat::scaling {

void HomFixedStart(int n, int p, double* X) {
  // 2 / 2796203, so that s in 1..2796202 maps into (-1, 1).
  constexpr double kScale = 7.152556520395694e-07;
  std::int64_t s = 315747;
  for (long k = 0; k < static_cast<long>(n) * p; ++k) {
    s = (125 * s) % 2796203;
    X[k] = static_cast<double>(s) * kScale - 1.0;
  }
}

void HomCentre(int n, int p, const double* counts, double c, double* X) {
  for (int s = 0; s < p; ++s) {
    double* x = X + static_cast<long>(s) * n;
    double t = 0;
    for (int i = 0; i < n; ++i) t += x[i];
    for (int i = 0; i < n; ++i) x[i] -= counts[i] * t * c;
  }
}

void HomScaleRows(int n, int p, const double* d, const double* A, double* B) {
  for (int s = 0; s < p; ++s)
    for (int i = 0; i < n; ++i) B[i + static_cast<long>(s) * n] = d[i] * A[i + static_cast<long>(s) * n];
}

double HomWeightedSS(const double* f, const double* y, int K) {
  double v = 0;
  for (int c = 0; c < K; ++c) v += f[c] * y[c] * y[c];
  return v;
}

int HomGramSchmidt(int n, int p, double* X) {
  auto col = [&](int s) { return X + static_cast<long>(s) * n; };
  int s = 0;
  while (s < p) {
    double* x = col(s);
    double ss = 0;
    for (int i = 0; i < n; ++i) ss += x[i] * x[i];
    if (ss <= kHomRankTolerance) {
      for (int t = s + 1; t < p; ++t) {
        const double* from = col(t);
        double* to = col(t - 1);
        for (int i = 0; i < n; ++i) to[i] = from[i];
      }
      --p;
      continue;
    }
    const double len = std::sqrt(ss);
    for (int i = 0; i < n; ++i) x[i] /= len;
    for (int t = s + 1; t < p; ++t) {
      double* y = col(t);
      double proj = 0;
      for (int i = 0; i < n; ++i) proj += x[i] * y[i];
      for (int i = 0; i < n; ++i) y[i] -= proj * x[i];
    }
    ++s;
  }
  return p;
}

namespace {
// Objects per block: a block of X with two dimensions and its codes fit in
// the first-level cache.
constexpr int kHomBlock = 1024;
}  // namespace

void HomCategorySums(const int* codes, int n, int m, const long* off, const int* K, const double* X, int p,
                     double* Y, int s0, int s1) {
  for (int j = 0; j < m; ++j) {
    double* Yj = Y + off[j] * p;
    for (long k = static_cast<long>(K[j]) * s0; k < static_cast<long>(K[j]) * s1; ++k) Yj[k] = 0.0;
  }
  for (int b = 0; b < n; b += kHomBlock) {
    const int e = n - b < kHomBlock ? n : b + kHomBlock;
    for (int j = 0; j < m; ++j) {
      const int* cj = codes + static_cast<long>(j) * n;
      double* Yj = Y + off[j] * p;
      const int Kj = K[j];
      for (int s = s0; s < s1; ++s) {
        const double* x = X + static_cast<long>(s) * n;
        double* y = Yj + static_cast<long>(s) * Kj - 1;
        for (int i = b; i < e; ++i) {
          const int c = cj[i];
          if (c > 0 && c <= Kj) y[c] += x[i];
        }
      }
    }
  }
}

void HomScatterSum(const int* codes, int n, int m, const long* off, const int* K, const double* Y, int p,
                   double* Z, int s0, int s1) {
  for (int b = 0; b < n; b += kHomBlock) {
    const int e = n - b < kHomBlock ? n : b + kHomBlock;
    for (int s = s0; s < s1; ++s)
      for (int i = b; i < e; ++i) Z[i + static_cast<long>(s) * n] = 0.0;
    for (int j = 0; j < m; ++j) {
      const int* cj = codes + static_cast<long>(j) * n;
      const int Kj = K[j];
      for (int s = s0; s < s1; ++s) {
        const double* y = Y + off[j] * p + static_cast<long>(s) * Kj - 1;
        double* z = Z + static_cast<long>(s) * n;
        for (int i = b; i < e; ++i) {
          const int c = cj[i];
          z[i] += c > 0 && c <= Kj ? y[c] : 0.0;
        }
      }
    }
  }
}

void HomCrossTable(const int* a, const int* b, int n, int Ka, int Kb, double* C) {
  for (long k = 0; k < static_cast<long>(Ka) * Kb; ++k) C[k] = 0.0;
  for (int i = 0; i < n; ++i) {
    const int c = a[i], d = b[i];
    if (c > 0 && c <= Ka && d > 0 && d <= Kb) C[c - 1 + static_cast<long>(d - 1) * Ka] += 1.0;
  }
}

void HomResidualSums(const int* codes, int n, const double* X, const double* S, int p, double* Y, int K) {
  for (long k = 0; k < static_cast<long>(K) * p; ++k) Y[k] = 0.0;
  for (int s = 0; s < p; ++s) {
    const double* x = X + static_cast<long>(s) * n;
    const double* z = S + static_cast<long>(s) * n;
    double* y = Y + static_cast<long>(s) * K - 1;
    for (int i = 0; i < n; ++i) {
      const int c = codes[i];
      if (c > 0 && c <= K) y[c] += x[i] - z[i];
    }
  }
}

void HomReplaceScatter(const int* codes, int n, const double* Yold, const double* Ynew, int K, int p, double* S) {
  for (int s = 0; s < p; ++s) {
    const double* yo = Yold + static_cast<long>(s) * K - 1;
    const double* yn = Ynew + static_cast<long>(s) * K - 1;
    double* z = S + static_cast<long>(s) * n;
    for (int i = 0; i < n; ++i) {
      const int c = codes[i];
      const bool in = c > 0 && c <= K;
      z[i] = (z[i] + (in ? -yo[c] : 0.0)) + (in ? yn[c] : 0.0);
    }
  }
}

}  // namespace oscat::scaling
