// Charts of a CATPCA / MULTIPLE CORRESPONDENCE solution.
#include "catpca/output_view.hpp"

namespace oscat::catpca::out {

namespace {

// ------------------------------------------------------------------ charts ---
struct Chart {
  host::Charts& cx = H().charts;
  int id = 0;
  explicit Chart(Msg title, Msg subtitle = 0) {
    id = cx.CX_CREATECHARTDESCRIPTION("CATPCA");
    cx.CX_ADDFRAMEWITHLABEL(id, host::ChartFrame::Title, title);
    if (subtitle != 0) cx.CX_ADDFRAMEWITHLABEL(id, host::ChartFrame::Subtitle, subtitle);
  }
  void end(bool ok) {
    if (ok && !H().msg.error_flag()) cx.CX_ENDCHART(id);
    else cx.CX_KILLCHART(id);
  }
};

Msg dim_label(int s) { return composite("Dimension ^1", {num(s + 1)}); }

// A labelled scatter of (x, y) points in two dimensions, optionally grouped.
void scatter(Msg title, Msg subtitle, int d1, int d2, int label_len,
             const std::vector<Msg>& text, const std::vector<Msg>& group, const std::vector<double>& x,
             const std::vector<double>& y, bool origin_lines) {
  Chart ch(title, subtitle);
  auto& cx = ch.cx;
  const int lc = cx.CX_ADDAGGREGATE(ch.id, key("Label"), true);
  const int gc = group.empty() ? 0 : cx.CX_ADDAGGREGATE(ch.id, key("Variables"), true);
  const int xc = cx.CX_ADDAGGREGATE(ch.id, dim_label(d1), false);
  const int yc = cx.CX_ADDAGGREGATE(ch.id, dim_label(d2), false);
  cx.CX_ADDXYDIMAXISWITHSAMERATIO(ch.id, xc, yc, dim_label(d1), dim_label(d2));
  const int el = cx.CX_ADDXYELEMENTEX(ch.id, host::ElementKind::Point, gc);
  cx.CX_ADDLABELING(ch.id, el, lc, label_len);
  if (gc != 0) cx.CX_ADDLEGENDFRAMEEX(ch.id, key("Variables"));
  if (origin_lines) {
    cx.CX_ADDXREFERENCELINE(ch.id, 0);
    cx.CX_ADDYREFERENCELINE(ch.id, 0);
  }
  for (std::size_t k = 0; k < x.size(); ++k) {
    cx.CX_ADDROW(ch.id);
    cx.CX_ADDDATATEXT(ch.id, lc, text[k]);
    if (gc != 0) cx.CX_ADDDATATEXT(ch.id, gc, group[k]);
    cx.CX_ADDDATAVALUE(ch.id, xc, x[k]);
    cx.CX_ADDDATAVALUE(ch.id, yc, y[k]);
  }
  ch.end(!x.empty());
}

// Analysis variables a plot asks for (all when none are named).
std::vector<int> plot_vars(const View& v, const sx::PlotRequest& r) {
  std::vector<int> out;
  for (int j : r.vars)
    if (j >= 0 && j < v.m) out.push_back(j);
  if (r.vars.empty())
    for (int j = 0; j < v.m; ++j) out.push_back(j);
  return out;
}

void object_plots(const View& v, int d1, int d2) {
  const auto& r = v.s.plot.object;
  std::vector<int> labs;
  for (int j : r.vars)
    if (j >= 0 && j < v.s.vars.m) labs.push_back(j);
  if (labs.empty()) labs.push_back(-1);
  auto& pv = H().pivot;
  for (int lab : labs) {
    std::vector<Msg> labels, text;
    if (lab >= 0) labels = category_labels(v, lab);
    std::vector<double> x, y;
    for (int i = 0; i < v.n; ++i) {
      text.push_back(object_label(v, i, lab, labels));
      x.push_back(v.X(i, d1));
      y.push_back(v.X(i, d2));
    }
    scatter(key("Object Points Labeled by"), lab >= 0 ? pv.BP_VARIABLE(v.var(lab)) : key("Case Number"), d1,
            d2, r.label_size, text, {}, x, y, true);
  }
}

void variable_points(const View& v, int d1, int d2, bool loadings) {
  auto& pv = H().pivot;
  std::vector<Msg> text;
  std::vector<double> x, y;
  const auto& r = loadings ? v.s.plot.loading : v.s.plot.discrim;
  for (int j : plot_vars(v, r)) {
    if (loadings && v.multiple(j)) continue;
    text.push_back(pv.BP_VARIABLE(v.var(j)));
    x.push_back(loadings ? v.A(j, d1) : v.vafc(j, d1));
    y.push_back(loadings ? v.A(j, d2) : v.vafc(j, d2));
  }
  scatter(key(loadings ? "Component Loadings" : "Discrimination Measures"), 0, d1, d2, r.label_size, text, {},
          x, y, true);
}

void category_plots(const View& v, int d1, int d2, bool joint) {
  auto& pv = H().pivot;
  const auto& r = joint ? v.s.plot.jointcat : v.s.plot.category;
  std::vector<Msg> text, group;
  std::vector<double> x, y;
  auto flush = [&](Msg title, Msg sub) {
    scatter(title, sub, d1, d2, r.label_size, text, group, x, y, true);
    text.clear();
    group.clear();
    x.clear();
    y.clear();
  };
  for (int j : plot_vars(v, r)) {
    const auto labels = category_labels(v, j);
    for (int c = 0; c < v.in.agg[j].K; ++c) {
      if (v.Y(j, c, d1) == host::SYSMIS || v.in.agg[j].f[c] == 0) continue;
      text.push_back(labels[static_cast<std::size_t>(c)]);
      if (joint) group.push_back(pv.BP_VARIABLE(v.var(j)));
      x.push_back(v.Y(j, c, d1));
      y.push_back(v.Y(j, c, d2));
    }
    if (!joint) flush(key("Category Points"), pv.BP_VARIABLE(v.var(j)));
  }
  if (joint) flush(key("Joint Plot of Category Points"), 0);
}

void transformation_plots(const View& v) {
  auto& pv = H().pivot;
  for (int j : plot_vars(v, v.s.plot.trans)) {
    const auto labels = category_labels(v, j);
    Chart ch(key("Transformation"), pv.BP_VARIABLE(v.var(j)));
    auto& cx = ch.cx;
    const bool mult = v.multiple(j);
    const int lc = cx.CX_ADDAGGREGATE(ch.id, key("Category"), true);
    const int gc = mult ? cx.CX_ADDAGGREGATE(ch.id, key("Dimension"), true) : 0;
    const int yc = cx.CX_ADDAGGREGATE(ch.id, key("Quantification"), false);
    cx.CX_ADDXYDIMENSIONWITHAXIS(ch.id, lc, yc, pv.BP_VARIABLE(v.var(j)), key("Quantification"));
    cx.CX_ADDXYELEMENTEX(ch.id, host::ElementKind::Line, gc);
    cx.CX_ADDXYELEMENTEX(ch.id, host::ElementKind::Point, gc);
    if (gc != 0) cx.CX_ADDLEGENDFRAMEEX(ch.id, key("Dimension"));
    int rows = 0;
    for (int s = 0; s < (mult ? v.p : 1); ++s)
      for (int c = 0; c < v.in.agg[j].K; ++c) {
        const double val = mult ? v.Y(j, c, s) : v.q(j, c);
        if (val == host::SYSMIS) continue;
        cx.CX_ADDROW(ch.id);
        cx.CX_ADDDATATEXT(ch.id, lc, labels[static_cast<std::size_t>(c)]);
        if (gc != 0) cx.CX_ADDDATATEXT(ch.id, gc, num(s + 1));
        cx.CX_ADDDATAVALUE(ch.id, yc, val);
        ++rows;
      }
    ch.end(rows > 0);
  }
}

}  // namespace

void charts(const View& v) {
  const auto& pl = v.s.plot;
  const bool two_d = pl.object.on || pl.loading.on || pl.discrim.on || pl.category.on || pl.jointcat.on;
  if (two_d && v.p < 2) {
    H().msg.BP_ERROR(key("CPR No plots one dimension."), 2, 2);
  } else if (two_d) {
    const auto [d1, d2] = v.dims();
    if (pl.object.on) object_plots(v, d1, d2);
    if (pl.loading.on && !v.in.mca) variable_points(v, d1, d2, true);
    if (pl.discrim.on && v.in.mca) variable_points(v, d1, d2, false);
    if (pl.category.on) category_plots(v, d1, d2, false);
    if (pl.jointcat.on) category_plots(v, d1, d2, true);
  }
  if (pl.trans.on) transformation_plots(v);
}

}  // namespace oscat::catpca::out
