// RunContext: everything the driver hands to the analysis of one run.
//
// The driver prepares the data once (the first run) and then calls the
// procedure's analysis once per run of the procedure's plan. The analysis
// reads the fields below and must not free or replace any driver array.
//
// Data layout (all arrays live in the host workspace, owned by `ws`):
//   coded   n x m category codes, column-major (variable j at coded + j*n).
//           Codes > 0 are categories; 0 system-missing, -1 user-missing,
//           -2 a value below 1 of a variable without discretization. Codes
//           are the treated ones: extra-category / mode / random imputations
//           applied, listwise-excluded objects removed.
//   w       n weights; 0 marks an object that is not active (supplementary
//           objects, objects missing on every variable).
//   cases   n case numbers (1-based sequence numbers in the active file) of
//           the objects kept, in file order.
//   status  n object status: 0 complete, -1 kept with missing values.
//   draw    n x m (may be nullptr): categories drawn for passive random
//           imputation, used only by the correlation tables; 0 elsewhere.
//   book    category bookkeeping of the treated data (values, weighted
//           frequencies, mode, K_j per variable; extra category last).
//   original  the same bookkeeping before the missing-value treatment.
// Variables are indexed 0..m-1 in AnalysisVariables order: the m_a analysis
// variables first (CATREG: index 0 is the dependent variable), then the other
// VARIABLES entries. settings->vars.variables[j] is the dictionary index.
//
// Flags per run (set by the procedure's plan):
//   first_run   first pass, first sample: the analysis of all data; the data
//               preparation has just been done.
//   final_pass  the last pass; output, saved variables and files belong to it.
//   final_run   last sample of the current pass (and penalty values).
// Sample runs: the analysis draws the sample itself and must run the
// zero-variance check on the sample's bookkeeping; the driver runs it only
// for the first run.
#pragma once

#include "data/categories.hpp"
#include "driver/descriptor.hpp"
#include "frame/workspace.hpp"
#include "syntax/settings.hpp"

namespace oscat::driver {

struct RunContext {
  // The command. Settings are final once parsed; what a run settles (a
  // lowered dimension, a dropped request) the procedure keeps in its plan.
  const ProcedureDescriptor* desc = nullptr;
  const syntax::CommandSettings* settings = nullptr;
  frame::Workspace* ws = nullptr;  // analysis slots start at kFirstAnalysisSlot
  RunPlan* plan = nullptr;         // the procedure's own loops and state

  // Sizes.
  int n_read = 0;   // cases read by the first data pass
  int n = 0;        // objects kept after listwise exclusion (n')
  int m = 0;        // VARIABLES count
  int m_a = 0;      // analysis variables

  // Data (see the layout above).
  double* coded = nullptr;
  double* w = nullptr;
  int* cases = nullptr;
  int* status = nullptr;
  double* draw = nullptr;
  data::CategoryBook book;
  data::CategoryBook original;
  const int* value_tables = nullptr;  // one host value table per variable (codes with the keys)
  const double* discr_method = nullptr; // per variable, after the defaults
  const int* discr_ncat = nullptr;      // effective NCAT per variable
  const int* missing_code = nullptr;    // treatment 1..7 per variable
  bool has_supplementary_objects = false;  // SUPPLEMENTARY OBJECT or all-missing objects
  double valid_weight = 0, total_weight = 0;  // case processing summary counts

  // The current run.
  int pass = 1, passes = 1;
  bool final_pass = true;
  int sample = 0, samples = 1;    // sample 0 uses all active data
  bool first_run = true;
  bool final_run = true;

  // Zero-variance flags of the current run (m_a entries, 1.0 flagged).
  double* zero_variance = nullptr;
  int zero_variance_count = 0;

  // An output file opened by the analysis: the closing sequence closes it.
  int output_file = 0;
};

}  // namespace oscat::driver
