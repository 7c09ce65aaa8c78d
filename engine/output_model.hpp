// The output model: what a run of commands produced, independent of how it is
// rendered (text, HTML, JSON). Builders (pivot tables, listings, charts,
// messages) append to it; renderers only read it.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "host/host.hpp"

namespace oscat::engine {

// A translated text together with where it came from, so JSON can carry both.
struct Text {
  std::string key;                  // message key / catalogue number; empty for literal text
  std::string text;                 // the text shown
  std::vector<std::string> params;  // parameter texts, in slot order (composites only)
};

struct Category {
  Text label;
  std::vector<int> footnotes;  // indexes into Table::footnotes
};

// A node of a dimension's tree: a group (with children) or a leaf category.
struct DimNode {
  Text label;
  bool is_group = false;
  int leaf = -1;                   // leaf category id (is_group == false)
  std::vector<DimNode> children;   // groups only
};

struct Dimension {
  Text label;
  host::Axis axis = host::Axis::Row;
  bool label_hidden = false;
  std::vector<Category> leaves;    // by category id
  std::vector<DimNode> tree;       // top-level nodes in order
};

struct Cell {
  std::optional<double> value;     // nullopt = system-missing (when !text)
  std::optional<Text> text;        // text cell
  host::Format format;
  std::vector<int> footnotes;
};

struct Footnote {
  std::string marker;  // "a", "b", ...
  Text text;
};

struct Table {
  Text title;
  Text name;
  int table_id = 0;
  std::vector<Dimension> dims;
  std::map<std::vector<int>, Cell> cells;  // key: one category id per dimension
  std::vector<Footnote> footnotes;
  std::vector<int> title_footnotes;
  int min_width = 0, max_width = 0;
};

struct Message {
  int severity = 2;    // 1 note, 2 warning, 3 error
  int cls = 2;
  int number = 0;      // numbered messages; 0 for keyed ones
  Text text;
};

struct ChartPoint {
  std::vector<double> values;       // one per numeric column (NaN = missing)
  std::vector<std::string> texts;   // one per text column
};

struct ChartColumn {
  Text name;
  bool is_text = false;
};

struct ChartElement {
  host::ElementKind kind = host::ElementKind::Point;
  int group_col = -1;   // column index, -1 none
  int label_col = -1;   // column index, -1 none
  int label_max = 0;
  int rows_col = -1;    // column index: only rows with a value there are drawn; -1 all
  bool hollow = false;  // supplementary points: open markers, dashed vectors
};

struct Chart {
  std::string chart_template;
  Text title, subtitle, footnote;
  std::vector<Text> earlier_footnotes;  // footnote frames before the last one (`footnote`)
  std::vector<ChartColumn> columns;
  std::vector<std::vector<std::variant<double, std::string>>> rows;  // rows × columns
  int x_col = -1, y_col = -1;
  Text x_label, y_label;
  bool same_ratio = false;
  std::vector<int> splom_cols;      // non-empty: scatterplot matrix
  std::vector<ChartElement> elements;
  std::vector<double> x_refs, y_refs;
  std::optional<Text> legend_title;
  std::string svg;                  // rendered on CX_ENDCHART
  int nonfinite_values = 0;         // NaN/infinity passed by the procedure (a fault, shown as missing)
};

struct TextBlock {
  Text title;
  std::vector<std::string> lines;
};

struct Note {
  Text group, item, contents;
};

struct Heading;
using Item = std::variant<Table, Message, Chart, TextBlock, std::shared_ptr<Heading>>;

struct Heading {
  Text title;
  std::vector<Item> items;
};

// One command of the syntax file and everything it produced.
struct CommandOutput {
  std::string name;            // e.g. "CORRESPONDENCE"
  std::string syntax;          // the command as written
  std::string procedure_title; // BP_PROCEDURE title, empty for host commands
  std::vector<Item> items;
  std::vector<Note> notes;
  int text_width = 0;          // SET WIDTH in force for the command; 0 none (the renderer's default)
};

struct Document {
  std::vector<CommandOutput> commands;
};

}  // namespace oscat::engine
