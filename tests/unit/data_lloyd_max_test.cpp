// The stored Lloyd-Max thresholds must be what Lloyd's iteration gives.
#include <gtest/gtest.h>

#include <cmath>

#include "data/lloyd_max.hpp"
#include "data/lloyd_max_table.hpp"

using namespace oscat::data;

TEST(LloydMax, StoredTableMatchesTheGeneratorToFourDecimals) {
  double out[18], work[72];
  for (int levels = 2; levels <= 36; ++levels) {
    const int it = lloyd_max_thresholds(levels, out, work);
    ASSERT_GT(it, 0) << levels;
    const double* row = lloyd_max_row(levels);
    ASSERT_NE(row, nullptr);
    for (int k = 0; k < levels / 2; ++k)
      EXPECT_NEAR(row[k], std::round(out[k] * 1e4) / 1e4, 1e-12) << levels << " " << k;
  }
  EXPECT_EQ(lloyd_max_row(1), nullptr);
  EXPECT_EQ(lloyd_max_row(37), nullptr);
}

TEST(LloydMax, KnownQuantizers) {
  // Independent facts: 2 levels split at 0 with reconstruction points
  // +-sqrt(2/pi); 3 levels 0.6120; 4 levels 0 and 0.9816; 7 levels with the
  // optimum's top threshold 1.61076.
  EXPECT_DOUBLE_EQ(lloyd_max_row(2)[0], 0.0);
  EXPECT_DOUBLE_EQ(lloyd_max_row(3)[0], 0.6120);
  EXPECT_DOUBLE_EQ(lloyd_max_row(4)[0], 0.0);
  EXPECT_DOUBLE_EQ(lloyd_max_row(4)[1], 0.9816);
  const double* r7 = lloyd_max_row(7);
  EXPECT_DOUBLE_EQ(r7[0], 0.2803);
  EXPECT_DOUBLE_EQ(r7[1], 0.8744);
  EXPECT_DOUBLE_EQ(r7[2], 1.6108);
  double out[3], work[14];
  ASSERT_GT(lloyd_max_thresholds(7, out, work), 0);
  EXPECT_NEAR(out[2], 1.61076, 5e-6);
  // Each threshold lies halfway between neighbouring conditional means: check
  // the 3-level case by its closed form t = E[X | X > t] / 2.
  ASSERT_GT(lloyd_max_thresholds(3, out, work), 0);
  const double t = out[0];
  const double tail_mean = std::exp(-0.5 * t * t) / std::sqrt(2 * M_PI) / (0.5 * std::erfc(t / std::sqrt(2.0)));
  EXPECT_NEAR(t, 0.5 * tail_mean, 1e-10);
  for (int levels = 3; levels <= 36; ++levels) {
    const double* row = lloyd_max_row(levels);
    for (int k = 1; k < levels / 2; ++k) EXPECT_LT(row[k - 1], row[k]) << levels;
  }
  EXPECT_EQ(lloyd_max_thresholds(1, out, work), -1);
}
