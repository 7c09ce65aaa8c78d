#include "engine/render_json.hpp"

#include <cmath>
#include <nlohmann/json.hpp>

#include "engine/format.hpp"

namespace oscat::engine {
namespace {

using json = nlohmann::ordered_json;

json text_json(const Text& t) {
  json j = {{"key", t.key}, {"text", t.text}};
  if (!t.params.empty()) j["params"] = t.params;
  return j;
}

json markers(const Table& t, const std::vector<int>& idx) {
  json a = json::array();
  for (int i : idx)
    if (i >= 0 && static_cast<std::size_t>(i) < t.footnotes.size()) a.push_back(t.footnotes[i].marker);
  return a;
}

const char* axis_name(host::Axis a) {
  switch (a) {
    case host::Axis::Row: return "row";
    case host::Axis::Column: return "column";
    case host::Axis::Layer: return "layer";
  }
  return "row";
}

// Group labels above each leaf, outermost first.
void leaf_groups(const std::vector<DimNode>& nodes, std::vector<const Text*>& stack,
                 std::vector<std::vector<const Text*>>& out) {
  for (const auto& n : nodes) {
    if (n.is_group) {
      stack.push_back(&n.label);
      leaf_groups(n.children, stack, out);
      stack.pop_back();
    } else if (n.leaf >= 0 && static_cast<std::size_t>(n.leaf) < out.size()) {
      out[n.leaf] = stack;
    }
  }
}

// A number that JSON can carry; SYSMIS and non-finite values are null.
json number_or_null(double v) {
  if (host::is_sysmis(v) || !std::isfinite(v)) return nullptr;
  return v;
}

json table_json(const Table& t) {
  json j = {{"type", "table"}, {"title", text_json(t.title)}, {"name", text_json(t.name)}, {"table_id", t.table_id}};
  if (!t.title_footnotes.empty()) j["title_footnotes"] = markers(t, t.title_footnotes);
  json dims = json::array();
  for (const auto& d : t.dims) {
    std::vector<std::vector<const Text*>> groups(d.leaves.size());
    std::vector<const Text*> stack;
    leaf_groups(d.tree, stack, groups);
    json cats = json::array();
    for (std::size_t i = 0; i < d.leaves.size(); ++i) {
      json path = json::array();
      for (const Text* g : groups[i]) path.push_back(text_json(*g));
      path.push_back(text_json(d.leaves[i].label));
      cats.push_back({{"path", path}, {"footnotes", markers(t, d.leaves[i].footnotes)}});
    }
    json dj = {{"label", text_json(d.label)}, {"axis", axis_name(d.axis)}, {"categories", cats}};
    if (d.label_hidden) dj["label_hidden"] = true;
    dims.push_back(dj);
  }
  j["dimensions"] = dims;
  json cells = json::array();
  for (const auto& [key, c] : t.cells) {
    json cj = {{"categories", key}};
    if (c.text) {
      cj["value"] = nullptr;
      cj["text"] = text_json(*c.text);
    } else {
      cj["value"] = c.value ? number_or_null(*c.value) : json(nullptr);
      // A NaN or infinity is a computation fault, not a missing value: mark it
      // so that it is not mistaken for one.
      if (c.value && !host::is_sysmis(*c.value) && !std::isfinite(*c.value)) cj["nonfinite"] = true;
    }
    cj["format"] = format_kind_name(c.format.kind);
    cj["decimals"] = c.format.decimals;
    cj["formatted"] = c.text ? c.text->text : (c.value ? format_value(*c.value, c.format) : std::string("."));
    cj["footnotes"] = markers(t, c.footnotes);
    cells.push_back(cj);
  }
  j["cells"] = cells;
  json fns = json::array();
  for (const auto& f : t.footnotes) {
    json fj = {{"marker", f.marker}, {"key", f.text.key}, {"text", f.text.text}};
    if (!f.text.params.empty()) fj["params"] = f.text.params;
    fns.push_back(fj);
  }
  j["footnotes"] = fns;
  return j;
}

json message_json(const Message& m) {
  json j = {{"type", "message"},
            {"severity", m.severity <= 1 ? "note" : m.severity == 2 ? "warning" : "error"},
            {"class", m.cls}};
  if (m.number != 0) j["number"] = m.number;
  j["key"] = m.text.key;
  j["params"] = m.text.params;
  j["text"] = m.text.text;
  return j;
}

const char* kind_name(host::ElementKind k) {
  switch (k) {
    case host::ElementKind::Point: return "point";
    case host::ElementKind::Line: return "line";
    case host::ElementKind::Polygon: return "polygon";
    case host::ElementKind::Bar: return "bar";
    case host::ElementKind::Vector: return "vector";
  }
  return "point";
}

json column_or_null(int col) { return col >= 0 ? json(col) : json(nullptr); }

json chart_json(const Chart& c) {
  json j = {{"type", "chart"}, {"template", c.chart_template}, {"title", text_json(c.title)}};
  if (!c.subtitle.text.empty()) j["subtitle"] = text_json(c.subtitle);
  if (!c.footnote.text.empty()) j["footnote"] = text_json(c.footnote);
  json cols = json::array();
  for (const auto& col : c.columns) cols.push_back({{"name", text_json(col.name)}, {"is_text", col.is_text}});
  j["columns"] = cols;
  json rows = json::array();
  for (const auto& row : c.rows) {
    json r = json::array();
    for (const auto& v : row) {
      if (const double* d = std::get_if<double>(&v)) r.push_back(number_or_null(*d));
      else r.push_back(std::get<std::string>(v));
    }
    rows.push_back(r);
  }
  j["rows"] = rows;
  // Empty cells are kept as NaN; only values the procedure passed as NaN or
  // infinity are faults worth marking.
  if (c.nonfinite_values > 0) j["nonfinite_points"] = c.nonfinite_values;
  j["x"] = column_or_null(c.x_col);
  j["y"] = column_or_null(c.y_col);
  j["x_label"] = text_json(c.x_label);
  j["y_label"] = text_json(c.y_label);
  j["same_ratio"] = c.same_ratio;
  if (!c.splom_cols.empty()) j["splom"] = c.splom_cols;
  json els = json::array();
  for (const auto& e : c.elements)
    els.push_back({{"kind", kind_name(e.kind)},
                   {"group", column_or_null(e.group_col)},
                   {"label", column_or_null(e.label_col)},
                   {"label_max", e.label_max},
                   {"rows", column_or_null(e.rows_col)}});
  j["elements"] = els;
  if (!c.x_refs.empty()) j["x_reference_lines"] = c.x_refs;
  if (!c.y_refs.empty()) j["y_reference_lines"] = c.y_refs;
  if (c.legend_title) j["legend"] = text_json(*c.legend_title);
  return j;
}

json items_json(const std::vector<Item>& items);

json item_json(const Item& item) {
  if (const Table* t = std::get_if<Table>(&item)) return table_json(*t);
  if (const Message* m = std::get_if<Message>(&item)) return message_json(*m);
  if (const Chart* c = std::get_if<Chart>(&item)) return chart_json(*c);
  if (const TextBlock* b = std::get_if<TextBlock>(&item))
    return {{"type", "text"}, {"title", text_json(b->title)}, {"lines", b->lines}};
  const auto& h = std::get<std::shared_ptr<Heading>>(item);
  if (!h) return {{"type", "heading"}, {"title", text_json(Text{})}, {"items", json::array()}};
  return {{"type", "heading"}, {"title", text_json(h->title)}, {"items", items_json(h->items)}};
}

json items_json(const std::vector<Item>& items) {
  json a = json::array();
  for (const auto& i : items) a.push_back(item_json(i));
  return a;
}

}  // namespace

std::string render_json(const Document& doc, std::string_view version) {
  json cmds = json::array();
  for (const auto& c : doc.commands) {
    json notes = json::array();
    for (const auto& n : c.notes)
      notes.push_back({{"group", text_json(n.group)}, {"item", text_json(n.item)}, {"contents", text_json(n.contents)}});
    cmds.push_back({{"name", c.name},
                    {"syntax", c.syntax},
                    {"procedure", c.procedure_title},
                    {"items", items_json(c.items)},
                    {"notes", notes}});
  }
  json root = {{"oscat", std::string(version)}, {"commands", cmds}};
  // Invalid UTF-8 in a label must not abort the whole report: replace it.
  return root.dump(2, ' ', false, json::error_handler_t::replace) + "\n";
}

}  // namespace oscat::engine
