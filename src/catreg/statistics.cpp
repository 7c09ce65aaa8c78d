#include "catreg/statistics.hpp"

#include <cmath>

#include "host/host.hpp"
#include "scaling/linalg.hpp"

namespace oscat::catreg {

using host::SYSMIS;
using host::is_sysmis;

double CRG_Df(const CrgData& d, const double* q, double beta, int j) {
  const auto& lev = d.lev[j];
  const auto& v = d.agg[j];
  if (lev.status < 0) return SYSMIS;
  if (std::fabs(beta) < kTiny) return 0;
  switch (lev.mlevel) {
    case scaling::NUMERICAL: return 1;
    case scaling::SPORD:
    case scaling::SPNOM: return lev.status;
    default: break;
  }
  int count = 0, prev = -1;
  for (int c = 0; c < v.K; ++c) {
    if (v.f[c] == 0.0) continue;
    if (prev >= 0 && std::fabs(q[c] - q[prev]) >= kTiny) ++count;
    prev = c;
  }
  return count;
}

bool CRG_Tolerance(int p, double* R, const double* df, double* tol, double* work) {
  auto use = [df](int i) { return !is_sysmis(df[i]); };
  // The used predictors are packed to the front of R.
  int k = 0;
  for (int i = 0; i < p; ++i) {
    if (!use(i)) continue;
    int l = 0;
    for (int j = 0; j < p; ++j)
      if (use(j)) R[k + static_cast<long>(l++) * p] = R[i + static_cast<long>(j) * p];
    ++k;
  }
  double* lambda = work;
  if (k > 0 && scaling::SymEigen(k, R, p, lambda, work + p) != 0) return false;
  int u = 0;
  for (int i = 0; i < p; ++i) {
    if (!use(i)) {
      tol[i] = SYSMIS;
      continue;
    }
    double s = 0;
    for (int e = 0; e < k; ++e)
      if (lambda[e] >= kTiny) s += R[u + static_cast<long>(e) * p] * R[u + static_cast<long>(e) * p] / lambda[e];
    tol[i] = s < 1.0 ? 0.0 : 1.0 / s;
    ++u;
  }
  return true;
}

long CRG_StatsWork(int m) { return static_cast<long>(m) * m + 3L * m + 8; }

namespace {

// Weighted correlations of the columns x_j (j = 1..m-1, column j at
// value(j, i)) into the (m-1) x (m-1) matrix R; a constant column correlates 0.
template <class Value>
void correlations(const CrgData& d, Value value, double* R, double* mean, double* sd) {
  const int p = d.m - 1;
  for (int j = 0; j < p; ++j) {
    double s = 0;
    for (int i = 0; i < d.n; ++i) s += d.w[i] * value(j + 1, i);
    mean[j] = s / d.N;
    double ss = 0;
    for (int i = 0; i < d.n; ++i) ss += d.w[i] * (value(j + 1, i) - mean[j]) * (value(j + 1, i) - mean[j]);
    sd[j] = std::sqrt(ss);
  }
  for (int j = 0; j < p; ++j)
    for (int k = 0; k <= j; ++k) {
      double c = 0;
      if (sd[j] > 0 && sd[k] > 0) {
        for (int i = 0; i < d.n; ++i) c += d.w[i] * (value(j + 1, i) - mean[j]) * (value(k + 1, i) - mean[k]);
        c /= sd[j] * sd[k];
      }
      if (j == k) c = 1.0;
      R[j + static_cast<long>(k) * p] = R[k + static_cast<long>(j) * p] = c;
    }
}

}  // namespace

void CRG_Statistics(const StatsInput& in, Stats& st, double* work) {
  const CrgData& d = *in.d;
  const CrgArrays& a = *in.a;
  const int m = d.m, p = m - 1, n = d.n;
  const double N = d.N;
  st.r2_reg = 1.0 - in.ape;
  // Degrees of freedom.
  double dfsum = 0;
  for (int j = 1; j < m; ++j) {
    st.beta[j] = a.b[j];
    st.df[j] = CRG_Df(d, a.q + static_cast<long>(j) * d.kmax, a.b[j], j);
    if (!is_sysmis(st.df[j])) dfsum += st.df[j];
  }
  st.df_reg = std::fmin(dfsum, N - 1);
  st.df_res = std::trunc(N) - std::trunc(st.df_reg) - 1;
  st.adjusted_r2 = st.df_res > 0 ? 1 - (1 - in.r2) * (N - 1) / (N - 1 - st.df_reg) : in.r2;
  // ANOVA.
  st.ss_reg = N * st.r2_reg;
  st.ss_res = N * (1 - st.r2_reg);
  st.ms_reg = st.df_reg > 0 ? st.ss_reg / st.df_reg : SYSMIS;
  st.ms_res = st.df_res > 0 ? st.ss_res / st.df_res : SYSMIS;
  st.f = st.sig = SYSMIS;
  if (st.ss_res > 0 && st.df_reg > 0 && st.df_res > 0) {
    st.f = st.ms_reg / st.ms_res;
    st.sig = host::CDFF(st.f, st.df_reg, st.df_res);
  }
  // Tolerances after and before the transformation.
  double* R = work;
  double* mean = R + static_cast<long>(p) * p;
  double* sd = mean + m;
  double* ework = sd + m;
  correlations(d, [&](int j, int i) { return a.phi[i + static_cast<long>(j) * n]; }, R, mean, sd);
  if (!CRG_Tolerance(p, R, st.df.data() + 1, st.tol_after.data() + 1, ework))
    for (int j = 1; j < m; ++j) st.tol_after[j] = SYSMIS;
  correlations(
      d,
      [&](int j, int i) {
        const int c = d.codes[i + static_cast<long>(j) * n];
        return c > 0 ? d.agg[j].x[c - 1] : d.agg[j].xbar;
      },
      R, mean, sd);
  if (!CRG_Tolerance(p, R, st.df.data() + 1, st.tol_before.data() + 1, ework))
    for (int j = 1; j < m; ++j) st.tol_before[j] = SYSMIS;
  // Correlations, importance, standard errors and tests.
  const bool perfect = 1 - std::sqrt(std::fmax(0.0, st.r2_reg)) <= 1e-7;
  for (int j = 1; j < m; ++j) {
    const double t = st.tol_after[j];
    const double b = st.beta[j];
    double se = in.se != nullptr ? in.se[j] : SYSMIS;
    if (perfect && in.se != nullptr) se = 0;
    if (is_sysmis(t) || t < 1e-11 || st.df_res == 0) se = SYSMIS;
    st.se[j] = se;
    if (is_sysmis(t)) st.beta[j] = SYSMIS;
    if (is_sysmis(t) || t < 1e-11) {
      st.partial[j] = st.part[j] = SYSMIS;
    } else {
      st.part[j] = std::sqrt(t) * b;
      st.partial[j] = perfect && std::fabs(b) <= 1e-7 ? SYSMIS : b / std::sqrt(b * b + (1 - st.r2_reg) / t);
    }
    double r = 0;
    const double* phi = a.phi + static_cast<long>(j) * n;
    for (int i = 0; i < n; ++i) r += d.w[i] * a.z[i] * phi[i];
    st.zero_order[j] = is_sysmis(st.df[j]) ? SYSMIS : r / N;
    if (is_sysmis(st.zero_order[j]) || is_sysmis(st.beta[j])) st.importance[j] = SYSMIS;
    else st.importance[j] = std::sqrt(std::fmax(0.0, in.r2)) < 1e-11 ? 0.0 : st.beta[j] * st.zero_order[j] / in.r2;
    st.coef_f[j] = is_sysmis(se) || se == 0 ? SYSMIS : (b / se) * (b / se);
    st.coef_sig[j] = SYSMIS;
    if (!is_sysmis(st.df[j]) && st.df[j] > 0 && st.df_res > 0 && !is_sysmis(st.coef_f[j]))
      st.coef_sig[j] = host::CDFF(st.coef_f[j], st.df[j], st.df_res);
  }
}

}  // namespace oscat::catreg
