// One fuzz input through the subcommand scan and every parser; shared by the
// libFuzzer target and the unit test that replays the kept inputs.
#pragma once

#include <memory>
#include <string>

#include "engine/engine.hpp"
#include "syntax/settings.hpp"

namespace syntax_fuzz {

inline oscat::engine::Engine& engine() {
  static std::unique_ptr<oscat::engine::Engine> e = [] {
    auto p = std::make_unique<oscat::engine::Engine>();
    oscat::host::bind_host(&p->host());
    oscat::host::register_messages();
    for (const char* n : {"a", "b", "c", "d", "e", "w", "x", "y", "z"}) p->dictionary().add_variable(n, 0);
    p->dictionary().add_variable("s", 8);
    return p;
  }();
  return *e;
}

inline void parse_body(int which, const std::string& body) {
  using namespace oscat::syntax;
  auto& e = engine();
  oscat::host::bind_host(&e.host());
  // Keep the output document small across many inputs.
  e.session().document().commands.clear();
  e.session().begin_command("FUZZ", "");
  e.messages().reset();  // handles would otherwise pile up over millions of inputs
  e.tokens().load(body);
  CommandSettings s;
  s.kind = static_cast<ProcedureKind>(which + 1);
  if (scan_subcommands(s) && parse_variables(s)) parse_remaining(s);
  e.messages().clear_error_flag();
}

}  // namespace syntax_fuzz
