// Shared pieces of the optimal-scaling command parsers: a token cursor over
// the host's token stream, message helpers and the keyword reader.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "host/host.hpp"
#include "syntax/settings.hpp"

namespace oscat::syntax::detail {

using host::Token;
using host::TokenKind;

// Counts the errors this command's parsers reported (severity 3), and
// whether the note on a missing period was given for this command.
struct ErrorCount {
  int errors = 0;
  bool period_hinted = false;
  int swallowed = 0;  // position of a command name inside the command, 0 none
};
// At the end of a parsing phase with errors: the period note when the
// command holds another command's name.
void hint_swallowed_command();
ErrorCount& errors();

// Report a key (class 2, severity 3 unless given).
void report(std::string_view key, int cls = 2, int sev = 3);
// Report a key with ^1 filled by literal text.
void report1(std::string_view key, std::string_view param, int cls = 2, int sev = 3);
// Report a key with ^1, ^2, ... filled by literal texts, in order.
void report_n(std::string_view key, std::initializer_list<std::string_view> params, int cls = 2,
              int sev = 3);
void report_n(std::string_view key, const std::vector<std::string>& params, int cls = 2, int sev = 3);
// Names of the variables at 0-based positions `ps` of the VARIABLES list.
std::vector<std::string> var_names(const CommandSettings& s, std::span<const int> ps);
inline void warn(std::string_view key) { report(key, 2, 2); }
inline void warn1(std::string_view key, std::string_view p) { report1(key, p, 2, 2); }
// After a report about the token at `position`: a command name there means
// a period is missing (the note is given once per command).
void period_hint(int position);
// "CPR Undefined ^1 Var." for `subcommand` and the name a list stopped on
// (the current token), with the period note.
void undefined_var(std::string_view subcommand, const std::string& name);
// Shared reports.
void mult_subcommand(std::string_view name);
// Both name the subcommand and the token found where the parenthesis belongs.
void missing_lpar(std::string_view name, int sev = 3, std::string_view found = {});
void missing_rpar(std::string_view name, int sev = 3);

// Cursor over the host token stream.
class Cursor {
 public:
  // Position on the first token of a subcommand's specification, skipping
  // one leading "=".
  Token start(int position);
  Token next();
  // Push the last token back: the next call of next() returns it again.
  void back();
  Token peek() {
    Token t = next();
    back();
    return t;
  }
  // Skip to the end of the current subcommand (the "/" or the end); the
  // terminator is left to be read again.
  void skip_subcommand();

 private:
  Token last_;
};

inline bool ends(const Token& t) { return t.kind == TokenKind::Slash || t.kind == TokenKind::End; }
inline bool is(const Token& t, TokenKind k) { return t.kind == k; }
// Text of a token for a message parameter.
std::string shown(const Token& t);
// 1-based match of a name token against a table, 0 when none or not a name.
int match(const Token& t, host::KeywordTable table);
// The host's subcommand keyword reader: reads the next token, matches it and
// reports `invalid` (class 3, severity 3) when it is no keyword of `table`.
int BP_PRKYVR(Cursor& c, host::KeywordTable table, std::string_view invalid, Token& kw);

// Per-procedure message prefix selection.
inline const char* pick(ProcedureKind k, const char* cpr, const char* crg, const char* mcor) {
  return k == ProcedureKind::Catreg ? crg : k == ProcedureKind::Mcorresp ? mcor : cpr;
}
inline bool is_pca(ProcedureKind k) { return k != ProcedureKind::Catreg; }

// Position of dictionary index `dict` in s.vars.variables, -1 when absent.
int position_of(const CommandSettings& s, int dict);
// Read one variable list restricted to the VARIABLES list. Returns positions
// (0-based in s.vars.variables). 0 ok (possibly empty), 1 an unknown name
// (`bad` set), the terminator left to be read.
int read_list(const CommandSettings& s, Cursor& c, std::vector<int>& out, std::string& bad,
              std::span<const char* const> also_end = {});

// The parsers (called by parse_remaining in the fixed order).
void parse_analysis(CommandSettings& s);
void parse_maxiter(CommandSettings& s);
void parse_crititer(CommandSettings& s);
void parse_discretization(CommandSettings& s);
void parse_missing(CommandSettings& s);
void parse_supplementary(CommandSettings& s);
void parse_print(CommandSettings& s);
void parse_plot(CommandSettings& s);
void parse_save(CommandSettings& s);
void parse_outfile(CommandSettings& s);
void parse_resample(CommandSettings& s);
void parse_dimension(CommandSettings& s);
void parse_configuration(CommandSettings& s);
void CPR_ParseNorm(CommandSettings& s);
void parse_rotation(CommandSettings& s);
void CRG_ParseInitial(CommandSettings& s);
void CRG_ParseRegularization(CommandSettings& s);
// Penalty list against the grid (start, stop, step); values in grid order.
// Returns false after an error.
bool CRG_ParsePenaltyList(Cursor& c, const PenaltyRange& range,
                          std::vector<double>& out);
// Handles of files already named on the command (for "used more than once").
std::vector<int> named_files(const CommandSettings& s);

// A subcommand that holds one positive integer (DIMENSION, MAXITER): at
// position `pos`, each value is checked, the last valid one is kept in `out`
// and more than one value is reported.
void parse_positive_int(int pos, std::string_view subcommand, std::string_view invalid_key,
                        std::string_view multiple_key, int& out);

}  // namespace oscat::syntax::detail
