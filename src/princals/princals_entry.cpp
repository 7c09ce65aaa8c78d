// The PRINCL export: the memory check, the procedure frame, the parser and
// the analysis.
#include "exports/procedures.hpp"
#include "frame/frame.hpp"
#include "homals/shared.hpp"
#include "princals/princals.hpp"

namespace oscat {

void run_princals() {
  using host::H;
  frame::ProcedureFrame f({"Princals", "PRINCL"});
  f.run([&] {
    auto& h = H();
    const auto v = static_cast<std::size_t>(h.dict.size());
    if (v > 0 && !older::entry_memory(f.workspace(), "PRINCALS", v, {v, v, v, 2 * v})) {
      h.tokens.skip_command();
      return;
    }
    if (!f.open()) return;
    princals::Settings s;
    s.ws = &f.workspace();
    if (princals::parse(s) && !h.msg.error_flag()) princals::run(s);
    h.tokens.skip_command();
  });
}

}  // namespace oscat
