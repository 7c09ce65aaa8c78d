// Kernels of the older procedures on worked examples, without a host.
#include <gtest/gtest.h>

#include <cmath>
#include <mutex>
#include <vector>

#include "homals/shared.hpp"
#include "scaling/als.hpp"
#include "scaling/homogeneity.hpp"

using namespace oscat::scaling;

TEST(ScalingHomogeneity, FixedStartIsTheCongruentialSequence) {
  std::vector<double> X(6), again(6);
  HomFixedStart(3, 2, X.data());
  HomFixedStart(3, 2, again.data());
  EXPECT_EQ(X, again);
  long long s = 315747;
  for (double v : X) {
    s = 125 * s % 2796203;
    EXPECT_DOUBLE_EQ(v, 2.0 * s / 2796203.0 - 1.0);
    EXPECT_GT(v, -1.0);
    EXPECT_LT(v, 1.0);
  }
}

TEST(ScalingHomogeneity, CentringWithCountsZeroesColumnSums) {
  // Counts 2, 1, 3: the shift of each object is proportional to its count.
  const std::vector<double> counts = {2, 1, 3};
  std::vector<double> X = {1, 2, 3, 0, 0, 6};
  HomCentre(3, 2, counts.data(), 1.0 / 6.0, X.data());
  EXPECT_NEAR(X[0], 1 - 2, 1e-15);
  EXPECT_NEAR(X[1], 2 - 1, 1e-15);
  EXPECT_NEAR(X[2], 3 - 3, 1e-15);
  EXPECT_NEAR(X[3] + X[4] + X[5], 0.0, 1e-15);
  EXPECT_NEAR(X[5], 6 - 3, 1e-15);
  std::vector<double> B(6);
  const std::vector<double> d = {2, 0, -1};
  HomScaleRows(3, 2, d.data(), X.data(), B.data());
  EXPECT_EQ(B[0], 2 * X[0]);
  EXPECT_EQ(B[4], 0.0);
  EXPECT_EQ(B[5], -X[5]);
  const std::vector<double> f = {1, 2, 0}, y = {3, -1, 100};
  EXPECT_EQ(HomWeightedSS(f.data(), y.data(), 3), 9 + 2);
}

TEST(ScalingHomogeneity, GramSchmidtOrthonormalizesAndDropsDependentColumns) {
  // Columns a, 2a, b: the second is dependent and goes; the third moves left.
  const int n = 4;
  std::vector<double> X = {1, 1, 0, 0, 2, 2, 0, 0, 1, 0, 1, 0};
  EXPECT_EQ(HomGramSchmidt(n, 3, X.data()), 2);
  auto dot = [&](int a, int b) {
    double v = 0;
    for (int i = 0; i < n; ++i) v += X[i + a * n] * X[i + b * n];
    return v;
  };
  EXPECT_NEAR(dot(0, 0), 1, 1e-15);
  EXPECT_NEAR(dot(1, 1), 1, 1e-15);
  EXPECT_NEAR(dot(0, 1), 0, 1e-15);
  EXPECT_NEAR(X[0], 1 / std::sqrt(2.0), 1e-15);
  // b less its projection on a: (0.5, -0.5, 1, 0) / sqrt(1.5).
  EXPECT_NEAR(X[n + 1], -0.5 / std::sqrt(1.5), 1e-15);
  // A full-rank input keeps its size; an all-zero one has rank 0.
  std::vector<double> Z(8, 0.0);
  EXPECT_EQ(HomGramSchmidt(n, 2, Z.data()), 0);
}

TEST(ScalingHomogeneity, IndicatorProductsInFourModes) {
  // Codes of five objects, 0 missing, 3 above a bound of 2.
  const std::vector<int> codes = {1, 2, 0, 3, 1};
  const std::vector<double> X = {1, 2, 4, 8, 16};
  std::vector<double> Y(3, 7.0);
  IndicatorSums(codes.data(), 5, X.data(), 5, 1, Y.data(), 3, 3, 0, Into::Replace);
  EXPECT_EQ(Y, (std::vector<double>{17, 2, 8}));
  IndicatorSums(codes.data(), 5, X.data(), 5, 1, Y.data(), 3, 3, 2, Into::Add);
  EXPECT_EQ(Y, (std::vector<double>{34, 4, 8}));
  std::vector<double> Z(5, 1.0);
  IndicatorScatter(codes.data(), 5, Y.data(), 3, 1, Z.data(), 5, 2, Into::Add);
  EXPECT_EQ(Z, (std::vector<double>{35, 5, 1, 1, 35}));
  IndicatorScatter(codes.data(), 5, Y.data(), 3, 1, Z.data(), 5, 0, Into::Replace);
  EXPECT_EQ(Z, (std::vector<double>{34, 4, 0, 8, 34}));
}

// The all-variable products over blocks of objects give exactly (bit for bit)
// what the one-variable products give variable by variable; codes outside
// 1..K and 0 count nowhere. n spans more than one block.
TEST(ScalingHomogeneity, BlockedProductsEqualTheOneVariableProducts) {
  const int n = 2500, m = 3, p = 2;
  const int K[m] = {4, 2, 5};
  const long off[m] = {0, 4, 6};
  std::vector<int> codes(static_cast<std::size_t>(n) * m);
  std::vector<double> X(static_cast<std::size_t>(n) * p);
  oscat::scaling::HomFixedStart(n, p, X.data());
  for (int j = 0; j < m; ++j)
    for (int i = 0; i < n; ++i) codes[static_cast<std::size_t>(j) * n + i] = (i * (j + 3) + j) % (K[j] + 2) - (i % 97 == 0);
  std::vector<double> Y(11 * p), Yref(11 * p), Z(static_cast<std::size_t>(n) * p), Zref(Z.size(), 0.0);
  oscat::scaling::HomCategorySums(codes.data(), n, m, off, K, X.data(), p, Y.data());
  for (int j = 0; j < m; ++j)
    oscat::scaling::IndicatorSums(codes.data() + static_cast<long>(j) * n, n, X.data(), n, p, Yref.data() + off[j] * p,
                                  K[j], K[j], K[j], oscat::scaling::Into::Replace);
  for (std::size_t k = 0; k < Y.size(); ++k) EXPECT_EQ(Y[k], Yref[k]) << k;
  oscat::scaling::HomScatterSum(codes.data(), n, m, off, K, Y.data(), p, Z.data());
  for (int j = 0; j < m; ++j)
    oscat::scaling::IndicatorScatter(codes.data() + static_cast<long>(j) * n, n, Y.data() + off[j] * p, K[j], p,
                                     Zref.data(), n, K[j], oscat::scaling::Into::Add);
  for (std::size_t k = 0; k < Z.size(); ++k) EXPECT_EQ(Z[k], Zref[k]) << k;
}

// A partial residual's category sums equal those of the residual formed
// first; the exchange of a variable's part of a prediction equals taking the
// old part out and putting the new one in; the cross table counts pairs and
// G_a' G_b Y = G_a' (G_b Y), the identity OVERALS's sweep rests on.
TEST(ScalingHomogeneity, ResidualSumsExchangeAndCrossTable) {
  using namespace oscat::scaling;
  const int n = 7, p = 2, Ka = 3, Kb = 2;
  const int a[n] = {1, 2, 3, 1, 0, 2, 4};  // 0 missing, 4 outside 1..Ka
  const int b[n] = {2, 1, 1, 2, 2, 0, 1};
  std::vector<double> X(n * p), S(n * p);
  for (int k = 0; k < n * p; ++k) X[static_cast<std::size_t>(k)] = 0.5 * k - 2, S[static_cast<std::size_t>(k)] = 0.25 * k * k - 3;
  std::vector<double> R(n * p), Y(Ka * p), Yref(Ka * p);
  for (int k = 0; k < n * p; ++k) R[static_cast<std::size_t>(k)] = X[static_cast<std::size_t>(k)] - S[static_cast<std::size_t>(k)];
  HomResidualSums(a, n, X.data(), S.data(), p, Y.data(), Ka);
  IndicatorSums(a, n, R.data(), n, p, Yref.data(), Ka, Ka, Ka, Into::Replace);
  for (int k = 0; k < Ka * p; ++k) EXPECT_EQ(Y[static_cast<std::size_t>(k)], Yref[static_cast<std::size_t>(k)]);

  const double yold[Ka * p] = {1, -2, 3, 0.5, 0.25, -1}, ynew[Ka * p] = {-4, 2, 7, 1.5, -0.75, 2};
  std::vector<double> S1 = S, S2 = S, neg(yold, yold + Ka * p);
  for (double& v : neg) v = -v;
  HomReplaceScatter(a, n, yold, ynew, Ka, p, S1.data());
  IndicatorScatter(a, n, neg.data(), Ka, p, S2.data(), n, Ka, Into::Add);
  IndicatorScatter(a, n, ynew, Ka, p, S2.data(), n, Ka, Into::Add);
  for (int k = 0; k < n * p; ++k) EXPECT_EQ(S1[static_cast<std::size_t>(k)], S2[static_cast<std::size_t>(k)]);

  double C[Ka * Kb];
  HomCrossTable(a, b, n, Ka, Kb, C);
  // Pairs (a, b): (1,2) twice, (2,1), (3,1); the others have a code outside.
  const double expect[Ka * Kb] = {0, 1, 1, 2, 0, 0};
  for (int k = 0; k < Ka * Kb; ++k) EXPECT_EQ(C[k], expect[k]) << k;
  const double Yb[Kb * p] = {0.5, -1, 2, 3};
  std::vector<double> GbY(n * p), direct(Ka * p);
  IndicatorScatter(b, n, Yb, Kb, p, GbY.data(), n, Kb, Into::Replace);
  IndicatorSums(a, n, GbY.data(), n, p, direct.data(), Ka, Ka, Ka, Into::Replace);
  for (int s = 0; s < p; ++s)
    for (int c = 0; c < Ka; ++c) {
      double v = 0;
      for (int d = 0; d < Kb; ++d) v += C[c + d * Ka] * Yb[d + s * Kb];
      EXPECT_DOUBLE_EQ(v, direct[static_cast<std::size_t>(c + s * Ka)]);
    }
}

// The dimensions shared out between two threads give the one-thread result
// bit for bit, and every dimension is done once.
TEST(ScalingHomogeneity, TwoThreadsShareTheDimensions) {
  const int n = 5000, m = 2, p = 3;
  const int K[m] = {3, 4};
  const long off[m] = {0, 3};
  std::vector<int> codes(static_cast<std::size_t>(n) * m);
  for (int i = 0; i < n * m; ++i) codes[static_cast<std::size_t>(i)] = (i * 7) % 5;
  std::vector<double> X(static_cast<std::size_t>(n) * p), Y1(7 * p), Y2(7 * p);
  HomFixedStart(n, p, X.data());
  HomCategorySums(codes.data(), n, m, off, K, X.data(), p, Y1.data());
  oscat::older::SecondThread two;
  const bool started = two.start(true);
  std::vector<int> done(p, 0);
  std::mutex guard;
  for (int round = 0; round < 3; ++round)
    two.split(p, [&](int s0, int s1) {
      HomCategorySums(codes.data(), n, m, off, K, X.data(), p, Y2.data(), s0, s1);
      std::lock_guard<std::mutex> lock(guard);
      for (int s = s0; s < s1; ++s) ++done[static_cast<std::size_t>(s)];
    });
  EXPECT_EQ(Y1, Y2);
  EXPECT_EQ(done, (std::vector<int>{3, 3, 3}));
  (void)started;  // one core: the caller does every dimension itself
}
