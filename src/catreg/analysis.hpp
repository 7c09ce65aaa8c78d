// The CATREG analysis of one run of the schedule, and what its output needs.
#pragma once

#include "catreg/path.hpp"
#include "catreg/regression.hpp"
#include "driver/run_context.hpp"
#include "host/host.hpp"

namespace oscat::catreg {

bool analysis(driver::RunContext& ctx);

// The reported fit, as the output tables read it.
struct Reported {
  const driver::RunContext* ctx = nullptr;
  CrgData d;
  CrgArrays a;
  CrgResult res;
  const double* se = nullptr;  // m coefficient standard errors (index 0 unused); null: none
  int boot_count = 0;          // B of the standard errors
  Penalty penalty = Penalty::None;
  double lambda1 = 0, lambda2 = 0;
  int fixed_pattern = 0;  // FIXSIGNS pattern number (0: none)
  PathModels path;       // the regularization path (M = 0: none)
  int path_inner = 1;    // models per value of the elastic net's ridge penalty
  // Resampling estimates per model of the first pass (null: none), the
  // optimal and the one-standard-error model (0-based; the reported one).
  const double* est = nullptr;
  int est_fields = 0;
  bool resampled = false, test = false;  // what the estimates hold
  static constexpr int kTestField = 6;   // test MSE, its SE, cases used, test cases
  static constexpr int kRawField = 10;   // the factor v of the raw-scale errors
  bool raw = false;                      // raw-scale errors are reported beside the standardized ones
  int optimal = 0, one_se = 0;
  double epe(int k, int field) const { return est[static_cast<long>(est_fields) * k + field]; }
  // An error on the raw scale (SYSMIS stays SYSMIS).
  double raw_epe(int k, int field) const {
    const double v = epe(k, field), f = epe(k, kRawField);
    return host::is_sysmis(v) || host::is_sysmis(f) ? host::SYSMIS : v * f;
  }
};

// Tables of the reported fit, in order: history, model summary, ANOVA,
// coefficients, correlations and tolerance, quantifications.
void output(const Reported& r);
// The regularization file of a complete path (estimates: null without
// resampling). False when it could not be written.
// With `raw` the raw-scale errors follow the standardized ones.
bool CRG_WriteRegularization(const driver::RunContext& ctx, const PathModels& path, Penalty method,
                             const double* est, int est_fields, bool resampled, bool test, bool raw);

// Charts of the reported fit (PLOT TRANS, RESID) and of the path (PLOT REGU).
struct Stats;
void CRG_Charts(const Reported& r, const Stats& st);
void CRG_PathPlots(const Reported& r);

// The patterns the multiple starts ran (rows x p) to the INITIAL file, and
// the FIXSIGNS pattern read from it into `signs` (per variable). False on
// failure (reported). Null rows: the first `count` of all sign patterns.
bool CRG_WriteSignPatterns(const driver::RunContext& ctx, const int* rows, long long count, int p,
                           const int* ordinal);
bool CRG_ReadFixSigns(const driver::RunContext& ctx, int p, const int* ordinal, int* signs);

// SAVE and OUTFILE of the reported fit.
void CRG_Save(const Reported& r);

// The path tables alone (a path without prediction errors).
void path_output(const Reported& r);

}  // namespace oscat::catreg
