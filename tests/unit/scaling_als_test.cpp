// The alternating least squares building blocks on worked examples, with no
// host at all: they are plain functions of their arrays.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "scaling/als.hpp"

using namespace oscat::scaling;

namespace {

CategoryAggregates agg_of(int K, const std::vector<double>& f) {
  CategoryAggregates a;
  a.K = K;
  a.f = f.data();
  return a;
}

}  // namespace

TEST(ScalingAls, MomentsOfCategoryValues) {
  // Values 1, 2, 4 with weights 1, 2, 1: N 4, mean 9/4, S = sum f (x - mean)^2.
  const std::vector<double> x = {1, 2, 4}, f = {1, 2, 1};
  double N, mean, S;
  ZYL_Moments(x.data(), f.data(), 3, N, mean, S);
  EXPECT_EQ(N, 4);
  EXPECT_DOUBLE_EQ(mean, 2.25);
  EXPECT_DOUBLE_EQ(S, 1.5625 + 2 * 0.0625 + 3.0625);
  ZYL_Moments(x.data(), f.data(), 0, N, mean, S);
  EXPECT_EQ(N, 0);
  EXPECT_EQ(mean, 0);
}

TEST(ScalingAls, CentroidsAreWeightedCategoryMeansOnEveryPath) {
  // Two variables over six objects; object 5 has weight 0 (supplementary),
  // object 4 no category of the first variable.
  const int n = 6;
  const std::vector<int> codes = {1, 2, 1, 0, 3, 2,   // variable 1
                                  2, 2, 1, 1, 1, 3};  // variable 2
  const std::vector<double> w = {1, 2, 3, 1, 0, 1};
  const std::vector<double> f1 = {4, 3, 0}, f2 = {4, 3, 1};
  const CategoryAggregates agg[2] = {agg_of(3, f1), agg_of(3, f2)};
  const std::vector<double> X = {1, 2, 3, 4, 5, 6, -1, -2, -3, -4, -5, -6};
  const int K = 3;
  // p = 2 takes the paired path over both variables.
  std::vector<double> Y(2 * K * 2, 9.0);
  ZYL_Centroids(codes.data(), n, agg, nullptr, false, 0, 2, X.data(), 2, w.data(), Y.data(), K);
  EXPECT_NEAR(Y[0], (1 * 1 + 3 * 3) / 4.0, 1e-15);
  EXPECT_NEAR(Y[1], (2 * 2 + 1 * 6) / 3.0, 1e-15);
  EXPECT_EQ(Y[2], 0.0);  // empty category
  EXPECT_NEAR(Y[3], -(1 * 1 + 3 * 3) / 4.0, 1e-15);
  EXPECT_NEAR(Y[6], (3 * 3 + 1 * 4) / 4.0, 1e-15);  // variable 2, category 1 (object 5 has weight 0)
  EXPECT_NEAR(Y[7], (1 * 1 + 2 * 2) / 3.0, 1e-15);
  EXPECT_NEAR(Y[8], 6.0, 1e-15);
  // One variable at a time gives the same bits as the pair.
  std::vector<double> Y1(Y.size(), 7.0);
  ZYL_Centroids(codes.data(), n, agg, nullptr, false, 0, 1, X.data(), 2, w.data(), Y1.data(), K);
  ZYL_Centroids(codes.data(), n, agg, nullptr, false, 1, 2, X.data(), 2, w.data(), Y1.data(), K);
  for (std::size_t i = 0; i < Y.size(); ++i) EXPECT_EQ(Y1[i], Y[i]) << i;
  // Three dimensions take the general path; the first two columns agree.
  std::vector<double> X3(18);
  for (int i = 0; i < 18; ++i) X3[i] = X[i % 12];
  std::vector<double> Y3(2 * K * 3);
  ZYL_Centroids(codes.data(), n, agg, nullptr, false, 0, 2, X3.data(), 3, w.data(), Y3.data(), K);
  for (int c = 0; c < K; ++c) {
    EXPECT_NEAR(Y3[c], Y[c], 1e-15);
    EXPECT_NEAR(Y3[9 + c], Y[6 + c], 1e-15);
    EXPECT_NEAR(Y3[9 + 2 * K + c], Y[6 + c], 1e-15);  // third column repeats the first
  }
  // A supplementary variable is left alone unless asked for.
  const int suppl[2] = {0, 1};
  std::vector<double> Ys(Y.size(), 5.0);
  ZYL_Centroids(codes.data(), n, agg, suppl, false, 0, 2, X.data(), 2, w.data(), Ys.data(), K);
  EXPECT_EQ(Ys[6], 5.0);
  ZYL_Centroids(codes.data(), n, agg, suppl, true, 0, 2, X.data(), 2, w.data(), Ys.data(), K);
  EXPECT_EQ(Ys[6], Y[6]);
}

TEST(ScalingAls, IndicatorProductsInTheirFourModes) {
  const std::vector<int> codes = {1, 3, 2, 0, 3};
  const std::vector<double> X = {1, 2, 4, 8, 16};
  // G'X with every code: category sums.
  std::vector<double> Y(3, 100.0);
  IndicatorSums(codes.data(), 5, X.data(), 5, 1, Y.data(), 3, 3, 0, Into::Replace);
  EXPECT_EQ(Y, (std::vector<double>{1, 4, 18}));
  // Added into, and with codes above 2 ignored.
  IndicatorSums(codes.data(), 5, X.data(), 5, 1, Y.data(), 3, 3, 2, Into::Add);
  EXPECT_EQ(Y, (std::vector<double>{2, 8, 18}));
  // G Y: each object gets its category's row; without a category, 0.
  const std::vector<double> T = {10, 20, 30};
  std::vector<double> Z(5, 1.0);
  IndicatorScatter(codes.data(), 5, T.data(), 3, 1, Z.data(), 5, 0, Into::Replace);
  EXPECT_EQ(Z, (std::vector<double>{10, 30, 20, 0, 30}));
  IndicatorScatter(codes.data(), 5, T.data(), 3, 1, Z.data(), 5, 2, Into::Add);
  EXPECT_EQ(Z, (std::vector<double>{20, 30, 40, 0, 30}));
}

TEST(ScalingAls, AccumulatedScoresAreTheSumOfIndicatorProducts) {
  // Five variables, so that the two-dimensional path runs one group of four
  // and one of one; any split of the objects gives the same bits.
  const int n = 7, m = 5, K = 3, p = 2;
  std::vector<int> codes(n * m);
  for (int i = 0; i < n * m; ++i) codes[i] = (i * 7 + 3) % 5 - 1;  // -1 .. 3: some codes count nowhere
  const std::vector<double> f(K, 1.0);
  std::vector<CategoryAggregates> agg(m, agg_of(K, f));
  std::vector<double> T((K + 1) * p * m);
  for (std::size_t k = 0; k < T.size(); ++k) T[k] = k % (K + 1) == 0 ? 0.0 : 0.5 + static_cast<double>(k);
  std::vector<double> Z(n * p, 3.0), Zs(n * p, 4.0), expect(n * p, 0.0);
  ZYL_AccumulateScores(codes.data(), n, m, agg.data(), nullptr, T.data(), K, p, 0, n, Z.data());
  ZYL_AccumulateScores(codes.data(), n, m, agg.data(), nullptr, T.data(), K, p, 0, 3, Zs.data());
  ZYL_AccumulateScores(codes.data(), n, m, agg.data(), nullptr, T.data(), K, p, 3, n, Zs.data());
  for (int j = 0; j < m; ++j)
    for (int s = 0; s < p; ++s)
      IndicatorScatter(codes.data() + j * n, n, T.data() + (j * p + s) * (K + 1) + 1, K + 1, 1,
                       expect.data() + s * n, n, K, Into::Add);
  for (int i = 0; i < n * p; ++i) {
    EXPECT_DOUBLE_EQ(Z[i], expect[i]) << i;
    EXPECT_EQ(Zs[i], Z[i]) << i;
  }
}

TEST(ScalingAls, OrthonormalizedScoresAreCentredAndUncorrelated) {
  const int n = 6, p = 2;
  const std::vector<double> w = {1, 2, 1, 1, 0, 3};  // object 5 does not count
  std::vector<double> Z = {1, 4, 2, 8, 5, 7, 3, 1, 4, 1, 5, 9};
  std::vector<double> X(n * p), root(p), V(p * p), work(3 * p * p + p);
  ASSERT_EQ(CPR_Orthonorm(n, p, w.data(), Z.data(), X.data(), root.data(), V.data(), work.data()), 0);
  for (int s = 0; s < p; ++s) {
    double sum = 0;
    for (int i = 0; i < n; ++i) sum += w[i] * X[i + s * n];
    EXPECT_NEAR(sum, 0.0, 1e-12);
    for (int t = 0; t < p; ++t) {
      double c = 0;
      for (int i = 0; i < n; ++i) c += w[i] * X[i + s * n] * X[i + t * n];
      EXPECT_NEAR(c, s == t ? 1.0 : 0.0, 1e-12);
    }
  }
  EXPECT_GE(root[0], root[1]);
  EXPECT_GT(root[1], 0.0);
  // A rank-deficient start has a zero root.
  std::vector<double> Zd = {1, 2, 3, 4, 5, 6, 2, 4, 6, 8, 10, 12};
  ASSERT_EQ(CPR_Orthonorm(n, p, w.data(), Zd.data(), X.data(), root.data(), V.data(), work.data()), 0);
  EXPECT_EQ(root[1], 0.0);
}

TEST(ScalingAls, FixedStartSkipsObjectsOfWeightZero) {
  const int n = 4, p = 2;
  const std::vector<double> w = {1, 0, 1, 1};
  std::vector<double> X(n * p), Xu(n * p);
  std::int64_t seed = CPR_SEED, seed_u = CPR_SEED;
  CPR_RandomStart(n, p, w.data(), true, X.data(), seed, nullptr, nullptr);
  CPR_RandomStart(n, p, w.data(), false, Xu.data(), seed_u, nullptr, nullptr);
  EXPECT_EQ(X[1], 0.0);
  EXPECT_EQ(X[5], 0.0);
  // The weighted start consumes one number fewer per column.
  EXPECT_EQ(X[0], Xu[0]);
  EXPECT_EQ(X[2], Xu[1]);
  // The generator: seed' = 125 seed mod 2796203, value 2 seed' / 2796203 - 1.
  EXPECT_DOUBLE_EQ(Xu[0], 2.0 * ((125 * CPR_SEED) % 2796203) / 2796203.0 - 1.0);
  for (double v : Xu) EXPECT_TRUE(v > -1 && v < 1);
}

TEST(ScalingAls, FitAndLossSplitOverSingleAndMultipleVariables) {
  // A single variable of weight 2 (|a|^2 with the weight: 1.5; eta 0.9, 0.8),
  // a multiple nominal one (eta 0.6, 0.4) and a supplementary one that does
  // not count.
  const std::vector<double> f = {1};
  std::vector<CategoryAggregates> agg(3, agg_of(1, f));
  agg[0].w = 2;
  std::vector<ScalingLevelRecord> lev(3);
  lev[0].mlevel = ORDINAL;
  lev[1].mlevel = MNOMINAL;
  lev[2].mlevel = NOMINAL;
  const int suppl[3] = {0, 0, 1};
  const std::vector<double> vaf = {1.5, 0, 7}, eta = {0.9, 0.8, 0.6, 0.4, 5, 5};
  const FitLoss r = ZYL_FitLoss(3, 2, agg.data(), lev.data(), false, suppl, vaf.data(), eta.data());
  EXPECT_DOUBLE_EQ(r.fit, 1.5 + 0.5);                    // F_s + (0.6 + 0.4) / p
  EXPECT_DOUBLE_EQ(r.restricted, 2 * 1.7 - 1.5);          // w sum eta - |a|^2
  EXPECT_DOUBLE_EQ(r.centroid, 2 * 2 + 1 - 0.5 - 3.4);    // p W_s + W_m - F_m - E_s
  EXPECT_DOUBLE_EQ(r.loss, r.centroid + r.restricted);
  // Taken all as multiple nominal, the single variable's loadings do not count.
  const FitLoss m = ZYL_FitLoss(3, 2, agg.data(), lev.data(), true, suppl, vaf.data(), eta.data());
  EXPECT_DOUBLE_EQ(m.fit, (1.7 + 1.0) / 2);
  EXPECT_DOUBLE_EQ(m.restricted, 0.0);
}
