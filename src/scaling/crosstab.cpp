#include "scaling/crosstab.hpp"

#include <cmath>

namespace oscat::scaling {

template <class T>
void CrossTab(const T* sa, int ka, const T* sb, int kb, int n, const double* w, double* tab,
              std::uint32_t* counts) {
  const std::size_t cells = static_cast<std::size_t>(ka) * static_cast<std::size_t>(kb);
  const auto ua = static_cast<unsigned>(ka), ub = static_cast<unsigned>(kb);
  if (w == nullptr) {
    // Whole counts are exact and cheaper to add than doubles; objects without
    // a state are counted in an extra row and column, not tested for.
    const unsigned stride = ub + 1;
    const std::size_t all = static_cast<std::size_t>(ua + 1) * stride;
    for (std::size_t c = 0; c < all; ++c) counts[c] = 0;
    for (int i = 0; i < n; ++i) {
      const unsigned a = sa[i] < ua ? sa[i] : ua, b = sb[i] < ub ? sb[i] : ub;
      ++counts[a * stride + b];
    }
    for (unsigned a = 0; a < ua; ++a)
      for (unsigned b = 0; b < ub; ++b) tab[a * ub + b] = counts[a * stride + b];
    return;
  }
  for (std::size_t c = 0; c < cells; ++c) tab[c] = 0;
  for (int i = 0; i < n; ++i) {
    const unsigned a = sa[i], b = sb[i];
    if (a < ua && b < ub) tab[a * ub + b] += w[i];
  }
}

void CountPairs(const std::uint16_t* base, const std::uint8_t* b, int n, std::uint32_t* counts, std::size_t cells) {
  for (std::size_t c = 0; c < cells; ++c) counts[c] = 0;
  for (int i = 0; i < n; ++i) ++counts[base[i] + b[i]];
}

template <class T>
void StateFrequencies(const T* s, int k, int n, const double* w, double* freq) {
  for (int c = 0; c < k; ++c) freq[c] = 0;
  const auto uk = static_cast<unsigned>(k);
  for (int i = 0; i < n; ++i) {
    const unsigned a = s[i];
    if (a < uk) freq[a] += w != nullptr ? w[i] : 1.0;
  }
}

double StateMean(const double* freq, const double* value, int k, double skip) {
  double sw = 0, sx = 0;
  for (int c = 0; c < k; ++c) {
    if (value[c] == skip || freq[c] == 0) continue;
    sw += freq[c];
    sx += freq[c] * value[c];
  }
  return sw > 0 ? sx / sw : 0.0;
}

double CrossTabCorrelation(const double* tab, int ka, int kb, const double* va, const double* vb,
                           double mean_a, double mean_b, double skip, double tiny) {
  double cp = 0, ssa = 0, ssb = 0;
  for (int a = 0; a < ka; ++a) {
    if (va[a] == skip) continue;
    const double u = va[a] - mean_a;
    const double* row = tab + static_cast<std::size_t>(a) * static_cast<std::size_t>(kb);
    double fa = 0, fb = 0;  // the row's weight and its weighted deviations on b
    for (int b = 0; b < kb; ++b) {
      if (row[b] == 0 || vb[b] == skip) continue;
      const double d = vb[b] - mean_b;
      fa += row[b];
      fb += row[b] * d;
      ssb += row[b] * d * d;
    }
    cp += u * fb;
    ssa += fa * u * u;
  }
  return ssa <= tiny || ssb <= tiny ? 0.0 : cp / std::sqrt(ssa * ssb);
}

template <class T>
double DirectCorrelation(const T* sa, const T* sb, int n, const double* w, const double* va,
                         const double* vb, double mean_a, double mean_b, double skip, double tiny) {
  double cp = 0, ssa = 0, ssb = 0;
  for (int i = 0; i < n; ++i) {
    const T a = sa[i], b = sb[i];
    if (a == kNoState<T> || b == kNoState<T>) continue;
    const double x = va[a], y = vb[b];
    if (x == skip || y == skip) continue;
    const double wi = w != nullptr ? w[i] : 1.0;
    const double u = x - mean_a, d = y - mean_b;
    cp += wi * u * d;
    ssa += wi * u * u;
    ssb += wi * d * d;
  }
  return ssa <= tiny || ssb <= tiny ? 0.0 : cp / std::sqrt(ssa * ssb);
}

#define OSCAT_CROSSTAB(T)                                                                                      \
  template void CrossTab<T>(const T*, int, const T*, int, int, const double*, double*, std::uint32_t*);     \
  template void StateFrequencies<T>(const T*, int, int, const double*, double*);                            \
  template double DirectCorrelation<T>(const T*, const T*, int, const double*, const double*, const double*, \
                                       double, double, double, double);
OSCAT_CROSSTAB(std::uint8_t)
OSCAT_CROSSTAB(std::uint16_t)
OSCAT_CROSSTAB(std::uint32_t)
#undef OSCAT_CROSSTAB

}  // namespace oscat::scaling
