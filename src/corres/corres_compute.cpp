// The computation of a correspondence analysis on plain arrays.
#include <algorithm>
#include <cmath>

#include "corres/corres.hpp"
#include "scaling/linalg.hpp"
#include "scaling/svd.hpp"

namespace oscat::corres {
namespace {

inline double& at(double* m, int ld, int i, int j) { return m[static_cast<std::size_t>(j) * ld + i]; }
inline double at(const double* m, int ld, int i, int j) { return m[static_cast<std::size_t>(j) * ld + i]; }
inline bool sup(const int* f, int i) { return f != nullptr && f[i] != 0; }

}  // namespace

Sizes analysis_sizes(int I, int J, int nsupr, int nsupc, int nvec, int p) {
  const std::size_t Ia = static_cast<std::size_t>(I - nsupr), Ja = static_cast<std::size_t>(J - nsupc);
  const std::size_t q = std::min(Ia, Ja), big = std::max(Ia, Ja);
  Sizes s{};
  s.F = static_cast<std::size_t>(I) * static_cast<std::size_t>(J);
  s.vecR = static_cast<std::size_t>(I) * q;
  s.vecC = static_cast<std::size_t>(J) * q;
  s.ubuf = big * static_cast<std::size_t>(std::max(nvec, 1));
  s.vbuf = q * static_cast<std::size_t>(std::max(nvec, 1));
  s.svdwork = scaling::svd_work_size(static_cast<int>(big), static_cast<int>(q), nvec);
  s.cov = static_cast<std::size_t>(I + J + 1) * static_cast<std::size_t>(p * (p + 1) / 2);
  return s;
}

int ca_margins(Analysis& a) {
  const int I = a.I, J = a.J;
  std::copy(a.F, a.F + static_cast<std::size_t>(I) * J, a.F0);
  std::fill(a.r, a.r + I, 0.0);
  std::fill(a.c, a.c + J, 0.0);
  for (int j = 0; j < J; ++j) {
    const double* col = a.F + static_cast<std::size_t>(j) * I;
    const bool sc = sup(a.supcol, j);
    for (int i = 0; i < I; ++i) {
      if (!sc) a.r[i] += col[i];
      if (!sup(a.suprow, i)) a.c[j] += col[i];
    }
  }
  a.N = 0;
  for (int i = 0; i < I; ++i)
    if (!sup(a.suprow, i)) a.N += a.r[i];
  std::copy(a.r, a.r + I, a.r0);
  std::copy(a.c, a.c + J, a.c0);
  a.Ia = a.Iact = I;
  a.Ja = a.Jact = J;
  for (int i = 0; i < I; ++i)
    if (sup(a.suprow, i)) --a.Ia;
  for (int j = 0; j < J; ++j)
    if (sup(a.supcol, j)) --a.Ja;
  a.Iact = a.Ia;
  a.Jact = a.Ja;
  return a.N == 0 ? 1 : 0;
}

void ca_merge_equal(Analysis& a) {
  const int I = a.I, J = a.J;
  std::fill(a.gsizeR, a.gsizeR + I, 1);
  std::fill(a.gsizeC, a.gsizeC + J, 1);
  if (a.eqrow) {
    for (int i = 0; i < I; ++i) {
      const int g = a.eqrow[i] - 1;
      if (g < 0 || g == i) continue;
      for (int j = 0; j < J; ++j) at(a.F, I, g, j) += at(a.F, I, i, j);
      a.r[g] += a.r[i];
      ++a.gsizeR[g];
      --a.Iact;
    }
    for (int i = 0; i < I; ++i)
      if (a.gsizeR[i] > 1) {
        const double s = a.gsizeR[i];
        for (int j = 0; j < J; ++j) at(a.F, I, i, j) /= s;
        a.r[i] /= s;
      }
    for (int i = 0; i < I; ++i) {
      const int g = a.eqrow[i] - 1;
      if (g < 0 || g == i) continue;
      for (int j = 0; j < J; ++j) at(a.F, I, i, j) = at(a.F, I, g, j);
      a.r[i] = a.r[g];
    }
  }
  if (a.eqcol) {
    for (int j = 0; j < J; ++j) {
      const int g = a.eqcol[j] - 1;
      if (g < 0 || g == j) continue;
      for (int i = 0; i < I; ++i) at(a.F, I, i, g) += at(a.F, I, i, j);
      a.c[g] += a.c[j];
      ++a.gsizeC[g];
      --a.Jact;
    }
    for (int j = 0; j < J; ++j)
      if (a.gsizeC[j] > 1) {
        const double s = a.gsizeC[j];
        for (int i = 0; i < I; ++i) at(a.F, I, i, j) /= s;
        a.c[j] /= s;
      }
    for (int j = 0; j < J; ++j) {
      const int g = a.eqcol[j] - 1;
      if (g < 0 || g == j) continue;
      for (int i = 0; i < I; ++i) at(a.F, I, i, j) = at(a.F, I, i, g);
      a.c[j] = a.c[g];
    }
  }
}

void ca_standardize_center(Analysis& a) {
  const int I = a.I, J = a.J;
  const double N = a.N;
  const double rN = a.Ia > 0 ? N / a.Ia : 0, cN = a.Ja > 0 ? N / a.Ja : 0;
  if (a.measure == EUCLID) {
    switch (a.standardize) {
      case RMEAN:
        std::fill(a.c, a.c + J, cN);
        break;
      case CMEAN:
        std::fill(a.r, a.r + I, rN);
        break;
      case RSUM:
        for (int i = 0; i < I; ++i) {
          const double f = std::fabs(a.r[i]) <= 0.0001 ? 0.0 : rN / a.r[i];
          for (int j = 0; j < J; ++j) at(a.F, I, i, j) *= f;
          a.r[i] = rN;
        }
        std::fill(a.c, a.c + J, cN);
        break;
      case CSUM:
        for (int j = 0; j < J; ++j) {
          const double f = std::fabs(a.c[j]) <= 0.0001 ? 0.0 : cN / a.c[j];
          for (int i = 0; i < I; ++i) at(a.F, I, i, j) *= f;
          a.c[j] = cN;
        }
        std::fill(a.r, a.r + I, rN);
        break;
      default:
        break;
    }
  }
  for (int j = 0; j < J; ++j) {
    double* col = a.F + static_cast<std::size_t>(j) * I;
    for (int i = 0; i < I; ++i)
      if (a.r[i] * a.c[j] != 0) col[i] -= a.r[i] * a.c[j] / N;
  }
  if (a.measure == EUCLID) {
    std::fill(a.c, a.c + J, cN);
    std::fill(a.r, a.r + I, rN);
  }
  std::fill(a.rowin, a.rowin + I, 0.0);
  std::fill(a.colin, a.colin + J, 0.0);
  for (int j = 0; j < J; ++j) {
    const double* col = a.F + static_cast<std::size_t>(j) * I;
    double* scol = a.S + static_cast<std::size_t>(j) * I;
    for (int i = 0; i < I; ++i) {
      const double rc = a.r[i] * a.c[j];
      const double s = rc > 0 ? col[i] / std::sqrt(rc) : col[i];
      scol[i] = s;
      if (!sup(a.supcol, j)) a.rowin[i] += s * s;
      if (!sup(a.suprow, i)) a.colin[j] += s * s;
    }
  }
}

void ca_decompose(Analysis& a, int nvec) {
  const int I = a.I, J = a.J, Ia = a.Ia, Ja = a.Ja;
  a.transposed = Ia < Ja;
  const int m = a.transposed ? Ja : Ia, n = a.transposed ? Ia : Ja;
  a.q = n;
  a.nvec = std::clamp(nvec, 0, n);
  // The active part of S (transposed when it is wide).
  int jj = 0;
  for (int j = 0; j < J; ++j) {
    if (sup(a.supcol, j)) continue;
    int ii = 0;
    for (int i = 0; i < I; ++i) {
      if (sup(a.suprow, i)) continue;
      const double s = at(a.S, I, i, j);
      if (a.transposed)
        at(a.A, m, jj, ii) = s;
      else
        at(a.A, m, ii, jj) = s;
      ++ii;
    }
    ++jj;
  }
  a.sweeps = scaling::CPR_PXS_SVDCMP(m, n, a.A, m, a.lambda, a.nvec, a.ubuf, m, a.vbuf, n, a.svdwork);
  // Spread back: supplementary points get 0 for now.
  const double* rows = a.transposed ? a.vbuf : a.ubuf;
  const double* cols = a.transposed ? a.ubuf : a.vbuf;
  const int ldr = a.transposed ? n : m, ldc = a.transposed ? m : n;
  std::fill(a.X, a.X + static_cast<std::size_t>(I) * a.q, 0.0);
  std::fill(a.Y, a.Y + static_cast<std::size_t>(J) * a.q, 0.0);
  for (int k = 0; k < a.nvec; ++k) {
    int ii = 0;
    for (int i = 0; i < I; ++i)
      if (!sup(a.suprow, i)) at(a.X, I, i, k) = at(rows, ldr, ii++, k);
    jj = 0;
    for (int j = 0; j < J; ++j)
      if (!sup(a.supcol, j)) at(a.Y, J, j, k) = at(cols, ldc, jj++, k);
  }
}

int ca_check_dims(Analysis& a) {
  int flags = 0;
  a.qp = std::min(a.Iact, a.Jact) - 1;
  if (a.qp > a.q) a.qp = a.q;
  if (a.p > a.qp) {
    a.p = a.qp;
    flags |= 1;
  }
  const double tol = std::sqrt(static_cast<double>(a.Iact) * a.Jact) * 1e-07;
  for (int k = 0; k < a.qp; ++k)
    if (a.lambda[k] < tol) {
      a.qp = k;
      break;
    }
  if (a.qp <= 0) {
    a.qp = 0;
    return flags | 4;
  }
  if (a.qp < a.p) {
    a.p = a.qp;
    flags |= 2;
  }
  return flags;
}

void ca_coordinates(Analysis& a) {
  const int I = a.I, J = a.J;
  for (int i = 0; i < I; ++i) a.r[i] /= a.N;
  for (int j = 0; j < J; ++j) a.c[j] /= a.N;
  const int nk = std::min(a.nvec, a.qp);
  for (int k = 0; k < nk; ++k) {
    for (int i = 0; i < I; ++i)
      if (a.r[i] > 0) at(a.X, I, i, k) /= std::sqrt(a.r[i]);
    for (int j = 0; j < J; ++j)
      if (a.c[j] > 0) at(a.Y, J, j, k) /= std::sqrt(a.c[j]);
  }
  for (int j = 0; j < J; ++j)
    for (int i = 0; i < I; ++i) {
      double v = 0;
      if (!sup(a.suprow, i) && !sup(a.supcol, j)) v = (a.measure == CHISQ ? at(a.F0, I, i, j) : at(a.F, I, i, j)) / a.N;
      at(a.P, I, i, j) = v;
    }
}

namespace {

// Influence of cell (i, j) on the scores of one side. x: this side's
// standard coordinates (n x q'), y: the other side's; i, j: the cell's
// index on this side and on the other; D: n x p out.
void score_influence(const Analysis& a, const double* x, int n, const double* y, int ny, int i, int j,
                     const double* mass, const double* d, double power, double* D) {
  const int p = a.p, qp = std::min(a.qp, a.nvec);
  const double* lam = a.lambda;
  for (int k = 0; k < p; ++k) {
    const double xik = at(x, n, i, k);
    for (int r = 0; r < n; ++r)
      at(D, n, r, k) = mass[r] > 0 ? at(x, n, r, k) * (1 - xik * xik) / 2 - xik : 0.0;
  }
  for (int l = 0; l < p; ++l) {
    const double xil = at(x, n, i, l), yjl = at(y, ny, j, l);
    for (int t = l + 1; t < qp; ++t) {
      const double xit = at(x, n, i, t), yjt = at(y, ny, j, t);
      const double g = (xit - lam[t] * yjt) * yjl * lam[l] + lam[t] * yjt * xil;
      const double h = lam[l] * lam[l] - lam[t] * lam[t];
      if (h == 0) continue;
      // Perturbation of the transition formulas gives the coefficient of
      // x_t in dx_l as (g - lambda_l^2 x_il x_it) / h, and of x_l in dx_t as
      // -(g - lambda_t^2 x_il x_it) / h (checked against numeric derivatives).
      const double f1 = (g - lam[l] * lam[l] * xil * xit) / h;
      const double f2 = (g - lam[t] * lam[t] * xil * xit) / h;
      for (int r = 0; r < n; ++r) at(D, n, r, l) += at(x, n, r, t) * f1;
      if (t < p)
        for (int r = 0; r < n; ++r) at(D, n, r, t) -= at(x, n, r, l) * f2;
    }
  }
  for (int k = 0; k < p; ++k) {
    const double lp = std::pow(lam[k], power), lp1 = power != 0 ? power * std::pow(lam[k], power - 1) : 0.0;
    for (int r = 0; r < n; ++r) at(D, n, r, k) = at(D, n, r, k) * lp + at(x, n, r, k) * lp1 * d[k];
  }
}

}  // namespace

void ca_confidence(Analysis& a, bool rows, bool cols) {
  const int I = a.I, J = a.J, p = a.p;
  const std::size_t np = static_cast<std::size_t>(p) * (p + 1) / 2;
  std::fill(a.cov, a.cov + (I + J + 1) * np, 0.0);
  if (p == 0) return;
  double* d = a.scratch;        // p
  double* Dr = a.scratch + p;   // max(I, J) x p
  double* mr = a.keys;          // active masses, max(I, J)
  for (int j = 0; j < J; ++j) {
    if (sup(a.supcol, j)) continue;
    for (int i = 0; i < I; ++i) {
      if (sup(a.suprow, i)) continue;
      const double pij = at(a.P, I, i, j);
      if (!(static_cast<float>(pij) > 0.0f)) continue;
      for (int k = 0; k < p; ++k) {
        const double x = at(a.X, I, i, k), y = at(a.Y, J, j, k);
        d[k] = x * y - a.lambda[k] * (x * x + y * y) / 2;
      }
      for (int k = 0; k < p; ++k)
        for (int l = 0; l <= k; ++l) a.cov[cov_index(p, 0, k, l)] += pij * d[k] * d[l];
      if (rows) {
        for (int r = 0; r < I; ++r) mr[r] = sup(a.suprow, r) ? 0.0 : a.r[r];
        score_influence(a, a.X, I, a.Y, J, i, j, mr, d, a.rpow, Dr);
        for (int r = 0; r < I; ++r)
          for (int k = 0; k < p; ++k)
            for (int l = 0; l <= k; ++l)
              a.cov[cov_index(p, 1 + r, k, l)] += pij * at(Dr, I, r, k) * at(Dr, I, r, l);
      }
      if (cols) {
        for (int s = 0; s < J; ++s) mr[s] = sup(a.supcol, s) ? 0.0 : a.c[s];
        score_influence(a, a.Y, J, a.X, I, j, i, mr, d, a.cpow, Dr);
        for (int s = 0; s < J; ++s)
          for (int k = 0; k < p; ++k)
            for (int l = 0; l <= k; ++l)
              a.cov[cov_index(p, 1 + I + s, k, l)] += pij * at(Dr, J, s, k) * at(Dr, J, s, l);
      }
    }
  }
  for (std::size_t e = 0; e < (I + J + 1) * np; ++e) a.cov[e] /= a.N;
}

void ca_scores(Analysis& a) {
  const int I = a.I, J = a.J;
  const int nk = std::min(a.nvec, a.qp);
  for (int k = 0; k < nk; ++k) {
    const double la = a.rpow == 0 ? 1.0 : std::pow(a.lambda[k], a.rpow);
    const double lb = a.cpow == 0 ? 1.0 : std::pow(a.lambda[k], a.cpow);
    for (int i = 0; i < I; ++i) at(a.X, I, i, k) *= la;
    for (int j = 0; j < J; ++j) at(a.Y, J, j, k) *= lb;
  }
  const double e = a.principal ? 0.0 : a.alpha;
  const double* T = a.measure == CHISQ ? a.F0 : a.F;
  for (int r = 0; r < I; ++r) {
    if (!sup(a.suprow, r)) continue;
    for (int k = 0; k < nk; ++k) {
      double s = 0;
      if (a.r0[r] != 0) {
        for (int j = 0; j < J; ++j) s += at(T, I, r, j) * at(a.Y, J, j, k);
        s /= std::pow(a.lambda[k], 1 - e) * a.r[r] * a.N;
      }
      at(a.X, I, r, k) = s;
    }
  }
  for (int cc = 0; cc < J; ++cc) {
    if (!sup(a.supcol, cc)) continue;
    for (int k = 0; k < nk; ++k) {
      double s = 0;
      if (a.c0[cc] != 0) {
        for (int i = 0; i < I; ++i)
          if (!sup(a.suprow, i)) s += at(T, I, i, cc) * at(a.X, I, i, k);
        s /= std::pow(a.lambda[k], 1 + e) * a.c[cc] * a.N;
      }
      at(a.Y, J, cc, k) = s;
    }
  }
}

// Active points (equality groups counted once) whose margin is not zero: an empty
// row or column has no profile and adds no freedom to the chi-square.
static int with_mass(int n, const int* supf, const int* eq, const double* m0) {
  int count = 0;
  for (int i = 0; i < n; ++i) {
    if (sup(supf, i)) continue;
    const int g = eq ? eq[i] - 1 : -1;
    if (g >= 0 && g != i) continue;  // counted with its group's first member
    double m = m0[i];
    if (g == i)
      for (int k = 0; k < n; ++k)
        if (k != i && eq[k] - 1 == i) m += m0[k];
    if (m > 0) ++count;
  }
  return count;
}

void ca_summary(Analysis& a) {
  a.total_inertia = 0;
  for (int k = 0; k < a.qp; ++k) a.total_inertia += a.lambda[k] * a.lambda[k];
  a.chi2 = a.N * a.total_inertia;
  a.Inz = with_mass(a.I, a.suprow, a.eqrow, a.r0);
  a.Jnz = with_mass(a.J, a.supcol, a.eqcol, a.c0);
  a.df = std::max(a.Inz - 1, 0) * std::max(a.Jnz - 1, 0);
}

PointStats ca_point(const Analysis& a, bool col, int i, double* score, double* ctr_pt, double* ctr_dim) {
  const int n = col ? a.J : a.I;
  const double* X = col ? a.Y : a.X;
  const double mass = col ? a.c[i] : a.r[i];
  const double first = col ? a.c0[i] : a.r0[i];
  const bool supp = col ? sup(a.supcol, i) : sup(a.suprow, i);
  const double power = col ? a.cpow : a.rpow;
  const double inertia = col ? a.colin[i] : a.rowin[i];
  PointStats ps{mass, inertia, 0.0, first == 0};
  if (ps.missing) {
    for (int k = 0; k < a.p; ++k) score[k] = ctr_pt[k] = ctr_dim[k] = host::SYSMIS;
    ps.inertia = ps.total = host::SYSMIS;
    return ps;
  }
  const double ratio = mass != 0 ? inertia / mass : 0.0;
  for (int k = 0; k < a.p; ++k) {
    const double s = at(X, n, i, k);
    score[k] = s;
    const double lp = power == 0 ? 1.0 : std::pow(a.lambda[k], power);
    ctr_pt[k] = supp ? 0.0 : mass * (s / lp) * (s / lp);
    const double f = std::pow(a.lambda[k], 1 - power) * s;
    ctr_dim[k] = ratio != 0 ? f * f / ratio : 0.0;
    ps.total += ctr_dim[k];
  }
  return ps;
}

void ca_permutation(Analysis& a, bool col, int d) {
  const int n = col ? a.J : a.I;
  const double* X = col ? a.Y : a.X;
  const double* first = col ? a.c0 : a.r0;
  int* perm = a.perm;
  // Ascending coordinates on dimension d.
  for (int i = 0; i < n; ++i) {
    perm[i] = i;
    a.keys[i] = at(X, n, i, d);
  }
  scaling::IndexShellSort(n, a.keys, perm);
  for (int pos = n - 1; pos >= 0; --pos) {
    const int v = perm[pos];
    if (first[v] != 0) continue;
    for (int t = pos; t < n - 1; ++t) perm[t] = perm[t + 1];
    perm[n - 1] = v;
  }
}

}  // namespace oscat::corres
