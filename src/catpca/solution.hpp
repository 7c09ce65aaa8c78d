// Finishing the principal-components solution: normalization of scores and
// loadings, orthomax rotations of the loadings, and Cronbach's alpha.
// Plain arrays, column-major, nothing allocated.
#pragma once

namespace oscat::catpca {

// Scales standardized object scores X (n x p, ld ldx) and loadings A (p x m,
// one column per variable) by the eigenvalues: dimension s of X by
// lambda_s^(e_obj/2) (skipped when `fixed_scores`), of A by
// lambda_s^(e_var/2 - 1/2). Dimensions with lambda_s <= 0 are left alone.
void CPR_Normalize(int n, int p, int m, double* X, int ldx, double* A, const double* lambda,
                   double e_obj, double e_var, bool fixed_scores);

// Orthomax rotation of the r x p loading rows L (ld ldl) in place: gamma 1
// varimax, p/2 equamax, 0 quartimax; optional Kaiser row normalization. T
// (p x p) receives the transformation (rotated = original * T). `h2` holds r
// communalities on return; `work` holds r doubles. Columns end with a
// non-negative sum, ordered by decreasing sum of squares. Returns the number
// of iterations, negative when 25 iterations did not meet the tolerance.
int CPR_Orthomax(int r, int p, double* L, int ldl, double gamma, bool quartimax, bool kaiser,
                 double* T, double* h2, double* work);

// Cronbach's alpha of an eigenvalue for M (weighted) variables; 0 for a zero
// eigenvalue, system-missing when M is 1 (undefined).
double CPR_CronbachAlpha(double M, double lambda);

}  // namespace oscat::catpca
