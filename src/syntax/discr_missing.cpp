// DISCRETIZATION and MISSING.
#include "syntax/common.hpp"

namespace oscat::syntax::detail {

using host::H;

namespace {
const char* const kDiscKw[] = {"RANKING", "MULTIPLY", "GROUPING", "EQINTV", "NCAT", "DISTR"};
const char* const kDistr[] = {"UNIFORM", "NORMAL"};
const char* const kMissPca[] = {"PASSIVE", "ACTIVE", "LISTWISE", "EXTRACAT", "MODEIMPU", "RANDIMPU"};
const char* const kMissCrg[] = {"", "", "LISTWISE", "EXTRACAT", "MODEIMPU", "RANDIMPU"};
}  // namespace

void parse_discretization(CommandSettings& s) {
  const std::size_t m = static_cast<std::size_t>(s.vars.m);
  auto& d = s.discr;
  d.method.assign(m, 0.0);
  d.ncat.assign(m, 0);
  d.ncat_effective.assign(m, 0);
  int pos = s.positions[sub::DISCRETIZATION];
  if (pos == 0) return;
  if (pos < 0) {
    mult_subcommand("DISCRETIZATION");
    return;
  }
  Cursor c;
  Token t = c.start(pos);
  if (ends(t)) return;
  c.back();
  std::vector<char> has(m, 0);
  bool dup = false;
  std::string dup_name;  // the first variable named twice
  for (;;) {
    std::vector<int> list;
    std::string bad;
    if (read_list(s, c, list, bad) == 1) {
      undefined_var("DISCRETIZATION", bad);
      return;
    }
    t = c.next();
    int main_kw = 0, ncat = 0, distr = 0;
    double width = 0;
    bool g_ncat = false, g_distr = false, g_eq = false, bad_spec = false;
    if (t.kind == TokenKind::LParen) {
      for (;;) {
        Token it = c.next();
        if (it.kind == TokenKind::RParen) break;
        if (ends(it)) {
          missing_rpar("DISCRETIZATION");
          return;
        }
        int kw = match(it, kDiscKw);
        if (kw >= 1 && kw <= 3) {
          if (main_kw != 0) report1("CPR Mult Kwd DISCR.", shown(it));
          main_kw = kw;
          continue;
        }
        if (kw == 0) {
          report1(main_kw == 3 ? "CPR Invalid GROUPING keyword ^1." : "CPR Invalid DISC keyword ^1.",
                  shown(it));
          bad_spec = true;
          continue;
        }
        bool& given = kw == 4 ? g_eq : kw == 5 ? g_ncat : g_distr;
        if (given) report1("CPR Mult Kwd GROUP ^1.", kDiscKw[kw - 1]);
        given = true;
        Token v = c.next();
        if (v.kind == TokenKind::Equals) v = c.next();
        if (kw == 4) {
          if (v.kind != TokenKind::Number) {
            report1("CPR No value EQINTV.", shown(v));
            bad_spec = true;
            c.back();
          } else if (!(v.value > 0)) {
            report1("CPR Invalid value EQINTV.", shown(v));
            bad_spec = true;
          } else {
            width = v.value;
          }
        } else if (kw == 5) {
          if (v.kind == TokenKind::Number && host::QDINT(v.value) && v.value >= 2) {
            ncat = static_cast<int>(v.value);
          } else {
            report1("CPR NCAT not a number.", shown(v));
            bad_spec = true;
            if (v.kind != TokenKind::Number) c.back();
          }
        } else {
          int dk = match(v, kDistr);
          if (dk == 0) {
            report1("CPR Invalid DISTR keyword ^1.", shown(v));
            bad_spec = true;
            if (v.kind == TokenKind::RParen || ends(v)) c.back();
          } else {
            distr = dk;
          }
        }
      }
      t = c.next();
    }
    // Completion of this list's specification.
    double method = 0;
    int nc = 0;
    if (main_kw == 0) main_kw = 3;
    if (main_kw == 3) {
      if (g_eq && !g_ncat && !g_distr) {
        method = width > 0 ? -width : 0;
      } else if (g_eq) {
        report1("CPR Invalid/unexp Kwd/Val DISCR.", g_ncat ? "EQINTV and NCAT" : "EQINTV and DISTR");
      } else {
        nc = g_ncat && ncat >= 2 ? ncat : 7;
        if (distr == 1) {
          method = DISCR_GROUPING_UNIFORM;
        } else {
          method = DISCR_GROUPING_NORMAL;
          if (nc > 36) {
            warn1("No. cats greater max NORMAL distr.", std::to_string(nc));
            nc = 36;
          }
        }
      }
    } else {
      if (g_eq || g_ncat || g_distr)
        report1("CPR Invalid/unexp Kwd/Val DISCR.", std::string(main_kw == 1 ? "RANKING" : "MULTIPLYING") + " and " +
                                                        (g_eq ? "EQINTV" : g_ncat ? "NCAT" : "DISTR"));
      method = main_kw == 1 ? DISCR_RANKING : DISCR_MULTIPLYING;
    }
    (void)bad_spec;
    for (int p : list) {
      auto i = static_cast<std::size_t>(p);
      if (has[i] && !dup) dup_name = H().dict.DICGET(s.vars.variables[i]).name;
      if (has[i]) dup = true;
      has[i] = 1;
      d.method[i] = method;
      d.ncat[i] = nc;
      d.ncat_effective[i] = nc;
    }
    if (ends(t)) break;
    if (t.kind == TokenKind::Name) {
      c.back();
      continue;
    }
    report1("CPR Invalid DISC keyword ^1.", shown(t));
    break;
  }
  if (dup) report1("CPR Duplicate var DISCR.", dup_name);
}

void parse_missing(CommandSettings& s) {
  const std::size_t m = static_cast<std::size_t>(s.vars.m);
  const std::size_t ma = static_cast<std::size_t>(s.vars.m_a);
  const ProcedureKind k = s.kind;
  const bool catreg = k == ProcedureKind::Catreg;
  auto& code = s.missing.code;
  code.assign(m, 0);
  auto finish = [&] {
    const int def = catreg ? MISS_LISTWISE : MISS_PASSIVE_MODE;
    for (std::size_t i = 0; i < m; ++i)
      if (code[i] == 0 || (i >= ma && !catreg)) code[i] = i < ma ? def : MISS_PASSIVE_MODE;
  };
  int pos = s.positions[sub::MISSING];
  if (pos < 0) mult_subcommand("MISSING");
  if (pos <= 0) {
    finish();
    return;
  }
  host::KeywordTable table = catreg ? host::KeywordTable(kMissCrg) : host::KeywordTable(kMissPca);
  Cursor c;
  Token t = c.start(pos);
  if (catreg && t.kind == TokenKind::Name) {
    int kw = match(t, table);
    if ((kw == 3 || kw == 5) && ends(c.peek())) {
      for (std::size_t i = 0; i < ma; ++i) code[i] = kw == 3 ? MISS_LISTWISE : MISS_ACTIVE_MODE;
      warn1("MISSING = ALL (^1) assumed.", kw == 3 ? "LISTWISE" : "MODEIMPU");
      finish();
      return;
    }
  }
  if (ends(t)) {
    finish();
    return;
  }
  c.back();
  std::vector<char> named(m, 0);
  bool dup = false;
  std::string dup_name;  // the first variable named twice
  for (;;) {
    std::vector<int> list;
    std::string bad;
    if (read_list(s, c, list, bad) == 1) {
      // A keyword right after a list ("a EXTRACAT") lacks its parenthesis.
      if (!list.empty() && H().dict.DICSCH(bad) == 0 && H().tokens.command_at(H().tokens.current().position).empty())
        missing_lpar("MISSING");
      else
        undefined_var("MISSING", bad);
      break;
    }
    t = c.next();
    int main_kw = 0, impu = 0;
    if (t.kind != TokenKind::LParen) {
      missing_lpar("MISSING");
      break;
    }
    bool stop = false;
    for (;;) {
      Token it = c.next();
      if (it.kind == TokenKind::RParen) break;
      if (ends(it)) {
        missing_rpar("MISSING");
        stop = true;
        break;
      }
      int kw = match(it, table);
      if (kw >= 1 && kw <= 3) {
        if (main_kw != 0) report1("CPR Mult Kwd MISS.", shown(it));
        main_kw = kw;
      } else if (kw >= 4) {
        if (impu != 0) report1(catreg ? "CPR Mult Kwd MISS." : "CPR Mult impu Kwd MISS.", shown(it));
        impu = kw;
      } else if (main_kw == 1) {
        report1("CPR Invalid PASSIVE keyword ^1.", shown(it));
      } else if (main_kw == 2) {
        report1("CPR Invalid ACTIVE keyword ^1.", shown(it));
      } else {
        report1(catreg ? "CRG Invalid MISS keyword ^1." : "CPR Invalid MISS keyword ^1.", shown(it));
      }
    }
    if (stop) break;
    int value;
    if (main_kw == 3) {
      if (impu != 0) report1("CPR Unexp impu kwd MISS.", kMissPca[impu - 1]);
      value = MISS_LISTWISE;
    } else {
      if (main_kw == 0) main_kw = catreg ? 2 : 1;
      int im = impu == 0 ? 2 : impu - 3;  // 1 EXTRACAT, 2 MODEIMPU, 3 RANDIMPU
      value = (main_kw == 1 ? 0 : 3) + im;
    }
    for (int p : list) {
      auto i = static_cast<std::size_t>(p);
      if (named[i] && !dup) dup_name = H().dict.DICGET(s.vars.variables[i]).name;
      if (named[i]) dup = true;
      named[i] = 1;
      code[i] = value;
    }
    t = c.next();
    if (ends(t)) break;
    if (t.kind == TokenKind::Name) {
      c.back();
      continue;
    }
    report1(catreg ? "CRG Invalid MISS keyword ^1." : "CPR Invalid MISS keyword ^1.", shown(t));
    break;
  }
  if (dup) report1("CPR Duplicate var MISS.", dup_name);
  finish();
}

}  // namespace oscat::syntax::detail
