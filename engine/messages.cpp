#include "engine/messages.hpp"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <optional>

#include "engine/format.hpp"

namespace oscat::engine {

namespace {

bool slot_digit(char c) { return c >= '1' && c <= '9'; }

struct Segment {
  enum Kind { Literal, Slot, List } kind = Literal;
  std::string text;  // literal text
  int slot = 0;
  std::string first, middle, last;  // list parts
};

// "[first:middle:last]n" starting at pattern[pos] == '['; nullopt when the
// bracket does not open a well-formed list slot.
std::optional<Segment> parse_list(std::string_view p, std::size_t pos, std::size_t& end) {
  std::size_t close = p.find(']', pos + 1);
  if (close == std::string_view::npos || close + 1 >= p.size() || !slot_digit(p[close + 1]))
    return std::nullopt;
  std::string_view body = p.substr(pos + 1, close - pos - 1);
  std::size_t c1 = body.find(':');
  if (c1 == std::string_view::npos) return std::nullopt;
  std::size_t c2 = body.find(':', c1 + 1);
  if (c2 == std::string_view::npos || body.find(':', c2 + 1) != std::string_view::npos)
    return std::nullopt;
  Segment s;
  s.kind = Segment::List;
  s.slot = p[close + 1] - '0';
  s.first = std::string(body.substr(0, c1));
  s.middle = std::string(body.substr(c1 + 1, c2 - c1 - 1));
  s.last = std::string(body.substr(c2 + 1));
  end = close + 2;
  return s;
}

std::vector<Segment> parse_pattern(std::string_view p) {
  std::vector<Segment> out;
  std::string lit;
  auto flush = [&] {
    if (!lit.empty()) out.push_back(Segment{Segment::Literal, std::move(lit), 0, {}, {}, {}});
    lit.clear();
  };
  for (std::size_t i = 0; i < p.size();) {
    if (p[i] == '^' && i + 1 < p.size() && slot_digit(p[i + 1])) {
      flush();
      out.push_back(Segment{Segment::Slot, {}, p[i + 1] - '0', {}, {}, {}});
      i += 2;
      continue;
    }
    if (p[i] == '[') {
      std::size_t end = 0;
      if (auto s = parse_list(p, i, end)) {
        flush();
        out.push_back(std::move(*s));
        i = end;
        continue;
      }
    }
    lit += p[i++];
  }
  flush();
  return out;
}

// A list part with its %n, ^n and $n markers standing for the item.
std::string expand_part(std::string_view part, const std::string& item) {
  std::string out;
  for (std::size_t i = 0; i < part.size(); ++i) {
    char c = part[i];
    if ((c == '%' || c == '^' || c == '$') && i + 1 < part.size() && slot_digit(part[i + 1])) {
      out += item;
      ++i;
    } else {
      out += c;
    }
  }
  return out;
}

}  // namespace

std::string fill_slots(std::string_view pattern, const std::vector<std::string>& params) {
  std::vector<Segment> segs = parse_pattern(pattern);
  int list_slot = 0, max_slot = 0;
  for (const Segment& s : segs) {
    if (s.kind == Segment::Literal) continue;
    max_slot = std::max(max_slot, s.slot);
    if (s.kind == Segment::List && list_slot == 0) list_slot = s.slot;
  }
  const int n = static_cast<int>(params.size());
  // Parameters arrive in order without slot numbers: slots before the list
  // take one each, the slots after it take the last ones, the list the rest.
  const int list_begin = list_slot > 0 ? list_slot - 1 : 0;
  const int list_end = list_slot > 0 ? std::max(list_begin, n - (max_slot - list_slot)) : 0;
  auto scalar = [&](int slot) -> std::string {
    int idx = slot - 1;
    if (list_slot > 0 && slot > list_slot) idx = n - (max_slot - slot) - 1;
    if (list_slot > 0 && slot > list_slot && idx < list_end) return {};
    return idx >= 0 && idx < n ? params[idx] : std::string();
  };

  std::string out;
  for (const Segment& s : segs) {
    switch (s.kind) {
      case Segment::Literal:
        out += s.text;
        break;
      case Segment::Slot:
        out += scalar(s.slot);
        break;
      case Segment::List: {
        if (s.slot != list_slot) {  // a second list: treat as a single slot
          out += scalar(s.slot);
          break;
        }
        const int k = std::min(list_end, n) - list_begin;
        for (int i = 0; i < k; ++i) {
          const std::string& item = params[list_begin + i];
          if (i == 0)
            out += expand_part(s.first.empty() ? s.middle : s.first, item);
          else if (i == k - 1)
            out += expand_part(s.last, item);
          else
            out += expand_part(s.middle, item);
        }
        break;
      }
    }
  }
  return out;
}

MessageStore::MessageStore(Session& session) : session_(session) {}

void MessageStore::reset() { entries_.clear(); }

host::Msg MessageStore::add(Entry e) {
  entries_.push_back(std::move(e));
  return static_cast<host::Msg>(entries_.size());
}

const MessageStore::Entry* MessageStore::get(host::Msg m) const {
  if (m <= 0 || static_cast<std::size_t>(m) > entries_.size()) return nullptr;
  return &entries_[static_cast<std::size_t>(m) - 1];
}

bool MessageStore::valid(host::Msg m) const { return get(m) != nullptr; }

host::Msg MessageStore::BP_CSTRING(std::string_view key) {
  return add(Entry{Kind::Key, std::string(key), 0, {}});
}

host::Msg MessageStore::BP_CSTRING_NO_TRANSLATE(std::string_view text) {
  return add(Entry{Kind::Literal, std::string(text), 0, {}});
}

host::Msg MessageStore::CX_NSTRING(std::string_view number) {
  return add(Entry{Kind::Number, std::string(number), 0, {}});
}

host::Msg MessageStore::BP_IVALUE(std::int64_t v, host::Format f) {
  return add(Entry{Kind::Value, format_value(static_cast<double>(v), f), 0, {}});
}

host::Msg MessageStore::BP_LRVALUE(double v, host::Format f) {
  return add(Entry{Kind::Value, format_value(v, f), 0, {}});
}

host::Msg MessageStore::BP_BEGIN_COMPSTRING(host::Msg pattern) {
  if (!valid(pattern)) ASSERT(false, "BP_BEGIN_COMPSTRING", "pattern handle valid");
  return add(Entry{Kind::Composite, {}, pattern, {}});
}

void MessageStore::BP_ADD_PARAMETER(host::Msg composite, host::Msg parameter) {
  const Entry* c = get(composite);
  if (c == nullptr || c->kind != Kind::Composite) {
    ASSERT(false, "BP_ADD_PARAMETER", "composite handle valid");
    return;
  }
  entries_[static_cast<std::size_t>(composite) - 1].params.push_back(parameter);
}

host::Msg MessageStore::BP_END_COMPSTRING(host::Msg composite) {
  const Entry* c = get(composite);
  if (c == nullptr || c->kind != Kind::Composite) {
    ASSERT(false, "BP_END_COMPSTRING", "composite handle valid");
    return 0;
  }
  return composite;
}

Text MessageStore::resolve(host::Msg m) const { return resolve_depth(m, 0); }

Text MessageStore::resolve_depth(host::Msg m, int depth) const {
  const Entry* e = get(m);
  // Composites may be nested; a handle that contains itself must not loop.
  if (e == nullptr || depth > 16) return {};
  switch (e->kind) {
    case Kind::Key:
    case Kind::Number:
      return Text{e->text, catalogue_.translate(e->text), {}};
    case Kind::Literal:
    case Kind::Value:
      return Text{{}, e->text, {}};
    case Kind::Composite: {
      Text pattern = resolve_depth(e->pattern, depth + 1);
      Text out;
      out.key = pattern.key;
      for (host::Msg p : e->params) out.params.push_back(resolve_depth(p, depth + 1).text);
      out.text = fill_slots(pattern.text, out.params);
      return out;
    }
  }
  return {};
}

std::string MessageStore::text(host::Msg m) const { return resolve(m).text; }

void MessageStore::report(Message m) {
  if (m.severity >= 3) {
    error_ = true;
    session_.count_error();
  }
  session_.append(std::move(m));
}

void MessageStore::BP_ERROR(host::Msg message, int cls, int severity) {
  if (!valid(message)) {
    ASSERT(false, "BP_ERROR", "message handle valid");
    return;
  }
  Message m;
  m.severity = severity;
  m.cls = cls;
  m.text = resolve(message);
  report(std::move(m));
}

void MessageStore::ERROR(int number, int cls, int severity, std::vector<std::string> params) {
  Message m;
  m.severity = severity;
  m.cls = cls;
  m.number = number;
  m.text.key = std::to_string(number);
  if (auto t = catalogue_.lookup(m.text.key)) {
    m.text.text = fill_slots(*t, params);
  } else {
    m.text.text = "Message " + m.text.key;
    for (std::size_t i = 0; i < params.size(); ++i) m.text.text += (i == 0 ? ": " : ", ") + params[i];
  }
  m.text.params = std::move(params);
  report(std::move(m));
}

void MessageStore::ASSERT(bool condition, std::string_view routine, std::string_view condition_text) {
  if (condition) return;
  const char* key = "Internal error in ^1: ^2.";
  Message m;
  m.severity = 3;
  m.cls = 2;
  m.text.key = key;
  m.text.params = {std::string(routine), std::string(condition_text)};
  m.text.text = fill_slots(catalogue_.translate(key), m.text.params);
  report(std::move(m));
}

}  // namespace oscat::engine
