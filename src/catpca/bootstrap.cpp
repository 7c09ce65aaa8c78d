#include "catpca/bootstrap.hpp"

#include <algorithm>
#include <cmath>

#include "catpca/solution.hpp"
#include "host/host.hpp"
#include "scaling/linalg.hpp"
#include "scaling/svd.hpp"

namespace oscat::catpca {

namespace {

constexpr double SYS = host::SYSMIS;
bool usable(double v) { return v != SYS && v != BOOT_ABSENT && std::isfinite(v); }

// Uniform index 0..k-1 (a draw of exactly 1.0 cannot happen with [0, 1)).
int draw_index(int k, BootRandom rnd, void* state) {
  const int i = static_cast<int>(rnd(state) * k);
  return std::min(std::max(i, 0), k - 1);
}

}  // namespace

// ---------------------------------------------------------------- sampling ---
void CPR_BootUnbalanced(int n, const double* objw, int draws, BootRandom rnd, void* state, double* g) {
  for (int i = 0; i < n; ++i) g[i] = 0.0;
  bool any = false;
  for (int i = 0; i < n && !any; ++i) any = objw[i] != 0.0;
  if (!any) return;
  for (int k = 0; k < draws; ++k) {
    int i;
    do i = draw_index(n, rnd, state);
    while (objw[i] == 0.0);
    g[i] += objw[i];
  }
}

void CPR_BootBalancedList(int n, const double* objw, int B, int* list, BootRandom rnd, void* state) {
  long L = 0;
  for (int b = 0; b < B; ++b)
    for (int i = 0; i < n; ++i)
      if (objw[i] != 0.0) list[L++] = i;
  // Each position is filled by a uniform draw among the entries not yet
  // placed (a Fisher-Yates permutation).
  for (long k = L - 1; k > 0; --k) {
    const long j = std::min<long>(static_cast<long>(rnd(state) * static_cast<double>(k + 1)), k);
    std::swap(list[k], list[j]);
  }
}

void CPR_BootBalancedWeights(int n, const double* objw, int nprime, int b, const int* list, double* g) {
  for (int i = 0; i < n; ++i) g[i] = 0.0;
  const int* blk = list + static_cast<long>(b) * nprime;
  for (int k = 0; k < nprime; ++k) g[blk[k]] += objw[blk[k]];
}

// ---------------------------------------------------------------- matching ---
void CPR_BootCross(const BootCrossInput& in, double* R) {
  const int p = in.p, K = in.kmax;
  for (int k = 0; k < p * p; ++k) R[k] = 0.0;
  for (int j = 0; j < in.m; ++j) {
    if (!in.active[j]) continue;
    const CategoryAggregates& v = in.agg[j];
    const double* fb = in.fb + static_cast<long>(j) * in.ldf;
    const long yo = static_cast<long>(j) * K * p;
    for (int c = 0; c < v.K; ++c) {
      if (!(fb[c] > 0) || !(v.f[c] > 0)) continue;
      auto point = [&](bool ref, int s) {
        if (in.multiple[j]) return (ref ? in.Yo : in.Yb)[yo + c + static_cast<long>(s) * K];
        const double q = (ref ? in.qo : in.qb)[c + static_cast<long>(j) * K];
        const double a = (ref ? in.Ao : in.Ab)[s + static_cast<long>(j) * p];
        return usable(q) && usable(a) ? q * a : BOOT_ABSENT;
      };
      bool ok = true;
      for (int s = 0; s < p && ok; ++s) ok = usable(point(true, s)) && usable(point(false, s));
      if (!ok) continue;
      const double wf = v.w * v.f[c];
      for (int t = 0; t < p; ++t) {
        const double b = point(false, t);
        for (int s = 0; s < p; ++s) R[s + t * p] += wf * point(true, s) * b;
      }
    }
  }
}

std::size_t CPR_BootMatchWork(int p) {
  return static_cast<std::size_t>(3 * p * p + p) + scaling::svd_work_size(p, p, p);
}

void CPR_BootMatch(int p, const double* R, bool procrustes, double* T, double* work) {
  for (int k = 0; k < p * p; ++k) T[k] = 0.0;
  if (!procrustes) {
    for (int t = 0; t < p; ++t) T[t + t * p] = R[t + t * p] < 0 ? -1.0 : 1.0;
    return;
  }
  double* a = work;
  double* U = a + p * p;
  double* V = U + p * p;
  double* w = V + p * p;
  double* sw = w + p;
  for (int k = 0; k < p * p; ++k) a[k] = R[k];
  scaling::CPR_PXS_SVDCMP(p, p, a, p, w, p, U, p, V, p, sw);
  // max tr(T' R') over orthogonal T: R' = V S U', so T = V U'.
  for (int s = 0; s < p; ++s)
    for (int t = 0; t < p; ++t) {
      double x = 0;
      for (int k = 0; k < p; ++k) x += V[s + k * p] * U[t + k * p];
      T[s + t * p] = x;
    }
}

void CPR_BootTransform(int rows, int p, double* M, long rs, long cs, const double* T, double* tmp) {
  for (int r = 0; r < rows; ++r) {
    double* row = M + r * rs;
    bool ok = true;
    for (int s = 0; s < p && ok; ++s) ok = usable(row[s * cs]);
    if (!ok) continue;
    for (int t = 0; t < p; ++t) {
      double x = 0;
      for (int s = 0; s < p; ++s) x += row[s * cs] * T[s + t * p];
      tmp[t] = x;
    }
    for (int t = 0; t < p; ++t) row[t * cs] = tmp[t];
  }
}

// --------------------------------------------------------------- summaries ---
int CPR_BootPercentileK(int Bv, int level) {
  const int k = static_cast<int>(std::trunc(Bv * (1.0 - level / 100.0) / 2.0 + 0.5));
  return std::max(1, k);
}

int CPR_BootSummary(int B, const double* vals, int level, int* idx, double& mean, double& lower,
                    double& upper) {
  int Bv = 0;
  double sum = 0;
  for (int b = 0; b < B; ++b)
    if (usable(vals[b])) {
      idx[Bv++] = b;
      sum += vals[b];
    }
  if (Bv == 0) {
    mean = lower = upper = SYS;
    return 0;
  }
  mean = sum / Bv;
  scaling::IndexShellSort(Bv, vals, idx);
  const int k = std::min(CPR_BootPercentileK(Bv, level), Bv);
  lower = vals[idx[k - 1]];
  upper = vals[idx[Bv - k]];
  return Bv;
}

// ---------------------------------------------------------------- ellipses ---
std::size_t CPR_BootEllipseWork(int B) {
  return static_cast<std::size_t>(5) * std::max(B, 2) + 8 + scaling::svd_work_size(std::max(B, 2), 2, 2);
}

bool CPR_BootEllipse(int B, const double* xs, const double* ys, double cx, double cy, int level, int K,
                     double* px, double* py, double& area, double* work, int* iwork) {
  area = SYS;
  const int ld = std::max(B, 2);
  double* D = work;             // ld x 2 centred cloud
  double* U = D + 2 * ld;       // ld x 2
  double* d = U + 2 * ld;       // ld distances
  double* w = d + ld;           // 2
  double* V = w + 2;            // 2 x 2
  double* sw = V + 4;
  int Bv = 0;
  for (int b = 0; b < B; ++b)
    if (usable(xs[b]) && usable(ys[b])) {
      D[Bv] = xs[b] - cx;
      D[ld + Bv] = ys[b] - cy;
      ++Bv;
    }
  if (Bv < 3) return false;
  // Copy the cloud to the front of its columns with leading dimension Bv.
  for (int b = 0; b < Bv; ++b) U[b] = D[ld + b];
  for (int b = 0; b < Bv; ++b) D[Bv + b] = U[b];
  scaling::CPR_PXS_SVDCMP(Bv, 2, D, Bv, w, 2, U, Bv, V, 2, sw);
  const double s1 = w[0], s2 = w[1];
  if (!(s1 > 0) || !(s2 > 1e-12 * s1)) return false;
  // Projections of the replicates on the axes: U S, so each scaled coordinate is U itself.
  for (int b = 0; b < Bv; ++b) {
    d[b] = U[b] * U[b] + U[Bv + b] * U[Bv + b];
    iwork[b] = b;
  }
  scaling::IndexShellSort(Bv, d, iwork);
  const double x = Bv * level / 100.0 + 0.5;
  const int i = std::max(1, std::min(static_cast<int>(std::trunc(x)), Bv));
  const int j = i == Bv ? i : i + 1;
  const double f = x - i;
  const double r = f * std::sqrt(d[iwork[j - 1]]) + (1 - f) * std::sqrt(d[iwork[i - 1]]);
  const double pi = 3.14159265358979323846;
  for (int k = 0; k < K; ++k) {
    const double th = k * 2 * pi / K;
    const double u1 = r * s1 * std::cos(th), u2 = r * s2 * std::sin(th);
    px[k] = cx + V[0] * u1 + V[2] * u2;
    py[k] = cy + V[1] * u1 + V[3] * u2;
  }
  area = pi * r * r * s1 * s2;
  return true;
}

// ---------------------------------------------------------------- layout ---
void BootLayout::set(int n_, int m_, int p_, int kmax_) {
  n = n_;
  m = m_;
  p = p_;
  kmax = kmax_;
  summary = 0;
  vafc = summary + 3 * (p + 1);
  vafv = vafc + p * m;
  load = vafv + p * m;
  cent = load + p * m;
  obj = cent + kmax * p * m;
  count = obj + n * p;
}

int CPR_BootActiveCount(int n, const double* objw) {
  int k = 0;
  for (int i = 0; i < n; ++i) k += objw[i] != 0.0;
  return k;
}

// --------------------------------------------------------------- the run ---
namespace {

// Replicate aggregates from the bootstrap weights; false when the replicate
// cannot be analysed (an active variable left with fewer than two categories,
// or fewer dimensions than asked for).
bool replicate_aggregates(const BootInput& in, BootArrays& a) {
  const PrData& d = *in.d;
  const int n = d.n, m = d.m, K = d.kmax;
  double G = 0;
  for (int i = 0; i < n; ++i) G += a.g[i];
  for (int j = 0; j < m; ++j) {
    double* f = a.freq + static_cast<long>(j) * K;
    for (int c = 0; c < K; ++c) f[c] = 0.0;
    const int* codes = d.codes + static_cast<long>(j) * n;
    const int Kj = d.agg[j].K;
    for (int i = 0; i < n; ++i)
      if (a.g[i] != 0.0 && codes[i] >= 1 && codes[i] <= Kj) f[codes[i] - 1] += a.g[i];
    CategoryAggregates v = d.agg[j];
    v.f = f;
    int nonempty = 0;
    for (int c = 0; c < v.active(); ++c) nonempty += f[c] > 0;
    scaling::ZYL_Moments(v.x, f, v.active(), v.N, v.xbar, v.S);
    a.agg[j] = v;
    if (in.active[j] && (nonempty < 2 || !(v.S > 0))) return false;
  }
  return CPR_DimensionCap(m, a.agg, in.multiple, in.active, G) >= d.p;
}

enum class Rep { Ok, Invalid, Interrupted };

Rep run_replicate(const BootInput& in, BootArrays& a) {
  const PrData& d = *in.d;
  const int n = d.n, m = d.m, p = d.p, K = d.kmax;
  if (!replicate_aggregates(in, a)) return Rep::Invalid;
  PrData db = d;
  db.objw = a.g;
  db.weighted = true;
  db.agg = a.agg;
  db.names = nullptr;
  for (int j = 0; j < m; ++j) a.lev[j] = d.lev[j];
  db.lev = a.lev;
  PrSettings sb = in.set;
  sb.bootstrap = true;
  sb.main_analysis = false;
  sb.config = 0;
  double G = 0;
  for (int i = 0; i < n; ++i) G += a.g[i];
  sb.xscale = G > 0 ? std::sqrt(G) : 1.0;
  for (long k = 0; k < static_cast<long>(n) * p; ++k) a.eng.X[k] = in.X0[k];
  for (int k = 0; k < p * m; ++k) a.eng.A[k] = in.A0[k];
  PrResult res;
  CPR_PrAlgo(db, sb, a.eng, a.work, a.iwork, res);
  if (res.interrupted) return Rep::Interrupted;
  if (res.error != 0 || !std::isfinite(res.fit)) {
    if (host::host_bound()) host::H().msg.clear_error_flag();
    return Rep::Invalid;
  }
  for (int s = 0; s < p; ++s)
    if (!std::isfinite(a.eng.lambda[s])) return Rep::Invalid;
  FinishInput fb = in.fin;
  fb.agg = a.agg;
  fb.lambda = a.eng.lambda;
  fb.A = a.eng.A;
  fb.q = a.eng.q;
  fb.Y = a.eng.Y;
  fb.eta = a.eng.eta;
  fb.xscale = sb.xscale;
  a.shown.X = a.eng.X;
  CPR_Shown(fb, a.shown);
  // Categories without objects in this replicate have no point.
  for (int j = 0; j < m; ++j) {
    const double* f = a.freq + static_cast<long>(j) * K;
    for (int c = 0; c < a.agg[j].K; ++c) {
      if (f[c] > 0) continue;
      for (int s = 0; s < p; ++s) {
        a.shown.Y[c + static_cast<long>(s) * K + static_cast<long>(j) * K * p] = BOOT_ABSENT;
        a.eng.Y[c + static_cast<long>(s) * K + static_cast<long>(j) * K * p] = BOOT_ABSENT;
      }
      if (a.shown.q[c + static_cast<long>(j) * K] != SYS) a.shown.q[c + static_cast<long>(j) * K] = BOOT_ABSENT;
    }
  }
  return Rep::Ok;
}

void store(const BootInput& in, BootArrays& a, const BootResult& r, int b) {
  const PrData& d = *in.d;
  const BootLayout& L = r.layout;
  const int n = d.n, m = d.m, p = d.p, K = d.kmax, B = in.B;
  double* T = a.mwork;
  double* R = T + p * p;
  double* tmp = R + p * p;
  double* sw = tmp + p;
  BootCrossInput ci;
  ci.m = m;
  ci.p = p;
  ci.kmax = K;
  ci.agg = d.agg;
  ci.fb = a.freq;
  ci.ldf = K;
  ci.multiple = in.multiple;
  ci.active = in.active;
  ci.Yo = in.ref->Y;
  ci.qo = in.ref->q;
  ci.Ao = in.ref->A;
  ci.Yb = a.shown.Y;
  ci.qb = a.shown.q;
  ci.Ab = a.shown.A;
  CPR_BootCross(ci, R);
  CPR_BootMatch(p, R, in.procrustes, T, sw);
  auto put = [&](int stat, double v) { a.vals[static_cast<long>(stat) * B + b] = std::isfinite(v) ? v : BOOT_ABSENT; };
  // Summary: the replicate's own eigenvalues (ordered as principal components).
  double tot = 0;
  for (int s = 0; s <= p; ++s) {
    const double l = s < p ? a.eng.lambda[s] : tot;
    if (s < p) tot += l;
    const double al = CPR_CronbachAlpha(in.M, l);
    put(L.sum(s, 0), al == SYS ? BOOT_ABSENT : al);
    put(L.sum(s, 1), l);
    put(L.sum(s, 2), in.M > 0 ? 100.0 * l / in.M : BOOT_ABSENT);
  }
  // Matched points.
  CPR_BootTransform(n, p, a.shown.X, 1, n, T, tmp);
  for (int j = 0; j < m; ++j) {
    const long yo = static_cast<long>(j) * K * p;
    CPR_BootTransform(a.agg[j].K, p, a.shown.Y + yo, 1, K, T, tmp);
    CPR_BootTransform(a.agg[j].K, p, a.eng.Y + yo, 1, K, T, tmp);
    if (!in.multiple[j]) {
      CPR_BootTransform(1, p, a.shown.A + static_cast<long>(j) * p, p, 1, T, tmp);
      CPR_BootTransform(1, p, a.eng.A + static_cast<long>(j) * p, p, 1, T, tmp);
    }
    const double* f = a.freq + static_cast<long>(j) * K;
    const double wc = in.multiple[j] ? 1.0 : a.agg[j].w;
    for (int s = 0; s < p; ++s) {
      double e = 0;
      for (int c = 0; c < a.agg[j].K; ++c) {
        const double y = a.eng.Y[yo + c + static_cast<long>(s) * K];
        if (f[c] > 0 && usable(y)) e += f[c] * y * y;
      }
      put(L.vc(j, s), wc * e);
      const double ae = a.eng.A[s + static_cast<long>(j) * p];
      put(L.vv(j, s), in.multiple[j] ? BOOT_ABSENT : ae * ae);
      put(L.ld(j, s), in.multiple[j] ? BOOT_ABSENT : a.shown.A[s + static_cast<long>(j) * p]);
      for (int c = 0; c < K; ++c) {
        const double y = c < a.agg[j].K ? a.shown.Y[yo + c + static_cast<long>(s) * K] : BOOT_ABSENT;
        put(L.ct(j, c, s), usable(y) ? y : BOOT_ABSENT);
      }
    }
  }
  for (int s = 0; s < p; ++s)
    for (int i = 0; i < n; ++i) put(L.ob(i, s), a.shown.X[i + static_cast<long>(s) * n]);
}

// The full-sample value of every statistic, in the layout of the replicates.
void reference(const BootInput& in, BootArrays& a, const BootLayout& L) {
  const PrData& d = *in.d;
  const Shown& o = *in.ref;
  const int n = d.n, m = d.m, p = d.p, K = d.kmax;
  for (int k = 0; k < L.count; ++k) a.ref[k] = BOOT_ABSENT;
  const double* lambda = in.fin.lambda;
  double tot = 0;
  for (int s = 0; s <= p; ++s) {
    const double l = s < p ? lambda[s] : tot;
    if (s < p) tot += l;
    a.ref[L.sum(s, 0)] = CPR_CronbachAlpha(in.M, l);
    a.ref[L.sum(s, 1)] = l;
    a.ref[L.sum(s, 2)] = in.M > 0 ? 100.0 * l / in.M : SYS;
  }
  for (int j = 0; j < m; ++j)
    for (int s = 0; s < p; ++s) {
      a.ref[L.vc(j, s)] = o.vafc[s + static_cast<long>(j) * p];
      a.ref[L.vv(j, s)] = in.multiple[j] ? SYS : o.vafv[s + static_cast<long>(j) * p];
      a.ref[L.ld(j, s)] = in.multiple[j] ? SYS : o.A[s + static_cast<long>(j) * p];
      for (int c = 0; c < K; ++c)
        a.ref[L.ct(j, c, s)] = c < d.agg[j].K ? o.Y[c + static_cast<long>(s) * K + static_cast<long>(j) * K * p] : SYS;
    }
  for (int s = 0; s < p; ++s)
    for (int i = 0; i < n; ++i) a.ref[L.ob(i, s)] = o.X[i + static_cast<long>(s) * n];
}

void absent(const BootInput& in, BootArrays& a, const BootResult& r, int b) {
  for (int k = 0; k < r.layout.count; ++k) a.vals[static_cast<long>(k) * in.B + b] = BOOT_ABSENT;
}

}  // namespace

bool CPR_Bootstrap(const BootInput& in, BootArrays& a, BootResult& r) {
  const PrData& d = *in.d;
  const int n = d.n;
  r = BootResult{};
  r.layout.set(n, d.m, d.p, d.kmax);
  r.B = in.B;
  r.vals = a.vals;
  r.ref = a.ref;
  reference(in, a, r.layout);
  const int nprime = CPR_BootActiveCount(n, d.objw);
  if (nprime == 0 || in.B <= 0) return false;
  for (int i = 0; i < n; ++i) {
    a.gmin[i] = 0;
    a.gmax[i] = 0;
  }
  if (in.balanced) CPR_BootBalancedList(n, d.objw, in.B, a.list, in.rnd, in.rnd_state);
  // Redraws of an unbalanced replicate are bounded so that data no resample
  // can analyse end the bootstrap instead of looping.
  const int kMaxRedraws = 100;
  bool first = true;
  for (int b = 0; b < in.B; ++b) {
    Rep rep = Rep::Invalid;
    for (int attempt = 0; attempt <= kMaxRedraws; ++attempt) {
      if (in.balanced) CPR_BootBalancedWeights(n, d.objw, nprime, b, a.list, a.g);
      else CPR_BootUnbalanced(n, d.objw, nprime, in.rnd, in.rnd_state, a.g);
      rep = run_replicate(in, a);
      if (rep != Rep::Invalid || in.balanced) break;
      ++r.redrawn;
    }
    if (rep == Rep::Interrupted) {
      r.interrupted = true;
      return true;
    }
    if (rep == Rep::Ok) {
      store(in, a, r, b);
      ++r.valid;
      for (int i = 0; i < n; ++i) {
        a.gmin[i] = first ? a.g[i] : std::min(a.gmin[i], a.g[i]);
        a.gmax[i] = first ? a.g[i] : std::max(a.gmax[i], a.g[i]);
      }
      first = false;
    } else {
      ++r.flawed;
      absent(in, a, r, b);
    }
    if (in.progress && host::host_bound()) {
      host::H().num.ODOMTR("Bootstrap sample", b + 1, in.B);
      if (host::H().num.ATNJMP()) {
        r.interrupted = true;
        return true;
      }
    }
  }
  if (!in.balanced && r.valid > 0) {
    bool all_zero = true;
    for (int i = 0; i < n; ++i) {
      if (d.objw[i] == 0.0) continue;
      if (a.gmax[i] - a.gmin[i] == 0.0) {
        ++r.zero_range;
        all_zero = all_zero && a.gmax[i] == 0.0;
      }
    }
    r.zero_range_all_zero = r.zero_range > 0 && all_zero;
  }
  return true;
}

void CPR_BootReport(const BootInput& in, const BootArrays& a, const BootResult& r) {
  if (!host::host_bound()) return;
  auto& msg = host::H().msg;
  using host::Msg;
  auto warn = [&](Msg m) { msg.BP_ERROR(m, 2, 2); };
  if (r.flawed > 0) {
    const Msg c = msg.BP_BEGIN_COMPSTRING(msg.BP_CSTRING(in.balanced ? "CPR BBoot flawed ^1." : "CPR UBoot flawed ^1."));
    msg.BP_ADD_PARAMETER(c, msg.BP_IVALUE(r.flawed));
    warn(msg.BP_END_COMPSTRING(c));
  }
  if (r.zero_range == 0) return;
  const PrData& d = *in.d;
  const int nprime = CPR_BootActiveCount(d.n, d.objw);
  if (r.zero_range == nprime) {
    warn(msg.BP_CSTRING(r.zero_range_all_zero ? "CPR Obj All zero bootwgt range and zerobootwgt"
                                              : "CPR Obj All zero bootwgt range"));
  } else {
    const bool one = r.zero_range == 1;
    const Msg c = msg.BP_BEGIN_COMPSTRING(
        msg.BP_CSTRING(one ? "CPR Obj ^1 zero bootwgt range" : "CPR Obj [%1:, ^1:, $1]1 zero bootwgt range"));
    for (int i = 0; i < d.n; ++i)
      if (d.objw[i] != 0.0 && a.gmax[i] - a.gmin[i] == 0.0)
        msg.BP_ADD_PARAMETER(c, msg.BP_IVALUE(in.cases != nullptr ? in.cases[i] : i + 1));
    warn(msg.BP_END_COMPSTRING(c));
  }
  warn(msg.BP_CSTRING("CPR warn1 about bootstrap"));
  warn(msg.BP_CSTRING("CPR warn2 about bootstrap"));
}

}  // namespace oscat::catpca
