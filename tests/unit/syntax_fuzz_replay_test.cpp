// Replays every kept fuzz input through the scan and the parsers.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

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
