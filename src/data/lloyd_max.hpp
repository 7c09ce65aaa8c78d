// Lloyd-Max quantizer of the standard normal distribution.
//
// The minimum mean-squared-error quantizer with L levels has decision
// thresholds halfway between neighbouring reconstruction points, and each
// reconstruction point is the conditional mean of its cell. Lloyd's iteration
// alternates those two conditions until the thresholds stop moving. The
// stored table (lloyd_max_table.hpp) was produced by this routine; a unit test
// re-runs it so the table cannot drift from the method.
#pragma once

namespace oscat::data {

// Non-negative decision thresholds of the L-level quantizer (2 <= L), in
// ascending order, written to `out` (floor(L/2) entries; the first is 0 for
// even L). `work` needs 2*L doubles. Iterates until no threshold moves by more
// than `tol`, or `max_iter` iterations. Returns the number of iterations used,
// or -1 when L < 2 or the iteration did not converge.
int lloyd_max_thresholds(int levels, double* out, double* work, double tol = 1e-13,
                         int max_iter = 2000000);

}  // namespace oscat::data
