#include "catreg/path.hpp"

#include <cmath>

namespace oscat::catreg {

void CRG_RecordModel(const PathModels& path, int k, Penalty method, double lasso, double ridge, double ape,
                     const double* beta) {
  double* r = path.model(k);
  double* b = path.beta(k);
  int selected = 0;
  double sum = 0;
  for (int j = 0; j < path.p; ++j) {
    b[j] = beta[j];
    if (method == Penalty::Ridge) {
      ++selected;
      sum += beta[j] * beta[j];
    } else if (std::fabs(beta[j]) > kTiny) {
      ++selected;
      sum += std::fabs(beta[j]);
    }
  }
  r[PathModels::kLasso] = lasso;
  r[PathModels::kRidge] = ridge;
  r[PathModels::kR2] = 1 - ape;
  r[PathModels::kSelected] = selected;
  r[PathModels::kSum] = sum;
  r[PathModels::kApe] = ape;
  r[PathModels::kStdSum] = 0;
}

void CRG_StandardizeSums(const PathModels& path, int inner) {
  if (inner < 1) inner = 1;
  for (int k = 0; k < path.M; ++k) {
    double* r = path.model(k);
    const double first = path.model(k - k % inner)[PathModels::kSum];
    r[PathModels::kStdSum] = r[PathModels::kSelected] > 0 && first > 0 ? r[PathModels::kSum] / first : 0.0;
  }
}

}  // namespace oscat::catreg
