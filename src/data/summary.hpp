// The case processing summary and the descriptive statistics tables.
#pragma once

#include "data/categories.hpp"
#include "syntax/settings.hpp"

namespace oscat::data {

struct SummaryInput {
  double valid = 0, total = 0;    // weighted, from the missing-value treatment
  const double* w = nullptr;      // weights of the kept objects
  const double* aside = nullptr;  // case weights of the kept objects set aside (null: 1 each)
  int n_read = 0;                 // cases read by the first pass
  int n_kept = 0;                 // objects kept after listwise exclusion
  int removed = 0;
  const int* excluded_first = nullptr;  // up to 30 case numbers
  const CategoryBook* book = nullptr;   // untreated bookkeeping (missing counts)
  const int* vars = nullptr;
  int m = 0;
};

// Table 4, with the "miss zero" warning before it.
void case_processing_summary(const SummaryInput& in);

// Scaling-level footnote text for one record (a composite message handle).
int ZYL_AnnOSLevel(const syntax::ScalingLevelRecord& r);

struct DescriptiveInput {
  const syntax::CommandSettings* s = nullptr;
  const int* handles = nullptr;        // value tables (codes stored with the keys)
  const CategoryBook* original = nullptr;
  const CategoryBook* treated = nullptr;
  const double* method = nullptr;      // discretization per variable (after defaults)
  const int* ncat = nullptr;           // effective NCAT per variable
  const int* miss_code = nullptr;      // missing treatment per variable
};

// Table 5: one table per variable on the PRINT DESCRIP list, under a heading.
void descriptive_statistics(const DescriptiveInput& in);

}  // namespace oscat::data
