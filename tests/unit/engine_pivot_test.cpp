// Pivot-table and listing builders.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <variant>
#include <vector>

#include "engine/dictionary.hpp"
#include "engine/listing.hpp"
#include "engine/messages.hpp"
#include "engine/pivot.hpp"
#include "engine/session.hpp"

using namespace oscat;
using host::Axis;
using host::CellRef;

namespace {

struct Fixture {
  engine::Session s;
  engine::DictionaryStore dict;
  engine::MessageStore msg{s};
  engine::PivotBuilder pv{s, msg, dict};
  Fixture() {
    s.begin_command("TEST", "TEST.");
    int region = dict.add_variable("region", 0);
    dict.set_label(region, "Region of sale");
    dict.set_value_label(region, 1, "North");
    int code = dict.add_variable("code", 3);
    dict.set_string_value_label(code, "AB", "Alpha Beta");
  }
  host::Msg key(const char* k) { return msg.BP_CSTRING(k); }
  host::Msg lit(const char* t) { return msg.BP_CSTRING_NO_TRANSLATE(t); }
  const std::vector<engine::Item>& items() { return s.current().items; }
  std::vector<engine::Message> messages() {
    std::vector<engine::Message> out;
    for (const auto& i : items())
      if (auto* m = std::get_if<engine::Message>(&i)) out.push_back(*m);
    return out;
  }
};

}  // namespace

TEST(EnginePivot, FootnoteMarkers) {
  EXPECT_EQ(engine::footnote_marker(0), "a");
  EXPECT_EQ(engine::footnote_marker(25), "z");
  EXPECT_EQ(engine::footnote_marker(26), "aa");
  EXPECT_EQ(engine::footnote_marker(27), "ab");
  EXPECT_EQ(engine::footnote_marker(26 + 26 * 26 - 1), "zz");
  EXPECT_EQ(engine::footnote_marker(26 + 26 * 26), "aaa");
}

TEST(EnginePivot, RichTableWithGroupsLayerFootnotesAndMissingCell) {
  Fixture f;
  auto& pv = f.pv;
  pv.BP_PROCEDURE("Tester");
  pv.BP_TABLE_ID(3);
  pv.BP_TABLE_ID(4);
  pv.BP_END_TABLE_IDS();
  pv.BP_BEGIN_HEADING(f.key("Descriptive Statistics"));
  EXPECT_GT(pv.BP_BEGIN_PIVOT_TABLE(f.key("Summary"), 4), 0);

  int rows = pv.BP_CATEGORY_DIMENSION(pv.BP_VARINDEX(1), Axis::Row);
  int cols = pv.BP_CELL_DIMENSION(f.key("Statistics"), Axis::Column);
  int layer = pv.BP_POSITION_DIMENSION(f.key("Dimension"), Axis::Layer);
  EXPECT_EQ(rows, 0);
  EXPECT_EQ(cols, 1);
  EXPECT_EQ(layer, 2);
  pv.BP_HIDE_DIMENSION_LABEL(layer);

  pv.BP_BEGIN_GROUP(rows, f.key("Valid"));
  pv.BP_BEGIN_GROUP(rows, f.lit("Inner"));
  int north = pv.BP_CELL_IN_CATEGORY(rows, pv.BP_VARVALUE(1, 1.0));
  int two = pv.BP_CELL_IN_CATEGORY(rows, pv.BP_VARVALUE(1, 2.0));
  pv.BP_END_GROUP(rows);
  int total = pv.BP_CELL_IN_CATEGORY(rows, f.key("Total"));
  pv.BP_END_GROUP(rows);
  int ab = pv.BP_CELL_IN_CATEGORY(rows, pv.BP_VARVALUE(2, "AB"));
  int xy = pv.BP_CELL_IN_CATEGORY(rows, pv.BP_VARVALUE(2, "XY"));
  EXPECT_EQ(std::vector<int>({north, two, total, ab, xy}), std::vector<int>({0, 1, 2, 3, 4}));

  int freq = pv.BP_CELL_IN_CATEGORY(cols, f.key("Frequency"));
  int pct = pv.BP_CELL_IN_CATEGORY(cols, f.key("Percent"));
  int d1 = pv.BP_CELL_IN_CATEGORY(layer, f.msg.BP_IVALUE(1));
  int d2 = pv.BP_CELL_IN_CATEGORY(layer, f.msg.BP_IVALUE(2));

  pv.BP_SET_VALUE(CellRef{{north, freq, d1}}, 12, host::BP_N_FORMAT());
  pv.BP_SET_VALUE(CellRef{{north, pct, d2}}, host::SYSMIS, host::BP_CORRELATION_FORMAT());
  pv.BP_SET_TEXT(CellRef{{total, pct, d1}}, f.lit("n/a"));
  pv.BP_ANNOTATE(f.key("ZZ title note"));
  pv.BP_ANNOTATE_CATEGORY(rows, north, f.key("ZZ category note"));
  pv.BP_ANNOTATE_CELL(CellRef{{north, freq, d1}}, f.key("ZZ title note"));  // reused: same marker
  pv.BP_ANNOTATE_CELL(CellRef{{north, freq, d1}}, f.key("ZZ cell note"));
  pv.BP_DATA_COL_MIN_MAX_WIDTH(10, 40);
  pv.BP_END_PIVOT_TABLE();
  pv.BP_END_HEADING();
  pv.BP_END_PROCEDURE();

  EXPECT_TRUE(f.messages().empty());
  EXPECT_FALSE(f.msg.error_flag());
  EXPECT_EQ(f.s.current().procedure_title, "Tester");
  EXPECT_EQ(pv.table_ids(), std::vector<int>({3, 4}));
  EXPECT_TRUE(pv.table_ids_ended());

  ASSERT_EQ(f.items().size(), 1u);
  auto* h = std::get_if<std::shared_ptr<engine::Heading>>(&f.items()[0]);
  ASSERT_TRUE(h);
  EXPECT_EQ((*h)->title.key, "Descriptive Statistics");
  ASSERT_EQ((*h)->items.size(), 1u);
  auto* t = std::get_if<engine::Table>(&(*h)->items[0]);
  ASSERT_TRUE(t);
  EXPECT_EQ(t->table_id, 4);
  EXPECT_EQ(t->title.key, "Summary");
  EXPECT_EQ(t->name.key, "Summary");
  EXPECT_EQ(t->min_width, 10);
  EXPECT_EQ(t->max_width, 40);

  ASSERT_EQ(t->dims.size(), 3u);
  const auto& r = t->dims[0];
  EXPECT_EQ(r.label.text, "Region of sale");
  EXPECT_EQ(r.axis, Axis::Row);
  EXPECT_EQ(t->dims[1].axis, Axis::Column);
  EXPECT_EQ(t->dims[2].axis, Axis::Layer);
  EXPECT_TRUE(t->dims[2].label_hidden);
  EXPECT_FALSE(r.label_hidden);
  // Value labels where they exist, else the value itself.
  ASSERT_EQ(r.leaves.size(), 5u);
  EXPECT_EQ(r.leaves[0].label.text, "North");
  EXPECT_EQ(r.leaves[1].label.text, "2");
  EXPECT_EQ(r.leaves[3].label.text, "Alpha Beta");
  EXPECT_EQ(r.leaves[4].label.text, "XY");
  // Tree: Valid{ Inner{North, 2}, Total }, AB, XY.
  ASSERT_EQ(r.tree.size(), 3u);
  const auto& valid = r.tree[0];
  EXPECT_TRUE(valid.is_group);
  EXPECT_EQ(valid.label.key, "Valid");
  ASSERT_EQ(valid.children.size(), 2u);
  EXPECT_TRUE(valid.children[0].is_group);
  ASSERT_EQ(valid.children[0].children.size(), 2u);
  EXPECT_EQ(valid.children[0].children[1].leaf, two);
  EXPECT_EQ(valid.children[1].leaf, total);
  EXPECT_FALSE(r.tree[2].is_group);
  EXPECT_EQ(r.tree[2].leaf, xy);

  // Footnotes: markers in order of first use, shared by equal texts.
  ASSERT_EQ(t->footnotes.size(), 3u);
  EXPECT_EQ(t->footnotes[0].marker, "a");
  EXPECT_EQ(t->footnotes[0].text.key, "ZZ title note");
  EXPECT_EQ(t->footnotes[1].marker, "b");
  EXPECT_EQ(t->footnotes[2].text.key, "ZZ cell note");
  EXPECT_EQ(t->title_footnotes, std::vector<int>({0}));
  EXPECT_EQ(r.leaves[0].footnotes, std::vector<int>({1}));

  ASSERT_EQ(t->cells.size(), 3u);
  const auto& c1 = t->cells.at({north, freq, d1});
  EXPECT_EQ(c1.value, 12.0);
  EXPECT_EQ(c1.format.kind, host::Fmt::Count);
  EXPECT_EQ(c1.footnotes, std::vector<int>({0, 2}));
  const auto& c2 = t->cells.at({north, pct, d2});
  EXPECT_FALSE(c2.value.has_value());
  EXPECT_FALSE(c2.text.has_value());
  const auto& c3 = t->cells.at({total, pct, d1});
  ASSERT_TRUE(c3.text.has_value());
  EXPECT_EQ(c3.text->text, "n/a");
}

TEST(EnginePivot, BadCellReferencesAreInternalErrors) {
  Fixture f;
  auto& pv = f.pv;
  pv.BP_SET_VALUE(CellRef{{0}}, 1, host::BP_N_FORMAT());  // no table open
  pv.BP_BEGIN_PIVOT_TABLE(f.key("Summary"), 4);
  int rows = pv.BP_CATEGORY_DIMENSION(f.key("Rows"), Axis::Row);
  int cols = pv.BP_CELL_DIMENSION(f.key("Cols"), Axis::Column);
  int r0 = pv.BP_CELL_IN_CATEGORY(rows, f.lit("r0"));
  int c0 = pv.BP_CELL_IN_CATEGORY(cols, f.lit("c0"));
  pv.BP_SET_VALUE(CellRef{{r0}}, 1, host::BP_N_FORMAT());            // too few
  pv.BP_SET_VALUE(CellRef{{r0, c0, 0}}, 1, host::BP_N_FORMAT());     // too many
  pv.BP_SET_VALUE(CellRef{{r0, 1}}, 1, host::BP_N_FORMAT());         // past the end
  pv.BP_SET_TEXT(CellRef{{-1, c0}}, f.lit("x"));                     // negative
  pv.BP_ANNOTATE_CELL(CellRef{{5, 5}}, f.key("ZZ note"));
  pv.BP_ANNOTATE_CATEGORY(rows, 7, f.key("ZZ note"));
  pv.BP_ANNOTATE_CATEGORY(9, 0, f.key("ZZ note"));
  EXPECT_EQ(pv.BP_CELL_IN_CATEGORY(4, f.lit("nowhere")), -1);
  pv.BP_END_GROUP(rows);                                             // none open
  pv.BP_SET_VALUE(CellRef{{r0, c0}}, 2.5, host::BP_GENSTAT_FORMAT());
  pv.BP_END_PIVOT_TABLE();

  auto ms = f.messages();
  ASSERT_EQ(ms.size(), 10u);
  for (const auto& m : ms) {
    EXPECT_EQ(m.text.key, "Internal error in ^1: ^2.");
    EXPECT_EQ(m.severity, 3);
  }
  EXPECT_EQ(ms[0].text.params[0], "BP_SET_VALUE");
  EXPECT_TRUE(f.msg.error_flag());
  // The valid part of the table is still emitted, and only it.
  const engine::Table* t = nullptr;
  for (const auto& i : f.items())
    if (auto* p = std::get_if<engine::Table>(&i)) t = p;
  ASSERT_TRUE(t);
  ASSERT_EQ(t->cells.size(), 1u);
  EXPECT_EQ(t->cells.begin()->second.value, 2.5);
  EXPECT_TRUE(t->footnotes.empty());
}

TEST(EnginePivot, UnfinishedTablesAreAbandonedAndReported) {
  Fixture f;
  auto& pv = f.pv;
  pv.BP_PROCEDURE("Tester");
  pv.BP_BEGIN_PIVOT_TABLE(f.key("First"), 1);
  pv.BP_BEGIN_PIVOT_TABLE(f.key("Second"), 2);  // first never ended
  pv.BP_END_PIVOT_TABLE();
  pv.BP_BEGIN_PIVOT_TABLE(f.key("Third"), 3);
  pv.BP_ABANDON_PIVOT_TABLE();
  pv.BP_BEGIN_PIVOT_TABLE(f.key("Fourth"), 4);
  pv.BP_BEGIN_HEADING(f.key("Open heading"));
  pv.BP_END_PROCEDURE();  // closes the table and the heading
  pv.BP_END_HEADING();    // nothing left open: reported

  std::vector<std::string> tables;
  int internal = 0;
  for (const auto& i : f.items()) {
    if (auto* t = std::get_if<engine::Table>(&i)) tables.push_back(t->title.key);
    if (auto* m = std::get_if<engine::Message>(&i)) internal += m->text.key == "Internal error in ^1: ^2.";
  }
  EXPECT_EQ(tables, std::vector<std::string>({"Second"}));
  EXPECT_EQ(internal, 3);
  EXPECT_FALSE(pv.table_open());
  // A later item goes to the command, not into the closed heading.
  f.msg.BP_ERROR(f.key("Split File ignored."), 2, 2);
  EXPECT_TRUE(std::holds_alternative<engine::Message>(f.items().back()));
}

TEST(EnginePivot, NotesAndVariableLabels) {
  Fixture f;
  f.pv.add_note(f.key("Files Saved"), f.key("Contents"), f.lit("/tmp/out.csv"));
  ASSERT_EQ(f.s.current().notes.size(), 1u);
  EXPECT_EQ(f.s.current().notes[0].group.key, "Files Saved");
  EXPECT_EQ(f.s.current().notes[0].contents.text, "/tmp/out.csv");
  EXPECT_EQ(f.msg.text(f.pv.BP_VARIABLE(1)), "Region of sale");
  EXPECT_EQ(f.msg.text(f.pv.BP_VARIABLE(2)), "code");  // no label: the name
  EXPECT_EQ(f.msg.text(f.pv.BP_VARVALUE(1, 2.5)), "2.500");
  EXPECT_EQ(f.msg.text(f.pv.BP_VARVALUE(1, -3.0)), "-3");
  EXPECT_TRUE(f.messages().empty());
  f.pv.BP_VARIABLE(3);  // no such variable
  EXPECT_EQ(f.messages().size(), 1u);
}

TEST(EngineListing, BlocksLinesAndPages) {
  engine::Session s;
  s.begin_command("PRINCALS", "PRINCALS.");
  engine::ListingBuilder l(s);
  engine::MessageStore msg(s);
  EXPECT_EQ(l.LINECT(), 0);
  l.PUTTAB("Iteration history");
  l.PRTLNC("  1   0.5    ");
  l.PUTSKP(2);
  l.PRTLNC("two\nlines");
  EXPECT_EQ(l.LINECT(), 5);
  EXPECT_TRUE(l.LINECK(1000000));
  l.PUTCPG();
  EXPECT_EQ(l.LINECT(), 0);
  l.PRTLNC("page 2");
  msg.BP_ERROR(msg.BP_CSTRING("ZZ warning"), 2, 2);
  l.PRTLNC("after the warning");  // a new block keeps the output order
  l.PUTSKP(-4);
  l.PUTSKP(1 << 30);
  EXPECT_EQ(l.LINECT(), 1 + engine::ListingBuilder::kMaxSkip);

  const auto& items = s.current().items;
  ASSERT_EQ(items.size(), 4u);
  const auto& b1 = std::get<engine::TextBlock>(items[0]);
  EXPECT_EQ(b1.title.text, "Iteration history");
  EXPECT_EQ(b1.lines, std::vector<std::string>({"  1   0.5", "", "", "two", "lines"}));
  EXPECT_EQ(std::get<engine::TextBlock>(items[1]).lines, std::vector<std::string>({"page 2"}));
  EXPECT_TRUE(std::holds_alternative<engine::Message>(items[2]));
  EXPECT_EQ(std::get<engine::TextBlock>(items[3]).lines.front(), "after the warning");

  // Inside a heading the block goes under the heading.
  l.reset();
  s.push_heading(engine::Text{{}, "H", {}});
  l.PRTLNC("in heading");
  l.PRTLNC("still");
  s.pop_heading();
  ASSERT_EQ(items.size(), 5u);
  auto h = std::get<std::shared_ptr<engine::Heading>>(items[4]);
  ASSERT_EQ(h->items.size(), 1u);
  EXPECT_EQ(std::get<engine::TextBlock>(h->items[0]).lines.size(), 2u);
}
