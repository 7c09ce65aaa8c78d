// The ANACOR export: the memory check for the variable list, the procedure
// frame, the parser and the analysis.
#include "anacor/anacor.hpp"
#include "exports/procedures.hpp"
#include "frame/frame.hpp"
#include "homals/shared.hpp"

namespace oscat {

void run_anacor() {
  using host::H;
  frame::ProcedureFrame f({"ANACOR", "ANACOR"});
  f.run([&] {
    auto& h = H();
    const auto v = static_cast<std::size_t>(h.dict.size());
    if (v == 0 || !f.open()) {
      h.tokens.skip_command();
      return;
    }
    // One word per variable: the matrix variables of TABLE = ALL. Its
    // shortfall has its own numbered message rather than the frame's.
    frame::Workspace list;
    anacor::Settings s;
    s.table.ws = &f.workspace();
    s.table.matrix_vars = list.get<int>(v);
    if (s.table.matrix_vars == nullptr) {
      older::memory_shortfall("ANACOR", 4.0 * static_cast<double>(v));
      older::number(17901, 2, 3);
      h.tokens.skip_command();
      return;
    }
    if (anacor::parse(s) && !h.msg.error_flag()) anacor::run(s);
    h.tokens.skip_command();
  });
}

}  // namespace oscat
