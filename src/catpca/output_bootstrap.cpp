// Bootstrap tables and confidence-ellipse charts of CATPCA / MULTIPLE
// CORRESPONDENCE: each statistic with its full-sample value, the bootstrap
// mean and the percentile interval.
#include <cmath>

#include "catpca/output_view.hpp"

namespace oscat::catpca::out {

namespace {

struct Stat {
  double est = host::SYSMIS, lo = host::SYSMIS, hi = host::SYSMIS;
};

Stat summarize(const View& v, int stat) {
  const BootResult& r = *v.in.boot;
  std::vector<int> idx(static_cast<std::size_t>(r.B));
  Stat s;
  CPR_BootSummary(r.B, r.vals + static_cast<long>(stat) * r.B, v.s.resample.level, idx.data(), s.est, s.lo, s.hi);
  return s;
}

Msg method_note(const View& v) {
  const auto& rs = v.s.resample;
  const char* k = rs.balanced ? (rs.procrustes ? "CPR BBoot Procru N ^1" : "CPR BBoot Refl N ^1")
                              : (rs.procrustes ? "CPR UBoot Procru N ^1" : "CPR UBoot Refl N ^1");
  return composite(k, {num(rs.count)});
}

// Columns "CPR Boot Est" and the interval group; returns the first id.
int est_ci_cells(const View& v, int cols) {
  auto& pv = H().pivot;
  const int first = pv.BP_CELL_IN_CATEGORY(cols, key("CPR Boot Est"));
  pv.BP_BEGIN_GROUP(cols, composite("CPR ^1 CI", {num(v.s.resample.level)}));
  pv.BP_CELL_IN_CATEGORY(cols, key("Lower"));
  pv.BP_CELL_IN_CATEGORY(cols, key("Upper"));
  pv.BP_END_GROUP(cols);
  return first;
}

void set_stat(int row, int col, const Stat& s) {
  auto& pv = H().pivot;
  pv.BP_SET_VALUE(CellRef{{row, col}}, s.est, kGen);
  pv.BP_SET_VALUE(CellRef{{row, col + 1}}, s.lo, kGen);
  pv.BP_SET_VALUE(CellRef{{row, col + 2}}, s.hi, kGen);
}

// The value, its estimate and interval per dimension: returns the first
// column id; the columns of dimension s start at first + 4 s.
int dimension_stat_cells(const View& v, int cols, std::string_view value_key) {
  auto& pv = H().pivot;
  int first = -1;
  for (int s = 0; s < v.p; ++s) {
    pv.BP_BEGIN_GROUP(cols, composite("Dimension ^1", {num(s + 1)}));
    const int c = pv.BP_CELL_IN_CATEGORY(cols, key(value_key));
    est_ci_cells(v, cols);
    pv.BP_END_GROUP(cols);
    if (s == 0) first = c;
  }
  return first;
}

void row_stats(const View& v, int row, int c0, auto stat_of) {
  auto& pv = H().pivot;
  const BootResult& r = *v.in.boot;
  for (int s = 0; s < v.p; ++s) {
    const int st = stat_of(s);
    pv.BP_SET_VALUE(CellRef{{row, c0 + 4 * s}}, r.ref[st], kGen);
    set_stat(row, c0 + 4 * s + 1, summarize(v, st));
  }
}

// Ellipse of one point in the plotted pair of dimensions; area SYSMIS when
// none can be drawn.
struct Ellipse {
  std::vector<double> x, y;
  double area = host::SYSMIS;
};

Ellipse ellipse(const View& v, int sa, int sb, int group) {
  const BootResult& r = *v.in.boot;
  Ellipse e;
  if (v.p < 2) return e;
  const int K = std::max(4, static_cast<int>(v.s.plot.ellipse[static_cast<std::size_t>(group)].points));
  std::vector<double> work(CPR_BootEllipseWork(r.B));
  std::vector<int> iwork(static_cast<std::size_t>(std::max(r.B, 2)));
  e.x.resize(static_cast<std::size_t>(K));
  e.y.resize(static_cast<std::size_t>(K));
  if (!CPR_BootEllipse(r.B, r.vals + static_cast<long>(sa) * r.B, r.vals + static_cast<long>(sb) * r.B, r.ref[sa],
                       r.ref[sb], v.s.resample.level, K, e.x.data(), e.y.data(), e.area, work.data(), iwork.data())) {
    e.x.clear();
    e.y.clear();
  }
  return e;
}

// Which ellipses a threshold keeps: AREA compares the area itself, STDEV the
// area's distance from the mean area in standard deviations.
std::vector<bool> kept(const View& v, int group, const std::vector<double>& areas) {
  const auto& g = v.s.plot.ellipse[static_cast<std::size_t>(group)];
  std::vector<bool> keep(areas.size(), true);
  if (g.direction == 0) return keep;
  double mean = 0, sd = 0;
  int k = 0;
  for (double a : areas)
    if (a != host::SYSMIS) {
      mean += a;
      ++k;
    }
  mean = k > 0 ? mean / k : 0;
  for (double a : areas)
    if (a != host::SYSMIS) sd += (a - mean) * (a - mean);
  sd = k > 1 ? std::sqrt(sd / (k - 1)) : 0;
  for (std::size_t i = 0; i < areas.size(); ++i) {
    if (areas[i] == host::SYSMIS) continue;
    const double x = g.measure == 2 ? (sd > 0 ? (areas[i] - mean) / sd : 0.0) : areas[i];
    keep[i] = g.direction > 0 ? x > g.threshold : x < g.threshold;
  }
  return keep;
}

struct EllipseSet {
  std::vector<Msg> labels;
  std::vector<Ellipse> e;
};

void ellipse_chart(const View& v, const EllipseSet& set, Msg subtitle, int group) {
  static const char* const notes[3][2] = {{"CPR Load lower val ellar", "CPR Load higher val ellar"},
                                          {"CPR Cat lower val ellar", "CPR Cat higher val ellar"},
                                          {"CPR Obj lower val ellar", "CPR Obj higher val ellar"}};
  if (v.p < 2 || set.e.empty()) return;
  std::vector<double> areas;
  for (const auto& e : set.e) areas.push_back(e.area);
  const auto keep = kept(v, group, areas);
  auto& cx = H().charts;
  const int id = cx.CX_CREATECHARTDESCRIPTION("CATPCA");
  cx.CX_ADDFRAMEWITHLABEL(id, host::ChartFrame::Title, composite("Confidence Ellipses Labeled by", {subtitle}));
  cx.CX_ADDFRAMEWITHLABEL(id, host::ChartFrame::Subtitle, subtitle);
  const int dir = v.s.plot.ellipse[static_cast<std::size_t>(group)].direction;
  if (dir != 0) cx.CX_ADDFRAMEWITHLABEL(id, host::ChartFrame::Footnote, key(notes[group][dir > 0 ? 1 : 0]));
  cx.CX_ADDFRAMEWITHLABEL(id, host::ChartFrame::Footnote, method_note(v));
  const auto [a, b] = v.dims();
  const int gc = cx.CX_ADDAGGREGATE(id, key("Label"), true);
  const int xc = cx.CX_ADDAGGREGATE(id, composite("Dimension ^1", {num(a + 1)}), false);
  const int yc = cx.CX_ADDAGGREGATE(id, composite("Dimension ^1", {num(b + 1)}), false);
  cx.CX_ADDXYDIMAXISWITHSAMERATIO(id, xc, yc, composite("Dimension ^1", {num(a + 1)}),
                                  composite("Dimension ^1", {num(b + 1)}));
  cx.CX_ADDXREFERENCELINE(id, 0);
  cx.CX_ADDYREFERENCELINE(id, 0);
  const int el = cx.CX_ADDXYELEMENTEX(id, host::ElementKind::Polygon, gc);
  // Each ellipse named at its centre, as the points of the matching plot are.
  const auto& pl = v.s.plot;
  cx.CX_ADDLABELING(id, el, gc, (group == 0 ? (v.in.mca ? pl.discrim : pl.loading) : group == 1 ? pl.category : pl.object)
                                    .label_size);
  cx.CX_ADDLEGENDFRAMEEX(id, key("Label"));
  bool any = false;
  for (std::size_t i = 0; i < set.e.size(); ++i) {
    if (!keep[i] || set.e[i].x.empty()) continue;
    for (std::size_t k = 0; k < set.e[i].x.size(); ++k) {
      cx.CX_ADDROW(id);
      cx.CX_ADDDATATEXT(id, gc, set.labels[i]);
      cx.CX_ADDDATAVALUE(id, xc, set.e[i].x[k]);
      cx.CX_ADDDATAVALUE(id, yc, set.e[i].y[k]);
    }
    any = true;
  }
  if (any && !H().msg.error_flag()) cx.CX_ENDCHART(id);
  else cx.CX_KILLCHART(id);
}

}  // namespace

// "Model Summary Bootstrap Results".
void boot_summary_table(const View& v) {
  auto& pv = H().pivot;
  const BootLayout& L = v.in.boot->layout;
  pv.BP_BEGIN_PIVOT_TABLE(key("Model Summary Bootstrap Results"), kIdSummary);
  pv.BP_ANNOTATE(method_note(v));
  const int rows = pv.BP_POSITION_DIMENSION(key("Dimension"), Axis::Row);
  const int cols = pv.BP_CELL_DIMENSION(key("Statistics"), Axis::Column);
  pv.BP_BEGIN_GROUP(cols, key("Cronbach's Alpha"));
  const int cA = est_ci_cells(v, cols);
  pv.BP_END_GROUP(cols);
  pv.BP_BEGIN_GROUP(cols, key("Variance Accounted For"));
  pv.BP_BEGIN_GROUP(cols, key("Total (Eigenvalue)"));
  const int cT = est_ci_cells(v, cols);
  pv.BP_END_GROUP(cols);
  pv.BP_BEGIN_GROUP(cols, key("% of Variance"));
  const int cP = est_ci_cells(v, cols);
  pv.BP_END_GROUP(cols);
  pv.BP_END_GROUP(cols);
  for (int s = 0; s <= v.p; ++s) {
    const int row = pv.BP_CELL_IN_CATEGORY(rows, s < v.p ? num(s + 1) : key(pk(v.in, "Summary Total")));
    set_stat(row, cA, summarize(v, L.sum(s, 0)));
    if (s == v.p) pv.BP_ANNOTATE_CELL(CellRef{{row, cA}}, key("Total Cronbach based on sum."));
    set_stat(row, cT, summarize(v, L.sum(s, 1)));
    set_stat(row, cP, summarize(v, L.sum(s, 2)));
  }
  pv.BP_END_PIVOT_TABLE();
}

// Variance accounted for per variable and dimension (discrimination
// measures in MULTIPLE CORRESPONDENCE): the vector VAF of single variables,
// the centroid VAF of multiple nominal ones.
void boot_vaf_table(const View& v) {
  auto& pv = H().pivot;
  const BootLayout& L = v.in.boot->layout;
  pv.BP_BEGIN_PIVOT_TABLE(key(v.in.mca ? "MCOR DiscrMeasures Boot" : "CPR VAF Boot"), kIdVaf);
  pv.BP_ANNOTATE(method_note(v));
  const int rows = pv.BP_CATEGORY_DIMENSION(key("Variables"), Axis::Row);
  const int cols = pv.BP_CELL_DIMENSION(key("Statistics"), Axis::Column);
  const int c0 = dimension_stat_cells(v, cols, v.in.mca ? "MCOR DiscrMeasure" : "CPR VAF");
  for (int j = 0; j < v.m; ++j) {
    const int row = pv.BP_CELL_IN_CATEGORY(rows, pv.BP_VARIABLE(v.var(j)));
    if (!v.active(j) && !v.fixed()) pv.BP_ANNOTATE_CATEGORY(rows, row, key("Supplementary variable."));
    row_stats(v, row, c0, [&](int s) { return v.multiple(j) ? L.vc(j, s) : L.vv(j, s); });
  }
  pv.BP_END_PIVOT_TABLE();
}

void boot_loadings_table(const View& v) {
  auto& pv = H().pivot;
  const BootLayout& L = v.in.boot->layout;
  std::vector<int> vars;
  for (int j = 0; j < v.m; ++j)
    if (!v.multiple(j)) vars.push_back(j);
  if (vars.empty()) return;
  pv.BP_BEGIN_PIVOT_TABLE(key("CPR Loadings Boot"), kIdLoadings);
  pv.BP_ANNOTATE(method_note(v));
  const int rows = pv.BP_CATEGORY_DIMENSION(key("Variables"), Axis::Row);
  const int cols = pv.BP_CELL_DIMENSION(key("Statistics"), Axis::Column);
  const int c0 = dimension_stat_cells(v, cols, "Loading");
  const int cE = v.p >= 2 ? pv.BP_CELL_IN_CATEGORY(cols, key("CPR Ellipse Area")) : -1;
  const auto [a, b] = v.dims();
  for (int j : vars) {
    const int row = pv.BP_CELL_IN_CATEGORY(rows, pv.BP_VARIABLE(v.var(j)));
    if (!v.active(j) && !v.fixed()) pv.BP_ANNOTATE_CATEGORY(rows, row, key("Supplementary variable."));
    row_stats(v, row, c0, [&](int s) { return L.ld(j, s); });
    if (cE >= 0) pv.BP_SET_VALUE(CellRef{{row, cE}}, ellipse(v, L.ld(j, a), L.ld(j, b), 0).area, kGen);
  }
  pv.BP_END_PIVOT_TABLE();
}

void boot_centroid_tables(const View& v) {
  auto& pv = H().pivot;
  const BootLayout& L = v.in.boot->layout;
  std::vector<int> list = v.s.print.quant_vars;
  if (list.empty())
    for (int j = 0; j < v.m; ++j) list.push_back(j);
  const auto [a, b] = v.dims();
  for (int j : list) {
    if (j < 0 || j >= v.m) continue;
    const auto labels = category_labels(v, j);
    pv.BP_BEGIN_PIVOT_TABLE(key("CPR Centroids Boot"), kIdQuant);
    pv.BP_ANNOTATE(method_note(v));
    const int rows = pv.BP_CATEGORY_DIMENSION(pv.BP_VARINDEX(v.var(j)), Axis::Row);
    const int cols = pv.BP_CELL_DIMENSION(key("Statistics"), Axis::Column);
    const int c0 = dimension_stat_cells(v, cols, "Coordinates");
    const int cE = v.p >= 2 ? pv.BP_CELL_IN_CATEGORY(cols, key("CPR Ellipse Area")) : -1;
    for (int c = 0; c < v.in.agg[j].K; ++c) {
      if (v.in.agg[j].f[c] == 0) continue;
      const int row = pv.BP_CELL_IN_CATEGORY(rows, labels[static_cast<std::size_t>(c)]);
      row_stats(v, row, c0, [&](int s) { return L.ct(j, c, s); });
      if (cE >= 0) pv.BP_SET_VALUE(CellRef{{row, cE}}, ellipse(v, L.ct(j, c, a), L.ct(j, c, b), 1).area, kGen);
    }
    pv.BP_END_PIVOT_TABLE();
  }
}

void boot_object_table(const View& v) {
  auto& pv = H().pivot;
  const BootLayout& L = v.in.boot->layout;
  pv.BP_BEGIN_PIVOT_TABLE(key("CPR Objects Boot"), kIdObjects);
  pv.BP_ANNOTATE(method_note(v));
  const int rows = pv.BP_CATEGORY_DIMENSION(key("Case Number"), Axis::Row);
  const int cols = pv.BP_CELL_DIMENSION(key("Statistics"), Axis::Column);
  const int c0 = dimension_stat_cells(v, cols, "Score");
  const int cE = v.p >= 2 ? pv.BP_CELL_IN_CATEGORY(cols, key("CPR Ellipse Area")) : -1;
  const auto [a, b] = v.dims();
  for (int i = 0; i < v.n; ++i) {
    const int row = pv.BP_CELL_IN_CATEGORY(rows, num(v.ctx.cases[i]));
    if (v.in.objw[i] == 0) pv.BP_ANNOTATE_CATEGORY(rows, row, key("Supplementary object."));
    row_stats(v, row, c0, [&](int s) { return L.ob(i, s); });
    if (cE >= 0) pv.BP_SET_VALUE(CellRef{{row, cE}}, ellipse(v, L.ob(i, a), L.ob(i, b), 2).area, kGen);
  }
  pv.BP_END_PIVOT_TABLE();
}

// Confidence ellipses around loading (discrimination-measure), category and
// object points, in the plotted pair of dimensions.
void boot_charts(const View& v) {
  if (v.p < 2) return;
  auto& pv = H().pivot;
  const BootLayout& L = v.in.boot->layout;
  const auto [a, b] = v.dims();
  const auto& pl = v.s.plot;
  if (v.in.mca ? pl.discrim.on : pl.loading.on) {
    EllipseSet set;
    for (int j = 0; j < v.m; ++j) {
      if (!v.in.mca && v.multiple(j)) continue;
      set.labels.push_back(pv.BP_VARIABLE(v.var(j)));
      set.e.push_back(v.in.mca ? ellipse(v, L.vc(j, a), L.vc(j, b), 0) : ellipse(v, L.ld(j, a), L.ld(j, b), 0));
    }
    ellipse_chart(v, set, key(v.in.mca ? "Discrimination Measures" : "Component Loadings"), 0);
  }
  if (pl.category.on) {
    std::vector<int> vars = pl.category.vars;
    if (vars.empty())
      for (int j = 0; j < v.m; ++j) vars.push_back(j);
    for (int j : vars) {
      if (j < 0 || j >= v.m) continue;
      const auto labels = category_labels(v, j);
      EllipseSet set;
      for (int c = 0; c < v.in.agg[j].K; ++c) {
        if (v.in.agg[j].f[c] == 0) continue;
        set.labels.push_back(labels[static_cast<std::size_t>(c)]);
        set.e.push_back(ellipse(v, L.ct(j, c, a), L.ct(j, c, b), 1));
      }
      ellipse_chart(v, set, pv.BP_VARIABLE(v.var(j)), 1);
    }
  }
  if (pl.object.on) {
    EllipseSet set;
    for (int i = 0; i < v.n; ++i) {
      set.labels.push_back(num(v.ctx.cases[i]));
      set.e.push_back(ellipse(v, L.ob(i, a), L.ob(i, b), 2));
    }
    ellipse_chart(v, set, key("Case Number"), 2);
  }
}

}  // namespace oscat::catpca::out
