#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include "catpca/pralgo.hpp"
#include "catpca_harness.hpp"
#include "catpca/results.hpp"
#include "host/host.hpp"

using namespace oscat::catpca;
namespace sx = oscat::scaling;

namespace {

// A mixed-level data set run through the engine, then turned into the shown
// solution. Checks below use only the data and the shown arrays.
struct Fit : oscat::catpca::harness::EngineHarness {
  std::vector<int> mult;
  std::vector<double> sA, sq, sY, vafc, vafv;

  Fit(int n_, std::vector<int> ks, std::vector<int> levels, std::vector<double> weights, int p_, unsigned seed) {
    n = n_;
    m = static_cast<int>(ks.size());
    p = p_;
    K = std::move(ks);
    w = std::move(weights);
    std::mt19937 gen(seed);
    std::normal_distribution<double> N01;
    codes.resize(static_cast<std::size_t>(n) * m);
    for (int i = 0; i < n; ++i) {
      const double f1 = N01(gen), f2 = N01(gen);
      for (int j = 0; j < m; ++j) {
        const double z = (j % 2 ? f1 : 0.5 * f1 + 0.8 * f2) * 0.7 + 0.6 * N01(gen);
        const double u = 0.5 * (1 + std::erf(z / std::sqrt(2.0)));
        int c = 1 + static_cast<int>(u * K[j]);
        if (j == 1) c = K[j] - c + 1;  // a non-monotone code order for the nominal variable
        codes[i + static_cast<std::size_t>(j) * n] = std::min(std::max(c, 1), K[j]);
      }
    }
    objw.assign(n, 1.0);
    suppl.assign(m, 0);
    for (int l : levels) lev.push_back(ScalingLevelRecord{l, l >= sx::SPORD ? 2 : 0, l >= sx::SPORD ? 2 : 0, 0});
    for (int l : levels) mult.push_back(l == sx::MNOMINAL ? 1 : 0);
  }

  void go(int proc, double e_obj, double e_var) {
    set.crititer = 1e-10;
    set.maxiter = 500;
    set.xscale = std::sqrt(static_cast<double>(n));
    run(proc);
    ASSERT_EQ(res.error, 0);

    sA.assign(A.size(), 0);
    sq.assign(q.size(), 0);
    sY.assign(Y.size(), 0);
    vafc.assign(eta.size(), 0);
    vafv.assign(eta.size(), 0);
    if (proc == 3) mult.assign(m, 1);
    FinishInput in;
    in.n = n;
    in.m = m;
    in.p = p;
    in.kmax = kmax;
    in.agg = agg.data();
    in.multiple = mult.data();
    in.lambda = lambda.data();
    in.A = A.data();
    in.q = q.data();
    in.Y = Y.data();
    in.eta = eta.data();
    in.xscale = set.xscale;
    in.e_obj = e_obj;
    in.e_var = e_var;
    Shown sh;
    sh.n = n;
    sh.m = m;
    sh.p = p;
    sh.kmax = kmax;
    sh.X = X.data();
    sh.A = sA.data();
    sh.q = sq.data();
    sh.Y = sY.data();
    sh.vafc = vafc.data();
    sh.vafv = vafv.data();
    CPR_Shown(in, sh);
  }

  double Ys(int j, int c, int s) const { return sY[c + static_cast<std::size_t>(s) * kmax + static_cast<std::size_t>(j) * kmax * p]; }
  double qs(int j, int c) const { return sq[c + static_cast<std::size_t>(j) * kmax]; }
  double As(int j, int s) const { return sA[s + static_cast<std::size_t>(j) * p]; }
  double var_x(int s) const {
    double m1 = 0, m2 = 0;
    for (int i = 0; i < n; ++i) m1 += x(i, s) / n;
    for (int i = 0; i < n; ++i) m2 += (x(i, s) - m1) * (x(i, s) - m1) / n;
    return m2;
  }
  double corr_q_x(int j, int s) const {  // correlation of the quantified variable with scores
    double a = 0, b = 0, ab = 0, aa = 0, bb = 0;
    for (int i = 0; i < n; ++i) {
      a += qs(j, code(i, j) - 1) / n;
      b += x(i, s) / n;
    }
    for (int i = 0; i < n; ++i) {
      const double u = qs(j, code(i, j) - 1) - a, v = x(i, s) - b;
      ab += u * v;
      aa += u * u;
      bb += v * v;
    }
    return ab / std::sqrt(aa * bb);
  }
  double category_mean(int j, int c, int s) const {
    double sum = 0, cnt = 0;
    for (int i = 0; i < n; ++i)
      if (code(i, j) == c + 1) {
        sum += x(i, s);
        cnt += 1;
      }
    return sum / cnt;
  }
};

}  // namespace

TEST(CatpcaResults, DimensionCapCountsCategoriesAndObjects) {
  std::vector<double> f5 = {2, 3, 1, 4, 2, 0}, f1 = {5, 7};
  std::vector<double> xs = {1, 2, 3, 4, 5, 6};
  std::vector<CategoryAggregates> agg(2);
  agg[0].K = 6;  // one empty category: 5 non-empty
  agg[0].x = xs.data();
  agg[0].f = f5.data();
  agg[1].K = 2;
  agg[1].x = xs.data();
  agg[1].f = f1.data();
  std::vector<int> mult = {1, 0}, act = {1, 1};
  // Two active variables: the smaller contribution (the single variable's 1).
  EXPECT_EQ(CPR_DimensionCap(2, agg.data(), mult.data(), act.data(), 12), 1);
  // All multiple nominal: non-empty categories minus one each, (4 + 1).
  mult = {1, 1};
  act = {1, 1};
  std::vector<CategoryAggregates> three = {agg[0], agg[1], agg[1]};
  std::vector<int> m3 = {1, 1, 1}, a3 = {1, 1, 1};
  EXPECT_EQ(CPR_DimensionCap(3, three.data(), m3.data(), a3.data(), 100), 6);
  // ... and never more than the active objects minus one.
  EXPECT_EQ(CPR_DimensionCap(3, three.data(), m3.data(), a3.data(), 4.5), 3);
  // A supplementary variable does not count: two active variables remain,
  // and the smaller contribution (2 categories less 1) bounds the solution.
  a3 = {1, 0, 1};
  EXPECT_EQ(CPR_DimensionCap(3, three.data(), m3.data(), a3.data(), 100), 1);
}

// Principal normalization: standardized scores, loadings are correlations of
// the quantified variables with the scores, centroids are category means,
// quantifications standardized, and each eigenvalue is the summed squared loadings.
TEST(CatpcaResults, VariablePrincipalSolutionMeetsItsDefinitions) {
  Fit r(300, {5, 4, 6, 3}, {sx::ORDINAL, sx::NOMINAL, sx::NUMERICAL, sx::SPORD}, {1, 1, 1, 1}, 2, 11);
  r.go(1, 0.0, 1.0);
  for (int s = 0; s < r.p; ++s) {
    EXPECT_NEAR(r.var_x(s), 1.0, 1e-8);
    double ss = 0;
    for (int j = 0; j < r.m; ++j) {
      EXPECT_NEAR(r.As(j, s), r.corr_q_x(j, s), 1e-6) << j << " " << s;
      ss += r.As(j, s) * r.As(j, s);
      EXPECT_NEAR(r.vafv[s + j * r.p], r.As(j, s) * r.As(j, s), 1e-9);
      for (int c = 0; c < r.K[j]; ++c) EXPECT_NEAR(r.Ys(j, c, s), r.category_mean(j, c, s), 1e-8);
    }
    EXPECT_NEAR(ss, r.lambda[s], 1e-8);
  }
  for (int j = 0; j < r.m; ++j) {
    double m1 = 0, m2 = 0;
    for (int c = 0; c < r.K[j]; ++c) m1 += r.fv[j][c] * r.qs(j, c) / r.n;
    for (int c = 0; c < r.K[j]; ++c) m2 += r.fv[j][c] * r.qs(j, c) * r.qs(j, c) / r.n;
    EXPECT_NEAR(m1, 0.0, 1e-9);
    EXPECT_NEAR(m2, 1.0, 1e-9);
  }
  // The ordinal quantification does not decrease over the categories.
  for (int c = 1; c < r.K[0]; ++c) EXPECT_GE(r.qs(0, c), r.qs(0, c - 1) - 1e-12);
}

TEST(CatpcaResults, ObjectPrincipalScalesScoresAndLoadings) {
  Fit r(200, {4, 5, 3}, {sx::NUMERICAL, sx::NUMERICAL, sx::NUMERICAL}, {1, 1, 1}, 2, 5);
  r.go(1, 1.0, 0.0);  // OPRINCIP: q = 1
  for (int s = 0; s < r.p; ++s) {
    EXPECT_NEAR(r.var_x(s), r.lambda[s], 1e-8);
    for (int j = 0; j < r.m; ++j)
      EXPECT_NEAR(r.As(j, s), r.corr_q_x(j, s) / std::sqrt(r.lambda[s]), 1e-6);
  }
}

// Multiple correspondence with a variable of weight 2: the centroids shown are
// plain category means although the engine keeps them scaled by sqrt(w), and
// the discrimination measure is w times the squared correlation ratio.
TEST(CatpcaResults, MultipleNominalCentroidsUndoTheWeightScaling) {
  Fit r(250, {3, 4, 5}, {sx::MNOMINAL, sx::MNOMINAL, sx::MNOMINAL}, {1, 2, 1}, 2, 3);
  r.go(3, 0.0, 1.0);
  for (int s = 0; s < r.p; ++s) {
    double total = 0;
    for (int j = 0; j < r.m; ++j) {
      double bss = 0, tss = 0;
      for (int c = 0; c < r.K[j]; ++c) {
        EXPECT_NEAR(r.Ys(j, c, s), r.category_mean(j, c, s), 1e-8);
        bss += r.fv[j][c] * r.category_mean(j, c, s) * r.category_mean(j, c, s);
      }
      for (int i = 0; i < r.n; ++i) tss += r.x(i, s) * r.x(i, s);
      EXPECT_NEAR(r.vafc[s + j * r.p], r.w[j] * bss / tss, 1e-8);
      EXPECT_TRUE(r.As(j, s) == oscat::host::SYSMIS);
      total += r.vafc[s + j * r.p];
    }
    EXPECT_NEAR(total, r.lambda[s], 1e-8);
  }
}
