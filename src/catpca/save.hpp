// SAVE and OUTFILE of CATPCA and MULTIPLE CORRESPONDENCE: the transformed
// variables, object scores and approximations of the shown solution, as new
// variables of the working file and as data files.
#pragma once

#include "catpca/output.hpp"

namespace oscat::catpca {

// After the output of the final solution. One value per object: active and
// supplementary objects get theirs, excluded objects system-missing (cases
// outside the analysis keep the system-missing they got on creation).
void CPR_Save(const OutputInput& in);

}  // namespace oscat::catpca
