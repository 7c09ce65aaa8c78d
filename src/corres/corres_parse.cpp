// CORRESPONDENCE command syntax: subcommands, defaults and the checks made
// after the last subcommand.
#include <algorithm>
#include <cctype>
#include <cmath>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "corres/corres.hpp"
#include "corres/corres_msg.hpp"

namespace oscat::corres {
namespace {

using host::H;
using host::Token;
using host::TokenKind;

const char* const kSubcommands[] = {"TABLE", "DIMENSIO", "NORMALIZ", "PRINT", "PLOT",
                                    "OUTFILE", "EQUAL", "MEASURE", "STANDARD", "SUPPLEME"};
const char* const kSubcommandNames[] = {"TABLE", "DIMENSION", "NORMALIZATION", "PRINT", "PLOT",
                                        "OUTFILE", "EQUAL", "MEASURE", "STANDARDIZE", "SUPPLEMENTARY"};
enum { S_TABLE = 1, S_DIMENSION, S_NORMALIZATION, S_PRINT, S_PLOT, S_OUTFILE, S_EQUAL, S_MEASURE,
       S_STANDARDIZE, S_SUPPLEMENTARY };

// Keywords shared by NORMALIZATION, PLOT, OUTFILE, MEASURE and STANDARDIZE.
const char* const kKeywords[] = {"DEFAULT", "RPRINCIP", "ALL", "CPRINCIP", "PRINCIPA", "SINGULAR", "RPOINTS",
                                 "CPOINTS", "TABLE", "PERMUTAT", "NONE", "TRROWS", "TRCOLUMN", "TRJOINT",
                                 "BIPLOT", "VARIANCE", "SCORES", "MAX", "SYMMETRI", "NDIM", "CHISQ",
                                 "EUCLID", "RMEAN", "CMEAN", "RCMEAN", "RSUM", "CSUM"};
enum { K_DEFAULT = 1, K_RPRINCIP, K_ALL, K_CPRINCIP, K_PRINCIPA, K_SINGULAR, K_RPOINTS, K_CPOINTS, K_TABLE,
       K_PERMUTAT, K_NONE, K_TRROWS, K_TRCOLUMN, K_TRJOINT, K_BIPLOT, K_VARIANCE, K_SCORES, K_MAX, K_SYMMETRI,
       K_NDIM, K_CHISQ, K_EUCLID, K_RMEAN, K_CMEAN, K_RCMEAN, K_RSUM, K_CSUM };
const char* const kPrintKeywords[] = {"DEFAULT", "ALL", "NONE", "TABLE", "RPROFILE", "CPROFILE",
                                      "RPOINTS", "CPOINTS", "RCONFIDE", "CCONFIDE", "PERMUTAT"};

bool ends(const Token& t) { return t.kind == TokenKind::Slash || t.kind == TokenKind::End; }

// A token as the user typed it, for a message parameter.
std::string shown(const Token& t) {
  if (t.kind == TokenKind::End) return "end of command";
  return t.raw.empty() ? t.text : t.raw;
}
// A bound computed from the table's range, written without trailing zeros.
std::string typed(double v) {
  std::string out = std::to_string(v);
  if (out.find('.') != std::string::npos) {
    while (out.back() == '0') out.pop_back();
    if (out.back() == '.') out.pop_back();
  }
  return out;
}
// Reports with literal parameters.
void report_t(const char* key, std::initializer_list<std::string_view> params, int cls, int severity) {
  auto& msg = H().msg;
  const host::Msg c = msg.BP_BEGIN_COMPSTRING(msg.BP_CSTRING(key));
  for (std::string_view p : params) msg.BP_ADD_PARAMETER(c, text_param(p));
  msg.BP_ERROR(msg.BP_END_COMPSTRING(c), cls, severity);
}

class Parser {
 public:
  explicit Parser(Settings& s) : s_(s) {}
  bool run();
  bool period_hinted() const { return hinted_; }

 private:
  Token next() {
    t_ = H().tokens.SSNXT2();
    return t_;
  }
  // The next call of next() returns the current token again.
  void unread() { H().tokens.SSETPT(t_.position); }
  Token next_skip_equals() {
    next();
    if (t_.kind == TokenKind::Equals) next();
    return t_;
  }
  void skip_subcommand() {
    while (!ends(t_)) next();
  }
  // Numbers up to ')' (commas skipped); stops at ')' (consumed), '/' or the
  // end (left current). `bad` is set when another token interrupts the list.
  std::vector<double> values(bool& closed, bool& bad) {
    std::vector<double> v;
    typed_.clear();
    closed = bad = false;
    for (;;) {
      next();
      if (t_.kind == TokenKind::Number) {
        v.push_back(t_.value);
        typed_.push_back(shown(t_));
      } else if (t_.kind == TokenKind::Comma) {
        continue;
      } else if (t_.kind == TokenKind::RParen) {
        closed = true;
        return v;
      } else if (ends(t_)) {
        return v;
      } else {
        bad = true;
        return v;
      }
    }
  }
  bool table();
  bool table_all();
  void dimension();
  void normalization();
  void measure();
  void standardize();
  void print();
  void plot();
  void ndim();
  bool outfile();
  bool side_lists(bool equal);
  bool checks();
  int* side_array(bool row, bool equal);

  Settings& s_;
  Token t_;
  std::vector<std::string> typed_;  // the values of the last value list as typed
  bool hinted_ = false;             // the note on a missing period was given
  void hint(int position) { hinted_ = hinted_ || frame::period_hint(position); }
  bool seen_[11] = {};
};

int* Parser::side_array(bool row, bool equal) {
  int*& p = row ? (equal ? s_.eqrow : s_.suprow) : (equal ? s_.eqcol : s_.supcol);
  if (p != nullptr) return p;
  const int n = row ? s_.nrow : s_.ncol;
  p = s_.ws->get<int>(static_cast<std::size_t>(n));
  if (p == nullptr) {
    s_.ws->report_shortfall();
    return nullptr;
  }
  std::fill(p, p + n, 0);
  return p;
}

bool Parser::run() {
  next();
  while (t_.kind != TokenKind::End) {
    if (t_.kind == TokenKind::Slash) {
      next();
      continue;
    }
    const int sc = t_.kind == TokenKind::Name ? host::QABMCH(t_.text, kSubcommands) : 0;
    if (sc == 0) {
      report1("Invalid CP subcommand ^1.", text_param(shown(t_)), 2, 3);
      hint(t_.position);
      return false;
    }
    if (seen_[sc]) report1("Multiple CP subcommand ^1.", text_param(kSubcommandNames[sc - 1]), 2, 2);
    seen_[sc] = true;
    switch (sc) {
      case S_TABLE:
        if (!table()) return false;
        break;
      case S_DIMENSION:
        dimension();
        break;
      case S_NORMALIZATION:
        normalization();
        break;
      case S_PRINT:
        print();
        break;
      case S_PLOT:
        plot();
        break;
      case S_OUTFILE:
        if (!outfile()) return false;
        break;
      case S_EQUAL:
      case S_SUPPLEMENTARY: {
        const bool equal = sc == S_EQUAL;
        if (s_.table_mode == 0) {
          report(equal ? "Misplaced EQUAL subcommand." : "Misplaced SUPPLEMENTARY subcommand.", 3, 3);
          next();
          skip_subcommand();
          break;
        }
        if (!side_lists(equal)) return false;
        break;
      }
      case S_MEASURE:
        measure();
        break;
      case S_STANDARDIZE:
        standardize();
        break;
    }
    skip_subcommand();
  }
  return checks();
}

// rowvar (min, max) BY colvar (min, max), or ALL (nrow, ncol).
bool Parser::table() {
  next_skip_equals();
  if (t_.kind == TokenKind::Name && t_.text == "ALL" && H().dict.DICSCH("ALL") == 0) return table_all();
  if (t_.kind == TokenKind::Name && t_.text == "ALL") return table_all();
  s_.table_mode = 1;
  for (int side = 0; side < 2; ++side) {
    const bool row = side == 0;
    const int var = t_.kind == TokenKind::Name ? H().dict.DICSCH(t_.text) : 0;
    if (var == 0) {
      report_t(row ? "No row variable." : "No column variable.", {shown(t_)}, 3, 3);
      hint(t_.position);
      return false;
    }
    const std::string name = H().dict.DICGET(var).name;
    if (H().dict.DICGET(var).is_string()) {
      report1("String variable ^1 in TABLE.", text_param(name), 3, 3);
      return false;
    }
    (row ? s_.row_var : s_.col_var) = var;
    (row ? s_.row_name : s_.col_name) = name;
    // Names are compared with the upper-cased tokens of EQUAL and SUPPLEMENTARY.
    std::string upper = name;
    for (char& ch : upper) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
    (row ? s_.row_eqname : s_.col_eqname) = upper;
    next();
    if (t_.kind != TokenKind::LParen) {
      report_t("Missing left parenthesis.", {"TABLE: " + name + " needs its range, (min, max)", shown(t_)}, 3, 3);
      return false;
    }
    bool closed = false, bad = false;
    std::vector<double> v = values(closed, bad);
    if (bad || v.size() != 2 || !closed) {
      report_t("Invalid (min,max) for rows/columns.", {name}, 3, 3);
      return false;
    }
    for (int i = 0; i < 2; ++i)
      if (!host::QDINT(v[static_cast<std::size_t>(i)]))
        report_t("Invalid number of row/columns.", {typed_[static_cast<std::size_t>(i)]}, 2, 2);
    const double lo = std::trunc(std::clamp(v[0], -2147483647.0, 2147483647.0));
    const double hi = std::trunc(std::clamp(v[1], -2147483647.0, 2147483647.0));
    const double count = hi - lo + 1;
    (row ? s_.row_min : s_.col_min) = static_cast<int>(lo);
    (row ? s_.row_max : s_.col_max) = static_cast<int>(hi);
    if (count < 2) {
      report_t("Invalid range specified.", {name, typed_[0], typed_[1]}, 2, 3);
      return false;
    }
    // Counts beyond int32 cannot be held; they fail the workspace check.
    (row ? s_.nrow : s_.ncol) = static_cast<int>(std::min(count, 2147483647.0));
    if (row) {
      next();
      if (!(t_.kind == TokenKind::Name && t_.text == "BY")) {
        report_t("Missing BY keyword.", {shown(t_)}, 3, 3);
        return false;
      }
      next();
    }
  }
  next();
  return true;
}

bool Parser::table_all() {
  s_.table_mode = 2;
  s_.rowcat_var = H().dict.DICSCH("ROWCAT_");
  s_.nmatrix_vars = 0;
  for (int v = 1; v <= H().dict.size(); ++v)
    if (v != s_.rowcat_var && s_.matrix_vars != nullptr) s_.matrix_vars[s_.nmatrix_vars++] = v;
  next();
  if (t_.kind != TokenKind::LParen) {
    report_t("Missing left parenthesis.", {"TABLE = ALL", shown(t_)}, 3, 2);
    unread();
  }
  bool closed = false, bad = false;
  std::vector<double> v = values(closed, bad);
  if (bad || v.size() != 2) {
    std::string found;
    for (const std::string& x : typed_) found += (found.empty() ? "" : ", ") + x;
    report_t("Invalid (nrow,ncol) table is all.", {bad || found.empty() ? shown(t_) : found}, 3, 3);
    return false;
  }
  for (int i = 0; i < 2; ++i)
    if (!host::QDINT(v[static_cast<std::size_t>(i)]))
      report_t("Invalid number of row/columns.", {typed_[static_cast<std::size_t>(i)]}, 2, 2);
  s_.nrow = static_cast<int>(std::trunc(std::clamp(v[0], -1.0, 2147483647.0)));
  s_.ncol = static_cast<int>(std::trunc(std::clamp(v[1], -1.0, 2147483647.0)));
  const std::string all = "ALL (" + typed_[0] + ", " + typed_[1] + ")";
  if (s_.nrow < 1) {
    report_t("No row variable.", {all}, 3, 3);
    return false;
  }
  if (s_.ncol < 1) {
    report_t("No column variable.", {all}, 3, 3);
    return false;
  }
  if (!closed) report_t("Missing right parenthesis.", {"TABLE = ALL", shown(t_)}, 2, 2);
  s_.row_name = s_.row_eqname = "ROW";
  s_.col_name = s_.col_eqname = "COLUMN";
  if (closed) next();
  return true;
}

void Parser::dimension() {
  next_skip_equals();
  if (ends(t_)) {
    report("Incomplete DIMENSION subcommand.", 3, 2);
    return;
  }
  if (t_.kind == TokenKind::Number && host::QDINT(t_.value) && t_.value >= 1) {
    s_.ndim = static_cast<int>(t_.value);
  } else {
    report_t("Invalid number of dimensions.", {shown(t_)}, 2, 2);
    s_.ndim = 2;
  }
  next();
}

void Parser::normalization() {
  next_skip_equals();
  if (ends(t_)) {
    report("Incomplete NORMALIZATION subcommand.", 3, 2);
    return;
  }
  if (t_.kind == TokenKind::Number) {
    if (t_.value < -1 || t_.value > 1 || !std::isfinite(t_.value)) {
      report_t("Invalid normalization value.", {shown(t_)}, 3, 2);
    } else {
      s_.alpha = t_.value;
      s_.principal = false;
      s_.norm_key = "^1 normalization";
      s_.norm_text = t_.raw.empty() ? t_.text : t_.raw;
      s_.norm_short.clear();
    }
  } else {
    const int k = t_.kind == TokenKind::Name ? host::QABMCH(t_.text, kKeywords) : 0;
    // Each normalization keyword: alpha, the principal flag, its caption key
    // and the catalogue number of its short chart name.
    struct Norm {
      int keyword;
      double alpha;
      bool principal;
      const char* key;
      const char* short_name;
    };
    static const Norm kNorms[] = {
        {K_DEFAULT, 0, false, "Symmetrical normalization", "60206"},
        {K_SYMMETRI, 0, false, "Symmetrical normalization", "60206"},
        {K_RPRINCIP, 1, false, "Row Principal normalization", "60208"},
        {K_CPRINCIP, -1, false, "Column Principal normalization", "60209"},
        {K_PRINCIPA, 0, true, "Principal normalization", "60210"},
    };
    const Norm* norm = nullptr;
    for (const Norm& n : kNorms)
      if (n.keyword == k) norm = &n;
    if (norm == nullptr) {
      report_t("Invalid NORMALIZATION keyword.", {shown(t_)}, 3, 2);
    } else {
      s_.alpha = norm->alpha;
      s_.principal = norm->principal;
      s_.norm_key = norm->key;
      s_.norm_short = norm->short_name;
    }
  }
  for (next(); !ends(t_); next()) report_t("Normalization reassignment.", {shown(t_)}, 3, 2);
}

void Parser::measure() {
  next_skip_equals();
  if (ends(t_)) {
    report("Incomplete MEASURE subcommand.", 3, 2);
    return;
  }
  const int k = t_.kind == TokenKind::Name ? host::QABMCH(t_.text, kKeywords) : 0;
  if (k == K_CHISQ) {
    s_.measure = CHISQ;
  } else if (k == K_EUCLID) {
    s_.measure = EUCLID;
  } else {
    report_t("Invalid MEASURE keyword.", {shown(t_)}, 3, 2);
    s_.measure = CHISQ;
  }
  for (next(); !ends(t_); next()) report_t("MEASURE reassignment.", {shown(t_)}, 3, 2);
}

void Parser::standardize() {
  next_skip_equals();
  if (ends(t_)) {
    report("Incomplete STANDARDIZE subcommand.", 3, 2);
    return;
  }
  const int k = t_.kind == TokenKind::Name ? host::QABMCH(t_.text, kKeywords) : 0;
  switch (k) {
    case K_RMEAN: s_.standardize = RMEAN; break;
    case K_CMEAN: s_.standardize = CMEAN; break;
    case K_RCMEAN: s_.standardize = RCMEAN; break;
    case K_RSUM: s_.standardize = RSUM; break;
    case K_CSUM: s_.standardize = CSUM; break;
    default:
      report_t("Invalid STANDARDIZE keyword.", {shown(t_)}, 3, 2);
      s_.standardize = RCMEAN;
  }
  for (next(); !ends(t_); next()) report_t("STANDARDIZE reassignment.", {shown(t_)}, 3, 2);
}

void Parser::print() {
  bool first = true;
  for (next(); !ends(t_); next()) {
    if (t_.kind == TokenKind::Equals) continue;
    const int k = t_.kind == TokenKind::Name ? host::QABMCH(t_.text, kPrintKeywords) : 0;
    if (first && k != 0) std::fill(s_.print, s_.print + P_COUNT, false);
    first = false;
    switch (k) {
      case 1:  // DEFAULT
        s_.print[P_TABLE] = s_.print[P_RPOINTS] = s_.print[P_CPOINTS] = true;
        break;
      case 2:  // ALL
        std::fill(s_.print, s_.print + P_COUNT, true);
        break;
      case 3:  // NONE
        std::fill(s_.print, s_.print + P_COUNT, false);
        break;
      case 4: s_.print[P_TABLE] = true; break;
      case 5: s_.print[P_RPROFILE] = true; break;
      case 6: s_.print[P_CPROFILE] = true; break;
      case 7: s_.print[P_RPOINTS] = true; break;
      case 8: s_.print[P_CPOINTS] = true; break;
      case 9: s_.print[P_RCONFIDE] = true; break;
      case 10: s_.print[P_CCONFIDE] = true; break;
      case 11: {
        s_.print[P_PERMUTAT] = true;
        next();
        if (t_.kind != TokenKind::LParen) {
          unread();
          break;
        }
        next();
        if (t_.kind != TokenKind::Number) {
          report_t("Incorrect ndim on PERM keyword.", {shown(t_)}, 3, 2);
          s_.nperm = 1;
          if (t_.kind == TokenKind::RParen || ends(t_)) {
            unread();
          }
        } else {
          s_.nperm = static_cast<int>(std::clamp(std::trunc(t_.value), -1e9, 1e9));
          if (s_.nperm < 1) s_.nperm = 1;
        }
        next();
        if (t_.kind != TokenKind::RParen) {
          report_t("Missing right parenthesis.", {"PRINT PERMUTATION", shown(t_)}, 3, 2);
          unread();
        }
        break;
      }
      default:
        report_t("Invalid PRINT keyword.", {shown(t_)}, 3, 2);
        hint(t_.position);
    }
  }
}

void Parser::ndim() {
  s_.ndim_given = true;
  bool err = false;
  next();
  if (t_.kind != TokenKind::LParen) {
    report_t("Missing left parenthesis.", {"PLOT NDIM", shown(t_)}, 3, 2);
    unread();
  }
  next();
  if (t_.kind != TokenKind::Number) {
    report_t("Invalid NDIM1 value on PLOT subcommand.", {shown(t_)}, 3, 2);
    s_.plot_first = 1;
    s_.plot_last = 0;
    err = true;
    // Skip what remains of the bracket.
    while (!ends(t_) && t_.kind != TokenKind::RParen) next();
    if (ends(t_)) unread();
    return;
  }
  if (!host::QDINT(t_.value) || t_.value < 1) report_t("Invalid NDIM1 on PLOT subcommand.", {shown(t_)}, 3, 2);
  const std::string first_typed = shown(t_);
  s_.plot_first = t_.value < 1 ? 1 : static_cast<int>(std::min(std::trunc(t_.value), 1e9));
  next();
  if (t_.kind == TokenKind::Comma) next();
  int last = 0;
  if (t_.kind == TokenKind::Number) {
    if (!host::QDINT(t_.value) || t_.value < 1) report_t("Invalid NDIM2 on PLOT subcommand.", {shown(t_)}, 3, 2);
    last = t_.value < 2 ? 0 : static_cast<int>(std::min(std::trunc(t_.value), 1e9));
  } else if (t_.kind == TokenKind::Name && host::QABMCH(t_.text, kKeywords) == K_MAX) {
    last = 0;
  } else {
    report_t("Invalid NDIM2 value on PLOT subcommand.", {shown(t_)}, 3, 2);
    s_.plot_first = 1;
    last = 0;
    err = true;
    if (t_.kind == TokenKind::RParen || ends(t_)) unread();
  }
  if (!err && last != 0 && last < s_.plot_first) {
    report_t("NDIM1 greater than NDIM2.", {first_typed, shown(t_)}, 3, 3);
    s_.plot_first = 1;
    last = 0;
    err = true;
  }
  s_.plot_last = last;
  next();
  if (t_.kind != TokenKind::RParen) {
    if (!err) report_t("Missing right parenthesis.", {"PLOT NDIM", shown(t_)}, 3, 2);
    unread();
  }
}

void Parser::plot() {
  std::fill(s_.plot, s_.plot + G_COUNT, false);
  s_.plot_none = false;
  for (next(); !ends(t_); next()) {
    if (t_.kind == TokenKind::Equals) continue;
    const int k = t_.kind == TokenKind::Name ? host::QABMCH(t_.text, kKeywords) : 0;
    int which = -1;
    switch (k) {
      case K_TRROWS: which = G_TRROWS; break;
      case K_TRCOLUMN: which = G_TRCOLUMN; break;
      case K_RPOINTS: which = G_RPOINTS; break;
      case K_CPOINTS: which = G_CPOINTS; break;
      case K_BIPLOT:
      case K_DEFAULT: which = G_BIPLOT; break;
      case K_NONE:
        std::fill(s_.plot, s_.plot + G_COUNT, false);
        s_.plot_none = true;
        continue;
      case K_NDIM:
        ndim();
        continue;
      default:
        report_t("Invalid PLOT keyword.", {shown(t_)}, 3, 2);
        hint(t_.position);
        continue;
    }
    s_.plot[which] = true;
    next();
    if (t_.kind != TokenKind::LParen) {
      unread();
      continue;
    }
    next();
    if (t_.kind != TokenKind::Number) {
      report_t("Incorrect PLOT label size.", {shown(t_)}, 3, 2);
      if (t_.kind == TokenKind::RParen || ends(t_)) unread();
    } else if (t_.value < 0 || t_.value > 60) {
      report_t("Out of range plot label size.", {shown(t_)}, 2, 2);
      s_.label_len[which] = 60;
    } else {
      s_.label_len[which] = static_cast<int>(t_.value);
    }
    next();
    if (t_.kind != TokenKind::RParen) {
      report_t("Missing right parenthesis.", {"PLOT", shown(t_)}, 2, 2);
      unread();
    }
  }
  bool any = false;
  for (bool b : s_.plot) any = any || b;
  if (!any && !s_.plot_none) s_.plot[G_BIPLOT] = true;
}

bool Parser::outfile() {
  H().files.MTDINI();
  next_skip_equals();
  if (ends(t_)) {
    report("Incomplete OUTFILE subcommand.", 3, 3);
    return false;
  }
  for (; !ends(t_); next()) {
    if (t_.kind == TokenKind::Equals) continue;
    const int k = t_.kind == TokenKind::Name ? host::QABMCH(t_.text, kKeywords) : 0;
    if (k != K_SCORES && k != K_VARIANCE) {
      report_t("Invalid OUTFILE keyword.", {shown(t_)}, 3, 3);
      skip_subcommand();
      report("Incomplete OUTFILE subcommand.", 3, 3);
      return false;
    }
    const bool scores = k == K_SCORES;
    next();
    if (t_.kind != TokenKind::LParen) {
      report_t("Missing left parenthesis on OUTFILE.", {shown(t_)}, 3, 2);
      if (ends(t_)) {
        report("Incomplete OUTFILE subcommand.", 3, 3);
        return false;
      }
      unread();
    }
    std::string path;
    const int h = H().files.MTDFRO(path);
    if (h <= 0) {
      // MTDFRO consumed an asterisk (h < 0) but left any other token that is
      // no file specification unread: that one is skipped here, so that the
      // closing parenthesis is read next.
      if (h == 0) {
        next();
        if (t_.kind == TokenKind::RParen || ends(t_)) unread();
      }
      report_t("Incorrect file specification.", {h < 0 ? std::string("*") : shown(t_)}, 3, 2);
      if (scores) s_.out_scores = false; else s_.out_variance = false;
    } else {
      if (scores) {
        s_.out_scores = true;
        s_.scores_handle = h;
      } else {
        s_.out_variance = true;
        s_.variance_handle = h;
      }
      if (!path.empty())
        H().pivot.add_note(H().msg.BP_CSTRING("Files Saved"), H().msg.BP_CSTRING_NO_TRANSLATE(path),
                           H().msg.BP_CSTRING(scores ? "Score Matrix File" : "Variance Matrix File"));
      if (s_.scores_handle != 0 && s_.variance_handle != 0 &&
          (s_.scores_handle == s_.variance_handle ||
           H().files.QSAMEFILESPEC(s_.scores_handle, s_.variance_handle)))
        report("Same external file specification.", 2, 2);
    }
    next();
    if (t_.kind != TokenKind::RParen) {
      report_t("Missing right parenthesis.", {"OUTFILE", shown(t_)}, 3, 2);
      unread();
    }
  }
  return true;
}

// SUPPLEMENTARY and EQUAL: name (list) ... with names of rows or columns.
bool Parser::side_lists(bool equal) {
  next_skip_equals();
  while (!ends(t_)) {
    bool row = false, byvalue = false;
    if (t_.kind == TokenKind::Name && t_.text == "ROW") {
      row = true;
    } else if (t_.kind == TokenKind::Name && t_.text == "COLUMN") {
      row = false;
    } else if (t_.kind == TokenKind::Name && s_.table_mode == 1 && t_.text == s_.row_eqname) {
      row = byvalue = true;
    } else if (t_.kind == TokenKind::Name && s_.table_mode == 1 && t_.text == s_.col_eqname) {
      byvalue = true;
    } else {
      report_t(equal ? "Unknown variable on EQUAL subcommand." : "Unknown variable on SUPPLEMENTARY subcommand.",
               {shown(t_)}, 3, 3);
      hint(t_.position);
      skip_subcommand();
      return true;
    }
    const std::string side_name = shown(t_);
    int* flags = side_array(row, equal);
    if (flags == nullptr) return false;
    const int n = row ? s_.nrow : s_.ncol;
    const double shift = byvalue ? (row ? s_.row_min : s_.col_min) - 1.0 : 0.0;
    std::fill(flags, flags + n, 0);
    next();
    if (t_.kind != TokenKind::LParen) {
      report_t("Missing left parenthesis.", {equal ? "EQUAL" : "SUPPLEMENTARY", shown(t_)}, 3, 2);
      unread();
    }
    int count = 0;
    bool first_list = true;
    // One list for SUPPLEMENTARY; one or more for EQUAL.
    while (first_list || (equal && t_.kind == TokenKind::LParen)) {
      first_list = false;
      bool closed = false, bad = false;
      std::vector<double> v = values(closed, bad);
      if (v.empty()) {
        if (equal)
          report(row ? "No row numbers on EQUAL." : "No column numbers on EQUAL.", 3, 3);
        else
          report(row ? "No row numbers on SUPPLEMENTARY." : "No column numbers on SUPPLEMENTARY.", 3, 3);
      }
      if (bad)
        report_t(equal ? "Invalid value on EQUAL." : "Invalid value on SUPPLEMENTARY subcommand.", {shown(t_)}, 3, 3);
      int group = 0;
      count = 0;
      for (std::size_t e = 0; e < v.size(); ++e) {
        const std::string& value = typed_[e];
        if (!host::QDINT(v[e])) {
          report_t(equal ? "Invalid value on EQUAL." : "Invalid value on SUPPLEMENTARY subcommand.", {value}, 3, 3);
          continue;
        }
        const double num = v[e] - shift;
        if (num < 1 || num > n) {
          // The range the values of this name may take.
          const std::string lo = typed(1 + shift), hi = typed(n + shift);
          if (equal)
            report_t(row ? "Out of range row number on EQUAL." : "Out of range column number on EQUAL.",
                     {value, side_name, lo, hi}, 3, 3);
          else
            report_t(row ? "Out of range row number on SUPPLEMENTARY." : "Out of range column number on SUPPLEMENTARY.",
                     {value, side_name, lo, hi}, 3, 3);
          continue;
        }
        const int k = static_cast<int>(num) - 1;
        if (flags[k] != 0) {
          if (equal)
            report_t(row ? "Duplicate row number on EQUAL." : "Duplicate column number on EQUAL.", {value}, 3, 3);
          else
            report_t(row ? "Duplicate row number on SUPPLEMENTARY." : "Duplicate column number on SUPPLEMENTARY.",
                     {value}, 3, 3);
          continue;
        }
        if (equal) {
          if (group == 0) group = k + 1;
          flags[k] = group;
        } else {
          flags[k] = 1;
        }
        ++count;
      }
      if (bad) {
        while (!ends(t_) && t_.kind != TokenKind::RParen) next();
        if (ends(t_)) break;
      }
      if (!closed && !bad) break;  // the list ran into '/' or the end
      next();
    }
    if (!equal) (row ? s_.nsuprow : s_.nsupcol) = count;
  }
  return true;
}

bool Parser::checks() {
  Settings& s = s_;
  if (s.plot_first > s.ndim)
    report_t("Plot min spec higher ndim spec.", {std::to_string(s.plot_first), std::to_string(s.ndim)}, 2, 3);
  if (s.plot_last > s.ndim)
    report_t("Plot max spec higher ndim spec.", {std::to_string(s.plot_last), std::to_string(s.ndim)}, 2, 3);
  bool any = false;
  for (bool b : s.plot) any = any || b;
  if (!any && !s.plot_none) s.plot[G_BIPLOT] = true;
  if (s.table_mode == 0) {
    report("Missing TABLE subcommand.", 2, 3);
    return false;
  }
  if (s.principal && s.plot[G_BIPLOT]) {
    report("Biplot with principal normalization.", 2, 2);
    s.plot[G_BIPLOT] = false;
  }
  int nsup[2] = {0, 0}, meq[2] = {0, 0};
  for (int side = 0; side < 2; ++side) {
    const int n = side == 0 ? s.nrow : s.ncol;
    const int* sp = side == 0 ? s.suprow : s.supcol;
    const int* eq = side == 0 ? s.eqrow : s.eqcol;
    for (int i = 0; i < n; ++i) {
      if (sp && sp[i]) ++nsup[side];
      if (eq && eq[i] != 0 && eq[i] != i + 1) ++meq[side];
    }
    if (eq && n - nsup[side] - meq[side] < 2) {
      if (side == 0)
        report(nsup[0] == 0 ? "Too many rows are equalized." : "Too many rows eq. or suppl.", 2, 3);
      else
        report(nsup[1] == 0 ? "Too many cols are equalized." : "Too many cols eq. or suppl.", 2, 3);
    }
  }
  s.nsuprow = nsup[0];
  s.nsupcol = nsup[1];
  for (int side = 0; side < 2; ++side) {
    const int n = side == 0 ? s.nrow : s.ncol;
    const int* sp = side == 0 ? s.suprow : s.supcol;
    const int* eq = side == 0 ? s.eqrow : s.eqcol;
    if (!sp || !eq) continue;
    for (int i = 0; i < n; ++i)
      if (sp[i] && eq[i] != 0)
        report(side == 0 ? "SUPPLEMENTARY row equalized." : "SUPPLEMENTARY column equalized.", 2, 3);
  }
  if (s.nrow < 2) report("Table has less than two rows.", 2, s.ncol < 2 ? 2 : 3);
  if (s.ncol < 2) report("Table has less than two columns.", 2, 3);
  if (H().msg.error_flag()) return false;
  if (s.nrow - nsup[0] - meq[0] < 2) report("Table has less than two active rows.", 2, 3);
  if (s.ncol - nsup[1] - meq[1] < 2) report("Table has less than two active columns.", 2, 3);
  if (H().msg.error_flag()) return false;
  if (s.principal) {
    s.rpow = s.cpow = 1;
  } else {
    s.rpow = (1 + s.alpha) / 2;
    s.cpow = (1 - s.alpha) / 2;
  }
  const int mn = std::min(s.nrow, s.ncol);
  if (mn <= s.ndim) {
    s.ndim = mn - 1;
    report1("Too many dimensions ^1.", int_param(s.ndim), 2, 2);
  }
  if (s.nperm > s.ndim) {
    report_t("Nr of dim on PERM keyword greater than actual.", {std::to_string(s.nperm), std::to_string(s.ndim)}, 2,
             2);
    s.nperm = s.ndim;
  }
  if (s.nperm > 200) {
    s.nperm = 200;
    report1("Nr of permutation tables set to limit ^1.", int_param(200), 2, 2);
  }
  if (s.measure == CHISQ && s.standardize != RCMEAN) {
    report("Invalid STANDARDIZE for CHISQ.", 2, 2);
    s.standardize = RCMEAN;
  }
  return true;
}

}  // namespace

void parse_and_run(Settings& s) {
  Parser parser(s);
  const bool ok = parser.run();
  if (ok && !H().msg.error_flag()) {
    run_analysis(s);
    return;
  }
  // A command run into the next one for want of a period: say so once. The
  // search rereads the tokens, so they are skipped again afterwards.
  if (!parser.period_hinted()) frame::period_hint(frame::command_inside());
  H().tokens.skip_command();
}

host::KeywordTable subcommand_keywords() { return kSubcommands; }

// Exposed for the unit tests of the parser.
bool parse_only(Settings& s) {
  Parser parser(s);
  return parser.run();
}

}  // namespace oscat::corres
