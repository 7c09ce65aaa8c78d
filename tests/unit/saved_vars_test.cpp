// Names of saved variables (root, numbers, counter; 64-byte limit; counter
// search) and the saving itself through the stand-in host: out of names,
// existing variables untouched, values only for the objects of the analysis,
// output files that cannot be written.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <unistd.h>
#include <vector>

#include "data/saved.hpp"
#include "engine/engine.hpp"
#include "procedure_fixture.hpp"
#include "exports/procedures.hpp"
#include "host/host.hpp"

namespace fs = std::filesystem;
using namespace oscat;
using data::SavedVar;
using data::ZYL_SaveCounter;
using data::ZYL_SaveName;

TEST(SavedNames, Forms) {
  EXPECT_EQ(ZYL_SaveName("TRA", {2, 0, ""}, 1), "TRA2_1");
  EXPECT_EQ(ZYL_SaveName("TRA", {2, 3, ""}, 1), "TRA2_3_1");
  EXPECT_EQ(ZYL_SaveName("OBSCO", {1, 0, ""}, 17), "OBSCO1_17");
  EXPECT_EQ(ZYL_SaveName("PRE", {0, 0, ""}, 1), "PRE_1");
  EXPECT_EQ(ZYL_SaveName("TRA", {12, 0, ""}, 99), "TRA12_99");
}

TEST(SavedNames, LongRootIsShortenedFromTheRight) {
  const std::string root(70, 'R');
  const std::string a = ZYL_SaveName(root, {1, 0, ""}, 1);
  EXPECT_EQ(a.size(), 64u);
  EXPECT_EQ(a, std::string(61, 'R') + "1_1");
  const std::string b = ZYL_SaveName(root, {12, 3, ""}, 99);
  EXPECT_EQ(b.size(), 64u);
  EXPECT_EQ(b.substr(b.size() - 7), "12_3_99");
  // A root that fits is kept whole.
  const std::string fits(60, 'R');
  EXPECT_EQ(ZYL_SaveName(fits, {1, 0, ""}, 1), fits + "1_1");
  // Never inside a UTF-8 sequence: "é" is two bytes at the cut.
  const std::string u = std::string(60, 'R') + "\xC3\xA9" + "XYZ";
  const std::string c = ZYL_SaveName(u, {1, 0, ""}, 1);
  EXPECT_LE(c.size(), 64u);
  EXPECT_EQ(c, std::string(60, 'R') + "1_1");
}

TEST(SavedNames, CounterSearch) {
  const std::vector<SavedVar> three = {{1, 0, ""}, {2, 0, ""}, {3, 0, ""}};
  std::set<std::string> dict;
  auto taken = [&](const std::string& n) { return dict.count(n) > 0; };
  EXPECT_EQ(ZYL_SaveCounter("TRA", three, taken), 1);
  // One name of the batch taken is enough to move on.
  dict = {"TRA3_1"};
  EXPECT_EQ(ZYL_SaveCounter("TRA", three, taken), 2);
  dict = {"TRA1_1", "TRA2_2", "TRA3_3"};
  EXPECT_EQ(ZYL_SaveCounter("TRA", three, taken), 4);
  // Names of other forms do not count.
  dict = {"TRA1_1_1", "TRA_1"};
  EXPECT_EQ(ZYL_SaveCounter("TRA", three, taken), 1);
  // All 99 counters taken: out of names; 98 taken: the 99th.
  dict.clear();
  for (int c = 1; c <= 98; ++c) dict.insert("TRA2_" + std::to_string(c));
  EXPECT_EQ(ZYL_SaveCounter("TRA", three, taken), 99);
  dict.insert("TRA2_99");
  EXPECT_EQ(ZYL_SaveCounter("TRA", three, taken), 0);
}

TEST(SavedNames, ShortenedNamesThatCollideWithinTheBatchAreNotUsed) {
  // With a 64-byte limit a root ending in digits can make two forms meet:
  // root "..1" + "1_1" and root ".." + "11_1" differ, but two identical
  // requests must never give one name twice.
  const std::vector<SavedVar> same = {{1, 0, ""}, {1, 0, ""}};
  EXPECT_EQ(ZYL_SaveCounter("TRA", same, [](const std::string&) { return false; }), 0);
}

namespace {

struct SaveFixture : oscat::testing_support::ProcedureFixture {
  std::vector<std::string> keys(int severity) const {
    std::vector<std::string> out;
    for (const auto& it : last().items)
      if (const auto* m = std::get_if<engine::Message>(&it))
        if (m->severity == severity) out.push_back(m->text.key);
    return out;
  }
  int var(const std::string& name) { return e.host().dict.DICSCH(name); }
  double value(int v, int case_number) { return e.active_file().number(v, case_number - 1); }
  static std::string csv8(const std::string& head_extra, const std::string& row_extra) {
    std::string s = "a,b,c" + head_extra + "\n";
    const char* rows[] = {"1,2,1", "2,1,2", "3,3,3", "1,1,2", "2,3,1", "3,2,3", "1,2,2", "2,2,1"};
    for (const char* r : rows) s += std::string(r) + row_extra + "\n";
    return s;
  }
};

}  // namespace

TEST_F(SaveFixture, OutOfNamesWarnsAndCreatesNothing) {
  std::string head, row;
  for (int c = 1; c <= 99; ++c) {
    head += ",OBSCO1_" + std::to_string(c);
    row += ",7";
  }
  data(csv8(head, row));
  const int before = e.host().dict.size();
  e.run_syntax("CATPCA VARIABLES=a b c /ANALYSIS=a b c /SAVE=OBJECT TRDATA /PLOT=NONE.\n");
  const auto w = keys(2);
  EXPECT_NE(std::find(w.begin(), w.end(), "CPR SAVE OBJECT out of names."), w.end());
  EXPECT_TRUE(keys(3).empty());
  // TRDATA still saved; the existing variables keep their values.
  EXPECT_EQ(e.host().dict.size(), before + 3);
  EXPECT_GT(var("TRA1_1"), 0);
  EXPECT_EQ(var("OBSCO2_1"), 0);
  EXPECT_EQ(value(var("OBSCO1_1"), 1), 7.0);
}

TEST_F(SaveFixture, CasesOutsideTheAnalysisGetSystemMissing) {
  // Case 3 is filtered out, case 5 has a missing value and is excluded listwise.
  data("a,b,c,keep\n1,2,1,1\n2,1,2,1\n3,3,3,0\n1,1,2,1\n2,,1,1\n3,2,3,1\n1,2,2,1\n2,2,1,1\n3,1,3,1\n");
  e.run_syntax(
      "FILTER BY keep.\n"
      "CATPCA VARIABLES=a b c /ANALYSIS=a b c /MISSING=b(LISTWISE) /DIMENSION=2 /SAVE=OBJECT((1))"
      " /PLOT=NONE.\n");
  EXPECT_TRUE(keys(3).empty());
  const int v = var("OBSCO1_1");
  ASSERT_GT(v, 0);
  EXPECT_EQ(var("OBSCO2_1"), 0);  // one dimension asked for
  EXPECT_TRUE(host::is_sysmis(value(v, 3)));
  EXPECT_TRUE(host::is_sysmis(value(v, 5)));
  double sum = 0, ss = 0;
  int count = 0;
  for (int c : {1, 2, 4, 6, 7, 8, 9}) {
    const double x = value(v, c);
    ASSERT_FALSE(host::is_sysmis(x)) << c;
    sum += x;
    ss += x * x;
    ++count;
  }
  // Standardized object scores of the active objects.
  EXPECT_NEAR(sum, 0.0, 1e-8);
  EXPECT_NEAR(ss / count, 1.0, 1e-6);
}

TEST_F(SaveFixture, UnwritableFileIsAnErrorAndStopsTheFiles) {
  data(csv8("", ""));
  e.run_syntax(
      "CATPCA VARIABLES=a b c /ANALYSIS=a b c /PLOT=NONE"
      " /OUTFILE=TRDATA('missing-dir/t.csv') OBJECT('o.csv').\n");
  const auto err = keys(3);
  EXPECT_NE(std::find(err.begin(), err.end(), "ZYL OUTFILE ^1 not written."), err.end());
  EXPECT_FALSE(fs::exists(dir / "o.csv"));
  for (const auto& n : last().notes) EXPECT_NE(n.group.key, "Files Saved");
}

TEST_F(SaveFixture, FilesAreListedAndEllipsesReportedAsIgnored) {
  data(csv8("", ""));
  e.run_syntax(
      "CATPCA VARIABLES=a b c /ANALYSIS=a b c /PLOT=NONE /RESAMPLE=BOOTSTRAP(5)"
      " /OUTFILE=OBJECT('o.csv') ELLCOORD('e.csv').\n");
  const auto w = keys(2);
  EXPECT_NE(std::find(w.begin(), w.end(), "CPR Ellipses not saved."), w.end());
  EXPECT_TRUE(fs::exists(dir / "o.csv"));
  EXPECT_FALSE(fs::exists(dir / "e.csv"));
  int files = 0;
  for (const auto& n : last().notes)
    if (n.group.key == "Files Saved") {
      ++files;
      EXPECT_EQ(n.item.text, "o.csv");
      EXPECT_EQ(n.contents.key, "Object Scores");
    }
  EXPECT_EQ(files, 1);
}

TEST_F(SaveFixture, ApproximationsDoNotDependOnNormalizationOrRotation) {
  // The approximation is the transformed variable as the solution
  // reproduces it; rescaling or rotating scores and loadings together
  // leaves it unchanged. Numerical levels in all dimensions reproduce the
  // standardized variables exactly.
  data(
      "id,price,quality,service,design,comfort\n"
      "1,2,3,3,1,2\n"
      "2,3,4,5,3,4\n"
      "3,4,4,4,4,3\n"
      "4,4,5,3,7,5\n"
      "5,5,4,3,6,6\n"
      "6,3,4,2,5,5\n"
      "7,5,5,4,4,3\n"
      "8,7,6,5,5,4\n"
      "9,3,1,5,2,1\n"
      "10,4,4,2,4,4\n"
      "11,5,3,6,1,2\n"
      "12,6,5,5,3,3\n"
      "13,4,4,1,4,4\n"
      "14,4,4,3,4,4\n"
      "15,3,2,3,4,4\n"
      "16,4,4,3,3,5\n"
      "17,2,3,2,5,5\n"
      "18,4,3,4,5,6\n"
      "19,3,3,3,5,5\n"
      "20,6,5,5,3,3\n"
      "21,5,3,3,4,3\n"
      "22,5,3,5,2,1\n"
      "23,3,4,6,2,3\n"
      "24,6,4,3,4,4\n"
      "25,5,5,3,6,6\n"
      "26,2,2,1,3,4\n"
      "27,5,4,3,3,2\n"
      "28,2,2,4,1,1\n"
      "29,5,2,4,3,2\n"
      "30,3,2,5,2,2\n"
      "31,7,6,7,4,4\n"
      "32,1,4,2,4,3\n"
      "33,5,5,4,3,6\n"
      "34,6,4,4,4,5\n"
      "35,4,4,4,3,4\n"
      "36,1,4,4,4,5\n"
      "37,4,4,4,6,5\n"
      "38,6,5,5,3,3\n"
      "39,3,2,2,4,3\n"
      "40,5,3,3,2,3\n");
  const char* variants[] = {"", "/ROTATION=VARIMAX", "/ROTATION=OBLIMIN", "/NORMALIZATION=INDEPENDENT",
                            "/NORMALIZATION=OPRINCIPAL", "/NORMALIZATION=SYMMETRICAL"};
  for (const char* v : variants)
    e.run_syntax(std::string("CATPCA VARIABLES=price quality service design comfort"
                             " /ANALYSIS=price quality service design comfort (LEVEL=NUMERICAL)"
                             " /DIMENSION=2 /PRINT=NONE /PLOT=NONE /SAVE=APPROX ") + v + ".\n");
  ASSERT_EQ(e.errors(), 0);
  const int rows = e.active_file().rows();
  for (int j = 1; j <= 5; ++j) {
    const int base = var("APP" + std::to_string(j) + "_1");
    ASSERT_GT(base, 0);
    for (int c = 2; c <= 6; ++c) {
      const int other = var("APP" + std::to_string(j) + "_" + std::to_string(c));
      ASSERT_GT(other, 0) << j << " " << c;
      for (int r = 1; r <= rows; ++r) EXPECT_NEAR(value(other, r), value(base, r), 1e-9) << j << " " << c;
    }
  }
  e.run_syntax(
      "CATPCA VARIABLES=price quality service design comfort"
      " /ANALYSIS=price quality service design comfort (LEVEL=NUMERICAL)"
      " /DIMENSION=5 /PRINT=NONE /PLOT=NONE /SAVE=APPROX(full) TRDATA(tr).\n");
  ASSERT_EQ(e.errors(), 0);
  for (int j = 1; j <= 5; ++j) {
    const int a = var("full" + std::to_string(j) + "_1"), t = var("tr" + std::to_string(j) + "_1");
    ASSERT_GT(a, 0);
    ASSERT_GT(t, 0);
    for (int r = 1; r <= rows; ++r) EXPECT_NEAR(value(a, r), value(t, r), 1e-6) << j << " " << r;
  }
}
