// PLOT lists: names that are not variables, nested parentheses, misplaced
// CENTROID groups and the dimension count of TRANS and RESID.
#include <gtest/gtest.h>

#include "syntax_harness.hpp"

using namespace oscat::syntax;
using syntax_test::Harness;
using K = ProcedureKind;

namespace {
// a is multiple nominal, b and c are single.
const std::string kMix = "VARIABLES = a b c /ANALYSIS = a (MNOMINAL) b c ";
const std::vector<int> kBC = {1, 2};
}  // namespace

TEST(SyntaxPlotLists, TokensThatAreNoVariableNames) {
  Harness h;
  auto r = h.run(K::Catpca, kMix + "/PLOT = LOADING(b 3 c) OBJECT");
  EXPECT_TRUE(r.has("CPR ^1 load not varname.", "3"));
  EXPECT_EQ(r.errors(), 1);
  EXPECT_EQ(r.s.plot.loading.vars, kBC);  // the rest of the list is kept
  EXPECT_TRUE(r.s.plot.object.on);        // and the subcommand goes on

  auto g = h.run(K::Catpca, kMix + "/PLOT = BIPLOT(LOADING(b 7 c) CENTROID(a 9))");
  EXPECT_TRUE(g.has("CPR ^1 load not varname.", "7"));
  EXPECT_TRUE(g.has("CPR ^1 centr not varname.", "9"));
  EXPECT_EQ(g.errors(), 2);
  EXPECT_EQ(g.s.plot.biplot.vars, kBC);
  EXPECT_EQ(g.s.plot.biplot.centroid_vars, std::vector<int>{0});

  auto p = h.run(K::Catpca, kMix + "/PLOT = PROJCENT(a, 5, b c)");
  EXPECT_TRUE(p.has("CPR ^1 centr not varname.", "5"));
  EXPECT_EQ(p.errors(), 1);
  EXPECT_EQ(p.s.plot.projcent.centroid_vars, std::vector<int>{0});
  EXPECT_EQ(p.s.plot.projcent.vars, kBC);

  // Other keywords keep their own report for a stray number.
  auto o = h.run(K::Catpca, kMix + "/PLOT = OBJECT(b 4)");
  EXPECT_TRUE(o.has("CPR unexp dim spec ^1.", "OBJECT"));
  EXPECT_FALSE(o.has("CPR ^1 load not varname."));
}

TEST(SyntaxPlotLists, NestedParenthesesAndMisplacedCentroids) {
  Harness h;
  auto l = h.run(K::Catpca, kMix + "/PLOT = LOADING(b (2) c) OBJECT");
  EXPECT_TRUE(l.has("CPR Unexp par in PLOT LOAD."));
  EXPECT_FALSE(l.has("ZYL unexp left par in ^1."));
  EXPECT_EQ(l.errors(), 1);
  EXPECT_EQ(l.s.plot.loading.vars, kBC);
  EXPECT_TRUE(l.s.plot.object.on);
  EXPECT_TRUE(h.run(K::Catpca, kMix + "/PLOT = TRIPLOT(LOADING(b (1) c))").has("CPR Unexp par in PLOT LOAD."));

  auto d = h.run(K::Mcorresp, "VARIABLES = a b c /ANALYSIS = a b c /PLOT = DISCRIM(a (2) b) OBJECT");
  EXPECT_TRUE(d.has("MCOR Unexp par in PLOT DISCRIM."));
  EXPECT_EQ(d.errors(), 1);
  EXPECT_EQ(d.s.plot.discrim.vars, (std::vector<int>{0, 1}));
  EXPECT_TRUE(d.s.plot.object.on);

  // Elsewhere a nested parenthesis still abandons the subcommand.
  auto z = h.run(K::Catpca, kMix + "/PLOT = CATEGORY(b (2)) OBJECT");
  EXPECT_TRUE(z.has("ZYL unexp left par in ^1.", "PLOT"));
  EXPECT_FALSE(z.s.plot.object.on);

  auto c = h.run(K::Catpca, kMix + "/PLOT = OBJECT(CENTROID(a)) CATEGORY(b)");
  EXPECT_TRUE(c.has("CPR unexp centr with PLOT Kwd ^1.", "OBJECT"));
  EXPECT_EQ(c.errors(), 1);
  EXPECT_TRUE(c.s.plot.object.centroid_vars.empty());
  EXPECT_TRUE(c.s.plot.category.on);
  auto n = h.run(K::Catpca, kMix + "/PLOT = BIPLOT(LOADING(b CENTROID(a) c))");
  EXPECT_TRUE(n.has("CPR unexp centr with PLOT Kwd ^1.", "BIPLOT"));
  EXPECT_EQ(n.s.plot.biplot.vars, kBC);
  EXPECT_TRUE(n.s.plot.biplot.centroid_vars.empty());

  // Where CENTROID belongs it is taken, also after variables.
  auto ok = h.run(K::Catpca, kMix + "/PLOT = LOADING(b CENTROID(a))");
  EXPECT_EQ(ok.errors(), 0);
  EXPECT_EQ(ok.s.plot.loading.vars, std::vector<int>{1});
  EXPECT_EQ(ok.s.plot.loading.centroid_vars, std::vector<int>{0});
}

TEST(SyntaxPlotLists, DimensionCountOfTransAndResid) {
  Harness h;
  auto ok = h.run(K::Catpca, kMix + "/PLOT = TRANS(a (2) b)(5) RESID(c (1))");
  EXPECT_EQ(ok.errors(), 0);
  EXPECT_EQ(ok.s.plot.trans.vars, (std::vector<int>{0, 1}));
  EXPECT_EQ(ok.s.plot.trans.label_size, 5);  // the count is no label size
  EXPECT_TRUE(ok.s.plot.resid.on);
  EXPECT_EQ(ok.s.plot.trans.dims, 2);  // the count is kept for the plots
  EXPECT_EQ(ok.s.plot.resid.dims, 1);
  EXPECT_EQ(h.run(K::Catpca, kMix + "/PLOT = TRANS(a)").s.plot.trans.dims, 0);
  for (const char* bad : {"0", "-1", "1.5", "x", "", "2 3", "(2)"}) {
    auto r = h.run(K::Catpca, kMix + "/PLOT = TRANS(a (" + bad + ")) OBJECT");
    EXPECT_TRUE(r.has("CPR Invalid dim PLOT ^1.", "TRANS")) << bad;
    EXPECT_EQ(r.errors(), 1) << bad;
    EXPECT_TRUE(r.s.plot.object.on) << bad;  // parsing resumes after the count
  }
  // Above the solution's dimensions (2 by default, 3 with DIMENSION = 3).
  EXPECT_TRUE(h.run(K::Catpca, kMix + "/PLOT = RESID(b (3))").has("CPR plotdim too high ^1.", "RESID"));
  EXPECT_EQ(h.run(K::Catpca, kMix + "/DIMENSION = 3 /PLOT = RESID(b (3))").errors(), 0);
  EXPECT_TRUE(h.run(K::Mcorresp, "VARIABLES = a b /ANALYSIS = a b /PLOT = TRANS(a (4))")
                  .has("CPR plotdim too high ^1.", "TRANS"));
  // An unclosed count ends the subcommand with the usual report.
  auto open = h.run(K::Catpca, kMix + "/PLOT = TRANS(a (2");
  EXPECT_TRUE(open.has("Missing right par in ^1.", "PLOT"));
  // CATREG solutions have one dimension: no count there.
  EXPECT_TRUE(h.run(K::Catreg, "VARIABLES = a b c /ANALYSIS = a WITH b c /PLOT = TRANS(b (1))")
                  .has("ZYL unexp left par in ^1.", "PLOT"));
}

TEST(SyntaxPlotLists, ProjcentCentroidGroupKeepsItsVariable) {
  Harness h;
  // CENTROID(a) names the projected variable; b c are the vectors.
  auto g = h.run(K::Catpca, kMix + "/PLOT = PROJCENT(CENTROID(a) b c)");
  EXPECT_EQ(g.errors(), 0);
  EXPECT_TRUE(g.s.plot.projcent.on);
  EXPECT_EQ(g.s.plot.projcent.centroid_vars, std::vector<int>{0});
  EXPECT_EQ(g.s.plot.projcent.vars, kBC);

  // The group without vectors to project on.
  auto e = h.run(K::Catpca, kMix + "/PLOT = PROJCENT(CENTROID(a))");
  EXPECT_TRUE(e.has("CPR no single var no plot PROJCENTR."));
  EXPECT_EQ(e.s.plot.projcent.centroid_vars, std::vector<int>{0});

  // A single variable in the group is refused.
  auto s = h.run(K::Catpca, kMix + "/PLOT = PROJCENT(CENTROID(b) c)");
  EXPECT_TRUE(s.has("CPR PLOT CENTR var is not MNOM."));
}
