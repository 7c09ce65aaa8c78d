#include "data/report.hpp"

#include <string>

#include "host/host.hpp"

namespace oscat::data {

using host::H;
using host::Msg;

void report_variables(std::string_view single, std::string_view list, std::span<const int> dict_vars,
                      int cls, int severity) {
  if (dict_vars.empty()) return;
  auto& msg = H().msg;
  Msg c = msg.BP_BEGIN_COMPSTRING(msg.BP_CSTRING(dict_vars.size() == 1 ? single : list));
  for (int v : dict_vars) msg.BP_ADD_PARAMETER(c, msg.BP_CSTRING_NO_TRANSLATE(H().dict.DICGET(v).name));
  msg.BP_ERROR(msg.BP_END_COMPSTRING(c), cls, severity);
}

void report(std::string_view key, int cls, int severity) {
  H().msg.BP_ERROR(H().msg.BP_CSTRING(key), cls, severity);
}

void report1(std::string_view key, std::string_view param, int cls, int severity) {
  auto& msg = H().msg;
  Msg c = msg.BP_BEGIN_COMPSTRING(msg.BP_CSTRING(key));
  msg.BP_ADD_PARAMETER(c, msg.BP_CSTRING_NO_TRANSLATE(param));
  msg.BP_ERROR(msg.BP_END_COMPSTRING(c), cls, severity);
}

}  // namespace oscat::data
