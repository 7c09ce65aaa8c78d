#include "engine/svg.hpp"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <map>

#include "engine/format.hpp"

namespace oscat::engine {
namespace {

constexpr double kWidth = 640, kHeight = 480;
constexpr double kLegendWidth = 170;
constexpr double kMarginLeft = 72, kMarginRight = 24, kMarginBottom = 58;
constexpr std::size_t kMaxTickLabel = 14;

const char* const kColours[] = {"#1f5fa8", "#d2691e", "#2e8b57", "#b22234", "#6a4c93",
                                "#8c6d31", "#c71585", "#4d4d4d", "#008b8b", "#9acd32"};
constexpr int kColourCount = sizeof kColours / sizeof kColours[0];

double nan() { return std::numeric_limits<double>::quiet_NaN(); }

// Coordinates with two decimals: fixed and locale-free enough for diffs.
std::string num(double v) {
  char buf[48];
  std::snprintf(buf, sizeof buf, "%.2f", v);
  std::string s = buf;
  if (s == "-0.00") s = "0.00";
  return s;
}

double cell_number(const Chart& c, std::size_t row, int col) {
  if (col < 0 || row >= c.rows.size() || static_cast<std::size_t>(col) >= c.rows[row].size()) return nan();
  const auto& v = c.rows[row][col];
  if (const double* d = std::get_if<double>(&v)) {
    if (host::is_sysmis(*d) || !std::isfinite(*d)) return nan();
    return *d;
  }
  return nan();
}

std::string cell_text(const Chart& c, std::size_t row, int col) {
  if (col < 0 || row >= c.rows.size() || static_cast<std::size_t>(col) >= c.rows[row].size()) return {};
  const auto& v = c.rows[row][col];
  if (const std::string* s = std::get_if<std::string>(&v)) return *s;
  double d = std::get<double>(v);
  if (std::isnan(d)) return {};
  return format_value(d, host::BP_GENSTAT_FORMAT());
}

bool valid_col(const Chart& c, int col) { return col >= 0 && static_cast<std::size_t>(col) < c.columns.size(); }
bool text_col(const Chart& c, int col) { return valid_col(c, col) && c.columns[col].is_text; }

// The elements to draw: a chart without any draws its rows as points.
std::vector<ChartElement> elements_of(const Chart& c) {
  if (!c.elements.empty()) return c.elements;
  return {ChartElement{}};
}

// Groups are shared by all elements so that a group keeps its style across
// points and lines; order of first appearance.
struct Groups {
  std::vector<std::string> names;
  std::map<std::string, int> index;
  int of(const std::string& name) {
    auto it = index.find(name);
    if (it != index.end()) return it->second;
    int i = static_cast<int>(names.size());
    names.push_back(name);
    index.emplace(name, i);
    return i;
  }
};

// Whether `row` belongs to element `e` (CX_SETELEMENTROWS).
bool in_element(const Chart& c, const ChartElement& e, std::size_t row) {
  if (!valid_col(c, e.rows_col)) return true;
  if (text_col(c, e.rows_col)) return !cell_text(c, row, e.rows_col).empty();
  return !std::isnan(cell_number(c, row, e.rows_col));
}

int group_of(const Chart& c, const ChartElement& e, std::size_t row, Groups& g) {
  if (!valid_col(c, e.group_col)) return -1;
  return g.of(cell_text(c, row, e.group_col));
}

// Categories of a text x column in order of first appearance.
std::vector<std::string> categories_of(const Chart& c) {
  std::vector<std::string> cats;
  for (std::size_t r = 0; r < c.rows.size(); ++r) {
    std::string s = cell_text(c, r, c.x_col);
    if (std::find(cats.begin(), cats.end(), s) == cats.end()) cats.push_back(s);
  }
  return cats;
}

double category_x(const std::vector<std::string>& cats, const std::string& s) {
  auto it = std::find(cats.begin(), cats.end(), s);
  return it == cats.end() ? nan() : static_cast<double>(it - cats.begin());
}

struct Range {
  double lo = std::numeric_limits<double>::infinity();
  double hi = -std::numeric_limits<double>::infinity();
  void add(double v) {
    if (std::isnan(v)) return;
    lo = std::min(lo, v);
    hi = std::max(hi, v);
  }
  bool empty() const { return lo > hi; }
};

// Padded so that no point sits on the frame; a degenerate range gets a width.
void pad(Range& r) {
  if (r.empty()) {
    r.lo = -1;
    r.hi = 1;
    return;
  }
  double w = r.hi - r.lo;
  if (w <= 0) {
    double half = std::fabs(r.lo) > 0 ? std::fabs(r.lo) * 0.1 : 1.0;
    r.lo -= half;
    r.hi += half;
    return;
  }
  r.lo -= 0.06 * w;
  r.hi += 0.06 * w;
}

double nice_step(double span, int target) {
  if (!(span > 0) || !std::isfinite(span)) return 1;
  double raw = span / target;
  double mag = std::pow(10.0, std::floor(std::log10(raw)));
  double f = raw / mag;
  double step = f < 1.5 ? 1 : f < 3 ? 2 : f < 7 ? 5 : 10;
  return step * mag;
}

std::string tick_label(double v, double step) {
  int dec = 0;
  if (step < 1) dec = std::min(6, static_cast<int>(std::ceil(-std::log10(step) - 1e-9)));
  if (std::fabs(v) < step * 1e-9) v = 0;
  return format_value(v, host::BP_FIXED_FORMAT(dec));
}

bool has_legend(const Chart& c) {
  for (const auto& e : elements_of(c))
    if (valid_col(c, e.group_col)) return true;
  return false;
}

double title_block(const Chart& c) {
  double h = 16;
  if (!c.title.text.empty()) h += 22;
  if (!c.subtitle.text.empty()) h += 18;
  return h;
}

double footnote_block(const Chart& c) { return c.footnote.text.empty() ? 0 : 20; }

double svg_width(const Chart& c) { return kWidth + (has_legend(c) ? kLegendWidth : 0); }

// Markers: shape by group, colour by group; group -1 uses the first style.
std::string marker(int group, double x, double y, double size = 4) {
  int g = group < 0 ? 0 : group;
  const char* col = kColours[g % kColourCount];
  std::string out;
  std::string cx = num(x), cy = num(y);
  switch (g % 6) {
    case 0:
      out = "<circle cx=\"" + cx + "\" cy=\"" + cy + "\" r=\"" + num(size) + "\" fill=\"" + col + "\"/>";
      break;
    case 1:
      out = "<rect x=\"" + num(x - size) + "\" y=\"" + num(y - size) + "\" width=\"" + num(2 * size) +
            "\" height=\"" + num(2 * size) + "\" fill=\"" + col + "\"/>";
      break;
    case 2:
      out = "<polygon points=\"" + num(x) + "," + num(y - 1.2 * size) + " " + num(x - 1.1 * size) + "," +
            num(y + 0.8 * size) + " " + num(x + 1.1 * size) + "," + num(y + 0.8 * size) + "\" fill=\"" + col +
            "\"/>";
      break;
    case 3:
      out = "<polygon points=\"" + num(x) + "," + num(y - 1.3 * size) + " " + num(x + 1.3 * size) + "," + cy +
            " " + num(x) + "," + num(y + 1.3 * size) + " " + num(x - 1.3 * size) + "," + cy + "\" fill=\"" +
            col + "\"/>";
      break;
    case 4:
      out = "<polygon points=\"" + num(x) + "," + num(y + 1.2 * size) + " " + num(x - 1.1 * size) + "," +
            num(y - 0.8 * size) + " " + num(x + 1.1 * size) + "," + num(y - 0.8 * size) + "\" fill=\"" + col +
            "\"/>";
      break;
    default:
      out = "<path d=\"M" + num(x - size) + "," + cy + "H" + num(x + size) + "M" + cx + "," + num(y - size) +
            "V" + num(y + size) + "\" stroke=\"" + col + "\" stroke-width=\"2\"/>";
      break;
  }
  return out;
}

std::string text_el(double x, double y, std::string_view s, const char* anchor, const char* extra = "") {
  return "<text x=\"" + num(x) + "\" y=\"" + num(y) + "\" text-anchor=\"" + anchor + "\"" + extra + ">" +
         xml_escape(s) + "</text>";
}

std::string axis_title(const Chart& c, const Text& label, int col) {
  if (!label.text.empty()) return label.text;
  if (valid_col(c, col)) return c.columns[col].name.text;
  return {};
}

struct Mapper {
  PlotFrame f;
  double px(double x) const { return f.left + (x - f.xmin) / (f.xmax - f.xmin) * f.width; }
  double py(double y) const { return f.top + f.height - (y - f.ymin) / (f.ymax - f.ymin) * f.height; }
};

// Point coordinates of one row in data units (NaN when not drawable).
std::pair<double, double> row_xy(const Chart& c, std::size_t r, const std::vector<std::string>* cats, int xcol,
                                 int ycol) {
  double x = cats ? category_x(*cats, cell_text(c, r, xcol)) : cell_number(c, r, xcol);
  return {x, cell_number(c, r, ycol)};
}

// Points, lines and polygons of every element within one frame.
void draw_elements(std::string& out, const Chart& c, const Mapper& m, const std::vector<std::string>* cats,
                   int xcol, int ycol, Groups& groups, bool labels, double marker_size) {
  const auto elems = elements_of(c);
  // Polygons and lines first so that points and labels stay on top.
  for (int pass = 0; pass < 2; ++pass) {
    for (const auto& e : elems) {
      bool is_point = e.kind == host::ElementKind::Point || e.kind == host::ElementKind::Bar;
      if ((pass == 0) == is_point) continue;
      if (e.kind == host::ElementKind::Line || e.kind == host::ElementKind::Polygon) {
        // One path per group, in row order; a missing value breaks a line.
        std::map<int, std::vector<std::vector<std::pair<double, double>>>> paths;
        std::vector<int> order;
        for (std::size_t r = 0; r < c.rows.size(); ++r) {
          if (!in_element(c, e, r)) continue;
          int g = group_of(c, e, r, groups);
          auto [x, y] = row_xy(c, r, cats, xcol, ycol);
          auto& segs = paths[g];
          if (std::find(order.begin(), order.end(), g) == order.end()) order.push_back(g);
          if (std::isnan(x) || std::isnan(y)) {
            if (!segs.empty() && !segs.back().empty() && e.kind == host::ElementKind::Line) segs.emplace_back();
            continue;
          }
          if (segs.empty()) segs.emplace_back();
          segs.back().emplace_back(m.px(x), m.py(y));
        }
        for (int g : order) {
          const char* col = kColours[(g < 0 ? 0 : g) % kColourCount];
          if (e.kind == host::ElementKind::Polygon) {
            std::string pts;
            for (const auto& seg : paths[g])
              for (const auto& p : seg) pts += (pts.empty() ? "" : " ") + num(p.first) + "," + num(p.second);
            if (pts.empty()) continue;
            out += "<polygon class=\"ellipse\" points=\"" + pts + "\" fill=\"" + col +
                   "\" fill-opacity=\"0.08\" stroke=\"" + col + "\" stroke-width=\"1.2\"/>\n";
          } else {
            for (const auto& seg : paths[g]) {
              if (seg.size() < 2) continue;
              std::string pts;
              for (const auto& p : seg) pts += (pts.empty() ? "" : " ") + num(p.first) + "," + num(p.second);
              out += "<polyline class=\"line\" points=\"" + pts + "\" fill=\"none\" stroke=\"" + col +
                     "\" stroke-width=\"1.6\"/>\n";
            }
          }
        }
      } else if (e.kind == host::ElementKind::Vector) {
        // A line from the origin with an arrowhead at the point.
        for (std::size_t r = 0; r < c.rows.size(); ++r) {
          if (!in_element(c, e, r)) continue;
          auto [x, y] = row_xy(c, r, cats, xcol, ycol);
          if (std::isnan(x) || std::isnan(y)) continue;
          const int g = group_of(c, e, r, groups);
          const char* col = kColours[(g < 0 ? 0 : g) % kColourCount];
          const double x0 = m.px(0), y0 = m.py(0), x1 = m.px(x), y1 = m.py(y);
          out += "<line class=\"vector\" x1=\"" + num(x0) + "\" y1=\"" + num(y0) + "\" x2=\"" + num(x1) +
                 "\" y2=\"" + num(y1) + "\" stroke=\"" + col + "\" stroke-width=\"1.6\"/>\n";
          const double len = std::hypot(x1 - x0, y1 - y0);
          if (len < 1) continue;
          const double ux = (x1 - x0) / len, uy = (y1 - y0) / len, head = std::min(8.0, len / 2);
          const double bx = x1 - ux * head, by = y1 - uy * head;
          out += "<polygon class=\"arrow\" points=\"" + num(x1) + "," + num(y1) + " " + num(bx - uy * head / 2.5) +
                 "," + num(by + ux * head / 2.5) + " " + num(bx + uy * head / 2.5) + "," +
                 num(by - ux * head / 2.5) + "\" fill=\"" + col + "\"/>\n";
        }
      } else {
        for (std::size_t r = 0; r < c.rows.size(); ++r) {
          if (!in_element(c, e, r)) continue;
          auto [x, y] = row_xy(c, r, cats, xcol, ycol);
          if (std::isnan(x) || std::isnan(y)) continue;
          out += marker(group_of(c, e, r, groups), m.px(x), m.py(y), marker_size) + "\n";
        }
      }
      // Labels for any element that asked for them; the text is cut to its maximum length.
      if (labels && e.label_max > 0 && valid_col(c, e.label_col) && e.kind != host::ElementKind::Polygon) {
        for (std::size_t r = 0; r < c.rows.size(); ++r) {
          if (!in_element(c, e, r)) continue;
          auto [x, y] = row_xy(c, r, cats, xcol, ycol);
          if (std::isnan(x) || std::isnan(y)) continue;
          std::string lab = cut_text(cell_text(c, r, e.label_col), static_cast<std::size_t>(e.label_max));
          if (lab.empty()) continue;
          out += text_el(m.px(x) + 6, m.py(y) - 5, lab, "start", " class=\"label\"") + "\n";
        }
      }
    }
  }
}

void draw_legend(std::string& out, const Chart& c, const Groups& groups, double x, double y) {
  std::string title;
  if (c.legend_title) title = c.legend_title->text;
  if (title.empty()) {
    for (const auto& e : elements_of(c))
      if (valid_col(c, e.group_col)) {
        title = c.columns[e.group_col].name.text;
        break;
      }
  }
  bool lines_only = true;
  for (const auto& e : elements_of(c))
    if (e.kind == host::ElementKind::Point || e.kind == host::ElementKind::Bar) lines_only = false;
  out += "<g class=\"legend\">\n";
  if (!title.empty()) {
    out += text_el(x, y, cut_text(title, 24), "start", " font-weight=\"bold\"") + "\n";
    y += 20;
  }
  for (std::size_t i = 0; i < groups.names.size(); ++i) {
    int g = static_cast<int>(i);
    if (lines_only) {
      out += "<line x1=\"" + num(x) + "\" y1=\"" + num(y - 4) + "\" x2=\"" + num(x + 16) + "\" y2=\"" +
             num(y - 4) + "\" stroke=\"" + kColours[g % kColourCount] + "\" stroke-width=\"2\"/>";
    } else {
      out += marker(g, x + 6, y - 4, 4);
    }
    out += text_el(x + 22, y, cut_text(groups.names[i], 22), "start") + "\n";
    y += 18;
  }
  out += "</g>\n";
}

PlotFrame frame_for(const Chart& c, double left, double top, double width, double height) {
  PlotFrame f;
  f.left = left;
  f.top = top;
  f.width = width;
  f.height = height;
  Range xr, yr;
  f.categorical_x = text_col(c, c.x_col);
  std::vector<std::string> cats;
  if (f.categorical_x) cats = categories_of(c);
  for (std::size_t r = 0; r < c.rows.size(); ++r) {
    double x = f.categorical_x ? category_x(cats, cell_text(c, r, c.x_col)) : cell_number(c, r, c.x_col);
    double y = cell_number(c, r, c.y_col);
    if (std::isnan(x) || std::isnan(y)) continue;
    xr.add(x);
    yr.add(y);
  }
  if (!f.categorical_x)
    for (double v : c.x_refs) xr.add(std::isfinite(v) && !host::is_sysmis(v) ? v : nan());
  for (double v : c.y_refs) yr.add(std::isfinite(v) && !host::is_sysmis(v) ? v : nan());
  for (const auto& e : elements_of(c))
    if (e.kind == host::ElementKind::Vector && !f.categorical_x) {
      xr.add(0);  // vectors start at the origin
      yr.add(0);
    }
  if (f.categorical_x) {
    xr.lo = -0.5;
    xr.hi = cats.empty() ? 0.5 : static_cast<double>(cats.size()) - 0.5;
  } else {
    pad(xr);
    // Labels are written to the right of their points: leave them room.
    bool labelled = false;
    for (const auto& e : elements_of(c)) labelled = labelled || (e.label_max > 0 && valid_col(c, e.label_col));
    if (labelled) xr.hi += 0.12 * (xr.hi - xr.lo);
  }
  pad(yr);
  if (c.same_ratio && !f.categorical_x) {
    // Extend the range of one axis so one data unit has the same length on both.
    double upp = std::max((xr.hi - xr.lo) / width, (yr.hi - yr.lo) / height);
    double xc = (xr.lo + xr.hi) / 2, yc = (yr.lo + yr.hi) / 2;
    xr.lo = xc - upp * width / 2;
    xr.hi = xc + upp * width / 2;
    yr.lo = yc - upp * height / 2;
    yr.hi = yc + upp * height / 2;
  }
  f.xmin = xr.lo;
  f.xmax = xr.hi;
  f.ymin = yr.lo;
  f.ymax = yr.hi;
  return f;
}

void draw_axes(std::string& out, const Chart& c, const Mapper& m, const std::vector<std::string>* cats) {
  const PlotFrame& f = m.f;
  out += "<rect class=\"frame\" x=\"" + num(f.left) + "\" y=\"" + num(f.top) + "\" width=\"" + num(f.width) +
         "\" height=\"" + num(f.height) + "\" fill=\"#ffffff\" stroke=\"#888888\"/>\n";
  double bottom = f.top + f.height;
  // y ticks with light grid lines
  double ys = nice_step(f.ymax - f.ymin, 6);
  for (double t = std::ceil(f.ymin / ys) * ys; t <= f.ymax + ys * 1e-9; t += ys) {
    double y = m.py(t);
    out += "<line class=\"grid\" x1=\"" + num(f.left) + "\" y1=\"" + num(y) + "\" x2=\"" + num(f.left + f.width) +
           "\" y2=\"" + num(y) + "\" stroke=\"#ececec\"/>";
    out += "<line x1=\"" + num(f.left - 5) + "\" y1=\"" + num(y) + "\" x2=\"" + num(f.left) + "\" y2=\"" + num(y) +
           "\" stroke=\"#555555\"/>";
    out += text_el(f.left - 8, y + 4, tick_label(t, ys), "end", " class=\"tick\"") + "\n";
  }
  if (cats) {
    bool rotate = cats->size() * 7.0 * 8 > f.width;
    for (std::size_t i = 0; i < cats->size(); ++i) {
      double x = m.px(static_cast<double>(i));
      out += "<line x1=\"" + num(x) + "\" y1=\"" + num(bottom) + "\" x2=\"" + num(x) + "\" y2=\"" +
             num(bottom + 5) + "\" stroke=\"#555555\"/>";
      std::string lab = cut_text((*cats)[i], kMaxTickLabel);
      if (rotate) {
        std::string tr = " class=\"tick\" transform=\"rotate(-40 " + num(x) + " " + num(bottom + 16) + ")\"";
        out += text_el(x, bottom + 16, lab, "end", tr.c_str()) + "\n";
      } else {
        out += text_el(x, bottom + 18, lab, "middle", " class=\"tick\"") + "\n";
      }
    }
  } else {
    double xs = nice_step(f.xmax - f.xmin, 7);
    for (double t = std::ceil(f.xmin / xs) * xs; t <= f.xmax + xs * 1e-9; t += xs) {
      double x = m.px(t);
      out += "<line class=\"grid\" x1=\"" + num(x) + "\" y1=\"" + num(f.top) + "\" x2=\"" + num(x) + "\" y2=\"" +
             num(bottom) + "\" stroke=\"#ececec\"/>";
      out += "<line x1=\"" + num(x) + "\" y1=\"" + num(bottom) + "\" x2=\"" + num(x) + "\" y2=\"" +
             num(bottom + 5) + "\" stroke=\"#555555\"/>";
      out += text_el(x, bottom + 18, tick_label(t, xs), "middle", " class=\"tick\"") + "\n";
    }
  }
  // Reference lines
  if (!cats)
    for (double v : c.x_refs) {
      if (!std::isfinite(v) || host::is_sysmis(v) || v < f.xmin || v > f.xmax) continue;
      double x = m.px(v);
      out += "<line class=\"refline\" x1=\"" + num(x) + "\" y1=\"" + num(f.top) + "\" x2=\"" + num(x) +
             "\" y2=\"" + num(bottom) + "\" stroke=\"#777777\" stroke-dasharray=\"5,4\"/>\n";
    }
  for (double v : c.y_refs) {
    if (!std::isfinite(v) || host::is_sysmis(v) || v < f.ymin || v > f.ymax) continue;
    double y = m.py(v);
    out += "<line class=\"refline\" x1=\"" + num(f.left) + "\" y1=\"" + num(y) + "\" x2=\"" + num(f.left + f.width) +
           "\" y2=\"" + num(y) + "\" stroke=\"#777777\" stroke-dasharray=\"5,4\"/>\n";
  }
  // Axis titles
  std::string xt = axis_title(c, c.x_label, c.x_col), yt = axis_title(c, c.y_label, c.y_col);
  double xty = bottom + (cats && cats->size() * 7.0 * 8 > f.width ? 52 : 40);
  if (!xt.empty()) out += text_el(f.left + f.width / 2, xty, xt, "middle", " class=\"axis-title\"") + "\n";
  if (!yt.empty()) {
    double x = f.left - 52, y = f.top + f.height / 2;
    std::string tr = " class=\"axis-title\" transform=\"rotate(-90 " + num(x) + " " + num(y) + ")\"";
    out += text_el(x, y, yt, "middle", tr.c_str()) + "\n";
  }
}

std::string open_svg(double w, double h) {
  return "<svg xmlns=\"http://www.w3.org/2000/svg\" class=\"oscat-chart\" width=\"" + num(w) + "\" height=\"" +
         num(h) + "\" viewBox=\"0 0 " + num(w) + " " + num(h) +
         "\" font-family=\"Helvetica, Arial, sans-serif\" font-size=\"11\">\n"
         "<rect width=\"100%\" height=\"100%\" fill=\"#ffffff\"/>\n";
}

void draw_titles(std::string& out, const Chart& c, double w, double h) {
  double y = 16;
  if (!c.title.text.empty()) {
    y += 14;
    out += text_el(w / 2, y, c.title.text, "middle", " class=\"title\" font-size=\"15\" font-weight=\"bold\"") + "\n";
    y += 8;
  }
  if (!c.subtitle.text.empty()) {
    y += 14;
    out += text_el(w / 2, y, c.subtitle.text, "middle", " class=\"subtitle\" font-size=\"12\"") + "\n";
  }
  if (!c.footnote.text.empty())
    out += text_el(12, h - 8, c.footnote.text, "start", " class=\"footnote\" font-size=\"10\" fill=\"#555555\"") + "\n";
}

std::vector<int> splom_columns(const Chart& c) {
  std::vector<int> cols;
  for (int col : c.splom_cols)
    if (valid_col(c, col) && !c.columns[col].is_text) cols.push_back(col);
  return cols;
}

void render_splom(std::string& out, const Chart& c, const std::vector<int>& cols, double left, double top,
                  double width, double height, Groups& groups) {
  const int k = static_cast<int>(cols.size());
  const double gap = 6;
  const double pw = (width - gap * (k - 1)) / k, ph = (height - gap * (k - 1)) / k;
  std::vector<Range> ranges(k);
  for (int i = 0; i < k; ++i) {
    for (std::size_t r = 0; r < c.rows.size(); ++r) ranges[i].add(cell_number(c, r, cols[i]));
    pad(ranges[i]);
  }
  for (int i = 0; i < k; ++i) {      // panel row: y variable
    for (int j = 0; j < k; ++j) {    // panel column: x variable
      double x0 = left + j * (pw + gap), y0 = top + i * (ph + gap);
      std::string rect = "<rect x=\"" + num(x0) + "\" y=\"" + num(y0) + "\" width=\"" + num(pw) + "\" height=\"" +
                         num(ph) + "\" fill=\"#ffffff\" stroke=\"#888888\"/>\n";
      if (i == j) {
        out += "<g class=\"diag\">\n" + rect;
        out += text_el(x0 + pw / 2, y0 + ph / 2 + 4, cut_text(c.columns[cols[i]].name.text, 20), "middle",
                       " font-weight=\"bold\"") + "\n";
        char range[96];
        std::snprintf(range, sizeof range, "%s .. %s", format_value(ranges[i].lo, host::BP_FIXED_FORMAT(2)).c_str(),
                      format_value(ranges[i].hi, host::BP_FIXED_FORMAT(2)).c_str());
        out += text_el(x0 + pw / 2, y0 + ph / 2 + 20, range, "middle", " font-size=\"9\" fill=\"#777777\"") + "\n";
        out += "</g>\n";
        continue;
      }
      Mapper m;
      m.f.left = x0;
      m.f.top = y0;
      m.f.width = pw;
      m.f.height = ph;
      m.f.xmin = ranges[j].lo;
      m.f.xmax = ranges[j].hi;
      m.f.ymin = ranges[i].lo;
      m.f.ymax = ranges[i].hi;
      out += "<g class=\"panel\">\n" + rect;
      // Zero lines orient the reader in each panel.
      if (m.f.xmin < 0 && m.f.xmax > 0)
        out += "<line x1=\"" + num(m.px(0)) + "\" y1=\"" + num(y0) + "\" x2=\"" + num(m.px(0)) + "\" y2=\"" +
               num(y0 + ph) + "\" stroke=\"#dddddd\"/>\n";
      if (m.f.ymin < 0 && m.f.ymax > 0)
        out += "<line x1=\"" + num(x0) + "\" y1=\"" + num(m.py(0)) + "\" x2=\"" + num(x0 + pw) + "\" y2=\"" +
               num(m.py(0)) + "\" stroke=\"#dddddd\"/>\n";
      draw_elements(out, c, m, nullptr, cols[j], cols[i], groups, false, k > 3 ? 2.5 : 3);
      out += "</g>\n";
    }
  }
}

// Groups are collected in a first pass so that the legend is known before drawing.
Groups collect_groups(const Chart& c) {
  Groups g;
  for (const auto& e : elements_of(c))
    for (std::size_t r = 0; r < c.rows.size(); ++r) group_of(c, e, r, g);
  return g;
}

}  // namespace

std::string xml_escape(std::string_view s) {
  std::string out;
  out.reserve(s.size() + 8);
  std::size_t i = 0;
  while (i < s.size()) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    if (c < 0x80) {
      switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        case '\'': out += "&#39;"; break;
        default:
          // Control characters are not allowed in XML 1.0 (tab, newline, CR are).
          if (c >= 0x20 || c == '\t' || c == '\n' || c == '\r') out += static_cast<char>(c);
          break;
      }
      ++i;
      continue;
    }
    // Validate one multi-byte sequence.
    int len = (c & 0xE0) == 0xC0 ? 2 : (c & 0xF0) == 0xE0 ? 3 : (c & 0xF8) == 0xF0 ? 4 : 0;
    bool ok = len > 0 && i + len <= s.size();
    std::uint32_t cp = len == 2 ? c & 0x1F : len == 3 ? c & 0x0F : c & 0x07;
    for (int k = 1; ok && k < len; ++k) {
      unsigned char cc = static_cast<unsigned char>(s[i + k]);
      if ((cc & 0xC0) != 0x80) ok = false;
      cp = (cp << 6) | (cc & 0x3F);
    }
    if (ok) {
      // Overlong forms, surrogates and out-of-range code points are invalid.
      static const std::uint32_t min_cp[] = {0, 0, 0x80, 0x800, 0x10000};
      if (cp < min_cp[len] || (cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF || cp == 0xFFFE || cp == 0xFFFF)
        ok = false;
    }
    if (ok) {
      out.append(s.substr(i, len));
      i += len;
    } else {
      out += "\xEF\xBF\xBD";
      ++i;
    }
  }
  return out;
}

PlotFrame chart_plot_frame(const Chart& c) {
  double top = title_block(c) + 8;
  double bottom = kMarginBottom + footnote_block(c);
  if (text_col(c, c.x_col) && categories_of(c).size() * 7.0 * 8 > kWidth - kMarginLeft - kMarginRight)
    bottom += 40;  // room for slanted category labels
  return frame_for(c, kMarginLeft, top, kWidth - kMarginLeft - kMarginRight, kHeight - top - bottom);
}

std::string render_svg(const Chart& c) {
  const double w = svg_width(c);
  const bool legend = has_legend(c);
  Groups groups = collect_groups(c);
  std::vector<int> splom = splom_columns(c);
  std::string out;
  if (splom.size() >= 2) {
    double side = std::min(kWidth, kHeight + 60);
    double h = side + title_block(c) + footnote_block(c) + 16;
    double sw = side + 40 + (legend ? kLegendWidth : 0);
    out = open_svg(sw, h);
    draw_titles(out, c, sw, h);
    double top = title_block(c) + 4;
    render_splom(out, c, splom, 20, top, side - 20, side - 20, groups);
    if (legend) draw_legend(out, c, groups, side + 24, top + 14);
    out += "</svg>\n";
    return out;
  }
  out = open_svg(w, kHeight);
  draw_titles(out, c, w, kHeight);
  Mapper m{chart_plot_frame(c)};
  std::vector<std::string> cats;
  if (m.f.categorical_x) cats = categories_of(c);
  const std::vector<std::string>* pcats = m.f.categorical_x ? &cats : nullptr;
  draw_axes(out, c, m, pcats);
  // Keep data inside the frame even when a reference line widened nothing.
  out += "<g class=\"data\">\n";
  if (valid_col(c, c.x_col) && valid_col(c, c.y_col))
    draw_elements(out, c, m, pcats, c.x_col, c.y_col, groups, true, 4);
  out += "</g>\n";
  if (legend) draw_legend(out, c, groups, kWidth + 4, m.f.top + 14);
  out += "</svg>\n";
  return out;
}

}  // namespace oscat::engine
