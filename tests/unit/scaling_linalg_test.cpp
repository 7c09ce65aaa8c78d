#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

#include "scaling/linalg.hpp"

using namespace oscat::scaling;

TEST(ScalingLinalg, MatMulAllTransposeCombinations) {
  // A is 3x2, B is 2x4 (column-major); check every op combination against
  // the plain triple loop on explicitly transposed copies.
  const std::vector<double> A = {1, 2, 3, 4, 5, 6};
  const std::vector<double> B = {1, -1, 2, 0.5, -3, 1, 0, 2};
  std::vector<double> At(6), Bt(8);
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 2; ++j) At[j + i * 2] = A[i + j * 3];
  for (int i = 0; i < 2; ++i)
    for (int j = 0; j < 4; ++j) Bt[j + i * 4] = B[i + j * 2];
  std::vector<double> ref(12, 0.0);
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 4; ++j)
      for (int l = 0; l < 2; ++l) ref[i + j * 3] += A[i + l * 3] * B[l + j * 2];
  for (char ta : {'N', 'T'})
    for (char tb : {'N', 'T'}) {
      std::vector<double> C(12, 7.0);
      MatMul(ta, tb, 3, 4, 2, 2.0, ta == 'N' ? A.data() : At.data(), ta == 'N' ? 3 : 2,
             tb == 'N' ? B.data() : Bt.data(), tb == 'N' ? 2 : 4, 1.0, C.data(), 3);
      for (int i = 0; i < 12; ++i) EXPECT_DOUBLE_EQ(C[i], 7.0 + 2.0 * ref[i]) << ta << tb << i;
    }
}

TEST(ScalingLinalg, SymEigenKnownSpectrumDescendingWithVectors) {
  // The second-difference matrix tridiag(-1, 2, -1) of order n has eigenvalues
  // 2 - 2 cos(k pi / (n + 1)), k = 1..n.
  const int n = 7;
  std::vector<double> a(n * n, 0.0), orig;
  for (int i = 0; i < n; ++i) {
    a[i + i * n] = 2;
    if (i > 0) a[i + (i - 1) * n] = a[(i - 1) + i * n] = -1;
  }
  orig = a;
  std::vector<double> d(n), e(n);
  ASSERT_EQ(SymEigen(n, a.data(), n, d.data(), e.data()), 0);
  for (int k = 0; k < n; ++k) {
    const double expect = 2 - 2 * std::cos((n - k) * std::numbers::pi / (n + 1));
    EXPECT_NEAR(d[k], expect, 1e-12);
    // A v = lambda v and unit length.
    double len = 0;
    for (int i = 0; i < n; ++i) {
      double av = 0;
      for (int j = 0; j < n; ++j) av += orig[i + j * n] * a[j + k * n];
      EXPECT_NEAR(av, d[k] * a[i + k * n], 1e-12);
      len += a[i + k * n] * a[i + k * n];
    }
    EXPECT_NEAR(len, 1.0, 1e-12);
  }
  // Orthogonality of distinct vectors.
  for (int k = 0; k < n; ++k)
    for (int l = k + 1; l < n; ++l) {
      double dot = 0;
      for (int i = 0; i < n; ++i) dot += a[i + k * n] * a[i + l * n];
      EXPECT_NEAR(dot, 0.0, 1e-12);
    }
}

TEST(ScalingLinalg, SymEigenTiesKeepOrderAndTrivialSizes) {
  // A diagonal matrix: no QL work; the descending order must move 5 to the
  // front while the two equal 3s keep their relative order (columns e1, e3).
  const int n = 4;
  std::vector<double> a = {3, 0, 0, 0, 0, 1, 0, 0, 0, 0, 3, 0, 0, 0, 0, 5};
  std::vector<double> d(n), e(n);
  ASSERT_EQ(SymEigen(n, a.data(), n, d.data(), e.data()), 0);
  EXPECT_EQ(d, (std::vector<double>{5, 3, 3, 1}));
  EXPECT_DOUBLE_EQ(std::fabs(a[3 + 0 * n]), 1.0);
  EXPECT_DOUBLE_EQ(std::fabs(a[0 + 1 * n]), 1.0);  // first 3 came from column 1
  EXPECT_DOUBLE_EQ(std::fabs(a[2 + 2 * n]), 1.0);  // second 3 from column 3
  double one = 4.0, d1, e1;
  ASSERT_EQ(SymEigen(1, &one, 1, &d1, &e1), 0);
  EXPECT_DOUBLE_EQ(d1, 4.0);
  EXPECT_DOUBLE_EQ(one, 1.0);
  // 2x2 with a closed form: [[2,1],[1,2]] -> 3, 1.
  std::vector<double> b = {2, 1, 1, 2};
  double d2[2], e2[2];
  ASSERT_EQ(SymEigen(2, b.data(), 2, d2, e2), 0);
  EXPECT_NEAR(d2[0], 3.0, 1e-14);
  EXPECT_NEAR(d2[1], 1.0, 1e-14);
  EXPECT_NEAR(std::fabs(b[0]), std::sqrt(0.5), 1e-14);
}

TEST(ScalingLinalg, LuInverseAndSolveNeedPivoting) {
  // A zero leading element forces a row interchange.
  const int n = 3;
  std::vector<double> a = {0, 2, 1, 1, 1, 3, 2, 0, 1};  // columns
  const std::vector<double> orig = a;
  int piv[3];
  ASSERT_EQ(LuDecomp(n, a.data(), n, piv), 0);
  std::vector<double> inv(9), work(3);
  LuInverse(n, a.data(), n, piv, inv.data(), n, work.data());
  for (int i = 0; i < n; ++i)
    for (int j = 0; j < n; ++j) {
      double s = 0;
      for (int l = 0; l < n; ++l) s += orig[i + l * n] * inv[l + j * n];
      EXPECT_NEAR(s, i == j ? 1.0 : 0.0, 1e-14);
    }
  double b[3] = {3, 3, 5};  // A * (1, 1, 1)
  LuSolve(n, a.data(), n, piv, b);
  for (double v : b) EXPECT_NEAR(v, 1.0, 1e-14);
  std::vector<double> sing = {1, 2, 2, 4};
  int p2[2];
  EXPECT_EQ(LuDecomp(2, sing.data(), 2, p2), 2);
}

TEST(ScalingLinalg, IndexShellSortOrdersIndexes) {
  const std::vector<double> keys = {5, -1, 3, 3, 9, 0, -7, 2, 8, 1, 4};
  std::vector<int> idx(keys.size());
  for (int i = 0; i < static_cast<int>(idx.size()); ++i) idx[i] = i;
  IndexShellSort(static_cast<int>(idx.size()), keys.data(), idx.data());
  for (std::size_t i = 1; i < idx.size(); ++i) EXPECT_LE(keys[idx[i - 1]], keys[idx[i]]);
  std::vector<int> seen(keys.size(), 0);
  for (int v : idx) ++seen[v];
  for (int s : seen) EXPECT_EQ(s, 1);
}
