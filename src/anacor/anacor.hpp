// ANACOR: correspondence analysis of one two-way table with listing output.
// The table, its decomposition and the matrix files are CORRESPONDENCE's
// (src/corres/); ANACOR has its own syntax, checks, listing and charts.
#pragma once

#include "corres/corres.hpp"
#include "host/host.hpp"

namespace oscat::anacor {

// Listing sections that PRINT turns on.
enum Print { R_TABLE, R_RPROFILE, R_CPROFILE, R_RSCORES, R_CSCORES, R_RCONTRIB, R_CCONTRIB, R_PERMUTAT, kPrints };
// Charts, in the order of their label lengths.
enum Plot { G_TRROWS, G_TRCOLUMN, G_ROW, G_COLUMN, G_JOINT, kPlots };
// Variance listings.
enum Variance { V_SINGULAR, V_ROW, V_COLUMN, kVariances };

struct Settings {
  // TABLE, DIMENSION, the normalization powers and the two matrix files, in
  // the form CORRESPONDENCE's table building, computation and files take.
  // Its measure stays CHISQ and it has no supplementary or equal points.
  corres::Settings table;
  bool table_given = false;
  bool variance[kVariances] = {false, false, false};
  bool print[kPrints] = {true, false, false, true, true, true, true, false};
  bool plot[kPlots] = {false, false, true, true, false};
  bool plot_none = false;
  int label_len[kPlots] = {12, 12, 12, 12, 12};
  int plot_first = 1, plot_last = 0;  // 1-based; last 0: the number of dimensions
  bool ndim_given = false;
};

// Parses the subcommands and makes the checks after the last one; false when
// the analysis must not run.
bool parse(Settings& s);

// The table, the analysis, the listing, the matrix files and the charts.
void run(Settings& s);

// The subcommand keywords as matched (8-character fields).
host::KeywordTable subcommand_keywords();

}  // namespace oscat::anacor
