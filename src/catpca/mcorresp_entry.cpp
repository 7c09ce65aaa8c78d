#include "driver/driver.hpp"
#include "exports/procedures.hpp"

namespace oscat {
void run_mcorresp() { driver::OptimalScalingDriver(driver::mcorresp_descriptor()).run(); }
}  // namespace oscat
