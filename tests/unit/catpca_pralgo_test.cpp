#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include "catpca/pralgo.hpp"
#include "catpca_harness.hpp"
#include "scaling/linalg.hpp"

using namespace oscat::catpca;
namespace sx = oscat::scaling;

namespace {

// A small data set with its aggregates and the engine's arrays.
struct Problem : oscat::catpca::harness::EngineHarness {
  // Variables cut from two correlated latent factors (fixed seed).
  Problem(int n_, int m_, int p_, std::vector<int> ks, unsigned seed = 7) {
    n = n_;
    m = m_;
    p = p_;
    K = std::move(ks);
    std::mt19937 gen(seed);
    std::normal_distribution<double> N01;
    codes.assign(static_cast<std::size_t>(n) * m, 0);
    for (int i = 0; i < n; ++i) {
      const double f1 = N01(gen), f2 = N01(gen);
      for (int j = 0; j < m; ++j) {
        const double load = 0.3 + 0.1 * (j % 5);
        const double z = (j % 2 ? f1 : 0.6 * f1 + 0.8 * f2) * load + N01(gen) * std::sqrt(1 - load * load);
        // Unequal bins; the cut is monotone in z.
        const double u = 0.5 * (1 + std::erf(z / std::sqrt(2.0)));
        int c = 1 + static_cast<int>(std::pow(u, 1.0 + 0.2 * j) * K[j]);
        codes[i + static_cast<std::size_t>(j) * n] = std::min(c, K[j]);
      }
    }
    objw.assign(n, 1.0);
    lev.assign(m, ScalingLevelRecord{sx::NUMERICAL, 0, 0, 0});
    suppl.assign(m, 0);
  }
};

double corr(const std::vector<double>& u, const std::vector<double>& v, const std::vector<double>& w) {
  double sw = 0, mu = 0, mv = 0;
  for (std::size_t i = 0; i < u.size(); ++i) {
    sw += w[i];
    mu += w[i] * u[i];
    mv += w[i] * v[i];
  }
  mu /= sw;
  mv /= sw;
  double suv = 0, suu = 0, svv = 0;
  for (std::size_t i = 0; i < u.size(); ++i) {
    suv += w[i] * (u[i] - mu) * (v[i] - mv);
    suu += w[i] * (u[i] - mu) * (u[i] - mu);
    svv += w[i] * (v[i] - mv) * (v[i] - mv);
  }
  return suv / std::sqrt(suu * svv);
}

}  // namespace

TEST(CatpcaStart, RandomStartSequenceAndWeights) {
  std::vector<double> w = {1, 0, 1}, X(6);
  std::int64_t seed = CPR_SEED;
  CPR_RandomStart(3, 2, w.data(), true, X.data(), seed, nullptr, nullptr);
  std::int64_t x = 315747;
  std::vector<double> expect;
  for (int k = 0; k < 4; ++k) {
    x = (125 * x) % 2796203;
    expect.push_back(2.0 * x / 2796203.0 - 1.0);
  }
  EXPECT_DOUBLE_EQ(X[0], expect[0]);
  EXPECT_EQ(X[1], 0.0);  // weight 0: no number consumed
  EXPECT_DOUBLE_EQ(X[2], expect[1]);
  EXPECT_DOUBLE_EQ(X[3], expect[2]);
  EXPECT_DOUBLE_EQ(X[5], expect[3]);
  for (double v : X) EXPECT_LT(std::fabs(v), 1.0);
}

TEST(CatpcaOrthonorm, WeightedOrthonormalAndSupplementaryRowsDoNotInfluence) {
  const int n = 6, p = 2;
  std::vector<double> w = {1, 2, 1, 0, 1, 3};
  std::vector<double> Z = {1, 2, 0, 50, -1, 3, 0.5, -1, 2, -40, 1, 0};
  std::vector<double> X(12), root(2), V(4), work(3 * p * p + p);
  std::vector<double> Z2 = Z;
  Z2[3] = -7;  // only the supplementary row differs
  Z2[9] = 123;
  ASSERT_EQ(CPR_Orthonorm(n, p, w.data(), Z.data(), X.data(), root.data(), V.data(), work.data()), 0);
  for (int s = 0; s < p; ++s)
    for (int t = 0; t < p; ++t) {
      double v = 0;
      for (int i = 0; i < n; ++i) v += w[i] * X[i + s * n] * X[i + t * n];
      EXPECT_NEAR(v, s == t ? 1.0 : 0.0, 1e-12);
    }
  std::vector<double> X2(12);
  CPR_Orthonorm(n, p, w.data(), Z2.data(), X2.data(), root.data(), V.data(), work.data());
  for (int i = 0; i < n; ++i) {
    if (w[i] == 0) continue;
    for (int s = 0; s < p; ++s) EXPECT_NEAR(X[i + s * n], X2[i + s * n], 1e-12);
  }
}

// Every variable NUMERICAL: a principal components analysis of the
// standardized category values.
TEST(CatpcaAlgo, AllNumericalEqualsPrincipalComponents) {
  Problem P(300, 6, 2, {3, 4, 5, 6, 4, 5});
  P.set.crititer = 1e-15;
  P.set.maxiter = 3000;
  P.run();
  ASSERT_EQ(P.res.error, 0);
  EXPECT_FALSE(P.res.has_prerun);
  // Correlation matrix of the category values.
  const int n = P.n, m = P.m;
  std::vector<std::vector<double>> col(m, std::vector<double>(n));
  for (int j = 0; j < m; ++j)
    for (int i = 0; i < n; ++i) col[j][i] = P.code(i, j);
  std::vector<double> R(m * m), ev(m), e(m);
  for (int j = 0; j < m; ++j)
    for (int k = 0; k < m; ++k) R[j + k * m] = corr(col[j], col[k], P.objw);
  ASSERT_EQ(oscat::scaling::SymEigen(m, R.data(), m, ev.data(), e.data()), 0);
  for (int s = 0; s < 2; ++s) EXPECT_NEAR(P.lambda[s], ev[s], 1e-6);
  EXPECT_NEAR(P.res.fit, ev[0] + ev[1], 1e-6);
  // Loadings: correlations of the variables with the components.
  for (int s = 0; s < 2; ++s) {
    std::vector<double> xs(n);
    for (int i = 0; i < n; ++i) xs[i] = P.x(i, s);
    for (int j = 0; j < m; ++j) {
      EXPECT_NEAR(P.a(j, s), corr(col[j], xs, P.objw), 1e-6);
      EXPECT_NEAR(std::fabs(P.a(j, s)), std::sqrt(ev[s]) * std::fabs(R[j + s * m]), 1e-6);
    }
  }
  // Sign convention: positive loadings dominate.
  for (int s = 0; s < 2; ++s) {
    double pos = 0, neg = 0;
    int np = 0, nn = 0;
    for (int j = 0; j < m; ++j) {
      const double v = P.a(j, s);
      if (v > 0) {
        pos += v * v;
        ++np;
      } else if (v < 0) {
        neg += v * v;
        ++nn;
      }
    }
    EXPECT_GE(np ? pos / np : 0, nn ? neg / nn : 0);
  }
}

// Multiple correspondence: discrimination measures are squared correlation
// ratios, and their sums are m times the eigenvalues of the average of the
// centred category projectors.
TEST(CatpcaAlgo, MultipleCorrespondenceDiscriminationMeasures) {
  Problem P(80, 4, 2, {3, 4, 3, 5}, 11);
  for (auto& l : P.lev) l.mlevel = sx::MNOMINAL;
  P.set.crititer = 1e-15;
  P.set.maxiter = 5000;
  P.run(3);
  ASSERT_EQ(P.res.error, 0);
  const int n = P.n, m = P.m;
  for (int s = 0; s < 2; ++s) {
    double mean = 0, tot = 0;
    for (int i = 0; i < n; ++i) mean += P.x(i, s) / n;
    for (int i = 0; i < n; ++i) tot += (P.x(i, s) - mean) * (P.x(i, s) - mean);
    for (int j = 0; j < m; ++j) {
      std::vector<double> sum(P.K[j], 0.0), cnt(P.K[j], 0.0);
      for (int i = 0; i < n; ++i) {
        sum[P.code(i, j) - 1] += P.x(i, s);
        cnt[P.code(i, j) - 1] += 1;
      }
      double between = 0;
      for (int c = 0; c < P.K[j]; ++c)
        if (cnt[c] > 0) between += cnt[c] * (sum[c] / cnt[c] - mean) * (sum[c] / cnt[c] - mean);
      EXPECT_NEAR(P.eta[s + j * 2], between / tot, 1e-6) << "var " << j << " dim " << s;
    }
  }
  // (1/m) sum_j (G_j D_j^-1 G_j' - 11'/n): its leading eigenvalues times m.
  std::vector<double> H(n * n, 0.0), ev(n), e(n);
  for (int j = 0; j < m; ++j) {
    std::vector<double> cnt(P.K[j], 0.0);
    for (int i = 0; i < n; ++i) cnt[P.code(i, j) - 1] += 1;
    for (int i = 0; i < n; ++i)
      for (int k = 0; k < n; ++k)
        H[i + k * n] += ((P.code(i, j) == P.code(k, j) ? 1.0 / cnt[P.code(i, j) - 1] : 0.0) - 1.0 / n) / m;
  }
  ASSERT_EQ(oscat::scaling::SymEigen(n, H.data(), n, ev.data(), e.data()), 0);
  for (int s = 0; s < 2; ++s) {
    double sum = 0;
    for (int j = 0; j < m; ++j) sum += P.eta[s + j * 2];
    EXPECT_NEAR(sum, m * ev[s], 1e-6);
    EXPECT_NEAR(P.lambda[s], m * ev[s], 1e-6);
  }
  // One loss column: L = m - sum eta / p.
  EXPECT_NEAR(P.res.loss, m - (m * ev[0] + m * ev[1]) / 2, 1e-6);
}

// Two nominal variables in one dimension: 1 + the first canonical correlation
// of their cross table.
TEST(CatpcaAlgo, TwoNominalVariablesOneDimension) {
  Problem P(250, 2, 1, {4, 5}, 3);
  for (auto& l : P.lev) l.mlevel = sx::NOMINAL;
  P.set.crititer = 1e-15;
  P.set.maxiter = 5000;
  P.run();
  ASSERT_EQ(P.res.error, 0);
  EXPECT_TRUE(P.res.has_prerun);
  const int K1 = 4, K2 = 5, n = P.n;
  std::vector<double> Nt(K1 * K2, 0.0), r(K1, 0.0), c(K2, 0.0);
  for (int i = 0; i < n; ++i) {
    Nt[(P.code(i, 0) - 1) + (P.code(i, 1) - 1) * K1] += 1.0 / n;
    r[P.code(i, 0) - 1] += 1.0 / n;
    c[P.code(i, 1) - 1] += 1.0 / n;
  }
  // S = Dr^-1/2 (P - r c') Dc^-1/2; largest eigenvalue of S'S is rho^2.
  std::vector<double> S(K1 * K2), StS(K2 * K2, 0.0), ev(K2), e(K2);
  for (int a = 0; a < K1; ++a)
    for (int b = 0; b < K2; ++b) S[a + b * K1] = (Nt[a + b * K1] - r[a] * c[b]) / std::sqrt(r[a] * c[b]);
  for (int b = 0; b < K2; ++b)
    for (int b2 = 0; b2 < K2; ++b2)
      for (int a = 0; a < K1; ++a) StS[b + b2 * K2] += S[a + b * K1] * S[a + b2 * K1];
  ASSERT_EQ(oscat::scaling::SymEigen(K2, StS.data(), K2, ev.data(), e.data()), 0);
  EXPECT_NEAR(P.lambda[0], 1.0 + std::sqrt(ev[0]), 1e-6);
  // Both quantifications have unit weighted sum of squares and weighted mean 0.
  for (int j = 0; j < 2; ++j) {
    double ss = 0, sm = 0;
    for (int k = 0; k < P.K[j]; ++k) {
      ss += P.fv[j][k] * P.q[k + j * P.kmax] * P.q[k + j * P.kmax];
      sm += P.fv[j][k] * P.q[k + j * P.kmax];
    }
    EXPECT_NEAR(ss, 1.0, 1e-10);
    EXPECT_NEAR(sm, 0.0, 1e-10);
  }
}

TEST(CatpcaAlgo, StoppingRulesAndHistory) {
  Problem P(120, 4, 2, {3, 4, 5, 4});
  P.lev[0].mlevel = sx::ORDINAL;
  P.lev[1].mlevel = sx::NOMINAL;
  P.set.crititer = 1e6;  // larger than the first increase
  P.run();
  EXPECT_EQ(P.res.status, CPR_CONVERGED);
  EXPECT_EQ(P.res.iterations, 1);
  EXPECT_TRUE(P.res.has_prerun);
  ASSERT_EQ(P.res.history_rows, 2);
  EXPECT_EQ(P.hist[0].iteration, 0);
  EXPECT_EQ(P.hist[1].iteration, 1);

  Problem M(120, 4, 2, {3, 4, 5, 4});
  M.lev[0].mlevel = sx::ORDINAL;
  M.set.crititer = 0;
  M.set.maxiter = 1;
  M.run();
  EXPECT_EQ(M.res.status, CPR_MAXITER);
  EXPECT_EQ(M.res.history_rows, 2);
  // Loss decomposition: total = p * sum(w) - fit, and its two parts add up.
  EXPECT_NEAR(M.res.loss, 2 * 4 - M.res.fit, 1e-12);
  EXPECT_NEAR(M.res.loss, M.res.centroid + M.res.restricted, 1e-12);
  EXPECT_GE(M.res.restricted, -1e-12);  // restricting centroids cannot gain fit

  // The start is reproducible: a second run gives the same scores.
  Problem M2(120, 4, 2, {3, 4, 5, 4});
  M2.lev[0].mlevel = sx::ORDINAL;
  M2.set.crititer = 0;
  M2.set.maxiter = 1;
  M2.run();
  EXPECT_EQ(M.X, M2.X);
}

TEST(CatpcaAlgo, MixedLevelsRespectRestrictionsAndSupplementaryVariablesLeaveScores) {
  auto setup = [](Problem& P) {
    P.lev[0] = {sx::ORDINAL, 0, 0, 0};
    P.lev[1] = {sx::NOMINAL, 0, 0, 0};
    P.lev[2] = {sx::SPORD, 1, 2, 0};
    P.lev[3] = {sx::NUMERICAL, 0, 0, 0};
    P.lev[4] = {sx::MNOMINAL, 0, 0, 0};
    P.set.crititer = 1e-10;
    P.set.maxiter = 500;
  };
  Problem P(200, 5, 2, {5, 4, 6, 4, 3}, 5);
  setup(P);
  P.run();
  ASSERT_EQ(P.res.error, 0);
  EXPECT_EQ(P.res.status, CPR_CONVERGED);
  auto qv = [&](int c, int j) { return P.q[c + j * P.kmax]; };
  for (int c = 1; c < 5; ++c) EXPECT_GE(qv(c, 0), qv(c - 1, 0) - 1e-12);  // ordinal
  for (int c = 1; c < 6; ++c) EXPECT_GE(qv(c, 2), qv(c - 1, 2) - 1e-12);  // spline ordinal
  // Numerical: equally spaced category values stay equally spaced.
  for (int c = 2; c < 4; ++c) EXPECT_NEAR(qv(c, 3) - qv(c - 1, 3), qv(1, 3) - qv(0, 3), 1e-12);
  // The scores stay orthonormal and the fit equals the summed eigenvalues.
  for (int s = 0; s < 2; ++s)
    for (int t = 0; t < 2; ++t) {
      double v = 0;
      for (int i = 0; i < P.n; ++i) v += P.x(i, s) * P.x(i, t);
      EXPECT_NEAR(v, s == t ? 1.0 : 0.0, 1e-10);
    }
  double single = 0;
  for (int j = 0; j < 4; ++j) single += P.vaf[j];
  EXPECT_NEAR(P.res.fit, single + (P.eta[8] + P.eta[9]) / 2, 1e-12);
  EXPECT_NEAR(P.lambda[0] + P.lambda[1], single + P.eta[8] + P.eta[9], 1e-6);

  // The same analysis with one more, supplementary, variable.
  Problem S(200, 6, 2, {5, 4, 6, 4, 3, 4}, 5);
  setup(S);
  for (int i = 0; i < 200; ++i)
    for (int j = 0; j < 5; ++j) S.codes[i + j * 200] = P.code(i, j);
  S.lev[5] = {sx::ORDINAL, 0, 0, 0};
  S.suppl[5] = 1;
  S.run();
  for (std::size_t i = 0; i < P.X.size(); ++i) ASSERT_NEAR(S.X[i], P.X[i], 1e-12);
  EXPECT_GT(S.vaf[5], 0.0);  // it is fitted all the same
  for (int c = 1; c < 4; ++c) EXPECT_GE(S.q[c + 5 * S.kmax], S.q[c - 1 + 5 * S.kmax] - 1e-12);
}

// The passes over the objects split over two threads by variable and by
// object block; every sum keeps its serial order, so one and two threads
// must agree to the last bit, with and without object weights and for both
// procedures.
TEST(CatpcaAlgo, TwoThreadsGiveTheSerialResultExactly) {
  auto solve = [](int threads, int proc, bool weighted) {
    Problem P(5000, 7, 3, {4, 5, 6, 3, 7, 5, 4}, 23);
    const int levels[] = {sx::ORDINAL, sx::NOMINAL, sx::NUMERICAL, sx::SPORD, sx::MNOMINAL, sx::ORDINAL, sx::SPNOM};
    for (int j = 0; j < P.m; ++j) P.lev[j] = {levels[j], levels[j] == sx::SPORD || levels[j] == sx::SPNOM ? 2 : 0,
                                              levels[j] == sx::SPORD || levels[j] == sx::SPNOM ? 2 : 0, 0};
    if (weighted)
      for (int i = 0; i < P.n; ++i) P.objw[i] = i % 11 == 0 ? 0.0 : 0.5 + (i % 3);
    P.suppl[5] = 1;
    P.set.threads = threads;
    P.set.maxiter = 60;
    P.run(proc);
    return P;
  };
  for (int proc : {1, 3}) {
    for (bool weighted : {false, true}) {
      Problem a = solve(1, proc, weighted), b = solve(2, proc, weighted);
      SCOPED_TRACE(testing::Message() << "proc " << proc << (weighted ? " weighted" : ""));
      ASSERT_EQ(a.res.error, 0);
      ASSERT_EQ(b.res.error, 0);
      EXPECT_GT(a.res.iterations, 3);
      EXPECT_EQ(a.res.iterations, b.res.iterations);
      EXPECT_EQ(a.res.prerun_iterations, b.res.prerun_iterations);
      EXPECT_EQ(a.res.fit, b.res.fit);
      EXPECT_EQ(a.X, b.X);
      EXPECT_EQ(a.Y, b.Y);
      EXPECT_EQ(a.q, b.q);
      EXPECT_EQ(a.A, b.A);
      EXPECT_EQ(a.lambda, b.lambda);
    }
  }
}
