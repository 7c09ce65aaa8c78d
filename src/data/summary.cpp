#include "data/summary.hpp"

#include <cmath>
#include <string>
#include <vector>

#include "data/discretize.hpp"
#include "frame/messages.hpp"
#include "host/host.hpp"

namespace oscat::data {

using host::Axis;
using host::CellRef;
using host::H;
using host::Msg;

namespace {

using frame::composite;
using frame::key;

}  // namespace

void case_processing_summary(const SummaryInput& in) {
  auto& h = H();
  const bool weighted = h.cases.weight_variable() != 0;
  std::vector<int> miss_zero;
  for (int j = 0; j < in.m; ++j)
    if (in.book->miss[3 * j] != 0) miss_zero.push_back(in.vars[j]);
  frame::report_variables("Var ^1 miss zero.", "Var [%1:, ^1:, $1]1 miss zero.", miss_zero, 2, 2);

  // Every count of the table is a sum of case weights: a supplementary object
  // counts with the weight its case had before it was set aside.
  double supp = 0, used = 0;
  for (int i = 0; i < in.n_kept; ++i) {
    if (in.w[i] == 0) supp += in.aside ? in.aside[i] : 1.0;
    else used += in.w[i];
  }
  auto& p = h.pivot;
  p.BP_BEGIN_PIVOT_TABLE(key("Case Processing Summary"), 4);
  const int rows = p.BP_CATEGORY_DIMENSION(key("Case Type"), Axis::Row);
  const int cols = p.BP_CELL_DIMENSION(key("Statistics"), Axis::Column);
  p.BP_HIDE_DIMENSION_LABEL(cols);
  const int col = p.BP_CELL_IN_CATEGORY(cols, key("N"));
  const host::Format cf = host::BP_N_FORMAT();
  const host::Format wf = weighted ? host::BP_GENSTAT_FORMAT() : cf;
  auto row = [&](std::string_view label, double v, host::Format f) {
    const int r = p.BP_CELL_IN_CATEGORY(rows, key(label));
    p.BP_SET_VALUE(CellRef{{r, col}}, v, f);
  };
  row("CPR Valid Cases", in.valid, wf);
  row("CPR Cases with Missing Values", in.total - in.valid, wf);
  row("Supplementary Cases", supp, wf);
  row("Total", supp + in.total, wf);
  row("Cases Used in Analysis", used, wf);
  if (!miss_zero.empty()) p.BP_ANNOTATE(key("Annot Case Proc miss zero."));
  if (in.removed > 0) {
    auto& msg = h.msg;
    Msg c = msg.BP_BEGIN_COMPSTRING(key(in.removed > 30 ? "CPR Excl. cases 1st 30 [:^1 :$1]1."
                                                        : "CPR Excl. cases [:^1 :$1]1."));
    for (int k = 0; k < std::min(in.removed, 30); ++k)
      msg.BP_ADD_PARAMETER(c, msg.BP_IVALUE(in.excluded_first[k]));
    p.BP_ANNOTATE(msg.BP_END_COMPSTRING(c));
  }
  if (weighted) {
    p.BP_ANNOTATE(composite("Cases Weighted by ^1.",
                            {h.msg.BP_CSTRING_NO_TRANSLATE(h.dict.DICGET(h.cases.weight_variable()).name)}));
  }
  p.BP_END_PIVOT_TABLE();
}

int ZYL_AnnOSLevel(const syntax::ScalingLevelRecord& r) {
  auto& h = H();
  h.msg.ASSERT(r.mlevel >= 0 && r.mlevel <= 5, "ZYL_AnnOSLevel",
               "(mlevel(1) .ge. 0) .and.         (mlevel(1) .le. 5)");
  const int level = (r.mlevel >= 0 && r.mlevel <= 5) ? r.mlevel : 0;
  const std::string number = std::to_string(64013 + level);
  const Msg name_msg = h.msg.CX_NSTRING(number);
  const std::string name = h.msg.text(name_msg).substr(0, 32);
  h.msg.ASSERT(name != number, "ZYL_AnnOSLevel", "QFND");
  const Msg name_lit = h.msg.BP_CSTRING_NO_TRANSLATE(name);
  if (level <= 3) return composite("Scaling Level ^1.", {name_lit});
  return composite("Scaling Level ^1 (d=^2, k=^3).",
                   {name_lit, h.msg.BP_IVALUE(r.degree), h.msg.BP_IVALUE(r.inknot)});
}

namespace {

std::string trim_key(std::string_view k) {
  while (!k.empty() && (k.back() == ' ' || k.back() == '\0')) k.remove_suffix(1);
  return std::string(k);
}

Msg discretization_note(double method, int ncat, int obtained) {
  auto& msg = H().msg;
  if (method == kDiscRanking) return key("Discr Ranking.");
  if (method == kDiscMultiplying) return key("Discr Multiplying.");
  if (method == kDiscUniform) return composite("Discr Grouping Uniform ^1.", {msg.BP_IVALUE(ncat)});
  if (method == kDiscNormal)
    return composite(obtained != ncat ? "Discr Grouping Normal ^1 empty cat." : "Discr Grouping Normal ^1.",
                     {msg.BP_IVALUE(ncat)});
  return composite("Discr Grouping EQIntv ^1.", {msg.BP_LRVALUE(-method)});
}

const char* missing_key(int code) {
  switch (code) {
    case 4: return "AEXTR";
    case 5: return "AMODE";
    case 6: return "ARAND";
    case 7: return "LISTW";
    default: return "PASSV";
  }
}

void one_variable(const DescriptiveInput& in, int j) {
  auto& h = H();
  auto& p = h.pivot;
  const auto& s = *in.s;
  const int var = s.vars.variables[static_cast<std::size_t>(j)];
  const bool str = h.dict.DICGET(var).is_string();
  const CategoryBook& ob = *in.original;
  const CategoryBook& tb = *in.treated;
  const bool weighted = h.cases.weight_variable() != 0;
  const bool discretized = in.method[j] != kDiscNone;
  const int mc = in.miss_code[j];
  const double* miss = ob.miss + 3 * j;
  const bool has_missing = miss[0] + miss[1] + miss[2] > 0;
  const bool imputed = has_missing && (mc == 4 || mc == 5 || mc == 6);
  const host::Format ff = weighted ? host::BP_GENSTAT_FORMAT() : host::BP_N_FORMAT();

  // Lowest and highest value behind each category, from the value table.
  const int k0 = ob.count[j];
  std::vector<std::string> lo_s(k0), hi_s(k0);
  std::vector<double> lo(k0, 0), hi(k0, 0);
  std::vector<int> nval(k0, 0);
  const int t = in.handles[j];
  for (int i = 1; i <= h.tables.TMSIZE(t); ++i) {
    const int c = category_index(ob, j, h.tables.TMVAL(t, i));
    if (c < 0) continue;
    if (str) {
      (nval[c] == 0 ? lo_s[c] : hi_s[c]) = trim_key(h.tables.TMKEY(t, i));
      if (nval[c] == 0) hi_s[c] = lo_s[c];
    } else {
      const double v = host::key_number(h.tables.TMKEY(t, i));
      if (nval[c] == 0) lo[c] = v;
      hi[c] = v;
    }
    ++nval[c];
  }
  auto value_label = [&](int c, bool high) -> Msg {
    if (str) return p.BP_VARVALUE(var, high ? hi_s[c] : lo_s[c]);
    return p.BP_VARVALUE(var, high ? hi[c] : lo[c]);
  };

  p.BP_BEGIN_PIVOT_TABLE(key("Descriptive Statistics"), 5);
  const int rows = p.BP_CATEGORY_DIMENSION(p.BP_VARIABLE(var), Axis::Row);
  const int cols = p.BP_CELL_DIMENSION(key("Statistics"), Axis::Column);
  int c_orig = -1, c_imp = -1, c_disc = -1;
  if (imputed) {
    p.BP_BEGIN_GROUP(cols, key(weighted ? "Weighted Frequency" : "Frequency"));
    c_orig = p.BP_CELL_IN_CATEGORY(cols, key("Original Data"));
    c_imp = p.BP_CELL_IN_CATEGORY(cols, key("Imputed Data"));
    p.BP_END_GROUP(cols);
  } else {
    c_orig = p.BP_CELL_IN_CATEGORY(cols, key(weighted ? "Weighted Frequency" : "Frequency"));
  }
  if (discretized) {
    c_disc = p.BP_CELL_IN_CATEGORY(cols, key("Category after Discretization"));
    p.BP_ANNOTATE_CATEGORY(cols, c_disc,
                           discretization_note(in.method[j], in.ncat[j], k0));
  }
  const bool analysis = j < s.vars.m_a;
  if (analysis && s.kind != syntax::ProcedureKind::Mcorresp)
    p.BP_ANNOTATE(ZYL_AnnOSLevel(s.vars.levels[static_cast<std::size_t>(j)]));
  if (analysis && s.kind != syntax::ProcedureKind::Catreg) {
    if (s.vars.weights[static_cast<std::size_t>(j)] > 1)
      p.BP_ANNOTATE(composite("Weight is ^1.", {h.msg.BP_LRVALUE(s.vars.weights[static_cast<std::size_t>(j)])}));
    const bool supp = !s.supp.variable.empty() && s.supp.variable[static_cast<std::size_t>(j)];
    if (supp || s.config.fixed()) p.BP_ANNOTATE(key("Supplementary variable."));
  }

  double tot_o = 0, tot_i = 0;
  p.BP_BEGIN_GROUP(rows, key("Valid"));
  const int kt = tb.count[j];
  for (int c = 0; c < std::max(k0, kt); ++c) {
    const bool extra = c >= k0;
    const double value = extra ? tb.values[static_cast<long>(j) * tb.cap + c]
                               : ob.values[static_cast<long>(j) * ob.cap + c];
    Msg label;
    if (extra) label = key("Extra Category");
    else if (nval[c] > 1) label = composite("^1 - ^2", {value_label(c, false), value_label(c, true)});
    else label = value_label(c, false);
    const int r = p.BP_CELL_IN_CATEGORY(rows, label);
    const double fo = extra ? 0 : ob.freq[static_cast<long>(j) * ob.cap + c];
    tot_o += fo;
    p.BP_SET_VALUE(CellRef{{r, c_orig}}, fo, ff);
    if (imputed) {
      const int ti = category_index(tb, j, value);
      const double fi = ti >= 0 ? tb.freq[static_cast<long>(j) * tb.cap + ti] : 0;
      tot_i += fi;
      p.BP_SET_VALUE(CellRef{{r, c_imp}}, fi, ff);
    }
    if (discretized && !extra) p.BP_SET_VALUE(CellRef{{r, c_disc}}, value, host::BP_N_FORMAT());
    if (!extra && value == ob.mode[j]) {
      p.BP_ANNOTATE_CATEGORY(rows, r, key("CPR Mode."));
      if (has_missing && mc == 5) p.BP_ANNOTATE_CATEGORY(rows, r, key("CPR Mode Used."));
      if (has_missing && mc == 2) p.BP_ANNOTATE_CATEGORY(rows, r, key("CPR Mode Used Corr."));
    }
  }
  const int rt = p.BP_CELL_IN_CATEGORY(rows, key("CPR Descrip Total"));
  p.BP_SET_VALUE(CellRef{{rt, c_orig}}, tot_o, ff);
  if (imputed) p.BP_SET_VALUE(CellRef{{rt, c_imp}}, tot_i, ff);
  p.BP_END_GROUP(rows);

  if (has_missing) {
    p.BP_BEGIN_GROUP(rows, key("Missing"));
    auto mrow = [&](std::string_view label, double v) {
      const int r = p.BP_CELL_IN_CATEGORY(rows, key(label));
      p.BP_SET_VALUE(CellRef{{r, c_orig}}, v, ff);
      if (imputed) p.BP_SET_VALUE(CellRef{{r, c_imp}}, 0, ff);
    };
    if (!discretized && miss[0] > 0) mrow("< 1", miss[0]);
    if (miss[1] > 0) mrow("User defined", miss[1]);
    if (miss[2] > 0) mrow("System", miss[2]);
    const int r = p.BP_CELL_IN_CATEGORY(rows, key("CPR Descrip Total"));
    p.BP_SET_VALUE(CellRef{{r, c_orig}}, miss[0] + miss[1] + miss[2], ff);
    if (imputed) p.BP_SET_VALUE(CellRef{{r, c_imp}}, 0, ff);
    p.BP_ANNOTATE_CATEGORY(rows, r, key(missing_key(mc)));
    p.BP_END_GROUP(rows);
  }
  p.BP_END_PIVOT_TABLE();
}

}  // namespace

void descriptive_statistics(const DescriptiveInput& in) {
  const auto& list = in.s->print.descrip_vars;
  if (!in.s->print.descrip || list.empty()) return;
  auto& p = H().pivot;
  p.BP_BEGIN_HEADING(key("Descriptive Statistics"));
  for (int j : list)
    if (j >= 0 && j < in.s->vars.m) one_variable(in, j);
  p.BP_END_HEADING();
}

}  // namespace oscat::data
