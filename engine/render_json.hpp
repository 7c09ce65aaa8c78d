// Machine-readable rendering of the output document: the data of every table,
// message, chart and text block, with message keys next to the shown texts.
#pragma once

#include <iosfwd>
#include <string>
#include <string_view>

#include "engine/output_model.hpp"

namespace oscat::engine {

// One JSON document: {"oscat": version, "commands": [...]}.
std::string render_json(const Document& doc, std::string_view version);
// The same, written to `os` while the document is walked: memory stays that of
// one cell or chart row, however large the report.
void render_json(std::ostream& os, const Document& doc, std::string_view version);

}  // namespace oscat::engine
