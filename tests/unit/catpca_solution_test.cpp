#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

#include "catpca/solution.hpp"
#include "host/host.hpp"

using namespace oscat::catpca;

TEST(CatpcaSolution, CronbachAlphaExample) {
  // Ten variables, eigenvalues 3 and 2.
  EXPECT_NEAR(CPR_CronbachAlpha(10, 3), 10.0 * 2 / (9 * 3), 1e-15);
  EXPECT_NEAR(CPR_CronbachAlpha(10, 3), 0.741, 5e-4);
  EXPECT_NEAR(CPR_CronbachAlpha(10, 2), 0.556, 5e-4);
  EXPECT_NEAR(CPR_CronbachAlpha(10, 5), 0.889, 5e-4);
  EXPECT_EQ(CPR_CronbachAlpha(10, 1), 0.0);
  EXPECT_LT(CPR_CronbachAlpha(10, 0.5), 0.0);
  EXPECT_EQ(CPR_CronbachAlpha(10, 0), 0.0);
  EXPECT_TRUE(oscat::host::is_sysmis(CPR_CronbachAlpha(1, 2)));
}

TEST(CatpcaSolution, NormalizationExponents) {
  // NORMALIZATION = 0.5: e_obj = 0.75, e_var = 0.25.
  std::vector<double> X = {1, -1, 2, 0.5}, A = {1, 1, 0.5, -0.5};
  const double lambda[2] = {4, 0.25};
  CPR_Normalize(2, 2, 2, X.data(), 2, A.data(), lambda, 0.75, 0.25, false);
  EXPECT_NEAR(X[0], std::pow(4, 0.375), 1e-14);
  EXPECT_NEAR(X[3], 0.5 * std::pow(0.25, 0.375), 1e-14);
  EXPECT_NEAR(A[0], std::pow(4, -0.375), 1e-14);
  EXPECT_NEAR(A[3], -0.5 * std::pow(0.25, -0.375), 1e-14);
  // Fixed scores: only the loadings move; VPRINCIP (0, 1) changes nothing.
  std::vector<double> X2 = {1, 2}, A2 = {0.3};
  const double l1[1] = {9};
  CPR_Normalize(2, 1, 1, X2.data(), 2, A2.data(), l1, 1, 0, true);
  EXPECT_EQ(X2, (std::vector<double>{1, 2}));
  EXPECT_NEAR(A2[0], 0.1, 1e-15);
  CPR_Normalize(2, 1, 1, X2.data(), 2, A2.data(), l1, 0, 1, false);
  EXPECT_NEAR(A2[0], 0.1, 1e-15);
  EXPECT_EQ(X2[1], 2);
}

TEST(CatpcaSolution, VarimaxRecoversRotatedSimpleStructure) {
  // A simple structure (each row loads on one dimension) rotated by 25 deg.
  const int r = 6, p = 2;
  const double simple[r][2] = {{0.9, 0}, {0.8, 0}, {0.7, 0}, {0, 0.6}, {0, 0.75}, {0, 0.5}};
  const double phi = 25 * std::numbers::pi / 180;
  std::vector<double> L(r * p), L0(r * p);
  for (int i = 0; i < r; ++i) {
    L[i] = simple[i][0] * std::cos(phi) - simple[i][1] * std::sin(phi);
    L[i + r] = simple[i][0] * std::sin(phi) + simple[i][1] * std::cos(phi);
  }
  L0 = L;
  for (bool kaiser : {false, true}) {
    std::vector<double> Lr = L0, T(4), h2(r), work(r);
    const int it = CPR_Orthomax(r, p, Lr.data(), r, 1.0, false, kaiser, T.data(), h2.data(), work.data());
    EXPECT_GT(it, 0);
    for (int i = 0; i < r; ++i) {
      EXPECT_NEAR(Lr[i], simple[i][0], 1e-6) << kaiser << i;
      EXPECT_NEAR(Lr[i + r], simple[i][1], 1e-6) << kaiser << i;
      // Communalities are those of the unrotated rows.
      EXPECT_NEAR(h2[i], L0[i] * L0[i] + L0[i + r] * L0[i + r], 1e-12);
      // Rotated = original * T.
      for (int s = 0; s < p; ++s)
        EXPECT_NEAR(Lr[i + s * r], L0[i] * T[0 + s * p] + L0[i + r] * T[1 + s * p], 1e-12);
    }
    EXPECT_NEAR(T[0] * T[0] + T[1] * T[1], 1.0, 1e-12);
    EXPECT_NEAR(T[0] * T[2] + T[1] * T[3], 0.0, 1e-12);
  }
}

TEST(CatpcaSolution, OrthomaxOrdersColumnsAndReflects) {
  // Quartimax on loadings whose second column dominates and sums negative.
  const int r = 4, p = 2;
  std::vector<double> L = {0.1, 0.2, 0.0, 0.1, -0.9, -0.8, -0.85, -0.7};
  std::vector<double> T(4), h2(r), work(r);
  CPR_Orthomax(r, p, L.data(), r, 0.0, true, false, T.data(), h2.data(), work.data());
  double ss0 = 0, ss1 = 0, sum0 = 0, sum1 = 0;
  for (int i = 0; i < r; ++i) {
    ss0 += L[i] * L[i];
    ss1 += L[i + r] * L[i + r];
    sum0 += L[i];
    sum1 += L[i + r];
  }
  EXPECT_GE(ss0, ss1);
  EXPECT_GE(sum0, 0);
  EXPECT_GE(sum1, 0);
}
