#include "engine/csv.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cctype>
#include <filesystem>
#include <unordered_map>

#include "engine/dictionary.hpp"
#include "host/host.hpp"

namespace oscat::engine {

namespace {

std::string_view trim_view(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

// Up to 15 digits: the value is a whole number below 2^53, so building it
// digit by digit is exact and equals what from_chars gives.
bool digits_number(std::string_view cell, double& v) {
  if (cell.empty() || cell.size() > 15) return false;
  std::uint64_t x = 0;
  for (char c : cell) {
    const unsigned d = static_cast<unsigned char>(c) - '0';
    if (d > 9) return false;
    x = x * 10 + d;
  }
  v = static_cast<double>(x);
  return true;
}

// Common start of both readers: the BOM is dropped; a NUL byte is an error.
bool prepare_text(std::string_view& s, std::string& error) {
  if (s.size() >= 3 && static_cast<unsigned char>(s[0]) == 0xEF && static_cast<unsigned char>(s[1]) == 0xBB &&
      static_cast<unsigned char>(s[2]) == 0xBF) {
    s.remove_prefix(3);
  }
  if (const void* nul = std::memchr(s.data(), '\0', s.size()); nul != nullptr) {
    const auto at = static_cast<std::size_t>(static_cast<const char*>(nul) - s.data());
    const int line = 1 + static_cast<int>(std::count(s.begin(), s.begin() + static_cast<long>(at), '\n'));
    error = "line " + std::to_string(line) + " contains a NUL byte; this is not a text file";
    return false;
  }
  return true;
}

// Splits the text into records of fields: field(column, value, line) for
// each field (quoted fields unescaped), then record(field_count, line) with
// the line on which the record starts. Blank lines at the end are dropped;
// a blank line before more data is a record of one empty field. Returns
// false with `error` set at a quoting error; the callbacks have then seen
// the records before it.
//
// `fast(p, end, line)` is offered each record first: when it reads the whole
// record itself (and its newline) it advances `p` and `line` and returns true.
template <class Field, class Record, class Fast>
bool scan_records(std::string_view s, std::string& error, Field&& field, Record&& record, Fast&& fast) {
  const char* p = s.data();
  const char* const end = p + s.size();
  int line = 1;
  int pending = 0, pending_line = 0;  // blank lines not yet known to be inside the data
  std::string unescaped;
  auto skip_newline = [&] {  // CRLF, LF or a lone CR: one line
    if (*p == '\r' && p + 1 < end && p[1] == '\n') ++p;
    ++p;
    ++line;
  };
  while (p < end) {
    if (*p == '\n' || *p == '\r') {
      if (pending++ == 0) pending_line = line;
      skip_newline();
      continue;
    }
    for (int k = 0; k < pending; ++k) {
      field(0, std::string_view{}, pending_line + k);
      record(1, pending_line + k);
    }
    pending = 0;
    if (fast(p, end, line)) continue;
    const int rec_line = line;
    int col = 0;
    for (;;) {
      std::string_view value;
      if (p < end && *p == '"') {
        const int quote_line = line;
        const char* b = ++p;
        bool doubled = false, closed = false;
        while (p < end) {
          const char c = *p;
          if (c == '"') {
            if (p + 1 < end && p[1] == '"') {
              doubled = true;
              p += 2;
              continue;
            }
            closed = true;
            break;
          }
          if (c == '\n' || (c == '\r' && !(p + 1 < end && p[1] == '\n'))) ++line;
          ++p;
        }
        if (!closed) {
          error = "line " + std::to_string(quote_line) + " has a quoted field without its closing quote";
          return false;
        }
        value = std::string_view(b, static_cast<std::size_t>(p - b));
        ++p;  // the closing quote
        if (doubled) {
          unescaped.clear();
          for (std::size_t k = 0; k < value.size(); ++k) {
            unescaped += value[k];
            if (value[k] == '"') ++k;
          }
          value = unescaped;
        }
        if (p < end && *p != ',' && *p != '\n' && *p != '\r') {
          error = "line " + std::to_string(line) + " has text after the closing quote of a field";
          return false;
        }
      } else {
        const char* b = p;
        while (p < end && *p != ',' && *p != '\n' && *p != '\r') ++p;
        value = std::string_view(b, static_cast<std::size_t>(p - b));
      }
      field(col++, value, rec_line);
      if (p < end && *p == ',') {
        ++p;
        continue;
      }
      if (p < end) skip_newline();
      break;
    }
    record(col, rec_line);
  }
  return true;
}

template <class Field, class Record>
bool scan_records(std::string_view s, std::string& error, Field&& field, Record&& record) {
  return scan_records(s, error, field, record, [](const char*&, const char*, int&) { return false; });
}

// Checks the header record's names; the first problem goes to `error`.
bool check_header(const std::vector<std::string>& fields, int line, std::vector<std::string>& header,
                  std::string& error) {
  header.clear();
  std::unordered_map<std::string, std::size_t> seen;  // upper-cased name -> column: linear in the width
  seen.reserve(fields.size());
  for (std::size_t k = 0; k < fields.size(); ++k) {
    std::string name(trim_view(fields[k]));
    const std::string col = "column " + std::to_string(k + 1) + " of the header";
    if (name.empty()) {
      error = col + " (line " + std::to_string(line) + ") has no variable name";
      return false;
    }
    if (!is_valid_variable_name(name)) {
      error = col + ": \"" + name + "\" is not a valid variable name";
      return false;
    }
    if (const auto [it, added] = seen.emplace(upper_name(name), k); !added) {
      error = col + " repeats the name \"" + name + "\" of column " + std::to_string(it->second + 1);
      return false;
    }
    header.push_back(std::move(name));
  }
  return true;
}

std::string ragged_message(int line, int fields, std::size_t header) {
  return "line " + std::to_string(line) + " has " + std::to_string(fields) + (fields == 1 ? " field" : " fields") +
         ", the header has " + std::to_string(header);
}

const char kEmptyFile[] = "the file is empty: a header line with the variable names is needed";

// The whole file in one buffer (a single allocation of the file's size).
bool read_file(const std::string& path, std::string& contents, std::string& error) {
  std::error_code ec;
  if (std::filesystem::is_directory(path, ec)) {
    error = "cannot read \"" + path + "\": it is a directory";
    return false;
  }
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    error = "cannot open \"" + path + "\": " + std::strerror(errno);
    return false;
  }
  struct stat st {};
  contents.clear();
  if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0) contents.reserve(static_cast<std::size_t>(st.st_size));
  char buf[1 << 16];
  bool ok = true;
  for (;;) {
    // Straight into the reserved buffer when it has room; else via `buf`.
    const std::size_t room = contents.capacity() - contents.size();
    if (room >= sizeof buf) {
      const std::size_t old = contents.size();
      contents.resize(contents.capacity());
      const ssize_t got = ::read(fd, contents.data() + old, room);
      if (got < 0 && errno == EINTR) {
        contents.resize(old);
        continue;
      }
      contents.resize(old + static_cast<std::size_t>(std::max<ssize_t>(got, 0)));
      if (got <= 0) {
        ok = got == 0;
        break;
      }
      continue;
    }
    const ssize_t got = ::read(fd, buf, sizeof buf);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) {
      ok = got == 0;
      break;
    }
    contents.append(buf, static_cast<std::size_t>(got));
  }
  ::close(fd);
  if (!ok) {
    error = "cannot read \"" + path + "\"";
    return false;
  }
  return true;
}

}  // namespace

bool is_missing_spelling(std::string_view cell) {
  cell = trim_view(cell);
  auto is = [&](std::string_view word) {
    if (cell.size() != word.size()) return false;
    for (std::size_t k = 0; k < word.size(); ++k)
      if (std::toupper(static_cast<unsigned char>(cell[k])) != word[k]) return false;
    return true;
  };
  return is("NA") || is("N/A") || is("NAN") || is(".");
}

CellRead read_cell(std::string_view cell, double& v) {
  if (digits_number(cell, v)) return CellRead::Number;
  cell = trim_view(cell);
  if (cell.empty() || is_missing_spelling(cell)) {
    v = host::SYSMIS;
    return CellRead::Missing;
  }
  for (char c : cell) {
    if (!((c >= '0' && c <= '9') || c == '.' || c == '+' || c == '-' || c == 'e' || c == 'E'))
      return CellRead::NotNumber;
  }
  if (cell.front() == '+') cell.remove_prefix(1);
  const char* const end = cell.data() + cell.size();
  auto [p, ec] = std::from_chars(cell.data(), end, v);
  if (p != end || ec == std::errc::invalid_argument) return CellRead::NotNumber;
  if (ec == std::errc::result_out_of_range) {
    // Overflow or underflow; strtod says which and gives the nearest tiny value.
    const std::string copy(cell);
    const double x = std::strtod(copy.c_str(), nullptr);
    if (std::isinf(x)) {
      v = host::SYSMIS;
      return CellRead::Overflow;
    }
    v = x;
    return CellRead::Number;
  }
  if (!std::isfinite(v)) {
    v = host::SYSMIS;
    return CellRead::Overflow;
  }
  // Whole numbers are exact up to 2^53; above it, say so when the digits typed
  // are not the value held.
  if (std::fabs(v) > 9007199254740992.0 && cell.find_first_of(".eE") == std::string_view::npos) {
    std::string_view digits = cell;
    if (digits.front() == '-') digits.remove_prefix(1);
    while (digits.size() > 1 && digits.front() == '0') digits.remove_prefix(1);
    char held[400];
    const int n = std::snprintf(held, sizeof held, "%.0f", std::fabs(v));
    if (n <= 0 || digits != std::string_view(held, static_cast<std::size_t>(n))) return CellRead::Rounded;
  }
  return CellRead::Number;
}

bool parse_plain_number(std::string_view cell, double& v) {
  const CellRead r = read_cell(cell, v);
  return r == CellRead::Number || r == CellRead::Rounded;
}

namespace {

// Types one cell of a column still believed numeric: false when the cell is
// not a number (the column becomes text, the cell is remembered); else `x`
// holds the value to store and the column's notes are updated.
bool type_cell(CsvColumn& c, std::string_view v, int line, double& x) {
  switch (read_cell(v, x)) {
    case CellRead::Number:
      return true;
    case CellRead::Missing:
      if (!trim_view(v).empty()) ++c.spelled_missing;
      return true;
    case CellRead::Rounded:
      if (c.rounded_line == 0) {
        c.rounded_line = line;
        c.rounded_cell.assign(v.substr(0, 64));
      }
      return true;
    case CellRead::Overflow:
      if (c.overflow_line == 0) {
        c.overflow_line = line;
        c.overflow_cell.assign(v.substr(0, 64));
      }
      x = host::SYSMIS;
      return true;
    case CellRead::NotNumber:
      break;
  }
  c.is_text = true;
  c.bad_line = line;
  c.bad_cell.assign(v.substr(0, 64));  // enough to quote; a cell may be huge
  return false;
}

void note_length(CsvColumn& c, std::size_t size, int line) {
  if (size > c.longest || c.longest_line == 0) {
    c.longest = std::max(c.longest, size);
    c.longest_line = line;
  }
}

}  // namespace

bool parse_csv(std::string_view s, CsvTable& out, std::string& error) {
  out = CsvTable{};
  error.clear();
  if (!prepare_text(s, error)) return false;
  std::vector<std::string> fields;
  std::string deferred;  // header and field-count problems yield to quoting errors later in the file
  bool have_header = false;
  auto field = [&](int, std::string_view v, int) {
    if (deferred.empty()) fields.emplace_back(v);
  };
  auto record = [&](int count, int line) {
    if (deferred.empty()) {
      if (!have_header) {
        have_header = true;
        check_header(fields, line, out.header, deferred);
      } else if (static_cast<std::size_t>(count) != out.header.size()) {
        deferred = ragged_message(line, count, out.header.size());
      } else {
        out.rows.push_back(std::move(fields));
        out.row_lines.push_back(line);
      }
    }
    fields.clear();
  };
  if (!scan_records(s, error, field, record)) {
    out = CsvTable{};
    return false;
  }
  if (!have_header) {
    error = kEmptyFile;
    return false;
  }
  if (!deferred.empty()) {
    out = CsvTable{};
    error = std::move(deferred);
    return false;
  }
  return true;
}

bool read_text_file(const std::string& path, std::string& contents, std::string& error) {
  return read_file(path, contents, error);
}

bool read_csv(const std::string& path, CsvTable& out, std::string& error) {
  out = CsvTable{};
  std::string text;
  if (!read_file(path, text, error)) return false;
  if (!parse_csv(text, out, error)) {
    error = path + ": " + error;
    return false;
  }
  return true;
}

bool parse_csv_columns(std::string_view s, CsvColumns& out, std::string& error, const CsvTextColumns& text_columns) {
  out = CsvColumns{};
  error.clear();
  if (!prepare_text(s, error)) return false;
  // Room for every line: a close upper bound on the rows of ordinary files.
  const auto lines = static_cast<std::size_t>(std::count(s.begin(), s.end(), '\n')) + 1;

  std::vector<std::string> header_fields;
  std::string deferred;
  bool have_header = false;
  bool late_text = false;  // a column turned out to be text after some rows
  bool all_numeric = true;  // no column has turned to text (see `fast` below)
  std::size_t ncols = 0;
  CsvColumn* cols = nullptr;
  auto field = [&](int col, std::string_view v, int line) {
    if (!deferred.empty()) return;
    if (!have_header) {
      header_fields.emplace_back(v);
      return;
    }
    if (static_cast<std::size_t>(col) >= ncols) return;  // the record's count is checked at its end
    CsvColumn& c = cols[col];
    if (v.size() > c.longest || c.longest_line == 0) note_length(c, v.size(), line);
    if (c.is_text) {
      if (c.bad_line == 0) c.cells.emplace_back(v);  // text from the start
      return;
    }
    // Short plain whole numbers, the bulk of coded data, need no general parse
    // (digits_number's rule, inline).
    if (!v.empty() && v.size() <= 15) {
      std::uint64_t whole = 0;
      std::size_t k = 0;
      for (; k < v.size(); ++k) {
        const unsigned d = static_cast<unsigned char>(v[k]) - '0';
        if (d > 9) break;
        whole = whole * 10 + d;
      }
      if (k == v.size()) {
        c.num.push_back(static_cast<double>(whole));
        return;
      }
    }
    double x = host::SYSMIS;
    if (!type_cell(c, v, line, x)) {
      // Not a number: the column is text; its cells are gathered afterwards.
      std::vector<double>().swap(c.num);
      late_text = true;
      all_numeric = false;
      return;
    }
    c.num.push_back(x);
  };
  auto record = [&](int count, int line) {
    if (!deferred.empty()) return;
    if (!have_header) {
      have_header = true;
      if (!check_header(header_fields, line, out.header, deferred)) return;
      ncols = out.header.size();
      out.cols.resize(ncols);
      cols = out.cols.data();
      const std::vector<bool> as_text = text_columns ? text_columns(out.header) : std::vector<bool>{};
      for (std::size_t c = 0; c < ncols; ++c) {
        if (c < as_text.size() && as_text[c]) {
          out.cols[c].is_text = true;
          out.cols[c].cells.reserve(lines);
        } else {
          out.cols[c].num.reserve(lines);
        }
      }
      return;
    }
    if (static_cast<std::size_t>(count) != ncols) {
      deferred = ragged_message(line, count, ncols);
      return;
    }
    ++out.rows;
  };
  // A record of short plain whole numbers in every column (the bulk of coded
  // data) is read here in one sweep, with the rules of the field reader:
  // anything else (quotes, signs, decimals, blanks, CR) goes the general way.
  std::vector<double> vals;
  std::vector<std::uint8_t> lens;
  auto fast = [&](const char*& p, const char* end, int& line) {
    if (!have_header || !deferred.empty() || !all_numeric || ncols == 0) return false;
    if (vals.empty()) {
      vals.resize(ncols);
      lens.resize(ncols);
      for (std::size_t c = 0; c < ncols; ++c) all_numeric = all_numeric && !cols[c].is_text;
      if (!all_numeric) return false;
    }
    const char* q = p;
    for (std::size_t c = 0; c < ncols; ++c) {
      const char* b = q;
      std::uint64_t x = 0;
      unsigned d;
      while (q < end && (d = static_cast<unsigned char>(*q) - '0') <= 9) {
        x = x * 10 + d;
        ++q;
      }
      const auto len = static_cast<std::size_t>(q - b);
      if (len == 0 || len > 15) return false;
      vals[c] = static_cast<double>(x);
      lens[c] = static_cast<std::uint8_t>(len);
      if (c + 1 < ncols) {
        if (q >= end || *q != ',') return false;
        ++q;
      }
    }
    if (q < end) {
      if (*q != '\n') return false;
      ++q;
    }
    for (std::size_t c = 0; c < ncols; ++c) {
      CsvColumn& col = cols[c];
      if (lens[c] > col.longest || col.longest_line == 0) note_length(col, lens[c], line);
      col.num.push_back(vals[c]);
    }
    ++out.rows;
    ++line;
    p = q;
    return true;
  };
  if (!scan_records(s, error, field, record, fast)) {
    out = CsvColumns{};
    return false;
  }
  if (!have_header) {
    error = kEmptyFile;
    return false;
  }
  if (!deferred.empty()) {
    out = CsvColumns{};
    error = std::move(deferred);
    return false;
  }
  if (late_text) {
    // Second reading, for the columns found to be text part way through.
    std::vector<char> gather(ncols, 0);
    for (std::size_t c = 0; c < ncols; ++c) {
      if (out.cols[c].is_text && out.cols[c].bad_line != 0) {
        gather[c] = 1;
        out.cols[c].cells.reserve(static_cast<std::size_t>(out.rows));
      }
    }
    bool past_header = false;
    std::string unused;
    scan_records(
        s, unused,
        [&](int col, std::string_view v, int) {
          if (past_header && gather[static_cast<std::size_t>(col)]) {
            CsvColumn& c = cols[col];
            double x = 0;
            if (parse_plain_number(v, x)) ++c.number_cells;
            c.cells.emplace_back(v);
          }
        },
        [&](int, int) { past_header = true; });
  }
  for (CsvColumn& c : out.cols) {
    // Trim the room reserved for lines that were not rows (quoted newlines).
    if (c.num.capacity() > c.num.size() + c.num.size() / 8 + 64) c.num.shrink_to_fit();
    if (c.cells.capacity() > c.cells.size() + c.cells.size() / 8 + 64) c.cells.shrink_to_fit();
  }
  return true;
}

bool read_csv_columns(const std::string& path, CsvColumns& out, std::string& error,
                      const CsvTextColumns& text_columns) {
  out = CsvColumns{};
  std::string text;
  if (!read_file(path, text, error)) return false;
  if (!parse_csv_columns(text, out, error, text_columns)) {
    error = path + ": " + error;
    return false;
  }
  return true;
}

CsvColumns columns_of_table(const CsvTable& table, const std::vector<bool>& text_columns) {
  CsvColumns out;
  out.header = table.header;
  out.rows = static_cast<int>(table.rows.size());
  out.cols.resize(table.header.size());
  for (std::size_t c = 0; c < out.cols.size(); ++c) {
    CsvColumn& col = out.cols[c];
    col.is_text = c < text_columns.size() && text_columns[c];
    if (!col.is_text) col.num.reserve(table.rows.size());
    for (std::size_t r = 0; r < table.rows.size(); ++r) {
      const std::string& cell = table.rows[r][c];
      const int line = r < table.row_lines.size() ? table.row_lines[r] : static_cast<int>(r) + 2;
      note_length(col, cell.size(), line);
      if (col.is_text) continue;
      double x = host::SYSMIS;
      if (!type_cell(col, cell, line, x)) continue;
      col.num.push_back(x);
    }
    if (col.is_text) {
      std::vector<double>().swap(col.num);
      col.cells.reserve(table.rows.size());
      double x = 0;
      for (const auto& row : table.rows) {
        col.cells.push_back(row[c]);
        if (col.bad_line != 0 && parse_plain_number(row[c], x)) ++col.number_cells;
      }
    }
  }
  return out;
}

}  // namespace oscat::engine
