// Message handles, composite strings, the catalogue and reported messages.
#include <gtest/gtest.h>

#include <string>
#include <variant>
#include <vector>

#include "engine/catalogue.hpp"
#include "scoped_host.hpp"
#include "engine/engine.hpp"
#include "engine/messages.hpp"
#include "engine/session.hpp"

using namespace oscat;
using engine::fill_slots;

namespace {

std::vector<engine::Message> messages(const engine::Session& s) {
  std::vector<engine::Message> out;
  for (const auto& c : s.document().commands)
    for (const auto& item : c.items)
      if (auto* m = std::get_if<engine::Message>(&item)) out.push_back(*m);
  return out;
}

}  // namespace

TEST(EngineFillSlots, ScalarSlotsInOrderAndMissingOnesEmpty) {
  EXPECT_EQ(fill_slots("^1 - ^2", {"1", "4"}), "1 - 4");
  EXPECT_EQ(fill_slots("^2 before ^1", {"a", "b"}), "b before a");
  EXPECT_EQ(fill_slots("Dim ^1 of ^2", {"3"}), "Dim 3 of ");
  // Characters that only look like slots stay as written.
  EXPECT_EQ(fill_slots("a^b ^0 [x]1 [a:b]2", {"p"}), "a^b ^0 [x]1 [a:b]2");
}

TEST(EngineFillSlots, ListSlotWithZeroToThreeItems) {
  const char* p = "Var [%1:, ^1:, $1]1 zero variance.";
  EXPECT_EQ(fill_slots(p, {}), "Var  zero variance.");
  EXPECT_EQ(fill_slots(p, {"a"}), "Var a zero variance.");
  EXPECT_EQ(fill_slots(p, {"a", "b"}), "Var a, b zero variance.");
  EXPECT_EQ(fill_slots(p, {"a", "b", "c"}), "Var a, b, c zero variance.");
  // Empty first part: the first item takes the middle part.
  const char* q = "Excl. cases [:^1 :$1]1.";
  EXPECT_EQ(fill_slots(q, {"3", "4", "5"}), "Excl. cases 3 4 5.");
  EXPECT_EQ(fill_slots(q, {"7"}), "Excl. cases 7 .");
}

TEST(EngineFillSlots, ListBetweenScalarSlots) {
  const char* p = "^1: [%2: and ^2: or $2]2 (^3)";
  EXPECT_EQ(fill_slots(p, {"x", "a", "b", "c", "z"}), "x: a and b or c (z)");
  EXPECT_EQ(fill_slots(p, {"x", "z"}), "x:  (z)");
}

TEST(EngineCatalogue, NumberNormalisation) {
  using engine::Catalogue;
  EXPECT_EQ(Catalogue::normalise("E62907^1"), "62907");
  EXPECT_EQ(Catalogue::normalise("62907"), "62907");
  EXPECT_EQ(Catalogue::normalise("E60206"), "60206");
  EXPECT_EQ(Catalogue::normalise("E1^1^2"), "1");
  for (const char* k : {"Extra Category", "^1 - ^2", "E12x", "E", "12 ^1", "E62907^x"})
    EXPECT_EQ(Catalogue::normalise(k), k) << k;
}

TEST(EngineCatalogue, NumberedEntriesFoundInEveryForm) {
  // The numbered texts are the library's.
  engine::Engine e;
  testing_support::ScopedHost bound(e.host());
  host::register_messages();
  const auto& cat = e.messages().catalogue();
  int numbered = 0;
  for (const std::string& k : cat.keys()) {
    if (k.find_first_not_of("0123456789") != std::string::npos) continue;
    ++numbered;
    auto bare = cat.lookup(k);
    ASSERT_TRUE(bare) << k;
    EXPECT_EQ(cat.lookup("E" + k + "^1"), bare) << k;
    EXPECT_EQ(cat.lookup("E" + k), bare) << k;
  }
  if (numbered == 0) GTEST_SKIP() << "no numbered entries yet";
}

TEST(EngineCatalogue, HostTextsPresentAndFallbackToKey) {
  const engine::Catalogue cat;
  for (const char* k : {"Insufficient memory.", "Split File ignored.", "Procedure ^1 not available.",
                        "Variable ^1 not found.", "Credit", "Files Saved", "Contents", "Notes",
                        "Total", "Case Processing Summary", "Internal error in ^1: ^2."})
    EXPECT_TRUE(cat.lookup(k)) << k;
  EXPECT_FALSE(cat.lookup("No such key ^1 here"));
  EXPECT_EQ(cat.translate("No such key ^1 here"), "No such key ^1 here");
  // Every entry has text; a blank one would show nothing at all.
  for (const std::string& k : cat.keys()) EXPECT_FALSE(cat.translate(k).empty()) << k;
}

TEST(EngineMessageStore, CompositeTranslatesPatternAndKeepsParams) {
  engine::Session s;
  engine::MessageStore m(s);
  auto c = m.BP_BEGIN_COMPSTRING(m.BP_CSTRING("Variable ^1 not found."));
  m.BP_ADD_PARAMETER(c, m.BP_CSTRING_NO_TRANSLATE("age"));
  c = m.BP_END_COMPSTRING(c);
  engine::Text t = m.resolve(c);
  EXPECT_EQ(t.key, "Variable ^1 not found.");
  EXPECT_EQ(t.params, std::vector<std::string>{"age"});
  std::string expected = fill_slots(*m.catalogue().lookup("Variable ^1 not found."), {"age"});
  EXPECT_EQ(t.text, expected);
  EXPECT_NE(t.text.find("age"), std::string::npos);

  // A key without an entry reads as itself; literals are never translated.
  EXPECT_EQ(m.text(m.BP_CSTRING("ZZ untranslated key")), "ZZ untranslated key");
  EXPECT_EQ(m.text(m.BP_CSTRING_NO_TRANSLATE("Total")), "Total");
  EXPECT_TRUE(m.resolve(m.BP_CSTRING_NO_TRANSLATE("Total")).key.empty());
}

TEST(EngineMessageStore, NumericParametersCarryTheirFormat) {
  engine::Session s;
  engine::MessageStore m(s);
  auto c = m.BP_BEGIN_COMPSTRING(m.BP_CSTRING("ZZ [%1:, ^1:, $1]1 values"));
  m.BP_ADD_PARAMETER(c, m.BP_IVALUE(42));
  m.BP_ADD_PARAMETER(c, m.BP_LRVALUE(0.123456, host::BP_CORRELATION_FORMAT()));
  m.BP_ADD_PARAMETER(c, m.BP_LRVALUE(2.0 / 3.0, host::BP_FIXED_FORMAT(1)));
  m.BP_ADD_PARAMETER(c, m.BP_LRVALUE(host::SYSMIS));
  EXPECT_EQ(m.text(m.BP_END_COMPSTRING(c)), "ZZ 42, 0.123, 0.7, . values");
}

TEST(EngineMessageStore, SeverityThreeAloneSetsTheErrorFlag) {
  engine::Session s;
  engine::MessageStore m(s);
  m.BP_ERROR(m.BP_CSTRING("Split File ignored."), 2, 2);
  m.BP_ERROR(m.BP_CSTRING("ZZ a note"), 1, 1);
  EXPECT_FALSE(m.error_flag());
  EXPECT_EQ(s.errors(), 0);
  m.BP_ERROR(m.BP_CSTRING("Insufficient memory."), 3, 3);
  EXPECT_TRUE(m.error_flag());
  EXPECT_EQ(s.errors(), 1);
  auto ms = messages(s);
  ASSERT_EQ(ms.size(), 3u);
  EXPECT_EQ(ms[0].severity, 2);
  EXPECT_EQ(ms[0].text.key, "Split File ignored.");
  EXPECT_EQ(ms[2].cls, 3);
  EXPECT_EQ(ms[2].text.text, *m.catalogue().lookup("Insufficient memory."));
  m.clear_error_flag();
  EXPECT_FALSE(m.error_flag());
}

TEST(EngineMessageStore, NumberedErrorsAndTheirFallback) {
  engine::Session s;
  engine::MessageStore m(s);
  m.ERROR(99999, 2, 2, {"a", "b"});
  EXPECT_FALSE(m.error_flag());
  m.ERROR(99998, 2, 3);
  EXPECT_TRUE(m.error_flag());
  auto ms = messages(s);
  ASSERT_EQ(ms.size(), 2u);
  EXPECT_EQ(ms[0].number, 99999);
  EXPECT_EQ(ms[0].text.key, "99999");
  EXPECT_EQ(ms[0].text.text, "Message 99999: a, b");
  EXPECT_EQ(ms[1].text.text, "Message 99998");
  EXPECT_EQ(s.errors(), 1);
}

TEST(EngineMessageStore, AssertReportsInternalError) {
  engine::Session s;
  engine::MessageStore m(s);
  m.ASSERT(true, "CP2PLT", "ndim2 .ge. ndim1");
  EXPECT_TRUE(messages(s).empty());
  EXPECT_FALSE(m.error_flag());
  m.ASSERT(false, "CP2PLT", "ndim2 .ge. ndim1");
  auto ms = messages(s);
  ASSERT_EQ(ms.size(), 1u);
  EXPECT_EQ(ms[0].severity, 3);
  EXPECT_EQ(ms[0].cls, 2);
  EXPECT_EQ(ms[0].text.key, "Internal error in ^1: ^2.");
  EXPECT_EQ(ms[0].text.params, (std::vector<std::string>{"CP2PLT", "ndim2 .ge. ndim1"}));
  EXPECT_NE(ms[0].text.text.find("ndim2 .ge. ndim1"), std::string::npos);
  EXPECT_TRUE(m.error_flag());
}

TEST(EngineMessageStore, StaleAndBadHandlesAreInternalErrorsNotCrashes) {
  engine::Session s;
  engine::MessageStore m(s);
  auto h = m.BP_CSTRING("Total");
  m.reset();
  EXPECT_EQ(m.handle_count(), 0u);
  EXPECT_EQ(m.text(h), "");
  EXPECT_EQ(m.text(0), "");
  m.BP_ERROR(h, 2, 2);  // stale after reset
  m.BP_ADD_PARAMETER(m.BP_CSTRING("x"), m.BP_CSTRING("y"));  // not a composite
  auto ms = messages(s);
  ASSERT_EQ(ms.size(), 2u);
  EXPECT_EQ(ms[0].text.key, "Internal error in ^1: ^2.");
  EXPECT_EQ(ms[0].text.params[0], "BP_ERROR");
  EXPECT_EQ(ms[1].text.params[0], "BP_ADD_PARAMETER");

  // A composite that contains itself must still resolve.
  auto c = m.BP_BEGIN_COMPSTRING(m.BP_CSTRING("ZZ <^1>"));
  m.BP_ADD_PARAMETER(c, c);
  EXPECT_EQ(m.text(c).substr(0, 4), "ZZ <");
}
