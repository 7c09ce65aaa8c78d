// Dictionary, CSV reading and the active file's case loop.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <limits>
#include <string>
#include <vector>

#include "engine/active_file.hpp"
#include "engine/csv.hpp"
#include "engine/dictionary.hpp"

namespace {

using oscat::engine::ActiveFile;
using oscat::engine::CsvTable;
using oscat::engine::DictionaryStore;
using oscat::engine::parse_csv;
using oscat::engine::read_csv;
using oscat::host::SYSMIS;

// ------------------------------------------------------------ dictionary ---

TEST(EngineDictionary, NamesLabelsAndValueLabels) {
  DictionaryStore d;
  EXPECT_EQ(d.add_variable("Age", 0), 1);
  EXPECT_EQ(d.add_variable("city", 8), 2);
  EXPECT_EQ(d.add_variable("AGE", 0), 0);    // duplicate, any case
  EXPECT_EQ(d.add_variable("1x", 0), 0);     // invalid
  EXPECT_EQ(d.add_variable("to", 0), 0);     // reserved
  EXPECT_EQ(d.add_variable("x.", 0), 0);     // trailing period
  EXPECT_EQ(d.size(), 2);
  EXPECT_EQ(d.DICSCH("aGe"), 1);
  EXPECT_EQ(d.DICSCH("none"), 0);
  EXPECT_TRUE(d.DICGET(2).is_string());
  EXPECT_EQ(d.DICGET(2).index, 2);
  EXPECT_EQ(d.DICGET(7).index, 0);  // out of range: blank, no crash

  EXPECT_EQ(d.VRLABG(1), "Age");
  d.set_label(1, "Age in years");
  EXPECT_EQ(d.VRLABG(1), "Age in years");

  d.set_value_label(1, 3, "old");
  d.set_value_label(1, 1, "young");
  d.set_value_label(1, 2, "middle");
  d.set_value_label(1, 3, "older");  // replaces
  auto labels = d.value_labels(1);
  ASSERT_EQ(labels.size(), 3u);
  EXPECT_EQ(labels[0], (std::pair<double, std::string>{1, "young"}));
  EXPECT_EQ(labels[2], (std::pair<double, std::string>{3, "older"}));
  EXPECT_EQ(d.VLBLST(1, 2.0), "middle");
  EXPECT_EQ(d.VLBLST(1, 2.5), "");

  d.set_string_value_label(2, "NY  ", "New York");
  EXPECT_EQ(d.VLBLST(2, std::string_view("NY")), "New York");
  EXPECT_EQ(d.VLBLST(2, std::string_view("NY      ")), "New York");

  // Saved variables through the procedure side.
  auto v = d.DICCLR();
  EXPECT_EQ(v.width, 0);
  v.name = "TRA1_1";
  v.label = "Transformed";
  const int idx = d.DICPUT(v);
  EXPECT_EQ(idx, 3);
  EXPECT_EQ(d.DICPUT(v), 0);
  int map = d.KOVA_NEWVLMAP();
  d.KOVA_ADDVLPAIR(map, 2, "two");
  d.KOVA_ADDVLPAIR(map, 1, "one");
  d.attach_value_labels(idx, map);
  EXPECT_EQ(d.value_labels(idx).front().second, "one");
  EXPECT_EQ(d.VRLABG(idx), "Transformed");

  const auto gen = d.generation();
  d.clear();
  EXPECT_EQ(d.size(), 0);
  EXPECT_NE(d.generation(), gen);
}

// ------------------------------------------------------------------- CSV ---

TEST(EngineCsv, QuotedFieldsBomCrlfAndTrailingLines) {
  CsvTable t;
  std::string err;
  ASSERT_TRUE(parse_csv("\xEF\xBB\xBFid, name ,note\r\n"
                        "1,\"Smith, J\",\"said \"\"hi\"\"\"\r\n"
                        "2,\"two\nlines\",\r\n"
                        "3,x\"y,\r\n"
                        "\r\n\n",
                        t, err))
      << err;
  EXPECT_EQ(t.header, (std::vector<std::string>{"id", "name", "note"}));
  ASSERT_EQ(t.rows.size(), 3u);
  EXPECT_EQ(t.rows[0][1], "Smith, J");
  EXPECT_EQ(t.rows[0][2], "said \"hi\"");
  EXPECT_EQ(t.rows[1][1], "two\nlines");
  EXPECT_EQ(t.rows[1][2], "");
  EXPECT_EQ(t.rows[2][1], "x\"y");  // a quote inside an unquoted field is kept
  EXPECT_EQ(t.row_lines, (std::vector<int>{2, 3, 5}));

  // No final newline; header only.
  ASSERT_TRUE(parse_csv("a,b\n1,2", t, err));
  EXPECT_EQ(t.rows.size(), 1u);
  ASSERT_TRUE(parse_csv("a,b", t, err));
  EXPECT_TRUE(t.rows.empty());
  // A single column keeps empty cells inside the data.
  ASSERT_TRUE(parse_csv("a\n1\n\n3\n", t, err));
  EXPECT_EQ(t.rows.size(), 3u);
}

TEST(EngineCsv, ErrorsNameTheLine) {
  CsvTable t;
  std::string err;
  EXPECT_FALSE(parse_csv("a,b,c,d,e\n1,2,3,4,5\n1,2,3,4,5\n1,2,3,4,5\n1,2,3,4,5\n1,2,3,4,5\n1,2,3,4\n", t, err));
  EXPECT_EQ(err, "line 7 has 4 fields, the header has 5");
  EXPECT_TRUE(t.header.empty());

  // A quoted newline shifts the line numbers of later rows.
  EXPECT_FALSE(parse_csv("a,b\n\"x\ny\",1\n1\n", t, err));
  EXPECT_EQ(err, "line 4 has 1 field, the header has 2");

  EXPECT_FALSE(parse_csv("a,b\n1,\"open\n2,3\n", t, err));
  EXPECT_NE(err.find("line 2"), std::string::npos);
  EXPECT_NE(err.find("closing quote"), std::string::npos);

  EXPECT_FALSE(parse_csv("a,b\n\"x\"y,1\n", t, err));
  EXPECT_NE(err.find("after the closing quote"), std::string::npos);

  EXPECT_FALSE(parse_csv("a,,c\n", t, err));
  EXPECT_NE(err.find("column 2"), std::string::npos);
  EXPECT_FALSE(parse_csv("a,b,A\n", t, err));
  EXPECT_NE(err.find("repeats"), std::string::npos);
  EXPECT_FALSE(parse_csv("a,2b\n", t, err));
  EXPECT_NE(err.find("not a valid variable name"), std::string::npos);
  EXPECT_FALSE(parse_csv(std::string_view("a\n1\n2\0\n", 7), t, err));
  EXPECT_NE(err.find("NUL"), std::string::npos);
  EXPECT_NE(err.find("line 3"), std::string::npos);
  EXPECT_FALSE(parse_csv("\n\n", t, err));
  EXPECT_NE(err.find("empty"), std::string::npos);

  EXPECT_FALSE(read_csv("/nonexistent/dir/file.csv", t, err));
  EXPECT_NE(err.find("/nonexistent/dir/file.csv"), std::string::npos);
  EXPECT_FALSE(read_csv(std::filesystem::temp_directory_path().string(), t, err));
}

// The column reader must agree with the row reader plus typing on every
// input, and report the same errors.
TEST(EngineCsv, ColumnReaderMatchesRowReader) {
  const std::string text =
      "\xEF\xBB\xBFid, name ,x,late,blank,q\r\n"
      "1,\"Smith, J\", 1.5 ,1,,\"7\"\r\n"
      "2,\"two\nlines\",+2,2,,\"8\"\r\n"
      "3,x\"y,-2e3,oops,,\"\"\"9\"\"\"\r\n"
      "1234567890123456789,\"a\"\"b\",1e5,4,,10\r\n"
      "\r\n";
  oscat::engine::CsvColumns c;
  std::string err;
  ASSERT_TRUE(oscat::engine::parse_csv_columns(text, c, err)) << err;
  CsvTable t;
  ASSERT_TRUE(parse_csv(text, t, err)) << err;
  const auto expect = oscat::engine::columns_of_table(t, {});
  ASSERT_EQ(c.header, t.header);
  EXPECT_EQ(c.header, (std::vector<std::string>{"id", "name", "x", "late", "blank", "q"}));
  ASSERT_EQ(c.rows, 4);
  ASSERT_EQ(c.cols.size(), expect.cols.size());
  for (std::size_t k = 0; k < c.cols.size(); ++k) {
    SCOPED_TRACE(c.header[k]);
    EXPECT_EQ(c.cols[k].is_text, expect.cols[k].is_text);
    EXPECT_EQ(c.cols[k].num, expect.cols[k].num);
    EXPECT_EQ(c.cols[k].cells, expect.cols[k].cells);
    EXPECT_EQ(c.cols[k].longest, expect.cols[k].longest);
    EXPECT_EQ(c.cols[k].bad_line, expect.cols[k].bad_line);
  }
  // Digits beyond the exact fast path go through the full conversion.
  EXPECT_EQ(c.cols[0].num, (std::vector<double>{1, 2, 3, 1234567890123456789.0}));
  EXPECT_EQ(c.cols[1].cells, (std::vector<std::string>{"Smith, J", "two\nlines", "x\"y", "a\"b"}));
  EXPECT_EQ(c.cols[2].num, (std::vector<double>{1.5, 2, -2000, 1e5}));
  // Text found on the third row: every cell as typed, the first bad one named.
  EXPECT_TRUE(c.cols[3].is_text);
  EXPECT_EQ(c.cols[3].cells, (std::vector<std::string>{"1", "2", "oops", "4"}));
  EXPECT_EQ(c.cols[3].bad_line, 5);  // the quoted newline counts
  EXPECT_EQ(c.cols[3].bad_cell, "oops");
  EXPECT_EQ(c.cols[4].num, std::vector<double>(4, SYSMIS));
  EXPECT_EQ(c.cols[5].cells, (std::vector<std::string>{"7", "8", "\"9\"", "10"}));

  // Columns asked for as text keep numeric-looking cells.
  ASSERT_TRUE(oscat::engine::parse_csv_columns(
      "a,b\n01,2\n3,\n", c, err, [](const std::vector<std::string>& h) {
        EXPECT_EQ(h.size(), 2u);
        return std::vector<bool>{true};
      }));
  EXPECT_TRUE(c.cols[0].is_text);
  EXPECT_EQ(c.cols[0].cells, (std::vector<std::string>{"01", "3"}));
  EXPECT_EQ(c.cols[1].num, (std::vector<double>{2, SYSMIS}));

  // Same errors, same words; header problems yield to a quoting error later on.
  for (std::string_view bad : {std::string_view("a,b,c\n1,2,3\n1,2\n"), std::string_view("a,b\n\"x\ny\",1\n1\n"),
                               std::string_view("a,b\n1,\"open\n2,3\n"), std::string_view("a,b\n\"x\"y,1\n"),
                               std::string_view("a,,c\n1,2,\"x\"y\n"), std::string_view("a,b\n1,2\n\n3,4\n"),
                               std::string_view("a,b\n1,2,3\n\"\n"), std::string_view("\n\n"),
                               std::string_view("a\n1\n2\0\n", 7)}) {
    std::string e1, e2;
    EXPECT_FALSE(parse_csv(bad, t, e1)) << bad;
    EXPECT_FALSE(oscat::engine::parse_csv_columns(bad, c, e2)) << bad;
    EXPECT_EQ(e1, e2) << bad;
    EXPECT_TRUE(c.header.empty());
  }
  EXPECT_FALSE(parse_csv("a,,c\n1,2,\"x\"y\n", t, err));
  EXPECT_NE(err.find("after the closing quote"), std::string::npos) << err;
  // A single column keeps a blank line inside the data as a blank cell.
  ASSERT_TRUE(oscat::engine::parse_csv_columns("a\n1\n\n3\n\n", c, err));
  EXPECT_EQ(c.cols[0].num, (std::vector<double>{1, SYSMIS, 3}));
  // Lone CR line ends.
  ASSERT_TRUE(oscat::engine::parse_csv_columns("a,b\r1,2\r3,4", c, err));
  EXPECT_EQ(c.cols[1].num, (std::vector<double>{2, 4}));
}

// ----------------------------------------------------------- active file ---

struct TempDir {
  std::filesystem::path dir;
  TempDir() {
    dir = std::filesystem::temp_directory_path() /
          ("oscat_engine_data_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "_" +
           ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(dir);
  }
  ~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
  }
  std::string write(const std::string& name, const std::string& content) const {
    auto p = dir / name;
    std::ofstream(p, std::ios::binary) << content;
    return p.string();
  }
};

CsvTable table(std::vector<std::string> header, std::vector<std::vector<std::string>> rows) {
  CsvTable t;
  t.header = std::move(header);
  t.rows = std::move(rows);
  return t;
}

TEST(EngineActiveFile, TypeInference) {
  DictionaryStore d;
  ActiveFile f(d);
  EXPECT_EQ(f.XYBEG(), 0);  // nothing loaded
  std::string err;
  ASSERT_TRUE(f.load_table(table({"num", "txt", "empty", "hexlike", "nanlike", "tiny"},
                                 {{" 1.5 ", "a", "", "0x10", "1", "1e5"},
                                  {"", "longer", "", "2", "nan", "1e-999"},
                                  {"-2e3", "7", "", "3", "2", "2"}}),
                           "", "", err))
      << err;
  ASSERT_EQ(d.size(), 6);
  EXPECT_EQ(d.DICGET(1).width, 0);
  EXPECT_EQ(d.DICGET(2).width, 6);   // longest cell
  EXPECT_EQ(d.DICGET(3).width, 0);   // all empty: numeric, all SYSMIS
  EXPECT_EQ(d.DICGET(4).width, 4);   // hex is not a number here
  EXPECT_EQ(d.DICGET(5).width, 0);   // nan is a spelling of missing data
  EXPECT_EQ(f.number(5, 1), SYSMIS);
  EXPECT_EQ(d.DICGET(6).width, 0);   // underflow reads as (nearly) zero
  EXPECT_EQ(f.number(6, 1), 0.0);
  EXPECT_DOUBLE_EQ(f.number(1, 0), 1.5);
  EXPECT_EQ(f.number(1, 1), SYSMIS);
  EXPECT_DOUBLE_EQ(f.number(1, 2), -2000);
  EXPECT_EQ(f.number(3, 2), SYSMIS);
  EXPECT_EQ(f.text(2, 2), "7");
  EXPECT_EQ(f.number(2, 0), SYSMIS);  // wrong type / range give blanks
  EXPECT_EQ(f.text(1, 0), "");
  EXPECT_EQ(f.number(9, 0), SYSMIS);
  EXPECT_EQ(f.rows(), 3);
  EXPECT_EQ(f.case_count(), 3);
  EXPECT_EQ(f.XYBEG(), 1);

  // Hand-built tables are checked too, and a failure keeps the file.
  EXPECT_FALSE(f.load_table(table({"a", "b"}, {{"1", "2"}, {"3"}}), "", "", err));
  EXPECT_NE(err.find("row 2"), std::string::npos);
  EXPECT_FALSE(f.load_table(table({"a", "A"}, {}), "", "", err));
  EXPECT_EQ(d.size(), 6);
  EXPECT_EQ(f.rows(), 3);
}

TEST(EngineActiveFile, CaseLoopWithWeightAndFilter) {
  DictionaryStore d;
  ActiveFile f(d);
  std::string err;
  // w: weight; 9 is user-missing; flt: filter with 0 and a missing value.
  ASSERT_TRUE(f.load_table(table({"x", "w", "flt", "s"},
                                 {{"10", "1", "1", "a "},
                                  {"20", "0", "1", "b"},
                                  {"30", "", "1", "c"},
                                  {"40", "-1", "1", "d"},
                                  {"50", "9", "1", "e"},
                                  {"60", "2.5", "0", "f"},
                                  {"70", "3", "", "g"},
                                  {"80", "4", "5", "h"}}),
                           R"({"variables":[{"name":"w","width":0,"missing":{"values":[9],"strings":[],"range":null}}]})",
                           "test", err))
      << err;
  auto pass = [&] {
    std::vector<std::pair<int, double>> seen;  // case number, weight
    EXPECT_EQ(f.XYBEG(), 1);
    f.OBINIT();
    f.OBPINI();
    while (f.OBSERV()) {
      seen.emplace_back(f.case_number(), f.case_weight());
      EXPECT_DOUBLE_EQ(f.value(1), 10.0 * f.case_number());
    }
    f.OBPEND();
    f.XYENDF();
    return seen;
  };
  EXPECT_EQ(pass().size(), 8u);
  EXPECT_EQ(f.weight_variable(), 0);

  ASSERT_TRUE(f.set_weight(2));
  EXPECT_EQ(pass(), (std::vector<std::pair<int, double>>{{1, 1}, {6, 2.5}, {7, 3}, {8, 4}}));

  ASSERT_TRUE(f.set_filter(3));
  EXPECT_EQ(pass(), (std::vector<std::pair<int, double>>{{1, 1}, {8, 4}}));

  ASSERT_TRUE(f.set_weight(0));
  EXPECT_EQ(pass().size(), 6u);  // only the filter's 0 and missing are dropped
  EXPECT_FALSE(f.set_weight(4));  // string variable
  EXPECT_FALSE(f.set_filter(99));
  EXPECT_EQ(f.filter_variable(), 3);

  // String access is right-trimmed.
  f.set_filter(0);
  f.OBPINI();
  ASSERT_TRUE(f.OBSERV());
  EXPECT_EQ(f.string_value(4), "a");
  EXPECT_EQ(f.text(4, 0), "a ");
}

TEST(EngineActiveFile, ColumnReadsMatchTheCaseLoopForEveryStorage) {
  DictionaryStore d;
  ActiveFile f(d);
  std::string err;
  // Columns held in 8, 16, 32 bits and as doubles (-0, a fraction, a value
  // past 32 bits), blanks as SYSMIS in each; a weight with a 0 and a filter.
  ASSERT_TRUE(f.load_table(table({"b8", "b16", "b32", "dbl", "w", "flt"},
                                 {{"1", "300", "70000", "-0", "1", "1"},
                                  {"", "-32767", "", "2.5", "2", "1"},
                                  {"-127", "", "-2147483647", "", "0", "1"},
                                  {"127", "32767", "2147483647", "5000000000", "1.5", "0"},
                                  {"0", "7", "8", "1", "3", "1"}}),
                           "", "test", err))
      << err;
  auto by_cases = [&](int var) {
    std::vector<double> v;
    std::vector<std::pair<int, double>> seen;
    f.OBPINI();
    while (f.OBSERV()) {
      v.push_back(f.value(var));
      seen.emplace_back(f.case_number(), f.case_weight());
    }
    f.OBPEND();
    return std::make_pair(v, seen);
  };
  auto check = [&] {
    const int n = f.OBCOUNT();
    std::vector<double> w(static_cast<std::size_t>(n));
    std::vector<int> cases(static_cast<std::size_t>(n));
    f.OBCASES(w.data(), cases.data());
    // The interface's own bodies (for hosts without columns) agree too.
    EXPECT_EQ(f.oscat::host::Cases::OBCOUNT(), n);
    std::vector<double> w0(static_cast<std::size_t>(n));
    std::vector<int> cases0(static_cast<std::size_t>(n));
    f.oscat::host::Cases::OBCASES(w0.data(), cases0.data());
    for (int var = 1; var <= 4; ++var) {
      SCOPED_TRACE(var);
      const auto [expect, seen] = by_cases(var);
      ASSERT_EQ(static_cast<int>(expect.size()), n);
      std::vector<double> col(static_cast<std::size_t>(n)), col0(static_cast<std::size_t>(n));
      f.OBCOLUMN(var, col.data());
      f.oscat::host::Cases::OBCOLUMN(var, col0.data());
      EXPECT_EQ(col0, expect);
      EXPECT_EQ(w0, w);
      EXPECT_EQ(cases0, cases);
      for (int i = 0; i < n; ++i) {
        EXPECT_EQ(col[static_cast<std::size_t>(i)], expect[static_cast<std::size_t>(i)]);
        EXPECT_EQ(std::signbit(col[static_cast<std::size_t>(i)]), std::signbit(expect[static_cast<std::size_t>(i)]));
        EXPECT_EQ(cases[static_cast<std::size_t>(i)], seen[static_cast<std::size_t>(i)].first);
        EXPECT_EQ(w[static_cast<std::size_t>(i)], seen[static_cast<std::size_t>(i)].second);
      }
    }
  };
  EXPECT_EQ(f.number(1, 2), -127);
  EXPECT_EQ(f.number(1, 1), SYSMIS);
  EXPECT_EQ(f.number(2, 1), -32767);
  EXPECT_EQ(f.number(3, 3), 2147483647);
  EXPECT_EQ(f.number(4, 3), 5000000000.0);
  EXPECT_TRUE(std::signbit(f.number(4, 0)));
  check();
  ASSERT_TRUE(f.set_weight(5));
  check();
  ASSERT_TRUE(f.set_filter(6));
  check();
  EXPECT_EQ(f.OBCOUNT(), 3);
  // A value the narrow column cannot hold widens it; the others stay.
  f.set_value(1, 1, 1000.25);
  f.set_value(2, 2, SYSMIS);
  EXPECT_EQ(f.number(1, 0), 1000.25);
  EXPECT_EQ(f.number(1, 2), -127);
  EXPECT_EQ(f.number(1, 1), SYSMIS);
  EXPECT_EQ(f.number(2, 1), SYSMIS);
  EXPECT_EQ(f.number(2, 3), 32767);
  check();
}

TEST(EngineActiveFile, MissingValuesAndRanges) {
  DictionaryStore d;
  ActiveFile f(d);
  std::string err;
  ASSERT_TRUE(f.load_table(table({"x", "lo", "hi", "s"}, {{"1", "1", "1", "a"}}),
                           R"({"variables":[
                               {"name":"x","missing":{"values":[9],"strings":[],"range":[-3,-1]}},
                               {"name":"LO","missing":{"values":[],"range":[-1e308,0]}},
                               {"name":"hi","missing":{"range":[100,1e308]}},
                               {"name":"s","width":3,"missing":{"strings":["NA "]}}]})",
                           "side", err))
      << err;
  EXPECT_TRUE(f.QLMISS(1, 9));
  EXPECT_TRUE(f.QLMISS(1, -3));  // range bounds are inclusive
  EXPECT_TRUE(f.QLMISS(1, -1));
  EXPECT_TRUE(f.QLMISS(1, -2.5));
  EXPECT_FALSE(f.QLMISS(1, -0.5));
  EXPECT_FALSE(f.QLMISS(1, SYSMIS));
  EXPECT_TRUE(f.QAMISS(1, SYSMIS));
  EXPECT_TRUE(f.INMISS(SYSMIS));
  EXPECT_FALSE(f.INMISS(9));
  // LO THRU 0 and 100 THRU HI.
  EXPECT_TRUE(f.QLMISS(2, -1e300));
  EXPECT_TRUE(f.QLMISS(2, 0));
  EXPECT_FALSE(f.QLMISS(2, SYSMIS));
  EXPECT_FALSE(f.QLMISS(2, 0.001));
  EXPECT_TRUE(f.QLMISS(3, std::numeric_limits<double>::max()));
  EXPECT_FALSE(f.QLMISS(3, 99.99));
  // Strings compare right-trimmed; the declared width keeps "s" a string.
  EXPECT_EQ(d.DICGET(4).width, 3);
  EXPECT_TRUE(f.QAMISS(4, std::string_view("NA")));
  EXPECT_TRUE(f.QAMISS(4, std::string_view("NA      ")));
  EXPECT_FALSE(f.QAMISS(4, std::string_view(" NA")));
}

// A numeric column keeps its type through the usual ways of writing missing
// data; anything else that is not a number makes it a string, loudly.
TEST(EngineActiveFile, CellReadingNotes) {
  DictionaryStore d;
  ActiveFile f(d);
  std::string err;
  ASSERT_TRUE(f.load_table(table({"q1", "q2", "name", "id"},
                                 {{"NA", "1", "Ann", "1"},
                                  {" n/a ", "inf", "Bob", "12345678901234567891"},
                                  {".", "3", "Cy", "9007199254740993"},
                                  {"NaN", "N/A", "Di", "9007199254740992"},
                                  {"4", "1,5", "Ed", "18014398509481984"}}),
                           "", "", err))
      << err;
  EXPECT_EQ(d.DICGET(1).width, 0);
  for (int row = 0; row < 4; ++row) EXPECT_EQ(f.number(1, row), SYSMIS) << row;
  EXPECT_EQ(f.number(1, 4), 4.0);
  EXPECT_GT(d.DICGET(2).width, 0);
  EXPECT_EQ(f.text(2, 3), "N/A");  // a string column keeps its cells as typed
  EXPECT_EQ(d.DICGET(4).width, 0);
  const auto& notes = f.read_notes();
  ASSERT_EQ(notes.size(), 3u);  // none for a column that holds no numbers at all
  EXPECT_EQ(notes[0].severity, 1);
  EXPECT_EQ(notes[0].params, (std::vector<std::string>{"q1", "4"}));
  EXPECT_EQ(notes[1].severity, 2);
  EXPECT_EQ(notes[1].params, (std::vector<std::string>{"q2", "3", "inf"}));  // line 3: the header is line 1
  EXPECT_EQ(notes[2].severity, 2);
  EXPECT_EQ(notes[2].params, (std::vector<std::string>{"id", "3", "12345678901234567891"}));

  // Whole numbers that are exact as doubles are no reason to warn.
  ASSERT_TRUE(f.load_table(table({"id"}, {{"9007199254740992"}, {"18014398509481984"}, {"-0001"}}), "", "", err));
  EXPECT_TRUE(f.read_notes().empty());
  EXPECT_EQ(f.number(1, 2), -1.0);

  // Beyond the range of doubles: an error naming line and variable, nothing replaced.
  EXPECT_FALSE(f.load_table(table({"a", "b"}, {{"1", "2"}, {"3", "-1e400"}}), "", "", err));
  EXPECT_NE(err.find("line 3, variable \"b\""), std::string::npos) << err;
  EXPECT_NE(err.find("-1e400"), std::string::npos) << err;
  EXPECT_EQ(f.rows(), 3);
  // ... unless the column is text anyway.
  ASSERT_TRUE(f.load_table(table({"a"}, {{"x"}, {"1e400"}}), "", "", err)) << err;
  EXPECT_EQ(f.text(1, 1), "1e400");
}

TEST(EngineActiveFile, SidecarFromFileAndBadSidecars) {
  TempDir tmp;
  DictionaryStore d;
  ActiveFile f(d);
  std::string err;
  const std::string csv = tmp.write("data.csv", "code,grp\n1,1\n2,2\n");
  tmp.write("data.csv.dict.json", R"({"variables":[
      {"name":"code","width":4,"label":"Code","value_labels":[["1","one"]],"missing":null},
      {"name":"grp","width":0,"label":"Group","value_labels":[[2,"two"],[1,"one"]]}]})");
  ASSERT_TRUE(f.load_csv(csv, err)) << err;
  EXPECT_EQ(d.DICGET(1).width, 4);  // declared string although the cells look numeric
  EXPECT_EQ(f.text(1, 1), "2");
  EXPECT_EQ(d.VRLABG(2), "Group");
  EXPECT_EQ(d.VLBLST(1, std::string_view("1")), "one");
  EXPECT_EQ(d.value_labels(2).front(), (std::pair<double, std::string>{1, "one"}));

  // Failed loads keep what was there.
  auto keeps = [&](const std::string& sidecar, const std::string& expect) {
    tmp.write("data.csv.dict.json", sidecar);
    EXPECT_FALSE(f.load_csv(csv, err)) << sidecar;
    EXPECT_NE(err.find(expect), std::string::npos) << err;
    EXPECT_EQ(d.size(), 2);
    EXPECT_EQ(d.DICGET(1).width, 4);
    EXPECT_EQ(f.rows(), 2);
  };
  keeps("{not json", "not a valid dictionary file");
  keeps(R"({"variables":[{"name":"other"}]})", "\"other\"");
  keeps(R"({"variables":[{"name":"grp","value_labels":[["x","y"]]}]})", "not a valid dictionary file");
  // Hand-edited fields the syntax could never have produced: the message names the field.
  keeps(R"({"variables":[{"name":"grp","missing":{"values":[1,2,3,4,5,6,7,8]}}]})", "field \"missing\" of variable \"grp\" gives 8 values");
  keeps(R"({"variables":[{"name":"grp","missing":{"values":[1],"range":[0,5]},"width":0},{"name":"code","missing":{"range":[5,1]}}]})",
        "field \"missing\" of variable \"code\" gives a range whose low end");
  keeps(R"({"variables":[{"name":"grp","width":-4}]})", "field \"width\" of variable \"grp\"");
  keeps(R"({"variables":[{"name":"grp","width":2.5}]})", "field \"width\"");
  keeps(R"({"variables":[{"name":"code","width":1,"missing":{"values":[9]}}]})", "gives numbers, but the variable is a string");
  keeps(R"({"variables":[{"name":"grp","missing":{"strings":["x"]}}]})", "gives strings, but the variable is numeric");
  tmp.write("data2.csv", "code\nabc\n");
  tmp.write("data2.csv.dict.json", R"({"variables":[{"name":"code","width":0}]})");
  EXPECT_FALSE(f.load_csv((tmp.dir / "data2.csv").string(), err));
  EXPECT_NE(err.find("line 2"), std::string::npos) << err;
  EXPECT_FALSE(f.load_csv((tmp.dir / "missing.csv").string(), err));
  EXPECT_EQ(d.size(), 2);
}

TEST(EngineActiveFile, GrowsWithDictionaryAndSplitOverride) {
  DictionaryStore d;
  ActiveFile f(d);
  std::string err;
  ASSERT_TRUE(f.load_table(table({"a", "b"}, {{"1", "2"}, {"3", "4"}, {"5", "6"}}), "", "", err));

  oscat::host::VarInfo v = d.DICCLR();
  v.name = "SAVED";
  const int idx = d.DICPUT(v);
  ASSERT_EQ(idx, 3);
  EXPECT_EQ(f.number(idx, 0), SYSMIS);
  f.set_value(idx, 2, 42);
  f.set_value(idx, 4, 1);  // beyond the file: ignored
  f.set_value(idx, 0, 1);
  EXPECT_EQ(f.number(idx, 0), SYSMIS);
  EXPECT_DOUBLE_EQ(f.number(idx, 1), 42);
  f.OBPINI();
  f.OBSERV();
  f.OBSERV();
  EXPECT_DOUBLE_EQ(f.value(idx), 42);

  ASSERT_TRUE(f.set_split({2, 1}));
  EXPECT_FALSE(f.set_split({7}));
  EXPECT_EQ(f.split_count(), 2);
  f.set_split_count(0);
  EXPECT_EQ(f.split_count(), 0);
  EXPECT_EQ(f.split_vars(), (std::vector<int>{2, 1}));
  f.set_split_count(2);
  EXPECT_EQ(f.split_count(), 2);

  // Someone else clears the dictionary: the data go with it.
  f.set_weight(1);
  d.clear();
  EXPECT_EQ(f.rows(), 0);
  EXPECT_EQ(f.XYBEG(), 0);
  EXPECT_EQ(f.weight_variable(), 0);
  EXPECT_EQ(f.split_count(), 0);
}

}  // namespace
