// The CORRES export: the procedure frame around the parser and the analysis.
#include <algorithm>

#include "corres/corres.hpp"
#include "exports/procedures.hpp"
#include "frame/frame.hpp"

namespace oscat {

void run_corres() {
  using host::H;
  frame::ProcedureFrame f({"Correspondence", "CORRES", /*keep_tokens=*/false});
  f.run([&] {
    auto& h = H();
    corres::Settings s;
    s.ws = &f.workspace();
    s.matrix_vars = s.ws->get<int>(static_cast<std::size_t>(std::max(1, h.dict.size())));
    if (s.matrix_vars == nullptr || !f.open() || h.msg.error_flag()) {
      h.tokens.skip_command();
      return;
    }
    static constexpr int kTables[] = {4, 5, 6, 7, 8, 9, 10, 11};
    f.declare_tables(kTables);
    // One identifier per dimension of the plots' tables.
    for (int d = 0; d < 200; ++d) h.pivot.BP_TABLE_ID(12 + d);
    h.pivot.BP_END_TABLE_IDS();
    const char* credit[] = {"CORRESPONDENCE", "Version 1.1", frame::kCreditBy, frame::kCreditGroup,
                            "Correspondence analysis", frame::kCreditLicence};
    f.credit(credit);
    corres::parse_and_run(s);
  });
}

}  // namespace oscat
