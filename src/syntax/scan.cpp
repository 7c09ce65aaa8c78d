// Subcommand scan, VARIABLES, ANALYSIS, MAXITER and CRITITER.
#include <algorithm>
#include <iterator>

#include "frame/messages.hpp"
#include "syntax/common.hpp"

namespace oscat::syntax {

using namespace detail;
using host::H;

namespace {
const char* const kCatpcaTable[] = {"VARIABLE", "ANALYSIS", "MAXITER", "CRITITER",
                                    "PRINT",    "PLOT",     "OUTFILE", "DISCRETI",
                                    "MISSING",  "SUPPLEME", "SAVE",    "DIMENSIO",
                                    "CONFIGUR", "NORMALIZ", "RESAMPLE", "ROTATION"};
const char* const kCatregTable[] = {"VARIABLE", "ANALYSIS", "MAXITER", "CRITITER", "PRINT",
                                    "PLOT",     "OUTFILE",  "DISCRETI", "MISSING", "SUPPLEME",
                                    "SAVE",     "INITIAL",  "CONVERGE", "REGULARI", "RESAMPLE"};
const char* const kMcorrTable[] = {"VARIABLE", "ANALYSIS", "MAXITER", "CRITITER", "PRINT",
                                   "PLOT",     "OUTFILE",  "DISCRETI", "MISSING", "SUPPLEME",
                                   "SAVE",     "DIMENSIO", "CONFIGUR", "NORMALIZ", "RESAMPLE"};

// The subcommand of each keyword table entry.
constexpr int kCatpcaSub[] = {sub::VARIABLES, sub::ANALYSIS, sub::MAXITER,        sub::CRITITER,
                              sub::PRINT,     sub::PLOT,     sub::OUTFILE,        sub::DISCRETIZATION,
                              sub::MISSING,   sub::SUPPLEMENTARY, sub::SAVE,      sub::DIMENSION,
                              sub::CONFIGURATION, sub::NORMALIZATION, sub::RESAMPLE, sub::ROTATION};
constexpr int kCatregSub[] = {sub::VARIABLES, sub::ANALYSIS,      sub::MAXITER, sub::CRITITER,
                              sub::PRINT,     sub::PLOT,          sub::OUTFILE, sub::DISCRETIZATION,
                              sub::MISSING,   sub::SUPPLEMENTARY, sub::SAVE,    sub::INITIAL,
                              sub::CONVERGE,  sub::REGULARIZATION, sub::RESAMPLE};
static_assert(std::size(kCatpcaSub) == std::size(kCatpcaTable) && std::size(kCatregSub) == std::size(kCatregTable));
static_assert(std::size(kMcorrTable) == 15, "MCORRESP shares the first 15 entries of CATPCA's table");

// Subcommand of the 1-based entry `kw` of the procedure's table.
int subcommand_of(ProcedureKind k, int kw) {
  return k == ProcedureKind::Catreg ? kCatregSub[kw - 1] : kCatpcaSub[kw - 1];
}

const char* const kAnaKw[3][4] = {{"WEIGHT", "LEVEL", "INKNOT", "DEGREE"},
                                  {"", "LEVEL", "INKNOT", "DEGREE"},
                                  {"WEIGHT", "LEVEL", "", ""}};
const char* const kLevels[3][6] = {
    {"NOMINAL", "ORDINAL", "NUMERICA", "MNOMINAL", "SPORD", "SPNOM"},
    {"NOMINAL", "ORDINAL", "NUMERICA", "", "SPORD", "SPNOM"},
    {"", "", "", "MNOMINAL", "", ""}};
// Full level names, for the prefixes people type (NOMI, ORDI, NUME, MNOM).
const char* const kLevelNames[3][6] = {
    {"NOMINAL", "ORDINAL", "NUMERICAL", "MNOMINAL", "SPORD", "SPNOM"},
    {"NOMINAL", "ORDINAL", "NUMERICAL", "", "SPORD", "SPNOM"},
    {"", "", "", "MNOMINAL", "", ""}};
// What ANALYSIS accepts, for the message on an item it cannot take.
const char* const kAnaKwList[3] = {"WEIGHT, LEVEL, INKNOT, DEGREE", "LEVEL, INKNOT, DEGREE", "WEIGHT, LEVEL"};
const char* const kLevelList[3] = {"NOMINAL, ORDINAL, NUMERICAL, MNOMINAL, SPORD, SPNOM",
                                   "NOMINAL, ORDINAL, NUMERICAL, SPORD, SPNOM", "MNOMINAL"};
const char* const kWith[] = {"WITH"};

int kidx(ProcedureKind k) { return static_cast<int>(k) - 1; }

// 1-based level of the procedure's table: by the 8-character rules, or by an
// unambiguous prefix of at least four letters of a full level name.
int match_level(const Token& t, int ki) {
  if (int l = match(t, host::KeywordTable(kLevels[ki], 6))) return l;
  if (t.kind != TokenKind::Name || t.text.size() < 4) return 0;
  int found = 0;
  for (int i = 0; i < 6; ++i) {
    const std::string_view full = kLevelNames[ki][i];
    if (t.text.size() > full.size() || full.compare(0, t.text.size(), t.text) != 0) continue;
    if (found != 0) return 0;  // ambiguous
    found = i + 1;
  }
  return found;
}
}  // namespace

host::KeywordTable subcommand_table(ProcedureKind kind) {
  switch (kind) {
    case ProcedureKind::Catreg: return kCatregTable;
    case ProcedureKind::Mcorresp: return kMcorrTable;
    default: return kCatpcaTable;
  }
}

namespace {
// A subcommand with nothing after it ("/MAXITER=") would otherwise be ignored
// without a word; the parsers keep their defaults.
void warn_if_empty(Cursor& c, int sub) {
  static constexpr std::pair<int, const char*> kValued[] = {
      {sub::DIMENSION, "DIMENSION"}, {sub::MAXITER, "MAXITER"},   {sub::CRITITER, "CRITITER"},
      {sub::ROTATION, "ROTATION"},   {sub::RESAMPLE, "RESAMPLE"}, {sub::MISSING, "MISSING"},
      {sub::DISCRETIZATION, "DISCRETIZATION"}, {sub::NORMALIZATION, "NORMALIZATION"}};
  for (const auto& [id, word] : kValued) {
    if (id != sub) continue;
    if (c.peek().kind == TokenKind::Equals) c.next();  // the scan skips the rest anyway
    if (ends(c.peek())) warn1("Subcommand ^1 has no value.", word);
    return;
  }
}
}  // namespace

bool scan_subcommands(CommandSettings& s) {
  errors().errors = 0;
  errors().period_hinted = false;
  errors().swallowed = frame::command_inside();
  const ProcedureKind k = s.kind;
  const char* vari = pick(k, "Invalid CPR VARI subcommand.", "Invalid CRG VARI subcommand.",
                          "Invalid MCOR VARI subcommand.");
  const char* inval = pick(k, "Invalid CPR subcommand.", "Invalid CRG subcommand.",
                           "Invalid MCOR subcommand.");
  s.positions = SubcommandPositions{};
  auto table = subcommand_table(k);
  bool conv_warned = false;
  Cursor c;
  H().tokens.SSETPT(1);
  Token t = c.next();
  if (t.kind == TokenKind::End) return true;
  if (t.kind == TokenKind::Slash) t = c.next();

  auto record = [&](int sub, int position) {
    if (s.kind == ProcedureKind::Catreg && sub == sub::CONVERGE) {
      sub = sub::CRITITER;
      if (!conv_warned) warn("CONV renamed to CRIT.");
      conv_warned = true;
    }
    int& e = s.positions[sub];
    e = e == 0 ? position : 1 - position;
  };

  int kw = 0;
  // A subcommand word followed by "=" is the subcommand, even when a variable
  // has that name (a column called "variables").
  const bool keyword_first = match(t, table) != 0 && c.peek().kind == TokenKind::Equals;
  if (!keyword_first && t.kind == TokenKind::Name && H().dict.DICSCH(t.text) != 0) {
    record(sub::VARIABLES, t.position);
  } else if ((kw = match(t, table)) != 0) {
    record(subcommand_of(k, kw), t.position + 1);
  } else {
    report1(vari, shown(t), 3, 3);
    period_hint(t.position);
  }
  for (;;) {
    c.skip_subcommand();
    Token sep = c.next();
    if (sep.kind != TokenKind::Slash) break;
    Token name;
    Token peek = c.peek();
    if (ends(peek)) continue;  // an empty subcommand ("//" or a trailing "/")
    int n = BP_PRKYVR(c, table, inval, name);
    if (n != 0) {
      record(subcommand_of(k, n), name.position + 1);
      warn_if_empty(c, subcommand_of(k, n));
    }
  }
  hint_swallowed_command();
  return errors().errors == 0;
}

bool parse_variables(CommandSettings& s) {
  errors().errors = 0;
  auto& v = s.vars;
  v.variables.clear();
  v.m = 0;
  int pos = s.positions[sub::VARIABLES];
  if (pos < 0) {
    mult_subcommand("VARIABLES");
    return false;
  }
  if (pos == 0) {
    report("No VARIABLE list.");
    return false;
  }
  const int nvars = H().dict.size();
  std::vector<char> seen(static_cast<std::size_t>(nvars) + 1, 0);
  Cursor c;
  c.start(pos);
  c.back();
  bool old_syntax = false;
  for (;;) {
    std::vector<int> list;
    const int from = H().tokens.position();
    int rc = H().tokens.PRUVL(list);
    if (rc == 1) {
      ++errors().errors;  // PRUVL reported the unknown name, and a command name as such
      const int sw = errors().swallowed;
      if (sw > from && sw <= H().tokens.position()) errors().period_hinted = true;
    }
    for (int d : list) {
      if (d < 1 || d > nvars || seen[static_cast<std::size_t>(d)]) continue;
      seen[static_cast<std::size_t>(d)] = 1;
      v.variables.push_back(d);
    }
    if (rc == 1) break;
    Token t = c.next();
    if (ends(t)) break;
    if (s.kind == ProcedureKind::Catreg && t.kind == TokenKind::LParen) {
      // Older form: a list followed by a number in parentheses.
      Token n = c.next();
      Token r = n.kind == TokenKind::Number ? c.next() : n;
      if (n.kind == TokenKind::Number && r.kind == TokenKind::RParen) {
        old_syntax = true;
        continue;
      }
      report1("Unexpected token in variable list.", shown(r));
      break;
    }
    if (t.kind == TokenKind::Name && !list.empty()) {  // defensive: list continues
      c.back();
      continue;
    }
    report1("Unexpected token in variable list.", shown(t));
    period_hint(t.position);
    break;
  }
  if (old_syntax) warn("Old VARIABLES syntax found.");
  v.m = static_cast<int>(v.variables.size());
  if (v.m == 0 && errors().errors == 0) report("No VARIABLE list.");
  if (s.kind == ProcedureKind::Catreg && v.m == 1) report("One var on VARI cmd.");
  hint_swallowed_command();
  return errors().errors == 0 && v.m > 0;
}

namespace detail {

// Defaults of an analysis specification for one variable record.
static void complete_record(ProcedureKind k, ScalingLevelRecord& r, double& w) {
  if (w < 0) w = 1;
  if (r.mlevel < 0) r.mlevel = k == ProcedureKind::Mcorresp ? MNOMINAL : SPORD;
  if (r.mlevel == SPORD || r.mlevel == SPNOM) {
    if (r.inknot < 0) r.inknot = 2;
    if (r.degree < 1) r.degree = 2;
  } else {
    r.inknot = 0;
    r.degree = 0;
  }
}

void parse_analysis(CommandSettings& s) {
  auto& v = s.vars;
  const ProcedureKind k = s.kind;
  const int m = v.m;
  v.levels.assign(static_cast<std::size_t>(m), ScalingLevelRecord{});
  v.weights.assign(static_cast<std::size_t>(m), -1.0);
  v.m_a = 0;
  int pos = s.positions[sub::ANALYSIS];
  if (pos < 0) {
    mult_subcommand("ANALYSIS");
    return;
  }
  if (pos == 0) {
    report("CPR No ANALY subcmd.");
    return;
  }
  Cursor c;
  Token t = c.start(pos);
  if (ends(t)) {
    report("CPR Empty ANALY subcmd.");
    return;
  }
  c.back();
  const int ki = kidx(k);
  host::KeywordTable kws(kAnaKw[ki], 4);
  auto unexpected = [&](const Token& x) {
    report_n("CPR Invalid/unexp Kwd/Val ANALY ^1.", {shown(x), kAnaKwList[ki], kLevelList[ki]});
    period_hint(x.position);
  };
  std::vector<int> order;  // positions in VARIABLES order, in ANALYSIS order
  std::vector<ScalingLevelRecord> recs;
  std::vector<double> wts;
  bool duplicate = false, stop = false;
  std::string duplicate_name;  // the first variable named twice
  bool catreg = k == ProcedureKind::Catreg;
  bool with_seen = false;
  int before_with = 0;
  std::span<const char* const> also_end;
  if (catreg) also_end = kWith;
  while (!stop) {
    std::vector<int> list;
    std::string bad;
    if (read_list(s, c, list, bad, also_end) == 1) {
      undefined_var("ANALYSIS", bad);
      break;
    }
    for (int p : list) {
      const bool again = std::find(order.begin(), order.end(), p) != order.end();
      if (again && duplicate_name.empty())
        duplicate_name = H().dict.DICGET(v.variables[static_cast<std::size_t>(p)]).name;
      if (static_cast<int>(order.size()) >= m) {
        duplicate = true;
        continue;
      }
      if (again) duplicate = true;
      order.push_back(p);
      recs.push_back(ScalingLevelRecord{});
      wts.push_back(-1);
    }
    const std::size_t first = order.size() - std::min(order.size(), list.size());
    t = c.next();
    bool had_spec = false;
    if (t.kind == TokenKind::LParen) {
      had_spec = true;
      ScalingLevelRecord r;
      double w = -1;
      bool given[4] = {false, false, false, false};
      for (;;) {
        Token it = c.next();
        if (it.kind == TokenKind::RParen) break;
        if (ends(it)) {
          missing_rpar("ANALYSIS");
          stop = true;
          break;
        }
        int kw = match(it, kws);
        Token val;
        if (kw == 0 && match_level(it, ki) != 0) {
          kw = 2;
          val = it;
        } else if (kw == 0) {
          unexpected(it);
          stop = true;
          break;
        } else {
          val = c.next();
          if (val.kind == TokenKind::Equals) val = c.next();
          if (val.kind == TokenKind::RParen || ends(val)) {
            c.back();  // a keyword directly followed by ")" is ignored
            continue;
          }
        }
        if (given[kw - 1]) report1("CPR Mult Kwd ANALY ^1.", kAnaKw[ki][kw - 1]);
        given[kw - 1] = true;
        switch (kw) {
          case 1:
            if (val.kind == TokenKind::Number && host::QDINT(val.value) && val.value >= 1) {
              w = val.value;
            } else {
              report1("CPR weight not integer.", shown(val));
              w = 1;
            }
            break;
          case 2: {
            int l = match_level(val, ki);
            if (l != 0) {
              r.mlevel = l - 1;
            } else {
              report1(pick(k, "CPR Invalid level ^1.", "CRG Invalid level ^1.",
                           "MCOR Invalid level ^1."),
                      shown(val));
              r.mlevel = k == ProcedureKind::Mcorresp ? MNOMINAL : SPORD;
            }
            break;
          }
          case 3:
            if (val.kind == TokenKind::Number && host::QDINT(val.value) && val.value >= 0)
              r.inknot = static_cast<int>(val.value);
            else
              report1("CPR Invalid inknot.", shown(val));
            break;
          case 4:
            if (val.kind == TokenKind::Number && host::QDINT(val.value) && val.value >= 1) {
              r.degree = static_cast<int>(val.value);
            } else {
              report1("CPR Invalid degree.", shown(val));
              r.degree = 0;
            }
            break;
        }
      }
      if (stop) break;
      // Completion of this specification.
      int lv = r.mlevel >= 0 ? r.mlevel : (k == ProcedureKind::Mcorresp ? MNOMINAL : SPORD);
      if (lv != SPORD && lv != SPNOM) {
        if (given[2]) report1("CPR ^1 but no spline.", "INKNOT");
        if (given[3]) report1("CPR ^1 but no spline.", "DEGREE");
      }
      for (std::size_t i = first; i < order.size(); ++i) {
        recs[i] = r;
        wts[i] = w;
        complete_record(k, recs[i], wts[i]);
      }
      t = c.next();
    }
    if (catreg && t.kind == TokenKind::Name && t.text == "WITH") {
      if (with_seen || order.empty()) {
        if (order.empty()) report("No depvar on ANALYSIS.");
        else unexpected(t);
        stop = true;
        break;
      }
      with_seen = true;
      before_with = static_cast<int>(order.size());
      if (!had_spec) warn("No OS level depvar.");
      if (before_with > 1) report_n("More than one dep var specified.", var_names(s, order));
      continue;
    }
    if (ends(t)) {
      if (catreg && with_seen && !had_spec && !list.empty()) warn("No OS level indepvars.");
      break;
    }
    if (t.kind == TokenKind::Name && !list.empty()) {
      c.back();
      continue;
    }
    unexpected(t);
    break;
  }
  if (catreg && !stop && !order.empty() && !with_seen) {
    // Without WITH there are no predictors.
    if (order.size() > 1) report_n("More than one dep var specified.", var_names(s, order));
    else report("CRG No indep var ANALY.");
  }
  if (duplicate) {
    report1("CPR Duplicate var ANALY.", duplicate_name);
  } else if (!order.empty()) {
    std::vector<int> vars;
    std::vector<ScalingLevelRecord> lv;
    std::vector<double> wt;
    for (std::size_t i = 0; i < order.size(); ++i) {
      vars.push_back(v.variables[static_cast<std::size_t>(order[i])]);
      lv.push_back(recs[i]);
      wt.push_back(wts[i]);
    }
    for (int i = 0; i < m; ++i)
      if (std::find(order.begin(), order.end(), i) == order.end()) {
        vars.push_back(v.variables[static_cast<std::size_t>(i)]);
        lv.push_back(ScalingLevelRecord{});
        wt.push_back(-1);
      }
    v.m_a = static_cast<int>(order.size());
    v.variables = std::move(vars);
    v.levels = std::move(lv);
    v.weights = std::move(wt);
  }
  for (int i = 0; i < m; ++i) complete_record(k, v.levels[static_cast<std::size_t>(i)],
                                              v.weights[static_cast<std::size_t>(i)]);
  if (is_pca(k) && v.m_a == 1) report("CPR One var on ANALY cmd.");
}

void parse_maxiter(CommandSettings& s) {
  parse_positive_int(s.positions[sub::MAXITER], "MAXITER", "CPR Invalid value MAXI.", "CPR Mult Val MAXI.",
                     s.iter.maxiter);
}

void parse_crititer(CommandSettings& s) {
  int pos = s.positions[sub::CRITITER];
  if (pos == 0) return;
  if (pos < 0) {
    mult_subcommand("CRITITER");
    return;
  }
  Cursor c;
  int count = 0;
  for (Token t = c.start(pos); !ends(t); t = c.next()) {
    if (t.kind == TokenKind::Number && t.value > 0) {
      s.iter.crititer = t.value;
      ++count;
    } else {
      report1("CPR Invalid value CRIT.", shown(t));
    }
  }
  if (count > 1) report("CPR Mult Val CRIT.");
}

}  // namespace detail
}  // namespace oscat::syntax
