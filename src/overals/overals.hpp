// OVERALS: nonlinear canonical correlation analysis of sets of variables
// (single nominal, ordinal, numerical or multiple nominal) by alternating
// least squares.
#pragma once

#include <string>
#include <vector>

#include "frame/workspace.hpp"
#include "host/host.hpp"

namespace oscat::overals {

// Level codes of the analysis variables.
enum Level { SNOMINAL = 0, ORDINAL = 1, NUMERICAL = 2, MNOMINAL = 3 };
// Printed tables.
enum Print { R_FREQ, R_HISTORY, R_WEIGHT, R_LOADING, R_QUANT, R_CENTROID, R_OBJECT, kPrints };
// Plots.
enum Plot { P_OBJECT, P_QUANT, P_LOADING, P_CENTROID, P_TRANS, kPlots };

struct Settings {
  frame::Workspace* ws = nullptr;
  std::vector<int> vars, max;       // VARIABLES: dictionary index, maximum category
  std::vector<int> analysis;        // ANALYSIS: dictionary indexes in order
  std::vector<int> level;           // their levels
  std::vector<int> set_sizes;       // SETS
  int p = 2;
  int maxiter = 100;
  double converge = 1e-5;
  int nobserv = 0;
  bool random_start = false;
  bool print[kPrints] = {true, true, true, true, false, false, false};
  bool plot[kPlots] = {true, false, true, false, false};
  std::vector<int> trans_vars;      // PLOT TRANS: dictionary indexes (empty: every analysis variable)
  int ndim_first = 1, ndim_last = 2;
  bool save = false;
  std::string save_root;
  int save_dims = 0;
  int matrix_handle = 0;
  bool split_file = false;          // the file was split: SAVE is refused
};

bool parse(Settings& s);
void run(Settings& s);

// The subcommand table, for the command reference's coverage test.
host::KeywordTable subcommand_keywords();

}  // namespace oscat::overals
