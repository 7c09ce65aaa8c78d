#include <cctype>
#include <cmath>
#include <cstring>

#include "host/host.hpp"

namespace oscat::host {

// A keyword field is 8 characters, blank padded. A word matches a field when
// its first min(len, 8) characters equal the field's leading characters and
// the rest of the field is blank, or when the word is a prefix that reaches a
// blank within the field ("MATRIX" matches "MATRIX O" because a shorter word
// matches the field it begins). A blank field never matches.
int QABMCH(std::string_view word, KeywordTable table) {
  if (word.empty()) return 0;
  char w[8];
  std::size_t wl = word.size() < 8 ? word.size() : 8;
  for (std::size_t i = 0; i < wl; ++i) w[i] = static_cast<char>(std::toupper(static_cast<unsigned char>(word[i])));
  for (std::size_t k = 0; k < table.size(); ++k) {
    const char* f = table[k];
    if (f == nullptr) continue;
    char field[8];
    std::size_t fl = std::strlen(f);
    for (std::size_t i = 0; i < 8; ++i) field[i] = i < fl ? f[i] : ' ';
    bool blank = true;
    for (char c : field) blank = blank && c == ' ';
    if (blank) continue;
    bool ok = true;
    for (std::size_t i = 0; i < wl && ok; ++i) ok = field[i] == w[i];
    if (!ok) continue;
    if (wl == 8) return static_cast<int>(k) + 1;
    // A shorter word matches the field it begins: the field continues with a
    // blank (end of the field's first word) or the word is the whole field.
    if (field[wl] == ' ') return static_cast<int>(k) + 1;
  }
  return 0;
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
