// PRINCALS: nonlinear principal components analysis of variables coded 1 to
// a declared maximum, at four levels, with listing output.
#pragma once

#include <string>
#include <vector>

#include "frame/workspace.hpp"
#include "host/host.hpp"

namespace oscat::princals {

// Level codes, in the order of the level keywords.
enum Level { MNOMINAL = 0, SNOMINAL = 1, ORDINAL = 2, NUMERICAL = 3 };
enum Print { R_FREQ, R_HISTORY, R_EIGEN, R_CORREL, R_OBJECT, R_QUANT, R_LOADING, kPrints };
enum Plot { P_OBJECT, P_QUANT, P_LOADING, kPlots };

struct Settings {
  frame::Workspace* ws = nullptr;
  std::vector<int> vars, max;   // VARIABLES
  std::vector<int> level;       // per VARIABLES entry (default ORDINAL)
  std::vector<int> analysis;    // positions in `vars` of the analysis variables
  int p = 2;
  int maxiter = 100;
  double converge = 1e-5;
  int nobserv = 0;
  bool print[kPrints] = {true, true, true, false, false, true, true};
  bool plot[kPlots] = {true, false, true};
  bool save = false;
  std::string save_root;
  int save_dims = 0;
  int matrix_handle = 0;
};

bool parse(Settings& s);
void run(Settings& s);

// The subcommand table, for the command reference's coverage test.
host::KeywordTable subcommand_keywords();

}  // namespace oscat::princals
