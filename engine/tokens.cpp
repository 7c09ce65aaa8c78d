#include "engine/tokens.hpp"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>

#include "engine/dictionary.hpp"
#include "engine/engine.hpp"
#include "engine/host_commands.hpp"

namespace oscat::engine {

using host::Token;
using host::TokenKind;

namespace {

bool is_white(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v'; }
bool is_digit(char c) { return c >= '0' && c <= '9'; }
bool is_name_start(char c) {
  auto u = static_cast<unsigned char>(c);
  return std::isalpha(u) || c == '@' || c == '#' || c == '$' || u >= 0x80;
}
bool is_name_char(char c) { return is_name_start(c) || is_digit(c) || c == '_' || c == '.'; }

bool value_like(const std::vector<Token>& toks) {
  if (toks.empty()) return false;
  switch (toks.back().kind) {
    case TokenKind::Name:
    case TokenKind::Number:
    case TokenKind::String:
    case TokenKind::RParen:
      return true;
    default:
      return false;
  }
}

// Does a number start at `i` (a digit, or '.' followed by a digit)?
bool number_starts(std::string_view s, std::size_t i) {
  return i < s.size() && (is_digit(s[i]) || (s[i] == '.' && i + 1 < s.size() && is_digit(s[i + 1])));
}

}  // namespace

std::vector<Token> tokenize(std::string_view s) {
  std::vector<Token> out;
  std::size_t i = 0;
  bool space_before = true;
  auto push = [&](TokenKind kind, std::string text, std::size_t begin, std::size_t end, double value = 0) {
    Token t;
    t.kind = kind;
    t.text = std::move(text);
    t.raw = std::string(s.substr(begin, end - begin));
    t.value = value;
    t.position = static_cast<int>(out.size()) + 1;
    out.push_back(std::move(t));
  };

  while (i < s.size()) {
    const char c = s[i];
    if (is_white(c)) {
      ++i;
      space_before = true;
      continue;
    }
    const std::size_t b = i;
    const bool signed_number = (c == '-' || c == '+') && number_starts(s, i + 1) &&
                               (!value_like(out) || space_before);
    if (number_starts(s, i) || signed_number) {
      std::size_t j = signed_number ? i + 1 : i;
      while (j < s.size() && is_digit(s[j])) ++j;
      if (j < s.size() && s[j] == '.') {
        ++j;
        while (j < s.size() && is_digit(s[j])) ++j;
      }
      if (j < s.size() && (s[j] == 'e' || s[j] == 'E')) {
        std::size_t k = j + 1;
        if (k < s.size() && (s[k] == '+' || s[k] == '-')) ++k;
        if (k < s.size() && is_digit(s[k])) {
          while (k < s.size() && is_digit(s[k])) ++k;
          j = k;
        }
      }
      std::string_view digits = s.substr(b, j - b);
      if (digits.front() == '+') digits.remove_prefix(1);  // from_chars takes no '+'
      double v = 0;
      auto [p, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), v);
      if (ec == std::errc{} && p == digits.data() + digits.size() && std::isfinite(v)) {
        push(TokenKind::Number, std::string(s.substr(b, j - b)), b, j, v);
      } else {
        // Out of range ("1e999"): not a usable number.
        push(TokenKind::Other, std::string(s.substr(b, j - b)), b, j);
      }
      i = j;
    } else if (is_name_start(c)) {
      std::size_t j = i;
      while (j < s.size() && is_name_char(s[j])) ++j;
      const std::size_t after = j;
      std::size_t rest = j;
      while (rest < s.size() && is_white(s[rest])) ++rest;
      if (rest == s.size()) {
        // A period that ended the command is not part of the last name.
        while (j > i + 1 && s[j - 1] == '.') --j;
      }
      push(TokenKind::Name, upper_name(s.substr(i, j - i)), i, j);
      i = after;
    } else if (c == '\'' || c == '"') {
      std::string text;
      std::size_t j = i + 1;
      bool closed = false;
      while (j < s.size()) {
        if (s[j] == c) {
          if (j + 1 < s.size() && s[j + 1] == c) {
            text += c;
            j += 2;
            continue;
          }
          closed = true;
          ++j;
          break;
        }
        text += s[j++];
      }
      if (closed) {
        push(TokenKind::String, std::move(text), i, j);
      } else {
        push(TokenKind::Other, std::string(s.substr(i)), i, s.size());
      }
      i = j;
    } else {
      auto next_is = [&](char n) { return i + 1 < s.size() && s[i + 1] == n; };
      switch (c) {
        case '/': push(TokenKind::Slash, "/", i, i + 1); ++i; break;
        case '(': push(TokenKind::LParen, "(", i, i + 1); ++i; break;
        case ')': push(TokenKind::RParen, ")", i, i + 1); ++i; break;
        case '=': push(TokenKind::Equals, "=", i, i + 1); ++i; break;
        case ',': push(TokenKind::Comma, ",", i, i + 1); ++i; break;
        case '*': push(TokenKind::Asterisk, "*", i, i + 1); ++i; break;
        case '<':
          if (next_is('=')) {
            push(TokenKind::Compare, "<=", i, i + 2);
            i += 2;
          } else if (next_is('>')) {
            push(TokenKind::Compare, "~=", i, i + 2);
            i += 2;
          } else {
            push(TokenKind::Compare, "<", i, i + 1);
            ++i;
          }
          break;
        case '>':
          if (next_is('=')) {
            push(TokenKind::Compare, ">=", i, i + 2);
            i += 2;
          } else {
            push(TokenKind::Compare, ">", i, i + 1);
            ++i;
          }
          break;
        case '~':
        case '!':
          if (next_is('=')) {
            push(TokenKind::Compare, "~=", i, i + 2);
            i += 2;
            break;
          }
          [[fallthrough]];
        default:
          push(TokenKind::Other, std::string(1, c), i, i + 1);
          ++i;
      }
    }
    space_before = false;
  }
  return out;
}

// ------------------------------------------------------------ the stream ---

void TokenStream::load(std::string_view text) {
  toks_ = tokenize(text);
  end_ = Token{};
  end_.position = count() + 1;
  before_ = Token{};
  cur_ = 0;
  next_ = 1;
  kept_.clear();
}

const Token& TokenStream::at(int position) const {
  if (position <= 0) return before_;
  if (position > count()) return end_;
  return toks_[position - 1];
}

int TokenStream::SSTACK() {
  kept_.push_back(next_);
  return 0;
}

void TokenStream::SSDELS() {
  if (!kept_.empty()) kept_.pop_back();
}

void TokenStream::SSETPT(int position) {
  position = std::clamp(position, 1, count() + 1);
  next_ = position;
  cur_ = position - 1;
}

const Token& TokenStream::SSNXT1() {
  cur_ = std::min(next_, count() + 1);
  next_ = std::min(cur_ + 1, count() + 1);
  return at(cur_);
}

const Token& TokenStream::current() const { return at(cur_); }

void TokenStream::skip_command() { cur_ = next_ = count() + 1; }

void TokenStream::report(std::string_view key, std::vector<std::string> params) {
  host::Msg c = msg_.BP_BEGIN_COMPSTRING(msg_.BP_CSTRING(key));
  for (const auto& p : params) msg_.BP_ADD_PARAMETER(c, msg_.BP_CSTRING_NO_TRANSLATE(p));
  msg_.BP_ERROR(msg_.BP_END_COMPSTRING(c), 2, 3);
}

void TokenStream::report_not_found(int position) {
  const Token& t = at(position);
  report("Variable ^1 not found.", {t.raw.empty() ? t.text : t.raw});
  const std::string cmd = command_at(position);
  if (cmd.empty()) return;
  host::Msg c = msg_.BP_BEGIN_COMPSTRING(msg_.BP_CSTRING("Period missing before ^1."));
  msg_.BP_ADD_PARAMETER(c, msg_.BP_CSTRING_NO_TRANSLATE(cmd));
  msg_.BP_ERROR(msg_.BP_END_COMPSTRING(c), 1, 1);
}

std::string TokenStream::command_at(int position) const {
  const Token& first = at(position);
  if (first.kind != TokenKind::Name || dict_.DICSCH(first.text) != 0) return {};
  // The words of a command name, matched like the command words that start a
  // command (8-character rule).
  auto spelled = [&](const std::vector<std::string>& words) {
    for (std::size_t i = 0; i < words.size(); ++i) {
      const Token& t = at(position + static_cast<int>(i));
      if (t.kind != TokenKind::Name || !command_word_matches(t.text, words[i])) return false;
    }
    return true;
  };
  // A command name goes on with its specification, never with a value: the
  // keyword WEIGHT of "WEIGHT 2" inside parentheses is no command.
  auto continues = [&](std::size_t words) {
    const TokenKind k = at(position + static_cast<int>(words)).kind;
    return k != TokenKind::Number && k != TokenKind::Equals && k != TokenKind::RParen && k != TokenKind::Comma;
  };
  for (const auto& c : procedure_commands())
    if (spelled(c.words) && continues(c.words.size())) return c.name;
  for (const auto& c : host_commands())
    if (spelled(c.words) && continues(c.words.size())) return c.name;
  return {};
}

int TokenStream::read_var_list(std::vector<int>& vars, ListMode mode, std::span<const int> allowed,
                               std::string* bad, std::span<const char* const> also_end) {
  vars.clear();
  if (bad) bad->clear();
  auto is_allowed = [&](int v) {
    return mode != ListMode::Restricted || std::find(allowed.begin(), allowed.end(), v) != allowed.end();
  };
  auto ends_list = [&](const Token& t) {
    for (const char* w : also_end) {
      if (w != nullptr && same_name(t.text, w)) return true;
    }
    return false;
  };
  // Stops the list on the token at `pos` with `name` as the bad name.
  auto fail_at = [&](int pos, const std::string& name) {
    if (bad) *bad = name;
    stop_at(pos);
    return 1;
  };

  const int first = next_;
  if (at(first).kind != TokenKind::Name || ends_list(at(first))) {
    stop_at(first);
    return 2;
  }
  int status = 0;
  int p = first;
  while (at(p).kind == TokenKind::Name && !ends_list(at(p))) {
    const Token& t = at(p);
    int a = dict_.DICSCH(t.text);
    if (a == 0 && t.text == "ALL") {
      if (mode == ListMode::Restricted) {
        vars.insert(vars.end(), allowed.begin(), allowed.end());
      } else {
        for (int v = 1; v <= dict_.size(); ++v) vars.push_back(v);
      }
      ++p;
      continue;
    }
    if (a == 0 || !is_allowed(a)) {
      if (mode != ListMode::Report) return fail_at(p, t.raw);
      report_not_found(p);
      status = 1;
    }
    const bool range = at(p + 1).kind == TokenKind::Name && at(p + 1).text == "TO";
    if (!range) {
      if (a != 0) vars.push_back(a);
      ++p;
      continue;
    }
    const Token& to_name = at(p + 2);
    if (to_name.kind != TokenKind::Name) {
      if (mode != ListMode::Report) return fail_at(p, t.raw);
      report("Variable name expected after TO.", {});
      status = 1;
      p += 2;  // stop on whatever follows TO
      break;
    }
    int b = dict_.DICSCH(to_name.text);
    if (b == 0) {
      if (mode != ListMode::Report) return fail_at(p + 2, to_name.raw);
      report_not_found(p + 2);
      status = 1;
    } else if (a != 0 && b < a) {
      if (mode != ListMode::Report) return fail_at(p, t.raw);
      report("Variable list ^1 TO ^2 is reversed.", {t.raw, to_name.raw});
      status = 1;
    } else if (a != 0) {
      for (int v = a; v <= b; ++v) {
        if (!is_allowed(v)) return fail_at(p, dict_.DICGET(v).name);
      }
      for (int v = a; v <= b; ++v) vars.push_back(v);
    }
    p += 3;
  }
  stop_at(p);
  return status;
}

int TokenStream::PRUVL(std::vector<int>& vars) { return read_var_list(vars, ListMode::Report, {}, nullptr, {}); }

int TokenStream::PRUVL2(std::vector<int>& vars, std::span<const int> allowed, std::string& bad,
                        std::span<const char* const> also_end) {
  return read_var_list(vars, ListMode::Restricted, allowed, &bad, also_end);
}

int TokenStream::PRVRLT(std::vector<int>& vars, std::string& bad) {
  return read_var_list(vars, ListMode::Any, {}, &bad, {});
}

int TokenStream::PRVALT(std::vector<double>& values, std::string& bad) {
  values.clear();
  bad.clear();
  int p = next_;
  for (;;) {
    const Token& t = at(p);
    if (t.kind == TokenKind::Number) {
      values.push_back(t.value);
    } else if (t.kind != TokenKind::Comma) {
      stop_at(p);
      if (t.kind == TokenKind::RParen || t.kind == TokenKind::Slash || t.kind == TokenKind::End) return 0;
      bad = t.raw;
      return 1;
    }
    ++p;
  }
}

}  // namespace oscat::engine
