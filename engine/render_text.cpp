#include <cctype>
#include "engine/render_text.hpp"

#include <algorithm>
#include <cmath>
#include <functional>
#include <set>
#include <sstream>

#include "engine/render_sink.hpp"

#include "engine/format.hpp"

namespace oscat::engine {
namespace {

// ---------------------------------------------------------------- layout ---

struct LeafPath {
  int leaf = 0;
  std::vector<const DimNode*> groups;  // outermost first
};

void walk(const Dimension& d, const std::vector<DimNode>& nodes, std::vector<const DimNode*>& stack,
          std::vector<LeafPath>& out, std::set<int>& seen) {
  for (const DimNode& n : nodes) {
    if (n.is_group) {
      stack.push_back(&n);
      walk(d, n.children, stack, out, seen);
      stack.pop_back();
    } else if (n.leaf >= 0 && static_cast<std::size_t>(n.leaf) < d.leaves.size() && seen.insert(n.leaf).second) {
      out.push_back(LeafPath{n.leaf, stack});
    }
  }
}

// Leaves in display order; leaves missing from the tree follow in id order.
std::vector<LeafPath> leaf_paths(const Dimension& d) {
  std::vector<LeafPath> out;
  std::set<int> seen;
  std::vector<const DimNode*> stack;
  walk(d, d.tree, stack, out, seen);
  for (int i = 0; i < static_cast<int>(d.leaves.size()); ++i)
    if (!seen.count(i)) out.push_back(LeafPath{i, {}});
  return out;
}

int max_depth(const std::vector<LeafPath>& paths) {
  std::size_t m = 0;
  for (const auto& p : paths) m = std::max(m, p.groups.size());
  return static_cast<int>(m);
}

std::vector<std::string> marks_of(const Table& t, const std::vector<int>& idx) {
  std::vector<std::string> out;
  for (int i : idx)
    if (i >= 0 && static_cast<std::size_t>(i) < t.footnotes.size()) out.push_back(t.footnotes[i].marker);
  return out;
}

// Mixed-radix decomposition of a combined index over several dimensions
// (first dimension outermost).
std::vector<int> split_index(int index, const std::vector<int>& sizes) {
  std::vector<int> out(sizes.size());
  for (int i = static_cast<int>(sizes.size()) - 1; i >= 0; --i) {
    out[i] = sizes[i] > 0 ? index % sizes[i] : 0;
    index = sizes[i] > 0 ? index / sizes[i] : 0;
  }
  return out;
}

int product(const std::vector<int>& sizes) {
  int p = 1;
  for (int s : sizes) p *= s;
  return p;
}

// Identity of a label at one level: the outer dimensions' positions and the
// node (or leaf) at that level. Equal keys on consecutive positions merge.
struct SpanKey {
  std::vector<int> outer;
  const void* node = nullptr;
  int leaf = -1;
  bool operator==(const SpanKey& o) const { return outer == o.outer && node == o.node && leaf == o.leaf; }
};

}  // namespace

std::string cell_display(const Cell& cell) {
  if (cell.text) return cell.text->text;
  if (!cell.value) return ".";
  return format_value(*cell.value, cell.format);
}

TableLayout layout_table(const Table& t) {
  TableLayout L;
  L.title = {t.title.text, marks_of(t, t.title_footnotes)};
  for (const auto& f : t.footnotes) L.footnotes.emplace_back(f.marker, f.text.text);

  std::vector<int> rdims, cdims, ldims;
  for (int d = 0; d < static_cast<int>(t.dims.size()); ++d) {
    switch (t.dims[d].axis) {
      case host::Axis::Row: rdims.push_back(d); break;
      case host::Axis::Column: cdims.push_back(d); break;
      case host::Axis::Layer: ldims.push_back(d); break;
    }
  }
  std::vector<std::vector<LeafPath>> paths(t.dims.size());
  for (std::size_t d = 0; d < t.dims.size(); ++d) paths[d] = leaf_paths(t.dims[d]);
  auto sizes_of = [&](const std::vector<int>& dims) {
    std::vector<int> s;
    for (int d : dims) s.push_back(static_cast<int>(paths[d].size()));
    return s;
  };
  const std::vector<int> csizes = sizes_of(cdims), rsizes = sizes_of(rdims), lsizes = sizes_of(ldims);
  auto leaf_text = [&](int d, int pos) {
    const Category& cat = t.dims[d].leaves[paths[d][pos].leaf];
    return LayoutText{cat.label.text, marks_of(t, cat.footnotes)};
  };

  // Column header.
  L.data_cols = product(csizes);
  std::vector<std::vector<int>> cpos(L.data_cols);
  for (int c = 0; c < L.data_cols; ++c) cpos[c] = split_index(c, csizes);
  auto add_header_row = [&](const std::function<SpanKey(int)>& key, const std::function<HeaderSpan(int)>& label) {
    std::vector<HeaderSpan> row;
    for (int c = 0; c < L.data_cols;) {
      SpanKey k = key(c);
      int e = c + 1;
      while (e < L.data_cols && key(e) == k) ++e;
      HeaderSpan s = label(c);
      s.first = c;
      s.count = e - c;
      row.push_back(std::move(s));
      c = e;
    }
    L.header.push_back(std::move(row));
  };
  for (std::size_t i = 0; i < cdims.size(); ++i) {
    const int d = cdims[i];
    auto outer = [&](int c) { return std::vector<int>(cpos[c].begin(), cpos[c].begin() + i); };
    if (!t.dims[d].label_hidden) {
      add_header_row([&](int c) { return SpanKey{outer(c), &t.dims[d], -1}; },
                     [&](int) { return HeaderSpan{{t.dims[d].label.text, {}}, 0, 1, true}; });
    }
    const int depth = max_depth(paths[d]);
    for (int lv = 0; lv < depth; ++lv) {
      auto node = [&](int c) -> const DimNode* {
        const auto& g = paths[d][cpos[c][i]].groups;
        return lv < static_cast<int>(g.size()) ? g[lv] : nullptr;
      };
      add_header_row(
          [&](int c) {
            const DimNode* n = node(c);
            // Leaves outside any group at this level stay separate blanks.
            return n ? SpanKey{outer(c), n, -1} : SpanKey{outer(c), nullptr, c};
          },
          [&](int c) {
            const DimNode* n = node(c);
            return n ? HeaderSpan{{n->label.text, {}}, 0, 1, true} : HeaderSpan{{}, 0, 1, false};
          });
    }
    add_header_row([&](int c) { return SpanKey{outer(c), nullptr, cpos[c][i]}; },
                   [&](int c) { return HeaderSpan{leaf_text(d, cpos[c][i]), 0, 1, false}; });
  }

  // Label columns: per row dimension its group levels, then its leaves.
  struct LabelCol {
    std::size_t dim_pos;  // position within rdims
    int level;            // group level, or -1 for the leaves
  };
  std::vector<LabelCol> lcols;
  for (std::size_t i = 0; i < rdims.size(); ++i) {
    const int d = rdims[i];
    for (int lv = 0; lv < max_depth(paths[d]); ++lv) {
      lcols.push_back({i, lv});
      L.corner.emplace_back();
    }
    lcols.push_back({i, -1});
    L.corner.push_back(t.dims[d].label_hidden ? std::string() : t.dims[d].label.text);
  }
  L.label_cols = static_cast<int>(lcols.size());

  const int nrows = product(rsizes);
  const int nlayers = product(lsizes);
  std::vector<std::vector<int>> rpos(nrows);
  for (int r = 0; r < nrows; ++r) rpos[r] = split_index(r, rsizes);
  auto row_key = [&](int r, const LabelCol& lc) {
    const int d = rdims[lc.dim_pos];
    std::vector<int> outer(rpos[r].begin(), rpos[r].begin() + lc.dim_pos);
    const LeafPath& p = paths[d][rpos[r][lc.dim_pos]];
    if (lc.level < 0) return SpanKey{outer, nullptr, rpos[r][lc.dim_pos]};
    const DimNode* n = lc.level < static_cast<int>(p.groups.size()) ? p.groups[lc.level] : nullptr;
    return n ? SpanKey{outer, n, -1} : SpanKey{outer, nullptr, -2 - r};
  };

  for (int ly = 0; ly < nlayers; ++ly) {
    LayerBlock block;
    std::vector<int> lp = split_index(ly, lsizes);
    for (std::size_t i = 0; i < ldims.size(); ++i) {
      const int d = ldims[i];
      std::string cap = leaf_text(d, lp[i]).text;
      if (!t.dims[d].label_hidden) cap = t.dims[d].label.text + ": " + cap;
      block.caption.push_back(std::move(cap));
    }
    std::vector<int> key(t.dims.size(), 0);
    for (std::size_t i = 0; i < ldims.size(); ++i) key[ldims[i]] = paths[ldims[i]][lp[i]].leaf;
    for (int r = 0; r < nrows; ++r) {
      BodyRow row;
      for (std::size_t i = 0; i < rdims.size(); ++i) key[rdims[i]] = paths[rdims[i]][rpos[r][i]].leaf;
      for (std::size_t j = 0; j < lcols.size(); ++j) {
        const LabelCol& lc = lcols[j];
        // A label continues while this column's key and every column left of it stay the same.
        bool shown = r == 0;
        for (std::size_t k = 0; k <= j && !shown; ++k) shown = !(row_key(r, lcols[k]) == row_key(r - 1, lcols[k]));
        LabelCell cell;
        cell.shown = shown;
        if (shown) {
          int e = r + 1;
          auto same = [&](int rr) {
            for (std::size_t k = 0; k <= j; ++k)
              if (!(row_key(rr, lcols[k]) == row_key(r, lcols[k]))) return false;
            return true;
          };
          while (e < nrows && same(e)) ++e;
          cell.rowspan = e - r;
          const int d = rdims[lc.dim_pos];
          const LeafPath& p = paths[d][rpos[r][lc.dim_pos]];
          if (lc.level < 0) {
            cell.label = leaf_text(d, rpos[r][lc.dim_pos]);
          } else if (lc.level < static_cast<int>(p.groups.size())) {
            cell.label = {p.groups[lc.level]->label.text, {}};
          }
        }
        row.labels.push_back(std::move(cell));
      }
      row.boundary = r > 0 && !row.labels.empty() && row.labels[0].shown;
      for (int c = 0; c < L.data_cols; ++c) {
        for (std::size_t i = 0; i < cdims.size(); ++i) key[cdims[i]] = paths[cdims[i]][cpos[c][i]].leaf;
        auto it = t.cells.find(key);
        if (it == t.cells.end()) {
          row.cells.emplace_back();
        } else {
          row.cells.push_back({cell_display(it->second), marks_of(t, it->second.footnotes), it->second.text.has_value()});
        }
      }
      block.rows.push_back(std::move(row));
    }
    L.layers.push_back(std::move(block));
  }
  return L;
}

// ------------------------------------------------------------ plain text ---
namespace {

constexpr std::size_t kLabelCap = 32;
constexpr std::size_t kDataCap = 20;
constexpr std::size_t kSpanCap = 40;
constexpr const char* kGap = "  ";
constexpr std::size_t kGapWidth = 2;

std::string with_marks(const LayoutText& t) {
  std::string s = t.text;
  for (const auto& m : t.marks) s += "[" + m + "]";
  return s;
}

// Word wrap to `width` code points; words longer than a line are split.
std::vector<std::string> wrap_line(const std::string& s, std::size_t width);

// Line breaks in a text are kept; each line is wrapped on its own.
std::vector<std::string> wrap(const std::string& s, std::size_t width) {
  if (s.find('\n') == std::string::npos) return wrap_line(s, width);
  std::vector<std::string> out;
  std::size_t pos = 0;
  for (;;) {
    std::size_t nl = s.find('\n', pos);
    for (auto& l : wrap_line(s.substr(pos, nl == std::string::npos ? std::string::npos : nl - pos), width))
      out.push_back(std::move(l));
    if (nl == std::string::npos) break;
    pos = nl + 1;
  }
  return out;
}

std::vector<std::string> wrap_line(const std::string& s, std::size_t width) {
  std::vector<std::string> lines;
  if (width == 0) width = 1;
  std::string cur;
  std::size_t pos = 0;
  auto flush = [&] {
    lines.push_back(cur);
    cur.clear();
  };
  while (pos <= s.size()) {
    std::size_t sp = s.find(' ', pos);
    std::string word = s.substr(pos, sp == std::string::npos ? std::string::npos : sp - pos);
    pos = sp == std::string::npos ? s.size() + 1 : sp + 1;
    if (word.empty()) continue;
    while (text_width(word) > width) {
      if (!cur.empty()) flush();
      std::string head = cut_text(word, width);
      lines.push_back(head);
      word = word.substr(head.size());
    }
    if (cur.empty()) cur = word;
    else if (text_width(cur) + 1 + text_width(word) <= width) cur += " " + word;
    else {
      flush();
      cur = word;
    }
  }
  if (!cur.empty() || lines.empty()) lines.push_back(cur);
  return lines;
}

enum class Align { Left, Right, Centre };

std::string pad(const std::string& s, std::size_t width, Align a) {
  std::size_t w = text_width(s);
  if (w >= width) return s;
  std::size_t extra = width - w;
  switch (a) {
    case Align::Left: return s + std::string(extra, ' ');
    case Align::Right: return std::string(extra, ' ') + s;
    case Align::Centre: return std::string(extra / 2, ' ') + s + std::string(extra - extra / 2, ' ');
  }
  return s;
}

void rtrim_append(Sink& out, std::string line) {
  while (!line.empty() && line.back() == ' ') line.pop_back();
  out += line;
  out += '\n';
}

// Lines no wider than `width`, wrapped at spaces; continuation lines are
// indented by `indent`.
void wrapped(Sink& out, const std::string& text, std::size_t width, std::size_t indent = 0) {
  // Leading spaces are an indent of every line, not a word to wrap.
  std::size_t lead = 0;
  while (lead < text.size() && text[lead] == ' ') ++lead;
  if (lead + indent + 10 > width) lead = indent = 0;
  bool first = true;
  for (const std::string& l : wrap(text.substr(lead), width - lead - indent)) {
    rtrim_append(out, std::string(lead + (first ? 0 : indent), ' ') + l);
    first = false;
  }
}

constexpr std::size_t kMinLabel = 6;

}  // namespace

std::vector<Panel> split_panels(const std::vector<std::size_t>& widths, const std::vector<int>& boundary_level,
                                std::size_t room, std::size_t gap) {
  std::vector<Panel> panels;
  const int n = static_cast<int>(widths.size());
  auto level = [&](int b) { return b < static_cast<int>(boundary_level.size()) ? boundary_level[b] : 0; };
  for (int s = 0; s < n;) {
    int e = s;
    std::size_t used = 0;
    std::vector<std::size_t> fill;  // fill[k]: width of columns s .. s+k-1
    fill.push_back(0);
    while (e < n) {
      std::size_t w = used + (e > s ? gap : 0) + widths[e];
      if (e > s && w > room) break;
      used = w;
      ++e;
      fill.push_back(used);
    }
    if (e < n) {
      // Break where the outermost header group ends, unless that leaves the
      // panel less than a quarter full; then as late as possible.
      int best = e;
      for (int b = s + 1; b <= e; ++b) {
        if (fill[b - s] * 4 < room) continue;
        if (level(b) < level(best) || (level(b) == level(best) && b > best)) best = b;
      }
      e = best;
    }
    panels.push_back({s, e});
    s = e;
  }
  if (panels.empty()) panels.push_back({0, 0});
  return panels;
}

namespace {

void render_table(Sink& out, const Table& t, std::size_t width) {
  TableLayout L = layout_table(t);
  const std::size_t data_cap = t.max_width > 0 ? static_cast<std::size_t>(t.max_width) : kDataCap;
  const std::size_t data_min = t.min_width > 0 ? static_cast<std::size_t>(t.min_width) : 1;

  std::vector<std::size_t> lw(L.label_cols, 0), dw(L.data_cols, data_min);
  for (int j = 0; j < L.label_cols; ++j) lw[j] = std::min(kLabelCap, text_width(L.corner[j]));
  for (const auto& block : L.layers)
    for (const auto& row : block.rows) {
      for (int j = 0; j < L.label_cols; ++j)
        if (row.labels[j].shown) lw[j] = std::max(lw[j], std::min(kLabelCap, text_width(with_marks(row.labels[j].label))));
      for (int c = 0; c < L.data_cols; ++c)
        dw[c] = std::max(dw[c], std::min(data_cap, text_width(with_marks(row.cells[c]))));
    }
  // Single-column headers widen their column up to the cap; wider spans
  // share out what they need over the columns they cover.
  for (const auto& hr : L.header)
    for (const auto& s : hr)
      if (s.count == 1) dw[s.first] = std::max(dw[s.first], std::min(data_cap, text_width(with_marks(s.label))));
  for (const auto& hr : L.header)
    for (const auto& s : hr) {
      if (s.count < 2) continue;
      std::size_t need = std::min(kSpanCap, text_width(with_marks(s.label)));
      std::size_t have = kGapWidth * (s.count - 1);
      for (int c = s.first; c < s.first + s.count; ++c) have += dw[c];
      for (int k = 0; have < need; ++k, ++have) ++dw[s.first + k % s.count];
    }

  // Fit the width: the row labels give way (down to a few characters) until
  // the widest data column, or half the width, fits beside them; a column
  // still wider than what is left wraps its cells.
  std::size_t maxd = 0;
  for (auto w : dw) maxd = std::max(maxd, w);
  const std::size_t need = L.data_cols > 0 ? std::min(maxd, width / 2) : 0;
  auto label_area_of = [&] {
    std::size_t a = 0;
    for (auto w : lw) a += w + kGapWidth;
    return a;
  };
  const std::size_t label_budget = width + (L.data_cols > 0 ? 0 : kGapWidth) - need;
  while (label_area_of() > label_budget) {
    auto widest = std::max_element(lw.begin(), lw.end());
    if (widest == lw.end() || *widest <= kMinLabel) break;
    --*widest;
  }
  const std::size_t label_area = label_area_of();
  const std::size_t room = width > label_area ? std::max<std::size_t>(width - label_area, 1) : 1;
  for (auto& w : dw) w = std::min(w, room);

  // Where a panel may end: before a column that starts a span in a header
  // row, the outermost row counting most.
  std::vector<int> level(L.data_cols + 1, static_cast<int>(L.header.size()));
  for (int r = static_cast<int>(L.header.size()) - 1; r >= 0; --r)
    for (const auto& s : L.header[r]) level[s.first] = r;
  const std::vector<Panel> panels = split_panels(dw, level, room, kGapWidth);
  const std::vector<std::size_t> widths = dw;

  const std::string title = with_marks(L.title);
  bool header_text = false;
  for (const auto& c : L.corner) header_text = header_text || !c.empty();
  for (const auto& hr : L.header)
    for (const auto& s : hr) header_text = header_text || !s.label.text.empty();

  auto emit_panel = [&](const LayerBlock& block, const Panel& p) {
    // The header rows of this panel: spans cut to its columns.
    std::vector<std::vector<HeaderSpan>> header;
    for (const auto& hr : L.header) {
      std::vector<HeaderSpan> row;
      for (const auto& s : hr) {
        const int a = std::max(s.first, p.first), b = std::min(s.first + s.count, p.end);
        if (a >= b) continue;
        HeaderSpan cut = s;
        cut.first = a;
        cut.count = b - a;
        cut.cut = cut.count < s.count;
        row.push_back(std::move(cut));
      }
      header.push_back(std::move(row));
    }
    // A span cut to fewer columns may need them wider for its label, as far
    // as the room allows (words are not split while they fit).
    std::vector<std::size_t> dw = widths;
    std::size_t used = 0;
    for (int c = p.first; c < p.end; ++c) used += dw[c] + (c > p.first ? kGapWidth : 0);
    for (const auto& hr : header)
      for (const auto& s : hr) {
        if (!s.cut) continue;
        std::size_t need = std::min(kSpanCap, text_width(with_marks(s.label)));
        std::size_t have = kGapWidth * (s.count - 1);
        for (int c = s.first; c < s.first + s.count; ++c) have += dw[c];
        for (int k = 0; have < need && used < room; ++k, ++have, ++used) ++dw[s.first + k % s.count];
      }
    std::size_t total = label_area;
    for (int c = p.first; c < p.end; ++c) total += dw[c] + kGapWidth;
    if (total >= kGapWidth) total -= kGapWidth;
    total = std::max(total, std::min(text_width(title), width));
    const std::string heavy(total, '='), light(total, '-');

    auto span_width = [&](const HeaderSpan& s) {
      std::size_t w = kGapWidth * (s.count - 1);
      for (int c = s.first; c < s.first + s.count; ++c) w += dw[c];
      return w;
    };
    auto corner_lines = [&](bool last) {
      std::vector<std::vector<std::string>> cols(L.label_cols);
      for (int j = 0; j < L.label_cols; ++j) cols[j] = last ? wrap(L.corner[j], lw[j]) : std::vector<std::string>{""};
      return cols;
    };

    for (const auto& cap : block.caption) wrapped(out, cap, width);
    rtrim_append(out, heavy);
    if (header_text && header.empty()) {
      bool any = false;
      for (const auto& c : L.corner) any = any || !c.empty();
      if (any) {
        auto cols = corner_lines(true);
        std::size_t h = 0;
        for (const auto& c : cols) h = std::max(h, c.size());
        for (std::size_t k = 0; k < h; ++k) {
          std::string line;
          for (int j = 0; j < L.label_cols; ++j) line += pad(k < cols[j].size() ? cols[j][k] : "", lw[j], Align::Left) + kGap;
          rtrim_append(out, line);
        }
        rtrim_append(out, light);
      }
    } else if (header_text) {
      for (std::size_t r = 0; r < header.size(); ++r) {
        const auto& hr = header[r];
        bool last = r + 1 == header.size();
        // A row with nothing over this panel's columns would be a blank line.
        bool any = last;
        for (const auto& s : hr) any = any || !s.label.text.empty();
        if (!any) continue;
        auto ccols = corner_lines(last);
        std::vector<std::vector<std::string>> sp;
        std::size_t h = 1;
        for (const auto& c : ccols) h = std::max(h, c.size());
        for (const auto& s : hr) {
          sp.push_back(wrap(with_marks(s.label), span_width(s)));
          h = std::max(h, sp.back().size());
        }
        for (std::size_t k = 0; k < h; ++k) {
          std::string line;
          for (int j = 0; j < L.label_cols; ++j) line += pad(k < ccols[j].size() ? ccols[j][k] : "", lw[j], Align::Left) + kGap;
          for (std::size_t i = 0; i < hr.size(); ++i) {
            // Leaf headers sit over right-aligned numbers; spans are centred.
            Align a = hr[i].count > 1 || hr[i].group ? Align::Centre : Align::Right;
            if (i) line += kGap;
            line += pad(k < sp[i].size() ? sp[i][k] : "", span_width(hr[i]), a);
          }
          rtrim_append(out, line);
        }
        bool rule = false;
        for (const auto& s : hr) rule = rule || (s.group && !s.label.text.empty());
        if (rule && !last) {
          std::string line(label_area, ' ');
          for (std::size_t i = 0; i < hr.size(); ++i) {
            if (i) line += kGap;
            bool g = hr[i].group && !hr[i].label.text.empty();
            line += std::string(span_width(hr[i]), g ? '-' : ' ');
          }
          rtrim_append(out, line);
        }
      }
      rtrim_append(out, light);
    }

    for (const auto& row : block.rows) {
      std::vector<std::vector<std::string>> cols;
      std::vector<std::size_t> col_w;
      std::size_t h = 1;
      for (int j = 0; j < L.label_cols; ++j) {
        cols.push_back(row.labels[j].shown ? wrap(with_marks(row.labels[j].label), lw[j]) : std::vector<std::string>{""});
        col_w.push_back(lw[j]);
        h = std::max(h, cols.back().size());
      }
      for (int c = p.first; c < p.end; ++c) {
        cols.push_back(wrap(with_marks(row.cells[c]), dw[c]));
        col_w.push_back(dw[c]);
        h = std::max(h, cols.back().size());
      }
      for (std::size_t k = 0; k < h; ++k) {
        std::string line;
        for (std::size_t j = 0; j < cols.size(); ++j) {
          bool is_label = static_cast<int>(j) < L.label_cols;
          if (j) line += kGap;
          line += pad(k < cols[j].size() ? cols[j][k] : "", col_w[j], is_label ? Align::Left : Align::Right);
        }
        rtrim_append(out, line);
      }
    }
    rtrim_append(out, heavy);
  };

  wrapped(out, title, width);
  for (std::size_t ly = 0; ly < L.layers.size(); ++ly)
    for (std::size_t p = 0; p < panels.size(); ++p) {
      // Every further panel of the same layer repeats the title, continued.
      if (p > 0) {
        out += '\n';
        wrapped(out, with_marks(LayoutText{L.title.text + " (continued)", L.title.marks, false}), width);
      }
      emit_panel(L.layers[ly], panels[p]);
    }
  for (const auto& [m, text] : L.footnotes) wrapped(out, m + ". " + text, width, m.size() + 2);
}

const char* severity_word(int severity) {
  return severity <= 1 ? "Note" : severity == 2 ? "Warning" : "Error";
}

std::size_t drawable_points(const Chart& c) {
  std::size_t n = 0;
  for (const auto& row : c.rows) {
    bool ok = true;
    auto check = [&](int col) {
      if (col < 0 || static_cast<std::size_t>(col) >= row.size()) return;
      if (const double* d = std::get_if<double>(&row[col])) ok = ok && std::isfinite(*d) && !host::is_sysmis(*d);
    };
    if (!c.splom_cols.empty()) {
      for (int col : c.splom_cols) check(col);
    } else {
      check(c.x_col);
      check(c.y_col);
    }
    if (ok) ++n;
  }
  return n;
}

void render_items(Sink& out, const std::vector<Item>& items, int depth, std::size_t width);

void render_item(Sink& out, const Item& item, int depth, std::size_t width) {
  if (const Table* t = std::get_if<Table>(&item)) {
    render_table(out, *t, width);
  } else if (const Message* m = std::get_if<Message>(&item)) {
    std::string head = severity_word(m->severity);
    if (m->number != 0) head += " " + std::to_string(m->number);
    wrapped(out, head + ": " + m->text.text, width, 2);
  } else if (const Chart* c = std::get_if<Chart>(&item)) {
    wrapped(out, "[Chart: " + (c->title.text.empty() ? c->chart_template : c->title.text) + "]", width, 2);
    std::size_t n = drawable_points(*c);
    std::string line;
    if (c->splom_cols.size() >= 2) {
      line = "  scatterplot matrix of " + std::to_string(c->splom_cols.size()) + " variables, " + std::to_string(n) +
             (n == 1 ? " point" : " points");
    } else {
      line = "  " + std::to_string(n) + (n == 1 ? " point" : " points");
      if (c->x_col >= 0 && c->y_col >= 0 && static_cast<std::size_t>(std::max(c->x_col, c->y_col)) < c->columns.size()) {
        const std::string& xl = c->x_label.text.empty() ? c->columns[c->x_col].name.text : c->x_label.text;
        const std::string& yl = c->y_label.text.empty() ? c->columns[c->y_col].name.text : c->y_label.text;
        line += " (" + yl + " by " + xl + ")";
      }
    }
    wrapped(out, line, width, 4);
    for (const auto& n : c->earlier_footnotes) wrapped(out, "  " + n.text, width, 2);
    if (!c->footnote.text.empty()) wrapped(out, "  " + c->footnote.text, width, 2);
  } else if (const TextBlock* b = std::get_if<TextBlock>(&item)) {
    if (!b->title.text.empty()) wrapped(out, b->title.text, width);
    // A listing keeps its spacing; a line too long for the width is cut into
    // pieces rather than re-flowed, at a blank where there is one so that no
    // number is split across two lines.
    for (const auto& l : b->lines) {
      std::string rest = l;
      while (text_width(rest) > width) {
        std::string head = cut_text(rest, width);
        const bool splits_word = !head.empty() && head.back() != ' ' && rest[head.size()] != ' ';
        const std::size_t blank = head.find_last_of(' ');
        if (splits_word && blank != std::string::npos && blank > head.size() / 2) head.resize(blank);
        rtrim_append(out, head);
        rest = rest.substr(head.size());
      }
      out += rest;
      out += '\n';
    }
  } else if (const auto* h = std::get_if<std::shared_ptr<Heading>>(&item)) {
    if (!*h) return;
    const std::string& title = (*h)->title.text;
    wrapped(out, title, width);
    out += std::string(std::min(std::max<std::size_t>(text_width(title), 3), width), depth == 0 ? '-' : '.') + "\n\n";
    render_items(out, (*h)->items, depth + 1, width);
    return;
  }
  out += '\n';
}

// The command as one line: whitespace collapsed, cut to the width.
std::string echo_line(const std::string& syntax, std::size_t width) {
  std::string line;
  bool space = false;
  for (char ch : syntax) {
    const bool ws = ch == ' ' || ch == '\t' || ch == '\n' || ch == '\r';
    if (ws) {
      space = !line.empty();
      continue;
    }
    if (space) line += ' ';
    space = false;
    line += ch;
  }
  const std::size_t room = std::min<std::size_t>(width > 2 ? width - 2 : 1, 100);
  if (text_width(line) > room) line = cut_text(line, room > 3 ? room - 3 : room) + "...";
  return line;
}

// "CORRESPONDENCE" and "Correspondence" say the same; show it once.
bool same_words(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (std::toupper(static_cast<unsigned char>(a[i])) != std::toupper(static_cast<unsigned char>(b[i]))) return false;
  return true;
}

void render_items(Sink& out, const std::vector<Item>& items, int depth, std::size_t width) {
  for (const auto& item : items) render_item(out, item, depth, width);
}

std::size_t usable_width(int width) { return static_cast<std::size_t>(std::max(width, kMinTextWidth)); }

}  // namespace

void render_text(std::ostream& os, const Document& doc, int default_width) {
  Sink out(os);
  for (const auto& cmd : doc.commands) {
    // SET WIDTH in force when the command ran, else the caller's default.
    const std::size_t width = usable_width(cmd.text_width > 0 ? cmd.text_width : default_width);
    const std::string bar(std::min<std::size_t>(78, width), '#');
    if (!cmd.name.empty() || !cmd.procedure_title.empty()) {
      std::string head = cmd.name;
      if (!cmd.procedure_title.empty() && !same_words(cmd.name, cmd.procedure_title))
        head += (head.empty() ? "" : ": ") + cmd.procedure_title;
      // A command that produced nothing gets one line, not a banner: the
      // command itself, so the reader sees what was done.
      if (cmd.items.empty() && cmd.notes.empty()) {
        out += "> " + echo_line(cmd.syntax.empty() ? head : cmd.syntax, width) + "\n\n";
        continue;
      }
      out += bar + "\n";
      wrapped(out, head, width);
      out += bar + "\n\n";
    }
    render_items(out, cmd.items, 0, width);
    if (!cmd.notes.empty()) {
      out += "Notes\n";
      for (const auto& n : cmd.notes) {
        std::string line = "  " + n.group.text;
        if (!n.item.text.empty()) line += ": " + n.item.text;
        if (!n.contents.text.empty()) line += " \xE2\x80\x94 " + n.contents.text;
        wrapped(out, line, width, 4);
      }
      out += "\n";
    }
  }
}

std::string render_text(const Document& doc, int width) {
  std::ostringstream os;
  render_text(os, doc, width);
  return os.str();
}

std::string render_table_text(const Table& table, int width) {
  std::ostringstream os;
  {
    Sink out(os);
    render_table(out, table, usable_width(width));
  }
  return os.str();
}

}  // namespace oscat::engine
