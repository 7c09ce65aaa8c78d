#include "engine/format.hpp"

#include <cmath>
#include <cstdio>

namespace oscat::engine {
namespace {

std::string printf_fixed(double v, int decimals) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.*f", decimals, v);
  return buf;
}

std::string printf_exp(double v) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.2E", v);
  return buf;
}

// "-0.000" and "-0" read as zero: drop the sign so that tiny negative
// values and negative zero do not look negative.
void drop_negative_zero(std::string& s) {
  if (s.empty() || s[0] != '-') return;
  for (std::size_t i = 1; i < s.size(); ++i) {
    char c = s[i];
    if (c == 'E' || c == 'e') break;
    if (c >= '1' && c <= '9') return;
  }
  s.erase(0, 1);
}

bool is_whole(double v) { return std::fabs(v) < 1e15 && v == std::trunc(v); }

std::string general(double v) {
  double a = std::fabs(v);
  if (a >= 1e15) return printf_exp(v);
  if (is_whole(v)) return printf_fixed(v, 0);
  if (a < 0.001) return printf_exp(v);
  return printf_fixed(v, 3);
}

std::string count(double v) {
  if (std::fabs(v) >= 1e15) return printf_exp(v);
  if (is_whole(v)) return printf_fixed(v, 0);
  std::string s = printf_fixed(v, 3);
  // Minimal decimals: trim trailing zeros, and the point when nothing is left.
  while (!s.empty() && s.back() == '0') s.pop_back();
  if (!s.empty() && s.back() == '.') s.pop_back();
  return s;
}

int clamp_decimals(int d, int fallback) {
  if (d < 0) return fallback;
  return d > 15 ? 15 : d;
}

}  // namespace

std::string format_value(double v, host::Format f) {
  if (host::is_sysmis(v) || !std::isfinite(v)) return ".";
  std::string s;
  switch (f.kind) {
    case host::Fmt::Count:
      s = count(v);
      break;
    case host::Fmt::Correlation:
    case host::Fmt::Significance:
      s = std::fabs(v) >= 1e15 ? printf_exp(v) : printf_fixed(v, clamp_decimals(f.decimals, 3));
      break;
    case host::Fmt::Fixed:
      s = std::fabs(v) >= 1e15 ? printf_exp(v) : printf_fixed(v, clamp_decimals(f.decimals, 2));
      break;
    case host::Fmt::Percent:
      s = (std::fabs(v) >= 1e15 ? printf_exp(v) : printf_fixed(v, clamp_decimals(f.decimals, 1))) + "%";
      break;
    case host::Fmt::General:
    case host::Fmt::Text:
    default:
      s = general(v);
      break;
  }
  drop_negative_zero(s);
  return s;
}

const char* format_kind_name(host::Fmt kind) {
  switch (kind) {
    case host::Fmt::Count: return "count";
    case host::Fmt::General: return "general";
    case host::Fmt::Correlation: return "correlation";
    case host::Fmt::Significance: return "significance";
    case host::Fmt::Fixed: return "fixed";
    case host::Fmt::Percent: return "percent";
    case host::Fmt::Text: return "text";
  }
  return "general";
}

std::size_t text_width(std::string_view s) {
  std::size_t n = 0;
  for (unsigned char c : s)
    if ((c & 0xC0) != 0x80) ++n;
  return n;
}

std::string cut_text(std::string_view s, std::size_t n) {
  std::size_t seen = 0;
  for (std::size_t i = 0; i < s.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    if ((c & 0xC0) != 0x80) {
      if (seen == n) return std::string(s.substr(0, i));
      ++seen;
    }
  }
  return std::string(s);
}

}  // namespace oscat::engine
