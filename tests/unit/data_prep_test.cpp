// Discretization, category bookkeeping and the missing-value treatment on
// small data worked out by hand.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "data/categories.hpp"
#include "data/discretize.hpp"

using namespace oscat::data;

namespace {
std::vector<double> code(double method, int ncat, std::vector<double> v, std::vector<double> c,
                         CodeStatus expect = CodeStatus::Ok) {
  std::vector<double> out(v.size());
  EXPECT_EQ(code_values(method, ncat, v.data(), c.data(), static_cast<int>(v.size()), out.data()), expect);
  return out;
}
using V = std::vector<double>;
}  // namespace

TEST(Discretize, NoneRankingEqualIntervals) {
  EXPECT_EQ(code(kDiscNone, 0, {-1, 0, 2, 5}, {1, 1, 1, 1}), (V{-2, -2, 2, 5}));
  EXPECT_EQ(code(kDiscRanking, 0, {-3, 0.5, 10}, {4, 1, 2}), (V{1, 2, 3}));
  // Width 2 from the minimum 1: 1,2 -> 1; 3,4 -> 2; 7 -> 4.
  EXPECT_EQ(code(-2, 0, {1, 2, 3, 4, 7}, {1, 1, 1, 1, 1}), (V{1, 1, 2, 2, 4}));
  EXPECT_EQ(code(99, 0, {1, 2}, {1, 1}, CodeStatus::UnknownMethod).size(), 2u);
}

TEST(Discretize, ValuesNearTheEndsOfTheDoubleRange) {
  // The sums of 2e308 overflowed and every code became NaN. The standardized
  // values do not depend on the scale of the data; the codes here come from
  // the formula worked in exact rational arithmetic: z = -16.977, -2.425
  // (three times), 12.127.
  const V v{-1e308, 5e-324, 1, 2, 1e308}, c{1, 1, 1, 1, 2};
  EXPECT_EQ(code(kDiscMultiplying, 0, v, c), (V{1, 16, 16, 16, 30}));
  // Normal grouping into 3: thresholds +-0.6120 on z/10 = -1.698, -0.243, 1.213.
  EXPECT_EQ(code(kDiscNormal, 3, v, c), (V{1, 2, 2, 2, 3}));
  // Equal intervals of 1e300 over a range whose width overflows: 2e8 + 1 codes.
  EXPECT_EQ(code(-1e300, 0, {-1e308, 1e308}, {1, 1}), (V{1, 200000001}));
}

TEST(Discretize, EqualIntervalWidthTooSmallForTheRange) {
  // 1/1e-310 overflows to infinity; 1e9/1e-3 is finite but beyond a 32-bit code.
  // Both are refused, and the codes left behind are plain ranks, never inf.
  EXPECT_EQ(code(-1e-310, 0, {1, 2}, {1, 1}, CodeStatus::WidthTooSmall), (V{1, 2}));
  EXPECT_EQ(code(-1e-3, 0, {0, 5, 1e9}, {1, 1, 1}, CodeStatus::WidthTooSmall), (V{1, 2, 3}));
  // The largest code that still fits is accepted.
  EXPECT_EQ(code(-1, 0, {0, 2147483646}, {1, 1}), (V{1, 2147483647}));
}

TEST(Discretize, MultiplyingIsTenTimesTheStandardizedValue) {
  // Values 1..5 once each: mean 3, population SD sqrt(2); 10*z rounded half
  // away from zero: -14.14 -> -14, -7.07 -> -7, 0, 7, 14; the smallest gets 1.
  EXPECT_EQ(code(kDiscMultiplying, 0, {1, 2, 3, 4, 5}, {1, 1, 1, 1, 1}), (V{1, 8, 15, 22, 29}));
  // Values -1, 1 (mean 0, SD 1): 1 is one SD above the mean, ten codes above
  // the mean's position (the smallest, -1, is at -10 -> code 1, the mean at 11).
  EXPECT_EQ(code(kDiscMultiplying, 0, {-1, 1}, {1, 1}), (V{1, 21}));
  EXPECT_EQ(code(kDiscMultiplying, 0, {4}, {3}), (V{1}));  // no spread: no division by zero
}

TEST(Discretize, GroupingUniform) {
  // 6 values, counts 1,1,1,1,1,1 into 3 categories of 2.
  EXPECT_EQ(code(kDiscUniform, 3, {1, 2, 3, 4, 5, 6}, V(6, 1)), (V{1, 1, 2, 2, 3, 3}));
  // Counts 5,1,1,1,1,1 (N 10, target 5): the first value fills category 1.
  EXPECT_EQ(code(kDiscUniform, 2, {1, 2, 3, 4, 5, 6}, {5, 1, 1, 1, 1, 1}), (V{1, 2, 2, 2, 2, 2}));
  // At least as many categories as values: ranks, flagged.
  EXPECT_EQ(code(kDiscUniform, 5, {2, 4, 8}, {1, 1, 1}, CodeStatus::TooFewValues), (V{1, 2, 3}));
}

TEST(Discretize, GroupingNormal) {
  // Values -2..2 once each: mean 0, SD sqrt(2), z = v/sqrt(2) = 0, +-0.707, +-1.414.
  // NCAT 3 (threshold 0.6120): |z| 0.707 and 1.414 exceed it -> 1 1 2 3 3.
  EXPECT_EQ(code(kDiscNormal, 3, {-2, -1, 0, 1, 2}, V(5, 1)), (V{1, 1, 2, 3, 3}));
  // NCAT 4 (0, 0.9816): z 0 -> exceeds none -> middle 2; 0.707 > 0 -> 3;
  // 1.414 -> 4; negatives: 2 + 1 - k -> 2, 1.
  EXPECT_EQ(code(kDiscNormal, 4, {-2, -1, 0, 1, 2}, V(5, 1)), (V{1, 2, 2, 3, 4}));
  EXPECT_EQ(code(kDiscNormal, 7, {1.5, 2, 3}, V(3, 1), CodeStatus::TooFewValues), (V{1, 2, 3}));
}

TEST(Discretize, Defaults) {
  int ncat = -1;
  const double ints[] = {1, 2, 3}, frac[] = {1.5, 2, 3};
  EXPECT_EQ(default_method(true, ints, 3, ncat), kDiscRanking);
  EXPECT_EQ(default_method(false, ints, 3, ncat), kDiscNone);
  EXPECT_EQ(default_method(false, frac, 3, ncat), kDiscNormal);
  EXPECT_EQ(ncat, 7);
}

namespace {
// Workspace for a bookkeeping of m variables with room `cap`.
struct Book {
  std::vector<int> count, extra;
  std::vector<double> values, freq, mode, miss;
  CategoryBook b;
  Book(int m, int cap) : count(m), extra(m), values(m * cap), freq(m * cap), mode(m), miss(3 * m) {
    b = CategoryBook{m, cap, count.data(), values.data(), freq.data(), mode.data(), miss.data(), extra.data()};
  }
  std::vector<double> vals(int j) { return {values.begin() + j * b.cap, values.begin() + j * b.cap + count[j]}; }
  std::vector<double> fr(int j) { return {freq.begin() + j * b.cap, freq.begin() + j * b.cap + count[j]}; }
};
}  // namespace

TEST(Categories, ValuesFrequenciesModeAndMissingCounts) {
  // 6 objects, weights 1 2 1 1 0 1 (object 5 supplementary).
  // var 0: 3 1 3 1 2 -1  -> categories 1 2 3; freq 1:2+1=3, 2:0, 3:1+1=2; mode 1; user-missing 1.
  // var 1: 2 2 5 5 0 -2  -> categories 2 5; freq 2:3, 5:2; mode 2; system 0 (weight 0), <1: 1.
  const std::vector<double> coded = {3, 1, 3, 1, 2, -1, 2, 2, 5, 5, 0, -2};
  const std::vector<double> w = {1, 2, 1, 1, 0, 1};
  Book k(2, 7);
  std::vector<double> scratch(6);
  ASSERT_TRUE(category_bookkeeping(coded.data(), 6, 2, w.data(), k.b, scratch.data()));
  EXPECT_EQ(k.vals(0), (V{1, 2, 3}));
  EXPECT_EQ(k.fr(0), (V{3, 0, 2}));
  EXPECT_EQ(k.mode[0], 1);
  EXPECT_EQ((V{k.miss[0], k.miss[1], k.miss[2]}), (V{0, 1, 0}));
  EXPECT_EQ(k.vals(1), (V{2, 5}));
  EXPECT_EQ(k.fr(1), (V{3, 2}));
  EXPECT_EQ(k.mode[1], 2);
  EXPECT_EQ((V{k.miss[3], k.miss[4], k.miss[5]}), (V{1, 0, 0}));
  // A tie picks the lowest value.
  const std::vector<double> tie = {4, 2, 4, 2};
  const std::vector<double> ones(4, 1.0);
  ASSERT_TRUE(category_bookkeeping(tie.data(), 4, 1, ones.data(), k.b, scratch.data()));
  EXPECT_EQ(k.mode[0], 2);
  EXPECT_EQ(category_index(k.b, 0, 4), 1);
  EXPECT_EQ(category_index(k.b, 0, 3), -1);
  Book small(1, 1);
  EXPECT_FALSE(category_bookkeeping(tie.data(), 4, 1, ones.data(), small.b, scratch.data()));
}

// Whole-number codes up to n are ranked through a table, others are sorted:
// both must give the same book, including the overflow of a small capacity.
TEST(Categories, RankedAndSortedCodesGiveTheSameBook) {
  const int n = 500;
  std::vector<double> small(n), large(n), w(n);
  unsigned x = 12345;
  for (int i = 0; i < n; ++i) {
    x = x * 1103515245u + 12345u;
    const int c = static_cast<int>((x >> 16) % 9) - 1;  // -1 .. 7: user-missing, system-missing, codes
    small[i] = c;
    large[i] = c > 0 ? c * 1000.0 : c;  // beyond n: the sorted path
    w[i] = 0.25 + (x >> 20) % 7;
  }
  for (int cap : {10, 4}) {
    Book a(1, cap), b(1, cap);
    std::vector<double> scratch(n);
    const bool ok_a = category_bookkeeping(small.data(), n, 1, w.data(), a.b, scratch.data());
    const bool ok_b = category_bookkeeping(large.data(), n, 1, w.data(), b.b, scratch.data());
    EXPECT_EQ(ok_a, cap >= 7);
    EXPECT_EQ(ok_a, ok_b);
    ASSERT_EQ(a.b.count[0], b.b.count[0]);
    EXPECT_EQ(a.b.count[0], std::min(cap, 7));
    for (int c = 0; c < a.b.count[0]; ++c) {
      EXPECT_EQ(a.vals(0)[c] * 1000, b.vals(0)[c]);
      EXPECT_EQ(a.fr(0)[c], b.fr(0)[c]);  // same summation order: exactly equal
    }
    EXPECT_EQ(a.b.mode[0] * 1000, b.b.mode[0]);
    for (int k = 0; k < 3; ++k) EXPECT_EQ(a.miss[k], b.miss[k]);
  }
}

namespace {
struct Seq {
  std::vector<double> u;
  std::size_t i = 0;
};
double next(void* ctx) {
  auto* s = static_cast<Seq*>(ctx);
  return s->u[s->i++ % s->u.size()];
}

struct Treat {
  int n, m;
  std::vector<double> coded, w;
  std::vector<int> code, cases, status, issue;
  std::vector<double> valid, draw;
  Book k;
  MissingResult r;
  Treat(int n_, int m_, std::vector<double> c, std::vector<int> codes)
      : n(n_), m(m_), coded(std::move(c)), w(n_, 1.0), code(std::move(codes)), cases(n_), status(n_, 0),
        issue(m_), valid(m_), draw(n_ * m_), k(m_, 10) {
    for (int i = 0; i < n; ++i) cases[i] = i + 1;
  }
  void run(Seq* seq = nullptr) {
    std::vector<double> scratch(n);
    category_bookkeeping(coded.data(), n, m, w.data(), k.b, scratch.data());
    MissingInput in;
    in.n = n;
    in.m = m;
    in.ma = m;
    if (seq) {
      in.urand = next;
      in.urand_ctx = seq;
    }
    r = treat_missing(in, code.data(), coded.data(), w.data(), cases.data(), status.data(), k.b,
                      valid.data(), issue.data(), draw.data());
  }
};
}  // namespace

TEST(Missing, ExtraCategoryModeAndPassive) {
  // var 0 (ACTIVE EXTRACAT): 1 3 0 1 2 -> the missing object gets 4.
  // var 1 (ACTIVE MODEIMPU): 2 -1 2 1 1 -> mode 1 (tie 1/2 at weight 2: lowest).
  // var 2 (PASSIVE MODEIMPU): 1 2 2 -1 1 -> stays missing.
  Treat t(5, 3, {1, 3, 0, 1, 2, 2, -1, 2, 1, 1, 1, 2, 2, -1, 1}, {4, 5, 2});
  t.run();
  EXPECT_EQ((V{t.coded.begin(), t.coded.begin() + 5}), (V{1, 3, 4, 1, 2}));
  EXPECT_EQ((V{t.coded.begin() + 5, t.coded.begin() + 10}), (V{2, 1, 2, 1, 1}));
  EXPECT_EQ(t.coded[13], -1);
  EXPECT_EQ(t.k.count[0], 4);
  EXPECT_EQ(t.k.extra[0], 1);
  EXPECT_EQ(t.k.values[3], 4);
  EXPECT_EQ(t.status, (std::vector<int>{0, -1, -1, -1, 0}));
  EXPECT_EQ(t.r.valid, 2);
  EXPECT_EQ(t.r.total, 5);
  EXPECT_EQ(t.r.n_after, 5);
  EXPECT_FALSE(t.r.error);  // every variable keeps at least 3 valid values
  EXPECT_EQ(t.valid, (V{4, 4, 4}));
}

TEST(Missing, RandomImputationFollowsTheFrequencies) {
  // Categories 1 (freq 3) and 2 (freq 1); u = 0.5 -> position 2 of 4 -> 1;
  // u = 0.9 -> position 3.6 -> 2.
  Treat t(6, 1, {1, 1, 1, 2, 0, -1}, {6});
  Seq seq{{0.5, 0.9}};
  t.run(&seq);
  EXPECT_EQ(t.coded[4], 1);
  EXPECT_EQ(t.coded[5], 2);
  // Passive random only records the draw.
  Treat p(6, 1, {1, 1, 1, 2, 0, -1}, {3});
  Seq seq2{{0.9, 0.0}};
  p.run(&seq2);
  EXPECT_EQ(p.coded[4], 0);
  EXPECT_EQ(p.draw[4], 2);
  EXPECT_EQ(p.draw[5], 1);
  EXPECT_EQ(p.draw[0], 0);
}

TEST(Missing, ListwiseRemovesObjectsKeepingOrder) {
  // var 0 listwise: objects 2 and 4 missing; var 1 passive.
  Treat t(6, 2, {1, 0, 2, -1, 3, 1, 1, 2, 3, 4, 5, 6}, {7, 2});
  t.run();
  EXPECT_EQ(t.r.removed, 2);
  EXPECT_EQ(t.r.n_after, 4);
  EXPECT_EQ(t.r.excluded_first[0], 2);
  EXPECT_EQ(t.r.excluded_first[1], 4);
  EXPECT_EQ((std::vector<int>{t.cases.begin(), t.cases.begin() + 4}), (std::vector<int>{1, 3, 5, 6}));
  EXPECT_EQ((V{t.coded.begin(), t.coded.begin() + 8}), (V{1, 2, 3, 1, 1, 3, 5, 6}));
  EXPECT_EQ(t.valid, (V{4, 4}));  // objects 2 and 4 count for no variable
  EXPECT_EQ(t.r.valid, 4);
  EXPECT_EQ(t.r.total, 6);
  EXPECT_FALSE(t.r.error);
}

TEST(Missing, TooFewObjectsAndInvalidCodes) {
  // Listwise leaves two objects: the maximum-observations failure.
  Treat t(4, 1, {1, 0, 2, -1}, {7});
  t.run();
  EXPECT_EQ(t.r.n_after, 2);
  EXPECT_TRUE(t.r.too_few_objects);
  EXPECT_TRUE(t.r.error);
  // Three kept objects but a variable with two valid values; a bad code becomes 2.
  Treat u(4, 2, {1, 2, 0, -1, 1, 2, 3, 1}, {2, 12});
  u.run();
  EXPECT_FALSE(u.r.too_few_objects);
  EXPECT_EQ(u.issue[0], kIssueTooManyMissing);
  EXPECT_EQ(u.issue[1], kIssueInvalidCode);
  EXPECT_EQ(u.code[1], 2);
  EXPECT_TRUE(u.r.error);
}
