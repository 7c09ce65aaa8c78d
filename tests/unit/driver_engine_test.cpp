// The driver's whole command through the stand-in host: frame, split file,
// observation counts, workspace shortfall, data preparation tables.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

#include "engine/engine.hpp"
#include "procedure_fixture.hpp"
#include "exports/procedures.hpp"
#include "host/host.hpp"

namespace fs = std::filesystem;
using namespace oscat;
using namespace oscat::engine;

namespace {

struct DriverFixture : oscat::testing_support::ProcedureFixture {
  std::vector<std::string> keys(const CommandOutput& c, int severity) const {
    std::vector<std::string> out;
    for (const auto& it : c.items)
      if (const auto* m = std::get_if<Message>(&it))
        if (m->severity == severity) out.push_back(m->text.key);
    return out;
  }
  static const Table* table(const CommandOutput& c, const std::string& title_key, int nth = 0) {
    auto visit = [&](auto&& self, const std::vector<Item>& items) -> const Table* {
      for (const auto& it : items) {
        if (const auto* t = std::get_if<Table>(&it)) {
          if (t->title.key == title_key && nth-- == 0) return t;
        } else if (const auto* h = std::get_if<std::shared_ptr<Heading>>(&it)) {
          if (const Table* t = self(self, (*h)->items)) return t;
        }
      }
      return nullptr;
    };
    return visit(visit, c.items);
  }
  // Value in the row labelled `row_key` (first data column by default).
  static double row_value(const Table& t, const std::string& row_key, int col = 0) {
    const auto& leaves = t.dims[0].leaves;
    for (std::size_t r = 0; r < leaves.size(); ++r)
      if (leaves[r].label.key == row_key || leaves[r].label.text == row_key) {
        auto it = t.cells.find({static_cast<int>(r), col});
        if (it != t.cells.end() && it->second.value) return *it->second.value;
      }
    return -12345;
  }
  static bool has(const std::vector<std::string>& v, const std::string& k) {
    return std::find(v.begin(), v.end(), k) != v.end();
  }
};

}  // namespace

TEST_F(DriverFixture, TwoCasesEndWithTheObservationMessageThreeAreAccepted) {
  data("a,b\n1,2\n2,1\n");
  e.run_syntax("CATPCA VARIABLES=a b /ANALYSIS=a b.\n");
  EXPECT_TRUE(has(keys(last(), 3), "Invalid CPR maximum observations."));
  e.run_syntax("CATREG VARIABLES=a b /ANALYSIS=a WITH b.\n");
  EXPECT_TRUE(has(keys(last(), 3), "Invalid CRG maximum observations."));
  data("a,b\n1,2\n2,1\n3,3\n");
  e.run_syntax("CATPCA VARIABLES=a b /ANALYSIS=a b.\n");
  EXPECT_FALSE(has(keys(last(), 3), "Invalid CPR maximum observations."));
  ASSERT_NE(table(last(), "Case Processing Summary"), nullptr);
  e.run_syntax("CATREG VARIABLES=a b /ANALYSIS=a WITH b.\n");
  EXPECT_FALSE(has(keys(last(), 3), "Invalid CRG maximum observations."));
  ASSERT_NE(table(last(), "Case Processing Summary"), nullptr);
  EXPECT_EQ(e.workspace().outstanding(), 0u);
  EXPECT_EQ(e.value_tables().open_tables(), 0);
}

TEST_F(DriverFixture, SplitFileIsWarnedIgnoredAndRestored) {
  data("a,b,g\n1,2,1\n2,1,1\n3,3,2\n1,1,2\n");
  e.run_syntax("SPLIT FILE BY g.\nCATPCA VARIABLES=a b /ANALYSIS=a b.\n");
  EXPECT_TRUE(has(keys(last(), 2), "Split File ignored."));
  const Table* s = table(last(), "Case Processing Summary");
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(row_value(*s, "Total"), 4);  // one group of all cases
  EXPECT_EQ(e.active_file().split_count(), 1);
}

TEST_F(DriverFixture, CaseProcessingSummaryAndCategoriesWorkedByHand) {
  // 6 cases; b has a system-missing value (case 5) and a value 0 (case 6,
  // missing without discretization). Case 2 is supplementary.
  // Passive treatment: valid = cases without missing among active ones:
  //   active objects: 1,3,4,5,6 (weight 1); complete: 1,3,4 -> 3.
  //   total weighted 5; missing 2; supplementary 1; total 6; used 5.
  data("a,b\n1,1\n2,2\n3,1\n1,2\n2,\n3,0\n");
  e.run_syntax("CATPCA VARIABLES=a b /ANALYSIS=a b /SUPPLEMENTARY=OBJECT(2).\n");
  const auto& c = last();
  const Table* s = table(c, "Case Processing Summary");
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(row_value(*s, "CPR Valid Cases"), 3);
  EXPECT_EQ(row_value(*s, "CPR Cases with Missing Values"), 2);
  EXPECT_EQ(row_value(*s, "Supplementary Cases"), 1);
  EXPECT_EQ(row_value(*s, "Total"), 6);
  EXPECT_EQ(row_value(*s, "Cases Used in Analysis"), 5);
  EXPECT_TRUE(has(keys(c, 2), "Var ^1 miss zero."));
  // Descriptive statistics of a: categories 1 2 3 with frequencies (case 2
  // has weight 0): 1 -> 2, 2 -> 1, 3 -> 2; total 5.
  const Table* d = table(c, "Descriptive Statistics");
  ASSERT_NE(d, nullptr);
  EXPECT_EQ(row_value(*d, "1"), 2);
  EXPECT_EQ(row_value(*d, "2"), 1);
  EXPECT_EQ(row_value(*d, "3"), 2);
  EXPECT_EQ(row_value(*d, "CPR Descrip Total"), 5);
}

TEST_F(DriverFixture, ListwiseExclusionAndTooFewObjects) {
  data("y,x\n1,1\n2,\n3,2\n1,3\n2,\n");
  // CATREG defaults to LISTWISE: cases 2 and 5 go, three remain.
  e.run_syntax("CATREG VARIABLES=y x /ANALYSIS=y WITH x.\n");
  const Table* s = table(last(), "Case Processing Summary");
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(row_value(*s, "CPR Valid Cases"), 3);
  EXPECT_EQ(row_value(*s, "Cases Used in Analysis"), 3);
  ASSERT_FALSE(s->footnotes.empty());
  EXPECT_EQ(s->footnotes[0].text.key, "CPR Excl. cases [:^1 :$1]1.");
  // One more missing case leaves two: the maximum-observations message.
  data("y,x\n1,1\n2,\n3,2\n1,\n2,\n");
  e.run_syntax("CATREG VARIABLES=y x /ANALYSIS=y WITH x.\n");
  EXPECT_TRUE(has(keys(last(), 3), "Invalid CRG maximum observations."));
}

TEST_F(DriverFixture, InsufficientMemoryOnceAndEverythingReleased) {
  std::string csv = "a,b\n";
  for (int i = 0; i < 3000; ++i) csv += std::to_string(i % 7 + 1) + "," + std::to_string(i % 5 + 1) + "\n";
  data(csv);
  e.run_syntax("SET WORKSPACE=64.\nCATPCA VARIABLES=a b /ANALYSIS=a b.\n");
  const auto errs = keys(last(), 3);
  EXPECT_EQ(std::count(errs.begin(), errs.end(), "Insufficient memory."), 1);
  EXPECT_EQ(e.workspace().outstanding(), 0u);
  EXPECT_EQ(e.value_tables().open_tables(), 0);
}

TEST_F(DriverFixture, DefaultDiscretizationWarnings) {
  data("a,s\n1.5,x\n2,y\n3,x\n2,z\n");
  e.run_syntax("CATPCA VARIABLES=a s /ANALYSIS=a s.\n");
  const auto w = keys(last(), 2);
  EXPECT_TRUE(has(w, "Discr var ^1 set to RANKING."));
  EXPECT_TRUE(has(w, "Discr var ^1 set to GROUPING."));
  EXPECT_TRUE(has(w, "CPR NrCat for grouping too large for var ^1."));  // 3 values < 7
  const Table* d = table(last(), "Descriptive Statistics", 1);  // s: x 2, y 1, z 1
  ASSERT_NE(d, nullptr);
  EXPECT_EQ(row_value(*d, "x"), 2);
  EXPECT_EQ(row_value(*d, "z"), 1);
}
