#include <gtest/gtest.h>

#include "syntax_harness.hpp"

using namespace oscat::syntax;
using syntax_test::Harness;
using K = ProcedureKind;

using syntax_test::kCrg;
using syntax_test::kPca;

TEST(SyntaxDiscretization, MethodsAndChecks) {
  Harness h;
  auto r = h.run(K::Catpca, kPca + "/DISCRETIZATION = a (RANKING) b (GROUPING NCAT=5 DISTR=UNIFORM) c (EQINTV=2.5)");
  ASSERT_EQ(r.errors(), 0);
  EXPECT_DOUBLE_EQ(r.s.discr.method[0], DISCR_RANKING);
  EXPECT_DOUBLE_EQ(r.s.discr.method[1], DISCR_GROUPING_UNIFORM);
  EXPECT_EQ(r.s.discr.ncat[1], 5);
  EXPECT_DOUBLE_EQ(r.s.discr.method[2], -2.5);
  auto g = h.run(K::Catpca, kPca + "/DISCRETIZATION = a (GROUPING NCAT = 40) b (DISTR=UNIFORM NCAT=40) c");
  EXPECT_TRUE(g.has("No. cats greater max NORMAL distr."));
  EXPECT_EQ(g.s.discr.ncat[0], 36);
  EXPECT_EQ(g.s.discr.ncat[1], 40);
  EXPECT_DOUBLE_EQ(g.s.discr.method[2], DISCR_GROUPING_NORMAL);  // default GROUPING, NORMAL, 7
  EXPECT_EQ(g.s.discr.ncat[2], 7);
  EXPECT_EQ(g.errors(), 0);
  EXPECT_TRUE(h.run(K::Catpca, kPca + "/DISCRETIZATION = a (RANKING NCAT=3)").has("CPR Invalid/unexp Kwd/Val DISCR."));
  EXPECT_TRUE(h.run(K::Catpca, kPca + "/DISCRETIZATION = a (EQINTV=2 NCAT=3)").has("CPR Invalid/unexp Kwd/Val DISCR."));
  EXPECT_TRUE(h.run(K::Catpca, kPca + "/DISCRETIZATION = a (NCAT=1)").has("CPR NCAT not a number."));
  EXPECT_TRUE(h.run(K::Catpca, kPca + "/DISCRETIZATION = a (DISTR=POISSON)").has("CPR Invalid DISTR keyword ^1.", "POISSON"));
  EXPECT_TRUE(h.run(K::Catpca, kPca + "/DISCRETIZATION = a (EQINTV=0)").has("CPR Invalid value EQINTV."));
  EXPECT_TRUE(h.run(K::Catpca, kPca + "/DISCRETIZATION = a (RANKING MULTIPLYING)").has("CPR Mult Kwd DISCR."));
  EXPECT_TRUE(h.run(K::Catpca, kPca + "/DISCRETIZATION = a (RANKING) a (MULTIPLYING)").has("CPR Duplicate var DISCR."));
  EXPECT_TRUE(h.run(K::Catpca, kPca + "/DISCRETIZATION = a (RANKING").has("Missing right par in ^1.", "DISCRETIZATION"));
}

TEST(SyntaxMissing, CodesAndShortcut) {
  Harness h;
  auto r = h.run(K::Catpca, kPca + "/MISSING = a (ACTIVE EXTRACAT) b (LISTWISE) c (RANDIMPU)");
  ASSERT_EQ(r.errors(), 0);
  EXPECT_EQ(r.s.missing.code[0], MISS_ACTIVE_EXTRACAT);
  EXPECT_EQ(r.s.missing.code[1], MISS_LISTWISE);
  EXPECT_EQ(r.s.missing.code[2], MISS_PASSIVE_RANDOM);
  auto c = h.run(K::Catreg, kCrg + "/MISSING = LISTWISE");
  EXPECT_TRUE(c.has("MISSING = ALL (^1) assumed.", "LISTWISE"));
  EXPECT_EQ(c.s.missing.code[2], MISS_LISTWISE);
  auto c2 = h.run(K::Catreg, kCrg + "/MISSING = b (EXTRACAT)");
  EXPECT_EQ(c2.s.missing.code[1], MISS_ACTIVE_EXTRACAT);  // CATREG defaults to ACTIVE
  EXPECT_EQ(c2.s.missing.code[0], MISS_LISTWISE);
  EXPECT_TRUE(h.run(K::Catreg, kCrg + "/MISSING = b (PASSIVE)").has("CRG Invalid MISS keyword ^1.", "PASSIVE"));
  EXPECT_TRUE(h.run(K::Catpca, kPca + "/MISSING = a (LISTWISE MODEIMPU)").has("CPR Unexp impu kwd MISS."));
  EXPECT_TRUE(h.run(K::Catpca, kPca + "/MISSING = a (EXTRACAT MODEIMPU)").has("CPR Mult impu Kwd MISS."));
  EXPECT_TRUE(h.run(K::Catpca, kPca + "/MISSING = a (PASSIVE FOO)").has("CPR Invalid PASSIVE keyword ^1.", "FOO"));
  EXPECT_TRUE(h.run(K::Catpca, kPca + "/MISSING = a EXTRACAT").has("Missing left par in ^1.", "MISSING"));
  EXPECT_TRUE(h.run(K::Catpca, kPca + "/MISSING = a b (ACTIVE) a (ACTIVE)").has("CPR Duplicate var MISS."));
}

TEST(SyntaxPcaSpecific, DimensionNormalizationRotation) {
  Harness h;
  EXPECT_EQ(h.run(K::Catpca, kPca + "/DIMENSION = 3").s.dim.p, 3);
  EXPECT_TRUE(h.run(K::Catpca, kPca + "/DIMENSION = 2.5").has("CPR Invalid value DIME."));
  EXPECT_TRUE(h.run(K::Catpca, kPca + "/DIMENSION = 0").has("CPR Invalid value DIME."));
  auto n = h.run(K::Catpca, kPca + "/NORMALIZATION = 0.5");
  EXPECT_DOUBLE_EQ(n.s.norm.e_obj, 0.75);
  EXPECT_DOUBLE_EQ(n.s.norm.e_var, 0.25);
  EXPECT_EQ(n.s.norm.keyword, 0);
  EXPECT_TRUE(h.run(K::Catpca, kPca + "/NORMALIZATION = 1.5").has("CPR Invalid NORM keyword ^1.", "1.5"));
  auto ind = h.run(K::Catpca, kPca + "/NORMALIZATION = INDEPENDENT");
  EXPECT_DOUBLE_EQ(ind.s.norm.q, 0);
  EXPECT_DOUBLE_EQ(ind.s.norm.e_obj, 1);
  EXPECT_DOUBLE_EQ(ind.s.norm.e_var, 1);
  EXPECT_DOUBLE_EQ(h.run(K::Catpca, kPca + "/NORMALIZATION = OPRINCIPAL").s.norm.q, 1);
  EXPECT_DOUBLE_EQ(h.run(K::Catpca, kPca).s.norm.q, -1);  // VPRINCIPAL by default
  EXPECT_TRUE(h.run(K::Catpca, kPca + "/ROTATION = OBLIMIN(0.9)").has("CPR Invalid val Rot Obli"));
  auto ob = h.run(K::Catpca, kPca + "/ROTATION = OBLIMIN(0.8) NOKAISER");
  EXPECT_EQ(ob.errors(), 0);
  EXPECT_EQ(ob.s.rotation.method, ROT_OBLIMIN);
  EXPECT_DOUBLE_EQ(ob.s.rotation.param, 0.8);
  EXPECT_FALSE(ob.s.rotation.kaiser);
  EXPECT_TRUE(h.run(K::Catpca, kPca + "/ROTATION = PROMAX(0.5)").has("CPR Invalid val Rot Pro"));
  EXPECT_DOUBLE_EQ(h.run(K::Catpca, kPca + "/ROTATION = PROMAX").s.rotation.param, 4);
  EXPECT_TRUE(h.run(K::Catpca, kPca + "/ROTATION = VARIMAX(2)").has("CPR Invalid spec Rot"));
  EXPECT_TRUE(h.run(K::Catpca, kPca + "/ROTATION = FOO").has("CPR Inv Kwd ^1 on Rot", "FOO"));
  EXPECT_TRUE(h.run(K::Catpca, kPca + "/ROTATION = NOROTATE KAISER").has("CPR Invalid kwd or spec Rot"));
  auto one = h.run(K::Catpca, kPca + "/DIMENSION = 1 /ROTATION = VARIMAX");
  EXPECT_TRUE(one.has("CPR rot kwd 1 dim"));
  EXPECT_EQ(one.s.rotation.method, ROT_NONE);
  auto cf = h.run(K::Catpca, kPca + "/CONFIGURATION = FIXED('conf.csv') /SUPPLEMENTARY = VARIABLE(c)");
  EXPECT_TRUE(cf.s.config.fixed());
  EXPECT_TRUE(cf.has("CPR supp var while fixed conf."));
  EXPECT_TRUE(h.run(K::Catpca, kPca + "/CONFIGURATION = FOO('x.csv')").has("CPR Invalid CONF keyword ^1.", "FOO"));
  EXPECT_TRUE(h.run(K::Catpca, kPca + "/CONFIGURATION = INITIAL").has("CPR No Kwd/file CONF."));
  EXPECT_TRUE(h.run(K::Catpca, kPca + "/CONFIGURATION = FIXED('c.csv') /RESAMPLE = BOOTSTRAP").has("CPR Conf fixed and Resample"));
}

TEST(SyntaxCatregSpecific, InitialAndRegularization) {
  Harness h;
  auto m = h.run(K::Catreg, kCrg + "/INITIAL = MULTISTART(ALL)('signs.csv')");
  EXPECT_EQ(m.errors(), 0);
  EXPECT_EQ(m.s.initial.type, InitialSettings::Multistart);
  EXPECT_DOUBLE_EQ(m.s.initial.threshold, -1.0);
  EXPECT_GT(m.s.initial.file, 0);
  EXPECT_DOUBLE_EQ(h.run(K::Catreg, kCrg + "/INITIAL = MULTISTART('s.csv')").s.initial.threshold, 50.0);
  auto f = h.run(K::Catreg, kCrg + "/INITIAL = FIXSIGNS('s.csv')(2)");
  EXPECT_EQ(f.errors(), 0);
  EXPECT_EQ(f.s.initial.pattern, 2);
  EXPECT_TRUE(h.run(K::Catreg, kCrg + "/INITIAL = FIXSIGNS(2)").has("CRG No left par INI FIX."));
  EXPECT_TRUE(h.run(K::Catreg, kCrg + "/INITIAL = MULTISTART(150)('s.csv')").has("CRG Invalid val INI MLT."));
  EXPECT_TRUE(h.run(K::Catreg, kCrg + "/INITIAL = RANDOM 3").has("CRG Mult Kwd or Nonappl spec INI."));
  EXPECT_TRUE(h.run(K::Catreg, kCrg + "/INITIAL = ALL").has("CRG Inv Kwd ^1 on INITIAL.", "ALL"));
  EXPECT_TRUE(h.run(K::Catreg, "VARIABLES = a b /ANALYSIS = a WITH b (NOMINAL) /INITIAL = MULTISTART('s.csv')")
                  .has("CRG nonappl keyword INI."));
  EXPECT_TRUE(h.run(K::Catreg, kCrg + "/INITIAL = MULTISTART").has("CRG Missing spec INI MLT."));

  auto r = h.run(K::Catreg, kCrg + "/REGULARIZATION = RIDGE(0.1 1 0.1)('r.csv')");
  EXPECT_EQ(r.errors(), 0);
  EXPECT_EQ(r.s.regu.method, RegMethod::Ridge);
  EXPECT_DOUBLE_EQ(r.s.regu.first.start, 0.1);
  EXPECT_DOUBLE_EQ(r.s.regu.first.step, 0.1);
  auto dflt = h.run(K::Catreg, kCrg + "/REGULARIZATION = ENET('r.csv')");
  EXPECT_DOUBLE_EQ(dflt.s.regu.first.step, 0.1);
  EXPECT_DOUBLE_EQ(dflt.s.regu.second.step, 0.02);
  EXPECT_TRUE(dflt.s.plot.regu.on);  // REGU plot on without a PLOT subcommand
  EXPECT_TRUE(h.run(K::Catreg, kCrg + "/REGULARIZATION = LASSO").has("CRG No file REGU."));
  auto t = h.run(K::Catreg, kCrg + "/REGULARIZATION = LASSO(1 0 0.1)('r.csv')");
  EXPECT_TRUE(t.has("CRG Inv spec par REGU."));
  EXPECT_TRUE(t.has("CRG explain par REGU."));
  EXPECT_TRUE(h.run(K::Catreg, kCrg + "/REGULARIZATION = LASSO(0 1)('r.csv')").has("CRG not 3 par REGU."));
  EXPECT_TRUE(h.run(K::Catreg, kCrg + "/REGULARIZATION = ENET(0 1 0.1)('r.csv')").has("CRG 1 parlst ENET."));
  EXPECT_TRUE(h.run(K::Catreg, kCrg + "/REGULARIZATION = ENET(0 1 0.1)(0 1 0)('r.csv')").has("CRG Inv spec par EN2 REGU."));
  EXPECT_TRUE(h.run(K::Catreg, kCrg + "/REGULARIZATION = NONE 2").has("CRG spec with NONE REGU."));
  EXPECT_TRUE(h.run(K::Catreg, kCrg + "/REGULARIZATION = FOO").has("CRG Inv Kwd ^1 REGU.", "FOO"));
  // Penalty list on the ridge grid of an elastic net.
  auto pl = h.run(K::Catreg, kCrg + "/REGULARIZATION = ENET(0 1 0.25)(0 1 0.1)('r.csv') /PLOT = REGU(0.25 THRU 0.75 1)");
  EXPECT_EQ(pl.errors(), 0);
  ASSERT_EQ(pl.s.plot.regu_penalties.size(), 4u);
  EXPECT_DOUBLE_EQ(pl.s.plot.regu_penalties[0], 0.25);
  EXPECT_DOUBLE_EQ(pl.s.plot.regu_penalties[3], 1.0);
  EXPECT_TRUE(h.run(K::Catreg, kCrg + "/REGULARIZATION = ENET(0 1 0.25)(0 1 0.1)('r.csv') /PLOT = REGU(0.3)")
                  .has("CRG Invalid penalty ^1.", "0.3"));
  EXPECT_TRUE(h.run(K::Catreg, kCrg + "/REGULARIZATION = ENET(0 1 0.25)(0 1 0.1)('r.csv') /PLOT = REGU(ALL 0.5)")
                  .has("CRG Spec and ALL."));
  EXPECT_TRUE(h.run(K::Catreg, kCrg + "/REGULARIZATION = ENET(0 1 0.25)(0 1 0.1)('r.csv') /PLOT = REGU")
                  .has("CRG No penalty list."));
  EXPECT_TRUE(h.run(K::Catreg, kCrg + "/REGULARIZATION = RIDGE('r.csv') /PLOT = REGU(0.1)")
                  .has("CRG non-applicable REGU plotlist."));
}
