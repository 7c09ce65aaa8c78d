// The CATPCA and MCORRESP exports: their descriptors for the shared driver.
#include <algorithm>

#include "catpca/plan.hpp"
#include "driver/driver.hpp"
#include "exports/procedures.hpp"

namespace oscat::catpca {

namespace {

using syntax::CommandSettings;
using syntax::ProcedureKind;

// With resampling a first pass runs the samples (the bootstrap runs inside
// the analysis of all data) and a second fits the shown solution.
int passes(const CommandSettings& s) { return s.resample.method != 0 ? 2 : 1; }
int first_pass_samples(const CommandSettings& s) { return s.resample.method == 0 ? 1 : s.resample.count + 2; }

driver::DataOptions data_options(const CommandSettings& s) {
  driver::DataOptions o;
  o.default_missing = syntax::MISS_PASSIVE_MODE;
  o.all_missing_supplementary = true;
  o.keep_draws = s.print.corr || s.print.ocorr;
  o.pca_missing_checks = true;
  return o;
}

// Variables the requested SAVE and OUTFILE settings will add (informational for the host).
int saved_variables(const CommandSettings& s) {
  int count = 0;
  const auto& sv = s.save;
  const int p = std::max(1, s.dim.p);
  auto dims = [&](const syntax::SaveRequest& r) { return r.dims > 0 ? std::min(r.dims, p) : p; };
  if (sv.trdata.on) {
    // A multiple nominal variable saves one variable per dimension.
    for (int j = 0; j < s.vars.m_a; ++j) {
      const auto uj = static_cast<std::size_t>(j);
      const bool mnom = s.kind == ProcedureKind::Mcorresp ||
                        (uj < s.vars.levels.size() && s.vars.levels[uj].mlevel == syntax::MNOMINAL);
      count += mnom ? dims(sv.trdata) : 1;
    }
  }
  if (sv.object.on) count += dims(sv.object);
  if (sv.approx.on) count += s.vars.m_a;
  for (const auto& r : sv.ellarea)
    if (r.on) count += 1;
  return count;
}

std::unique_ptr<driver::RunPlan> make_plan(driver::RunContext& ctx) {
  return std::make_unique<Plan>(*ctx.settings);
}

constexpr int kCatpcaTables[] = {3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 16, 17, 15, 18, 19, 20, 21, 22};
constexpr int kMcorrespTables[] = {3,  4,  5,  6,  7,  8,  9,  10, 11, 12, 13,
                                   14, 16, 17, 15, 18, 19, 20, 21, 22, 15, 16};

const driver::ProcedureKeys kKeys{"Invalid CPR maximum observations.", "CPR Total weight too large.",
                                  "CPR Var ^1 zero variance.", "CPR Var [%1:, ^1:, $1]1 zero variance."};

}  // namespace

driver::ProcedureDescriptor describe(ProcedureKind kind) {
  const bool mca = kind == ProcedureKind::Mcorresp;
  driver::ProcedureDescriptor d;
  d.kind = kind;
  d.title = mca ? "Multiple Correspondence" : "CATPCA";
  d.version = mca ? "Version 1.0" : "Version 2.0";
  d.routine = mca ? "MCORRESP" : "CATPCA";
  d.key_prefix = mca ? "MCOR" : "CPR";
  d.subcommands = syntax::subcommand_table(kind);
  d.table_ids = mca ? std::span<const int>(kMcorrespTables) : std::span<const int>(kCatpcaTables);
  d.credit_subject = "Optimal scaling procedures";
  d.keys = kKeys;
  d.data_options = data_options;
  d.saved_variables = saved_variables;
  d.plan = make_plan;
  d.analysis = run_analysis;
  return d;
}

Plan::Plan(const CommandSettings& s)
    : PassSamplePlan(passes(s), first_pass_samples(s)), p(s.dim.p), rotation(s.rotation.method) {}

}  // namespace oscat::catpca

namespace oscat {
void run_catpca() {
  static const auto d = catpca::describe(syntax::ProcedureKind::Catpca);
  driver::run(d);
}
void run_mcorresp() {
  static const auto d = catpca::describe(syntax::ProcedureKind::Mcorresp);
  driver::run(d);
}
}  // namespace oscat
