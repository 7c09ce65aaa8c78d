// The driver shared by CATPCA, CATREG and MULTIPLE CORRESPONDENCE: the whole
// life of one command, from the procedure frame to the closing sequence.
#pragma once

#include "driver/descriptor.hpp"

namespace oscat::driver {

class OptimalScalingDriver {
 public:
  explicit OptimalScalingDriver(const ProcedureDescriptor& desc) : desc_(desc) {}
  // Runs the command whose tokens the host holds. Reports everything through
  // the host; every path ends with the closing sequence.
  void run();

 private:
  const ProcedureDescriptor& desc_;
};

// The three descriptors (title, version, keyword table per procedure).
const ProcedureDescriptor& catpca_descriptor();
const ProcedureDescriptor& catreg_descriptor();
const ProcedureDescriptor& mcorresp_descriptor();

}  // namespace oscat::driver
