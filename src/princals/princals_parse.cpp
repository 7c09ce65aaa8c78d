// PRINCALS command syntax and its numbered messages.
#include <algorithm>
#include <cmath>

#include "frame/messages.hpp"
#include "homals/shared.hpp"
#include "princals/princals.hpp"

namespace oscat::princals {
namespace {

using host::H;
using host::Token;
using host::TokenKind;
using older::number;

const char* const kSubcommands[] = {"VARIABLE", "DIMENSIO", "MAXITER", "CONVERGE", "PRINT", "PLOT",
                                    "MATRIX O", "NOBSERVA", "ANALYSIS", "SAVE"};
enum { S_VARIABLES = 1, S_DIMENSION, S_MAXITER, S_CONVERGE, S_PRINT, S_PLOT, S_MATRIX, S_NOBSERV, S_ANALYSIS,
       S_SAVE };
const int kRepeated[] = {0, 17740, 17742, 17743, 17744, 17745, 17746, 17747, 17748, 17749, 17741};
const char* const kKeywords[] = {"DEFAULT", "FREQUENC", "HISTORY", "EIGENVAL", "CORRELAT", "OBJECT",
                                 "QUANTIFI", "LOADINGS", "ALL",     "NONE",     "NDIM",     "MAX"};
enum { K_DEFAULT = 1, K_FREQ, K_HISTORY, K_EIGEN, K_CORREL, K_OBJECT, K_QUANT, K_LOADING, K_ALL, K_NONE, K_NDIM,
       K_MAX };
const char* const kLevels[] = {"MNOMINAL", "SNOMINAL", "ORDINAL", "NUMERICA"};

class Parser : older::TokenCursor {
 public:
  explicit Parser(Settings& s) : s_(s) {}
  bool run();

 private:
  int keyword() const { return match(kKeywords); }
  void fail(int n, std::vector<std::string> params = {}) {
    number(n, 2, frame::kError, std::move(params));
    ok_ = false;
  }
  bool variables();
  void analysis();
  void flags(bool* out, int count, bool plot);

  Settings& s_;
  bool seen_[11] = {};
  bool ok_ = true;
};

bool Parser::run() {
  next();
  for (int sc; (sc = next_subcommand(kSubcommands)) >= 0;) {
    if (sc == 0) {
      number(17709, 3, frame::kError, {shown()});
      return false;
    }
    if (seen_[sc]) number(kRepeated[sc], 2, frame::kWarning);
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
        if (!again) analysis();
        else next();
        break;
      case S_DIMENSION: s_.p = integer_setting(1, 17704, 2); break;
      case S_MAXITER: s_.maxiter = integer_setting(1, 17705, 100); break;
      case S_CONVERGE: s_.converge = positive_setting(17706, s_.converge); break;
      case S_NOBSERV: s_.nobserv = integer_setting(1, 17711, 0); break;
      case S_PRINT: flags(s_.print, kPrints, false); break;
      case S_PLOT: flags(s_.plot, kPlots, true); break;
      case S_MATRIX:
        if (const int h = matrix_file(18081, 17720)) s_.matrix_handle = h;
        else ok_ = false;
        break;
      case S_SAVE:
        s_.save = true;
        save_spec(s_.save_root, s_.save_dims, 17720,
                  [](const std::string& shown) { number(17709, 3, frame::kWarning, {shown}); });
        break;
    }
    skip_subcommand();
  }
  if (s_.vars.empty()) {
    fail(17707);
    return false;
  }
  if (s_.analysis.empty() && ok_)
    for (int j = 0; j < static_cast<int>(s_.vars.size()); ++j) s_.analysis.push_back(j);
  if (s_.save && s_.save_dims > s_.p) s_.save_dims = s_.p;
  return ok_;
}

bool Parser::variables() {
  bool bad_max = false;
  // A variable named again keeps its first maximum.
  const bool read = varlist_max({{17719, 2, frame::kError}, {17702, 2, frame::kError}, {}, 17720},
                                bad_max, [&](const std::vector<int>& list, int mx) {
                                  for (int v : list) {
                                    if (std::find(s_.vars.begin(), s_.vars.end(), v) != s_.vars.end()) continue;
                                    s_.vars.push_back(v);
                                    s_.max.push_back(mx);
                                    s_.level.push_back(ORDINAL);
                                  }
                                });
  if (bad_max) ok_ = false;
  return read;
}

// varlist(level) ...: each list is a stretch of the VARIABLES list.
void Parser::analysis() {
  next_skip_equals();
  unread();
  while (true) {
    std::vector<int> list;
    const int got = analysis_list(list, s_.vars, 17724);
    if (got == 0) break;
    if (got < 0) {
      ok_ = false;
      return;
    }
    int level = ORDINAL;
    if (t_.kind == TokenKind::LParen) {
      next();
      const int k = t_.kind == TokenKind::Name ? host::QABMCH(t_.text, kLevels) : 0;
      if (k == 0) {
        fail(17710, {shown()});
        if (t_.kind == TokenKind::RParen) unread();
      } else {
        level = k - 1;
      }
      close_paren(17720);
      next();
    } else if (!ends(t_) && t_.kind != TokenKind::Name) {
      fail(17722, {found()});
      skip_subcommand();
      return;
    }
    for (int v : list) {
      const int pos = static_cast<int>(std::find(s_.vars.begin(), s_.vars.end(), v) - s_.vars.begin());
      if (std::find(s_.analysis.begin(), s_.analysis.end(), pos) != s_.analysis.end()) {
        fail(17725, {H().dict.DICGET(v).name});
        continue;
      }
      s_.analysis.push_back(pos);
      s_.level[static_cast<std::size_t>(pos)] = level;
    }
    if (ends(t_)) break;
    unread();
  }
}

// PRINT and PLOT keyword lists. PLOT knows OBJECT, QUANTIFICATIONS and
// LOADINGS (and NDIM, whose range the charts take from DIMENSION here).
void Parser::flags(bool* out, int count, bool plot) {
  next_skip_equals();
  std::fill(out, out + count, false);
  bool any = false;
  for (; !ends(t_); next()) {
    any = true;
    const int k = keyword();
    int which = -1;
    switch (k) {
      case K_DEFAULT:
        if (plot) out[P_OBJECT] = out[P_LOADING] = true;
        else out[R_FREQ] = out[R_HISTORY] = out[R_EIGEN] = out[R_QUANT] = out[R_LOADING] = true;
        break;
      case K_FREQ: which = plot ? -2 : R_FREQ; break;
      case K_HISTORY: which = plot ? -2 : R_HISTORY; break;
      case K_EIGEN: which = plot ? -2 : R_EIGEN; break;
      case K_CORREL: which = plot ? -2 : R_CORREL; break;
      case K_OBJECT: which = plot ? static_cast<int>(P_OBJECT) : static_cast<int>(R_OBJECT); break;
      case K_QUANT: which = plot ? static_cast<int>(P_QUANT) : static_cast<int>(R_QUANT); break;
      case K_LOADING: which = plot ? static_cast<int>(P_LOADING) : static_cast<int>(R_LOADING); break;
      case K_ALL: std::fill(out, out + count, true); break;
      case K_NONE: std::fill(out, out + count, false); break;
      case K_NDIM:
        if (!plot) which = -2;
        else
          while (!ends(t_) && t_.kind != TokenKind::RParen) next();
        if (ends(t_)) unread();
        break;
      default: which = -2; break;
    }
    if (which >= 0) out[which] = true;
    if (which == -2) number(17709, 3, frame::kWarning, {shown()});
  }
  if (!any && !plot) out[R_FREQ] = out[R_HISTORY] = out[R_EIGEN] = out[R_QUANT] = out[R_LOADING] = true;
}

}  // namespace

host::KeywordTable subcommand_keywords() { return kSubcommands; }

bool parse(Settings& s) { return Parser(s).run(); }

}  // namespace oscat::princals
