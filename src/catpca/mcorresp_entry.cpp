#include "exports/procedures.hpp"

namespace oscat {
// Not built yet: the export reports that the procedure is unavailable.
void run_mcorresp() { report_unavailable("Multiple Correspondence"); }
}  // namespace oscat
