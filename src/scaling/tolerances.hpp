// The tolerances of the scaling kernels, each named once with its reason.
#pragma once

namespace oscat::scaling {

// A weighted sum of squares at or below this is a constant variable or
// target: there is no scale to normalize by, and dividing by it would blow
// rounding noise up to a unit variance.
inline constexpr double kZeroSumOfSquares = 1e-25;
// A restriction target whose sum of squares is below this has no direction
// left to fit (all its categories coincide to rounding).
inline constexpr double kNoTarget = 1e-20;
// In the coordinate descent of the spline fit, a basis column norm or a
// gradient below this counts as zero: the coefficient stays at its bound.
inline constexpr double kSplineZero = 1e-13;
// Quantifications (or loadings between two rounds) that differ by less than
// this are equal: the variable is constant, or the rounds have settled.
inline constexpr double kSettled = 1e-12;

}  // namespace oscat::scaling
