// The HOMALS export: the memory check, the procedure frame, the parser and
// the analysis.
#include "exports/procedures.hpp"
#include "frame/frame.hpp"
#include "homals/homals.hpp"
#include "homals/shared.hpp"

namespace oscat {

void run_homals() {
  using host::H;
  frame::ProcedureFrame f({"Homals", "HOMALS"});
  f.run([&] {
    auto& h = H();
    const auto v = static_cast<std::size_t>(h.dict.size());
    if (v > 0 && !older::entry_memory(f.workspace(), "HOMALS", v, {v, v, v, 2 * v})) {
      h.tokens.skip_command();
      return;
    }
    if (!f.open()) return;
    static constexpr int kTables[] = {3, 4, 5, 6, 7, 8, 9, 10};
    f.declare_tables(kTables);
    const char* credit[] = {"HOMALS", "Version 1.0", frame::kCreditBy, frame::kCreditGroup,
                            "Homogeneity analysis by alternating least squares", frame::kCreditLicence};
    f.credit(credit);
    homals::Settings s;
    s.ws = &f.workspace();
    if (homals::parse(s) && !h.msg.error_flag()) homals::run(s);
    h.tokens.skip_command();
  });
}

}  // namespace oscat
