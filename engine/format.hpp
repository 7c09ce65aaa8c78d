// How a value is written for a given format: shared by message parameters,
// pivot cells and the renderers so that a number reads the same everywhere.
#pragma once

#include <string>

#include "host/host.hpp"

namespace oscat::engine {

// Text of `v` under `f`; SYSMIS gives ".". Never throws.
std::string format_value(double v, host::Format f);

}  // namespace oscat::engine
