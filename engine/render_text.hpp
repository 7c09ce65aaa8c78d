// Plain-text rendering of the output document, and the table layout that the
// text and HTML renderers share.
#pragma once

#include <string>
#include <vector>

#include "engine/output_model.hpp"

namespace oscat::engine {

std::string render_text(const Document& doc);

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
