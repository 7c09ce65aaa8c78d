#include "syntax/common.hpp"

#include "frame/messages.hpp"

#include <cstdio>

namespace oscat::syntax::detail {

using host::H;

ErrorCount& errors() {
  static ErrorCount e;
  return e;
}

// The parsers count their errors on top of reporting them.
void report(std::string_view key, int cls, int sev) {
  if (sev >= 3) ++errors().errors;
  frame::report(key, sev, cls);
}

void report1(std::string_view key, std::string_view param, int cls, int sev) {
  if (sev >= 3) ++errors().errors;
  frame::report(key, {frame::text(param)}, sev, cls);
}

void report_n(std::string_view key, const std::vector<std::string>& params, int cls, int sev) {
  if (sev >= 3) ++errors().errors;
  auto& msg = H().msg;
  const host::Msg c = msg.BP_BEGIN_COMPSTRING(frame::key(key));
  for (const std::string& p : params) msg.BP_ADD_PARAMETER(c, frame::text(p));
  msg.BP_ERROR(msg.BP_END_COMPSTRING(c), cls, sev);
}

void report_n(std::string_view key, std::initializer_list<std::string_view> params, int cls, int sev) {
  report_n(key, std::vector<std::string>(params.begin(), params.end()), cls, sev);
}

std::vector<std::string> var_names(const CommandSettings& s, std::span<const int> ps) {
  std::vector<std::string> out;
  for (int p : ps) out.push_back(H().dict.DICGET(s.vars.variables[static_cast<std::size_t>(p)]).name);
  return out;
}

void period_hint(int position) {
  if (errors().period_hinted) return;
  errors().period_hinted = frame::period_hint(position);
}

void hint_swallowed_command() {
  if (errors().errors > 0 && errors().swallowed > 0) period_hint(errors().swallowed);
}

void undefined_var(std::string_view subcommand, const std::string& name) {
  report_n("CPR Undefined ^1 Var.", {subcommand, name});
  period_hint(H().tokens.current().position);
}

void mult_subcommand(std::string_view name) { report1("Mult CPR subcommand ^1.", name); }
// The token found instead is the one last read, unless the caller names it.
void missing_lpar(std::string_view name, int sev, std::string_view found) {
  report_n("Missing left par in ^1.", {name, found.empty() ? shown(H().tokens.current()) : std::string(found)}, 2,
           sev);
}
void missing_rpar(std::string_view name, int sev) {
  report_n("Missing right par in ^1.", {name, shown(H().tokens.current())}, 2, sev);
}

Token Cursor::start(int position) {
  H().tokens.SSETPT(position);
  Token t = next();
  if (t.kind == TokenKind::Equals) t = next();
  return t;
}

Token Cursor::next() {
  last_ = H().tokens.SSNXT1();
  return last_;
}

void Cursor::back() {
  // At the end the stream keeps returning the end token, so there is nothing
  // to push back.
  if (last_.kind != TokenKind::End && last_.position > 0) H().tokens.SSETPT(last_.position);
}

void Cursor::skip_subcommand() {
  for (;;) {
    Token t = next();
    if (ends(t)) {
      back();
      return;
    }
  }
}

std::string shown(const Token& t) {
  if (t.kind == TokenKind::End) return "end of command";
  if (!t.raw.empty()) return t.raw;
  return t.text;
}

int match(const Token& t, host::KeywordTable table) {
  if (t.kind != TokenKind::Name) return 0;
  return host::QABMCH(t.text, table);
}

int BP_PRKYVR(Cursor& c, host::KeywordTable table, std::string_view invalid, Token& kw) {
  kw = c.next();
  int k = match(kw, table);
  if (k == 0) {
    report1(invalid, shown(kw), 3, 3);
    period_hint(kw.position);
  }
  return k;
}

int position_of(const CommandSettings& s, int dict) {
  for (std::size_t i = 0; i < s.vars.variables.size(); ++i)
    if (s.vars.variables[i] == dict) return static_cast<int>(i);
  return -1;
}

int read_list(const CommandSettings& s, Cursor& c, std::vector<int>& out, std::string& bad,
              std::span<const char* const> also_end) {
  std::vector<int> dict;
  bad.clear();
  int rc = H().tokens.PRUVL2(dict, s.vars.variables, bad, also_end);
  for (int d : dict) {
    int p = position_of(s, d);
    if (p >= 0) out.push_back(p);
  }
  (void)c;
  return rc == 1 ? 1 : 0;
}

std::vector<int> named_files(const CommandSettings& s) {
  std::vector<int> f;
  for (int h : {s.outfile.trdata.handle, s.outfile.discrdat.handle, s.outfile.object.handle,
                s.outfile.approx.handle, s.outfile.ellcoord.handle, s.regu.file, s.initial.file,
                s.config.file})
    if (h > 0) f.push_back(h);
  return f;
}

void parse_positive_int(int pos, std::string_view subcommand, std::string_view invalid_key,
                        std::string_view multiple_key, int& out) {
  if (pos == 0) return;
  if (pos < 0) {
    mult_subcommand(subcommand);
    return;
  }
  Cursor c;
  int count = 0;
  for (Token t = c.start(pos); !ends(t); t = c.next()) {
    ++count;
    if (t.kind == TokenKind::Number && host::QDINT(t.value) && t.value >= 1)
      out = static_cast<int>(t.value);
    else
      report1(invalid_key, shown(t));
  }
  if (count > 1) report(multiple_key);
}

}  // namespace oscat::syntax::detail
