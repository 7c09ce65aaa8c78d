// Loop counts of the driver: passes, penalty grids, samples.
#include <gtest/gtest.h>

#include "driver/loops.hpp"

using namespace oscat::driver;

TEST(DriverLoops, FirstPenaltyGridAlwaysOpensWithTheUnpenalizedFit) {
  // 0 to 1 by 0.1: 11 values 0, 0.1, ..., 1.0.
  ASSERT_EQ(first_penalty_count(0, 1, 0.1), 11);
  for (int i = 0; i < 11; ++i) EXPECT_NEAR(first_penalty_value(0, 0.1, 11, i), 0.1 * i, 1e-12) << i;
  // 0.1 to 1 by 0.1: 11 values too, 0 first, then 0.1 .. 1.0.
  ASSERT_EQ(first_penalty_count(0.1, 1, 0.1), 11);
  EXPECT_EQ(first_penalty_value(0.1, 0.1, 11, 0), 0.0);
  for (int i = 1; i < 11; ++i) EXPECT_NEAR(first_penalty_value(0.1, 0.1, 11, i), 0.1 * i, 1e-12) << i;
  // No step: the start alone.
  EXPECT_EQ(first_penalty_count(0.5, 0.5, 0), 1);
  EXPECT_EQ(first_penalty_value(0.5, 0, 1, 0), 0.5);
  // 0.2 to 1.0 by 0.4: 0, 0.2, 0.6, 1.0.
  ASSERT_EQ(first_penalty_count(0.2, 1.0, 0.4), 4);
  EXPECT_NEAR(first_penalty_value(0.2, 0.4, 4, 3), 1.0, 1e-12);
}

TEST(DriverLoops, SecondPenaltyGrid) {
  EXPECT_EQ(second_penalty_count(0, 1, 0), 1);
  ASSERT_EQ(second_penalty_count(0.1, 1, 0.1), 10);  // no leading 0 for the second penalty
  EXPECT_EQ(second_penalty_value(0.1, 0.1, 0), 0.1);
  EXPECT_NEAR(second_penalty_value(0.1, 0.1, 9), 1.0, 1e-12);
  EXPECT_EQ(second_penalty_count(0, 1, 0.25), 5);
}

TEST(DriverLoops, PassesAndSamples) {
  EXPECT_EQ(pass_count(0, 0, false), 1);
  EXPECT_EQ(pass_count(0, 0, true), 1);
  EXPECT_EQ(pass_count(1, 0, false), 2);
  EXPECT_EQ(pass_count(0, 1, false), 1);
  EXPECT_EQ(pass_count(0, 3, true), 2);
  // No resampling: one run.
  EXPECT_EQ(sample_runs(false, 0, 0), 1);
  // CATPCA bootstrap of 1000: R = 1001, R + 1 runs; CATREG bootstrap of 50: R = 50.
  EXPECT_EQ(sample_runs(false, 2, 1000), 1002);
  EXPECT_EQ(sample_runs(true, 2, 50), 51);
  EXPECT_EQ(sample_runs(true, 1, 10), 11);
  EXPECT_EQ(coefficient_bootstrap_runs(), 1002);
}
