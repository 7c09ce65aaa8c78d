// The two passes over the active file and the steps that work on the case
// data they produce: value tables, discretization set-up, supplementary
// objects, objects missing on every variable, zero-variance check.
//
// Arrays are the caller's (the driver's workspace blocks). `vars` holds the m
// dictionary indexes of AnalysisVariables; coded data are n x m,
// column-major; `cases` holds 2n integers (case numbers, then exclusion flags).
#pragma once

#include <span>
#include <string_view>

#include "data/categories.hpp"
#include "syntax/settings.hpp"

namespace oscat::data {

// One host value table per variable. False when the host cannot provide one
// (an error has been reported); handles already opened stay in `handles`.
bool open_value_tables(const int* vars, int m, int* handles);
// Discard and free every opened table (non-zero handle), then close.
void close_value_tables(int* handles, int m);

// Distinct valid values per variable and how often each occurs; returns n,
// the number of cases read. `error` is set (and reported) when a table fails
// or a variable has no valid value.
int first_data_pass(const int* vars, int m, const int* handles, int* ndistinct, bool& error);

// Category codes from the value tables, case weights and case numbers. The
// values as read are not kept: nothing after the coding uses them.
void second_data_pass(const int* vars, int m, const int* handles, int n, double* coded, double* w, int* cases);

// Store a category code with every key. `method`, `ncat` and `ncat_eff` are
// the per-variable settings (defaults are filled in); `scratch` holds
// 3 * (largest number of distinct values) doubles. Reports the defaults it
// applied and too-large category counts (warnings) and unknown methods (error).
// Returns false on an error.
bool discretization_setup(const int* vars, int m, const int* handles, double* method, int* ncat,
                          int* ncat_eff, double* scratch);

// EQINTV widths larger than the range of the variable are errors.
bool equal_interval_check(const int* vars, int m, const int* handles, const double* method);

// SUPPLEMENTARY OBJECT(...): weight 0 for every case named (case numbers in
// `cases`, ascending). An entry naming no case read is an error. False on an
// error. `aside` (n, may be null) receives the case weight of each object set
// aside, so that the case processing summary can count it weighted.
bool supplementary_objects(std::span<const syntax::SupplementaryObject> list, double* w, const int* cases,
                          int n, double* aside = nullptr);

// CATPCA / MCORRESP: objects without a valid code on any active analysis
// variable get weight 0 (a warning naming their case numbers, from `cases`),
// their case weight kept in `aside` as above. Returns whether any object was
// set aside.
bool all_missing_objects(const double* coded, double* w, const int* cases, int n, int ma, const int* supp_var,
                         double* aside = nullptr);

// Variables (among the first ma) with zero variance on the objects of a run:
// flags[j] = 1.0 for each; returns how many.
int zero_variance(const CategoryBook& b, int ma, double* flags);

// Zero-variance check whose finding is an error: the variables are flagged
// as by zero_variance and named in `single` (one) or `list` (several, with a
// list slot). Returns the count found.
int zero_variance_check(const CategoryBook& b, const int* vars, int ma, std::string_view single,
                        std::string_view list, double* flags);

}  // namespace oscat::data
