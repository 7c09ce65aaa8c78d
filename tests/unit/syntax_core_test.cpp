#include <gtest/gtest.h>

#include "syntax_harness.hpp"

using namespace oscat::syntax;
using syntax_test::Harness;
using K = ProcedureKind;

namespace {
int dict(Harness& h, const char* name) { return h.engine().dictionary().DICSCH(name); }
}  // namespace

TEST(SyntaxScan, BareVariableListAndPositions) {
  Harness h;
  auto r = h.run(K::Catpca, "a b c /ANALYSIS = a b c /MAXITER = 5");
  ASSERT_TRUE(r.rest_ok) << (r.msgs.empty() ? "" : r.msgs[0].key);
  EXPECT_EQ(r.s.positions[sub::VARIABLES], 1);
  EXPECT_GT(r.s.positions[sub::ANALYSIS], 0);
  EXPECT_EQ(r.s.vars.m, 3);
  EXPECT_EQ(r.s.iter.maxiter, 5);
  // Defaults: SPORD with two knots of degree 2, weight 1.
  EXPECT_EQ(r.s.vars.levels[0].mlevel, SPORD);
  EXPECT_EQ(r.s.vars.levels[0].inknot, 2);
  EXPECT_EQ(r.s.vars.levels[0].degree, 2);
  EXPECT_DOUBLE_EQ(r.s.vars.weights[2], 1.0);
  EXPECT_DOUBLE_EQ(r.s.vars.active_weight_sum, 3.0);
}

TEST(SyntaxScan, UnknownAndRepeatedSubcommands) {
  Harness h;
  auto r = h.run(K::Catpca, "VARIABLES = a b /ANALYSIS = a b /BOGUS = 1 /ANALYSIS = a");
  EXPECT_TRUE(r.has("Invalid CPR subcommand."));
  EXPECT_EQ(r.s.positions[sub::ANALYSIS] < 0, true);
  auto r2 = h.run(K::Mcorresp, "FOO a b /ANALYSIS a b");
  EXPECT_TRUE(r2.has("Invalid MCOR VARI subcommand."));
  int cls = 0;
  for (auto& m : r2.msgs)
    if (m.key == "Invalid MCOR VARI subcommand.") cls = m.cls;
  EXPECT_EQ(cls, 3);  // a syntax report
  auto r3 = h.run(K::Catpca, "VARIABLES = a b /ANALYSIS = a b /ANALYSIS = a b");
  EXPECT_TRUE(r3.has("Mult CPR subcommand ^1.", "ANALYSIS"));
}

TEST(SyntaxScan, ConvergeIsCrititerForCatreg) {
  Harness h;
  auto r = h.run(K::Catreg, "VARIABLES = a b /ANALYSIS = a WITH b /CONVERGE = 0.001");
  EXPECT_TRUE(r.has("CONV renamed to CRIT."));
  EXPECT_EQ(r.severity_of("CONV renamed to CRIT."), 2);
  EXPECT_DOUBLE_EQ(r.s.iter.crititer, 0.001);
  auto r2 = h.run(K::Catreg, "VARIABLES = a b /ANALYSIS = a WITH b /CONVERGE = 0.001 /CRITITER = .01");
  EXPECT_TRUE(r2.has("Mult CPR subcommand ^1.", "CRITITER"));
}

TEST(SyntaxVariables, DuplicatesToRangesAndErrors) {
  Harness h;
  auto r = h.run(K::Catpca, "VARIABLES = a b a c TO e /ANALYSIS = a b");
  EXPECT_EQ(r.s.vars.m, 5);  // a b c d e, a once
  EXPECT_FALSE(r.has("Unexpected token in variable list."));
  auto r2 = h.run(K::Catpca, "VARIABLES = a b (3) /ANALYSIS = a b");
  EXPECT_TRUE(r2.has("Unexpected token in variable list."));
  auto r3 = h.run(K::Catreg, "VARIABLES = a b (3) c /ANALYSIS = a WITH b c");
  EXPECT_TRUE(r3.has("Old VARIABLES syntax found."));
  EXPECT_EQ(r3.s.vars.m, 3);
  EXPECT_EQ(r3.errors(), 0);
  auto r4 = h.run(K::Catreg, "VARIABLES = a /ANALYSIS = a");
  EXPECT_TRUE(r4.has("One var on VARI cmd."));
  auto r5 = h.run(K::Catpca, "ANALYSIS = a b");
  EXPECT_TRUE(r5.has("No VARIABLE list."));
  auto r6 = h.run(K::Catpca, "VARIABLES = a zz /ANALYSIS = a");
  EXPECT_FALSE(r6.vars_ok);
}

TEST(SyntaxAnalysis, LevelsSplinesAndReorder) {
  Harness h;
  auto r = h.run(K::Catpca,
                 "VARIABLES = a b c d /ANALYSIS = c (SPNOM) a b (LEVEL = NOMINAL INKNOT = 3) d (WEIGHT=3 ORDINAL)");
  ASSERT_EQ(r.s.vars.m_a, 4);
  EXPECT_EQ(r.s.vars.variables[0], dict(h, "c"));
  EXPECT_EQ(r.s.vars.levels[0].mlevel, SPNOM);
  EXPECT_EQ(r.s.vars.levels[0].inknot, 2);
  EXPECT_EQ(r.s.vars.levels[0].degree, 2);
  EXPECT_EQ(r.s.vars.levels[1].mlevel, NOMINAL);
  EXPECT_EQ(r.s.vars.levels[2].mlevel, NOMINAL);
  EXPECT_EQ(r.s.vars.levels[2].inknot, 0);
  EXPECT_TRUE(r.has("CPR ^1 but no spline.", "INKNOT"));
  EXPECT_EQ(r.s.vars.levels[3].mlevel, ORDINAL);
  EXPECT_DOUBLE_EQ(r.s.vars.weights[3], 3);
  EXPECT_DOUBLE_EQ(r.s.vars.active_weight_sum, 6);

  auto r2 = h.run(K::Catpca, "VARIABLES = a b /ANALYSIS = a (ORDINAL LEVEL = NOMINAL) b");
  EXPECT_TRUE(r2.has("CPR Mult Kwd ANALY ^1.", "LEVEL"));
  auto r3 = h.run(K::Catpca, "VARIABLES = a b /ANALYSIS = a b a");
  EXPECT_TRUE(r3.has("CPR Duplicate var ANALY."));
  auto r4 = h.run(K::Catpca, "VARIABLES = a b /ANALYSIS = a (WEIGHT = 2.5) b (DEGREE = 0)");
  EXPECT_TRUE(r4.has("CPR weight not integer."));
  EXPECT_TRUE(r4.has("CPR Invalid degree."));
  auto r5 = h.run(K::Catpca, "VARIABLES = a b c /ANALYSIS = a c (FOO)");
  EXPECT_TRUE(r5.has("CPR Invalid/unexp Kwd/Val ANALY ^1.", "FOO"));
  auto r6 = h.run(K::Catpca, "VARIABLES = a b c /ANALYSIS = a g");
  EXPECT_TRUE(r6.has("CPR Undefined ^1 Var.", "ANALYSIS"));
  auto r7 = h.run(K::Catpca, "VARIABLES = a b c /ANALYSIS = a");
  EXPECT_TRUE(r7.has("CPR One var on ANALY cmd."));
  // Non-analysis VARIABLES entries follow the analysis variables.
  EXPECT_EQ(r7.s.vars.variables[0], dict(h, "a"));
  EXPECT_EQ(r7.s.vars.variables.size(), 3u);
}

TEST(SyntaxAnalysis, McorrespAndCatregLevels) {
  Harness h;
  auto r = h.run(K::Mcorresp, "VARIABLES = a b /ANALYSIS = a (LEVEL = NOMINAL) b");
  EXPECT_TRUE(r.has("MCOR Invalid level ^1.", "NOMINAL"));
  EXPECT_EQ(r.s.vars.levels[0].mlevel, MNOMINAL);
  EXPECT_EQ(r.s.vars.levels[1].mlevel, MNOMINAL);
  EXPECT_EQ(r.s.missing.code[0], MISS_PASSIVE_MODE);

  auto c = h.run(K::Catreg, "VARIABLES = a b c d /ANALYSIS = a (NUMERICAL) WITH b (ORDINAL) c d (NOMINAL)");
  ASSERT_TRUE(c.rest_ok);
  EXPECT_EQ(c.s.vars.m_a, 4);
  EXPECT_EQ(c.s.vars.ordinal_predictors, 1);
  EXPECT_EQ(c.s.missing.code[1], MISS_LISTWISE);
  EXPECT_TRUE(c.s.print.coeff && c.s.print.r && c.s.print.anova);
  auto c2 = h.run(K::Catreg, "VARIABLES = a b c /ANALYSIS = a b WITH c");
  EXPECT_TRUE(c2.has("More than one dep var specified."));
  auto c3 = h.run(K::Catreg, "VARIABLES = a b c /ANALYSIS = WITH c");
  EXPECT_TRUE(c3.has("No depvar on ANALYSIS."));
  auto c4 = h.run(K::Catreg, "VARIABLES = a b c /ANALYSIS = a WITH b c");
  EXPECT_TRUE(c4.has("No OS level depvar."));
  EXPECT_TRUE(c4.has("No OS level indepvars."));
  EXPECT_EQ(c4.s.vars.ordinal_predictors, 2);  // default SPORD
}

TEST(SyntaxIteration, MaxiterCrititer) {
  Harness h;
  auto r = h.run(K::Catpca, "VARIABLES = a b /ANALYSIS = a b /MAXITER = 50 60 /CRITITER = 0");
  EXPECT_TRUE(r.has("CPR Mult Val MAXI."));
  EXPECT_EQ(r.s.iter.maxiter, 60);
  EXPECT_TRUE(r.has("CPR Invalid value CRIT."));
  EXPECT_DOUBLE_EQ(r.s.iter.crititer, 1e-5);
  for (const char* bad : {"0", "2.5"}) {
    auto q = h.run(K::Catpca, std::string("VARIABLES = a b /ANALYSIS = a b /MAXITER = ") + bad);
    EXPECT_TRUE(q.has("CPR Invalid value MAXI.")) << bad;
    EXPECT_EQ(q.s.iter.maxiter, 100);
  }
}
