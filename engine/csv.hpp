// Reading comma-separated files: a header of variable names, then one row per case.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace oscat::engine {

struct CsvTable {
  std::vector<std::string> header;             // variable names, trimmed of spaces/tabs
  std::vector<std::vector<std::string>> rows;  // every row has header.size() fields
  std::vector<int> row_lines;                  // 1-based line on which each row starts
};

// RFC 4180 style: fields separated by commas, rows by LF or CRLF (a lone CR
// also ends a row); a field that starts with '"' is quoted and may hold
// commas, newlines and doubled quotes; a quote inside an unquoted field is
// kept as typed. A UTF-8 BOM is skipped; the last newline is optional and
// blank lines at the end are ignored (a blank line inside the data is a row
// with one empty field, which is an error unless there is one column).
// Errors (false, `error` set, `out` left empty): no header line, a NUL byte,
// an unterminated quoted field, text after a closing quote, a row whose field
// count differs from the header's, an empty, invalid or repeated
// (case-insensitive) header name. Messages name the line concerned.
bool parse_csv(std::string_view text, CsvTable& out, std::string& error);

// parse_csv on a file's contents; an unreadable file is an error naming it.
bool read_csv(const std::string& path, CsvTable& out, std::string& error);

}  // namespace oscat::engine
