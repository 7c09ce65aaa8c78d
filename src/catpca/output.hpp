// Tables and charts of a CATPCA / MULTIPLE CORRESPONDENCE solution.
#pragma once

#include "catpca/bootstrap.hpp"
#include "catpca/pralgo.hpp"
#include "catpca/results.hpp"
#include "catpca/rotation.hpp"
#include "driver/run_context.hpp"

namespace oscat::catpca {

struct OutputInput {
  driver::RunContext* ctx = nullptr;
  const char* pre = "CPR";       // key prefix of the procedure
  bool mca = false;
  const CategoryAggregates* agg = nullptr;  // m_a variables
  const int* codes = nullptr;    // n x m_a category indexes (1-based, 0 none)
  const int* multiple = nullptr; // m_a flags
  const int* suppl = nullptr;    // m_a flags
  const int* suppl_only = nullptr;
  const double* lambda = nullptr;
  const HistoryRow* history = nullptr;
  const PrResult* res = nullptr;
  const Shown* shown = nullptr;
  double N = 0;                  // active object weight
  // Object weights of the analysis (n): ctx->w, with the objects that a
  // configuration file left out set to 0. `conf_excluded` (n, may be null)
  // marks those objects.
  const double* objw = nullptr;
  const int* conf_excluded = nullptr;
  // Normalization exponent of the object scores (0 with a fixed configuration,
  // whose scores are not rescaled): the MULTIPLE CORRESPONDENCE contributions
  // undo it.
  double e_obj = 0;
  // Rotation (null when none): rotated loadings (p x m; the pattern after an
  // oblique rotation) and the p x p transformation, with the footnote naming
  // the method; `rotation` has everything else (structure, phi, rotated VAF,
  // per-dimension divisors d_s of the rotated object scores).
  const double* rotated = nullptr;
  const double* transform = nullptr;
  host::Msg rotation_note = 0;
  const RotationResult* rotation = nullptr;
  // Bootstrap (null without one): stored replicate values of the unrotated
  // solution, with their full-sample values.
  const BootResult* boot = nullptr;
};

// Every requested table and chart, in the order of the output.
void CPR_Output(const OutputInput& in);

}  // namespace oscat::catpca
