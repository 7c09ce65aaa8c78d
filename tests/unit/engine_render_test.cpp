// Value formats and the text / HTML / JSON renderers over a hand-built document.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <limits>
#include <nlohmann/json.hpp>
#include <sstream>

#include "engine/format.hpp"
#include "engine/render_html.hpp"
#include "engine/render_json.hpp"
#include "engine/render_text.hpp"

namespace {

using namespace oscat::engine;
namespace host = oscat::host;

TEST(FormatValue, CountsAndGeneral) {
  EXPECT_EQ(format_value(1234, host::BP_N_FORMAT()), "1234");
  EXPECT_EQ(format_value(-7, host::BP_N_FORMAT()), "-7");
  EXPECT_EQ(format_value(2.5, host::BP_N_FORMAT()), "2.5");
  EXPECT_EQ(format_value(2.125, host::BP_N_FORMAT()), "2.125");
  EXPECT_EQ(format_value(1.0004, host::BP_N_FORMAT()), "1");  // rounds to a whole number: no stray point
  EXPECT_EQ(format_value(12, host::BP_GENSTAT_FORMAT()), "12");
  EXPECT_EQ(format_value(0.2734, host::BP_GENSTAT_FORMAT()), "0.273");
  EXPECT_EQ(format_value(-3.14159, host::BP_GENSTAT_FORMAT()), "-3.142");
  EXPECT_EQ(format_value(1.234e-5, host::BP_GENSTAT_FORMAT()), "1.23E-05");
  EXPECT_EQ(format_value(2.5e17, host::BP_GENSTAT_FORMAT()), "2.50E+17");
  EXPECT_EQ(format_value(0.5, {host::Fmt::Text, -1}), "0.500");
}

TEST(FormatValue, FixedKindsMissingAndNegativeZero) {
  EXPECT_EQ(format_value(0.5, host::BP_CORRELATION_FORMAT()), "0.500");
  EXPECT_EQ(format_value(1, host::BP_SIGNIFICANCE_FORMAT()), "1.000");
  EXPECT_EQ(format_value(0.0004, host::BP_SIGNIFICANCE_FORMAT()), "0.000");
  EXPECT_EQ(format_value(3.14159, host::BP_FIXED_FORMAT(2)), "3.14");
  EXPECT_EQ(format_value(3.14159, host::BP_FIXED_FORMAT(0)), "3");
  EXPECT_EQ(format_value(3.14159, host::BP_FIXED_FORMAT(-1)), "3.14");
  EXPECT_EQ(format_value(30, {host::Fmt::Percent, 1}), "30.0%");
  EXPECT_EQ(format_value(12.345, {host::Fmt::Percent, 2}), "12.35%");
  // Missing and non-finite values
  EXPECT_EQ(format_value(host::SYSMIS, host::BP_N_FORMAT()), ".");
  EXPECT_EQ(format_value(std::numeric_limits<double>::quiet_NaN(), host::BP_CORRELATION_FORMAT()), ".");
  EXPECT_EQ(format_value(std::numeric_limits<double>::infinity(), host::BP_GENSTAT_FORMAT()), ".");
  // Nothing that reads as zero carries a minus sign
  EXPECT_EQ(format_value(-0.0, host::BP_N_FORMAT()), "0");
  EXPECT_EQ(format_value(-0.0, host::BP_GENSTAT_FORMAT()), "0");
  EXPECT_EQ(format_value(-0.0001, host::BP_CORRELATION_FORMAT()), "0.000");
  EXPECT_EQ(format_value(-0.001, host::BP_FIXED_FORMAT(2)), "0.00");
  EXPECT_EQ(format_value(-0.01, host::BP_FIXED_FORMAT(2)), "-0.01");
}

TEST(FormatValue, Utf8Helpers) {
  EXPECT_EQ(text_width("abc"), 3u);
  EXPECT_EQ(text_width("\xC3\xA9t\xC3\xA9"), 3u);  // "été"
  EXPECT_EQ(cut_text("\xC3\xA9t\xC3\xA9", 2), "\xC3\xA9t");
  EXPECT_EQ(cut_text("abc", 10), "abc");
  EXPECT_EQ(cut_text("abc", 0), "");
}

// ------------------------------------------------------------ documents ---

Text T(std::string s) { return Text{"", std::move(s), {}}; }
Text K(std::string key, std::string s) { return Text{std::move(key), std::move(s), {}}; }

DimNode leaf(const std::string& label, int id) { return DimNode{T(label), false, id, {}}; }
DimNode group(const std::string& label, std::vector<DimNode> ch) { return DimNode{T(label), true, -1, std::move(ch)}; }

Cell num(double v, host::Format f, std::vector<int> fn = {}) {
  Cell c;
  c.value = v;
  c.format = f;
  c.footnotes = std::move(fn);
  return c;
}

// Two row dimensions (the inner one with a group), nested column groups, a
// layer, footnotes on the title, a category and a cell, a missing cell and a text cell.
Table rich_table() {
  Table t;
  t.title = K("Model Summary", "Model Summary");
  t.name = t.title;
  t.table_id = 4;
  t.footnotes = {{"a", K("CPR SUMM Total is mean.", "Total is the mean over dimensions.")},
                 {"b", K("Supplementary variable.", "Supplementary variable.")},
                 {"c", T("Cell note with <markup> & \"quotes\".")}};
  t.title_footnotes = {0};

  Dimension set;
  set.label = T("Set");
  set.axis = host::Axis::Row;
  set.leaves = {{T("Active"), {}}, {T("Supplementary"), {1}}};
  set.tree = {leaf("Active", 0), leaf("Supplementary", 1)};

  Dimension dim;
  dim.label = T("Dimension");
  dim.axis = host::Axis::Row;
  dim.leaves = {{T("1"), {}}, {T("2"), {}}, {T("Total"), {}}};
  dim.tree = {group("Dimensions", {leaf("1", 0), leaf("2", 1)}), leaf("Total", 2)};

  Dimension stats;
  stats.label = T("Statistics");
  stats.axis = host::Axis::Column;
  stats.label_hidden = true;
  stats.leaves = {{T("Cronbach's Alpha"), {}}, {T("Total (Eigenvalue)"), {}}, {T("% of Variance"), {}}, {T("Remark"), {}}};
  stats.tree = {leaf("Cronbach's Alpha", 0),
                group("Variance Accounted For", {leaf("Total (Eigenvalue)", 1), group("Share", {leaf("% of Variance", 2)})}),
                leaf("Remark", 3)};

  Dimension layer;
  layer.label = T("Sample");
  layer.axis = host::Axis::Layer;
  layer.leaves = {{T("Training"), {}}, {T("Holdout"), {}}};
  layer.tree = {leaf("Training", 0), leaf("Holdout", 1)};

  t.dims = {set, dim, stats, layer};
  // Cells: key = {set, dim, stat, layer}
  const double lambda[2] = {3, 2};
  for (int ly = 0; ly < 2; ++ly)
    for (int s = 0; s < 2; ++s) {
      for (int d = 0; d < 2; ++d) {
        double l = lambda[d] - 0.5 * s - 0.25 * ly;
        double m = 10;
        t.cells[{s, d, 0, ly}] = num(m * (l - 1) / ((m - 1) * l), host::BP_CORRELATION_FORMAT());
        t.cells[{s, d, 1, ly}] = num(l, host::BP_GENSTAT_FORMAT());
        t.cells[{s, d, 2, ly}] = num(100 * l / m, {host::Fmt::Percent, 1});
      }
      t.cells[{s, 2, 1, ly}] = num(lambda[0] + lambda[1] - s - 0.5 * ly, host::BP_GENSTAT_FORMAT(), {0});
      t.cells[{s, 2, 0, ly}] = Cell{};  // undefined statistic: shown as "."
    }
  Cell text;
  text.text = K("Converged", "Converged after 12 iterations");
  text.format = {host::Fmt::Text, -1};
  t.cells[{0, 0, 3, 0}] = text;
  t.cells[{0, 1, 1, 0}].footnotes = {2};
  // A value that only survives an exact round trip.
  t.cells[{1, 1, 1, 1}] = num(0.1 + 0.2, host::BP_GENSTAT_FORMAT());
  return t;
}

Document rich_document() {
  Document doc;
  CommandOutput c;
  c.name = "CATPCA";
  c.syntax = "CATPCA VARIABLES=a b c /ANALYSIS=a b c.";
  c.procedure_title = "Categorical Principal Components";
  Message warn;
  warn.severity = 2;
  warn.text = Text{"CPR Var ^1 zero variance.", "Variable x has zero variance.", {"x"}};
  c.items.push_back(warn);
  c.items.push_back(rich_table());
  auto h = std::make_shared<Heading>();
  h->title = T("Listing");
  TextBlock b;
  b.title = T("Iteration History");
  b.lines = {"  1   0.123456", "  2   0.012345 <converged>"};
  h->items.push_back(b);
  Message err;
  err.severity = 3;
  err.cls = 3;
  err.number = 17607;
  err.text = K("17607", "The matrix is singular.");
  h->items.push_back(err);
  c.items.push_back(h);
  Chart ch;
  ch.chart_template = "CATPCA";
  ch.title = T("Object Points");
  ch.columns = {{T("Label"), true}, {T("Dimension 1"), false}, {T("Dimension 2"), false}};
  ch.rows = {{std::string("a"), 1.0, 2.0}, {std::string("b"), -1.0, 0.5},
             {std::string("c"), std::numeric_limits<double>::quiet_NaN(), 1.0}};
  ch.x_col = 1;
  ch.y_col = 2;
  ch.same_ratio = true;
  ch.svg = "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"10\" height=\"10\"></svg>\n";
  c.items.push_back(ch);
  c.notes.push_back({T("Files Saved"), T("/tmp/scores.csv"), T("Score Matrix File")});
  doc.commands.push_back(std::move(c));
  return doc;
}

std::string golden_path(const std::string& name) {
  return std::string(OSCAT_SOURCE_DIR) + "/tests/unit/render_golden/" + name;
}

// Compares with the golden file; OSCAT_UPDATE_GOLDEN=1 rewrites it (review the diff by eye).
void expect_golden(const std::string& name, const std::string& actual) {
  const std::string path = golden_path(name);
  if (std::getenv("OSCAT_UPDATE_GOLDEN")) {
    std::ofstream(path, std::ios::binary) << actual;
  }
  std::ifstream in(path, std::ios::binary);
  ASSERT_TRUE(in.good()) << "missing golden file " << path;
  std::stringstream ss;
  ss << in.rdbuf();
  EXPECT_EQ(ss.str(), actual) << "output differs from " << path;
}

TEST(RenderText, RichTableMatchesGolden) { expect_golden("rich.txt", render_text(rich_document())); }
TEST(RenderHtml, RichTableMatchesGolden) { expect_golden("rich.html", render_html(rich_document(), "oscat report")); }
TEST(RenderJson, RichTableMatchesGolden) { expect_golden("rich.json", render_json(rich_document(), "0.1.0")); }

TEST(RenderText, LayoutSpansAndBlocks) {
  TableLayout L = layout_table(rich_table());
  // Row labels: Set | Dimensions group | leaf
  ASSERT_EQ(L.label_cols, 3);
  EXPECT_EQ(L.corner[0], "Set");
  EXPECT_EQ(L.corner[2], "Dimension");
  ASSERT_EQ(L.data_cols, 4);
  // Header: two group levels and the leaves (dimension label hidden).
  ASSERT_EQ(L.header.size(), 3u);
  ASSERT_EQ(L.header[0].size(), 3u);
  EXPECT_EQ(L.header[0][1].label.text, "Variance Accounted For");
  EXPECT_EQ(L.header[0][1].first, 1);
  EXPECT_EQ(L.header[0][1].count, 2);
  EXPECT_EQ(L.header[1][2].label.text, "Share");
  EXPECT_EQ(L.header[1][2].count, 1);
  // One block per layer category, 2 x 3 rows each.
  ASSERT_EQ(L.layers.size(), 2u);
  EXPECT_EQ(L.layers[1].caption, std::vector<std::string>{"Sample: Holdout"});
  ASSERT_EQ(L.layers[0].rows.size(), 6u);
  const auto& r0 = L.layers[0].rows[0];
  EXPECT_TRUE(r0.labels[0].shown);
  EXPECT_EQ(r0.labels[0].rowspan, 3);
  EXPECT_EQ(r0.labels[1].label.text, "Dimensions");
  EXPECT_EQ(r0.labels[1].rowspan, 2);
  EXPECT_FALSE(L.layers[0].rows[1].labels[0].shown);
  EXPECT_FALSE(L.layers[0].rows[1].labels[1].shown);
  EXPECT_EQ(L.layers[0].rows[3].labels[0].label.marks, std::vector<std::string>{"b"});
  // Cells: Cronbach's alpha of lambda = 3 with 10 variables is 10*2/(9*3) = 0.741.
  EXPECT_EQ(r0.cells[0].text, "0.741");
  EXPECT_EQ(L.layers[0].rows[1].cells[0].text, "0.556");
  EXPECT_EQ(L.layers[0].rows[2].cells[0].text, ".");  // missing statistic
  EXPECT_EQ(L.layers[0].rows[2].cells[1].marks, std::vector<std::string>{"a"});
  EXPECT_EQ(L.layers[0].rows[2].cells[3].text, "");  // no cell at all
  EXPECT_TRUE(r0.cells[3].is_text);
}

TEST(RenderText, WideLabelsWrapAndColumnsStayCapped) {
  Table t;
  t.title = T("Wide");
  Dimension r;
  r.label = T("Variables");
  r.leaves = {{T(std::string(90, 'x')), {}}, {T("short"), {}}};
  Dimension c;
  c.label = T("Statistics");
  c.axis = host::Axis::Column;
  c.leaves = {{T("A very long column heading that goes on and on"), {}}};
  t.dims = {r, c};
  t.cells[{0, 0}] = num(1.5, host::BP_FIXED_FORMAT(2));
  t.cells[{1, 0}] = num(-2, host::BP_N_FORMAT());
  std::string out = render_text(Document{{CommandOutput{"X", "", "", {t}, {}}}});
  std::istringstream in(out);
  std::string line;
  std::size_t widest = 0;
  while (std::getline(in, line)) widest = std::max(widest, text_width(line));
  EXPECT_LE(widest, 80u) << out;
  EXPECT_NE(out.find("1.50"), std::string::npos);
  EXPECT_NE(out.find("-2"), std::string::npos);
  EXPECT_EQ(out.find(std::string(40, 'x')), std::string::npos);  // the long label was broken
}

TEST(RenderText, QuietCommandsAndHiddenHeadings) {
  // A one-column list whose headings are all hidden (like a credit table).
  Table t;
  t.title = T("Credit");
  Dimension r;
  r.label = T("Line");
  r.label_hidden = true;
  r.leaves = {{T("1"), {}}, {T("2"), {}}};
  Dimension c;
  c.label = T("Text");
  c.axis = host::Axis::Column;
  c.label_hidden = true;
  c.leaves = {{T(""), {}}};
  t.dims = {r, c};
  Cell a;
  a.text = T("oscat project\nsecond line");
  t.cells[{0, 0}] = a;
  Document doc{{CommandOutput{"GET DATA", "GET DATA /FILE='x'.", "", {}, {}}, CommandOutput{"X", "", "", {t}, {}}}};
  std::string out = render_text(doc);
  EXPECT_EQ(out.rfind("> GET DATA /FILE='x'.\n\n", 0), 0u) << out;  // the command itself, on one line
  // Title, rule, rows: no empty header line and no header rule under the top rule.
  EXPECT_NE(out.find("Credit\n=====" ), std::string::npos) << out;
  EXPECT_EQ(out.find("=\n-"), std::string::npos) << out;
  EXPECT_NE(out.find("oscat project\n"), std::string::npos) << out;  // a line break in a cell is kept
  EXPECT_NE(out.find("second line\n"), std::string::npos) << out;
}

TEST(RenderJson, ValuesAreExactAndStructured) {
  auto j = nlohmann::json::parse(render_json(rich_document(), "0.1.0"));
  EXPECT_EQ(j["oscat"], "0.1.0");
  const auto& cmd = j["commands"][0];
  EXPECT_EQ(cmd["name"], "CATPCA");
  EXPECT_EQ(cmd["procedure"], "Categorical Principal Components");
  const auto& msg = cmd["items"][0];
  EXPECT_EQ(msg["type"], "message");
  EXPECT_EQ(msg["severity"], "warning");
  EXPECT_EQ(msg["key"], "CPR Var ^1 zero variance.");
  EXPECT_EQ(msg["params"][0], "x");
  const auto& tab = cmd["items"][1];
  EXPECT_EQ(tab["type"], "table");
  EXPECT_EQ(tab["table_id"], 4);
  EXPECT_EQ(tab["dimensions"][2]["axis"], "column");
  EXPECT_EQ(tab["dimensions"][3]["axis"], "layer");
  // % of Variance sits in two nested groups
  const auto& path = tab["dimensions"][2]["categories"][2]["path"];
  ASSERT_EQ(path.size(), 3u);
  EXPECT_EQ(path[0]["text"], "Variance Accounted For");
  EXPECT_EQ(path[1]["text"], "Share");
  EXPECT_EQ(path[2]["text"], "% of Variance");
  EXPECT_EQ(tab["dimensions"][0]["categories"][1]["footnotes"][0], "b");
  bool exact = false, missing = false, text = false;
  for (const auto& c : tab["cells"]) {
    auto key = c["categories"].get<std::vector<int>>();
    if (key == std::vector<int>{1, 1, 1, 1}) {
      exact = c["value"].get<double>() == 0.1 + 0.2;
      EXPECT_EQ(c["formatted"], "0.300");
      EXPECT_EQ(c["format"], "general");
    }
    if (key == std::vector<int>{0, 2, 0, 0}) missing = c["value"].is_null() && c["formatted"] == ".";
    if (key == std::vector<int>{0, 0, 3, 0}) text = c["text"]["key"] == "Converged" && c["format"] == "text";
    if (key == std::vector<int>{0, 1, 1, 0}) {
      EXPECT_EQ(c["footnotes"][0], "c");
    }
  }
  EXPECT_TRUE(exact);
  EXPECT_TRUE(missing);
  EXPECT_TRUE(text);
  EXPECT_EQ(tab["footnotes"][0]["key"], "CPR SUMM Total is mean.");
  const auto& head = cmd["items"][2];
  EXPECT_EQ(head["type"], "heading");
  EXPECT_EQ(head["items"][0]["lines"][1], "  2   0.012345 <converged>");
  EXPECT_EQ(head["items"][1]["number"], 17607);
  EXPECT_EQ(head["items"][1]["severity"], "error");
  const auto& chart = cmd["items"][3];
  EXPECT_EQ(chart["type"], "chart");
  EXPECT_EQ(chart["x"], 1);
  EXPECT_TRUE(chart["rows"][2][1].is_null());  // missing coordinate
  EXPECT_EQ(chart["rows"][0][0], "a");
  EXPECT_EQ(cmd["notes"][0]["contents"]["text"], "Score Matrix File");
}

TEST(RenderJson, InvalidUtf8DoesNotAbort) {
  Document doc;
  Message m;
  m.text = T("bad \xFF byte");
  doc.commands.push_back(CommandOutput{"X", "", "", {m}, {}});
  std::string s;
  ASSERT_NO_THROW(s = render_json(doc, "v"));
  auto j = nlohmann::json::parse(s, nullptr, false);
  ASSERT_FALSE(j.is_discarded());
  EXPECT_EQ(j["commands"][0]["items"][0]["text"], "bad \xEF\xBF\xBD byte");
}

TEST(RenderHtml, EscapesEverythingAndLinksTheOutline) {
  Document doc = rich_document();
  std::get<Table>(doc.commands[0].items[1]).title.text = "<script>alert(1)</script>";
  std::string html = render_html(doc, "A & B");
  EXPECT_EQ(html.find("<script"), std::string::npos);
  EXPECT_NE(html.find("&lt;script&gt;"), std::string::npos);
  EXPECT_NE(html.find("<title>A &amp; B</title>"), std::string::npos);
  // Every outline anchor points at an element id.
  std::size_t pos = 0;
  int links = 0;
  while ((pos = html.find("href=\"#", pos)) != std::string::npos) {
    pos += 7;
    std::string id = html.substr(pos, html.find('"', pos) - pos);
    EXPECT_NE(html.find("id=\"" + id + "\""), std::string::npos) << id;
    ++links;
  }
  EXPECT_GE(links, 7);
  EXPECT_NE(html.find("colspan=\"2\">Variance Accounted For"), std::string::npos);
  EXPECT_NE(html.find("rowspan=\"3\">Active"), std::string::npos);
  EXPECT_NE(html.find("class=\"item msg error\""), std::string::npos);
}

}  // namespace

// A chart's supplementary elements and every footnote frame reach the JSON and
// text reports, not only the SVG.
TEST(RenderJson, ChartKeepsHollowElementsAndEveryFootnote) {
  Document doc = rich_document();
  Chart& ch = std::get<Chart>(doc.commands[0].items[3]);
  ch.elements = {ChartElement{}, ChartElement{}};
  ch.elements[1].hollow = true;
  ch.earlier_footnotes = {T("Scaling level: Ordinal")};
  ch.footnote = T("Cases outside the analysis are drawn open.");
  const auto j = nlohmann::json::parse(render_json(doc, "0.1.0"));
  const auto& chart = j["commands"][0]["items"][3];
  ASSERT_EQ(chart["elements"].size(), 2u);
  EXPECT_FALSE(chart["elements"][0].contains("hollow"));
  EXPECT_EQ(chart["elements"][1]["hollow"], true);
  ASSERT_EQ(chart["earlier_footnotes"].size(), 1u);
  EXPECT_EQ(chart["earlier_footnotes"][0]["text"], "Scaling level: Ordinal");
  EXPECT_EQ(chart["footnote"]["text"], "Cases outside the analysis are drawn open.");
  const std::string text = render_text(doc);
  const auto first = text.find("Scaling level: Ordinal");
  ASSERT_NE(first, std::string::npos);
  EXPECT_LT(first, text.find("Cases outside the analysis"));
}
