// CATREG's charts: transformation plots, residual plots (partial residuals
// with the transformation scaled by its coefficient) and the coefficient
// paths of a regularization path.
#include <cmath>
#include <vector>

#include "catreg/analysis.hpp"
#include "catreg/statistics.hpp"
#include "frame/chart.hpp"
#include "frame/messages.hpp"
#include "host/host.hpp"

namespace oscat::catreg {

using frame::composite;
using frame::key;
using host::H;
using host::Msg;

namespace {

// The charts of this procedure, on its chart template.
struct Chart : frame::Chart {
  explicit Chart(Msg title, Msg subtitle = 0) : frame::Chart("CATREG", title, subtitle) {}
};

int var_of(const Reported& r, int j) { return r.ctx->settings->vars.variables[static_cast<std::size_t>(j)]; }

// Analysis variables a PLOT keyword names (all when it names none).
std::vector<int> plot_vars(const Reported& r, const syntax::PlotRequest& p, int first) {
  std::vector<int> out;
  if (p.vars.empty())
    for (int j = first; j < r.d.m; ++j) out.push_back(j);
  for (int j : p.vars)
    if (j >= first && j < r.d.m) out.push_back(j);
  return out;
}

double quant(const Reported& r, int j, int c) { return r.a.q[c + static_cast<long>(j) * r.d.kmax]; }

void transformation_plots(const Reported& r) {
  auto& pv = H().pivot;
  for (int j : plot_vars(r, r.ctx->settings->plot.trans, 0)) {
    const int var = var_of(r, j);
    Chart ch(composite("Transformation ^1", {pv.BP_VARIABLE(var)}), pv.BP_VARIABLE(var));
    auto& cx = ch.cx;
    const int lc = cx.CX_ADDAGGREGATE(ch.id, key("Category"), true);
    const int yc = cx.CX_ADDAGGREGATE(ch.id, key("Quantification"), false);
    cx.CX_ADDXYDIMENSIONWITHAXIS(ch.id, lc, yc, pv.BP_VARIABLE(var), key("Quantification"));
    cx.CX_ADDXYELEMENTEX(ch.id, host::ElementKind::Line, 0);
    cx.CX_ADDXYELEMENTEX(ch.id, host::ElementKind::Point, 0);
    int rows = 0;
    const auto& v = r.d.agg[j];
    for (int c = 0; c < v.K; ++c) {
      if (v.f[c] == 0.0) continue;
      const bool extra = r.ctx->book.extra[j] && c == v.K - 1;
      cx.CX_ADDROW(ch.id);
      cx.CX_ADDDATATEXT(ch.id, lc, extra ? key("Extra Category") : pv.BP_VARVALUE(var, v.x[c]));
      cx.CX_ADDDATAVALUE(ch.id, yc, quant(r, j, c));
      ++rows;
    }
    ch.end(rows > 0);
  }
}

Msg level_frame(const Reported& r, int j) {
  const auto& l = r.ctx->settings->vars.levels[static_cast<std::size_t>(j)];
  static const char* const names[] = {"E62919", "E62920", "E62921", "E62922", "E62923", "E62924"};
  const Msg level = key(names[l.mlevel >= 0 && l.mlevel <= 5 ? l.mlevel : 0]);
  if (l.mlevel == scaling::SPORD || l.mlevel == scaling::SPNOM)
    return composite("E62926^1^2^3", {level, frame::integer(l.degree), frame::integer(l.inknot)});
  return composite("E62925^1", {level});
}

// One chart of partial residuals e_i = z_i - zhat_i + beta_j phi_ij (the
// active cases, or the cases outside the fit) and the line beta_j q_c.
void residual_chart(const Reported& r, const Stats& st, int j, bool active) {
  auto& pv = H().pivot;
  auto& msg = H().msg;
  const int var = var_of(r, j), dep = var_of(r, 0);
  const int n = r.d.n;
  const int* code = r.d.codes + static_cast<long>(j) * n;
  const auto& v = r.d.agg[j];
  const double beta = st.beta[j];
  std::vector<int> cases;
  for (int i = 0; i < n; ++i)
    if (code[i] > 0 && (r.d.w[i] > 0) == active) cases.push_back(i);
  if (!active && cases.empty()) return;
  Chart ch(active ? composite("E62930^1^2", {pv.BP_VARIABLE(var), pv.BP_VARIABLE(dep)})
                  : composite("E62931^1", {pv.BP_VARIABLE(var)}));
  auto& cx = ch.cx;
  cx.CX_ADDFRAMEWITHLABEL(ch.id, host::ChartFrame::Subtitle, composite("E62915^1", {pv.BP_VARIABLE(var)}));
  cx.CX_ADDFRAMEWITHLABEL(ch.id, host::ChartFrame::Footnote, level_frame(r, j));
  cx.CX_ADDFRAMEWITHLABEL(ch.id, host::ChartFrame::Footnote,
                          host::is_sysmis(beta) ? key("E62956") : composite("E62955^1", {msg.BP_LRVALUE(beta)}));
  const Msg ylab = active ? composite("E62917^1", {pv.BP_VARIABLE(dep)}) : key("E62918");
  const int xc = cx.CX_ADDAGGREGATE(ch.id, key("E62916"), false);
  const int yc = cx.CX_ADDAGGREGATE(ch.id, key("E62932"), false);
  const int lc = cx.CX_ADDAGGREGATE(ch.id, key("E61021"), true);
  const int pc = cx.CX_ADDAGGREGATE(ch.id, key("Chart Point Rows"), false);
  const int tc = cx.CX_ADDAGGREGATE(ch.id, key("Transformation"), false);
  cx.CX_ADDXYDIMENSIONWITHAXIS(ch.id, xc, yc, key("E62916"), ylab);
  const int pts = cx.CX_ADDXYELEMENTEX(ch.id, host::ElementKind::Point, 0);
  cx.CX_ADDLABELING(ch.id, pts, lc, 20);
  cx.CX_SETELEMENTROWS(ch.id, pts, pc);
  // Cases outside the fit are supplementary points: drawn hollow.
  if (!active) cx.CX_SETELEMENTDOT(ch.id, pts, host::ElementDot::Hollow);
  const int line = cx.CX_ADDXYELEMENTEX(ch.id, host::ElementKind::Line, 0);
  cx.CX_SETELEMENTROWS(ch.id, line, tc);
  for (int i : cases) {
    const int c = code[i] - 1;
    double e = host::SYSMIS;
    if (!host::is_sysmis(beta) && v.f[c] != 0.0) {
      // The fit's z and zhat hold the active cases; others are formed here.
      double z = quant(r, 0, r.d.codes[i] - 1), zhat = 0;
      bool ok = r.d.codes[i] > 0 && r.d.agg[0].f[r.d.codes[i] - 1] != 0.0;
      for (int k = 1; k < r.d.m && ok; ++k) {
        const int ck = r.d.codes[i + static_cast<long>(k) * n];
        if (ck < 1) continue;
        ok = r.d.agg[k].f[ck - 1] != 0.0;
        zhat += r.a.b[k] * quant(r, k, ck - 1);
      }
      if (ok) e = z - zhat + beta * quant(r, j, c);
    }
    if (!active && host::is_sysmis(e)) continue;
    cx.CX_ADDROW(ch.id);
    cx.CX_ADDDATAVALUE(ch.id, xc, v.x[c]);
    cx.CX_ADDDATAVALUE(ch.id, yc, e);
    cx.CX_ADDDATATEXT(ch.id, lc, frame::integer(r.ctx->cases[i]));
    cx.CX_ADDDATAVALUE(ch.id, pc, 1.0);
    cx.CX_ADDDATAVALUE(ch.id, tc, host::SYSMIS);
  }
  for (int c = 0; c < v.K; ++c) {
    cx.CX_ADDROW(ch.id);
    cx.CX_ADDDATAVALUE(ch.id, xc, v.x[c]);
    cx.CX_ADDDATAVALUE(ch.id, yc, host::is_sysmis(beta) || v.f[c] == 0.0 ? host::SYSMIS : beta * quant(r, j, c));
    cx.CX_ADDDATATEXT(ch.id, lc, pv.BP_VARVALUE(var, v.x[c]));
    cx.CX_ADDDATAVALUE(ch.id, pc, host::SYSMIS);
    cx.CX_ADDDATAVALUE(ch.id, tc, 1.0);
  }
  ch.end(true);
}

void residual_plots(const Reported& r, const Stats& st) {
  const auto vars = plot_vars(r, r.ctx->settings->plot.resid, 1);
  if (vars.empty()) return;
  auto& pv = H().pivot;
  pv.BP_BEGIN_HEADING(key("Quantifications"));
  pv.BP_BEGIN_HEADING(key("Plot"));
  pv.BP_BEGIN_HEADING(key("Residuals"));
  for (int j : vars) {
    residual_chart(r, st, j, true);
    residual_chart(r, st, j, false);
  }
  pv.BP_END_HEADING();
  pv.BP_END_HEADING();
  pv.BP_END_HEADING();
}

}  // namespace

void CRG_Charts(const Reported& r, const Stats& st) {
  const auto& pl = r.ctx->settings->plot;
  if (pl.trans.on) transformation_plots(r);
  if (pl.resid.on) residual_plots(r, st);
}

void CRG_PathPlots(const Reported& r) {
  const PathModels& P = r.path;
  if (P.M == 0) return;
  auto& pv = H().pivot;
  const auto& s = *r.ctx->settings;
  const bool enet = r.penalty == Penalty::ElasticNet;
  const int group = enet ? r.path_inner : P.M;
  if (enet) pv.BP_BEGIN_HEADING(key("ENET Plot Header"));
  for (int g0 = 0; g0 < P.M; g0 += group) {
    const double ridge = P.model(g0)[PathModels::kRidge];
    if (enet) {
      bool listed = s.plot.regu_penalties.empty();
      for (double x : s.plot.regu_penalties) listed = listed || std::fabs(x - ridge) <= kTiny;
      if (!listed) continue;
    }
    bool any = false;
    for (int k = g0; k < g0 + group; ++k) any = any || P.model(k)[PathModels::kSelected] >= 1;
    if (!any) {
      frame::warn(enet ? "CRG No ENET plot." : "CRG No REGU plot.");
      continue;
    }
    Chart ch(r.penalty == Penalty::Ridge   ? key("E62946")
             : r.penalty == Penalty::Lasso ? key("E62947")
                                           : composite("E62948^1", {H().msg.BP_LRVALUE(ridge)}));
    auto& cx = ch.cx;
    const int xc = cx.CX_ADDAGGREGATE(ch.id, key("E62949"), false);
    const int yc = cx.CX_ADDAGGREGATE(ch.id, key("E62950"), false);
    const int gc = cx.CX_ADDAGGREGATE(ch.id, key("Variables"), true);
    cx.CX_ADDXYDIMENSIONWITHAXIS(ch.id, xc, yc, key("E62949"), key("E62950"));
    cx.CX_ADDXYELEMENTEX(ch.id, host::ElementKind::Line, P.p > 1 ? gc : 0);
    if (P.p > 1) cx.CX_ADDLEGENDFRAMEEX(ch.id, key("Variables"));
    if (r.est != nullptr) {
      const bool o = r.optimal >= g0 && r.optimal < g0 + group, e = r.one_se >= g0 && r.one_se < g0 + group;
      const char* f = r.optimal == r.one_se ? (o ? "E62954^1" : nullptr)
                      : o && e               ? "E62953^1"
                      : o                    ? "E62951^1"
                      : e                    ? "E62952^1"
                                             : nullptr;
      if (f != nullptr) cx.CX_ADDFRAMEWITHLABEL(ch.id, host::ChartFrame::Footnote, composite(f, {frame::integer(2)}));
      if (o) cx.CX_ADDXREFERENCELINE(ch.id, P.model(r.optimal)[PathModels::kStdSum]);
      if (e && r.one_se != r.optimal) cx.CX_ADDXREFERENCELINE(ch.id, P.model(r.one_se)[PathModels::kStdSum]);
    }
    cx.CX_ADDYREFERENCELINE(ch.id, 0);
    for (int j = 0; j < P.p; ++j)
      for (int k = g0; k < g0 + group; ++k) {
        cx.CX_ADDROW(ch.id);
        cx.CX_ADDDATAVALUE(ch.id, xc, P.model(k)[PathModels::kStdSum]);
        cx.CX_ADDDATAVALUE(ch.id, yc, P.beta(k)[j]);
        cx.CX_ADDDATATEXT(ch.id, gc, pv.BP_VARIABLE(var_of(r, j + 1)));
      }
    ch.end(true);
  }
  if (enet) pv.BP_END_HEADING();
}

}  // namespace oscat::catreg
