// ANACOR command syntax: subcommands, numbered messages and the checks made
// after the last subcommand.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "anacor/anacor.hpp"
#include "frame/messages.hpp"
#include "homals/shared.hpp"

namespace oscat::anacor {
namespace {

using host::H;
using host::TokenKind;
using older::number;

// NORMALIS is the procedure's own field; NORMALIZ lets the American spelling
// (NORMALIZATION) reach the same subcommand instead of ending the parse.
const char* const kSubcommands[] = {"TABLE", "DIMENSIO", "NORMALIS", "VARIANCE", "PRINT", "PLOT", "MATRIX O",
                                    "NORMALIZ"};
enum { S_TABLE = 1, S_DIMENSION, S_NORMALIZATION, S_VARIANCE, S_PRINT, S_PLOT, S_MATRIX, S_NORMALIZ };
const char* const kSubcommandNames[] = {"TABLE", "DIMENSION", "NORMALIZATION", "VARIANCE", "PRINT", "PLOT", "MATRIX"};

const char* const kNormKeywords[] = {"CANONICA", "DEFAULT", "RPRINCIP", "CPRINCIP", "PRINCIPA"};
const char* const kVarianceKeywords[] = {"SINGULAR", "ROW", "COLUMN", "DEFAULT"};
const char* const kPrintKeywords[] = {"TABLE", "PROFILE", "SCORES", "CONTRIBU", "PERMUTAT", "DEFAULT", "NONE"};
enum { K_TABLE = 1, K_PROFILE, K_SCORES, K_CONTRIBU, K_PERMUTAT, K_PDEFAULT, K_PNONE };
const char* const kPlotKeywords[] = {"TRROWS", "TRCOLUMN", "ROW", "COLUMN", "JOINT", "DEFAULT", "NONE", "NDIM"};
enum { K_TRROWS = 1, K_TRCOLUMN, K_ROW, K_COLUMN, K_JOINT, K_DEFAULT, K_NONE, K_NDIM };
const char* const kMatrixKeywords[] = {"SCORES", "VARIANCE"};

constexpr int kDefaultLabel = 12;

std::string number_text(double v) {
  char b[32];
  std::snprintf(b, sizeof b, "%.15g", v);
  return b;
}

std::string int_text(double v) {
  char b[32];
  std::snprintf(b, sizeof b, "%.0f", v);
  return b;
}

class Parser : older::TokenCursor {
 public:
  explicit Parser(Settings& s) : s_(s) {}
  bool run();

 private:
  bool table();
  bool table_all();
  bool range(const std::string& what, double& lo, double& hi);
  void close_paren(const char* subcommand);
  void dimension();
  void normalization();
  void variance();
  void print();
  void plot();
  void label_length(int which, const std::string& keyword);
  void ndim();
  void matrix();
  bool checks();

  Settings& s_;
  bool seen_[8] = {};
};

void Parser::close_paren(const char* subcommand) {
  next();
  if (t_.kind != TokenKind::RParen) {
    number(17920, 3, 2, {subcommand});
    unread();
  }
}

bool Parser::run() {
  next();
  for (;;) {
    int sc = next_subcommand(kSubcommands);
    if (sc < 0) break;
    if (sc == 0) {
      number(17903, 3, 3, {shown()});
      return false;
    }
    if (sc == S_NORMALIZ) sc = S_NORMALIZATION;
    if (seen_[sc]) number(17930 + sc, 2, 2, {kSubcommandNames[sc - 1]});
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
      case S_VARIANCE:
        variance();
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
    }
    skip_subcommand();
  }
  return checks();
}

// "(min, max)" after a variable, or "(rows, columns)" after ALL; the current
// token is the one before the parenthesis. False after a fatal error.
bool Parser::range(const std::string& what, double& lo, double& hi) {
  std::vector<double> v;
  for (next(); t_.kind == TokenKind::Number || t_.kind == TokenKind::Comma; next())
    if (t_.kind == TokenKind::Number) v.push_back(t_.value);
  if (v.size() != 2) {
    number(17919, 3, 3, {what});
    return false;
  }
  if (t_.kind != TokenKind::RParen) {
    number(17920, 2, 2, {"TABLE"});
    unread();
  }
  for (double& x : v) {
    if (!host::QDINT(x)) number(17902, 2, 2, {number_text(x)});
    x = std::trunc(std::clamp(x, -2147483647.0, 2147483647.0));
  }
  lo = v[0];
  hi = v[1];
  return true;
}

// rowvar (min, max) BY colvar (min, max), or ALL (rows, columns).
bool Parser::table() {
  corres::Settings& t = s_.table;
  next_skip_equals();
  if (t_.kind == TokenKind::Name && t_.text == "ALL") return table_all();
  t.table_mode = 1;
  for (int side = 0; side < 2; ++side) {
    const bool row = side == 0;
    const int var = t_.kind == TokenKind::Name ? H().dict.DICSCH(t_.text) : 0;
    if (var == 0 || H().dict.DICGET(var).is_string()) {
      number(row ? 17905 : 17906, 3, 3, {ends(t_) ? std::string("(nothing)") : shown()});
      return false;
    }
    (row ? t.row_var : t.col_var) = var;
    (row ? t.row_name : t.col_name) = H().dict.DICGET(var).name;
    next();
    if (t_.kind != TokenKind::LParen) {
      number(17919, 3, 3, {H().dict.DICGET(var).name});
      return false;
    }
    double lo = 0, hi = 0;
    if (!range(H().dict.DICGET(var).name, lo, hi)) return false;
    const double count = hi - lo + 1;
    if (count < 2) number(17918, 3, 2, {H().dict.DICGET(var).name, int_text(lo), int_text(hi)});
    (row ? t.row_min : t.col_min) = static_cast<int>(lo);
    (row ? t.row_max : t.col_max) = static_cast<int>(hi);
    // A count beyond int32 fails the workspace check.
    (row ? t.nrow : t.ncol) = static_cast<int>(std::clamp(count, -1.0, 2147483647.0));
    next();
    if (row) {
      if (!(t_.kind == TokenKind::Name && t_.text == "BY")) {
        number(17917, 3, 3, {ends(t_) ? std::string("(nothing)") : shown()});
        return false;
      }
      next();
    }
  }
  s_.table_given = true;
  return true;
}

bool Parser::table_all() {
  corres::Settings& t = s_.table;
  t.table_mode = 2;
  t.rowcat_var = H().dict.DICSCH("ROWCAT_");
  t.nmatrix_vars = 0;
  for (int v = 1; v <= H().dict.size(); ++v)
    if (v != t.rowcat_var) t.matrix_vars[t.nmatrix_vars++] = v;
  next();
  if (t_.kind != TokenKind::LParen) {
    number(17942, 3, 2);
    unread();
  }
  double rows = 0, cols = 0;
  if (!range("ALL", rows, cols)) return false;
  if (rows < 2 || cols < 2) number(17918, 3, 2, {"ALL", int_text(rows), int_text(cols)});
  t.nrow = static_cast<int>(std::clamp(rows, -1.0, 2147483647.0));
  t.ncol = static_cast<int>(std::clamp(cols, -1.0, 2147483647.0));
  t.row_name = "ROW";
  t.col_name = "COLUMN";
  next();
  s_.table_given = true;
  return true;
}

void Parser::dimension() {
  next_skip_equals();
  if (t_.kind == TokenKind::Number && host::QDINT(t_.value) && t_.value >= 1) {
    s_.table.ndim = static_cast<int>(t_.value);
    next();
    return;
  }
  number(17904, 2, 2, {ends(t_) ? std::string("(nothing)") : shown()});
  s_.table.ndim = 2;
}

void Parser::normalization() {
  corres::Settings& t = s_.table;
  next_skip_equals();
  if (ends(t_)) {
    number(17929, 3, 2);
    return;
  }
  if (t_.kind == TokenKind::Number) {
    if (std::isfinite(t_.value) && t_.value >= -2 && t_.value <= 2) {
      t.alpha = t_.value;
      t.principal = false;
    } else {
      number(17941, 3, 2, {shown()});
    }
  } else {
    switch (match(kNormKeywords)) {
      case 1:
      case 2:
        t.alpha = 0;
        t.principal = false;
        break;
      case 3:
        t.alpha = 1;
        t.principal = false;
        break;
      case 4:
        t.alpha = -1;
        t.principal = false;
        break;
      case 5:
        t.alpha = 0;
        t.principal = true;
        break;
      default:
        number(17928, 3, 2, {shown()});
    }
  }
  next();
  if (!ends(t_)) number(17930, 3, 2, {shown()});
}

void Parser::variance() {
  std::fill(s_.variance, s_.variance + kVariances, false);
  for (next(); !ends(t_); next()) {
    if (t_.kind == TokenKind::Equals) continue;
    const int k = match(kVarianceKeywords);
    if (k == 0) number(17915, 3, 2, {shown()});
    else if (k == 4) std::fill(s_.variance, s_.variance + kVariances, false);
    else s_.variance[k - 1] = true;
  }
}

void Parser::print() {
  bool first = true;
  for (next(); !ends(t_); next()) {
    if (t_.kind == TokenKind::Equals) continue;
    const int k = match(kPrintKeywords);
    if (first && k != 0) std::fill(s_.print, s_.print + kPrints, false);
    first = false;
    bool* p = s_.print;
    switch (k) {
      case K_TABLE: p[R_TABLE] = true; break;
      case K_PROFILE: p[R_RPROFILE] = p[R_CPROFILE] = true; break;
      case K_SCORES: p[R_RSCORES] = p[R_CSCORES] = true; break;
      case K_CONTRIBU: p[R_RCONTRIB] = p[R_CCONTRIB] = true; break;
      case K_PERMUTAT: p[R_PERMUTAT] = true; break;
      case K_PDEFAULT:
        p[R_TABLE] = p[R_RSCORES] = p[R_CSCORES] = p[R_RCONTRIB] = p[R_CCONTRIB] = true;
        break;
      case K_PNONE: std::fill(p, p + kPrints, false); break;
      default: number(17908, 3, 2, {shown()});
    }
  }
}

// "(n)" after a plot keyword: the label length of that plot (or of both
// point plots after DEFAULT).
void Parser::label_length(int which, const std::string& keyword) {
  next();
  if (t_.kind != TokenKind::LParen) {
    unread();
    return;
  }
  next();
  if (t_.kind != TokenKind::Number) {
    number(17938, 3, 2, {keyword, ends(t_) ? std::string("(nothing)") : shown()});
    if (t_.kind == TokenKind::RParen || ends(t_)) unread();
  } else if (!host::QDINT(t_.value) || t_.value < 1 || t_.value > 20) {
    number(17939, 2, 2, {keyword, shown()});
    if (which >= 0) s_.label_len[which] = kDefaultLabel;
  } else if (which >= 0) {
    s_.label_len[which] = static_cast<int>(t_.value);
  }
  close_paren("PLOT");
}

void Parser::plot() {
  std::fill(s_.plot, s_.plot + kPlots, false);
  bool none = false;
  for (next(); !ends(t_); next()) {
    if (t_.kind == TokenKind::Equals) continue;
    const std::string keyword = shown();
    int which = -1;
    switch (match(kPlotKeywords)) {
      case K_TRROWS: which = G_TRROWS; break;
      case K_TRCOLUMN: which = G_TRCOLUMN; break;
      case K_ROW: which = G_ROW; break;
      case K_COLUMN: which = G_COLUMN; break;
      case K_JOINT: which = G_JOINT; break;
      case K_DEFAULT:
        s_.plot[G_ROW] = s_.plot[G_COLUMN] = true;
        label_length(G_ROW, keyword);
        s_.label_len[G_COLUMN] = s_.label_len[G_ROW];
        continue;
      case K_NONE:
        std::fill(s_.plot, s_.plot + kPlots, false);
        none = true;
        label_length(-1, keyword);
        continue;
      case K_NDIM:
        ndim();
        continue;
      default:
        number(17909, 3, 2, {keyword});
        continue;
    }
    s_.plot[which] = true;
    label_length(which, keyword);
  }
  const bool any = std::any_of(s_.plot, s_.plot + kPlots, [](bool b) { return b; });
  if (!any && !none) s_.plot[G_ROW] = s_.plot[G_COLUMN] = true;
  s_.plot_none = !any && none;
}

// NDIM(first, last): first a number or ALL (dimension 1), last a number or MAX
// (the number of dimensions). A faulty pair leaves the default range.
void Parser::ndim() {
  s_.ndim_given = true;
  next();
  if (t_.kind != TokenKind::LParen) {
    number(17922, 3, 2, {"PLOT", "NDIM"});
    unread();
  }
  auto fail = [&](int n, std::vector<std::string> params) {
    number(n, 3, 2, std::move(params));
    s_.plot_first = 1;
    s_.plot_last = 0;
    s_.ndim_given = false;
    // The rest of the parenthesis goes with the faulty pair.
    while (!ends(t_) && t_.kind != TokenKind::RParen) next();
    if (ends(t_)) unread();
  };
  next();
  int first = 1;
  if (t_.kind == TokenKind::Number) {
    if (!host::QDINT(t_.value) || t_.value < 1) return fail(17947, {shown()});
    first = static_cast<int>(t_.value);
  } else if (!(t_.kind == TokenKind::Name && t_.text == "ALL")) {
    return fail(17944, {ends(t_) ? std::string("(nothing)") : shown()});
  }
  next();
  if (t_.kind == TokenKind::Comma) next();
  int last = 0;
  if (t_.kind == TokenKind::Number) {
    if (!host::QDINT(t_.value) || t_.value < 1) return fail(17948, {shown()});
    last = static_cast<int>(t_.value);
  } else if (!(t_.kind == TokenKind::Name && t_.text == "MAX")) {
    return fail(17943, {ends(t_) ? std::string("(nothing)") : shown()});
  }
  if (last != 0 && last <= first) return fail(17945, {std::to_string(first), std::to_string(last)});
  s_.plot_first = first;
  s_.plot_last = last;
  close_paren("PLOT");
}

// [OUT] [=] SCORES(file) and/or VARIANCE(file).
void Parser::matrix() {
  corres::Settings& t = s_.table;
  auto& files = H().files;
  t.out_scores = t.out_variance = false;
  t.scores_handle = t.variance_handle = 0;
  next_skip_equals();
  if (t_.kind == TokenKind::Name && t_.text == "OUT") next_skip_equals();
  files.MTDINI();
  for (; !ends(t_); next()) {
    if (t_.kind == TokenKind::Equals) continue;
    const int k = match(kMatrixKeywords);
    if (k == 0) {
      number(17924, 3, 2, {shown()});
      skip_subcommand();
      return;
    }
    const bool scores = k == 1;
    const char* name = scores ? "SCORES" : "VARIANCE";
    next();
    if (t_.kind != TokenKind::LParen) {
      number(17922, 3, 2, {"MATRIX", name});
      unread();
    }
    std::string path;
    const int h = files.MTDFRO(path);
    next();
    if (h <= 0) {
      // "*": the working data file cannot be replaced by a matrix file here.
      if (h < 0) number(17925, 3, 2, {name});
      else number(17949, 3, 2, {ends(t_) ? std::string("(nothing)") : shown(), name});
      (scores ? t.out_scores : t.out_variance) = false;
      (scores ? t.scores_handle : t.variance_handle) = 0;
      while (!ends(t_) && t_.kind != TokenKind::RParen) next();
      if (ends(t_)) unread();
      continue;
    }
    (scores ? t.out_scores : t.out_variance) = true;
    (scores ? t.scores_handle : t.variance_handle) = h;
    if (t_.kind != TokenKind::RParen) {
      number(17920, 3, 2, {"MATRIX"});
      unread();
    }
  }
  // One file cannot hold both: the variance records would replace the scores.
  if (t.out_scores && t.out_variance &&
      (t.scores_handle == t.variance_handle || files.QSAMEFILESPEC(t.scores_handle, t.variance_handle))) {
    number(17927, 2, 2, {files.path(t.variance_handle)});
    t.out_variance = false;
    t.variance_handle = 0;
  }
}

bool Parser::checks() {
  corres::Settings& t = s_.table;
  if (!s_.table_given) {
    number(17907, 2, 3);
    return false;
  }
  if (t.principal && s_.plot[G_JOINT]) {
    number(17914, 2, 2);
    s_.plot[G_JOINT] = false;
  }
  if (t.principal) {
    t.rpow = t.cpow = 1;
  } else {
    t.rpow = (1 + t.alpha) / 2;
    t.cpow = (1 - t.alpha) / 2;
  }
  if (t.nrow < 2) frame::report("The input matrix should contain at least two rows.", frame::kError);
  if (t.ncol < 2) frame::report("The input matrix should contain at least two columns.", frame::kError);
  if (H().msg.error_flag()) return false;
  const int mn = std::min(t.nrow, t.ncol);
  if (mn <= t.ndim) {
    number(17912, 2, 2, {std::to_string(t.ndim), std::to_string(mn - 1)});
    t.ndim = mn - 1;
  }
  return true;
}

}  // namespace

bool parse(Settings& s) {
  Parser p(s);
  return p.run();
}

host::KeywordTable subcommand_keywords() { return kSubcommands; }

}  // namespace oscat::anacor
