#include "scaling/als.hpp"

#include <algorithm>
#include <cmath>

#include "scaling/linalg.hpp"

namespace oscat::scaling {

void ZYL_Moments(const double* x, const double* f, int K, double& N, double& mean, double& S) {
  N = 0;
  double sx = 0;
  for (int c = 0; c < K; ++c) {
    N += f[c];
    sx += f[c] * x[c];
  }
  mean = N > 0 ? sx / N : 0.0;
  S = 0;
  for (int c = 0; c < K; ++c) S += f[c] * (x[c] - mean) * (x[c] - mean);
}

void ZYL_Centroids(const int* codes, int n, const CategoryAggregates* agg, const int* suppl, bool with_suppl,
                   int j0, int j1, const double* X, int p, const double* objw, double* Y, int K) {
  auto wanted = [&](int j) { return with_suppl || suppl == nullptr || suppl[j] == 0; };
  auto Yj = [&](int j) { return Y + static_cast<long>(j) * K * p; };
  auto codesj = [&](int j) { return codes + static_cast<long>(j) * n; };
  for (int j = j0; j < j1; ++j)
    if (wanted(j))
      for (long i = 0; i < static_cast<long>(K) * p; ++i) Yj(j)[i] = 0.0;
  for (int b = 0; b < n; b += kObjectBlock) {
    const int e = std::min(n, b + kObjectBlock);
    int jpair = j0;
    if (p == 2) {
      // Two variables per sweep: their sums are independent chains, so the
      // processor overlaps them; each sum still runs in object order.
      for (; jpair + 1 < j1; jpair += 2) {
        const int ja = jpair, jb = jpair + 1;
        if (!wanted(ja) || !wanted(jb)) break;
        const int* ca = codesj(ja);
        const int* cb = codesj(jb);
        const unsigned Ka = static_cast<unsigned>(agg[ja].K), Kb = static_cast<unsigned>(agg[jb].K);
        double* ya0 = Yj(ja) - 1;  // indexed by the 1-based code
        double* ya1 = ya0 + K;
        double* yb0 = Yj(jb) - 1;
        double* yb1 = yb0 + K;
        const double* x0 = X;
        const double* x1 = X + n;
        for (int i = b; i < e; ++i) {
          const double w = objw[i];
          if (w == 0.0) continue;
          const double w0 = w * x0[i], w1 = w * x1[i];
          // Codes outside 1..K (as unsigned, 0 and negatives too) count nowhere.
          const unsigned a = static_cast<unsigned>(ca[i]) - 1u, c = static_cast<unsigned>(cb[i]) - 1u;
          if (a < Ka) {
            ya0[a + 1] += w0;
            ya1[a + 1] += w1;
          }
          if (c < Kb) {
            yb0[c + 1] += w0;
            yb1[c + 1] += w1;
          }
        }
      }
    }
    for (int j = jpair; j < j1; ++j) {
      if (!wanted(j)) continue;
      const int* cj = codesj(j);
      const int Kj = agg[j].K;
      double* Yv = Yj(j);
      if (p == 2) {
        const double* x0 = X;
        const double* x1 = X + n;
        double* y1 = Yv + K;
        for (int i = b; i < e; ++i) {
          const int c = cj[i];
          const double w = objw[i];
          if (c <= 0 || c > Kj || w == 0.0) continue;
          Yv[c - 1] += w * x0[i];
          y1[c - 1] += w * x1[i];
        }
      } else {
        for (int i = b; i < e; ++i) {
          const int c = cj[i];
          const double w = objw[i];
          if (c <= 0 || c > Kj || w == 0.0) continue;
          for (int s = 0; s < p; ++s) Yv[c - 1 + static_cast<long>(s) * K] += w * X[i + static_cast<long>(s) * n];
        }
      }
    }
  }
  for (int j = j0; j < j1; ++j) {
    if (!wanted(j)) continue;
    const CategoryAggregates& v = agg[j];
    double* Yv = Yj(j);
    for (int c = 0; c < v.K; ++c) {
      const double inv = v.f[c] > 0.0 ? 1.0 / v.f[c] : 0.0;
      for (int s = 0; s < p; ++s) Yv[c + static_cast<long>(s) * K] *= inv;
    }
  }
}

void ZYL_AccumulateScores(const int* codes, int n, int m, const CategoryAggregates* agg, const int* suppl,
                          const double* T, int K, int p, int i0, int i1, double* Z) {
  const long ld = K + 1;  // row 0 of every column: no category
  auto active = [&](int j) { return suppl == nullptr || suppl[j] == 0; };
  auto codesj = [&](int j) { return codes + static_cast<long>(j) * n; };
  // Code c of variable j adds row c of its columns, row 0 for codes outside
  // 1..K_j. Adding that +0.0 leaves a sum unchanged (a sum that starts at
  // +0.0 is never -0.0), so this is the skipping of such codes, bit for bit.
  auto row = [&](int j, int c) {
    const auto u = static_cast<unsigned>(c);
    return u <= static_cast<unsigned>(agg[j].K) ? static_cast<long>(u) : 0L;
  };
  for (int s = 0; s < p; ++s)
    for (int i = i0; i < i1; ++i) Z[i + static_cast<long>(s) * n] = 0.0;
  if (p == 2) {
    // Four variables per sweep over the objects, added in variable order.
    double* z0 = Z;
    double* z1 = Z + n;
    int group[4], count = 0;
    auto flush = [&] {
      const double* g[4][2];
      const int* cd[4];
      for (int k = 0; k < count; ++k) {
        g[k][0] = T + static_cast<long>(group[k]) * ld * 2;
        g[k][1] = g[k][0] + ld;
        cd[k] = codesj(group[k]);
      }
      if (count == 4) {
        for (int i = i0; i < i1; ++i) {
          const long r0 = row(group[0], cd[0][i]), r1 = row(group[1], cd[1][i]), r2 = row(group[2], cd[2][i]),
                     r3 = row(group[3], cd[3][i]);
          double t0 = z0[i], t1 = z1[i];
          t0 += g[0][0][r0];
          t1 += g[0][1][r0];
          t0 += g[1][0][r1];
          t1 += g[1][1][r1];
          t0 += g[2][0][r2];
          t1 += g[2][1][r2];
          t0 += g[3][0][r3];
          t1 += g[3][1][r3];
          z0[i] = t0;
          z1[i] = t1;
        }
      } else {
        for (int k = 0; k < count; ++k)
          for (int i = i0; i < i1; ++i) {
            const long r = row(group[k], cd[k][i]);
            z0[i] += g[k][0][r];
            z1[i] += g[k][1][r];
          }
      }
      count = 0;
    };
    for (int j = 0; j < m; ++j) {
      if (!active(j)) continue;
      group[count++] = j;
      if (count == 4) flush();
    }
    flush();
    return;
  }
  for (int j = 0; j < m; ++j) {
    if (!active(j)) continue;
    const int* cj = codesj(j);
    const double* G = T + static_cast<long>(j) * ld * p;
    for (int i = i0; i < i1; ++i) {
      const long r = row(j, cj[i]);
      for (int s = 0; s < p; ++s) Z[i + static_cast<long>(s) * n] += G[r + s * ld];
    }
  }
}

FitLoss ZYL_FitLoss(int m, int p, const CategoryAggregates* agg, const ScalingLevelRecord* lev, bool all_multiple,
                    const int* suppl, const double* vaf, const double* eta) {
  double Fs = 0, Fm = 0, Ws = 0, Wm = 0, Es = 0;
  for (int j = 0; j < m; ++j) {
    if (suppl != nullptr && suppl[j] != 0) continue;
    const double w = std::trunc(agg[j].w);
    const double* e = eta + static_cast<long>(j) * p;
    if (all_multiple || lev[j].mlevel == MNOMINAL) {
      Wm += w;
      for (int s = 0; s < p; ++s) Fm += e[s];
    } else {
      Ws += w;
      Fs += vaf[j];
      for (int s = 0; s < p; ++s) Es += agg[j].w * e[s];
    }
  }
  Fm /= p;
  FitLoss r;
  r.fit = Fs + Fm;
  r.restricted = Es - Fs;
  r.centroid = p * Ws + Wm - Fm - Es;
  r.loss = r.restricted + r.centroid;
  return r;
}

int CPR_Orthonorm(int n, int p, const double* objw, double* Z, double* X, double* root, double* V,
                  double* work) {
  double* P = work;           // p x p
  double* Ph = work + p * p;  // p x p
  double* e = Ph + p * p;     // p
  double sw = 0;
  for (int i = 0; i < n; ++i) sw += objw[i];
  for (int s = 0; s < p; ++s) {
    double* zs = Z + static_cast<long>(s) * n;
    double sum = 0;
    for (int i = 0; i < n; ++i) sum += objw[i] * zs[i];
    // Supplementary rows are shifted by the same mean so that their scores
    // stay on the active objects' scale.
    const double mean = sw > 0 ? sum / sw : 0.0;
    for (int i = 0; i < n; ++i) zs[i] -= mean;
  }
  for (int s = 0; s < p; ++s)
    for (int t = 0; t <= s; ++t) {
      const double* zs = Z + static_cast<long>(s) * n;
      const double* zt = Z + static_cast<long>(t) * n;
      double v = 0;
      for (int i = 0; i < n; ++i) v += objw[i] * zs[i] * zt[i];
      P[s + t * p] = P[t + s * p] = v;
    }
  for (int i = 0; i < p * p; ++i) V[i] = P[i];
  if (SymEigen(p, V, p, root, e) != 0) return 1;
  for (int k = 0; k < p; ++k) {
    const double lam = root[k];
    e[k] = lam > kRankTolerance ? 1.0 / std::sqrt(lam) : 0.0;
    root[k] = lam > kRankTolerance ? std::sqrt(lam) : 0.0;
  }
  for (int s = 0; s < p; ++s)
    for (int t = 0; t < p; ++t) {
      double v = 0;
      for (int k = 0; k < p; ++k) v += V[s + k * p] * e[k] * V[t + k * p];
      Ph[s + t * p] = v;
    }
  MatMul('N', 'N', n, p, p, 1.0, Z, n, Ph, p, 0.0, X, n);
  return 0;
}

void CPR_RandomStart(int n, int p, const double* objw, bool weighted, double* X, std::int64_t& seed,
                     double (*random)(void*), void* state) {
  // The congruential generator's multiplier and modulus.
  constexpr std::int64_t kMul = 125, kMod = 2796203;
  for (int s = 0; s < p; ++s)
    for (int i = 0; i < n; ++i) {
      double v = 0.0;
      if (!weighted || objw[i] != 0.0) {
        if (random != nullptr) {
          v = random(state);
        } else {
          seed = (kMul * seed) % kMod;
          v = 2.0 * static_cast<double>(seed) / static_cast<double>(kMod) - 1.0;
        }
      }
      X[i + static_cast<long>(s) * n] = v;
    }
}

void IndicatorSums(const int* codes, int n, const double* X, int ldx, int p, double* Y, int ldy, int K, int bound,
                   Into mode) {
  if (mode == Into::Replace)
    for (int s = 0; s < p; ++s)
      for (int c = 0; c < K; ++c) Y[c + static_cast<long>(s) * ldy] = 0.0;
  for (int i = 0; i < n; ++i) {
    const int c = codes[i];
    if (c <= 0 || (bound > 0 && c > bound)) continue;
    for (int s = 0; s < p; ++s) Y[c - 1 + static_cast<long>(s) * ldy] += X[i + static_cast<long>(s) * ldx];
  }
}

void IndicatorScatter(const int* codes, int n, const double* Y, int ldy, int p, double* Z, int ldz, int bound,
                      Into mode) {
  for (int i = 0; i < n; ++i) {
    const int c = codes[i];
    const bool counted = c > 0 && !(bound > 0 && c > bound);
    for (int s = 0; s < p; ++s) {
      double& z = Z[i + static_cast<long>(s) * ldz];
      const double y = counted ? Y[c - 1 + static_cast<long>(s) * ldy] : 0.0;
      z = mode == Into::Add ? z + y : y;
    }
  }
}

}  // namespace oscat::scaling
