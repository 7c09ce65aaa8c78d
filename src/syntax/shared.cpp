// SUPPLEMENTARY, PRINT, PLOT, SAVE and OUTFILE.
#include <algorithm>
#include <cctype>

#include "syntax/common.hpp"

namespace oscat::syntax::detail {

using host::H;

namespace {
const char* const kSuppPca[] = {"OBJECT", "VARIABLE"};
const char* const kSuppCrg[] = {"OBJECT"};
const char* const kPrint[3][10] = {
    {"DESCRIP", "HISTORY", "VAF", "CORR", "OCORR", "OBJECT", "QUANT", "LOADING", "NONE", ""},
    {"DESCRIP", "HISTORY", "COEFF", "CORR", "OCORR", "R", "QUANT", "ANOVA", "REGU", "NONE"},
    {"DESCRIP", "HISTORY", "", "CORR", "OCORR", "OBJECT", "QUANT", "DISCRIM", "NONE", ""}};
const char* const kPrintOld[] = {"FREQ", "TRANS", "DEFAULT"};
const char* const kSort[] = {"NOSORT", "SORT"};
const char* const kPlotPca[] = {"TRANS",   "RESID",    "OBJECT",   "CATEGORY", "JOINTCAT", "BIPLOT",
                                "LOADING", "TRIPLOT",  "PROJCENT", "NDIM",     "VAF",      "LDELLARE",
                                "CTELLARE", "OBELLARE", "NELLPNT", "",         "NONE"};
const char* const kPlotCrg[] = {"TRANS", "RESID", "REGU", "NONE"};
const char* const kPlotMc[] = {"TRANS", "RESID", "OBJECT", "CATEGORY", "JOINTCAT", "BIPLOT",
                               "DISCRI", "", "", "NDIM", "", "DMELLARE", "CTELLARE", "OBELLARE",
                               "NELLPNT", "NONE"};
const char* const kEllMeasure[] = {"AREA", "STDEV"};
const char* const kLoadSub[] = {"LOADING", "CENTROID"};
const char* const kSave[3][6] = {
    {"TRDATA", "OBJECT", "APPROX", "LDELLARE", "CTELLARE", "OBELLARE"},
    {"TRDATA", "PRE", "RES", "", "", ""},
    {"TRDATA", "OBJECT", "", "DMELLARE", "CTELLARE", "OBELLARE"}};
const char* const kSaveRoot[3][6] = {{"TRA", "OBSCO", "APP", "LDELLARE", "CTELLARE", "OBELLARE"},
                                     {"TRA", "PRE", "RES", "", "", ""},
                                     {"TRA", "OBSCO", "", "DMELLARE", "CTELLARE", "OBELLARE"}};
const char* const kOutfile[3][5] = {{"TRDATA", "DISCRDAT", "OBJECT", "APPROX", "ELLCOORD"},
                                    {"TRDATA", "DISCRDAT", "", "", ""},
                                    {"TRDATA", "DISCRDAT", "OBJECT", "", "ELLCOORD"}};

int kidx(ProcedureKind k) { return static_cast<int>(k) - 1; }

// Tokens as typed, separated by commas.
std::string typed_list(const std::vector<Token>& ts) {
  std::string out;
  for (const Token& t : ts) out += (out.empty() ? "" : ", ") + shown(t);
  return out;
}

// Name of the variable at 0-based position `p` of the VARIABLES list.
std::string var_name(const CommandSettings& s, int p) {
  return H().dict.DICGET(s.vars.variables[static_cast<std::size_t>(p)]).name;
}

bool valid_root(const std::string& r) {
  if (r.empty() || r.size() > 64) return false;
  unsigned char c0 = static_cast<unsigned char>(r[0]);
  if (!std::isalpha(c0) && c0 != '@' && c0 != '$' && c0 != '#') return false;
  for (char ch : r) {
    unsigned char u = static_cast<unsigned char>(ch);
    if (!std::isalnum(u) && u != '_' && u != '.' && u != '@' && u != '$' && u != '#') return false;
  }
  return true;
}

// Reads "(" list ")" after a keyword when the next token is "(". Returns
// false after an error; `had` tells whether a list was given.
bool paren_list(const CommandSettings& s, Cursor& c, const char* sub_name, std::vector<int>& out,
                bool& had) {
  had = false;
  if (c.peek().kind != TokenKind::LParen) return true;
  c.next();
  had = true;
  std::string bad;
  if (read_list(s, c, out, bad) == 1) {
    undefined_var(sub_name, bad);
    c.skip_subcommand();
    return false;
  }
  Token r = c.next();
  if (r.kind != TokenKind::RParen) {
    missing_rpar(sub_name);
    if (!ends(r)) c.skip_subcommand();
    else c.back();
    return false;
  }
  return true;
}

// Skips a parenthesised group whose "(" was read, nested groups included.
// False when the subcommand ends first (the terminator is left to be read).
bool skip_group(Cursor& c) {
  for (int depth = 1; depth > 0;) {
    Token x = c.next();
    if (ends(x)) {
      missing_rpar("PLOT");
      c.back();
      return false;
    }
    if (x.kind == TokenKind::LParen) ++depth;
    else if (x.kind == TokenKind::RParen) --depth;
  }
  return true;
}

// A LOADING or CENTROID sub-keyword (`sub` 1 or 2 in kLoadSub) where a
// variable name could stand: a variable of that name wins.
int sub_keyword(const Token& t) {
  int sub = match(t, kLoadSub);
  return sub != 0 && H().dict.DICSCH(t.text) == 0 ? sub : 0;
}

// Inside of a LOADING(...) or CENTROID(...) group of plot keyword `kw`, its
// "(" read: variable names up to ")". Faults inside the group are reported
// and skipped; false only when the subcommand has to be abandoned.
bool read_group(const CommandSettings& s, Cursor& c, const std::string& kw, int sub,
                std::vector<int>& out) {
  const char* not_name = sub == 1 ? "CPR ^1 load not varname." : "CPR ^1 centr not varname.";
  for (;;) {
    Token x = c.next();
    if (x.kind == TokenKind::RParen) return true;
    if (ends(x)) {
      missing_rpar("PLOT");
      c.back();
      return false;
    }
    if (x.kind == TokenKind::Comma) continue;
    if (x.kind == TokenKind::LParen) {
      if (sub == 1) report("CPR Unexp par in PLOT LOAD.");
      else report1("ZYL unexp left par in ^1.", "PLOT");
      if (!skip_group(c)) return false;
      continue;
    }
    if (x.kind != TokenKind::Name) {
      report1(not_name, shown(x));
      continue;
    }
    if (int inner = sub_keyword(x)) {
      // Groups do not nest.
      report1(inner == 2 ? "CPR unexp centr with PLOT Kwd ^1." : "CPR unexp load with PLOT Kwd ^1.", kw);
      if (c.peek().kind == TokenKind::LParen) {
        c.next();
        if (!skip_group(c)) return false;
      }
      continue;
    }
    c.back();
    std::string bad;
    if (read_list(s, c, out, bad) == 1) {
      // The list stops on the name it could not take; a sub-keyword there is
      // handled by the next round.
      if (sub_keyword(c.peek()) != 0) continue;
      undefined_var("PLOT", bad);
      c.skip_subcommand();
      return false;
    }
  }
}

// Optional dimension count "(n)" inside a TRANS or RESID list, its "(" read.
// The count must be a positive integer within the solution's dimensions.
bool dim_count(const CommandSettings& s, Cursor& c, const std::string& kw, int& dims) {
  Token v = c.next();
  if (ends(v)) {
    report_n("CPR Invalid dim PLOT ^1.", {kw, shown(v)});
    missing_rpar("PLOT");
    c.back();
    return false;
  }
  if (v.kind == TokenKind::LParen) {
    report_n("CPR Invalid dim PLOT ^1.", {kw, shown(v)});
    c.back();
    return skip_group(c);
  }
  Token r = v.kind == TokenKind::RParen ? v : c.next();
  if (v.kind == TokenKind::Number && host::QDINT(v.value) && v.value >= 1 &&
      r.kind == TokenKind::RParen) {
    if (v.value > s.dim.p) report_n("CPR plotdim too high ^1.", {kw, shown(v), std::to_string(s.dim.p)});
    else dims = static_cast<int>(v.value);
    return true;
  }
  report_n("CPR Invalid dim PLOT ^1.", {kw, shown(v)});
  if (r.kind == TokenKind::RParen) return true;
  if (ends(r)) {
    missing_rpar("PLOT");
    c.back();
    return false;
  }
  return skip_group(c);
}

// Optional label size "(n)" after a plot keyword's list.
void label_size(Cursor& c, PlotRequest& p) {
  if (c.peek().kind != TokenKind::LParen) return;
  c.next();
  Token v = c.next();
  if (v.kind == TokenKind::Number && host::QDINT(v.value) && v.value >= 0 && v.value <= 20)
    p.label_size = static_cast<int>(v.value);
  else
    report1("CPR Invalid label size ^1.", shown(v));
  if (v.kind == TokenKind::RParen) return;
  Token r = c.next();
  if (r.kind != TokenKind::RParen) {
    missing_rpar("PLOT");
    c.back();
  }
}
}  // namespace

// The OBJECT list as entries: case numbers (whole and positive) and ranges
// "a THRU b"; what is not one is kept as an invalid entry, reported once the
// case numbers are known.
std::vector<SupplementaryObject> supplementary_object_list(const std::vector<Token>& list) {
  using K = SupplementaryObject::Kind;
  auto valid = [](const Token& t) { return t.kind == TokenKind::Number && host::QDINT(t.value) && t.value > 0; };
  std::vector<SupplementaryObject> out;
  std::size_t i = 0;
  while (i < list.size()) {
    const Token& t = list[i++];
    if (t.kind == TokenKind::Comma) continue;
    if (!valid(t)) {
      out.push_back({K::Invalid, 0, 0, shown(t)});
      continue;
    }
    if (i < list.size() && list[i].kind == TokenKind::Name && list[i].text == "THRU") {
      ++i;
      const Token* b = i < list.size() ? &list[i++] : nullptr;
      const std::string typed = shown(t) + " THRU" + (b != nullptr ? " " + shown(*b) : std::string());
      if (b == nullptr || !valid(*b)) out.push_back({K::Invalid, 0, 0, typed});
      else if (t.value > b->value) out.push_back({K::Reversed, t.value, b->value, typed});
      else out.push_back({K::Range, t.value, b->value, typed});
      continue;
    }
    out.push_back({K::Case, t.value, t.value, shown(t)});
  }
  return out;
}

void parse_supplementary(CommandSettings& s) {
  const ProcedureKind k = s.kind;
  auto& sp = s.supp;
  sp.variable.assign(static_cast<std::size_t>(s.vars.m), 0);
  sp.objects.clear();
  sp.objects_given = false;
  int pos = s.positions[sub::SUPPLEMENTARY];
  if (pos < 0) mult_subcommand("SUPPLEMENTARY");
  if (pos > 0) {
    host::KeywordTable table = is_pca(k) ? host::KeywordTable(kSuppPca) : host::KeywordTable(kSuppCrg);
    Cursor c;
    Token t = c.start(pos);
    if (ends(t)) report(k == ProcedureKind::Catreg ? "CRG No Kwd SUPP." : "CPR No Kwd SUPP.");
    bool seen[2] = {false, false};
    while (!ends(t)) {
      int kw = match(t, table);
      if (kw == 0) {
        report1(k == ProcedureKind::Catreg ? "CRG Invalid SUPP keyword ^1." : "CPR Invalid SUPP keyword ^1.",
                shown(t));
        c.skip_subcommand();
        break;
      }
      if (seen[kw - 1]) report1("CPR Mult Kwd SUPP ^1.", kSuppPca[kw - 1]);
      seen[kw - 1] = true;
      Token lp = c.next();
      if (ends(lp)) {
        if (kw == 1) report(s.config.fixed() ? "CPR obj SUPP with fixed Conf." : "CPR No obj SUPP.");
        else report("CPR No var SUPP.");
        break;
      }
      if (lp.kind != TokenKind::LParen) {
        missing_lpar("SUPPLEMENTARY");
        c.skip_subcommand();
        break;
      }
      if (kw == 1) {
        Token first = c.next();
        const bool take = !s.config.fixed() && first.kind != TokenKind::RParen;
        if (s.config.fixed()) report("CPR obj SUPP with fixed Conf.");
        else if (first.kind == TokenKind::RParen) report("CPR No obj SUPP.");
        // Case numbers and THRU ranges; a keyword, "/" or the end before ")"
        // means the list was not closed.
        std::vector<Token> list;
        for (Token x = first; x.kind != TokenKind::RParen; x = c.next()) {
          if (ends(x) || (x.kind == TokenKind::Name && x.text != "THRU")) {
            missing_rpar("SUPPLEMENTARY");
            if (!ends(x)) c.skip_subcommand();
            sp.objects.clear();
  sp.objects_given = false;
            sp.objects_given = false;
            goto done;
          }
          list.push_back(x);
        }
        if (take) {
          sp.objects = supplementary_object_list(list);
          sp.objects_given = true;
        }
      } else {
        std::vector<int> list;
        std::string bad;
        if (read_list(s, c, list, bad) == 1) {
          report1("CPR Undefined Suppl. Var.", bad);
          period_hint(H().tokens.current().position);
          c.skip_subcommand();
          break;
        }
        for (int p : list) {
          if (p >= s.vars.m_a) report1("Invalid CPR Suppl. Var.", var_name(s, p));
          else sp.variable[static_cast<std::size_t>(p)] = 1;
        }
        Token r = c.next();
        if (r.kind != TokenKind::RParen) {
          missing_rpar("SUPPLEMENTARY");
          if (!ends(r)) c.skip_subcommand();
          break;
        }
      }
      t = c.next();
    }
  }
done:
  if (is_pca(k)) {
    int n = 0;
    for (int i = 0; i < s.vars.m_a; ++i) n += sp.variable[static_cast<std::size_t>(i)] == 0;
    sp.active_variables = s.config.fixed() ? s.vars.m_a : n;
    if (s.vars.m_a >= 2 && sp.active_variables < 2) report("CPR Too many suppl var.");
  } else {
    sp.active_variables = s.vars.m_a;
  }
}

void parse_print(CommandSettings& s) {
  const ProcedureKind k = s.kind;
  const int ki = kidx(k);
  auto& p = s.print;
  p = PrintSettings{};
  for (int i = 0; i < s.vars.m; ++i) p.descrip_vars.push_back(i);
  p.corr = k != ProcedureKind::Catreg;
  p.loading = k == ProcedureKind::Catpca;
  p.discrim = k == ProcedureKind::Mcorresp;
  p.coeff = p.r = p.anova = k == ProcedureKind::Catreg;
  int pos = s.positions[sub::PRINT];
  if (pos == 0) return;
  if (pos < 0) {
    mult_subcommand("PRINT");
    return;
  }
  // A PRINT subcommand replaces the defaults.
  p = PrintSettings{};
  p.descrip = false;
  host::KeywordTable table(kPrint[ki], 10);
  bool seen[10] = {};
  Cursor c;
  for (Token t = c.start(pos); !ends(t); t = c.next()) {
    int kw = match(t, table);
    bool freq = false;
    if (kw == 0 && k == ProcedureKind::Catreg) {
      int o = match(t, kPrintOld);
      if (o == 1) {
        warn("FREQ renamed to DESCRIP.");
        kw = 1;
        freq = true;
      } else if (o == 2) {
        warn("CRG TRANS not supported.");
        if (c.peek().kind == TokenKind::LParen) {
          std::vector<int> ignored;
          c.next();
          std::string bad;
          if (read_list(s, c, ignored, bad) == 1 || c.next().kind != TokenKind::RParen) {
            report("CRG TRANS varlist allowed.");
            c.skip_subcommand();
          }
        }
        (void)freq;
        continue;
      } else if (o == 3) {
        warn("CRG DEFAULT not supported.");
        continue;
      }
    }
    if (kw == 0) {
      if (match(t, kSort) != 0) {
        report1("CPR out of place sort", shown(t));
      } else {
        report1(pick(k, "CPR Invalid PRIN keyword ^1.", "CRG Invalid PRIN keyword ^1.",
                     "MCOR Invalid PRIN keyword ^1."),
                shown(t));
        period_hint(t.position);
      }
      continue;
    }
    if (seen[kw - 1]) report1("CPR Mult Kwd PRIN ^1.", kPrint[ki][kw - 1]);
    seen[kw - 1] = true;
    const std::string name = kPrint[ki][kw - 1];
    if (name == "NONE") {
      p = PrintSettings{};
      p.descrip = false;
      continue;
    }
    if (name == "DESCRIP" || name == "QUANT" || name == "OBJECT") {
      std::vector<int> list;
      bool had = false;
      Token nx = c.peek();
      if (nx.kind == TokenKind::Name && match(nx, table) == 0 && H().dict.DICSCH(nx.text) != 0) {
        // A list without its "(" is taken with a warning.
        missing_lpar("PRINT", 2, shown(nx));
        std::string bad;
        if (read_list(s, c, list, bad) == 1) {
          undefined_var("PRINT", bad);
          c.skip_subcommand();
        }
        if (c.peek().kind == TokenKind::RParen) c.next();
        had = true;
      } else if (!paren_list(s, c, "PRINT", list, had)) {
        continue;
      }
      if (name == "DESCRIP") {
        p.descrip = true;
        if (had) p.descrip_vars = list;
        else {
          p.descrip_vars.clear();
          for (int i = 0; i < s.vars.m; ++i) p.descrip_vars.push_back(i);
        }
      } else if (name == "QUANT") {
        p.quant = true;
        for (int v : list)
          if (v >= s.vars.m_a) report_n("CPR Non ANA var PRINT kwd ^1.", {"QUANT", var_name(s, v)});
        p.quant_vars = list;
      } else {
        p.object = true;
        if (list.size() > 1) report_n("CPR OBJECT too many vars.", var_names(s, list));
        else if (list.size() == 1) p.object_label_var = list[0];
      }
      continue;
    }
    if (name == "LOADING" && k == ProcedureKind::Catpca) {
      p.loading = true;
      if (c.peek().kind == TokenKind::LParen) {
        c.next();
        Token o = c.next();
        int so = match(o, kSort);
        if (so == 0) report1("CPR inv option print load", shown(o));
        else p.loading_sort = so == 2;
        Token r = so == 0 && o.kind == TokenKind::RParen ? o : c.next();
        if (r.kind != TokenKind::RParen) {
          missing_rpar("PRINT");
          if (ends(r)) break;
        }
      }
      continue;
    }
    if (name == "HISTORY") p.history = true;
    else if (name == "VAF") p.vaf = true;
    else if (name == "COEFF") p.coeff = true;
    else if (name == "CORR") p.corr = true;
    else if (name == "OCORR") p.ocorr = true;
    else if (name == "R") p.r = true;
    else if (name == "ANOVA") p.anova = true;
    else if (name == "REGU") p.regu = true;
    else if (name == "LOADING") p.loading = true;
    else if (name == "DISCRIM") p.discrim = true;
  }
}

void parse_plot(CommandSettings& s) {
  const ProcedureKind k = s.kind;
  auto& pl = s.plot;
  pl = PlotSettings{};
  const bool pca = is_pca(k);
  if (pca) {
    pl.object.on = true;
    if (k == ProcedureKind::Catpca) {
      pl.loading.on = false;
      for (int i = 0; i < s.vars.m_a; ++i)
        if (s.vars.levels[static_cast<std::size_t>(i)].mlevel != MNOMINAL) pl.loading.on = true;
    } else {
      pl.discrim.on = true;
    }
  }
  int pos = s.positions[sub::PLOT];
  if (pos == 0) {
    if (k == ProcedureKind::Catreg && s.regu.method != RegMethod::None) pl.regu.on = true;
    return;
  }
  if (pos < 0) {
    mult_subcommand("PLOT");
    return;
  }
  pl = PlotSettings{};
  pl.given = true;
  host::KeywordTable table = k == ProcedureKind::Catpca ? host::KeywordTable(kPlotPca)
                             : k == ProcedureKind::Catreg ? host::KeywordTable(kPlotCrg)
                                                          : host::KeywordTable(kPlotMc);
  const char* inval = pick(k, "CPR Invalid PLOT keyword ^1.", "CRG Invalid PLOT keyword ^1.",
                           "MCOR Invalid PLOT keyword ^1.");
  std::vector<std::string> seen;
  bool ellipse_kw = false;
  Cursor c;
  for (Token t = c.start(pos); !ends(t); t = c.next()) {
    int kw = match(t, table);
    if (kw == 0) {
      if (t.kind == TokenKind::RParen) report1("CPR right without left par ^1", "PLOT");
      else if (t.kind == TokenKind::LParen) report1("ZYL unexp left par in ^1.", "PLOT");
      else {
        report1(inval, shown(t));
        period_hint(t.position);
      }
      if (t.kind == TokenKind::LParen) c.skip_subcommand();
      continue;
    }
    const std::string name = table[static_cast<std::size_t>(kw - 1)];
    if (std::find(seen.begin(), seen.end(), name) != seen.end())
      report1("CPR Mult Kwd PLOT ^1.", name);
    seen.push_back(name);
    if (name == "NONE") {
      pl = PlotSettings{};
      pl.given = true;
      continue;
    }
    if (name == "VAF") {
      pl.vaf.on = true;
      continue;
    }
    if (name == "NDIM") {
      Token lp = c.next();
      if (lp.kind != TokenKind::LParen) {
        missing_lpar("PLOT");
        c.back();
        continue;
      }
      std::vector<Token> vals;
      Token x = c.next();
      while (x.kind != TokenKind::RParen && !ends(x)) {
        if (x.kind != TokenKind::Comma) vals.push_back(x);
        x = c.next();
      }
      if (x.kind != TokenKind::RParen) {
        missing_rpar("PLOT");
        c.back();
        continue;
      }
      if (vals.empty()) {
        pl.ndim_lo = pl.ndim_hi = 0;
        continue;
      }
      const Token* not_int = nullptr;
      for (auto& v : vals)
        if (not_int == nullptr && !(v.kind == TokenKind::Number && host::QDINT(v.value) && v.value >= 1))
          not_int = &v;
      if (not_int != nullptr) report1("CPR Invalid plotdim.", shown(*not_int));
      else if (vals.size() == 1) report("CPR only one plotdim.");
      else if (vals.size() > 2) report_n("CPR invalid plotdim spec.", {typed_list(vals), std::to_string(s.dim.p)});
      else {
        int a = static_cast<int>(vals[0].value), b = static_cast<int>(vals[1].value);
        bool one = s.dim.p == 1 && a == 1 && b == 1;
        if (!one && (a >= b || b > s.dim.p))
          report_n("CPR invalid plotdim spec.", {typed_list(vals), std::to_string(s.dim.p)});
        else {
          pl.ndim_lo = a;
          pl.ndim_hi = b;
        }
      }
      continue;
    }
    if (name == "NELLPNT") {
      ellipse_kw = true;
      Token lp = c.next();
      Token v = lp.kind == TokenKind::LParen ? c.next() : lp;
      if (v.kind == TokenKind::Number && host::QDINT(v.value) && v.value >= 4 && v.value <= 100) {
        for (auto& g : pl.ellipse) g.points = v.value;
      } else {
        report1("CPR inval spec NEllpnts ^1", shown(v));
      }
      if (lp.kind != TokenKind::LParen) {
        report1("CPR SpecWithoutLeftPar", name);
        if (ends(v)) c.back();
        continue;
      }
      if (v.kind != TokenKind::RParen && c.next().kind != TokenKind::RParen) {
        missing_rpar("PLOT");
        c.back();
      }
      continue;
    }
    if (name.find("ELLARE") != std::string::npos) {
      ellipse_kw = true;
      int g = name == "CTELLARE" ? 1 : name == "OBELLARE" ? 2 : 0;
      auto& eg = pl.ellipse[static_cast<std::size_t>(g)];
      eg.requested = true;
      Token lp = c.next();
      if (lp.kind != TokenKind::LParen) {
        report1("CPR SpecWithoutLeftPar", name);
        c.back();
        continue;
      }
      Token m = c.next();
      int meas = match(m, kEllMeasure);
      if (meas == 0) {
        report1("CPR inval spec ellar ^1", shown(m));
        if (m.kind != TokenKind::RParen) c.skip_subcommand();
        continue;
      }
      eg.measure = meas;
      Token x = c.next();
      if (x.kind == TokenKind::Compare) {
        eg.direction = (x.text[0] == '>' || x.text == "GT" || x.text == "GE") ? 1 : -1;
        Token v = c.next();
        if (v.kind != TokenKind::Number) {
          report1("CPR ELLArSpecError", shown(v));
          if (v.kind != TokenKind::RParen) c.skip_subcommand();
          continue;
        }
        eg.threshold = v.value;
        auto dot = v.text.find('.');
        eg.decimals = dot == std::string::npos ? 0 : static_cast<double>(v.text.size() - dot - 1);
        x = c.next();
      }
      if (x.kind != TokenKind::RParen) {
        report1("CPR ELLArSpecError", shown(x));
        if (!ends(x)) c.skip_subcommand();
        else c.back();
      }
      continue;
    }
    if (name == "REGU") {
      pl.regu.on = true;
      const bool enet = s.regu.method == RegMethod::ElasticNet;
      Token nx = c.peek();
      if (enet) {
        if (nx.kind != TokenKind::LParen) {
          report("CRG No penalty list.");
          continue;
        }
        c.next();
        if (c.peek().kind == TokenKind::RParen) {
          c.next();
          report("CRG Empty penalty list.");
          continue;
        }
        CRG_ParsePenaltyList(c, s.regu.first, pl.regu_penalties);
        if (c.next().kind != TokenKind::RParen) {
          missing_rpar("PLOT");
          c.back();
        }
      } else if (nx.kind == TokenKind::LParen) {
        report("CRG non-applicable REGU plotlist.");
        c.next();
        for (Token x = c.next(); x.kind != TokenKind::RParen; x = c.next())
          if (ends(x)) {
            c.back();
            break;
          }
      }
      continue;
    }
    // Keywords with variable lists.
    PlotRequest* req = name == "TRANS"      ? &pl.trans
                       : name == "RESID"    ? &pl.resid
                       : name == "OBJECT"   ? &pl.object
                       : name == "CATEGORY" ? &pl.category
                       : name == "JOINTCAT" ? &pl.jointcat
                       : name == "BIPLOT"   ? &pl.biplot
                       : name == "LOADING"  ? &pl.loading
                       : name == "TRIPLOT"  ? &pl.triplot
                       : name == "PROJCENT" ? &pl.projcent
                                            : &pl.discrim;
    req->on = true;
    const bool needs_list = name == "TRANS" || name == "RESID" || name == "CATEGORY";
    if (c.peek().kind != TokenKind::LParen) {
      if (needs_list || name == "PROJCENT") {
        report1(name == "PROJCENT" ? "CPR no var no plot PROJCENTR." : "CPR no var no plot ^1.", name);
        req->on = false;
      }
      continue;
    }
    c.next();
    // Items: variable lists, LOADING(...)/CENTROID(...) groups for LOADING,
    // BIPLOT, TRIPLOT and PROJCENT, and a dimension count "(n)" after the
    // variables of TRANS and RESID (CATPCA, MCORRESP).
    const bool groups = name == "LOADING" || name == "BIPLOT" || name == "TRIPLOT" || name == "PROJCENT";
    const bool dims = pca && (name == "TRANS" || name == "RESID");
    bool bad = false;
    bool had_vars = false;
    for (;;) {
      Token x = c.next();
      if (x.kind == TokenKind::RParen) break;
      if (ends(x)) {
        missing_rpar("PLOT");
        c.back();
        bad = true;
        break;
      }
      if (x.kind == TokenKind::Comma) continue;
      int sub = sub_keyword(x);
      if (sub == 2 && !groups) {
        report1("CPR unexp centr with PLOT Kwd ^1.", name);
        if (c.peek().kind == TokenKind::LParen) {
          c.next();
          if (!skip_group(c)) {
            bad = true;
            break;
          }
        }
        continue;
      }
      if (sub != 0 && groups) {
        if (name == "LOADING" && sub == 1) {
          report1("CPR unexp load with PLOT Kwd ^1.", name);
        }
        std::vector<int> list;
        if (c.peek().kind == TokenKind::LParen) {
          c.next();
          if (!read_group(s, c, name, sub, list)) {
            bad = true;
            break;
          }
        }
        for (int v : list) {
          bool mn = v < s.vars.m_a && s.vars.levels[static_cast<std::size_t>(v)].mlevel == MNOMINAL;
          if (sub == 2 && !mn) report1("CPR PLOT CENTR var is not MNOM.", var_name(s, v));
          if (sub == 1 && mn) report1("CPR PLOT LOAD var is MNOM.", var_name(s, v));
        }
        if (sub == 2) req->centroid_vars.insert(req->centroid_vars.end(), list.begin(), list.end());
        else {
          req->vars.insert(req->vars.end(), list.begin(), list.end());
          req->loading_vars_given = true;
        }
        continue;
      }
      if (x.kind == TokenKind::LParen) {
        // A nested parenthesis: the dimension count of TRANS and RESID; the
        // loading and discrimination lists are plain lists, the fault is
        // skipped there.
        if (dims && had_vars) {
          if (!dim_count(s, c, name, req->dims)) {
            bad = true;
            break;
          }
          continue;
        }
        if (name == "LOADING" || name == "DISCRI") {
          report(name == "LOADING" ? "CPR Unexp par in PLOT LOAD." : "MCOR Unexp par in PLOT DISCRIM.");
          if (!skip_group(c)) {
            bad = true;
            break;
          }
          continue;
        }
        report1("ZYL unexp left par in ^1.", "PLOT");
        c.skip_subcommand();
        bad = true;
        break;
      }
      if (x.kind != TokenKind::Name) {
        if (name == "LOADING") report1("CPR ^1 load not varname.", shown(x));
        else if (name == "PROJCENT") report1("CPR ^1 centr not varname.", shown(x));
        else report_n("CPR unexp dim spec ^1.", {name, shown(x)});
        continue;
      }
      c.back();
      std::vector<int> list;
      std::string badname;
      if (read_list(s, c, list, badname) == 1) {
        // The list stops on the name it could not take; a sub-keyword there
        // is taken by the next round.
        int next_sub = sub_keyword(c.peek());
        if (next_sub == 0 || (next_sub == 1 && !groups)) {
          undefined_var("PLOT", badname);
          c.skip_subcommand();
          bad = true;
          break;
        }
      }
      had_vars = had_vars || !list.empty();
      for (int v : list) {
        if (v >= s.vars.m_a && name != "OBJECT") report_n("CPR Non ANA var PLOT kwd ^1.", {name, var_name(s, v)});
        if (name == "LOADING" && v < s.vars.m_a &&
            s.vars.levels[static_cast<std::size_t>(v)].mlevel == MNOMINAL)
          report1("CPR PLOT LOAD var is MNOM.", var_name(s, v));
        if (name == "RESID" && k == ProcedureKind::Catreg && v == 0)
          report1("CRG RESID plot depvar requested.", var_name(s, v));
      }
      req->vars.insert(req->vars.end(), list.begin(), list.end());
    }
    if (bad) break;
    if (name == "PROJCENT") {
      // The multiple nominal variable whose centroids are projected is named
      // by CENTROID(var) or, without that group, is the first of the list.
      if (!req->centroid_vars.empty()) {
        if (req->vars.empty()) report("CPR no single var no plot PROJCENTR.");
      } else if (req->vars.empty()) {
        report("CPR no var no plot PROJCENTR.");
        req->on = false;
      } else {
        int v0 = req->vars[0];
        if (v0 >= s.vars.m_a || s.vars.levels[static_cast<std::size_t>(v0)].mlevel != MNOMINAL)
          report1("CPR no mnom var in plot PROJCENTR.", var_name(s, v0));
        req->centroid_vars = {v0};
        req->vars.erase(req->vars.begin());
        if (req->vars.empty()) report("CPR no single var no plot PROJCENTR.");
      }
    }
    label_size(c, *req);
  }
  if (ellipse_kw && !pl.object.on && !pl.category.on && !pl.loading.on && !pl.discrim.on)
    report("CPR non-appl. PLOT Ell");
}

void parse_save(CommandSettings& s) {
  const ProcedureKind k = s.kind;
  const int ki = kidx(k);
  auto& sv = s.save;
  sv = SaveSettings{};
  int pos = s.positions[sub::SAVE];
  if (pos == 0) return;
  if (pos < 0) {
    mult_subcommand("SAVE");
    return;
  }
  host::KeywordTable table(kSave[ki], 6);
  Cursor c;
  Token t = c.start(pos);
  if (ends(t)) {
    if (k == ProcedureKind::Catreg) {
      warn("CRG SAVE without keyword.");
      sv.trdata.on = true;
      sv.trdata.root = "TRANS";
    } else {
      report(pick(k, "CPR SAVE without keyword.", "", "MCOR SAVE without keyword."));
    }
    return;
  }
  bool seen[6] = {};
  for (; !ends(t); t = c.next()) {
    int kw = match(t, table);
    if (kw == 0) {
      report1(pick(k, "CPR Invalid SAVE keyword ^1.", "CRG Invalid SAVE keyword ^1.",
                   "MCOR Invalid SAVE keyword ^1."),
              shown(t));
      if (c.peek().kind == TokenKind::LParen) c.skip_subcommand();
      continue;
    }
    if (seen[kw - 1]) report1("ZYL Mult Kwd SAVE ^1.", kSave[ki][kw - 1]);
    seen[kw - 1] = true;
    SaveRequest* req = kw == 1 ? &sv.trdata
                       : k == ProcedureKind::Catreg ? (kw == 2 ? &sv.pre : &sv.res)
                       : kw == 2 ? &sv.object
                       : kw == 3 ? &sv.approx
                                 : &sv.ellarea[static_cast<std::size_t>(kw - 4)];
    req->on = true;
    req->root = kSaveRoot[ki][kw - 1];
    // ( [root] [ (dims) ] )  or  (dims)
    if (c.peek().kind != TokenKind::LParen) continue;
    c.next();
    Token x = c.next();
    if (ends(x)) {
      report1("ZYL unexp left par in ^1.", "SAVE");
      c.back();
      break;
    }
    auto read_dims = [&]() -> bool {  // "(" read
      Token v = c.next();
      const bool dims_ok = is_pca(k) && (kw == 1 || kw == 2);
      if (!dims_ok) report1("CPR unexp dim spec SAVE APPROX.", kSave[ki][kw - 1]);
      else if (v.kind == TokenKind::Number && host::QDINT(v.value) && v.value >= 1) {
        if (s.dim.p > 0 && v.value > s.dim.p) report1("CPR savedim too high ^1.", shown(v));
        else req->dims = static_cast<int>(v.value);
      } else {
        report1("CPR Invalid dim SAVE ^1.", shown(v));
      }
      Token r = v.kind == TokenKind::RParen ? v : c.next();
      if (r.kind != TokenKind::RParen) {
        missing_rpar("SAVE");
        c.back();
        return false;
      }
      return true;
    };
    if (x.kind == TokenKind::Name || x.kind == TokenKind::String) {
      std::string root = x.kind == TokenKind::Name ? (x.raw.empty() ? x.text : x.raw) : x.text;
      if (!valid_root(root))
        report1(k == ProcedureKind::Catreg ? "CRG Invalid SAVE rootname ^1." : "CPR Invalid SAVE rootname ^1.",
                root);
      else req->root = root;
      x = c.next();
      if (x.kind == TokenKind::LParen) {
        if (!read_dims()) break;
        x = c.next();
      }
    } else if (x.kind == TokenKind::LParen) {
      if (!read_dims()) break;
      x = c.next();
    }
    if (x.kind != TokenKind::RParen) {
      missing_rpar("SAVE");
      if (ends(x)) {
        c.back();
        break;
      }
    }
  }
}

void parse_outfile(CommandSettings& s) {
  const ProcedureKind k = s.kind;
  const int ki = kidx(k);
  auto& of = s.outfile;
  of = OutfileSettings{};
  int pos = s.positions[sub::OUTFILE];
  if (pos == 0) return;
  if (pos < 0) {
    mult_subcommand("OUTFILE");
    return;
  }
  host::KeywordTable table(kOutfile[ki], 5);
  Cursor c;
  Token t = c.start(pos);
  if (ends(t)) {
    if (k == ProcedureKind::Catpca) warn("CPR OUTFILE without keyword.");
    else report(k == ProcedureKind::Catreg ? "CRG OUTFILE without keyword." : "MCOR OUTFILE without keyword.");
    return;
  }
  bool seen[5] = {};
  bool trdata_keywordless = false;
  std::vector<int> used;
  for (bool first = true; !ends(t); t = c.next(), first = false) {
    int kw = match(t, table);
    bool keywordless = false;
    if (kw == 0) {
      if (t.kind == TokenKind::LParen) {
        keywordless = true;
        kw = 1;
        c.back();
      } else if (k == ProcedureKind::Catreg && first &&
                 (t.kind == TokenKind::String || t.kind == TokenKind::Name)) {
        warn1("CRG OUTFILE old syntax ^1.", shown(t));
        c.back();
        std::string path;
        int h = H().files.SFDFRO(path);
        if (h > 0) {
          of.trdata = {h, path};
          used.push_back(h);
        }
        seen[0] = true;
        trdata_keywordless = true;
        continue;
      } else {
        report1(pick(k, "CPR Invalid OUTF keyword ^1.", "CRG Invalid OUTF keyword ^1.",
                     "MCOR Invalid OUTF keyword ^1."),
                shown(t));
        continue;
      }
    }
    if (seen[kw - 1]) {
      if (kw == 1 && (trdata_keywordless || keywordless)) report("CPR Mult TRDATA OUTF.");
      else report1("CPR Mult Kwd OUTF ^1.", kOutfile[ki][kw - 1]);
    }
    seen[kw - 1] = true;
    trdata_keywordless = trdata_keywordless || keywordless;
    Token lp = c.next();
    if (lp.kind != TokenKind::LParen) {
      report1("CPR OUTFILE ^1 without filename.", kOutfile[ki][kw - 1]);
      c.back();
      continue;
    }
    std::string path;
    int h = H().files.SFDFRO(path);
    if (h == -1) {
      report("Outfile asterisk specification.");
      return;
    }
    if (h <= 0) {
      report1("CPR OUTFILE ^1 without filename.", kOutfile[ki][kw - 1]);
      c.skip_subcommand();
      return;
    }
    for (int u : used)
      if (H().files.QSAMEFILESPEC(u, h)) {
        report1(k == ProcedureKind::Catreg ? "CRG filename used more than once." : "Outfile used more than once.", path);
        return;
      }
    used.push_back(h);
    Token r = c.next();
    if (r.kind != TokenKind::RParen) {
      missing_rpar("OUTFILE");
      c.back();
      if (!ends(r)) c.skip_subcommand();
      return;
    }
    OutfileRequest* req = kw == 1 ? &of.trdata : kw == 2 ? &of.discrdat : kw == 3 ? &of.object
                          : kw == 4 ? &of.approx : &of.ellcoord;
    *req = {h, path};
  }
}

}  // namespace oscat::syntax::detail
