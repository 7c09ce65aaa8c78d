#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include "scaling/quantify.hpp"

using namespace oscat::scaling;
namespace sx = oscat::scaling;

namespace {

// Isotonic regression by its min-max characterisation over the non-empty
// categories: q_c = max_{i<=c} min_{k>=c} mean_f(i..k). Independent of the
// pooling algorithm under test.
std::vector<double> isotonic_minmax(const std::vector<double>& t, const std::vector<double>& f) {
  std::vector<int> idx;
  for (int c = 0; c < static_cast<int>(t.size()); ++c)
    if (f[c] != 0) idx.push_back(c);
  std::vector<double> out(t.size(), 0.0);
  const int n = static_cast<int>(idx.size());
  for (int c = 0; c < n; ++c) {
    double best = -1e300;
    for (int i = 0; i <= c; ++i) {
      double worst = 1e300;
      for (int k = c; k < n; ++k) {
        double s = 0, w = 0;
        for (int l = i; l <= k; ++l) {
          s += f[idx[l]] * t[idx[l]];
          w += f[idx[l]];
        }
        worst = std::min(worst, s / w);
      }
      best = std::max(best, worst);
    }
    out[idx[c]] = best;
  }
  return out;
}

CategoryAggregates make_agg(const std::vector<double>& x, const std::vector<double>& f, int miss = 0) {
  CategoryAggregates v;
  v.K = static_cast<int>(x.size());
  v.x = x.data();
  v.f = f.data();
  v.miss = miss;
  const int Kp = v.active();
  for (int c = 0; c < Kp; ++c) {
    v.N += f[c];
    v.xbar += f[c] * x[c];
  }
  v.xbar /= v.N;
  for (int c = 0; c < Kp; ++c) v.S += f[c] * (x[c] - v.xbar) * (x[c] - v.xbar);
  return v;
}

double wss(const std::vector<double>& q, const std::vector<double>& f) {
  double s = 0;
  for (std::size_t c = 0; c < q.size(); ++c) s += f[c] * q[c] * q[c];
  return s;
}

// Runs ZYL_Quantify with a p = 1 target equal to `t` (Y = t, a = 1).
int quantify(const CategoryAggregates& v, int level, const std::vector<double>& t,
             std::vector<double>& q, double& a, const SplineBlock* sp = nullptr, int iter = 1) {
  std::vector<double> work(2 * v.K);
  ScalingLevelRecord lev{level, 0, 0, 0};
  q.assign(v.K, 0.0);
  a = 1.0;
  QuantifyMode mode;
  return ZYL_Quantify(v, &a, 1, work.data(), sp, lev, level, q.data(), t.data(), v.K, 1.0, iter,
                      false, mode);
}

}  // namespace

TEST(ScalingMonReg, MatchesMinMaxFormulaWithWeightsTiesAndEmptyCategories) {
  std::mt19937 gen(12345);
  std::uniform_real_distribution<double> U(-2, 2);
  std::uniform_int_distribution<int> W(0, 4);
  for (int trial = 0; trial < 300; ++trial) {
    const int K = 2 + trial % 9;
    std::vector<double> t(K), f(K);
    for (int c = 0; c < K; ++c) {
      t[c] = std::round(U(gen) * 2) / 2;  // coarse values make ties frequent
      f[c] = W(gen) * 0.5;                // zero weights make empty categories
    }
    if (std::count(f.begin(), f.end(), 0.0) == K) f[0] = 1;
    std::vector<double> q = t;
    const bool failed = ZYL_MonReg(q.data(), K, f.data());
    const auto ref = isotonic_minmax(t, f);
    double ss = 0;
    for (int c = 0; c < K; ++c) ss += f[c] * t[c] * t[c];
    if (ss < 1e-20) continue;  // degenerate input is returned unchanged
    double lo = 1e300, hi = -1e300;
    for (int c = 0; c < K; ++c) {
      EXPECT_NEAR(q[c], ref[c], 1e-12) << "trial " << trial << " c " << c;
      if (f[c] != 0) {
        lo = std::min(lo, q[c]);
        hi = std::max(hi, q[c]);
      } else {
        EXPECT_EQ(q[c], 0.0);
      }
    }
    EXPECT_EQ(failed, hi - lo < 1e-20) << trial;
  }
}

TEST(ScalingMonReg, EmptyCategoryInsideAPooledBlockEndsZero) {
  const std::vector<double> f = {1, 0, 1};
  // 3 and 1 pool to 2 over a constant block: failure, and the empty one is 0.
  std::vector<double> q2 = {3, 7, 1};
  EXPECT_TRUE(ZYL_MonReg(q2.data(), 3, f.data()));
  EXPECT_EQ(q2, (std::vector<double>{2, 0, 2}));
  // Equal neighbours are no violation (strict comparison).
  std::vector<double> q3 = {1, 1, 2}, f3 = {1, 2, 1};
  EXPECT_FALSE(ZYL_MonReg(q3.data(), 3, f3.data()));
  EXPECT_EQ(q3, (std::vector<double>{1, 1, 2}));
}

TEST(ScalingQuantify, OrdinalDecreasingTargetRetriesWithNegatedTarget) {
  const std::vector<double> x = {1, 2, 3, 4}, f = {2, 1, 3, 2};
  const auto v = make_agg(x, f);
  // A centred, strictly decreasing target.
  std::vector<double> t = {3, 1, -1, -2};
  double m = 0;
  for (int c = 0; c < 4; ++c) m += f[c] * t[c] / v.N;
  for (double& e : t) e -= m;
  std::vector<double> q;
  double a;
  ASSERT_EQ(quantify(v, sx::ORDINAL, t, q, a), 0);
  const double s = std::sqrt(wss(t, f));
  for (int c = 0; c < 4; ++c) EXPECT_NEAR(q[c], -t[c] / s, 1e-12);
  EXPECT_EQ(a, 1.0);  // loadings untouched: their sign follows in the loading step
}

TEST(ScalingQuantify, NumericalIsTheWeightedLinearFitWithNonNegativeSlope) {
  const std::vector<double> x = {1, 2, 4, 7, 8}, f = {1, 3, 2, 0, 2};
  const auto v = make_agg(x, f);
  const std::vector<double> t = {-1.0, 0.5, -0.2, 9.0, 1.1};  // category 4 is empty
  // Independent weighted least-squares line of t on x over non-empty categories.
  double sw = 0, sx_ = 0, sy = 0, sxx = 0, sxy = 0;
  for (int c = 0; c < 5; ++c) {
    sw += f[c];
    sx_ += f[c] * x[c];
    sy += f[c] * t[c];
    sxx += f[c] * x[c] * x[c];
    sxy += f[c] * x[c] * t[c];
  }
  const double b = (sw * sxy - sx_ * sy) / (sw * sxx - sx_ * sx_);
  ASSERT_GT(b, 0);
  const double a0 = (sy - b * sx_) / sw;
  std::vector<double> q = t;
  ASSERT_FALSE(ZYL_NumRestrict(q.data(), v, true));
  for (int c = 0; c < 5; ++c) EXPECT_NEAR(q[c], f[c] != 0 ? a0 + b * x[c] : 0.0, 1e-12);
  // The weighted-mean shortcut gives the same for a centred target without extra category.
  std::vector<double> tc = t;
  for (double& e : tc) e -= sy / sw;
  std::vector<double> q1 = tc, q2 = tc;
  ZYL_NumRestrict(q1.data(), v, true);
  ZYL_NumRestrict(q2.data(), v, false);
  for (int c = 0; c < 5; ++c) EXPECT_NEAR(q1[c], q2[c], 1e-12);
  // Opposite target: first attempt fails, the quantification ends with a
  // positive slope and unit weighted sum of squares.
  std::vector<double> neg(5), out;
  for (int c = 0; c < 5; ++c) neg[c] = -tc[c];
  std::vector<double> probe = neg;
  EXPECT_TRUE(ZYL_NumRestrict(probe.data(), v, true));
  double a;
  ASSERT_EQ(quantify(v, sx::NUMERICAL, neg, out, a), 0);
  EXPECT_NEAR(wss(out, f), 1.0, 1e-12);
  for (int c = 1; c < 3; ++c) EXPECT_GT(out[c], out[c - 1]);
  EXPECT_NEAR((out[1] - out[0]) / (x[1] - x[0]), (out[4] - out[2]) / (x[4] - x[2]), 1e-12);
}

TEST(ScalingQuantify, NominalIsTheNormalizedProjectedCentroid) {
  const std::vector<double> x = {1, 2, 3}, f = {2, 1, 1};
  const auto v = make_agg(x, f);
  // p = 2 centroids and a loading vector.
  const std::vector<double> Y = {0.1, -0.4, 0.2, 0.3, 0.0, -0.6};
  double a[2] = {0.5, -2.0};
  std::vector<double> work(6), q(3);
  ScalingLevelRecord lev{sx::NOMINAL, 0, 0, 7};
  QuantifyMode mode;
  ASSERT_EQ(ZYL_Quantify(v, a, 2, work.data(), nullptr, lev, sx::NOMINAL, q.data(), Y.data(), 3,
                         3.0, 1, false, mode),
            0);
  EXPECT_EQ(lev.status, 0);
  std::vector<double> t(3);
  for (int c = 0; c < 3; ++c) t[c] = Y[c] * a[0] + Y[c + 3] * a[1];
  const double s = std::sqrt(wss(t, f) / 3.0);
  for (int c = 0; c < 3; ++c) EXPECT_NEAR(q[c], t[c] / s, 1e-12);
  // An all-zero target normalizes to zeros.
  std::vector<double> z = {0, 0, 0};
  ZYL_NormQuant(z.data(), f.data(), 3, 1.0);
  EXPECT_EQ(z, (std::vector<double>{0, 0, 0}));
}

TEST(ScalingQuantify, ExtraCategoryShortcutKeepsItsOwnTarget) {
  const std::vector<double> x = {1, 2, 3, 4}, f = {2, 1, 3, 2};
  const auto v = make_agg(x, f, MISS_EXTRACAT);
  ASSERT_EQ(v.active(), 3);
  const std::vector<double> t = {0.5, 0.5, 0.5, -1.5};  // active targets all equal
  std::vector<double> q;
  double a;
  ASSERT_EQ(quantify(v, sx::ORDINAL, t, q, a), 0);
  const double s = std::sqrt(wss(t, f));
  for (int c = 0; c < 4; ++c) EXPECT_NEAR(q[c], t[c] / s, 1e-12);
  // With differing active targets the numerical restriction applies to the
  // active ones only and the extra category keeps its target.
  const std::vector<double> t2 = {-1.0, 0.5, 0.2, 0.3};
  std::vector<double> r = t2;
  ASSERT_FALSE(ZYL_NumRestrict(r.data(), v, true));
  EXPECT_EQ(r[3], 0.3);
  EXPECT_NEAR((r[1] - r[0]), (r[2] - r[1]), 1e-12);
}

TEST(ScalingSpline, KnotPlacementAndBasisShape) {
  const std::vector<double> v = {1, 2, 4, 8, 16};
  std::vector<double> t(3 + 2 * 2);
  ZYL_PlaceKnots(3, 2, 5, v.data(), t.data());
  // Ranks 1.5, 3, 4.5 interpolated between neighbouring values.
  EXPECT_EQ(t, (std::vector<double>{1, 1, 1.5, 4, 12, 16, 16}));
  // I-spline columns before centring: in [0, 1], non-decreasing, 0 at the
  // lower and 1 at the upper boundary.
  const std::vector<double> x = {1, 2, 3, 4, 6, 8, 11, 16};
  for (int d = 1; d <= 3; ++d)
    for (int k = 0; k <= 3; ++k) {
      std::vector<double> kn(k + 2 * d);
      ZYL_PlaceKnots(k, d, 5, v.data(), kn.data());
      const int M = k + d;
      std::vector<double> B(8 * M), work(3 * d + 1);
      ZYL_ISplineBasis(k, d, 1, 16, kn.data() + d, 8, x.data(), B.data(), 8, work.data());
      for (int m = 0; m < M; ++m) {
        EXPECT_NEAR(B[0 + m * 8], 0.0, 1e-14) << d << k << m;
        EXPECT_NEAR(B[7 + m * 8], 1.0, 1e-14) << d << k << m;
        for (int c = 1; c < 8; ++c) {
          EXPECT_GE(B[c + m * 8], B[c - 1 + m * 8] - 1e-14);
          EXPECT_LE(B[c + m * 8], 1.0 + 1e-14);
        }
      }
    }
  // Degree 1, no interior knot: the single column is the linear ramp.
  std::vector<double> B1(8), w1(4);
  ZYL_ISplineBasis(0, 1, 1, 16, nullptr, 8, x.data(), B1.data(), 8, w1.data());
  for (int c = 0; c < 8; ++c) EXPECT_NEAR(B1[c], (x[c] - 1) / 15, 1e-14);
}

namespace {
struct SplineFixture {
  std::vector<double> x, f, basis, D, coef, work;
  std::vector<int> col, cof, lowered{7};
  std::vector<ScalingLevelRecord> lev;
  CategoryAggregates v;
  SplineFixture(std::vector<double> xs, std::vector<double> fs, int level, int k, int d)
      : x(std::move(xs)), f(std::move(fs)) {
    v = make_agg(x, f);
    lev = {{level, k, d, 0}};
    const int K = v.K;
    basis.assign(K * (k + d), 0.0);
    D.assign(k + d, 0.0);
    coef.assign(k + d + 1, 0.0);
    work.assign(K + k + 4 * d + 8, 0.0);
    col.assign(1, 0);
    cof.assign(1, 0);
    SplineSetupArgs a;
    a.m = 1;
    a.lev = lev.data();
    a.agg = &v;
    a.kmax = K;
    a.basis = basis.data();
    a.D = D.data();
    a.coef = coef.data();
    a.col_offset = col.data();
    a.coef_offset = cof.data();
    a.work = work.data();
    a.lowered = lowered.data();
    ZYL_SplineSetup(a);
  }
};
}  // namespace

TEST(ScalingSpline, SetupCapsKnotsCentresAndStarts) {
  // K' = 3 with INKNOT = 5: k becomes 1.
  SplineFixture s({1, 2, 3}, {1, 2, 1}, sx::SPORD, 5, 2);
  EXPECT_EQ(s.lev[0].inknot, 1);
  EXPECT_EQ(s.lowered[0], 1);  // for the caller to report
  EXPECT_EQ(s.col[0], 0);
  const int M = 3;
  for (int m = 0; m < M; ++m) {
    double mean = 0, dm = 0;
    for (int c = 0; c < 3; ++c) {
      mean += s.f[c] * s.basis[c + m * 3];
      dm += s.f[c] * s.basis[c + m * 3] * s.basis[c + m * 3];
    }
    EXPECT_NEAR(mean, 0.0, 1e-14);
    EXPECT_NEAR(s.D[m], dm, 1e-14);
    EXPECT_DOUBLE_EQ(s.coef[m], 1.0 / M);
  }
  EXPECT_EQ(s.coef[M], 0.0);
  // An extra category does not count towards the knot cap.
  std::vector<double> xe = {1, 2, 3, 4}, fe = {1, 1, 1, 1};
  SplineFixture e(xe, fe, sx::SPNOM, 2, 1);
  EXPECT_EQ(e.lev[0].inknot, 2);
  EXPECT_EQ(e.lowered[0], 0);
}

TEST(ScalingSpline, OrdinalSplineDecreasingTargetFailsThenFitsNegated) {
  // Degree 1 without interior knots spans the centred category values, so the
  // quantification of any target is its linear fit with a positive slope.
  SplineFixture s({1, 2, 3, 5, 6}, {1, 2, 2, 1, 3}, sx::SPORD, 0, 1);
  const auto& v = s.v;
  std::vector<double> t(5);
  for (int c = 0; c < 5; ++c) t[c] = -(s.x[c] - v.xbar) * 2.0;  // decreasing, centred
  std::vector<double> r(5), q = t, b = s.coef;
  int nzero = 0;
  EXPECT_TRUE(ZYL_SplineFit(b.data(), q.data(), s.basis.data(), 5, s.D.data(), r.data(), false, 1,
                            5, s.f.data(), 2, sx::SPORD, nzero));
  EXPECT_EQ(nzero, 1);
  SplineBlock sp{s.basis.data(), 5, s.D.data(), s.coef.data(), nullptr, 1};
  std::vector<double> save(2);
  sp.bsave = save.data();
  std::vector<double> out;
  double a;
  ASSERT_EQ(quantify(v, sx::SPORD, t, out, a, &sp), 0);
  const double sd = std::sqrt(v.S);
  for (int c = 0; c < 5; ++c) EXPECT_NEAR(out[c], (s.x[c] - v.xbar) / sd, 1e-10);
  EXPECT_GT(s.coef[0], 0);
}

TEST(ScalingSpline, NominalSplineFitsAnyTargetInItsSpan) {
  // SPNOM with free coefficients: a target built from the basis is reproduced
  // after enough sweeps (coordinate descent converges for a fixed target).
  SplineFixture s({1, 2, 3, 4, 5, 6, 7}, {1, 1, 2, 1, 1, 2, 1}, sx::SPNOM, 2, 2);
  const int M = 4;
  const std::vector<double> beta = {0.7, -1.2, 0.4, 2.0};
  std::vector<double> t(7, 0.0);
  for (int m = 0; m < M; ++m)
    for (int c = 0; c < 7; ++c) t[c] += s.basis[c + m * 7] * beta[m];
  std::vector<double> q = t, r(7), b = s.coef;
  int nzero;
  EXPECT_FALSE(ZYL_SplineFit(b.data(), q.data(), s.basis.data(), 7, s.D.data(), r.data(), false, M,
                             7, s.f.data(), 100, sx::SPNOM, nzero));
  for (int c = 0; c < 7; ++c) EXPECT_NEAR(q[c], t[c], 1e-6);
}

TEST(ScalingQuantify, SupplementaryOnlyCategories) {
  const std::vector<double> x = {1, 2, 3, 4, 5}, f = {2, 0, 1, 3, 0};
  const auto v = make_agg(x, f);
  const std::vector<int> used = {1, 1, 1, 1, 1};
  std::vector<double> q = {-1, 0, 0.5, 1.0, 0};
  EXPECT_FALSE(ZYL_SupplCatQuant(q.data(), 5, 1, sx::NUMERICAL, v, used.data()));
  EXPECT_NEAR(q[1], -0.25, 1e-15);  // line through categories 1 and 3
  EXPECT_NEAR(q[4], 2.0, 1e-15);
  std::vector<double> qn = {-1, 0, 0.5, 1.0, 0};
  EXPECT_TRUE(ZYL_SupplCatQuant(qn.data(), 5, 1, sx::NOMINAL, v, used.data()));
  EXPECT_TRUE(std::isnan(qn[1]));
  EXPECT_TRUE(std::isnan(qn[4]));
  EXPECT_EQ(qn[0], -1);
  std::vector<double> qs = {-1, 0, 0.5, 1.0, 0};
  EXPECT_TRUE(ZYL_SupplCatQuant(qs.data(), 5, 1, sx::SPORD, v, used.data()));
  EXPECT_NEAR(qs[1], -0.25, 1e-15);                // inside: interpolated
  EXPECT_TRUE(std::isnan(qs[4]));      // beyond the last non-empty category
}
