// One run of CATREG: the fit weights (all data, or a bootstrap sample of the
// coefficient standard errors), the arrays, the fit, and in the run that
// reports, the output.
#include "catreg/analysis.hpp"

#include <algorithm>
#include <cmath>
#include <vector>

#include "catreg/resample.hpp"
#include "catreg/schedule.hpp"
#include "driver/driver.hpp"
#include "frame/messages.hpp"
#include "host/host.hpp"
#include "scaling/als.hpp"

namespace oscat::catreg {

namespace sc = scaling;
namespace sx = syntax;
using host::H;
using host::Msg;

namespace {

// The schedule holds the two slots before these.
enum : int {
  kCodes = driver::kFirstAnalysisSlot + 2,
  kFreq, kLev, kQ, kB, kZ, kPhi, kZhat, kR, kT, kWork, kHistory, kResult,
  kBasis, kD, kCoef, kCoefSave, kColOff, kCoefOff, kSplineWork,
  kPath, kErr, kEst, kSelect, kSignRows, kSignCand, kSignVec, kSignOrd, kFitW, kBootQ, kBootB, kBootZ, kBootPhi, kBootZhat, kBootFreq, kBootLev, kBootBeta, kSe,
  kZeroVar, kCross, kCrossOff, kZq, kCrossCache, kCrossBuilt, kWarm, kWarmSet, kCrossOk,
  kLast
};

int category_of(const double* values, int K, double code) {
  if (!(code > 0)) return 0;
  const double* e = values + K;
  const double* it = std::lower_bound(values, e, code);
  return (it != e && *it == code) ? static_cast<int>(it - values) + 1 : 0;
}

int kmax_of(const driver::RunContext& ctx) {
  int k = 1;
  for (int j = 0; j < ctx.m_a; ++j) k = std::max(k, ctx.book.count[j]);
  return k;
}

bool poll(void*, int iteration) {
  auto& num = H().num;
  if (iteration > 1) num.ODOMTR("Iteration", iteration);
  return num.ATNJMP();
}

Penalty method_of(const sx::CommandSettings& s) {
  switch (s.regu.method) {
    case sx::RegMethod::Ridge: return Penalty::Ridge;
    case sx::RegMethod::Lasso: return Penalty::Lasso;
    case sx::RegMethod::ElasticNet: return Penalty::ElasticNet;
    default: return Penalty::None;
  }
}

// Everything one fit needs, on the given weights and arrays.
struct FitSpace {
  double* freq = nullptr;
  sc::ScalingLevelRecord* lev = nullptr;
  CrgArrays a;
};

// Sweeps run on the cross tables of the variables when these are smaller than
// the objects' vectors a sweep passes over (and fit in 64 MB); their blocks
// are taken on the first fit that uses them.
constexpr long kCrossTableLimit = 8L << 20;
void use_cross_tables(const driver::RunContext& ctx, CrgData& d, int cache_slot) {
  auto& ws = *ctx.ws;
  const long size = CRG_CrossTableSize(d.m, d.agg);
  if (size > kCrossTableLimit || size > static_cast<long>(d.n) * d.m) return;
  // Whether every weighted object has all its categories is settled on the
  // first fit, on all data: later fits weight subsets of those objects.
  int* ok = static_cast<int*>(ws.block(kCrossOk));
  if (ok == nullptr) return;
  if (*ok == 0) *ok = CRG_CrossTablesApply(d) ? 1 : -1;
  if (*ok < 0) return;
  const std::size_t off_count = static_cast<std::size_t>(d.m) * d.m;
  // The tables of a series' fixed samples (all data, the folds) are kept for
  // the later penalties of the path.
  double* cache = static_cast<double*>(ws.block(kCrossCache));
  int* built = static_cast<int*>(ws.block(kCrossBuilt));
  const bool cached = cache != nullptr && cache_slot >= 0 &&
                      static_cast<std::size_t>(cache_slot + 1) * size <= ws.granted(kCrossCache) &&
                      ws.granted(kCrossOff) >= off_count;
  if (!cached && ws.granted(kCross) < static_cast<std::size_t>(size)) {
    // Without room for them the sweeps run over the objects instead.
    const std::size_t bytes = static_cast<std::size_t>(size) * sizeof(double) + off_count * sizeof(long);
    if (H().workspace.available() < 2 * bytes) return;
    if (ws.get<double>(kCross, static_cast<std::size_t>(size)) == nullptr) return;
  }
  if (ws.granted(kCrossOff) < off_count && ws.get<long>(kCrossOff, off_count) == nullptr) return;
  auto* off = static_cast<long*>(ws.block(kCrossOff));
  double* F = cached ? cache + static_cast<long>(cache_slot) * size : static_cast<double*>(ws.block(kCross));
  if (!cached || !built[cache_slot]) CRG_CrossTables(d, off, F);
  if (cached) built[cache_slot] = 1;
  d.cross = F;
  d.cross_off = off;
}

// The kept tables of a series sample, once built (null: none).
const double* kept_tables(const driver::RunContext& ctx, int slot) {
  auto& ws = *ctx.ws;
  const auto* cache = static_cast<const double*>(ws.block(kCrossCache));
  const auto* built = static_cast<const int*>(ws.block(kCrossBuilt));
  if (slot < 0 || cache == nullptr || built == nullptr || ws.block(kCrossOff) == nullptr ||
      static_cast<std::size_t>(slot) >= ws.granted(kCrossBuilt) || !built[slot])
    return nullptr;
  long ksum = 0;
  for (int j = 0; j < ctx.m_a; ++j) ksum += ctx.book.count[j];
  return cache + slot * ksum * ksum;
}

// Room for the tables of every fixed sample of a cross-validated path, and
// for each sample's last solution (quantifications and coefficients), from
// which the next penalty's fit restarts.
void prepare_series(const driver::RunContext& ctx, int samples, int kmax) {
  auto& ws = *ctx.ws;
  const auto& s = *ctx.settings;
  const int m = ctx.m_a;
  long ksum = 0;
  for (int j = 0; j < m; ++j) ksum += ctx.book.count[j];
  const long size = ksum * ksum;
  const std::size_t bytes = static_cast<std::size_t>(samples) * size * sizeof(double);
  if (size <= kCrossTableLimit && size <= static_cast<long>(ctx.n) * m && H().workspace.available() > 4 * bytes &&
      ws.get<double>(kCrossCache, static_cast<std::size_t>(samples) * size) != nullptr) {
    int* built = ws.get<int>(kCrossBuilt, static_cast<std::size_t>(samples));
    if (built != nullptr) std::fill(built, built + samples, 0);
  }
  const std::size_t warm = static_cast<std::size_t>(samples) * (static_cast<std::size_t>(kmax) * m + m);
  if (s.initial.type != sx::InitialSettings::Multistart &&
      H().workspace.available() > 4 * warm * sizeof(double) && ws.get<double>(kWarm, warm) != nullptr) {
    int* set = ws.get<int>(kWarmSet, static_cast<std::size_t>(samples));
    if (set != nullptr) std::fill(set, set + samples, 0);
  }
}

// Aggregates of the fit's weights, the spline bases, the start and the fit.
// `series_slot` >= 0: the fit is sample `series_slot` of a path's series
// whose weights are the same for every penalty (all data, a fold): its
// tables are kept, and it restarts from its previous penalty's solution.
bool fit(const driver::RunContext& ctx, const Schedule& sched, const double* w, FitSpace& fs, bool history,
         CrgData& d, std::vector<sc::CategoryAggregates>& agg, std::vector<sc::SplineBlock>& spl, CrgResult& res,
         int series_slot = -1, bool objects = true) {
  auto& ws = *ctx.ws;
  const auto& s = *ctx.settings;
  const int n = ctx.n, m = ctx.m_a, kmax = kmax_of(ctx);
  const int* codes = static_cast<const int*>(ws.block(kCodes));
  const auto& book = ctx.book;
  agg.assign(static_cast<std::size_t>(m), {});
  const double* kept = kept_tables(ctx, series_slot);
  const long* off = static_cast<const long*>(ws.block(kCrossOff));
  for (int j = 0; j < m; ++j) {
    double* f = fs.freq + static_cast<long>(j) * kmax;
    std::fill(f, f + kmax, 0.0);
    if (kept != nullptr) {
      // The diagonal of a kept table holds the frequencies.
      const double* T = kept + off[j * m + j];
      for (int c = 0; c < book.count[j]; ++c) f[c] = T[c + static_cast<long>(c) * book.count[j]];
    } else {
      const int* c = codes + static_cast<long>(j) * n;
      for (int i = 0; i < n; ++i)
        if (c[i] > 0) f[c[i] - 1] += w[i];
    }
    auto& v = agg[static_cast<std::size_t>(j)];
    v.K = book.count[j];
    v.x = book.values + static_cast<long>(j) * book.cap;
    v.f = f;
    v.miss = ctx.missing_code != nullptr ? ctx.missing_code[j] : 2;
    sc::ZYL_Moments(v.x, v.f, v.active(), v.N, v.xbar, v.S);
    fs.lev[j] = s.vars.levels[static_cast<std::size_t>(j)];
  }
  double N = 0;
  for (int i = 0; i < n; ++i) N += w[i];
  d = CrgData{};
  d.n = n;
  d.m = m;
  d.kmax = kmax;
  d.codes = codes;
  d.w = w;
  d.agg = agg.data();
  d.lev = fs.lev;
  d.N = N;
  spl.assign(static_cast<std::size_t>(m), {});
  bool any_spline = false;
  for (int j = 0; j < m; ++j) any_spline = any_spline || sc::is_spline(fs.lev[j].mlevel);
  if (any_spline) {
    sc::SplineSetupArgs sa;
    sa.m = m;
    sa.lev = fs.lev;
    sa.agg = agg.data();
    sa.kmax = kmax;
    sa.basis = static_cast<double*>(ws.block(kBasis));
    sa.D = static_cast<double*>(ws.block(kD));
    sa.coef = static_cast<double*>(ws.block(kCoef));
    sa.col_offset = static_cast<int*>(ws.block(kColOff));
    sa.coef_offset = static_cast<int*>(ws.block(kCoefOff));
    sa.work = static_cast<double*>(ws.block(kSplineWork));
    sc::ZYL_SplineSetup(sa);
    for (int j = 0; j < m; ++j) {
      if (sa.col_offset[j] < 0) continue;
      auto& b = spl[static_cast<std::size_t>(j)];
      b.B = sa.basis + static_cast<long>(sa.col_offset[j]) * kmax;
      b.ldb = kmax;
      b.D = sa.D + sa.col_offset[j];
      b.b = sa.coef + sa.coef_offset[j];
      b.bsave = static_cast<double*>(ws.block(kCoefSave)) + sa.coef_offset[j];
      b.M = std::max(0, static_cast<int>(fs.lev[j].inknot)) + std::max(0, static_cast<int>(fs.lev[j].degree));
    }
    d.spline = spl.data();
  }
  use_cross_tables(ctx, d, series_slot);
  CrgSettings cs;
  cs.maxiter = s.iter.maxiter;
  cs.crititer = s.iter.crititer;
  cs.random_start = s.initial.type == sx::InitialSettings::Random;
  cs.penalty = method_of(s);
  if (cs.penalty == Penalty::Ridge) cs.lambda2 = sched.penalty1;
  else if (cs.penalty != Penalty::None) cs.lambda1 = sched.penalty1;
  if (cs.penalty == Penalty::ElasticNet) cs.lambda2 = sched.penalty2;
  cs.poll = poll;
  cs.objects = objects;
  CrgArrays a = fs.a;
  if (!history) a.history = nullptr;
  const long warm_size = static_cast<long>(kmax) * m + m;
  double* warm = series_slot >= 0 && ws.block(kWarm) != nullptr && ws.block(kWarmSet) != nullptr &&
                         static_cast<std::size_t>(series_slot + 1) * warm_size <= ws.granted(kWarm)
                     ? static_cast<double*>(ws.block(kWarm)) + series_slot * warm_size
                     : nullptr;
  int* warm_set = warm != nullptr ? static_cast<int*>(ws.block(kWarmSet)) + series_slot : nullptr;
  const bool restart = warm != nullptr && *warm_set != 0;
  if (restart) {
    // The previous penalty's solution of this sample: no new start and no
    // preliminary run.
    std::copy(warm, warm + static_cast<long>(kmax) * m, a.q);
    std::copy(warm + static_cast<long>(kmax) * m, warm + warm_size, a.b);
    // Sweeps on tables need no objects' vectors to start from.
    if (d.cross == nullptr) CRG_Restart(d, a);
    cs.random_start = true;
  } else {
    CRG_InitNumerical(d, a);
  }
  const bool multi = s.initial.type == sx::InitialSettings::Multistart && s.vars.ordinal_predictors > 0;
  if (multi && w == ctx.w) {
    // Multiple starts for the fits on all data; the others keep the winning signs.
    SignTable t;
    t.p = s.vars.ordinal_predictors;
    t.rows = static_cast<int*>(ws.block(kSignRows));
    t.capacity = static_cast<int>(ws.granted(kSignRows) / static_cast<std::size_t>(t.p));
    t.candidate = static_cast<int*>(ws.block(kSignCand));
    t.base = t.candidate + t.p;
    t.signs = static_cast<int*>(ws.block(kSignVec));
    t.ordinal = static_cast<const int*>(ws.block(kSignOrd));
    cs.threshold = s.initial.threshold;
    cs.first_of_series = ctx.first_run;
    CRG_MultiStart(d, cs, a, t, res);
  } else {
    if (multi || s.initial.type == sx::InitialSettings::Fixsigns) cs.signs = static_cast<const int*>(ws.block(kSignVec));
    cs.fixed_signs = s.initial.type == sx::InitialSettings::Fixsigns;
    CRG_Als(d, cs, a, res);
  }
  if (warm != nullptr && !res.interrupted) {
    std::copy(a.q, a.q + static_cast<long>(kmax) * m, warm);
    std::copy(a.b, a.b + m, warm + static_cast<long>(kmax) * m);
    *warm_set = 1;
  }
  return !res.interrupted;
}

bool resampling(const sx::CommandSettings& s) { return s.resample.method != 0 && s.resample.count > 0; }

// Per model: EPE, its standard error, the cases with an error, the APE, the
// note flags (never left out, never predictable).
enum : int {
  kEpe = 0, kEpeSe, kEpeCases, kEpeApe, kNeverOut, kNeverPred,
  kTest, kTestSe, kTestCases, kTestTotal,  // test data (supplementary objects)
  kRawScale,  // the dependent's variance: a squared error times it is on the raw scale
  kTrainUnseen, kTestUnseen,  // left-out or test cases met categories their fit lacked
  kEstFields
};
static_assert(kTest == Reported::kTestField, "the output reads the test fields by position");
static_assert(kRawScale == Reported::kRawField, "the output reads the raw scale by position");

// Supplementary objects with a category form test data.
int test_cases(const driver::RunContext& ctx) {
  if (!ctx.settings->supp.has_objects()) return 0;
  int t = 0;
  for (int i = 0; i < ctx.n; ++i) {
    if (ctx.w[i] != 0.0) continue;
    bool any = false;
    for (int j = 0; j < ctx.m_a && !any; ++j) any = ctx.coded[i + static_cast<long>(j) * ctx.n] > 0;
    t += any;
  }
  return t;
}

bool estimates(const driver::RunContext& ctx) { return resampling(*ctx.settings) || test_cases(ctx) > 0; }

// Raw-scale errors only where the standardized scale is a linear map of the
// dependent's values: a numerical dependent without an extra category.
bool raw_errors(const driver::RunContext& ctx) {
  return ctx.settings->vars.levels[0].mlevel == sc::NUMERICAL && !ctx.book.extra[0];
}

// The reported fit's frame: penalties and the path.
Reported reported(const driver::RunContext& ctx, const Schedule& sched, const CrgData& d, const CrgArrays& a,
                  const CrgResult& res) {
  Reported r;
  r.ctx = &ctx;
  r.d = d;
  r.a = a;
  r.res = res;
  r.penalty = method_of(*ctx.settings);
  if (r.penalty == Penalty::Ridge) r.lambda2 = sched.penalty1;
  else if (r.penalty != Penalty::None) r.lambda1 = sched.penalty1;
  if (r.penalty == Penalty::ElasticNet) r.lambda2 = sched.penalty2;
  if (r.penalty != Penalty::None) {
    r.path.data = static_cast<double*>(ctx.ws->block(kPath));
    r.path.p = d.m - 1;
    r.path.M = static_cast<int>(ctx.ws->granted(kPath) / (PathModels::kFields + r.path.p));
    // Pass 2 has one model; the path keeps the first pass's grid.
    r.path_inner = first_penalty_count(inner_list(ctx.settings->regu));
  }
  if (ctx.settings->initial.type == sx::InitialSettings::Fixsigns) r.fixed_pattern = ctx.settings->initial.pattern;
  if (estimates(ctx)) {
    r.resampled = resampling(*ctx.settings);
    r.test = test_cases(ctx) > 0;
    r.est = static_cast<const double*>(ctx.ws->block(kEst));
    r.est_fields = kEstFields;
    const int* sel = static_cast<const int*>(ctx.ws->block(kSelect));
    r.optimal = sel[0];
    r.one_se = sel[1];
    r.raw = raw_errors(ctx);
  }
  return r;
}

// Bootstrap frequencies: n_a draws that hit active objects, each adding the
// object's weight.
void draw_sample(int n, const double* w, double* out) {
  auto& num = H().num;
  int active = 0;
  for (int i = 0; i < n; ++i) {
    out[i] = 0.0;
    if (w[i] > 0) ++active;
  }
  for (int k = 0; k < active;) {
    int i = static_cast<int>(num.URAND() * n);
    if (i >= n) i = n - 1;
    if (!(w[i] > 0)) continue;
    out[i] += w[i];
    ++k;
  }
}

// Errors of the fit on all data: the test cases' (supplementary objects
// predicted from the fit) and, without resampling, the training cases' own
// squared residuals.
void test_and_training_errors(const driver::RunContext& ctx, const CrgData& d, const CrgArrays& a, double* est) {
  const int n = ctx.n;
  std::vector<double> buf(4 * static_cast<std::size_t>(n), 0.0), tw(static_cast<std::size_t>(n), 0.0);
  CaseErrors e{buf.data(), buf.data() + n, buf.data() + 2L * n, buf.data() + 3L * n};
  est[kTestTotal] = test_cases(ctx);
  // The raw scale is that of the dependent's category values on all active data.
  est[kRawScale] = d.N > 0 ? d.agg[0].S / d.N : host::SYSMIS;
  est[kTest] = est[kTestSe] = host::SYSMIS;
  est[kTestCases] = 0;
  est[kTestUnseen] = 0;
  if (est[kTestTotal] > 0) {
    for (int i = 0; i < n; ++i) {
      if (ctx.w[i] != 0.0) continue;
      for (int j = 0; j < ctx.m_a; ++j)
        if (ctx.coded[i + static_cast<long>(j) * n] > 0) tw[static_cast<std::size_t>(i)] = 1.0;
    }
    est[kTestUnseen] = CRG_PredictionErrors(d, a, tw.data(), e) > 0;
    const ErrorEstimate t = CRG_ErrorEstimates(n, tw.data(), e, false, 0);
    est[kTest] = t.epe;
    est[kTestSe] = t.se;
    est[kTestCases] = t.cases;
  }
  if (resampling(*ctx.settings)) return;
  std::fill(buf.begin(), buf.end(), 0.0);
  for (int i = 0; i < n; ++i) {
    if (!(ctx.w[i] > 0)) continue;
    e.sum[i] = (a.z[i] - a.zhat[i]) * (a.z[i] - a.zhat[i]);
    e.count[i] = e.left_out[i] = 1;
  }
  const ErrorEstimate t = CRG_ErrorEstimates(n, ctx.w, e, false, 0);
  est[kEpe] = t.epe;
  est[kEpeSe] = t.se;
  est[kEpeCases] = t.cases;
}

// After the first pass of a resampling series: the optimal and the
// one-standard-error models, the penalties of the second pass and the notes.
void select_and_note(const driver::RunContext& ctx, Schedule& sched, int M) {
  auto& ws = *ctx.ws;
  const auto& s = *ctx.settings;
  const double* est = static_cast<const double*>(ws.block(kEst));
  std::vector<double> epe(static_cast<std::size_t>(M)), se(epe), sel(static_cast<std::size_t>(M), 1.0);
  bool never_out = false, never_pred = false, excluded = false;
  int active = 0;
  for (int i = 0; i < ctx.n; ++i) active += ctx.w[i] > 0;
  const Penalty method = method_of(s);
  PathModels path;
  if (method != Penalty::None) {
    path.data = static_cast<double*>(ws.block(kPath));
    path.p = ctx.m_a - 1;
    path.M = M;
  }
  const bool resampled = resampling(s);
  for (int k = 0; k < M; ++k) {
    const double* x = est + static_cast<long>(kEstFields) * k;
    // With test data only the test error decides (a missing one counts 1e6).
    epe[k] = resampled ? x[kEpe] : (host::is_sysmis(x[kTest]) ? 1e6 : x[kTest]);
    se[k] = resampled ? x[kEpeSe] : x[kTestSe];
    if (path.M > 0) sel[k] = path.model(k)[PathModels::kSelected];
    // Models without a selected predictor have no prediction error.
    if (sel[k] < 1) epe[k] = se[k] = host::SYSMIS;
    never_out = never_out || x[kNeverOut] != 0;
    never_pred = never_pred || x[kNeverPred] != 0;
    excluded = excluded || (resampled && x[kEpeCases] != active);
  }
  int* pick = static_cast<int*>(ws.block(kSelect));
  CRG_SelectModels(M, epe.data(), se.data(), sel.data(), pick[0], pick[1]);
  if (path.M > 0) {
    const double* r = path.model(pick[1]);
    sched.selected_penalty1 = method == Penalty::Ridge ? r[PathModels::kRidge] : r[PathModels::kLasso];
    sched.selected_penalty2 = method == Penalty::ElasticNet ? r[PathModels::kRidge] : 0.0;
  }
  if (path.M > 0)
    CRG_WriteRegularization(ctx, path, method, est, kEstFields, resampled, test_cases(ctx) > 0, raw_errors(ctx));
  const bool cv = s.resample.method == 1;
  const bool test = test_cases(ctx) > 0;
  const Msg word = frame::key(method == Penalty::Ridge ? "Ridge" : method == Penalty::Lasso ? "Lasso" : "Elastic Net");
  bool test_excluded = false, test_unseen = false, train_unseen = false;
  for (int k = 0; k < M; ++k) {
    const double* x = est + static_cast<long>(kEstFields) * k;
    test_excluded = test_excluded || x[kTestCases] != x[kTestTotal];
    test_unseen = test_unseen || x[kTestUnseen] != 0;
    train_unseen = train_unseen || (resampled && x[kTrainUnseen] != 0);
  }
  if (test_unseen || test_excluded) {
    // Test cases with a category the training data lack: predicted where
    // the category could be placed, otherwise left out.
    frame::warn("CRG Suppl. category Test.");
    if (!test_excluded) frame::warn("CRG info quant. suppl. cat.");
  }
  if (test_excluded) {
    if (method == Penalty::None) frame::warn("CRG Case excl EPE Test.");
    else frame::report("CRG Case excl EPE Test Regu ^1.", {word}, frame::kWarning);
    frame::warn("CRG No interpol Test.");
  }
  if (train_unseen || never_pred) {
    frame::warn(cv ? "CRG Suppl. category CV." : "CRG Suppl. category Boot.");
    frame::warn("CRG info quant. suppl. cat.");
  }
  if (excluded) {
    if (method == Penalty::None) frame::warn(test ? "CRG Cases excl EPE Train." : "CRG Cases excl EPE.");
    else frame::report(test ? "CRG Cases excl EPE Train Regu ^1." : "CRG Cases excl EPE Regu ^1.", {word}, frame::kWarning);
  }
  if (never_out && !cv) frame::warn("CRG Increase NBoot.");
  if (never_pred) {
    frame::warn(cv ? "CRG Supcat Sysmis CV." : "CRG Supcat Sysmis Boot.");
    frame::warn(cv ? "CRG No interpol CV." : "CRG No interpol Boot.");
  }
}

// The zero-variance check of a resampling run: this sample's flags (first m
// entries of the block) and, per variable, the samples that flagged it.
bool sample_zero_variance(const driver::RunContext& ctx, const std::vector<sc::CategoryAggregates>& agg) {
  double* flags = static_cast<double*>(ctx.ws->block(kZeroVar));
  const int m = ctx.m_a;
  const int count = CRG_ZeroVariance(m, agg.data(), flags);
  for (int j = 0; j < m; ++j) flags[m + j] += flags[j];
  return count > 0;
}

}  // namespace

bool analysis(driver::RunContext& ctx) {
  auto& sched = static_cast<Schedule&>(*ctx.plan);
  auto& ws = *ctx.ws;
  const auto& s = *ctx.settings;
  const int n = ctx.n, m = ctx.m_a, kmax = kmax_of(ctx);
  const auto nm = static_cast<std::size_t>(n) * m, km = static_cast<std::size_t>(kmax) * m;
  const bool boot = sched.coefficient_bootstrap;
  const int B = kCoefficientBootstrapSamples;

  if (ctx.first_run) {
    int* codes = ws.get<int>(kCodes, nm);
    int cols = 0, maxdeg = 0, maxknot = 0;
    for (int j = 0; j < m; ++j) {
      const auto& l = s.vars.levels[static_cast<std::size_t>(j)];
      maxdeg = std::max(maxdeg, static_cast<int>(l.degree));
      maxknot = std::max(maxknot, static_cast<int>(l.inknot));
    }
    cols = std::max(1, sc::ZYL_SplineColumns(m, s.vars.levels.data()));
    ws.get<double>(kBasis, static_cast<std::size_t>(kmax) * cols);
    ws.get<double>(kD, cols);
    ws.get<double>(kCoef, static_cast<std::size_t>(cols) + m + 1);
    ws.get<double>(kCoefSave, static_cast<std::size_t>(cols) + m + 1);
    ws.get<int>(kColOff, m);
    ws.get<int>(kCoefOff, m);
    ws.get<double>(kSplineWork, static_cast<std::size_t>(3 * kmax + maxknot + 7 * maxdeg + 16));
    ws.get<double>(kFreq, km);
    ws.get<sc::ScalingLevelRecord>(kLev, m);
    ws.get<double>(kQ, km);
    ws.get<double>(kB, m);
    ws.get<double>(kZ, n);
    ws.get<double>(kPhi, nm);
    ws.get<double>(kZhat, n);
    ws.get<double>(kR, n);
    ws.get<double>(kT, kmax);
    ws.get<double>(kWork, 2 * static_cast<std::size_t>(kmax));
    ws.get<HistoryRow>(kHistory, static_cast<std::size_t>(s.iter.maxiter) + 2);
    ws.get<CrgResult>(kResult, 1);
    ws.get<double>(kZq, static_cast<std::size_t>(kmax));
    if (int* ok = ws.get<int>(kCrossOk, 1)) *ok = 0;
    if (method_of(s) != Penalty::None)
      ws.get<double>(kPath, static_cast<std::size_t>(sched.penalty1_count) * sched.penalty2_count *
                                (PathModels::kFields + m - 1));
    // The resampling fits' arrays and, per model of the first pass, the
    // error store and the estimates (epe, se, cases, flags).
    ws.get<double>(kFitW, n);
    ws.get<double>(kBootQ, km);
    ws.get<double>(kBootB, m);
    ws.get<double>(kBootZ, n);
    ws.get<double>(kBootPhi, nm);
    ws.get<double>(kBootZhat, n);
    ws.get<double>(kBootFreq, km);
    ws.get<sc::ScalingLevelRecord>(kBootLev, m);
    double* zero_var = ws.get<double>(kZeroVar, 2 * static_cast<std::size_t>(m));
    const std::size_t M = static_cast<std::size_t>(sched.penalty1_count) * sched.penalty2_count;
    if ((s.initial.type == sx::InitialSettings::Multistart || s.initial.type == sx::InitialSettings::Fixsigns) &&
        s.vars.ordinal_predictors > 0) {
      const int p = s.vars.ordinal_predictors;
      ws.get<int>(kSignRows, static_cast<std::size_t>(CRG_SignRows(p, s.initial.threshold < 0)) * p);
      ws.get<int>(kSignCand, 2 * static_cast<std::size_t>(p));
      int* sv = ws.get<int>(kSignVec, m);
      int* ord = ws.get<int>(kSignOrd, p);
      if (ws.failed()) return false;
      for (int j = 0, k = 0; j < m; ++j) {
        sv[j] = 0;
        const int l = s.vars.levels[static_cast<std::size_t>(j)].mlevel;
        if (j > 0 && (l == sc::ORDINAL || l == sc::SPORD)) ord[k++] = j;
      }
      if (s.initial.type == sx::InitialSettings::Fixsigns && !CRG_ReadFixSigns(ctx, p, ord, sv)) return false;
    }
    if (M > 1) prepare_series(ctx, s.resample.method == 1 && resampling(s) ? s.resample.count + 1 : 1, kmax);
    if (estimates(ctx)) {
      ws.get<double>(kErr, 4 * static_cast<std::size_t>(n) * M);
      ws.get<double>(kEst, kEstFields * M);
      ws.get<int>(kSelect, 2);
    }
    if (ws.failed()) return false;
    std::fill(zero_var, zero_var + 2 * m, 0.0);
    for (int j = 0; j < m; ++j) {
      const double* vals = ctx.book.values + static_cast<long>(j) * ctx.book.cap;
      const double* cj = ctx.coded + static_cast<long>(j) * n;
      int* out = codes + static_cast<long>(j) * n;
      for (int i = 0; i < n; ++i) out[i] = category_of(vals, ctx.book.count[j], cj[i]);
    }
  }

  FitSpace main;
  main.freq = static_cast<double*>(ws.block(kFreq));
  main.lev = static_cast<sc::ScalingLevelRecord*>(ws.block(kLev));
  main.a.q = static_cast<double*>(ws.block(kQ));
  main.a.b = static_cast<double*>(ws.block(kB));
  main.a.z = static_cast<double*>(ws.block(kZ));
  main.a.phi = static_cast<double*>(ws.block(kPhi));
  main.a.zhat = static_cast<double*>(ws.block(kZhat));
  main.a.r = static_cast<double*>(ws.block(kR));
  main.a.t = static_cast<double*>(ws.block(kT));
  main.a.work = static_cast<double*>(ws.block(kWork));
  main.a.history = static_cast<HistoryRow*>(ws.block(kHistory));
  main.a.zq = static_cast<double*>(ws.block(kZq));
  auto* saved = static_cast<CrgResult*>(ws.block(kResult));
  FitSpace bs = main;
  bs.freq = static_cast<double*>(ws.block(kBootFreq));
  bs.lev = static_cast<sc::ScalingLevelRecord*>(ws.block(kBootLev));
  bs.a.q = static_cast<double*>(ws.block(kBootQ));
  bs.a.b = static_cast<double*>(ws.block(kBootB));
  bs.a.z = static_cast<double*>(ws.block(kBootZ));
  bs.a.phi = static_cast<double*>(ws.block(kBootPhi));
  bs.a.zhat = static_cast<double*>(ws.block(kBootZhat));
  double* fw = static_cast<double*>(ws.block(kFitW));

  std::vector<sc::CategoryAggregates> agg;
  std::vector<sc::SplineBlock> spl;
  CrgData d;
  const bool resample = resampling(s) && ctx.pass == 1;
  const int M = sched.penalty1_count * sched.penalty2_count;
  const int model = sched.penalty2_index * sched.penalty1_count + sched.penalty1_index;
  auto case_errors = [&](int k) {
    double* e = static_cast<double*>(ws.block(kErr)) + 4L * n * k;
    return CaseErrors{e, e + n, e + 2L * n, e + 3L * n};
  };
  double* est = estimates(ctx) && ctx.pass == 1 ? static_cast<double*>(ws.block(kEst)) + static_cast<long>(kEstFields) * model
                                                : nullptr;

  if (ctx.sample == 0) {
    CrgResult res;
    const int slot = ctx.pass == 1 && M > 1 ? 0 : -1;
    if (!fit(ctx, sched, ctx.w, main, ctx.final_pass, d, agg, spl, res, slot)) return true;
    *saved = res;
    if (ctx.final_pass && res.starts > 0 && !sched.regularization_output_only)
      CRG_WriteSignPatterns(ctx, s.initial.threshold < 0 ? nullptr : static_cast<const int*>(ws.block(kSignRows)),
                            res.starts, s.vars.ordinal_predictors,
                            static_cast<const int*>(ws.block(kSignOrd)));
    Reported r = reported(ctx, sched, d, main.a, res);
    if (r.path.M > 0 && ctx.pass == 1) {
      CRG_RecordModel(r.path, model, r.penalty, r.lambda1, r.lambda2, res.ape, main.a.b + 1);
      if (model == r.path.M - 1) {
        CRG_StandardizeSums(r.path, r.path_inner);
        if (!estimates(ctx)) CRG_WriteRegularization(ctx, r.path, r.penalty, nullptr, 0, false, false, false);
      }
      if (model == r.path.M - 1 && sched.regularization_output_only) path_output(r);
    }
    if (resample) {
      CaseErrors e = case_errors(model);
      for (long i = 0; i < 4L * n; ++i) e.sum[i] = 0.0;
    }
    if (est != nullptr) {
      est[kEpeApe] = res.ape;
      test_and_training_errors(ctx, d, main.a, est);
      if (!resampling(s) && model == M - 1) select_and_note(ctx, sched, M);
    }
    if (!boot) {
      if (ctx.final_pass && !sched.regularization_output_only) output(r);
      return true;
    }
    if (ws.get<double>(kBootBeta, static_cast<std::size_t>(B) * m) == nullptr || ws.get<double>(kSe, m) == nullptr)
      return false;
    return true;
  }

  if (resample) {
    // One resampling fit and the errors of the cases it left out; after the
    // series the model's estimate, after the last model the selection.
    const bool cv = s.resample.method == 1;
    if (cv) CRG_FoldCases(n, ctx.w, s.resample.count, ctx.sample, fw);
    else draw_sample(n, ctx.w, fw);
    CrgResult res;
    // Prediction errors need only the fit's quantifications and coefficients.
    if (!fit(ctx, sched, fw, bs, false, d, agg, spl, res, cv && M > 1 ? ctx.sample : -1, false)) return true;
    // A variable constant on a training fold ends the analysis; in a
    // bootstrap sample it is only flagged: the fit then gives it a zero
    // quantification and coefficient.
    if (sample_zero_variance(ctx, agg) && cv) {
      const double* flags = static_cast<const double*>(ws.block(kZeroVar));
      std::vector<int> constant;
      for (int j = 0; j < m; ++j)
        if (flags[j] != 0.0) constant.push_back(s.vars.variables[static_cast<std::size_t>(j)]);
      frame::report_variables("CRG CV Var ^1 zero variance.", "CRG CV Var [%1:, ^1:, $1]1 zero variance.", constant,
                              2, frame::kError);
      return false;
    }
    CaseErrors e = case_errors(model);
    if (ctx.sample == 1) est[kTrainUnseen] = 0;
    if (CRG_PredictionErrors(d, bs.a, ctx.w, e) > 0) est[kTrainUnseen] = 1;
    if (!ctx.final_run) return true;
    const ErrorEstimate x = CRG_ErrorEstimates(n, ctx.w, e, !cv, est[kEpeApe]);
    est[kEpe] = x.epe;
    est[kEpeSe] = x.se;
    est[kEpeCases] = x.cases;
    est[kNeverOut] = x.never_left_out;
    est[kNeverPred] = x.never_predictable;
    if (model == M - 1) select_and_note(ctx, sched, M);
    return true;
  }
  if (!boot) return true;

  if (ctx.sample <= B) {
    // One bootstrap fit: its coefficients go to the store.
    draw_sample(n, ctx.w, fw);
    CrgResult res;
    if (!fit(ctx, sched, fw, bs, false, d, agg, spl, res)) return true;
    sample_zero_variance(ctx, agg);
    double* beta = static_cast<double*>(ws.block(kBootBeta)) + static_cast<long>(ctx.sample - 1) * m;
    for (int j = 0; j < m; ++j) beta[j] = bs.a.b[j];
    return true;
  }

  // The closing run of the series: standard errors, then the output of the
  // fit on all data (its aggregates rebuilt from the stored frequencies).
  const double* beta = static_cast<const double*>(ws.block(kBootBeta));
  double* se = static_cast<double*>(ws.block(kSe));
  for (int j = 0; j < m; ++j) {
    double mean = 0, ss = 0;
    for (int b = 0; b < B; ++b) mean += beta[static_cast<long>(b) * m + j];
    mean /= B;
    for (int b = 0; b < B; ++b) ss += (beta[static_cast<long>(b) * m + j] - mean) * (beta[static_cast<long>(b) * m + j] - mean);
    se[j] = std::sqrt(ss / B);
  }
  if (!ctx.final_pass || sched.regularization_output_only) return true;
  agg.assign(static_cast<std::size_t>(m), {});
  for (int j = 0; j < m; ++j) {
    auto& v = agg[static_cast<std::size_t>(j)];
    v.K = ctx.book.count[j];
    v.x = ctx.book.values + static_cast<long>(j) * ctx.book.cap;
    v.f = main.freq + static_cast<long>(j) * kmax;
    v.miss = ctx.missing_code != nullptr ? ctx.missing_code[j] : 2;
    sc::ZYL_Moments(v.x, v.f, v.active(), v.N, v.xbar, v.S);
  }
  d.n = n;
  d.m = m;
  d.kmax = kmax;
  d.codes = static_cast<const int*>(ws.block(kCodes));
  d.w = ctx.w;
  d.agg = agg.data();
  d.lev = main.lev;
  for (int i = 0; i < n; ++i) d.N += ctx.w[i];
  Reported r = reported(ctx, sched, d, main.a, *saved);
  r.se = se;
  r.boot_count = B;
  output(r);
  return true;
}

}  // namespace oscat::catreg
