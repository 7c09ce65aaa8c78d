// Discretization: turning the distinct values of a variable into category codes.
#pragma once

namespace oscat::data {

// Method codes as the DISCRETIZATION settings hold them; a negative method is
// GROUPING with EQINTV, the interval width being its absolute value.
inline constexpr double kDiscNone = 0, kDiscRanking = 1, kDiscMultiplying = 2,
                        kDiscUniform = 3, kDiscNormal = 4;

// WidthTooSmall: an EQINTV width so small against the range of the values
// that a code would not be a 32-bit whole number (or not finite at all).
enum class CodeStatus { Ok, TooFewValues, UnknownMethod, WidthTooSmall };

// Codes for the `k` distinct values `v` (ascending; ranks 1..k for a string
// variable) with occurrence counts `c`. `ncat` is used by the GROUPING
// methods. With GROUPING and ncat >= k every value gets its rank and the
// result is TooFewValues (the caller reports it). Without discretization a
// value of 0 or below gets -2 (treated as missing later).
CodeStatus code_values(double method, int ncat, const double* v, const double* c, int k,
                       double* codes);

// Default applied when a variable has no method: RANKING for strings,
// GROUPING (normal, 7 categories) for numeric variables with a non-integer
// value, none otherwise. Returns the method and sets `ncat`.
double default_method(bool is_string, const double* v, int k, int& ncat);

}  // namespace oscat::data
