#include <gtest/gtest.h>

#include "syntax_harness.hpp"

using namespace oscat::syntax;
using syntax_test::Harness;
using K = ProcedureKind;

using syntax_test::kCrg;
using syntax_test::kPca;

TEST(SyntaxResample, DefaultsAndCounts) {
  Harness h;
  auto r = h.run(K::Catpca, kPca + "/RESAMPLE = BOOTSTRAP");
  EXPECT_EQ(r.s.resample.method, 2);
  EXPECT_EQ(r.s.resample.count, 1000);
  EXPECT_TRUE(r.s.resample.balanced);
  EXPECT_TRUE(r.s.resample.procrustes);
  EXPECT_EQ(r.s.resample.level, 95);
  EXPECT_EQ(h.run(K::Catreg, kCrg + "/RESAMPLE = BOOTSTRAP").s.resample.count, 50);
  EXPECT_EQ(h.run(K::Catreg, kCrg + "/RESAMPLE = CROSSVAL").s.resample.count, 10);
  EXPECT_EQ(h.run(K::Catpca, kPca + "/RESAMPLE = BOOTSTRAP(0)").s.resample.method, 0);
  auto q = h.run(K::Catpca, kPca + "/RESAMPLE = BOOTSTRAP(UNBALANCED REFLECT 200 90)");
  EXPECT_FALSE(q.s.resample.balanced);
  EXPECT_FALSE(q.s.resample.procrustes);
  EXPECT_EQ(q.s.resample.count, 200);
  EXPECT_EQ(q.s.resample.level, 90);
  EXPECT_TRUE(h.run(K::Catpca, kPca + "/RESAMPLE = BOOTSTRAP(10 101)").has("CPR Invalid value2 RESMPL"));
  EXPECT_TRUE(h.run(K::Catreg, kCrg + "/RESAMPLE = BOOTSTRAP(10 5)").has("CRG too many val RESMPL"));
  EXPECT_TRUE(h.run(K::Catpca, kPca + "/RESAMPLE = NONE 3").has("ZYL invalid kwd or spec RESMPL"));
  EXPECT_TRUE(h.run(K::Catpca, kPca + "/RESAMPLE = BOOTSTRAP(5) x").has("ZYL Mult Kwd RESMPL"));
  // Rotation together with resampling stops the parsing.
  EXPECT_TRUE(h.run(K::Catpca, kPca + "/RESAMPLE = CROSSVAL /ROTATION = VARIMAX").has("CPR Rot and Resample"));
}

TEST(SyntaxSupplementary, ObjectsAndVariables) {
  Harness h;
  auto r = h.run(K::Catpca, "VARIABLES = a b c /ANALYSIS = a b c /SUPPLEMENTARY = OBJECT(1 3 THRU 5) VARIABLE(c)");
  EXPECT_EQ(r.errors(), 0);
  // The OBJECT list is read once, into its entries.
  ASSERT_TRUE(r.s.supp.has_objects());
  ASSERT_EQ(r.s.supp.objects.size(), 2u);
  EXPECT_EQ(r.s.supp.objects[0].kind, SupplementaryObject::Case);
  EXPECT_EQ(r.s.supp.objects[0].first, 1);
  EXPECT_EQ(r.s.supp.objects[1].kind, SupplementaryObject::Range);
  EXPECT_EQ(r.s.supp.objects[1].first, 3);
  EXPECT_EQ(r.s.supp.objects[1].last, 5);
  auto bad = h.run(K::Catpca, kPca + "/SUPPLEMENTARY = OBJECT(0, 7 THRU 2, 2.5 4)");
  ASSERT_EQ(bad.s.supp.objects.size(), 4u);
  EXPECT_EQ(bad.s.supp.objects[0].kind, SupplementaryObject::Invalid);
  EXPECT_EQ(bad.s.supp.objects[1].kind, SupplementaryObject::Reversed);
  EXPECT_EQ(bad.s.supp.objects[2].kind, SupplementaryObject::Invalid);
  EXPECT_EQ(bad.s.supp.objects[3].kind, SupplementaryObject::Case);
  EXPECT_FALSE(h.run(K::Catpca, kPca).s.supp.has_objects());
  EXPECT_EQ(r.s.supp.variable[2], 1);
  EXPECT_EQ(r.s.supp.active_variables, 2);
  auto q = h.run(K::Catpca, "VARIABLES = a b /ANALYSIS = a b /SUPPLEMENTARY = VARIABLE(a)");
  EXPECT_TRUE(q.has("CPR Too many suppl var."));
  EXPECT_TRUE(h.run(K::Catpca, kPca + "/SUPPLEMENTARY = OBJECT()").has("CPR No obj SUPP."));
  EXPECT_TRUE(h.run(K::Catreg, kCrg + "/SUPPLEMENTARY = VARIABLE(b)").has("CRG Invalid SUPP keyword ^1.", "VARIABLE"));
  EXPECT_TRUE(h.run(K::Catpca, kPca + "/SUPPLEMENTARY = OBJECT(1 2").has("Missing right par in ^1.", "SUPPLEMENTARY"));
  // A weight on a supplementary variable is reset with a warning.
  auto w = h.run(K::Catpca, "VARIABLES = a b c /ANALYSIS = a b c (WEIGHT=3) /SUPPLEMENTARY = VARIABLE(c)");
  EXPECT_TRUE(w.has("CPR suppl var no weight."));
  EXPECT_DOUBLE_EQ(w.s.vars.weights[2], 1.0);
  EXPECT_DOUBLE_EQ(w.s.vars.active_weight_sum, 6.0);  // a and b keep weight 3
}

TEST(SyntaxPrint, DefaultsReplacementAndCatregForms) {
  Harness h;
  auto d = h.run(K::Catpca, kPca);
  EXPECT_TRUE(d.s.print.descrip && d.s.print.corr && d.s.print.loading);
  EXPECT_EQ(d.s.print.descrip_vars.size(), 3u);
  auto r = h.run(K::Catpca, kPca + "/PRINT = QUANT(a b) LOADING(SORT) OBJECT(c)");
  EXPECT_FALSE(r.s.print.descrip);
  EXPECT_FALSE(r.s.print.corr);
  EXPECT_TRUE(r.s.print.loading_sort);
  EXPECT_EQ(r.s.print.quant_vars.size(), 2u);
  EXPECT_EQ(r.s.print.object_label_var, 2);
  EXPECT_EQ(r.errors(), 0);
  EXPECT_TRUE(h.run(K::Catpca, kPca + "/PRINT = OBJECT(a b)").has("CPR OBJECT too many vars."));
  EXPECT_TRUE(h.run(K::Catpca, kPca + "/PRINT = CORR CORR").has("CPR Mult Kwd PRIN ^1.", "CORR"));
  EXPECT_TRUE(h.run(K::Catpca, kPca + "/PRINT = SORT").has("CPR out of place sort"));
  EXPECT_TRUE(h.run(K::Mcorresp, kPca + "/PRINT = LOADING").has("MCOR Invalid PRIN keyword ^1.", "LOADING"));
  auto c = h.run(K::Catreg, kCrg + "/PRINT = FREQ TRANS(a) DEFAULT");
  EXPECT_TRUE(c.has("FREQ renamed to DESCRIP."));
  EXPECT_TRUE(c.has("CRG TRANS not supported."));
  EXPECT_TRUE(c.has("CRG DEFAULT not supported."));
  EXPECT_TRUE(c.s.print.descrip);
  EXPECT_EQ(c.errors(), 0);
  // A list without "(" is only a warning.
  auto w = h.run(K::Catpca, kPca + "/PRINT = DESCRIP a b");
  EXPECT_EQ(w.severity_of("Missing left par in ^1."), 2);
  EXPECT_EQ(w.s.print.descrip_vars.size(), 2u);
}

TEST(SyntaxSaveOutfile, RootsDimsFiles) {
  Harness h;
  auto e = h.run(K::Catreg, kCrg + "/SAVE");
  EXPECT_TRUE(e.has("CRG SAVE without keyword."));
  EXPECT_EQ(e.severity_of("CRG SAVE without keyword."), 2);
  EXPECT_TRUE(e.s.save.trdata.on);
  EXPECT_EQ(e.s.save.trdata.root, "TRANS");
  EXPECT_TRUE(h.run(K::Catpca, kPca + "/SAVE").has("CPR SAVE without keyword."));
  auto s = h.run(K::Catpca, kPca + "/SAVE = TRDATA(tr(2)) OBJECT((1)) APPROX");
  EXPECT_EQ(s.errors(), 0);
  EXPECT_EQ(s.s.save.trdata.root, "tr");
  EXPECT_EQ(s.s.save.trdata.dims, 2);
  EXPECT_EQ(s.s.save.object.dims, 1);
  EXPECT_EQ(s.s.save.object.root, "OBSCO");
  EXPECT_EQ(s.s.save.approx.root, "APP");
  EXPECT_TRUE(h.run(K::Catpca, kPca + "/SAVE = TRDATA((3))").has("CPR savedim too high ^1.", "3"));
  EXPECT_TRUE(h.run(K::Catpca, kPca + "/SAVE = APPROX((1))").has("CPR unexp dim spec SAVE APPROX."));
  EXPECT_TRUE(h.run(K::Catpca, kPca + "/SAVE = TRDATA TRDATA").has("ZYL Mult Kwd SAVE ^1.", "TRDATA"));
  auto ell = h.run(K::Catpca, kPca + "/SAVE = OBELLAREA");
  EXPECT_TRUE(ell.has("CPR non-appl. SAVE EllArea"));
  EXPECT_FALSE(ell.s.save.ellarea[2].on);

  auto o = h.run(K::Catpca, kPca + "/OUTFILE = TRDATA('t1.csv') OBJECT('o1.csv')");
  EXPECT_EQ(o.errors(), 0);
  EXPECT_GT(o.s.outfile.trdata.handle, 0);
  EXPECT_GT(o.s.outfile.object.handle, 0);
  EXPECT_TRUE(h.run(K::Catpca, kPca + "/OUTFILE = TRDATA('t1.csv') OBJECT('t1.csv')").has("Outfile used more than once."));
  EXPECT_TRUE(h.run(K::Catreg, kCrg + "/OUTFILE = TRDATA('t1.csv') DISCRDAT('t1.csv')").has("CRG filename used more than once."));
  EXPECT_TRUE(h.run(K::Catpca, kPca + "/OUTFILE = TRDATA").has("CPR OUTFILE ^1 without filename.", "TRDATA"));
  EXPECT_TRUE(h.run(K::Catpca, kPca + "/OUTFILE").has("CPR OUTFILE without keyword."));
  EXPECT_EQ(h.run(K::Catpca, kPca + "/OUTFILE").errors(), 0);
  EXPECT_TRUE(h.run(K::Mcorresp, kPca + "/OUTFILE").has("MCOR OUTFILE without keyword."));
  auto old = h.run(K::Catreg, kCrg + "/OUTFILE = 'old.csv'");
  EXPECT_TRUE(old.has("CRG OUTFILE old syntax ^1."));
  EXPECT_GT(old.s.outfile.trdata.handle, 0);
}

TEST(SyntaxPlot, DefaultsAndChecks) {
  Harness h;
  auto d = h.run(K::Catpca, kPca);
  EXPECT_TRUE(d.s.plot.object.on);
  EXPECT_TRUE(d.s.plot.loading.on);
  EXPECT_TRUE(h.run(K::Mcorresp, kPca).s.plot.discrim.on);
  auto r = h.run(K::Catpca, kPca + "/PLOT = TRANS(a b)(10) NDIM(1,2) OBELLAREA(AREA > 2.5) NELLPNT(30)");
  EXPECT_EQ(r.errors(), 1);  // the ellipses without an OBJECT, CATEGORY or LOADING plot
  EXPECT_TRUE(r.s.plot.trans.on);
  EXPECT_EQ(r.s.plot.trans.vars.size(), 2u);
  EXPECT_EQ(r.s.plot.trans.label_size, 10);
  EXPECT_EQ(r.s.plot.ndim_hi, 2);
  EXPECT_DOUBLE_EQ(r.s.plot.ellipse[2].threshold, 2.5);
  EXPECT_EQ(r.s.plot.ellipse[2].direction, 1);
  EXPECT_DOUBLE_EQ(r.s.plot.ellipse[2].points, 30);
  EXPECT_FALSE(r.s.plot.object.on);  // PLOT replaces the defaults
  EXPECT_TRUE(r.has("CPR non-appl. PLOT Ell"));
  EXPECT_TRUE(h.run(K::Catpca, kPca + "/PLOT = TRANS").has("CPR no var no plot ^1.", "TRANS"));
  EXPECT_TRUE(h.run(K::Catpca, kPca + "/PLOT = NDIM(2)").has("CPR only one plotdim."));
  EXPECT_TRUE(h.run(K::Catpca, kPca + "/PLOT = NDIM(2,1)").has("CPR invalid plotdim spec."));
  EXPECT_TRUE(h.run(K::Catpca, kPca + "/PLOT = NELLPNT(3)").has("CPR inval spec NEllpnts ^1", "3"));
  EXPECT_TRUE(h.run(K::Catpca, kPca + "/NORMALIZATION = INDEPENDENT /PLOT = BIPLOT").has("CPR Indep norm no biplot."));
  // Every variable multiple nominal: no loadings.
  auto mn = h.run(K::Catpca, "VARIABLES = a b /ANALYSIS = a b (MNOMINAL) /PLOT = LOADING /PRINT = LOADING");
  EXPECT_TRUE(mn.has("CPR No Loading PLOT"));
  EXPECT_TRUE(mn.has("CPR No Loading"));
  EXPECT_FALSE(mn.s.plot.loading.on);
  EXPECT_FALSE(mn.s.print.loading);
  // CATREG: REGU plot needs regularization.
  auto c = h.run(K::Catreg, kCrg + "/PLOT = REGU /PRINT = REGU");
  EXPECT_TRUE(c.has("CRG non-applicable PLOT/PRINT REGU."));
  EXPECT_TRUE(h.run(K::Catreg, kCrg + "/PLOT = RESID(a)").has("CRG RESID plot depvar requested."));
}
