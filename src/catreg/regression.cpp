#include "catreg/regression.hpp"

#include <cmath>

namespace oscat::catreg {

namespace sc = scaling;

namespace {

constexpr double kStartSentinel = 1e12;
constexpr double kZeroScale = 1e-25;
// The preliminary numerical run has its own limits.
constexpr double kPrerunCrit = 1e-4;
constexpr int kPrerunMaxiter = 50;

inline long col(int j, int ld) { return static_cast<long>(j) * ld; }

// phi_j (or z for j = 0) from variable j's quantifications.
void scatter(const CrgData& d, const double* q, int j, double* out) {
  const int* c = d.codes + col(j, d.n);
  const int K = d.agg[j].K;
  for (int i = 0; i < d.n; ++i) out[i] = c[i] >= 1 && c[i] <= K ? q[c[i] - 1] : 0.0;
}

// t_c = sum_{i in c} w_i x_i / f_c (0 for empty categories).
void centroids(const CrgData& d, int j, const double* x, double* t) {
  const int* c = d.codes + col(j, d.n);
  const auto& v = d.agg[j];
  for (int k = 0; k < v.K; ++k) t[k] = 0.0;
  for (int i = 0; i < d.n; ++i)
    if (c[i] >= 1 && c[i] <= v.K && d.w[i] != 0.0) t[c[i] - 1] += d.w[i] * x[i];
  for (int k = 0; k < v.K; ++k) t[k] = v.f[k] != 0.0 ? t[k] / v.f[k] : 0.0;
}

double wdot(const CrgData& d, const double* x, const double* y) {
  double s = 0;
  for (int i = 0; i < d.n; ++i) s += d.w[i] * x[i] * y[i];
  return s;
}

void standard_quant(const CrgData& d, int j, double* q) {
  const auto& v = d.agg[j];
  const double sd = v.S > kZeroScale && d.N > kZeroScale ? std::sqrt(v.S / d.N) : 0.0;
  for (int c = 0; c < v.K; ++c)
    q[c] = sd > kZeroScale && v.f[c] != 0.0 ? (v.x[c] - v.xbar) / sd : 0.0;
}

const sc::SplineBlock* spline_of(const CrgData& d, int j) {
  return d.spline != nullptr && d.spline[j].B != nullptr ? &d.spline[j] : nullptr;
}

// Restriction to an ordinal level in the direction `sign` only; a failure
// zeroes q. Returns the sum f q^2 of the restricted target before the
// normalization (0 after a failure).
double signed_restrict(const CrgData& d, CrgArrays& a, int j, int iter, bool final_pass, int sign, bool normalize) {
  const auto& v = d.agg[j];
  double* q = a.q + col(j, d.kmax);
  auto& lev = d.lev[j];
  lev.status = 0;
  for (int c = 0; c < v.K; ++c) q[c] = sign * a.t[c];
  int nzero = 0;
  const bool failed = sc::ZYL_LevelRestrict(q, lev.mlevel, v, spline_of(d, j), a.work + v.K, true, false,
                                            iter == 0 ? 5 : 2, nzero);
  if (failed) {
    for (int c = 0; c < v.K; ++c) q[c] = 0.0;
    if (final_pass) lev.status = -1;
    return 0.0;
  }
  double e = 0;
  for (int c = 0; c < v.K; ++c) {
    q[c] *= sign;
    e += v.f[c] * q[c] * q[c];
  }
  if (normalize) sc::ZYL_NormQuant(q, v.f, v.K, d.N);
  if (final_pass) {
    int nonempty = 0;
    for (int c = 0; c < v.active(); ++c) nonempty += v.f[c] != 0.0;
    const auto* sp = spline_of(d, j);
    if (sp != nullptr) lev.status = sp->M - nzero;
    if (nonempty == 1) lev.status = 1;
  }
  return e;
}

// Requantify variable j from the target in a.t; q_j receives the result.
void quantify(const CrgData& d, CrgArrays& a, int j, int iter, bool final_pass, int sign = 0) {
  const auto& v = d.agg[j];
  const int lv = d.lev[j].mlevel;
  if (sign != 0 && (lv == sc::ORDINAL || lv == sc::SPORD)) {
    signed_restrict(d, a, j, iter, final_pass, sign, true);
    return;
  }
  double* q = a.q + col(j, d.kmax);
  for (int c = 0; c < v.K; ++c) q[c] = a.t[c];
  sc::QuantifyMode mode;
  mode.proc = 2;
  mode.target_given = true;
  mode.zero_on_fail = true;
  double dummy = 0;
  sc::ZYL_Quantify(v, &dummy, 1, a.work, spline_of(d, j), d.lev[j], d.lev[j].mlevel, q, nullptr, 0, d.N, iter,
                   final_pass, mode);
}

// The sum the closed-form coefficient update divides by: N for a
// standardized quantification (sum f q^2 = N); the quantification's own sum
// of squares when it is not (the numerical start of a variable with an extra
// category far from its values), so that the update stays a least-squares
// step instead of overshooting without bound.
double update_scale(const CrgData& d, int j, const double* q) {
  const auto& v = d.agg[j];
  double ss = 0;
  for (int c = 0; c < v.K; ++c) ss += v.f[c] * q[c] * q[c];
  return ss > kTiny && std::fabs(ss - d.N) > 1e-8 * d.N ? ss : d.N;
}

struct Fit {
  double ape = 0, r2 = 0;
};

// One sweep; mode 1 is the preliminary numerical run.
Fit sweep(const CrgData& d, const CrgSettings& s, CrgArrays& a, int mode, int iter, bool final_pass) {
  const int n = d.n, m = d.m;
  const bool penalized = s.penalty != Penalty::None && mode == 0;
  // Dependent.
  const auto& v0 = d.agg[0];
  if (mode == 0 && !(d.lev[0].mlevel == sc::NUMERICAL && !v0.extracat())) {
    centroids(d, 0, a.zhat, a.t);
    quantify(d, a, 0, iter, final_pass);
    scatter(d, a.q, 0, a.z);
    double mean = 0;
    for (int i = 0; i < n; ++i) mean += d.w[i] * a.z[i];
    mean /= d.N;
    for (int i = 0; i < n; ++i) a.z[i] = d.w[i] != 0.0 ? a.z[i] - mean : 0.0;
  }
  for (int i = 0; i < n; ++i) a.zhat[i] = 0.0;
  for (int j = 1; j < m; ++j) {
    const double* p = a.phi + col(j, n);
    for (int i = 0; i < n; ++i) a.zhat[i] += a.b[j] * p[i];
  }
  for (int j = 1; j < m; ++j) {
    double* p = a.phi + col(j, n);
    double& bj = a.b[j];
    const bool numerical = d.lev[j].mlevel == sc::NUMERICAL && (mode == 1 || !d.agg[j].extracat());
    const bool closed_form = mode == 1 || (numerical && !penalized);
    // One pass: remove b_j phi_j from the prediction, form the partial
    // residual and sum it by category (or its product with phi_j).
    const int* cj = d.codes + col(j, n);
    const auto& v = d.agg[j];
    for (int k = 0; k < v.K; ++k) a.t[k] = 0.0;
    double dot = 0;
    for (int i = 0; i < n; ++i) {
      const double h = a.zhat[i] - bj * p[i];
      a.zhat[i] = h;
      const double r = a.z[i] - h;
      const double w = d.w[i];
      if (closed_form) {
        dot += w * r * p[i];
      } else if (cj[i] >= 1 && cj[i] <= v.K && w != 0.0) {
        a.t[cj[i] - 1] += w * r;
      }
    }
    if (closed_form) {
      if (std::fabs(bj) >= kTiny) bj = dot / update_scale(d, j, a.q + col(j, d.kmax));
    } else {
      for (int k = 0; k < v.K; ++k) a.t[k] = v.f[k] != 0.0 ? a.t[k] / v.f[k] : 0.0;
      if (!numerical) quantify(d, a, j, iter, final_pass, s.signs != nullptr ? s.signs[j] : 0);
      // rho = sum_c f_c q_c t_c = phi' W r.
      const double* q = a.q + col(j, d.kmax);
      double rho = 0;
      for (int c = 0; c < v.K; ++c) rho += v.f[c] * q[c] * a.t[c];
      bj = penalized ? CRG_RegCoef(rho / d.N, s.penalty, s.lambda1, s.lambda2) : rho / d.N;
      if (!numerical) {
        // The new phi_j and its share of the prediction in one pass.
        for (int i = 0; i < n; ++i) {
          const double x = cj[i] >= 1 && cj[i] <= v.K ? q[cj[i] - 1] : 0.0;
          p[i] = x;
          a.zhat[i] += bj * x;
        }
        continue;
      }
    }
    for (int i = 0; i < n; ++i) a.zhat[i] += bj * p[i];
  }
  if (final_pass && penalized && s.penalty == Penalty::ElasticNet && s.lambda2 != 0) {
    for (int j = 1; j < m; ++j) a.b[j] *= 1 + s.lambda2;
    for (int i = 0; i < n; ++i) a.zhat[i] *= 1 + s.lambda2;
  }
  Fit f;
  double e = 0;
  for (int i = 0; i < n; ++i) e += d.w[i] * (a.z[i] - a.zhat[i]) * (a.z[i] - a.zhat[i]);
  f.ape = e / d.N;
  const double zz = wdot(d, a.z, a.zhat), hh = wdot(d, a.zhat, a.zhat);
  f.r2 = hh < kTiny ? zz * zz : zz * zz / (d.N * hh);
  return f;
}

// Block (j, k) of the cross tables and sum_c' F_jk[c, c'] x[c'] into out (K_j).
void cross_times(const CrgData& d, int j, int k, const double* x, double* out, double scale, bool add) {
  const int Kj = d.agg[j].K, Kk = d.agg[k].K;
  const double* F = d.cross + d.cross_off[j * d.m + k];
  if (!add)
    for (int c = 0; c < Kj; ++c) out[c] = 0.0;
  for (int c2 = 0; c2 < Kk; ++c2) {
    const double v = scale * x[c2];
    if (v == 0.0) continue;
    const double* col = F + static_cast<long>(c2) * Kj;
    for (int c = 0; c < Kj; ++c) out[c] += col[c] * v;
  }
}

// One sweep on the cross tables: the same steps as `sweep`, each sum over the
// objects of a category formed from the tables. The objects' vectors (z, phi,
// zhat) are left as they were; `materialize` forms them after the fit.
Fit sweep_cat(const CrgData& d, const CrgSettings& s, CrgArrays& a, int mode, int iter, bool final_pass,
              bool& dependent_requantified) {
  const int m = d.m;
  const bool penalized = s.penalty != Penalty::None && mode == 0;
  const auto& v0 = d.agg[0];
  double* zq = a.zq;
  if (mode == 0 && !(d.lev[0].mlevel == sc::NUMERICAL && !v0.extracat())) {
    // Category means of the prediction over the dependent's categories.
    for (int c = 0; c < v0.K; ++c) a.t[c] = 0.0;
    for (int k = 1; k < m; ++k) cross_times(d, 0, k, a.q + col(k, d.kmax), a.t, a.b[k], true);
    for (int c = 0; c < v0.K; ++c) a.t[c] = v0.f[c] != 0.0 ? a.t[c] / v0.f[c] : 0.0;
    quantify(d, a, 0, iter, final_pass);
    const double* q0 = a.q;
    double mean = 0;
    for (int c = 0; c < v0.K; ++c) mean += v0.f[c] * q0[c];
    mean /= d.N;
    for (int c = 0; c < v0.K; ++c) zq[c] = q0[c] - mean;
    dependent_requantified = true;
  }
  for (int j = 1; j < m; ++j) {
    const auto& v = d.agg[j];
    double& bj = a.b[j];
    // t_c: category means of r = z - (zhat - b_j phi_j) over the categories of j.
    cross_times(d, j, 0, zq, a.t, 1.0, false);
    for (int k = 1; k < m; ++k)
      if (k != j) cross_times(d, j, k, a.q + col(k, d.kmax), a.t, -a.b[k], true);
    for (int c = 0; c < v.K; ++c) a.t[c] = v.f[c] != 0.0 ? a.t[c] / v.f[c] : 0.0;
    const bool numerical = d.lev[j].mlevel == sc::NUMERICAL && (mode == 1 || !v.extracat());
    const double* q = a.q + col(j, d.kmax);
    if (mode == 1 || (numerical && !penalized)) {
      if (std::fabs(bj) >= kTiny) {
        double rho = 0;
        for (int c = 0; c < v.K; ++c) rho += v.f[c] * q[c] * a.t[c];
        bj = rho / update_scale(d, j, q);
      }
    } else {
      if (!numerical) quantify(d, a, j, iter, final_pass, s.signs != nullptr ? s.signs[j] : 0);
      double rho = 0;
      for (int c = 0; c < v.K; ++c) rho += v.f[c] * q[c] * a.t[c];
      bj = penalized ? CRG_RegCoef(rho / d.N, s.penalty, s.lambda1, s.lambda2) : rho / d.N;
    }
  }
  if (final_pass && penalized && s.penalty == Penalty::ElasticNet && s.lambda2 != 0)
    for (int j = 1; j < m; ++j) a.b[j] *= 1 + s.lambda2;
  // z'Wz, z'W zhat and zhat'W zhat from the tables.
  double zz = 0, zh = 0, hh = 0;
  for (int c = 0; c < v0.K; ++c) zz += v0.f[c] * zq[c] * zq[c];
  double* u = a.work;  // K of any variable; quantify is done with it here
  for (int j = 1; j < m; ++j) {
    if (a.b[j] == 0.0) continue;
    const auto& v = d.agg[j];
    for (int c = 0; c < v.K; ++c) u[c] = 0.0;
    for (int k = 1; k < m; ++k) cross_times(d, j, k, a.q + col(k, d.kmax), u, a.b[k], true);
    const double* q = a.q + col(j, d.kmax);
    double x = 0;
    for (int c = 0; c < v.K; ++c) x += q[c] * u[c];
    hh += a.b[j] * x;
    cross_times(d, j, 0, zq, u, 1.0, false);
    x = 0;
    for (int c = 0; c < v.K; ++c) x += q[c] * u[c];
    zh += a.b[j] * x;
  }
  Fit f;
  f.ape = std::fmax(0.0, zz - 2 * zh + hh) / d.N;
  f.r2 = hh < kTiny ? zh * zh : zh * zh / (d.N * hh);
  return f;
}

// The objects' vectors of a fit made on the cross tables.
void materialize(const CrgData& d, CrgArrays& a, bool dependent_requantified) {
  const int n = d.n;
  scatter(d, dependent_requantified ? a.zq : a.q, 0, a.z);
  if (dependent_requantified)
    for (int i = 0; i < n; ++i)
      if (d.w[i] == 0.0) a.z[i] = 0.0;
  for (int i = 0; i < n; ++i) a.zhat[i] = 0.0;
  for (int j = 1; j < d.m; ++j) {
    double* p = a.phi + col(j, n);
    scatter(d, a.q + col(j, d.kmax), j, p);
    const double bj = a.b[j];
    if (bj != 0.0)
      for (int i = 0; i < n; ++i) a.zhat[i] += bj * p[i];
  }
}

// Sweeps to convergence plus the final pass. Returns false when interrupted.
bool iterate(const CrgData& d, const CrgSettings& s, CrgArrays& a, int mode, int maxiter, double crit,
             double ape_old, CrgResult& res, Fit& out) {
  const bool on_tables = d.cross != nullptr && a.zq != nullptr;
  bool requantified = false;
  if (on_tables) {
    // The dependent's quantification as z holds it: centred by the last
    // requantification, otherwise the start's.
    double mean = 0;
    for (int c = 0; c < d.agg[0].K; ++c) mean += d.agg[0].f[c] * a.q[c];
    mean /= d.N;
    const bool centred = mode == 0 && !(d.lev[0].mlevel == sc::NUMERICAL && !d.agg[0].extracat());
    for (int c = 0; c < d.agg[0].K; ++c) a.zq[c] = centred ? a.q[c] - mean : a.q[c];
  }
  auto one = [&](int iter, bool final_pass) {
    return on_tables ? sweep_cat(d, s, a, mode, iter, final_pass, requantified) : sweep(d, s, a, mode, iter, final_pass);
  };
  int iter = 0;
  for (;;) {
    ++iter;
    if (mode == 0 && s.poll != nullptr && s.poll(s.poll_state, iter)) {
      res.interrupted = true;
      if (on_tables && s.objects) materialize(d, a, requantified);
      return false;
    }
    const Fit f = one(iter, false);
    const double diff = std::fabs(ape_old - f.ape);
    if (mode == 0 && a.history != nullptr) {
      HistoryRow& h = a.history[res.history_rows++];
      h.iteration = iter;
      h.r2 = f.r2;
      h.ape = f.ape;
      h.has_decrease = ape_old != kStartSentinel;
      h.decrease = ape_old - f.ape;
    }
    const bool stop = iter < maxiter ? (diff <= crit && iter >= 3) : true;
    if (stop) {
      if (mode == 0) {
        res.iterations = iter;
        res.last_difference = diff;
        res.converged = !(crit < diff);
      }
      out = one(iter, true);
      if (on_tables && s.objects) materialize(d, a, requantified);
      return true;
    }
    ape_old = f.ape;
  }
}

}  // namespace

double CRG_RegCoef(double u, Penalty p, double lambda1, double lambda2) {
  double b = u;
  switch (p) {
    case Penalty::None: break;
    case Penalty::Ridge: b = u / (1 + lambda2); break;
    case Penalty::Lasso: lambda2 = 0; [[fallthrough]];
    case Penalty::ElasticNet:
      b = u >= 0 ? std::fmax(0.0, (u - lambda1 / 2) / (1 + lambda2)) : std::fmin(0.0, (u + lambda1 / 2) / (1 + lambda2));
      break;
  }
  return std::fabs(b) < kTiny ? 0.0 : b;
}

long CRG_CrossTableSize(int m, const sc::CategoryAggregates* agg) {
  long k = 0;
  for (int j = 0; j < m; ++j) k += agg[j].K;
  return k * k;
}

void CRG_CrossTables(const CrgData& d, long* off, double* F) {
  const int n = d.n, m = d.m;
  long at = 0;
  for (int j = 0; j < m; ++j)
    for (int k = 0; k < m; ++k) {
      off[j * m + k] = at;
      at += static_cast<long>(d.agg[j].K) * d.agg[k].K;
    }
  for (long x = 0; x < at; ++x) F[x] = 0.0;
  // Pairs j <= k from the objects; the blocks below the diagonal are their
  // transposes.
  for (int j = 0; j < m; ++j) {
    const int* cj = d.codes + col(j, n);
    const int Kj = d.agg[j].K;
    for (int k = j; k < m; ++k) {
      const int* ck = d.codes + col(k, n);
      const int Kk = d.agg[k].K;
      double* B = F + off[j * m + k];
      for (int i = 0; i < n; ++i) {
        const double w = d.w[i];
        const int a = cj[i], b = ck[i];
        if (w == 0.0 || a < 1 || a > Kj || b < 1 || b > Kk) continue;
        B[(a - 1) + static_cast<long>(b - 1) * Kj] += w;
      }
      if (k == j) continue;
      double* T = F + off[k * m + j];
      for (int a = 0; a < Kj; ++a)
        for (int b = 0; b < Kk; ++b) T[b + static_cast<long>(a) * Kk] = B[a + static_cast<long>(b) * Kj];
    }
  }
}

bool CRG_CrossTablesApply(const CrgData& d) {
  for (int j = 0; j < d.m; ++j) {
    const int* c = d.codes + col(j, d.n);
    for (int i = 0; i < d.n; ++i)
      if (d.w[i] != 0.0 && (c[i] < 1 || c[i] > d.agg[j].K)) return false;
  }
  return true;
}

void CRG_InitNumerical(const CrgData& d, CrgArrays& a) {
  const int n = d.n;
  for (int j = 0; j < d.m; ++j) {
    double* q = a.q + col(j, d.kmax);
    for (int c = 0; c < d.kmax; ++c) q[c] = 0.0;
    standard_quant(d, j, q);
  }
  scatter(d, a.q, 0, a.z);
  a.b[0] = 1.0;
  for (int i = 0; i < n; ++i) a.zhat[i] = 0.0;
  for (int j = 1; j < d.m; ++j) {
    double* p = a.phi + col(j, n);
    scatter(d, a.q + col(j, d.kmax), j, p);
    double bj = std::fabs(wdot(d, p, a.z)) / d.N;
    if (bj < kTiny) bj = 1.0;
    a.b[j] = bj;
    for (int i = 0; i < n; ++i) a.zhat[i] += bj * p[i];
  }
}

void CRG_Restart(const CrgData& d, CrgArrays& a) {
  const auto& v0 = d.agg[0];
  double mean = 0;
  for (int c = 0; c < v0.K; ++c) mean += v0.f[c] * a.q[c];
  mean = d.N > 0 ? mean / d.N : 0.0;
  scatter(d, a.q, 0, a.z);
  for (int i = 0; i < d.n; ++i) a.z[i] = d.w[i] != 0.0 ? a.z[i] - mean : 0.0;
  a.b[0] = 1.0;
  for (int i = 0; i < d.n; ++i) a.zhat[i] = 0.0;
  for (int j = 1; j < d.m; ++j) {
    double* p = a.phi + col(j, d.n);
    scatter(d, a.q + col(j, d.kmax), j, p);
    for (int i = 0; i < d.n; ++i) a.zhat[i] += a.b[j] * p[i];
  }
}

void CRG_Als(const CrgData& d, const CrgSettings& s, CrgArrays& a, CrgResult& res) {
  res = CrgResult{};
  bool all_numerical = true;
  for (int j = 0; j < d.m; ++j) all_numerical = all_numerical && d.lev[j].mlevel == sc::NUMERICAL;
  double ape_old = kStartSentinel;
  Fit f;
  if (!s.random_start && !all_numerical && !s.fixed_signs) {
    iterate(d, s, a, 1, kPrerunMaxiter, kPrerunCrit, kStartSentinel, res, f);
    res.prerun = true;
    res.ape0 = f.ape;
    res.r20 = f.r2;
    ape_old = f.ape;
    // Nominal predictors start the main run with positive coefficients.
    for (int j = 1; j < d.m; ++j) {
      const int lv = d.lev[j].mlevel;
      if ((lv != sc::NOMINAL && lv != sc::SPNOM) || !(a.b[j] < 0)) continue;
      a.b[j] = -a.b[j];
      double* q = a.q + col(j, d.kmax);
      for (int c = 0; c < d.agg[j].K; ++c) q[c] = -q[c];
      double* p = a.phi + col(j, d.n);
      for (int i = 0; i < d.n; ++i) p[i] = -p[i];
      if (lv == sc::SPNOM && spline_of(d, j) != nullptr)
        for (int k = 0; k < d.spline[j].M; ++k) d.spline[j].b[k] = -d.spline[j].b[k];
    }
  }
  if (!iterate(d, s, a, 0, s.maxiter, s.crititer, ape_old, res, f)) return;
  res.ape = f.ape;
  res.r2 = f.r2;
}

namespace {

// The preliminary run of the multiple starts: every predictor takes its raw
// target (the category means of its partial residual) with coefficient 1;
// in the final pass each is quantified at its own level with sign +1 and
// an ordinal predictor becomes a candidate for a sign change when the
// restriction loses at least the threshold share of its target.
void multistart_prerun(const CrgData& d, const CrgSettings& s, CrgArrays& a, SignTable& t) {
  const int n = d.n, m = d.m;
  double ape_old = kStartSentinel;
  for (int iter = 1;; ++iter) {
    for (int i = 0; i < n; ++i) a.zhat[i] = 0.0;
    for (int j = 1; j < m; ++j)
      for (int i = 0; i < n; ++i) a.zhat[i] += a.b[j] * a.phi[i + col(j, n)];
    for (int j = 1; j < m; ++j) {
      double* p = a.phi + col(j, n);
      for (int i = 0; i < n; ++i) {
        a.zhat[i] -= a.b[j] * p[i];
        a.r[i] = a.z[i] - a.zhat[i];
      }
      centroids(d, j, a.r, a.t);
      double* q = a.q + col(j, d.kmax);
      for (int c = 0; c < d.agg[j].K; ++c) q[c] = a.t[c];
      a.b[j] = 1.0;
      scatter(d, q, j, p);
      for (int i = 0; i < n; ++i) a.zhat[i] += p[i];
    }
    double e = 0;
    for (int i = 0; i < n; ++i) e += d.w[i] * (a.z[i] - a.zhat[i]) * (a.z[i] - a.zhat[i]);
    e /= d.N;
    const bool stop = (std::fabs(ape_old - e) <= 1e-10 && iter >= 3) || iter >= 1000;
    ape_old = e;
    if (stop) break;
  }
  // Final pass at the predictors' own levels.
  for (int i = 0; i < n; ++i) a.zhat[i] = 0.0;
  for (int j = 1; j < m; ++j)
    for (int i = 0; i < n; ++i) a.zhat[i] += a.b[j] * a.phi[i + col(j, n)];
  for (int j = 1; j < m; ++j) {
    double* p = a.phi + col(j, n);
    for (int i = 0; i < n; ++i) {
      a.zhat[i] -= a.b[j] * p[i];
      a.r[i] = a.z[i] - a.zhat[i];
    }
    centroids(d, j, a.r, a.t);
    const auto& v = d.agg[j];
    int k = -1;
    for (int o = 0; o < t.p; ++o)
      if (t.ordinal[o] == j) k = o;
    if (k >= 0) {
      double E = 0;
      for (int c = 0; c < v.K; ++c) E += v.f[c] * a.t[c] * a.t[c];
      const double Er = signed_restrict(d, a, j, 1, false, 1, true);
      t.candidate[k] = E > 0 && (E - Er) / E >= s.threshold / 100 ? -1 : 0;
    } else if (d.lev[j].mlevel == sc::NUMERICAL && !v.extracat()) {
      standard_quant(d, j, a.q + col(j, d.kmax));
    } else {
      quantify(d, a, j, 1, false);
    }
    double* q = a.q + col(j, d.kmax);
    scatter(d, q, j, p);
    double rho = 0;
    for (int c = 0; c < v.K; ++c) rho += v.f[c] * q[c] * a.t[c];
    a.b[j] = rho / d.N;
    for (int i = 0; i < n; ++i) a.zhat[i] += a.b[j] * p[i];
  }
}

void apply_row(SignTable& t, const int* row) {
  for (int k = 0; k < t.p; ++k) t.signs[t.ordinal[k]] = row[k];
}

// One pattern run to convergence from the current configuration.
double run_pattern(const CrgData& d, const CrgSettings& s, CrgArrays& a, SignTable& t, const int* row,
                   CrgResult& res) {
  apply_row(t, row);
  CrgSettings ss = s;
  ss.signs = t.signs;
  ss.poll = nullptr;
  CrgArrays aa = a;
  aa.history = nullptr;
  CrgResult r;
  Fit f;
  if (!iterate(d, ss, aa, 0, s.maxiter, s.crititer, kStartSentinel, r, f)) res.interrupted = true;
  return f.ape;
}

}  // namespace

long long CRG_AllSignCount(int p) { return p < 0 || p > 31 ? 0 : 1LL << p; }

int CRG_SignRows(int p, bool all) { return all ? 1 : (p + 1) * (p + 1) + 2; }

void CRG_AllSignPatterns(int p, long long r, int* row) {
  for (int k = 0; k < p; ++k) row[k] = (r >> (p - 1 - k)) & 1 ? 1 : -1;
}

void CRG_MultiStart(const CrgData& d, const CrgSettings& s, CrgArrays& a, SignTable& t, CrgResult& res) {
  res = CrgResult{};
  const int p = t.p;
  for (int j = 0; j < d.m; ++j) t.signs[j] = 0;
  t.count = 0;
  long long best = -1;
  double best_ape = kStartSentinel;
  // The row in force: a stored row, or the generated pattern in the table's
  // first row (all patterns are not stored).
  int* row_all = t.rows;
  if (s.threshold < 0) {
    const long long rows = CRG_AllSignCount(p);
    for (long long r = 0; r < rows && !res.interrupted; ++r) {
      CRG_AllSignPatterns(p, r, row_all);
      ++t.count;
      const double e = run_pattern(d, s, a, t, row_all, res);
      if (e < best_ape) {
        best_ape = e;
        best = r;
      }
    }
  } else {
    if (s.first_of_series) multistart_prerun(d, s, a, t);
    // The base pattern lives in the table's scratch row past its capacity.
    int* base = t.base;
    for (int k = 0; k < p; ++k) base[k] = 1;
    for (int stage = 1; stage <= p && !res.interrupted; ++stage) {
      // Candidates: flip one still-positive column of the base (stage 1
      // also keeps the base itself); a flip of a non-candidate is dropped.
      long long stage_best = -1;
      double stage_ape = kStartSentinel;
      for (int flip = 0; flip <= p; ++flip) {
        if (flip < p && base[flip] < 0) continue;
        if (flip == p && stage != 1) continue;
        if (flip < p && t.candidate[flip] == 0) continue;
        if (t.count >= t.capacity) break;
        const long long r = t.count++;
        int* row = t.rows + r * p;
        for (int k = 0; k < p; ++k) row[k] = base[k];
        if (flip < p) row[flip] = -1;
        const double e = run_pattern(d, s, a, t, row, res);
        if (e < stage_ape) {
          stage_ape = e;
          stage_best = r;
        }
      }
      if (stage_best < 0 || !(stage_ape <= best_ape)) break;
      best_ape = stage_ape;
      best = stage_best;
      for (int k = 0; k < p; ++k) base[k] = t.rows[stage_best * p + k];
    }
  }
  if (res.interrupted) return;
  const long long starts = t.count;
  // The main run with the winning pattern writes the history.
  if (best >= 0 && s.threshold < 0) {
    CRG_AllSignPatterns(p, best, row_all);
    apply_row(t, row_all);
  } else if (best >= 0) {
    apply_row(t, t.rows + best * p);
  } else if (starts == 0) {
    for (int k = 0; k < p; ++k) t.signs[t.ordinal[k]] = 0;
  } else {
    for (int k = 0; k < p; ++k) t.signs[t.ordinal[k]] = 1;
  }
  CrgSettings ss = s;
  ss.signs = t.signs;
  Fit f;
  if (!iterate(d, ss, a, 0, s.maxiter, s.crititer, kStartSentinel, res, f)) return;
  res.ape = f.ape;
  res.r2 = f.r2;
  res.starts = starts;
  res.best_pattern = best + 1;
}

}  // namespace oscat::catreg
