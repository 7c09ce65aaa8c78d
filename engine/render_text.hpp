// Plain-text rendering of the output document, and the table layout that the
// text and HTML renderers share.
#pragma once

#include <cstddef>
#include <iosfwd>
#include <string>
#include <vector>

#include "engine/output_model.hpp"

namespace oscat::engine {

// Tables wider than `width` columns are split into panels that fit, each
// repeating the row labels; every other line is wrapped to the width too. A
// command run under SET WIDTH uses that width instead (CommandOutput::text_width).
inline constexpr int kDefaultTextWidth = 80;
inline constexpr int kMinTextWidth = 40;  // narrower widths are taken as this
std::string render_text(const Document& doc, int width = kDefaultTextWidth);
// The same, written to `os` item by item.
void render_text(std::ostream& os, const Document& doc, int width = kDefaultTextWidth);
// One pivot table as text.
std::string render_table_text(const Table& table, int width = kDefaultTextWidth);

// Panels of a wide table: data columns [first, end) that fit `room` columns
// with `gap` between them. A panel ends preferably where the outermost
// header group ends (the lowest `boundary_level[b]` of a break before column
// b), as long as the panel is at least a quarter full; a column wider than `room`
// gets a panel of its own.
struct Panel {
  int first = 0;
  int end = 0;
  bool operator==(const Panel& o) const { return first == o.first && end == o.end; }
};
std::vector<Panel> split_panels(const std::vector<std::size_t>& widths, const std::vector<int>& boundary_level,
                                std::size_t room, std::size_t gap);

// ---- table layout ----------------------------------------------------------
// A pivot table laid out as a grid: label columns (one per row dimension and
// group level) at the left, data columns (the product of the column dimensions'
// leaves) at the right, column headers as rows of spans, one body per layer.
struct LayoutText {
  std::string text;
  std::vector<std::string> marks;  // footnote markers
  bool is_text = false;            // a text cell (left-aligned in HTML)
};

struct HeaderSpan {
  LayoutText label;
  int first = 0;   // first data column
  int count = 1;   // data columns spanned
  bool group = false;  // a dimension label or group (drawn with a rule under it)
  bool cut = false;    // text panels: the span goes on in another panel
};

struct LabelCell {
  LayoutText label;
  bool shown = true;   // false: continues the block started on an earlier row
  int rowspan = 1;     // rows of the block (when shown)
};

struct BodyRow {
  std::vector<LabelCell> labels;   // one per label column
  std::vector<LayoutText> cells;   // one per data column
  bool boundary = false;           // first row of a new outermost row group
};

struct LayerBlock {
  std::vector<std::string> caption;  // "<dimension>: <category>" per layer dimension
  std::vector<BodyRow> rows;
};

struct TableLayout {
  LayoutText title;
  int label_cols = 0;
  int data_cols = 0;
  std::vector<std::string> corner;             // header of each label column
  std::vector<std::vector<HeaderSpan>> header; // rows of spans over the data columns
  std::vector<LayerBlock> layers;
  std::vector<std::pair<std::string, std::string>> footnotes;  // marker, text
};

TableLayout layout_table(const Table& table);

// The text shown for a cell ("." for a missing value).
std::string cell_display(const Cell& cell);

}  // namespace oscat::engine
