// HOMALS output: tables, charts, saved object scores and the matrix file.
#include <algorithm>
#include <cstdio>
#include <string>

#include "frame/messages.hpp"
#include "homals/analysis.hpp"
#include "homals/shared.hpp"

namespace oscat::homals {
namespace {

using frame::key;
using host::Axis;
using host::CellRef;
using host::H;
using host::Msg;

// Table identifiers, declared at entry.
enum { T_FREQ = 4, T_HISTORY, T_EIGEN, T_QUANT, T_OBJECT, T_DISCRIM };
const host::Format kGen = host::BP_FIXED_FORMAT(3);

Msg category(int var, int c) { return H().pivot.BP_VARVALUE(var, static_cast<double>(c)); }

void frequencies(const Analysis& a) {
  auto& p = H().pivot;
  p.BP_BEGIN_PIVOT_TABLE(key("Marginal Frequencies"), T_FREQ);
  const int rows = p.BP_CATEGORY_DIMENSION(key("Variables"), Axis::Row);
  const int cols = p.BP_CELL_DIMENSION(key("Statistics"), Axis::Column);
  p.BP_HIDE_DIMENSION_LABEL(cols);
  const int col = p.BP_CELL_IN_CATEGORY(cols, key("Marginal Frequency"));
  for (int j = 0; j < a.m; ++j) {
    const auto J = static_cast<std::size_t>(j);
    p.BP_BEGIN_GROUP(rows, p.BP_VARIABLE(a.var[J]));
    for (int c = 1; c <= a.K[J]; ++c) {
      const int r = p.BP_CELL_IN_CATEGORY(rows, category(a.var[J], c));
      p.BP_SET_VALUE(CellRef{{r, col}}, a.f[a.yoff[J] + c - 1], host::BP_N_FORMAT());
    }
    const int r = p.BP_CELL_IN_CATEGORY(rows, key("Missing"));
    p.BP_SET_VALUE(CellRef{{r, col}}, a.missing[J], host::BP_N_FORMAT());
    p.BP_END_GROUP(rows);
  }
  p.BP_END_PIVOT_TABLE();
}

void history(const Analysis& a) {
  auto& p = H().pivot;
  p.BP_BEGIN_PIVOT_TABLE(key("Iteration History"), T_HISTORY);
  const int rows = p.BP_CATEGORY_DIMENSION(key("Iteration"), Axis::Row);
  const int cols = p.BP_CELL_DIMENSION(key("Statistics"), Axis::Column);
  p.BP_HIDE_DIMENSION_LABEL(cols);
  const int fit = p.BP_CELL_IN_CATEGORY(cols, key("ZYL Fit"));
  const int diff = p.BP_CELL_IN_CATEGORY(cols, key("Iteration Difference"));
  int last = 0;
  for (const HistoryRow& h : a.history) {
    last = p.BP_CELL_IN_CATEGORY(rows, frame::integer(h.iteration));
    p.BP_SET_VALUE(CellRef{{last, fit}}, h.fit, host::BP_FIXED_FORMAT(5));
    p.BP_SET_VALUE(CellRef{{last, diff}}, h.difference, host::BP_FIXED_FORMAT(6));
  }
  p.BP_ANNOTATE_CATEGORY(rows, last, key(a.crit_reached ? "CRITITER reached." : "MAXITER reached."));
  p.BP_END_PIVOT_TABLE();
}

void eigenvalues(const Analysis& a) {
  auto& p = H().pivot;
  p.BP_BEGIN_PIVOT_TABLE(key("Eigenvalues"), T_EIGEN);
  const int rows = p.BP_CATEGORY_DIMENSION(key("Dimension"), Axis::Row);
  const int cols = p.BP_CELL_DIMENSION(key("Statistics"), Axis::Column);
  p.BP_HIDE_DIMENSION_LABEL(cols);
  const int col = p.BP_CELL_IN_CATEGORY(cols, key("Eigenvalue"));
  for (int s = 0; s < a.p; ++s) {
    const int r = p.BP_CELL_IN_CATEGORY(rows, frame::integer(s + 1));
    p.BP_SET_VALUE(CellRef{{r, col}}, a.eigen[static_cast<std::size_t>(s)], kGen);
  }
  p.BP_END_PIVOT_TABLE();
}

void quantifications(const Analysis& a) {
  auto& p = H().pivot;
  for (int j = 0; j < a.m; ++j) {
    const auto J = static_cast<std::size_t>(j);
    const int K = a.K[J];
    const double* Yj = a.Y + a.yoff[J] * a.p;
    p.BP_BEGIN_PIVOT_TABLE(key("Quantifications"), T_QUANT, p.BP_VARIABLE(a.var[J]));
    const int rows = p.BP_CATEGORY_DIMENSION(p.BP_VARIABLE(a.var[J]), Axis::Row);
    const int cols = p.BP_CELL_DIMENSION(key("Statistics"), Axis::Column);
    p.BP_HIDE_DIMENSION_LABEL(cols);
    const int freq = p.BP_CELL_IN_CATEGORY(cols, key("Marginal Frequency"));
    p.BP_BEGIN_GROUP(cols, key("Dimension"));
    std::vector<int> dc;
    for (int s = 0; s < a.p; ++s) dc.push_back(p.BP_CELL_IN_CATEGORY(cols, frame::integer(s + 1)));
    p.BP_END_GROUP(cols);
    for (int c = 1; c <= K; ++c) {
      const int r = p.BP_CELL_IN_CATEGORY(rows, category(a.var[J], c));
      const double f = a.f[a.yoff[J] + c - 1];
      p.BP_SET_VALUE(CellRef{{r, freq}}, f, host::BP_N_FORMAT());
      // An empty category has no quantification.
      for (int s = 0; s < a.p; ++s)
        p.BP_SET_VALUE(CellRef{{r, dc[static_cast<std::size_t>(s)]}},
                       f > 0 ? Yj[c - 1 + static_cast<long>(s) * K] : host::SYSMIS, kGen);
    }
    const int r = p.BP_CELL_IN_CATEGORY(rows, key("Missing"));
    p.BP_SET_VALUE(CellRef{{r, freq}}, a.missing[J], host::BP_N_FORMAT());
    p.BP_END_PIVOT_TABLE();
  }
}

void object_scores(const Analysis& a) {
  auto& p = H().pivot;
  p.BP_BEGIN_PIVOT_TABLE(key("Object Scores"), T_OBJECT);
  const int rows = p.BP_CATEGORY_DIMENSION(key("Case Number"), Axis::Row);
  const int cols = p.BP_CELL_DIMENSION(key("Dimension"), Axis::Column);
  std::vector<int> dc;
  for (int s = 0; s < a.p; ++s) dc.push_back(p.BP_CELL_IN_CATEGORY(cols, frame::integer(s + 1)));
  for (int i = 0; i < a.n; ++i) {
    const int r = p.BP_CELL_IN_CATEGORY(rows, frame::integer(a.case_numbers[static_cast<std::size_t>(i)]));
    for (int s = 0; s < a.p; ++s)
      p.BP_SET_VALUE(CellRef{{r, dc[static_cast<std::size_t>(s)]}}, a.X[i + static_cast<long>(s) * a.n], kGen);
  }
  p.BP_END_PIVOT_TABLE();
}

void discrimination(const Analysis& a) {
  auto& p = H().pivot;
  p.BP_BEGIN_PIVOT_TABLE(key("Discrimination Measures"), T_DISCRIM);
  const int rows = p.BP_CATEGORY_DIMENSION(key("Variables"), Axis::Row);
  const int cols = p.BP_CELL_DIMENSION(key("Dimension"), Axis::Column);
  std::vector<int> dc;
  for (int s = 0; s < a.p; ++s) dc.push_back(p.BP_CELL_IN_CATEGORY(cols, frame::integer(s + 1)));
  for (int j = 0; j < a.m; ++j) {
    const int r = p.BP_CELL_IN_CATEGORY(rows, p.BP_VARIABLE(a.var[static_cast<std::size_t>(j)]));
    for (int s = 0; s < a.p; ++s)
      p.BP_SET_VALUE(CellRef{{r, dc[static_cast<std::size_t>(s)]}},
                     a.discrimination[static_cast<std::size_t>(j) + static_cast<std::size_t>(s) * a.m], kGen);
  }
  p.BP_END_PIVOT_TABLE();
}

// ------------------------------------------------------------------ charts ---
Msg number_text(const char* n) { return H().msg.CX_NSTRING(n); }
Msg number_text(const char* n, Msg param) {
  auto& m = H().msg;
  const Msg c = m.BP_BEGIN_COMPSTRING(m.CX_NSTRING(n));
  m.BP_ADD_PARAMETER(c, param);
  return m.BP_END_COMPSTRING(c);
}

std::string value_text(double v) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.15g", v);
  return buf;
}

void charts(const Settings& s, const Analysis& a) {
  if (a.plot_first == 0) return;
  older::ChartSpec spec;
  spec.first = a.plot_first - 1;
  spec.d = a.plot_last - a.plot_first + 1;
  auto row_scores = [&](int i) {
    std::vector<double> xy(static_cast<std::size_t>(a.p));
    for (int t = 0; t < a.p; ++t) xy[static_cast<std::size_t>(t)] = a.X[i + static_cast<long>(t) * a.n];
    return xy;
  };
  if (s.plot[P_OBJECT]) {
    std::vector<older::ChartPoint> pts;
    for (int i = 0; i < a.n; ++i)
      pts.push_back({frame::integer(a.case_numbers[static_cast<std::size_t>(i)]), 0, row_scores(i)});
    spec.title = number_text("E61007");
    spec.label_length = s.label_len[P_OBJECT];
    older::chart(spec, pts);
  }
  if (s.plot[P_OBJECT_BY]) {
    for (std::size_t l = 0; l < s.object_by.size(); ++l) {
      const int v = s.object_by[l];
      std::vector<older::ChartPoint> pts;
      for (int i = 0; i < a.n; ++i) {
        const double x = a.labels[l][static_cast<std::size_t>(i)];
        Msg lab = 0;
        if (!host::is_sysmis(x)) {
          const std::string vl = H().dict.VLBLST(v, x);
          lab = frame::text(vl.empty() ? value_text(x) : vl);
        }
        pts.push_back({lab, 0, row_scores(i)});
      }
      spec.title = number_text("E61008^1", frame::text(H().dict.DICGET(v).name));
      spec.label_length = s.label_len[P_OBJECT_BY];
      older::chart(spec, pts);
    }
  }
  auto quant_points = [&](const std::vector<int>& only) {
    std::vector<older::ChartPoint> pts;
    for (int j = 0; j < a.m; ++j) {
      const auto J = static_cast<std::size_t>(j);
      const int v = a.var[J];
      if (!only.empty() && std::find(only.begin(), only.end(), v) == only.end()) continue;
      const int K = a.K[J];
      const double* Yj = a.Y + a.yoff[J] * a.p;
      for (int c = 1; c <= K; ++c) {
        if (a.f[a.yoff[J] + c - 1] <= 0) continue;
        std::vector<double> xy(static_cast<std::size_t>(a.p));
        for (int t = 0; t < a.p; ++t) xy[static_cast<std::size_t>(t)] = Yj[c - 1 + static_cast<long>(t) * K];
        pts.push_back({category(v, c), H().pivot.BP_VARIABLE(v), xy});
      }
    }
    return pts;
  };
  if (s.plot[P_QUANT]) {
    spec.title = number_text("E61009");
    spec.label_length = s.label_len[P_QUANT];
    older::chart(spec, quant_points({}));
  }
  if (s.plot[P_QUANT_SEL]) {
    for (int v : s.quant_sel) {
      spec.title = number_text("E61010^1", frame::text(H().dict.DICGET(v).name));
      spec.label_length = s.label_len[P_QUANT_SEL];
      older::chart(spec, quant_points({v}));
    }
  }
  if (s.plot[P_DISCRIM]) {
    std::vector<older::ChartPoint> pts;
    for (int j = 0; j < a.m; ++j) {
      std::vector<double> xy(static_cast<std::size_t>(a.p));
      for (int t = 0; t < a.p; ++t)
        xy[static_cast<std::size_t>(t)] = a.discrimination[static_cast<std::size_t>(j) + static_cast<std::size_t>(t) * a.m];
      pts.push_back({H().pivot.BP_VARIABLE(a.var[static_cast<std::size_t>(j)]), 0, xy});
    }
    spec.title = number_text("E61011");
    spec.label_length = s.label_len[P_DISCRIM];
    older::chart(spec, pts);
  }
}

}  // namespace

void output(const Settings& s, const Analysis& a) {
  if (s.print[R_FREQ]) frequencies(a);
  if (!a.history.empty()) history(a);
  if (s.print[R_EIGEN]) eigenvalues(a);
  if (s.print[R_QUANT]) quantifications(a);
  if (s.print[R_OBJECT]) object_scores(a);
  if (s.print[R_DISCRIM]) discrimination(a);
  charts(s, a);
  if (s.save) {
    const int dims = s.save_dims > 0 ? std::min(s.save_dims, a.p) : a.p;
    older::save_object_scores(older::kHomalsSave, s.save_root, dims, a.n, a.X, a.n, a.case_numbers);
  }
  if (s.matrix_handle > 0) {
    std::vector<older::QuantVariable> vars;
    for (int j = 0; j < a.m; ++j) {
      const auto J = static_cast<std::size_t>(j);
      vars.push_back({a.var[J], a.K[J], a.Y + a.yoff[J] * a.p, a.K[J]});
    }
    if (!older::write_quantifications(s.matrix_handle, vars, a.p))
      frame::report("HOM Matrix file ^1 not written.", {frame::text(H().files.path(s.matrix_handle))},
                    frame::kError);
  }
}

}  // namespace oscat::homals
