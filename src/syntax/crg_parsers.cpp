// INITIAL, REGULARIZATION and penalty lists (CATREG), and RESAMPLE.
#include <cmath>

#include "syntax/common.hpp"

namespace oscat::syntax::detail {

using host::H;

namespace {
const char* const kInit[] = {"NUMERICA", "RANDOM", "MULTISTA", "FIXSIGNS"};
const char* const kAll[] = {"ALL"};
const char* const kRegu[] = {"NONE", "RIDGE", "LASSO", "ENET"};
const char* const kResample[] = {"NONE", "CROSSVAL", "BOOTSTRA"};
const char* const kBal[] = {"BALANCED", "UNBALANC"};
const char* const kRotMatch[] = {"PROCRU", "REFLECT"};
constexpr double kEps = 2.23e-16;

// A file specification inside parentheses (the "(" already read). Returns the
// handle (> 0), or 0 after a report. `bad_name` is the procedure's key.
int read_file(const CommandSettings& s, const char* bad_name) {
  std::string path;
  int h = H().files.SFDFRO(path);
  if (h == -1) {
    report("Outfile asterisk specification.");
    return 0;
  }
  if (h <= 0) {
    Cursor c;
    report1(bad_name, shown(c.peek()));
    return 0;
  }
  for (int f : named_files(s))
    if (H().files.QSAMEFILESPEC(f, h)) {
      report1("CRG filename used more than once.", path);
      return 0;
    }
  return h;
}
}  // namespace

void CRG_ParseInitial(CommandSettings& s) {
  auto& in = s.initial;
  int pos = s.positions[sub::INITIAL];
  if (pos == 0) return;
  if (pos < 0) {
    mult_subcommand("INITIAL");
    return;
  }
  Cursor c;
  Token t = c.start(pos);
  if (ends(t)) return;
  int k = match(t, kInit);
  if (k == 0) {
    report1("CRG Inv Kwd ^1 on INITIAL.", shown(t));
    return;
  }
  in.type = k - 1;
  const bool multi = k == 3;
  if (multi) in.threshold = 50.0;
  if (k >= 3 && s.vars.ordinal_predictors == 0) report("CRG nonappl keyword INI.");
  t = c.next();
  if (k <= 2) {
    if (!ends(t)) report1("CRG Mult Kwd or Nonappl spec INI.", shown(t));
    return;
  }
  if (ends(t)) {
    report(multi ? "CRG Missing spec INI MLT." : "CRG Missing spec INI FIX.");
    return;
  }
  auto no_lpar = [&] {
    if (multi) missing_lpar("INITIAL");
    else report("CRG No left par INI FIX.");
  };
  bool have_file = false, have_num = false, have_all = false;
  while (!ends(t)) {
    if (have_file && (!multi && have_num)) {
      report1("CRG Mult Kwd or Nonappl spec INI.", shown(t));
      return;
    }
    if (t.kind != TokenKind::LParen) {
      if (have_file) report1("CRG Mult Kwd or Nonappl spec INI.", shown(t));
      else no_lpar();
      return;
    }
    Token it = c.next();
    if (multi && it.kind == TokenKind::Number) {
      if (it.value < 0 || it.value > 100) report1("CRG Invalid val INI MLT.", shown(it));
      else in.threshold = it.value;
    } else if (multi && !have_all && match(it, kAll) == 1) {
      have_all = true;
      in.threshold = -1.0;
    } else if (!multi && it.kind == TokenKind::Number) {
      if (host::QDINT(it.value) && it.value >= 1) in.pattern = static_cast<int>(it.value);
      else report1("CRG Invalid val INI FIX.", shown(it));
      have_num = true;
    } else if (it.kind == TokenKind::RParen || ends(it)) {
      report1(multi ? "CRG Inv filename INI MLT." : "CRG Inv filename INI FIX.", shown(it));
      if (ends(it)) return;
      c.back();
    } else {
      c.back();
      if (have_file) {
        report1(multi ? "CRG Invalid val INI MLT." : "CRG Invalid val INI FIX.", shown(it));
        std::string ignored;
        H().files.SFDFRO(ignored);
      } else {
        int h = read_file(s, multi ? "CRG Inv filename INI MLT." : "CRG Inv filename INI FIX.");
        if (h > 0) {
          in.file = h;
          in.path = H().files.path(h);
        }
        have_file = true;
      }
    }
    Token rp = c.next();
    if (rp.kind != TokenKind::RParen) {
      missing_rpar("INITIAL");
      return;
    }
    t = c.next();
  }
  if (!have_file || (!multi && !have_num)) no_lpar();
}

void CRG_ParseRegularization(CommandSettings& s) {
  auto& r = s.regu;
  int pos = s.positions[sub::REGULARIZATION];
  if (pos == 0) return;
  if (pos < 0) {
    mult_subcommand("REGULARIZATION");
    return;
  }
  Cursor c;
  Token t = c.start(pos);
  if (ends(t)) return;
  int k = match(t, kRegu);
  if (k == 0) {
    report1("CRG Inv Kwd ^1 REGU.", shown(t));
    return;
  }
  r.method = RegMethod::None;
  r.first = r.second = PenaltyRange{};
  if (k == 1) {
    if (Token x = c.next(); !ends(x)) report1("CRG spec with NONE REGU.", shown(x));
    return;
  }
  const bool enet = k == 4;
  t = c.next();
  if (ends(t)) {
    report("CRG No file REGU.");
    return;
  }
  double triples[2][3] = {{0, 1.0, enet ? 0.1 : 0.02}, {0, 1.0, 0.02}};
  int ntrip = 0;
  bool have_file = false, invalid[2] = {false, false};
  auto bad_triple = [](const double* x) {
    double a = x[0], b = x[1], st = x[2];
    return (b < a && std::fabs(b - a) > kEps) || (b < st && std::fabs(b - st) > kEps) ||
           (std::fabs(b - a) <= kEps && std::fabs(st) > kEps) ||
           (std::fabs(b - a) > kEps && std::fabs(st) <= kEps);
  };
  while (!ends(t)) {
    if (t.kind != TokenKind::LParen) {
      if (t.kind == TokenKind::RParen || t.kind == TokenKind::Number) {
        missing_lpar("REGULARIZATION");
        return;
      }
      report1("CRG non applicable spec REGU.", shown(t));
      return;
    }
    Token it = c.next();
    if (it.kind == TokenKind::Number) {
      double x[3] = {0, 0, 0};
      int n = 0;
      bool value_error = false;
      std::string negative;  // the first negative value
      Token v = it;
      while (v.kind == TokenKind::Number || v.kind == TokenKind::Comma) {
        if (v.kind == TokenKind::Number) {
          if (n < 3) x[n] = v.value;
          if (v.value < 0 && !value_error) negative = shown(v);
          if (v.value < 0) value_error = true;
          ++n;
        }
        v = c.next();
      }
      if (v.kind != TokenKind::RParen) {
        missing_rpar("REGULARIZATION");
        return;
      }
      if (n != 3) {
        report("CRG not 3 par REGU.");
        report("CRG explain par REGU.");
      } else if (value_error) {
        report1("CRG Inv value REGU.", negative);
      } else if (ntrip >= (enet ? 2 : 1)) {
        report(enet ? "CRG Too many lists ENET." : "CRG Too many lists REGU.");
      } else {
        for (int i = 0; i < 3; ++i) triples[ntrip][i] = x[i];
        invalid[ntrip] = bad_triple(x);
        if (!enet && invalid[0]) {
          report("CRG Inv spec par REGU.");
          report("CRG explain par REGU.");
        }
        if (enet && ntrip == 1 && (invalid[0] || invalid[1])) {
          report(invalid[0] && invalid[1] ? "CRG Inv spec par EN12 REGU."
                 : invalid[0]             ? "CRG Inv spec par EN1 REGU."
                                          : "CRG Inv spec par EN2 REGU.");
          report("CRG explain par REGU.");
        }
        ++ntrip;
      }
    } else if (it.kind == TokenKind::RParen || ends(it)) {
      report1("CRG Inv filename REGU.", shown(it));
      if (ends(it)) return;
    } else {
      c.back();
      if (have_file) {
        report1("CRG Inv value REGU.", shown(it));
        std::string ignored;
        H().files.SFDFRO(ignored);
      } else {
        int h = read_file(s, "CRG Inv filename REGU.");
        if (h > 0) {
          r.file = h;
          r.path = H().files.path(h);
        }
        have_file = true;
      }
      if (c.next().kind != TokenKind::RParen) {
        missing_rpar("REGULARIZATION");
        return;
      }
    }
    t = c.next();
  }
  if (!have_file) report("CRG No file REGU.");
  if (enet && ntrip == 1) report("CRG 1 parlst ENET.");
  r.method = static_cast<RegMethod>(k - 1);
  r.first = {triples[0][0], triples[0][1], triples[0][2]};
  r.second = enet ? PenaltyRange{triples[1][0], triples[1][1], triples[1][2]} : PenaltyRange{};
}

bool CRG_ParsePenaltyList(Cursor& c, const PenaltyRange& range, std::vector<double>& out) {
  // The grid: start + k*step up to stop.
  const double start = range.start, stop = range.stop, step = range.step;
  std::vector<double> grid;
  if (step <= 0) {
    grid.push_back(start);
  } else {
    long n = static_cast<long>((stop - start) / step + 1e-9);
    if (n > 100000) n = 100000;  // a grid beyond this is no valid REGULARIZATION list
    for (long i = 0; i <= n; ++i) grid.push_back(start + static_cast<double>(i) * step);
  }
  std::vector<char> sel(grid.size(), 0);
  auto on_grid = [&](double v) -> int {
    for (std::size_t i = 0; i < grid.size(); ++i)
      if (std::fabs(grid[i] - v) <= kEps) return static_cast<int>(i);
    return -1;
  };
  bool all = false, numbers = false, ok = true;
  for (;;) {
    Token t = c.next();
    if (t.kind == TokenKind::RParen || ends(t)) {
      c.back();
      break;
    }
    if (t.kind == TokenKind::Comma) continue;
    if (match(t, kAll) == 1) {
      all = true;
      continue;
    }
    if (t.kind != TokenKind::Number) {
      report1("CRG Invalid penalty ^1.", shown(t));
      ok = false;
      continue;
    }
    numbers = true;
    if (t.value < 0) {
      report1("CRG Invalid value penalty.", shown(t));
      ok = false;
      continue;
    }
    int a = on_grid(t.value);
    if (a < 0) {
      report1("CRG Invalid penalty ^1.", shown(t));
      ok = false;
      continue;
    }
    Token nx = c.next();
    if (nx.kind == TokenKind::Name && nx.text == "THRU") {
      Token e = c.next();
      int b = e.kind == TokenKind::Number ? on_grid(e.value) : -1;
      if (e.kind != TokenKind::Number || b < 0) {
        report1("CRG Invalid penalty ^1.", shown(e));
        ok = false;
        if (e.kind == TokenKind::RParen || ends(e)) c.back();
        continue;
      }
      if (b < a) {
        report1("CRG Invalid penalty range.", shown(t) + " THRU " + shown(e));
        ok = false;
        continue;
      }
      for (int i = a; i <= b; ++i) sel[static_cast<std::size_t>(i)] = 1;
    } else {
      c.back();
      sel[static_cast<std::size_t>(a)] = 1;
    }
  }
  if (all && numbers) {
    report("CRG Spec and ALL.");
    ok = false;
  }
  out.clear();
  for (std::size_t i = 0; i < grid.size(); ++i)
    if (all || sel[i]) out.push_back(grid[i]);
  return ok;
}

void parse_resample(CommandSettings& s) {
  auto& r = s.resample;
  const bool pca = is_pca(s.kind);
  r = ResampleSettings{};
  int pos = s.positions[sub::RESAMPLE];
  if (pos == 0) return;
  if (pos < 0) {
    mult_subcommand("RESAMPLE");
    return;
  }
  Cursor c;
  Token t = c.start(pos);
  if (ends(t)) return;
  int k = match(t, kResample);
  if (k == 0) {
    report1(pca ? "CPR Inv Kwd ^1 on RESMPL" : "CRG Inv Kwd ^1 on RESMPL.", shown(t));
    return;
  }
  if (k == 1) {
    if (Token x = c.next(); !ends(x)) report1("ZYL invalid kwd or spec RESMPL", shown(x));
    return;
  }
  r.method = k - 1;
  r.count = k == 2 ? 10 : (pca ? 1000 : 50);
  t = c.next();
  if (ends(t)) return;
  if (t.kind != TokenKind::LParen) {
    missing_lpar("RESAMPLE");
    return;
  }
  bool bal = false, rot = false;
  int nvals = 0;
  for (;;) {
    Token it = c.next();
    if (it.kind == TokenKind::RParen) break;
    if (ends(it)) {
      report1(pca ? "CPR Inv val2 RESMPL or rpar missing" : "CRG Invalid value RESMPL.", shown(it));
      return;
    }
    if (it.kind == TokenKind::Comma) continue;
    if (pca && match(it, kBal) != 0) {
      if (bal) report1("CPR mult bal RESMPL", shown(it));
      bal = true;
      r.balanced = match(it, kBal) == 1;
      continue;
    }
    if (pca && match(it, kRotMatch) != 0) {
      if (rot) report1("CPR mult rot RESMPL", shown(it));
      rot = true;
      r.procrustes = match(it, kRotMatch) == 1;
      continue;
    }
    ++nvals;
    const bool num = it.kind == TokenKind::Number && host::QDINT(it.value);
    if (nvals == 1) {
      if (num && it.value >= 0) r.count = static_cast<int>(it.value);
      else report1(pca ? "CPR Invalid value1 RESMPL" : "CRG Invalid value RESMPL.", shown(it));
    } else if (nvals == 2) {
      if (!pca) report1("CRG too many val RESMPL", shown(it));
      else if (num && it.value >= 1 && it.value <= 100) r.level = static_cast<int>(it.value);
      else report1("CPR Invalid value2 RESMPL", shown(it));
    } else if (nvals == 3 && pca) {
      report1("CPR too many val RESMPL", shown(it));
    }
  }
  if (nvals == 0 && !bal && !rot) r.count = 1000;  // "()" alone
  if (r.count == 0) r.method = 0;
  if (Token x = c.next(); !ends(x)) report1("ZYL Mult Kwd RESMPL", shown(x));
}

}  // namespace oscat::syntax::detail
