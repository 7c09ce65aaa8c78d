// Every message key written in the procedures' sources has an English text in
// the catalogue, so no user ever sees a raw key.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>

#include "engine/catalogue.hpp"

namespace fs = std::filesystem;

namespace {

std::set<std::string> literal_keys() {
  // Keys carry a procedure prefix; fragments that a routine completes at run
  // time ("CPR vari" + " NoKais ^1") are not whole keys and end without a slot
  // or full stop.
  static const char* const prefixes[] = {"\"CPR ", "\"CRG ", "\"MCOR ", "\"ZYL ", "\"CP "};
  std::set<std::string> keys;
  for (const auto& e : fs::recursive_directory_iterator(fs::path(OSCAT_SOURCE_DIR) / "src")) {
    const auto ext = e.path().extension();
    if (ext != ".cpp" && ext != ".hpp") continue;
    std::ifstream in(e.path());
    std::stringstream ss;
    ss << in.rdbuf();
    const std::string text = ss.str();
    for (const char* p : prefixes) {
      for (auto at = text.find(p); at != std::string::npos; at = text.find(p, at + 1)) {
        const auto close = text.find('"', at + 1);
        if (close == std::string::npos) break;
        const std::string k = text.substr(at + 1, close - at - 1);
        if (k.find('\n') != std::string::npos) continue;
        const char last = k.back();
        if (last == '.' || k.find('^') != std::string::npos || k.find(' ') != k.rfind(' ')) keys.insert(k);
      }
    }
  }
  return keys;
}

}  // namespace

TEST(Catalogue, EveryProcedureKeyHasAText) {
  const auto keys = literal_keys();
  ASSERT_GT(keys.size(), 100u);  // the scan found the sources
  const oscat::engine::Catalogue cat;
  std::vector<std::string> missing;
  for (const auto& k : keys) {
    if (!cat.lookup(k)) missing.push_back(k);
  }
  std::string list;
  for (const auto& k : missing) list += "\n  " + k;
  EXPECT_TRUE(missing.empty()) << "keys without a catalogue text:" << list;
}
