// The CORRES export: the procedure frame around the parser and the analysis.
#include <algorithm>
#include <string>

#include "corres/corres.hpp"
#include "corres/corres_msg.hpp"
#include "exports/procedures.hpp"

namespace oscat::corres {
namespace {

using host::H;

void credit_table() {
  auto& p = H().pivot;
  auto& m = H().msg;
  p.BP_BEGIN_PIVOT_TABLE(m.BP_CSTRING("Credit"), 0);
  const int rows = p.BP_CATEGORY_DIMENSION(m.BP_CSTRING("Credit"), host::Axis::Row);
  p.BP_HIDE_DIMENSION_LABEL(rows);
  const int cols = p.BP_CELL_DIMENSION(m.BP_CSTRING("Credit"), host::Axis::Column);
  p.BP_HIDE_DIMENSION_LABEL(cols);
  const int col = p.BP_CELL_IN_CATEGORY(cols, m.BP_CSTRING_NO_TRANSLATE(""));
  p.BP_DATA_COL_MIN_MAX_WIDTH(30, 60);
  const char* lines[] = {"CORRESPONDENCE", "Version 1.1", "by", "oscat project", "Correspondence analysis",
                         "open source"};
  int i = 0;
  for (const char* line : lines) {
    const int r = p.BP_CELL_IN_CATEGORY(rows, m.BP_CSTRING_NO_TRANSLATE(std::to_string(++i)));
    p.BP_SET_TEXT(host::CellRef{{r, col}}, m.BP_CSTRING_NO_TRANSLATE(line));
  }
  p.BP_END_PIVOT_TABLE();
}

}  // namespace
}  // namespace oscat::corres

namespace oscat {

void run_corres() {
  using host::H;
  auto& h = H();
  h.pivot.BP_PROCEDURE("Correspondence");
  const int split = h.cases.split_count();
  if (split > 0) {
    corres::report("Split File ignored.", 2, 2);
    h.cases.set_split_count(0);
  }
  const int nvars = std::max(1, h.dict.size());
  std::size_t granted = 0;
  int* varlist = host::GETMEM<int>(h.workspace, static_cast<std::size_t>(nvars), granted);
  bool opened = false;
  corres::Settings s;
  if (varlist == nullptr || granted < static_cast<std::size_t>(nvars)) {
    corres::report("Insufficient memory.", 2, 3);
    h.tokens.skip_command();
  } else {
    opened = h.cases.XYBEG() != 0;
    if (opened && !h.msg.error_flag()) {
      for (int id : {4, 5, 6, 7, 8, 9, 10, 11}) h.pivot.BP_TABLE_ID(id);
      for (int d = 0; d < 200; ++d) h.pivot.BP_TABLE_ID(12 + d);
      h.pivot.BP_END_TABLE_IDS();
      corres::credit_table();
      s.matrix_vars = varlist;
      corres::parse_and_run(s);
    } else {
      h.tokens.skip_command();
    }
  }
  for (int* p : {s.suprow, s.supcol, s.eqrow, s.eqcol})
    if (p) h.workspace.FREMEM(p);
  if (opened) h.cases.XYENDF();
  if (varlist) h.workspace.FREMEM(varlist);
  h.charts.CX_TERMINATE();
  if (split > 0) h.cases.set_split_count(split);
  h.pivot.BP_END_PROCEDURE();
}

}  // namespace oscat
