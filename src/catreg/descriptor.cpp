// The CATREG export: its descriptor for the shared driver.
#include "catreg/analysis.hpp"
#include "catreg/schedule.hpp"
#include "driver/driver.hpp"
#include "exports/procedures.hpp"
#include "frame/messages.hpp"

namespace oscat::catreg {

namespace {

using syntax::CommandSettings;

driver::DataOptions data_options(const CommandSettings&) {
  driver::DataOptions o;
  o.default_missing = syntax::MISS_LISTWISE;
  return o;
}

int saved_variables(const CommandSettings& s) {
  const auto& sv = s.save;
  return (sv.trdata.on ? s.vars.m_a : 0) + (sv.pre.on ? 1 : 0) + (sv.res.on ? 1 : 0);
}

constexpr int kTables[] = {12, 3, 4, 5, 6, 7, 8, 9, 10, 11, 13, 14};

}  // namespace

}  // namespace oscat::catreg

namespace oscat {
void run_catreg() {
  static const driver::ProcedureDescriptor d = [] {
    driver::ProcedureDescriptor d;
    d.kind = syntax::ProcedureKind::Catreg;
    d.title = "Catreg";
    d.version = "Version 3.0";
    d.routine = "CATREG";
    d.key_prefix = "CRG";
    d.subcommands = syntax::subcommand_table(syntax::ProcedureKind::Catreg);
    d.table_ids = catreg::kTables;
    d.credit_subject = "Optimal scaling procedures";
    d.keys = {"Invalid CRG maximum observations.", "CRG Total weight too large.", "CRG Var ^1 zero variance.",
              "CRG Var [%1:, ^1:, $1]1 zero variance."};
    d.data_options = catreg::data_options;
    d.saved_variables = catreg::saved_variables;
    d.plan = catreg::make_schedule;
    d.analysis = catreg::analysis;
    return d;
  }();
  driver::run(d);
}
}  // namespace oscat
