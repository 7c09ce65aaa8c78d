#include "scaling/quantify.hpp"

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>

#include "scaling/als.hpp"
#include "scaling/tolerances.hpp"

namespace oscat::scaling {

// ------------------------------------------------------------ spline set-up

int ZYL_SplineColumns(int m, const ScalingLevelRecord* lev) {
  int cols = 0;
  for (int j = 0; j < m; ++j)
    if (is_spline(lev[j].mlevel)) cols += std::max(0, lev[j].inknot) + std::max(0, lev[j].degree);
  return cols;
}

void ZYL_PlaceKnots(int k, int d, int nprime, const double* v, double* t) {
  const double lo = v[0], hi = v[nprime - 1];
  for (int i = 0; i < d; ++i) {
    t[i] = lo;
    t[d + k + i] = hi;
  }
  // Interior knots at equally spaced ranks, interpolated between the values
  // of neighbouring categories (1-based ranks in the formula).
  for (int m = 1; m <= k; ++m) {
    const double r = m * static_cast<double>(nprime + 1) / (k + 1);
    int i = static_cast<int>(r);
    i = std::clamp(i, 1, nprime);
    const double vi = v[i - 1];
    const double vn = i < nprime ? v[i] : vi;
    t[d + m - 1] = vi + (vn - vi) * (r - i);
  }
}

void ZYL_ISplineBasis(int k, int d, double lo, double hi, const double* interior, int Kp,
                      const double* x, double* B, int ldb, double* work) {
  const int M = k + d;
  for (int c = 0; c < Kp; ++c)
    for (int m = 0; m < M; ++m) B[c + static_cast<long>(m) * ldb] = 0.0;
  if (Kp < 1 || M < 1) return;
  if (!(hi > lo)) return;  // a single value: no basis to speak of
  // Full knot vector tau(1..k+2d+2): boundaries repeated d+1 times.
  auto tau = [&](int i) -> double {
    if (i <= d + 1) return lo;
    if (i >= k + d + 2) return hi;
    return interior[i - d - 2];
  };
  double* biatx = work;          // d + 1
  double* tr = work + d + 1;     // d
  double* tl = tr + d;           // d
  for (int c = 0; c < Kp; ++c) {
    const double xc = std::clamp(x[c], lo, hi);
    int left = k + d + 1;
    while (left > d + 1 && (tau(left) > xc || !(tau(left) < tau(left + 1)))) --left;
    // Cox-de Boor: the d+1 B-splines of degree d that live on interval `left`.
    biatx[0] = 1.0;
    for (int j = 1; j <= d; ++j) {
      tr[j - 1] = tau(left + j) - xc;
      tl[j - 1] = xc - tau(left + 1 - j);
      double saved = 0.0;
      for (int i = 1; i <= j; ++i) {
        const double den = tr[i - 1] + tl[j - i];
        const double term = den != 0.0 ? biatx[i - 1] / den : 0.0;
        biatx[i - 1] = saved + tr[i - 1] * term;
        saved = tl[j - i] * term;
      }
      biatx[j] = saved;
    }
    // I-spline m (1-based) is the sum of the B-splines m+1 .. k+d+1; the
    // non-zero ones are left-d .. left (biatx[0..d]).
    for (int m = 1; m <= M; ++m) {
      double val;
      if (m < left - d) {
        val = 1.0;
      } else if (m >= left) {
        val = 0.0;
      } else {
        val = 0.0;
        for (int l = m + 1; l <= left; ++l) val += biatx[l - (left - d)];
      }
      B[c + static_cast<long>(m - 1) * ldb] = val;
    }
  }
}

int ZYL_SplineSetup(const SplineSetupArgs& a) {
  int col = 0, cof = 0;
  for (int j = 0; j < a.m; ++j) {
    a.col_offset[j] = -1;
    a.coef_offset[j] = -1;
    if (a.lowered != nullptr) a.lowered[j] = 0;
    ScalingLevelRecord& L = a.lev[j];
    if (!is_spline(L.mlevel)) continue;
    const CategoryAggregates& v = a.agg[j];
    const int Kp = v.active();
    int nempty = 0;
    for (int c = 0; c < Kp; ++c)
      if (v.f[c] == 0.0) ++nempty;
    int kmax = std::max(0, Kp - 2);
    if (a.skip_empty) kmax = std::max(0, kmax - nempty);
    if (L.inknot > kmax) {
      L.inknot = kmax;
      if (a.lowered != nullptr) a.lowered[j] = 1;
    }
    const int k = std::max(0, L.inknot), d = std::max(0, L.degree), M = k + d;
    // Candidate values for the knots.
    double* vals = a.work;
    int np = 0;
    for (int c = 0; c < Kp; ++c)
      if (!a.skip_empty || v.f[c] != 0.0) vals[np++] = v.x[c];
    double* t = a.work + a.kmax;
    double* scratch = t + k + 2 * d;
    double* B = a.basis + static_cast<long>(col) * a.kmax;
    if (np >= 1) {
      ZYL_PlaceKnots(k, d, np, vals, t);
      ZYL_ISplineBasis(k, d, vals[0], vals[np - 1], t + d, Kp, v.x, B, a.kmax, scratch);
    } else {
      for (int m = 0; m < M; ++m)
        for (int c = 0; c < a.kmax; ++c) B[c + static_cast<long>(m) * a.kmax] = 0.0;
    }
    for (int c = Kp; c < a.kmax; ++c)
      for (int m = 0; m < M; ++m) B[c + static_cast<long>(m) * a.kmax] = 0.0;
    a.col_offset[j] = col;
    a.coef_offset[j] = cof;
    // Start coefficients: equal shares, no intercept.
    for (int m = 0; m < M; ++m) a.coef[cof + m] = 1.0 / M;
    a.coef[cof + M] = 0.0;
    // Centre each column over the active categories; the centred columns make
    // an intercept unnecessary unless an extra category is present.
    double Np = 0;
    for (int c = 0; c < Kp; ++c) Np += v.f[c];
    for (int m = 0; m < M; ++m) {
      double* Bm = B + static_cast<long>(m) * a.kmax;
      double mean = 0, dm = 0;
      if (Np > 0) {
        for (int c = 0; c < Kp; ++c) mean += v.f[c] * Bm[c];
        mean /= Np;
      }
      for (int c = 0; c < Kp; ++c) {
        Bm[c] -= mean;
        dm += v.f[c] * Bm[c] * Bm[c];
      }
      a.D[col + m] = Kp < 1 ? 0.0 : dm;
    }
    col += M;
    cof += M + 1;
  }
  return 0;
}

// ------------------------------------------------------ per-variable steps

void ZYL_NormQuant(double* q, const double* f, int K, double cnorm) {
  double ss = 0;
  for (int c = 0; c < K; ++c) ss += f[c] * q[c] * q[c];
  double s = 0.0;
  if (cnorm > kZeroSumOfSquares && ss > kZeroSumOfSquares) s = std::sqrt(ss / cnorm);
  if (s > kZeroSumOfSquares) {
    for (int c = 0; c < K; ++c) q[c] /= s;
  } else {
    for (int c = 0; c < K; ++c) q[c] = 0.0;
  }
}

bool ZYL_MonReg(double* q, int K, const double* f) {
  double ss = 0;
  for (int c = 0; c < K; ++c) ss += f[c] * q[c] * q[c];
  if (ss < kNoTarget) return false;
  auto prev_nonempty = [&](int c) {
    for (int i = c - 1; i >= 0; --i)
      if (f[i] != 0.0) return i;
    return -1;
  };
  for (int c = 1; c < K; ++c) {
    if (f[c] == 0.0) continue;
    const int pc = prev_nonempty(c);
    if (pc < 0 || !(q[c] < q[pc])) continue;
    // Pool backwards until the block's mean no longer violates the order.
    double W = f[c], S = f[c] * q[c];
    int first = c;
    int i = pc;
    while (i >= 0) {
      W += f[i];
      S += f[i] * q[i];
      first = i;
      const int before = prev_nonempty(i);
      if (before < 0 || q[before] <= S / W) break;
      i = before;
    }
    const double mean = S / W;
    for (int l = first; l <= c; ++l) q[l] = mean;
  }
  int lo = -1, hi = -1;
  for (int c = 0; c < K; ++c) {
    if (f[c] == 0.0) {
      q[c] = 0.0;
    } else {
      if (lo < 0) lo = c;
      hi = c;
    }
  }
  return lo >= 0 && std::fabs(q[hi] - q[lo]) < kNoTarget;
}

bool ZYL_NumRestrict(double* q, const CategoryAggregates& v, bool explicit_mean) {
  const int Kp = v.active();
  double N, xbar, S;
  ZYL_Moments(v.x, v.f, Kp, N, xbar, S);
  double mean = 0.0;
  if (explicit_mean) {
    double st = 0;
    for (int c = 0; c < Kp; ++c) st += v.f[c] * q[c];
    mean = N > 0 ? st / N : 0.0;
  } else if (v.extracat() && N > 0) {
    mean = -v.f[v.K - 1] * q[v.K - 1] / N;  // the target is centred over all categories
  }
  double ss = 0;
  for (int c = 0; c < Kp; ++c) ss += v.f[c] * q[c] * q[c];
  if (ss < kNoTarget) return false;
  double cov = 0;
  for (int c = 0; c < Kp; ++c) cov += (v.x[c] - xbar) * v.f[c] * (q[c] - mean);
  if (cov < 0) return true;
  const double slope = S > kZeroSumOfSquares ? cov / S : cov;
  for (int c = 0; c < Kp; ++c) q[c] = v.f[c] != 0.0 ? (v.x[c] - xbar) * slope + mean : 0.0;
  return false;
}

bool ZYL_SplineFit(double* b, double* q, const double* B, int ldb, const double* D, double* r,
                   bool intercept, int M, int Kp, const double* f, int min_sweeps, int level,
                   int& nzero) {
  nzero = 0;
  double ss = 0, N = 0, sq = 0;
  for (int c = 0; c < Kp; ++c) {
    ss += f[c] * q[c] * q[c];
    N += f[c];
    sq += f[c] * q[c];
  }
  if (ss < kSplineZero) {
    for (int c = 0; c < Kp; ++c) q[c] = r[c] = 0.0;
    for (int m = 0; m < M; ++m)
      if (b[m] == 0.0) ++nzero;
    return false;
  }
  const double b0 = intercept && N > 0 ? sq / N : 0.0;
  b[M] = b0;
  for (int c = 0; c < Kp; ++c) r[c] = q[c] - b0;
  for (int m = 0; m < M; ++m) {
    if (b[m] == 0.0) continue;
    const double* Bm = B + static_cast<long>(m) * ldb;
    for (int c = 0; c < Kp; ++c) r[c] -= Bm[c] * b[m];
  }
  const bool ordinal = level == SPORD;
  double before = ss;
  int sweeps = 0, nvanish = 0;
  while (true) {
    nzero = 0;
    nvanish = 0;
    for (int m = 0; m < M; ++m) {
      const double* Bm = B + static_cast<long>(m) * ldb;
      if (b[m] != 0.0)
        for (int c = 0; c < Kp; ++c) r[c] += Bm[c] * b[m];
      double g = 0;
      for (int c = 0; c < Kp; ++c) g += f[c] * r[c] * Bm[c];
      double bm;
      if (ordinal) {
        if (D[m] < kSplineZero || (g >= 0 && g < kSplineZero)) {
          bm = 0.0;
          ++nvanish;
        } else if (g < 0) {
          bm = 0.0;
        } else {
          bm = g / D[m];
        }
      } else {
        bm = D[m] >= kSplineZero ? g / D[m] : 0.0;
        if (bm == 0.0) ++nvanish;  // free signs: a zero is never a refusal
      }
      b[m] = bm;
      if (bm == 0.0) {
        ++nzero;
      } else {
        for (int c = 0; c < Kp; ++c) r[c] -= Bm[c] * bm;
      }
    }
    ++sweeps;
    double loss = 0;
    for (int c = 0; c < Kp; ++c) loss += f[c] * r[c] * r[c];
    const bool go_on = loss > before || sweeps < min_sweeps;
    before = loss;
    if (!go_on || sweeps >= 100) break;
  }
  for (int c = 0; c < Kp; ++c) q[c] = f[c] != 0.0 ? q[c] - r[c] : 0.0;
  return M > 0 && nzero == M && nvanish < M;
}

bool ZYL_LevelRestrict(double* q, int level, const CategoryAggregates& v, const SplineBlock* sp,
                       double* r, bool explicit_mean, bool intercept, int min_sweeps, int& nzero) {
  nzero = 0;
  switch (level) {
    case NUMERICAL:
      return ZYL_NumRestrict(q, v, explicit_mean);
    case ORDINAL:
      return ZYL_MonReg(q, v.active(), v.f);
    case SPORD:
    case SPNOM:
      if (sp == nullptr) return false;
      return ZYL_SplineFit(sp->b, q, sp->B, sp->ldb, sp->D, r, intercept || v.extracat(), sp->M,
                           v.active(), v.f, min_sweeps, level, nzero);
    default:
      return false;
  }
}

int ZYL_Quantify(const CategoryAggregates& v, double* a, int p, double* work,
                 const SplineBlock* sp, ScalingLevelRecord& lev, int level, double* q,
                 const double* Y, int ldy, double cnorm, int iter, bool final_pass,
                 const QuantifyMode& mode) {
  lev.status = 0;
  const int K = v.K, Kp = v.active();
  double* saved = work;
  double* r = work + K;
  if (mode.target_given) {
    if (mode.target_scale != 1.0)
      for (int c = 0; c < K; ++c) q[c] *= mode.target_scale;
  } else {
    for (int c = 0; c < K; ++c) {
      double t = 0;
      for (int s = 0; s < p; ++s) t += Y[c + static_cast<long>(s) * ldy] * a[s];
      q[c] = t;
    }
  }
  const bool spline = is_spline(level) && sp != nullptr;
  int nonempty = 0, first = -1, last = -1;
  for (int c = 0; c < Kp; ++c)
    if (v.f[c] != 0.0) {
      ++nonempty;
      if (first < 0) first = c;
      last = c;
    }
  int nzero = 0;
  if (level != NOMINAL) {
    for (int c = 0; c < K; ++c) saved[c] = q[c];
    bool skip = false;
    if (v.extracat() && !mode.numerical_mode) {
      const bool extra_used = v.f[K - 1] != 0.0;
      skip = (extra_used && nonempty == 1) || first < 0 || std::fabs(q[first] - q[last]) < kSettled;
    }
    if (!skip) {
      const int sweeps = iter == 0 ? mode.min_sweeps_initial : mode.min_sweeps;
      if (spline)
        for (int m = 0; m <= sp->M; ++m) sp->bsave[m] = sp->b[m];
      bool failed = ZYL_LevelRestrict(q, level, v, sp, r, mode.explicit_mean, mode.intercept,
                                      sweeps, nzero);
      if (failed) {
        // The other direction: a reversed target fits the restriction.
        for (int c = 0; c < K; ++c) q[c] = -saved[c];
        if (spline)
          for (int m = 0; m <= sp->M; ++m) sp->b[m] = sp->bsave[m];
        failed = ZYL_LevelRestrict(q, level, v, sp, r, mode.explicit_mean, mode.intercept, sweeps,
                                   nzero);
      }
      if (failed) {
        if (mode.zero_on_fail) {
          for (int c = 0; c < K; ++c) q[c] = 0.0;
        } else {
          for (int s = 0; s < p; ++s) a[s] = 0.0;
        }
        if (final_pass && spline && !mode.numerical_mode) lev.status = 1;
        return 1;
      }
    }
  }
  ZYL_NormQuant(q, v.f, K, cnorm);
  if (mode.proc == 2 && final_pass && !mode.numerical_mode) {
    if (spline) lev.status = sp->M - nzero;
    if (nonempty == 1) lev.status = 1;
  }
  return 0;
}

bool ZYL_SupplCatQuant(double* q, int ldq, int p, int level, const CategoryAggregates& v,
                       const int* used) {
  const int Kp = v.active();
  bool flagged = false;
  int p1 = -1, p2 = -1;
  for (int c = 0; c < Kp && p2 < 0; ++c)
    if (v.f[c] != 0.0) (p1 < 0 ? p1 : p2) = c;
  for (int c = 0; c < v.K; ++c) {
    if (v.f[c] != 0.0 || !used[c]) continue;
    double val = std::numeric_limits<double>::quiet_NaN();
    if (c < Kp) {
      if (level == NUMERICAL && p2 >= 0) {
        const double slope = (q[p2] - q[p1]) / (v.x[p2] - v.x[p1]);
        val = q[p2] + (v.x[c] - v.x[p2]) * slope;
      } else if (is_spline(level)) {
        int lo = -1, hi = -1;
        for (int i = c - 1; i >= 0; --i)
          if (v.f[i] != 0.0) {
            lo = i;
            break;
          }
        for (int i = c + 1; i < Kp; ++i)
          if (v.f[i] != 0.0) {
            hi = i;
            break;
          }
        if (lo >= 0 && hi >= 0)
          val = q[lo] + (q[hi] - q[lo]) * (v.x[c] - v.x[lo]) / (v.x[hi] - v.x[lo]);
      }
    }
    if (std::isnan(val)) flagged = true;
    const int cols = level == MNOMINAL ? p : 1;
    for (int s = 0; s < cols; ++s) q[c + static_cast<long>(s) * ldq] = val;
  }
  return flagged;
}

}  // namespace oscat::scaling
