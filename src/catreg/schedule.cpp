#include "catreg/schedule.hpp"

#include "catreg/regression.hpp"

#include <cmath>

#include "driver/driver.hpp"
#include "frame/messages.hpp"
#include "frame/workspace.hpp"
#include "host/host.hpp"

namespace oscat::catreg {

namespace {

// Grid counts are taken from (stop - start) / step; the slack keeps a stop
// that the steps reach in exact arithmetic (0.1 to 1 by 0.1) from being lost
// to rounding.
constexpr double kGridSlack = 1e-9;

// CATREG's own workspace, after the driver's slots.
enum : int { kBootBook = driver::kFirstAnalysisSlot, kStartPatterns };

}  // namespace

// The elastic net's ridge list (its first) is the outer loop and its lasso
// list (its second) the inner one; ridge and lasso have their one list inside.
const syntax::PenaltyRange& inner_list(const syntax::RegularizationSettings& r) {
  return r.method == syntax::RegMethod::ElasticNet ? r.second : r.first;
}
const syntax::PenaltyRange& outer_list(const syntax::RegularizationSettings& r) { return r.first; }

int second_penalty_count(const syntax::PenaltyRange& r) {
  if (r.step == 0) return 1;
  const double k = std::trunc((r.stop - r.start) / r.step + kGridSlack);
  return k < 0 ? 1 : static_cast<int>(k) + 1;
}

double second_penalty_value(const syntax::PenaltyRange& r, int index) { return r.start + index * r.step; }

int first_penalty_count(const syntax::PenaltyRange& r) {
  if (r.step == 0) return 1;
  double k = std::trunc((r.stop - r.start) / r.step + kGridSlack);
  if (k < 0) k = 0;  // a reversed range still fits the unpenalized model and the start
  return static_cast<int>(k) + (r.start == 0 ? 1 : 2);
}

double first_penalty_value(const syntax::PenaltyRange& r, int count, int index) {
  if (count == 1) return r.start;
  if (index == 0) return 0;
  // From index 1 on: start, start + step, ... (a start of 0 is the opening fit).
  return r.start == 0 ? index * r.step : r.start + (index - 1) * r.step;
}

int pass_count(const syntax::CommandSettings& s) {
  const bool regu = s.regu.method != syntax::RegMethod::None;
  return (s.resample.method != 0 || (regu && s.supp.has_objects())) ? 2 : 1;
}

int sample_runs(const syntax::ResampleSettings& r) { return r.method == 0 ? 1 : r.count + 1; }

int coefficient_bootstrap_runs() { return kCoefficientBootstrapSamples + 1 + 1; }

bool Schedule::prepare(driver::RunContext& ctx) {
  auto& ws = *ctx.ws;
  const auto& rg = s_.regu;
  const bool regu = rg.method != syntax::RegMethod::None;
  const bool path = rg.first.step > 0 || rg.second.step > 0;
  if (regu && s_.resample.method == 0 && !s_.supp.has_objects() && path) {
    frame::warn("CRG Only REGU output.");
    if (s_.initial.type == syntax::InitialSettings::Multistart) frame::warn("CRG MltStrt Only REGU output.");
    regularization_output_only = true;
  } else if (s_.print.coeff) {
    coefficient_bootstrap_prepared = true;
    ws.get<int>(kBootBook, kCoefficientBootstrapSamples);
  }
  if (s_.initial.type == syntax::InitialSettings::Multistart && s_.vars.ordinal_predictors > 0) {
    // The bookkeeping of the start patterns: 2^p for all patterns (none
    // beyond 31 predictors), otherwise the threshold strategy's rows.
    const int p = s_.vars.ordinal_predictors;
    const long long patterns = s_.initial.threshold < 0 ? CRG_AllSignCount(p) : CRG_SignRows(p, false);
    ws.get<int>(kStartPatterns, static_cast<std::size_t>(patterns + 1));
  }
  regularization_plot = s_.plot.regu.on;
  selected_penalty1 = inner_list(rg).start;
  selected_penalty2 = rg.method == syntax::RegMethod::ElasticNet ? outer_list(rg).start : 0;
  return !ws.failed();
}

void Schedule::enter_pass(driver::RunContext& ctx) {
  const auto& rg = s_.regu;
  const bool reset = ctx.pass == 2;
  ctx.final_pass = ctx.pass == ctx.passes;
  penalty2_count = reset ? 1 : (rg.method == syntax::RegMethod::ElasticNet ? second_penalty_count(outer_list(rg)) : 1);
  penalty1_count = reset ? 1 : first_penalty_count(inner_list(rg));
  if (ctx.pass == 1 && regularization_plot && penalty1_count == 1) {
    frame::warn(penalty2_count == 1 ? "CRG No REGU plot." : "CRG No ENET plot.");
    regularization_plot = false;
  }
  penalty2_index = 0;
  penalty1_index = 0;
}

void Schedule::set_penalties(driver::RunContext& ctx) {
  const auto& rg = s_.regu;
  const bool reset = ctx.pass == 2;
  const bool regu = rg.method != syntax::RegMethod::None;
  penalty2 = reset ? selected_penalty2
             : (rg.method == syntax::RegMethod::ElasticNet ? second_penalty_value(outer_list(rg), penalty2_index) : 0);
  penalty1 = reset ? selected_penalty1 : first_penalty_value(inner_list(rg), penalty1_count, penalty1_index);
  coefficient_bootstrap = ctx.final_pass && coefficient_bootstrap_prepared &&
                          ((penalty1_count == 1 && penalty2_count == 1) || (reset && regu));
  ctx.samples = coefficient_bootstrap ? coefficient_bootstrap_runs() : reset ? 1 : sample_runs(s_.resample);
  ctx.sample = 0;
}

bool Schedule::next(driver::RunContext& ctx) {
  if (!started_) {
    started_ = true;
    ctx.passes = pass_count(s_);
    ctx.pass = 1;
    enter_pass(ctx);
    set_penalties(ctx);
  } else if (++ctx.sample >= ctx.samples) {
    // The samples are done: the next first penalty, second penalty, pass.
    if (++penalty1_index >= penalty1_count) {
      penalty1_index = 0;
      if (++penalty2_index >= penalty2_count) {
        if (++ctx.pass > ctx.passes) return false;
        enter_pass(ctx);
      }
    }
    set_penalties(ctx);
  }
  ctx.first_run = ctx.pass == 1 && penalty2_index == 0 && penalty1_index == 0 && ctx.sample == 0;
  ctx.final_run = ctx.sample == ctx.samples - 1;
  // The runs of this pass, counted for the progress display's time left.
  const long runs = static_cast<long>(penalty2_count) * penalty1_count * ctx.samples;
  if (runs > 1 && host::host_bound())
    host::H().num.ODOMTR("Run", (static_cast<long>(penalty2_index) * penalty1_count + penalty1_index) * ctx.samples + ctx.sample + 1, runs);
  return true;
}

std::unique_ptr<driver::RunPlan> make_schedule(driver::RunContext& ctx) {
  return std::make_unique<Schedule>(*ctx.settings);
}

}  // namespace oscat::catreg
