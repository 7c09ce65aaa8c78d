#include "exports/procedures.hpp"

namespace oscat {
// Not built yet: the export reports that the procedure is unavailable.
void run_overals() { report_unavailable("OVERALS"); }
}  // namespace oscat
