// Rendering of a chart description (engine::Chart) as a self-contained SVG.
#pragma once

#include <string>
#include <string_view>

#include "engine/output_model.hpp"

namespace oscat::engine {

// Text safe inside XML/HTML content and attribute values: markup characters
// escaped, control characters dropped, invalid UTF-8 bytes replaced by U+FFFD.
std::string xml_escape(std::string_view s);

// Where a single-panel chart's data area lies (pixels) and which data range it
// shows. With same_ratio one data unit has the same length on both axes.
struct PlotFrame {
  double left = 0, top = 0, width = 0, height = 0;
  double xmin = 0, xmax = 1, ymin = 0, ymax = 1;
  bool categorical_x = false;  // text x column: categories at 0, 1, 2, ...
};
PlotFrame chart_plot_frame(const Chart& chart);

// The whole chart as an <svg> element (no XML declaration, so it can be
// written to a file or placed inline in HTML). Deterministic.
std::string render_svg(const Chart& chart);

}  // namespace oscat::engine
