#include "catpca/output.hpp"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "catpca/solution.hpp"
#include "data/summary.hpp"
#include "host/host.hpp"
#include "scaling/linalg.hpp"

namespace oscat::catpca {

using host::Axis;
using host::CellRef;
using host::H;
using host::Msg;
namespace sx = syntax;

namespace {

// Table identifiers (declared by the driver).
enum : int { kIdHistory = 6, kIdSummary = 7, kIdQuant = 9, kIdVaf = 10, kIdLoadings = 11,
             kIdRotation = 12, kIdObjects = 14 };

Msg key(std::string_view k) { return H().msg.BP_CSTRING(k); }
Msg lit(std::string_view t) { return H().msg.BP_CSTRING_NO_TRANSLATE(t); }
Msg num(long v) { return H().msg.BP_IVALUE(v); }
std::string pk(const OutputInput& in, std::string_view rest) { return std::string(in.pre) + " " + std::string(rest); }
Msg composite(std::string_view pattern, std::initializer_list<Msg> params) {
  auto& msg = H().msg;
  const Msg c = msg.BP_BEGIN_COMPSTRING(key(pattern));
  for (Msg m : params) msg.BP_ADD_PARAMETER(c, m);
  return msg.BP_END_COMPSTRING(c);
}

const host::Format kGen = host::BP_FIXED_FORMAT(3);

struct View {
  const OutputInput& in;
  const driver::RunContext& ctx;
  const sx::CommandSettings& s;
  const Shown& sh;
  int n, m, p, K;
  double M;  // active variables with their weights
  bool weighted;

  explicit View(const OutputInput& i)
      : in(i), ctx(*i.ctx), s(*i.ctx->settings), sh(*i.shown), n(sh.n), m(sh.m), p(sh.p), K(sh.kmax),
        M(s.vars.active_weight_sum), weighted(H().cases.weight_variable() != 0) {}

  int var(int j) const { return s.vars.variables[static_cast<std::size_t>(j)]; }
  bool active(int j) const { return in.suppl[j] == 0; }
  bool multiple(int j) const { return in.multiple[j] != 0; }
  double weight(int j) const { return in.agg[j].w; }
  bool fixed() const { return s.config.fixed(); }
  double X(int i, int s_) const { return sh.X[i + static_cast<long>(s_) * n]; }
  double A(int j, int s_) const { return sh.A[s_ + static_cast<long>(j) * p]; }
  double q(int j, int c) const { return sh.q[c + static_cast<long>(j) * K]; }
  double Y(int j, int c, int s_) const { return sh.Y[c + static_cast<long>(s_) * K + static_cast<long>(j) * K * p]; }
  double vafc(int j, int s_) const { return sh.vafc[s_ + static_cast<long>(j) * p]; }
  double vafv(int j, int s_) const { return sh.vafv[s_ + static_cast<long>(j) * p]; }
  bool any_weight() const {
    for (int j = 0; j < m; ++j)
      if (weight(j) != 1) return true;
    return false;
  }
  // Plotted pair of dimensions (NDIM), 0-based.
  std::pair<int, int> dims() const {
    int a = s.plot.ndim_lo > 0 ? s.plot.ndim_lo - 1 : 0;
    int b = s.plot.ndim_hi > 0 ? s.plot.ndim_hi - 1 : 1;
    if (a >= p || b >= p || a == b) return {0, 1};
    return {a, b};
  }
};

// Labels of the categories of variable j: value labels of the original
// values behind each category ("^1 - ^2" for a range), "Extra Category".
std::vector<Msg> category_labels(const View& v, int j) {
  auto& h = H();
  auto& pv = h.pivot;
  const auto& book = v.ctx.book;
  const int Kj = book.count[j];
  const int var = v.var(j);
  const bool str = h.dict.DICGET(var).is_string();
  const double* vals = book.values + static_cast<long>(j) * book.cap;
  std::vector<std::string> lo_s(Kj), hi_s(Kj);
  std::vector<double> lo(Kj, 0), hi(Kj, 0);
  std::vector<int> nval(Kj, 0);
  const int t = v.ctx.value_tables != nullptr ? v.ctx.value_tables[j] : 0;
  if (t > 0)
    for (int i = 1; i <= h.tables.TMSIZE(t); ++i) {
      const double code = h.tables.TMVAL(t, i);
      const double* it = std::lower_bound(vals, vals + Kj, code);
      if (it == vals + Kj || *it != code) continue;
      const int c = static_cast<int>(it - vals);
      if (str) {
        std::string k(h.tables.TMKEY(t, i));
        while (!k.empty() && (k.back() == ' ' || k.back() == '\0')) k.pop_back();
        if (nval[c] == 0) lo_s[c] = k;
        hi_s[c] = k;
      } else {
        const double x = host::key_number(h.tables.TMKEY(t, i));
        if (nval[c] == 0) lo[c] = x;
        hi[c] = x;
      }
      ++nval[c];
    }
  std::vector<Msg> out(static_cast<std::size_t>(Kj));
  for (int c = 0; c < Kj; ++c) {
    auto one = [&](bool high) {
      return str ? pv.BP_VARVALUE(var, high ? hi_s[c] : lo_s[c]) : pv.BP_VARVALUE(var, high ? hi[c] : lo[c]);
    };
    if (book.extra[j] && c == Kj - 1) out[c] = key("Extra Category");
    else if (nval[c] == 0) out[c] = pv.BP_VARVALUE(var, vals[c]);
    else if (nval[c] > 1) out[c] = composite("^1 - ^2", {one(false), one(true)});
    else out[c] = one(false);
  }
  return out;
}

// Dimension categories 1..p in `dim`; returns the first id.
int dimension_cells(int dim, int p) {
  auto& pv = H().pivot;
  int first = -1;
  for (int s = 0; s < p; ++s) {
    const int id = pv.BP_CELL_IN_CATEGORY(dim, num(s + 1));
    if (s == 0) first = id;
  }
  return first;
}

// ---------------------------------------------------------------- history ---
void history_table(const View& v) {
  const PrResult& r = *v.in.res;
  if (r.history_rows == 0) return;
  auto& pv = H().pivot;
  const double crit = v.s.iter.crititer;
  const int lc = crit > 0 ? std::abs(static_cast<int>(std::log10(crit))) : 5;
  const host::Format f = host::BP_FIXED_FORMAT(lc + 1);
  pv.BP_BEGIN_PIVOT_TABLE(key("Iteration History"), kIdHistory);
  const int rows = pv.BP_CATEGORY_DIMENSION(key("Iteration Number"), Axis::Row);
  const int cols = pv.BP_CELL_DIMENSION(key("Statistics"), Axis::Column);
  pv.BP_BEGIN_GROUP(cols, key("CPR VarAccFor"));
  const int cF = pv.BP_CELL_IN_CATEGORY(cols, key("CPR TotalVAF"));
  const int cI = pv.BP_CELL_IN_CATEGORY(cols, key("CPR Increase"));
  pv.BP_END_GROUP(cols);
  int cL, cC = -1, cR = -1;
  if (v.in.mca) {
    cL = pv.BP_CELL_IN_CATEGORY(cols, key("Loss"));
  } else {
    pv.BP_BEGIN_GROUP(cols, key("CPR Loss"));
    cL = pv.BP_CELL_IN_CATEGORY(cols, key("CPR TotalVNAF"));
    cC = pv.BP_CELL_IN_CATEGORY(cols, key("CPR Centroid Coord."));
    cR = pv.BP_CELL_IN_CATEGORY(cols, key("CPR Restr. Centr. Coord."));
    pv.BP_END_GROUP(cols);
  }
  int last = -1;
  for (int k = 0; k < r.history_rows; ++k) {
    const HistoryRow& h = v.in.history[k];
    const int row = pv.BP_CELL_IN_CATEGORY(rows, num(h.iteration));
    if (k == 0 && r.has_prerun) pv.BP_ANNOTATE_CATEGORY(rows, row, key("CPR Iteration 0."));
    pv.BP_SET_VALUE(CellRef{{row, cF}}, h.fit, f);
    if (!(k == 0 && r.has_prerun)) pv.BP_SET_VALUE(CellRef{{row, cI}}, h.increase, f);
    pv.BP_SET_VALUE(CellRef{{row, cL}}, h.loss, f);
    if (!v.in.mca) {
      pv.BP_SET_VALUE(CellRef{{row, cC}}, h.centroid, f);
      pv.BP_SET_VALUE(CellRef{{row, cR}}, h.restricted, f);
    }
    last = row;
  }
  if (last >= 0)
    pv.BP_ANNOTATE_CATEGORY(rows, last, key(r.status == CPR_CONVERGED ? "CRITITER reached." : "MAXITER reached."));
  pv.BP_END_PIVOT_TABLE();
}

// ---------------------------------------------------------- model summary ---
void summary_table(const View& v) {
  auto& pv = H().pivot;
  const int p = v.p;
  double Wm = 0, Wv = 0;
  std::vector<double> lm(p, 0.0), lv(p, 0.0);
  for (int j = 0; j < v.m; ++j) {
    if (!v.active(j)) continue;
    (v.multiple(j) ? Wm : Wv) += v.weight(j);
    for (int s = 0; s < p; ++s) {
      if (v.multiple(j)) lm[s] += v.vafc(j, s);
      else lv[s] += v.vafv(j, s);
    }
  }
  const bool split = !v.in.mca && Wm > 0 && Wv > 0;
  pv.BP_BEGIN_PIVOT_TABLE(key("Model Summary"), kIdSummary);
  const int rows = pv.BP_POSITION_DIMENSION(key("Dimension"), Axis::Row);
  const int cols = pv.BP_CELL_DIMENSION(key("Statistics"), Axis::Column);
  const int cA = pv.BP_CELL_IN_CATEGORY(cols, key("Cronbach's Alpha"));
  pv.BP_BEGIN_GROUP(cols, key("Variance Accounted For"));
  int cMt = -1, cMp = -1, cVt = -1, cVp = -1, cIn = -1;
  if (split) {
    pv.BP_BEGIN_GROUP(cols, key("Multiple Nominal Variables"));
    cMt = pv.BP_CELL_IN_CATEGORY(cols, key("CPR Summary Total"));
    cMp = pv.BP_CELL_IN_CATEGORY(cols, key("% of Variance"));
    pv.BP_END_GROUP(cols);
    pv.BP_BEGIN_GROUP(cols, key("Non Multiple Variables"));
    cVt = pv.BP_CELL_IN_CATEGORY(cols, key("CPR Summary Total"));
    cVp = pv.BP_CELL_IN_CATEGORY(cols, key("% of Variance"));
    pv.BP_END_GROUP(cols);
  }
  const int cT = pv.BP_CELL_IN_CATEGORY(cols, key("Total (Eigenvalue)"));
  if (v.in.mca) cIn = pv.BP_CELL_IN_CATEGORY(cols, key("MCOR Inertia"));
  const int cP = pv.BP_CELL_IN_CATEGORY(cols, key("% of Variance"));
  pv.BP_END_GROUP(cols);
  const double M = v.M;
  double Lt = 0, Lmt = 0, Lvt = 0;
  auto pct = [](double x, double W) { return W > 0 ? 100.0 * x / W : host::SYSMIS; };
  // Multiple correspondence: the eigenvalues of the dimensions add up to
  // more than the number of variables, so the alpha and the percentage of
  // the total would mislead; they are shown for the mean eigenvalue instead.
  const int extra = v.in.mca ? 2 : 1;
  for (int s = 0; s < p + extra; ++s) {
    const bool total = s == p, mean = s == p + 1;
    const int row = pv.BP_CELL_IN_CATEGORY(
        rows, mean ? key("CPR Summary Mean") : total ? key(pk(v.in, "Summary Total")) : num(s + 1));
    const double l = mean ? Lt / p : total ? Lt : v.in.lambda[s];
    const bool ratios = !(total && v.in.mca);
    if (ratios) {
      pv.BP_SET_VALUE(CellRef{{row, cA}}, CPR_CronbachAlpha(M, l), kGen);
      if (total) pv.BP_ANNOTATE_CELL(CellRef{{row, cA}}, key("Total Cronbach based on sum."));
      if (mean) pv.BP_ANNOTATE_CELL(CellRef{{row, cA}}, key("Total Cronbach based on mean."));
    }
    if (split) {
      const double xm = total ? Lmt : lm[s], xv = total ? Lvt : lv[s];
      pv.BP_SET_VALUE(CellRef{{row, cMt}}, xm, kGen);
      pv.BP_SET_VALUE(CellRef{{row, cMp}}, pct(xm, Wm), kGen);
      pv.BP_SET_VALUE(CellRef{{row, cVt}}, xv, kGen);
      pv.BP_SET_VALUE(CellRef{{row, cVp}}, pct(xv, Wv), kGen);
    }
    pv.BP_SET_VALUE(CellRef{{row, cT}}, l, kGen);
    if (v.in.mca) pv.BP_SET_VALUE(CellRef{{row, cIn}}, M > 0 ? l / M : host::SYSMIS, kGen);
    if (ratios) pv.BP_SET_VALUE(CellRef{{row, cP}}, pct(l, M), kGen);
    if (s < p) {
      Lt += l;
      Lmt += lm[s];
      Lvt += lv[s];
    }
  }
  pv.BP_END_PIVOT_TABLE();
}

// --------------------------------------------------------- quantifications ---
void quantification_table(const View& v, int j) {
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
  if (v.in.mca) {
    pv.BP_BEGIN_GROUP(cols, key("Points"));
    pv.BP_BEGIN_GROUP(cols, key("Coordinates"));
    cY = dimension_cells(cols, v.p);
    pv.BP_END_GROUP(cols);
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
  }
  const double* miss = v.ctx.book.miss + 3 * j;
  if (miss[0] + miss[1] + miss[2] > 0 && !v.ctx.book.extra[j]) {
    const int row = pv.BP_CELL_IN_CATEGORY(rows, key("Missing"));
    pv.BP_SET_VALUE(CellRef{{row, cF}}, miss[0] + miss[1] + miss[2], ff);
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

// ------------------------------------------------- variance accounted for ---
void vaf_table(const View& v) {
  auto& h = H();
  auto& pv = h.pivot;
  const int p = v.p;
  const bool any_single = [&] {
    for (int j = 0; j < v.m; ++j)
      if (!v.multiple(j)) return true;
    return false;
  }();
  const bool wcol = v.any_weight();
  pv.BP_BEGIN_PIVOT_TABLE(key(v.in.mca ? "MCOR DiscrMeasures" : "Variance Accounted For"), kIdVaf);
  const int rows = pv.BP_CATEGORY_DIMENSION(key("Variables"), Axis::Row);
  const int cols = pv.BP_CELL_DIMENSION(key("Statistics"), Axis::Column);
  int cW = -1;
  if (wcol) cW = pv.BP_CELL_IN_CATEGORY(cols, key("Variable Weight"));
  int cC, cCm, cV = -1, cVt = -1;
  if (v.in.mca) {
    pv.BP_BEGIN_GROUP(cols, key("Dimension"));
    cC = dimension_cells(cols, p);
    pv.BP_END_GROUP(cols);
    cCm = pv.BP_CELL_IN_CATEGORY(cols, key("CPR VAF Mean"));
  } else {
    pv.BP_BEGIN_GROUP(cols, key("CPR Centroid Coord."));
    pv.BP_BEGIN_GROUP(cols, key("Dimension"));
    cC = dimension_cells(cols, p);
    pv.BP_END_GROUP(cols);
    cCm = pv.BP_CELL_IN_CATEGORY(cols, key("CPR VAF Mean"));
    pv.BP_END_GROUP(cols);
    pv.BP_BEGIN_GROUP(cols, key(any_single ? "CPR Total and Line Coord." : "CPR Line Coord."));
    pv.BP_BEGIN_GROUP(cols, key("Dimension"));
    cV = dimension_cells(cols, p);
    pv.BP_END_GROUP(cols);
    cVt = pv.BP_CELL_IN_CATEGORY(cols, key("CPR VAF Total"));
    pv.BP_END_GROUP(cols);
  }
  std::vector<double> tc(p + 1, 0.0), tv(p + 1, 0.0);
  for (int j = 0; j < v.m; ++j) {
    const int row = pv.BP_CELL_IN_CATEGORY(rows, pv.BP_VARIABLE(v.var(j)));
    if (!v.active(j) && !v.fixed()) pv.BP_ANNOTATE_CATEGORY(rows, row, key("Supplementary variable."));
    if (wcol) pv.BP_SET_VALUE(CellRef{{row, cW}}, v.weight(j), kGen);
    double mc = 0, sv = 0;
    for (int s = 0; s < p; ++s) {
      const double c = v.vafc(j, s);
      mc += c / p;
      pv.BP_SET_VALUE(CellRef{{row, cC + s}}, c, kGen);
      if (v.active(j)) tc[s] += c;
      if (cV >= 0 && !v.multiple(j)) {
        const double x = v.vafv(j, s);
        sv += x;
        pv.BP_SET_VALUE(CellRef{{row, cV + s}}, x, kGen);
        if (v.active(j)) tv[s] += x;
      }
    }
    pv.BP_SET_VALUE(CellRef{{row, cCm}}, mc, kGen);
    if (v.active(j)) tc[p] += mc;
    if (cVt >= 0) {
      // Multiple nominal variables have no vector coordinates: their total
      // is their centroid mean.
      const double total = v.multiple(j) ? mc : sv;
      pv.BP_SET_VALUE(CellRef{{row, cVt}}, total, kGen);
      if (v.active(j)) tv[p] += total;
    }
  }
  const int rt = pv.BP_CELL_IN_CATEGORY(rows, key("Active Total"));
  const int rp = pv.BP_CELL_IN_CATEGORY(rows, key("CPR % of Variance"));
  if (wcol) {
    pv.BP_ANNOTATE_CATEGORY(rows, rt, key("CPR VAF stats weighted."));
    pv.BP_ANNOTATE_CATEGORY(rows, rp, key("CPR VAF stats weighted."));
  }
  auto pct = [&](double x) { return v.M > 0 ? 100.0 * x / v.M : host::SYSMIS; };
  for (int s = 0; s < p; ++s) {
    pv.BP_SET_VALUE(CellRef{{rt, cC + s}}, tc[s], kGen);
    pv.BP_SET_VALUE(CellRef{{rp, cC + s}}, pct(tc[s]), kGen);
    if (cV >= 0) {
      pv.BP_SET_VALUE(CellRef{{rt, cV + s}}, tv[s], kGen);
      pv.BP_SET_VALUE(CellRef{{rp, cV + s}}, pct(tv[s]), kGen);
    }
  }
  pv.BP_SET_VALUE(CellRef{{rt, cCm}}, tc[p], kGen);
  pv.BP_SET_VALUE(CellRef{{rp, cCm}}, pct(tc[p]), kGen);
  if (cVt >= 0) {
    pv.BP_SET_VALUE(CellRef{{rt, cVt}}, tv[p], kGen);
    pv.BP_SET_VALUE(CellRef{{rp, cVt}}, pct(tv[p]), kGen);
  }
  pv.BP_END_PIVOT_TABLE();
}

// --------------------------------------------------------------- loadings ---
void loadings_table(const View& v, const double* L, std::string_view title, Msg note) {
  auto& pv = H().pivot;
  std::vector<int> order;
  for (int j = 0; j < v.m; ++j)
    if (!v.multiple(j)) order.push_back(j);
  if (order.empty()) return;
  if (v.s.print.loading_sort) {
    // Sorted by the dimension of the largest absolute loading, then by size.
    auto top = [&](int j) {
      int best = 0;
      for (int s = 1; s < v.p; ++s)
        if (std::fabs(L[s + j * v.p]) > std::fabs(L[best + j * v.p])) best = s;
      return best;
    };
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
      const int ta = top(a), tb = top(b);
      if (ta != tb) return ta < tb;
      return std::fabs(L[ta + a * v.p]) > std::fabs(L[tb + b * v.p]);
    });
  }
  pv.BP_BEGIN_PIVOT_TABLE(key(title), kIdLoadings);
  const int rows = pv.BP_CATEGORY_DIMENSION(key("Variables"), Axis::Row);
  const int cols = pv.BP_POSITION_DIMENSION(key("Dimension"), Axis::Column);
  const int c0 = dimension_cells(cols, v.p);
  if (note != 0) pv.BP_ANNOTATE(note);
  for (int j : order) {
    const int row = pv.BP_CELL_IN_CATEGORY(rows, pv.BP_VARIABLE(v.var(j)));
    if (!v.active(j) && !v.fixed()) pv.BP_ANNOTATE_CATEGORY(rows, row, key("Supplementary variable."));
    for (int s = 0; s < v.p; ++s) pv.BP_SET_VALUE(CellRef{{row, c0 + s}}, L[s + j * v.p], kGen);
  }
  pv.BP_END_PIVOT_TABLE();
}

void rotation_table(const View& v, const double* T, Msg note) {
  auto& pv = H().pivot;
  pv.BP_BEGIN_PIVOT_TABLE(key("Component Transformation Matrix"), kIdRotation);
  const int rows = pv.BP_POSITION_DIMENSION(key("Dimension"), Axis::Row);
  const int cols = pv.BP_POSITION_DIMENSION(key("Dimension2"), Axis::Column);
  const int r0 = dimension_cells(rows, v.p);
  const int c0 = dimension_cells(cols, v.p);
  if (note != 0) pv.BP_ANNOTATE(note);
  for (int s = 0; s < v.p; ++s)
    for (int t = 0; t < v.p; ++t) pv.BP_SET_VALUE(CellRef{{r0 + s, c0 + t}}, T[s + t * v.p], kGen);
  pv.BP_END_PIVOT_TABLE();
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
    const int row = pv.BP_CELL_IN_CATEGORY(rows, object_label(v, i, lab, labels));
    if (v.ctx.w[i] == 0) pv.BP_ANNOTATE_CATEGORY(rows, row, key("Supplementary object."));
    if (cw >= 0) pv.BP_SET_VALUE(CellRef{{row, cw}}, v.ctx.w[i], host::BP_GENSTAT_FORMAT());
    for (int s = 0; s < v.p; ++s) pv.BP_SET_VALUE(CellRef{{row, c0 + s}}, X[i + static_cast<long>(s) * v.n], kGen);
  }
  pv.BP_END_PIVOT_TABLE();
}

// ------------------------------------------------------------ correlations ---
// Values of object i on variable j for the correlation tables: the category
// value (original) or its quantification (transformed; multiple nominal in
// dimension `layer`). SYSMIS when the object has no category.
double corr_value(const View& v, int i, int j, bool transformed, int layer) {
  const int c = v.in.codes[i + static_cast<long>(j) * v.n];
  if (c <= 0) return host::SYSMIS;
  if (!transformed) return v.in.agg[j].x[c - 1];
  return v.multiple(j) ? v.Y(j, c - 1, layer) : v.q(j, c - 1);
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
  std::vector<double> mean(static_cast<std::size_t>(m)), R(static_cast<std::size_t>(m) * m), E, d, e;
  for (int l = 0; l < layers; ++l) {
    const int lid = lay >= 0 ? pv.BP_CELL_IN_CATEGORY(lay, num(l + 1)) : -1;
    auto cell = [&](int r, int c) {
      CellRef ref{{r, c}};
      if (lid >= 0) ref.categories.push_back(lid);
      return ref;
    };
    for (int j = 0; j < m; ++j) {
      double sw = 0, sx = 0;
      for (int i = 0; i < v.n; ++i) {
        const double x = corr_value(v, i, j, transformed, l);
        if (x == host::SYSMIS || v.ctx.w[i] == 0) continue;
        sw += v.ctx.w[i];
        sx += v.ctx.w[i] * x;
      }
      mean[static_cast<std::size_t>(j)] = sw > 0 ? sx / sw : 0.0;
    }
    for (int j = 0; j < m; ++j)
      for (int k = j; k < m; ++k) {
        double cp = 0, ssj = 0, ssk = 0;
        for (int i = 0; i < v.n; ++i) {
          const double wi = v.ctx.w[i];
          const double a = corr_value(v, i, j, transformed, l), b = corr_value(v, i, k, transformed, l);
          if (wi == 0 || a == host::SYSMIS || b == host::SYSMIS) continue;
          const double u = a - mean[static_cast<std::size_t>(j)], w2 = b - mean[static_cast<std::size_t>(k)];
          cp += wi * u * w2;
          ssj += wi * u * u;
          ssk += wi * w2 * w2;
        }
        const double r = j == k ? 1.0 : (ssj <= 2.23e-16 || ssk <= 2.23e-16 ? 0.0 : cp / std::sqrt(ssj * ssk));
        R[j + static_cast<std::size_t>(k) * m] = R[k + static_cast<std::size_t>(j) * m] = r;
      }
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

}  // namespace

void CPR_Output(const OutputInput& in) {
  const View v(in);
  const auto& pr = v.s.print;
  if (pr.history) history_table(v);
  summary_table(v);
  if (pr.quant) quantification_tables(v);
  if (in.mca ? pr.discrim : pr.vaf) vaf_table(v);
  if (pr.loading && !in.mca) loadings_table(v, in.shown->A, "Component Loadings", 0);
  if (in.rotated != nullptr && !in.mca) {
    loadings_table(v, in.rotated, "Rotated Component Loadings", in.rotation_note);
    rotation_table(v, in.transform, in.rotation_note);
  }
  if (pr.object) object_table(v, in.shown->X);
  if (pr.ocorr) correlation_table(v, false);
  if (pr.corr && !H().msg.error_flag()) correlation_table(v, true);
  charts(v);
}

}  // namespace oscat::catpca
