// PRINCALS: the data pass, the dimension check, the iterations and the
// listing output.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

#include "frame/messages.hpp"
#include "homals/shared.hpp"
#include "princals/analysis.hpp"
#include "scaling/als.hpp"
#include "scaling/homogeneity.hpp"
#include "scaling/linalg.hpp"
#include "scaling/quantify.hpp"

namespace oscat::princals {
namespace {

using host::H;
using older::number;
using scaling::Into;

// A single quantification whose weighted sum of squares is at most this is
// left unscaled: there is nothing to normalize.
constexpr double kUnscaled = 1e-21;

std::string name(int v) { return H().dict.DICGET(v).name; }

bool data_pass(Settings& s, Analysis& a) {
  auto& cs = H().cases;
  a.m = static_cast<int>(s.analysis.size());
  for (int pos : s.analysis) {
    a.var.push_back(s.vars[static_cast<std::size_t>(pos)]);
    a.K.push_back(s.max[static_cast<std::size_t>(pos)]);
    a.level.push_back(s.level[static_cast<std::size_t>(pos)]);
  }
  const int n = a.n = older::count_objects(s.nobserv);
  if (n == 0) return true;
  a.ksum = older::block_offsets(a.K, a.off);
  a.codes = s.ws->get<int>(static_cast<std::size_t>(n) * static_cast<std::size_t>(a.m));
  a.f = s.ws->get<double>(static_cast<std::size_t>(a.ksum));
  if (!a.codes || !a.f) return false;
  std::fill(a.f, a.f + a.ksum, 0.0);
  a.missing.assign(static_cast<std::size_t>(a.m), 0);
  a.case_numbers.assign(static_cast<std::size_t>(n), 0);
  std::vector<char> odd(static_cast<std::size_t>(a.m), 0);
  older::CategoryReader reader(a.var, a.K);
  int i = 0;
  cs.OBPINI();
  while (i < n && cs.OBSERV()) {
    a.case_numbers[static_cast<std::size_t>(i)] = cs.case_number();
    for (int j = 0; j < a.m; ++j) {
      const auto J = static_cast<std::size_t>(j);
      bool bad = false;
      const int code = reader.code(J, bad);
      if (bad) odd[J] = 1;
      a.codes[i + static_cast<long>(j) * n] = code;
      if (code > 0) a.f[a.off[J] + code - 1] += 1.0;
      else ++a.missing[J];
    }
    ++i;
  }
  cs.OBPEND();
  for (int j = 0; j < a.m; ++j)
    // A variable without a valid maximum was reported by its syntax message.
    if (odd[static_cast<std::size_t>(j)] && a.K[static_cast<std::size_t>(j)] > 0)
      frame::report("HOM var ^1 values not in 1 to ^2.",
                    {frame::text(name(a.var[static_cast<std::size_t>(j)])), frame::integer(a.K[static_cast<std::size_t>(j)])},
                    frame::kWarning);
  return true;
}

// Quantifications of every variable against X, with the fit measures. With
// `numerical` every single variable is quantified as numerical (the initial
// metric configuration).
void quantify(Analysis& a, bool numerical) {
  const int n = a.n, p = a.p;
  a.eta.assign(static_cast<std::size_t>(a.m) * p, 0.0);
  a.sfit.assign(static_cast<std::size_t>(a.m), 0.0);
  std::vector<double> t, x;
  for (int j = 0; j < a.m; ++j) {
    const auto J = static_cast<std::size_t>(j);
    const int K = a.K[J];
    const double* f = a.f + a.off[J];
    double* Ym = a.Ymj(j);
    scaling::IndicatorSums(a.codes + static_cast<long>(j) * n, n, a.X, n, p, Ym, K, K, K, Into::Replace);
    for (int s = 0; s < p; ++s)
      for (int c = 0; c < K; ++c) Ym[c + s * K] = f[c] > 0 ? Ym[c + s * K] / f[c] : 0.0;
    for (int s = 0; s < p; ++s) a.eta[J * p + s] = scaling::HomWeightedSS(f, Ym + s * K, K);
    double* Y = a.Yj(j);
    if (!a.single(j)) {
      std::copy(Ym, Ym + static_cast<long>(K) * p, Y);
      continue;
    }
    double* q = a.q + a.off[J];
    double* w = a.a + J * p;
    x.assign(static_cast<std::size_t>(K), 0.0);
    for (int c = 0; c < K; ++c) x[static_cast<std::size_t>(c)] = c + 1;
    double N, mean, S;
    scaling::ZYL_Moments(x.data(), f, K, N, mean, S);
    t.assign(static_cast<std::size_t>(K), 0.0);
    if (numerical || a.level[J] == NUMERICAL) {
      // The numerical quantification: centred category numbers.
      for (int c = 0; c < K; ++c) t[static_cast<std::size_t>(c)] = f[c] > 0 ? x[static_cast<std::size_t>(c)] - mean : 0.0;
    } else {
      for (int c = 0; c < K; ++c) {
        double v = 0;
        for (int s = 0; s < p; ++s) v += Ym[c + s * K] * w[s];
        t[static_cast<std::size_t>(c)] = v;
      }
      if (a.level[J] == ORDINAL) {
        std::vector<double> keep = t;
        if (scaling::ZYL_MonReg(t.data(), K, f)) {
          // A constant fit: the negated target is fitted once more.
          for (int c = 0; c < K; ++c) t[static_cast<std::size_t>(c)] = -keep[static_cast<std::size_t>(c)];
          scaling::ZYL_MonReg(t.data(), K, f);
        }
      }
    }
    double ss = 0;
    for (int c = 0; c < K; ++c) ss += f[c] * t[static_cast<std::size_t>(c)] * t[static_cast<std::size_t>(c)];
    const double scale = ss > kUnscaled ? 1.0 / std::sqrt(ss) : 1.0;
    for (int c = 0; c < K; ++c) q[c] = t[static_cast<std::size_t>(c)] * scale;
    double fit = 0;
    for (int s = 0; s < p; ++s) {
      double v = 0;
      for (int c = 0; c < K; ++c) v += f[c] * q[c] * Ym[c + s * K];
      w[s] = v;
      fit += v * v;
    }
    a.sfit[J] = fit;
    for (int s = 0; s < p; ++s)
      for (int c = 0; c < K; ++c) Y[c + s * K] = q[c] * w[s];
  }
  double M = 0, S = 0;
  for (int j = 0; j < a.m; ++j) {
    double e = 0;
    for (int s = 0; s < p; ++s) e += a.eta[static_cast<std::size_t>(j) * p + s];
    M += e;
    if (a.single(j)) S += e - a.sfit[static_cast<std::size_t>(j)];
  }
  M /= a.m;
  S /= a.m;
  a.mloss = p - M;
  a.sloss = S;
  a.fit = M - S;
}

// Z = sum_j G_j Y_j, centred. With `principal` X = Z V L^-1/2 (principal
// axes), else Gram-Schmidt; X'X = I. False when the eigen-solver failed.
bool new_scores(Analysis& a, double* Z, bool principal, double* work) {
  const int n = a.n, p = a.p;
  std::fill(Z, Z + static_cast<long>(n) * p, 0.0);
  for (int j = 0; j < a.m; ++j)
    scaling::IndicatorScatter(a.codes + static_cast<long>(j) * n, n, a.Yj(j), a.K[static_cast<std::size_t>(j)], p, Z,
                              n, a.K[static_cast<std::size_t>(j)], Into::Add);
  for (int s = 0; s < p; ++s) {
    double t = 0;
    for (int i = 0; i < n; ++i) t += Z[i + static_cast<long>(s) * n];
    for (int i = 0; i < n; ++i) Z[i + static_cast<long>(s) * n] -= t / n;
  }
  if (!principal) {
    std::copy(Z, Z + static_cast<long>(n) * p, a.X);
    return scaling::HomGramSchmidt(n, p, a.X) == p;
  }
  double* V = work;
  double* mu = V + p * p;
  double* e = mu + p;
  scaling::MatMul('T', 'N', p, p, n, 1.0, Z, n, Z, n, 0.0, V, p);
  if (scaling::SymEigen(p, V, p, mu, e) != 0) return false;
  for (int s = 0; s < p; ++s) {
    if (mu[s] <= 0) return false;
    for (int t = 0; t < p; ++t) V[t + s * p] /= std::sqrt(mu[s]);
  }
  scaling::MatMul('N', 'N', n, p, p, 1.0, Z, n, V, p, 0.0, a.X, n);
  return true;
}

// Iterates from X until the fit changes by less than CONVERGENCE or MAXITER
// is reached; the history rows when asked. False when the object scores
// could not be orthonormalized (reported) or the host interrupted.
bool iterate(const Settings& s, Analysis& a, bool numerical, double* Z, double* work, Stop& stop) {
  auto& h = H();
  if (s.print[R_HISTORY]) history_head(numerical);
  double old = 0;
  for (int it = 1;; ++it) {
    if (h.num.ATNJMP()) return false;
    h.num.ODOMTR("Iteration", it - 1);
    quantify(a, numerical);
    stop.difference = std::fabs(a.fit - old);
    if (s.print[R_HISTORY]) history_row(it, a, stop.difference);
    stop.converged = it > 1 && stop.difference < s.converge;
    if (stop.converged || it >= s.maxiter) return true;
    old = a.fit;
    if (!new_scores(a, Z, false, work)) {
      number(17713, 2, frame::kError);
      return false;
    }
  }
}

// X on the principal axes of the current quantifications, the
// quantifications once more against it.
bool principal_axes(Analysis& a, bool numerical, double* Z, double* work) {
  if (!new_scores(a, Z, true, work)) {
    number(17713, 2, frame::kError);
    return false;
  }
  quantify(a, numerical);
  return true;
}

}  // namespace

void run(Settings& s) {
  auto& h = H();
  auto& ws = *s.ws;
  Analysis a;
  const bool read = data_pass(s, a);
  if (!read) line("PRINCALS needs " + std::to_string(static_cast<long long>(a.n) * a.m * 4 + a.ksum * 8) +
                  " bytes of memory");
  if (!older::data_ready(read, a.n, 17712, ws)) return;
  banner(a);
  variables_listing(a);
  if (s.print[R_FREQ]) frequencies_listing(a);
  int L = 0;
  for (int j = 0; j < a.m; ++j) {
    const auto J = static_cast<std::size_t>(j);
    int nonempty = 0;
    for (int c = 0; c < a.K[J]; ++c)
      if (a.f[a.off[J] + c] > 0) ++nonempty;
    if (nonempty == 0) {
      line("");
      line("Variable " + name(a.var[J]) + " does not have valid objects.");
      frame::error("PRI No valid objects.");
      return;
    }
    if (nonempty == 1) {
      // One category holds every valid object: the variable is constant and
      // adds nothing to the fit.
      int c = 0;
      while (a.f[a.off[J] + c] <= 0) ++c;
      frame::report("HOM var ^1 all obj ^2 in same cat ^3.",
                    {frame::text(name(a.var[J])), frame::integer(static_cast<long long>(a.f[a.off[J] + c])),
                     frame::integer(c + 1)},
                    frame::kWarning);
    }
    L += a.single(j) ? 1 : nonempty - 1;
  }
  L = std::max(1, std::min(L, a.n - 1));
  a.p = s.p;
  if (a.p > L) {
    dimension_check(L);
    a.p = L;
  }
  const int n = a.n, p = a.p;
  const auto np = static_cast<std::size_t>(n) * static_cast<std::size_t>(p);
  const auto kp = static_cast<std::size_t>(a.ksum) * static_cast<std::size_t>(p);
  const auto mp = static_cast<std::size_t>(a.m) * static_cast<std::size_t>(p);
  const auto m = static_cast<std::size_t>(a.m);
  // Scratch of the eigen-solver: p x p and 2p; the correlations: m (m + 2).
  const std::size_t nwork = std::max(static_cast<std::size_t>(p) * p + 2 * static_cast<std::size_t>(p), m * (m + 2));
  a.X = ws.get<double>(np);
  double* Z = ws.get<double>(np);
  a.Ym = ws.get<double>(kp);
  a.Y = ws.get<double>(kp);
  a.q = ws.get<double>(static_cast<std::size_t>(a.ksum));
  a.a = ws.get<double>(mp);
  double* work = ws.get<double>(nwork);
  if (!a.X || !Z || !a.Ym || !a.Y || !a.q || !a.a || !work) {
    const double bytes = 8.0 * static_cast<double>(2 * np + 2 * kp + static_cast<std::size_t>(a.ksum) + mp + nwork);
    line("");
    line("PRINCALS needs " + std::to_string(static_cast<long long>(bytes)) + " bytes of memory");
    ws.report_shortfall();
    return;
  }
  std::fill(a.q, a.q + a.ksum, 0.0);
  std::fill(a.a, a.a + static_cast<long>(a.m) * p, 0.0);
  // Start: the fixed generator, centred and orthonormalized.
  scaling::HomFixedStart(n, p, a.X);
  for (int t = 0; t < p; ++t) {
    double mean = 0;
    for (int i = 0; i < n; ++i) mean += a.X[i + static_cast<long>(t) * n];
    for (int i = 0; i < n; ++i) a.X[i + static_cast<long>(t) * n] -= mean / n;
  }
  if (scaling::HomGramSchmidt(n, p, a.X) != p) {
    number(17713, 2, frame::kError);
    return;
  }
  // The initial metric configuration: every single variable numerical. With
  // every variable single numerical it is the solution.
  const bool all_numerical = a.all(NUMERICAL);
  Stop stop;
  if (!iterate(s, a, true, Z, work, stop)) return;
  stop_message(stop);
  if (!principal_axes(a, true, Z, work)) return;
  if (all_numerical) {
    line("");
    line("All variables are");
    line("single numerical,");
    line("so initial and final configurations are identical.");
  } else {
    summary_listing(a, true);
    if (s.print[R_CORREL]) correlations_listing(a, true, work);
    if (!iterate(s, a, false, Z, work, stop)) return;
    stop_message(stop);
    if (!principal_axes(a, false, Z, work)) return;
  }
  summary_listing(a, false);
  if (s.print[R_QUANT]) quantifications_listing(a);
  if (s.print[R_LOADING]) loadings_listing(a);
  if (s.print[R_CORREL]) correlations_listing(a, false, work);
  // The object scores are reported and saved multiplied by sqrt(n).
  for (std::size_t t = 0; t < np; ++t) Z[t] = a.X[t] * std::sqrt(static_cast<double>(n));
  if (s.print[R_OBJECT]) objects_listing(a, Z);
  plots(s, a, Z);
  if (s.save) save(s, a, Z);
  if (s.matrix_handle > 0 && !matrix_file(s.matrix_handle, a))
    frame::report("HOM Matrix file ^1 not written.", {frame::text(h.files.path(s.matrix_handle))}, frame::kError);
}

}  // namespace oscat::princals
