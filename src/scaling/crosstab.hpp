// Correlations of variables whose value on an object is a function of a
// small per-object state (a category, a stand-in for a missing value): the
// weighted cross-tabulation of two state columns holds everything the
// correlation needs, so it is formed once and evaluated for any assignment
// of values to states (original values, quantifications in each dimension).
//
// States are column-major n x m, one narrow unsigned type per call (uint8_t
// when every variable has fewer than 255 states, else uint16_t or uint32_t); the largest
// value of the type marks an object without a value on that variable.
#pragma once

#include <cstddef>
#include <cstdint>

namespace oscat::scaling {

template <class T>
inline constexpr T kNoState = static_cast<T>(~T{0});

// tab[a * kb + b] += w_i over the objects with states a < ka on column `sa`
// and b < kb on column `sb` (w == nullptr: weight 1 each). `tab` (ka * kb)
// is set here. `counts` (ka * kb) is scratch for the unweighted case.
template <class T>
void CrossTab(const T* sa, int ka, const T* sb, int kb, int n, const double* w, double* tab,
              std::uint32_t* counts);

// Unweighted cross table of two columns whose objects without a state carry
// the variable's state count instead (a closed column): counts[base[i] +
// b[i]] += 1, where base[i] = a[i] * stride. `counts` is set to 0 first
// (`cells` entries). The unweighted pairs of a run share `base` per first
// variable, so that an object costs one look-up.
void CountPairs(const std::uint16_t* base, const std::uint8_t* b, int n, std::uint32_t* counts, std::size_t cells);

// Weighted frequency of each state (k entries).
template <class T>
void StateFrequencies(const T* s, int k, int n, const double* w, double* freq);

// Weighted mean of the values of the states, over the states whose value is
// not `skip` (the system-missing value); 0 when they weigh nothing.
double StateMean(const double* freq, const double* value, int k, double skip);

// Correlation of two variables from their cross table: deviations from the
// given means, over the cells whose two values are not `skip`; 0 when either
// sum of squares is at most `tiny`.
double CrossTabCorrelation(const double* tab, int ka, int kb, const double* va, const double* vb,
                           double mean_a, double mean_b, double skip, double tiny);

// The same correlation summed object by object, for pairs whose table would
// be larger than the data.
template <class T>
double DirectCorrelation(const T* sa, const T* sb, int n, const double* w, const double* va,
                         const double* vb, double mean_a, double mean_b, double skip, double tiny);

}  // namespace oscat::scaling
