// Reading comma-separated files: a header of variable names, then one row per case.
#pragma once

#include <cstddef>
#include <functional>
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

// A file's contents in one buffer; an unreadable file or a directory is an
// error naming it.
bool read_text_file(const std::string& path, std::string& contents, std::string& error);

// parse_csv on a file's contents; an unreadable file is an error naming it.
bool read_csv(const std::string& path, CsvTable& out, std::string& error);

// A plain decimal number (spaces and tabs around it ignored, a leading '+'
// allowed); no hex, inf or nan, and nothing that overflows.
bool parse_plain_number(std::string_view cell, double& v);

// How one cell of a would-be numeric column reads.
enum class CellRead {
  Number,     // `v` holds it
  Rounded,    // a whole number beyond 2^53 that a double cannot hold exactly; `v` is the nearest
  Missing,    // blank, or a spelling of missing data (NA, N/A, NaN, ".", any case): SYSMIS
  Overflow,   // a number outside the range of doubles
  NotNumber,  // anything else: the column is text
};
CellRead read_cell(std::string_view cell, double& v);
// NA, N/A, NaN or "." in any case (spaces around ignored), not blank.
bool is_missing_spelling(std::string_view cell);

// One column of a file read column-wise.
struct CsvColumn {
  // Held as text: asked for, or some non-blank cell is not a plain number.
  bool is_text = false;
  std::vector<double> num;         // numeric columns: one value per row, SYSMIS when blank
  std::vector<std::string> cells;  // text columns: the cells as typed
  std::size_t longest = 1;         // longest cell in bytes (at least 1)
  int longest_line = 0;            //   its line (0 = no cells)
  int bad_line = 0;                // first cell that is not a number: its line (0 = none)
  std::string bad_cell;            //   and its text
  int spelled_missing = 0;         // cells such as NA read as SYSMIS (numeric columns)
  int overflow_line = 0;           // first number outside the range of doubles (0 = none)
  std::string overflow_cell;
  int rounded_line = 0;            // first whole number rounded to a double (0 = none)
  std::string rounded_cell;
  int number_cells = 0;            // columns found to be text: how many cells read as numbers
};

struct CsvColumns {
  std::vector<std::string> header;
  int rows = 0;
  std::vector<CsvColumn> cols;
};

// Told the header once it is read; returns one flag per column, set for the
// columns to be held as text whatever their cells look like (may be shorter).
using CsvTextColumns = std::function<std::vector<bool>(const std::vector<std::string>& header)>;

// The file parsed straight into typed columns, with the rules and messages
// of parse_csv: numbers are converted as they are read and only text columns
// keep their cells, so memory stays close to the size of the typed data.
bool parse_csv_columns(std::string_view text, CsvColumns& out, std::string& error,
                       const CsvTextColumns& text_columns = {});
bool read_csv_columns(const std::string& path, CsvColumns& out, std::string& error,
                      const CsvTextColumns& text_columns = {});

// The typing of parse_csv_columns applied to a table already parsed (rows
// with the wrong field count are not checked here).
CsvColumns columns_of_table(const CsvTable& table, const std::vector<bool>& text_columns);

}  // namespace oscat::engine
