// Runs the optimal-scaling parsers over a command body on the real engine
// components and collects the message keys they report.
#pragma once

#include <memory>
#include <string>
#include <variant>
#include <vector>

#include "engine/engine.hpp"
#include "syntax/settings.hpp"

namespace syntax_test {

struct Reported {
  std::string key;
  int cls = 0, severity = 0;
  std::vector<std::string> params;
  std::string text;  // as shown, parameters filled in
};

struct Run {
  oscat::syntax::CommandSettings s;
  std::vector<Reported> msgs;
  bool scan_ok = false, vars_ok = false, rest_ok = false;
  // Key reported (with ^1 equal to `param` when given)?
  bool has(const std::string& key, const std::string& param = "") const {
    for (auto& m : msgs)
      if (m.key == key && (param.empty() || (!m.params.empty() && m.params[0] == param))) return true;
    return false;
  }
  // The first report of `key`, or nullptr.
  const Reported* find(const std::string& key) const {
    for (auto& m : msgs)
      if (m.key == key) return &m;
    return nullptr;
  }
  int severity_of(const std::string& key) const {
    for (auto& m : msgs)
      if (m.key == key) return m.severity;
    return 0;
  }
  int errors() const {
    int n = 0;
    for (auto& m : msgs) n += m.severity >= 3;
    return n;
  }
};

class Harness {
 public:
  // Variables a..h numeric, s1 a string; more may be added.
  Harness() {
    oscat::host::bind_host(&eng_.host());
    oscat::host::register_messages();
    for (const char* n : {"a", "b", "c", "d", "e", "f", "g", "h"}) eng_.dictionary().add_variable(n, 0);
    eng_.dictionary().add_variable("s1", 8);
  }
  ~Harness() { oscat::host::bind_host(nullptr); }
  oscat::engine::Engine& engine() { return eng_; }

  Run run(oscat::syntax::ProcedureKind kind, const std::string& body) {
    using namespace oscat::syntax;
    oscat::host::bind_host(&eng_.host());
    Run r;
    r.s.kind = kind;
    eng_.session().begin_command("TEST", body);
    eng_.tokens().load(body);
    r.scan_ok = scan_subcommands(r.s);
    if (r.scan_ok) r.vars_ok = parse_variables(r.s);
    if (r.scan_ok && r.vars_ok) r.rest_ok = parse_remaining(r.s);
    const auto& items = eng_.session().document().commands.back().items;
    for (std::size_t i = 0; i < items.size(); ++i)
      if (auto* m = std::get_if<oscat::engine::Message>(&items[i]))
        r.msgs.push_back({m->text.key, m->cls, m->severity, m->text.params, m->text.text});
    eng_.messages().clear_error_flag();
    return r;
  }

 private:
  oscat::engine::Engine eng_;
};

// Command bodies the subcommand tests extend: three CATPCA / MCORRESP
// analysis variables, and a CATREG regression of a on b and c.
inline const std::string kPca = "VARIABLES = a b c /ANALYSIS = a b c ";
inline const std::string kCrg = "VARIABLES = a b c /ANALYSIS = a WITH b c (ORDINAL) ";

}  // namespace syntax_test
