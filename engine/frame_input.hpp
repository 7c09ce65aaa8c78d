// A working data file built in memory by a host program (the Python module's
// data frames) rather than read from a file: typed columns with the
// declarations a syntax would otherwise make (labels, value labels, missing
// values).
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "engine/active_file.hpp"
#include "engine/dictionary.hpp"
#include "host/host.hpp"

namespace oscat::engine {

struct FrameVariable {
  std::string name;
  bool is_string = false;
  std::vector<double> num;       // numeric: one value per case, host::SYSMIS when missing
  // numeric, instead of num: the caller's own numbers, read in place (NaN is
  // missing); they must outlive the file's use of them
  ActiveFile::LentNumbers lent;
  std::size_t lent_rows = 0;
  std::vector<std::string> str;  // string: one cell per case
  std::string label;
  std::vector<std::pair<double, std::string>> value_labels;
  std::vector<std::pair<std::string, std::string>> string_value_labels;
  host::MissingSpec missing;
};

// Replaces the dictionary and data of `active` by `vars` (their columns are
// moved or lent, never copied). Everything is checked first: names, equal lengths,
// finite numbers (NaN must already be SYSMIS), missing values as MISSING
// VALUES allows them (three values, or a range and one value; strings only
// for string variables). On failure `error` names the variable and nothing
// changes.
bool load_frame(ActiveFile& active, DictionaryStore& dict, std::vector<FrameVariable>&& vars, std::string& error);

}  // namespace oscat::engine
