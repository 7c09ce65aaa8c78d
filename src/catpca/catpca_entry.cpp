#include "exports/procedures.hpp"

namespace oscat {
// Not built yet: the export reports that the procedure is unavailable.
void run_catpca() { report_unavailable("CATPCA"); }
}  // namespace oscat
