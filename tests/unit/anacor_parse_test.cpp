// ANACOR's syntax as the settings it hands to the run: defaults, the rules
// by which PRINT and PLOT keywords combine, the normalization powers and the
// spellings the subcommand table accepts.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "anacor/anacor.hpp"
#include "frame/frame.hpp"
#include "procedure_fixture.hpp"

namespace {

using namespace oscat;
using oscat::testing_support::ProcedureFixture;

struct AnacorParse : ProcedureFixture {
  anacor::Settings got;
  std::vector<int> list;
  bool ok = false;
  AnacorParse() {
    // The export's frame around the parser alone; the settings are kept.
    e.set_procedure("ANACOR", [this] {
      frame::ProcedureFrame f({"ANACOR", "ANACOR"});
      f.run([&] {
        got = anacor::Settings{};
        list.assign(static_cast<std::size_t>(host::H().dict.size()) + 1, 0);
        got.table.matrix_vars = list.data();
        got.table.ws = &f.workspace();
        ok = anacor::parse(got);
        host::H().tokens.skip_command();
      });
    });
    data("r,c\n1,1\n2,2\n3,1\n1,3\n");
  }
  void parse(const std::string& subcommands) { e.run_syntax("ANACOR TABLE=r(1,3) BY c(1,3)" + subcommands + ".\n"); }
  std::vector<int> numbers() const {
    std::vector<int> out;
    for (const auto& item : last().items)
      if (const auto* m = std::get_if<engine::Message>(&item)) out.push_back(m->number);
    return out;
  }
};

TEST_F(AnacorParse, DefaultsAndTheTable) {
  parse("");
  ASSERT_TRUE(ok);
  const auto& t = got.table;
  EXPECT_EQ(t.table_mode, 1);
  EXPECT_EQ(t.nrow, 3);
  EXPECT_EQ(t.ncol, 3);
  EXPECT_EQ(t.ndim, 2);
  EXPECT_DOUBLE_EQ(t.rpow, 0.5);
  EXPECT_DOUBLE_EQ(t.cpow, 0.5);
  const bool print[] = {true, false, false, true, true, true, true, false};
  for (int k = 0; k < anacor::kPrints; ++k) EXPECT_EQ(got.print[k], print[k]) << k;
  const bool plot[] = {false, false, true, true, false};
  for (int k = 0; k < anacor::kPlots; ++k) EXPECT_EQ(got.plot[k], plot[k]) << k;
  for (int k = 0; k < anacor::kPlots; ++k) EXPECT_EQ(got.label_len[k], 12);
  EXPECT_FALSE(got.plot_none);
  EXPECT_TRUE(numbers().empty());

  // A 3 x 3 table has two dimensions at most.
  parse("/DIMENSION=3");
  EXPECT_EQ(got.table.ndim, 2);
  EXPECT_EQ(numbers(), std::vector<int>{17912});
}

TEST_F(AnacorParse, NormalizationPowers) {
  struct Case {
    const char* syntax;
    double rpow, cpow;
  } cases[] = {{"/NORMALIZATION=1.5", 1.25, -0.25},  {"/NORMALISATION=-2", -0.5, 1.5},
               {"/NORMALIZATION=RPRINCIPAL", 1, 0}, {"/NORMALIZATION=CPRINCIPAL", 0, 1},
               {"/NORMALIZATION=PRINCIPAL", 1, 1},  {"/NORMALIZATION=CANONICAL", 0.5, 0.5},
               {"/NORMALIZATION=1 /NORMALIZATION=DEFAULT", 0.5, 0.5}};
  for (const Case& c : cases) {
    parse(c.syntax);
    ASSERT_TRUE(ok) << c.syntax;
    EXPECT_DOUBLE_EQ(got.table.rpow, c.rpow) << c.syntax;
    EXPECT_DOUBLE_EQ(got.table.cpow, c.cpow) << c.syntax;
  }
  // Outside [-2, 2] the value before stays.
  parse("/NORMALIZATION=-0.5 /NORMALIZATION=-2.5");
  EXPECT_DOUBLE_EQ(got.table.rpow, 0.25);
  EXPECT_EQ(numbers(), (std::vector<int>{17933, 17941}));
}

TEST_F(AnacorParse, PrintKeywordsReplaceTheDefaultsOnlyWhenTheFirstIsValid) {
  parse("/PRINT=PROFILES");
  EXPECT_TRUE(got.print[anacor::R_RPROFILE] && got.print[anacor::R_CPROFILE]);
  EXPECT_FALSE(got.print[anacor::R_TABLE] || got.print[anacor::R_RSCORES] || got.print[anacor::R_RCONTRIB]);
  parse("/PRINT=BOGUS PERMUTATION");
  EXPECT_TRUE(got.print[anacor::R_TABLE] && got.print[anacor::R_RSCORES] && got.print[anacor::R_PERMUTAT]);
  EXPECT_EQ(numbers(), std::vector<int>{17908});
  parse("/PRINT=NONE CONTRIBUTIONS");
  for (int k = 0; k < anacor::kPrints; ++k)
    EXPECT_EQ(got.print[k], k == anacor::R_RCONTRIB || k == anacor::R_CCONTRIB) << k;
}

TEST_F(AnacorParse, PlotKeywordsLabelLengthsAndRange) {
  // DEFAULT's length serves both point plots.
  parse("/PLOT=TRROWS(3) DEFAULT(7)");
  EXPECT_TRUE(got.plot[anacor::G_TRROWS] && got.plot[anacor::G_ROW] && got.plot[anacor::G_COLUMN]);
  EXPECT_EQ(got.label_len[anacor::G_TRROWS], 3);
  EXPECT_EQ(got.label_len[anacor::G_ROW], 7);
  EXPECT_EQ(got.label_len[anacor::G_COLUMN], 7);
  // Only a range: the default plots; ALL and MAX are dimension 1 and the last.
  parse("/PLOT=NDIM(ALL, MAX)");
  EXPECT_TRUE(got.plot[anacor::G_ROW] && got.plot[anacor::G_COLUMN] && !got.plot[anacor::G_JOINT]);
  EXPECT_TRUE(got.ndim_given);
  EXPECT_EQ(got.plot_first, 1);
  EXPECT_EQ(got.plot_last, 0);
  parse("/PLOT=NONE");
  EXPECT_TRUE(got.plot_none);
  // A plot after NONE is made; its range is still checked after the analysis.
  parse("/PLOT=NONE JOINT(21) NDIM(2,3)");
  EXPECT_FALSE(got.plot_none);
  EXPECT_TRUE(got.plot[anacor::G_JOINT] && !got.plot[anacor::G_ROW]);
  EXPECT_EQ(got.label_len[anacor::G_JOINT], 12);
  EXPECT_EQ(got.plot_first, 2);
  EXPECT_EQ(got.plot_last, 3);
  EXPECT_EQ(numbers(), std::vector<int>{17939});
  // Principal normalization drops the joint plot.
  parse("/NORMALIZATION=PRINCIPAL /PLOT=JOINT");
  EXPECT_FALSE(got.plot[anacor::G_JOINT]);
  EXPECT_EQ(numbers(), std::vector<int>{17914});
}

TEST_F(AnacorParse, MatrixFilesAndTableAll) {
  parse("/MATRIX=OUT=SCORES('s.csv') VARIANCE('v.csv')");
  EXPECT_TRUE(got.table.out_scores && got.table.out_variance);
  EXPECT_NE(got.table.scores_handle, got.table.variance_handle);
  // A repeated MATRIX starts again; one file cannot take both.
  parse("/MATRIX=SCORES('s.csv') /MATRIX=VARIANCE('v.csv') SCORES('v.csv')");
  EXPECT_TRUE(got.table.out_scores);
  EXPECT_FALSE(got.table.out_variance);
  EXPECT_EQ(numbers(), (std::vector<int>{17937, 17927}));

  e.run_syntax("ANACOR TABLE=ALL(4,2).\n");
  ASSERT_TRUE(ok);
  EXPECT_EQ(got.table.table_mode, 2);
  EXPECT_EQ(got.table.nmatrix_vars, 2);
  EXPECT_EQ(got.table.row_name, "ROW");
  EXPECT_EQ(got.table.ndim, 1);
}

}  // namespace
