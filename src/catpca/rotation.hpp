// Rotation of a shown CATPCA solution: the loadings of the active single
// variables define the rotation; object scores and centroids follow it.
#pragma once

#include "catpca/results.hpp"
#include "catpca/solution.hpp"
#include "frame/workspace.hpp"
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
  const double* objw = nullptr;             // n object weights (0: not active)
};

// The rotated components are the unrotated ones times T. Per-dimension
// statistics of the rotated solution are computed from the rotated scores and
// centroids, so they hold for every normalization.
struct RotationResult {
  bool done = false;            // false: not applicable (reported) or not asked
  bool dropped = false;         // the rotation broke down: the caller sets it to none
  bool oblique = false;         // OBLIMIN, PROMAX
  int iterations = 0;           // negative when not converged
  double* rotated = nullptr;    // p x m rotated loadings, oblique: pattern (SYSMIS column for multiple nominal)
  double* structure = nullptr;  // p x m structure loadings = pattern x phi (oblique)
  double* T = nullptr;          // p x p transformation
  double* phi = nullptr;        // p x p component correlations (oblique)
  double* vafc = nullptr;       // p x m centroid VAF on the rotated components (weight included)
  double* vafv = nullptr;       // p x m vector VAF: w_j r_js^2, r the correlation with the rotated component
  double* lambda = nullptr;     // p rotated VAF per dimension over the active variables
  double* sigma = nullptr;      // p composite variance per dimension for Cronbach's alpha (oblique)
  double* divisor = nullptr;    // p mean square of the rotated object scores (d_s)
  host::Msg note = 0;           // annotation naming the method and iterations
  host::Msg summary_note = 0;   // footnote of the rotated model summary
};

// Rotates `shown` in place (scores X and centroids Y) and fills `out`; the
// arrays come from workspace slots first_slot .. first_slot+kRotationSlots-1.
// Reports the prerequisites that fail (fewer than two single variables) and a
// promax breakdown (then `dropped`).
// Returns false only when the workspace cannot be had.
bool CPR_RotateShown(const RotationRequest& rq, Shown& shown, frame::Workspace& ws, int first_slot,
                     RotationResult& out);

}  // namespace oscat::catpca
