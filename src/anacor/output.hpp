// ANACOR's output: plain listing text and the charts.
#pragma once

#include "anacor/anacor.hpp"
#include "corres/corres_output.hpp"

namespace oscat::anacor {

// A finished (or partly finished) run as the output routines read it.
struct View {
  const Settings& s;
  corres::Analysis& a;  // the permutation order is computed into a.perm
  const corres::Labels& l;
  bool allint;
};

// The title of the listing.
void banner();
// The table as read (d < 0) or permuted by the scores of dimension d (0-based),
// with its margins.
void list_table(const View& v, int d);
// Row and column profiles with their margins.
void list_profiles(const View& v);
// The notes of a table that has no dimension left.
void list_independent();
// Singular values, inertias and proportions.
void list_singular_values(const View& v);
// Scores and contributions of the rows (col = false) or columns, as PRINT asks.
void list_points(const View& v, bool col);
// Variances and correlations of the singular values and of the points.
void list_variances(const View& v);
// The charts PLOT asks for, over the settled plot range.
void charts(const View& v);

}  // namespace oscat::anacor
