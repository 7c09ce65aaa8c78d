// The CATPCA / MULTIPLE CORRESPONDENCE analysis of one run: arrays from the
// workspace, the engine, normalization and rotation, then the output of the
// final run (output.cpp).
#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "catpca/bootstrap.hpp"
#include "catpca/configuration.hpp"
#include "catpca/output.hpp"
#include "catpca/pralgo.hpp"
#include "catpca/results.hpp"
#include "catpca/rotation.hpp"
#include "catpca/save.hpp"
#include "catpca/solution.hpp"
#include "catpca/plan.hpp"
#include "frame/messages.hpp"
#include "host/host.hpp"
#include "scaling/als.hpp"

namespace oscat::catpca {

using host::H;
using host::Msg;
namespace sx = syntax;

namespace {

enum : int {
  kCodes = driver::kFirstAnalysisSlot,
  kX, kQ, kY, kA, kVaf, kEta, kLambda, kBasis, kD, kCoef, kCoefSave, kColOff, kCoefOff,
  kHistory, kSupplOnly, kKnotsLowered, kWork, kIWork,
  kShownX, kShownA, kShownQ, kShownY, kShownVafc, kShownVafv,
  kRotRows, kRotLast = kRotRows + catpca::kRotationSlots - 1,
  kConfX, kConfExcl, kConfW, kConfFreq,
  // Bootstrap: the full-sample engine solution, the replicate's arrays and
  // the stored replicate values.
  kBootX0, kBootA0, kBootX, kBootQ, kBootY, kBootA, kBootVaf, kBootEta, kBootLambda, kBootWork,
  kBootIWork, kBootFreq, kBootShA, kBootShQ, kBootShY, kBootShVafc, kBootShVafv, kBootG, kBootGmin,
  kBootGmax, kBootList, kBootVals, kBootRef, kBootMWork,
  kLast
};

using frame::report;
void report_int(std::string_view k, long v, int severity) { report(k, {frame::integer(v)}, severity); }

// Category index (1-based) of a treated code: codes are category values and
// the bookkeeping lists them ascending.
int category_of(const double* values, int K, double code) {
  if (!(code > 0)) return 0;
  const double* e = values + K;
  const double* it = std::lower_bound(values, e, code);
  return (it != e && *it == code) ? static_cast<int>(it - values) + 1 : 0;
}

// A fixed configuration stands for standardized object scores: every
// statistic (loadings as correlations, variance accounted for, alpha) takes
// its columns as centred with unit mean square over the active objects. A
// file that is not (scores saved under another normalization, or any other
// configuration) is brought there, with a warning when that changes it; a
// constant column cannot be, and is refused.
bool standardize_fixed(int n, int p, const double* w, const int* excl, double* X) {
  bool changed = false;
  for (int t = 0; t < p; ++t) {
    double* x = X + static_cast<long>(t) * n;
    double sw = 0, mean = 0;
    for (int i = 0; i < n; ++i)
      if (!excl[i] && w[i] > 0) {
        sw += w[i];
        mean += w[i] * x[i];
      }
    if (!(sw > 0)) return true;
    mean /= sw;
    double ms = 0, scale = 0;
    for (int i = 0; i < n; ++i)
      if (!excl[i] && w[i] > 0) {
        ms += w[i] * (x[i] - mean) * (x[i] - mean);
        scale = std::max(scale, std::fabs(x[i]));
      }
    ms /= sw;
    if (!(ms > 1e-24 * std::max(1.0, scale * scale))) {
      report_int("CPR Config dimension constant ^1.", t + 1, 3);
      return false;
    }
    const double sd = std::sqrt(ms);
    if (std::fabs(mean) > 1e-6 * sd || std::fabs(sd - 1) > 1e-6) changed = true;
    for (int i = 0; i < n; ++i)
      if (!excl[i]) x[i] = (x[i] - mean) / sd;
  }
  if (changed) report("CPR Config standardized.", 2);
  return true;
}

}  // namespace

bool run_analysis(driver::RunContext& ctx) {
  auto& h = H();
  const auto& s = *ctx.settings;
  auto& plan = static_cast<Plan&>(*ctx.plan);
  auto& ws = *ctx.ws;
  const bool mca = s.kind == sx::ProcedureKind::Mcorresp;
  const char* pre = mca ? "MCOR" : "CPR";
  // The bootstrap replicates all run inside the final analysis of all data
  // (sample 0), between the solution and the output; the driver's further
  // samples have nothing left to do.
  if (ctx.sample > 0) return true;

  const int n = ctx.n, m = ctx.m_a;
  const auto& book = ctx.book;

  // Configuration file: read once (first run) with the requested number of
  // dimensions; a later cap on p uses its first columns. Rows belong to the
  // active objects in case order. Supplementary objects (and objects missing
  // on every variable) take no row: with INITIAL they start at 0 and get
  // their scores from the quantifications like any supplementary object;
  // FIXED admits no supplementary objects. A row with every value missing
  // takes its object out of the analysis: its weight and its category counts
  // go.
  const double* conf_X = nullptr;
  const int* conf_excl = nullptr;
  const double* objw = ctx.w;  // object weights of the analysis
  double* conf_freq = nullptr;
  if (s.config.mode != 0) {
    if (ctx.first_run) {
      const int preq = plan.p;
      double* cx = ws.get<double>(kConfX, static_cast<std::size_t>(n) * preq);
      int* ce = ws.get<int>(kConfExcl, n);
      if (ws.failed()) return false;
      if (!catpca::CPR_ReadConfiguration(s.config.file, n, preq, ctx.w, cx, ce).ok) return false;
      if (s.config.fixed() && !standardize_fixed(n, preq, ctx.w, ce, cx)) return false;
    }
    conf_X = static_cast<const double*>(ws.block(kConfX));
    conf_excl = static_cast<const int*>(ws.block(kConfExcl));
    bool any = false;
    for (int i = 0; i < n && !any; ++i) any = conf_excl[i] != 0;
    if (any) {
      double* w = ws.get<double>(kConfW, n);
      conf_freq = ws.get<double>(kConfFreq, static_cast<std::size_t>(book.cap) * m);
      if (ws.failed()) return false;
      for (int i = 0; i < n; ++i) w[i] = conf_excl[i] ? 0.0 : ctx.w[i];
      for (long k = 0; k < static_cast<long>(book.cap) * m; ++k) conf_freq[k] = book.freq[k];
      for (int j = 0; j < m; ++j) {
        const double* vals = book.values + static_cast<long>(j) * book.cap;
        double* f = conf_freq + static_cast<long>(j) * book.cap;
        for (int i = 0; i < n; ++i) {
          if (!conf_excl[i]) continue;
          const int c = category_of(vals, book.count[j], ctx.coded[i + static_cast<long>(j) * n]);
          if (c > 0) f[c - 1] = std::max(0.0, f[c - 1] - ctx.w[i]);
        }
      }
      objw = w;
    }
  }

  std::vector<catpca::CategoryAggregates> agg(static_cast<std::size_t>(m));
  std::vector<sx::ScalingLevelRecord> lev(s.vars.levels.begin(), s.vars.levels.begin() + m);
  std::vector<int> suppl(static_cast<std::size_t>(m), 0), multiple(static_cast<std::size_t>(m), 0),
      active(static_cast<std::size_t>(m), 0);
  int kmax = 1;
  for (int j = 0; j < m; ++j) {
    const auto uj = static_cast<std::size_t>(j);
    auto& v = agg[uj];
    v.K = book.count[j];
    v.x = book.values + static_cast<long>(j) * book.cap;
    v.f = (conf_freq != nullptr ? conf_freq : book.freq) + static_cast<long>(j) * book.cap;
    v.w = uj < s.vars.weights.size() ? s.vars.weights[uj] : 1.0;
    v.miss = ctx.missing_code != nullptr ? ctx.missing_code[j] : 2;
    scaling::ZYL_Moments(v.x, v.f, v.active(), v.N, v.xbar, v.S);
    kmax = std::max(kmax, v.K);
    suppl[uj] = uj < s.supp.variable.size() ? s.supp.variable[uj] : 0;
    if (mca) lev[uj].mlevel = sx::MNOMINAL;
    multiple[uj] = lev[uj].mlevel == sx::MNOMINAL ? 1 : 0;
    active[uj] = suppl[uj] ? 0 : 1;
  }
  double N = 0;
  for (int i = 0; i < n; ++i) N += objw[i];
  if (conf_freq != nullptr && N < 3) {
    report("Invalid CPR maximum observations.", 3);
    return false;
  }

  // Dimension cap (once: later runs see the settled p).
  if (ctx.first_run) {
    const int D = catpca::CPR_DimensionCap(m, agg.data(), multiple.data(), active.data(), N);
    if (D < 1) {
      report("CPR No dimensions.", 3);
      return false;
    }
    if (plan.p > D) {
      plan.p = D;
      report_int(mca ? "MCOR NDim too large, NDim set to ^1." : "CPR NDim too large, NDim set to ^1.", D, 2);
      int act = 0, mult = 0;
      for (int j = 0; j < m; ++j) {
        act += active[static_cast<std::size_t>(j)];
        mult += active[static_cast<std::size_t>(j)] && multiple[static_cast<std::size_t>(j)];
      }
      if (act == 2 && mult > 0)
        report(mca ? "MCOR Analysis with 2 variables." : "CPR Analysis with 2 variables.", 2);
    }
    if (plan.p == 1 && plan.rotation != sx::ROT_NONE) {
      report("CPR rot kwd 1 dim", 2);
      plan.rotation = sx::ROT_NONE;
    }
  }
  const int p = plan.p;

  // Workspace: every array of the engine and of the shown solution.
  int maxdeg = 0, maxknot = 0;
  for (const auto& l : lev) {
    maxdeg = std::max(maxdeg, static_cast<int>(l.degree));
    maxknot = std::max(maxknot, static_cast<int>(l.inknot));
  }
  const int cols = std::max(1, scaling::ZYL_SplineColumns(m, lev.data()));
  const std::size_t np = static_cast<std::size_t>(n) * p, kpm = static_cast<std::size_t>(kmax) * p * m;
  int* codes = ws.get<int>(kCodes, static_cast<std::size_t>(n) * m);
  catpca::PrArrays arr;
  arr.X = ws.get<double>(kX, np);
  arr.q = ws.get<double>(kQ, static_cast<std::size_t>(kmax) * m);
  arr.Y = ws.get<double>(kY, kpm);
  arr.A = ws.get<double>(kA, static_cast<std::size_t>(p) * m);
  arr.vaf = ws.get<double>(kVaf, m);
  arr.eta = ws.get<double>(kEta, static_cast<std::size_t>(p) * m);
  arr.lambda = ws.get<double>(kLambda, p);
  arr.basis = ws.get<double>(kBasis, static_cast<std::size_t>(kmax) * cols);
  arr.D = ws.get<double>(kD, cols);
  arr.coef = ws.get<double>(kCoef, static_cast<std::size_t>(cols) + m + 1);
  arr.coef_save = ws.get<double>(kCoefSave, static_cast<std::size_t>(cols) + m + 1);
  arr.col_offset = ws.get<int>(kColOff, m);
  arr.coef_offset = ws.get<int>(kCoefOff, m);
  arr.history = ws.get<catpca::HistoryRow>(kHistory, static_cast<std::size_t>(s.iter.maxiter) + 2);
  arr.suppl_only = ws.get<int>(kSupplOnly, m);
  arr.knots_lowered = ws.get<int>(kKnotsLowered, m);
  // The spline set-up also needs room for its knots.
  const auto wsize = static_cast<std::size_t>(catpca::CPR_WorkSize(n, m, p, kmax, maxdeg)) +
                     static_cast<std::size_t>(maxknot) + 2 * static_cast<std::size_t>(maxdeg) + 16;
  double* work = ws.get<double>(kWork, wsize);
  int* iwork = ws.get<int>(kIWork, kmax);
  if (ws.failed()) return false;  // the closing sequence reports "Insufficient memory."

  {
    // Whole-number category values up to a small bound map to their index
    // through a table; anything else takes the search.
    constexpr int kDirect = 4096;
    std::vector<int> index(kDirect + 1);
    for (int j = 0; j < m; ++j) {
      const double* cj = ctx.coded + static_cast<long>(j) * n;
      int* out = codes + static_cast<long>(j) * n;
      const auto& v = agg[static_cast<std::size_t>(j)];
      std::fill(index.begin(), index.end(), 0);
      for (int c = 1; c <= kDirect; ++c) index[static_cast<std::size_t>(c)] = category_of(v.x, v.K, c);
      for (int i = 0; i < n; ++i) {
        const double c = cj[i];
        const int ci = c >= 1 && c <= kDirect ? static_cast<int>(c) : 0;
        out[i] = ci == c ? index[static_cast<std::size_t>(ci)] : category_of(v.x, v.K, c);
      }
    }
  }
  std::vector<const char*> names(static_cast<std::size_t>(m));
  for (int j = 0; j < m; ++j)
    names[static_cast<std::size_t>(j)] = h.dict.DICGET(s.vars.variables[static_cast<std::size_t>(j)]).name.c_str();

  catpca::PrData d;
  d.n = n;
  d.m = m;
  d.p = p;
  d.kmax = kmax;
  d.codes = codes;
  d.objw = objw;
  d.weighted = h.cases.weight_variable() != 0;
  d.lev = lev.data();
  d.suppl = suppl.data();
  d.agg = agg.data();
  d.names = names.data();
  d.proc = mca ? 3 : 1;
  catpca::PrSettings set;
  set.crititer = s.iter.crititer;
  set.maxiter = s.iter.maxiter;
  set.crit_numerical = s.iter.crititer;
  set.maxiter_numerical = s.iter.maxiter;
  set.main_analysis = ctx.final_pass;
  // Scores with unit weighted sum of squares become standardized ones.
  set.xscale = N > 0 ? std::sqrt(N) : 1.0;
  set.config = s.config.mode;
  if (conf_X != nullptr) {
    // The engine's scores have unit sum of squares; a fixed configuration is
    // taken as shown scores (standardized), so it is brought to that scale
    // and restored afterwards.
    const double f = s.config.fixed() ? 1.0 / set.xscale : 1.0;
    for (long k = 0; k < static_cast<long>(np); ++k) arr.X[k] = conf_X[k] * f;
    for (int i = 0; i < n; ++i)
      if (conf_excl[i])
        for (int t = 0; t < p; ++t) arr.X[i + static_cast<long>(t) * n] = 0.0;
  }
  catpca::PrResult res;
  catpca::CPR_PrAlgo(d, set, arr, work, iwork, res);
  if (s.config.fixed() && conf_X != nullptr)
    for (long k = 0; k < static_cast<long>(np); ++k) arr.X[k] = conf_X[k];
  if (res.interrupted) return true;  // the driver sees the flag and closes
  if (res.error != 0) {
    if (res.error == 2) report("CPR No usable start.", 3);
    return false;
  }
  if (!ctx.final_pass) return true;
  const bool boot = s.resample.method == 2 && s.resample.count > 0 && !s.config.fixed();
  double* X0 = nullptr;
  double* A0 = nullptr;
  if (boot) {
    // Replicates start from the engine's full-sample solution, which the
    // shown solution below overwrites.
    X0 = ws.get<double>(kBootX0, np);
    A0 = ws.get<double>(kBootA0, static_cast<std::size_t>(p) * m);
    if (ws.failed()) return false;
    std::copy(arr.X, arr.X + np, X0);
    std::copy(arr.A, arr.A + static_cast<std::size_t>(p) * m, A0);
  }

  // The shown solution.
  catpca::Shown shown;
  shown.n = n;
  shown.m = m;
  shown.p = p;
  shown.kmax = kmax;
  shown.X = arr.X;
  shown.A = ws.get<double>(kShownA, static_cast<std::size_t>(p) * m);
  shown.q = ws.get<double>(kShownQ, static_cast<std::size_t>(kmax) * m);
  shown.Y = ws.get<double>(kShownY, kpm);
  shown.vafc = ws.get<double>(kShownVafc, static_cast<std::size_t>(p) * m);
  shown.vafv = ws.get<double>(kShownVafv, static_cast<std::size_t>(p) * m);
  if (ws.failed()) return false;
  catpca::FinishInput fin;
  fin.n = n;
  fin.m = m;
  fin.p = p;
  fin.kmax = kmax;
  fin.agg = agg.data();
  fin.multiple = multiple.data();
  fin.lambda = arr.lambda;
  fin.A = arr.A;
  fin.q = arr.q;
  fin.Y = arr.Y;
  fin.eta = arr.eta;
  fin.xscale = set.xscale;  // the engine applied it to X; the centroids follow
  fin.e_obj = s.norm.e_obj;
  fin.e_var = s.norm.e_var;
  fin.fixed_scores = s.config.fixed();
  catpca::CPR_Shown(fin, shown);

  // Bootstrap of the unrotated solution.
  catpca::BootResult bres;
  bool have_boot = false;
  if (boot) {
    const int B = s.resample.count;
    catpca::BootInput bi;
    bi.d = &d;
    bi.set = set;
    bi.fin = fin;
    bi.ref = &shown;
    bi.X0 = X0;
    bi.A0 = A0;
    bi.multiple = multiple.data();
    bi.active = active.data();
    bi.cases = ctx.cases;
    bi.M = s.vars.active_weight_sum;
    bi.B = B;
    bi.level = s.resample.level;
    bi.balanced = s.resample.balanced;
    bi.procrustes = s.resample.procrustes;
    bi.rnd = [](void*) { return H().num.URAND(); };
    catpca::BootLayout lay;
    lay.set(n, m, p, kmax);
    const int nprime = catpca::CPR_BootActiveCount(n, objw);
    std::vector<sx::ScalingLevelRecord> blev(lev);
    std::vector<catpca::CategoryAggregates> bagg(agg);
    catpca::BootArrays ba;
    ba.eng.X = ws.get<double>(kBootX, np);
    ba.eng.q = ws.get<double>(kBootQ, static_cast<std::size_t>(kmax) * m);
    ba.eng.Y = ws.get<double>(kBootY, kpm);
    ba.eng.A = ws.get<double>(kBootA, static_cast<std::size_t>(p) * m);
    ba.eng.vaf = ws.get<double>(kBootVaf, m);
    ba.eng.eta = ws.get<double>(kBootEta, static_cast<std::size_t>(p) * m);
    ba.eng.lambda = ws.get<double>(kBootLambda, p);
    // The spline storage is scratch once the full-sample solution is made.
    ba.eng.basis = arr.basis;
    ba.eng.D = arr.D;
    ba.eng.coef = arr.coef;
    ba.eng.coef_save = arr.coef_save;
    ba.eng.col_offset = arr.col_offset;
    ba.eng.coef_offset = arr.coef_offset;
    ba.work = ws.get<double>(kBootWork, wsize);
    ba.iwork = ws.get<int>(kBootIWork, kmax);
    ba.lev = blev.data();
    ba.agg = bagg.data();
    ba.freq = ws.get<double>(kBootFreq, static_cast<std::size_t>(kmax) * m);
    ba.shown.n = n;
    ba.shown.m = m;
    ba.shown.p = p;
    ba.shown.kmax = kmax;
    ba.shown.A = ws.get<double>(kBootShA, static_cast<std::size_t>(p) * m);
    ba.shown.q = ws.get<double>(kBootShQ, static_cast<std::size_t>(kmax) * m);
    ba.shown.Y = ws.get<double>(kBootShY, kpm);
    ba.shown.vafc = ws.get<double>(kBootShVafc, static_cast<std::size_t>(p) * m);
    ba.shown.vafv = ws.get<double>(kBootShVafv, static_cast<std::size_t>(p) * m);
    ba.g = ws.get<double>(kBootG, n);
    ba.gmin = ws.get<double>(kBootGmin, n);
    ba.gmax = ws.get<double>(kBootGmax, n);
    if (s.resample.balanced) ba.list = ws.get<int>(kBootList, static_cast<std::size_t>(nprime) * B);
    ba.vals = ws.get<double>(kBootVals, static_cast<std::size_t>(lay.count) * B);
    ba.ref = ws.get<double>(kBootRef, static_cast<std::size_t>(lay.count));
    ba.mwork = ws.get<double>(kBootMWork, catpca::CPR_BootStoreWork(p));
    if (ws.failed()) return false;
    if (catpca::CPR_Bootstrap(bi, ba, bres)) {
      if (bres.interrupted) return true;  // the driver sees the flag and closes
      catpca::CPR_BootReport(bi, ba, bres);
      have_boot = bres.valid > 0;
    }
  }

  // Rotation of the shown loadings; scores and centroids follow.
  catpca::RotationResult rot;
  if (plan.rotation != sx::ROT_NONE && !mca) {
    catpca::RotationRequest rq;
    rq.method = plan.rotation;
    rq.param = s.rotation.param;
    rq.kaiser = s.rotation.kaiser;
    rq.agg = agg.data();
    rq.active = active.data();
    rq.multiple = multiple.data();
    rq.objw = objw;
    if (!catpca::CPR_RotateShown(rq, shown, ws, kRotRows, rot)) return false;
    if (rot.dropped) plan.rotation = sx::ROT_NONE;
  }

  catpca::OutputInput o;
  o.rotated = rot.done ? rot.rotated : nullptr;
  o.transform = rot.done ? rot.T : nullptr;
  o.rotation_note = rot.note;
  o.rotation = rot.done ? &rot : nullptr;
  o.ctx = &ctx;
  o.pre = pre;
  o.mca = mca;
  o.agg = agg.data();
  o.codes = codes;
  o.multiple = multiple.data();
  o.suppl = suppl.data();
  o.suppl_only = arr.suppl_only;
  o.lambda = arr.lambda;
  o.history = arr.history;
  o.res = &res;
  o.shown = &shown;
  o.N = N;
  o.objw = objw;
  o.conf_excluded = conf_excl;
  o.e_obj = s.config.fixed() ? 0.0 : s.norm.e_obj;
  o.boot = have_boot ? &bres : nullptr;
  catpca::CPR_Output(o);
  if (!h.msg.error_flag()) catpca::CPR_Save(o);
  return !h.msg.error_flag();
}

}  // namespace oscat::catpca
