// What the runs of one CATPCA or MULTIPLE CORRESPONDENCE command share: the
// passes and samples, and what the first run settles for the later ones
// (the number of dimensions after the cap, a rotation dropped on the way).
#pragma once

#include "driver/driver.hpp"
#include "driver/run_context.hpp"

namespace oscat::catpca {

class Plan : public driver::PassSamplePlan {
 public:
  explicit Plan(const syntax::CommandSettings& s);
  int p = 2;                     // dimensions of the solution
  int rotation = syntax::ROT_NONE;  // rotation method in force
};

// The descriptor of CATPCA or MCORRESP for the driver.
driver::ProcedureDescriptor describe(syntax::ProcedureKind kind);

// The analysis of one run (analysis.cpp).
bool run_analysis(driver::RunContext& ctx);

}  // namespace oscat::catpca
