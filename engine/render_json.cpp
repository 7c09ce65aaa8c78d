#include "engine/render_json.hpp"

#include <algorithm>
#include <cmath>
#include <ostream>
#include <sstream>
#include <vector>
#include <nlohmann/json.hpp>

#include "engine/format.hpp"
#include "engine/render_sink.hpp"

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

// Writes the document as it walks it, in the layout of nlohmann's dump(2):
// a report with hundreds of thousands of cells or points must not need a
// second, much larger copy of itself in memory. Small parts (a text, a
// dimension) are still built as json values and written through `value`.
class Writer {
 public:
  explicit Writer(std::ostream& os) : os_(os) {}
  void newline() { os_ += '\n'; }

  void begin_object() { open('{'); }
  void begin_array() { open('['); }
  void end() {
    const Level l = stack_.back();
    stack_.pop_back();
    if (!l.empty) {
      os_ += '\n';
      indent();
    }
    os_ += l.close == '{' ? '}' : ']';
  }
  void key(std::string_view k) {
    element();
    write_string(k);
    os_ += ": ";
    after_key_ = true;
  }
  void value(const json& j) {
    if (j.is_object()) {
      begin_object();
      for (const auto& [k, v] : j.items()) {
        key(k);
        value(v);
      }
      end();
    } else if (j.is_array()) {
      begin_array();
      for (const auto& v : j) value(v);
      end();
    } else {
      element();
      // Invalid UTF-8 in a label must not abort the whole report: replace it.
      os_ += j.dump(-1, ' ', false, json::error_handler_t::replace);
    }
  }
  template <class T>
  void field(std::string_view k, const T& v) {
    key(k);
    value(json(v));
  }

 private:
  struct Level {
    char close;
    bool empty;
  };
  void open(char c) {
    element();
    os_ += c;
    stack_.push_back({c, true});
  }
  // Separator and indentation before an element (skipped after a key).
  void element() {
    if (after_key_) {
      after_key_ = false;
      return;
    }
    if (stack_.empty()) return;
    os_ += stack_.back().empty ? "\n" : ",\n";
    stack_.back().empty = false;
    indent();
  }
  void indent() {
    static const std::string spaces(64, ' ');
    for (std::size_t n = 2 * stack_.size(); n > 0;) {
      const std::size_t k = std::min(n, spaces.size());
      os_ += std::string_view(spaces.data(), k);
      n -= k;
    }
  }
  void write_string(std::string_view s) { os_ += json(std::string(s)).dump(-1, ' ', false, json::error_handler_t::replace); }

  Sink os_;
  std::vector<Level> stack_;
  bool after_key_ = false;
};

void write_table(Writer& w, const Table& t) {
  w.begin_object();
  w.field("type", "table");
  w.key("title");
  w.value(text_json(t.title));
  w.key("name");
  w.value(text_json(t.name));
  w.field("table_id", t.table_id);
  if (!t.title_footnotes.empty()) {
    w.key("title_footnotes");
    w.value(markers(t, t.title_footnotes));
  }
  w.key("dimensions");
  w.begin_array();
  for (const auto& d : t.dims) {
    std::vector<std::vector<const Text*>> groups(d.leaves.size());
    std::vector<const Text*> stack;
    leaf_groups(d.tree, stack, groups);
    w.begin_object();
    w.key("label");
    w.value(text_json(d.label));
    w.field("axis", axis_name(d.axis));
    w.key("categories");
    w.begin_array();
    for (std::size_t i = 0; i < d.leaves.size(); ++i) {
      json path = json::array();
      for (const Text* g : groups[i]) path.push_back(text_json(*g));
      path.push_back(text_json(d.leaves[i].label));
      w.value({{"path", path}, {"footnotes", markers(t, d.leaves[i].footnotes)}});
    }
    w.end();
    if (d.label_hidden) w.field("label_hidden", true);
    w.end();
  }
  w.end();
  w.key("cells");
  w.begin_array();
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
    w.value(cj);
  }
  w.end();
  w.key("footnotes");
  w.begin_array();
  for (const auto& f : t.footnotes) {
    json fj = {{"marker", f.marker}, {"key", f.text.key}, {"text", f.text.text}};
    if (!f.text.params.empty()) fj["params"] = f.text.params;
    w.value(fj);
  }
  w.end();
  w.end();
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

void write_chart(Writer& w, const Chart& c) {
  w.begin_object();
  w.field("type", "chart");
  w.field("template", c.chart_template);
  w.key("title");
  w.value(text_json(c.title));
  if (!c.subtitle.text.empty()) {
    w.key("subtitle");
    w.value(text_json(c.subtitle));
  }
  if (!c.footnote.text.empty()) {
    w.key("footnote");
    w.value(text_json(c.footnote));
  }
  if (!c.earlier_footnotes.empty()) {
    json notes = json::array();
    for (const auto& n : c.earlier_footnotes) notes.push_back(text_json(n));
    w.key("earlier_footnotes");
    w.value(notes);
  }
  json cols = json::array();
  for (const auto& col : c.columns) cols.push_back({{"name", text_json(col.name)}, {"is_text", col.is_text}});
  w.key("columns");
  w.value(cols);
  w.key("rows");
  w.begin_array();
  for (const auto& row : c.rows) {
    json r = json::array();
    for (const auto& v : row) {
      if (const double* d = std::get_if<double>(&v)) r.push_back(number_or_null(*d));
      else r.push_back(std::get<std::string>(v));
    }
    w.value(r);
  }
  w.end();
  // Empty cells are kept as NaN; only values the procedure passed as NaN or
  // infinity are faults worth marking.
  if (c.nonfinite_values > 0) w.field("nonfinite_points", c.nonfinite_values);
  w.key("x");
  w.value(column_or_null(c.x_col));
  w.key("y");
  w.value(column_or_null(c.y_col));
  w.key("x_label");
  w.value(text_json(c.x_label));
  w.key("y_label");
  w.value(text_json(c.y_label));
  w.field("same_ratio", c.same_ratio);
  if (!c.splom_cols.empty()) w.field("splom", c.splom_cols);
  json els = json::array();
  for (const auto& e : c.elements) {
    json el = {{"kind", kind_name(e.kind)},
               {"group", column_or_null(e.group_col)},
               {"label", column_or_null(e.label_col)},
               {"label_max", e.label_max},
               {"rows", column_or_null(e.rows_col)}};
    // Only supplementary points carry the flag, so other charts' JSON is unchanged.
    if (e.hollow) el["hollow"] = true;
    els.push_back(std::move(el));
  }
  w.key("elements");
  w.value(els);
  if (!c.x_refs.empty()) w.field("x_reference_lines", c.x_refs);
  if (!c.y_refs.empty()) w.field("y_reference_lines", c.y_refs);
  if (c.legend_title) {
    w.key("legend");
    w.value(text_json(*c.legend_title));
  }
  w.end();
}

void write_items(Writer& w, const std::vector<Item>& items);

void write_item(Writer& w, const Item& item) {
  if (const Table* t = std::get_if<Table>(&item)) return write_table(w, *t);
  if (const Message* m = std::get_if<Message>(&item)) return w.value(message_json(*m));
  if (const Chart* c = std::get_if<Chart>(&item)) return write_chart(w, *c);
  if (const TextBlock* b = std::get_if<TextBlock>(&item))
    return w.value({{"type", "text"}, {"title", text_json(b->title)}, {"lines", b->lines}});
  const auto& h = std::get<std::shared_ptr<Heading>>(item);
  w.begin_object();
  w.field("type", "heading");
  w.key("title");
  w.value(text_json(h ? h->title : Text{}));
  w.key("items");
  if (h) write_items(w, h->items);
  else w.value(json::array());
  w.end();
}

void write_items(Writer& w, const std::vector<Item>& items) {
  w.begin_array();
  for (const auto& i : items) write_item(w, i);
  w.end();
}

}  // namespace

void render_json(std::ostream& os, const Document& doc, std::string_view version) {
  Writer w(os);
  w.begin_object();
  w.field("oscat", std::string(version));
  w.key("commands");
  w.begin_array();
  for (const auto& c : doc.commands) {
    w.begin_object();
    w.field("name", c.name);
    w.field("syntax", c.syntax);
    w.field("procedure", c.procedure_title);
    w.key("items");
    write_items(w, c.items);
    json notes = json::array();
    for (const auto& n : c.notes)
      notes.push_back({{"group", text_json(n.group)}, {"item", text_json(n.item)}, {"contents", text_json(n.contents)}});
    w.key("notes");
    w.value(notes);
    w.end();
  }
  w.end();
  w.end();
  w.newline();
}

std::string render_json(const Document& doc, std::string_view version) {
  std::ostringstream os;
  render_json(os, doc, version);
  return os.str();
}

}  // namespace oscat::engine
