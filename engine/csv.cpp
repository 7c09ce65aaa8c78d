#include "engine/csv.hpp"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "engine/dictionary.hpp"

namespace oscat::engine {

namespace {

struct Record {
  std::vector<std::string> fields;
  int line = 0;
  bool blank = false;  // an empty physical line
};

std::string trim_blanks(const std::string& s) {
  std::size_t b = 0, e = s.size();
  while (b < e && (s[b] == ' ' || s[b] == '\t')) ++b;
  while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t')) --e;
  return s.substr(b, e - b);
}

void fail(CsvTable& out, std::string& error, std::string text) {
  out = CsvTable{};
  error = std::move(text);
}

}  // namespace

bool parse_csv(std::string_view s, CsvTable& out, std::string& error) {
  out = CsvTable{};
  error.clear();
  if (s.size() >= 3 && static_cast<unsigned char>(s[0]) == 0xEF && static_cast<unsigned char>(s[1]) == 0xBB &&
      static_cast<unsigned char>(s[2]) == 0xBF) {
    s.remove_prefix(3);
  }
  if (std::size_t nul = s.find('\0'); nul != std::string_view::npos) {
    int line = 1;
    for (std::size_t k = 0; k < nul; ++k) line += s[k] == '\n';
    fail(out, error, "line " + std::to_string(line) + " contains a NUL byte; this is not a text file");
    return false;
  }

  std::vector<Record> records;
  const std::size_t n = s.size();
  std::size_t pos = 0;
  int line = 1;
  auto at_newline = [&](std::size_t p) { return p < n && (s[p] == '\n' || s[p] == '\r'); };
  auto skip_newline = [&] {  // CRLF, LF or a lone CR: one line
    if (s[pos] == '\r' && pos + 1 < n && s[pos + 1] == '\n') ++pos;
    ++pos;
    ++line;
  };

  while (pos < n) {
    Record rec;
    rec.line = line;
    rec.blank = at_newline(pos);
    for (;;) {
      std::string field;
      if (pos < n && s[pos] == '"') {
        const int quote_line = line;
        ++pos;
        bool closed = false;
        while (pos < n) {
          char c = s[pos];
          if (c == '"') {
            if (pos + 1 < n && s[pos + 1] == '"') {
              field += '"';
              pos += 2;
              continue;
            }
            ++pos;
            closed = true;
            break;
          }
          if (c == '\n' || (c == '\r' && !(pos + 1 < n && s[pos + 1] == '\n'))) ++line;
          field += c;
          ++pos;
        }
        if (!closed) {
          fail(out, error, "line " + std::to_string(quote_line) + " has a quoted field without its closing quote");
          return false;
        }
        if (pos < n && s[pos] != ',' && !at_newline(pos)) {
          fail(out, error, "line " + std::to_string(line) + " has text after the closing quote of a field");
          return false;
        }
      } else {
        std::size_t b = pos;
        while (pos < n && s[pos] != ',' && !at_newline(pos)) ++pos;
        field.assign(s.substr(b, pos - b));
      }
      rec.fields.push_back(std::move(field));
      if (pos < n && s[pos] == ',') {
        ++pos;
        continue;
      }
      if (pos < n) skip_newline();
      break;
    }
    records.push_back(std::move(rec));
  }
  while (!records.empty() && records.back().blank) records.pop_back();
  if (records.empty()) {
    fail(out, error, "the file is empty: a header line with the variable names is needed");
    return false;
  }

  const Record& head = records.front();
  for (std::size_t k = 0; k < head.fields.size(); ++k) {
    std::string name = trim_blanks(head.fields[k]);
    const std::string col = "column " + std::to_string(k + 1) + " of the header";
    if (name.empty()) {
      fail(out, error, col + " (line " + std::to_string(head.line) + ") has no variable name");
      return false;
    }
    if (!is_valid_variable_name(name)) {
      fail(out, error, col + ": \"" + name + "\" is not a valid variable name");
      return false;
    }
    for (std::size_t j = 0; j < out.header.size(); ++j) {
      if (same_name(out.header[j], name)) {
        fail(out, error, col + " repeats the name \"" + name + "\" of column " + std::to_string(j + 1));
        return false;
      }
    }
    out.header.push_back(std::move(name));
  }
  for (std::size_t r = 1; r < records.size(); ++r) {
    Record& rec = records[r];
    if (rec.fields.size() != out.header.size()) {
      std::string msg = "line " + std::to_string(rec.line) + " has " + std::to_string(rec.fields.size()) +
                        (rec.fields.size() == 1 ? " field" : " fields") + ", the header has " +
                        std::to_string(out.header.size());
      fail(out, error, msg);
      return false;
    }
    out.rows.push_back(std::move(rec.fields));
    out.row_lines.push_back(rec.line);
  }
  return true;
}

bool read_csv(const std::string& path, CsvTable& out, std::string& error) {
  out = CsvTable{};
  std::error_code ec;
  if (std::filesystem::is_directory(path, ec)) {
    error = "cannot read \"" + path + "\": it is a directory";
    return false;
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    error = "cannot open \"" + path + "\": " + std::strerror(errno);
    return false;
  }
  std::ostringstream buf;
  buf << in.rdbuf();
  if (in.bad()) {
    error = "cannot read \"" + path + "\"";
    return false;
  }
  if (!parse_csv(buf.str(), out, error)) {
    error = path + ": " + error;
    return false;
  }
  return true;
}

}  // namespace oscat::engine
