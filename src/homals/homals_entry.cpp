#include "exports/procedures.hpp"

namespace oscat {
// Not built yet: the export reports that the procedure is unavailable.
void run_homals() { report_unavailable("HOMALS"); }
}  // namespace oscat
