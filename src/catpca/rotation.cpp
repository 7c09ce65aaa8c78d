#include "catpca/rotation.hpp"

#include <algorithm>
#include <string>
#include <vector>

#include "scaling/linalg.hpp"
#include "frame/messages.hpp"
#include "syntax/settings.hpp"

namespace oscat::catpca {

using host::H;
using host::Msg;
namespace sx = syntax;

namespace {

using frame::key;

// Z (rows x p, ld) := Z T, rows starting with SYSMIS left alone.
void rotate_rows(double* Z, long rows, long ld, int p, const double* T, double* tmp) {
  for (long i = 0; i < rows; ++i) {
    if (Z[i] == host::SYSMIS) continue;
    for (int t = 0; t < p; ++t) {
      double x = 0;
      for (int u = 0; u < p; ++u) x += Z[i + u * ld] * T[u + t * p];
      tmp[t] = x;
    }
    for (int t = 0; t < p; ++t) Z[i + t * ld] = tmp[t];
  }
}

}  // namespace

bool CPR_RotateShown(const RotationRequest& rq, Shown& shown, frame::Workspace& ws, int first_slot,
                     RotationResult& out) {
  const int n = shown.n, m = shown.m, p = shown.p, kmax = shown.kmax;
  const int rot = rq.method;
  auto& msg = H().msg;
  out = RotationResult{};
  if (rot == sx::ROT_NONE) return true;
  // Each active single variable gives its loading row, replicated by its
  // integer weight (each copy scaled back by sqrt(w)).
  int singles = 0;
  long r = 0;
  for (int j = 0; j < m; ++j)
    if (rq.active[j] && !rq.multiple[j]) {
      ++singles;
      r += std::max(1L, static_cast<long>(rq.agg[j].w));
    }
  if (singles < 2) {
    msg.BP_ERROR(key(singles == 0 ? "CPR rot and no single var" : "CPR rot and 1 single var"), 2, 2);
    return true;
  }
  const bool oblique = rot == sx::ROT_OBLIMIN || rot == sx::ROT_PROMAX;
  const std::size_t pm = static_cast<std::size_t>(p) * m, pp = static_cast<std::size_t>(p) * p;
  double* L = ws.get<double>(first_slot, static_cast<std::size_t>(r) * p);
  out.rotated = ws.get<double>(first_slot + 1, pm);
  out.T = ws.get<double>(first_slot + 2, pp);
  double* rw = ws.get<double>(first_slot + 3, 2 * static_cast<std::size_t>(r) + 2 * static_cast<std::size_t>(p));
  double* stats = ws.get<double>(first_slot + 4, pm + 4 * pp + 3 * static_cast<std::size_t>(p));
  double* vafs = ws.get<double>(first_slot + 5, 2 * pm);
  double* owork = nullptr;
  int* ipiv = ws.get<int>(first_slot + 7, static_cast<std::size_t>(p));
  if (oblique)
    owork = ws.get<double>(first_slot + 6, static_cast<std::size_t>(CPR_ObliqueWorkSize(static_cast<int>(r), p)));
  if (ws.failed()) return false;
  out.structure = stats;
  out.phi = stats + pm;
  double* Tinv = out.phi + pp;
  double* G = Tinv + pp;
  double* lu = G + pp;
  out.lambda = lu + pp;
  out.sigma = out.lambda + p;
  out.divisor = out.sigma + p;
  out.vafc = vafs;
  out.vafv = vafs + pm;
  long row = 0;
  for (int j = 0; j < m; ++j) {
    if (!rq.active[j] || rq.multiple[j]) continue;
    const long copies = std::max(1L, static_cast<long>(rq.agg[j].w));
    for (long k = 0; k < copies; ++k, ++row)
      for (int t = 0; t < p; ++t) L[row + t * r] = shown.A[t + static_cast<long>(j) * p];
  }
  // G = L'L, the cross products of the unrotated loading rows.
  for (int s = 0; s < p; ++s)
    for (int t = 0; t < p; ++t) {
      double x = 0;
      for (long i = 0; i < r; ++i) x += L[i + s * r] * L[i + t * r];
      G[s + t * p] = x;
    }
  double* T = out.T;
  int iters;
  const int ri = static_cast<int>(r);
  if (rot == sx::ROT_OBLIMIN) {
    iters = CPR_Oblimin(ri, p, L, ri, rq.param, rq.kaiser, T, out.phi, rw, owork);
  } else if (rot == sx::ROT_PROMAX) {
    iters = CPR_Promax(ri, p, L, ri, rq.param, rq.kaiser, T, out.phi, rw, owork, ipiv);
    if (iters == 0) {
      msg.BP_ERROR(key("Promax does not work well..."), 2, 2);
      msg.BP_ERROR(key("CPR Promax not working well"), 2, 2);
      out.dropped = true;
      return true;
    }
  } else {
    const double gamma = rot == sx::ROT_VARIMAX ? 1.0 : rot == sx::ROT_EQUAMAX ? p / 2.0 : 0.0;
    iters = CPR_Orthomax(ri, p, L, ri, gamma, rot == sx::ROT_QUARTIMAX, rq.kaiser, T, rw, rw + r);
  }
  if (oblique) {
    // Pattern = A T^-T; the T of an oblique solution is never singular
    // (Phi = T'T is a correlation matrix of full rank), but check anyway.
    for (std::size_t k = 0; k < pp; ++k) lu[k] = T[k];
    if (scaling::LuDecomp(p, lu, p, ipiv) != 0) {
      msg.BP_ERROR(key("CPR Promax not working well"), 2, 2);
      out.dropped = true;
      return true;
    }
    scaling::LuInverse(p, lu, p, ipiv, Tinv, p, rw);
  }
  out.iterations = iters;
  out.done = true;
  out.oblique = oblique;
  // Rotated loadings per variable (orthogonal: A T; oblique: pattern A T^-T
  // and structure A T); multiple nominal columns stay empty.
  for (int j = 0; j < m; ++j) {
    const double* a = shown.A + static_cast<long>(j) * p;
    for (int t = 0; t < p; ++t) {
      const long jt = t + static_cast<long>(j) * p;
      if (a[0] == host::SYSMIS) {
        out.rotated[jt] = out.structure[jt] = host::SYSMIS;
        continue;
      }
      double x = 0, y = 0;
      for (int u = 0; u < p; ++u) {
        x += a[u] * T[u + t * p];
        if (oblique) y += a[u] * Tinv[t + u * p];
      }
      out.rotated[jt] = oblique ? y : x;
      out.structure[jt] = oblique ? x : host::SYSMIS;
    }
  }
  // Scores: the F with F P' = X A' are F = X T, for orthogonal and oblique T
  // alike; the centroids are category means, so they follow the same map.
  double* tmp = rw + 2 * r;
  rotate_rows(shown.X, n, n, p, T, tmp);
  for (int j = 0; j < m; ++j) rotate_rows(shown.Y + static_cast<long>(j) * kmax * p, kmax, kmax, p, T, tmp);

  // Per-dimension statistics from the rotated scores: VAF of a variable is
  // its squared correlation with the rotated component (vector) and its
  // between-category share of that component's variance (centroids).
  double N = 0;
  for (int s = 0; s < p; ++s) out.divisor[s] = 0;
  for (int i = 0; i < n; ++i) {
    if (!(rq.objw[i] > 0)) continue;
    N += rq.objw[i];
    for (int s = 0; s < p; ++s) out.divisor[s] += rq.objw[i] * shown.X[i + static_cast<long>(s) * n] * shown.X[i + static_cast<long>(s) * n];
  }
  for (int s = 0; s < p; ++s) {
    out.divisor[s] = N > 0 ? out.divisor[s] / N : 0.0;
    out.lambda[s] = 0;
  }
  for (int j = 0; j < m; ++j) {
    const CategoryAggregates& v = rq.agg[j];
    // The shown quantifications have unit variance over the objects the
    // variable has a category for (Nj), the scores over all N objects: a
    // variable with missing values has Nj < N.
    double Nj = 0;
    for (int c = 0; c < v.K; ++c) Nj += v.f[c];
    for (int s = 0; s < p; ++s) {
      const double* y = shown.Y + static_cast<long>(j) * kmax * p + static_cast<long>(s) * kmax;
      const double* q = shown.q + static_cast<long>(j) * kmax;
      double c2 = 0, cq = 0;
      for (int c = 0; c < v.K; ++c) {
        if (y[c] == host::SYSMIS) continue;
        c2 += v.f[c] * y[c] * y[c];
        if (!rq.multiple[j] && q[c] != host::SYSMIS) cq += v.f[c] * q[c] * y[c];
      }
      const double d = out.divisor[s];
      const long js = s + static_cast<long>(j) * p;
      out.vafc[js] = d > 0 && N > 0 ? v.w * c2 / (N * d) : 0.0;
      out.vafv[js] = !rq.multiple[j] && d > 0 && Nj > 0 ? v.w * cq * cq / (N * Nj * d) : 0.0;
      if (rq.active[j]) out.lambda[s] += rq.multiple[j] ? out.vafc[js] : out.vafv[js];
    }
  }
  // Cronbach's alpha of an oblique component takes the structure loadings as
  // the weights of the composite: sigma = lambda^2 |G t|^2 / (t'G t)^2, which
  // is lambda^2 (the eigenvalue form) for an unrotated component and larger
  // for any other direction t.
  for (int s = 0; s < p; ++s) {
    double tGt = 0, Gt2 = 0;
    for (int u = 0; u < p; ++u) {
      double g = 0;
      for (int k = 0; k < p; ++k) g += G[u + k * p] * T[k + s * p];
      Gt2 += g * g;
      tGt += T[u + s * p] * g;
    }
    out.sigma[s] = tGt != 0 ? out.lambda[s] * out.lambda[s] * Gt2 / (tGt * tGt) : 0.0;
  }

  const char* base = rot == sx::ROT_VARIMAX    ? "CPR vari"
                     : rot == sx::ROT_EQUAMAX  ? "CPR equa"
                     : rot == sx::ROT_QUARTIMAX ? "CPR quar"
                     : rot == sx::ROT_OBLIMIN  ? "CPR obli"
                                               : "CPR pro";
  const std::string k = std::string(base) + (rq.kaiser ? "" : " NoKais");
  const Msg c = msg.BP_BEGIN_COMPSTRING(key(k + (iters >= 0 ? " ^1" : " failed ^1 ^2")));
  msg.BP_ADD_PARAMETER(c, msg.BP_IVALUE(iters >= 0 ? iters : -iters));
  if (iters < 0) msg.BP_ADD_PARAMETER(c, msg.BP_IVALUE(25));
  out.note = msg.BP_END_COMPSTRING(c);
  // Promax has one summary footnote for both normalizations.
  out.summary_note = key(rot == sx::ROT_PROMAX ? std::string("CPR pro") : k);
  return true;
}

}  // namespace oscat::catpca
