// Reports of every procedure: one set of helpers over the host's message
// calls, so a key is translated, filled and reported the same way everywhere.
#pragma once

#include <initializer_list>
#include <span>
#include <string_view>

#include "host/host.hpp"

namespace oscat::frame {

// Severities of BP_ERROR.
inline constexpr int kNote = 1, kWarning = 2, kError = 3;

host::Msg key(std::string_view k);                   // a key the catalogue translates
host::Msg text(std::string_view t);                  // literal text (names, labels)
host::Msg integer(long long v);                      // a count
// A key whose ^n slots are filled, in order, by `params`.
host::Msg composite(std::string_view k, std::initializer_list<host::Msg> params);

// Report a key; class 2 unless given (3 for some syntax reports, 1 for notes).
void report(std::string_view k, int severity, int cls = 2);
void report(std::string_view k, std::initializer_list<host::Msg> params, int severity, int cls = 2);
inline void warn(std::string_view k) { report(k, kWarning); }
inline void error(std::string_view k) { report(k, kError); }

// A note when a command name begins at token `position` (no variable has that
// name): the command before it was not ended with a period. Whether it was given.
bool period_hint(int position);
// Position of the first command name inside the current command, where no
// subcommand keyword, keyword with "=" or parenthesised item stands: what a
// missing period leaves behind; 0 when none. Rereads the command's tokens:
// afterwards the next token read is the first one.
int command_inside();

// One report naming variables (dictionary indexes): nothing for none, `single`
// with ^1 for one, `list` with a "[%1:, ^1:, $1]1" list slot for several.
void report_variables(std::string_view single, std::string_view list, std::span<const int> dict_vars,
                      int cls, int severity);

}  // namespace oscat::frame
