// CORRESPONDENCE output: pivot tables, charts and the two matrix files.
#pragma once

#include <string>
#include <vector>

#include "corres/corres.hpp"

namespace oscat::corres {

struct Labels {
  std::vector<std::string> row, col;  // shown labels
  std::vector<std::string> row_level, col_level;  // LEVEL_ texts: label, or the number when blank
  std::string row_heading, col_heading;            // variable label or name (for charts)
};
void make_labels(const Settings& s, const double* rowcat, Labels& l);

class Output {
 public:
  Output(const Settings& s, const Analysis& a, const Labels& l, bool allint)
      : s_(s), a_(a), l_(l), allint_(allint) {}
  // d < 0: the correspondence table; else the permuted table of dimension d.
  void correspondence_table(int d);
  void row_profiles();
  void column_profiles();
  void summary();
  void overview(bool col);
  void confidence(bool col);
  void charts();
  void score_file();
  void variance_file();

 private:
  void profiles(bool col);
  const Settings& s_;
  const Analysis& a_;
  const Labels& l_;
  bool allint_;
};

}  // namespace oscat::corres
