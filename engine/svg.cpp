#include "engine/svg.hpp"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <map>
#include <optional>
#include <vector>

#include "engine/format.hpp"

namespace oscat::engine {
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kWidth = 640, kHeight = 480;
constexpr double kFont = 11, kTitleFont = 15, kSubtitleFont = 12, kNoteFont = 10;
constexpr double kMarginRight = 24;
constexpr double kLegendMaxText = 220;   // longest legend entry (px) before it is cut
constexpr double kCategoryMaxText = 230; // longest category tick label (px)
constexpr std::size_t kMaxCategoryChars = 40;
constexpr double kLabelRadius = 42;      // how far a label may move from its point (px)
// A text line's glyphs: ascent and descent around the baseline.
constexpr double kAscent = 0.8, kDescent = 0.25, kLabelHeight = (kAscent + kDescent) * kFont;

const char* const kColours[] = {"#1f5fa8", "#d2691e", "#2e8b57", "#b22234", "#6a4c93",
                                "#8c6d31", "#c71585", "#4d4d4d", "#008b8b", "#9acd32"};
constexpr int kColourCount = sizeof kColours / sizeof kColours[0];

double nan() { return std::numeric_limits<double>::quiet_NaN(); }

// Advance widths (thousandths of the font size) of ASCII 32..126 in the
// sans-serif face the charts ask for; the browsers' substitutes share them.
constexpr short kAdvance[95] = {
    278, 278, 355, 556, 556, 889, 667, 191, 333, 333, 389, 584, 278, 333, 278, 278,  // ' ' .. '/'
    556, 556, 556, 556, 556, 556, 556, 556, 556, 556,                                // digits
    278, 278, 584, 584, 584, 556, 1015,                                              // ':' .. '@'
    667, 667, 722, 722, 667, 611, 778, 722, 278, 500, 667, 556, 833,                 // A .. M
    722, 778, 667, 778, 722, 667, 611, 722, 667, 944, 667, 667, 611,                 // N .. Z
    278, 278, 278, 469, 556, 333,                                                    // '[' .. '`'
    556, 556, 500, 556, 556, 278, 556, 556, 222, 222, 500, 222, 833,                 // a .. m
    556, 556, 556, 556, 333, 500, 278, 556, 500, 722, 500, 500, 500,                 // n .. z
    334, 260, 334, 584};                                                             // '{' .. '~'

// Coordinates with two decimals: fixed and locale-free enough for diffs.
std::string num(double v) {
  char buf[48];
  std::snprintf(buf, sizeof buf, "%.2f", v);
  std::string s = buf;
  if (s == "-0.00") s = "0.00";
  return s;
}

// Byte length of the UTF-8 sequence starting with `c` (1 for stray bytes).
std::size_t seq_len(unsigned char c) {
  return (c & 0xE0) == 0xC0 ? 2 : (c & 0xF0) == 0xE0 ? 3 : (c & 0xF8) == 0xF0 ? 4 : 1;
}

// `s` cut so that it fits `max_w` pixels, an ellipsis marking the cut.
std::string fit_text(std::string_view s, double max_w, double size, bool bold = false) {
  if (text_width(s, size, bold) <= max_w) return std::string(s);
  const std::string ell = "\xE2\x80\xA6";
  std::vector<std::size_t> starts;
  for (std::size_t i = 0; i < s.size(); i += seq_len(static_cast<unsigned char>(s[i]))) starts.push_back(i);
  for (std::size_t k = starts.size(); k-- > 0;) {
    std::string t = std::string(s.substr(0, starts[k]));
    while (!t.empty() && t.back() == ' ') t.pop_back();
    t += ell;
    if (text_width(t, size, bold) <= max_w) return t;
  }
  return text_width(ell, size, bold) <= max_w ? ell : std::string();
}

// Words of `s` on at most `max_lines` lines of `max_w` pixels; what does not
// fit is cut with an ellipsis.
std::vector<std::string> wrap_text(std::string_view s, double max_w, double size, bool bold, int max_lines) {
  std::vector<std::string> words;
  std::size_t i = 0;
  while (i < s.size()) {
    while (i < s.size() && s[i] == ' ') ++i;
    std::size_t j = i;
    while (j < s.size() && s[j] != ' ') ++j;
    if (j > i) words.emplace_back(s.substr(i, j - i));
    i = j;
  }
  std::vector<std::string> lines;
  std::string cur;
  std::size_t w = 0;
  for (; w < words.size(); ++w) {
    std::string next = cur.empty() ? words[w] : cur + " " + words[w];
    if (cur.empty() || text_width(next, size, bold) <= max_w) {
      cur = std::move(next);
      continue;
    }
    if (static_cast<int>(lines.size()) + 1 == max_lines) break;
    lines.push_back(fit_text(cur, max_w, size, bold));
    cur = words[w];
  }
  if (w < words.size()) {
    for (; w < words.size(); ++w) cur += " " + words[w];
    cur = fit_text(cur + " \xE2\x80\xA6", max_w, size, bold);  // mark the cut even if the line had room
  }
  if (!cur.empty()) lines.push_back(fit_text(cur, max_w, size, bold));
  return lines;
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

bool is_point(const ChartElement& e) {
  return e.kind == host::ElementKind::Point || e.kind == host::ElementKind::Bar;
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
  int find(const std::string& name) const {
    auto it = index.find(name);
    return it == index.end() ? -1 : it->second;
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

int group_index(const Chart& c, const ChartElement& e, std::size_t row, const Groups& g) {
  if (!valid_col(c, e.group_col)) return -1;
  return g.find(cell_text(c, row, e.group_col));
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

template <class F>
void for_ticks(double lo, double hi, double step, F f) {
  if (!(step > 0) || !std::isfinite(lo) || !std::isfinite(hi)) return;
  int guard = 0;
  for (double t = std::ceil(lo / step) * step; t <= hi + step * 1e-9 && guard < 200; t += step, ++guard) f(t);
}

bool has_legend(const Chart& c) {
  for (const auto& e : elements_of(c))
    if (valid_col(c, e.group_col)) return true;
  return false;
}

// A subtitle that the title already names (a composite title with the
// subtitle as its parameter) is not drawn a second time.
bool subtitle_shown(const Chart& c) {
  if (c.subtitle.text.empty()) return false;
  return std::find(c.title.params.begin(), c.title.params.end(), c.subtitle.text) == c.title.params.end();
}

std::string attr_colour(int g) { return kColours[(g < 0 ? 0 : g) % kColourCount]; }

// Markers: shape by group, colour by group; group -1 uses the first style.
// Hollow markers (supplementary points) are outlined on white.
std::string marker(int group, double x, double y, double size = 4, bool hollow = false) {
  int g = group < 0 ? 0 : group;
  const std::string col = attr_colour(g);
  const std::string paint =
      hollow ? "fill=\"#ffffff\" stroke=\"" + col + "\" stroke-width=\"1.5\"" : "fill=\"" + col + "\"";
  std::string cx = num(x), cy = num(y);
  switch (g % 6) {
    case 0:
      return "<circle cx=\"" + cx + "\" cy=\"" + cy + "\" r=\"" + num(size) + "\" " + paint + "/>";
    case 1:
      return "<rect x=\"" + num(x - size) + "\" y=\"" + num(y - size) + "\" width=\"" + num(2 * size) +
             "\" height=\"" + num(2 * size) + "\" " + paint + "/>";
    case 2:
      return "<polygon points=\"" + num(x) + "," + num(y - 1.2 * size) + " " + num(x - 1.1 * size) + "," +
             num(y + 0.8 * size) + " " + num(x + 1.1 * size) + "," + num(y + 0.8 * size) + "\" " + paint + "/>";
    case 3:
      return "<polygon points=\"" + num(x) + "," + num(y - 1.3 * size) + " " + num(x + 1.3 * size) + "," + cy + " " +
             num(x) + "," + num(y + 1.3 * size) + " " + num(x - 1.3 * size) + "," + cy + "\" " + paint + "/>";
    case 4:
      return "<polygon points=\"" + num(x) + "," + num(y + 1.2 * size) + " " + num(x - 1.1 * size) + "," +
             num(y - 0.8 * size) + " " + num(x + 1.1 * size) + "," + num(y - 0.8 * size) + "\" " + paint + "/>";
    default:
      // A cross has no inside: the hollow one is thinner.
      return "<path d=\"M" + num(x - size) + "," + cy + "H" + num(x + size) + "M" + cx + "," + num(y - size) + "V" +
             num(y + size) + "\" stroke=\"" + col + "\" stroke-width=\"" + (hollow ? "1" : "2") + "\"/>";
  }
}

std::string text_el(double x, double y, std::string_view s, const char* anchor, const std::string& extra = "") {
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

// ------------------------------------------------------------ vector scale ---
// The largest round number (1, 1.5, 2, 2.5, 3, 4, 5, 6, 8 times a power of
// ten) not above `v`.
double round_down(double v) {
  static const double steps[] = {8, 6, 5, 4, 3, 2.5, 2, 1.5, 1};
  const double mag = std::pow(10.0, std::floor(std::log10(v)));
  for (double s : steps)
    if (s * mag <= v * (1 + 1e-12)) return s * mag;
  return mag;
}

// Vectors are drawn to 80% of the cloud's radius, as biplots usually are;
// when they are already about that long they are left alone.
double vector_scale(const Chart& c, const std::vector<int>& cols) {
  double rv = 0, rp = 0;
  for (const auto& e : elements_of(c)) {
    const bool vec = e.kind == host::ElementKind::Vector;
    if (!vec && !is_point(e)) continue;
    for (std::size_t r = 0; r < c.rows.size(); ++r) {
      if (!in_element(c, e, r)) continue;
      double s2 = 0;
      for (int col : cols) {
        const double v = cell_number(c, r, col);
        s2 += v * v;
      }
      if (std::isnan(s2)) continue;
      (vec ? rv : rp) = std::max(vec ? rv : rp, std::sqrt(s2));
    }
  }
  if (!(rv > 0) || !(rp > 0)) return 1;
  const double raw = 0.8 * rp / rv;
  if (raw >= 0.8 && raw < 1.5) return 1;
  return round_down(raw);
}

std::string factor_text(double f) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.3g", f);
  return buf;
}

std::vector<int> splom_columns(const Chart& c) {
  std::vector<int> cols;
  for (int col : c.splom_cols)
    if (valid_col(c, col) && !c.columns[col].is_text) cols.push_back(col);
  return cols;
}

double scale_of(const Chart& c) {
  std::vector<int> splom = splom_columns(c);
  if (splom.size() >= 2) return vector_scale(c, splom);
  if (!valid_col(c, c.x_col) || !valid_col(c, c.y_col) || text_col(c, c.x_col)) return 1;
  return vector_scale(c, {c.x_col, c.y_col});
}

// ---------------------------------------------------------------- labels ---
struct Box {
  double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
};
bool overlaps(const Box& a, const Box& b) { return a.x0 < b.x1 && b.x0 < a.x1 && a.y0 < b.y1 && b.y0 < a.y1; }

// Boxes bucketed by a uniform grid so that a query looks only at its
// neighbourhood: placing labels among thousands of points stays linear.
class BoxGrid {
 public:
  BoxGrid(double left, double top, double width, double height, double cell)
      : left_(left), top_(top), cell_(cell),
        nx_(std::max(1, static_cast<int>(std::ceil(width / cell)))),
        ny_(std::max(1, static_cast<int>(std::ceil(height / cell)))),
        cells_(static_cast<std::size_t>(nx_) * static_cast<std::size_t>(ny_)) {}
  void add(const Box& b) {
    const int id = static_cast<int>(boxes_.size());
    boxes_.push_back(b);
    visit(b, [&](std::vector<int>& cell) {
      cell.push_back(id);
      return false;
    });
  }
  bool hits(const Box& b) const {
    return const_cast<BoxGrid*>(this)->visit(b, [&](std::vector<int>& cell) {
      for (int id : cell)
        if (overlaps(boxes_[static_cast<std::size_t>(id)], b)) return true;
      return false;
    });
  }

 private:
  // NaN and far-off coordinates land in the edge cells (no cast overflows).
  static int clampi(double v, int n) {
    if (!(v > 0)) return 0;
    return v >= n ? n - 1 : static_cast<int>(v);
  }
  template <class F>
  bool visit(const Box& b, F f) {
    const int i0 = clampi((b.x0 - left_) / cell_, nx_), i1 = clampi((b.x1 - left_) / cell_, nx_);
    const int j0 = clampi((b.y0 - top_) / cell_, ny_), j1 = clampi((b.y1 - top_) / cell_, ny_);
    for (int j = j0; j <= j1; ++j)
      for (int i = i0; i <= i1; ++i)
        if (f(cells_[static_cast<std::size_t>(j) * static_cast<std::size_t>(nx_) + static_cast<std::size_t>(i)]))
          return true;
    return false;
  }
  double left_, top_, cell_;
  int nx_, ny_;
  std::vector<std::vector<int>> cells_;
  std::vector<Box> boxes_;
};

struct PointLabel {
  double x = 0, y = 0;      // the point (px)
  std::string text;
  double width = 0;
  double clearance = 4;     // the marker's half size
  double prefer = -kPi / 4;  // preferred direction (screen radians; upper right)
  int priority = 0;         // lower first
  std::size_t order = 0;
};

struct Placed {
  Box box;
  bool moved = false;
  double lx0 = 0, ly0 = 0, lx1 = 0, ly1 = 0;  // leader line
};

// Text box of a label whose nearest edge lies `rho` from the point in
// direction `a`.
Box box_at(const PointLabel& l, double a, double rho) {
  const double ux = std::cos(a), uy = std::sin(a), h = kLabelHeight;
  const double cx = l.x + ux * rho + ux * l.width / 2, cy = l.y + uy * rho + uy * h / 2;
  return Box{cx - l.width / 2, cy - h / 2, cx + l.width / 2, cy + h / 2};
}

double angle_gap(double a, double b) {
  double d = std::fmod(std::fabs(a - b), 2 * kPi);
  return d > kPi ? 2 * kPi - d : d;
}

// Each label goes to the free spot nearest its point (rings of growing
// radius, directions nearest the preferred one first): first a spot that
// covers neither a label nor a marker, else one that covers no label. A
// label with no free spot within kLabelRadius is not drawn.
std::vector<std::optional<Placed>> place_labels(std::vector<PointLabel>& labels, const std::vector<Box>& markers,
                                                const PlotFrame& f) {
  std::vector<std::size_t> idx(labels.size());
  for (std::size_t i = 0; i < idx.size(); ++i) idx[i] = i;
  std::stable_sort(idx.begin(), idx.end(),
                   [&](std::size_t a, std::size_t b) { return labels[a].priority < labels[b].priority; });
  BoxGrid placed(f.left, f.top, f.width, f.height, 32), marks(f.left, f.top, f.width, f.height, 32);
  for (const Box& b : markers) marks.add(b);
  const Box inside{f.left + 1, f.top + 1, f.left + f.width - 1, f.top + f.height - 1};
  auto within = [&](const Box& b) { return b.x0 >= inside.x0 && b.x1 <= inside.x1 && b.y0 >= inside.y0 && b.y1 <= inside.y1; };
  std::vector<std::optional<Placed>> out(labels.size());
  for (std::size_t i : idx) {
    const PointLabel& l = labels[i];
    if (!(l.width > 0)) continue;
    std::optional<Placed> best;
    for (int strict = 1; strict >= 0 && !best; --strict) {
      const double first = l.clearance + 2;
      for (int ring = 0; !best; ++ring) {
        const double rho = first + ring * 7.0;
        if (rho > kLabelRadius) break;
        const int dirs = ring == 0 ? 8 : 16;
        std::vector<double> angles;
        for (int k = 0; k < dirs; ++k) angles.push_back(l.prefer + 2 * kPi * k / dirs);
        std::stable_sort(angles.begin(), angles.end(),
                         [&](double a, double b) { return angle_gap(a, l.prefer) < angle_gap(b, l.prefer) - 1e-12; });
        for (double a : angles) {
          Box b = box_at(l, a, rho);
          if (!within(b) || placed.hits(b) || (strict && marks.hits(b))) continue;
          Placed p;
          p.box = b;
          p.moved = ring > 0;
          if (p.moved) {
            // From the marker's edge to the nearest point of the box.
            const double nx = std::clamp(l.x, b.x0, b.x1), ny = std::clamp(l.y, b.y0, b.y1);
            const double d = std::hypot(nx - l.x, ny - l.y);
            p.lx0 = l.x + (nx - l.x) / d * l.clearance;
            p.ly0 = l.y + (ny - l.y) / d * l.clearance;
            p.lx1 = nx;
            p.ly1 = ny;
          }
          best = p;
          break;
        }
      }
    }
    // A pixel of air between labels (coordinates are written rounded).
    if (best) placed.add(Box{best->box.x0 - 1, best->box.y0 - 1, best->box.x1 + 1, best->box.y1 + 1});
    out[i] = best;
  }
  return out;
}

// Labels an element draws: all, or none when a group (the element when it is
// not grouped) has more than kMaxLabelledPoints of them.
std::map<std::pair<std::size_t, int>, int> label_counts(const Chart& c, const std::vector<ChartElement>& elems,
                                                         const Groups& g) {
  std::map<std::pair<std::size_t, int>, int> n;
  for (std::size_t k = 0; k < elems.size(); ++k) {
    const ChartElement& e = elems[k];
    if (e.label_max <= 0 || !valid_col(c, e.label_col) || e.kind == host::ElementKind::Polygon) continue;
    for (std::size_t r = 0; r < c.rows.size(); ++r)
      if (in_element(c, e, r) && !cell_text(c, r, e.label_col).empty()) ++n[{k, group_index(c, e, r, g)}];
  }
  return n;
}

// ------------------------------------------------------------- drawing ---
struct LabelWork {
  std::vector<PointLabel> labels;
  std::vector<Box> markers;
  int hidden = 0;  // labels left out by kMaxLabelledPoints
};

// Points, lines, polygons and vectors of every element within one frame;
// with `work` the point labels and marker boxes are collected for placing.
void draw_elements(std::string& out, const Chart& c, const Mapper& m, const std::vector<std::string>* cats,
                   int xcol, int ycol, Groups& groups, LabelWork* work, double marker_size, double scale) {
  const auto elems = elements_of(c);
  std::map<std::pair<std::size_t, int>, int> counts;
  std::map<std::size_t, int> sizes;  // labelled points per element: small sets are placed first
  if (work) {
    counts = label_counts(c, elems, groups);
    for (const auto& [k, n] : counts) sizes[k.first] += n;
  }
  // Polygons and lines under the points; vectors over them, so that a cloud
  // of objects does not hide the loadings of a biplot; labels on top.
  auto layer = [](const ChartElement& e) { return is_point(e) ? 1 : e.kind == host::ElementKind::Vector ? 2 : 0; };
  for (int pass = 0; pass < 3; ++pass) {
    for (std::size_t k = 0; k < elems.size(); ++k) {
      const ChartElement& e = elems[k];
      if (layer(e) != pass) continue;
      const std::string dash = e.hollow ? " stroke-dasharray=\"5,3\"" : "";
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
          const std::string col = attr_colour(g);
          if (e.kind == host::ElementKind::Polygon) {
            std::string pts;
            double sx = 0, sy = 0;
            int np = 0;
            for (const auto& seg : paths[g])
              for (const auto& p : seg) {
                pts += (pts.empty() ? "" : " ") + num(p.first) + "," + num(p.second);
                sx += p.first;
                sy += p.second;
                ++np;
              }
            if (pts.empty()) continue;
            // A labelled polygon (a confidence ellipse) carries its name at its centre.
            if (work && np > 0 && e.label_max > 0 && valid_col(c, e.label_col)) {
              std::string lab;
              for (std::size_t r = 0; r < c.rows.size() && lab.empty(); ++r)
                if (in_element(c, e, r) && group_of(c, e, r, groups) == g) lab = cell_text(c, r, e.label_col);
              lab = cut_text(lab, static_cast<std::size_t>(e.label_max));
              if (!lab.empty() && order.size() > static_cast<std::size_t>(kMaxLabelledPoints)) {
                ++work->hidden;
              } else if (!lab.empty()) {
                PointLabel l;
                l.x = sx / np;
                l.y = sy / np;
                l.text = fit_text(lab, m.f.width / 2, kFont);
                l.width = text_width(l.text, kFont);
                l.clearance = 0;
                l.priority = 1 + static_cast<int>(order.size());
                l.order = work->labels.size();
                work->labels.push_back(std::move(l));
              }
            }
            out += "<polygon class=\"ellipse\" points=\"" + pts + "\" fill=\"" + col +
                   "\" fill-opacity=\"0.08\" stroke=\"" + col + "\" stroke-width=\"1.2\"" + dash + "/>\n";
          } else {
            for (const auto& seg : paths[g]) {
              if (seg.size() < 2) continue;
              std::string pts;
              for (const auto& p : seg) pts += (pts.empty() ? "" : " ") + num(p.first) + "," + num(p.second);
              out += "<polyline class=\"line\" points=\"" + pts + "\" fill=\"none\" stroke=\"" + col +
                     "\" stroke-width=\"1.6\"" + dash + "/>\n";
            }
          }
        }
      } else if (e.kind == host::ElementKind::Vector) {
        // A line from the origin with an arrowhead at the (scaled) point.
        for (std::size_t r = 0; r < c.rows.size(); ++r) {
          if (!in_element(c, e, r)) continue;
          auto [x, y] = row_xy(c, r, cats, xcol, ycol);
          if (std::isnan(x) || std::isnan(y)) continue;
          const std::string col = attr_colour(group_of(c, e, r, groups));
          const double x0 = m.px(0), y0 = m.py(0), x1 = m.px(x * scale), y1 = m.py(y * scale);
          out += "<line class=\"vector\" x1=\"" + num(x0) + "\" y1=\"" + num(y0) + "\" x2=\"" + num(x1) +
                 "\" y2=\"" + num(y1) + "\" stroke=\"" + col + "\" stroke-width=\"1.6\"" + dash + "/>\n";
          const double len = std::hypot(x1 - x0, y1 - y0);
          if (len < 1) continue;
          const double ux = (x1 - x0) / len, uy = (y1 - y0) / len, head = std::min(8.0, len / 2);
          const double bx = x1 - ux * head, by = y1 - uy * head;
          out += "<polygon class=\"arrow\" points=\"" + num(x1) + "," + num(y1) + " " + num(bx - uy * head / 2.5) +
                 "," + num(by + ux * head / 2.5) + " " + num(bx + uy * head / 2.5) + "," +
                 num(by - ux * head / 2.5) + "\" fill=\"" + (e.hollow ? "#ffffff" : col) + "\" stroke=\"" + col +
                 "\"/>\n";
          if (work) work->markers.push_back(Box{x1 - 3, y1 - 3, x1 + 3, y1 + 3});
        }
      } else {
        for (std::size_t r = 0; r < c.rows.size(); ++r) {
          if (!in_element(c, e, r)) continue;
          auto [x, y] = row_xy(c, r, cats, xcol, ycol);
          if (std::isnan(x) || std::isnan(y)) continue;
          const double px = m.px(x), py = m.py(y);
          out += marker(group_of(c, e, r, groups), px, py, marker_size, e.hollow) + "\n";
          if (work) work->markers.push_back(Box{px - marker_size - 0.5, py - marker_size - 0.5,
                                                px + marker_size + 0.5, py + marker_size + 0.5});
        }
      }
      // Labels: collected here, placed and drawn once every marker is known
      // (a polygon's with its outline above).
      if (!work || e.label_max <= 0 || !valid_col(c, e.label_col) || e.kind == host::ElementKind::Polygon) continue;
      const bool vec = e.kind == host::ElementKind::Vector;
      for (std::size_t r = 0; r < c.rows.size(); ++r) {
        if (!in_element(c, e, r)) continue;
        auto [x, y] = row_xy(c, r, cats, xcol, ycol);
        if (std::isnan(x) || std::isnan(y)) continue;
        std::string lab = cut_text(cell_text(c, r, e.label_col), static_cast<std::size_t>(e.label_max));
        if (lab.empty()) continue;
        if (counts[{k, group_index(c, e, r, groups)}] > kMaxLabelledPoints) {
          ++work->hidden;
          continue;
        }
        PointLabel l;
        l.x = m.px(vec ? x * scale : x);
        l.y = m.py(vec ? y * scale : y);
        l.text = fit_text(lab, m.f.width / 2, kFont);
        l.width = text_width(l.text, kFont);
        l.clearance = vec ? 3 : marker_size;
        if (vec) l.prefer = std::atan2(l.y - m.py(0), l.x - m.px(0));  // beyond the arrowhead
        l.priority = vec ? 0 : 1 + sizes[k];
        l.order = work->labels.size();
        work->labels.push_back(std::move(l));
      }
    }
  }
}

// Places the collected labels and draws them with their leader lines;
// returns how many found no room.
int draw_labels(std::string& out, LabelWork& w, const PlotFrame& f) {
  auto placed = place_labels(w.labels, w.markers, f);
  int dropped = 0;
  std::string leaders, texts;
  for (std::size_t i = 0; i < w.labels.size(); ++i) {
    if (!placed[i]) {
      ++dropped;
      continue;
    }
    const Placed& p = *placed[i];
    if (p.moved)
      leaders += "<line class=\"leader\" x1=\"" + num(p.lx0) + "\" y1=\"" + num(p.ly0) + "\" x2=\"" + num(p.lx1) +
                 "\" y2=\"" + num(p.ly1) + "\" stroke=\"#999999\" stroke-width=\"0.8\"/>\n";
    // A white halo keeps a label legible over lines and markers.
    texts += text_el(p.box.x0, p.box.y0 + kAscent * kFont, w.labels[i].text, "start",
                     " class=\"label\" stroke=\"#ffffff\" stroke-width=\"3\" stroke-linejoin=\"round\""
                     " paint-order=\"stroke\"") + "\n";
  }
  out += leaders + texts;
  return dropped;
}

// ------------------------------------------------------------- legend ---
enum class Swatch { Marker, Line, Vector };
struct LegendEntry {
  std::string name;
  int group = 0;
  Swatch swatch = Swatch::Marker;
  bool hollow = false;
};

struct Legend {
  std::string title;
  bool states_scale = false;  // an entry names the vectors' factor
  std::vector<LegendEntry> entries;
  int more = 0;      // entries left out: a legend never outgrows its chart
  double width = 0;  // 0: none
};

constexpr std::size_t kMaxLegendEntries = 20;

Legend legend_of(const Chart& c, const Groups& groups, double scale) {
  Legend L;
  if (!has_legend(c)) return L;
  if (c.legend_title) L.title = c.legend_title->text;
  const auto elems = elements_of(c);
  if (L.title.empty())
    for (const auto& e : elems)
      if (valid_col(c, e.group_col)) {
        L.title = c.columns[e.group_col].name.text;
        break;
      }
  // A group's swatch: the marker of a point element that draws it, else its
  // vector or its line; hollow when that element is.
  std::vector<int> rank(groups.names.size(), 9);
  std::vector<LegendEntry> entries(groups.names.size());
  for (const auto& e : elems) {
    if (!valid_col(c, e.group_col)) continue;
    const int r = is_point(e) ? 0 : e.kind == host::ElementKind::Vector ? 1 : 2;
    for (std::size_t row = 0; row < c.rows.size(); ++row) {
      if (!in_element(c, e, row)) continue;
      const int g = group_index(c, e, row, groups);
      if (g < 0 || rank[g] <= r) continue;
      rank[g] = r;
      entries[g].swatch = r == 0 ? Swatch::Marker : r == 1 ? Swatch::Vector : Swatch::Line;
      entries[g].hollow = e.hollow;
    }
  }
  double w = text_width(L.title, kFont, true);
  for (std::size_t g = 0; g < entries.size(); ++g) {
    if (rank[g] == 9) continue;
    LegendEntry& le = entries[g];
    le.group = static_cast<int>(g);
    le.name = groups.names[g];
    // The factor vectors were drawn with belongs to their name, and is never cut.
    const std::string factor =
        le.swatch == Swatch::Vector && scale != 1 ? " (\xC3\x97" + factor_text(scale) + ")" : std::string();
    le.name = fit_text(le.name, kLegendMaxText - text_width(factor, kFont), kFont) + factor;
    w = std::max(w, 24 + text_width(le.name, kFont));
    if (L.entries.size() + 1 == kMaxLegendEntries && entries.size() - g > 1) {
      L.more = static_cast<int>(entries.size() - g);  // an upper bound when some groups draw nothing
      break;
    }
    L.states_scale = L.states_scale || (le.swatch == Swatch::Vector && scale != 1);
    L.entries.push_back(le);
  }
  if (L.more > 0) {
    L.more = 0;
    for (std::size_t g = 0; g < entries.size(); ++g)
      if (rank[g] != 9) ++L.more;
    L.more -= static_cast<int>(L.entries.size());
  }
  L.title = fit_text(L.title, kLegendMaxText + 24, kFont, true);
  L.width = std::min(w, kLegendMaxText + 24) + 28;
  return L;
}

// Draws the legend from (x, y) down; returns the bottom.
double draw_legend(std::string& out, const Legend& L, double x, double y) {
  out += "<g class=\"legend\">\n";
  if (!L.title.empty()) {
    out += text_el(x, y, L.title, "start", " font-weight=\"bold\"") + "\n";
    y += 20;
  }
  for (const auto& le : L.entries) {
    const std::string col = attr_colour(le.group);
    const std::string dash = le.hollow ? " stroke-dasharray=\"4,2\"" : "";
    switch (le.swatch) {
      case Swatch::Marker: out += marker(le.group, x + 6, y - 4, 4, le.hollow); break;
      case Swatch::Line:
        out += "<line x1=\"" + num(x) + "\" y1=\"" + num(y - 4) + "\" x2=\"" + num(x + 16) + "\" y2=\"" + num(y - 4) +
               "\" stroke=\"" + col + "\" stroke-width=\"2\"" + dash + "/>";
        break;
      case Swatch::Vector:
        out += "<line x1=\"" + num(x) + "\" y1=\"" + num(y - 4) + "\" x2=\"" + num(x + 12) + "\" y2=\"" + num(y - 4) +
               "\" stroke=\"" + col + "\" stroke-width=\"1.6\"" + dash + "/><polygon points=\"" + num(x + 17) + "," +
               num(y - 4) + " " + num(x + 11) + "," + num(y - 7) + " " + num(x + 11) + "," + num(y - 1) +
               "\" fill=\"" + (le.hollow ? "#ffffff" : col) + "\" stroke=\"" + col + "\"/>";
        break;
    }
    out += text_el(x + 24, y, le.name, "start") + "\n";
    y += 18;
  }
  if (L.more > 0) {
    out += text_el(x, y, "\xE2\x80\xA6 " + std::to_string(L.more) + " more", "start", " fill=\"#555555\"") + "\n";
    y += 18;
  }
  out += "</g>\n";
  return y;
}

// -------------------------------------------------------------- layout ---
Range data_range_x(const Chart& c, const std::vector<std::string>* cats, double scale, Range* yr) {
  Range xr;
  for (const auto& e : elements_of(c))
    for (std::size_t r = 0; r < c.rows.size(); ++r) {
      if (!in_element(c, e, r)) continue;
      auto [x, y] = row_xy(c, r, cats, c.x_col, c.y_col);
      if (std::isnan(x) || std::isnan(y)) continue;
      const double s = e.kind == host::ElementKind::Vector && !cats ? scale : 1;
      xr.add(x * s);
      yr->add(y * s);
    }
  return xr;
}

PlotFrame frame_for(const Chart& c, double left, double top, double width, double height, double scale) {
  PlotFrame f;
  f.left = left;
  f.top = top;
  f.width = width;
  f.height = height;
  f.categorical_x = text_col(c, c.x_col);
  std::vector<std::string> cats;
  if (f.categorical_x) cats = categories_of(c);
  Range yr;
  Range xr = data_range_x(c, f.categorical_x ? &cats : nullptr, scale, &yr);
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

// Everything around the plot area, measured so that no text is cut off.
struct Layout {
  double W = kWidth, H = kHeight;
  std::vector<std::string> title, subtitle, notes;
  double top = 0;        // first pixel below the titles
  Legend legend;
  double scale = 1;
  Mapper m;
  // categorical x axis
  std::vector<std::string> cats, cat_labels;
  bool rotate = false;
  int every = 1;
  double axes_bottom = 48;  // below the frame: tick labels and the x title
  std::string xtitle, ytitle;
  double ytick_w = 0;
};

constexpr double kRot = 45 * kPi / 180;  // slant of long category labels

void layout_titles(const Chart& c, Layout& L) {
  L.title = wrap_text(c.title.text, L.W - 24, kTitleFont, true, 2);
  if (subtitle_shown(c)) L.subtitle = wrap_text(c.subtitle.text, L.W - 24, kSubtitleFont, false, 2);
  L.top = 8 + 19.0 * static_cast<double>(L.title.size()) + 16.0 * static_cast<double>(L.subtitle.size()) + 14;
  std::vector<const Text*> feet;
  for (const Text& t : c.earlier_footnotes)
    if (!t.text.empty()) feet.push_back(&t);
  if (!c.footnote.text.empty()) feet.push_back(&c.footnote);
  for (const Text* t : feet)
    for (auto& l : wrap_text(t->text, L.W - 24, kNoteFont, false, 3)) L.notes.push_back(std::move(l));
}

double max_tick_width(const PlotFrame& f) {
  double w = 0;
  const double ys = nice_step(f.ymax - f.ymin, 6);
  for_ticks(f.ymin, f.ymax, ys, [&](double t) { w = std::max(w, text_width(tick_label(t, ys), kFont)); });
  return w;
}

Layout layout_single(const Chart& c, const Groups& groups) {
  Layout L;
  L.scale = scale_of(c);
  L.legend = legend_of(c, groups, L.scale);
  L.W = kWidth + L.legend.width;
  layout_titles(c, L);
  const bool categorical = text_col(c, c.x_col);
  if (categorical) {
    L.cats = categories_of(c);
    for (const auto& s : L.cats) L.cat_labels.push_back(fit_text(cut_text(s, kMaxCategoryChars), kCategoryMaxText, kFont));
  }
  const double right = kWidth - kMarginRight;
  double left = 72;
  for (int pass = 0; pass < 3; ++pass) {
    const double width = right - left;
    double need_left = 0;
    if (categorical && !L.cats.empty()) {
      const double spacing = width / static_cast<double>(L.cats.size());
      double maxw = 0;
      for (const auto& s : L.cat_labels) maxw = std::max(maxw, text_width(s, kFont));
      L.rotate = maxw > spacing - 8;
      L.every = 1;
      if (L.rotate) {
        // Slanted labels need their baselines ~1.3 font sizes apart.
        L.every = std::max(1, static_cast<int>(std::ceil(1.4 * kFont / (spacing * std::sin(kRot)))));
        double down = 0;
        for (std::size_t i = 0; i < L.cat_labels.size(); i += static_cast<std::size_t>(L.every)) {
          const double w = text_width(L.cat_labels[i], kFont);
          down = std::max(down, w * std::sin(kRot));
          // The label hangs down-left from its tick: it must not leave the chart.
          need_left = std::max(need_left, w * std::cos(kRot) + 14 - (static_cast<double>(i) + 0.5) * spacing);
        }
        L.axes_bottom = 12 + down + kFont + 8 + 16;
      } else {
        L.axes_bottom = 48;
      }
    }
    const double bottom = std::max(L.top + 160, kHeight - L.axes_bottom - 14.0 * static_cast<double>(L.notes.size()));
    const PlotFrame f = frame_for(c, left, L.top, width, bottom - L.top, L.scale);
    L.m = Mapper{f};
    L.ytick_w = max_tick_width(f);
    const double want = std::max({48.0, L.ytick_w + 36, need_left});
    if (std::fabs(want - left) < 0.5) break;
    left = want;
  }
  const PlotFrame& f = L.m.f;
  L.xtitle = fit_text(axis_title(c, c.x_label, c.x_col), f.width, kFont);
  L.ytitle = fit_text(axis_title(c, c.y_label, c.y_col), f.height, kFont);
  return L;
}

void draw_axes(std::string& out, const Chart& c, const Layout& L) {
  const Mapper& m = L.m;
  const PlotFrame& f = m.f;
  out += "<rect class=\"frame\" x=\"" + num(f.left) + "\" y=\"" + num(f.top) + "\" width=\"" + num(f.width) +
         "\" height=\"" + num(f.height) + "\" fill=\"#ffffff\" stroke=\"#888888\"/>\n";
  const double bottom = f.top + f.height;
  // y ticks with light grid lines
  const double ys = nice_step(f.ymax - f.ymin, 6);
  for_ticks(f.ymin, f.ymax, ys, [&](double t) {
    double y = m.py(t);
    out += "<line class=\"grid\" x1=\"" + num(f.left) + "\" y1=\"" + num(y) + "\" x2=\"" + num(f.left + f.width) +
           "\" y2=\"" + num(y) + "\" stroke=\"#ececec\"/>";
    out += "<line x1=\"" + num(f.left - 5) + "\" y1=\"" + num(y) + "\" x2=\"" + num(f.left) + "\" y2=\"" + num(y) +
           "\" stroke=\"#555555\"/>";
    out += text_el(f.left - 8, y + 4, tick_label(t, ys), "end", " class=\"tick\"") + "\n";
  });
  if (f.categorical_x) {
    for (std::size_t i = 0; i < L.cats.size(); ++i) {
      double x = m.px(static_cast<double>(i));
      out += "<line x1=\"" + num(x) + "\" y1=\"" + num(bottom) + "\" x2=\"" + num(x) + "\" y2=\"" +
             num(bottom + 5) + "\" stroke=\"#555555\"/>";
      if (i % static_cast<std::size_t>(L.every) != 0) continue;
      const std::string& lab = L.cat_labels[i];
      if (L.rotate) {
        const double ax = x + 4, ay = bottom + 12;
        out += text_el(ax, ay, lab, "end",
                       " class=\"tick\" transform=\"rotate(-45 " + num(ax) + " " + num(ay) + ")\"") + "\n";
      } else {
        out += text_el(x, bottom + 18, lab, "middle", " class=\"tick\"") + "\n";
      }
    }
  } else {
    const double xs = nice_step(f.xmax - f.xmin, 7);
    for_ticks(f.xmin, f.xmax, xs, [&](double t) {
      double x = m.px(t);
      out += "<line class=\"grid\" x1=\"" + num(x) + "\" y1=\"" + num(f.top) + "\" x2=\"" + num(x) + "\" y2=\"" +
             num(bottom) + "\" stroke=\"#ececec\"/>";
      out += "<line x1=\"" + num(x) + "\" y1=\"" + num(bottom) + "\" x2=\"" + num(x) + "\" y2=\"" +
             num(bottom + 5) + "\" stroke=\"#555555\"/>";
      out += text_el(x, bottom + 18, tick_label(t, xs), "middle", " class=\"tick\"") + "\n";
    });
  }
  // Reference lines
  if (!f.categorical_x)
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
  if (!L.xtitle.empty())
    out += text_el(f.left + f.width / 2, bottom + L.axes_bottom - 10, L.xtitle, "middle", " class=\"axis-title\"") +
           "\n";
  if (!L.ytitle.empty()) {
    const double x = f.left - 8 - L.ytick_w - 10, y = f.top + f.height / 2;
    out += text_el(x, y, L.ytitle, "middle",
                   " class=\"axis-title\" transform=\"rotate(-90 " + num(x) + " " + num(y) + ")\"") + "\n";
  }
}

std::string open_svg(double w, double h) {
  return "<svg xmlns=\"http://www.w3.org/2000/svg\" class=\"oscat-chart\" width=\"" + num(w) + "\" height=\"" +
         num(h) + "\" viewBox=\"0 0 " + num(w) + " " + num(h) +
         "\" font-family=\"Helvetica, Arial, sans-serif\" font-size=\"11\">\n"
         "<rect width=\"100%\" height=\"100%\" fill=\"#ffffff\"/>\n";
}

void draw_titles(std::string& out, const Layout& L) {
  double y = 8;
  for (const auto& t : L.title) {
    y += 19;
    out += text_el(L.W / 2, y - 2, t, "middle", " class=\"title\" font-size=\"15\" font-weight=\"bold\"") + "\n";
  }
  for (const auto& t : L.subtitle) {
    y += 16;
    out += text_el(L.W / 2, y, t, "middle", " class=\"subtitle\" font-size=\"12\"") + "\n";
  }
}

// Footnotes and the renderer's own notes below everything else, from `y`;
// returns the chart's height.
double draw_notes(std::string& out, const std::vector<std::string>& notes, double y, double min_h) {
  for (const auto& n : notes) {
    y += 14;
    out += text_el(12, y, n, "start", " class=\"footnote\" font-size=\"10\" fill=\"#555555\"") + "\n";
  }
  return std::max(min_h, y + 8);
}

std::string labels_note(int n) {
  return std::to_string(n) + (n == 1 ? " label not shown" : " labels not shown");
}

void render_splom(std::string& out, const Chart& c, const std::vector<int>& cols, double left, double top,
                  double width, double height, Groups& groups, double scale) {
  const int k = static_cast<int>(cols.size());
  const double gap = 6;
  const double pw = (width - gap * (k - 1)) / k, ph = (height - gap * (k - 1)) / k;
  std::vector<Range> ranges(k);
  for (int i = 0; i < k; ++i) {
    for (const auto& e : elements_of(c))
      for (std::size_t r = 0; r < c.rows.size(); ++r)
        if (in_element(c, e, r))
          ranges[i].add(cell_number(c, r, cols[i]) * (e.kind == host::ElementKind::Vector ? scale : 1));
    pad(ranges[i]);
  }
  for (int i = 0; i < k; ++i) {      // panel row: y variable
    for (int j = 0; j < k; ++j) {    // panel column: x variable
      double x0 = left + j * (pw + gap), y0 = top + i * (ph + gap);
      std::string rect = "<rect x=\"" + num(x0) + "\" y=\"" + num(y0) + "\" width=\"" + num(pw) + "\" height=\"" +
                         num(ph) + "\" fill=\"#ffffff\" stroke=\"#888888\"/>\n";
      if (i == j) {
        out += "<g class=\"diag\">\n" + rect;
        out += text_el(x0 + pw / 2, y0 + ph / 2 + 4, fit_text(c.columns[cols[i]].name.text, pw - 8, kFont, true),
                       "middle", " font-weight=\"bold\"") + "\n";
        char range[96];
        std::snprintf(range, sizeof range, "%s .. %s", format_value(ranges[i].lo, host::BP_FIXED_FORMAT(2)).c_str(),
                      format_value(ranges[i].hi, host::BP_FIXED_FORMAT(2)).c_str());
        out += text_el(x0 + pw / 2, y0 + ph / 2 + 20, fit_text(range, pw - 8, 9), "middle",
                       " font-size=\"9\" fill=\"#777777\"") + "\n";
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
      draw_elements(out, c, m, nullptr, cols[j], cols[i], groups, nullptr, k > 3 ? 2.5 : 3, scale);
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

double text_width(std::string_view s, double size, bool bold) {
  double em = 0;
  for (std::size_t i = 0; i < s.size();) {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    if (c < 0x80) {
      em += c >= 32 && c < 127 ? kAdvance[c - 32] / 1000.0 : 0;
      ++i;
      continue;
    }
    const std::size_t n = seq_len(c);
    // Ideographs and other full-width characters take a whole em.
    em += c >= 0xE3 && c <= 0xED && n == 3 ? 1.0 : 0.65;
    i += n;
  }
  return em * size * (bold ? 1.1 : 1.0) * 1.04;
}

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

PlotFrame chart_plot_frame(const Chart& c) { return layout_single(c, collect_groups(c)).m.f; }

double chart_vector_scale(const Chart& c) { return scale_of(c); }

std::string render_svg(const Chart& c) {
  Groups groups = collect_groups(c);
  std::vector<int> splom = splom_columns(c);
  std::string body;
  double w = 0, h = 0;
  if (splom.size() >= 2) {
    Layout L;
    L.scale = scale_of(c);
    L.legend = legend_of(c, groups, L.scale);
    const double side = std::min(kWidth, kHeight + 60);
    L.W = side + 40 + L.legend.width;
    layout_titles(c, L);
    draw_titles(body, L);
    const double top = L.top - 4;
    render_splom(body, c, splom, 20, top, side - 20, side - 20, groups, L.scale);
    double legend_bottom = 0;
    if (L.legend.width > 0) legend_bottom = draw_legend(body, L.legend, side + 24, top + 14);
    std::vector<std::string> notes = L.notes;
    if (L.scale != 1 && !L.legend.states_scale) notes.push_back("Vectors scaled by " + factor_text(L.scale));
    w = L.W;
    h = draw_notes(body, notes, top + side - 20 + 4, legend_bottom + 8);
  } else {
    Layout L = layout_single(c, groups);
    draw_titles(body, L);
    const PlotFrame& f = L.m.f;
    const std::vector<std::string>* pcats = f.categorical_x ? &L.cats : nullptr;
    draw_axes(body, c, L);
    body += "<g class=\"data\">\n";
    LabelWork work;
    int dropped = 0;
    if (valid_col(c, c.x_col) && valid_col(c, c.y_col)) {
      // Smaller markers let a dense cloud show its shape.
      std::size_t points = 0;
      for (const auto& e : elements_of(c))
        if (is_point(e))
          for (std::size_t r = 0; r < c.rows.size(); ++r) points += in_element(c, e, r);
      draw_elements(body, c, L.m, pcats, c.x_col, c.y_col, groups, &work, points > 400 ? 2.5 : 4, L.scale);
      dropped = draw_labels(body, work, f);
    }
    body += "</g>\n";
    double legend_bottom = 0;
    if (L.legend.width > 0) legend_bottom = draw_legend(body, L.legend, kWidth + 4, f.top + 14);
    std::vector<std::string> notes = L.notes;
    if (L.scale != 1 && !L.legend.states_scale) notes.push_back("Vectors scaled by " + factor_text(L.scale));
    if (dropped + work.hidden > 0) notes.push_back(labels_note(dropped + work.hidden));
    w = L.W;
    h = draw_notes(body, notes, f.top + f.height + L.axes_bottom - 6, std::max(kHeight, legend_bottom + 8));
  }
  return open_svg(w, h) + body + "</svg>\n";
}

}  // namespace oscat::engine
