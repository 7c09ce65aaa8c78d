#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "scaling/svd.hpp"

using oscat::scaling::CPR_PXS_SVDCMP;
using oscat::scaling::svd_work_size;

namespace {

struct Case {
  int m, n, nvec;
};

// Decompose a random matrix and check A v_k = s_k u_k, A^T u_k = s_k v_k,
// orthonormality, the ordering, and that the squared values sum to ||A||_F^2.
void check_random(int m, int n, int nvec, unsigned seed, bool rank_deficient) {
  std::mt19937 gen(seed);
  std::normal_distribution<double> nd;
  std::vector<double> a(static_cast<std::size_t>(m) * n);
  for (auto& x : a) x = nd(gen);
  if (rank_deficient && n > 2) {
    // Make the last column the sum of the first two and repeat a column.
    for (int i = 0; i < m; ++i) a[static_cast<std::size_t>(n - 1) * m + i] = a[i] + a[m + i];
  }
  std::vector<double> a0 = a, w(n), u(static_cast<std::size_t>(m) * std::max(nvec, 1)),
                      v(static_cast<std::size_t>(n) * std::max(nvec, 1)), work(svd_work_size(m, n, nvec));
  int sweeps = CPR_PXS_SVDCMP(m, n, a.data(), m, w.data(), nvec, u.data(), m, v.data(), n, work.data());
  EXPECT_GT(sweeps, 0);
  double fro = 0;
  for (double x : a0) fro += x * x;
  double sw = 0;
  for (int k = 0; k < n; ++k) {
    sw += w[k] * w[k];
    EXPECT_GE(w[k], 0);
    if (k > 0) {
      EXPECT_GE(w[k - 1], w[k]);
    }
  }
  EXPECT_NEAR(sw, fro, 1e-9 * fro);
  if (rank_deficient && n > 2) {
    EXPECT_LT(w[n - 1], 1e-10 * w[0]);
  }
  const double tol = 1e-9 * w[0];
  for (int k = 0; k < nvec; ++k) {
    const double* uk = &u[static_cast<std::size_t>(k) * m];
    const double* vk = &v[static_cast<std::size_t>(k) * n];
    for (int i = 0; i < m; ++i) {
      double s = 0;
      for (int j = 0; j < n; ++j) s += a0[static_cast<std::size_t>(j) * m + i] * vk[j];
      ASSERT_NEAR(s, w[k] * uk[i], tol) << "m=" << m << " n=" << n << " k=" << k;
    }
    for (int j = 0; j < n; ++j) {
      double s = 0;
      for (int i = 0; i < m; ++i) s += a0[static_cast<std::size_t>(j) * m + i] * uk[i];
      ASSERT_NEAR(s, w[k] * vk[j], tol);
    }
    for (int l = 0; l <= k; ++l) {
      double su = 0, sv = 0;
      for (int i = 0; i < m; ++i) su += uk[i] * u[static_cast<std::size_t>(l) * m + i];
      for (int j = 0; j < n; ++j) sv += vk[j] * v[static_cast<std::size_t>(l) * n + j];
      EXPECT_NEAR(su, l == k ? 1.0 : 0.0, 1e-9);
      EXPECT_NEAR(sv, l == k ? 1.0 : 0.0, 1e-9);
    }
  }
}

}  // namespace

TEST(CorresSvd, ReconstructsRandomMatricesAllVectors) {
  const Case cases[] = {{1, 1, 1}, {2, 2, 2}, {5, 4, 4}, {7, 3, 3}, {30, 30, 30}, {40, 12, 12}};
  unsigned seed = 1;
  for (const auto& c : cases) {
    check_random(c.m, c.n, c.nvec, seed++, false);
    check_random(c.m, c.n, c.nvec, seed++, true);
  }
}

TEST(CorresSvd, FewVectorsByInverseIteration) {
  const Case cases[] = {{60, 60, 2}, {100, 40, 3}, {200, 50, 1}, {80, 64, 5}, {50, 50, 0}};
  unsigned seed = 100;
  for (const auto& c : cases) {
    check_random(c.m, c.n, c.nvec, seed++, false);
    check_random(c.m, c.n, c.nvec, seed++, true);
  }
}

TEST(CorresSvd, RepeatedSingularValuesGiveOrthogonalVectors) {
  // Block-diagonal copies of one matrix: every value appears twice, so the
  // inverse iteration must keep the pair apart.
  const int b = 20, n = 2 * b;
  std::mt19937 gen(7);
  std::normal_distribution<double> nd;
  std::vector<double> blk(b * b), a(n * n, 0.0);
  for (auto& x : blk) x = nd(gen);
  for (int j = 0; j < b; ++j)
    for (int i = 0; i < b; ++i) a[j * n + i] = a[(j + b) * n + i + b] = blk[j * b + i];
  const int nvec = 4;
  std::vector<double> w(n), u(n * nvec), v(n * nvec), work(svd_work_size(n, n, nvec));
  std::vector<double> a0 = a;
  CPR_PXS_SVDCMP(n, n, a.data(), n, w.data(), nvec, u.data(), n, v.data(), n, work.data());
  EXPECT_NEAR(w[0], w[1], 1e-10 * w[0]);
  for (int k = 0; k < nvec; ++k)
    for (int l = 0; l < k; ++l) {
      double s = 0;
      for (int i = 0; i < n; ++i) s += u[k * n + i] * u[l * n + i];
      EXPECT_NEAR(s, 0.0, 1e-8);
    }
  for (int k = 0; k < nvec; ++k)
    for (int i = 0; i < n; ++i) {
      double s = 0;
      for (int j = 0; j < n; ++j) s += a0[j * n + i] * v[k * n + j];
      EXPECT_NEAR(s, w[k] * u[k * n + i], 1e-9 * w[0]);
    }
}

TEST(CorresSvd, KnownValuesOfADiagonalMatrix) {
  // Columns out of order and signs mixed: values come back sorted and positive.
  const int m = 4, n = 3;
  std::vector<double> a = {0, -2, 0, 0, 5, 0, 0, 0, 0, 0, -3, 0};
  std::vector<double> w(n), u(m * n), v(n * n), work(svd_work_size(m, n, n));
  CPR_PXS_SVDCMP(m, n, a.data(), m, w.data(), n, u.data(), m, v.data(), n, work.data());
  EXPECT_NEAR(w[0], 5, 1e-14);
  EXPECT_NEAR(w[1], 3, 1e-14);
  EXPECT_NEAR(w[2], 2, 1e-14);
  EXPECT_NEAR(std::fabs(v[0 * n + 1]), 1, 1e-14);  // value 5 lives in column 2
}
