#include "exports/procedures.hpp"

namespace oscat {
// Not built yet: the export reports that the procedure is unavailable.
void run_anacor() { report_unavailable("ANACOR"); }
}  // namespace oscat
