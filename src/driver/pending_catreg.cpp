// Placeholder until the analysis of this procedure exists: the command ends
// after the data preparation with an error, never with success.
#include "driver/analysis.hpp"
#include "host/host.hpp"

namespace oscat::driver {

bool run_catreg_analysis(RunContext&) {
  auto& msg = host::H().msg;
  msg.BP_ERROR(msg.BP_CSTRING("ZYL Analysis not available."), 2, 3);
  return false;
}

}  // namespace oscat::driver
