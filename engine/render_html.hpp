// The output document as one self-contained HTML page (embedded CSS, inline
// SVG charts, no scripts or external assets).
#pragma once

#include <iosfwd>
#include <string>
#include <string_view>

#include "engine/output_model.hpp"

namespace oscat::engine {

std::string render_html(const Document& doc, std::string_view title);
// The same, written to `os` item by item.
void render_html(std::ostream& os, const Document& doc, std::string_view title);

}  // namespace oscat::engine
