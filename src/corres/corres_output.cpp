#include "corres/corres_output.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "corres/corres_msg.hpp"
#include "frame/messages.hpp"
#include "frame/workspace.hpp"

namespace oscat::corres {
namespace {

using host::Axis;
using host::CellRef;
using host::Format;
using host::H;
using host::Msg;
using host::SYSMIS;

using frame::key;
Msg lit(const std::string& t) { return H().msg.BP_CSTRING_NO_TRANSLATE(t); }
Msg num(long v) { return H().msg.BP_IVALUE(v, host::BP_N_FORMAT()); }
Msg comp1(Msg pattern, Msg p1) {
  auto& m = H().msg;
  Msg c = m.BP_BEGIN_COMPSTRING(pattern);
  m.BP_ADD_PARAMETER(c, p1);
  return m.BP_END_COMPSTRING(c);
}
Msg comp2(Msg pattern, Msg p1, Msg p2) {
  auto& m = H().msg;
  Msg c = m.BP_BEGIN_COMPSTRING(pattern);
  m.BP_ADD_PARAMETER(c, p1);
  m.BP_ADD_PARAMETER(c, p2);
  return m.BP_END_COMPSTRING(c);
}
inline bool flag(const int* f, int i) { return f != nullptr && f[i] != 0; }
inline double at(const double* m, int ld, int i, int j) { return m[static_cast<std::size_t>(j) * ld + i]; }
const Format kCorr = host::BP_CORRELATION_FORMAT();
const Format kGen = host::BP_GENSTAT_FORMAT();

// Weighted counts are written with one number of decimals for the whole table
// (the fewest, up to 3, that show every cell exactly), so a column never mixes
// "1" with "1.100".
int count_decimals(const Analysis& a) {
  int d = 0;
  auto need = [&](double v) {
    if (!std::isfinite(v)) return;
    for (double scale = std::pow(10.0, d); d < 3; scale *= 10.0) {
      const double x = v * scale;
      if (std::fabs(x - std::round(x)) <= 1e-9 * std::max(1.0, std::fabs(x))) return;
      ++d;
    }
  };
  for (long k = 0; k < static_cast<long>(a.I) * a.J; ++k) need(a.F0[k]);
  for (int i = 0; i < a.I; ++i) need(a.r0[i]);
  for (int j = 0; j < a.J; ++j) need(a.c0[j]);
  need(a.N);
  return d;
}

std::string number_text(double v) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.15g", v);
  return buf;
}

Msg normalization_caption(const Settings& s) {
  if (s.norm_text.empty()) return key(s.norm_key.c_str());
  return comp1(key(s.norm_key.c_str()), lit(s.norm_text));
}

}  // namespace

void make_labels(const Settings& s, const double* rowcat, Labels& l) {
  auto& d = H().dict;
  l.row.resize(s.nrow);
  l.col.resize(s.ncol);
  l.row_level.resize(s.nrow);
  l.col_level.resize(s.ncol);
  for (int side = 0; side < 2; ++side) {
    const bool row = side == 0;
    const int n = row ? s.nrow : s.ncol;
    auto& lab = row ? l.row : l.col;
    auto& lev = row ? l.row_level : l.col_level;
    for (int k = 0; k < n; ++k) {
      std::string shown, label;
      if (s.table_mode == 1) {
        const int var = row ? s.row_var : s.col_var;
        const double value = (row ? s.row_min : s.col_min) + static_cast<double>(k);
        label = d.VLBLST(var, value);
        shown = label.empty() ? number_text(value) : label;
      } else if (row) {
        if (s.rowcat_var != 0) {
          label = d.VLBLST(s.rowcat_var, rowcat[k]);
          shown = label.empty() ? number_text(rowcat[k]) : label;
        } else {
          shown = std::to_string(k + 1);
        }
      } else {
        const int var = k < s.nmatrix_vars ? s.matrix_vars[k] : 0;
        label = var ? d.VRLABG(var) : std::string();
        shown = label.empty() ? std::to_string(k + 1) : label;
      }
      if (shown.size() > 64) shown.resize(64);
      lab[k] = shown;
      std::string trimmed = label;
      while (!trimmed.empty() && trimmed.back() == ' ') trimmed.pop_back();
      lev[k] = trimmed.empty() ? std::to_string(k + 1) : trimmed.substr(0, 64);
    }
  }
  if (s.table_mode == 1) {
    l.row_heading = d.VRLABG(s.row_var);
    l.col_heading = d.VRLABG(s.col_var);
  } else {
    l.row_heading = H().msg.text(key("Row"));
    l.col_heading = H().msg.text(key("Column"));
  }
}

// ----------------------------------------------------------- the table ---
void Output::correspondence_table(int d) {
  auto& p = H().pivot;
  const Analysis& a = a_;
  if (d < 0) {
    p.BP_BEGIN_PIVOT_TABLE(key("Correspondence Table"), 5, key("Correspondence Table"));
  } else {
    p.BP_BEGIN_PIVOT_TABLE(comp1(key("Permuted Correspondence Table According to Dimension ^1"), num(d + 1)),
                           12 + d, key("Permuted Correspondence Dimension"));
  }
  const bool byvar = s_.table_mode == 1;
  const int rd = p.BP_CATEGORY_DIMENSION(byvar ? H().pivot.BP_VARINDEX(s_.row_var) : key("Row"), Axis::Row);
  const int cd = p.BP_CATEGORY_DIMENSION(byvar ? H().pivot.BP_VARINDEX(s_.col_var) : key("Column"), Axis::Column);
  std::vector<int> rorder(a.I), corder(a.J);
  for (int i = 0; i < a.I; ++i) rorder[i] = i;
  for (int j = 0; j < a.J; ++j) corder[j] = j;
  if (d >= 0) {
    ca_permutation(const_cast<Analysis&>(a), false, d);
    std::copy(a.perm, a.perm + a.I, rorder.begin());
    ca_permutation(const_cast<Analysis&>(a), true, d);
    std::copy(a.perm, a.perm + a.J, corder.begin());
  }
  std::vector<int> rid(a.I), cid(a.J);
  for (int i : rorder) {
    rid[i] = p.BP_CELL_IN_CATEGORY(rd, lit(l_.row[i]));
    if (flag(a.suprow, i)) p.BP_ANNOTATE_CATEGORY(rd, rid[i], key("Supplementary row"));
  }
  const int rm = p.BP_CELL_IN_CATEGORY(rd, key("Active Margin"));
  for (int j : corder) {
    cid[j] = p.BP_CELL_IN_CATEGORY(cd, lit(l_.col[j]));
    if (flag(a.supcol, j)) p.BP_ANNOTATE_CATEGORY(cd, cid[j], key("Supplementary column"));
  }
  const int cm = p.BP_CELL_IN_CATEGORY(cd, key("Active Margin"));
  const Format f = allint_ ? host::BP_N_FORMAT() : host::BP_FIXED_FORMAT(count_decimals(a));
  for (int i = 0; i < a.I; ++i) {
    for (int j = 0; j < a.J; ++j)
      if (!(flag(a.suprow, i) && flag(a.supcol, j))) p.BP_SET_VALUE(CellRef{{rid[i], cid[j]}}, at(a.F0, a.I, i, j), f);
    if (!flag(a.suprow, i)) p.BP_SET_VALUE(CellRef{{rid[i], cm}}, a.r0[i], f);
  }
  for (int j = 0; j < a.J; ++j)
    if (!flag(a.supcol, j)) p.BP_SET_VALUE(CellRef{{rm, cid[j]}}, a.c0[j], f);
  p.BP_SET_VALUE(CellRef{{rm, cm}}, a.N, f);
  p.BP_END_PIVOT_TABLE();
}

void Output::row_profiles() { profiles(false); }
void Output::column_profiles() { profiles(true); }

void Output::profiles(bool col) {
  auto& p = H().pivot;
  const Analysis& a = a_;
  p.BP_BEGIN_PIVOT_TABLE(key(col ? "Column Profiles" : "Row Profiles"), col ? 7 : 6,
                         key(col ? "Column Profiles" : "Row Profiles"));
  const bool byvar = s_.table_mode == 1;
  const int rd = p.BP_CATEGORY_DIMENSION(byvar ? p.BP_VARINDEX(s_.row_var) : key("Row"), Axis::Row);
  const int cd = p.BP_CATEGORY_DIMENSION(byvar ? p.BP_VARINDEX(s_.col_var) : key("Column"), Axis::Column);
  std::vector<int> rid(a.I), cid(a.J);
  for (int i = 0; i < a.I; ++i) {
    rid[i] = p.BP_CELL_IN_CATEGORY(rd, lit(l_.row[i]));
    if (flag(a.suprow, i)) p.BP_ANNOTATE_CATEGORY(rd, rid[i], key("Supplementary row"));
  }
  const int rlast = p.BP_CELL_IN_CATEGORY(rd, key(col ? "Active Margin" : "Mass"));
  for (int j = 0; j < a.J; ++j) {
    cid[j] = p.BP_CELL_IN_CATEGORY(cd, lit(l_.col[j]));
    if (flag(a.supcol, j)) p.BP_ANNOTATE_CATEGORY(cd, cid[j], key("Supplementary column"));
  }
  const int clast = p.BP_CELL_IN_CATEGORY(cd, key(col ? "Mass" : "Active Margin"));
  for (int i = 0; i < a.I; ++i)
    for (int j = 0; j < a.J; ++j) {
      const double den = col ? a.c0[j] : a.r0[i];
      p.BP_SET_VALUE(CellRef{{rid[i], cid[j]}}, std::fabs(den) > 0.0001 ? at(a.F0, a.I, i, j) / den : 0.0, kCorr);
    }
  if (!col) {
    for (int i = 0; i < a.I; ++i)
      p.BP_SET_VALUE(CellRef{{rid[i], clast}}, std::fabs(a.r0[i]) > 0.0001 ? 1.0 : 0.0, kCorr);
    for (int j = 0; j < a.J; ++j) p.BP_SET_VALUE(CellRef{{rlast, cid[j]}}, a.c0[j] / a.N, kCorr);
  } else {
    for (int j = 0; j < a.J; ++j)
      p.BP_SET_VALUE(CellRef{{rlast, cid[j]}}, std::fabs(a.c0[j]) > 0.0001 ? 1.0 : 0.0, kCorr);
    for (int i = 0; i < a.I; ++i) p.BP_SET_VALUE(CellRef{{rid[i], clast}}, a.r0[i] / a.N, kCorr);
  }
  p.BP_END_PIVOT_TABLE();
}

// ------------------------------------------------------------- summary ---
void Output::summary() {
  auto& p = H().pivot;
  const Analysis& a = a_;
  p.BP_BEGIN_PIVOT_TABLE(key("Summary"), 4, key("Summary"));
  const int rd = p.BP_CATEGORY_DIMENSION(key("Dimension"), Axis::Row);
  const int cd = p.BP_CELL_DIMENSION(key("Statistics"), Axis::Column);
  p.BP_HIDE_DIMENSION_LABEL(cd);
  std::vector<int> rid(a.qp);
  for (int k = 0; k < a.qp; ++k) rid[k] = p.BP_CELL_IN_CATEGORY(rd, num(k + 1));
  const int rtot = p.BP_CELL_IN_CATEGORY(rd, key("Summary Total"));
  const int csv = p.BP_CELL_IN_CATEGORY(cd, key("Singular Value"));
  const int cin = p.BP_CELL_IN_CATEGORY(cd, key("Summary Inertia"));
  int cchi = -1, csig = -1;
  const bool chisq = a.measure == CHISQ;
  if (chisq) {
    cchi = p.BP_CELL_IN_CATEGORY(cd, key("Chi Square"));
    csig = p.BP_CELL_IN_CATEGORY(cd, key("Sig."));
  }
  p.BP_BEGIN_GROUP(cd, key("Proportion of Inertia"));
  const int cacc = p.BP_CELL_IN_CATEGORY(cd, key("Accounted for"));
  const int ccum = p.BP_CELL_IN_CATEGORY(cd, key("Cumulative"));
  p.BP_END_GROUP(cd);
  p.BP_BEGIN_GROUP(cd, key("Confidence Singular Value"));
  const int csd = p.BP_CELL_IN_CATEGORY(cd, key("Standard Deviation"));
  std::vector<int> ccor;
  if (a.p > 1) {
    p.BP_BEGIN_GROUP(cd, key("Correlation"));
    for (int l = 1; l < a.p; ++l) ccor.push_back(p.BP_CELL_IN_CATEGORY(cd, num(l + 1)));
    p.BP_END_GROUP(cd);
  }
  p.BP_END_GROUP(cd);
  const double total = a.total_inertia;
  double cum = 0;
  for (int k = 0; k < a.qp; ++k) {
    const double in = a.lambda[k] * a.lambda[k];
    const double prop = total > 0 ? in / total : 0.0;
    cum += prop;
    p.BP_SET_VALUE(CellRef{{rid[k], csv}}, a.lambda[k], kCorr);
    p.BP_SET_VALUE(CellRef{{rid[k], cin}}, in, kCorr);
    p.BP_SET_VALUE(CellRef{{rid[k], cacc}}, prop, kCorr);
    p.BP_SET_VALUE(CellRef{{rid[k], ccum}}, cum, kCorr);
    if (k < a.p) {
      const double var = a.cov[cov_index(a.p, 0, k, k)];
      p.BP_SET_VALUE(CellRef{{rid[k], csd}}, var > 0 ? std::sqrt(var) : 0.0, kGen);
      for (int l = k + 1; l < a.p; ++l) {
        const double vl = a.cov[cov_index(a.p, 0, l, l)];
        const double r = var > 0 && vl > 0 ? a.cov[cov_index(a.p, 0, k, l)] / std::sqrt(var * vl) : SYSMIS;
        p.BP_SET_VALUE(CellRef{{rid[k], ccor[l - 1]}}, r, kCorr);
      }
    }
  }
  p.BP_SET_VALUE(CellRef{{rtot, cin}}, total, kGen);
  if (chisq) {
    p.BP_SET_VALUE(CellRef{{rtot, cchi}}, a.chi2, kGen);
    const double sig = host::SIGCHI(a.chi2, a.df);
    CellRef sc{{rtot, csig}};
    p.BP_SET_VALUE(sc, sig, host::BP_SIGNIFICANCE_FORMAT());
    p.BP_ANNOTATE_CELL(sc, comp1(key("^1 degrees of freedom"), num(a.df)));
    if (a.Inz < a.Iact || a.Jnz < a.Jact)
      p.BP_ANNOTATE_CELL(sc, comp2(key("^1 empty rows and ^2 empty columns are not counted in the degrees of freedom."),
                                   num(a.Iact - a.Inz), num(a.Jact - a.Jnz)));
  }
  p.BP_SET_VALUE(CellRef{{rtot, cacc}}, cum, kCorr);
  p.BP_SET_VALUE(CellRef{{rtot, ccum}}, cum, kCorr);
  p.BP_END_PIVOT_TABLE();
}

// ------------------------------------------------------------ overview ---
void Output::overview(bool col) {
  auto& p = H().pivot;
  const Analysis& a = a_;
  const int n = col ? a.J : a.I;
  const int* sup = col ? a.supcol : a.suprow;
  const int* eq = col ? a.eqcol : a.eqrow;
  const auto& lab = col ? l_.col : l_.row;
  p.BP_BEGIN_PIVOT_TABLE(key(col ? "Overview Column Points" : "Overview Row Points"), col ? 9 : 8,
                         key(col ? "Overview Column Points" : "Overview Row Points"));
  p.BP_ANNOTATE(normalization_caption(s_));
  const bool byvar = s_.table_mode == 1;
  const int rd = p.BP_CATEGORY_DIMENSION(
      byvar ? p.BP_VARINDEX(col ? s_.col_var : s_.row_var) : key(col ? "Column" : "Row"), Axis::Row);
  const int cd = p.BP_CELL_DIMENSION(key("Statistics"), Axis::Column);
  p.BP_HIDE_DIMENSION_LABEL(cd);
  std::vector<int> rid(n);
  for (int i = 0; i < n; ++i) {
    rid[i] = p.BP_CELL_IN_CATEGORY(rd, lit(lab[i]));
    if (flag(sup, i)) p.BP_ANNOTATE_CATEGORY(rd, rid[i], key("Supplementary point"));
    if (flag(eq, i)) p.BP_ANNOTATE_CATEGORY(rd, rid[i], key("Equality restriction(s)"));
  }
  const int rtot = p.BP_CELL_IN_CATEGORY(rd, key("Active Total"));
  const int cmass = p.BP_CELL_IN_CATEGORY(cd, key("Mass"));
  std::vector<int> csc(a.p), cpt(a.p), cdm(a.p);
  p.BP_BEGIN_GROUP(cd, key("Score in Dimension"));
  for (int k = 0; k < a.p; ++k) csc[k] = p.BP_CELL_IN_CATEGORY(cd, num(k + 1));
  p.BP_END_GROUP(cd);
  const int cin = p.BP_CELL_IN_CATEGORY(cd, key("Overview Inertia"));
  p.BP_BEGIN_GROUP(cd, key("Contribution"));
  p.BP_BEGIN_GROUP(cd, key("Of Point to Inertia of Dimension"));
  for (int k = 0; k < a.p; ++k) cpt[k] = p.BP_CELL_IN_CATEGORY(cd, num(k + 1));
  p.BP_END_GROUP(cd);
  p.BP_BEGIN_GROUP(cd, key("Of Dimension to Inertia of Point"));
  for (int k = 0; k < a.p; ++k) cdm[k] = p.BP_CELL_IN_CATEGORY(cd, num(k + 1));
  const int ctot = p.BP_CELL_IN_CATEGORY(cd, key("Overview Total"));
  p.BP_END_GROUP(cd);
  p.BP_END_GROUP(cd);
  std::vector<double> score(a.p), cp(a.p), cdv(a.p);
  for (int i = 0; i < n; ++i) {
    PointStats ps = ca_point(a, col, i, score.data(), cp.data(), cdv.data());
    p.BP_SET_VALUE(CellRef{{rid[i], cmass}}, ps.mass, kCorr);
    p.BP_SET_VALUE(CellRef{{rid[i], cin}}, ps.inertia, kCorr);
    p.BP_SET_VALUE(CellRef{{rid[i], ctot}}, ps.total, kCorr);
    for (int k = 0; k < a.p; ++k) {
      p.BP_SET_VALUE(CellRef{{rid[i], csc[k]}}, score[k], kCorr);
      p.BP_SET_VALUE(CellRef{{rid[i], cpt[k]}}, cp[k], kCorr);
      p.BP_SET_VALUE(CellRef{{rid[i], cdm[k]}}, cdv[k], kCorr);
    }
  }
  p.BP_SET_VALUE(CellRef{{rtot, cmass}}, 1.0, kCorr);
  p.BP_SET_VALUE(CellRef{{rtot, cin}}, a.total_inertia, kCorr);
  for (int k = 0; k < a.p; ++k) p.BP_SET_VALUE(CellRef{{rtot, cpt[k]}}, 1.0, kCorr);
  p.BP_END_PIVOT_TABLE();
}

// ---------------------------------------------------------- confidence ---
void Output::confidence(bool col) {
  auto& p = H().pivot;
  const Analysis& a = a_;
  const int n = col ? a.J : a.I;
  const int* sup = col ? a.supcol : a.suprow;
  const int* eq = col ? a.eqcol : a.eqrow;
  const double* first = col ? a.c0 : a.r0;
  const auto& lab = col ? l_.col : l_.row;
  p.BP_BEGIN_PIVOT_TABLE(key(col ? "Confidence Column Points" : "Confidence Row Points"), col ? 11 : 10,
                         key(col ? "Confidence Column Points" : "Confidence Row Points"));
  const bool byvar = s_.table_mode == 1;
  const int rd = p.BP_CATEGORY_DIMENSION(
      byvar ? p.BP_VARINDEX(col ? s_.col_var : s_.row_var) : key(col ? "Column" : "Row"), Axis::Row);
  const int cd = p.BP_CELL_DIMENSION(key("Statistics"), Axis::Column);
  p.BP_HIDE_DIMENSION_LABEL(cd);
  std::vector<int> csd(a.p);
  p.BP_BEGIN_GROUP(cd, key("Standard Deviation in Dimension"));
  for (int k = 0; k < a.p; ++k) csd[k] = p.BP_CELL_IN_CATEGORY(cd, num(k + 1));
  p.BP_END_GROUP(cd);
  std::vector<int> ccor;
  if (a.p > 1) {
    p.BP_BEGIN_GROUP(cd, key("Correlation"));
    for (int k = 0; k < a.p; ++k)
      for (int l = k + 1; l < a.p; ++l) ccor.push_back(p.BP_CELL_IN_CATEGORY(cd, comp2(key("^1-^2"), num(k + 1), num(l + 1))));
    p.BP_END_GROUP(cd);
  }
  for (int i = 0; i < n; ++i) {
    if (flag(sup, i)) continue;
    const int r = p.BP_CELL_IN_CATEGORY(rd, lit(lab[i]));
    if (flag(eq, i)) p.BP_ANNOTATE_CATEGORY(rd, r, key("Equality restriction(s)"));
    const int b = 1 + (col ? a.I : 0) + i;
    const bool missing = first[i] == 0;
    int e = 0;
    for (int k = 0; k < a.p; ++k) {
      const double v = a.cov[cov_index(a.p, b, k, k)];
      p.BP_SET_VALUE(CellRef{{r, csd[k]}}, missing ? SYSMIS : (v > 0 ? std::sqrt(v) : 0.0), kGen);
    }
    for (int k = 0; k < a.p; ++k)
      for (int l = k + 1; l < a.p; ++l) {
        const double vk = a.cov[cov_index(a.p, b, k, k)], vl = a.cov[cov_index(a.p, b, l, l)];
        const double c = !missing && vk > 0 && vl > 0 ? a.cov[cov_index(a.p, b, k, l)] / std::sqrt(vk * vl) : SYSMIS;
        p.BP_SET_VALUE(CellRef{{r, ccor[e++]}}, c, kCorr);
      }
  }
  p.BP_END_PIVOT_TABLE();
}

// -------------------------------------------------------------- charts ---
namespace {

struct Series {
  bool col;
  Msg group;
};

}  // namespace

void Output::charts() {
  const Analysis& a = a_;
  auto& cx = H().charts;
  auto& m = H().msg;
  bool any_valid = false;
  for (int i = 0; i < a.I; ++i) any_valid = any_valid || a.r0[i] > 0;
  Msg foot_short = s_.norm_short.empty() ? lit(s_.norm_text) : m.CX_NSTRING(s_.norm_short);
  auto footnote = [&]() { return comp1(m.CX_NSTRING("60211"), foot_short); };
  auto dim_label = [&](int k) { return comp1(key("Dimension ^1"), num(k + 1)); };
  auto value = [&](bool col, int i, int k) {
    const double first = col ? a.c0[i] : a.r0[i];
    return first > 0 ? at(col ? a.Y : a.X, col ? a.J : a.I, i, k) : SYSMIS;
  };
  // Transformation plots: scores against categories.
  for (int side = 0; side < 2; ++side) {
    const bool col = side == 1;
    if (!s_.plot[col ? G_TRCOLUMN : G_TRROWS]) continue;
    const int n = col ? a.J : a.I;
    bool valid = false;
    for (int i = 0; i < n; ++i) valid = valid || (col ? a.c0[i] : a.r0[i]) > 0;
    for (int d = s_.plot_first - 1; d < s_.plot_last; ++d) {
      const int ch = cx.CX_CREATECHARTDESCRIPTION("CORRESP");
      Msg t1 = comp1(m.CX_NSTRING("62907"), num(d + 1));
      Msg t2 = comp1(m.CX_NSTRING("62909"), lit(col ? l_.col_heading : l_.row_heading));
      cx.CX_ADDFRAMEWITHLABEL(ch, host::ChartFrame::Title, comp2(lit("^1 ^2"), t1, t2));
      cx.CX_ADDFRAMEWITHLABEL(ch, host::ChartFrame::Footnote, footnote());
      const int lc = cx.CX_ADDAGGREGATE(ch, key("Category"), true);
      const int yc = cx.CX_ADDAGGREGATE(ch, dim_label(d), false);
      cx.CX_ADDXYDIMENSIONWITHAXIS(ch, lc, yc, lit(col ? l_.col_heading : l_.row_heading), dim_label(d));
      const int el = cx.CX_ADDXYELEMENTEX(ch, host::ElementKind::Line, 0);
      cx.CX_ADDLABELING(ch, el, lc, s_.label_len[col ? G_TRCOLUMN : G_TRROWS]);
      cx.CX_ADDXYELEMENTEX(ch, host::ElementKind::Point, 0);
      for (int i = 0; i < n; ++i) {
        cx.CX_ADDROW(ch);
        cx.CX_ADDDATATEXT(ch, lc, lit((col ? l_.col : l_.row)[i]));
        cx.CX_ADDDATAVALUE(ch, yc, value(col, i, d));
      }
      if (valid && !m.error_flag()) cx.CX_ENDCHART(ch); else cx.CX_KILLCHART(ch);
    }
  }
  // Point plots: rows, columns, both.
  struct Kind {
    int plot;
    bool rows, cols;
  } kinds[] = {{G_RPOINTS, true, false}, {G_CPOINTS, false, true}, {G_BIPLOT, true, true}};
  bool note = false;
  for (const Kind& kd : kinds) {
    if (!s_.plot[kd.plot] || a.p < 2) continue;
    Msg title = kd.plot == G_RPOINTS   ? comp1(m.CX_NSTRING("62911"), lit(l_.row_heading))
                : kd.plot == G_CPOINTS ? comp1(m.CX_NSTRING("62912"), lit(l_.col_heading))
                                       : m.CX_NSTRING("62906");
    bool valid = false;
    if (kd.rows) valid = valid || any_valid;
    if (kd.cols)
      for (int j = 0; j < a.J; ++j) valid = valid || a.c0[j] > 0;
    std::vector<std::pair<int, int>> pairs;  // (x dim, y dim); y = -1: scatterplot matrix
    const int first = std::max(1, s_.plot_first), last = std::max(first, s_.plot_last);
    H().msg.ASSERT(last >= first, "CP2PLT", "ndim2 .ge. ndim1");
    if (s_.ndim_given) {
      for (int k = first + 1; k <= last; ++k) pairs.push_back({first - 1, k - 1});
    } else if (a.p <= 2) {
      pairs.push_back({0, 1});
    } else {
      pairs.push_back({0, -1});
      note = true;
    }
    // Supplementary points are drawn hollow by an element of their own and
    // named in the legend.
    bool any_supp = false;
    if (kd.rows)
      for (int i = 0; i < a.I; ++i) any_supp = any_supp || flag(a.suprow, i);
    if (kd.cols)
      for (int j = 0; j < a.J; ++j) any_supp = any_supp || flag(a.supcol, j);
    for (auto [xd, yd] : pairs) {
      const int ch = cx.CX_CREATECHARTDESCRIPTION("CORRESP");
      // Several pairs of NDIM: each title names its pair, so the charts differ in the outline.
      Msg t = title;
      if (pairs.size() > 1) {
        auto& mm = H().msg;
        t = mm.BP_BEGIN_COMPSTRING(key("^1, Dimensions ^2 and ^3"));
        mm.BP_ADD_PARAMETER(t, title);
        mm.BP_ADD_PARAMETER(t, num(xd + 1));
        mm.BP_ADD_PARAMETER(t, num(yd + 1));
        t = mm.BP_END_COMPSTRING(t);
      }
      cx.CX_ADDFRAMEWITHLABEL(ch, host::ChartFrame::Title, t);
      cx.CX_ADDFRAMEWITHLABEL(ch, host::ChartFrame::Footnote, footnote());
      const int lc = cx.CX_ADDAGGREGATE(ch, key("Label"), true);
      const int gc = (kd.rows && kd.cols) || any_supp ? cx.CX_ADDAGGREGATE(ch, key("Points"), true) : 0;
      std::vector<int> dc;
      const int ndc = yd < 0 ? a.p : 2;
      for (int k = 0; k < ndc; ++k) {
        const int dim = yd < 0 ? k : (k == 0 ? xd : yd);
        dc.push_back(cx.CX_ADDAGGREGATE(ch, dim_label(dim), false));
      }
      const int ac = any_supp ? cx.CX_ADDAGGREGATE(ch, key("Active point"), false) : 0;
      const int sc = any_supp ? cx.CX_ADDAGGREGATE(ch, key("Supplementary point"), false) : 0;
      if (yd < 0) cx.CX_ADDSPLOMELEMENT(ch, dc, key("Dimension"));
      else cx.CX_ADDXYDIMAXISWITHSAMERATIO(ch, dc[0], dc[1], dim_label(xd), dim_label(yd));
      const int el = cx.CX_ADDXYELEMENTEX(ch, host::ElementKind::Point, gc);
      cx.CX_ADDLABELING(ch, el, lc, s_.label_len[kd.plot]);
      if (any_supp) {
        cx.CX_SETELEMENTROWS(ch, el, ac);
        const int se = cx.CX_ADDXYELEMENTEX(ch, host::ElementKind::Point, gc);
        cx.CX_SETELEMENTROWS(ch, se, sc);
        cx.CX_SETELEMENTDOT(ch, se, host::ElementDot::Hollow);
        cx.CX_ADDLABELING(ch, se, lc, s_.label_len[kd.plot]);
      }
      if (gc) cx.CX_ADDLEGENDFRAMEEX(ch, key("Points"));
      // Active points first, so that rows and columns keep the first two styles.
      for (int pass = 0; pass < 2 * 2; ++pass) {
        const bool col = pass % 2 == 1, supp_pass = pass >= 2;
        if ((col && !kd.cols) || (!col && !kd.rows)) continue;
        const int n = col ? a.J : a.I;
        Msg grp = lit(col ? l_.col_heading : l_.row_heading);
        for (int i = 0; i < n; ++i) {
          const bool supp = flag(col ? a.supcol : a.suprow, i);
          if (supp != supp_pass) continue;
          cx.CX_ADDROW(ch);
          cx.CX_ADDDATATEXT(ch, lc, lit((col ? l_.col : l_.row)[i]));
          if (gc) cx.CX_ADDDATATEXT(ch, gc, supp ? key(col ? "Supplementary Columns" : "Supplementary Rows") : grp);
          for (int k = 0; k < ndc; ++k) {
            const int dim = yd < 0 ? k : (k == 0 ? xd : yd);
            cx.CX_ADDDATAVALUE(ch, dc[k], value(col, i, dim));
          }
          if (any_supp) cx.CX_ADDDATAVALUE(ch, supp ? sc : ac, 1.0);
        }
      }
      if (valid && !m.error_flag()) cx.CX_ENDCHART(ch); else cx.CX_KILLCHART(ch);
    }
  }
  if (note) report("Note on NDIM plot keyword.", 2, 2);
}

// -------------------------------------------------------- matrix files ---
namespace {

int varname_width(const Settings& s, int at_least) {
  const int w = static_cast<int>(std::max(s.row_name.size(), s.col_name.size()));
  return std::max(at_least, (w + 7) / 8 * 8);
}

std::string catalogue(const char* number) {
  auto& m = H().msg;
  const std::string t = m.text(m.CX_NSTRING(number));
  m.ASSERT(!t.empty(), "ANMDI2", "qfnd");
  return t;
}

std::vector<host::FileVar> file_dictionary(const Settings& s, int p, int width, bool variance) {
  std::vector<host::FileVar> vars;
  vars.push_back({"ROWTYPE_", 8, catalogue("62933"), {}, {}});
  vars.push_back({"LEVEL_", 64, catalogue("62935"), {}, {}});
  host::FileVar vn{"VARNAME_", width, catalogue("62934"), {}, {}};
  if (s.table_mode == 1 && s.row_name.size() <= 8 && s.col_name.size() <= 8) {
    for (int var : {s.row_var, s.col_var}) {
      const auto& info = H().dict.DICGET(var);
      if (!info.label.empty()) vn.string_value_labels.push_back({info.name, info.label});
    }
  }
  vars.push_back(vn);
  if (variance) vars.push_back({"DIMNMBR_", 8, catalogue("62936"), {}, {}});
  auto& m = H().msg;
  for (int k = 1; k <= p; ++k) {
    const std::string lab = m.text(comp1(m.CX_NSTRING("62937"), num(k)));
    vars.push_back({"DIM" + std::to_string(k), 0, lab, {}, {}});
  }
  return vars;
}

}  // namespace

void Output::score_file() {
  const Analysis& a = a_;
  auto& f = H().files;
  const int h = s_.scores_handle;
  const int width = varname_width(s_, 1);
  if (!f.MTDDIC(h, file_dictionary(s_, a.p, width, false))) return;
  std::vector<host::FileValue> rec;
  for (int side = 0; side < 2; ++side) {
    const bool col = side == 1;
    const int n = col ? a.J : a.I;
    for (int i = 0; i < n; ++i) {
      rec.clear();
      rec.push_back(host::FileValue::str(col ? "COLUMN" : "ROW"));
      rec.push_back(host::FileValue::str((col ? l_.col_level : l_.row_level)[i]));
      rec.push_back(host::FileValue::str(col ? s_.col_name : s_.row_name));
      const bool missing = (col ? a.c0[i] : a.r0[i]) == 0;
      for (int k = 0; k < a.p; ++k)
        rec.push_back(host::FileValue::num(missing ? SYSMIS : at(col ? a.Y : a.X, n, i, k)));
      if (!f.MTDWRT(h, rec)) break;
    }
  }
  f.MTDCLS(h);
}

void Output::variance_file() {
  const Analysis& a = a_;
  auto& f = H().files;
  const int h = s_.variance_handle;
  const int width = varname_width(s_, 8);
  // The record buffer comes from the workspace like every other array.
  // Its shortfall has a message of its own.
  frame::Workspace record;
  double* buf = record.get<double>(static_cast<std::size_t>(a.p + 10 + width / 8));
  if (buf == nullptr) {
    H().msg.ERROR(10627, 2, 3);
    return;
  }
  if (f.MTDDIC(h, file_dictionary(s_, a.p, width, true))) {
    std::vector<host::FileValue> rec;
    auto write = [&](const std::string& level, const std::string& name, int b, int k, bool missing) {
      rec.clear();
      rec.push_back(host::FileValue::str("COV"));
      rec.push_back(host::FileValue::str(level));
      rec.push_back(host::FileValue::str(name));
      rec.push_back(host::FileValue::str(std::to_string(k + 1)));
      for (int l = 0; l < a.p; ++l) buf[l] = missing ? SYSMIS : a.cov[cov_index(a.p, b, k, l)];
      for (int l = 0; l < a.p; ++l) rec.push_back(host::FileValue::num(buf[l]));
      return f.MTDWRT(h, rec);
    };
    bool ok = true;
    for (int k = 0; k < a.p && ok; ++k) ok = write("", "SINGULAR", 0, k, false);
    for (int i = 0; i < a.I && ok; ++i)
      if (!flag(a.suprow, i))
        for (int k = 0; k < a.p && ok; ++k) ok = write(l_.row_level[i], s_.row_name, 1 + i, k, a.r0[i] == 0);
    for (int j = 0; j < a.J && ok; ++j)
      if (!flag(a.supcol, j))
        for (int k = 0; k < a.p && ok; ++k) ok = write(l_.col_level[j], s_.col_name, 1 + a.I + j, k, a.c0[j] == 0);
  }
  f.MTDCLS(h);
}

}  // namespace oscat::corres
