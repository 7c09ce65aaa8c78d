// Charts of a CATPCA / MULTIPLE CORRESPONDENCE solution.
#include <cmath>

#include "catpca/output_view.hpp"
#include "frame/chart.hpp"

namespace oscat::catpca::out {

namespace {

// Declared by the driver among the procedure's table identifiers.
constexpr int kIdProjected = 21;

// ------------------------------------------------------------------ charts ---
// The charts of this procedure, on its chart template.
struct Chart : frame::Chart {
  explicit Chart(Msg title, Msg subtitle = 0) : frame::Chart("CATPCA", title, subtitle) {}
};

Msg dim_label(int s) { return composite("Dimension ^1", {num(s + 1)}); }
using frame::warn;
void warn1(std::string_view k, Msg param) { frame::report(k, {param}, frame::kWarning); }

// The loadings that go with the shown object scores: after a rotation the
// scores were rotated, so the rotated loadings are the ones that fit them.
double loading(const View& v, int j, int s) {
  if (v.in.rotated != nullptr && !v.in.mca) return v.in.rotated[s + static_cast<long>(j) * v.p];
  return v.A(j, s);
}

// Which dimensions the two-dimensional charts show. NDIM(d1, d2) gives one
// chart per pair (d1, k), k = d1+1 .. d2. Without NDIM a solution of more
// than two dimensions is shown as a scatterplot matrix of all of them, as
// CORRESPONDENCE does, and the NDIM note says how to get single pairs.
struct Layout {
  std::vector<std::pair<int, int>> pairs;
  bool splom = false;
};

Layout layout(const View& v) {
  Layout l;
  const int lo = v.s.plot.ndim_lo, hi = v.s.plot.ndim_hi;
  if (lo > 0 && hi > lo && hi <= v.p) {
    for (int k = lo + 1; k <= hi; ++k) l.pairs.emplace_back(lo - 1, k - 1);
  } else if (v.p > 2) {
    l.splom = true;
  } else {
    l.pairs.emplace_back(0, 1);
  }
  return l;
}

// The points of one configuration chart, with their coordinates in every
// dimension. Vectors (loadings) are rows of their own drawn by a vector
// element (a line from the origin); plain points by a point element.
// Supplementary points and vectors have elements of their own, drawn hollow
// (dashed). Each element is restricted to its rows by a flag column.
class Points {
 public:
  explicit Points(const View& v) : p_(v.p) {}
  template <class F>
  void point(Msg label, Msg group, F coord, bool supp = false) {
    add(label, group, supp ? kSuppPoint : kPoint, coord);
  }
  template <class F>
  void vector(Msg label, Msg group, F coord, bool supp = false) {
    add(label, group, supp ? kSuppVector : kVector, coord);
  }
  bool empty() const { return rows_.empty(); }

  void emit(Msg title, Msg subtitle, const Layout& l, int label_len, Msg legend) const {
    if (l.splom) {
      std::vector<int> all;
      for (int s = 0; s < p_; ++s) all.push_back(s);
      one(title, subtitle, all, true, label_len, legend);
    }
    // Several pairs of NDIM: each title names its pair, so the charts differ in the outline.
    for (const auto& [a, b] : l.pairs)
      one(l.pairs.size() > 1 ? composite("^1, Dimensions ^2 and ^3", {title, num(a + 1), num(b + 1)}) : title,
          subtitle, {a, b}, false, label_len, legend);
  }

 private:
  enum Kind { kPoint, kVector, kSuppPoint, kSuppVector, kKinds };
  struct R {
    Msg label, group;
    Kind kind;
  };

  template <class F>
  void add(Msg label, Msg group, Kind kind, F coord) {
    rows_.push_back({label, group, kind});
    used_[kind] = true;
    if (group != 0) grouped_ = true;
    for (int s = 0; s < p_; ++s) xy_.push_back(coord(s));
  }

  void one(Msg title, Msg subtitle, const std::vector<int>& dims, bool splom, int label_len, Msg legend) const {
    Chart ch(title, subtitle);
    auto& cx = ch.cx;
    const int lc = cx.CX_ADDAGGREGATE(ch.id, key("Label"), true);
    const int gc = grouped_ ? cx.CX_ADDAGGREGATE(ch.id, legend, true) : 0;
    std::vector<int> dc;
    for (int s : dims) dc.push_back(cx.CX_ADDAGGREGATE(ch.id, dim_label(s), false));
    // Flag columns only when the rows are not all plain points.
    const bool flags = used_[kVector] || used_[kSuppPoint] || used_[kSuppVector];
    static const char* const flag_names[kKinds] = {"Chart Point Rows", "Chart Vector Rows",
                                                   "Chart Supplementary Point Rows",
                                                   "Chart Supplementary Vector Rows"};
    int fc[kKinds] = {0, 0, 0, 0};
    for (int k = 0; k < kKinds; ++k)
      if (flags && used_[k]) fc[k] = cx.CX_ADDAGGREGATE(ch.id, key(flag_names[k]), false);
    if (splom) {
      cx.CX_ADDSPLOMELEMENT(ch.id, dc, key("Dimension"));
    } else {
      cx.CX_ADDXYDIMAXISWITHSAMERATIO(ch.id, dc[0], dc[1], dim_label(dims[0]), dim_label(dims[1]));
      cx.CX_ADDXREFERENCELINE(ch.id, 0);
      cx.CX_ADDYREFERENCELINE(ch.id, 0);
    }
    // Vectors first, so that points are drawn over them.
    for (Kind k : {kVector, kSuppVector, kPoint, kSuppPoint}) {
      if (!used_[k]) continue;
      const bool vec = k == kVector || k == kSuppVector;
      const int el = cx.CX_ADDXYELEMENTEX(ch.id, vec ? host::ElementKind::Vector : host::ElementKind::Point, gc);
      if (flags) cx.CX_SETELEMENTROWS(ch.id, el, fc[k]);
      if (k == kSuppPoint || k == kSuppVector) cx.CX_SETELEMENTDOT(ch.id, el, host::ElementDot::Hollow);
      cx.CX_ADDLABELING(ch.id, el, lc, label_len);
    }
    if (gc != 0) cx.CX_ADDLEGENDFRAMEEX(ch.id, legend);
    for (std::size_t r = 0; r < rows_.size(); ++r) {
      const R& row = rows_[r];
      cx.CX_ADDROW(ch.id);
      if (row.label != 0) cx.CX_ADDDATATEXT(ch.id, lc, row.label);
      if (gc != 0 && row.group != 0) cx.CX_ADDDATATEXT(ch.id, gc, row.group);
      for (std::size_t d = 0; d < dims.size(); ++d)
        cx.CX_ADDDATAVALUE(ch.id, dc[d], xy_[r * static_cast<std::size_t>(p_) + static_cast<std::size_t>(dims[d])]);
      if (flags) cx.CX_ADDDATAVALUE(ch.id, fc[row.kind], 1.0);
    }
    ch.end(!rows_.empty());
  }

  int p_;
  std::vector<R> rows_;
  std::vector<double> xy_;
  bool used_[kKinds] = {false, false, false, false};
  bool grouped_ = false;
};

// Analysis variables a plot asks for (all when none are named).
std::vector<int> plot_vars(const View& v, const sx::PlotRequest& r) {
  std::vector<int> out;
  for (int j : r.vars)
    if (j >= 0 && j < v.m) out.push_back(j);
  if (r.vars.empty())
    for (int j = 0; j < v.m; ++j) out.push_back(j);
  return out;
}

std::vector<int> valid_vars(const View& v, const std::vector<int>& in) {
  std::vector<int> out;
  for (int j : in)
    if (j >= 0 && j < v.m) out.push_back(j);
  return out;
}

// Supplementary variables, as the tables footnote them: in a fixed
// configuration every variable is fitted alike.
bool supplementary(const View& v, int j) { return !v.active(j) && !v.fixed(); }

// Objects with a score; supplementary ones in a group of their own. Without
// `grouped` the active objects get a group only when supplementary ones need
// telling apart.
void add_objects(const View& v, Points& pts, int lab, bool grouped) {
  std::vector<Msg> labels;
  if (lab >= 0) labels = category_labels(v, lab);
  bool any_supp = false;
  for (int i = 0; i < v.n && !any_supp; ++i) any_supp = object_state(v, i) == ObjState::Supplementary;
  const Msg active = grouped || any_supp ? key("Objects") : 0;
  // Active objects first, so that they keep the first style of the legend.
  for (const bool supp : {false, true})
    for (int i = 0; i < v.n; ++i) {
      const ObjState st = object_state(v, i);
      // Excluded objects have no score: the object table shows none either.
      if (st != (supp ? ObjState::Supplementary : ObjState::Active)) continue;
      pts.point(object_label(v, i, lab, labels), supp ? key("Supplementary Objects") : active,
                [&](int s) { return v.X(i, s); }, supp);
    }
}

void add_loadings(const View& v, Points& pts, const std::vector<int>& vars, Msg group) {
  auto& pv = H().pivot;
  for (int j : vars) {
    const bool supp = supplementary(v, j);
    pts.vector(pv.BP_VARIABLE(v.var(j)), supp ? key("Supplementary Variables") : group,
               [&](int s) { return loading(v, j, s); }, supp);
  }
}

void add_centroids(const View& v, Points& pts, const std::vector<int>& vars) {
  auto& pv = H().pivot;
  for (int j : vars) {
    const auto labels = category_labels(v, j);
    const bool supp = supplementary(v, j);
    const Msg group = supp ? composite("Supplementary ^1", {pv.BP_VARIABLE(v.var(j))}) : pv.BP_VARIABLE(v.var(j));
    for (int c = 0; c < v.in.agg[j].K; ++c) {
      if (v.Y(j, c, 0) == host::SYSMIS || v.in.agg[j].f[c] == 0) continue;
      pts.point(labels[static_cast<std::size_t>(c)], group, [&](int s) { return v.Y(j, c, s); }, supp);
    }
  }
}

void object_plots(const View& v, const Layout& l) {
  const auto& r = v.s.plot.object;
  std::vector<int> labs;
  for (int j : r.vars)
    if (j >= 0 && j < v.s.vars.m) labs.push_back(j);
  if (labs.empty()) labs.push_back(-1);
  auto& pv = H().pivot;
  for (int lab : labs) {
    Points pts(v);
    add_objects(v, pts, lab, false);
    const Msg by = lab >= 0 ? pv.BP_VARIABLE(v.var(lab)) : key("Case Number");
    pts.emit(composite("Object Points Labeled by", {by}), by, l, r.label_size, key("Points"));
  }
}

void variable_points(const View& v, const Layout& l, bool loadings) {
  auto& pv = H().pivot;
  Points pts(v);
  const auto& r = loadings ? v.s.plot.loading : v.s.plot.discrim;
  bool any_supp = false;
  for (int j : plot_vars(v, r)) any_supp = any_supp || (supplementary(v, j) && !(loadings && v.multiple(j)));
  for (int j : plot_vars(v, r)) {
    if (loadings && v.multiple(j)) continue;
    const bool supp = supplementary(v, j);
    const Msg group = supp ? key("Supplementary Variables") : any_supp ? key("Variables") : 0;
    pts.point(pv.BP_VARIABLE(v.var(j)), group, [&](int s) { return loadings ? loading(v, j, s) : v.vafc(j, s); },
              supp);
  }
  pts.emit(key(loadings ? "Component Loadings" : "Discrimination Measures"), 0, l, r.label_size, key("Points"));
}

void category_plots(const View& v, const Layout& l, bool joint) {
  auto& pv = H().pivot;
  const auto& r = joint ? v.s.plot.jointcat : v.s.plot.category;
  if (joint) {
    Points pts(v);
    add_centroids(v, pts, plot_vars(v, r));
    pts.emit(key("Joint Plot of Category Points"), 0, l, r.label_size, key("Variables"));
    return;
  }
  for (int j : plot_vars(v, r)) {
    Points pts(v);
    const auto labels = category_labels(v, j);
    const bool supp = supplementary(v, j);
    for (int c = 0; c < v.in.agg[j].K; ++c) {
      if (v.Y(j, c, 0) == host::SYSMIS || v.in.agg[j].f[c] == 0) continue;
      pts.point(labels[static_cast<std::size_t>(c)], 0, [&](int s) { return v.Y(j, c, s); }, supp);
    }
    const Msg var = pv.BP_VARIABLE(v.var(j));
    pts.emit(composite("Category Points", {var}), var, l, r.label_size, 0);
  }
}

// Biplots: objects with the loadings of single variables as vectors, and
// objects with the category centroids of multiple nominal variables.
// MULTIPLE CORRESPONDENCE has no loadings: its biplot shows the centroids.
void biplots(const View& v, const Layout& l) {
  const auto& r = v.s.plot.biplot;
  const auto centroid_list = valid_vars(v, r.centroid_vars);
  std::vector<int> load, cent = centroid_list;
  if (v.in.mca) {
    if (cent.empty()) cent = plot_vars(v, r);
  } else if (!r.vars.empty() || centroid_list.empty()) {
    bool named_multiple = false;
    for (int j : plot_vars(v, r)) {
      if (!v.multiple(j)) load.push_back(j);
      else if (!r.vars.empty()) named_multiple = true;
    }
    if (named_multiple) warn("CPR BIPLOT(LOADING) for MNOM.");
    if (load.empty()) warn("CPR variables all multiple biplot.");
  }
  if (!load.empty()) {
    Points pts(v);
    add_objects(v, pts, -1, true);
    add_loadings(v, pts, load, key("Component Loadings"));
    pts.emit(key("BiPlot loadings,objects"), 0, l, r.label_size, key("Points"));
  }
  if (!cent.empty()) {
    Points pts(v);
    add_objects(v, pts, -1, true);
    add_centroids(v, pts, cent);
    pts.emit(key("BiPlot centroids,objects"), 0, l, r.label_size, key("Points"));
  }
}

// Triplot: objects, loadings of the single variables and centroids of the
// multiple nominal ones together. A list names both kinds; CENTROID(...)
// adds centroids.
void triplot(const View& v, const Layout& l) {
  const auto& r = v.s.plot.triplot;
  std::vector<int> load, cent = valid_vars(v, r.centroid_vars);
  if (!r.vars.empty() || cent.empty())
    for (int j : plot_vars(v, r)) {
      if (!v.multiple(j)) load.push_back(j);
      else if (std::find(cent.begin(), cent.end(), j) == cent.end()) cent.push_back(j);
    }
  if (load.empty()) warn("CPR variables all multiple triplot.");
  if (cent.empty()) warn("CPR no multiple variables triplot.");
  Points pts(v);
  add_objects(v, pts, -1, true);
  add_loadings(v, pts, load, key("Component Loadings"));
  add_centroids(v, pts, cent);
  pts.emit(key("TriPlot Header"), 0, l, r.label_size, key("Points"));
}

// Residual plots: a variable's quantification of each active object's
// category against its approximation from the object scores, X a_j for a
// single variable; for a multiple nominal variable, per dimension, the
// category centroid against the object score.
void residual_plots(const View& v) {
  auto& pv = H().pivot;
  const auto& r = v.s.plot.resid;
  // The shown X a_j equals the standardized scores times the correlation
  // loadings, except under independent normalization, whose exponents do not
  // add up to one; its scale is taken out per dimension.
  const double e = (v.s.norm.e_obj + v.s.norm.e_var - 1) / 2;
  std::vector<double> undo(static_cast<std::size_t>(v.p), 1.0);
  if (e != 0)
    for (int s = 0; s < v.p; ++s)
      if (v.in.lambda[s] > 0) undo[static_cast<std::size_t>(s)] = std::pow(v.in.lambda[s], -e);
  const double* w = v.ctx.w;
  for (int j : plot_vars(v, r)) {
    if (j >= v.s.vars.m_a) continue;
    const int* code = v.in.codes + static_cast<long>(j) * v.n;
    const bool mult = v.multiple(j);
    const int dims = mult ? (r.dims > 0 && r.dims <= v.p ? r.dims : v.p) : 1;
    for (int s = 0; s < dims; ++s) {
      const Msg sub = mult ? composite("^1, Dimension ^2", {pv.BP_VARIABLE(v.var(j)), num(s + 1)})
                           : pv.BP_VARIABLE(v.var(j));
      Chart ch(composite("Residuals ^1", {sub}), sub);
      auto& cx = ch.cx;
      const Msg ylab = key(mult ? "Centroid Coordinate" : "Quantification");
      const int xc = cx.CX_ADDAGGREGATE(ch.id, key("Approximation"), false);
      const int yc = cx.CX_ADDAGGREGATE(ch.id, ylab, false);
      cx.CX_ADDXYDIMENSIONWITHAXIS(ch.id, xc, yc, key("Approximation"), ylab);
      cx.CX_ADDXYELEMENTEX(ch.id, host::ElementKind::Point, 0);
      cx.CX_ADDXREFERENCELINE(ch.id, 0);
      cx.CX_ADDYREFERENCELINE(ch.id, 0);
      int rows = 0;
      for (int i = 0; i < v.n; ++i) {
        const int c = code[i] - 1;
        if (c < 0 || (w != nullptr && !(w[i] > 0))) continue;
        double x = 0, y;
        if (mult) {
          x = v.X(i, s);
          y = v.Y(j, c, s);
        } else {
          for (int t = 0; t < v.p; ++t) x += v.X(i, t) * loading(v, j, t) * undo[static_cast<std::size_t>(t)];
          y = v.q(j, c);
        }
        if (y == host::SYSMIS) continue;
        cx.CX_ADDROW(ch.id);
        cx.CX_ADDDATAVALUE(ch.id, xc, x);
        cx.CX_ADDDATAVALUE(ch.id, yc, y);
        ++rows;
      }
      ch.end(rows > 0);
    }
  }
}

// Projected centroids: the centroids of a multiple nominal variable's
// categories projected on the loading vectors of single variables,
// centroid . a_j / |a_j|: a table and a chart per projected variable.
void projected_centroids(const View& v) {
  auto& pv = H().pivot;
  const auto& r = v.s.plot.projcent;
  for (int cv : valid_vars(v, r.centroid_vars)) {
    if (!v.multiple(cv)) {
      warn1("CPR PROJCENT not MNOM ^1.", pv.BP_VARIABLE(v.var(cv)));
      continue;
    }
    std::vector<int> on;
    std::vector<double> norm;
    for (int j : valid_vars(v, r.vars)) {
      if (j == cv) continue;
      if (v.multiple(j)) {
        warn1("CPR PROJCENT on MNOM ^1.", pv.BP_VARIABLE(v.var(j)));
        continue;
      }
      double a2 = 0;
      for (int s = 0; s < v.p; ++s) a2 += loading(v, j, s) * loading(v, j, s);
      if (!(a2 > 0)) {
        warn1("CPR PROJCENT zero loadings ^1.", pv.BP_VARIABLE(v.var(j)));
        continue;
      }
      on.push_back(j);
      norm.push_back(std::sqrt(a2));
    }
    if (on.empty()) {
      warn1("CPR PROJCENT nothing to project ^1.", pv.BP_VARIABLE(v.var(cv)));
      continue;
    }
    const auto labels = category_labels(v, cv);
    std::vector<int> cats;
    for (int c = 0; c < v.in.agg[cv].K; ++c)
      if (v.Y(cv, c, 0) != host::SYSMIS && v.in.agg[cv].f[c] > 0) cats.push_back(c);
    auto proj = [&](int c, std::size_t k) {
      double d = 0;
      for (int s = 0; s < v.p; ++s) d += v.Y(cv, c, s) * loading(v, on[k], s);
      return d / norm[k];
    };

    pv.BP_BEGIN_PIVOT_TABLE(key("Projected Centroids"), kIdProjected);
    const int rows = pv.BP_CATEGORY_DIMENSION(pv.BP_VARINDEX(v.var(cv)), Axis::Row);
    const int cols = pv.BP_CATEGORY_DIMENSION(key("Centroids Projected on"), Axis::Column);
    std::vector<int> cid;
    for (int j : on) cid.push_back(pv.BP_CELL_IN_CATEGORY(cols, pv.BP_VARIABLE(v.var(j))));
    for (int c : cats) {
      const int row = pv.BP_CELL_IN_CATEGORY(rows, labels[static_cast<std::size_t>(c)]);
      for (std::size_t k = 0; k < on.size(); ++k) pv.BP_SET_VALUE(CellRef{{row, cid[k]}}, proj(c, k), kGen);
    }
    pv.BP_END_PIVOT_TABLE();

    // Each projecting variable is a vertical axis with the categories on it.
    Chart ch(composite("Projected Centroids ^1", {pv.BP_VARIABLE(v.var(cv))}), pv.BP_VARIABLE(v.var(cv)));
    auto& cx = ch.cx;
    const int lc = cx.CX_ADDAGGREGATE(ch.id, key("Label"), true);
    const int gc = cx.CX_ADDAGGREGATE(ch.id, pv.BP_VARIABLE(v.var(cv)), true);
    const int xc = cx.CX_ADDAGGREGATE(ch.id, key("Centroids Projected on"), true);
    const int yc = cx.CX_ADDAGGREGATE(ch.id, key("Projected Centroid"), false);
    cx.CX_ADDXYDIMENSIONWITHAXIS(ch.id, xc, yc, key("Centroids Projected on"), key("Projected Centroid"));
    const int el = cx.CX_ADDXYELEMENTEX(ch.id, host::ElementKind::Point, gc);
    cx.CX_ADDLABELING(ch.id, el, lc, r.label_size);
    cx.CX_ADDLEGENDFRAMEEX(ch.id, pv.BP_VARIABLE(v.var(cv)));
    cx.CX_ADDYREFERENCELINE(ch.id, 0);
    for (std::size_t k = 0; k < on.size(); ++k)
      for (int c : cats) {
        cx.CX_ADDROW(ch.id);
        cx.CX_ADDDATATEXT(ch.id, lc, labels[static_cast<std::size_t>(c)]);
        cx.CX_ADDDATATEXT(ch.id, gc, labels[static_cast<std::size_t>(c)]);
        cx.CX_ADDDATATEXT(ch.id, xc, pv.BP_VARIABLE(v.var(on[k])));
        cx.CX_ADDDATAVALUE(ch.id, yc, proj(c, k));
      }
    ch.end(!cats.empty());
  }
}

void transformation_plots(const View& v) {
  auto& pv = H().pivot;
  for (int j : plot_vars(v, v.s.plot.trans)) {
    const auto labels = category_labels(v, j);
    Chart ch(composite("Transformation ^1", {pv.BP_VARIABLE(v.var(j))}), pv.BP_VARIABLE(v.var(j)));
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
  const bool two_d = pl.object.on || pl.loading.on || pl.discrim.on || pl.category.on || pl.jointcat.on ||
                     pl.biplot.on || pl.triplot.on;
  if (two_d && v.p < 2) {
    H().msg.BP_ERROR(key("CPR No plots one dimension."), 2, 2);
  } else if (two_d) {
    const Layout l = layout(v);
    if (pl.object.on) object_plots(v, l);
    if (pl.loading.on && !v.in.mca) variable_points(v, l, true);
    if (pl.discrim.on && v.in.mca) variable_points(v, l, false);
    if (pl.category.on) category_plots(v, l, false);
    if (pl.jointcat.on) category_plots(v, l, true);
    if (pl.biplot.on) biplots(v, l);
    if (pl.triplot.on && !v.in.mca) triplot(v, l);
    if (l.splom) H().msg.BP_ERROR(key("Note on NDIM plot keyword."), 2, 2);
  }
  if (pl.resid.on) residual_plots(v);
  if (pl.projcent.on && !v.in.mca) projected_centroids(v);
  if (pl.trans.on) transformation_plots(v);
}

}  // namespace oscat::catpca::out
