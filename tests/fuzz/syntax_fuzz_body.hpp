// One fuzz input through the subcommand scan and every parser; shared by the
// libFuzzer target and the unit test that replays the kept inputs.
#pragma once

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "engine/engine.hpp"
#include "exports/procedures.hpp"
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

// The older procedures (ANACOR, HOMALS, OVERALS, PRINCALS) parse as they go,
// so the whole command runs: `which` 0-3 picks the procedure, the body
// follows its name, against a small working file with integer, fractional,
// missing and string cells. Bodies whose quoted text could name a file
// outside the current directory are not run (MATRIX OUT writes files).
inline void run_older(int which, const std::string& body) {
  char quote = 0;
  for (char ch : body) {
    if (quote != 0) {
      if (ch == quote) quote = 0;
      else if (ch == '/' || ch == '\\') return;
    } else if (ch == '\'' || ch == '"') {
      quote = ch;
    }
  }
  // Thousands of iterations are slow, not wrong: such bodies are not run.
  std::string upper;
  for (char ch : body) upper += static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
  if (upper.find("MAXITER") != std::string::npos)
    for (std::size_t i = 0; i < body.size(); ++i)
      if (std::isdigit(static_cast<unsigned char>(body[i])) && std::strtod(body.c_str() + i, nullptr) >= 1000) return;
  static std::unique_ptr<oscat::engine::Engine> older_engine = [] {
    auto p = std::make_unique<oscat::engine::Engine>();
    oscat::host::bind_host(&p->host());
    oscat::host::register_messages();
    p->set_procedure("ANACOR", oscat::run_anacor);
    p->set_procedure("HOMALS", oscat::run_homals);
    p->set_procedure("OVERAL", oscat::run_overals);
    p->set_procedure("PRINCL", oscat::run_princals);
    if (std::FILE* f = std::fopen("fuzz_older.csv", "wb")) {
      std::fputs("a,b,c,d,e,s\n1,2,3,1,2,x\n2,NA,1,2,1,y\n3,1,.,3,2,z\n9,2,2,1.5,1,\n2,3,1,2,2,x\n1,1,2,3,1,y\n", f);
      std::fclose(f);
    }
    return p;
  }();
  static const char* const kNames[] = {"ANACOR ", "HOMALS ", "OVERALS ", "PRINCALS "};
  auto& e = *older_engine;
  oscat::host::bind_host(&e.host());
  e.session().document().commands.clear();
  std::string cmd = kNames[which % 4] + body;
  // The body is one command: a line with only a period or a blank line would
  // end it early and run the rest as host commands.
  for (char& ch : cmd)
    if (ch == '\n' || ch == '\r') ch = ' ';
  e.run_syntax("GET DATA /TYPE=CSV /FILE='fuzz_older.csv'.\n" + cmd + "\n");
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
