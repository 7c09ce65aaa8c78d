// How a value is written for a given format: shared by message parameters,
// pivot cells and the renderers so that a number reads the same everywhere.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "host/host.hpp"

namespace oscat::engine {

// Text of `v` under `f`; SYSMIS gives ".". Never throws.
//  Count         integers as integers ("1234"), otherwise up to 3 decimals, trimmed
//  General/Text  integers as integers, otherwise 3 decimals ("0.273"); magnitudes
//                below 0.001 or from 1e15 on in exponent form ("1.23E-05")
//  Correlation,
//  Significance  fixed decimals (3 by default)
//  Fixed         `decimals` decimals (2 by default)
//  Percent       `decimals` decimals (1 by default) followed by "%"
// A result that reads as zero never carries a minus sign.
std::string format_value(double v, host::Format f);

// Name of a format kind as used in machine-readable output ("count", "general", ...).
const char* format_kind_name(host::Fmt kind);

// Display width of UTF-8 text in code points (continuation bytes do not count).
std::size_t text_width(std::string_view s);
// The first `n` code points of `s` (never splits a multi-byte character).
std::string cut_text(std::string_view s, std::size_t n);

}  // namespace oscat::engine
