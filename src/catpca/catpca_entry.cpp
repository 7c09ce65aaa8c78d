#include "driver/driver.hpp"
#include "exports/procedures.hpp"

namespace oscat {
void run_catpca() { driver::OptimalScalingDriver(driver::catpca_descriptor()).run(); }
}  // namespace oscat
