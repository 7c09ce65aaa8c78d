// Message helpers of CORRESPONDENCE: every report goes through BP_ERROR.
#pragma once

#include <string_view>

#include "host/host.hpp"

namespace oscat::corres {

inline void report(const char* key, int cls, int severity) {
  auto& m = host::H().msg;
  m.BP_ERROR(m.BP_CSTRING(key), cls, severity);
}
inline void report1(const char* key, host::Msg param, int cls, int severity) {
  auto& m = host::H().msg;
  host::Msg c = m.BP_BEGIN_COMPSTRING(m.BP_CSTRING(key));
  m.BP_ADD_PARAMETER(c, param);
  m.BP_ERROR(m.BP_END_COMPSTRING(c), cls, severity);
}
inline host::Msg text_param(std::string_view s) { return host::H().msg.BP_CSTRING_NO_TRANSLATE(s); }
inline host::Msg int_param(long v) { return host::H().msg.BP_IVALUE(v, host::BP_N_FORMAT()); }

bool parse_only(struct Settings& s);

}  // namespace oscat::corres
