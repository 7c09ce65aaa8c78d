#include "exports/procedures.hpp"
#include "host/host.hpp"

namespace oscat {

void report_unavailable(const char* title) {
  using namespace host;
  Host& h = H();
  h.pivot.BP_PROCEDURE(title);
  Msg m = h.msg.BP_BEGIN_COMPSTRING(h.msg.BP_CSTRING("Procedure ^1 not available."));
  h.msg.BP_ADD_PARAMETER(m, h.msg.BP_CSTRING_NO_TRANSLATE(title));
  h.msg.BP_ERROR(h.msg.BP_END_COMPSTRING(m), 2, 3);
  h.pivot.BP_END_PROCEDURE();
}

}  // namespace oscat
