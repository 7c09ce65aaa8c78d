// OVERALS output: tables, charts, saved object scores and the matrix file.
#include <algorithm>
#include <cmath>
#include <string>

#include "frame/messages.hpp"
#include "homals/shared.hpp"
#include "overals/analysis.hpp"

namespace oscat::overals {
namespace {

using frame::key;
using host::Axis;
using host::CellRef;
using host::H;

enum { T_CASES = 3, T_VARS, T_FREQ, T_HISTORY, T_SUMMARY, T_FIT, T_WEIGHTS, T_LOADINGS, T_QUANT, T_CENTROIDS,
       T_OBJECT };
const host::Format kGen = host::BP_FIXED_FORMAT(3);
const char* const kLevelKey[] = {"SNOM-lvl", "ORDI-lvl", "NUME-lvl", "MNOM-lvl"};
const char* const kLevelShort[] = {"SNOM", "ORDI", "NUME", "MNOM"};

// Multiple fit of variable j in dimension s: sum_c f_c y_cs^2 / n of its
// multiple coordinates.
double scaling_fit(const Analysis& a, int j, int s) {
  const auto J = static_cast<std::size_t>(j);
  const int K = a.Kj[J];
  const double* y = a.Ymj(j) + static_cast<long>(s) * K;
  const double* f = a.f + a.yoff[J];
  double v = 0;
  for (int c = 0; c < K; ++c) v += f[c] * y[c] * y[c];
  return v / a.n;
}

Msg set_label(int k) { return frame::composite("Set ^1", {frame::integer(k + 1)}); }
Msg dim(int s) { return frame::integer(s + 1); }

// Columns: one per dimension and, when asked, their sum.
std::vector<int> dimension_columns(host::Pivot& pv, int cols, int p, bool sum) {
  std::vector<int> dc;
  pv.BP_BEGIN_GROUP(cols, key("Dimension"));
  for (int s = 0; s < p; ++s) dc.push_back(pv.BP_CELL_IN_CATEGORY(cols, dim(s)));
  pv.BP_END_GROUP(cols);
  if (sum) dc.push_back(pv.BP_CELL_IN_CATEGORY(cols, key("Sum")));
  return dc;
}

void list_of_variables(const Analysis& a) {
  auto& pv = H().pivot;
  pv.BP_BEGIN_PIVOT_TABLE(key("List of Variables"), T_VARS);
  const int rows = pv.BP_CATEGORY_DIMENSION(key("Set"), Axis::Row);
  const int cols = pv.BP_CELL_DIMENSION(key("Statistics"), Axis::Column);
  pv.BP_HIDE_DIMENSION_LABEL(cols);
  const int nc = pv.BP_CELL_IN_CATEGORY(cols, key("Number of Categories"));
  const int lv = pv.BP_CELL_IN_CATEGORY(cols, key("Optimal Scaling Level"));
  for (int k = 0; k < a.K; ++k) {
    pv.BP_BEGIN_GROUP(rows, set_label(k));
    for (int j = 0; j < a.m; ++j) {
      if (a.set[static_cast<std::size_t>(j)] != k) continue;
      const int r = pv.BP_CELL_IN_CATEGORY(rows, pv.BP_VARIABLE(a.var[static_cast<std::size_t>(j)]));
      pv.BP_SET_VALUE(CellRef{{r, nc}}, a.Kj[static_cast<std::size_t>(j)], host::BP_N_FORMAT());
      pv.BP_SET_TEXT(CellRef{{r, lv}}, key(kLevelKey[a.level[static_cast<std::size_t>(j)]]));
    }
    pv.BP_END_GROUP(rows);
  }
  pv.BP_END_PIVOT_TABLE();
}

void frequencies(const Analysis& a) {
  auto& pv = H().pivot;
  pv.BP_BEGIN_PIVOT_TABLE(key("Marginal Frequencies"), T_FREQ);
  const int rows = pv.BP_CATEGORY_DIMENSION(key("Categories"), Axis::Row);
  const int cols = pv.BP_CELL_DIMENSION(key("Statistics"), Axis::Column);
  pv.BP_HIDE_DIMENSION_LABEL(cols);
  const int col = pv.BP_CELL_IN_CATEGORY(cols, key("Marginal Frequency"));
  for (int k = 0; k < a.K; ++k) {
    pv.BP_BEGIN_GROUP(rows, set_label(k));
    for (int j = 0; j < a.m; ++j) {
      const auto J = static_cast<std::size_t>(j);
      if (a.set[J] != k) continue;
      pv.BP_BEGIN_GROUP(rows, pv.BP_VARIABLE(a.var[J]));
      for (int c = 1; c <= a.Kj[J]; ++c) {
        const int r = pv.BP_CELL_IN_CATEGORY(rows, pv.BP_VARVALUE(a.var[J], static_cast<double>(c)));
        pv.BP_SET_VALUE(CellRef{{r, col}}, a.f[a.yoff[J] + c - 1], host::BP_N_FORMAT());
      }
      int r = pv.BP_CELL_IN_CATEGORY(rows, key("Missing"));
      pv.BP_SET_VALUE(CellRef{{r, col}}, a.missing[J], host::BP_N_FORMAT());
      r = pv.BP_CELL_IN_CATEGORY(rows, key("Missing within the set"));
      pv.BP_SET_VALUE(CellRef{{r, col}}, a.missing_in_set[J], host::BP_N_FORMAT());
      pv.BP_END_GROUP(rows);
    }
    pv.BP_END_GROUP(rows);
  }
  pv.BP_END_PIVOT_TABLE();
}

void history(const Analysis& a) {
  auto& pv = H().pivot;
  pv.BP_BEGIN_PIVOT_TABLE(key("Iteration History"), T_HISTORY);
  const int rows = pv.BP_CATEGORY_DIMENSION(key("Iteration"), Axis::Row);
  const int cols = pv.BP_CELL_DIMENSION(key("Statistics"), Axis::Column);
  pv.BP_HIDE_DIMENSION_LABEL(cols);
  const int loss = pv.BP_CELL_IN_CATEGORY(cols, key("Loss"));
  const int fit = pv.BP_CELL_IN_CATEGORY(cols, key("ZYL Fit"));
  const int diff = pv.BP_CELL_IN_CATEGORY(cols, key("Iteration Difference"));
  int last = 0;
  for (const HistoryRow& h : a.history) {
    last = pv.BP_CELL_IN_CATEGORY(rows, frame::integer(h.iteration));
    pv.BP_SET_VALUE(CellRef{{last, loss}}, h.loss, host::BP_FIXED_FORMAT(6));
    pv.BP_SET_VALUE(CellRef{{last, fit}}, h.fit, host::BP_FIXED_FORMAT(6));
    pv.BP_SET_VALUE(CellRef{{last, diff}}, h.difference, host::BP_FIXED_FORMAT(6));
  }
  pv.BP_ANNOTATE_CATEGORY(rows, last, key(a.crit_reached ? "CRITITER reached." : "MAXITER reached."));
  pv.BP_END_PIVOT_TABLE();
}

void summary(const Analysis& a) {
  auto& pv = H().pivot;
  pv.BP_BEGIN_PIVOT_TABLE(key("Summary of Analysis"), T_SUMMARY);
  const int rows = pv.BP_CATEGORY_DIMENSION(key("Statistics"), Axis::Row);
  pv.BP_HIDE_DIMENSION_LABEL(rows);
  const int cols = pv.BP_CELL_DIMENSION(key("Dimension"), Axis::Column);
  pv.BP_HIDE_DIMENSION_LABEL(cols);
  const auto dc = dimension_columns(pv, cols, a.p, true);
  auto row = [&](int r, const std::vector<double>& v) {
    double sum = 0;
    for (int s = 0; s < a.p; ++s) {
      pv.BP_SET_VALUE(CellRef{{r, dc[static_cast<std::size_t>(s)]}}, v[static_cast<std::size_t>(s)], kGen);
      sum += v[static_cast<std::size_t>(s)];
    }
    pv.BP_SET_VALUE(CellRef{{r, dc.back()}}, sum, kGen);
  };
  pv.BP_BEGIN_GROUP(rows, key("Loss"));
  std::vector<double> v(static_cast<std::size_t>(a.p)), mean(static_cast<std::size_t>(a.p), 0.0);
  for (int k = 0; k < a.K; ++k) {
    for (int s = 0; s < a.p; ++s) {
      v[static_cast<std::size_t>(s)] = a.set_loss[static_cast<std::size_t>(k * a.p + s)];
      mean[static_cast<std::size_t>(s)] += v[static_cast<std::size_t>(s)] / a.K;
    }
    row(pv.BP_CELL_IN_CATEGORY(rows, set_label(k)), v);
  }
  row(pv.BP_CELL_IN_CATEGORY(rows, key("Mean")), mean);
  pv.BP_END_GROUP(rows);
  const int er = pv.BP_CELL_IN_CATEGORY(rows, key("Eigenvalue"));
  for (int s = 0; s < a.p; ++s)
    pv.BP_SET_VALUE(CellRef{{er, dc[static_cast<std::size_t>(s)]}}, a.eigen[static_cast<std::size_t>(s)], kGen);
  row(pv.BP_CELL_IN_CATEGORY(rows, key("ZYL Fit")), a.eigen);
  pv.BP_END_PIVOT_TABLE();
}

// Per variable and dimension: the multiple fit sum_c f y^2 / n of the
// multiple coordinates, the single fit a_s^2 and the single loss (their
// difference).
void fit_table(const Analysis& a) {
  auto& pv = H().pivot;
  pv.BP_BEGIN_PIVOT_TABLE(key("ZYL Fit"), T_FIT);
  const int rows = pv.BP_CATEGORY_DIMENSION(key("Set"), Axis::Row);
  const int cols = pv.BP_CELL_DIMENSION(key("Statistics"), Axis::Column);
  pv.BP_HIDE_DIMENSION_LABEL(cols);
  std::vector<std::vector<int>> groups;
  for (const char* g : {"Multiple Fit", "Single Fit", "Single Loss"}) {
    pv.BP_BEGIN_GROUP(cols, key(g));
    std::vector<int> dc;
    for (int s = 0; s < a.p; ++s) dc.push_back(pv.BP_CELL_IN_CATEGORY(cols, dim(s)));
    dc.push_back(pv.BP_CELL_IN_CATEGORY(cols, key("Sum")));
    pv.BP_END_GROUP(cols);
    groups.push_back(dc);
  }
  for (int k = 0; k < a.K; ++k) {
    pv.BP_BEGIN_GROUP(rows, set_label(k));
    for (int j = 0; j < a.m; ++j) {
      const auto J = static_cast<std::size_t>(j);
      if (a.set[J] != k) continue;
      const int r = pv.BP_CELL_IN_CATEGORY(rows, pv.BP_VARIABLE(a.var[J]));
      pv.BP_ANNOTATE_CATEGORY(rows, r, key(kLevelShort[a.level[J]]));
      const bool single = a.level[J] != MNOMINAL;
      double sums[3] = {0, 0, 0};
      for (int s = 0; s < a.p; ++s) {
        const double mf = scaling_fit(a, j, s);
        const double w = a.weights[static_cast<std::size_t>(j) * a.p + s];
        const double vals[3] = {mf, single ? w * w : host::SYSMIS, single ? mf - w * w : host::SYSMIS};
        for (int g = 0; g < 3; ++g) {
          pv.BP_SET_VALUE(CellRef{{r, groups[static_cast<std::size_t>(g)][static_cast<std::size_t>(s)]}}, vals[g], kGen);
          if (!host::is_sysmis(vals[g])) sums[g] += vals[g];
        }
      }
      for (int g = 0; g < 3; ++g)
        pv.BP_SET_VALUE(CellRef{{r, groups[static_cast<std::size_t>(g)].back()}},
                        g > 0 && !single ? host::SYSMIS : sums[g], kGen);
    }
    pv.BP_END_GROUP(rows);
  }
  pv.BP_END_PIVOT_TABLE();
}

void weights(const Analysis& a) {
  auto& pv = H().pivot;
  pv.BP_BEGIN_PIVOT_TABLE(key("Weights"), T_WEIGHTS);
  const int rows = pv.BP_CATEGORY_DIMENSION(key("Set"), Axis::Row);
  const int cols = pv.BP_CELL_DIMENSION(key("Dimension"), Axis::Column);
  std::vector<int> dc;
  for (int s = 0; s < a.p; ++s) dc.push_back(pv.BP_CELL_IN_CATEGORY(cols, dim(s)));
  bool excluded = false;
  for (int k = 0; k < a.K; ++k) {
    bool open = false;
    for (int j = 0; j < a.m; ++j) {
      const auto J = static_cast<std::size_t>(j);
      if (a.set[J] != k) continue;
      if (a.level[J] == MNOMINAL) {
        excluded = true;
        continue;
      }
      if (!open) pv.BP_BEGIN_GROUP(rows, set_label(k));
      open = true;
      const int r = pv.BP_CELL_IN_CATEGORY(rows, pv.BP_VARIABLE(a.var[J]));
      for (int s = 0; s < a.p; ++s)
        pv.BP_SET_VALUE(CellRef{{r, dc[static_cast<std::size_t>(s)]}}, a.weights[J * a.p + s], kGen);
    }
    if (open) pv.BP_END_GROUP(rows);
  }
  if (excluded) pv.BP_ANNOTATE(key("MNOM vars excluded annotation."));
  pv.BP_END_PIVOT_TABLE();
}

// Correlation of a variable's quantified values (category values `y`, one
// column) with object-score dimension s, over the objects of its set.
double projection(const Analysis& a, int j, const double* y, int s) {
  const int* codes = a.codes + static_cast<long>(j) * a.n;
  const double* x = a.X + static_cast<long>(s) * a.n;
  double sxy = 0, syy = 0, sxx = 0, sx = 0, sy = 0, cnt = 0;
  for (int i = 0; i < a.n; ++i) {
    if (codes[i] <= 0) continue;
    const double v = y[codes[i] - 1];
    sxy += v * x[i];
    syy += v * v;
    sxx += x[i] * x[i];
    sx += x[i];
    sy += v;
    ++cnt;
  }
  if (cnt == 0) return host::SYSMIS;
  const double cxy = sxy - sx * sy / cnt, cxx = sxx - sx * sx / cnt, cyy = syy - sy * sy / cnt;
  return cxx > 0 && cyy > 0 ? cxy / std::sqrt(cxx * cyy) : host::SYSMIS;
}

void loadings(const Analysis& a) {
  auto& pv = H().pivot;
  pv.BP_BEGIN_PIVOT_TABLE(key("Component Loadings"), T_LOADINGS);
  const int rows = pv.BP_CATEGORY_DIMENSION(key("Set"), Axis::Row);
  const int cols = pv.BP_CELL_DIMENSION(key("Dimension"), Axis::Column);
  std::vector<int> dc;
  for (int s = 0; s < a.p; ++s) dc.push_back(pv.BP_CELL_IN_CATEGORY(cols, dim(s)));
  for (int k = 0; k < a.K; ++k) {
    pv.BP_BEGIN_GROUP(rows, set_label(k));
    for (int j = 0; j < a.m; ++j) {
      const auto J = static_cast<std::size_t>(j);
      if (a.set[J] != k) continue;
      const bool single = a.level[J] != MNOMINAL;
      pv.BP_BEGIN_GROUP(rows, key(single ? "Projections Single Quant. Vars." : "Projections Multiple Quant. Vars."));
      if (single) {
        const int r = pv.BP_CELL_IN_CATEGORY(rows, pv.BP_VARIABLE(a.var[J]));
        for (int s = 0; s < a.p; ++s)
          pv.BP_SET_VALUE(CellRef{{r, dc[static_cast<std::size_t>(s)]}}, projection(a, j, a.q + a.yoff[J], s), kGen);
      } else {
        // A multiple variable has one quantified variable per dimension.
        for (int d = 0; d < a.p; ++d) {
          const int r = pv.BP_CELL_IN_CATEGORY(
              rows, frame::composite("^1, Dimension ^2", {pv.BP_VARIABLE(a.var[J]), frame::integer(d + 1)}));
          for (int s = 0; s < a.p; ++s)
            pv.BP_SET_VALUE(CellRef{{r, dc[static_cast<std::size_t>(s)]}},
                            projection(a, j, a.Ymj(j) + static_cast<long>(d) * a.Kj[J], s), kGen);
        }
      }
      pv.BP_END_GROUP(rows);
    }
    pv.BP_END_GROUP(rows);
  }
  pv.BP_END_PIVOT_TABLE();
}

void object_scores(const Analysis& a) {
  auto& pv = H().pivot;
  pv.BP_BEGIN_PIVOT_TABLE(key("Object Scores"), T_OBJECT);
  const int rows = pv.BP_CATEGORY_DIMENSION(key("Object"), Axis::Row);
  const int cols = pv.BP_CELL_DIMENSION(key("Dimension"), Axis::Column);
  std::vector<int> dc;
  for (int s = 0; s < a.p; ++s) dc.push_back(pv.BP_CELL_IN_CATEGORY(cols, dim(s)));
  for (int i = 0; i < a.n; ++i) {
    const int r = pv.BP_CELL_IN_CATEGORY(rows, frame::integer(a.case_numbers[static_cast<std::size_t>(i)]));
    for (int s = 0; s < a.p; ++s)
      pv.BP_SET_VALUE(CellRef{{r, dc[static_cast<std::size_t>(s)]}}, a.X[i + static_cast<long>(s) * a.n], kGen);
  }
  pv.BP_END_PIVOT_TABLE();
}

void charts(const Settings& s, const Analysis& a) {
  bool any = false;
  for (bool b : s.plot) any = any || b;
  if (!any || a.p < 2) return;
  older::ChartSpec spec;
  spec.chart_template = "OVERALS";
  spec.first = std::max(0, std::min(s.ndim_first, a.p) - 1);
  spec.d = std::max(2, std::min(s.ndim_last, a.p) - spec.first);
  auto& m = H().msg;
  if (s.plot[P_OBJECT]) {
    std::vector<older::ChartPoint> pts;
    for (int i = 0; i < a.n; ++i) {
      std::vector<double> xy(static_cast<std::size_t>(a.p));
      for (int t = 0; t < a.p; ++t) xy[static_cast<std::size_t>(t)] = a.X[i + static_cast<long>(t) * a.n];
      pts.push_back({frame::integer(a.case_numbers[static_cast<std::size_t>(i)]), 0, xy});
    }
    spec.title = m.CX_NSTRING("61701");
    older::chart(spec, pts);
  }
  if (s.plot[P_LOADING]) {
    std::vector<older::ChartPoint> pts;
    for (int j = 0; j < a.m; ++j) {
      const auto J = static_cast<std::size_t>(j);
      if (a.level[J] == MNOMINAL) continue;
      std::vector<double> xy(static_cast<std::size_t>(a.p));
      for (int t = 0; t < a.p; ++t) xy[static_cast<std::size_t>(t)] = projection(a, j, a.q + a.yoff[J], t);
      pts.push_back({H().pivot.BP_VARIABLE(a.var[J]), set_label(a.set[J]), xy});
    }
    spec.title = m.CX_NSTRING("61702");
    older::chart(spec, pts);
  }
  auto category_points = [&](bool centroids) {
    std::vector<older::ChartPoint> pts;
    for (int j = 0; j < a.m; ++j) {
      const auto J = static_cast<std::size_t>(j);
      const int K = a.Kj[J];
      const double* y = centroids ? a.Ymj(j) : a.Yj(j);
      for (int c = 1; c <= K; ++c) {
        if (a.f[a.yoff[J] + c - 1] <= 0) continue;
        std::vector<double> xy(static_cast<std::size_t>(a.p));
        for (int t = 0; t < a.p; ++t) xy[static_cast<std::size_t>(t)] = y[c - 1 + static_cast<long>(t) * K];
        pts.push_back({H().pivot.BP_VARVALUE(a.var[J], static_cast<double>(c)), H().pivot.BP_VARIABLE(a.var[J]), xy});
      }
    }
    return pts;
  };
  if (s.plot[P_QUANT]) {
    spec.title = m.CX_NSTRING("61703");
    older::chart(spec, category_points(false));
  }
  if (s.plot[P_CENTROID]) {
    spec.title = m.CX_NSTRING("61704");
    older::chart(spec, category_points(true));
  }
}

}  // namespace

void case_summary(const Analysis& a) {
  auto& pv = H().pivot;
  pv.BP_BEGIN_PIVOT_TABLE(key("Case Processing Summary"), T_CASES);
  const int rows = pv.BP_CATEGORY_DIMENSION(key("Case Processing Summary"), Axis::Row);
  pv.BP_HIDE_DIMENSION_LABEL(rows);
  const int cols = pv.BP_CELL_DIMENSION(key("Statistics"), Axis::Column);
  pv.BP_HIDE_DIMENSION_LABEL(cols);
  const int r = pv.BP_CELL_IN_CATEGORY(rows, key("Cases Used in Analysis"));
  const int c = pv.BP_CELL_IN_CATEGORY(cols, key("N"));
  pv.BP_SET_VALUE(CellRef{{r, c}}, a.n, host::BP_N_FORMAT());
  // Objects that take part in no set.
  auto& m = H().msg;
  Msg list = 0;
  for (int i = 0; i < a.n; ++i)
    if (!a.in_any[static_cast<std::size_t>(i)]) {
      if (list == 0) list = m.BP_BEGIN_COMPSTRING(key("Removed objects [%1: ^1:]1"));
      m.BP_ADD_PARAMETER(list, frame::integer(a.case_numbers[static_cast<std::size_t>(i)]));
    }
  if (list != 0) pv.BP_ANNOTATE(m.BP_END_COMPSTRING(list));
  pv.BP_END_PIVOT_TABLE();
  list_of_variables(a);
}

void final_measures(Analysis& a) {
  const long np = static_cast<long>(a.n) * a.p;
  a.set_loss.assign(static_cast<std::size_t>(a.K) * a.p, 0.0);
  for (int k = 0; k < a.K; ++k) {
    // The objects of set k: those with a category on its first variable.
    int first = 0;
    while (a.set[static_cast<std::size_t>(first)] != k) ++first;
    const int* codes = a.codes + static_cast<long>(first) * a.n;
    for (int s = 0; s < a.p; ++s) {
      double v = 0;
      for (int i = 0; i < a.n; ++i) {
        if (codes[i] <= 0) continue;
        const double d = a.X[i + static_cast<long>(s) * a.n] - a.S[k * np + i + static_cast<long>(s) * a.n];
        v += d * d;
      }
      a.set_loss[static_cast<std::size_t>(k * a.p + s)] = v / a.n;
    }
  }
  a.eigen.assign(static_cast<std::size_t>(a.p), 0.0);
  for (int s = 0; s < a.p; ++s) {
    double mean = 0;
    for (int k = 0; k < a.K; ++k) mean += a.set_loss[static_cast<std::size_t>(k * a.p + s)] / a.K;
    a.eigen[static_cast<std::size_t>(s)] = 1.0 - mean;
  }
}

void output(const Settings& s, const Analysis& a) {
  if (s.print[R_FREQ]) frequencies(a);
  history(a);
  summary(a);
  fit_table(a);
  if (s.print[R_WEIGHT]) weights(a);
  if (s.print[R_LOADING]) loadings(a);
  if (s.print[R_OBJECT]) object_scores(a);
  charts(s, a);
  if (s.save) {
    const int dims = s.save_dims > 0 ? std::min(s.save_dims, a.p) : a.p;
    older::save_object_scores(older::kOveralsSave, s.save_root, dims, a.n, a.X, a.n, a.case_numbers);
  }
  if (s.matrix_handle > 0) {
    std::vector<older::QuantVariable> vars;
    for (int j = 0; j < a.m; ++j) {
      const auto J = static_cast<std::size_t>(j);
      vars.push_back({a.var[J], a.Kj[J], a.Yj(j), a.Kj[J]});
    }
    if (!older::write_quantifications(s.matrix_handle, vars, a.p))
      frame::report("HOM Matrix file ^1 not written.", {frame::text(H().files.path(s.matrix_handle))},
                    frame::kError);
  }
}

}  // namespace oscat::overals
