#include "data/discretize.hpp"

#include <cmath>

#include "data/lloyd_max_table.hpp"

namespace oscat::data {
namespace {

// Power of two by which the values are divided before their moments are
// taken. The standardized values do not depend on it, and a power of two
// divides exactly; values near the top of the double range would otherwise
// overflow the sums and give NaN codes. Ordinary data keep the factor 1.
double value_scale(const double* v, int k) {
  double top = 0;
  for (int i = 0; i < k; ++i) top = std::fmax(top, std::fabs(v[i]));
  if (!(top > 1e150) || !std::isfinite(top)) return 1.0;
  int e = 0;
  std::frexp(top, &e);
  return std::ldexp(1.0, e - 1);  // top / scale < 2; 2^e itself may overflow
}

// Weighted mean and sum of squares around it, of the values divided by `scale`.
void moments(const double* v, const double* c, int k, double scale, double& n, double& mean, double& ss) {
  n = 0;
  double s = 0;
  for (int i = 0; i < k; ++i) { n += c[i]; s += c[i] * (v[i] / scale); }
  mean = n > 0 ? s / n : 0;
  ss = 0;
  for (int i = 0; i < k; ++i) ss += c[i] * (v[i] / scale - mean) * (v[i] / scale - mean);
}

void ranks(int k, double* codes) {
  for (int i = 0; i < k; ++i) codes[i] = i + 1;
}

void multiplying(const double* v, const double* c, int k, double* codes) {
  double n, mean, ss;
  const double scale = value_scale(v, k);
  moments(v, c, k, scale, n, mean, ss);
  if (!(ss > 0)) {  // one distinct value: nothing to spread (zero variance is reported later)
    for (int i = 0; i < k; ++i) codes[i] = 1;
    return;
  }
  const double s = 10.0 * std::sqrt(n / ss);
  const double o = std::trunc((v[0] / scale - mean) * s - 0.5);
  for (int i = 0; i < k; ++i) {
    const double z = (v[i] / scale - mean) * s;
    codes[i] = std::trunc(v[i] / scale >= mean ? z + 0.5 : z - 0.5) + 1 - o;
  }
}

void uniform(const double* c, int k, int ncat, double* codes) {
  double n = 0;
  for (int i = 0; i < k; ++i) n += c[i];
  const double t = n / ncat;
  int cat = 1;
  double f = c[0];
  double d = f - t;
  for (int i = 0; i < k; ++i) {
    codes[i] = cat;
    if (i + 1 == k) break;
    f += c[i + 1];
    double dn = f - cat * t;
    // Close the category when it is full, or when taking the next value would
    // overshoot by more than the current shortfall.
    if (d >= 0 || std::fabs(d) <= std::fabs(dn)) {
      ++cat;
      dn -= t;
    }
    d = dn;
  }
}

void normal(const double* v, const double* c, int k, int ncat, double* codes) {
  double n, mean, ss;
  const double vs = value_scale(v, k);
  moments(v, c, k, vs, n, mean, ss);
  const double* q = lloyd_max_row(ncat);
  const int h = ncat / 2;
  const int mid = (ncat + 1) / 2;
  const double scale = ss > 0 ? std::sqrt(n / ss) : 0;
  for (int i = 0; i < k; ++i) {
    const double z = (v[i] / vs - mean) * scale;
    const double az = std::fabs(z);
    int top = 0;  // largest index with q[top] < |z|, 1-based; 0 when none
    for (int j = 0; j < h; ++j)
      if (q[j] < az) top = j + 1;
    if (top == 0) codes[i] = mid;
    else if (z >= 0) codes[i] = mid + top;
    else codes[i] = mid + (ncat % 2 == 0 ? 1 : 0) - top;
  }
}

}  // namespace

CodeStatus code_values(double method, int ncat, const double* v, const double* c, int k,
                       double* codes) {
  if (k <= 0) return CodeStatus::Ok;
  if (method < 0) {
    const double w = -method;
    for (int i = 0; i < k; ++i) {
      // Values of opposite sign near the ends of the double range: their
      // difference overflows, their quotients by the width need not.
      const double d = v[i] - v[0];
      const double q = std::trunc(std::isfinite(d) ? d / w : v[i] / w - v[0] / w) + 1;
      if (!(q <= 2147483647.0)) {
        // Codes are 32-bit counts; a tiny width gives an infinite or
        // unrepresentable one. Ranks keep the tables consistent until the
        // caller stops the procedure.
        ranks(k, codes);
        return CodeStatus::WidthTooSmall;
      }
      codes[i] = q;
    }
    return CodeStatus::Ok;
  }
  if (method == kDiscNone) {
    for (int i = 0; i < k; ++i) codes[i] = v[i] > 0 ? v[i] : -2;
    return CodeStatus::Ok;
  }
  if (method == kDiscRanking) {
    ranks(k, codes);
    return CodeStatus::Ok;
  }
  if (method == kDiscMultiplying) {
    multiplying(v, c, k, codes);
    return CodeStatus::Ok;
  }
  if (method == kDiscUniform || method == kDiscNormal) {
    if (ncat >= k) {
      ranks(k, codes);
      return CodeStatus::TooFewValues;
    }
    if (method == kDiscUniform) {
      uniform(c, k, ncat, codes);
    } else {
      if (ncat > kLloydMaxMaxLevels) ncat = kLloydMaxMaxLevels;  // the parser caps NCAT at 36
      if (ncat < kLloydMaxMinLevels) return CodeStatus::UnknownMethod;
      normal(v, c, k, ncat, codes);
    }
    return CodeStatus::Ok;
  }
  return CodeStatus::UnknownMethod;
}

double default_method(bool is_string, const double* v, int k, int& ncat) {
  if (is_string) {
    ncat = 0;
    return kDiscRanking;
  }
  for (int i = 0; i < k; ++i) {
    if (v[i] != std::trunc(v[i])) {
      ncat = 7;
      return kDiscNormal;
    }
  }
  ncat = 0;
  return kDiscNone;
}

}  // namespace oscat::data
