// ANACOR's charts, through the chart set-up the older procedures share:
// scores against categories per dimension, row and column points over the
// plot range, and rows and columns together.
#include <initializer_list>
#include <string>
#include <vector>

#include "anacor/output.hpp"
#include "frame/messages.hpp"
#include "homals/shared.hpp"

namespace oscat::anacor {
namespace {

using host::H;
using host::Msg;

// A numbered chart text with its ^n slots filled.
Msg chart_text(const char* number, std::initializer_list<Msg> params = {}) {
  auto& m = H().msg;
  if (params.size() == 0) return m.CX_NSTRING(number);
  const Msg c = m.BP_BEGIN_COMPSTRING(m.CX_NSTRING(number));
  for (Msg p : params) m.BP_ADD_PARAMETER(c, p);
  return m.BP_END_COMPSTRING(c);
}

// The points of one side: labels and scores, no coordinates for a point
// without mass.
void add_points(const View& v, bool col, Msg group, std::vector<older::ChartPoint>& out) {
  const corres::Analysis& a = v.a;
  const int n = col ? a.J : a.I;
  const double* X = col ? a.Y : a.X;
  for (int i = 0; i < n; ++i) {
    older::ChartPoint pt;
    pt.label = frame::text((col ? v.l.col : v.l.row)[static_cast<std::size_t>(i)]);
    pt.group = group;
    const bool empty = (col ? a.c0[i] : a.r0[i]) <= 0;
    for (int k = 0; k < a.p; ++k) pt.xy.push_back(empty ? host::SYSMIS : X[static_cast<std::size_t>(k) * n + i]);
    out.push_back(std::move(pt));
  }
}

}  // namespace

void charts(const View& v) {
  const Settings& s = v.s;
  // Footnotes name the variables; a matrix read from the file has none.
  const bool byvar = s.table.table_mode == 1;
  const Msg rows = frame::text(v.l.row_heading), cols = frame::text(v.l.col_heading);
  older::ChartSpec layout;
  layout.chart_template = "ANACOR";

  // Scores against the categories, one chart per dimension of the range.
  for (int side = 0; side < 2; ++side) {
    const bool col = side == 1;
    if (!s.plot[col ? G_TRCOLUMN : G_TRROWS]) continue;
    std::vector<older::ChartPoint> pts;
    add_points(v, col, 0, pts);
    for (int d = s.plot_first; d <= s.plot_last; ++d) {
      layout.title = chart_text(col ? "E60217^1" : "E60216^1", {frame::integer(d)});
      layout.frame_label = byvar ? chart_text(col ? "E60219^1" : "E60218^1", {col ? cols : rows}) : 0;
      layout.first = d - 1;
      layout.d = 1;
      layout.label_length = s.label_len[col ? G_TRCOLUMN : G_TRROWS];
      older::chart(layout, pts);
    }
  }

  // Points over the plot range: one dimension, a scatter or a matrix.
  layout.first = s.plot_first - 1;
  layout.d = s.plot_last - s.plot_first + 1;
  for (int side = 0; side < 2; ++side) {
    const bool col = side == 1;
    if (!s.plot[col ? G_COLUMN : G_ROW]) continue;
    std::vector<older::ChartPoint> pts;
    add_points(v, col, 0, pts);
    layout.title = chart_text(col ? "E60202" : "E60201");
    layout.frame_label = byvar ? chart_text(col ? "E60204^1" : "E60203^1", {col ? cols : rows}) : 0;
    layout.label_length = s.label_len[col ? G_COLUMN : G_ROW];
    older::chart(layout, pts);
  }
  if (s.plot[G_JOINT]) {
    std::vector<older::ChartPoint> pts;
    add_points(v, false, chart_text("E60214"), pts);
    add_points(v, true, chart_text("E60215"), pts);
    layout.title = chart_text("E60212");
    layout.frame_label = byvar ? chart_text("E60213^1^2", {rows, cols}) : 0;
    layout.label_length = s.label_len[G_JOINT];
    older::chart(layout, pts);
  }
}

}  // namespace oscat::anacor
