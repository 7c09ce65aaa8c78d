#include "catpca/rotation.hpp"

#include <algorithm>
#include <string>
#include <vector>

#include "syntax/settings.hpp"

namespace oscat::catpca {

using host::H;
using host::Msg;
namespace sx = syntax;

namespace {

Msg key(std::string_view k) { return H().msg.BP_CSTRING(k); }

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

bool CPR_RotateShown(const RotationRequest& rq, Shown& shown, driver::WorkspaceRegistry& ws, int first_slot,
                     RotationResult& out) {
  const int n = shown.n, m = shown.m, p = shown.p, kmax = shown.kmax;
  const int rot = rq.method;
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
    H().msg.BP_ERROR(key(singles == 0 ? "CPR rot and no single var" : "CPR rot and 1 single var"), 2, 2);
    return true;
  }
  if (rot == sx::ROT_OBLIMIN || rot == sx::ROT_PROMAX) {
    H().msg.BP_ERROR(key("CPR Oblique rotation not available."), 2, 2);
    return true;
  }
  double* L = ws.get<double>(first_slot, static_cast<std::size_t>(r) * p);
  out.rotated = ws.get<double>(first_slot + 1, static_cast<std::size_t>(p) * m);
  out.T = ws.get<double>(first_slot + 2, static_cast<std::size_t>(p) * p);
  double* rw = ws.get<double>(first_slot + 3, 2 * static_cast<std::size_t>(r) + 2 * static_cast<std::size_t>(p));
  if (ws.failed()) return false;
  long row = 0;
  for (int j = 0; j < m; ++j) {
    if (!rq.active[j] || rq.multiple[j]) continue;
    const long copies = std::max(1L, static_cast<long>(rq.agg[j].w));
    for (long k = 0; k < copies; ++k, ++row)
      for (int t = 0; t < p; ++t) L[row + t * r] = shown.A[t + static_cast<long>(j) * p];
  }
  const double gamma = rot == sx::ROT_VARIMAX ? 1.0 : rot == sx::ROT_EQUAMAX ? p / 2.0 : 0.0;
  const int iters = CPR_Orthomax(static_cast<int>(r), p, L, static_cast<int>(r), gamma, rot == sx::ROT_QUARTIMAX,
                                 rq.kaiser, out.T, rw, rw + r);
  out.iterations = iters;
  out.done = true;
  // rotated = A' T per variable; multiple nominal columns stay empty.
  double* T = out.T;
  for (int j = 0; j < m; ++j)
    for (int t = 0; t < p; ++t) {
      const double* a = shown.A + static_cast<long>(j) * p;
      double x = 0;
      if (a[0] == host::SYSMIS) {
        out.rotated[t + static_cast<long>(j) * p] = host::SYSMIS;
        continue;
      }
      for (int u = 0; u < p; ++u) x += a[u] * T[u + t * p];
      out.rotated[t + static_cast<long>(j) * p] = x;
    }
  double* tmp = rw + 2 * r;
  rotate_rows(shown.X, n, n, p, T, tmp);
  for (int j = 0; j < m; ++j) rotate_rows(shown.Y + static_cast<long>(j) * kmax * p, kmax, kmax, p, T, tmp);
  const char* base = rot == sx::ROT_VARIMAX ? "CPR vari" : rot == sx::ROT_EQUAMAX ? "CPR equa" : "CPR quar";
  const std::string k = std::string(base) + (rq.kaiser ? "" : " NoKais");
  auto& msg = H().msg;
  const Msg c = msg.BP_BEGIN_COMPSTRING(key(k + (iters >= 0 ? " ^1" : " failed ^1 ^2")));
  msg.BP_ADD_PARAMETER(c, msg.BP_IVALUE(iters >= 0 ? iters : -iters));
  if (iters < 0) msg.BP_ADD_PARAMETER(c, msg.BP_IVALUE(25));
  out.note = msg.BP_END_COMPSTRING(c);
  return true;
}

}  // namespace oscat::catpca
