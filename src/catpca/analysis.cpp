// The CATPCA / MULTIPLE CORRESPONDENCE analysis of one run: arrays from the
// workspace, the engine, normalization and rotation, then the output of the
// final run (output.cpp).
#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "catpca/output.hpp"
#include "catpca/pralgo.hpp"
#include "catpca/results.hpp"
#include "catpca/solution.hpp"
#include "driver/analysis.hpp"
#include "host/host.hpp"
#include "scaling/quantify.hpp"

namespace oscat::driver {

using host::H;
using host::Msg;
namespace sx = syntax;

namespace {

enum : int {
  kCodes = kFirstAnalysisSlot,
  kX, kQ, kY, kA, kVaf, kEta, kLambda, kBasis, kD, kCoef, kCoefSave, kColOff, kCoefOff,
  kHistory, kSupplOnly, kWork, kIWork,
  kShownX, kShownA, kShownQ, kShownY, kShownVafc, kShownVafv,
  kRotRows, kRotated, kRotT, kRotWork,
  kLast
};
static_assert(kLast <= WorkspaceRegistry::kSlots, "analysis slots exceed the registry");

Msg key(std::string_view k) { return H().msg.BP_CSTRING(k); }
void report(std::string_view k, int severity) { H().msg.BP_ERROR(key(k), 2, severity); }
void report_int(std::string_view k, long v, int severity) {
  auto& msg = H().msg;
  const Msg c = msg.BP_BEGIN_COMPSTRING(key(k));
  msg.BP_ADD_PARAMETER(c, msg.BP_IVALUE(v));
  msg.BP_ERROR(msg.BP_END_COMPSTRING(c), 2, severity);
}

// Category index (1-based) of a treated code: codes are category values and
// the bookkeeping lists them ascending.
int category_of(const double* values, int K, double code) {
  if (!(code > 0)) return 0;
  const double* e = values + K;
  const double* it = std::lower_bound(values, e, code);
  return (it != e && *it == code) ? static_cast<int>(it - values) + 1 : 0;
}

}  // namespace

bool run_catpca_analysis(RunContext& ctx) {
  auto& h = H();
  auto& s = *ctx.settings;
  auto& ws = *ctx.ws;
  const bool mca = s.kind == sx::ProcedureKind::Mcorresp;
  const char* pre = mca ? "MCOR" : "CPR";
  // Resampling replicates belong to the bootstrap, which this analysis does
  // not provide: only the analysis of all data runs (and says so once).
  if (ctx.sample > 0) return true;
  if (s.resample.method != 0 && ctx.final_pass)
    report("CPR Bootstrap not available.", 2);
  if (s.config.mode != 0) {
    // Configuration files are not read yet: a FIXED analysis cannot be
    // replaced by a free one, an INITIAL start can.
    if (s.config.fixed()) {
      report("CPR Configuration not available.", 3);
      return false;
    }
    if (ctx.final_pass) report("CPR Configuration ignored.", 2);
  }

  const int n = ctx.n, m = ctx.m_a;
  const auto& book = ctx.book;
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
    v.f = book.freq + static_cast<long>(j) * book.cap;
    v.w = uj < s.vars.weights.size() ? s.vars.weights[uj] : 1.0;
    v.miss = ctx.missing_code != nullptr ? ctx.missing_code[j] : 2;
    for (int c = 0; c < v.active(); ++c) {
      v.N += v.f[c];
      v.xbar += v.f[c] * v.x[c];
    }
    v.xbar = v.N > 0 ? v.xbar / v.N : 0.0;
    for (int c = 0; c < v.active(); ++c) v.S += v.f[c] * (v.x[c] - v.xbar) * (v.x[c] - v.xbar);
    kmax = std::max(kmax, v.K);
    suppl[uj] = uj < s.supp.variable.size() ? s.supp.variable[uj] : 0;
    if (mca) lev[uj].mlevel = sx::MNOMINAL;
    multiple[uj] = lev[uj].mlevel == sx::MNOMINAL ? 1 : 0;
    active[uj] = suppl[uj] ? 0 : 1;
  }
  double N = 0;
  for (int i = 0; i < n; ++i) N += ctx.w[i];

  // Dimension cap (once: later runs see the settled p).
  if (ctx.first_run) {
    const int D = catpca::CPR_DimensionCap(m, agg.data(), multiple.data(), active.data(), N);
    if (D < 1) {
      report("CPR No dimensions.", 3);
      return false;
    }
    if (s.dim.p > D) {
      s.dim.p = D;
      report_int(mca ? "MCOR NDim too large, NDim set to ^1." : "CPR NDim too large, NDim set to ^1.", D, 2);
      int act = 0, mult = 0;
      for (int j = 0; j < m; ++j) {
        act += active[static_cast<std::size_t>(j)];
        mult += active[static_cast<std::size_t>(j)] && multiple[static_cast<std::size_t>(j)];
      }
      if (act == 2 && mult > 0)
        report(mca ? "MCOR Analysis with 2 variables." : "CPR Analysis with 2 variables.", 2);
    }
    if (s.dim.p == 1 && s.rotation.method() != sx::ROT_NONE) {
      report("CPR rot kwd 1 dim", 2);
      s.rotation.v = {0, 0, 0};
    }
  }
  const int p = s.dim.p;

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
  d.objw = ctx.w;
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
  catpca::PrResult res;
  catpca::CPR_PrAlgo(d, set, arr, work, iwork, res);
  if (res.interrupted) return true;  // the driver sees the flag and closes
  if (res.error != 0) {
    if (res.error == 2) report("CPR No usable start.", 3);
    return false;
  }
  if (!ctx.final_pass) return true;

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
  fin.e_obj = s.norm.v[1];
  fin.e_var = s.norm.v[2];
  fin.fixed_scores = s.config.fixed();
  catpca::CPR_Shown(fin, shown);

  // Orthomax rotation of the shown loadings; the scores and centroids follow
  // the same orthogonal transformation.
  double* rotated = nullptr;
  double* T = nullptr;
  Msg note = 0;
  const int rot = s.rotation.method();
  if (rot != sx::ROT_NONE && !mca) {
    int singles = 0;
    long r = 0;
    for (int j = 0; j < m; ++j)
      if (active[static_cast<std::size_t>(j)] && !multiple[static_cast<std::size_t>(j)]) {
        ++singles;
        r += std::max(1L, static_cast<long>(agg[static_cast<std::size_t>(j)].w));
      }
    if (singles < 2) {
      report(singles == 0 ? "CPR rot and no single var" : "CPR rot and 1 single var", 2);
    } else if (rot == sx::ROT_OBLIMIN || rot == sx::ROT_PROMAX) {
      report("CPR Oblique rotation not available.", 2);
    } else {
      double* L = ws.get<double>(kRotRows, static_cast<std::size_t>(r) * p);
      rotated = ws.get<double>(kRotated, static_cast<std::size_t>(p) * m);
      T = ws.get<double>(kRotT, static_cast<std::size_t>(p) * p);
      double* rw = ws.get<double>(kRotWork, 2 * static_cast<std::size_t>(r) + p);
      if (ws.failed()) return false;
      long row = 0;
      for (int j = 0; j < m; ++j) {
        if (!active[static_cast<std::size_t>(j)] || multiple[static_cast<std::size_t>(j)]) continue;
        const long copies = std::max(1L, static_cast<long>(agg[static_cast<std::size_t>(j)].w));
        for (long k = 0; k < copies; ++k, ++row)
          for (int t = 0; t < p; ++t) L[row + t * r] = shown.A[t + static_cast<long>(j) * p];
      }
      const double gamma = rot == sx::ROT_VARIMAX ? 1.0 : rot == sx::ROT_EQUAMAX ? p / 2.0 : 0.0;
      const int iters = catpca::CPR_Orthomax(static_cast<int>(r), p, L, static_cast<int>(r), gamma,
                                             rot == sx::ROT_QUARTIMAX, s.rotation.kaiser, T, rw, rw + r);
      s.rotation.v[2] = iters;
      // rotated = A' T per variable; multiple nominal rows stay empty.
      for (int j = 0; j < m; ++j)
        for (int t = 0; t < p; ++t) {
          double x = 0;
          const double* a = shown.A + static_cast<long>(j) * p;
          if (a[0] == host::SYSMIS) {
            rotated[t + static_cast<long>(j) * p] = host::SYSMIS;
            continue;
          }
          for (int u = 0; u < p; ++u) x += a[u] * T[u + t * p];
          rotated[t + static_cast<long>(j) * p] = x;
        }
      auto rotate_rows = [&](double* Z, long rows, long ld) {
        std::vector<double> tmp(static_cast<std::size_t>(p));
        for (long i = 0; i < rows; ++i) {
          if (Z[i] == host::SYSMIS) continue;
          for (int t = 0; t < p; ++t) {
            double x = 0;
            for (int u = 0; u < p; ++u) x += Z[i + u * ld] * T[u + t * p];
            tmp[static_cast<std::size_t>(t)] = x;
          }
          for (int t = 0; t < p; ++t) Z[i + t * ld] = tmp[static_cast<std::size_t>(t)];
        }
      };
      rotate_rows(shown.X, n, n);
      for (int j = 0; j < m; ++j) rotate_rows(shown.Y + static_cast<long>(j) * kmax * p, kmax, kmax);
      const char* base = rot == sx::ROT_VARIMAX ? "CPR vari" : rot == sx::ROT_EQUAMAX ? "CPR equa" : "CPR quar";
      std::string k = std::string(base) + (s.rotation.kaiser ? "" : " NoKais");
      auto& msg = h.msg;
      const Msg c = msg.BP_BEGIN_COMPSTRING(key(k + (iters >= 0 ? " ^1" : " failed ^1 ^2")));
      msg.BP_ADD_PARAMETER(c, msg.BP_IVALUE(iters >= 0 ? iters : -iters));
      if (iters < 0) msg.BP_ADD_PARAMETER(c, msg.BP_IVALUE(25));
      note = msg.BP_END_COMPSTRING(c);
    }
  }

  catpca::OutputInput o;
  o.rotated = rotated;
  o.transform = T;
  o.rotation_note = note;
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
  catpca::CPR_Output(o);
  return !h.msg.error_flag();
}

}  // namespace oscat::driver
