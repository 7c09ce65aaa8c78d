// DIMENSION, CONFIGURATION, NORMALIZATION and ROTATION (CATPCA, MCORRESP).
#include <cmath>

#include "syntax/common.hpp"

namespace oscat::syntax::detail {

using host::H;

namespace {
const char* const kConf[] = {"INITIAL", "FIXED"};
const char* const kNorm[] = {"VPRINCIP", "OPRINCIP", "SYMMETRI", "INDEPEND"};
const char* const kRot[] = {"NOROTATE", "VARIMAX", "EQUAMAX", "QUARTIMA",
                            "OBLIMIN",  "PROMAX",  "KAISER"};
const char* const kKaiser[] = {"KAISER", "NOKAISER"};
}  // namespace

void parse_dimension(CommandSettings& s) {
  parse_positive_int(s.positions[sub::DIMENSION], "DIMENSION", "CPR Invalid value DIME.", "CPR Mult Val DIME.",
                     s.dim.p);
}

void parse_configuration(CommandSettings& s) {
  auto& cf = s.config;
  int pos = s.positions[sub::CONFIGURATION];
  if (pos == 0) return;
  if (pos < 0) {
    mult_subcommand("CONFIGURATION");
    return;
  }
  Cursor c;
  Token t = c.start(pos);
  int mode = 1;
  if (t.kind == TokenKind::Name) {
    int k = match(t, kConf);
    if (k == 0) {
      report1("CPR Invalid CONF keyword ^1.", shown(t));
      return;
    }
    mode = k;
    t = c.next();
  }
  if (ends(t)) {
    report("CPR No Kwd/file CONF.");
    cf.mode = 0;
    return;
  }
  if (t.kind != TokenKind::LParen) {
    missing_lpar("CONFIGURATION");
    return;
  }
  std::string path;
  int h = H().files.SFDFRI(path);
  if (h <= 0) {
    report1("CPR Config file error.", h < 0 ? std::string("*") : shown(c.peek()));
    return;
  }
  Token r = c.next();
  if (r.kind != TokenKind::RParen) {
    missing_rpar("CONFIGURATION");
    return;
  }
  cf.mode = mode;
  cf.file = h;
  cf.path = path;
  Token after = c.next();
  if (!ends(after)) {
    if (match(after, kConf) == 0) report1("CPR Invalid CONF keyword ^1.", shown(after));
    else report1("CPR Mult Kwd CONF.", shown(after));
  }
}

void CPR_ParseNorm(CommandSettings& s) {
  auto& n = s.norm;
  int pos = s.positions[sub::NORMALIZATION];
  if (pos == 0) return;
  if (pos < 0) {
    mult_subcommand("NORMALIZATION");
    return;
  }
  Cursor c;
  int count = 0;
  for (Token t = c.start(pos); !ends(t); t = c.next()) {
    ++count;
    if (count == 2) report1("CPR Mult Kwd NORM.", shown(t));
    if (count > 1) continue;
    int k = match(t, kNorm);
    if (k != 0) {
      static const double q[] = {-1, 1, 0, 2};
      n.keyword = k;
      if (k == 4) {
        n.q = 0;
        n.e_obj = n.e_var = 1;
      } else {
        n.q = q[k - 1];
        n.e_obj = (1 + n.q) / 2;
        n.e_var = (1 - n.q) / 2;
      }
    } else if (t.kind == TokenKind::Number && t.value >= -1 && t.value <= 1) {
      n.keyword = 0;
      n.q = t.value;
      n.e_obj = (1 + t.value) / 2;
      n.e_var = (1 - t.value) / 2;
    } else {
      report1("CPR Invalid NORM keyword ^1.", shown(t));
    }
  }
}

void parse_rotation(CommandSettings& s) {
  auto& r = s.rotation;
  int pos = s.positions[sub::ROTATION];
  if (pos == 0) return;
  if (pos < 0) {
    mult_subcommand("ROTATION");
    return;
  }
  static const int codes[] = {ROT_NONE, ROT_VARIMAX, ROT_EQUAMAX, ROT_QUARTIMAX, ROT_OBLIMIN,
                              ROT_PROMAX};
  Cursor c;
  Token t = c.start(pos);
  if (ends(t)) return;
  int k = match(t, kRot);
  if (k == 0 || k == 7) {
    if (k == 7 || match(t, kKaiser) != 0) {
      // A Kaiser keyword alone keeps the default method.
      r.kaiser = match(t, kKaiser) == 1;
      if (Token x = c.next(); !ends(x)) report1("CPR Invalid kwd or spec Rot", shown(x));
      return;
    }
    report1("CPR Inv Kwd ^1 on Rot", shown(t));
    return;
  }
  const std::string method_word = shown(t);
  int method = codes[k - 1];
  double param = method == ROT_PROMAX ? 4 : 0;
  bool had_param = false;
  t = c.next();
  if (method == ROT_NONE) {
    if (!ends(t)) report1("CPR Invalid kwd or spec Rot", shown(t));
    r.method = ROT_NONE;
    r.param = 0;
    return;
  }
  if (t.kind == TokenKind::LParen) {
    had_param = true;
    Token v = c.next();
    bool ok = true;
    if (method != ROT_OBLIMIN && method != ROT_PROMAX) {
      report1("CPR Invalid spec Rot", method_word);
      ok = false;
    } else if (v.kind != TokenKind::Number) {
      report1("CPR Invalid value Rot", shown(v));
      ok = false;
    } else if (method == ROT_OBLIMIN && v.value > 0.8) {
      report1("CPR Invalid val Rot Obli", shown(v));
      ok = false;
    } else if (method == ROT_PROMAX && v.value < 1) {
      report1("CPR Invalid val Rot Pro", shown(v));
      ok = false;
    } else {
      param = v.value;
    }
    Token rp = v.kind == TokenKind::RParen ? v : c.next();
    if (rp.kind != TokenKind::RParen) {
      if (ok) missing_rpar("ROTATION");
      c.skip_subcommand();
    }
    t = c.next();
  }
  if (!ends(t)) {
    int kk = match(t, kKaiser);
    if (kk == 0) {
      report1(had_param ? "CPR Mult Kwd Rot" : "CPR Invalid kwd or spec Rot", shown(t));
    } else {
      r.kaiser = kk == 1;
      if (Token x = c.next(); !ends(x)) report1("CPR Invalid kwd or spec Rot", shown(x));
    }
  }
  r.method = method;
  r.param = param;
  if (s.dim.p == 1) {
    warn("CPR rot kwd 1 dim");  // the rotation is dropped; the analysis goes on
    r.method = ROT_NONE;
    r.param = 0;
  }
}

}  // namespace oscat::syntax::detail
