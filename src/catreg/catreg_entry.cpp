#include "driver/driver.hpp"
#include "exports/procedures.hpp"

namespace oscat {
void run_catreg() { driver::OptimalScalingDriver(driver::catreg_descriptor()).run(); }
}  // namespace oscat
