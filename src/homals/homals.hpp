// HOMALS: homogeneity analysis of variables coded 1 to a declared maximum,
// by alternating least squares on the compact category-number form.
#pragma once

#include <string>
#include <vector>

#include "frame/workspace.hpp"
#include "host/host.hpp"

namespace oscat::homals {

// Plots, in the order of their label lengths.
enum Plot { P_DISCRIM, P_OBJECT, P_QUANT, P_OBJECT_BY, P_QUANT_SEL, kPlots };
// Printed tables.
enum Print { R_FREQ, R_HISTORY, R_EIGEN, R_DISCRIM, R_OBJECT, R_QUANT, kPrints };

struct Settings {
  frame::Workspace* ws = nullptr;
  // VARIABLES: dictionary index and maximum category of each listed variable.
  std::vector<int> vars;
  std::vector<int> max;
  // ANALYSIS: positions in `vars` of the analysis variables (all when absent).
  std::vector<int> analysis;
  int p = 2;
  int maxiter = 100;
  double converge = 1e-5;
  int nobserv = 0;  // 0: all cases
  bool print[kPrints] = {true, false, true, true, false, true};
  bool plot[kPlots] = {false, true, true, false, false};
  int label_len[kPlots] = {12, 12, 12, 12, 12};
  std::vector<int> object_by;   // dictionary indexes labelling object plots
  std::vector<int> quant_sel;   // dictionary indexes of the selected quantification plots
  int ndim_first = 1, ndim_last = 2;
  bool ndim_given = false;
  bool save = false;
  std::string save_root;
  int save_dims = 0;            // 0: every dimension
  int matrix_handle = 0;        // MATRIX OUT file (0: none)
};

// Parses the subcommands and makes the checks after the last one; false when
// the analysis must not run.
bool parse(Settings& s);

// The data pass, the analysis and every table, chart and file.
void run(Settings& s);

// The subcommand table, for the command reference's coverage test.
host::KeywordTable subcommand_keywords();

}  // namespace oscat::homals
