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
    if (v > 0) {
      auto& ws = f.workspace();
      const bool ok = ws.get<int>(v) && ws.get<int>(v) && ws.get<int>(v) && ws.get<int>(2 * v);
      if (!ok) {
        older::memory_shortfall("PRINCALS", 4.0 * (5.0 * v + (5.0 * v + 250.0) * v));
        h.tokens.skip_command();
        return;
      }
    }
    if (!f.open()) return;
    princals::Settings s;
    s.ws = &f.workspace();
    if (princals::parse(s) && !h.msg.error_flag()) princals::run(s);
    h.tokens.skip_command();
  });
}

}  // namespace oscat
