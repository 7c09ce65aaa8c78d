// The OVERAL export: the memory check, the procedure frame, the parser and
// the analysis.
#include "exports/procedures.hpp"
#include "frame/frame.hpp"
#include "homals/shared.hpp"
#include "overals/overals.hpp"

namespace oscat {

void run_overals() {
  using host::H;
  // The frame sets the split aside for the run; SAVE needs to know of it.
  const bool split = H().cases.split_count() > 0;
  frame::ProcedureFrame f({"Overals", "OVERAL"});
  f.run([&] {
    auto& h = H();
    const auto v = static_cast<std::size_t>(h.dict.size());
    if (v == 0) {
      h.tokens.skip_command();
      return;
    }
    if (!older::entry_memory(f.workspace(), "OVERALS", v, {v, v, v, v, v, v, v})) {
      older::number(17701, 2, 3);
      h.tokens.skip_command();
      return;
    }
    if (!f.open()) return;
    static constexpr int kTables[] = {3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13};
    f.declare_tables(kTables);
    const char* credit[] = {"OVERALS", "Version 1.0", frame::kCreditBy, frame::kCreditGroup,
                            "Nonlinear canonical correlation analysis", frame::kCreditLicence};
    f.credit(credit);
    overals::Settings s;
    s.ws = &f.workspace();
    s.split_file = split;
    if (overals::parse(s) && !h.msg.error_flag()) overals::run(s);
    h.tokens.skip_command();
  });
}

}  // namespace oscat
