// CORRESPONDENCE computation on tables of Poisson(5) + 1 counts, timed from
// the library alone (no host): 1000 x 1000 and 20000 x 50.
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <random>
#include <vector>

#include "corres/corres.hpp"

using namespace oscat::corres;

static double run(int I, int J, unsigned seed) {
  std::mt19937 gen(seed);
  std::poisson_distribution<int> pois(5.0);
  const int q = std::min(I, J), p = 2;
  Sizes z = analysis_sizes(I, J, 0, 0, p, p);
  std::vector<double> F(z.F), F0(z.F), S(z.F), P(z.F), A(z.F), X(z.vecR), Y(z.vecC), lam(q), r(I), c(J), r0(I),
      c0(J), ri(I), ci(J), ub(z.ubuf), vb(z.vbuf), sw(z.svdwork), cov(z.cov), keys(std::max(I, J)),
      scr(p + std::max(I, J) * p);
  std::vector<int> gR(I), gC(J), perm(std::max(I, J));
  for (auto& v : F) v = pois(gen) + 1;
  Analysis a;
  a.I = I; a.J = J; a.p = p;
  a.F = F.data(); a.F0 = F0.data(); a.S = S.data(); a.P = P.data(); a.A = A.data(); a.X = X.data(); a.Y = Y.data();
  a.lambda = lam.data(); a.r = r.data(); a.c = c.data(); a.r0 = r0.data(); a.c0 = c0.data(); a.rowin = ri.data();
  a.colin = ci.data(); a.ubuf = ub.data(); a.vbuf = vb.data(); a.svdwork = sw.data(); a.cov = cov.data();
  a.keys = keys.data(); a.scratch = scr.data(); a.gsizeR = gR.data(); a.gsizeC = gC.data(); a.perm = perm.data();
  using clock = std::chrono::steady_clock;
  const auto t0 = clock::now();
  auto lap = [t = t0]() mutable {
    const auto now = clock::now();
    const double d = std::chrono::duration<double>(now - t).count();
    t = now;
    return d;
  };
  ca_margins(a);
  ca_merge_equal(a);
  ca_standardize_center(a);
  const double prep = lap();
  ca_decompose(a, p);
  const double svd = lap();
  ca_check_dims(a);
  ca_coordinates(a);
  ca_confidence(a, false, false);
  ca_scores(a);
  ca_summary(a);
  const double rest = lap();
  const double secs = std::chrono::duration<double>(clock::now() - t0).count();
  std::printf("  (table preparation %.3f s, decomposition %.3f s, the rest %.3f s)\n", prep, svd, rest);
  std::printf("corres library %5d x %-5d  %.3f s  lambda1 %.5f  total inertia %.5f\n", I, J, secs, lam[0],
              a.total_inertia);
  return secs;
}

int main() {
  run(1000, 1000, 12345);
  run(20000, 50, 12345);
  rusage ru{};
  getrusage(RUSAGE_SELF, &ru);
  std::printf("corres library peak memory %.1f MB\n", ru.ru_maxrss / 1024.0);
  return 0;
}
