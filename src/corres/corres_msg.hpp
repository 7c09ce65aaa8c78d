// Message helpers of CORRESPONDENCE: every report goes through BP_ERROR.
#pragma once

#include <string_view>

#include "frame/messages.hpp"
#include "host/host.hpp"

namespace oscat::corres {

// CORRESPONDENCE passes the class before the severity.
inline void report(const char* key, int cls, int severity) { frame::report(key, severity, cls); }
inline void report1(const char* key, host::Msg param, int cls, int severity) {
  frame::report(key, {param}, severity, cls);
}
inline host::Msg text_param(std::string_view s) { return frame::text(s); }
inline host::Msg int_param(long v) { return host::H().msg.BP_IVALUE(v, host::BP_N_FORMAT()); }

bool parse_only(struct Settings& s);

}  // namespace oscat::corres
