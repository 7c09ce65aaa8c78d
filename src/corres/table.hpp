// Building the two-way table of a correspondence analysis, shared by
// CORRESPONDENCE and ANACOR (which reads the same TABLE specification).
#pragma once

#include <cstddef>

#include "corres/corres.hpp"
#include "frame/workspace.hpp"

namespace oscat::corres {

// The I x J table F (column-major) from the cases or from the matrix in the
// working file, as `s` describes it (table_mode, variables, ranges, matrix
// variables), then the checks on its cells (values not finite, negative
// values). `rowcat` (I values) receives the ROWCAT_ values of a matrix.
// False after the message that ends the run; `allint` tells whether every
// cell is a whole number.
bool build_table(const Settings& s, double* F, double* rowcat, bool& allint);

// The analysis arrays of an I x J table from `blocks`, sized by `z` (q
// dimensions, p wanted), with the loadings block A of `a_size` values and the
// vector buffer of at least `ubuf_size`; returns the I values for ROWCAT_.
// The caller checks blocks.failed().
double* allocate_analysis(frame::Workspace& blocks, Analysis& a, const Sizes& z, int I, int J, int q, int p,
                          std::size_t a_size, std::size_t ubuf_size);

}  // namespace oscat::corres
