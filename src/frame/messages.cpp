#include "frame/messages.hpp"

namespace oscat::frame {

using host::H;
using host::Msg;

Msg key(std::string_view k) { return H().msg.BP_CSTRING(k); }
Msg text(std::string_view t) { return H().msg.BP_CSTRING_NO_TRANSLATE(t); }
Msg integer(long long v) { return H().msg.BP_IVALUE(v); }

Msg composite(std::string_view k, std::initializer_list<Msg> params) {
  auto& msg = H().msg;
  const Msg c = msg.BP_BEGIN_COMPSTRING(key(k));
  for (Msg p : params) msg.BP_ADD_PARAMETER(c, p);
  return msg.BP_END_COMPSTRING(c);
}

void report(std::string_view k, int severity, int cls) { H().msg.BP_ERROR(key(k), cls, severity); }

void report(std::string_view k, std::initializer_list<Msg> params, int severity, int cls) {
  H().msg.BP_ERROR(composite(k, params), cls, severity);
}

bool period_hint(int position) {
  const std::string cmd = H().tokens.command_at(position);
  if (cmd.empty()) return false;
  report("Period missing before ^1.", {text(cmd)}, kNote, 1);
  return true;
}

int command_inside() {
  auto& tk = H().tokens;
  int found = 0;
  host::TokenKind before = host::TokenKind::Slash;
  tk.SSETPT(1);
  for (host::Token t = tk.SSNXT1(); t.kind != host::TokenKind::End; t = tk.SSNXT1()) {
    const bool candidate = t.kind == host::TokenKind::Name && t.position > 1 &&
                           before != host::TokenKind::Slash && before != host::TokenKind::LParen;
    before = t.kind;
    if (!candidate || tk.command_at(t.position).empty()) continue;
    const int p = t.position;
    tk.SSETPT(p + 1);
    if (tk.SSNXT1().kind != host::TokenKind::Equals) {
      found = p;
      break;
    }
    tk.SSETPT(p + 1);
  }
  tk.SSETPT(1);
  return found;
}

void report_variables(std::string_view single, std::string_view list, std::span<const int> dict_vars,
                      int cls, int severity) {
  if (dict_vars.empty()) return;
  auto& h = H();
  const bool one = dict_vars.size() == 1;
  const Msg c = h.msg.BP_BEGIN_COMPSTRING(key(one ? single : list));
  for (int v : dict_vars) h.msg.BP_ADD_PARAMETER(c, text(h.dict.DICGET(v).name));
  h.msg.BP_ERROR(h.msg.BP_END_COMPSTRING(c), cls, severity);
}

}  // namespace oscat::frame
