// HOMALS command syntax: the subcommands, their numbered messages and the
// checks after the last subcommand.
#include <algorithm>
#include <cmath>

#include "frame/messages.hpp"
#include "homals/homals.hpp"
#include "homals/shared.hpp"

namespace oscat::homals {
namespace {

using host::H;
using host::Token;
using host::TokenKind;
using older::number;

const char* const kSubcommands[] = {"VARIABLE", "DIMENSIO", "MAXITERA", "CONVERGE", "PRINT",
                                    "PLOT",     "MATRIX",   "NOBSERVA", "ANALYSIS", "SAVE"};
enum { S_VARIABLES = 1, S_DIMENSION, S_MAXITER, S_CONVERGE, S_PRINT, S_PLOT, S_MATRIX, S_NOBSERV, S_ANALYSIS,
       S_SAVE };
// Numbered "repeated subcommand" warning of each subcommand.
const int kRepeated[] = {0, 17640, 17642, 17643, 17644, 17645, 17646, 17647, 17648, 17649, 17641};

const char* const kKeywords[] = {"DEFAULT", "FREQUENC", "HISTORY", "EIGENVAL", "DISCRIMI", "OBJECT",
                                 "QUANTIFI", "ALL",     "NONE",    "NDIM",     "MAXIMUM",  "OUT"};
enum { K_DEFAULT = 1, K_FREQ, K_HISTORY, K_EIGEN, K_DISCRIM, K_OBJECT, K_QUANT, K_ALL, K_NONE, K_NDIM, K_MAX,
       K_OUT };

// Label lengths of the plots.
constexpr int kMinLabel = 1, kMaxLabel = 20, kDefaultLabel = 12;

class Parser : older::TokenCursor {
 public:
  explicit Parser(Settings& s) : s_(s) {}
  bool run();

 private:
  int keyword() const { return match(kKeywords); }
  bool variables();
  bool analysis();
  void print();
  void plot();
  bool plot_list(int which, bool* flags);
  void ndim();
  void matrix();
  bool checks();
  std::vector<int> analysis_dict() const;

  Settings& s_;
  bool seen_[11] = {};
  bool fatal_ = false;
};

bool Parser::run() {
  next();
  for (int sc; (sc = next_subcommand(kSubcommands)) >= 0;) {
    if (sc == 0) {
      frame::report("HOM Invalid subcommand ^1.", {frame::text(t_.raw.empty() ? t_.text : t_.raw)}, 3, 3);
      return false;
    }
    if (seen_[sc]) number(kRepeated[sc], 2, 2);
    const bool again = seen_[sc];
    seen_[sc] = true;
    switch (sc) {
      case S_VARIABLES:
        if (again) {
          next();
          break;
        }
        if (!variables()) return false;
        break;
      case S_ANALYSIS:
        if (!analysis()) fatal_ = true;
        break;
      case S_DIMENSION:
        s_.p = integer_setting(1, 17604, 2);
        break;
      case S_MAXITER:
        s_.maxiter = integer_setting(2, 17605, 100);
        break;
      case S_CONVERGE:
        s_.converge = positive_setting(17606, 1e-5);
        break;
      case S_PRINT:
        print();
        break;
      case S_PLOT:
        plot();
        break;
      case S_MATRIX:
        matrix();
        break;
      case S_NOBSERV:
        s_.nobserv = integer_setting(1, 17611, 0);
        break;
      case S_SAVE:
        s_.save = true;
        save_spec(s_.save_root, s_.save_dims, 17620, [](const std::string& shown) {
          frame::report("HOM SAVE dimensions ^1 invalid.", {frame::text(shown)}, 2, 3);
        });
        break;
    }
    skip_subcommand();
  }
  return checks() && !fatal_;
}

// varlist(max) [varlist(max) ...]
bool Parser::variables() {
  bool bad_max = false;
  return varlist_max({{17619, 3, 3}, {17602, 3, 2}, {17621, 3, 2}, 17620}, bad_max,
                     [&](const std::vector<int>& list, int mx) { older::add_or_update(s_.vars, s_.max, list, mx); });
}

bool Parser::analysis() {
  next_skip_equals();
  unread();
  std::vector<int> list;
  std::string bad;
  const int rc = H().tokens.PRUVL2(list, s_.vars, bad);
  next();
  if (rc != 0 || !ends(t_) || list.size() > s_.vars.size()) {
    number(17650, 2, 3, {bad.empty() ? (t_.raw.empty() ? t_.text : t_.raw) : bad});
    return false;
  }
  s_.analysis.clear();
  for (int v : list) {
    const int pos = static_cast<int>(std::find(s_.vars.begin(), s_.vars.end(), v) - s_.vars.begin());
    if (std::find(s_.analysis.begin(), s_.analysis.end(), pos) == s_.analysis.end()) s_.analysis.push_back(pos);
  }
  return true;
}

void Parser::print() {
  next_skip_equals();
  std::fill(std::begin(s_.print), std::end(s_.print), false);
  bool any = false;
  for (; !ends(t_); next()) {
    const int k = keyword();
    any = true;
    switch (k) {
      case K_DEFAULT:
        s_.print[R_FREQ] = s_.print[R_EIGEN] = s_.print[R_DISCRIM] = s_.print[R_QUANT] = true;
        break;
      case K_FREQ: s_.print[R_FREQ] = true; break;
      case K_HISTORY: s_.print[R_HISTORY] = true; break;
      case K_EIGEN: s_.print[R_EIGEN] = true; break;
      case K_DISCRIM: s_.print[R_DISCRIM] = true; break;
      case K_OBJECT: s_.print[R_OBJECT] = true; break;
      case K_QUANT: s_.print[R_QUANT] = true; break;
      case K_ALL: std::fill(std::begin(s_.print), std::end(s_.print), true); break;
      case K_NONE: std::fill(std::begin(s_.print), std::end(s_.print), false); break;
      default:
        number(17609, 3, 2, {t_.raw.empty() ? t_.text : t_.raw});
        break;
    }
  }
  // PRINT with no keyword keeps the default tables.
  if (!any) s_.print[R_FREQ] = s_.print[R_EIGEN] = s_.print[R_DISCRIM] = s_.print[R_QUANT] = true;
}

// PLOT: plot keywords, each with an optional variable list (OBJECT and
// QUANTIFI) and an optional label length, NONE, ALL and NDIM(first, last). A
// subcommand that names no plot keeps OBJECT and QUANTIFI.
void Parser::plot() {
  next_skip_equals();
  bool named = false;
  bool flags[kPlots] = {};
  for (; !ends(t_); next()) {
    const int k = keyword();
    int which = -1;
    switch (k) {
      case K_DISCRIM: which = P_DISCRIM; break;
      case K_OBJECT: which = P_OBJECT; break;
      case K_QUANT: which = P_QUANT; break;
      case K_ALL:
        std::fill(std::begin(flags), std::end(flags), true);
        named = true;
        break;
      case K_NONE:
        std::fill(std::begin(flags), std::end(flags), false);
        named = true;
        break;
      case K_NDIM:
        ndim();
        break;
      default:
        number(17609, 3, 2, {t_.raw.empty() ? t_.text : t_.raw});
        break;
    }
    if (which < 0) continue;
    named = true;
    flags[which] = true;
    if (!plot_list(which, flags)) break;
  }
  if (named) std::copy(std::begin(flags), std::end(flags), std::begin(s_.plot));
  // ALL without lists: the labelled and selected plots need their lists.
  if (s_.object_by.empty()) s_.plot[P_OBJECT_BY] = false;
  if (s_.quant_sel.empty()) s_.plot[P_QUANT_SEL] = false;
}

// After a plot keyword: "(varlist)" for OBJECT and QUANTIFI, then "(n)", the
// label length. Returns false when the subcommand cannot be read further.
bool Parser::plot_list(int which, bool* flags) {
  next();
  if (t_.kind != TokenKind::LParen) {
    unread();
    return true;
  }
  next();
  if (t_.kind == TokenKind::Name && (which == P_OBJECT || which == P_QUANT)) {
    unread();
    std::vector<int> list;
    std::string bad;
    const bool object = which == P_OBJECT;
    std::vector<int> allowed = object ? s_.vars : analysis_dict();
    const int rc = H().tokens.PRUVL2(list, allowed, bad);
    next();
    if (rc != 0 || t_.kind != TokenKind::RParen) {
      number(object ? 17652 : 17653, 3, 2, {bad.empty() ? (t_.raw.empty() ? t_.text : t_.raw) : bad});
      skip_subcommand();
      unread();
      return false;
    }
    (object ? s_.object_by : s_.quant_sel) = list;
    const int sub = object ? P_OBJECT_BY : P_QUANT_SEL;
    flags[sub] = true;
    // The plain plot is replaced by the labelled or selected one.
    flags[which] = false;
    which = sub;
    next();
    if (t_.kind != TokenKind::LParen) {
      unread();
      return true;
    }
    next();
  }
  if (t_.kind != TokenKind::Number) {
    number(17630, 3, 2, {found()});
    if (t_.kind != TokenKind::RParen) {
      skip_subcommand();
      unread();
      return false;
    }
    return true;
  }
  if (!host::QDINT(t_.value) || t_.value < kMinLabel || t_.value > kMaxLabel) {
    number(17631, 2, 2, {found()});
    s_.label_len[which] = kDefaultLabel;
  } else {
    s_.label_len[which] = static_cast<int>(t_.value);
  }
  close_paren(17620);
  return true;
}

// NDIM(first, last); the last may be MAX (the number of dimensions).
void Parser::ndim() {
  next();
  if (t_.kind != TokenKind::LParen) {
    // A forgotten parenthesis before the numbers is assumed.
    number(17656, 3, 2, {found()});
    if (t_.kind != TokenKind::Number) {
      unread();
      return;
    }
  } else {
    next();
  }
  if (t_.kind != TokenKind::Number || !host::QDINT(t_.value) || t_.value < 1) {
    number(17657, 3, 2, {found()});
    while (!ends(t_) && t_.kind != TokenKind::RParen) next();
    if (ends(t_)) unread();
    return;
  }
  const int first = static_cast<int>(t_.value);
  next();
  if (t_.kind == TokenKind::Comma) next();
  int last = 0;
  if (t_.kind == TokenKind::Name && (t_.text == "MAX" || keyword() == K_MAX)) {
    last = 0x7fffffff;
  } else if (t_.kind == TokenKind::Number && host::QDINT(t_.value) && t_.value >= 1) {
    last = static_cast<int>(t_.value);
  } else {
    number(17660, 3, 2, {found()});
    while (!ends(t_) && t_.kind != TokenKind::RParen) next();
    if (ends(t_)) unread();
    return;
  }
  close_paren(17661);
  if (last <= first) {
    number(17658, 3, 2, {found()});
    return;
  }
  s_.ndim_first = first;
  s_.ndim_last = last;
  s_.ndim_given = true;
}

void Parser::matrix() {
  next_skip_equals();
  if (keyword() != K_OUT) {
    number(17651, 2, 3, {found()});
    fatal_ = true;
    return;
  }
  next();
  if (t_.kind != TokenKind::LParen) {
    number(17622, 3, 2, {found()});
    unread();
  }
  H().files.MTDINI();
  std::string path;
  const int h = H().files.MTDFRO(path);
  if (h <= 0) {
    // "*" (the working data file) is no file this procedure can write.
    number(17627, 3, 2, {path});
    if (h < 0) next();
    next();
    if (t_.kind != TokenKind::RParen) unread();
    return;
  }
  s_.matrix_handle = h;
  close_paren(17620);
}

std::vector<int> Parser::analysis_dict() const {
  if (s_.analysis.empty()) return s_.vars;
  std::vector<int> out;
  for (int pos : s_.analysis) out.push_back(s_.vars[static_cast<std::size_t>(pos)]);
  return out;
}

bool Parser::checks() {
  if (s_.vars.empty()) {
    number(17607, 2, 3);
    return false;
  }
  if (s_.analysis.empty())
    for (int j = 0; j < static_cast<int>(s_.vars.size()); ++j) s_.analysis.push_back(j);
  if (s_.save && s_.save_dims > s_.p) {
    number(17610, 2, 2, {std::to_string(s_.p)});
    s_.save_dims = s_.p;
  }
  return true;
}

}  // namespace

host::KeywordTable subcommand_keywords() { return kSubcommands; }

bool parse(Settings& s) { return Parser(s).run(); }

}  // namespace oscat::homals
