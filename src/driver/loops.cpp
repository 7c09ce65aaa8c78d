#include "driver/loops.hpp"

#include <cmath>

namespace oscat::driver {

int second_penalty_count(double start, double stop, double step) {
  if (step == 0) return 1;
  const double k = std::trunc((stop - start) / step + 1e-9);
  return k < 0 ? 1 : static_cast<int>(k) + 1;
}

double second_penalty_value(double start, double step, int index) {
  double v = start;
  for (int i = 0; i < index; ++i) v += step;
  return v;
}

int first_penalty_count(double start, double stop, double step) {
  if (step == 0) return 1;
  double k = std::trunc((stop - start) / step + 1e-9);
  if (k < 0) k = 0;  // a reversed range still fits the unpenalized model and the start
  return static_cast<int>(k) + (start == 0 ? 1 : 2);
}

double first_penalty_value(double start, double step, int count, int index) {
  if (count == 1) return start;
  if (index == 0) return 0;
  double v = start == 0 ? step : start;  // value 2
  for (int i = 2; i <= index; ++i) v += step;
  return v;
}

int pass_count(int resample_method, double regu_method, bool supplementary_objects) {
  return (resample_method != 0 || (regu_method != 0 && supplementary_objects)) ? 2 : 1;
}

int sample_runs(bool catreg, int resample_method, int resample_count) {
  if (resample_method == 0) return 1;
  const int r = catreg ? resample_count : resample_count + 1;
  return r + 1;
}

int coefficient_bootstrap_runs() { return kCoefficientBootstrapSamples + 1 + 1; }

}  // namespace oscat::driver
