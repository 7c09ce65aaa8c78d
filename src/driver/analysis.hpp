// The analysis step: one call per run (run_context.hpp).
//
// The analysis issues define these functions in src/catpca/ and src/catreg/.
// Until they do, src/driver/pending_catpca.cpp and pending_catreg.cpp hold
// placeholders that report "ZYL Analysis not available." as an error; delete
// the placeholder file when the real definition lands (the linker reports
// the duplicate otherwise).
//
// Return false after reporting an error; the driver then goes to its closing
// sequence. Report through the host; never free the driver's arrays.
#pragma once

#include "driver/run_context.hpp"

namespace oscat::driver {

bool run_catpca_analysis(RunContext& ctx);  // CATPCA and MULTIPLE CORRESPONDENCE
bool run_catreg_analysis(RunContext& ctx);  // CATREG

}  // namespace oscat::driver
