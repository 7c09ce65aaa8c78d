// Counts and values of the driver's loops: passes, penalty grids, samples.
#pragma once

namespace oscat::driver {

// Second penalty (elastic net): 1 value when the step is 0, otherwise
// trunc((stop - start)/step + 1e-9) + 1 values from `start` on.
int second_penalty_count(double start, double stop, double step);
double second_penalty_value(double start, double step, int index);  // index 0-based

// First penalty: a path always opens with the unpenalized fit (0), then the
// start (when it is not 0) and further steps.
int first_penalty_count(double start, double stop, double step);
double first_penalty_value(double start, double step, int count, int index);  // index 0-based

// 2 when resampling is asked for, or when a regularization method is set and
// supplementary objects exist; otherwise 1.
int pass_count(int resample_method, double regu_method, bool supplementary_objects);

// Runs of the sample loop: 1 without resampling; R + 1 with resampling, where
// R = count + 1 for CATPCA and MCORRESP and R = count for CATREG.
int sample_runs(bool catreg, int resample_method, int resample_count);

// Runs of the CATREG coefficient bootstrap series (R = 1000 + 1, R + 1 runs).
inline constexpr int kCoefficientBootstrapSamples = 1000;
int coefficient_bootstrap_runs();

}  // namespace oscat::driver
