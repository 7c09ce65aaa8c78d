// Replays every kept fuzz input through the scan and the parsers.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <cstring>
#include <sstream>

#include "fuzz/csv_fuzz_body.hpp"
#include "fuzz/syntax_fuzz_body.hpp"

TEST(SyntaxFuzzCorpus, EveryKeptInputParsesWithoutCrash) {
  namespace fs = std::filesystem;
  fs::path dir = fs::path(OSCAT_SOURCE_DIR) / "tests" / "fuzz" / "corpus";
  int n = 0;
  if (fs::exists(dir))
    for (auto& f : fs::directory_iterator(dir)) {
      if (!f.is_regular_file()) continue;
      std::ifstream in(f.path(), std::ios::binary);
      std::stringstream ss;
      ss << in.rdbuf();
      std::string data = ss.str();
      if (data.empty()) continue;
      for (int which = 0; which < 3; ++which) syntax_fuzz::parse_body(which, data.substr(1));
      syntax_fuzz::run_host_syntax(data.substr(1));
      for (int which = 0; which < 4; ++which) syntax_fuzz::run_older(which, data.substr(1));
      ++n;
    }
  // The inputs written by hand below are always replayed too.
  for (const char* body : {"", "/", "//", "a b /ANALYSIS a b (", "VARIABLES = a TO", "( ) = ,",
                           "a b /PLOT NDIM(", "a b /ANALYSIS a b /SAVE TRDATA(", "a b /OUTFILE (",
                           "a b c /ANALYSIS a WITH b /REGULARIZATION ENET (1 2"}) {
    for (int which = 0; which < 3; ++which) syntax_fuzz::parse_body(which, body);
    ++n;
  }
  std::remove("fuzz_older.csv");
  EXPECT_GT(n, 0);
}

// Whole commands of the older procedures, written by hand: damaged lists,
// settings at their limits, and data the analyses must refuse.
TEST(SyntaxFuzzCorpus, OlderProceduresWithoutCrash) {
  const char* const bodies[] = {
      "", "VARIABLES", "VARIABLES=a(", "VARIABLES=a(3) b(3) /ANALYSIS=a(", "VARIABLES=a(3) b(3) /ANALYSIS=a b(MNOMINAL",
      "VARIABLES=a(3) b(3) c(3) /ANALYSIS=a b c /SETS=3(1,1,1) /DIMENSION=99",
      "VARIABLES=a(3) b(3) /ANALYSIS=a(NUMERICAL) b(NUMERICAL) /SETS=2(1,1) /PLOT=NDIM(2,1)",
      "VARIABLES=a(3) b(3) /ANALYSIS=a b /SETS=2(1 /PLOT=TRANS(a b) NDIM(1,MAX)",
      "VARIABLES=a(9999) b(1) /DIMENSION=5 /PLOT=ALL NDIM(1,MAX) /SAVE=x(9)", "VARIABLES=s(3) a(2) /PRINT=ALL",
      "VARIABLES=d(3) e(2) /ANALYSIS=d e(SNOMINAL) /PRINT=ALL /PLOT=ALL /MATRIX=OUT(*)",
      "TABLE=a(1,3) BY b(1,3) /PLOT=NDIM(ALL,MAX)", "TABLE=ALL(3,3"};
  int n = 0;
  for (const char* body : bodies)
    for (int which = 0; which < 4; ++which) {
      syntax_fuzz::run_older(which, body);
      ++n;
    }
  std::remove("fuzz_older.csv");
  EXPECT_EQ(n, 4 * static_cast<int>(std::size(bodies)));
}

// Host commands and damaged CSV files, by hand and as kept by the CSV fuzzer.
TEST(SyntaxFuzzCorpus, HostCommandsAndCsvInputsWithoutCrash) {
  namespace fs = std::filesystem;
  for (const char* body : {"MISSING VALUES a TO s (9).", "MISSING VALUES a (LO THRU HI, 1).", "VALUE LABELS s 'x' 'y' / a 1.",
                           "WEIGHT BY s.", "WEIGHT BY w.\nSAVE OUTFILE='fuzz_saved.csv'.\nGET DATA /TYPE=CSV /FILE='fuzz_saved.csv'.",
                           "GET DATA /TYPE=CSV /FILE=''.", "SAVE OUTFILE='/tmp/never'.", "SET WORKSPACE=0."})
    syntax_fuzz::run_host_syntax(body);
  fs::remove("fuzz_saved.csv");
  fs::remove("fuzz_saved.csv.dict.json");
  int n = 0;
  for (const char* csv : {"\x00a,b\n1,NA\n2,1e400\n", "\x00a\n\"1\n", "\x00\xff\xfe,b\n1,2\n", "\x00a,b\n1,2,3\n",
                          "\x01{\"variables\":[{\"name\":\"a\",\"width\":-1}]}", "\x01{\"variables\":7}", "\x01[]"}) {
    csv_fuzz::read_input(csv[0] == 0 ? std::string_view(csv, 1 + std::strlen(csv + 1)) : std::string_view(csv));
    ++n;
  }
  const fs::path dir = fs::path(OSCAT_SOURCE_DIR) / "tests" / "fuzz" / "corpus_csv";
  if (fs::exists(dir))
    for (auto& f : fs::directory_iterator(dir)) {
      std::ifstream in(f.path(), std::ios::binary);
      std::stringstream ss;
      ss << in.rdbuf();
      csv_fuzz::read_input(ss.str());
      ++n;
    }
  fs::remove("fuzz_data.csv");
  EXPECT_GT(n, 0);
}
