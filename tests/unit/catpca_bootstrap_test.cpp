#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "catpca/bootstrap.hpp"
#include "host/host.hpp"

using namespace oscat::catpca;

namespace {

double uniform(void* state) {
  auto& g = *static_cast<std::mt19937_64*>(state);
  return std::uniform_real_distribution<double>(0.0, 1.0)(g);
}

}  // namespace

TEST(CatpcaBootstrap, BalancedSamplingUsesEveryObjectBTimes) {
  const int n = 7, B = 10;
  // Objects 2 and 5 are supplementary (weight 0): n' = 5.
  const std::vector<double> objw = {1, 1, 0, 1, 1, 0, 1};
  const int nprime = CPR_BootActiveCount(n, objw.data());
  ASSERT_EQ(nprime, 5);
  std::vector<int> list(static_cast<std::size_t>(nprime * B));
  std::mt19937_64 gen(7);
  CPR_BootBalancedList(n, objw.data(), B, list.data(), uniform, &gen);
  std::vector<double> total(n, 0.0), g(n);
  bool some_block_unequal = false;
  for (int b = 0; b < B; ++b) {
    CPR_BootBalancedWeights(n, objw.data(), nprime, b, list.data(), g.data());
    double sum = 0;
    for (int i = 0; i < n; ++i) {
      total[i] += g[i];
      sum += g[i];
      if (g[i] != objw[i]) some_block_unequal = true;
    }
    EXPECT_EQ(sum, nprime);
    EXPECT_EQ(g[2], 0.0);
    EXPECT_EQ(g[5], 0.0);
  }
  for (int i = 0; i < n; ++i) EXPECT_EQ(total[i], objw[i] * B) << i;
  EXPECT_TRUE(some_block_unequal);  // the list really was permuted
}

TEST(CatpcaBootstrap, UnbalancedSamplingSkipsSupplementaryObjects) {
  const int n = 6;
  const std::vector<double> objw = {2, 0, 1, 0, 1, 1};  // n' = 4, object 0 weighs 2
  std::mt19937_64 gen(11);
  std::vector<double> g(n);
  std::vector<int> draws0(1, 0);
  for (int b = 0; b < 500; ++b) {
    CPR_BootUnbalanced(n, objw.data(), 4, uniform, &gen, g.data());
    EXPECT_EQ(g[1], 0.0);
    EXPECT_EQ(g[3], 0.0);
    int draws = 0;
    for (int i = 0; i < n; ++i) {
      ASSERT_EQ(std::fmod(g[i], objw[i] == 0 ? 1.0 : objw[i]), 0.0);
      draws += objw[i] > 0 ? static_cast<int>(g[i] / objw[i]) : 0;
    }
    EXPECT_EQ(draws, 4);
  }
}

TEST(CatpcaBootstrap, ReflectFlipsExactlyTheNegativeDiagonal) {
  const int p = 3;
  // R_11 < 0, R_22 > 0, R_33 < 0; off-diagonal values do not matter.
  const std::vector<double> R = {-2.0, 0.5, 0.1, 0.9, 1.5, -0.3, 0.2, 0.4, -0.1};
  std::vector<double> T(p * p), work(CPR_BootMatchWork(p));
  CPR_BootMatch(p, R.data(), false, T.data(), work.data());
  const double expect[9] = {-1, 0, 0, 0, 1, 0, 0, 0, -1};
  for (int k = 0; k < p * p; ++k) EXPECT_EQ(T[k], expect[k]) << k;

  // Applied to a replicate's rows, only the first and third columns change sign.
  std::vector<double> M = {1, 2, 3, 4, 5, 6};  // 2 x 3, column-major
  double tmp[3];
  CPR_BootTransform(2, p, M.data(), 1, 2, T.data(), tmp);
  const double after[6] = {-1, -2, 3, 4, -5, -6};
  for (int k = 0; k < 6; ++k) EXPECT_EQ(M[k], after[k]);
}

TEST(CatpcaBootstrap, ProcrustesBeatsEveryRotationAndReflectionIn2D) {
  std::mt19937_64 gen(3);
  std::normal_distribution<double> z;
  const int r = 12, p = 2;
  for (int trial = 0; trial < 20; ++trial) {
    // Reference O and a replicate Bm = O Q' + noise, Q a random rotation or reflection.
    std::vector<double> O(r * p), Bm(r * p);
    for (auto& x : O) x = z(gen);
    const double th = 6.283185307179586 * uniform(&gen);
    const double sgn = trial % 2 ? -1.0 : 1.0;
    const double Q[4] = {std::cos(th), std::sin(th), -sgn * std::sin(th), sgn * std::cos(th)};
    for (int i = 0; i < r; ++i)
      for (int t = 0; t < p; ++t)
        Bm[i + t * r] = O[i] * Q[t] + O[i + r] * Q[t + 2] + 0.3 * z(gen);
    // R_st = sum_i O_is B_it
    std::vector<double> R(p * p, 0.0);
    for (int s = 0; s < p; ++s)
      for (int t = 0; t < p; ++t)
        for (int i = 0; i < r; ++i) R[s + t * p] += O[i + s * r] * Bm[i + t * r];
    std::vector<double> T(p * p), work(CPR_BootMatchWork(p));
    CPR_BootMatch(p, R.data(), true, T.data(), work.data());
    auto loss = [&](const double* U) {
      double l = 0;
      for (int i = 0; i < r; ++i)
        for (int t = 0; t < p; ++t) {
          const double v = Bm[i] * U[0 + t * p] + Bm[i + r] * U[1 + t * p] - O[i + t * r];
          l += v * v;
        }
      return l;
    };
    // T is orthogonal.
    EXPECT_NEAR(T[0] * T[0] + T[1] * T[1], 1.0, 1e-10);
    EXPECT_NEAR(T[0] * T[2] + T[1] * T[3], 0.0, 1e-10);
    const double best = loss(T.data());
    double brute = 1e300;
    for (int k = 0; k < 36000; ++k) {
      const double a = k * 6.283185307179586 / 36000;
      const double rot[4] = {std::cos(a), std::sin(a), -std::sin(a), std::cos(a)};
      const double ref[4] = {std::cos(a), std::sin(a), std::sin(a), -std::cos(a)};
      brute = std::min({brute, loss(rot), loss(ref)});
    }
    EXPECT_LE(best, brute + 1e-9);
    EXPECT_NEAR(best, brute, 1e-5 * (1 + brute));
  }
}

TEST(CatpcaBootstrap, PercentileRuleAndAbsentValues) {
  EXPECT_EQ(CPR_BootPercentileK(1000, 95), 25);
  EXPECT_EQ(CPR_BootPercentileK(50, 95), 1);   // trunc(1.75) = 1
  EXPECT_EQ(CPR_BootPercentileK(100, 90), 5);
  EXPECT_EQ(CPR_BootPercentileK(10, 100), 1);  // at least 1

  // Values 0.5, 1.0, ..., 500 shuffled (999.0 itself would mark an absent
  // value): the bounds are the 25th smallest and largest.
  std::vector<double> vals(1000);
  for (int b = 0; b < 1000; ++b) vals[b] = 0.5 * (b + 1);
  std::mt19937_64 gen(5);
  std::shuffle(vals.begin(), vals.end(), gen);
  std::vector<int> idx(1000);
  double mean, lo, hi;
  EXPECT_EQ(CPR_BootSummary(1000, vals.data(), 95, idx.data(), mean, lo, hi), 1000);
  EXPECT_DOUBLE_EQ(mean, 250.25);
  EXPECT_EQ(lo, 12.5);
  EXPECT_EQ(hi, 488.0);

  // A category absent from some replicates: those replicates do not count.
  std::vector<double> cat = {1.0, BOOT_ABSENT, 3.0, BOOT_ABSENT, 5.0};
  EXPECT_EQ(CPR_BootSummary(5, cat.data(), 95, idx.data(), mean, lo, hi), 3);
  EXPECT_DOUBLE_EQ(mean, 3.0);
  EXPECT_EQ(lo, 1.0);
  EXPECT_EQ(hi, 5.0);
  std::vector<double> none(4, BOOT_ABSENT);
  EXPECT_EQ(CPR_BootSummary(4, none.data(), 95, idx.data(), mean, lo, hi), 0);
  EXPECT_EQ(mean, oscat::host::SYSMIS);
}

TEST(CatpcaBootstrap, EllipseOfANormalCloudHasTheChiSquareAxes) {
  // Bivariate normal with standard deviations 2 and 0.5 along axes rotated by
  // 30 degrees: the 95% ellipse has semi-axes sqrt(chi2_2(0.95)) * sd, with
  // chi2_2(0.95) = -2 ln 0.05.
  const int B = 20000, K = 40;
  std::mt19937_64 gen(9);
  std::normal_distribution<double> z;
  const double a = 0.5235987755982988, cx = 1.0, cy = -2.0;
  std::vector<double> xs(B), ys(B);
  for (int b = 0; b < B; ++b) {
    const double u = 2.0 * z(gen), v = 0.5 * z(gen);
    xs[b] = cx + std::cos(a) * u - std::sin(a) * v;
    ys[b] = cy + std::sin(a) * u + std::cos(a) * v;
  }
  xs[7] = BOOT_ABSENT;  // skipped
  std::vector<double> px(K), py(K), work(CPR_BootEllipseWork(B));
  std::vector<int> iwork(B);
  double area = 0;
  ASSERT_TRUE(CPR_BootEllipse(B, xs.data(), ys.data(), cx, cy, 95, K, px.data(), py.data(), area, work.data(),
                              iwork.data()));
  const double c = std::sqrt(-2.0 * std::log(0.05));
  double rmax = 0, rmin = 1e300;
  for (int k = 0; k < K; ++k) {
    const double r = std::hypot(px[k] - cx, py[k] - cy);
    rmax = std::max(rmax, r);
    rmin = std::min(rmin, r);
  }
  EXPECT_NEAR(rmax, 2.0 * c, 0.05 * 2.0 * c);
  EXPECT_NEAR(rmin, 0.5 * c, 0.05 * 0.5 * c);
  EXPECT_NEAR(area, 3.141592653589793 * c * c * 1.0, 0.08 * 3.141592653589793 * c * c);
  // The first point lies on the major axis, along (cos a, sin a) up to sign.
  const double dx = px[0] - cx, dy = py[0] - cy;
  EXPECT_NEAR(std::fabs(dx * std::cos(a) + dy * std::sin(a)) / std::hypot(dx, dy), 1.0, 0.01);

  // Fewer than three points: no ellipse.
  EXPECT_FALSE(CPR_BootEllipse(2, xs.data(), ys.data(), cx, cy, 95, K, px.data(), py.data(), area, work.data(),
                               iwork.data()));
  EXPECT_EQ(area, oscat::host::SYSMIS);
}
