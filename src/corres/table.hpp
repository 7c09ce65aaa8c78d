// Building the two-way table of a correspondence analysis, shared by
// CORRESPONDENCE and ANACOR (which reads the same TABLE specification).
#pragma once

#include "corres/corres.hpp"

namespace oscat::corres {

// The I x J table F (column-major) from the cases or from the matrix in the
// working file, as `s` describes it (table_mode, variables, ranges, matrix
// variables), then the checks on its cells (values not finite, negative
// values). `rowcat` (I values) receives the ROWCAT_ values of a matrix.
// False after the message that ends the run; `allint` tells whether every
// cell is a whole number.
bool build_table(const Settings& s, double* F, double* rowcat, bool& allint);

}  // namespace oscat::corres
