#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "corres/corres.hpp"

using namespace oscat::corres;

namespace {

// Owns every array of one analysis and runs the steps in order.
struct CaRun {
  std::vector<double> F, F0, r, c, r0, c0, S, A, X, Y, lambda, rowin, colin, cov, P, ubuf, vbuf, svdwork, keys,
      scratch;
  std::vector<int> gR, gC, perm, supr, supc, eqr, eqc;
  Analysis a;
  int flags = 0;

  CaRun(int I, int J, std::vector<double> table, int ndim = 2, bool points = true) {
    F = std::move(table);
    supr.assign(I, 0);
    supc.assign(J, 0);
    eqr.assign(I, 0);
    eqc.assign(J, 0);
    a.I = I;
    a.J = J;
    a.p = ndim;
    want_points = points;
  }
  bool want_points;
  void go(int measure = CHISQ, int standardize = RCMEAN, double rpow = 0.5, double cpow = 0.5, double alpha = 0,
          bool principal = false) {
    const int I = a.I, J = a.J;
    int nsr = 0, nsc = 0;
    for (int v : supr) nsr += v != 0;
    for (int v : supc) nsc += v != 0;
    const int q = std::min(I - nsr, J - nsc);
    Sizes s = analysis_sizes(I, J, nsr, nsc, q, a.p);
    F0.resize(s.F);
    S.resize(s.F);
    P.resize(s.F);
    A.resize(s.F);
    r.resize(I);
    c.resize(J);
    r0.resize(I);
    c0.resize(J);
    rowin.resize(I);
    colin.resize(J);
    X.resize(s.vecR);
    Y.resize(s.vecC);
    lambda.resize(q);
    ubuf.resize(s.ubuf);
    vbuf.resize(s.vbuf);
    svdwork.resize(s.svdwork);
    cov.resize(s.cov);
    keys.resize(std::max(I, J));
    scratch.resize(a.p + std::max(I, J) * a.p);
    gR.resize(I);
    gC.resize(J);
    perm.resize(std::max(I, J));
    a.F = F.data(); a.F0 = F0.data(); a.r = r.data(); a.c = c.data(); a.r0 = r0.data(); a.c0 = c0.data();
    a.S = S.data(); a.A = A.data(); a.X = X.data(); a.Y = Y.data(); a.lambda = lambda.data();
    a.rowin = rowin.data(); a.colin = colin.data(); a.cov = cov.data(); a.P = P.data(); a.ubuf = ubuf.data();
    a.vbuf = vbuf.data(); a.svdwork = svdwork.data(); a.keys = keys.data(); a.scratch = scratch.data();
    a.gsizeR = gR.data(); a.gsizeC = gC.data(); a.perm = perm.data();
    a.suprow = supr.data(); a.supcol = supc.data(); a.eqrow = eqr.data(); a.eqcol = eqc.data();
    a.measure = measure; a.standardize = standardize; a.rpow = rpow; a.cpow = cpow; a.alpha = alpha;
    a.principal = principal;
    ASSERT_EQ(ca_margins(a), 0);
    ca_merge_equal(a);
    ca_standardize_center(a);
    ca_decompose(a, q);
    flags = ca_check_dims(a);
    ca_coordinates(a);
    ca_confidence(a, want_points, want_points);
    ca_scores(a);
    ca_summary(a);
  }
  double xs(int i, int k) const { return X[static_cast<std::size_t>(k) * a.I + i]; }
  double ys(int j, int k) const { return Y[static_cast<std::size_t>(k) * a.J + j]; }
};

// Staff group by smoking: rows senior managers .. secretaries, columns none .. heavy.
const std::vector<double> kSmokingRows = {4, 2, 3, 2, 4, 3, 7, 4, 25, 10, 12, 4, 18, 24, 33, 13, 10, 6, 7, 2};
std::vector<double> column_major(const std::vector<double>& byrow, int I, int J) {
  std::vector<double> f(I * J);
  for (int i = 0; i < I; ++i)
    for (int j = 0; j < J; ++j) f[j * I + i] = byrow[i * J + j];
  return f;
}

}  // namespace

TEST(CorresCompute, SmokingTableKnownValues) {
  CaRun run(5, 4, column_major(kSmokingRows, 5, 4));
  run.go();
  EXPECT_EQ(run.a.qp, 3);
  EXPECT_NEAR(run.lambda[0], 0.2734, 5e-5);
  EXPECT_NEAR(run.lambda[1], 0.1001, 5e-5);
  EXPECT_NEAR(run.lambda[2], 0.0203, 5e-5);
  EXPECT_NEAR(run.a.total_inertia, 0.0852, 5e-5);
  EXPECT_NEAR(run.a.chi2, 16.44, 5e-3);
  EXPECT_EQ(run.a.df, 12);
  EXPECT_NEAR(oscat::host::SIGCHI(run.a.chi2, run.a.df), 0.172, 5e-4);
  // Point inertias add up to the total; contributions of points to a dimension sum to 1.
  double ri = 0, ci = 0;
  for (int i = 0; i < 5; ++i) ri += run.rowin[i];
  for (int j = 0; j < 4; ++j) ci += run.colin[j];
  EXPECT_NEAR(ri, run.a.total_inertia, 1e-12);
  EXPECT_NEAR(ci, run.a.total_inertia, 1e-12);
  double score[2], cp[2], cd[2], sum[2] = {0, 0};
  for (int i = 0; i < 5; ++i) {
    PointStats ps = ca_point(run.a, false, i, score, cp, cd);
    sum[0] += cp[0];
    sum[1] += cp[1];
    EXPECT_LE(ps.total, 1 + 1e-12);
  }
  EXPECT_NEAR(sum[0], 1, 1e-12);
  EXPECT_NEAR(sum[1], 1, 1e-12);
}

TEST(CorresCompute, SupplementaryRowFollowsTransitionFormula) {
  CaRun full(4, 4, column_major(std::vector<double>(kSmokingRows.begin(), kSmokingRows.begin() + 16), 4, 4));
  full.go();
  CaRun run(5, 4, column_major(kSmokingRows, 5, 4));
  run.supr[4] = 1;
  run.go();
  for (int k = 0; k < 3; ++k) EXPECT_NEAR(run.lambda[k], full.lambda[k], 1e-12);
  EXPECT_EQ(run.a.df, 9);
  // Symmetric normalization: row score = profile . column scores / lambda.
  const double prof[4] = {10 / 25.0, 6 / 25.0, 7 / 25.0, 2 / 25.0};
  for (int k = 0; k < 2; ++k) {
    double s = 0;
    for (int j = 0; j < 4; ++j) s += prof[j] * run.ys(j, k);
    EXPECT_NEAR(run.xs(4, k), s / run.lambda[k], 1e-12);
    // Column scores equal those of the table without the row (up to sign).
    EXPECT_NEAR(std::fabs(run.ys(0, k)), std::fabs(full.ys(0, k)), 1e-10);
  }
  double score[2], cp[2], cd[2];
  ca_point(run.a, false, 4, score, cp, cd);
  EXPECT_EQ(cp[0], 0);
  EXPECT_EQ(cp[1], 0);
}

TEST(CorresCompute, EqualRowsGiveTheMergedTable) {
  // Rows 1 and 2 equal: the same values as the table with them summed.
  std::vector<double> merged = {8, 5, 10, 6, 25, 10, 12, 4, 18, 24, 33, 13, 10, 6, 7, 2};
  CaRun m(4, 4, column_major(merged, 4, 4));
  m.go();
  CaRun run(5, 4, column_major(kSmokingRows, 5, 4));
  run.eqr[0] = 1;
  run.eqr[1] = 1;
  run.go();
  EXPECT_EQ(run.a.Iact, 4);
  EXPECT_EQ(run.a.qp, 3);
  for (int k = 0; k < 3; ++k) EXPECT_NEAR(run.lambda[k], m.lambda[k], 1e-12);
  EXPECT_NEAR(run.a.N, 193, 1e-12);
  for (int k = 0; k < 2; ++k) {
    EXPECT_NEAR(run.xs(0, k), run.xs(1, k), 1e-12);
    EXPECT_NEAR(std::fabs(run.xs(0, k)), std::fabs(m.xs(0, k)), 1e-10);
  }
}

TEST(CorresCompute, DeltaMethodMatchesFiniteDifferences) {
  // Square table: every direction of the row and column spaces has a vector,
  // so the influence formulas are complete and must match numeric derivatives.
  const std::vector<double> t = {20, 5, 8, 3, 6, 25, 4, 9, 7, 6, 30, 5, 2, 8, 6, 28};
  const int n = 4, p = 2;
  CaRun base(n, n, column_major(t, n, n));
  base.go();
  const double N = base.a.N;
  std::vector<double> varl(p, 0), varx(n * p, 0);
  const double hstep = 1e-5;
  for (int i = 0; i < n; ++i)
    for (int j = 0; j < n; ++j) {
      std::vector<double> tp = t, tm = t;
      tp[i * n + j] += hstep;
      tm[i * n + j] -= hstep;
      CaRun up(n, n, column_major(tp, n, n)), dn(n, n, column_major(tm, n, n));
      up.go();
      dn.go();
      const double pij = t[i * n + j] / N;
      for (int k = 0; k < p; ++k) {
        const double g = N * (up.lambda[k] - dn.lambda[k]) / (2 * hstep);
        varl[k] += pij * g * g / N;
        const double su = up.xs(0, k) * base.xs(0, k) > 0 ? 1 : -1;
        const double sd = dn.xs(0, k) * base.xs(0, k) > 0 ? 1 : -1;
        for (int r = 0; r < n; ++r) {
          const double gx = N * (su * up.xs(r, k) - sd * dn.xs(r, k)) / (2 * hstep);
          varx[k * n + r] += pij * gx * gx / N;
        }
      }
    }
  for (int k = 0; k < p; ++k) {
    EXPECT_NEAR(base.cov[cov_index(p, 0, k, k)], varl[k], 1e-6 * varl[k] + 1e-12);
    for (int r = 0; r < n; ++r)
      EXPECT_NEAR(base.cov[cov_index(p, 1 + r, k, k)], varx[k * n + r], 1e-5 * varx[k * n + r] + 1e-10)
          << "row " << r << " dim " << k;
  }
}

TEST(CorresCompute, IndependenceAndDimensionLimits) {
  // Proportional rows: no dimension above the tolerance.
  CaRun ind(3, 3, {1, 2, 3, 2, 4, 6, 3, 6, 9});
  ind.go();
  EXPECT_TRUE(ind.flags & 4);
  // 2 x 2 table: one dimension at most.
  CaRun two(2, 2, {5, 1, 2, 7});
  two.go();
  EXPECT_TRUE(two.flags & 1);
  EXPECT_EQ(two.a.p, 1);
}

TEST(CorresCompute, EuclideanRowMeansAndPermutation) {
  // RMEAN removes row means: the Euclidean decomposition of the row-centered table.
  CaRun e(3, 3, {1, 4, 2, 5, 2, 8, 3, 9, 1});
  e.go(EUCLID, RMEAN);
  EXPECT_GT(e.lambda[0], 0);
  EXPECT_EQ(e.a.df, 4);
  // Scores sorted increasingly; a row with a zero first sum goes last.
  CaRun z(4, 3, {1, 0, 3, 4, 2, 0, 1, 5, 3, 0, 2, 6});
  z.go();
  ca_permutation(z.a, false, 0);
  EXPECT_EQ(z.perm[3], 1);
  EXPECT_LE(z.xs(z.perm[0], 0), z.xs(z.perm[1], 0));
  EXPECT_LE(z.xs(z.perm[1], 0), z.xs(z.perm[2], 0));
}

// Empty rows and columns have no profile: the table padded with them has the
// chi-square and df of the table without them; an equality group counts once,
// whichever of its members leads it, and is not empty when a member has mass.
TEST(CorresCompute, EmptyPointsAddNoDegreesOfFreedom) {
  CaRun plain(5, 4, column_major(kSmokingRows, 5, 4));
  plain.go();
  std::vector<double> padded(7 * 6, 0.0);
  for (int i = 0; i < 5; ++i)
    for (int j = 0; j < 4; ++j) padded[j * 7 + (i + 1)] = kSmokingRows[i * 4 + j];  // row 0 and rows 6 empty
  CaRun run(7, 6, padded);
  run.go();
  EXPECT_NEAR(run.a.chi2, plain.a.chi2, 1e-9);
  EXPECT_EQ(run.a.Iact, 7);
  EXPECT_EQ(run.a.Jact, 6);
  EXPECT_EQ(run.a.Inz, 5);
  EXPECT_EQ(run.a.Jnz, 4);
  EXPECT_EQ(run.a.df, 12);

  // Rows 2 and 4 (0-based 1 and 3) in one group led by row 4: one row less.
  CaRun eq(5, 4, column_major(kSmokingRows, 5, 4));
  eq.eqr[1] = 4;
  eq.eqr[3] = 4;
  eq.go();
  EXPECT_EQ(eq.a.Inz, 4);
  EXPECT_EQ(eq.a.df, 9);
}
