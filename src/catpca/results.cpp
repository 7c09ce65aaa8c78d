#include "catpca/results.hpp"

#include <algorithm>
#include <cmath>

#include "catpca/solution.hpp"
#include "host/host.hpp"

namespace oscat::catpca {

int CPR_DimensionCap(int m, const CategoryAggregates* agg, const int* multiple, const int* active,
                     double active_weight) {
  int single = 0, count = 0;
  int contrib[2] = {0, 0};
  long D = 0;
  for (int j = 0; j < m; ++j)
    if (active[j] && !multiple[j]) ++single;
  for (int j = 0; j < m; ++j) {
    if (!active[j]) continue;
    int c = 1;
    if (multiple[j]) {
      c = 0;
      for (int k = 0; k < agg[j].K; ++k)
        if (agg[j].f[k] > 0) ++c;
      if (single == 0) c -= 1;
    }
    if (count < 2) contrib[count] = c;
    ++count;
    D += c;
  }
  if (count == 2) D = std::min(contrib[0], contrib[1]);
  // Weights can sum far beyond a long: such a total does not bound D.
  const double aw = std::trunc(active_weight);
  if (aw < 9.0e18) D = std::min(D, static_cast<long>(aw) - 1);
  return static_cast<int>(std::max(0L, D));
}

void CPR_Shown(const FinishInput& in, Shown& out) {
  const int n = in.n, m = in.m, p = in.p, K = in.kmax;
  const double SYS = host::SYSMIS;
  // Per-dimension factor of the shown scores relative to the engine's
  // orthonormal ones.
  auto factor = [&](int s) {
    return in.xscale *
           ((!in.fixed_scores && in.lambda[s] > 0) ? std::pow(in.lambda[s], in.e_obj / 2) : 1.0);
  };

  for (int s = 0; s < p * m; ++s) out.A[s] = in.A[s];
  CPR_Normalize(n, p, m, out.X, n, out.A, in.lambda, in.e_obj, in.e_var, in.fixed_scores);
  for (int j = 0; j < m; ++j) {
    const CategoryAggregates& v = in.agg[j];
    const double sw = v.w > 0 ? std::sqrt(v.w) : 1.0;
    double N = 0;
    for (int c = 0; c < v.K; ++c) N += v.f[c];
    for (int s = 0; s < p; ++s) {
      const long js = s + static_cast<long>(j) * p;
      const double a = in.A[js];
      out.vafv[js] = in.multiple[j] ? 0.0 : a * a;
      out.vafc[js] = in.multiple[j] ? in.eta[js] : v.w * in.eta[js];
      out.A[js] = in.multiple[j] ? SYS : out.A[js] / sw;
    }
    const double* qe = in.q + static_cast<long>(j) * K;
    double* qs = out.q + static_cast<long>(j) * K;
    const double qf = v.w > 0 && N > 0 ? std::sqrt(N / v.w) : 0.0;
    for (int c = 0; c < K; ++c)
      qs[c] = (in.multiple[j] || c >= v.K) ? SYS : (qe[c] == SYS ? SYS : qe[c] * qf);
    const double yf = in.multiple[j] ? 1.0 / sw : 1.0;
    for (int s = 0; s < p; ++s) {
      const double fs = factor(s);
      const double* ye = in.Y + static_cast<long>(j) * K * p + static_cast<long>(s) * K;
      double* ys = out.Y + static_cast<long>(j) * K * p + static_cast<long>(s) * K;
      for (int c = 0; c < K; ++c) ys[c] = (c >= v.K || ye[c] == SYS) ? SYS : ye[c] * yf * fs;
    }
  }
}

}  // namespace oscat::catpca
