// OVERALS command syntax: the subcommands, their numbered messages and the
// checks at the end of the command.
#include <algorithm>
#include <cmath>

#include "frame/messages.hpp"
#include "homals/shared.hpp"
#include "overals/overals.hpp"

namespace oscat::overals {
namespace {

using host::H;
using host::Token;
using host::TokenKind;
using older::number;

const char* const kSubcommands[] = {"VARIABLE", "DIMENSIO", "MAXITERA", "CONVERGE", "PRINT", "PLOT",
                                    "MATRIX O", "NOBSERVA", "ANALYSIS", "SAVE",     "INITIAL", "SETS"};
enum { S_VARIABLES = 1, S_DIMENSION, S_MAXITER, S_CONVERGE, S_PRINT, S_PLOT, S_MATRIX, S_NOBSERV, S_ANALYSIS,
       S_SAVE, S_INITIAL, S_SETS };
// The numbered "given twice" message of each subcommand (0: the keyed one).
const int kRepeated[] = {0, 0, 18042, 18043, 18044, 18045, 18046, 18047, 18048, 18049, 18041, 0, 18061};

const char* const kKeywords[] = {"DEFAULT",  "FREQUENC", "HISTORY",  "EIGENVAL", "CORRELAT", "OBJECT",
                                 "QUANTIFI", "COORDINA", "LOADINGS", "MNOMINAL", "SNOMINAL", "ORDINAL",
                                 "NUMERICA", "RANDOM",   "PART",     "NONE",     "WEIGHT",   "FIT",
                                 "CENTROID", "TRANS",    "NDIMENSI", "ALL",      "MAX"};
enum { K_DEFAULT = 1, K_FREQ, K_HISTORY, K_EIGEN, K_CORREL, K_OBJECT, K_QUANT, K_COORD, K_LOADING, K_MNOM,
       K_SNOM, K_ORDI, K_NUME, K_RANDOM, K_PART, K_NONE, K_WEIGHT, K_FIT, K_CENTROID, K_TRANS, K_NDIM, K_ALL,
       K_MAX };

constexpr int kError = frame::kError, kWarning = frame::kWarning;

class Parser : older::TokenCursor {
 public:
  explicit Parser(Settings& s) : s_(s) {}
  bool run();

 private:
  int keyword() const { return match(kKeywords); }
  void fail(int n, std::vector<std::string> params = {}) {
    number(n, 2, kError, std::move(params));
    ok_ = false;
  }
  bool variables();
  void analysis();
  void sets();
  void print();
  void plot();
  void initial();
  bool checks();

  Settings& s_;
  bool seen_[13] = {};
  bool ok_ = true;
  bool plots_given_ = false;
  bool analysis_failed_ = false;  // its message was given; SETS is not checked against it
};

bool Parser::run() {
  next();
  for (int sc; (sc = next_subcommand(kSubcommands)) >= 0;) {
    if (sc == 0) {
      frame::report("OVR Invalid subcommand ^1.", {frame::text(shown())}, kError, 3);
      return false;
    }
    if (seen_[sc]) {
      if (kRepeated[sc] != 0) number(kRepeated[sc], 2, kWarning);
      else frame::report("OVR Repeated subcommand ^1.", {frame::text(kSubcommands[sc - 1])}, kWarning);
    }
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
      case S_ANALYSIS: {
        const bool before = ok_;
        ok_ = true;
        analysis();
        analysis_failed_ = !ok_;
        ok_ = ok_ && before;
        break;
      }
      case S_SETS: sets(); break;
      case S_DIMENSION: s_.p = integer_setting(1, 18004, 2); break;
      case S_MAXITER: s_.maxiter = integer_setting(2, 18005, 100); break;
      case S_CONVERGE: s_.converge = positive_setting(18006, 1e-5); break;
      case S_NOBSERV: s_.nobserv = integer_setting(1, 18011, 0); break;
      case S_PRINT: print(); break;
      case S_PLOT: plot(); break;
      case S_MATRIX:
        if (const int h = matrix_file(18081, 18020)) s_.matrix_handle = h;
        else ok_ = false;
        break;
      case S_SAVE:
        s_.save = true;
        save_spec(s_.save_root, s_.save_dims, 18020, [](const std::string& shown) {
          frame::report("OVR Invalid keyword ^1.", {frame::text(shown)}, kWarning, 3);
        });
        break;
      case S_INITIAL: initial(); break;
    }
    skip_subcommand();
  }
  return checks() && ok_;
}

// varlist(max) [varlist(max) ...]
bool Parser::variables() {
  bool bad_max = false;
  const bool read = varlist_max({{18019, 2, kError}, {18002, 2, kError}, {}, 18020}, bad_max,
                                [&](const std::vector<int>& list, int mx) { older::add_or_update(s_.vars, s_.max, list, mx); });
  if (bad_max) ok_ = false;
  return read;
}

// varlist(level) [varlist(level) ...], variables of VARIABLES only.
void Parser::analysis() {
  s_.analysis.clear();
  s_.level.clear();
  next_skip_equals();
  unread();
  while (true) {
    std::vector<int> list;
    const int got = analysis_list(list, s_.vars, 18058);
    if (got == 0) break;
    if (got < 0) {
      ok_ = false;
      return;
    }
    int level = ORDINAL;
    if (t_.kind != TokenKind::LParen) {
      fail(18025, {found()});
      skip_subcommand();
      return;
    }
    next();
    switch (keyword()) {
      case K_SNOM: level = SNOMINAL; break;
      case K_ORDI: level = ORDINAL; break;
      case K_NUME: level = NUMERICAL; break;
      case K_MNOM: level = MNOMINAL; break;
      default:
        number(18034, 3, kWarning, {shown()});
        if (t_.kind == TokenKind::RParen) unread();
        break;
    }
    close_paren(18020);
    for (int v : list) {
      if (std::find(s_.analysis.begin(), s_.analysis.end(), v) != s_.analysis.end()) {
        fail(18059, {H().dict.DICGET(v).name});
        continue;
      }
      s_.analysis.push_back(v);
      s_.level.push_back(level);
    }
    next();
    if (ends(t_)) break;
    unread();
  }
}

// K (n_1 ... n_K)
void Parser::sets() {
  // Each message names what was found, or the counts that disagree.
  auto bad = [&](int n, std::vector<std::string> params = {}) {
    fail(n, std::move(params));
    fail(18038);
    s_.set_sizes.clear();
    skip_subcommand();
  };
  next_skip_equals();
  if (analysis_failed_) {
    skip_subcommand();
    return;
  }
  if (!seen_[S_ANALYSIS]) return bad(18080);
  if (t_.kind != TokenKind::Number || !host::QDINT(t_.value) || t_.value < 1) return bad(18062, {found()});
  const int K = static_cast<int>(t_.value);
  if (K > static_cast<int>(s_.analysis.size())) return bad(18063, {std::to_string(K), std::to_string(s_.analysis.size())});
  next();
  if (t_.kind != TokenKind::LParen) return bad(18027, {found()});
  std::vector<int> sizes;
  for (next(); t_.kind != TokenKind::RParen; next()) {
    if (ends(t_)) return bad(18027, {found()});
    if (t_.kind == TokenKind::Comma) continue;
    if (t_.kind != TokenKind::Number || !host::QDINT(t_.value) || t_.value < 1) return bad(18037, {found()});
    sizes.push_back(static_cast<int>(t_.value));
  }
  next();
  if (static_cast<int>(sizes.size()) != K) return bad(18064, {std::to_string(sizes.size()), std::to_string(K)});
  long sum = 0;
  for (int v : sizes) sum += v;
  if (sum != static_cast<long>(s_.analysis.size())) return bad(18065, {std::to_string(sum), std::to_string(s_.analysis.size())});
  s_.set_sizes = sizes;
}

void Parser::print() {
  next_skip_equals();
  std::fill(std::begin(s_.print), std::end(s_.print), false);
  auto defaults = [&] {
    s_.print[R_FREQ] = s_.print[R_HISTORY] = s_.print[R_WEIGHT] = s_.print[R_LOADING] = true;
  };
  bool any = false;
  for (; !ends(t_); next()) {
    any = true;
    switch (keyword()) {
      case K_DEFAULT: defaults(); break;
      case K_FREQ: s_.print[R_FREQ] = true; break;
      case K_HISTORY: s_.print[R_HISTORY] = true; break;
      case K_WEIGHT: s_.print[R_WEIGHT] = true; break;
      case K_LOADING: s_.print[R_LOADING] = true; break;
      case K_QUANT: s_.print[R_QUANT] = true; break;
      case K_CENTROID: s_.print[R_CENTROID] = true; break;
      case K_OBJECT: s_.print[R_OBJECT] = true; break;
      case K_ALL: std::fill(std::begin(s_.print), std::end(s_.print), true); break;
      case K_NONE: std::fill(std::begin(s_.print), std::end(s_.print), false); break;
      default: frame::report("OVR Invalid keyword ^1.", {frame::text(shown())}, kWarning, 3); break;
    }
  }
  if (!any) defaults();
}

// PLOT: OBJECT, QUANTIFICATIONS, LOADINGS, CENTROIDS, ALL, NONE, DEFAULT and
// NDIMENSIONS(first, last), the last may be MAX.
void Parser::plot() {
  next_skip_equals();
  if (!seen_[S_ANALYSIS]) {
    fail(18082);
    skip_subcommand();
    return;
  }
  plots_given_ = true;
  bool flags[kPlots] = {};
  bool named = false;
  for (; !ends(t_); next()) {
    const int k = keyword();
    switch (k) {
      case K_DEFAULT: flags[P_OBJECT] = flags[P_LOADING] = named = true; break;
      case K_OBJECT: flags[P_OBJECT] = named = true; break;
      case K_QUANT: flags[P_QUANT] = named = true; break;
      case K_LOADING: flags[P_LOADING] = named = true; break;
      case K_CENTROID: flags[P_CENTROID] = named = true; break;
      case K_TRANS: {
        // TRANS(varlist): transformation plots of those analysis variables.
        flags[P_TRANS] = named = true;
        next();
        if (t_.kind != TokenKind::LParen) {
          s_.trans_vars.clear();
          unread();
          break;
        }
        std::vector<int> list;
        std::string bad;
        const int rc = H().tokens.PRUVL2(list, s_.analysis, bad);
        next();
        if (rc != 0) {
          frame::report("OVR TRANS var ^1 not analysed.", {frame::text(bad.empty() ? shown() : bad)}, kWarning, 3);
          while (!ends(t_) && t_.kind != TokenKind::RParen) next();
          if (ends(t_)) unread();
          break;
        }
        for (int v : list)
          if (std::find(s_.trans_vars.begin(), s_.trans_vars.end(), v) == s_.trans_vars.end()) s_.trans_vars.push_back(v);
        if (t_.kind != TokenKind::RParen) {
          number(18020, 3, kWarning, {found()});
          unread();
        }
        break;
      }
      case K_ALL:
        std::fill(std::begin(flags), std::end(flags), true);
        named = true;
        break;
      case K_NONE:
        std::fill(std::begin(flags), std::end(flags), false);
        named = true;
        break;
      case K_NDIM: {
        next();
        std::vector<double> v;
        bool max_last = false, closed = false;
        if (t_.kind == TokenKind::LParen) {
          for (next(); !ends(t_); next()) {
            if (t_.kind == TokenKind::RParen) {
              closed = true;
              break;
            }
            if (t_.kind == TokenKind::Comma) continue;
            if (t_.kind == TokenKind::Number) v.push_back(t_.value);
            else if (keyword() == K_MAX) max_last = true, v.push_back(0x7fffffff);
            else break;
          }
        }
        if (!closed || v.size() != 2 || !host::QDINT(v[0]) || v[0] < 1 || (!max_last && (!host::QDINT(v[1]) || v[1] <= v[0]))) {
          frame::report("OVR Invalid NDIM.", kWarning, 3);
          if (ends(t_)) unread();
          break;
        }
        s_.ndim_first = static_cast<int>(v[0]);
        s_.ndim_last = static_cast<int>(v[1]);
        break;
      }
      default: frame::report("OVR Invalid keyword ^1.", {frame::text(shown())}, kWarning, 3); break;
    }
  }
  if (named) std::copy(std::begin(flags), std::end(flags), std::begin(s_.plot));
}

void Parser::initial() {
  next_skip_equals();
  const int k = keyword();
  if (k == K_RANDOM) s_.random_start = true;
  else if (k == K_NUME) s_.random_start = false;
  else frame::report("OVR Invalid keyword ^1.", {frame::text(shown())}, kWarning, 3);
  next();
}

bool Parser::checks() {
  if (s_.vars.empty()) {
    fail(18001);
    return false;
  }
  if (!seen_[S_ANALYSIS] || s_.analysis.empty()) {
    if (!analysis_failed_) fail(18079);
    return false;
  }
  if (s_.set_sizes.empty()) {
    if (!seen_[S_SETS]) fail(18039);
    return false;
  }
  bool any = false;
  for (bool b : s_.plot) any = any || b;
  if (s_.p == 1 && any) {
    if (plots_given_) number(18084, 2, kWarning);
    std::fill(std::begin(s_.plot), std::end(s_.plot), false);
  }
  if (any && s_.ndim_last != 0x7fffffff && s_.ndim_last > s_.p && s_.p > 1) {
    number(18076, 2, kWarning, {std::to_string(s_.p)});
    s_.ndim_last = s_.p;
  }
  if (s_.ndim_last == 0x7fffffff) s_.ndim_last = s_.p;
  if (s_.ndim_first >= s_.ndim_last) {
    s_.ndim_first = 1;
    s_.ndim_last = std::min(2, s_.p);
  }
  if (s_.save && s_.save_dims > s_.p) {
    number(18015, 2, kWarning, {std::to_string(s_.p)});
    s_.save_dims = s_.p;
  }
  return true;
}

}  // namespace

host::KeywordTable subcommand_keywords() { return kSubcommands; }

bool parse(Settings& s) { return Parser(s).run(); }

}  // namespace oscat::overals
