// Text reports that fit a width: the panel split of wide tables, SET WIDTH,
// and the streamed writers giving what the string ones give.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include "engine/engine.hpp"
#include "engine/format.hpp"
#include "engine/render_html.hpp"
#include "engine/render_json.hpp"
#include "engine/render_text.hpp"

namespace {

using namespace oscat::engine;
namespace host = oscat::host;

Text T(std::string s) { return Text{"", std::move(s), {}}; }
DimNode leaf(const std::string& label, int id) { return DimNode{T(label), false, id, {}}; }
DimNode group(const std::string& label, std::vector<DimNode> ch) { return DimNode{T(label), true, -1, std::move(ch)}; }

std::vector<std::string> lines_of(const std::string& s) {
  std::vector<std::string> out;
  std::istringstream in(s);
  for (std::string l; std::getline(in, l);) out.push_back(l);
  return out;
}

std::size_t count(const std::string& s, const std::string& what) {
  std::size_t n = 0;
  for (std::size_t p = s.find(what); p != std::string::npos; p = s.find(what, p + 1)) ++n;
  return n;
}

// Rows "Row 1".."Row rows"; columns in groups of `per_group` under "Group A",
// "Group B", ...; cell (r, c) holds r * 1000 + c + 0.5 so every value is unique.
Table wide_table(int rows, int groups, int per_group) {
  Table t;
  t.title = T("Wide Table");
  t.footnotes = {{"a", T("A footnote that is shown once, after the last panel.")}};
  t.title_footnotes = {0};
  Dimension r;
  r.label = T("Object");
  r.axis = host::Axis::Row;
  for (int i = 0; i < rows; ++i) {
    r.leaves.push_back({T("Row " + std::to_string(i + 1)), {}});
    r.tree.push_back(leaf("Row " + std::to_string(i + 1), i));
  }
  Dimension c;
  c.label = T("Statistics");
  c.axis = host::Axis::Column;
  c.label_hidden = true;
  for (int g = 0; g < groups; ++g) {
    std::vector<DimNode> kids;
    for (int k = 0; k < per_group; ++k) {
      const int id = g * per_group + k;
      c.leaves.push_back({T("Stat " + std::to_string(id + 1)), {}});
      kids.push_back(leaf("Stat " + std::to_string(id + 1), id));
    }
    c.tree.push_back(group(std::string("Group ") + static_cast<char>('A' + g), std::move(kids)));
  }
  t.dims = {r, c};
  for (int i = 0; i < rows; ++i)
    for (int j = 0; j < groups * per_group; ++j) {
      Cell cell;
      cell.value = i * 1000 + j + 0.5;
      cell.format = host::BP_FIXED_FORMAT(1);
      t.cells[{i, j}] = cell;
    }
  return t;
}

TEST(SplitPanels, FillsEachPanelAndGivesAWideColumnItsOwn) {
  // Three columns of 10 with gaps of 2 take 34 of 35.
  std::vector<Panel> p = split_panels(std::vector<std::size_t>(10, 10), {}, 35, 2);
  EXPECT_EQ(p, (std::vector<Panel>{{0, 3}, {3, 6}, {6, 9}, {9, 10}}));
  // A column wider than the room alone stands alone; nothing is dropped.
  p = split_panels({5, 100, 5, 5}, {}, 40, 2);
  EXPECT_EQ(p, (std::vector<Panel>{{0, 1}, {1, 2}, {2, 4}}));
  // Everything fits: one panel.
  EXPECT_EQ(split_panels({3, 3}, {}, 80, 2), (std::vector<Panel>{{0, 2}}));
  // No data columns: one empty panel, so the row labels are still shown.
  EXPECT_EQ(split_panels({}, {}, 80, 2), (std::vector<Panel>{{0, 0}}));
}

TEST(SplitPanels, KeepsHeaderGroupsTogetherWhenThePanelStaysUseful) {
  // Groups [0,2) and [2,6) (level 0 breaks), leaves (level 1) elsewhere.
  const std::vector<int> level = {0, 1, 0, 1, 1, 1, 0};
  // Four columns would fit (46 of 50), but the break after the first group
  // keeps the second one whole.
  EXPECT_EQ(split_panels(std::vector<std::size_t>(6, 10), level, 50, 2), (std::vector<Panel>{{0, 2}, {2, 6}}));
  // A group boundary that would leave a panel under a quarter full is not taken.
  const std::vector<int> tiny = {0, 0, 1, 1, 1, 1, 0};
  EXPECT_EQ(split_panels(std::vector<std::size_t>(6, 10), tiny, 65, 2), (std::vector<Panel>{{0, 5}, {5, 6}}));
}

TEST(RenderTextWidth, WideTableSplitsIntoPanelsRepeatingRowLabels) {
  const Table t = wide_table(3, 3, 4);  // 12 data columns of about 7 characters
  for (int width : {40, 60, 80, 132}) {
    SCOPED_TRACE(width);
    const std::string s = render_table_text(t, width);
    for (const auto& l : lines_of(s)) EXPECT_LE(text_width(l), static_cast<std::size_t>(width)) << l;
    // Every value exactly once.
    for (int i = 0; i < 3; ++i)
      for (int j = 0; j < 12; ++j) EXPECT_EQ(count(s, " " + std::to_string(i * 1000 + j) + ".5"), 1u) << i << "," << j;
    // Each panel repeats every row label and the title (continued).
    const std::size_t panels = count(s, "Row 1\n") + count(s, "Row 1 ");
    EXPECT_EQ(count(s, "Row 3"), panels);
    EXPECT_EQ(count(s, "Wide Table (continued)[a]"), panels - 1);
    EXPECT_EQ(count(s, "A footnote"), 1u);
    EXPECT_EQ(s.find("a. A footnote") > s.rfind("Row 3"), true);
    if (width >= 132) {
      EXPECT_EQ(panels, 1u);
    }
    if (width <= 60) {
      EXPECT_GE(panels, 3u);
    }
  }
}

TEST(RenderTextWidth, NestedColumnGroupsStayInOnePanel) {
  // Three groups of three columns: at 50 columns four columns fit beside the
  // labels, but each panel holds one whole group.
  const std::string s = render_table_text(wide_table(2, 3, 3), 50);
  for (const char* g : {"Group A", "Group B", "Group C"}) EXPECT_EQ(count(s, g), 1u) << s;
  // Each group's leaves are in the panel of its heading.
  const auto a = s.find("Group A"), b = s.find("Group B"), c = s.find("Group C");
  ASSERT_TRUE(a < b && b < c) << s;
  EXPECT_TRUE(s.find("Stat 3") < b && s.find("Stat 4") > b && s.find("Stat 6") < c && s.find("Stat 7") > c) << s;
}

TEST(RenderTextWidth, ColumnWiderThanTheWidthWrapsItsCells) {
  Table t;
  t.title = T("Notes");
  t.max_width = 400;  // the table lets a text column grow far beyond the width
  Dimension r;
  r.label = T("Item");
  r.axis = host::Axis::Row;
  r.leaves = {{T("Syntax"), {}}};
  r.tree = {leaf("Syntax", 0)};
  Dimension c;
  c.label = T("Contents");
  c.axis = host::Axis::Column;
  c.leaves = {{T("Text"), {}}, {T("N"), {}}};
  c.tree = {leaf("Text", 0), leaf("N", 1)};
  t.dims = {r, c};
  std::string words;
  for (int i = 0; i < 40; ++i) words += "word" + std::to_string(i) + " ";
  Cell text;
  text.text = T(words);
  text.format = {host::Fmt::Text, -1};
  t.cells[{0, 0}] = text;
  Cell n;
  n.value = 42;
  n.format = host::BP_N_FORMAT();
  t.cells[{0, 1}] = n;
  const std::string s = render_table_text(t, 50);
  for (const auto& l : lines_of(s)) EXPECT_LE(text_width(l), 50u) << l;
  for (int i = 0; i < 40; ++i) EXPECT_EQ(count(s, "word" + std::to_string(i) + " ") + count(s, "word" + std::to_string(i) + "\n"), 1u) << i;
  EXPECT_EQ(count(s, "42"), 1u);
  EXPECT_EQ(count(s, "Syntax"), 2u) << s;  // a panel each: the text column, then N
}

TEST(RenderTextWidth, OtherLinesWrapAndCommandsKeepTheirSetWidth) {
  Document doc;
  CommandOutput c;
  c.name = "CATPCA";
  Message m;
  m.text = T(std::string(30, 'x') + " " + std::string(30, 'y') + " " + std::string(30, 'z'));
  c.items.push_back(m);
  c.items.push_back(wide_table(2, 3, 4));
  doc.commands.push_back(c);
  c.text_width = 132;  // SET WIDTH=132 was in force for the second command
  doc.commands.push_back(c);
  const std::string s = render_text(doc, 60);
  std::size_t cut = s.find("CATPCA", s.find("CATPCA") + 1);
  ASSERT_NE(cut, std::string::npos);
  cut = s.rfind('\n', cut - 2);  // before the second command's banner
  const std::string first = s.substr(0, cut), second = s.substr(cut);
  std::size_t w1 = 0, w2 = 0;
  for (const auto& l : lines_of(first)) w1 = std::max(w1, text_width(l));
  for (const auto& l : lines_of(second)) w2 = std::max(w2, text_width(l));
  EXPECT_LE(w1, 60u);
  EXPECT_GT(w2, 80u);
  EXPECT_LE(w2, 132u);
  EXPECT_EQ(count(second, "(continued)"), 0u);
}

TEST(RenderStreams, StreamedReportsEqualTheStringOnes) {
  Document doc;
  CommandOutput c;
  c.name = "X";
  c.items.push_back(wide_table(40, 2, 3));
  doc.commands.push_back(c);
  std::ostringstream a, b, d;
  render_text(a, doc, 70);
  render_html(b, doc, "t");
  render_json(d, doc, "v");
  EXPECT_EQ(a.str(), render_text(doc, 70));
  EXPECT_EQ(b.str(), render_html(doc, "t"));
  EXPECT_EQ(d.str(), render_json(doc, "v"));
  EXPECT_EQ(count(d.str(), "\"value\": 39005.5"), 1u);
}

TEST(SetWidth, AppliesToTheCommandsThatFollowAndRefusesNonsense) {
  Engine e;
  e.run_syntax("TITLE 'a'.\nSET WIDTH=100.\nTITLE 'b'.\nSET WIDTH=20.\nTITLE 'c'.\nSET WIDTH 72.5.\nSET WIDTH=1001.\nSET WIDTH=40.\nTITLE 'd'.\n");
  const auto& cmds = e.document().commands;
  ASSERT_EQ(cmds.size(), 9u);
  EXPECT_EQ(cmds[0].text_width, 0);    // before any SET WIDTH: the renderer's default
  EXPECT_EQ(cmds[2].text_width, 100);
  EXPECT_EQ(cmds[4].text_width, 100);  // 20 is refused and changes nothing
  EXPECT_EQ(cmds[8].text_width, 40);
  EXPECT_EQ(e.errors(), 3);
}

}  // namespace
