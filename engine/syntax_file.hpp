// Splitting a syntax file into commands, and reading a command's leading words.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace oscat::engine {

struct CommandText {
  std::string text;  // the command without its terminating period and without comments
  int line = 0;      // 1-based line on which the command starts
};

// Split `syntax` into commands. A command ends
//  - with a period that ends a line (only spaces/tabs, optionally a /* */
//    comment, follow it before the newline or the end of input),
//  - with a blank line (only spaces/tabs), or
//  - at the end of input.
// Periods inside quoted strings and inside numbers never end a command because
// they do not end a line. Comment commands ("* ..." or "COMMENT ...", any
// case) are dropped whole; quotes inside them are not quotes. /* ... */
// comments are replaced by a space; a /* without a closing */ runs to the end
// of its line. A UTF-8 byte order mark is skipped; CRLF and lone CR count as
// one newline. Newlines inside a command are kept (they are plain white space
// to the tokenizer). Commands that are empty after stripping are dropped.
std::vector<CommandText> split_commands(std::string_view syntax);

// The first `n` words of a command, upper-cased. A word is a run of name
// characters (letters, digits, _ . @ # $, any non-ASCII byte) after white
// space; collection stops early at any other character (e.g. "/" or "="), so
// "CATPCA /VARIABLES" gives just {"CATPCA"}. Trailing periods are dropped.
std::vector<std::string> command_words(std::string_view text, int n);

// The text after the first `n` words as counted by command_words (what the
// token stream loads once the host has recognised an n-word command name).
std::string_view command_body(std::string_view text, int n);

}  // namespace oscat::engine
