#include "catpca/output.hpp"

#include <cmath>

#include "catpca/output_view.hpp"
#include "data/summary.hpp"

namespace oscat::catpca {
namespace out {

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
void summary_table(const View& v, const RotationResult* rot) {
  auto& pv = H().pivot;
  const int p = v.p;
  double Wm = 0, Wv = 0;
  std::vector<double> lm(p, 0.0), lv(p, 0.0), rm(p, 0.0), rv(p, 0.0);
  for (int j = 0; j < v.m; ++j) {
    if (!v.active(j)) continue;
    (v.multiple(j) ? Wm : Wv) += v.weight(j);
    for (int s = 0; s < p; ++s) {
      const long js = s + static_cast<long>(j) * p;
      if (v.multiple(j)) lm[s] += v.vafc(j, s);
      else lv[s] += v.vafv(j, s);
      if (rot != nullptr) (v.multiple(j) ? rm[s] : rv[s]) += v.multiple(j) ? rot->vafc[js] : rot->vafv[js];
    }
  }
  const bool split = !v.in.mca && Wm > 0 && Wv > 0;
  // A bootstrap run shows no percentages here; its own table has them.
  const bool pcts = !(v.s.resample.method == 2 && v.s.resample.count > 0);
  // A rotation keeps the total variance accounted for, so the total row shows
  // the unrotated totals: after an orthogonal rotation they are the sums of
  // the rotated dimensions, after an oblique one they are not (the oblique
  // components overlap), which the total row then says.
  const bool oblique = rot != nullptr && rot->oblique;
  pv.BP_BEGIN_PIVOT_TABLE(key(rot != nullptr ? "Model Summary Rotation" : "Model Summary"), kIdSummary);
  if (rot != nullptr && rot->summary_note != 0) pv.BP_ANNOTATE(rot->summary_note);
  const int rows = pv.BP_POSITION_DIMENSION(key("Dimension"), Axis::Row);
  const int cols = pv.BP_CELL_DIMENSION(key("Statistics"), Axis::Column);
  const int cA = pv.BP_CELL_IN_CATEGORY(cols, key("Cronbach's Alpha"));
  pv.BP_BEGIN_GROUP(cols, key("Variance Accounted For"));
  int cMt = -1, cMp = -1, cVt = -1, cVp = -1, cIn = -1;
  if (split) {
    pv.BP_BEGIN_GROUP(cols, key("Multiple Nominal Variables"));
    cMt = pv.BP_CELL_IN_CATEGORY(cols, key("CPR Summary Total"));
    if (pcts) cMp = pv.BP_CELL_IN_CATEGORY(cols, key("% of Variance"));
    pv.BP_END_GROUP(cols);
    pv.BP_BEGIN_GROUP(cols, key("Non Multiple Variables"));
    cVt = pv.BP_CELL_IN_CATEGORY(cols, key("CPR Summary Total"));
    if (pcts) cVp = pv.BP_CELL_IN_CATEGORY(cols, key("% of Variance"));
    pv.BP_END_GROUP(cols);
  }
  const int cT = pv.BP_CELL_IN_CATEGORY(cols, key("Total (Eigenvalue)"));
  if (v.in.mca) cIn = pv.BP_CELL_IN_CATEGORY(cols, key("MCOR Inertia"));
  const int cP = pcts ? pv.BP_CELL_IN_CATEGORY(cols, key("% of Variance")) : -1;
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
    const double l = mean ? Lt / p : total ? Lt : rot != nullptr ? rot->lambda[s] : v.in.lambda[s];
    const bool ratios = !(total && v.in.mca);
    if (total && oblique) pv.BP_ANNOTATE_CATEGORY(rows, row, key("CPR SUMM Total and % is not sum."));
    if (ratios) {
      const double alpha =
          oblique && s < p ? CPR_CronbachAlphaOblique(M, l, rot->sigma[s]) : CPR_CronbachAlpha(M, l);
      pv.BP_SET_VALUE(CellRef{{row, cA}}, alpha, kGen);
      if (total) pv.BP_ANNOTATE_CELL(CellRef{{row, cA}}, key("Total Cronbach based on sum."));
      if (mean) pv.BP_ANNOTATE_CELL(CellRef{{row, cA}}, key("Total Cronbach based on mean."));
    }
    if (split) {
      const double xm = total ? Lmt : rot != nullptr ? rm[s] : lm[s];
      const double xv = total ? Lvt : rot != nullptr ? rv[s] : lv[s];
      pv.BP_SET_VALUE(CellRef{{row, cMt}}, xm, kGen);
      if (pcts) pv.BP_SET_VALUE(CellRef{{row, cMp}}, pct(xm, Wm), kGen);
      pv.BP_SET_VALUE(CellRef{{row, cVt}}, xv, kGen);
      if (pcts) pv.BP_SET_VALUE(CellRef{{row, cVp}}, pct(xv, Wv), kGen);
    }
    pv.BP_SET_VALUE(CellRef{{row, cT}}, l, kGen);
    if (v.in.mca) pv.BP_SET_VALUE(CellRef{{row, cIn}}, M > 0 ? l / M : host::SYSMIS, kGen);
    if (ratios && pcts) pv.BP_SET_VALUE(CellRef{{row, cP}}, pct(l, M), kGen);
    if (s < p) {
      Lt += v.in.lambda[s];
      Lmt += lm[s];
      Lvt += lv[s];
    }
  }
  pv.BP_END_PIVOT_TABLE();
}
// ------------------------------------------------- variance accounted for ---
void vaf_table(const View& v, const RotationResult* rot) {
  auto& h = H();
  auto& pv = h.pivot;
  const int p = v.p;
  const bool any_single = [&] {
    for (int j = 0; j < v.m; ++j)
      if (!v.multiple(j)) return true;
    return false;
  }();
  const bool wcol = v.any_weight();
  // Rotated: the statistics of the rotated components. After an oblique
  // rotation a variable's total is its communality, which its per-dimension
  // values (overlapping components) do not add up to.
  const bool oblique = rot != nullptr && rot->oblique;
  auto C = [&](int j, int s_) { return rot != nullptr ? rot->vafc[s_ + static_cast<long>(j) * p] : v.vafc(j, s_); };
  auto Vv = [&](int j, int s_) { return rot != nullptr ? rot->vafv[s_ + static_cast<long>(j) * p] : v.vafv(j, s_); };
  pv.BP_BEGIN_PIVOT_TABLE(
      key(v.in.mca ? "MCOR DiscrMeasures" : rot != nullptr ? "Variance Accounted For Rotation" : "Variance Accounted For"),
      kIdVaf);
  if (rot != nullptr && rot->summary_note != 0) pv.BP_ANNOTATE(rot->summary_note);
  if (oblique) pv.BP_ANNOTATE(key("CPR VAF obl rot"));
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
    if (oblique) pv.BP_ANNOTATE_CATEGORY(cols, cVt, key("CPR VAF Total and % is not sum."));
    pv.BP_END_GROUP(cols);
  }
  std::vector<double> tc(p + 1, 0.0), tv(p + 1, 0.0);
  for (int j = 0; j < v.m; ++j) {
    const int row = pv.BP_CELL_IN_CATEGORY(rows, pv.BP_VARIABLE(v.var(j)));
    if (!v.active(j) && !v.fixed()) pv.BP_ANNOTATE_CATEGORY(rows, row, key("Supplementary variable."));
    if (wcol) pv.BP_SET_VALUE(CellRef{{row, cW}}, v.weight(j), kGen);
    double mc = 0, sv = 0;
    for (int s = 0; s < p; ++s) {
      const double c = C(j, s);
      mc += c / p;
      pv.BP_SET_VALUE(CellRef{{row, cC + s}}, c, kGen);
      if (v.active(j)) tc[s] += c;
      if (cV >= 0 && !v.multiple(j)) {
        const double x = Vv(j, s);
        sv += oblique ? v.vafv(j, s) : x;
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
      if (rot != nullptr && v.multiple(j)) pv.BP_ANNOTATE_CELL(CellRef{{row, cVt}}, key("CPR VAF Total is mean."));
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

void rotation_table(const View& v, const double* T, Msg note, std::string_view title) {
  auto& pv = H().pivot;
  pv.BP_BEGIN_PIVOT_TABLE(key(title), kIdRotation);
  const int rows = pv.BP_POSITION_DIMENSION(key("Dimension"), Axis::Row);
  const int cols = pv.BP_POSITION_DIMENSION(key("Dimension2"), Axis::Column);
  const int r0 = dimension_cells(rows, v.p);
  const int c0 = dimension_cells(cols, v.p);
  if (note != 0) pv.BP_ANNOTATE(note);
  for (int s = 0; s < v.p; ++s)
    for (int t = 0; t < v.p; ++t) pv.BP_SET_VALUE(CellRef{{r0 + s, c0 + t}}, T[s + t * v.p], kGen);
  pv.BP_END_PIVOT_TABLE();
}

}  // namespace out

void CPR_Output(const OutputInput& in) {
  using namespace out;
  const View v(in);
  const auto& pr = v.s.print;
  if (pr.history) history_table(v);
  const RotationResult* rot = in.mca ? nullptr : in.rotation;
  const bool boot = in.boot != nullptr;
  summary_table(v);
  if (boot) boot_summary_table(v);
  if (rot != nullptr) summary_table(v, rot);
  if (pr.quant) quantification_tables(v);
  if (pr.quant && boot) boot_centroid_tables(v);
  if (in.mca ? pr.discrim : pr.vaf) {
    vaf_table(v);
    if (boot) boot_vaf_table(v);
    if (rot != nullptr) vaf_table(v, rot);
  }
  if (pr.loading && !in.mca) loadings_table(v, in.shown->A, "Component Loadings", 0);
  if (pr.loading && !in.mca && boot) boot_loadings_table(v);
  if (rot != nullptr && rot->oblique) {
    loadings_table(v, rot->rotated, "Pattern Matrix", rot->note);
    loadings_table(v, rot->structure, "Structure Matrix", rot->note);
    rotation_table(v, rot->phi, rot->note, "Component Correlation Matrix");
  } else if (in.rotated != nullptr && !in.mca) {
    loadings_table(v, in.rotated, "Rotated Component Loadings", in.rotation_note);
    rotation_table(v, in.transform, in.rotation_note);
  }
  if (pr.object) object_table(v, in.shown->X);
  if (pr.object && boot) boot_object_table(v);
  if (pr.object && in.mca) object_contributions_table(v, in.shown->X);
  if (pr.ocorr) correlation_table(v, false);
  if (pr.corr && !H().msg.error_flag()) correlation_table(v, true);
  charts(v);
  if (boot) boot_charts(v);
}

}  // namespace oscat::catpca
