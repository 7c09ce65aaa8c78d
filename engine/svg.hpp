// Rendering of a chart description (engine::Chart) as a self-contained SVG.
#pragma once

#include <string>
#include <string_view>

#include "engine/output_model.hpp"

namespace oscat::engine {

// Text safe inside XML/HTML content and attribute values: markup characters
// escaped, control characters dropped, invalid UTF-8 bytes replaced by U+FFFD.
std::string xml_escape(std::string_view s);

// Estimated width in pixels of `s` set in the charts' sans-serif face at
// `font_size`: per-character advance widths of that face for ASCII, a wide
// average for other characters, rounded up a little so that the estimate
// errs on the side of room.
double text_width(std::string_view s, double font_size, bool bold = false);

// Where a single-panel chart's data area lies (pixels) and which data range it
// shows. With same_ratio one data unit has the same length on both axes.
struct PlotFrame {
  double left = 0, top = 0, width = 0, height = 0;
  double xmin = 0, xmax = 1, ymin = 0, ymax = 1;
  bool categorical_x = false;  // text x column: categories at 0, 1, 2, ...
};
PlotFrame chart_plot_frame(const Chart& chart);

// The factor by which a chart draws its vectors (loadings in a biplot) so that
// they span the cloud of its points; 1 when the chart has no vectors, no
// points, or vectors already of the cloud's size. A round number, shown in
// the legend.
double chart_vector_scale(const Chart& chart);

// Point labels that an element draws only when it has at most this many
// (per group when the element is grouped): a cloud of objects is left
// unlabelled, its centroids and vectors keep their names.
inline constexpr int kMaxLabelledPoints = 50;

// The whole chart as an <svg> element (no XML declaration, so it can be
// written to a file or placed inline in HTML). Deterministic.
std::string render_svg(const Chart& chart);

}  // namespace oscat::engine
