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
      ++n;
    }
  // The inputs written by hand below are always replayed too.
  for (const char* body : {"", "/", "//", "a b /ANALYSIS a b (", "VARIABLES = a TO", "( ) = ,",
                           "a b /PLOT NDIM(", "a b /ANALYSIS a b /SAVE TRDATA(", "a b /OUTFILE (",
                           "a b c /ANALYSIS a WITH b /REGULARIZATION ENET (1 2"}) {
    for (int which = 0; which < 3; ++which) syntax_fuzz::parse_body(which, body);
    ++n;
  }
  EXPECT_GT(n, 0);
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
