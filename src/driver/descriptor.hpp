// What a procedure hands to the shared driver. The driver runs the frame,
// the parsers, the data passes and the data preparation for any procedure
// described here; everything that differs between procedures is a field or
// an entry of its descriptor.
#pragma once

#include <memory>
#include <span>

#include "host/host.hpp"
#include "syntax/settings.hpp"

namespace oscat::driver {

using syntax::ProcedureKind;
struct RunContext;

// The procedure's side of one command: its checks after parsing, its loops
// over the runs (passes, penalty values, samples) and whatever its runs
// settle and share. The driver asks for the next run until there is none;
// the first run carries `first_run`, on which the driver prepares the data.
class RunPlan {
 public:
  virtual ~RunPlan() = default;
  // After the parsers, before the data pass: the procedure's own checks and
  // workspace. False on error.
  virtual bool prepare(RunContext&) { return true; }
  // Sets the run fields of `ctx` for the next run; false when all are done.
  virtual bool next(RunContext& ctx) = 0;
};

// Keys whose wording names the procedure.
struct ProcedureKeys {
  const char* max_observations;       // fewer than 3 active cases
  const char* total_weight;           // weights whose sums overflow
  const char* zero_variance;          // "... Var ^1 zero variance."
  const char* zero_variance_list;     // the same with a list slot
};

// How the data preparation treats this procedure's data.
struct DataOptions {
  int default_missing = 2;            // treatment of variables MISSING does not name
  bool all_missing_supplementary = false;  // objects missing on every analysis variable become supplementary
  bool keep_draws = false;            // keep the categories drawn for passive random imputation
  bool pca_missing_checks = false;    // LISTWISE checks against supplementary variables and a fixed configuration
};

struct ProcedureDescriptor {
  ProcedureKind kind = ProcedureKind::Catpca;  // the parsers' subcommand set and defaults
  const char* title = "";        // frame title, also the first line of the credit table
  const char* version = "";      // 11 characters, e.g. "Version 2.0"
  const char* routine = "";      // the export's name (internal-error reports)
  const char* key_prefix = "";   // "CPR", "CRG", "MCOR"
  host::KeywordTable subcommands;  // 8-character fields
  std::span<const int> table_ids;  // declared in this order
  const char* credit_subject = "";  // the attribution line naming the analysis
  ProcedureKeys keys{};

  // Data options for the parsed command.
  DataOptions (*data_options)(const syntax::CommandSettings&) = nullptr;
  // Variables the requested SAVE and OUTFILE settings will add (for OBINIT).
  int (*saved_variables)(const syntax::CommandSettings&) = nullptr;
  // The procedure's plan of runs, made once the command is parsed.
  std::unique_ptr<RunPlan> (*plan)(RunContext&) = nullptr;
  // One run. False after reporting an error; the driver then closes.
  bool (*analysis)(RunContext&) = nullptr;
};

}  // namespace oscat::driver
