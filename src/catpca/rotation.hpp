// Rotation of a shown CATPCA solution: the loadings of the active single
// variables define the rotation; object scores and centroids follow it.
#pragma once

#include "catpca/results.hpp"
#include "catpca/solution.hpp"
#include "driver/workspace_registry.hpp"
#include "host/host.hpp"

namespace oscat::catpca {

// Workspace slots used from the first slot given to CPR_RotateShown.
inline constexpr int kRotationSlots = 8;

struct RotationRequest {
  int method = 0;          // syntax ROT_* code
  double param = 0;        // delta (OBLIMIN) or kappa (PROMAX)
  bool kaiser = true;
  const CategoryAggregates* agg = nullptr;  // m variables
  const int* active = nullptr;              // m flags
  const int* multiple = nullptr;            // m flags
};

struct RotationResult {
  bool done = false;            // false: not applicable (reported) or not asked
  int iterations = 0;           // negative when not converged
  double* rotated = nullptr;    // p x m rotated loadings (SYSMIS column for multiple nominal)
  double* T = nullptr;          // p x p transformation
  host::Msg note = 0;           // annotation naming the method and iterations
};

// Rotates `shown` in place (scores X and centroids Y) and fills `out`; the
// arrays come from workspace slots first_slot .. first_slot+kRotationSlots-1.
// Reports the prerequisites that fail (fewer than two single variables).
// Returns false only when the workspace cannot be had.
bool CPR_RotateShown(const RotationRequest& rq, Shown& shown, driver::WorkspaceRegistry& ws, int first_slot,
                     RotationResult& out);

}  // namespace oscat::catpca
