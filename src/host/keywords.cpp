#include <cctype>
#include <cmath>
#include <cstring>

#include "host/host.hpp"

namespace oscat::host {

// A keyword field is 8 characters, blank padded; a blank field never matches.
// Matching, in order of preference:
//  1. the word's first eight characters equal the field ("VARIABLES" matches
//     "VARIABLE", "PRINT" matches "PRINT   ");
//  2. a shorter word matches the field it begins, up to a blank of the field
//     ("MATRIX" matches "MATRIX O");
//  3. a field shorter than eight characters that the word begins with
//     ("DISCRIM" matches "DISCRI"), the longest such field.
// Exact matches win so that a short field ("R") never captures a longer
// keyword of the same table ("REGU").
namespace {
struct Field {
  char c[8];
  int used;  // characters before the trailing blanks
};

Field make_field(const char* f) {
  Field out{};
  std::size_t fl = f ? std::strlen(f) : 0;
  for (std::size_t i = 0; i < 8; ++i) out.c[i] = i < fl ? f[i] : ' ';
  out.used = 8;
  while (out.used > 0 && out.c[out.used - 1] == ' ') --out.used;
  return out;
}
}  // namespace

int QABMCH(std::string_view word, KeywordTable table) {
  std::size_t wl = word.size() < 8 ? word.size() : 8;
  if (wl == 0) return 0;
  char w[8];
  for (std::size_t i = 0; i < wl; ++i) w[i] = static_cast<char>(std::toupper(static_cast<unsigned char>(word[i])));
  bool blank_word = true;
  for (std::size_t i = 0; i < wl; ++i) blank_word = blank_word && w[i] == ' ';
  if (blank_word) return 0;

  int begun = 0, prefix = 0, prefix_len = 0;
  for (std::size_t k = 0; k < table.size(); ++k) {
    if (table[k] == nullptr) continue;
    Field f = make_field(table[k]);
    if (f.used == 0) continue;
    std::size_t common = wl < static_cast<std::size_t>(f.used) ? wl : static_cast<std::size_t>(f.used);
    bool agree = true;
    for (std::size_t i = 0; i < common && agree; ++i) agree = f.c[i] == w[i];
    if (!agree) continue;
    if (wl == static_cast<std::size_t>(f.used) || (wl == 8 && f.used == 8)) return static_cast<int>(k) + 1;
    if (wl < static_cast<std::size_t>(f.used)) {
      if (begun == 0 && f.c[wl] == ' ') begun = static_cast<int>(k) + 1;
    } else if (f.used > prefix_len) {
      prefix = static_cast<int>(k) + 1;
      prefix_len = f.used;
    }
  }
  return begun != 0 ? begun : prefix;
}

bool QDINT(double v) {
  return std::isfinite(v) && v == std::trunc(v) && v >= -2147483648.0 && v <= 2147483647.0;
}

std::string numeric_key(double v) {
  std::string k(sizeof(double), '\0');
  std::memcpy(k.data(), &v, sizeof(double));
  return k;
}

double key_number(std::string_view key) {
  double v = 0;
  if (key.size() >= sizeof(double)) std::memcpy(&v, key.data(), sizeof(double));
  return v;
}

}  // namespace oscat::host
