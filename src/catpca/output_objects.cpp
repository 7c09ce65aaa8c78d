// Quantifications, object scores and the correlation tables.
#include <cmath>
#include <cstdint>
#include <thread>
#include <type_traits>

#include "catpca/output_view.hpp"
#include "data/summary.hpp"
#include "scaling/crosstab.hpp"
#include "scaling/linalg.hpp"

namespace oscat::catpca::out {

// ---------------------------------------------------------- contributions ---
// MULTIPLE CORRESPONDENCE is the correspondence analysis of the indicator
// matrix; its point statistics follow from that: a category c of variable j
// has mass w_j f_c / T (T the weighted count of all active cells), inertia
// w_j / M - mass, and with y* the centroid of the standardized scores, the
// contributions w_j f_c y*^2 / (lambda_s N) of the point to dimension s and
// w_j f_c y*^2 / (M inertia N) of dimension s to the point. An object has mass
// w_i / N and inertia mass ((N / M) sum_j w_j / f_(c_ij) - 1); its
// contributions are mass x*^2 and mass x*^2 (lambda_s / M) / inertia.
namespace {

struct Contrib {
  double T = 0;                // weighted count of the active cells
  std::vector<double> std;     // p: factor from shown to standardized coordinates
  bool weighted = false;       // object or variable weights in force
};

Contrib contrib_setup(const View& v) {
  Contrib c;
  for (int j = 0; j < v.m; ++j) {
    if (!v.active(j)) continue;
    const CategoryAggregates& a = v.in.agg[j];
    for (int k = 0; k < a.active(); ++k) c.T += a.w * a.f[k];
  }
  c.std.assign(static_cast<std::size_t>(v.p), 1.0);
  for (int s = 0; s < v.p; ++s) {
    const double l = v.in.lambda[s];
    // The normalization scaled dimension s of the scores by lambda^(e_obj/2).
    if (l > 0 && v.in.e_obj != 0) c.std[static_cast<std::size_t>(s)] = 1.0 / std::pow(l, v.in.e_obj / 2);
  }
  c.weighted = v.weighted || v.any_weight();
  return c;
}

struct ContribCols {
  int mass = -1, inertia = -1, point = -1, dim = -1, total = -1;
};

// Mass, Inertia, "Of Point to Inertia of Dimension" 1..p, "Of Dimension to
// Inertia of Point" 1..p and Total, in the open group of `cols`.
ContribCols contrib_columns(int cols, int p) {
  auto& pv = H().pivot;
  ContribCols c;
  c.mass = pv.BP_CELL_IN_CATEGORY(cols, key("Mass"));
  c.inertia = pv.BP_CELL_IN_CATEGORY(cols, key("Inertia"));
  pv.BP_BEGIN_GROUP(cols, key("Contribution"));
  pv.BP_BEGIN_GROUP(cols, key("Of Point to Inertia of Dimension"));
  c.point = dimension_cells(cols, p);
  pv.BP_END_GROUP(cols);
  pv.BP_BEGIN_GROUP(cols, key("Of Dimension to Inertia of Point"));
  c.dim = dimension_cells(cols, p);
  c.total = pv.BP_CELL_IN_CATEGORY(cols, key("Total"));
  pv.BP_END_GROUP(cols);
  pv.BP_END_GROUP(cols);
  return c;
}

const host::Format kContr = host::BP_FIXED_FORMAT(3);

// One point: mass, inertia and the squared standardized coordinates times
// the point's weight share (wf2[s] = share * y*^2) give its row.
void contrib_row(const View& v, const ContribCols& c, int row, double mass, double inertia,
                 const double* wf2) {
  auto& pv = H().pivot;
  pv.BP_SET_VALUE(CellRef{{row, c.mass}}, mass, kContr);
  pv.BP_SET_VALUE(CellRef{{row, c.inertia}}, inertia, kContr);
  double total = 0;
  for (int s = 0; s < v.p; ++s) {
    const double l = v.in.lambda[s];
    const double pt = l > 1e-8 ? wf2[s] / l : 0.0;
    const double dm = inertia > 0 ? wf2[s] / (v.M * inertia) : host::SYSMIS;
    pv.BP_SET_VALUE(CellRef{{row, c.point + s}}, pt, kContr);
    pv.BP_SET_VALUE(CellRef{{row, c.dim + s}}, dm, kContr);
    if (dm != host::SYSMIS) total += dm;
  }
  pv.BP_SET_VALUE(CellRef{{row, c.total}}, inertia > 0 ? total : host::SYSMIS, kContr);
}

// The "Active Total" row: summed masses and inertias, and the summed
// contributions to each dimension (tot[s] = summed share * y*^2).
void active_total_row(const View& v, const ContribCols& cc, int rows, double mass, double inertia,
                      const double* tot) {
  auto& pv = H().pivot;
  const int row = pv.BP_CELL_IN_CATEGORY(rows, key("Active Total"));
  pv.BP_SET_VALUE(CellRef{{row, cc.mass}}, mass, kContr);
  pv.BP_SET_VALUE(CellRef{{row, cc.inertia}}, inertia, kContr);
  for (int s = 0; s < v.p; ++s) {
    const double l = v.in.lambda[s];
    pv.BP_SET_VALUE(CellRef{{row, cc.point + s}}, l > 1e-8 ? tot[s] / l : 0.0, kContr);
  }
}

}  // namespace

// --------------------------------------------------------- quantifications ---
static void quantification_table(const View& v, int j) {
  auto& h = H();
  auto& pv = h.pivot;
  const int var = v.var(j);
  const auto labels = category_labels(v, j);
  const CategoryAggregates& a = v.in.agg[j];
  pv.BP_BEGIN_PIVOT_TABLE(key("Quantifications"), kIdQuant);
  const int rows = pv.BP_CATEGORY_DIMENSION(pv.BP_VARIABLE(var), Axis::Row);
  const int cols = pv.BP_CELL_DIMENSION(key("Statistics"), Axis::Column);
  const int cF = pv.BP_CELL_IN_CATEGORY(cols, key(v.weighted ? "Weighted Frequency" : "Frequency"));
  int cQ = -1, cY = -1, cV = -1;
  // Contributions of the categories of active variables (MULTIPLE
  // CORRESPONDENCE with PRINT QUANT): supplementary variables have no share
  // in the inertia.
  const bool contr = v.in.mca && v.active(j);
  ContribCols cc;
  Contrib ct;
  if (v.in.mca) {
    pv.BP_BEGIN_GROUP(cols, key("Points"));
    pv.BP_BEGIN_GROUP(cols, key("Coordinates"));
    cY = dimension_cells(cols, v.p);
    pv.BP_END_GROUP(cols);
    if (contr) {
      ct = contrib_setup(v);
      pv.BP_BEGIN_GROUP(cols, key("Contributions"));
      cc = contrib_columns(cols, v.p);
      pv.BP_END_GROUP(cols);
      if (ct.weighted) pv.BP_ANNOTATE(key("MCOR QuantContr total weighted."));
    }
    pv.BP_END_GROUP(cols);
  } else {
    if (!v.multiple(j)) cQ = pv.BP_CELL_IN_CATEGORY(cols, key("Quantification"));
    pv.BP_BEGIN_GROUP(cols, key("CPR Centroid Coord."));
    pv.BP_BEGIN_GROUP(cols, key("Dimension"));
    cY = dimension_cells(cols, v.p);
    pv.BP_END_GROUP(cols);
    pv.BP_END_GROUP(cols);
    if (!v.multiple(j)) {
      pv.BP_BEGIN_GROUP(cols, key("CPR Line Coord."));
      pv.BP_BEGIN_GROUP(cols, key("Dimension"));
      cV = dimension_cells(cols, v.p);
      pv.BP_END_GROUP(cols);
      pv.BP_END_GROUP(cols);
    }
    pv.BP_ANNOTATE(data::ZYL_AnnOSLevel(v.s.vars.levels[static_cast<std::size_t>(j)]));
  }
  if (a.w != 1) pv.BP_ANNOTATE(composite("Weight is ^1.", {h.msg.BP_LRVALUE(a.w)}));
  if (!v.active(j) && !v.fixed()) pv.BP_ANNOTATE(key("Supplementary variable."));
  const host::Format ff = v.weighted ? host::BP_GENSTAT_FORMAT() : host::BP_N_FORMAT();
  std::vector<double> tot(static_cast<std::size_t>(v.p), 0.0);
  double tot_mass = 0, tot_inertia = 0;
  for (int c = 0; c < a.K; ++c) {
    const int row = pv.BP_CELL_IN_CATEGORY(rows, labels[static_cast<std::size_t>(c)]);
    pv.BP_SET_VALUE(CellRef{{row, cF}}, a.f[c], ff);
    const bool only_suppl = a.f[c] == 0 && v.in.suppl_only != nullptr && v.in.suppl_only[j] &&
                            (v.multiple(j) ? v.Y(j, c, 0) == host::SYSMIS : v.q(j, c) == host::SYSMIS);
    if (only_suppl) pv.BP_ANNOTATE_CATEGORY(rows, row, key("Category used by supplementary objects only."));
    if (cQ >= 0) pv.BP_SET_VALUE(CellRef{{row, cQ}}, v.q(j, c), kGen);
    for (int s = 0; s < v.p; ++s) {
      pv.BP_SET_VALUE(CellRef{{row, cY + s}}, v.Y(j, c, s), kGen);
      if (cV >= 0) {
        const double qc = v.q(j, c);
        pv.BP_SET_VALUE(CellRef{{row, cV + s}}, qc == host::SYSMIS ? host::SYSMIS : qc * v.A(j, s), kGen);
      }
    }
    if (contr && c < a.active()) {
      const double mass = ct.T > 0 ? a.w * a.f[c] / ct.T : 0.0;
      const double inertia = a.f[c] > 0 ? a.w / v.M - mass : 0.0;
      std::vector<double> wf2(static_cast<std::size_t>(v.p));
      for (int s = 0; s < v.p; ++s) {
        const double y = v.Y(j, c, s);
        const double ys = y == host::SYSMIS ? 0.0 : y * ct.std[static_cast<std::size_t>(s)];
        wf2[static_cast<std::size_t>(s)] = v.in.N > 0 ? a.w * a.f[c] * ys * ys / v.in.N : 0.0;
      }
      contrib_row(v, cc, row, mass, inertia, wf2.data());
      for (int s = 0; s < v.p; ++s) tot[static_cast<std::size_t>(s)] += wf2[static_cast<std::size_t>(s)];
      tot_mass += mass;
      if (a.f[c] > 0) tot_inertia += inertia;
    }
  }
  const double* miss = v.ctx.book.miss + 3 * j;
  if (miss[0] + miss[1] + miss[2] > 0 && !v.ctx.book.extra[j]) {
    const int row = pv.BP_CELL_IN_CATEGORY(rows, key("Missing"));
    pv.BP_SET_VALUE(CellRef{{row, cF}}, miss[0] + miss[1] + miss[2], ff);
  }
  if (contr) {
    // The variable's share: its categories' masses and inertias, and its
    // contribution to each dimension (its discrimination measure over lambda).
    active_total_row(v, cc, rows, tot_mass, tot_inertia, tot.data());
  }
  pv.BP_END_PIVOT_TABLE();
}

void quantification_tables(const View& v) {
  std::vector<int> list = v.s.print.quant_vars;
  if (list.empty())
    for (int j = 0; j < v.m; ++j) list.push_back(j);
  auto& pv = H().pivot;
  pv.BP_BEGIN_HEADING(key("Quantifications"));
  for (int j : list)
    if (j >= 0 && j < v.m) quantification_table(v, j);
  pv.BP_END_HEADING();
}
// ---------------------------------------------------------- object scores ---
Msg object_label(const View& v, int i, int lab, const std::vector<Msg>& labels) {
  if (lab < 0) return num(v.ctx.cases[i]);
  const double code = v.ctx.coded[i + static_cast<long>(lab) * v.n];
  const auto& book = v.ctx.book;
  const double* vals = book.values + static_cast<long>(lab) * book.cap;
  const double* it = std::lower_bound(vals, vals + book.count[lab], code);
  if (it == vals + book.count[lab] || *it != code) return lit(".");
  return labels[static_cast<std::size_t>(it - vals)];
}

static double object_weight(const View& v, int i) { return v.in.objw != nullptr ? v.in.objw[i] : v.ctx.w[i]; }

// Excluded: left out by the configuration file, or without a category on
// any active variable (no data to place it: it has no score).
ObjState object_state(const View& v, int i) {
  if (v.in.conf_excluded != nullptr && v.in.conf_excluded[i]) return ObjState::Excluded;
  if (object_weight(v, i) > 0) return ObjState::Active;
  for (int j = 0; j < v.m; ++j)
    if (v.active(j) && v.in.codes[i + static_cast<long>(j) * v.n] > 0) return ObjState::Supplementary;
  return ObjState::Excluded;
}

// Row of object i with its footnotes; the case number labels it unless a
// variable does.
static int object_row(const View& v, int rows, int i, int lab, const std::vector<Msg>& labels) {
  auto& pv = H().pivot;
  const int row = pv.BP_CELL_IN_CATEGORY(rows, object_label(v, i, lab, labels));
  switch (object_state(v, i)) {
    case ObjState::Excluded:
      pv.BP_ANNOTATE_CATEGORY(rows, row, key(lab < 0 ? "Excluded case (case number)." : "Excluded case."));
      break;
    case ObjState::Supplementary: {
      pv.BP_ANNOTATE_CATEGORY(rows, row, key("Supplementary object."));
      bool gap = false;
      for (int j = 0; j < v.m && !gap; ++j)
        gap = v.active(j) && v.in.codes[i + static_cast<long>(j) * v.n] <= 0;
      if (gap) pv.BP_ANNOTATE_CATEGORY(rows, row, key("CPR Suppl. object sysmis."));
      break;
    }
    case ObjState::Active:
      break;
  }
  return row;
}

void object_table(const View& v, const double* X) {
  auto& pv = H().pivot;
  const int lab = v.s.print.object_label_var;
  std::vector<Msg> labels;
  if (lab >= 0 && lab < v.s.vars.m) labels = category_labels(v, lab);
  pv.BP_BEGIN_PIVOT_TABLE(key("Object Scores"), kIdObjects);
  const int rows = pv.BP_CATEGORY_DIMENSION(lab >= 0 ? pv.BP_VARIABLE(v.var(lab)) : key("Case Number"), Axis::Row);
  const int cols = pv.BP_CELL_DIMENSION(key("Dimension"), Axis::Column);
  int cw = -1;
  if (v.weighted) cw = pv.BP_CELL_IN_CATEGORY(cols, key("Object Weight"));
  const int c0 = dimension_cells(cols, v.p);
  for (int i = 0; i < v.n; ++i) {
    const int row = object_row(v, rows, i, lab, labels);
    const bool excluded = object_state(v, i) == ObjState::Excluded;
    // The weight in the analysis: 0 for supplementary and excluded objects.
    if (cw >= 0) pv.BP_SET_VALUE(CellRef{{row, cw}}, object_weight(v, i), host::BP_GENSTAT_FORMAT());
    for (int s = 0; s < v.p; ++s)
      pv.BP_SET_VALUE(CellRef{{row, c0 + s}}, excluded ? host::SYSMIS : X[i + static_cast<long>(s) * v.n], kGen);
  }
  pv.BP_END_PIVOT_TABLE();
}

void object_contributions_table(const View& v, const double* X) {
  auto& pv = H().pivot;
  const int lab = v.s.print.object_label_var;
  std::vector<Msg> labels;
  if (lab >= 0 && lab < v.s.vars.m) labels = category_labels(v, lab);
  const Contrib ct = contrib_setup(v);
  pv.BP_BEGIN_PIVOT_TABLE(key("Object Contributions"), kIdObjects);
  const int rows = pv.BP_CATEGORY_DIMENSION(lab >= 0 ? pv.BP_VARIABLE(v.var(lab)) : key("Case Number"), Axis::Row);
  const int cols = pv.BP_CELL_DIMENSION(key("Statistics"), Axis::Column);
  pv.BP_HIDE_DIMENSION_LABEL(cols);
  const ContribCols cc = contrib_columns(cols, v.p);
  if (ct.weighted) pv.BP_ANNOTATE(key("MCOR ObjContr total weighted."));
  const double N = v.in.N;
  std::vector<double> wf2(static_cast<std::size_t>(v.p)), tot(static_cast<std::size_t>(v.p), 0.0);
  double tot_mass = 0, tot_inertia = 0;
  for (int i = 0; i < v.n; ++i) {
    const int row = object_row(v, rows, i, lab, labels);
    const double wi = object_weight(v, i);
    // Supplementary and excluded objects carry no mass: their cells stay empty.
    if (object_state(v, i) != ObjState::Active || !(N > 0)) continue;
    const double mass = wi / N;
    double inv = 0;
    for (int j = 0; j < v.m; ++j) {
      if (!v.active(j)) continue;
      const int c = v.in.codes[i + static_cast<long>(j) * v.n];
      const CategoryAggregates& a = v.in.agg[j];
      if (c > 0 && c <= a.K && a.f[c - 1] > 0) inv += a.w / a.f[c - 1];
    }
    const double inertia = mass * (N / v.M * inv - 1.0);
    for (int s = 0; s < v.p; ++s) {
      const double xs = X[i + static_cast<long>(s) * v.n] * ct.std[static_cast<std::size_t>(s)];
      wf2[static_cast<std::size_t>(s)] = mass * xs * xs * v.in.lambda[s];
      tot[static_cast<std::size_t>(s)] += wf2[static_cast<std::size_t>(s)];
    }
    contrib_row(v, cc, row, mass, inertia, wf2.data());
    tot_mass += mass;
    tot_inertia += inertia;
  }
  active_total_row(v, cc, rows, tot_mass, tot_inertia, tot.data());
  pv.BP_END_PIVOT_TABLE();
}
// ------------------------------------------------------------ correlations ---
// Stand-ins for passive missing values (treatments 1 to 3), which take no
// part in the fit but do in the correlation tables. Original table: the mode
// (treatments 1 and 2) or the category drawn for the object (3). Transformed
// table: the quantification of a category made of the objects with a missing
// value, found like the others from their object scores (1), of the modal
// category (2) or of the drawn category (3).
struct Passive {
  int code = 0;                 // 0: not passive
  bool used = false;            // an active object has a missing value
  int mode_cat = -1;            // 0-based category of the mode
  std::vector<double> missing;  // per layer: quantification of the missing category
};

static int category_at(const View& v, int j, double value) {
  const double* x = v.in.agg[j].x;
  const double* e = x + v.in.agg[j].K;
  const double* it = std::lower_bound(x, e, value);
  return it != e && *it == value ? static_cast<int>(it - x) : -1;
}

// Quantification of the category formed by the objects in `members`: their
// weighted mean object scores, carried to the quantification scale by the
// least-squares map from the centroids of the variable's categories to their
// quantifications (exact for nominal variables, where quantifications are
// projected centroids).
static double missing_single(const View& v, int j, const std::vector<double>& ybar) {
  const int p = v.p;
  std::vector<double> a(static_cast<std::size_t>(p) * p, 0.0), b(static_cast<std::size_t>(p), 0.0);
  std::vector<int> piv(static_cast<std::size_t>(p));
  const auto& g = v.in.agg[j];
  for (int c = 0; c < g.K; ++c) {
    if (!(g.f[c] > 0) || v.q(j, c) == host::SYSMIS || v.Y(j, c, 0) == host::SYSMIS) continue;
    for (int s = 0; s < p; ++s) {
      b[static_cast<std::size_t>(s)] += g.f[c] * v.Y(j, c, s) * v.q(j, c);
      for (int t = 0; t < p; ++t) a[s + static_cast<std::size_t>(t) * p] += g.f[c] * v.Y(j, c, s) * v.Y(j, c, t);
    }
  }
  if (scaling::LuDecomp(p, a.data(), p, piv.data()) != 0) return 0.0;
  scaling::LuSolve(p, a.data(), p, piv.data(), b.data());
  double q = 0;
  for (int s = 0; s < p; ++s) q += ybar[static_cast<std::size_t>(s)] * b[static_cast<std::size_t>(s)];
  return q;
}

static std::vector<Passive> passive_stand_ins(const View& v, bool transformed, int layers) {
  std::vector<Passive> out(static_cast<std::size_t>(v.m));
  for (int j = 0; j < v.m; ++j) {
    Passive& ps = out[static_cast<std::size_t>(j)];
    const int code = v.ctx.missing_code != nullptr ? v.ctx.missing_code[j] : 0;
    if (code < sx::MISS_PASSIVE_EXTRACAT || code > sx::MISS_PASSIVE_RANDOM) continue;
    ps.code = code;
    std::vector<double> ybar(static_cast<std::size_t>(v.p), 0.0);
    double sw = 0;
    for (int i = 0; i < v.n; ++i) {
      const double w = object_weight(v, i);
      if (w == 0 || v.in.codes[i + static_cast<long>(j) * v.n] > 0) continue;
      ps.used = true;
      sw += w;
      for (int s = 0; s < v.p; ++s) ybar[static_cast<std::size_t>(s)] += w * v.X(i, s);
    }
    if (v.ctx.book.mode != nullptr) ps.mode_cat = category_at(v, j, v.ctx.book.mode[j]);
    if (!transformed || code != sx::MISS_PASSIVE_EXTRACAT || !(sw > 0)) continue;
    for (auto& y : ybar) y /= sw;
    for (int l = 0; l < layers; ++l)
      ps.missing.push_back(v.multiple(j) ? ybar[static_cast<std::size_t>(std::min(l, v.p - 1))]
                                         : missing_single(v, j, ybar));
  }
  return out;
}

// The correlation tables need each object's value on each variable, which
// is a function of a small state: its category, the variable's stand-in for
// a passive missing value, or a drawn value that is no longer a category.
// The states are kept in the narrowest unsigned type; the pairs' weighted
// cross tables then give every layer's correlations without the n x m
// values of any layer.
struct CorrStates {
  std::vector<int> count;                  // m: states per variable
  std::vector<std::vector<double>> drawn;  // m: values of the drawn states past K + 1
  std::vector<std::uint8_t> s8;            // n x m, one of the three in use
  std::vector<std::uint16_t> s16;
  std::vector<std::uint32_t> s32;
  const double* w = nullptr;               // object weights; null when every one is 0 or 1
};

template <class T>
static void fill_states(const View& v, const std::vector<Passive>& pas, CorrStates& cs, std::vector<T>& out) {
  const int n = v.n;
  out.assign(static_cast<std::size_t>(n) * v.m, scaling::kNoState<T>);
  for (int j = 0; j < v.m; ++j) {
    const Passive& ps = pas[static_cast<std::size_t>(j)];
    const auto& drawn = cs.drawn[static_cast<std::size_t>(j)];
    const int K = v.in.agg[j].K;
    const int* code = v.in.codes + static_cast<long>(j) * n;
    T* s = out.data() + static_cast<std::size_t>(j) * n;
    for (int i = 0; i < n; ++i) {
      if (object_weight(v, i) == 0) continue;
      const int c = code[i];
      if (c > 0) {
        s[i] = static_cast<T>(c - 1);
      } else if (ps.code == sx::MISS_PASSIVE_RANDOM) {
        const double d = v.ctx.draw != nullptr ? v.ctx.draw[i + static_cast<long>(j) * n] : 0.0;
        if (!(d > 0)) continue;
        const int k = category_at(v, j, d);
        s[i] = static_cast<T>(k >= 0 ? k
                                     : K + 1 + (std::lower_bound(drawn.begin(), drawn.end(), d) - drawn.begin()));
      } else if (ps.code != 0) {
        s[i] = static_cast<T>(K);
      }
    }
  }
}

static CorrStates corr_states(const View& v, const std::vector<Passive>& pas) {
  CorrStates cs;
  const int n = v.n, m = v.m;
  cs.count.resize(static_cast<std::size_t>(m));
  cs.drawn.resize(static_cast<std::size_t>(m));
  long most = 0;
  for (int j = 0; j < m; ++j) {
    auto& drawn = cs.drawn[static_cast<std::size_t>(j)];
    if (pas[static_cast<std::size_t>(j)].code == sx::MISS_PASSIVE_RANDOM && v.ctx.draw != nullptr) {
      for (int i = 0; i < n; ++i) {
        const double d = v.ctx.draw[i + static_cast<long>(j) * n];
        if (v.in.codes[i + static_cast<long>(j) * n] <= 0 && object_weight(v, i) != 0 && d > 0 &&
            category_at(v, j, d) < 0)
          drawn.push_back(d);
      }
      std::sort(drawn.begin(), drawn.end());
      drawn.erase(std::unique(drawn.begin(), drawn.end()), drawn.end());
    }
    cs.count[static_cast<std::size_t>(j)] = v.in.agg[j].K + 1 + static_cast<int>(drawn.size());
    most = std::max<long>(most, cs.count[static_cast<std::size_t>(j)]);
  }
  bool unit = true;
  for (int i = 0; i < n && unit; ++i) unit = object_weight(v, i) == 0 || object_weight(v, i) == 1;
  cs.w = unit ? nullptr : (v.in.objw != nullptr ? v.in.objw : v.ctx.w);
  if (most < 0xFF) fill_states(v, pas, cs, cs.s8);
  else if (most < 0xFFFF) fill_states(v, pas, cs, cs.s16);
  else fill_states(v, pas, cs, cs.s32);
  return cs;
}

// Value of each state of variable j: the category value (original) or its
// quantification (transformed; multiple nominal in dimension `layer`), then
// the passive stand-in, then the drawn values. SYSMIS: no value.
static std::vector<double> state_values(const View& v, const std::vector<Passive>& pas, const CorrStates& cs, int j,
                                        bool transformed, int layer) {
  const auto& g = v.in.agg[j];
  const Passive& ps = pas[static_cast<std::size_t>(j)];
  std::vector<double> val(static_cast<std::size_t>(cs.count[static_cast<std::size_t>(j)]), host::SYSMIS);
  auto category = [&](int c) { return !transformed ? g.x[c] : v.multiple(j) ? v.Y(j, c, layer) : v.q(j, c); };
  for (int c = 0; c < g.K; ++c) val[static_cast<std::size_t>(c)] = category(c);
  double& stand_in = val[static_cast<std::size_t>(g.K)];
  if (!transformed) {
    if (v.ctx.book.mode != nullptr) stand_in = v.ctx.book.mode[j];
    const auto& drawn = cs.drawn[static_cast<std::size_t>(j)];
    std::copy(drawn.begin(), drawn.end(), val.begin() + g.K + 1);
  } else if (ps.code == sx::MISS_PASSIVE_EXTRACAT) {
    if (!ps.missing.empty()) stand_in = ps.missing[static_cast<std::size_t>(layer)];
  } else if (ps.mode_cat >= 0) {
    stand_in = category(ps.mode_cat);
  }
  return val;
}

template <class T>
static void pair_correlations(const View& v, const CorrStates& cs, const std::vector<T>& st,
                              const std::vector<std::vector<double>>& val, const std::vector<double>& mean,
                              int layers, std::vector<double>& R) {
  const int n = v.n, m = v.m;
  const auto mm = static_cast<std::size_t>(m) * m;
  auto column = [&](int j) { return st.data() + static_cast<std::size_t>(j) * n; };
  auto at = [&](int l, int j) -> const double* { return val[static_cast<std::size_t>(l) * m + j].data(); };
  // Unweighted byte states: each column closed (no state -> the state count)
  // and, for the first variable of a pair, its row offset in a table of
  // fixed stride, so that counting a pair is one look-up per object.
  int stride = 0;
  for (int c : cs.count) stride = std::max(stride, c + 1);
  const bool counted = std::is_same_v<T, std::uint8_t> && cs.w == nullptr &&
                       static_cast<long>(stride) * stride <= 0xFFFF;
  std::vector<std::uint8_t> closed;
  if constexpr (std::is_same_v<T, std::uint8_t>) {
    if (counted) {
      closed.resize(st.size());
      for (int j = 0; j < m; ++j) {
        const auto k = static_cast<std::uint8_t>(cs.count[static_cast<std::size_t>(j)]);
        const T* s = column(j);
        std::uint8_t* c = closed.data() + static_cast<std::size_t>(j) * n;
        for (int i = 0; i < n; ++i) c[i] = s[i] < k ? s[i] : k;
      }
    }
  }
  // The pairs of rows j0 .. j1 - 1, with their own buffers; every pair writes
  // only its own two cells, so two halves can run side by side.
  // Buffers are sized here, so that nothing is allocated on the second thread.
  struct Buffers {
    std::vector<double> tab;
    std::vector<std::uint32_t> counts;
    std::vector<std::uint16_t> base;
  };
  std::size_t tab_cells = 0, count_cells = 0;
  for (int j = 0; j < m; ++j)
    for (int k = j + 1; k < m; ++k) {
      const auto kj = static_cast<std::size_t>(cs.count[static_cast<std::size_t>(j)]);
      const auto kk = static_cast<std::size_t>(cs.count[static_cast<std::size_t>(k)]);
      if (!counted && kj * kk > std::max<std::size_t>(static_cast<std::size_t>(n), 1024)) continue;
      tab_cells = std::max(tab_cells, kj * kk);
      count_cells = std::max(count_cells, (kj + 1) * (counted ? static_cast<std::size_t>(stride) : kk + 1));
    }
  Buffers buffers[2];
  for (Buffers& b : buffers) {
    b.tab.resize(tab_cells);
    b.counts.resize(count_cells);
    b.base.resize(counted ? static_cast<std::size_t>(n) : 0);
  }
  auto rows = [&](int j0, int j1, Buffers& buf) {
    double* tab = buf.tab.data();
    std::uint32_t* counts = buf.counts.data();
    std::uint16_t* base = buf.base.data();
    for (int j = j0; j < j1; ++j) {
      for (int l = 0; l < layers; ++l) R[l * mm + j + static_cast<std::size_t>(j) * m] = 1.0;
      const int kj = cs.count[static_cast<std::size_t>(j)];
      if (counted) {
        const std::uint8_t* c = closed.data() + static_cast<std::size_t>(j) * n;
        for (int i = 0; i < n; ++i) base[i] = static_cast<std::uint16_t>(c[i] * stride);
      }
      for (int k = j + 1; k < m; ++k) {
        const int kk = cs.count[static_cast<std::size_t>(k)];
        const auto cells = static_cast<std::size_t>(kj) * static_cast<std::size_t>(kk);
        // A table larger than the data costs more than summing object by object.
        const bool by_table = counted || cells <= std::max<std::size_t>(static_cast<std::size_t>(n), 1024);
        if (counted) {
          scaling::CountPairs(base, closed.data() + static_cast<std::size_t>(k) * n, n, counts,
                              static_cast<std::size_t>(kj + 1) * stride);
          for (int a = 0; a < kj; ++a)
            for (int b = 0; b < kk; ++b)
              tab[static_cast<std::size_t>(a) * kk + b] = counts[static_cast<std::size_t>(a) * stride + b];
        } else if (by_table) {
          scaling::CrossTab(column(j), kj, column(k), kk, n, cs.w, tab, counts);
        }
        for (int l = 0; l < layers; ++l) {
          const double mj = mean[static_cast<std::size_t>(l) * m + j], mk = mean[static_cast<std::size_t>(l) * m + k];
          const double r = by_table ? scaling::CrossTabCorrelation(tab, kj, kk, at(l, j), at(l, k), mj, mk,
                                                                   host::SYSMIS, 2.23e-16)
                                    : scaling::DirectCorrelation(column(j), column(k), n, cs.w, at(l, j), at(l, k),
                                                                 mj, mk, host::SYSMIS, 2.23e-16);
          R[l * mm + j + static_cast<std::size_t>(k) * m] = R[l * mm + k + static_cast<std::size_t>(j) * m] = r;
        }
      }
    }
  };
  // Split where half the pairs lie before; a second thread only when the
  // work is worth starting one.
  const long pairs = static_cast<long>(m) * (m - 1) / 2;
  int split = 0;
  for (long before = 0; split < m && 2 * before < pairs; ++split) before += m - 1 - split;
  if (static_cast<double>(pairs) * n >= 4e6 && std::thread::hardware_concurrency() >= 2 && split > 0 && split < m) {
    std::thread first(rows, 0, split, std::ref(buffers[0]));
    rows(split, m, buffers[1]);
    first.join();
  } else {
    rows(0, m, buffers[0]);
  }
}

// The m x m correlation matrix of every layer (layer l at l * m * m).
static std::vector<double> correlation_matrices(const View& v, const std::vector<Passive>& pas, bool transformed,
                                                int layers) {
  const int m = v.m;
  const CorrStates cs = corr_states(v, pas);
  std::vector<std::vector<double>> val(static_cast<std::size_t>(layers) * m);
  std::vector<double> mean(static_cast<std::size_t>(layers) * m), freq;
  for (int j = 0; j < m; ++j) {
    const int k = cs.count[static_cast<std::size_t>(j)];
    freq.resize(static_cast<std::size_t>(k));
    const std::size_t off = static_cast<std::size_t>(j) * v.n;
    if (!cs.s8.empty()) scaling::StateFrequencies(cs.s8.data() + off, k, v.n, cs.w, freq.data());
    else if (!cs.s16.empty()) scaling::StateFrequencies(cs.s16.data() + off, k, v.n, cs.w, freq.data());
    else scaling::StateFrequencies(cs.s32.data() + off, k, v.n, cs.w, freq.data());
    for (int l = 0; l < layers; ++l) {
      auto& vl = val[static_cast<std::size_t>(l) * m + j];
      vl = state_values(v, pas, cs, j, transformed, l);
      mean[static_cast<std::size_t>(l) * m + j] = scaling::StateMean(freq.data(), vl.data(), k, host::SYSMIS);
    }
  }
  std::vector<double> R(static_cast<std::size_t>(layers) * m * m, 0.0);
  if (!cs.s8.empty()) pair_correlations(v, cs, cs.s8, val, mean, layers, R);
  else if (!cs.s16.empty()) pair_correlations(v, cs, cs.s16, val, mean, layers, R);
  else pair_correlations(v, cs, cs.s32, val, mean, layers, R);
  return R;
}

void correlation_table(const View& v, bool transformed) {
  auto& h = H();
  auto& pv = h.pivot;
  const int m = v.m;
  bool any_mult = false;
  for (int j = 0; j < m; ++j) any_mult = any_mult || (v.multiple(j) && (v.active(j) || v.fixed()));
  const int layers = transformed && any_mult && v.p > 1 ? v.p : 1;
  pv.BP_BEGIN_PIVOT_TABLE(key(transformed ? "CPR Transformed Correlations" : "CPR Original Correlations"),
                          transformed ? 8 : 13);
  const int rows = pv.BP_POSITION_DIMENSION(key("Variables"), Axis::Row);
  const int cols = pv.BP_CELL_DIMENSION(key("Variables2"), Axis::Column);
  const int lay = layers > 1 ? pv.BP_CATEGORY_DIMENSION(key("Dimension"), Axis::Layer) : -1;
  std::vector<int> rid(static_cast<std::size_t>(m)), cid(static_cast<std::size_t>(m));
  for (int j = 0; j < m; ++j) {
    rid[static_cast<std::size_t>(j)] = pv.BP_CELL_IN_CATEGORY(rows, pv.BP_VARINDEX(v.var(j)));
    if (!v.active(j) || v.fixed()) pv.BP_ANNOTATE_CATEGORY(rows, rid[static_cast<std::size_t>(j)], key("Supplementary variable."));
  }
  for (int j = 0; j < m; ++j) cid[static_cast<std::size_t>(j)] = pv.BP_CELL_IN_CATEGORY(cols, pv.BP_VARINDEX(v.var(j)));
  const int ceig = pv.BP_CELL_IN_CATEGORY(cols, key("Eigenvalue"));
  // Rows of the eigenvalue block follow the matrix rows.
  std::vector<int> erow;
  bool any_w = false;
  int kept = 0;
  for (int j = 0; j < m; ++j) {
    any_w = any_w || v.weight(j) > 1;
    if (v.active(j) || v.fixed()) ++kept;
  }
  pv.BP_BEGIN_GROUP(rows, key("Dimension"));
  for (int k = 0; k < kept; ++k) erow.push_back(pv.BP_CELL_IN_CATEGORY(rows, num(k + 1)));
  pv.BP_END_GROUP(rows);
  const bool removed = kept < m;
  if (any_w && !removed) pv.BP_ANNOTATE_CATEGORY(cols, ceig, key("CPR Weighted."));
  else if (removed && !any_w) pv.BP_ANNOTATE_CATEGORY(cols, ceig, key("CPR Excl suppl variable."));
  else if (removed && any_w) pv.BP_ANNOTATE_CATEGORY(cols, ceig, key("CPR Weighted and Excl suppl variable."));
  const std::vector<Passive> pas = passive_stand_ins(v, transformed, layers);
  bool imputed = false, drawn = false;
  for (int j = 0; j < m; ++j) {
    const Passive& ps = pas[static_cast<std::size_t>(j)];
    if (!ps.used) continue;
    (ps.code == sx::MISS_PASSIVE_RANDOM ? drawn : imputed) = true;
    if (transformed)
      pv.BP_ANNOTATE_CATEGORY(rows, rid[static_cast<std::size_t>(j)],
                              key(ps.code == sx::MISS_PASSIVE_EXTRACAT ? "CPR EXTR Passive imputed."
                                  : ps.code == sx::MISS_PASSIVE_MODE   ? "CPR MODE Passive imputed."
                                                                       : "CPR RAND Passive imputed."));
  }
  if (!transformed && imputed) pv.BP_ANNOTATE(key("CPR Missing values in OCorr."));
  if (!transformed && drawn) pv.BP_ANNOTATE(key("CPR Miss val in OCorr RAND."));
  const std::vector<double> Rall = correlation_matrices(v, pas, transformed, layers);
  std::vector<double> E, d, e;
  for (int l = 0; l < layers; ++l) {
    const double* R = Rall.data() + static_cast<std::size_t>(l) * m * m;
    const int lid = lay >= 0 ? pv.BP_CELL_IN_CATEGORY(lay, num(l + 1)) : -1;
    auto cell = [&](int r, int c) {
      CellRef ref{{r, c}};
      if (lid >= 0) ref.categories.push_back(lid);
      return ref;
    };
    for (int j = 0; j < m; ++j) {
      if (transformed && v.multiple(j) && !v.in.mca)
        pv.BP_ANNOTATE_CATEGORY(rows, rid[static_cast<std::size_t>(j)], composite("CPR Quant applicable dimension.", {num(l + 1)}));
      for (int k = 0; k < m; ++k)
        pv.BP_SET_VALUE(cell(rid[static_cast<std::size_t>(j)], cid[static_cast<std::size_t>(k)]),
                        R[j + static_cast<std::size_t>(k) * m], host::BP_CORRELATION_FORMAT());
    }
    // Eigenvalues of the active (weighted) matrix.
    std::vector<int> idx;
    for (int j = 0; j < m; ++j)
      if (v.active(j) || v.fixed()) idx.push_back(j);
    const int mk = static_cast<int>(idx.size());
    E.assign(static_cast<std::size_t>(mk) * mk, 0.0);
    d.assign(static_cast<std::size_t>(mk), 0.0);
    e.assign(static_cast<std::size_t>(mk), 0.0);
    for (int a = 0; a < mk; ++a)
      for (int b = 0; b < mk; ++b) {
        const int j = idx[static_cast<std::size_t>(a)], k = idx[static_cast<std::size_t>(b)];
        double r = R[j + static_cast<std::size_t>(k) * m];
        if (any_w) r = j == k ? v.weight(j) : r * std::sqrt(v.weight(j) * v.weight(k));
        E[a + static_cast<std::size_t>(b) * mk] = r;
      }
    if (mk > 0 && scaling::SymEigen(mk, E.data(), mk, d.data(), e.data()) != 0) {
      pv.BP_ABANDON_PIVOT_TABLE();
      h.msg.BP_ERROR(key("No rotation can be found."), 2, 3);
      return;
    }
    for (int a = 0; a < mk; ++a)
      pv.BP_SET_VALUE(cell(erow[static_cast<std::size_t>(a)], ceig), d[static_cast<std::size_t>(a)], host::BP_GENSTAT_FORMAT());
  }
  pv.BP_END_PIVOT_TABLE();
}

}  // namespace oscat::catpca::out
