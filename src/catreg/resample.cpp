#include "catreg/resample.hpp"

#include <cmath>

#include "host/host.hpp"

namespace oscat::catreg {

void CRG_FoldCases(int n, const double* w, int k, int fold, double* out) {
  int t = 0;
  for (int i = 0; i < n; ++i) {
    out[i] = w[i];
    if (!(w[i] > 0)) continue;
    if (t % k + 1 == fold) out[i] = 0.0;
    ++t;
  }
}

int CRG_ZeroVariance(int m, const scaling::CategoryAggregates* agg, double* flags) {
  int count = 0;
  for (int j = 0; j < m; ++j) {
    int used = 0;
    for (int c = 0; c < agg[j].active(); ++c) used += agg[j].f[c] > 0;
    flags[j] = used <= 1 ? 1.0 : 0.0;
    count += used <= 1;
  }
  return count;
}

namespace {

// Quantification of category c (1-based) of variable j in the fit; NaN when
// it cannot be given. A category the fit did not see (frequency 0) is set
// on the line of a numerical variable and between the neighbouring seen
// categories of a spline variable; `unseen` is raised when one was met.
double quant(const CrgData& d, const CrgArrays& a, int j, int c, bool& unseen) {
  const auto& v = d.agg[j];
  if (c < 1 || c > v.K) return 0.0;
  const double* q = a.q + static_cast<long>(j) * d.kmax;
  if (v.f[c - 1] != 0.0) return q[c - 1];
  unseen = true;
  const int level = d.lev[j].mlevel;
  const bool extra = v.extracat() && c == v.K;
  if (level == scaling::NUMERICAL && !v.extracat() && v.S > 0 && d.N > 0)
    return (v.x[c - 1] - v.xbar) / std::sqrt(v.S / d.N);
  if (scaling::is_spline(level) && !extra) {
    int lo = c - 2, hi = c;
    while (lo >= 0 && v.f[lo] == 0.0) --lo;
    while (hi < v.active() && v.f[hi] == 0.0) ++hi;
    if (lo >= 0 && hi < v.active())
      return q[lo] + (q[hi] - q[lo]) * (v.x[c - 1] - v.x[lo]) / (v.x[hi] - v.x[lo]);
  }
  return std::nan("");
}

}  // namespace

int CRG_PredictionErrors(const CrgData& d, const CrgArrays& a, const double* w, CaseErrors& e) {
  int met = 0;
  for (int i = 0; i < d.n; ++i) {
    if (!(w[i] > 0) || d.w[i] != 0.0) continue;
    e.left_out[i] += 1;
    bool unseen = false;
    double z = quant(d, a, 0, d.codes[i], unseen);
    double zhat = 0;
    for (int j = 1; j < d.m; ++j) zhat += a.b[j] * quant(d, a, j, d.codes[i + static_cast<long>(j) * d.n], unseen);
    met += unseen;
    if (std::isnan(z) || std::isnan(zhat)) {
      e.unpredictable[i] += 1;
      continue;
    }
    e.sum[i] += (z - zhat) * (z - zhat);
    e.count[i] += 1;
  }
  return met;
}

ErrorEstimate CRG_ErrorEstimates(int n, const double* w, const CaseErrors& e, bool bootstrap, double ape) {
  ErrorEstimate r;
  double sum = 0;
  for (int i = 0; i < n; ++i) {
    if (!(w[i] > 0)) continue;
    if (e.left_out[i] == 0) r.never_left_out = true;
    else if (e.count[i] == 0) r.never_predictable = true;
    if (e.count[i] == 0) continue;
    r.cases += 1;
    sum += w[i] * e.sum[i] / e.count[i];
  }
  if (r.cases == 0) {
    r.epe = r.se = host::SYSMIS;
    return r;
  }
  const double mean = sum / r.cases;
  double ss = 0;
  for (int i = 0; i < n; ++i)
    if (w[i] > 0 && e.count[i] > 0) ss += w[i] * (e.sum[i] / e.count[i] - mean) * (e.sum[i] / e.count[i] - mean);
  r.epe = bootstrap ? 0.368 * ape + 0.632 * mean : mean;
  r.se = std::sqrt(ss) / r.cases;
  return r;
}

void CRG_SelectModels(int M, const double* epe, const double* se, const double* selected, int& optimal,
                      int& one_se) {
  optimal = 0;
  double best = 1e6;
  for (int k = 0; k < M; ++k)
    if (selected[k] >= 1 && !host::is_sysmis(epe[k]) && epe[k] < best) {
      best = epe[k];
      optimal = k;
    }
  one_se = optimal;
  if (host::is_sysmis(epe[optimal])) return;
  const double T = epe[optimal] + (host::is_sysmis(se[optimal]) ? 0.0 : se[optimal]);
  for (int k = optimal + 1; k < M; ++k)
    if (!host::is_sysmis(epe[k]) && epe[k] <= T && selected[k] >= 1 && selected[k] <= selected[optimal]) one_se = k;
}

}  // namespace oscat::catreg
