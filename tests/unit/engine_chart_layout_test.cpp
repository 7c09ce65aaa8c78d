// Geometry of rendered charts: point labels never overlap, every text stays
// inside the picture, dropped labels are counted, vectors are scaled by the
// factor the legend states. Checked on the SVG itself.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstring>
#include <random>
#include <regex>
#include <string>
#include <vector>

#include "engine/charts.hpp"
#include "engine/session.hpp"
#include "engine/svg.hpp"

namespace {

using namespace oscat::engine;
namespace host = oscat::host;

class StubMessages : public host::Messages {
 public:
  std::vector<std::string> texts{""};
  host::Msg add(std::string s) {
    texts.push_back(std::move(s));
    return static_cast<host::Msg>(texts.size() - 1);
  }
  host::Msg BP_CSTRING(std::string_view k) override { return add(std::string(k)); }
  host::Msg BP_CSTRING_NO_TRANSLATE(std::string_view t) override { return add(std::string(t)); }
  host::Msg CX_NSTRING(std::string_view n) override { return add(std::string(n)); }
  host::Msg BP_IVALUE(std::int64_t v, host::Format) override { return add(std::to_string(v)); }
  host::Msg BP_LRVALUE(double v, host::Format) override { return add(std::to_string(v)); }
  host::Msg BP_BEGIN_COMPSTRING(host::Msg p) override { return p; }
  void BP_ADD_PARAMETER(host::Msg, host::Msg) override {}
  host::Msg BP_END_COMPSTRING(host::Msg c) override { return c; }
  void BP_ERROR(host::Msg, int, int) override {}
  void ERROR(int, int, int, std::vector<std::string>) override {}
  std::string text(host::Msg m) const override {
    return m > 0 && static_cast<std::size_t>(m) < texts.size() ? texts[m] : std::string();
  }
  bool error_flag() const override { return false; }
  void clear_error_flag() override {}
  void ASSERT(bool, std::string_view, std::string_view) override {}
};

struct Fixture {
  Session session;
  StubMessages msg;
  ChartBuilder cx{session, msg, [this](host::Msg m) { return Text{"", msg.text(m), {}}; }};
  Fixture() { session.begin_command("TEST", ""); }
  host::Msg s(const std::string& t) { return msg.add(t); }
  const Chart& last() const {
    const Chart* out = nullptr;
    for (const auto& item : session.document().commands.back().items)
      if (const Chart* c = std::get_if<Chart>(&item)) out = c;
    return *out;
  }
};

// ------------------------------------------------------------ SVG reading ---
struct TextBox {
  std::string cls, text;
  double x0, y0, x1, y1;   // bounds on the page
  double angle = 0;        // rotation (radians)
  double u0, v0, u1, v1;   // bounds along the text's own axes
};

std::string attr(const std::string& tag, const std::string& name) {
  std::smatch m;
  if (std::regex_search(tag, m, std::regex("\\s" + name + "=\"([^\"]*)\""))) return m[1];
  return {};
}

std::string unescape(std::string s) {
  const std::pair<const char*, const char*> ents[] = {
      {"&lt;", "<"}, {"&gt;", ">"}, {"&quot;", "\""}, {"&#39;", "'"}, {"&amp;", "&"}};
  for (const auto& [e, r] : ents)
    for (std::size_t p = s.find(e); p != std::string::npos; p = s.find(e, p + 1)) s.replace(p, std::strlen(e), r);
  return s;
}

// Every <text> with the box its glyphs occupy: width from the face's advance
// widths, ascent 0.8 and descent 0.25 of the font size, rotated as drawn.
std::vector<TextBox> text_boxes(const std::string& svg) {
  std::vector<TextBox> out;
  const std::regex re("<text([^>]*)>([^<]*)</text>");
  for (auto it = std::sregex_iterator(svg.begin(), svg.end(), re); it != std::sregex_iterator(); ++it) {
    const std::string tag = (*it)[1], content = unescape((*it)[2]);
    const double size = attr(tag, "font-size").empty() ? 11 : std::stod(attr(tag, "font-size"));
    const bool bold = attr(tag, "font-weight") == "bold";
    const double x = std::stod(attr(tag, "x")), y = std::stod(attr(tag, "y"));
    const double w = text_width(content, size, bold);
    const std::string anchor = attr(tag, "text-anchor");
    double x0 = anchor == "middle" ? x - w / 2 : anchor == "end" ? x - w : x;
    double xs[4] = {x0, x0 + w, x0 + w, x0}, ys[4] = {y - 0.8 * size, y - 0.8 * size, y + 0.25 * size, y + 0.25 * size};
    std::smatch rm;
    const std::string tr = attr(tag, "transform");
    double a = 0;
    if (std::regex_search(tr, rm, std::regex("rotate\\(([-0-9.]+) ([-0-9.]+) ([-0-9.]+)\\)"))) {
      a = std::stod(rm[1]) * 3.14159265358979 / 180;
      const double cx = std::stod(rm[2]), cy = std::stod(rm[3]);
      for (int k = 0; k < 4; ++k) {
        const double dx = xs[k] - cx, dy = ys[k] - cy;
        xs[k] = cx + dx * std::cos(a) - dy * std::sin(a);
        ys[k] = cy + dx * std::sin(a) + dy * std::cos(a);
      }
    }
    double us[4], vs[4];
    for (int k = 0; k < 4; ++k) {
      us[k] = xs[k] * std::cos(a) + ys[k] * std::sin(a);
      vs[k] = -xs[k] * std::sin(a) + ys[k] * std::cos(a);
    }
    out.push_back({attr(tag, "class"), content, *std::min_element(xs, xs + 4), *std::min_element(ys, ys + 4),
                   *std::max_element(xs, xs + 4), *std::max_element(ys, ys + 4), a,
                   *std::min_element(us, us + 4), *std::min_element(vs, vs + 4), *std::max_element(us, us + 4),
                   *std::max_element(vs, vs + 4)});
  }
  return out;
}

std::pair<double, double> view_box(const std::string& svg) {
  std::smatch m;
  EXPECT_TRUE(std::regex_search(svg, m, std::regex("viewBox=\"0 0 ([0-9.]+) ([0-9.]+)\"")));
  return {std::stod(m[1]), std::stod(m[2])};
}

// Texts set at the same angle are compared along their own axes (slanted
// neighbours have overlapping page bounds without touching).
bool overlap(const TextBox& a, const TextBox& b) {
  if (std::fabs(a.angle - b.angle) < 1e-9) return a.u0 < b.u1 - 1e-6 && b.u0 < a.u1 - 1e-6 && a.v0 < b.v1 - 1e-6 && b.v0 < a.v1 - 1e-6;
  return a.x0 < b.x1 && b.x0 < a.x1 && a.y0 < b.y1 && b.y0 < a.y1;
}

// Inside the picture, and point labels pairwise apart.
void expect_readable(const std::string& svg) {
  const auto [w, h] = view_box(svg);
  const auto boxes = text_boxes(svg);
  ASSERT_FALSE(boxes.empty());
  for (const auto& b : boxes) {
    EXPECT_GE(b.x0, 0) << b.text;
    EXPECT_GE(b.y0, 0) << b.text;
    EXPECT_LE(b.x1, w) << b.text;
    EXPECT_LE(b.y1, h) << b.text;
  }
  std::vector<const TextBox*> labels;
  for (const auto& b : boxes)
    if (b.cls == "label") labels.push_back(&b);
  for (std::size_t i = 0; i < labels.size(); ++i)
    for (std::size_t j = i + 1; j < labels.size(); ++j)
      EXPECT_FALSE(overlap(*labels[i], *labels[j])) << labels[i]->text << " / " << labels[j]->text;
}

int label_count(const std::string& svg) {
  int n = 0;
  for (const auto& b : text_boxes(svg)) n += b.cls == "label";
  return n;
}

// The number in the "n labels not shown" note, 0 when there is none.
int not_shown(const std::string& svg) {
  std::smatch m;
  if (std::regex_search(svg, m, std::regex(">([0-9]+) labels? not shown<"))) return std::stoi(m[1]);
  return 0;
}

// ------------------------------------------------------------- chart data ---
struct Row {
  std::string label, group;
  double x, y;
  bool vector = false, supp = false;
};

// A configuration chart as the procedures build it: points and vectors by
// elements restricted to their rows, grouped when any row has a group.
const Chart& build(Fixture& f, const std::vector<Row>& rows, const std::string& title = "Biplot",
                   int label_max = 20) {
  auto& cx = f.cx;
  bool grouped = false, vectors = false, supp = false;
  for (const auto& r : rows) {
    grouped = grouped || !r.group.empty();
    vectors = vectors || r.vector;
    supp = supp || r.supp;
  }
  const int h = cx.CX_CREATECHARTDESCRIPTION("CATPCA");
  cx.CX_ADDFRAMEWITHLABEL(h, host::ChartFrame::Title, f.s(title));
  const int lc = cx.CX_ADDAGGREGATE(h, f.s("Label"), true);
  const int gc = grouped ? cx.CX_ADDAGGREGATE(h, f.s("Points"), true) : 0;
  const int xc = cx.CX_ADDAGGREGATE(h, f.s("Dimension 1"), false);
  const int yc = cx.CX_ADDAGGREGATE(h, f.s("Dimension 2"), false);
  const int pc = cx.CX_ADDAGGREGATE(h, f.s("Point"), false);
  const int vc = cx.CX_ADDAGGREGATE(h, f.s("Vector"), false);
  const int sc = cx.CX_ADDAGGREGATE(h, f.s("Supplementary"), false);
  cx.CX_ADDXYDIMAXISWITHSAMERATIO(h, xc, yc, f.s("Dimension 1"), f.s("Dimension 2"));
  cx.CX_ADDXREFERENCELINE(h, 0);
  cx.CX_ADDYREFERENCELINE(h, 0);
  if (vectors) {
    const int e = cx.CX_ADDXYELEMENTEX(h, host::ElementKind::Vector, gc);
    cx.CX_SETELEMENTROWS(h, e, vc);
    cx.CX_ADDLABELING(h, e, lc, label_max);
  }
  const int e = cx.CX_ADDXYELEMENTEX(h, host::ElementKind::Point, gc);
  cx.CX_SETELEMENTROWS(h, e, pc);
  cx.CX_ADDLABELING(h, e, lc, label_max);
  if (supp) {
    const int s = cx.CX_ADDXYELEMENTEX(h, host::ElementKind::Point, gc);
    cx.CX_SETELEMENTROWS(h, s, sc);
    cx.CX_SETELEMENTDOT(h, s, host::ElementDot::Hollow);
    cx.CX_ADDLABELING(h, s, lc, label_max);
  }
  if (grouped) cx.CX_ADDLEGENDFRAMEEX(h, f.s("Points"));
  for (const auto& r : rows) {
    cx.CX_ADDROW(h);
    cx.CX_ADDDATATEXT(h, lc, f.s(r.label));
    if (gc) cx.CX_ADDDATATEXT(h, gc, f.s(r.group));
    cx.CX_ADDDATAVALUE(h, xc, r.x);
    cx.CX_ADDDATAVALUE(h, yc, r.y);
    cx.CX_ADDDATAVALUE(h, r.vector ? vc : r.supp ? sc : pc, 1.0);
  }
  cx.CX_ENDCHART(h);
  return f.last();
}

// Survey-like objects: n scores of about unit variance (|x| up to ~2.5).
std::vector<Row> objects(int n, unsigned seed, const std::string& group = "Objects") {
  std::mt19937 gen(seed);
  std::normal_distribution<double> z(0, 0.9);
  std::vector<Row> rows;
  for (int i = 0; i < n; ++i) rows.push_back({std::to_string(i + 1), group, z(gen), z(gen)});
  return rows;
}

std::vector<Row> loadings() {
  return {{"q1", "Component Loadings", 0.71, 0.22, true}, {"q2", "Component Loadings", 0.68, 0.30, true},
          {"q3", "Component Loadings", 0.74, -0.18, true}, {"q4", "Component Loadings", 0.12, 0.81, true},
          {"q5", "Component Loadings", -0.05, 0.77, true}};
}

bool has_text(const std::string& svg, const std::string& t) {
  for (const auto& b : text_boxes(svg))
    if (b.text == t) return true;
  return false;
}

// --------------------------------------------------------------- the tests ---
// 200 objects with 5 loading vectors: objects go unlabelled (and are counted
// as not shown), every vector keeps its name, and the vectors are drawn with
// the factor the legend names, long enough to be seen among the objects.
TEST(ChartLayout, SurveyBiplotKeepsVectorNamesAndStatesTheirScale) {
  Fixture f;
  auto rows = objects(200, 7);
  for (const auto& l : loadings()) rows.push_back(l);
  const Chart& c = build(f, rows);
  const std::string& svg = c.svg;
  expect_readable(svg);
  for (const char* q : {"q1", "q2", "q3", "q4", "q5"}) EXPECT_TRUE(has_text(svg, q)) << q;
  EXPECT_EQ(label_count(svg), 5);
  EXPECT_EQ(not_shown(svg), 200);

  // The legend's factor...
  std::smatch m;
  ASSERT_TRUE(std::regex_search(svg, m, std::regex(">Component Loadings \\(\xC3\x97([0-9.]+)\\)<")));
  const double factor = std::stod(m[1]);
  EXPECT_DOUBLE_EQ(factor, chart_vector_scale(c));
  // ... is the ratio of each drawn vector to its loading.
  const PlotFrame fr = chart_plot_frame(c);
  const double ppu = fr.width / (fr.xmax - fr.xmin);
  const std::regex vre("<line class=\"vector\" x1=\"([-0-9.]+)\" y1=\"([-0-9.]+)\" x2=\"([-0-9.]+)\" y2=\"([-0-9.]+)\"");
  std::vector<double> drawn;
  for (auto it = std::sregex_iterator(svg.begin(), svg.end(), vre); it != std::sregex_iterator(); ++it)
    drawn.push_back(std::hypot(std::stod((*it)[3]) - std::stod((*it)[1]), std::stod((*it)[4]) - std::stod((*it)[2])));
  ASSERT_EQ(drawn.size(), 5u);
  double longest = 0, cloud = 0;
  for (std::size_t k = 0; k < 5; ++k) {
    const Row l = loadings()[k];  // a copy: loadings() returns a temporary
    const double data_len = std::hypot(l.x, l.y) * ppu;
    EXPECT_NEAR(drawn[k] / data_len, factor, 0.01 * factor) << l.label;
    longest = std::max(longest, drawn[k]);
  }
  for (int i = 0; i < 200; ++i) cloud = std::max(cloud, std::hypot(rows[i].x, rows[i].y) * ppu);
  // Vectors reach into the cloud (more than half its radius) without leaving it.
  EXPECT_GT(longest, 0.5 * cloud);
  EXPECT_LE(longest, cloud);
}

// Labels of a dense cluster: those drawn are apart, moved ones have a leader
// line, and the rest are counted in the note.
TEST(ChartLayout, CrowdedLabelsAreSpreadOrCounted) {
  Fixture f;
  std::mt19937 gen(3);
  std::normal_distribution<double> z(0, 0.05);
  std::vector<Row> rows;
  for (int i = 0; i < 45; ++i) rows.push_back({"Category " + std::to_string(i + 1), "", z(gen), z(gen)});
  rows.push_back({"far", "", 3, 2});
  const Chart& c = build(f, rows);
  expect_readable(c.svg);
  const int drawn = label_count(c.svg);
  EXPECT_GT(drawn, 10);
  EXPECT_LT(drawn, 46);
  EXPECT_EQ(drawn + not_shown(c.svg), 46);
  EXPECT_TRUE(has_text(c.svg, "far"));
  EXPECT_NE(c.svg.find("class=\"leader\""), std::string::npos);
}

// A few well separated points keep every label, next to their points, and
// there is no note.
TEST(ChartLayout, SparseLabelsAreAllShownWithoutNote) {
  Fixture f;
  const Chart& c = build(f, {{"north", "", 0, 1}, {"south", "", 0, -1}, {"east", "", 1, 0}, {"west", "", -1, 0}});
  expect_readable(c.svg);
  EXPECT_EQ(label_count(c.svg), 4);
  EXPECT_EQ(not_shown(c.svg), 0);
  EXPECT_EQ(c.svg.find("class=\"leader\""), std::string::npos);
}

// 2,000 labelled points in 40 groups of 50 (each small enough to be
// labelled): placing stays fast and nothing overlaps.
TEST(ChartLayout, TwoThousandLabelsArePlacedQuickly) {
  Fixture f;
  std::vector<Row> rows;
  for (int g = 0; g < 40; ++g) {
    auto part = objects(50, 100 + g, "group " + std::to_string(g + 1));
    rows.insert(rows.end(), part.begin(), part.end());
  }
  const auto t0 = std::chrono::steady_clock::now();
  const Chart& c = build(f, rows);
  const double secs = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  EXPECT_LT(secs, 1.0);
  expect_readable(c.svg);
  EXPECT_EQ(label_count(c.svg) + not_shown(c.svg), 2000);
  EXPECT_GT(label_count(c.svg), 100);
}

// 2,000 objects: unlabelled by default, all drawn, one note.
TEST(ChartLayout, LargeCloudIsDrawnUnlabelled) {
  Fixture f;
  const Chart& c = build(f, objects(2000, 11, ""));
  expect_readable(c.svg);
  EXPECT_EQ(label_count(c.svg), 0);
  EXPECT_EQ(not_shown(c.svg), 2000);
  int circles = 0;
  for (std::size_t p = c.svg.find("<circle"); p != std::string::npos; p = c.svg.find("<circle", p + 1)) ++circles;
  EXPECT_EQ(circles, 2000);
}

// Long category names along x, a long axis title, title and legend entries:
// shown whole where there is room, and never outside the picture.
TEST(ChartLayout, LongTextsStayInsideThePicture) {
  Fixture f;
  auto& cx = f.cx;
  const int h = cx.CX_CREATECHARTDESCRIPTION("CATPCA");
  cx.CX_ADDFRAMEWITHLABEL(h, host::ChartFrame::Title,
                          f.s("Transformation: job category of the employee at the time of the survey, "
                              "as coded by the personnel department in its yearly review"));
  cx.CX_ADDFRAMEWITHLABEL(h, host::ChartFrame::Footnote, f.s("First note."));
  cx.CX_ADDFRAMEWITHLABEL(h, host::ChartFrame::Footnote, f.s("Second note."));
  const int lc = cx.CX_ADDAGGREGATE(h, f.s("Category"), true);
  const int gc = cx.CX_ADDAGGREGATE(h, f.s("Dimension"), true);
  const int yc = cx.CX_ADDAGGREGATE(h, f.s("Quantification"), false);
  cx.CX_ADDXYDIMENSIONWITHAXIS(h, lc, yc, f.s("Employment category"), f.s("Quantification"));
  cx.CX_ADDXYELEMENTEX(h, host::ElementKind::Line, gc);
  cx.CX_ADDXYELEMENTEX(h, host::ElementKind::Point, gc);
  cx.CX_ADDLEGENDFRAMEEX(h, f.s("Dimension"));
  const char* cats[] = {"Senior employee", "Clerical", "Custodial worker of the night shift", "Manager",
                        "Wwwwwwwwwwwwwww", "Technical staff"};
  const char* groups[] = {"1", "A very long group name that will not fit in the legend column at all"};
  for (int g = 0; g < 2; ++g)
    for (int i = 0; i < 6; ++i) {
      cx.CX_ADDROW(h);
      cx.CX_ADDDATATEXT(h, lc, f.s(cats[i]));
      cx.CX_ADDDATATEXT(h, gc, f.s(groups[g]));
      cx.CX_ADDDATAVALUE(h, yc, (i - 2.5) * (g + 1));
    }
  cx.CX_ENDCHART(h);
  const std::string& svg = f.last().svg;
  expect_readable(svg);
  EXPECT_TRUE(has_text(svg, "Senior employee"));
  EXPECT_TRUE(has_text(svg, "Custodial worker of the night shift"));
  EXPECT_TRUE(has_text(svg, "Wwwwwwwwwwwwwww"));
  EXPECT_TRUE(has_text(svg, "First note."));
  EXPECT_TRUE(has_text(svg, "Second note."));
  // Tick labels along x do not overlap one another.
  std::vector<TextBox> ticks;
  for (const auto& b : text_boxes(svg))
    if (b.cls == "tick" && std::find(std::begin(cats), std::end(cats), b.text) != std::end(cats)) ticks.push_back(b);
  ASSERT_EQ(ticks.size(), 6u);
  for (std::size_t i = 0; i < ticks.size(); ++i)
    for (std::size_t j = i + 1; j < ticks.size(); ++j)
      EXPECT_FALSE(overlap(ticks[i], ticks[j])) << ticks[i].text << " / " << ticks[j].text;
}

// Supplementary points: hollow markers, their own legend entry drawn hollow.
TEST(ChartLayout, SupplementaryPointsAreHollowAndInTheLegend) {
  Fixture f;
  auto rows = objects(20, 5);
  rows.push_back({"s1", "Supplementary Objects", 0.5, 0.5, false, true});
  rows.push_back({"s2", "Supplementary Objects", -0.5, 0.2, false, true});
  const Chart& c = build(f, rows);
  expect_readable(c.svg);
  EXPECT_TRUE(has_text(c.svg, "Supplementary Objects"));
  // The second group draws squares: two in the data, one in the legend, all
  // outlined on white; the active objects stay filled.
  const std::regex hollow_rect("<rect [^>]*fill=\"#ffffff\" stroke=\"#d2691e\"");
  const auto r = std::distance(std::sregex_iterator(c.svg.begin(), c.svg.end(), hollow_rect), std::sregex_iterator());
  EXPECT_EQ(r, 3);
  const std::regex filled("<circle [^>]*fill=\"#1f5fa8\"/>");
  EXPECT_EQ(std::distance(std::sregex_iterator(c.svg.begin(), c.svg.end(), filled), std::sregex_iterator()), 21);
}

// Vectors already about the cloud's size are not rescaled.
TEST(ChartLayout, VectorsOfTheCloudsSizeKeepTheirLength) {
  Fixture f;
  std::vector<Row> rows = {{"a", "Objects", 1, 0}, {"b", "Objects", -1, 0.5}, {"c", "Objects", 0, -1},
                           {"v", "Loadings", 0.9, 0.3, true}};
  const Chart& c = build(f, rows);
  EXPECT_EQ(chart_vector_scale(c), 1.0);
  EXPECT_EQ(c.svg.find("\xC3\x97"), std::string::npos);
  expect_readable(c.svg);
}

}  // namespace

namespace {

// A title that already names the subject (a composite with the subtitle as
// its parameter) is not followed by the same subtitle again; another
// subtitle is drawn.
TEST(ChartLayout, SubtitleRepeatedInTheTitleIsDrawnOnce) {
  for (const bool repeated : {true, false}) {
    Session session;
    session.begin_command("TEST", "");
    StubMessages msg;
    ChartBuilder cx{session, msg, [&](host::Msg m) {
                      const std::string t = msg.text(m);
                      if (t == "Category Points: q1") return Text{"Category Points", t, {"q1"}};
                      return Text{"", t, {}};
                    }};
    const int h = cx.CX_CREATECHARTDESCRIPTION("CATPCA");
    cx.CX_ADDFRAMEWITHLABEL(h, host::ChartFrame::Title, msg.add("Category Points: q1"));
    cx.CX_ADDFRAMEWITHLABEL(h, host::ChartFrame::Subtitle, msg.add(repeated ? "q1" : "Predictor: q1"));
    const int xc = cx.CX_ADDAGGREGATE(h, msg.add("x"), false), yc = cx.CX_ADDAGGREGATE(h, msg.add("y"), false);
    cx.CX_ADDXYDIMAXISWITHSAMERATIO(h, xc, yc, msg.add("x"), msg.add("y"));
    cx.CX_ADDROW(h);
    cx.CX_ADDDATAVALUE(h, xc, 1);
    cx.CX_ADDDATAVALUE(h, yc, 2);
    cx.CX_ENDCHART(h);
    const Chart* c = std::get_if<Chart>(&session.document().commands.back().items.back());
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->svg.find("class=\"subtitle\"") == std::string::npos, repeated);
    EXPECT_EQ(c->subtitle.text, repeated ? "q1" : "Predictor: q1");  // the data keeps it either way
  }
}

// Many groups: the legend lists what fits and counts the rest, inside the picture.
TEST(ChartLayout, LongLegendIsCutWithACount) {
  Fixture f;
  std::vector<Row> rows;
  for (int g = 0; g < 35; ++g) rows.push_back({"p" + std::to_string(g), "Group " + std::to_string(g + 1), g * 0.1, g % 5 * 0.3});
  const Chart& c = build(f, rows);
  expect_readable(c.svg);
  EXPECT_TRUE(has_text(c.svg, "Group 1"));
  EXPECT_FALSE(has_text(c.svg, "Group 35"));
  std::smatch m;
  ASSERT_TRUE(std::regex_search(c.svg, m, std::regex(">\xE2\x80\xA6 ([0-9]+) more<")));
  int listed = 0;
  for (const auto& b : text_boxes(c.svg)) listed += b.text.rfind("Group ", 0) == 0;
  EXPECT_EQ(listed + std::stoi(m[1]), 35);
}

}  // namespace
