// CATREG's own subcommands: every report of INITIAL, REGULARIZATION and the
// penalty lists that the other syntax tests leave out.
#include <gtest/gtest.h>

#include "syntax_harness.hpp"

using namespace oscat::syntax;
using syntax_test::Harness;
using syntax_test::kCrg;
using K = ProcedureKind;

TEST(CatregSyntax, InitialReports) {
  Harness h;
  EXPECT_TRUE(h.run(K::Catreg, kCrg + "/INITIAL = FIXSIGNS").has("CRG Missing spec INI FIX."));
  EXPECT_TRUE(h.run(K::Catreg, kCrg + "/INITIAL = FIXSIGNS(0)('s.csv')").has("CRG Invalid val INI FIX."));
  EXPECT_TRUE(h.run(K::Catreg, kCrg + "/INITIAL = FIXSIGNS(1.5)('s.csv')").has("CRG Invalid val INI FIX."));
  // A second file for either kind.
  EXPECT_TRUE(h.run(K::Catreg, kCrg + "/INITIAL = FIXSIGNS('a.csv')('b.csv')").has("CRG Invalid val INI FIX."));
  EXPECT_TRUE(h.run(K::Catreg, kCrg + "/INITIAL = MULTISTART('a.csv')('b.csv')").has("CRG Invalid val INI MLT."));
  EXPECT_TRUE(h.run(K::Catreg, kCrg + "/INITIAL = MULTISTART()").has("CRG Inv filename INI MLT."));
  EXPECT_TRUE(h.run(K::Catreg, kCrg + "/INITIAL = FIXSIGNS(2)()").has("CRG Inv filename INI FIX."));
  EXPECT_TRUE(h.run(K::Catreg, kCrg + "/INITIAL = MULTISTART(*)").has("Outfile asterisk specification."));
  EXPECT_TRUE(h.run(K::Catreg, kCrg + "/INITIAL = MULTISTART(ALL").has("Missing right par in ^1.", "INITIAL"));
  EXPECT_TRUE(h.run(K::Catreg, kCrg + "/INITIAL = MULTISTART ALL").has("Missing left par in ^1.", "INITIAL"));
  // Only a threshold: the file is missing.
  EXPECT_TRUE(h.run(K::Catreg, kCrg + "/INITIAL = MULTISTART(20)").has("Missing left par in ^1.", "INITIAL"));
  EXPECT_TRUE(h.run(K::Catreg, kCrg + "/INITIAL = FIXSIGNS(2)('s.csv') x").has("CRG Mult Kwd or Nonappl spec INI."));
  EXPECT_TRUE(h.run(K::Catreg, kCrg + "/INITIAL = RANDOM /INITIAL = NUMERICAL").has("Mult CPR subcommand ^1.", "INITIAL"));
  // The same file on INITIAL and REGULARIZATION.
  EXPECT_TRUE(h.run(K::Catreg, kCrg + "/INITIAL = MULTISTART('f.csv') /REGULARIZATION = LASSO('f.csv')")
                  .has("CRG filename used more than once."));
  // A later number replaces the threshold; ALL a second time is a file name (not a valid one).
  auto later = h.run(K::Catreg, kCrg + "/INITIAL = MULTISTART(10)('s.csv')(30)");
  EXPECT_EQ(later.errors(), 0);
  EXPECT_DOUBLE_EQ(later.s.initial.threshold, 30.0);
  EXPECT_TRUE(h.run(K::Catreg, kCrg + "/INITIAL = MULTISTART(ALL)(ALL)").has("CRG Inv filename INI MLT."));
}

TEST(CatregSyntax, RegularizationReports) {
  Harness h;
  EXPECT_TRUE(h.run(K::Catreg, kCrg + "/REGULARIZATION = ENET(1 0 0.1)(0 1 0.1)('r.csv')").has("CRG Inv spec par EN1 REGU."));
  auto both = h.run(K::Catreg, kCrg + "/REGULARIZATION = ENET(1 0 0.1)(0.5 0.5 0.1)('r.csv')");
  EXPECT_TRUE(both.has("CRG Inv spec par EN12 REGU."));
  EXPECT_TRUE(both.has("CRG explain par REGU."));
  EXPECT_TRUE(h.run(K::Catreg, kCrg + "/REGULARIZATION = LASSO(-1 1 0.1)('r.csv')").has("CRG Inv value REGU."));
  EXPECT_TRUE(h.run(K::Catreg, kCrg + "/REGULARIZATION = LASSO('a.csv')('b.csv')").has("CRG Inv value REGU."));
  EXPECT_TRUE(h.run(K::Catreg, kCrg + "/REGULARIZATION = RIDGE(0 1 0.1)(0 1 0.2)('r.csv')").has("CRG Too many lists REGU."));
  EXPECT_TRUE(h.run(K::Catreg, kCrg + "/REGULARIZATION = ENET(0 1 0.1)(0 1 0.2)(0 1 0.5)('r.csv')")
                  .has("CRG Too many lists ENET."));
  EXPECT_TRUE(h.run(K::Catreg, kCrg + "/REGULARIZATION = LASSO()").has("CRG Inv filename REGU."));
  EXPECT_TRUE(h.run(K::Catreg, kCrg + "/REGULARIZATION = LASSO(*)").has("Outfile asterisk specification."));
  EXPECT_TRUE(h.run(K::Catreg, kCrg + "/REGULARIZATION = LASSO('r.csv') x").has("CRG non applicable spec REGU."));
  EXPECT_TRUE(h.run(K::Catreg, kCrg + "/REGULARIZATION = LASSO 0 1 0.1").has("Missing left par in ^1.", "REGULARIZATION"));
  EXPECT_TRUE(h.run(K::Catreg, kCrg + "/REGULARIZATION = LASSO(0 1 0.1").has("Missing right par in ^1.", "REGULARIZATION"));
  EXPECT_TRUE(h.run(K::Catreg, kCrg + "/REGULARIZATION = LASSO(0 1 0.1)").has("CRG No file REGU."));
  // A single value is start = stop with step 0; a step with start = stop is not.
  EXPECT_EQ(h.run(K::Catreg, kCrg + "/REGULARIZATION = RIDGE(0.5 0.5 0)('r.csv')").errors(), 0);
  EXPECT_TRUE(h.run(K::Catreg, kCrg + "/REGULARIZATION = RIDGE(0.5 0.5 0.1)('r.csv')").has("CRG Inv spec par REGU."));
}

TEST(CatregSyntax, PenaltyListsAndRequestsWithoutAPath) {
  Harness h;
  const std::string enet = kCrg + "/REGULARIZATION = ENET(0 1 0.25)(0 1 0.1)('r.csv') ";
  EXPECT_TRUE(h.run(K::Catreg, enet + "/PLOT = REGU()").has("CRG Empty penalty list."));
  EXPECT_TRUE(h.run(K::Catreg, enet + "/PLOT = REGU(-0.25)").has("CRG Invalid value penalty."));
  EXPECT_TRUE(h.run(K::Catreg, enet + "/PLOT = REGU(0.75 THRU 0.25)").has("CRG Invalid penalty range."));
  EXPECT_TRUE(h.run(K::Catreg, enet + "/PLOT = REGU(0.25 THRU 0.3)").has("CRG Invalid penalty ^1.", "0.3"));
  EXPECT_TRUE(h.run(K::Catreg, kCrg + "/PLOT = REGU").has("CRG non-applicable PLOT REGU."));
  EXPECT_TRUE(h.run(K::Catreg, kCrg + "/PRINT = REGU").has("CRG non-applicable PRINT REGU."));
}
