#include "engine/active_file.hpp"

#include "engine/files.hpp"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <limits>
#include <sstream>
#include <unordered_map>

#include <nlohmann/json.hpp>

namespace oscat::engine {

struct SidecarVariable {
  int width = 0;
  std::string label;
  std::vector<std::pair<double, std::string>> labels;
  std::vector<std::pair<std::string, std::string>> str_labels;
  host::MissingSpec missing;
};

namespace {

using Declared = SidecarVariable;

std::string_view rtrim(std::string_view s) {
  while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
  return s;
}

// The sidecar writes LO / HI range bounds as -1e308 / 1e308.
double bound(double v) {
  if (v <= -1e308) return -std::numeric_limits<double>::infinity();
  if (v >= 1e308) return std::numeric_limits<double>::infinity();
  return v;
}


// Reads the sidecar into one optional declaration per CSV column.
bool read_sidecar(std::string_view text, const std::string& source, const std::vector<std::string>& header,
                  std::vector<std::optional<Declared>>& decl, std::string& error) {
  using nlohmann::json;
  decl.assign(header.size(), std::nullopt);
  std::unordered_map<std::string, std::size_t> column;
  for (std::size_t c = 0; c < header.size(); ++c) column.emplace(upper_name(header[c]), c);
  try {
    json doc = json::parse(text);
    const json& vars = doc.at("variables");
    if (!vars.is_array()) throw std::runtime_error("\"variables\" is not a list");
    for (const json& v : vars) {
      const std::string name = v.at("name").get<std::string>();
      const auto it = column.find(upper_name(name));
      if (it == column.end()) {
        error = source + " describes variable \"" + name + "\", which the data file does not have";
        return false;
      }
      // A hand-edited sidecar is checked as strictly as MISSING VALUES checks
      // syntax: the message names the variable and the field.
      auto bad = [&](const std::string& field, const std::string& why) {
        error = source + ": field \"" + field + "\" of variable \"" + name + "\" " + why;
        return false;
      };
      Declared d;
      if (v.contains("width")) {
        const json& w = v["width"];
        if (!w.is_number_integer() || w.get<std::int64_t>() < 0 ||
            w.get<std::int64_t>() > static_cast<std::int64_t>(kMaxStringWidth))
          return bad("width", "must be 0 (numeric) or a string width from 1 to " + std::to_string(kMaxStringWidth));
        d.width = static_cast<int>(w.get<std::int64_t>());
      }
      d.label = v.value("label", std::string{});
      if (v.contains("value_labels") && !v["value_labels"].is_null()) {
        for (const json& pair : v["value_labels"]) {
          if (!pair.is_array() || pair.size() != 2) throw std::runtime_error("a value label is not a [value, label] pair");
          if (d.width > 0) {
            d.str_labels.emplace_back(pair[0].get<std::string>(), pair[1].get<std::string>());
          } else {
            d.labels.emplace_back(pair[0].get<double>(), pair[1].get<std::string>());
          }
        }
      }
      if (v.contains("missing") && !v["missing"].is_null()) {
        const json& m = v["missing"];
        if (m.contains("values")) d.missing.values = m["values"].get<std::vector<double>>();
        if (m.contains("strings")) d.missing.strings = m["strings"].get<std::vector<std::string>>();
        if (m.contains("range") && !m["range"].is_null()) {
          auto r = m["range"].get<std::vector<double>>();
          if (r.size() != 2) throw std::runtime_error("a missing-value range needs two bounds");
          d.missing.has_range = true;
          d.missing.lo = bound(r[0]);
          d.missing.hi = bound(r[1]);
          if (d.width > 0) return bad("missing", "gives a range, but the variable is a string");
          if (!(d.missing.lo <= d.missing.hi)) return bad("missing", "gives a range whose low end is above its high end");
        }
        const std::size_t discrete = d.missing.values.size() + d.missing.strings.size();
        if (discrete > 3 || (d.missing.has_range && discrete > 1))
          return bad("missing", "gives " + std::to_string(discrete) + " values" + (d.missing.has_range ? " and a range" : "") +
                                    "; at most three values, or a range and one value, are allowed");
        if (d.width > 0 && !d.missing.values.empty()) return bad("missing", "gives numbers, but the variable is a string");
        if (d.width == 0 && !d.missing.strings.empty()) return bad("missing", "gives strings, but the variable is numeric");
        for (const auto& m : d.missing.strings)
          if (m.size() > static_cast<std::size_t>(d.width)) return bad("missing", "gives \"" + m + "\", longer than the width");
      }
      decl[it->second] = std::move(d);
    }
  } catch (const std::exception& e) {
    error = source + " is not a valid dictionary file: " + e.what();
    return false;
  }
  return true;
}

// A cell as messages quote it: trimmed, and cut short when long.
std::string shown_cell(std::string_view cell) {
  while (!cell.empty() && (cell.front() == ' ' || cell.front() == '\t')) cell.remove_prefix(1);
  while (!cell.empty() && (cell.back() == ' ' || cell.back() == '\t')) cell.remove_suffix(1);
  if (cell.size() <= 40) return std::string(cell);
  return std::string(cell.substr(0, 40)) + "...";
}

std::vector<bool> declared_strings(const std::vector<std::optional<Declared>>& decl) {
  std::vector<bool> text(decl.size(), false);
  for (std::size_t c = 0; c < decl.size(); ++c) text[c] = decl[c] && decl[c]->width > 0;
  return text;
}

template <class I>
constexpr I kNarrowMissing = std::numeric_limits<I>::min();

// Whether `v` is SYSMIS or a whole number that I holds (its lowest value,
// the SYSMIS mark, and -0, whose sign would be lost, excluded).
template <class I>
bool fits(double v) {
  if (host::is_sysmis(v)) return true;
  if (!(v > static_cast<double>(kNarrowMissing<I>) && v <= static_cast<double>(std::numeric_limits<I>::max())))
    return false;
  return v == std::trunc(v) && !(v == 0 && std::signbit(v));
}

template <class I>
std::vector<I> to_narrow(const std::vector<double>& num) {
  std::vector<I> out(num.size());
  for (std::size_t r = 0; r < num.size(); ++r)
    out[r] = host::is_sysmis(num[r]) ? kNarrowMissing<I> : static_cast<I>(num[r]);
  return out;
}

template <class I>
double from_narrow(I v) {
  return v == kNarrowMissing<I> ? host::SYSMIS : static_cast<double>(v);
}

}  // namespace

double ActiveFile::Column::at(std::size_t row) const {
  if (lent.data) return lent.at(row);
  if (!i8.empty()) return from_narrow(i8[row]);
  if (!i16.empty()) return from_narrow(i16[row]);
  if (!i32.empty()) return from_narrow(i32[row]);
  return num[row];
}

void ActiveFile::Column::narrow() {
  if (is_string || num.empty()) return;
  // One look at every value: its range, and whether all are whole numbers
  // within 32 bits (SYSMIS aside; -0 keeps its sign only as a double).
  double lo = 0, hi = 0;
  for (const double v : num) {
    if (host::is_sysmis(v)) continue;
    if (!(v > -2147483648.0 && v <= 2147483647.0)) return;
    const auto k = static_cast<std::int32_t>(v);
    if (static_cast<double>(k) != v || (k == 0 && std::signbit(v))) return;
    lo = std::min(lo, v);
    hi = std::max(hi, v);
  }
  if (lo > kNarrowMissing<std::int8_t> && hi <= std::numeric_limits<std::int8_t>::max()) i8 = to_narrow<std::int8_t>(num);
  else if (lo > kNarrowMissing<std::int16_t> && hi <= std::numeric_limits<std::int16_t>::max()) i16 = to_narrow<std::int16_t>(num);
  else i32 = to_narrow<std::int32_t>(num);
  std::vector<double>().swap(num);
}

void ActiveFile::Column::widen() {
  if (i8.empty() && i16.empty() && i32.empty()) return;
  std::vector<double> wide(i8.size() + i16.size() + i32.size());
  for (std::size_t r = 0; r < wide.size(); ++r) wide[r] = at(r);
  num = std::move(wide);
  std::vector<std::int8_t>().swap(i8);
  std::vector<std::int16_t>().swap(i16);
  std::vector<std::int32_t>().swap(i32);
}

void ActiveFile::Column::set(std::size_t row, double v) {
  if (!i8.empty() && fits<std::int8_t>(v)) i8[row] = host::is_sysmis(v) ? kNarrowMissing<std::int8_t> : static_cast<std::int8_t>(v);
  else if (!i16.empty() && fits<std::int16_t>(v)) i16[row] = host::is_sysmis(v) ? kNarrowMissing<std::int16_t> : static_cast<std::int16_t>(v);
  else if (!i32.empty() && fits<std::int32_t>(v)) i32[row] = host::is_sysmis(v) ? kNarrowMissing<std::int32_t> : static_cast<std::int32_t>(v);
  else {
    widen();
    num[row] = v;
  }
}

bool ActiveFile::load_csv(const std::string& path, std::string& error) {
  const std::string sidecar = path + ".dict.json";
  // Problems with the sidecar are reported only when the data file itself is
  // sound, as a whole-file read would find them.
  std::string json_text, sidecar_error;
  std::error_code ec;
  if (std::filesystem::exists(sidecar, ec)) {
    std::ifstream in(sidecar, std::ios::binary);
    std::ostringstream buf;
    if (!in || !(buf << in.rdbuf())) {
      sidecar_error = "cannot read \"" + sidecar + "\"";
    } else {
      json_text = buf.str();
      if (json_text.empty()) sidecar_error = "\"" + sidecar + "\" is empty";
    }
  }
  std::vector<std::optional<Declared>> decl;
  auto text_columns = [&](const std::vector<std::string>& header) {
    decl.assign(header.size(), std::nullopt);
    if (sidecar_error.empty() && !json_text.empty() &&
        !read_sidecar(json_text, sidecar, header, decl, sidecar_error)) {
      decl.assign(header.size(), std::nullopt);
    }
    return declared_strings(decl);
  };
  CsvColumns columns;
  std::string text;
  if (!read_text_file(path, text, error)) return false;
  if (!parse_csv_columns(text, columns, error, text_columns)) {
    error = path + ": " + error;
    return false;
  }
  if (sidecar_error.empty() && !json_text.empty()) {
    // A data file and its dictionary are renamed into place one after the
    // other: a pair from two different runs is refused, never read.
    const std::string expected = sidecar_data_hash(json_text);
    if (!expected.empty() && expected != content_hash(text))
      sidecar_error = "\"" + sidecar + "\" was not written with this data file (another run or an edit changed one of "
                      "the two); save the data again";
  }
  std::string().swap(text);
  if (!sidecar_error.empty()) {
    error = sidecar_error;
    return false;
  }
  return install(std::move(columns), decl, sidecar, error);
}

bool ActiveFile::load_table(const CsvTable& table, std::string_view sidecar_json, const std::string& source,
                            std::string& error) {
  // Tables built by hand have not been through parse_csv's checks; nothing
  // below may index past a row or leave the dictionary half replaced.
  std::unordered_map<std::string, std::size_t> seen;
  for (std::size_t c = 0; c < table.header.size(); ++c) {
    const bool repeated = !seen.emplace(upper_name(table.header[c]), c).second;
    if (!is_valid_variable_name(table.header[c]) || repeated) {
      error = "invalid or repeated variable name \"" + table.header[c] + "\"";
      return false;
    }
  }
  for (std::size_t r = 0; r < table.rows.size(); ++r) {
    if (table.rows[r].size() != table.header.size()) {
      error = "row " + std::to_string(r + 1) + " has " + std::to_string(table.rows[r].size()) +
              " fields, the header has " + std::to_string(table.header.size());
      return false;
    }
  }
  std::vector<std::optional<Declared>> decl(table.header.size());
  if (!sidecar_json.empty() && !read_sidecar(sidecar_json, source, table.header, decl, error)) return false;
  return install(columns_of_table(table, declared_strings(decl)), decl, source, error);
}

bool ActiveFile::load_columns(CsvColumns&& columns, std::string& error) {
  std::unordered_map<std::string, std::size_t> seen;
  for (std::size_t c = 0; c < columns.header.size(); ++c) {
    const bool repeated = !seen.emplace(upper_name(columns.header[c]), c).second;
    if (!is_valid_variable_name(columns.header[c]) || repeated) {
      error = "invalid or repeated variable name \"" + columns.header[c] + "\"";
      return false;
    }
  }
  if (columns.cols.size() != columns.header.size()) {
    error = "the columns do not match the names";
    return false;
  }
  const std::vector<std::optional<Declared>> decl(columns.header.size());
  return install(std::move(columns), decl, "the data", error);
}

bool ActiveFile::install(CsvColumns&& table, const std::vector<std::optional<SidecarVariable>>& decl,
                         const std::string& source, std::string& error) {
  const std::size_t ncols = table.header.size();
  std::vector<int> widths(ncols, 0);
  std::vector<ReadNote> notes;
  for (std::size_t c = 0; c < ncols; ++c) {
    const CsvColumn& col = table.cols[c];
    const std::string& name = table.header[c];
    const bool declared_string = decl[c] && decl[c]->width > 0;
    if (col.bad_line != 0 && decl[c] && !declared_string) {
      error = source + " declares \"" + name + "\" numeric, but line " + std::to_string(col.bad_line) +
              " holds \"" + shown_cell(col.bad_cell) + "\"";
      return false;
    }
    if (!col.is_text && col.overflow_line != 0) {
      error = "line " + std::to_string(col.overflow_line) + ", variable \"" + name + "\": \"" +
              shown_cell(col.overflow_cell) + "\" is outside the range of numbers (about 1.8e308)";
      return false;
    }
    if (col.is_text) {
      const std::size_t width = std::max<std::size_t>(col.longest, declared_string ? decl[c]->width : 1);
      if (width > kMaxStringWidth) {
        error = "line " + std::to_string(col.longest_line) + ", variable \"" + name + "\": a cell of " +
                std::to_string(col.longest) + " bytes is longer than a string value may be (" +
                std::to_string(kMaxStringWidth) + " bytes)";
        return false;
      }
      widths[c] = static_cast<int>(width);
      if (col.bad_line != 0 && col.number_cells > 0)
        notes.push_back({2, "Variable ^1 read as a string: line ^2 holds ^3.",
                         {name, std::to_string(col.bad_line), shown_cell(col.bad_cell)}});
    } else {
      if (col.spelled_missing > 0)
        notes.push_back({1, "Variable ^1: ^2 cells read as system-missing.", {name, std::to_string(col.spelled_missing)}});
      if (col.rounded_line != 0)
        notes.push_back({2, "Variable ^1: whole number on line ^2 rounded.",
                         {name, std::to_string(col.rounded_line), shown_cell(col.rounded_cell)}});
    }
  }

  // Everything is checked: replace the dictionary and the data.
  dict_.clear();
  for (std::size_t c = 0; c < ncols; ++c) {
    const int index = dict_.add_variable(table.header[c], widths[c]);  // names checked above
    if (!decl[c]) continue;
    dict_.set_label(index, decl[c]->label);
    for (auto& [v, l] : decl[c]->labels) dict_.set_value_label(index, v, l);
    for (auto& [v, l] : decl[c]->str_labels) dict_.set_string_value_label(index, v, l);
    dict_.set_missing(index, decl[c]->missing);
  }
  std::vector<Column> cols(ncols);
  for (std::size_t c = 0; c < ncols; ++c) {
    cols[c].is_string = table.cols[c].is_text;
    cols[c].num = std::move(table.cols[c].num);
    cols[c].str = std::move(table.cols[c].cells);
    cols[c].narrow();
  }
  cols_ = std::move(cols);
  rows_ = table.rows;
  generation_ = dict_.generation();
  loaded_ = true;
  weight_ = filter_ = 0;
  split_.clear();
  split_override_.reset();
  row_ = -1;
  notes_ = std::move(notes);
  return true;
}

void ActiveFile::sync_slow() const {
  if (generation_ != dict_.generation()) {
    generation_ = dict_.generation();
    cols_.clear();
    rows_ = 0;
    loaded_ = false;
    weight_ = filter_ = 0;
    split_.clear();
    split_override_.reset();
  }
  while (static_cast<int>(cols_.size()) < dict_.size()) {
    Column col;
    col.is_string = dict_.DICGET(static_cast<int>(cols_.size()) + 1).is_string();
    if (col.is_string) {
      col.str.assign(static_cast<std::size_t>(rows_), std::string{});
    } else {
      col.num.assign(static_cast<std::size_t>(rows_), host::SYSMIS);
    }
    cols_.push_back(std::move(col));
  }
}

bool ActiveFile::numeric_var(int var) const {
  sync();
  return var >= 1 && var <= static_cast<int>(cols_.size()) && !cols_[var - 1].is_string;
}

bool ActiveFile::string_var(int var) const {
  sync();
  return var >= 1 && var <= static_cast<int>(cols_.size()) && cols_[var - 1].is_string;
}

int ActiveFile::rows() const {
  sync();
  return rows_;
}

double ActiveFile::number(int var, int row) const {
  if (!numeric_var(var) || row < 0 || row >= rows_) return host::SYSMIS;
  return cols_[var - 1].at(static_cast<std::size_t>(row));
}

const std::string& ActiveFile::text(int var, int row) const {
  static const std::string empty;
  if (!string_var(var) || row < 0 || row >= rows_) return empty;
  return cols_[var - 1].str[static_cast<std::size_t>(row)];
}

bool ActiveFile::set_weight(int var) {
  if (var != 0 && !numeric_var(var)) return false;
  weight_ = var;
  return true;
}

bool ActiveFile::set_filter(int var) {
  if (var != 0 && !numeric_var(var) && !string_var(var)) return false;
  filter_ = var;
  return true;
}

int ActiveFile::filter_variable() const {
  sync();
  return filter_;
}

int ActiveFile::weight_variable() const {
  sync();
  return weight_;
}

bool ActiveFile::set_split(std::vector<int> vars) {
  for (int v : vars) {
    if (!numeric_var(v) && !string_var(v)) return false;
  }
  split_ = std::move(vars);
  split_override_.reset();
  return true;
}

const std::vector<int>& ActiveFile::split_vars() const {
  sync();
  return split_;
}

int ActiveFile::split_count() const {
  sync();
  return split_override_ ? *split_override_ : static_cast<int>(split_.size());
}

void ActiveFile::set_split_count(int n) {
  sync();
  if (n == static_cast<int>(split_.size())) {
    split_override_.reset();
  } else {
    split_override_ = n;
  }
}

int ActiveFile::XYBEG() {
  sync();
  accessing_ = loaded_;
  return loaded_ ? 1 : 0;
}

bool ActiveFile::passes(int row) const {
  if (filter_ != 0) {
    if (cols_[filter_ - 1].is_string) {
      std::string_view s = rtrim(cols_[filter_ - 1].str[static_cast<std::size_t>(row)]);
      if (s.empty() || QAMISS(filter_, s)) return false;
    } else {
      double f = cols_[filter_ - 1].at(static_cast<std::size_t>(row));
      if (QAMISS(filter_, f) || f == 0) return false;
    }
  }
  if (weight_ != 0) {
    double w = cols_[weight_ - 1].at(static_cast<std::size_t>(row));
    if (QAMISS(weight_, w) || !(w > 0)) return false;
  }
  return true;
}

bool ActiveFile::OBSERV() {
  sync();
  while (++row_ < rows_) {
    if (passes(row_)) return true;
  }
  row_ = rows_;
  return false;
}

double ActiveFile::value(int var) const { return number(var, row_); }

std::string_view ActiveFile::string_value(int var) const { return rtrim(text(var, row_)); }

double ActiveFile::case_weight() const {
  const int w = weight_variable();
  return w == 0 ? 1.0 : number(w, row_);
}

bool ActiveFile::QLMISS(int var, double v) const {
  if (host::is_sysmis(v) || var < 1 || var > dict_.size()) return false;
  const host::MissingSpec& m = dict_.DICGET(var).missing;
  if (m.has_range && v >= m.lo && v <= m.hi) return true;
  return std::find(m.values.begin(), m.values.end(), v) != m.values.end();
}

bool ActiveFile::QAMISS(int var, double v) const { return host::is_sysmis(v) || QLMISS(var, v); }

bool ActiveFile::QAMISS(int var, std::string_view s) const {
  if (var < 1 || var > dict_.size()) return false;
  s = rtrim(s);
  for (const auto& m : dict_.DICGET(var).missing.strings) {
    if (rtrim(m) == s) return true;
  }
  return false;
}

void ActiveFile::set_value(int var, int case_number, double v) {
  if (!numeric_var(var) || case_number < 1 || case_number > rows_) return;
  Column& c = cols_[var - 1];
  if (c.lent.data) {  // the lender's memory is read-only: take a copy first
    c.num.resize(static_cast<std::size_t>(rows_));
    for (std::size_t r = 0; r < c.num.size(); ++r) c.num[r] = c.lent.at(r);
    c.lent = LentNumbers{};
  }
  c.set(static_cast<std::size_t>(case_number - 1), v);
}

double ActiveFile::LentNumbers::at(std::size_t row) const {
  const char* p = data + static_cast<std::ptrdiff_t>(row) * stride;
  auto get = [p](auto zero) {
    decltype(zero) x;
    std::memcpy(&x, p, sizeof x);
    return static_cast<double>(x);
  };
  double v = 0;
  switch (kind) {
    case Kind::F64: v = get(double{}); break;
    case Kind::F32: v = get(float{}); break;
    case Kind::I64: v = get(std::int64_t{}); break;
    case Kind::I32: v = get(std::int32_t{}); break;
    case Kind::I16: v = get(std::int16_t{}); break;
    case Kind::I8: v = get(std::int8_t{}); break;
    case Kind::U64: v = get(std::uint64_t{}); break;
    case Kind::U32: v = get(std::uint32_t{}); break;
    case Kind::U16: v = get(std::uint16_t{}); break;
    case Kind::U8: v = get(std::uint8_t{}); break;
    case Kind::None: return host::SYSMIS;
  }
  return std::isnan(v) ? host::SYSMIS : v;
}

bool ActiveFile::lend_numbers(int var, LentNumbers lent) {
  if (!numeric_var(var) || lent.data == nullptr) return false;
  const Column& c = cols_[var - 1];
  if (!c.num.empty() || !c.i8.empty() || !c.i16.empty() || !c.i32.empty()) return false;
  cols_[var - 1].lent = lent;
  return true;
}

int ActiveFile::OBCOUNT() {
  sync();
  row_ = -1;
  if (filter_ == 0 && weight_ == 0) return rows_;
  int n = 0;
  for (int r = 0; r < rows_; ++r) n += passes(r) ? 1 : 0;
  return n;
}

void ActiveFile::OBCOLUMN(int var, double* out) {
  sync();
  row_ = -1;
  const bool all = filter_ == 0 && weight_ == 0;
  if (!numeric_var(var)) {
    for (int r = 0, i = 0; r < rows_; ++r)
      if (all || passes(r)) out[i++] = host::SYSMIS;
    return;
  }
  const Column& c = cols_[var - 1];
  auto copy = [&](const auto& v, auto decode) {
    for (int r = 0, i = 0; r < rows_; ++r)
      if (all || passes(r)) out[i++] = decode(v[static_cast<std::size_t>(r)]);
  };
  if (!c.i8.empty()) copy(c.i8, from_narrow<std::int8_t>);
  else if (!c.i16.empty()) copy(c.i16, from_narrow<std::int16_t>);
  else if (!c.i32.empty()) copy(c.i32, from_narrow<std::int32_t>);
  else if (c.lent.data) {
    for (int r = 0, i = 0; r < rows_; ++r)
      if (all || passes(r)) out[i++] = c.lent.at(static_cast<std::size_t>(r));
  } else copy(c.num, [](double v) { return v; });
}

void ActiveFile::OBCASES(double* weights, int* case_numbers) {
  sync();
  row_ = -1;
  for (int r = 0, i = 0; r < rows_; ++r) {
    if (!passes(r)) continue;
    if (weights != nullptr) weights[i] = weight_ == 0 ? 1.0 : cols_[weight_ - 1].at(static_cast<std::size_t>(r));
    if (case_numbers != nullptr) case_numbers[i] = r + 1;
    ++i;
  }
}

}  // namespace oscat::engine
