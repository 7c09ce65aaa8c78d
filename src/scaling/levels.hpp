// The vocabulary of optimal scaling: scaling levels, the per-variable level
// record and the missing-value treatment whose last category is an extra one.
#pragma once

#include <cstdint>

namespace oscat::scaling {

// Scaling levels (`mlevel`).
inline constexpr std::int32_t NOMINAL = 0, ORDINAL = 1, NUMERICAL = 2, MNOMINAL = 3, SPORD = 4,
                              SPNOM = 5;

inline bool is_spline(int level) { return level == SPORD || level == SPNOM; }

struct ScalingLevelRecord {
  std::int32_t mlevel = -1;
  std::int32_t inknot = -1;  // interior knots (spline levels), else 0
  std::int32_t degree = -1;  // spline degree (spline levels), else 0
  std::int32_t status = 0;   // set by the missing-value treatment
};

// Missing-value treatment (code 4) that appends an extra, active category.
inline constexpr int MISS_ACTIVE_EXTRACAT = 4;

}  // namespace oscat::scaling
