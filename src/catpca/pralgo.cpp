#include "catpca/pralgo.hpp"

#include <algorithm>
#include <cmath>
#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>

#include "frame/messages.hpp"
#include "host/host.hpp"
#include "scaling/als.hpp"
#include "scaling/linalg.hpp"
#include "scaling/tolerances.hpp"

namespace oscat::catpca {

using scaling::SplineBlock;
namespace sx = scaling;

std::int64_t CPR_WorkSize(int n, int m, int p, int kmax, int max_degree) {
  return static_cast<std::int64_t>(n) * p + static_cast<std::int64_t>(kmax + 1) * p * m +
         4LL * kmax + 6LL * p * p + 6LL * p + 5LL * std::max(0, max_degree) + 8;
}

namespace {

bool is_spline(int level) { return level == sx::SPORD || level == sx::SPNOM; }

// A second thread for the passes over the objects. It is started once per
// run and then only handed jobs, so the iterations create no threads and
// allocate nothing.
class Helper {
 public:
  Helper() = default;
  Helper(const Helper&) = delete;
  Helper& operator=(const Helper&) = delete;
  ~Helper() { stop(); }

  // False when no thread could be started (the caller then works alone).
  bool start() {
    try {
      thread_ = std::thread([this] { loop(); });
      return true;
    } catch (const std::system_error&) {
      return false;
    }
  }
  bool running() const { return thread_.joinable(); }

  // Runs job() on the helper while the caller does its own share; wait()
  // returns once the job is done.
  template <class F>
  void post(F& job) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      fn_ = [](void* p) { (*static_cast<F*>(p))(); };
      arg_ = &job;
      pending_ = true;
    }
    wake_.notify_one();
  }
  void wait() {
    std::unique_lock<std::mutex> lock(mutex_);
    done_.wait(lock, [this] { return !pending_; });
  }

 private:
  void loop() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
      wake_.wait(lock, [this] { return pending_ || quit_; });
      if (quit_) return;
      lock.unlock();
      fn_(arg_);
      lock.lock();
      pending_ = false;
      done_.notify_one();
    }
  }
  void stop() {
    if (!thread_.joinable()) return;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      quit_ = true;
    }
    wake_.notify_one();
    thread_.join();
  }

  std::thread thread_;
  std::mutex mutex_;
  std::condition_variable wake_, done_;
  void (*fn_)(void*) = nullptr;
  void* arg_ = nullptr;
  bool pending_ = false, quit_ = false;
};

class Engine {
 public:
  Engine(const PrData& d, const PrSettings& s, PrArrays& o, double* work, int* iwork, PrResult& r)
      : d_(d), s_(s), o_(o), r_(r), iwork_(iwork) {
    const int n = d.n, p = d.p, K = d.kmax;
    Z_ = work;
    work += static_cast<long>(n) * p;
    qwork_ = work;
    work += 2L * K;
    G_ = work;  // (kmax + 1) x p x m
    work += static_cast<long>(K + 1) * p * d.m;
    root_ = work;
    work += p;
    V_ = work;
    work += p * p;
    orth_ = work;
    work += 3 * p * p + p;
    tmp_ = work;  // 2p^2 + 4p
    work += 2 * p * p + 4 * p;
    spline_work_ = work;  // 2 kmax + 5 max_degree + 8
  }

  void run();

 private:
  const PrData& d_;
  const PrSettings& s_;
  PrArrays& o_;
  PrResult& r_;
  int* iwork_;
  double *Z_, *qwork_, *G_, *root_, *V_, *orth_, *tmp_, *spline_work_;
  bool numerical_mode_ = false;

  double* Yj(int j) const { return o_.Y + static_cast<long>(j) * d_.kmax * d_.p; }
  double* qj(int j) const { return o_.q + static_cast<long>(j) * d_.kmax; }
  double* aj(int j) const { return o_.A + static_cast<long>(j) * d_.p; }
  double* etaj(int j) const { return o_.eta + static_cast<long>(j) * d_.p; }
  const int* codesj(int j) const { return d_.codes + static_cast<long>(j) * d_.n; }
  bool multiple(int j) const { return d_.proc == 3 || d_.lev[j].mlevel == sx::MNOMINAL; }
  bool active(int j) const { return d_.suppl == nullptr || d_.suppl[j] == 0; }
  // Quantification held at the standardized category values.
  bool fixed_numeric(int j) const {
    return numerical_mode_ || (d_.lev[j].mlevel == sx::NUMERICAL && !d_.agg[j].extracat());
  }

  void set_standard(int j);
  void start_loading(int j);
  void loading(int j);
  bool quantify(int j, int iter, bool final_pass);
  void variable_step(int j, int iter, bool final_pass, bool fitted_alone);
  void centroids_all(bool final_pass);
  void pass(int iter, bool final_pass, bool all_alone);
  void fit_and_loss(double& F, double& L, double& Lc, double& Lr) const;
  void accumulate();
  bool orthonormalize();
  bool start();
  void principal_axes();
  void sign_convention();
  void finish_lambda();
  void supplementary_categories();
  void history(int row, int iter, double F, double inc, double L, double Lc, double Lr);
  bool interrupted() const { return host::host_bound() && host::H().num.ATNJMP(); }

  // Runs body(lo, hi) on [0, count), split in two halves over the two
  // threads when the helper runs; each half is computed exactly as it would
  // be serially, so the split cannot change a result.
  template <class F>
  void split2(int count, F&& body) {
    if (helper_.running() && count >= 2) {
      auto low = [&] { body(0, count / 2); };
      helper_.post(low);
      body(count / 2, count);
      helper_.wait();
      return;
    }
    body(0, count);
  }
  Helper helper_;
};

void Engine::set_standard(int j) {
  const CategoryAggregates& v = d_.agg[j];
  // The pre-run treats the extra category as an ordinary one.
  const int Kc = numerical_mode_ ? v.K : v.active();
  double N, xbar, S;
  scaling::ZYL_Moments(v.x, v.f, Kc, N, xbar, S);
  const double scale = S > scaling::kZeroSumOfSquares ? std::sqrt(v.w / S) : 0.0;
  double* q = qj(j);
  for (int c = 0; c < v.K; ++c) q[c] = (v.x[c] - xbar) * scale;
  for (int c = v.K; c < d_.kmax; ++c) q[c] = 0.0;
}

// Unit vector along the centred category values projected on the scores.
void Engine::start_loading(int j) {
  const CategoryAggregates& v = d_.agg[j];
  const int Kp = v.active(), p = d_.p;
  double N, xbar, S;
  scaling::ZYL_Moments(v.x, v.f, Kp, N, xbar, S);
  const double* Y = Yj(j);
  double* a = aj(j);
  double len = 0;
  for (int s = 0; s < p; ++s) {
    double t = 0;
    for (int c = 0; c < Kp; ++c) t += v.f[c] * (v.x[c] - xbar) * Y[c + static_cast<long>(s) * d_.kmax];
    tmp_[s] = t;
    len += t * t;
  }
  if (len > 0)
    for (int s = 0; s < p; ++s) a[s] = tmp_[s] / std::sqrt(len);
}

void Engine::loading(int j) {
  const CategoryAggregates& v = d_.agg[j];
  const double* Y = Yj(j);
  const double* q = qj(j);
  double* a = aj(j);
  for (int s = 0; s < d_.p; ++s) {
    double t = 0;
    for (int c = 0; c < v.K; ++c) t += v.f[c] * Y[c + static_cast<long>(s) * d_.kmax] * q[c];
    a[s] = t;
  }
}

// Returns false when the restriction failed twice (loadings then zero).
bool Engine::quantify(int j, int iter, bool final_pass) {
  const CategoryAggregates& v = d_.agg[j];
  ScalingLevelRecord& lev = d_.lev[j];
  SplineBlock sp;
  const SplineBlock* spp = nullptr;
  if (is_spline(lev.mlevel) && o_.col_offset != nullptr && o_.col_offset[j] >= 0) {
    sp.B = o_.basis + static_cast<long>(o_.col_offset[j]) * d_.kmax;
    sp.ldb = d_.kmax;
    sp.D = o_.D + o_.col_offset[j];
    sp.b = o_.coef + o_.coef_offset[j];
    sp.bsave = o_.coef_save + o_.coef_offset[j];
    sp.M = std::max(0, lev.inknot) + std::max(0, lev.degree);
    spp = &sp;
  }
  scaling::QuantifyMode mode;
  mode.proc = d_.proc;
  mode.min_sweeps_initial = s_.min_sweeps_initial;
  mode.min_sweeps = s_.min_sweeps;
  const int rc = scaling::ZYL_Quantify(v, aj(j), d_.p, qwork_, spp, lev, lev.mlevel, qj(j), Yj(j),
                                       d_.kmax, v.w, iter, final_pass, mode);
  return rc == 0;
}

void Engine::variable_step(int j, int iter, bool final_pass, bool fitted_alone) {
  const CategoryAggregates& v = d_.agg[j];
  const int p = d_.p, K = d_.kmax;
  double* Y = Yj(j);  // centroids from centroids_all()
  double* eta = etaj(j);
  if (multiple(j)) {
    // Centroids carry sqrt(w_j) so that the fit and the object scores weigh
    // the variable by w_j.
    const double sw = std::sqrt(v.w);
    for (int i = 0; i < K * p; ++i) Y[i] *= sw;
  }
  for (int s = 0; s < p; ++s) {
    double t = 0;
    for (int c = 0; c < v.K; ++c) t += v.f[c] * Y[c + static_cast<long>(s) * K] * Y[c + static_cast<long>(s) * K];
    eta[s] = t;
  }
  if (multiple(j)) {
    o_.vaf[j] = 0;
    for (int s = 0; s < p; ++s) aj(j)[s] = 0.0;
    return;
  }
  double* a = aj(j);
  if (fixed_numeric(j)) {
    loading(j);
  } else if (fitted_alone) {
    // Supplementary (or fixed-configuration) variable: alternate quantification
    // and loading for the given scores.
    start_loading(j);
    for (int round = 0; round < 100; ++round) {
      for (int s = 0; s < p; ++s) tmp_[p + s] = a[s];
      if (quantify(j, iter, final_pass)) loading(j);
      double change = 0;
      for (int s = 0; s < p; ++s) change = std::max(change, std::fabs(a[s] - tmp_[p + s]));
      if (change < scaling::kSettled) break;
    }
  } else {
    bool zero = true;
    for (int s = 0; s < p; ++s) zero = zero && a[s] == 0.0;
    // No loadings yet (no pre-run, or a variable that failed twice before):
    // the target needs a direction to start from.
    if (zero) start_loading(j);
    if (quantify(j, iter, final_pass)) {
      loading(j);
    } else {
      for (int s = 0; s < p; ++s) a[s] = 0.0;
    }
  }
  double vaf = 0;
  for (int s = 0; s < p; ++s) vaf += a[s] * a[s];
  o_.vaf[j] = vaf;
}

void Engine::centroids_all(bool final_pass) {
  // Split by variable: every centroid is summed in object order either way.
  split2(d_.m, [&](int j0, int j1) {
    scaling::ZYL_Centroids(d_.codes, d_.n, d_.agg, d_.suppl, final_pass, j0, j1, o_.X, d_.p, d_.objw, o_.Y,
                           d_.kmax);
  });
}

void Engine::pass(int iter, bool final_pass, bool all_alone) {
  centroids_all(final_pass);
  for (int j = 0; j < d_.m; ++j) {
    const bool act = active(j);
    if (!act && !final_pass) continue;
    variable_step(j, iter, final_pass, all_alone || !act);
  }
}

void Engine::fit_and_loss(double& F, double& L, double& Lc, double& Lr) const {
  const scaling::FitLoss r =
      scaling::ZYL_FitLoss(d_.m, d_.p, d_.agg, d_.lev, d_.proc == 3, d_.suppl, o_.vaf, o_.eta);
  F = r.fit;
  L = r.loss;
  Lc = r.centroid;
  Lr = r.restricted;
}

void Engine::accumulate() {
  const int n = d_.n, p = d_.p, K = d_.kmax, m = d_.m;
  const long ld = K + 1;  // row 0 of every column: no category
  // Per-category contribution of every variable to the object scores;
  // categories without active objects contribute nothing (so supplementary
  // objects only move through categories the active ones define).
  for (int j = 0; j < m; ++j) {
    if (!active(j)) continue;
    const CategoryAggregates& v = d_.agg[j];
    const double* Y = Yj(j);
    const double* q = qj(j);
    const double* a = aj(j);
    const double sw = std::sqrt(v.w);
    double* G = G_ + static_cast<long>(j) * ld * p;
    for (int s = 0; s < p; ++s) {
      double* g = G + s * ld;
      g[0] = 0.0;
      for (int c = 0; c < v.K; ++c)
        g[c + 1] = v.f[c] == 0.0 ? 0.0 : (multiple(j) ? sw * Y[c + static_cast<long>(s) * K] : q[c] * a[s]);
      for (int c = v.K; c < K; ++c) g[c + 1] = 0.0;
    }
  }
  // Split by object blocks: every row adds its variables in the same order.
  const int nblocks = (n + scaling::kObjectBlock - 1) / scaling::kObjectBlock;
  split2(nblocks, [&](int b0, int b1) {
    for (int blk = b0; blk < b1; ++blk) {
      const int b = blk * scaling::kObjectBlock, e = std::min(n, b + scaling::kObjectBlock);
      scaling::ZYL_AccumulateScores(d_.codes, n, m, d_.agg, d_.suppl, G_, K, p, b, e, Z_);
    }
  });
}

bool Engine::orthonormalize() {
  if (CPR_Orthonorm(d_.n, d_.p, d_.objw, Z_, o_.X, root_, V_, orth_) != 0) {
    r_.error = 1;
    if (host::host_bound()) {
      auto& msg = host::H().msg;
      msg.BP_ERROR(msg.BP_CSTRING("No rotation can be found."), 2, 3);
    }
    return false;
  }
  return true;
}

// Random (or given) start, orthonormalized; a rank-deficient start is
// replaced by a fresh random one.
bool Engine::start() {
  const long np = static_cast<long>(d_.n) * d_.p;
  std::int64_t seed = CPR_SEED;
  bool given = s_.config == 1 || s_.bootstrap;
  for (int attempt = 0; attempt < 100; ++attempt) {
    if (!given)
      CPR_RandomStart(d_.n, d_.p, d_.objw, d_.weighted, o_.X, seed, s_.random, s_.random_state);
    for (long i = 0; i < np; ++i) Z_[i] = o_.X[i];
    if (!orthonormalize()) return false;
    bool degenerate = false;
    for (int s = 0; s < d_.p; ++s) degenerate = degenerate || std::fabs(root_[s]) < scaling::kRankTolerance;
    if (!degenerate) return true;
    given = false;
  }
  r_.error = 2;
  return false;
}

void Engine::principal_axes() {
  const int n = d_.n, p = d_.p, K = d_.kmax;
  double* row = tmp_;
  for (int i = 0; i < n; ++i) {
    for (int t = 0; t < p; ++t) {
      double v = 0;
      for (int s = 0; s < p; ++s) v += o_.X[i + static_cast<long>(s) * n] * V_[s + t * p];
      row[t] = v;
    }
    for (int t = 0; t < p; ++t) o_.X[i + static_cast<long>(t) * n] = row[t];
  }
  for (int j = 0; j < d_.m; ++j) {
    double* a = aj(j);
    for (int t = 0; t < p; ++t) {
      double v = 0;
      for (int s = 0; s < p; ++s) v += a[s] * V_[s + t * p];
      row[t] = v;
    }
    for (int t = 0; t < p; ++t) a[t] = row[t];
    double* Y = Yj(j);
    const CategoryAggregates& v = d_.agg[j];
    for (int c = 0; c < v.K; ++c) {
      for (int t = 0; t < p; ++t) {
        double s2 = 0;
        for (int s = 0; s < p; ++s) s2 += Y[c + static_cast<long>(s) * K] * V_[s + t * p];
        row[t] = s2;
      }
      for (int t = 0; t < p; ++t) Y[c + static_cast<long>(t) * K] = row[t];
    }
    double* eta = etaj(j);
    for (int s = 0; s < p; ++s) {
      double t = 0;
      for (int c = 0; c < v.K; ++c) t += v.f[c] * Y[c + static_cast<long>(s) * K] * Y[c + static_cast<long>(s) * K];
      eta[s] = t;
    }
  }
}

void Engine::sign_convention() {
  const int n = d_.n, p = d_.p, K = d_.kmax;
  for (int s = 0; s < p; ++s) {
    double pos = 0, neg = 0, wpos = 0, wneg = 0;
    for (int j = 0; j < d_.m; ++j) {
      if (!active(j) || multiple(j)) continue;
      const double a = aj(j)[s];
      if (a > 0) {
        pos += a * a;
        wpos += d_.agg[j].w;
      } else if (a < 0) {
        neg += a * a;
        wneg += d_.agg[j].w;
      }
    }
    const double mpos = wpos > 0 ? pos / wpos : 0.0;
    const double mneg = wneg > 0 ? neg / wneg : 0.0;
    if (!(mneg > mpos)) continue;
    for (int i = 0; i < n; ++i) o_.X[i + static_cast<long>(s) * n] = -o_.X[i + static_cast<long>(s) * n];
    for (int t = 0; t < p; ++t) V_[t + s * p] = -V_[t + s * p];
    for (int j = 0; j < d_.m; ++j) {
      aj(j)[s] = -aj(j)[s];
      double* Y = Yj(j);
      for (int c = 0; c < d_.agg[j].K; ++c) Y[c + static_cast<long>(s) * K] = -Y[c + static_cast<long>(s) * K];
    }
  }
}

void Engine::finish_lambda() {
  if (o_.lambda == nullptr) return;
  for (int s = 0; s < d_.p; ++s) {
    double l = 0;
    for (int j = 0; j < d_.m; ++j) {
      if (!active(j)) continue;
      l += multiple(j) ? etaj(j)[s] : aj(j)[s] * aj(j)[s];
    }
    o_.lambda[s] = l;
  }
}

void Engine::supplementary_categories() {
  // Which categories supplementary objects use, per variable.
  for (int j = 0; j < d_.m; ++j) {
    const CategoryAggregates& v = d_.agg[j];
    bool any = false;
    for (int c = 0; c < v.K; ++c) {
      iwork_[c] = 0;
      any = any || v.f[c] == 0.0;
    }
    if (!any) continue;
    const int* codes = codesj(j);
    bool used = false;
    for (int i = 0; i < d_.n; ++i) {
      const int c = codes[i];
      if (d_.objw[i] == 0.0 && c > 0 && c <= v.K && v.f[c - 1] == 0.0) {
        iwork_[c - 1] = 1;
        used = true;
      }
    }
    if (!used) continue;
    const int level = multiple(j) ? sx::MNOMINAL : d_.lev[j].mlevel;
    const bool flagged = multiple(j)
                             ? scaling::ZYL_SupplCatQuant(Yj(j), d_.kmax, d_.p, level, v, iwork_)
                             : scaling::ZYL_SupplCatQuant(qj(j), d_.kmax, 1, level, v, iwork_);
    if (!flagged) continue;
    // No value: the system-missing value from here on, as for any statistic
    // that is not defined.
    double* out = multiple(j) ? Yj(j) : qj(j);
    const int cols = multiple(j) ? d_.p : 1;
    for (long k = 0; k < static_cast<long>(d_.kmax) * cols; ++k)
      if (std::isnan(out[k])) out[k] = host::SYSMIS;
    if (o_.suppl_only != nullptr) o_.suppl_only[j] = 1;
  }
}

void Engine::history(int row, int iter, double F, double inc, double L, double Lc, double Lr) {
  if (o_.history == nullptr) return;
  HistoryRow& h = o_.history[row];
  h.iteration = iter;
  h.fit = F;
  h.increase = inc;
  h.loss = L;
  h.centroid = Lc;
  h.restricted = Lr;
  r_.history_rows = std::max(r_.history_rows, row + 1);
}

void Engine::run() {
  const int m = d_.m, p = d_.p;
  r_ = PrResult{};
  for (int j = 0; j < m; ++j)
    if (d_.agg[j].w < 0) r_.error = 3;
  for (int i = 0; i < d_.n; ++i)
    if (d_.objw[i] < 0) r_.error = 3;
  if (r_.error != 0) {
    if (host::host_bound()) host::H().msg.ASSERT(false, "CPR_PrAlgo", "WORK .ge. 0.0D0");
    return;
  }
  if (o_.suppl_only != nullptr)
    for (int j = 0; j < m; ++j) o_.suppl_only[j] = 0;
  // Two threads pay off from a few hundred thousand values per pass.
  const bool two = s_.threads >= 2 || (s_.threads == 0 && static_cast<long>(d_.n) * m >= 400000 &&
                                       std::thread::hardware_concurrency() >= 2);
  if (two) helper_.start();
  // Spline bases: once per analysis.
  bool any_spline = false;
  for (int j = 0; j < m; ++j) any_spline = any_spline || (!multiple(j) && is_spline(d_.lev[j].mlevel));
  if (any_spline) {
    scaling::SplineSetupArgs a;
    a.m = m;
    a.lev = d_.lev;
    a.agg = d_.agg;
    a.lowered = o_.knots_lowered;
    a.kmax = d_.kmax;
    a.basis = o_.basis;
    a.D = o_.D;
    a.coef = o_.coef;
    a.col_offset = o_.col_offset;
    a.coef_offset = o_.coef_offset;
    a.work = spline_work_;
    scaling::ZYL_SplineSetup(a);
    if (s_.main_analysis && !s_.bootstrap && o_.knots_lowered != nullptr && host::host_bound())
      for (int j = 0; j < m; ++j)
        if (o_.knots_lowered[j])
          frame::report("CPR Var ^1 too many inknots, set to max (^2).",
                        {frame::text(d_.names ? d_.names[j] : ""), frame::integer(d_.lev[j].inknot)}, frame::kWarning);
  } else if (o_.col_offset != nullptr) {
    for (int j = 0; j < m; ++j) o_.col_offset[j] = o_.coef_offset[j] = -1;
  }
  if (!s_.bootstrap)
    for (int i = 0; i < p * m; ++i) o_.A[i] = 0.0;
  for (int j = 0; j < m; ++j) {
    o_.vaf[j] = 0;
    for (int i = 0; i < d_.kmax; ++i) qj(j)[i] = 0.0;
  }

  if (s_.config == 2) {
    // Fixed configuration: fit every variable to the given scores once.
    numerical_mode_ = false;
    for (int j = 0; j < m; ++j)
      if (!multiple(j) && fixed_numeric(j)) set_standard(j);
    pass(1, true, true);
    double F, L, Lc, Lr;
    fit_and_loss(F, L, Lc, Lr);
    r_.fit = F;
    r_.loss = L;
    r_.centroid = Lc;
    r_.restricted = Lr;
    r_.status = CPR_CONVERGED;
    finish_lambda();
    supplementary_categories();
    return;
  }

  if (!start()) return;

  bool nonnumeric = false;
  for (int j = 0; j < m; ++j)
    if (active(j) && !multiple(j) && d_.lev[j].mlevel != sx::NUMERICAL) nonnumeric = true;
  double F = 0, L = 0, Lc = 0, Lr = 0;
  if (nonnumeric && s_.config != 1 && !s_.bootstrap) {
    // Numerical pre-run: a good start for the restricted levels.
    numerical_mode_ = true;
    for (int j = 0; j < m; ++j)
      if (!multiple(j)) set_standard(j);
    double Fprev = 0, inc = 0;
    int it_pre = 1;
    for (int it = 1;; ++it) {
      it_pre = it;
      pass(it, false, false);
      fit_and_loss(F, L, Lc, Lr);
      inc = std::fabs(F - Fprev);
      if (inc < s_.crit_numerical || it >= s_.maxiter_numerical) break;
      accumulate();
      if (!orthonormalize()) return;
      if (interrupted()) {
        r_.interrupted = true;
        return;
      }
      Fprev = F;
    }
    r_.has_prerun = true;
    r_.prerun_iterations = it_pre;
    history(0, 0, F, inc, L, Lc, Lr);
  }
  numerical_mode_ = false;
  for (int j = 0; j < m; ++j)
    if (!multiple(j) && fixed_numeric(j)) set_standard(j);

  if (s_.config == 1) {
    // A given start: fit every variable to it alone first, so that the first
    // iteration starts from loadings that belong to these scores (a start
    // that is already a solution then stays one).
    pass(0, false, true);
  } else if (any_spline) {
    // Initial quantification pass: splines need more sweeps from their start.
    pass(0, false, false);
    accumulate();
    if (!orthonormalize()) return;
  }
  const int row0 = r_.has_prerun ? 1 : 0;
  double Fprev = 0, inc = 0;
  int it = 1;
  for (;; ++it) {
    if (s_.main_analysis && !s_.bootstrap && host::host_bound()) host::H().num.ODOMTR("Iteration", it);
    pass(it, false, false);
    fit_and_loss(F, L, Lc, Lr);
    inc = std::fabs(F - Fprev);
    history(row0 + it - 1, it, F, inc, L, Lc, Lr);
    if (inc < s_.crititer) {
      r_.status = CPR_CONVERGED;
      break;
    }
    if (it >= s_.maxiter) {
      r_.status = CPR_MAXITER;
      break;
    }
    accumulate();
    if (!orthonormalize()) return;
    if (interrupted()) {
      r_.interrupted = true;
      r_.iterations = it;
      return;
    }
    Fprev = F;
  }
  r_.iterations = it;
  r_.increase = inc;

  // Final pass with the supplementary variables, then principal axes and the
  // sign convention.
  pass(it, true, false);
  principal_axes();
  sign_convention();
  fit_and_loss(F, L, Lc, Lr);
  r_.fit = F;
  r_.loss = L;
  r_.centroid = Lc;
  r_.restricted = Lr;
  history(row0 + it - 1, it, F, inc, L, Lc, Lr);
  finish_lambda();
  supplementary_categories();
  if (s_.xscale != 1.0)
    for (long i = 0; i < static_cast<long>(d_.n) * p; ++i) o_.X[i] *= s_.xscale;
}

}  // namespace

void CPR_PrAlgo(const PrData& d, const PrSettings& s, PrArrays& out, double* work, int* iwork,
                PrResult& res) {
  Engine e(d, s, out, work, iwork, res);
  e.run();
}

}  // namespace oscat::catpca
