// Oblique rotations checked against facts that do not depend on the code:
// an oblique rotation keeps the reproduced matrix A A' = P Phi P', Phi is a
// correlation matrix, quartimin recovers a perfect simple structure and its
// component correlations, the rotation is a stationary point of its
// criterion, and promax with kappa 1 is varimax.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "catpca/solution.hpp"

using namespace oscat::catpca;

namespace {

using Mat = std::vector<double>;  // column-major

// r x p loadings of a perfect simple structure P0 (one non-zero per row) seen
// through the oblique components T0: A = P0 T0'.
Mat simple_structure(int r, int p, const Mat& T0, Mat* P0out = nullptr) {
  Mat P0(static_cast<std::size_t>(r) * p, 0.0), A(P0.size(), 0.0);
  for (int i = 0; i < r; ++i) P0[i + (i % p) * r] = 0.5 + 0.1 * (i % 4);
  for (int i = 0; i < r; ++i)
    for (int u = 0; u < p; ++u)
      for (int s = 0; s < p; ++s) A[i + u * r] += P0[i + s * r] * T0[u + s * p];
  if (P0out) *P0out = P0;
  return A;
}

// Unit-column transformation of two and three components.
Mat t2(double a, double b) { return {std::cos(a), std::sin(a), std::cos(b), std::sin(b)}; }

Mat noisy(int r, int p) {
  // Deterministic loadings with two clear clusters and some spread.
  Mat A(static_cast<std::size_t>(r) * p);
  for (int i = 0; i < r; ++i)
    for (int s = 0; s < p; ++s) A[i + s * r] = 0.1 * std::sin(1.7 * i + 2.3 * s) + ((i % p) == s ? 0.7 : 0.15 * s);
  return A;
}

Mat reproduced(int r, int p, const Mat& P, const Mat* Phi) {
  Mat R(static_cast<std::size_t>(r) * r, 0.0);
  for (int i = 0; i < r; ++i)
    for (int k = 0; k < r; ++k)
      for (int s = 0; s < p; ++s)
        for (int t = 0; t < p; ++t)
          R[i + k * r] += P[i + s * r] * (Phi ? (*Phi)[s + t * p] : (s == t)) * P[k + t * r];
  return R;
}

// Pattern for transformation T: solves P T' = A row by row (Cramer, p <= 3).
double det3(const Mat& M, int p) {
  if (p == 2) return M[0] * M[3] - M[2] * M[1];
  return M[0] * (M[4] * M[8] - M[7] * M[5]) - M[3] * (M[1] * M[8] - M[7] * M[2]) + M[6] * (M[1] * M[5] - M[4] * M[2]);
}
Mat pattern_of(int r, int p, const Mat& A, const Mat& T) {
  // P T' = A  <=>  T P_i' = A_i' for each row i.
  Mat P(A.size());
  const double D = det3(T, p);
  for (int i = 0; i < r; ++i)
    for (int s = 0; s < p; ++s) {
      Mat M = T;
      for (int u = 0; u < p; ++u) M[u + s * p] = A[i + u * r];
      P[i + s * r] = det3(M, p) / D;
    }
  return P;
}

void check_oblique_identities(int r, int p, const Mat& A, const Mat& P, const Mat& T, const Mat& Phi,
                              const Mat& h2) {
  // Reproduced matrix and communalities kept.
  const Mat R0 = reproduced(r, p, A, nullptr), R1 = reproduced(r, p, P, &Phi);
  for (std::size_t k = 0; k < R0.size(); ++k) ASSERT_NEAR(R0[k], R1[k], 1e-10);
  for (int i = 0; i < r; ++i) EXPECT_NEAR(h2[i], R0[i + i * r], 1e-10);
  // A = P T' (the components are the unrotated ones times T).
  for (int i = 0; i < r; ++i)
    for (int u = 0; u < p; ++u) {
      double x = 0;
      for (int s = 0; s < p; ++s) x += P[i + s * r] * T[u + s * p];
      EXPECT_NEAR(x, A[i + u * r], 1e-10);
    }
  // Phi: unit diagonal, symmetric, positive definite (leading minors).
  for (int s = 0; s < p; ++s) EXPECT_NEAR(Phi[s + s * p], 1.0, 1e-12);
  for (int s = 0; s < p; ++s)
    for (int t = 0; t < p; ++t) EXPECT_NEAR(Phi[s + t * p], Phi[t + s * p], 1e-12);
  EXPECT_GT(Phi[0] * Phi[p + 1] - Phi[p] * Phi[1], 1e-6);
  EXPECT_GT(det3(Phi, p), 1e-6);
  // Columns reflected to a non-negative sum.
  for (int s = 0; s < p; ++s) {
    double sum = 0;
    for (int i = 0; i < r; ++i) sum += P[i + s * r];
    EXPECT_GE(sum, 0.0);
  }
}

struct Rotated {
  Mat P, T, Phi, h2;
  int iters;
};

Rotated oblimin(int r, int p, const Mat& A, double delta, bool kaiser) {
  Rotated o{A, Mat(p * p), Mat(p * p), Mat(r), 0};
  Mat work(static_cast<std::size_t>(CPR_ObliqueWorkSize(r, p)));
  o.iters = CPR_Oblimin(r, p, o.P.data(), r, delta, kaiser, o.T.data(), o.Phi.data(), o.h2.data(), work.data());
  return o;
}

Rotated promax(int r, int p, const Mat& A, double kappa, bool kaiser) {
  Rotated o{A, Mat(p * p), Mat(p * p), Mat(r), 0};
  Mat work(static_cast<std::size_t>(CPR_ObliqueWorkSize(r, p)));
  std::vector<int> piv(p);
  o.iters = CPR_Promax(r, p, o.P.data(), r, kappa, kaiser, o.T.data(), o.Phi.data(), o.h2.data(), work.data(),
                       piv.data());
  return o;
}

Mat kaiser_rows(int r, int p, Mat A) {
  for (int i = 0; i < r; ++i) {
    double h = 0;
    for (int s = 0; s < p; ++s) h += A[i + s * r] * A[i + s * r];
    for (int s = 0; s < p; ++s) A[i + s * r] /= std::sqrt(h);
  }
  return A;
}

}  // namespace

TEST(CatpcaRotation, QuartiminRecoversPerfectSimpleStructure) {
  // Three correlated components; every variable loads on one of them, so the
  // quartimin criterion reaches its minimum 0 exactly at P0 with Phi = T0'T0.
  const int r = 9, p = 3;
  Mat T0 = {1, 0, 0, 0.6, 0.8, 0, 0.3, 0.2, std::sqrt(1 - 0.09 - 0.04)};
  Mat P0;
  const Mat A = simple_structure(r, p, T0, &P0);
  for (bool kaiser : {true, false}) {
    const Rotated o = oblimin(r, p, A, 0.0, kaiser);
    EXPECT_GT(o.iters, 0) << kaiser;
    check_oblique_identities(r, p, A, o.P, o.T, o.Phi, o.h2);
    EXPECT_LT(CPR_ObliminCriterion(r, p, o.P.data(), r, 0.0), 1e-4);
    // Columns come back in some order and sign: match them through the rows
    // that load on each true component.
    for (int s = 0; s < p; ++s) {
      int col = 0;
      for (int t = 1; t < p; ++t)
        if (std::fabs(o.P[s + t * r]) > std::fabs(o.P[s + col * r])) col = t;
      for (int i = s; i < r; i += p) EXPECT_NEAR(std::fabs(o.P[i + col * r]), std::fabs(P0[i + s * r]), 0.02);
      for (int s2 = 0; s2 < p; ++s2) {
        int col2 = 0;
        for (int t = 1; t < p; ++t)
          if (std::fabs(o.P[s2 + t * r]) > std::fabs(o.P[s2 + col2 * r])) col2 = t;
        double phi0 = 0;
        for (int u = 0; u < p; ++u) phi0 += T0[u + s * p] * T0[u + s2 * p];
        EXPECT_NEAR(std::fabs(o.Phi[col + col2 * p]), std::fabs(phi0), 0.02) << s << s2 << kaiser;
      }
    }
  }
}

TEST(CatpcaRotation, ObliminIsStationaryUnderTheObliqueConstraint) {
  // Any unit-column change of T along a direction Z changes the criterion by
  // O(eps^2) at the solution, while it is O(eps) at the start.
  const int r = 10, p = 3;
  const Mat A = noisy(r, p);
  for (double delta : {0.0, -0.5, 0.3})
    for (bool kaiser : {false, true}) {
      const Rotated o = oblimin(r, p, A, delta, kaiser);
      check_oblique_identities(r, p, A, o.P, o.T, o.Phi, o.h2);
      const Mat B = kaiser ? kaiser_rows(r, p, A) : A;
      auto crit_at = [&](const Mat& T) {
        const Mat P = pattern_of(r, p, B, T);
        return CPR_ObliminCriterion(r, p, P.data(), r, delta);
      };
      const Mat I = {1, 0, 0, 0, 1, 0, 0, 0, 1};
      EXPECT_LT(crit_at(o.T), crit_at(I)) << delta;
      const double eps = 1e-5;
      double gmax = 0, g0 = 0;
      for (int z = 0; z < p * p; ++z) {
        auto slope = [&](const Mat& T) {
          Mat Tp = T, Tm = T;
          Tp[z] += eps;
          Tm[z] -= eps;
          for (Mat* M : {&Tp, &Tm})
            for (int s = 0; s < p; ++s) {
              double n2 = 0;
              for (int u = 0; u < p; ++u) n2 += (*M)[u + s * p] * (*M)[u + s * p];
              for (int u = 0; u < p; ++u) (*M)[u + s * p] /= std::sqrt(n2);
            }
          return (crit_at(Tp) - crit_at(Tm)) / (2 * eps);
        };
        gmax = std::max(gmax, std::fabs(slope(o.T)));
        g0 = std::max(g0, std::fabs(slope(I)));
      }
      EXPECT_GT(g0, 1e-2) << delta;
      EXPECT_LT(gmax, 2e-3 * std::max(1.0, g0)) << delta << " " << kaiser;
    }
}

TEST(CatpcaRotation, ObliminMatchesBruteForceInTwoDimensions) {
  // Two components: T = [(cos a, sin a), (cos b, sin b)]; a grid search over
  // (a, b) cannot do better than the pairwise iterations.
  const int r = 8, p = 2;
  const Mat A = noisy(r, p);
  const Rotated o = oblimin(r, p, A, 0.0, false);
  const double ours = CPR_ObliminCriterion(r, p, o.P.data(), r, 0.0);
  double best = 1e300;
  const double pi = 3.14159265358979323846;
  for (int ia = 0; ia < 360; ++ia)
    for (int ib = 0; ib < 360; ++ib) {
      const double a = ia * pi / 360, b = ib * pi / 360;
      if (std::fabs(std::sin(b - a)) < 0.05) continue;
      const Mat P = pattern_of(r, p, A, t2(a, b));
      best = std::min(best, CPR_ObliminCriterion(r, p, P.data(), r, 0.0));
    }
  EXPECT_LE(ours, best + 1e-6);
  EXPECT_GT(ours, best - 1e-3);  // the grid is fine enough to come close
}

TEST(CatpcaRotation, PromaxKappaOneIsVarimax) {
  // Target = varimax loadings themselves: the fitted transformation is the
  // identity and the components stay uncorrelated.
  const int r = 10, p = 3;
  const Mat A = noisy(r, p);
  Mat V = A, T(p * p), h2(r), work(r);
  const int vi = CPR_Orthomax(r, p, V.data(), r, 1.0, false, true, T.data(), h2.data(), work.data());
  for (bool kaiser : {true, false}) {
    const Rotated o = promax(r, p, A, 1.0, kaiser);
    EXPECT_EQ(o.iters, vi);
    for (std::size_t k = 0; k < V.size(); ++k) EXPECT_NEAR(o.P[k], V[k], 1e-9);
    for (int s = 0; s < p; ++s)
      for (int t = 0; t < p; ++t) EXPECT_NEAR(o.Phi[s + t * p], s == t ? 1.0 : 0.0, 1e-9);
  }
}

TEST(CatpcaRotation, PromaxIsObliqueAndSimplerThanVarimax) {
  // Correlated simple structure: promax finds correlated components, keeps
  // the reproduced matrix, and its pattern is simpler (lower quartimin
  // criterion) than the varimax loadings it started from.
  const int r = 12, p = 3;
  Mat T0 = {1, 0, 0, 0.5, std::sqrt(0.75), 0, 0.4, 0.3, std::sqrt(0.75)};
  Mat A = simple_structure(r, p, T0);
  for (int i = 0; i < r; ++i) A[i] += 0.02 * std::cos(3.1 * i);  // not exact
  Mat V = A, T(p * p), h2(r), work(r);
  CPR_Orthomax(r, p, V.data(), r, 1.0, false, true, T.data(), h2.data(), work.data());
  for (bool kaiser : {true, false}) {
    const Rotated o = promax(r, p, A, 4.0, kaiser);
    ASSERT_GT(o.iters, 0);
    check_oblique_identities(r, p, A, o.P, o.T, o.Phi, o.h2);
    EXPECT_LT(CPR_ObliminCriterion(r, p, o.P.data(), r, 0.0), CPR_ObliminCriterion(r, p, V.data(), r, 0.0));
    EXPECT_GT(std::fabs(o.Phi[1]), 0.2);
  }
}

TEST(CatpcaRotation, PromaxReportsBreakdown) {
  // A zero column: the cross products are singular, nothing can be fitted.
  const int r = 4, p = 2;
  const Mat A = {0.5, 0.6, 0.7, 0.8, 0, 0, 0, 0};
  const Rotated o = promax(r, p, A, 4.0, false);
  EXPECT_EQ(o.iters, 0);
}

TEST(CatpcaRotation, ObliqueAlphaReducesToTheEigenvalueForm) {
  // Unrotated component: the composite variance is lambda^2.
  for (double l : {0.5, 1.0, 2.5})
    EXPECT_NEAR(CPR_CronbachAlphaOblique(7, l, l * l), CPR_CronbachAlpha(7, l), 1e-14);
  EXPECT_EQ(CPR_CronbachAlphaOblique(7, 2, 0), 0.0);
}
