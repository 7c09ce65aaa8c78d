#include "engine/frame_input.hpp"

#include <algorithm>
#include <cmath>
#include <limits>

#include "engine/csv.hpp"

namespace oscat::engine {

namespace {

bool check_missing(const FrameVariable& v, std::size_t width, std::string& error) {
  const host::MissingSpec& m = v.missing;
  auto bad = [&](const std::string& why) {
    error = "missing values of \"" + v.name + "\": " + why;
    return false;
  };
  const std::size_t discrete = m.values.size() + m.strings.size();
  if (discrete > 3 || (m.has_range && discrete > 1))
    return bad("at most three values, or a range and one value, are allowed");
  if (v.is_string && (!m.values.empty() || m.has_range)) return bad("a string variable takes strings only");
  if (!v.is_string && !m.strings.empty()) return bad("a numeric variable takes numbers only");
  if (m.has_range && !(m.lo <= m.hi)) return bad("the low end of the range is above its high end");
  for (double x : m.values)
    if (!std::isfinite(x)) return bad("a missing value must be a finite number");
  for (const auto& s : m.strings)
    if (s.size() > width) return bad("\"" + s + "\" is longer than the variable's values");
  return true;
}

}  // namespace

bool load_frame(ActiveFile& active, DictionaryStore& dict, std::vector<FrameVariable>&& vars, std::string& error) {
  auto count = [](const FrameVariable& v) {
    return v.is_string ? v.str.size() : v.lent.data ? v.lent_rows : v.num.size();
  };
  const std::size_t rows = vars.empty() ? 0 : count(vars[0]);
  if (rows > static_cast<std::size_t>(std::numeric_limits<int>::max() - 1)) {
    error = "too many cases";
    return false;
  }
  CsvColumns columns;
  columns.rows = static_cast<int>(rows);
  columns.cols.resize(vars.size());
  std::vector<std::size_t> widths(vars.size(), 0);
  for (std::size_t c = 0; c < vars.size(); ++c) {
    const FrameVariable& v = vars[c];
    const std::size_t n = count(v);
    if (n != rows) {
      error = "variable \"" + v.name + "\" has " + std::to_string(n) + " cases, the first has " + std::to_string(rows);
      return false;
    }
    std::size_t longest = 1;
    if (v.is_string) {
      for (const auto& s : v.str) longest = std::max(longest, s.size());
      if (longest > kMaxStringWidth) {
        error = "variable \"" + v.name + "\" holds a value longer than a string may be";
        return false;
      }
    } else {
      bool finite = true;
      using Kind = ActiveFile::LentNumbers::Kind;
      if (v.lent.data) {
        // Integers are always finite; only floating-point columns need a look.
        if (v.lent.kind == Kind::F64 || v.lent.kind == Kind::F32)
          for (std::size_t r = 0; r < rows && finite; ++r) finite = std::isfinite(v.lent.at(r));
      } else {
        for (double x : v.num) finite = finite && std::isfinite(x);
      }
      if (!finite) {
        error = "variable \"" + v.name + "\" holds an infinite or undefined number";
        return false;
      }
    }
    widths[c] = longest;
    if (!check_missing(v, longest, error)) return false;
    for (const auto& [value, label] : v.value_labels)
      if (!std::isfinite(value)) {
        error = "value labels of \"" + v.name + "\": a labelled value must be a finite number";
        return false;
      }
  }
  for (std::size_t c = 0; c < vars.size(); ++c) {
    FrameVariable& v = vars[c];
    columns.header.push_back(v.name);
    CsvColumn& col = columns.cols[c];
    col.is_text = v.is_string;
    col.longest = widths[c];
    if (v.is_string) {
      col.cells = std::move(v.str);
    } else {
      col.num = std::move(v.num);
    }
  }
  if (!active.load_columns(std::move(columns), error)) return false;
  for (std::size_t c = 0; c < vars.size(); ++c) {
    const int index = static_cast<int>(c) + 1;
    FrameVariable& v = vars[c];
    dict.set_label(index, std::move(v.label));
    for (auto& [value, label] : v.value_labels) dict.set_value_label(index, value, std::move(label));
    for (auto& [value, label] : v.string_value_labels) dict.set_string_value_label(index, std::move(value), std::move(label));
    dict.set_missing(index, std::move(v.missing));
    if (v.lent.data && !active.lend_numbers(index, v.lent)) {
      error = "variable \"" + v.name + "\": its numbers could not be read in place";
      dict.clear();
      return false;
    }
  }
  return true;
}

}  // namespace oscat::engine
