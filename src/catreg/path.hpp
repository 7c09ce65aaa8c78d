// The models of a regularization path: what each fit leaves for the path
// tables, kept in one workspace block across the runs of the path.
#pragma once

#include "catreg/regression.hpp"

namespace oscat::catreg {

// Model k (0-based) of a path of M models over p predictors, in a block of
// M * (kFields + p) doubles.
struct PathModels {
  enum Field { kLasso = 0, kRidge, kR2, kSelected, kSum, kApe, kStdSum, kFields };
  double* data = nullptr;
  int M = 0, p = 0;
  double* model(int k) const { return data + static_cast<long>(k) * (kFields + p); }
  double* beta(int k) const { return model(k) + kFields; }
};

// Records one fit: the penalties, R^2_reg = 1 - APE, the selected predictors
// (|beta| > 2.23e-16 for lasso and elastic net; all for ridge), the sum of
// the coefficients (squares for ridge, absolute values otherwise).
void CRG_RecordModel(const PathModels& path, int k, Penalty method, double lasso, double ridge, double ape,
                     const double* beta);

// Standardized sums: each model's sum over that of the first model of its
// list (the first lasso value with the same ridge value for the elastic
// net, whose lists have `inner` models each); 0 without selected predictors.
void CRG_StandardizeSums(const PathModels& path, int inner);

}  // namespace oscat::catreg
