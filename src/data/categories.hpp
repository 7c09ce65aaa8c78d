// Category bookkeeping and the missing-value treatment, on the coded data in
// memory (column-major n x m, codes > 0 valid; 0 system-missing, -1
// user-missing, -2 a value below 1 of a variable without discretization).
#pragma once

namespace oscat::data {

// Per-variable categories. The arrays are the caller's; `cap` is the room per
// variable (the number of distinct values of the variable plus one for an
// extra category is always enough).
struct CategoryBook {
  int m = 0;
  int cap = 0;
  int* count = nullptr;     // m: K_j
  double* values = nullptr; // cap * m: ascending category values (variable j at j*cap)
  double* freq = nullptr;   // cap * m: weighted frequencies
  double* mode = nullptr;   // m: category value with the largest frequency (lowest on ties)
  double* miss = nullptr;   // 3 * m: weighted counts of codes -2, -1 and 0 (variable j at 3j)
  int* extra = nullptr;     // m: 1 when the last category is an extra category
};

// Collect, for each variable, the distinct positive codes (ascending), the sum
// of the weights per category, the mode and the weighted missing counts.
// `scratch` holds n doubles. Returns false when a variable has more categories
// than `cap` (a caller error).
bool category_bookkeeping(const double* coded, int n, int m, const double* w, CategoryBook& b,
                          double* scratch);

// Copies a book into another of the same m and cap.
void copy_book(const CategoryBook& from, CategoryBook& to);

// Index (0-based) of `value` among the categories of variable j, -1 when absent.
int category_index(const CategoryBook& b, int j, double value);

// Issue flags per variable set by the treatment.
enum : int {
  kIssueInvalidCode = 1,      // code outside 1..7: reset to 2
  kIssueListwiseSupp = 2,     // LISTWISE on a supplementary variable with missing values
  kIssueListwiseFixed = 4,    // LISTWISE variable with missing values and a FIXED configuration
  kIssueTooManyMissing = 8,   // fewer than 3 weighted valid values
};

struct MissingInput {
  int n = 0, m = 0, ma = 0;
  bool pca = true;               // CATPCA / MCORRESP (supplementary-variable checks)
  bool fixed_config = false;
  const int* supp_var = nullptr; // m flags (nullptr: none)
  double (*urand)(void*) = nullptr;  // uniform [0, 1) for random imputation
  void* urand_ctx = nullptr;
  double* aside = nullptr;       // n, may be null: compacted with the weights
};

struct MissingResult {
  double valid = 0;         // weighted count of complete objects
  double total = 0;         // weighted count of all objects
  int n_after = 0;          // objects left after listwise exclusion
  int removed = 0;
  int excluded_first[30] = {};  // case numbers of the first 30 excluded objects
  bool any_extra = false, any_passive = false, any_listwise = false;
  bool too_few_objects = false; // remaining total weight below 3
  bool error = false;           // any error issue or too_few_objects
};

// The treatment of Part "missing values": `code` (m, may be corrected),
// `coded` and `w` (changed in place and compacted on listwise exclusion, the
// leading dimension becoming n_after), `cases` (n case numbers, compacted),
// `status` (n: 1 excluded, -1 kept with missing values, 0 complete; a non-zero
// status on entry marks an object already set aside and is kept), `book` the
// bookkeeping of the untreated data (an extra category is appended to it),
// `valid_per_var` (m weighted valid counts), `issue` (m flags), `draw` (n*m or
// nullptr: the category drawn for passive random imputation, 0 elsewhere).
MissingResult treat_missing(const MissingInput& in, int* code, double* coded, double* w,
                            int* cases, int* status, CategoryBook& book, double* valid_per_var,
                            int* issue, double* draw);

}  // namespace oscat::data
