#include "engine/pivot.hpp"

#include <algorithm>
#include <cmath>

#include "engine/format.hpp"

namespace oscat::engine {

std::string footnote_marker(int index) {
  std::string s;
  for (int i = index + 1; i > 0; i = (i - 1) / 26) s.insert(s.begin(), char('a' + (i - 1) % 26));
  return s;
}

PivotBuilder::PivotBuilder(Session& session, MessageStore& msg, const host::Dictionary& dict)
    : session_(session), msg_(msg), dict_(dict) {}

void PivotBuilder::reset() {
  table_.reset();
  open_groups_.clear();
  footnote_index_.clear();
  while (headings_open_ > 0) {
    session_.pop_heading();
    --headings_open_;
  }
}

// ------------------------------------------------------------------ frame ---

void PivotBuilder::BP_PROCEDURE(std::string_view title) {
  session_.current().procedure_title = std::string(title);
  table_ids_.clear();
  table_ids_ended_ = false;
}

void PivotBuilder::BP_END_PROCEDURE() {
  while (headings_open_ > 0) {
    session_.pop_heading();
    --headings_open_;
  }
  // Reported after the headings close, so it shows at the procedure's level.
  if (table_) {
    msg_.ASSERT(false, "BP_END_PROCEDURE", "pivot table ended");
    BP_ABANDON_PIVOT_TABLE();
  }
}

void PivotBuilder::BP_TABLE_ID(int id) { table_ids_.push_back(id); }
void PivotBuilder::BP_END_TABLE_IDS() { table_ids_ended_ = true; }

void PivotBuilder::BP_BEGIN_HEADING(host::Msg title) {
  session_.push_heading(msg_.resolve(title));
  ++headings_open_;
}

void PivotBuilder::BP_END_HEADING() {
  if (headings_open_ == 0) {
    msg_.ASSERT(false, "BP_END_HEADING", "heading open");
    return;
  }
  session_.pop_heading();
  --headings_open_;
}

// ----------------------------------------------------------------- tables ---

bool PivotBuilder::check_table(const char* routine) {
  if (table_) return true;
  msg_.ASSERT(false, routine, "pivot table open");
  return false;
}

bool PivotBuilder::check_dim(int dim, const char* routine) {
  if (!check_table(routine)) return false;
  if (dim >= 0 && static_cast<std::size_t>(dim) < table_->dims.size()) return true;
  msg_.ASSERT(false, routine, "dimension id in range");
  return false;
}

int PivotBuilder::BP_BEGIN_PIVOT_TABLE(host::Msg title, int table_id, host::Msg name) {
  if (table_) {
    // Tables do not nest: the unfinished one is dropped, not emitted half-built.
    msg_.ASSERT(false, "BP_BEGIN_PIVOT_TABLE", "previous pivot table ended");
    BP_ABANDON_PIVOT_TABLE();
  }
  table_.emplace();
  table_->title = msg_.resolve(title);
  table_->name = name != 0 ? msg_.resolve(name) : table_->title;
  table_->table_id = table_id;
  open_groups_.clear();
  footnote_index_.clear();
  return ++tables_begun_;
}

int PivotBuilder::add_dimension(host::Msg label, host::Axis axis, const char* routine) {
  if (!check_table(routine)) return -1;
  if (!table_->cells.empty()) {
    // Existing cell keys would have the wrong arity.
    msg_.ASSERT(false, routine, "dimensions declared before cells");
    return -1;
  }
  Dimension d;
  d.label = msg_.resolve(label);
  d.axis = axis;
  table_->dims.push_back(std::move(d));
  open_groups_.emplace_back();
  return static_cast<int>(table_->dims.size()) - 1;
}

int PivotBuilder::BP_POSITION_DIMENSION(host::Msg label, host::Axis axis) {
  return add_dimension(label, axis, "BP_POSITION_DIMENSION");
}
int PivotBuilder::BP_CATEGORY_DIMENSION(host::Msg label, host::Axis axis) {
  return add_dimension(label, axis, "BP_CATEGORY_DIMENSION");
}
int PivotBuilder::BP_CELL_DIMENSION(host::Msg label, host::Axis axis) {
  return add_dimension(label, axis, "BP_CELL_DIMENSION");
}

void PivotBuilder::BP_HIDE_DIMENSION_LABEL(int dim) {
  if (check_dim(dim, "BP_HIDE_DIMENSION_LABEL")) table_->dims[dim].label_hidden = true;
}

std::vector<DimNode>& PivotBuilder::open_children(int dim) {
  std::vector<DimNode>* nodes = &table_->dims[dim].tree;
  for (std::size_t i : open_groups_[dim]) nodes = &(*nodes)[i].children;
  return *nodes;
}

void PivotBuilder::BP_BEGIN_GROUP(int dim, host::Msg label) {
  if (!check_dim(dim, "BP_BEGIN_GROUP")) return;
  std::vector<DimNode>& nodes = open_children(dim);
  DimNode g;
  g.label = msg_.resolve(label);
  g.is_group = true;
  nodes.push_back(std::move(g));
  open_groups_[dim].push_back(nodes.size() - 1);
}

void PivotBuilder::BP_END_GROUP(int dim) {
  if (!check_dim(dim, "BP_END_GROUP")) return;
  if (open_groups_[dim].empty()) {
    msg_.ASSERT(false, "BP_END_GROUP", "group open");
    return;
  }
  open_groups_[dim].pop_back();
}

int PivotBuilder::BP_CELL_IN_CATEGORY(int dim, host::Msg label) {
  if (!check_dim(dim, "BP_CELL_IN_CATEGORY")) return -1;
  Dimension& d = table_->dims[dim];
  Category c;
  c.label = msg_.resolve(label);
  d.leaves.push_back(std::move(c));
  DimNode leaf;
  leaf.label = d.leaves.back().label;
  leaf.leaf = static_cast<int>(d.leaves.size()) - 1;
  open_children(dim).push_back(std::move(leaf));
  return static_cast<int>(d.leaves.size()) - 1;
}

std::optional<std::vector<int>> PivotBuilder::cell_key(const host::CellRef& cell, const char* routine) {
  if (!check_table(routine)) return std::nullopt;
  const auto& dims = table_->dims;
  if (cell.categories.size() != dims.size()) {
    msg_.ASSERT(false, routine, "one category per dimension");
    return std::nullopt;
  }
  for (std::size_t i = 0; i < dims.size(); ++i) {
    int c = cell.categories[i];
    if (c < 0 || static_cast<std::size_t>(c) >= dims[i].leaves.size()) {
      msg_.ASSERT(false, routine, "category id in range");
      return std::nullopt;
    }
  }
  return cell.categories;
}

void PivotBuilder::BP_SET_VALUE(const host::CellRef& cell, double value, host::Format f) {
  auto key = cell_key(cell, "BP_SET_VALUE");
  if (!key) return;
  Cell& c = table_->cells[*key];
  // A NaN is an undefined statistic like the system-missing value: shown ".".
  if (host::is_sysmis(value) || std::isnan(value))
    c.value.reset();
  else
    c.value = value;
  c.text.reset();
  c.format = f;
}

void PivotBuilder::BP_SET_TEXT(const host::CellRef& cell, host::Msg text) {
  auto key = cell_key(cell, "BP_SET_TEXT");
  if (!key) return;
  Cell& c = table_->cells[*key];
  c.value.reset();
  c.text = msg_.resolve(text);
  c.format = host::Format{host::Fmt::Text, -1};
}

std::optional<int> PivotBuilder::footnote(host::Msg fn, const char* routine) {
  if (!msg_.valid(fn)) {
    msg_.ASSERT(false, routine, "footnote handle valid");
    return std::nullopt;
  }
  Text t = msg_.resolve(fn);
  auto it = footnote_index_.find(t.text);
  if (it != footnote_index_.end()) return it->second;
  int idx = static_cast<int>(table_->footnotes.size());
  table_->footnotes.push_back(Footnote{footnote_marker(idx), std::move(t)});
  footnote_index_.emplace(table_->footnotes.back().text.text, idx);
  return idx;
}

namespace {
void add_unique(std::vector<int>& v, int x) {
  if (std::find(v.begin(), v.end(), x) == v.end()) v.push_back(x);
}
}  // namespace

void PivotBuilder::BP_ANNOTATE(host::Msg fn) {
  if (!check_table("BP_ANNOTATE")) return;
  if (auto i = footnote(fn, "BP_ANNOTATE")) add_unique(table_->title_footnotes, *i);
}

void PivotBuilder::BP_ANNOTATE_CATEGORY(int dim, int category, host::Msg fn) {
  if (!check_dim(dim, "BP_ANNOTATE_CATEGORY")) return;
  auto& leaves = table_->dims[dim].leaves;
  if (category < 0 || static_cast<std::size_t>(category) >= leaves.size()) {
    msg_.ASSERT(false, "BP_ANNOTATE_CATEGORY", "category id in range");
    return;
  }
  if (auto i = footnote(fn, "BP_ANNOTATE_CATEGORY")) add_unique(leaves[category].footnotes, *i);
}

void PivotBuilder::BP_ANNOTATE_CELL(const host::CellRef& cell, host::Msg fn) {
  auto key = cell_key(cell, "BP_ANNOTATE_CELL");
  if (!key) return;
  if (auto i = footnote(fn, "BP_ANNOTATE_CELL")) add_unique(table_->cells[*key].footnotes, *i);
}

void PivotBuilder::BP_DATA_COL_MIN_MAX_WIDTH(int min_chars, int max_chars) {
  if (!check_table("BP_DATA_COL_MIN_MAX_WIDTH")) return;
  table_->min_width = std::max(0, min_chars);
  table_->max_width = std::max(table_->min_width, max_chars);
}

void PivotBuilder::BP_END_PIVOT_TABLE() {
  if (!check_table("BP_END_PIVOT_TABLE")) return;
  // Groups still open simply end with the table.
  session_.append(std::move(*table_));
  table_.reset();
  open_groups_.clear();
  footnote_index_.clear();
}

void PivotBuilder::BP_ABANDON_PIVOT_TABLE() {
  table_.reset();
  open_groups_.clear();
  footnote_index_.clear();
}

// ----------------------------------------------------------------- labels ---

bool PivotBuilder::valid_var(int var, const char* routine) const {
  if (var >= 1 && var <= dict_.size()) return true;
  msg_.ASSERT(false, routine, "variable index in range");
  return false;
}

host::Msg PivotBuilder::BP_VARIABLE(int var) {
  if (!valid_var(var, "BP_VARIABLE")) return msg_.BP_CSTRING_NO_TRANSLATE("?");
  const host::VarInfo& v = dict_.DICGET(var);
  return msg_.BP_CSTRING_NO_TRANSLATE(v.label.empty() ? v.name : v.label);
}

host::Msg PivotBuilder::BP_VARINDEX(int var) {
  if (!valid_var(var, "BP_VARINDEX")) return msg_.BP_CSTRING_NO_TRANSLATE("?");
  const host::VarInfo& v = dict_.DICGET(var);
  return msg_.BP_CSTRING_NO_TRANSLATE(v.label.empty() ? v.name : v.label);
}

host::Msg PivotBuilder::BP_VARVALUE(int var, double value) {
  if (!valid_var(var, "BP_VARVALUE")) return msg_.BP_CSTRING_NO_TRANSLATE("?");
  std::string label = host::is_sysmis(value) ? std::string() : dict_.VLBLST(var, value);
  if (!label.empty()) return msg_.BP_CSTRING_NO_TRANSLATE(label);
  // The general format writes whole numbers without decimals.
  return msg_.BP_CSTRING_NO_TRANSLATE(format_value(value, host::BP_GENSTAT_FORMAT()));
}

host::Msg PivotBuilder::BP_VARVALUE(int var, std::string_view value) {
  if (!valid_var(var, "BP_VARVALUE")) return msg_.BP_CSTRING_NO_TRANSLATE("?");
  std::string label = dict_.VLBLST(var, value);
  return msg_.BP_CSTRING_NO_TRANSLATE(label.empty() ? std::string(value) : label);
}

void PivotBuilder::add_note(host::Msg group, host::Msg item, host::Msg contents) {
  session_.add_note(Note{msg_.resolve(group), msg_.resolve(item), msg_.resolve(contents)});
}

}  // namespace oscat::engine
