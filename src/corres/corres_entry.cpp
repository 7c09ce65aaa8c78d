#include "exports/procedures.hpp"

namespace oscat {
// Not built yet: the export reports that the procedure is unavailable.
void run_corres() { report_unavailable("Correspondence"); }
}  // namespace oscat
