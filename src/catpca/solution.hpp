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

// Doubles of scratch the oblique rotations need for r rows and p dimensions.
inline long CPR_ObliqueWorkSize(int r, int p) {
  return static_cast<long>(r) * p + 2L * r + 8L * p * p + 2L * p;
}

// Direct oblimin (criterion sum over s<t of sum_i a_is^2 a_it^2 - (delta/r)
// sum_i a_is^2 sum_i a_it^2) of the r x p loading rows L (ld ldl), in place:
// L receives the pattern loadings. The oblique components are the unrotated
// ones times T (p x p, unit columns), so pattern = original * T^-T and the
// component correlations are Phi = T'T (p x p). Optional Kaiser row
// normalization. `h2` receives r communalities; `work` holds
// CPR_ObliqueWorkSize doubles. Columns end with a non-negative sum, ordered by
// decreasing sum of squares. Returns the number of sweeps, negative when 25
// sweeps did not meet the tolerance.
int CPR_Oblimin(int r, int p, double* L, int ldl, double delta, bool kaiser, double* T, double* Phi,
                double* h2, double* work);

// Promax: varimax of Kaiser-normalized rows, target sign(b)|b|^kappa, least
// squares fit of the oblique transformation to the target, columns scaled to
// unit component variance. With `kaiser` the target and the fit use the
// normalized rows. Same outputs as CPR_Oblimin; `ipiv` holds p ints. Returns
// the varimax iteration count (negative when not converged), or 0 when the
// fit breaks down (singular cross products): L, T and Phi are then undefined.
int CPR_Promax(int r, int p, double* L, int ldl, double kappa, bool kaiser, double* T, double* Phi,
               double* h2, double* work, int* ipiv);

// Value of the oblimin criterion of r x p loadings.
double CPR_ObliminCriterion(int r, int p, const double* L, int ldl, double delta);

// Cronbach's alpha of an eigenvalue for M (weighted) variables; 0 for a zero
// eigenvalue, system-missing when M is 1 (undefined).
double CPR_CronbachAlpha(double M, double lambda);

// Cronbach's alpha of an oblique component: (M/(M-1)) (1 - lambda/sigma),
// sigma the component's composite variance from the rotation; 0 when sigma is
// 0, system-missing when M is 1.
double CPR_CronbachAlphaOblique(double M, double lambda, double sigma);

}  // namespace oscat::catpca
