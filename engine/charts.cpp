#include "engine/charts.hpp"

#include <cmath>
#include <limits>
#include <utility>

#include "engine/format.hpp"
#include "engine/svg.hpp"

namespace oscat::engine {

ChartBuilder::ChartBuilder(Session& session, host::Messages& msg, std::function<Text(host::Msg)> resolve)
    : session_(session), msg_(msg), resolve_(std::move(resolve)) {}

Chart* ChartBuilder::find(int chart) {
  auto it = open_.find(chart);
  return it == open_.end() ? nullptr : &it->second;
}

int ChartBuilder::column(const Chart& c, int col) const {
  if (col < 1 || static_cast<std::size_t>(col) > c.columns.size()) return -1;
  return col - 1;
}

Text ChartBuilder::text(host::Msg m) const {
  if (m == 0 || !resolve_) return {};
  return resolve_(m);
}

int ChartBuilder::CX_CREATECHARTDESCRIPTION(std::string_view chart_template) {
  int h = next_++;
  Chart c;
  c.chart_template = std::string(chart_template);
  open_.emplace(h, std::move(c));
  return h;
}

void ChartBuilder::CX_ADDFRAMEWITHLABEL(int chart, host::ChartFrame frame, host::Msg t) {
  Chart* c = find(chart);
  if (!c) return;
  switch (frame) {
    case host::ChartFrame::Title: c->title = text(t); break;
    case host::ChartFrame::Subtitle: c->subtitle = text(t); break;
    case host::ChartFrame::Footnote:
      // A chart may carry several notes (a method and a selection, say): keep each.
      if (!c->footnote.text.empty()) c->earlier_footnotes.push_back(std::move(c->footnote));
      c->footnote = text(t);
      break;
  }
}

int ChartBuilder::CX_ADDAGGREGATE(int chart, host::Msg name, bool is_text) {
  Chart* c = find(chart);
  if (!c) return 0;
  c->columns.push_back(ChartColumn{text(name), is_text});
  // Rows written before the column existed get an empty value for it.
  for (auto& row : c->rows) {
    if (is_text) row.emplace_back(std::string());
    else row.emplace_back(std::numeric_limits<double>::quiet_NaN());
  }
  return static_cast<int>(c->columns.size());
}

void ChartBuilder::set_axes(int chart, int x_col, int y_col, host::Msg x_label, host::Msg y_label, bool same_ratio) {
  Chart* c = find(chart);
  if (!c) return;
  int x = column(*c, x_col), y = column(*c, y_col);
  if (x < 0 || y < 0) return;
  c->x_col = x;
  c->y_col = y;
  c->x_label = text(x_label);
  c->y_label = text(y_label);
  c->same_ratio = same_ratio;
}

void ChartBuilder::CX_ADDXYDIMAXISWITHSAMERATIO(int chart, int x_col, int y_col, host::Msg xl, host::Msg yl) {
  set_axes(chart, x_col, y_col, xl, yl, true);
}

void ChartBuilder::CX_ADDXYDIMENSIONWITHAXIS(int chart, int x_col, int y_col, host::Msg xl, host::Msg yl) {
  set_axes(chart, x_col, y_col, xl, yl, false);
}

int ChartBuilder::CX_ADDXYELEMENTEX(int chart, host::ElementKind kind, int group_col) {
  Chart* c = find(chart);
  if (!c) return 0;
  ChartElement e;
  e.kind = kind;
  e.group_col = column(*c, group_col);
  c->elements.push_back(e);
  return static_cast<int>(c->elements.size());
}

void ChartBuilder::CX_ADDSPLOMELEMENT(int chart, std::span<const int> cols, host::Msg label) {
  Chart* c = find(chart);
  if (!c) return;
  std::vector<int> valid;
  for (int col : cols) {
    int i = column(*c, col);
    if (i >= 0 && !c->columns[i].is_text) valid.push_back(i);
  }
  c->splom_cols = std::move(valid);
  // The matrix has no single x axis; its label titles the panels' variables.
  if (c->x_label.text.empty()) c->x_label = text(label);
}

void ChartBuilder::CX_ADDLABELING(int chart, int element, int label_col, int max_chars) {
  Chart* c = find(chart);
  if (!c || element < 1 || static_cast<std::size_t>(element) > c->elements.size()) return;
  ChartElement& e = c->elements[element - 1];
  e.label_col = column(*c, label_col);
  e.label_max = max_chars < 0 ? 0 : max_chars;
}

void ChartBuilder::CX_SETELEMENTROWS(int chart, int element, int col) {
  Chart* c = find(chart);
  if (!c || element < 1 || static_cast<std::size_t>(element) > c->elements.size()) return;
  c->elements[element - 1].rows_col = column(*c, col);
}

void ChartBuilder::CX_SETELEMENTDOT(int chart, int element, host::ElementDot dot) {
  Chart* c = find(chart);
  if (!c || element < 1 || static_cast<std::size_t>(element) > c->elements.size()) return;
  c->elements[element - 1].hollow = dot == host::ElementDot::Hollow;
}

void ChartBuilder::CX_ADDLEGENDFRAMEEX(int chart, host::Msg title) {
  if (Chart* c = find(chart)) c->legend_title = text(title);
}

void ChartBuilder::CX_ADDXREFERENCELINE(int chart, double x) {
  Chart* c = find(chart);
  if (c && std::isfinite(x) && !host::is_sysmis(x)) c->x_refs.push_back(x);
}

void ChartBuilder::CX_ADDYREFERENCELINE(int chart, double y) {
  Chart* c = find(chart);
  if (c && std::isfinite(y) && !host::is_sysmis(y)) c->y_refs.push_back(y);
}

void ChartBuilder::CX_ADDROW(int chart) {
  Chart* c = find(chart);
  if (!c) return;
  std::vector<std::variant<double, std::string>> row;
  row.reserve(c->columns.size());
  for (const auto& col : c->columns) {
    if (col.is_text) row.emplace_back(std::string());
    else row.emplace_back(std::numeric_limits<double>::quiet_NaN());
  }
  c->rows.push_back(std::move(row));
}

void ChartBuilder::CX_ADDDATAVALUE(int chart, int col, double value) {
  Chart* c = find(chart);
  if (!c || c->rows.empty()) return;
  int i = column(*c, col);
  if (i < 0) return;
  bool missing = host::is_sysmis(value) || !std::isfinite(value);
  if (!host::is_sysmis(value) && !std::isfinite(value)) ++c->nonfinite_values;
  if (c->columns[i].is_text) {
    // A number for a text column (a category value) is shown as its text.
    c->rows.back()[i] = missing ? std::string() : format_value(value, host::BP_GENSTAT_FORMAT());
  } else {
    c->rows.back()[i] = missing ? std::numeric_limits<double>::quiet_NaN() : value;
  }
}

void ChartBuilder::CX_ADDDATATEXT(int chart, int col, host::Msg t) {
  Chart* c = find(chart);
  if (!c || c->rows.empty()) return;
  int i = column(*c, col);
  if (i < 0 || !c->columns[i].is_text) return;
  c->rows.back()[i] = text(t).text;
}

void ChartBuilder::CX_ENDCHART(int chart) {
  auto it = open_.find(chart);
  if (it == open_.end()) return;
  Chart c = std::move(it->second);
  open_.erase(it);
  // A chart without any point says nothing: drop it as if it had been killed.
  if (c.rows.empty()) return;
  c.svg = render_svg(c);
  session_.append(std::move(c));
}

void ChartBuilder::CX_KILLCHART(int chart) { open_.erase(chart); }

void ChartBuilder::CX_TERMINATE() { open_.clear(); }

}  // namespace oscat::engine
