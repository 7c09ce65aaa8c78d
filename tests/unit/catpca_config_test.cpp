// Start and fixed configurations of the CATPCA engine: a solution given back
// as the start stays the solution, and variables fitted to fixed scores are
// the variables of the analysis that produced those scores.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include "catpca/pralgo.hpp"
#include "catpca_harness.hpp"

using namespace oscat::catpca;
namespace sx = oscat::scaling;

namespace {

// Mixed-level data from two latent factors; `config` and `start` select the
// engine's mode and its given scores.
struct Analysis : oscat::catpca::harness::EngineHarness {
  Analysis(int n_, std::vector<int> ks, std::vector<int> levels, int p_ = 2) {
    n = n_;
    m = static_cast<int>(ks.size());
    p = p_;
    K = std::move(ks);
    std::mt19937 gen(11);
    std::normal_distribution<double> N01;
    codes.assign(static_cast<std::size_t>(n) * m, 0);
    for (int i = 0; i < n; ++i) {
      const double f1 = N01(gen), f2 = N01(gen);
      for (int j = 0; j < m; ++j) {
        const double z = (j % 2 ? f1 : 0.5 * f1 + 0.85 * f2) * 0.7 + 0.7 * N01(gen);
        const double u = 0.5 * (1 + std::erf(z / std::sqrt(2.0)));
        // Nominal variables get a bent cut so that their order is not the latent one.
        const double b = levels[static_cast<std::size_t>(j)] == sx::NOMINAL ? std::fabs(2 * u - 1) : u;
        codes[i + static_cast<std::size_t>(j) * n] = std::min(K[j], 1 + static_cast<int>(b * K[j]));
      }
    }
    objw.assign(n, 1.0);
    suppl.assign(m, 0);
    for (int l : levels) lev.push_back({l, 0, 0, 0});
    set.crititer = 1e-12;
    set.maxiter = 2000;
  }
};

void expect_same_variables(const Analysis& a, const Analysis& b, double tol) {
  for (std::size_t i = 0; i < a.A.size(); ++i) EXPECT_NEAR(a.A[i], b.A[i], tol) << "loading " << i;
  for (std::size_t i = 0; i < a.q.size(); ++i) EXPECT_NEAR(a.q[i], b.q[i], tol) << "quantification " << i;
  for (std::size_t i = 0; i < a.eta.size(); ++i) EXPECT_NEAR(a.eta[i], b.eta[i], tol) << "eta " << i;
  for (std::size_t i = 0; i < a.lambda.size(); ++i) EXPECT_NEAR(a.lambda[i], b.lambda[i], tol);
}

const std::vector<int> kLevels = {sx::ORDINAL, sx::NOMINAL, sx::NUMERICAL, sx::MNOMINAL, sx::ORDINAL};
const std::vector<int> kCats = {5, 4, 5, 3, 6};

}  // namespace

TEST(CatpcaConfiguration, InitialFromTheSolutionConvergesAtOnceToIt) {
  Analysis freerun(150, kCats, kLevels);
  freerun.run();
  ASSERT_EQ(freerun.res.error, 0);
  ASSERT_EQ(freerun.res.status, CPR_CONVERGED);
  ASSERT_GT(freerun.res.iterations, 5);  // the freerun run had work to do

  // Scaled as the output shows them: the start's scale does not matter.
  std::vector<double> start = freerun.X;
  for (double& x : start) x *= std::sqrt(150.0);
  Analysis init(150, kCats, kLevels);
  init.run(1, 1, &start);
  ASSERT_EQ(init.res.error, 0);
  EXPECT_EQ(init.res.status, CPR_CONVERGED);
  EXPECT_LE(init.res.iterations, 2);
  EXPECT_FALSE(init.res.has_prerun);  // a given start replaces the numerical pre-run
  expect_same_variables(freerun, init, 1e-6);
  for (std::size_t i = 0; i < freerun.X.size(); ++i) ASSERT_NEAR(init.X[i], freerun.X[i], 1e-6);
  EXPECT_NEAR(init.res.fit, freerun.res.fit, 1e-9);
}

TEST(CatpcaConfiguration, FixedScoresReproduceTheFreeAnalysisAndStayFixed) {
  Analysis freerun(150, kCats, kLevels);
  freerun.run();
  ASSERT_EQ(freerun.res.status, CPR_CONVERGED);

  Analysis fixed(150, kCats, kLevels);
  fixed.run(1, 2, &freerun.X);
  ASSERT_EQ(fixed.res.error, 0);
  expect_same_variables(freerun, fixed, 1e-6);
  EXPECT_NEAR(fixed.res.fit, freerun.res.fit, 1e-8);
  // The scores are the configuration, untouched.
  for (std::size_t i = 0; i < freerun.X.size(); ++i) ASSERT_EQ(fixed.X[i], freerun.X[i]);
  EXPECT_EQ(fixed.res.iterations, 0);
}

TEST(CatpcaConfiguration, FixedScoresInMultipleCorrespondenceGiveCategoryMeans) {
  // Arbitrary fixed scores: the centroids are the category means, whatever
  // the scores are.
  Analysis r(60, {3, 4, 2}, {sx::MNOMINAL, sx::MNOMINAL, sx::MNOMINAL});
  std::vector<double> X(120);
  for (int i = 0; i < 60; ++i) {
    X[i] = std::sin(0.3 * i);
    X[i + 60] = std::cos(0.7 * i) * 0.5;
  }
  r.run(3, 2, &X);
  ASSERT_EQ(r.res.error, 0);
  for (int j = 0; j < 3; ++j)
    for (int c = 0; c < r.K[j]; ++c)
      for (int s = 0; s < 2; ++s) {
        double sum = 0, cnt = 0;
        for (int i = 0; i < 60; ++i)
          if (r.codes[i + j * 60] == c + 1) {
            sum += X[i + s * 60];
            cnt += 1;
          }
        ASSERT_GT(cnt, 0);
        EXPECT_NEAR(r.Y[c + s * r.kmax + j * r.kmax * 2], sum / cnt, 1e-12);
      }
  for (std::size_t i = 0; i < X.size(); ++i) ASSERT_EQ(r.X[i], X[i]);
}
