// The library's message tables reach the host's catalogue through the Messages
// service, and every message key written in the procedures' sources has an
// English text there, so no user ever sees a raw key.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>

#include "engine/catalogue.hpp"
#include "scoped_host.hpp"
#include "engine/engine.hpp"
#include "host/host.hpp"

namespace fs = std::filesystem;

namespace {

std::set<std::string> literal_keys() {
  // Keys carry a procedure prefix; fragments that a routine completes at run
  // time ("CPR vari" + " NoKais ^1") are not whole keys and end without a slot
  // or full stop.
  static const char* const prefixes[] = {"\"CPR ", "\"CRG ", "\"MCOR ", "\"ZYL ", "\"CP ", "\"HOM ", "\"OVR ", "\"PRI "};
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

TEST(Catalogue, TablesAddedThroughTheHostInterface) {
  oscat::engine::Engine e;
  oscat::host::Messages& msg = e.host().msg;
  const std::string host_text = msg.text(msg.BP_CSTRING("Insufficient memory."));
  ASSERT_NE(host_text, "Insufficient memory.");
  EXPECT_EQ(msg.text(msg.BP_CSTRING("ZZ Key ^1.")), "ZZ Key ^1.");

  const oscat::host::CatalogueEntry table[] = {
      {"ZZ Key ^1.", "Text of ^1."}, {"E99999^1", "Numbered ^1."}, {"Insufficient memory.", "Replaced."},
      {"ZZ Key ^1.", "Second text."}};
  msg.add_catalogue(table);
  EXPECT_EQ(msg.text(msg.BP_CSTRING("ZZ Key ^1.")), "Text of ^1.");
  EXPECT_EQ(msg.text(msg.CX_NSTRING("99999")), "Numbered ^1.");
  EXPECT_EQ(msg.text(msg.CX_NSTRING("E99999")), "Numbered ^1.");
  // A key keeps the first text it was given, the host's own included.
  EXPECT_EQ(msg.text(msg.BP_CSTRING("Insufficient memory.")), host_text);
}

TEST(Catalogue, LibraryKeysTranslatedOnlyOnceRegistered) {
  oscat::engine::Engine e;
  oscat::testing_support::ScopedHost bound(e.host());
  auto& m = e.messages();
  const oscat::host::Msg key = m.BP_CSTRING("CPR Var ^1 zero variance.");
  const oscat::host::Msg number = m.CX_NSTRING("E64040^1");
  EXPECT_EQ(m.text(key), "CPR Var ^1 zero variance.");
  EXPECT_EQ(m.text(number), "E64040^1");
  const std::size_t host_keys = m.catalogue().keys().size();

  oscat::host::register_messages();
  EXPECT_NE(m.text(key), "CPR Var ^1 zero variance.");
  EXPECT_NE(m.text(number), "E64040^1");
  const auto keys = m.catalogue().keys();
  EXPECT_GT(keys.size(), host_keys);
  for (const auto& k : keys) EXPECT_FALSE(m.catalogue().translate(k).empty()) << k;
  // Registering again (a second load notification) changes nothing.
  const std::string text = m.text(key);
  oscat::host::register_messages();
  EXPECT_EQ(m.catalogue().keys().size(), keys.size());
  EXPECT_EQ(m.text(key), text);
}

TEST(Catalogue, EveryProcedureKeyHasAText) {
  const auto keys = literal_keys();
  ASSERT_GT(keys.size(), 100u);  // the scan found the sources
  oscat::engine::Engine e;
  oscat::testing_support::ScopedHost bound(e.host());
  oscat::host::register_messages();
  const auto& cat = e.messages().catalogue();
  std::vector<std::string> missing;
  for (const auto& k : keys) {
    if (!cat.lookup(k)) missing.push_back(k);
  }
  std::string list;
  for (const auto& k : missing) list += "\n  " + k;
  EXPECT_TRUE(missing.empty()) << "keys without a catalogue text:" << list;
}
