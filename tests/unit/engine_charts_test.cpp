// Chart builder (CX_ calls) and SVG rendering.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "engine/charts.hpp"
#include "engine/session.hpp"
#include "engine/svg.hpp"

namespace {

using namespace oscat::engine;
namespace host = oscat::host;

// Just enough of a message service: handles are indexes into `texts`.
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
  void BP_ERROR(host::Msg, int, int) override { ++reports; }
  void ERROR(int, int, int, std::vector<std::string>) override { ++reports; }
  std::string text(host::Msg m) const override {
    return m > 0 && static_cast<std::size_t>(m) < texts.size() ? texts[m] : std::string();
  }
  bool error_flag() const override { return false; }
  void clear_error_flag() override {}
  void ASSERT(bool, std::string_view, std::string_view) override {}
  int reports = 0;
};

struct Fixture {
  Session session;
  StubMessages msg;
  ChartBuilder charts{session, msg, [this](host::Msg m) { return Text{"", msg.text(m), {}}; }};
  Fixture() { session.begin_command("TEST", ""); }
  host::Msg s(const std::string& t) { return msg.add(t); }
  std::vector<const Chart*> emitted() const {
    std::vector<const Chart*> out;
    for (const auto& item : session.document().commands.back().items)
      if (const Chart* c = std::get_if<Chart>(&item)) out.push_back(c);
    return out;
  }
};

// A small well-formedness checker: balanced, properly nested tags, quoted
// attributes, no raw '<' in text or attributes and '&' only as an entity.
bool well_formed(const std::string& x, std::string& why) {
  std::vector<std::string> stack;
  int roots = 0;
  auto entity_ok = [&](std::size_t i) {
    std::size_t semi = x.find(';', i);
    if (semi == std::string::npos || semi - i > 10) return false;
    std::string e = x.substr(i + 1, semi - i - 1);
    if (e == "amp" || e == "lt" || e == "gt" || e == "quot" || e == "apos") return true;
    if (e.size() < 2 || e[0] != '#') return false;
    for (std::size_t k = 1; k < e.size(); ++k)
      if (!std::isdigit(static_cast<unsigned char>(e[k]))) return false;
    return true;
  };
  std::size_t i = 0;
  while (i < x.size()) {
    if (x[i] == '&') {
      if (!entity_ok(i)) return why = "bad entity at " + std::to_string(i), false;
      ++i;
      continue;
    }
    if (x[i] != '<') {
      if (x[i] == '>') return why = "raw > in text at " + std::to_string(i), false;
      if (!std::isspace(static_cast<unsigned char>(x[i])) && stack.empty()) return why = "text outside root", false;
      ++i;
      continue;
    }
    bool closing = i + 1 < x.size() && x[i + 1] == '/';
    std::size_t p = i + (closing ? 2 : 1);
    std::size_t n0 = p;
    while (p < x.size() && (std::isalnum(static_cast<unsigned char>(x[p])) || x[p] == '-' || x[p] == ':')) ++p;
    std::string name = x.substr(n0, p - n0);
    if (name.empty()) return why = "empty tag name at " + std::to_string(i), false;
    if (closing) {
      if (p >= x.size() || x[p] != '>') return why = "bad closing tag " + name, false;
      if (stack.empty() || stack.back() != name) return why = "mismatched </" + name + ">", false;
      stack.pop_back();
      i = p + 1;
      continue;
    }
    // attributes
    bool self = false;
    for (;;) {
      while (p < x.size() && std::isspace(static_cast<unsigned char>(x[p]))) ++p;
      if (p >= x.size()) return why = "unterminated tag " + name, false;
      if (x[p] == '>') break;
      if (x[p] == '/' && p + 1 < x.size() && x[p + 1] == '>') {
        self = true;
        ++p;
        break;
      }
      std::size_t a0 = p;
      while (p < x.size() && (std::isalnum(static_cast<unsigned char>(x[p])) || x[p] == '-' || x[p] == ':')) ++p;
      if (p == a0 || p + 1 >= x.size() || x[p] != '=' || x[p + 1] != '"')
        return why = "bad attribute in " + name + " at " + std::to_string(p), false;
      p += 2;
      while (p < x.size() && x[p] != '"') {
        if (x[p] == '<') return why = "raw < in attribute", false;
        if (x[p] == '&' && !entity_ok(p)) return why = "bad entity in attribute", false;
        ++p;
      }
      ++p;
    }
    if (stack.empty()) ++roots;
    if (!self) stack.push_back(name);
    i = p + 1;
  }
  if (!stack.empty()) return why = "unclosed <" + stack.back() + ">", false;
  if (roots != 1) return why = "roots: " + std::to_string(roots), false;
  return true;
}

int count(const std::string& s, const std::string& what) {
  int n = 0;
  for (std::size_t p = s.find(what); p != std::string::npos; p = s.find(what, p + 1)) ++n;
  return n;
}

std::vector<std::pair<double, double>> circles(const std::string& svg) {
  std::vector<std::pair<double, double>> out;
  const std::string tag = "<circle cx=\"";
  for (std::size_t p = svg.find(tag); p != std::string::npos; p = svg.find(tag, p + 1)) {
    std::size_t x0 = p + tag.size();
    std::size_t y0 = svg.find("cy=\"", x0) + 4;
    out.emplace_back(std::stod(svg.substr(x0)), std::stod(svg.substr(y0)));
  }
  return out;
}

// A configuration plot: label, dim 1, dim 2 with the given rows.
int config_chart(Fixture& f, bool same_ratio, const std::vector<std::tuple<std::string, double, double>>& rows,
                 int label_max = 8) {
  auto& c = f.charts;
  int h = c.CX_CREATECHARTDESCRIPTION("CATPCA");
  c.CX_ADDFRAMEWITHLABEL(h, host::ChartFrame::Title, f.s("Object Points"));
  int lab = c.CX_ADDAGGREGATE(h, f.s("Label"), true);
  int d1 = c.CX_ADDAGGREGATE(h, f.s("Dimension 1"), false);
  int d2 = c.CX_ADDAGGREGATE(h, f.s("Dimension 2"), false);
  if (same_ratio) c.CX_ADDXYDIMAXISWITHSAMERATIO(h, d1, d2, f.s("Dimension 1"), f.s("Dimension 2"));
  else c.CX_ADDXYDIMENSIONWITHAXIS(h, d1, d2, f.s("Dimension 1"), f.s("Dimension 2"));
  int e = c.CX_ADDXYELEMENTEX(h, host::ElementKind::Point, 0);
  c.CX_ADDLABELING(h, e, lab, label_max);
  for (const auto& [l, x, y] : rows) {
    c.CX_ADDROW(h);
    c.CX_ADDDATATEXT(h, lab, f.s(l));
    c.CX_ADDDATAVALUE(h, d1, x);
    c.CX_ADDDATAVALUE(h, d2, y);
  }
  return h;
}

TEST(Charts, EqualScalingGivesEqualUnitLengths) {
  // A flat configuration: x spans 10 units, y only 1.
  const std::vector<std::tuple<std::string, double, double>> rows = {
      {"o", 0, 0}, {"x", 1, 0}, {"y", 0, 1}, {"far", 10, 0.5}};
  for (bool same : {true, false}) {
    Fixture f;
    f.charts.CX_ENDCHART(config_chart(f, same, rows));
    auto charts = f.emitted();
    ASSERT_EQ(charts.size(), 1u);
    auto pts = circles(charts[0]->svg);
    ASSERT_EQ(pts.size(), 4u);
    double ux = pts[1].first - pts[0].first;    // pixels for one unit along x
    double uy = pts[0].second - pts[2].second;  // pixels for one unit along y (y grows down)
    PlotFrame fr = chart_plot_frame(*charts[0]);
    if (same) {
      EXPECT_NEAR(ux, uy, 0.02);
      EXPECT_NEAR(fr.width / (fr.xmax - fr.xmin), fr.height / (fr.ymax - fr.ymin), 1e-9);
      EXPECT_LE(fr.xmin, 0);
      EXPECT_GE(fr.xmax, 10);
    } else {
      EXPECT_GT(uy, 5 * ux);  // each axis fits its own data
    }
  }
}

TEST(Charts, LabelsAreCutAndEscaped) {
  Fixture f;
  int h = config_chart(f, true, {{"Supplementary", 1, 1}, {"A<B & \"C\"", 2, 2}, {"bad\xFFutf", 3, 0}}, 5);
  f.charts.CX_ENDCHART(h);
  const std::string& svg = f.emitted().at(0)->svg;
  std::string why;
  EXPECT_TRUE(well_formed(svg, why)) << why;
  EXPECT_NE(svg.find(">Suppl</text>"), std::string::npos);
  EXPECT_EQ(svg.find("Supplem"), std::string::npos);
  EXPECT_NE(svg.find(">A&lt;B &amp;</text>"), std::string::npos);  // cut to 5 characters, then escaped
  EXPECT_EQ(svg.find('\xFF'), std::string::npos);

  Fixture g;
  g.charts.CX_ENDCHART(config_chart(g, true, {{"Supplementary", 1, 1}}, 0));
  EXPECT_EQ(g.emitted().at(0)->svg.find("class=\"label\""), std::string::npos);  // 0: unlabelled
}

TEST(Charts, MissingValuesAreNotDrawn) {
  Fixture f;
  int h = config_chart(f, false, {{"a", 1, 1}, {"b", host::SYSMIS, 2}, {"c", 2, std::nan("")}, {"d", 3, 0}});
  f.charts.CX_ENDCHART(h);
  const Chart* c = f.emitted().at(0);
  EXPECT_EQ(circles(c->svg).size(), 2u);
  EXPECT_EQ(c->rows.size(), 4u);  // the data is kept, only drawing skips it
  EXPECT_TRUE(std::isnan(std::get<double>(c->rows[1][1])));
}

TEST(Charts, KilledEmptyAndUnfinishedChartsAreNotEmitted) {
  Fixture f;
  int killed = config_chart(f, true, {{"a", 1, 1}});
  f.charts.CX_KILLCHART(killed);
  f.charts.CX_ENDCHART(killed);  // already gone: nothing happens
  int empty = config_chart(f, true, {});
  f.charts.CX_ENDCHART(empty);
  int kept = config_chart(f, true, {{"a", 1, 1}});
  int open = config_chart(f, true, {{"a", 1, 1}});
  f.charts.CX_ENDCHART(kept);
  EXPECT_EQ(f.charts.open_charts(), 1u);
  f.charts.CX_TERMINATE();
  EXPECT_EQ(f.charts.open_charts(), 0u);
  f.charts.CX_ENDCHART(open);
  EXPECT_EQ(f.emitted().size(), 1u);
  // Invalid handles and columns are ignored without a report.
  f.charts.CX_ADDROW(999);
  f.charts.CX_ADDDATAVALUE(999, 1, 1.0);
  int h = f.charts.CX_CREATECHARTDESCRIPTION("X");
  f.charts.CX_ADDDATAVALUE(h, 1, 1.0);  // no row yet, no column
  f.charts.CX_ADDROW(h);
  f.charts.CX_ADDDATAVALUE(h, 7, 1.0);
  f.charts.CX_ADDDATATEXT(h, -1, 0);
  f.charts.CX_ADDXYDIMENSIONWITHAXIS(h, 3, 4, 0, 0);
  f.charts.CX_ADDLABELING(h, 5, 1, 3);
  const int cols[] = {0, 9};
  f.charts.CX_ADDSPLOMELEMENT(h, cols, 0);
  f.charts.CX_ENDCHART(h);  // one row without columns still renders safely
  EXPECT_EQ(f.emitted().size(), 2u);
  std::string why;
  EXPECT_TRUE(well_formed(f.emitted()[1]->svg, why)) << why;
  EXPECT_EQ(f.msg.reports, 0);
}

TEST(Charts, ScatterplotMatrixHasPanelForEveryPair) {
  Fixture f;
  auto& c = f.charts;
  int h = c.CX_CREATECHARTDESCRIPTION("CORRESP");
  c.CX_ADDFRAMEWITHLABEL(h, host::ChartFrame::Title, f.s("Row Points"));
  int lab = c.CX_ADDAGGREGATE(h, f.s("Label"), true);
  int d[3];
  for (int k = 0; k < 3; ++k) d[k] = c.CX_ADDAGGREGATE(h, f.s("Dimension " + std::to_string(k + 1)), false);
  c.CX_ADDSPLOMELEMENT(h, d, f.s("Dimension"));
  int e = c.CX_ADDXYELEMENTEX(h, host::ElementKind::Point, 0);
  c.CX_ADDLABELING(h, e, lab, 10);
  for (int r = 0; r < 5; ++r) {
    c.CX_ADDROW(h);
    c.CX_ADDDATATEXT(h, lab, f.s("r" + std::to_string(r)));
    for (int k = 0; k < 3; ++k) c.CX_ADDDATAVALUE(h, d[k], std::sin(r + k));
  }
  c.CX_ENDCHART(h);
  const std::string& svg = f.emitted().at(0)->svg;
  std::string why;
  EXPECT_TRUE(well_formed(svg, why)) << why;
  EXPECT_EQ(count(svg, "<g class=\"panel\">"), 6);
  EXPECT_EQ(count(svg, "<g class=\"diag\">"), 3);
  EXPECT_EQ(static_cast<int>(circles(svg).size()), 6 * 5);
  EXPECT_NE(svg.find(">Dimension 3</text>"), std::string::npos);
}

TEST(Charts, BiplotLinesEllipsesAndReferenceLines) {
  Fixture f;
  auto& c = f.charts;
  int h = c.CX_CREATECHARTDESCRIPTION("CATPCA");
  int grp = c.CX_ADDAGGREGATE(h, f.s("Set"), true);
  int x = c.CX_ADDAGGREGATE(h, f.s("Dim 1"), false);
  int y = c.CX_ADDAGGREGATE(h, f.s("Dim 2"), false);
  c.CX_ADDXYDIMAXISWITHSAMERATIO(h, x, y, 0, 0);
  c.CX_ADDXYELEMENTEX(h, host::ElementKind::Point, grp);
  c.CX_ADDXYELEMENTEX(h, host::ElementKind::Line, grp);
  c.CX_ADDXYELEMENTEX(h, host::ElementKind::Polygon, grp);
  c.CX_ADDLEGENDFRAMEEX(h, f.s("Points & sets"));
  c.CX_ADDXREFERENCELINE(h, 0);
  c.CX_ADDYREFERENCELINE(h, 0);
  for (int r = 0; r < 8; ++r) {
    c.CX_ADDROW(h);
    c.CX_ADDDATATEXT(h, grp, f.s(r < 4 ? "Rows" : "Columns"));
    c.CX_ADDDATAVALUE(h, x, std::cos(r * 1.57));
    c.CX_ADDDATAVALUE(h, y, r % 4 == 2 ? host::SYSMIS : std::sin(r * 1.57));
  }
  c.CX_ENDCHART(h);
  const std::string& svg = f.emitted().at(0)->svg;
  std::string why;
  EXPECT_TRUE(well_formed(svg, why)) << why;
  EXPECT_NE(svg.find("Points &amp; sets"), std::string::npos);
  EXPECT_NE(svg.find(">Rows</text>"), std::string::npos);
  EXPECT_NE(svg.find(">Columns</text>"), std::string::npos);
  EXPECT_EQ(count(svg, "class=\"ellipse\""), 2);     // one closed polygon per group
  EXPECT_EQ(count(svg, "class=\"line\""), 2);  // per group: a 2-point run, a gap, then a lone point (no line)
  EXPECT_EQ(count(svg, "class=\"refline\""), 2);
  // Groups get distinct markers: circles for the first, squares for the second
  // (three drawn points each, plus one in the legend).
  EXPECT_EQ(circles(svg).size(), 3u + 1);
  EXPECT_EQ(count(svg, "<rect x="), 3 + 1);
  EXPECT_EQ(render_svg(*f.emitted()[0]), svg);  // deterministic
}

TEST(Charts, TextXColumnPutsCategoriesAlongX) {
  Fixture f;
  auto& c = f.charts;
  int h = c.CX_CREATECHARTDESCRIPTION("CORRESP");
  int cat = c.CX_ADDAGGREGATE(h, f.s("Category"), true);
  int q = c.CX_ADDAGGREGATE(h, f.s("Quantification"), false);
  c.CX_ADDXYDIMENSIONWITHAXIS(h, cat, q, f.s("Category"), f.s("Quantification"));
  c.CX_ADDXYELEMENTEX(h, host::ElementKind::Line, 0);
  c.CX_ADDXYELEMENTEX(h, host::ElementKind::Point, 0);
  const char* names[] = {"low", "mid", "high"};
  for (int r = 0; r < 3; ++r) {
    c.CX_ADDROW(h);
    c.CX_ADDDATATEXT(h, cat, f.s(names[r]));
    c.CX_ADDDATAVALUE(h, q, r * r - 1.0);
  }
  c.CX_ENDCHART(h);
  const Chart* ch = f.emitted().at(0);
  PlotFrame fr = chart_plot_frame(*ch);
  EXPECT_TRUE(fr.categorical_x);
  auto pts = circles(ch->svg);
  ASSERT_EQ(pts.size(), 3u);
  EXPECT_NEAR(pts[1].first - pts[0].first, pts[2].first - pts[1].first, 0.02);  // equally spaced
  EXPECT_GT(pts[0].second, pts[2].second);  // -1 drawn below 3
  for (const char* n : names) EXPECT_NE(ch->svg.find(std::string(">") + n + "</text>"), std::string::npos);
  EXPECT_EQ(count(ch->svg, "class=\"line\""), 1);
}

}  // namespace

// Loadings drawn as vectors beside plain points: each element draws only its
// own rows, a vector runs from the origin, and the origin is in the frame
// even when every point lies away from it.
TEST(Charts, VectorsAndPointsDrawOnlyTheirOwnRows) {
  Fixture f;
  auto& cx = f.charts;
  const int h = cx.CX_CREATECHARTDESCRIPTION("CATPCA");
  const int lc = cx.CX_ADDAGGREGATE(h, f.s("Label"), true);
  const int xc = cx.CX_ADDAGGREGATE(h, f.s("x"), false);
  const int yc = cx.CX_ADDAGGREGATE(h, f.s("y"), false);
  const int pc = cx.CX_ADDAGGREGATE(h, f.s("Point"), false);
  const int vc = cx.CX_ADDAGGREGATE(h, f.s("Vector"), false);
  cx.CX_ADDXYDIMAXISWITHSAMERATIO(h, xc, yc, f.s("x"), f.s("y"));
  const int ve = cx.CX_ADDXYELEMENTEX(h, host::ElementKind::Vector, 0);
  cx.CX_SETELEMENTROWS(h, ve, vc);
  cx.CX_ADDLABELING(h, ve, lc, 20);
  const int pe = cx.CX_ADDXYELEMENTEX(h, host::ElementKind::Point, 0);
  cx.CX_SETELEMENTROWS(h, pe, pc);
  const struct { const char* label; double x, y; bool vector; } rows[] = {
      {"p1", 2, 3, false}, {"p2", 3, 2, false}, {"v1", 4, 4, true}};
  for (const auto& r : rows) {
    cx.CX_ADDROW(h);
    cx.CX_ADDDATATEXT(h, lc, f.s(r.label));
    cx.CX_ADDDATAVALUE(h, xc, r.x);
    cx.CX_ADDDATAVALUE(h, yc, r.y);
    cx.CX_ADDDATAVALUE(h, r.vector ? vc : pc, 1.0);
  }
  cx.CX_ENDCHART(h);
  const std::string& svg = f.emitted().at(0)->svg;
  EXPECT_EQ(circles(svg).size(), 2u);  // no marker for the vector row
  std::size_t vectors = 0;
  for (std::size_t at = svg.find("class=\"vector\""); at != std::string::npos;
       at = svg.find("class=\"vector\"", at + 1))
    ++vectors;
  EXPECT_EQ(vectors, 1u);
  EXPECT_NE(svg.find(">v1<"), std::string::npos);
  // The vector starts at the origin: its x1 is the x position of data 0,
  // left of every point.
  const std::string tag = "class=\"vector\" x1=\"";
  const auto at = svg.find(tag);
  ASSERT_NE(at, std::string::npos);
  const double x0 = std::stod(svg.substr(at + tag.size()));
  for (const auto& c : circles(svg)) EXPECT_LT(x0, c.first);
}
