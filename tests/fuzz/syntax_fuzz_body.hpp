// One fuzz input through the subcommand scan and every parser; shared by the
// libFuzzer target and the unit test that replays the kept inputs.
#pragma once

#include <cstdio>
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

// Host commands (GET DATA, MISSING VALUES, VALUE LABELS, WEIGHT, SAVE, ...):
// the body is run as syntax in an engine of its own, against a small working
// file re-read each time, in the current directory. File names that could
// leave it (a '/' or '\\' in any quoted text) are not run: SAVE must never write
// outside the fuzzer's directory.
inline void run_host_syntax(const std::string& body) {
  char quote = 0;
  for (char ch : body) {
    if (quote != 0) {
      if (ch == quote) quote = 0;
      else if (ch == '/' || ch == '\\') return;
    } else if (ch == '\'' || ch == '"') {
      quote = ch;
    }
  }
  static std::unique_ptr<oscat::engine::Engine> host_engine = [] {
    auto p = std::make_unique<oscat::engine::Engine>();
    oscat::host::bind_host(&p->host());
    oscat::host::register_messages();
    if (std::FILE* f = std::fopen("fuzz_data.csv", "wb")) {
      std::fputs("a,b,c,s,w\n1,2,3,x,1\n2,NA,1,y,2\n3,1,.,z,0\n9,2,2,,1.5\n", f);
      std::fclose(f);
    }
    return p;
  }();
  auto& e = *host_engine;
  oscat::host::bind_host(&e.host());
  e.session().document().commands.clear();
  e.run_syntax("GET DATA /TYPE=CSV /FILE='fuzz_data.csv'.\n" + body + "\n");
  e.messages().reset();
  e.messages().clear_error_flag();
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
