// The regression engine and the statistics of its fit.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "catreg/regression.hpp"
#include "catreg/statistics.hpp"
#include "host/host.hpp"
#include "scaling/als.hpp"

using namespace oscat;
using namespace oscat::catreg;
namespace sc = oscat::scaling;

namespace {

// n objects, m variables with integer categories 1..K_j; owns every array.
struct Problem {
  int n, m, kmax = 0;
  std::vector<int> codes;
  std::vector<double> w, x, f, q, b, z, phi, zhat, r, t, work;
  std::vector<sc::CategoryAggregates> agg;
  std::vector<sc::ScalingLevelRecord> lev;
  std::vector<HistoryRow> hist;
  CrgData d;
  CrgArrays a;

  Problem(const std::vector<std::vector<int>>& cols, int level, int maxiter = 1000)
      : n(static_cast<int>(cols[0].size())), m(static_cast<int>(cols.size())) {
    for (const auto& c : cols)
      for (int v : c) kmax = std::max(kmax, v);
    codes.resize(static_cast<std::size_t>(n) * m);
    w.assign(n, 1.0);
    x.resize(static_cast<std::size_t>(kmax) * m);
    f.assign(static_cast<std::size_t>(kmax) * m, 0.0);
    agg.resize(m);
    lev.assign(m, sc::ScalingLevelRecord{level, 0, 0, 0});
    for (int j = 0; j < m; ++j) {
      for (int i = 0; i < n; ++i) {
        codes[i + static_cast<std::size_t>(j) * n] = cols[j][i];
        f[cols[j][i] - 1 + static_cast<std::size_t>(j) * kmax] += 1;
      }
      for (int c = 0; c < kmax; ++c) x[c + static_cast<std::size_t>(j) * kmax] = c + 1;
      auto& v = agg[j];
      v.K = kmax;
      v.x = &x[static_cast<std::size_t>(j) * kmax];
      v.f = &f[static_cast<std::size_t>(j) * kmax];
      sc::ZYL_Moments(v.x, v.f, v.K, v.N, v.xbar, v.S);
    }
    q.resize(static_cast<std::size_t>(kmax) * m);
    b.resize(m);
    z.resize(n);
    phi.resize(static_cast<std::size_t>(n) * m);
    zhat.resize(n);
    r.resize(n);
    t.resize(kmax);
    work.resize(2 * static_cast<std::size_t>(kmax));
    hist.resize(maxiter + 2);
    d = CrgData{n, m, kmax, codes.data(), w.data(), agg.data(), lev.data(), nullptr, static_cast<double>(n)};
    a = CrgArrays{q.data(), b.data(), z.data(), phi.data(), zhat.data(), r.data(), t.data(), work.data(), hist.data()};
  }
  double grad(int j) const {  // phi_j'(z - zhat)/N
    double s = 0;
    for (int i = 0; i < n; ++i) s += phi[i + static_cast<std::size_t>(j) * n] * (z[i] - zhat[i]);
    return s / n;
  }
};

std::vector<std::vector<int>> sample_data() {
  std::vector<std::vector<int>> c(4, std::vector<int>(30));
  unsigned s = 7;
  auto next = [&](int k) { s = s * 1103515245u + 12345u; return static_cast<int>((s >> 16) % k) + 1; };
  for (int i = 0; i < 30; ++i) {
    c[1][i] = next(5);
    c[2][i] = next(4);
    c[3][i] = next(6);
    c[0][i] = std::min(9, std::max(1, c[1][i] + (c[2][i] > 2 ? 2 : 0) - c[3][i] / 3 + next(3)));
  }
  return c;
}

}  // namespace

TEST(CatregRegression, PenalizedCoefficientUpdate) {
  EXPECT_DOUBLE_EQ(CRG_RegCoef(0.6, Penalty::None, 0, 0), 0.6);
  EXPECT_DOUBLE_EQ(CRG_RegCoef(0.6, Penalty::Ridge, 0, 0.5), 0.4);
  // Lasso: soft thresholding at lambda1 / 2 (the objective carries lambda1/2 |b|).
  EXPECT_DOUBLE_EQ(CRG_RegCoef(0.6, Penalty::Lasso, 0.4, 0.7), 0.4);  // no ridge part for lasso
  EXPECT_DOUBLE_EQ(CRG_RegCoef(-0.6, Penalty::Lasso, 0.4, 0), -0.4);
  EXPECT_EQ(CRG_RegCoef(0.15, Penalty::Lasso, 0.4, 0), 0.0);
  EXPECT_EQ(CRG_RegCoef(-0.2, Penalty::Lasso, 0.4, 0), 0.0);
  EXPECT_DOUBLE_EQ(CRG_RegCoef(0.6, Penalty::ElasticNet, 0.4, 1.0), 0.2);
}

TEST(CatregRegression, ConvergenceNeedsThreeSweepsAndMaxiterStops) {
  // One numerical predictor: the loss is final after the first sweep, yet
  // sweeps 1..3 are made before the stop.
  auto c = sample_data();
  c.resize(2);
  Problem p(c, sc::NUMERICAL);
  CrgSettings s;
  CrgResult res;
  CRG_InitNumerical(p.d, p.a);
  CRG_Als(p.d, s, p.a, res);
  EXPECT_FALSE(res.prerun);  // every variable numerical
  EXPECT_EQ(res.iterations, 3);
  EXPECT_EQ(res.history_rows, 3);
  EXPECT_TRUE(res.converged);
  EXPECT_FALSE(p.hist[0].has_decrease);
  // R^2 is the squared correlation, the loss 1 - R^2.
  EXPECT_NEAR(res.ape, 1 - res.r2, 1e-12);
  EXPECT_NEAR(p.b[1] * p.b[1], res.r2, 1e-12);

  Problem p3(sample_data(), sc::NUMERICAL);
  s.maxiter = 1;
  CRG_InitNumerical(p3.d, p3.a);
  CRG_Als(p3.d, s, p3.a, res);
  EXPECT_EQ(res.iterations, 1);
  EXPECT_FALSE(res.converged);
}

TEST(CatregRegression, PenalizedFitsMeetTheirOptimalityConditions) {
  // Objective 1/(2N)|z - X b|^2 + lambda1/2 |b|_1 + lambda2/2 |b|^2.
  CrgSettings s;
  s.crititer = 1e-14;
  CrgResult res;
  {  // ridge: X'(z - Xb)/N = lambda2 b
    Problem p(sample_data(), sc::NUMERICAL);
    s.penalty = Penalty::Ridge;
    s.lambda2 = 0.3;
    CRG_InitNumerical(p.d, p.a);
    CRG_Als(p.d, s, p.a, res);
    for (int j = 1; j < p.m; ++j) EXPECT_NEAR(p.grad(j), 0.3 * p.b[j], 1e-9) << j;
  }
  {  // lasso: gradient lambda1/2 sign(b), or within +-lambda1/2 at b = 0
    Problem p(sample_data(), sc::NUMERICAL);
    s.penalty = Penalty::Lasso;
    s.lambda1 = 0.8;
    s.lambda2 = 0;
    CRG_InitNumerical(p.d, p.a);
    CRG_Als(p.d, s, p.a, res);
    int zeros = 0;
    for (int j = 1; j < p.m; ++j) {
      if (p.b[j] == 0) {
        ++zeros;
        EXPECT_LE(std::fabs(p.grad(j)), 0.4 + 1e-9) << j;
      } else {
        EXPECT_NEAR(p.grad(j), 0.4 * (p.b[j] > 0 ? 1 : -1), 1e-9) << j;
      }
    }
    EXPECT_GE(zeros, 1);  // this penalty removes a predictor
    EXPECT_LT(zeros, p.m - 1);
  }
  {  // no penalty: the normal equations
    Problem p(sample_data(), sc::NUMERICAL);
    s.penalty = Penalty::None;
    CRG_InitNumerical(p.d, p.a);
    CRG_Als(p.d, s, p.a, res);
    for (int j = 1; j < p.m; ++j) EXPECT_NEAR(p.grad(j), 0.0, 1e-9) << j;
  }
}

TEST(CatregRegression, NominalPredictorsEndWithPositiveCoefficients) {
  auto c = sample_data();
  // Reverse the order of a's categories: its numerical start correlates negatively.
  for (int& v : c[1]) v = 6 - v;
  Problem p(c, sc::NOMINAL);
  p.lev[0].mlevel = sc::NUMERICAL;
  CrgSettings s;
  CrgResult res;
  CRG_InitNumerical(p.d, p.a);
  CRG_Als(p.d, s, p.a, res);
  EXPECT_TRUE(res.prerun);
  for (int j = 1; j < p.m; ++j) EXPECT_GT(p.b[j], 0) << j;
  EXPECT_GE(res.r2, res.r20 - 1e-12);  // the main run improves on the numerical fit
}

TEST(CatregStatistics, DegreesOfFreedomCountChangesBetweenNonEmptyCategories) {
  Problem p(sample_data(), sc::NOMINAL);
  std::vector<double> f = {3, 0, 2, 4, 1};
  sc::CategoryAggregates v;
  v.K = 5;
  v.f = f.data();
  const_cast<sc::CategoryAggregates&>(p.agg[1]) = v;
  p.d.agg = p.agg.data();
  // Equal values in categories 1 and 3 (2 is empty, so they are adjacent).
  const double q1[] = {0.5, 9.0, 0.5, -1.0, -1.0};
  EXPECT_EQ(CRG_Df(p.d, q1, 0.4, 1), 1);
  const double q2[] = {0.5, 9.0, -1.0, 0.5, 0.7};
  EXPECT_EQ(CRG_Df(p.d, q2, 0.4, 1), 3);
  EXPECT_EQ(CRG_Df(p.d, q2, 0.0, 1), 0);  // a removed predictor
  p.lev[1].mlevel = sc::NUMERICAL;
  EXPECT_EQ(CRG_Df(p.d, q2, 0.4, 1), 1);
  p.lev[1].status = -1;  // a fixed sign not met
  EXPECT_TRUE(host::is_sysmis(CRG_Df(p.d, q2, 0.4, 1)));
}

TEST(CatregStatistics, ToleranceIsOneOverTheDiagonalOfTheInverse) {
  // Two predictors correlating 0.6: tolerance 1 - 0.36 each; a third one
  // without df is left out.
  double R[9] = {1, 0.6, 0.2, 0.6, 1, 0.1, 0.2, 0.1, 1};
  const double df[3] = {1, 1, host::SYSMIS};
  double tol[3], work[6];
  ASSERT_TRUE(CRG_Tolerance(3, R, df, tol, work));
  EXPECT_NEAR(tol[0], 0.64, 1e-12);
  EXPECT_NEAR(tol[1], 0.64, 1e-12);
  EXPECT_TRUE(host::is_sysmis(tol[2]));
}

#include "catreg/resample.hpp"

TEST(CatregResample, FoldsDealTheActiveCasesOutInTurn) {
  // Ten active cases and an inactive one (index 4) in 3 folds: 1 4 7 10 / 2 5 8 / 3 6 9.
  std::vector<double> w(11, 1.0), out(11);
  w[4] = 0;
  const std::vector<std::vector<int>> folds = {{0, 3, 7, 10}, {1, 5, 8}, {2, 6, 9}};
  for (int f = 1; f <= 3; ++f) {
    CRG_FoldCases(11, w.data(), 3, f, out.data());
    std::vector<int> left;
    for (int i = 0; i < 11; ++i)
      if (w[i] > 0 && out[i] == 0) left.push_back(i);
    EXPECT_EQ(left, folds[f - 1]) << f;
    EXPECT_EQ(out[4], 0.0);
  }
}

TEST(CatregResample, EstimatesAndModelSelection) {
  // Three cases: errors 1 and 3 for case 0, 2 for case 1, none for case 2.
  std::vector<double> sum = {4, 2, 0}, count = {2, 1, 0}, out = {2, 1, 0}, unpred = {0, 0, 0};
  const std::vector<double> w = {1, 1, 1};
  CaseErrors e{sum.data(), count.data(), out.data(), unpred.data()};
  ErrorEstimate cv = CRG_ErrorEstimates(3, w.data(), e, false, 0.5);
  EXPECT_EQ(cv.cases, 2);
  EXPECT_DOUBLE_EQ(cv.epe, 2.0);
  EXPECT_DOUBLE_EQ(cv.se, 0.0);
  EXPECT_TRUE(cv.never_left_out);
  ErrorEstimate bo = CRG_ErrorEstimates(3, w.data(), e, true, 0.5);
  EXPECT_DOUBLE_EQ(bo.epe, 0.368 * 0.5 + 0.632 * 2.0);
  // Optimal: model 1 (0.30); within 0.30 + 0.05: models 2 and 3, but model 3
  // selects more predictors and model 4 none, so model 2 is the 1-SE model.
  const double epe[] = {0.40, 0.30, 0.33, 0.34, 0.31}, se[] = {0.1, 0.05, 0.1, 0.1, 0.1},
               sel[] = {3, 3, 2, 4, 0};
  int opt = -1, one = -1;
  CRG_SelectModels(5, epe, se, sel, opt, one);
  EXPECT_EQ(opt, 1);
  EXPECT_EQ(one, 2);
}

TEST(CatregMultiStart, AllSignPatternsRunFromAllMinusToAllPlus) {
  // p = 3: (-,-,-), (-,-,+), (-,+,-), ... (+,+,+).
  const int expect[8][3] = {{-1, -1, -1}, {-1, -1, 1}, {-1, 1, -1}, {-1, 1, 1},
                            {1, -1, -1},  {1, -1, 1},  {1, 1, -1},  {1, 1, 1}};
  for (int r = 0; r < 8; ++r) {
    int row[3];
    CRG_AllSignPatterns(3, r, row);
    for (int k = 0; k < 3; ++k) EXPECT_EQ(row[k], expect[r][k]) << r << "," << k;
  }
  EXPECT_EQ(CRG_AllSignCount(3), 8);
  // Beyond 31 ordinal predictors there are no patterns to run.
  EXPECT_EQ(CRG_AllSignCount(31), 1LL << 31);
  EXPECT_EQ(CRG_AllSignCount(32), 0);
  int row[31];
  CRG_AllSignPatterns(31, (1LL << 31) - 1, row);
  for (int k = 0; k < 31; ++k) EXPECT_EQ(row[k], 1);
}

TEST(CatregMultiStart, AFixedSignGivesAMonotoneQuantificationInItsDirection) {
  auto c = sample_data();
  Problem p(c, sc::ORDINAL);
  p.lev[0].mlevel = sc::NUMERICAL;
  std::vector<int> signs = {0, -1, 1, -1};
  CrgSettings s;
  s.signs = signs.data();
  CrgResult res;
  CRG_InitNumerical(p.d, p.a);
  CRG_Als(p.d, s, p.a, res);
  for (int j = 1; j < p.m; ++j) {
    const double* q = &p.q[static_cast<std::size_t>(j) * p.kmax];
    bool zero = true;
    for (int k = 0; k < p.agg[j].K; ++k) zero = zero && q[k] == 0;
    if (zero) {
      EXPECT_EQ(p.lev[j].status, -1) << j;  // the sign could not be met
      continue;
    }
    for (int k = 1; k < p.agg[j].K; ++k) {
      if (p.agg[j].f[k] > 0 && p.agg[j].f[k - 1] > 0) {
        EXPECT_GE(signs[j] * (q[k] - q[k - 1]), -1e-12) << j;
      }
    }
  }
}

TEST(CatregResample, UnseenCategoriesArePredictedOnlyOnANumericalScale) {
  // Leave out every case whose predictor a (variable 1) is in category 5.
  for (int level : {sc::NUMERICAL, sc::NOMINAL}) {
    auto c = sample_data();
    Problem p(c, level);
    p.lev[0].mlevel = sc::NUMERICAL;
    std::vector<double> all(p.w);
    int out = 0;
    for (int i = 0; i < p.n; ++i)
      if (c[1][i] == 5) {
        p.w[i] = 0;
        for (int j = 0; j < p.m; ++j) p.f[c[j][i] - 1 + static_cast<std::size_t>(j) * p.kmax] -= 1;
        ++out;
      }
    ASSERT_GT(out, 0);
    p.d.N = p.n - out;
    for (auto& v : p.agg) sc::ZYL_Moments(v.x, v.f, v.K, v.N, v.xbar, v.S);
    CrgSettings s;
    CrgResult res;
    CRG_InitNumerical(p.d, p.a);
    CRG_Als(p.d, s, p.a, res);
    std::vector<double> sum(p.n), count(p.n), left(p.n), unpred(p.n);
    CaseErrors e{sum.data(), count.data(), left.data(), unpred.data()};
    // Every left-out case meets the unseen category, predicted or not.
    EXPECT_EQ(CRG_PredictionErrors(p.d, p.a, all.data(), e), out);
    double lo = 0, up = 0;
    for (int i = 0; i < p.n; ++i) {
      lo += left[i];
      up += unpred[i];
    }
    EXPECT_EQ(lo, out);
    EXPECT_EQ(up, level == sc::NUMERICAL ? 0 : out) << level;
  }
}

TEST(CatregRegression, SweepsOnCrossTablesGiveTheFitOverTheObjects) {
  // The same fits run over the objects and on the cross tables: weights with
  // zeros and fractions, mixed levels, no penalty, lasso and elastic net.
  struct Case {
    int dep, l1, l2, l3;
    Penalty pen;
  };
  const Case cases[] = {{sc::ORDINAL, sc::NOMINAL, sc::ORDINAL, sc::NUMERICAL, Penalty::None},
                        {sc::NOMINAL, sc::ORDINAL, sc::NUMERICAL, sc::NOMINAL, Penalty::Lasso},
                        {sc::NUMERICAL, sc::NUMERICAL, sc::ORDINAL, sc::NOMINAL, Penalty::ElasticNet}};
  for (const Case& k : cases) {
    Problem p(sample_data(), sc::NOMINAL), t(sample_data(), sc::NOMINAL);
    for (Problem* x : {&p, &t}) {
      const int lv[] = {k.dep, k.l1, k.l2, k.l3};
      for (int j = 0; j < x->m; ++j) x->lev[j].mlevel = lv[j];
      std::fill(x->f.begin(), x->f.end(), 0.0);
      x->d.N = 0;
      for (int i = 0; i < x->n; ++i) {
        x->w[i] = i % 7 == 3 ? 0.0 : 0.5 + (i % 4) * 0.25;
        x->d.N += x->w[i];
        for (int j = 0; j < x->m; ++j)
          x->f[x->codes[i + static_cast<std::size_t>(j) * x->n] - 1 + static_cast<std::size_t>(j) * x->kmax] += x->w[i];
      }
      for (auto& v : x->agg) sc::ZYL_Moments(v.x, v.f, v.K, v.N, v.xbar, v.S);
    }
    ASSERT_TRUE(CRG_CrossTablesApply(t.d));
    std::vector<double> F(static_cast<std::size_t>(CRG_CrossTableSize(t.m, t.agg.data())));
    std::vector<long> off(static_cast<std::size_t>(t.m) * t.m);
    std::vector<double> zq(t.kmax);
    CRG_CrossTables(t.d, off.data(), F.data());
    t.d.cross = F.data();
    t.d.cross_off = off.data();
    t.a.zq = zq.data();
    CrgSettings s;
    s.crititer = 1e-13;
    s.maxiter = 300;
    s.penalty = k.pen;
    s.lambda1 = k.pen == Penalty::None ? 0 : 0.3;
    s.lambda2 = k.pen == Penalty::ElasticNet ? 0.2 : 0;
    CrgResult rp, rt;
    CRG_InitNumerical(p.d, p.a);
    CRG_Als(p.d, s, p.a, rp);
    CRG_InitNumerical(t.d, t.a);
    CRG_Als(t.d, s, t.a, rt);
    EXPECT_NEAR(rp.ape, rt.ape, 1e-10);
    EXPECT_NEAR(rp.r2, rt.r2, 1e-10);
    EXPECT_NEAR(rp.ape0, rt.ape0, 1e-10);
    EXPECT_EQ(rp.iterations, rt.iterations);
    for (int j = 0; j < p.m; ++j) EXPECT_NEAR(p.b[j], t.b[j], 1e-8) << j;
    for (std::size_t c = 0; c < p.q.size(); ++c) EXPECT_NEAR(p.q[c], t.q[c], 1e-8) << c;
    // The objects' vectors are formed after the fit.
    for (int i = 0; i < p.n; ++i) {
      if (p.w[i] == 0.0) continue;
      EXPECT_NEAR(p.z[i], t.z[i], 1e-8) << i;
      EXPECT_NEAR(p.zhat[i], t.zhat[i], 1e-8) << i;
    }
  }
}

TEST(CatregRegression, SplineSweepsOnCrossTablesGiveTheFitOverTheObjects) {
  // Spline ordinal and spline nominal predictors: their coefficient fits run
  // on the same targets whichever way the sweep forms them.
  struct Splines {
    std::vector<double> basis, D, coef, save, work;
    std::vector<int> col, cof;
    std::vector<sc::SplineBlock> blocks;
    void setup(Problem& p) {
      const int cols = sc::ZYL_SplineColumns(p.m, p.lev.data());
      basis.assign(static_cast<std::size_t>(p.kmax) * cols, 0.0);
      D.assign(cols, 0.0);
      coef.assign(cols + p.m + 1, 0.0);
      save.assign(cols + p.m + 1, 0.0);
      work.assign(3 * p.kmax + 64, 0.0);
      col.assign(p.m, -1);
      cof.assign(p.m, -1);
      sc::SplineSetupArgs sa;
      sa.m = p.m;
      sa.lev = p.lev.data();
      sa.agg = p.agg.data();
      sa.kmax = p.kmax;
      sa.basis = basis.data();
      sa.D = D.data();
      sa.coef = coef.data();
      sa.col_offset = col.data();
      sa.coef_offset = cof.data();
      sa.work = work.data();
      sc::ZYL_SplineSetup(sa);
      blocks.assign(p.m, {});
      for (int j = 0; j < p.m; ++j) {
        if (col[j] < 0) continue;
        blocks[j].B = basis.data() + static_cast<long>(col[j]) * p.kmax;
        blocks[j].ldb = p.kmax;
        blocks[j].D = D.data() + col[j];
        blocks[j].b = coef.data() + cof[j];
        blocks[j].bsave = save.data() + cof[j];
        blocks[j].M = p.lev[j].inknot + p.lev[j].degree;
      }
      p.d.spline = blocks.data();
    }
  };
  Problem p(sample_data(), sc::NOMINAL), t(sample_data(), sc::NOMINAL);
  Splines sp, st;
  for (auto [x, spl] : {std::pair{&p, &sp}, std::pair{&t, &st}}) {
    x->lev[0] = {sc::SPORD, 1, 2, 0};
    x->lev[1] = {sc::SPORD, 1, 2, 0};
    x->lev[2] = {sc::SPNOM, 1, 2, 0};
    x->lev[3] = {sc::ORDINAL, 0, 0, 0};
    spl->setup(*x);
  }
  ASSERT_GE(st.col[1], 0);
  ASSERT_GE(st.col[2], 0);
  std::vector<double> F(static_cast<std::size_t>(CRG_CrossTableSize(t.m, t.agg.data())));
  std::vector<long> off(static_cast<std::size_t>(t.m) * t.m);
  std::vector<double> zq(t.kmax);
  CRG_CrossTables(t.d, off.data(), F.data());
  t.d.cross = F.data();
  t.d.cross_off = off.data();
  t.a.zq = zq.data();
  CrgSettings s;
  s.crititer = 1e-13;
  s.maxiter = 300;
  CrgResult rp, rt;
  CRG_InitNumerical(p.d, p.a);
  CRG_Als(p.d, s, p.a, rp);
  CRG_InitNumerical(t.d, t.a);
  CRG_Als(t.d, s, t.a, rt);
  EXPECT_NEAR(rp.ape, rt.ape, 1e-10);
  EXPECT_NEAR(rp.r2, rt.r2, 1e-10);
  EXPECT_EQ(rp.iterations, rt.iterations);
  EXPECT_GT(rp.iterations, 3);
  for (int j = 0; j < p.m; ++j) EXPECT_NEAR(p.b[j], t.b[j], 1e-8) << j;
  for (std::size_t c = 0; c < p.q.size(); ++c) EXPECT_NEAR(p.q[c], t.q[c], 1e-8) << c;
  for (int j = 0; j < p.m; ++j) EXPECT_EQ(p.lev[j].status, t.lev[j].status) << j;
}
