// One fuzz input through the CSV reader and GET DATA's typing and dictionary
// checks; shared by the libFuzzer target and the unit test that replays the
// kept inputs.
#pragma once

#include <cstdlib>
#include <string>
#include <string_view>

#include "engine/active_file.hpp"
#include "engine/csv.hpp"
#include "engine/dictionary.hpp"

namespace csv_fuzz {

// Byte 0 picks the mode: even, the rest is a CSV file; odd, the rest is a
// dictionary (.dict.json) for a fixed small table.
inline void read_input(std::string_view in) {
  using namespace oscat::engine;
  if (in.empty()) return;
  const bool sidecar = (static_cast<unsigned char>(in[0]) & 1) != 0;
  const std::string_view body = in.substr(1);
  DictionaryStore d;
  ActiveFile f(d);
  std::string error;
  if (sidecar) {
    CsvTable t;
    t.header = {"a", "s", "x"};
    t.rows = {{"1", "p", "NA"}, {"2", "q", "2.5"}, {"9", "", "1e-400"}};
    t.row_lines = {2, 3, 4};
    f.load_table(t, body, "fuzz.dict.json", error);
    return;
  }
  // Both readers must agree on what they accept and on the typing.
  CsvColumns cols;
  CsvTable table;
  const bool by_columns = parse_csv_columns(body, cols, error);
  const bool by_rows = parse_csv(body, table, error);
  if (by_columns != by_rows) std::abort();
  if (!by_rows) return;
  const CsvColumns expect = columns_of_table(table, {});
  if (expect.cols.size() != cols.cols.size()) std::abort();
  for (std::size_t k = 0; k < cols.cols.size(); ++k) {
    const CsvColumn &a = cols.cols[k], &b = expect.cols[k];
    if (a.is_text != b.is_text || a.num.size() != b.num.size() || a.cells != b.cells ||
        a.spelled_missing != b.spelled_missing || a.overflow_line != b.overflow_line)
      std::abort();
    for (std::size_t r = 0; r < a.num.size(); ++r)
      if (!(a.num[r] == b.num[r]) && !(a.num[r] != a.num[r] && b.num[r] != b.num[r])) std::abort();
  }
  f.load_table(table, "", "", error);
}

}  // namespace csv_fuzz
