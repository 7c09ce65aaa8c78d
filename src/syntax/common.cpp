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

void mult_subcommand(std::string_view name) { report1("Mult CPR subcommand ^1.", name); }
void missing_lpar(std::string_view name, int sev) {
  if (name.empty()) report("Missing left parenthesis.", 2, sev);
  else report1("Missing left par in ^1.", name, 2, sev);
}
void missing_rpar(std::string_view name, int sev) {
  if (name.empty()) report("Missing right parenthesis.", 2, sev);
  else report1("Missing right par in ^1.", name, 2, sev);
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
  if (t.kind == TokenKind::End) return "";
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
  if (k == 0) report(invalid, 3, 3);
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
      report(invalid_key);
  }
  if (count > 1) report(multiple_key);
}

}  // namespace oscat::syntax::detail
