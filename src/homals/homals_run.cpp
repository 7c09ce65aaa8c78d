// HOMALS: the data pass, the set-up, the iterations and the final step.
#include <algorithm>
#include <cmath>
#include <string>

#include "frame/messages.hpp"
#include "homals/analysis.hpp"
#include "homals/shared.hpp"
#include "scaling/als.hpp"
#include "scaling/homogeneity.hpp"
#include "scaling/linalg.hpp"

namespace oscat::homals {
namespace {

using host::H;
using host::Msg;
using older::number;
using scaling::Into;

Msg var_name(int v) { return frame::text(H().dict.DICGET(v).name); }

// One pass over the cases: category numbers, the counts m_i, the
// frequencies and the values of the plot-labelling variables. False when the
// workspace is short.
bool data_pass(Settings& s, Analysis& a) {
  auto& cs = H().cases;
  auto& ws = *s.ws;
  a.m = static_cast<int>(s.analysis.size());
  for (int pos : s.analysis) {
    a.var.push_back(s.vars[static_cast<std::size_t>(pos)]);
    a.K.push_back(s.max[static_cast<std::size_t>(pos)]);
  }
  const int n = a.n = older::count_objects(s.nobserv);
  if (n == 0) return true;
  const long ksum = older::block_offsets(a.K, a.yoff);
  a.codes = ws.get<int>(static_cast<std::size_t>(n) * static_cast<std::size_t>(a.m));
  a.f = ws.get<double>(static_cast<std::size_t>(ksum));
  a.counts = ws.get<double>(static_cast<std::size_t>(n));
  a.w = ws.get<double>(static_cast<std::size_t>(n));
  if (a.codes == nullptr || a.f == nullptr || a.counts == nullptr || a.w == nullptr) return false;
  std::fill(a.f, a.f + ksum, 0.0);
  a.missing.assign(static_cast<std::size_t>(a.m), 0);
  std::vector<char> odd(static_cast<std::size_t>(a.m), 0);
  a.labels.assign(s.object_by.size(), std::vector<double>(static_cast<std::size_t>(n), host::SYSMIS));
  a.case_numbers.assign(static_cast<std::size_t>(n), 0);
  older::CategoryReader reader(a.var, a.K);
  int i = 0;
  cs.OBPINI();
  while (i < n && cs.OBSERV()) {
    a.case_numbers[static_cast<std::size_t>(i)] = cs.case_number();
    int observed = 0;
    for (int j = 0; j < a.m; ++j) {
      // Values that are no category 1..K count as missing.
      bool bad = false;
      const int code = reader.code(static_cast<std::size_t>(j), bad);
      if (bad) odd[static_cast<std::size_t>(j)] = 1;
      a.codes[i + static_cast<long>(j) * n] = code;
      if (code > 0) {
        ++observed;
        a.f[a.yoff[static_cast<std::size_t>(j)] + code - 1] += 1.0;
      } else {
        ++a.missing[static_cast<std::size_t>(j)];
      }
    }
    a.counts[i] = observed;
    for (std::size_t l = 0; l < s.object_by.size(); ++l) {
      const int v = s.object_by[l];
      if (!H().dict.DICGET(v).is_string()) a.labels[l][static_cast<std::size_t>(i)] = cs.value(v);
    }
    ++i;
  }
  cs.OBPEND();
  for (int j = 0; j < a.m; ++j)
    // A variable without a valid maximum was reported by its syntax message.
    if (odd[static_cast<std::size_t>(j)] && a.K[static_cast<std::size_t>(j)] > 0)
      frame::report("HOM var ^1 values not in 1 to ^2.",
                    {var_name(a.var[static_cast<std::size_t>(j)]), frame::integer(a.K[static_cast<std::size_t>(j)])},
                    frame::kWarning);
  return true;
}

void case_summary(int n) {
  auto& p = H().pivot;
  p.BP_BEGIN_PIVOT_TABLE(frame::key("Case Processing Summary"), 3);
  const int rows = p.BP_CATEGORY_DIMENSION(frame::key("Case Processing Summary"), host::Axis::Row);
  p.BP_HIDE_DIMENSION_LABEL(rows);
  const int cols = p.BP_CELL_DIMENSION(frame::key("Statistics"), host::Axis::Column);
  p.BP_HIDE_DIMENSION_LABEL(cols);
  const int r = p.BP_CELL_IN_CATEGORY(rows, frame::key("Cases Used in Analysis"));
  const int c = p.BP_CELL_IN_CATEGORY(cols, frame::key("N"));
  p.BP_SET_VALUE(host::CellRef{{r, c}}, n, host::BP_N_FORMAT());
  p.BP_END_PIVOT_TABLE();
}

// The largest number of dimensions the data allow, and the checks of the
// marginal frequencies. False when the run cannot go on.
bool setup(Settings& s, Analysis& a) {
  int L = 0;
  bool all_missing = true;
  std::vector<int> per(static_cast<std::size_t>(a.m), 0);
  bool ok = true;
  for (int j = 0; j < a.m; ++j) {
    const auto J = static_cast<std::size_t>(j);
    const double* f = a.f + a.yoff[J];
    const int valid = a.n - a.missing[J];
    int nonempty = 0;
    for (int c = 0; c < a.K[J]; ++c)
      if (f[c] > 0) ++nonempty;
    per[J] = nonempty - (a.missing[J] == 0 ? 1 : 0);
    L += per[J];
    if (a.missing[J] == 0) all_missing = false;
    if (valid == 0) {
      frame::report("HOM var ^1 no valid cases.", {var_name(a.var[J])}, frame::kError);
      ok = false;
      continue;
    }
    for (int c = 0; c < a.K[J]; ++c)
      if (f[c] < 0 || f[c] >= valid)
        frame::report("HOM var ^1 all obj ^2 in same cat ^3.",
                      {var_name(a.var[J]), frame::integer(static_cast<long long>(f[c])), frame::integer(c + 1)},
                      frame::kWarning);
  }
  if (!ok) return false;
  if (a.m != 2 && all_missing) --L;
  L = std::min(L, a.n - 1);
  if (s.p > L) {
    frame::report("HOM NDim too large ^1.", {frame::integer(L)}, frame::kError);
    return false;
  }
  if (a.m == 2 && s.p > std::min(per[0], per[1])) number(17633, 2, 2, {std::to_string(s.p)});
  return true;
}

void plot_range(const Settings& s, Analysis& a) {
  bool any = false;
  for (bool b : s.plot) any = any || b;
  if (!any) return;
  if (a.p == 1) {
    frame::warn("HOM No plots in 1 dim.");
    return;
  }
  int first = s.ndim_first, last = s.ndim_last;
  if (last > a.p) {
    // NDIM(first, MAX) asks for the last dimension: no message.
    if (last != 0x7fffffff) number(17659, 2, 2, {std::to_string(a.p)});
    last = a.p;
  }
  if (last <= first) {
    number(17658, 2, 2);
    first = 1;
    last = std::min(last, 2);
    if (last <= first) last = 2;
  }
  a.plot_first = first;
  a.plot_last = last;
}

void reduced(int p) {
  H().listing.PRTLNC("Due to the rank of the problem, the number of dimensions has been reduced to " +
                     std::to_string(p));
}

// Y_j = centroids of X per category, into the K_j x p block of each variable;
// X is n x p with leading dimension n. Returns nothing; fit_s (when given)
// receives sum_j sum_c f_jc y_jcs^2.
void centroids(const Analysis& a, const double* X, int p, double* Y, double* fit, older::SecondThread& two) {
  if (fit) std::fill(fit, fit + p, 0.0);
  two.split(p, [&](int s0, int s1) {
    scaling::HomCategorySums(a.codes, a.n, a.m, a.yoff.data(), a.K.data(), X, p, Y, s0, s1);
  });
  for (int j = 0; j < a.m; ++j) {
    const auto J = static_cast<std::size_t>(j);
    const int K = a.K[J];
    double* Yj = Y + a.yoff[J] * p;
    const double* f = a.f + a.yoff[J];
    for (int c = 0; c < K; ++c) {
      const double inv = f[c] > 0 ? 1.0 / f[c] : 0.0;
      for (int t = 0; t < p; ++t) Yj[c + static_cast<long>(t) * K] *= inv;
    }
    if (fit)
      for (int t = 0; t < p; ++t) fit[t] += scaling::HomWeightedSS(f, Yj + static_cast<long>(t) * K, K);
  }
}

}  // namespace

void run(Settings& s) {
  auto& h = H();
  auto& ws = *s.ws;
  Analysis a;
  if (!data_pass(s, a)) {
    ws.report_shortfall();
    return;
  }
  if (s.nobserv > 0 && a.n < s.nobserv) number(17655, 2, 2, {std::to_string(a.n)});
  if (a.n < 3) {
    number(17612, 2, 3, {std::to_string(a.n)});
    return;
  }
  case_summary(a.n);
  if (!setup(s, a)) return;
  int p = s.p;
  const int n = a.n;
  long ksum = 0;
  for (int K : a.K) ksum += K;
  a.X = ws.get<double>(static_cast<std::size_t>(n) * static_cast<std::size_t>(p));
  double* Xnew = ws.get<double>(static_cast<std::size_t>(n) * static_cast<std::size_t>(p));
  a.Y = ws.get<double>(static_cast<std::size_t>(ksum) * static_cast<std::size_t>(p));
  double* Q = ws.get<double>(static_cast<std::size_t>(p) * static_cast<std::size_t>(p) + 2 * static_cast<std::size_t>(p));
  if (a.X == nullptr || Xnew == nullptr || a.Y == nullptr || Q == nullptr) {
    ws.report_shortfall();
    return;
  }
  // Derived weights.
  double total = 0;
  for (int i = 0; i < n; ++i) total += a.counts[i];
  const double c = total > 0 ? 1.0 / total : 1.0;
  for (int i = 0; i < n; ++i) a.w[i] = a.counts[i] > 0 ? std::sqrt(a.m / a.counts[i]) : 0.0;

  // Start: the fixed generator, centred, rows scaled by m_i and w_i,
  // orthonormalized, scaled by w_i again.
  scaling::HomFixedStart(n, p, a.X);
  scaling::HomCentre(n, p, a.counts, c, a.X);
  scaling::HomScaleRows(n, p, a.counts, a.X, a.X);
  scaling::HomScaleRows(n, p, a.w, a.X, a.X);
  const int p0 = p;
  p = scaling::HomGramSchmidt(n, p, a.X);
  if (p < p0) reduced(p);
  scaling::HomScaleRows(n, p, a.w, a.X, a.X);

  std::vector<double> fit(static_cast<std::size_t>(p0));
  // Two threads pay off from a few hundred thousand codes per pass.
  older::SecondThread two;
  two.start(static_cast<long>(n) * a.m >= 400000);
  float previous = 0.0f;
  const auto converge = static_cast<float>(s.converge);
  for (int it = 1; p > 0; ++it) {
    if (h.num.ATNJMP()) return;
    if (it > 1) scaling::HomScaleRows(n, p, a.w, a.X, a.X);
    h.num.ODOMTR("Iteration", it - 1);
    centroids(a, a.X, p, a.Y, fit.data(), two);
    two.split(p, [&](int s0, int s1) {
      scaling::HomScatterSum(a.codes, n, a.m, a.yoff.data(), a.K.data(), a.Y, p, Xnew, s0, s1);
    });
    // The fit is summed and compared in single precision.
    float current = 0.0f;
    for (int t = 0; t < p; ++t) current += static_cast<float>(fit[static_cast<std::size_t>(t)] / a.m);
    const float diff = current - previous;
    if (std::fabs(diff) < converge || it >= s.maxiter) {
      a.crit_reached = std::fabs(diff) < converge;
      a.history.push_back({it, current, diff});
      break;
    }
    previous = current;
    scaling::HomCentre(n, p, a.counts, c, Xnew);
    scaling::HomScaleRows(n, p, a.w, Xnew, Xnew);
    if (s.print[R_HISTORY]) a.history.push_back({it, current, diff});
    std::copy(Xnew, Xnew + static_cast<long>(n) * p, a.X);
    // A lower rank shrinks p; every K_j x p block is laid out anew for it
    // by the next centroids.
    const int before = p;
    p = scaling::HomGramSchmidt(n, p, a.X);
    if (p < before) reduced(p);
  }
  if (p == 0) return;
  a.p = p;

  // Final step: Q = sum_j Y_j' diag(f_j) Y_j from the last quantifications.
  double* d = Q + static_cast<long>(p) * p;
  double* e = d + p;
  for (int t = 0; t < p; ++t)
    for (int u = 0; u <= t; ++u) {
      double v = 0;
      for (int j = 0; j < a.m; ++j) {
        const auto J = static_cast<std::size_t>(j);
        const int K = a.K[J];
        const double* Yj = a.Y + a.yoff[J] * p;
        const double* f = a.f + a.yoff[J];
        for (int k = 0; k < K; ++k) v += f[k] * Yj[k + static_cast<long>(t) * K] * Yj[k + static_cast<long>(u) * K];
      }
      Q[t + u * p] = Q[u + t * p] = v;
    }
  if (scaling::SymEigen(p, Q, p, d, e) != 0) {
    number(17654, 2, 3);
    return;
  }
  a.eigen.assign(d, d + p);
  for (double& v : a.eigen) v /= a.m;
  // The object scores are turned to the eigenvectors of Q, so that each
  // dimension carries its own eigenvalue (the iterations fix only the space),
  // and scaled by sqrt(n).
  const double root_n = std::sqrt(static_cast<double>(n));
  scaling::MatMul('N', 'N', n, p, p, root_n, a.X, n, Q, p, 0.0, Xnew, n);
  std::copy(Xnew, Xnew + static_cast<long>(n) * p, a.X);
  centroids(a, a.X, p, a.Y, nullptr, two);
  a.discrimination.assign(static_cast<std::size_t>(a.m) * p, 0.0);
  for (int j = 0; j < a.m; ++j) {
    const auto J = static_cast<std::size_t>(j);
    const int K = a.K[J];
    for (int t = 0; t < p; ++t)
      a.discrimination[J + static_cast<std::size_t>(t) * a.m] =
          scaling::HomWeightedSS(a.f + a.yoff[J], a.Y + a.yoff[J] * p + static_cast<long>(t) * K, K) / n;
  }
  plot_range(s, a);
  output(s, a);
}

}  // namespace oscat::homals
