// The runs of a CATREG command: penalty grids, passes and samples.
#include <gtest/gtest.h>

#include <tuple>
#include <vector>

#include "catreg/schedule.hpp"

using namespace oscat;
using namespace oscat::catreg;
using syntax::PenaltyRange;

TEST(CatregSchedule, FirstPenaltyGridAlwaysOpensWithTheUnpenalizedFit) {
  // 0 to 1 by 0.1: 11 values 0, 0.1, ..., 1.0.
  const PenaltyRange a{0, 1, 0.1};
  ASSERT_EQ(first_penalty_count(a), 11);
  for (int i = 0; i < 11; ++i) EXPECT_NEAR(first_penalty_value(a, 11, i), 0.1 * i, 1e-15) << i;
  // 0.1 to 1 by 0.1: 11 values too, 0 first, then 0.1 .. 1.0.
  const PenaltyRange b{0.1, 1, 0.1};
  ASSERT_EQ(first_penalty_count(b), 11);
  EXPECT_EQ(first_penalty_value(b, 11, 0), 0.0);
  for (int i = 1; i < 11; ++i) EXPECT_NEAR(first_penalty_value(b, 11, i), 0.1 * i, 1e-15) << i;
  // No step: the start alone.
  EXPECT_EQ(first_penalty_count({0.5, 0.5, 0}), 1);
  EXPECT_EQ(first_penalty_value({0.5, 0.5, 0}, 1, 0), 0.5);
  // 0.2 to 1.0 by 0.4: 0, 0.2, 0.6, 1.0.
  ASSERT_EQ(first_penalty_count({0.2, 1.0, 0.4}), 4);
  EXPECT_NEAR(first_penalty_value({0.2, 1.0, 0.4}, 4, 3), 1.0, 1e-15);
  // A long grid does not drift: value i is start + i * step, not a running sum
  // (summing 0.1 a thousand times is off by more than 1e-13).
  const PenaltyRange c{0, 100, 0.1};
  ASSERT_EQ(first_penalty_count(c), 1001);
  EXPECT_NEAR(first_penalty_value(c, 1001, 1000), 100.0, 1e-13);
}

TEST(CatregSchedule, SecondPenaltyGrid) {
  EXPECT_EQ(second_penalty_count({0, 1, 0}), 1);
  const PenaltyRange r{0.1, 1, 0.1};
  ASSERT_EQ(second_penalty_count(r), 10);  // no leading 0 for the second penalty
  EXPECT_EQ(second_penalty_value(r, 0), 0.1);
  EXPECT_NEAR(second_penalty_value(r, 9), 1.0, 1e-15);
  EXPECT_EQ(second_penalty_count({0, 1, 0.25}), 5);
}

namespace {

struct PlannedRun {
  int pass;
  double p2, p1;
  int sample;
  bool first, final_run, final_pass, boot;
};

std::vector<PlannedRun> runs(Schedule& plan) {
  driver::RunContext ctx;
  std::vector<PlannedRun> out;
  while (plan.next(ctx))
    out.push_back({ctx.pass, plan.penalty2, plan.penalty1, ctx.sample, ctx.first_run, ctx.final_run,
                   ctx.final_pass, plan.coefficient_bootstrap});
  return out;
}

}  // namespace

TEST(CatregSchedule, AnElasticNetPathRunsItsRidgeListOutsideItsLassoList) {
  syntax::CommandSettings s;
  s.kind = syntax::ProcedureKind::Catreg;
  s.regu.method = syntax::RegMethod::ElasticNet;
  s.regu.second = {0.5, 1, 0.5};  // lasso, inside: 0, 0.5, 1
  s.regu.first = {0.1, 0.2, 0.1};  // ridge, outside: 0.1, 0.2
  Schedule plan(s);
  const auto r = runs(plan);
  ASSERT_EQ(r.size(), 6u);
  const double p2[] = {0.1, 0.1, 0.1, 0.2, 0.2, 0.2}, p1[] = {0, 0.5, 1, 0, 0.5, 1};
  for (std::size_t i = 0; i < r.size(); ++i) {
    EXPECT_EQ(r[i].pass, 1);
    EXPECT_NEAR(r[i].p2, p2[i], 1e-15) << i;
    EXPECT_NEAR(r[i].p1, p1[i], 1e-15) << i;
    EXPECT_EQ(r[i].first, i == 0);
    EXPECT_TRUE(r[i].final_run && r[i].final_pass);
  }
}

TEST(CatregSchedule, ResamplingThenOneFitWithTheSelectedPenaltyAndTheCoefficientBootstrap) {
  syntax::CommandSettings s;
  s.kind = syntax::ProcedureKind::Catreg;
  s.regu.method = syntax::RegMethod::Ridge;
  s.regu.first = {0, 1, 0.5};  // 0, 0.5, 1
  s.resample.method = 1;       // cross-validation in 4 folds
  s.resample.count = 4;
  Schedule plan(s);
  plan.coefficient_bootstrap_prepared = true;
  plan.selected_penalty1 = 0.5;
  const auto r = runs(plan);
  // Pass 1: three penalties of 5 runs each; pass 2: the bootstrap series on
  // the selected penalty.
  ASSERT_EQ(r.size(), 3u * 5 + coefficient_bootstrap_runs());
  for (int k = 0; k < 15; ++k) {
    EXPECT_EQ(r[k].pass, 1);
    EXPECT_EQ(r[k].sample, k % 5);
    EXPECT_EQ(r[k].final_run, k % 5 == 4);
    EXPECT_FALSE(r[k].final_pass || r[k].boot);
  }
  EXPECT_TRUE(r[0].first);
  const PlannedRun& second = r[15];
  EXPECT_EQ(second.pass, 2);
  EXPECT_EQ(second.p1, 0.5);
  EXPECT_TRUE(second.boot && second.final_pass && !second.first);
  EXPECT_TRUE(r.back().final_run);
}
