// Variables that CATPCA, MULTIPLE CORRESPONDENCE and CATREG save to the
// working file or write to output data files: unique names from a root, the
// numbers of the variable and dimension and a counter; catalogue labels; the
// "Variables Created or Modified" and "Files Saved" notes; one data file per
// OUTFILE keyword.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "host/host.hpp"

namespace oscat::data {

// Longest variable name the host accepts.
inline constexpr int kMaxSavedNameLength = 64;
// Counters tried before a keyword is out of names.
inline constexpr int kMaxSaveCounter = 99;

// One variable of a SAVE keyword. The name is
//   root [number] ["_" dim] "_" counter
// (number 0 / dim 0: that part is absent), e.g. TRA2_1, TRA2_3_1, OBSCO1_1, PRE_1.
struct SavedVar {
  int number = 0;
  int dim = 0;
  std::string label;
};

// The name of `v` with `counter`; the root is shortened from the right so the
// whole name has at most kMaxSavedNameLength bytes (never inside a UTF-8
// sequence).
std::string ZYL_SaveName(std::string_view root, const SavedVar& v, int counter);

// The first counter 1..kMaxSaveCounter for which no name of `vars` is taken
// (`taken` answers for a name; names within the batch must differ too);
// 0 when every counter is taken.
int ZYL_SaveCounter(std::string_view root, const std::vector<SavedVar>& vars,
                    const std::function<bool(const std::string&)>& taken);

// Catalogue text `number` ("64039" ..., or a message key) with `label` in ^1 and, when `dim`
// > 0, the dimension in ^2 (or in ^1 when `label` is empty).
std::string ZYL_SaveLabel(std::string_view number, std::string_view label, int dim);

// Creates the numeric variables of one keyword in the working dictionary
// (every existing case gets system-missing) and lists them in the notes
// under "Variables Created or Modified". Returns their dictionary indexes in
// the order of `vars`; empty after the warning `out_of_names_key` when all
// counters are taken.
std::vector<int> ZYL_CreateSaved(std::string_view root, const std::vector<SavedVar>& vars,
                                 std::string_view out_of_names_key);

// One OUTFILE data file: `vars` named with `root` (counter 1: the file is
// new), `values` column-major (rows x vars.size()). The host reports why a
// file cannot be written; this adds an error naming the file. On success the
// file is listed under "Files Saved" with `contents_key`. False on failure.
bool ZYL_WriteSavedFile(int handle, std::string_view root, const std::vector<SavedVar>& vars, int rows,
                        const double* values, std::string_view contents_key);

// The same for variables whose names the caller gives (files with fixed
// variable names, such as CATREG's regularization file).
bool ZYL_WriteDataFile(int handle, std::vector<host::FileVar> dict, int rows, const double* values,
                       std::string_view contents_key);

}  // namespace oscat::data
