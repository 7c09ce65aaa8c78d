// The output document as one self-contained HTML page (embedded CSS, inline
// SVG charts, no scripts or external assets).
#pragma once

#include <string>
#include <string_view>

#include "engine/output_model.hpp"

namespace oscat::engine {

std::string render_html(const Document& doc, std::string_view title);

}  // namespace oscat::engine
