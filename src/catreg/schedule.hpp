// The runs of one CATREG command: passes, the penalty grids of a
// regularization path and the samples of resampling or of the coefficient
// bootstrap, in the order the analysis needs them.
//
// Within a pass the loops run over the second penalty, then the first, then
// the samples. A second pass, when there is one, fits one model on all
// active data with the penalties the first pass selected.
#pragma once

#include <memory>

#include "driver/descriptor.hpp"
#include "driver/run_context.hpp"
#include "syntax/settings.hpp"

namespace oscat::catreg {

// The lists of the two loops: inner (penalty1: the ridge or lasso penalty,
// the elastic net's lasso penalty) and outer (penalty2: the elastic net's
// ridge penalty).
const syntax::PenaltyRange& inner_list(const syntax::RegularizationSettings& r);
const syntax::PenaltyRange& outer_list(const syntax::RegularizationSettings& r);

// Second penalty (elastic net): 1 value when the step is 0, otherwise
// trunc((stop - start)/step + 1e-9) + 1 values start + i * step.
int second_penalty_count(const syntax::PenaltyRange& r);
double second_penalty_value(const syntax::PenaltyRange& r, int index);  // index 0-based

// First penalty: a path always opens with the unpenalized fit (0), then the
// start (when it is not 0) and further steps.
int first_penalty_count(const syntax::PenaltyRange& r);
double first_penalty_value(const syntax::PenaltyRange& r, int count, int index);  // index 0-based

// 2 when resampling is asked for, or when a regularization method is set and
// supplementary objects exist; otherwise 1.
int pass_count(const syntax::CommandSettings& s);

// Runs of the resampling loop: 1 without resampling, else count + 1 (the
// first on all active data).
int sample_runs(const syntax::ResampleSettings& r);

// Runs of the coefficient bootstrap series (1000 + 1 samples, + 1 run).
inline constexpr int kCoefficientBootstrapSamples = 1000;
int coefficient_bootstrap_runs();

class Schedule : public driver::RunPlan {
 public:
  explicit Schedule(const syntax::CommandSettings& s) : s_(s) {}
  // The checks after parsing and CATREG's own workspace: a penalty path
  // without resampling gives the regularization output only; otherwise the
  // coefficient bootstrap is prepared when PRINT COEFF is in force.
  bool prepare(driver::RunContext& ctx) override;
  bool next(driver::RunContext& ctx) override;

  // The current run's penalties.
  int penalty2_index = 0, penalty2_count = 1;
  double penalty2 = 0;
  int penalty1_index = 0, penalty1_count = 1;
  double penalty1 = 0;
  // The series of this run is the coefficient bootstrap.
  bool coefficient_bootstrap = false;
  bool coefficient_bootstrap_prepared = false;
  // A penalty path without resampling: regularization output only.
  bool regularization_output_only = false;
  // The path plot was asked for and there is a path to draw.
  bool regularization_plot = false;
  // Penalty values for the second pass; the analysis sets them during the
  // first pass (default: the grids' starts).
  double selected_penalty1 = 0, selected_penalty2 = 0;

 private:
  void enter_pass(driver::RunContext& ctx);
  void set_penalties(driver::RunContext& ctx);
  const syntax::CommandSettings& s_;
  bool started_ = false;
};

// The descriptor's plan entry.
std::unique_ptr<driver::RunPlan> make_schedule(driver::RunContext& ctx);

}  // namespace oscat::catreg
