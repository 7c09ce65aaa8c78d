// OVERALS output: tables, charts, saved object scores and the matrix file.
#include <algorithm>
#include <cmath>
#include <string>

#include "frame/messages.hpp"
#include "frame/workspace.hpp"
#include "homals/shared.hpp"
#include "overals/analysis.hpp"
#include "scaling/als.hpp"

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
// A group `label` of one column per dimension, with `sum` a "Sum" inside it.
std::vector<int> dimension_group(host::Pivot& pv, int cols, const char* label, int p, bool sum) {
  std::vector<int> dc;
  pv.BP_BEGIN_GROUP(cols, key(label));
  for (int s = 0; s < p; ++s) dc.push_back(pv.BP_CELL_IN_CATEGORY(cols, dim(s)));
  if (sum) dc.push_back(pv.BP_CELL_IN_CATEGORY(cols, key("Sum")));
  pv.BP_END_GROUP(cols);
  return dc;
}

std::vector<int> dimension_columns(host::Pivot& pv, int cols, int p, bool sum) {
  std::vector<int> dc = dimension_group(pv, cols, "Dimension", p, false);
  if (sum) dc.push_back(pv.BP_CELL_IN_CATEGORY(cols, key("Sum")));
  return dc;
}

// A table's statistics columns; their dimension label is not shown.
int statistics_columns(host::Pivot& pv) {
  const int cols = pv.BP_CELL_DIMENSION(key("Statistics"), Axis::Column);
  pv.BP_HIDE_DIMENSION_LABEL(cols);
  return cols;
}

// The rows of each set in its group: `each(j)` for the set's variables.
template <class Each>
void by_set(host::Pivot& pv, int rows, const Analysis& a, Each each) {
  for (int k = 0; k < a.K; ++k) {
    pv.BP_BEGIN_GROUP(rows, set_label(k));
    for (int j = 0; j < a.m; ++j)
      if (a.set[static_cast<std::size_t>(j)] == k) each(j);
    pv.BP_END_GROUP(rows);
  }
}

void list_of_variables(const Analysis& a) {
  auto& pv = H().pivot;
  pv.BP_BEGIN_PIVOT_TABLE(key("List of Variables"), T_VARS);
  const int rows = pv.BP_CATEGORY_DIMENSION(key("Set"), Axis::Row);
  const int cols = statistics_columns(pv);
  const int nc = pv.BP_CELL_IN_CATEGORY(cols, key("Number of Categories"));
  const int lv = pv.BP_CELL_IN_CATEGORY(cols, key("Optimal Scaling Level"));
  by_set(pv, rows, a, [&](int j) {
    const int r = pv.BP_CELL_IN_CATEGORY(rows, pv.BP_VARIABLE(a.var[static_cast<std::size_t>(j)]));
    pv.BP_SET_VALUE(CellRef{{r, nc}}, a.Kj[static_cast<std::size_t>(j)], host::BP_N_FORMAT());
    pv.BP_SET_TEXT(CellRef{{r, lv}}, key(kLevelKey[a.level[static_cast<std::size_t>(j)]]));
  });
  pv.BP_END_PIVOT_TABLE();
}

void frequencies(const Analysis& a) {
  auto& pv = H().pivot;
  pv.BP_BEGIN_PIVOT_TABLE(key("Marginal Frequencies"), T_FREQ);
  const int rows = pv.BP_CATEGORY_DIMENSION(key("Categories"), Axis::Row);
  const int cols = statistics_columns(pv);
  const int col = pv.BP_CELL_IN_CATEGORY(cols, key("Marginal Frequency"));
  by_set(pv, rows, a, [&](int j) {
    const auto J = static_cast<std::size_t>(j);
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
  });
  pv.BP_END_PIVOT_TABLE();
}

void history(const Analysis& a) {
  auto& pv = H().pivot;
  pv.BP_BEGIN_PIVOT_TABLE(key("Iteration History"), T_HISTORY);
  const int rows = pv.BP_CATEGORY_DIMENSION(key("Iteration"), Axis::Row);
  const int cols = statistics_columns(pv);
  const int loss = pv.BP_CELL_IN_CATEGORY(cols, key("Loss"));
  const int fit = pv.BP_CELL_IN_CATEGORY(cols, key("ZYL Fit"));
  const int diff = pv.BP_CELL_IN_CATEGORY(cols, key("Iteration Difference"));
  int last = 0;
  for (const HistoryRow& h : a.history) {
    last = pv.BP_CELL_IN_CATEGORY(rows, frame::integer(h.iteration));
    pv.BP_SET_VALUE(CellRef{{last, loss}}, h.loss, host::BP_FIXED_FORMAT(6));
    pv.BP_SET_VALUE(CellRef{{last, fit}}, h.fit, host::BP_FIXED_FORMAT(6));
    pv.BP_SET_VALUE(CellRef{{last, diff}}, h.difference, host::BP_FIXED_FORMAT(6));
    if (h.iteration == 0) pv.BP_ANNOTATE_CATEGORY(rows, last, key("OVR Iteration 0 annotation."));
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
  const int cols = statistics_columns(pv);
  std::vector<std::vector<int>> groups;
  for (const char* g : {"Multiple Fit", "Single Fit", "Single Loss"})
    groups.push_back(dimension_group(pv, cols, g, a.p, true));
  by_set(pv, rows, a, [&](int j) {
    const auto J = static_cast<std::size_t>(j);
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
  });
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
  by_set(pv, rows, a, [&](int j) {
    const auto J = static_cast<std::size_t>(j);
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
  });
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

// Category centroids of the object scores, K_j x p, for variable j.
std::vector<double> category_centroids(const Analysis& a, int j) {
  const auto J = static_cast<std::size_t>(j);
  const int K = a.Kj[J];
  std::vector<double> cen(static_cast<std::size_t>(K) * a.p);
  scaling::IndicatorSums(a.codes + static_cast<long>(j) * a.n, a.n, a.X, a.n, a.p, cen.data(), K, K, K,
                         scaling::Into::Replace);
  const double* f = a.f + a.yoff[J];
  for (int s = 0; s < a.p; ++s)
    for (int c = 0; c < K; ++c) cen[c + static_cast<std::size_t>(s) * K] = f[c] > 0 ? cen[c + static_cast<std::size_t>(s) * K] / f[c] : host::SYSMIS;
  return cen;
}

// One table over every set and variable with a row per category and the
// "Missing" row: `groups` of per-dimension columns after the frequency (and,
// with `quantification`, the single quantification); `value(j, g, c, s)`.
template <class F>
void category_table(const Analysis& a, const char* title, int id, std::vector<const char*> groups,
                    bool quantification, F value) {
  auto& pv = H().pivot;
  pv.BP_BEGIN_PIVOT_TABLE(key(title), id);
  const int rows = pv.BP_CATEGORY_DIMENSION(key("Categories"), Axis::Row);
  const int cols = statistics_columns(pv);
  const int fc = pv.BP_CELL_IN_CATEGORY(cols, key("Marginal Frequency"));
  const int qc = quantification ? pv.BP_CELL_IN_CATEGORY(cols, key("Quantification")) : -1;
  std::vector<std::vector<int>> gc;
  for (const char* g : groups) gc.push_back(dimension_group(pv, cols, g, a.p, false));
  by_set(pv, rows, a, [&](int j) {
    const auto J = static_cast<std::size_t>(j);
    pv.BP_BEGIN_GROUP(rows, pv.BP_VARIABLE(a.var[J]));
    const bool single = a.level[J] != MNOMINAL;
    for (int c = 1; c <= a.Kj[J]; ++c) {
      const int r = pv.BP_CELL_IN_CATEGORY(rows, pv.BP_VARVALUE(a.var[J], static_cast<double>(c)));
      const double f = a.f[a.yoff[J] + c - 1];
      pv.BP_SET_VALUE(CellRef{{r, fc}}, f, host::BP_N_FORMAT());
      if (qc >= 0) pv.BP_SET_VALUE(CellRef{{r, qc}}, single && f > 0 ? a.q[a.yoff[J] + c - 1] : host::SYSMIS, kGen);
      for (std::size_t g = 0; g < gc.size(); ++g)
        for (int s = 0; s < a.p; ++s)
          pv.BP_SET_VALUE(CellRef{{r, gc[g][static_cast<std::size_t>(s)]}}, f > 0 ? value(j, static_cast<int>(g), c - 1, s) : host::SYSMIS, kGen);
    }
    const int r = pv.BP_CELL_IN_CATEGORY(rows, key("Missing"));
    pv.BP_SET_VALUE(CellRef{{r, fc}}, a.missing[J] + a.missing_in_set[J], host::BP_N_FORMAT());
    pv.BP_END_GROUP(rows);
  });
  pv.BP_END_PIVOT_TABLE();
}

void quantifications(const Analysis& a) {
  category_table(a, "Quantifications", T_QUANT, {"Single Category Coordinates", "Multiple Category Coordinates"},
                 true, [&](int j, int g, int c, int s) {
                   const int K = a.Kj[static_cast<std::size_t>(j)];
                   if (g == 0 && a.level[static_cast<std::size_t>(j)] == MNOMINAL) return host::SYSMIS;
                   return (g == 0 ? a.Yj(j) : a.Ymj(j))[c + static_cast<long>(s) * K];
                 });
}

// Projected centroids: the category centroids projected on the direction of
// a single variable's weights.
void centroids(const Analysis& a) {
  std::vector<std::vector<double>> cen;
  for (int j = 0; j < a.m; ++j) cen.push_back(category_centroids(a, j));
  category_table(a, "Centroids", T_CENTROIDS, {"Projected Centroids", "Category Centroids"}, false,
                 [&](int j, int g, int c, int s) {
                   const auto J = static_cast<std::size_t>(j);
                   const int K = a.Kj[J];
                   const auto& C = cen[J];
                   if (g == 1) return C[c + static_cast<std::size_t>(s) * K];
                   if (a.level[J] == MNOMINAL) return host::SYSMIS;
                   const double* w = a.weights + static_cast<long>(j) * a.p;
                   double ww = 0, cw = 0;
                   for (int t = 0; t < a.p; ++t) {
                     ww += w[t] * w[t];
                     cw += C[c + static_cast<std::size_t>(t) * K] * w[t];
                   }
                   return ww > 0 ? cw / ww * w[s] : host::SYSMIS;
                 });
}

// The matrix file: ROWTYPE_, LEVEL_ (the category or the object), VARNAME_,
// VARTYPE_ (the level, 8 characters), SET_, then one column per dimension.
bool matrix_file(int handle, const Analysis& a) {
  auto& h = H();
  auto& f = h.files;
  static const char* const kType[] = {"SINGLE N", "ORDINAL", "NUMERICA", "MULTIPLE"};
  std::size_t width = 8;
  for (int v : a.var) width = std::max(width, (h.dict.DICGET(v).name.size() + 7) / 8 * 8);
  std::vector<host::FileVar> dict;
  dict.push_back({"ROWTYPE_", 8, "", {}, {}});
  dict.push_back({"LEVEL_", 64, "", {}, {}});
  dict.push_back({"VARNAME_", static_cast<int>(width), "", {}, {}});
  dict.push_back({"VARTYPE_", 8, "", {}, {}});
  dict.push_back({"SET_", 0, "", {}, {}});
  for (int s = 1; s <= a.p; ++s) dict.push_back({"DIM" + std::to_string(s), 0, "", {}, {}});
  // The values of every record are gathered in one block first: a
  // shortfall is known before anything is written.
  std::size_t rows = static_cast<std::size_t>(a.n);
  for (int j = 0; j < a.m; ++j) {
    const auto J = static_cast<std::size_t>(j);
    const bool single = a.level[J] != MNOMINAL;
    for (int c = 0; c < a.Kj[J]; ++c)
      if (a.f[a.yoff[J] + c] > 0) rows += single ? 4 : 2;
    if (single) rows += 2;
  }
  // Its own block: a shortfall here is the matrix file's, not the analysis'.
  older::MatrixRows out(rows, a.p);
  if (!out.ok()) return true;  // reported; nothing is written
  auto write = [&](const char* type, const std::string& level, int j, auto value) {
    return out.write(type, level, j, value);
  };
  const auto& heads = out.heads();
  bool ok = true;
  for (int i = 0; i < a.n && ok; ++i)
    ok = write("SCOOR_", std::to_string(a.case_numbers[static_cast<std::size_t>(i)]), -1,
               [&](int s) { return a.X[i + static_cast<long>(s) * a.n]; });
  for (int j = 0; j < a.m && ok; ++j) {
    const auto J = static_cast<std::size_t>(j);
    const int K = a.Kj[J];
    const bool single = a.level[J] != MNOMINAL;
    const auto cen = category_centroids(a, j);
    const double* w = a.weights + static_cast<long>(j) * a.p;
    double ww = 0;
    for (int s = 0; s < a.p; ++s) ww += w[s] * w[s];
    for (int c = 0; c < K && ok; ++c) {
      if (a.f[a.yoff[J] + c] <= 0) continue;
      const std::string level = std::to_string(c + 1);
      if (single)
        ok = write("QUANT_", level, j, [&](int s) { return s == 0 ? a.q[a.yoff[J] + c] : host::SYSMIS; });
      if (ok) ok = write("MCOOR_", level, j, [&](int s) { return a.Ymj(j)[c + static_cast<long>(s) * K]; });
      if (ok) ok = write("CENTRO_", level, j, [&](int s) { return cen[c + static_cast<std::size_t>(s) * K]; });
      if (ok && single) {
        double cw = 0;
        for (int s = 0; s < a.p; ++s) cw += cen[c + static_cast<std::size_t>(s) * K] * w[s];
        ok = write("PCENTRO_", level, j, [&](int s) { return ww > 0 ? cw / ww * w[s] : host::SYSMIS; });
      }
    }
    if (ok && single) {
      ok = write("LOADING_", "", j, [&](int s) { return projection(a, j, a.q + a.yoff[J], s); });
      if (ok) ok = write("WEIGHT_", "", j, [&](int s) { return w[s]; });
    }
  }
  const bool flagged = h.msg.error_flag();
  if (!f.MTDDIC(handle, dict)) return false;
  std::vector<host::FileValue> rec;
  for (std::size_t r = 0; r < heads.size() && ok; ++r) {
    const int j = heads[r].j;
    rec.clear();
    rec.push_back(host::FileValue::str(heads[r].type));
    rec.push_back(host::FileValue::str(heads[r].level));
    rec.push_back(host::FileValue::str(j < 0 ? "" : h.dict.DICGET(a.var[static_cast<std::size_t>(j)]).name));
    rec.push_back(host::FileValue::str(j < 0 ? "" : kType[a.level[static_cast<std::size_t>(j)]]));
    rec.push_back(host::FileValue::num(j < 0 ? host::SYSMIS : a.set[static_cast<std::size_t>(j)] + 1));
    for (int s = 0; s < a.p; ++s) rec.push_back(host::FileValue::num(out.value(r, s)));
    ok = f.MTDWRT(handle, rec);
  }
  if (!ok) return false;
  f.MTDCLS(handle);
  if (!flagged && h.msg.error_flag()) return false;
  h.pivot.add_note(key("Files Saved"), frame::text(f.path(handle)), key("Matrix File"));
  return true;
}

void charts(const Settings& s, const Analysis& a) {
  bool any = false;
  for (bool b : s.plot) any = any || b;
  if (!any) return;
  older::ChartSpec spec;
  spec.chart_template = "OVERALS";
  spec.first = std::max(0, std::min(s.ndim_first, a.p) - 1);
  spec.d = std::max(2, std::min(s.ndim_last, a.p) - spec.first);
  auto& m = H().msg;
  const bool planes = a.p >= 2;
  if (planes && s.plot[P_OBJECT]) {
    std::vector<older::ChartPoint> pts;
    for (int i = 0; i < a.n; ++i) {
      std::vector<double> xy(static_cast<std::size_t>(a.p));
      for (int t = 0; t < a.p; ++t) xy[static_cast<std::size_t>(t)] = a.X[i + static_cast<long>(t) * a.n];
      pts.push_back({frame::integer(a.case_numbers[static_cast<std::size_t>(i)]), 0, xy});
    }
    spec.title = m.CX_NSTRING("61701");
    older::chart(spec, pts);
  }
  if (planes && s.plot[P_LOADING]) {
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
  if (planes && s.plot[P_QUANT]) {
    spec.title = m.CX_NSTRING("61703");
    older::chart(spec, category_points(false));
  }
  if (planes && s.plot[P_CENTROID]) {
    spec.title = m.CX_NSTRING("61704");
    older::chart(spec, category_points(true));
  }
  if (s.plot[P_TRANS]) {
    // One chart per variable: each category's quantification (single
    // variables) or its coordinates in the plotted dimensions (multiple
    // ones, a group per dimension).
    older::ChartSpec ts;
    ts.chart_template = "OVERALS";
    ts.first = 0;
    ts.d = 1;
    for (int j = 0; j < a.m; ++j) {
      const auto J = static_cast<std::size_t>(j);
      const int v = a.var[J];
      if (!s.trans_vars.empty() && std::find(s.trans_vars.begin(), s.trans_vars.end(), v) == s.trans_vars.end())
        continue;
      const int K = a.Kj[J];
      const bool single = a.level[J] != MNOMINAL;
      std::vector<older::ChartPoint> pts;
      for (int t = single ? 0 : spec.first; t < (single ? 1 : spec.first + spec.d) && t < a.p; ++t)
        for (int c = 1; c <= K; ++c) {
          if (a.f[a.yoff[J] + c - 1] <= 0) continue;
          const double y = single ? a.q[a.yoff[J] + c - 1] : a.Ymj(j)[c - 1 + static_cast<long>(t) * K];
          pts.push_back({H().pivot.BP_VARVALUE(v, static_cast<double>(c)),
                         single ? 0 : frame::composite("^1, Dimension ^2", {H().pivot.BP_VARIABLE(v), dim(t)}),
                         {y}});
        }
      ts.title = frame::composite("61705^1", {H().pivot.BP_VARIABLE(v)});
      ts.value_title = key(single ? "Quantification" : "Category Quantifications");
      older::chart(ts, pts);
    }
  }
}

}  // namespace

void case_summary(const Analysis& a) {
  auto& pv = H().pivot;
  pv.BP_BEGIN_PIVOT_TABLE(key("Case Processing Summary"), T_CASES);
  const int rows = pv.BP_CATEGORY_DIMENSION(key("Case Processing Summary"), Axis::Row);
  pv.BP_HIDE_DIMENSION_LABEL(rows);
  const int cols = statistics_columns(pv);
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
  if (s.print[R_QUANT]) quantifications(a);
  if (s.print[R_CENTROID]) centroids(a);
  if (s.print[R_OBJECT]) object_scores(a);
  charts(s, a);
  if (s.save && s.split_file) {
    older::number(18028, 2, frame::kWarning);
  } else if (s.save) {
    const int dims = s.save_dims > 0 ? std::min(s.save_dims, a.p) : a.p;
    older::save_object_scores(older::kOveralsSave, s.save_root, dims, a.n, a.X, a.n, a.case_numbers);
  }
  if (s.matrix_handle > 0) {
    if (!matrix_file(s.matrix_handle, a))
      frame::report("HOM Matrix file ^1 not written.", {frame::text(H().files.path(s.matrix_handle))},
                    frame::kError);
  }
}

}  // namespace oscat::overals
