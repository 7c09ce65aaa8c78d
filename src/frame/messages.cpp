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
