#include "data/lloyd_max.hpp"

#include <cmath>

namespace oscat::data {
namespace {

constexpr double kInvSqrt2 = 0.70710678118654752440;
constexpr double kInvSqrt2Pi = 0.39894228040143267794;

double pdf(double x) { return std::isinf(x) ? 0.0 : kInvSqrt2Pi * std::exp(-0.5 * x * x); }

// Upper tail Q(x) = P(X > x); erfc keeps the far tail cells accurate.
double upper(double x) {
  if (x == INFINITY) return 0.0;
  if (x == -INFINITY) return 1.0;
  return 0.5 * std::erfc(x * kInvSqrt2);
}

}  // namespace

int lloyd_max_thresholds(int levels, double* out, double* work, double tol, int max_iter) {
  if (levels < 2) return -1;
  const int L = levels;
  double* t = work;       // t[1..L-1]: thresholds; t[0] = -inf and t[L] = +inf are implicit
  double* r = work + L;   // r[0..L-1]: reconstruction points
  // Start from evenly spaced thresholds over [-3, 3]; any ordered start works.
  auto tl = [&](int i) { return i == 0 ? -INFINITY : (i == L ? INFINITY : t[i]); };
  for (int i = 1; i < L; ++i) t[i] = -3.0 + 6.0 * i / L;
  for (int it = 1; it <= max_iter; ++it) {
    for (int i = 0; i < L; ++i) {
      const double a = tl(i), b = tl(i + 1);
      // Conditional mean of the cell (a, b]: (pdf(a) - pdf(b)) / P(a < X <= b).
      // Cells below 0 are mirrored so both tails use the accurate upper tail.
      const double p = (b <= 0) ? upper(-b) - upper(-a) : upper(a) - upper(b);
      r[i] = (pdf(a) - pdf(b)) / p;
    }
    double move = 0;
    for (int i = 1; i < L; ++i) {
      const double nt = 0.5 * (r[i - 1] + r[i]);
      move = std::fmax(move, std::fabs(nt - t[i]));
      t[i] = nt;
    }
    if (move <= tol) {
      // Thresholds are symmetric about 0; average the mirror pairs so the
      // non-negative half is exact to rounding.
      const int h = L / 2;
      for (int k = 0; k < h; ++k) {
        const int hi = L - h + k;    // index of the k-th non-negative threshold
        const int lo = L - hi;       // its mirror
        out[k] = (L % 2 == 0 && k == 0) ? 0.0 : 0.5 * (t[hi] - t[lo]);
      }
      return it;
    }
  }
  return -1;
}

}  // namespace oscat::data
