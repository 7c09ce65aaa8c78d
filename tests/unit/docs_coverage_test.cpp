// The command reference in docs/ names every subcommand the parsers accept and
// every host command, and each page carries the synopsis `oscat help` embeds.
#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>

#include "anacor/anacor.hpp"
#include "corres/corres.hpp"
#include "engine/host_commands.hpp"
#include "homals/homals.hpp"
#include "overals/overals.hpp"
#include "princals/princals.hpp"
#include "syntax/settings.hpp"

namespace fs = std::filesystem;

namespace {

std::string page(const std::string& name) {
  std::ifstream in(fs::path(OSCAT_SOURCE_DIR) / "docs" / name);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

// The upper-case words of a page: keywords are written in full there, the
// tables hold them as matched (up to eight letters).
std::set<std::string> words(const std::string& text) {
  std::set<std::string> out;
  std::string w;
  for (char ch : text + " ") {
    if (std::isupper(static_cast<unsigned char>(ch))) {
      w += ch;
    } else {
      if (!w.empty()) out.insert(w);
      w.clear();
    }
  }
  return out;
}

bool names(const std::set<std::string>& ws, std::string keyword) {
  // A blank-padded field such as "MATRIX O" (MATRIX OUT) is named by its
  // first word.
  keyword = keyword.substr(0, keyword.find(' '));
  for (const auto& w : ws)
    if (w.rfind(keyword, 0) == 0) return true;
  return false;
}

void expect_covered(const std::string& file, oscat::host::KeywordTable table) {
  const std::string text = page(file);
  ASSERT_FALSE(text.empty()) << file;
  const auto ws = words(text);
  for (const char* k : table) {
    if (*k == 0) continue;
    // A field with a blank ("MATRIX O") is matched up to the blank.
    const std::string word = std::string(k).substr(0, std::string(k).find(' '));
    EXPECT_TRUE(names(ws, word)) << file << " does not name the subcommand " << k;
  }
}

}  // namespace

TEST(Docs, EveryParsedSubcommandIsOnItsPage) {
  using oscat::syntax::ProcedureKind;
  expect_covered("catpca.md", oscat::syntax::subcommand_table(ProcedureKind::Catpca));
  expect_covered("multiple-correspondence.md", oscat::syntax::subcommand_table(ProcedureKind::Mcorresp));
  expect_covered("catreg.md", oscat::syntax::subcommand_table(ProcedureKind::Catreg));
  expect_covered("correspondence.md", oscat::corres::subcommand_keywords());
  expect_covered("anacor.md", oscat::anacor::subcommand_keywords());
  expect_covered("homals.md", oscat::homals::subcommand_keywords());
  expect_covered("overals.md", oscat::overals::subcommand_keywords());
  expect_covered("princals.md", oscat::princals::subcommand_keywords());
}

TEST(Docs, EveryHostCommandIsOnTheHostPage) {
  const std::string text = page("host-commands.md");
  for (const auto& c : oscat::engine::host_commands())
    EXPECT_NE(text.find("`" + c.name), std::string::npos) << c.name;
}

TEST(Docs, EachPageHasASynopsisStartingWithItsCommand) {
  for (const char* file : {"catpca.md", "multiple-correspondence.md", "catreg.md", "correspondence.md", "anacor.md",
                           "homals.md", "overals.md", "princals.md"}) {
    const std::string text = page(file);
    const auto title_end = text.find('\n');
    ASSERT_EQ(text.rfind("# ", 0), 0u) << file;
    const std::string title = text.substr(2, title_end - 2);
    const auto from = text.find("<!-- synopsis -->");
    const auto to = text.find("<!-- /synopsis -->");
    ASSERT_NE(from, std::string::npos) << file;
    ASSERT_LT(from, to) << file;
    const auto body = text.find("```\n", from);
    ASSERT_LT(body, to) << file;
    EXPECT_EQ(text.compare(body + 4, title.size(), title), 0) << file << " synopsis does not start with " << title;
  }
}
