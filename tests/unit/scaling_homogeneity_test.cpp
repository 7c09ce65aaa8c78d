// Kernels of the older procedures on worked examples, without a host.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

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
