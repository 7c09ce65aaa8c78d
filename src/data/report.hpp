// Reporting helpers shared by the data preparation.
#pragma once

#include <span>
#include <string_view>

namespace oscat::data {

// Report `single` ("... ^1 ...") for one variable or `list` (with a
// "[%1:, ^1:, $1]1" slot) for several, naming the dictionary variables
// `dict_vars`. Nothing when the list is empty.
void report_variables(std::string_view single, std::string_view list, std::span<const int> dict_vars,
                      int cls, int severity);

// Report a key with no parameters / with one literal parameter.
void report(std::string_view key, int cls, int severity);
void report1(std::string_view key, std::string_view param, int cls, int severity);

}  // namespace oscat::data
