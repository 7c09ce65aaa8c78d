// The token stream of one command, and the variable / value list readers.
//
// Tokens (load() reads the command body, i.e. the text AFTER the command name):
//  - Name: starts with a letter, '@', '#', '$' or a non-ASCII byte, continues
//    with letters, digits, _ . @ # $; a trailing '.' at the very end of the
//    body is not part of the name. `text` upper-cased, `raw` as typed.
//  - Number: digits with an optional fraction (".5", "1.", "1.5") and exponent
//    ("1e-5", "1.5E+3"). A '+' or '-' directly before the digits (or ".digit")
//    belongs to the number when the previous token is not value-like (not a
//    Name, Number, String or ")"), e.g. at the start, after "(", ",", "=" or
//    "/"; it also does after a value-like token when white space precedes the
//    sign and none follows it ("1 -2" is two numbers, "1-2" and "1 - 2" are
//    1, Other "-", 2). `text` as typed, `value` the number.
//  - String: '...' or "..."; a doubled quote inside stands for one quote.
//    `text` holds the contents. An unterminated string gives an Other token
//    whose text is everything from the quote to the end of the body.
//  - Slash, LParen, RParen, Equals ("=" always), Comma, Asterisk.
//  - Compare: "<", "<=", ">", ">=", and "<>", "~=", "!=" all normalised to
//    "~=" in `text`. The words LT LE GT GE EQ NE stay Names.
//  - Other: any other single character (a whole UTF-8 sequence when not a
//    name start), `text` = `raw` = the character(s).
//
// Stream model. Tokens are numbered 1..count(); the End token has position
// count()+1 and is returned again and again once the stream is exhausted.
//  - SSNXT1/SSNXT2 return the next token and make it current.
//  - SSETPT(p): the next SSNXT returns token p; current() becomes token p-1
//    (a blank End token with position 0 when p <= 1).
//  - skip_command(): current() is End; every later SSNXT returns End.
//
// List readers (PRUVL, PRUVL2, PRVRLT, PRVALT) read from the next token and
// clear their output vector first. When they stop on a token that does not
// belong to the list (including "/", "(", ")", End, a word of `also_end`, an
// unknown name for PRUVL2/PRVRLT, a non-number for PRVALT), that token is
// made current() -- so position() is its position -- and the NEXT SSNXT
// returns that same token again. That is, after a list:
//     tokens.current()   is the stopping token (peek),
//     tokens.SSNXT1()    consumes it.
//
// Variable lists: names in dictionary (DICSCH, case-insensitive), "a TO b"
// expands to a..b in dictionary order (b before a is an error), ALL stands
// for every variable (PRUVL2: every allowed variable, in the order of
// `allowed`). Duplicates are returned as given; callers dedupe.
//  - PRUVL: an unknown name reports "Variable ^1 not found." (class 2,
//    severity 3) and the list goes on, so every unknown name is reported;
//    a reversed range reports "Variable list ^1 TO ^2 is reversed." and
//    "TO" not followed by a name "Variable name expected after TO." (both
//    class 2, severity 3). Returns 0, 1 after any report, 2 when the first
//    token is not a name (nothing read).
//  - PRUVL2: an unknown name, or one outside `allowed` (also any variable of
//    a TO range outside it), stops the list on that name and returns 1 with
//    `bad` = the name as typed; nothing is reported. A bad TO range stops on
//    its first name. Words of `also_end` (matched case-insensitively in full)
//    end the list normally. Returns 2 when the first token is not a name.
//  - PRVRLT: as PRUVL2 with every variable allowed and no report.
// Value lists (PRVALT): plain numbers separated by optional commas, ending at
// ")", "/" or End (returns 0). Any other token (LO, HI, THRU, names, strings)
// stops it on that token and returns 1 with `bad` = the token as typed.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "host/host.hpp"

namespace oscat::engine {

// Tokenise a command body (no command name, no terminator) into tokens with
// positions 1..n; no End token is appended.
std::vector<host::Token> tokenize(std::string_view body);

class TokenStream : public host::Tokens {
 public:
  TokenStream(const host::Dictionary& dict, host::Messages& msg) : dict_(dict), msg_(msg) {}

  // Replace the stream with the tokens of `text` (a command body); the next
  // SSNXT returns token 1.
  void load(std::string_view text);
  // All tokens of the current command (without End).
  const std::vector<host::Token>& tokens() const { return toks_; }

  // Keeps the read position; SSDELS drops it. Always succeeds (returns 0).
  int SSTACK() override;
  void SSDELS() override;
  void SSETPT(int position) override;
  const host::Token& SSNXT1() override;
  const host::Token& SSNXT2() override { return SSNXT1(); }
  const host::Token& current() const override;
  int position() const override { return cur_; }
  int count() const override { return static_cast<int>(toks_.size()); }
  void skip_command() override;

  int PRUVL(std::vector<int>& vars) override;
  int PRUVL2(std::vector<int>& vars, std::span<const int> allowed, std::string& bad,
             std::span<const char* const> also_end = {}) override;
  int PRVRLT(std::vector<int>& vars, std::string& bad) override;
  int PRVALT(std::vector<double>& values, std::string& bad) override;
  std::string command_at(int position) const override;

 private:
  // Shared reader of the three variable-list calls.
  enum class ListMode { Report, Restricted, Any };
  int read_var_list(std::vector<int>& vars, ListMode mode, std::span<const int> allowed,
                    std::string* bad, std::span<const char* const> also_end);
  const host::Token& at(int position) const;
  // Stop on the token at `position`: current, and returned again next.
  void stop_at(int position) { cur_ = next_ = position; }
  void report(std::string_view key, std::vector<std::string> params);
  // "Variable ^1 not found." for the name at `position`, with a note when
  // the name begins another command (a period is missing before it).
  void report_not_found(int position);

  const host::Dictionary& dict_;
  host::Messages& msg_;
  std::vector<host::Token> toks_;
  host::Token end_;        // End token, position count()+1
  host::Token before_;     // End token with position 0 (nothing read yet)
  int cur_ = 0;            // position of current(); 0 = none
  int next_ = 1;           // position the next SSNXT returns
  std::vector<int> kept_;  // SSTACK'ed read positions
};

}  // namespace oscat::engine
