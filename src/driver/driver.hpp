// The driver shared by CATPCA, CATREG and MULTIPLE CORRESPONDENCE: the whole
// life of one command, from the procedure frame to the closing sequence, for
// the procedure its descriptor describes.
#pragma once

#include "driver/descriptor.hpp"

namespace oscat::driver {

// Runs the command whose tokens the host holds. Reports everything through
// the host; every path, an exception's included, ends with the closing
// sequence.
void run(const ProcedureDescriptor& desc);

// Workspace slots of the driver's arrays; an analysis numbers its own from
// kFirstAnalysisSlot on.
enum Slot : int {
  kMethod = 0, kNcat, kNcatEffective, kMissingCode, kDistinct, kZeroVariance, kTableHandles,
  // Data preparation.
  kCoded, kWeights, kCaseBook, kTemp, kDiscScratch, kStatus, kDraw,
  kBookCount, kBookValues, kBookFreq, kBookMode, kBookMiss, kBookExtra,
  kOrigCount, kOrigValues, kOrigFreq, kOrigMode, kOrigMiss, kOrigExtra,
  kValidPerVar, kIssues, kAsideWeights,
  kFirstAnalysisSlot,
};

// A plan of passes and samples without penalties: `passes` passes, the
// first with `first_pass_samples` runs, any later one with one run on all
// data.
class PassSamplePlan : public RunPlan {
 public:
  PassSamplePlan(int passes, int first_pass_samples) : passes_(passes), first_samples_(first_pass_samples) {}
  bool next(RunContext& ctx) override;

 private:
  int passes_, first_samples_;
  bool started_ = false;
};

}  // namespace oscat::driver
