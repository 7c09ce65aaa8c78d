#include "engine/syntax_file.hpp"

#include <cctype>

namespace oscat::engine {

namespace {

bool is_space(char c) { return c == ' ' || c == '\t'; }

bool is_name_char(char c) {
  auto u = static_cast<unsigned char>(c);
  return std::isalnum(u) || c == '_' || c == '.' || c == '@' || c == '#' || c == '$' || u >= 0x80;
}

// Drop a UTF-8 BOM and turn CRLF / lone CR into LF so that the splitter only
// ever sees '\n'.
std::string normalise(std::string_view in) {
  if (in.size() >= 3 && static_cast<unsigned char>(in[0]) == 0xEF &&
      static_cast<unsigned char>(in[1]) == 0xBB && static_cast<unsigned char>(in[2]) == 0xBF) {
    in.remove_prefix(3);
  }
  std::string out;
  out.reserve(in.size());
  for (std::size_t i = 0; i < in.size(); ++i) {
    if (in[i] == '\r') {
      out += '\n';
      if (i + 1 < in.size() && in[i + 1] == '\n') ++i;
    } else {
      out += in[i];
    }
  }
  return out;
}

bool starts_with_word_ci(const std::string& s, std::size_t i, std::string_view word) {
  if (s.size() - i < word.size()) return false;
  for (std::size_t k = 0; k < word.size(); ++k) {
    if (std::toupper(static_cast<unsigned char>(s[i + k])) != word[k]) return false;
  }
  std::size_t j = i + word.size();
  return j == s.size() || is_space(s[j]) || s[j] == '\n' || s[j] == '.';
}

// Does the period at `i` end its line? Spaces, tabs and /* */ comments may
// follow it; a /* that does not close on this line runs to the line's end.
bool period_ends_line(const std::string& s, std::size_t i) {
  std::size_t j = i + 1;
  for (;;) {
    while (j < s.size() && is_space(s[j])) ++j;
    if (j + 1 < s.size() && s[j] == '/' && s[j + 1] == '*') {
      std::size_t close = s.find("*/", j + 2);
      std::size_t nl = s.find('\n', j);
      if (close == std::string::npos || (nl != std::string::npos && nl < close)) return true;
      j = close + 2;
      continue;
    }
    return j == s.size() || s[j] == '\n';
  }
}

std::string trim(const std::string& s) {
  std::size_t b = 0, e = s.size();
  while (b < e && (is_space(s[b]) || s[b] == '\n')) ++b;
  while (e > b && (is_space(s[e - 1]) || s[e - 1] == '\n')) --e;
  return s.substr(b, e - b);
}

}  // namespace

std::vector<CommandText> split_commands(std::string_view syntax) {
  const std::string s = normalise(syntax);
  std::vector<CommandText> out;
  std::string cur;
  int line = 1, start_line = 0;
  bool started = false, comment_cmd = false, line_blank = true;

  auto finish = [&] {
    if (started && !comment_cmd) {
      std::string t = trim(cur);
      if (!t.empty()) out.push_back({std::move(t), start_line});
    }
    cur.clear();
    started = comment_cmd = false;
  };

  for (std::size_t i = 0; i < s.size(); ++i) {
    const char c = s[i];
    if (c == '\n') {
      if (line_blank && started) {
        finish();
      } else if (started) {
        cur += '\n';
      }
      ++line;
      line_blank = true;
      continue;
    }
    if (is_space(c)) {
      if (started) cur += c;
      continue;
    }
    line_blank = false;
    if (comment_cmd) {
      if (c == '.' && period_ends_line(s, i)) finish();
      continue;
    }
    const bool opens_comment = c == '/' && i + 1 < s.size() && s[i + 1] == '*';
    if (!started && !opens_comment) {
      if (c == '*' || starts_with_word_ci(s, i, "COMMENT")) {
        started = comment_cmd = true;
        start_line = line;
        continue;
      }
    }
    if (opens_comment) {
      std::size_t close = s.find("*/", i + 2);
      std::size_t end;
      if (close == std::string::npos) {
        std::size_t nl = s.find('\n', i);
        end = (nl == std::string::npos ? s.size() : nl) - 1;  // the newline is handled above
      } else {
        end = close + 1;
        for (std::size_t k = i; k < close; ++k) line += s[k] == '\n';
      }
      if (started) cur += ' ';
      i = end;
      continue;
    }
    if (!started) {
      started = true;
      start_line = line;
    }
    if (c == '\'' || c == '"') {
      // A string ends at its closing quote or, unterminated, at the end of the
      // line, so that one stray quote (TITLE Don't panic.) cannot swallow the
      // rest of the file; a period ending that line still ends the command.
      std::size_t j = i + 1;
      while (j < s.size() && s[j] != c && s[j] != '\n') ++j;
      if (j < s.size() && s[j] == c) {
        cur.append(s, i, j - i + 1);
        i = j;
        continue;
      }
      std::size_t k = j;
      while (k > i + 1 && is_space(s[k - 1])) --k;
      if (k > i + 1 && s[k - 1] == '.') j = k - 1;
      cur.append(s, i, j - i);
      i = j - 1;
      continue;
    }
    if (c == '.' && period_ends_line(s, i)) {
      finish();
      continue;
    }
    cur += c;
  }
  finish();
  return out;
}

namespace {

// Walks the first `n` words; returns the offset just after the last one taken.
std::size_t scan_words(std::string_view text, int n, std::vector<std::string>* words) {
  std::size_t i = 0, after = 0;
  for (int k = 0; k < n; ++k) {
    std::size_t j = i;
    while (j < text.size() && (is_space(text[j]) || text[j] == '\n' || text[j] == '\r')) ++j;
    if (j == text.size() || !is_name_char(text[j])) break;
    std::size_t b = j;
    while (j < text.size() && is_name_char(text[j])) ++j;
    if (words) {
      std::string w(text.substr(b, j - b));
      while (!w.empty() && w.back() == '.') w.pop_back();
      for (char& ch : w) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
      words->push_back(std::move(w));
    }
    i = after = j;
  }
  return after;
}

}  // namespace

std::vector<std::string> command_words(std::string_view text, int n) {
  std::vector<std::string> words;
  scan_words(text, n, &words);
  return words;
}

std::string_view command_body(std::string_view text, int n) {
  return text.substr(scan_words(text, n, nullptr));
}

}  // namespace oscat::engine
