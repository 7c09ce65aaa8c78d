// Correlations from state cross tables against the plain object-by-object
// correlation of the values the states stand for.
#include <gtest/gtest.h>

#include <cmath>
#include <algorithm>
#include <cstdint>
#include <random>
#include <vector>

#include "scaling/crosstab.hpp"

using namespace oscat::scaling;

namespace {

constexpr double kSkip = -1.7976931348623157e308;  // the system-missing value
constexpr double kTiny = 2.23e-16;

// Means over each variable's own valid objects, then the pairwise sums over
// the objects valid on both: the definition the tables must reproduce.
double reference(const std::vector<double>& x, const std::vector<double>& y, const std::vector<double>& w) {
  auto mean = [&](const std::vector<double>& v) {
    double sw = 0, sx = 0;
    for (std::size_t i = 0; i < v.size(); ++i)
      if (v[i] != kSkip) sw += w[i], sx += w[i] * v[i];
    return sw > 0 ? sx / sw : 0.0;
  };
  const double mx = mean(x), my = mean(y);
  double cp = 0, sx = 0, sy = 0;
  for (std::size_t i = 0; i < x.size(); ++i) {
    if (x[i] == kSkip || y[i] == kSkip) continue;
    cp += w[i] * (x[i] - mx) * (y[i] - my);
    sx += w[i] * (x[i] - mx) * (x[i] - mx);
    sy += w[i] * (y[i] - my) * (y[i] - my);
  }
  return sx <= kTiny || sy <= kTiny ? 0.0 : cp / std::sqrt(sx * sy);
}

template <class T>
struct Case {
  int n = 0, ka = 0, kb = 0;
  std::vector<T> a, b;
  std::vector<double> va, vb, w;
  // Per-object values; an object without a state, or whose state has no
  // value, is skipped like a system-missing value. Weight 0 objects carry
  // no state (as the caller maps them).
  std::vector<double> values(const std::vector<T>& s, const std::vector<double>& v) const {
    std::vector<double> out(s.size(), kSkip);
    for (std::size_t i = 0; i < s.size(); ++i)
      if (s[i] != kNoState<T>) out[i] = v[s[i]];
    return out;
  }
};

template <class T>
Case<T> random_case(std::mt19937& g, int n, int ka, int kb, bool weighted) {
  Case<T> c;
  c.n = n;
  c.ka = ka;
  c.kb = kb;
  std::uniform_int_distribution<int> sa(0, ka), sb(0, kb);  // ka / kb: no state
  std::uniform_real_distribution<double> u(-2, 3);
  for (int i = 0; i < n; ++i) {
    const int x = sa(g), y = sb(g);
    const double wi = weighted ? (i % 7 == 0 ? 0.0 : 0.25 + (i % 5) * 0.6) : 1.0;
    c.a.push_back(x == ka || wi == 0 ? kNoState<T> : static_cast<T>(x));
    c.b.push_back(y == kb || wi == 0 ? kNoState<T> : static_cast<T>(y));
    c.w.push_back(wi);
  }
  for (int k = 0; k < ka; ++k) c.va.push_back(k == 1 ? kSkip : u(g));
  for (int k = 0; k < kb; ++k) c.vb.push_back(u(g));
  return c;
}

template <class T>
void check(const Case<T>& c, bool weighted) {
  const double* w = weighted ? c.w.data() : nullptr;
  std::vector<double> fa(static_cast<std::size_t>(c.ka)), fb(static_cast<std::size_t>(c.kb));
  StateFrequencies(c.a.data(), c.ka, c.n, w, fa.data());
  StateFrequencies(c.b.data(), c.kb, c.n, w, fb.data());
  const double ma = StateMean(fa.data(), c.va.data(), c.ka, kSkip);
  const double mb = StateMean(fb.data(), c.vb.data(), c.kb, kSkip);
  std::vector<double> tab(static_cast<std::size_t>(c.ka) * c.kb);
  std::vector<std::uint32_t> counts(static_cast<std::size_t>(c.ka + 1) * (c.kb + 1));
  CrossTab(c.a.data(), c.ka, c.b.data(), c.kb, c.n, w, tab.data(), counts.data());
  const double by_table = CrossTabCorrelation(tab.data(), c.ka, c.kb, c.va.data(), c.vb.data(), ma, mb, kSkip, kTiny);
  const double direct = DirectCorrelation(c.a.data(), c.b.data(), c.n, w, c.va.data(), c.vb.data(), ma, mb, kSkip, kTiny);
  const double ref = reference(c.values(c.a, c.va), c.values(c.b, c.vb), c.w);
  EXPECT_NE(ref, 0.0);
  EXPECT_NEAR(by_table, ref, 1e-12);
  EXPECT_NEAR(direct, ref, 1e-12);
}

}  // namespace

TEST(ScalingCrossTab, TablesGiveTheObjectByObjectCorrelation) {
  std::mt19937 g(7);
  for (bool weighted : {false, true}) {
    check(random_case<std::uint8_t>(g, 500, 4, 6, weighted), weighted);
    check(random_case<std::uint16_t>(g, 700, 300, 5, weighted), weighted);
    check(random_case<std::uint32_t>(g, 300, 3, 70000, weighted), weighted);
  }
}

TEST(ScalingCrossTab, UnweightedTableCountsObjectsWithBothStates) {
  // Objects: (0,1) (0,1) (1,0) (none,0) (1,none) (1,1)
  const std::uint8_t none = kNoState<std::uint8_t>;
  const std::vector<std::uint8_t> a = {0, 0, 1, none, 1, 1}, b = {1, 1, 0, 0, none, 1};
  std::vector<double> tab(4);
  std::vector<std::uint32_t> counts(9);
  CrossTab(a.data(), 2, b.data(), 2, 6, nullptr, tab.data(), counts.data());
  EXPECT_EQ(tab, (std::vector<double>{0, 2, 1, 1}));
  const std::vector<double> w = {1, 0.5, 2, 9, 9, 3};
  CrossTab(a.data(), 2, b.data(), 2, 6, w.data(), tab.data(), counts.data());
  EXPECT_EQ(tab, (std::vector<double>{0, 1.5, 2, 3}));
}

TEST(ScalingCrossTab, CountedPairsEqualTheCrossTable) {
  // Closed columns (no state -> the state count) and row offsets of stride
  // 5 give the counts of CrossTab in the first ka x kb cells.
  std::mt19937 g(3);
  const int n = 1000, ka = 3, kb = 4, stride = 5;
  const auto none = kNoState<std::uint8_t>;
  std::vector<std::uint8_t> a(n), b(n), ca(n), cb(n);
  std::vector<std::uint16_t> base(n);
  for (int i = 0; i < n; ++i) {
    a[i] = g() % 5 == 0 ? none : static_cast<std::uint8_t>(g() % ka);
    b[i] = g() % 6 == 0 ? none : static_cast<std::uint8_t>(g() % kb);
    ca[i] = std::min<std::uint8_t>(a[i], ka);
    cb[i] = std::min<std::uint8_t>(b[i], kb);
    base[i] = static_cast<std::uint16_t>(ca[i] * stride);
  }
  std::vector<double> tab(ka * kb);
  std::vector<std::uint32_t> scratch((ka + 1) * (kb + 1)), counts((ka + 1) * stride);
  CrossTab(a.data(), ka, b.data(), kb, n, nullptr, tab.data(), scratch.data());
  CountPairs(base.data(), cb.data(), n, counts.data(), counts.size());
  double total = 0;
  for (int x = 0; x < ka; ++x)
    for (int y = 0; y < kb; ++y) {
      EXPECT_EQ(tab[x * kb + y], counts[x * stride + y]);
      total += tab[x * kb + y];
    }
  int both = 0;
  for (int i = 0; i < n; ++i) both += a[i] != none && b[i] != none;
  EXPECT_EQ(total, both);
}

TEST(ScalingCrossTab, ConstantOrValuelessVariableCorrelatesZero) {
  // Every object in one state: no spread, r = 0 rather than a division by 0.
  const std::vector<std::uint8_t> a = {0, 0, 0, 0}, b = {0, 1, 0, 1};
  const std::vector<double> va = {5}, vb = {1, 2}, tab = {2, 2};
  EXPECT_EQ(CrossTabCorrelation(tab.data(), 1, 2, va.data(), vb.data(), 5, 1.5, kSkip, kTiny), 0.0);
  EXPECT_EQ(DirectCorrelation(a.data(), b.data(), 4, nullptr, va.data(), vb.data(), 5, 1.5, kSkip, kTiny), 0.0);
  // A state without a value weighs nothing in the mean.
  const std::vector<double> f = {3, 1}, v = {kSkip, 4};
  EXPECT_EQ(StateMean(f.data(), v.data(), 2, kSkip), 4.0);
}
