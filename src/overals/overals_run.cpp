// OVERALS: the data pass, the data checks, the iterations and the final pass.
#include <algorithm>
#include <cmath>
#include <string>

#include "frame/messages.hpp"
#include "homals/shared.hpp"
#include "overals/analysis.hpp"
#include "scaling/als.hpp"
#include "scaling/homogeneity.hpp"
#include "scaling/linalg.hpp"
#include "scaling/quantify.hpp"

namespace oscat::overals {
namespace {

using host::H;
using older::number;
using scaling::Into;

// Eigenvalues of Z'Z at or below this are no dimension of the object scores.
constexpr double kSmallEigen = 0.001;

Msg var_name(int v) { return frame::text(H().dict.DICGET(v).name); }

bool data_pass(Settings& s, Analysis& a) {
  auto& cs = H().cases;
  auto& ws = *s.ws;
  a.m = static_cast<int>(s.analysis.size());
  a.K = static_cast<int>(s.set_sizes.size());
  for (int k = 0, j = 0; k < a.K; ++k)
    for (int t = 0; t < s.set_sizes[static_cast<std::size_t>(k)]; ++t, ++j) a.set.push_back(k);
  for (int j = 0; j < a.m; ++j) {
    const int v = s.analysis[static_cast<std::size_t>(j)];
    a.var.push_back(v);
    a.level.push_back(s.level[static_cast<std::size_t>(j)]);
    const auto at = std::find(s.vars.begin(), s.vars.end(), v) - s.vars.begin();
    a.Kj.push_back(s.max[static_cast<std::size_t>(at)]);
  }
  const int n = a.n = older::count_objects(s.nobserv);
  if (n == 0) return true;
  const long ksum = a.ksum = older::block_offsets(a.Kj, a.yoff);
  a.codes = ws.get<int>(static_cast<std::size_t>(n) * static_cast<std::size_t>(a.m));
  a.own = ws.get<int>(static_cast<std::size_t>(n) * static_cast<std::size_t>(a.m));
  a.f = ws.get<double>(static_cast<std::size_t>(ksum));
  if (a.codes == nullptr || a.own == nullptr || a.f == nullptr) return false;
  std::vector<char> odd(static_cast<std::size_t>(a.m), 0);
  a.case_numbers.assign(static_cast<std::size_t>(n), 0);
  older::CategoryReader reader(a.var, a.Kj);
  int i = 0;
  cs.OBPINI();
  while (i < n && cs.OBSERV()) {
    a.case_numbers[static_cast<std::size_t>(i)] = cs.case_number();
    for (int j = 0; j < a.m; ++j) {
      bool bad = false;
      const int code = reader.code(static_cast<std::size_t>(j), bad);
      if (bad) odd[static_cast<std::size_t>(j)] = 1;
      a.own[i + static_cast<long>(j) * n] = code;
    }
    ++i;
  }
  cs.OBPEND();
  for (int j = 0; j < a.m; ++j)
    // A variable without a valid maximum was reported by its syntax message.
    if (odd[static_cast<std::size_t>(j)] && a.Kj[static_cast<std::size_t>(j)] > 0)
      frame::report("HOM var ^1 values not in 1 to ^2.",
                    {var_name(a.var[static_cast<std::size_t>(j)]), frame::integer(a.Kj[static_cast<std::size_t>(j)])},
                    frame::kWarning);
  // An object takes part in a set only with a category on every variable of
  // the set; its codes there count nowhere otherwise.
  std::fill(a.f, a.f + ksum, 0.0);
  a.missing.assign(static_cast<std::size_t>(a.m), 0);
  a.missing_in_set.assign(static_cast<std::size_t>(a.m), 0);
  a.in_any.assign(static_cast<std::size_t>(n), 0);
  for (int k = 0; k < a.K; ++k)
    for (int i2 = 0; i2 < n; ++i2) {
      bool all = true;
      for (int j = 0; j < a.m; ++j)
        if (a.set[static_cast<std::size_t>(j)] == k && a.own[i2 + static_cast<long>(j) * n] == 0) all = false;
      if (all) a.in_any[static_cast<std::size_t>(i2)] = 1;
      for (int j = 0; j < a.m; ++j) {
        if (a.set[static_cast<std::size_t>(j)] != k) continue;
        const int own = a.own[i2 + static_cast<long>(j) * n];
        const int c = all ? own : 0;
        a.codes[i2 + static_cast<long>(j) * n] = c;
        if (c > 0) a.f[a.yoff[static_cast<std::size_t>(j)] + c - 1] += 1.0;
        else if (own == 0) ++a.missing[static_cast<std::size_t>(j)];
        else ++a.missing_in_set[static_cast<std::size_t>(j)];
      }
    }
  return true;
}

// The data checks and the largest dimension. False when the run stops.
bool checks(Settings& s, Analysis& a) {
  bool ok = true;
  std::vector<int> cap(static_cast<std::size_t>(a.K), 0);
  int single_cap = 0;
  for (int j = 0; j < a.m; ++j) {
    const auto J = static_cast<std::size_t>(j);
    const double* f = a.f + a.yoff[J];
    int valid = 0, nonempty = 0;
    for (int c = 0; c < a.Kj[J]; ++c) {
      valid += static_cast<int>(f[c]);
      if (f[c] > 0) ++nonempty;
    }
    if (valid < 3) {
      number(18068, 2, frame::kError, {H().dict.DICGET(a.var[J]).name});
      ok = false;
      continue;
    }
    if (nonempty == 1) {
      number(18067, 2, frame::kError, {H().dict.DICGET(a.var[J]).name});
      ok = false;
    }
    const int c = a.level[J] == MNOMINAL ? nonempty - 1 : 1;
    cap[static_cast<std::size_t>(a.set[J])] += c;
    if (a.level[J] != MNOMINAL) ++single_cap;
  }
  if (!ok) return false;
  // Parameters against objects: a free variable that puts every object of
  // its set in a category of its own (18070), or a set whose free directions
  // may span every centred score of its objects (18069), may fit any object
  // scores: its loss says nothing about the data.
  std::vector<int> in_set(static_cast<std::size_t>(a.K), 0), params(static_cast<std::size_t>(a.K), 0);
  std::vector<char> said(static_cast<std::size_t>(a.K), 0);
  for (int k = 0; k < a.K; ++k) {
    int first = 0;
    while (a.set[static_cast<std::size_t>(first)] != k) ++first;
    for (int i = 0; i < a.n; ++i)
      if (a.codes[i + static_cast<long>(first) * a.n] > 0) ++in_set[static_cast<std::size_t>(k)];
  }
  for (int j = 0; j < a.m; ++j) {
    const auto J = static_cast<std::size_t>(j);
    const auto k = static_cast<std::size_t>(a.set[J]);
    int nonempty = 0;
    for (int c = 0; c < a.Kj[J]; ++c)
      if (a.f[a.yoff[J] + c] > 0) ++nonempty;
    // Free directions of the variable's part of the set prediction: a
    // multiple nominal variable (or a single nominal one in one dimension)
    // spans its centred indicator columns, any other single variable one.
    const bool free = a.level[J] == MNOMINAL || (a.level[J] == SNOMINAL && s.p == 1);
    params[k] += free ? nonempty - 1 : 1;
    if (free && nonempty >= in_set[k]) {
      number(18070, 2, frame::kWarning, {H().dict.DICGET(a.var[J]).name, std::to_string(nonempty)});
      said[k] = 1;
    }
  }
  for (int k = 0; k < a.K; ++k) {
    const auto K = static_cast<std::size_t>(k);
    if (!said[K] && params[K] >= in_set[K] - 1)
      number(18069, 2, frame::kWarning,
             {std::to_string(k + 1), std::to_string(params[K]), std::to_string(in_set[K])});
  }
  int used = 0;
  for (char c : a.in_any) used += c;
  int L = 0;
  if (a.K == 2) L = std::min(cap[0], cap[1]);
  else for (int c : cap) L += c;
  // Only the objects that take part in some set span the object scores.
  if (used < a.n && s.p > used - 1 && L > used - 1)
    number(18085, 2, frame::kWarning, {std::to_string(used), std::to_string(a.n)});
  L = std::max(1, std::min(L, used - 1));
  a.p = s.p;
  if (a.p > L) {
    frame::report("OVR too many dim, set to ^1.", {frame::integer(L)}, frame::kWarning);
    a.p = L;
  }
  // Single variables alone give at most their number of dimensions.
  bool all_single = true;
  for (int lv : a.level) all_single = all_single && lv != MNOMINAL;
  if (all_single && a.p > single_cap) {
    frame::report("OVR too many single dim, set to ^1.", {frame::integer(single_cap)}, frame::kWarning);
    a.p = single_cap;
  }
  return true;
}

// X (n x p) centred and orthonormalized to X'X = n I through the
// eigen-decomposition of its cross products; returns sum_s sqrt(mu_s).
// `work` holds 2p^2 + 2p doubles; T is n x p scratch.
// With `principal` the dimensions are turned to the principal axes of Z
// (X = sqrt(n) Z V L^-1/2), so that each carries its own eigenvalue.
double orthonormalize(int n, int p, double* Z, double* X, double* work, bool& failed, bool principal = false) {
  double* V = work;
  double* P = V + p * p;
  double* mu = P + p * p;
  double* e = mu + p;
  for (int s = 0; s < p; ++s) {
    double* z = Z + static_cast<long>(s) * n;
    double t = 0;
    for (int i = 0; i < n; ++i) t += z[i];
    t /= n;
    for (int i = 0; i < n; ++i) z[i] -= t;
  }
  scaling::MatMul('T', 'N', p, p, n, 1.0, Z, n, Z, n, 0.0, V, p);
  failed = scaling::SymEigen(p, V, p, mu, e) != 0;
  double root_sum = 0;
  for (int s = 0; s < p; ++s) {
    root_sum += mu[s] > 0 ? std::sqrt(mu[s]) : 0.0;
    e[s] = mu[s] > kSmallEigen ? 1.0 / std::sqrt(mu[s]) : 0.0;
  }
  for (int s = 0; s < p; ++s)
    for (int t = 0; t < p; ++t) {
      double v = 0;
      for (int k = 0; k < p; ++k) v += V[s + k * p] * e[k] * V[t + k * p];
      P[s + t * p] = principal ? V[s + t * p] * e[t] : v;
    }
  scaling::MatMul('N', 'N', n, p, p, std::sqrt(static_cast<double>(n)), Z, n, P, p, 0.0, X, n);
  return root_sum;
}

// Right-multiplies every K x p block and weight vector by the p x p rotation
// V (the set predictions are formed afresh from them). `scratch` holds
// K x p doubles for the largest K.
void rotate(Analysis& a, const double* V, double* scratch) {
  const int p = a.p;
  auto turn = [&](double* M, long rows) {
    scaling::MatMul('N', 'N', static_cast<int>(rows), p, p, 1.0, M, static_cast<int>(rows), V, p, 0.0, scratch,
                    static_cast<int>(rows));
    std::copy(scratch, scratch + rows * p, M);
  };
  for (int j = 0; j < a.m; ++j) {
    const long K = a.Kj[static_cast<std::size_t>(j)];
    turn(a.Yj(j), K);
    turn(a.Ymult + a.yoff[static_cast<std::size_t>(j)] * p, K);
    double* w = a.weights + static_cast<long>(j) * p;
    turn(w, 1);
  }
}

}  // namespace

// One sweep over the sets: every variable's quantification against X, in
// order. A variable's partial residual is X less the prediction of its set,
// S_k = sum over the set's variables l of G_l Y_l, so its category sums are
// G_j'X - sum_l (G_j'G_l) Y_l: the sums of X once per sweep and the set's
// cross tables do the work of a pass over the objects per variable. `Yhat`
// is K x p scratch for the largest K.
// With `numerical`, single nominal and ordinal variables are quantified as
// numerical ones (the initial configuration).
void sweep(Analysis& a, const double* X, double* Yhat, double* work, older::SecondThread& two,
           bool numerical = false) {
  const int n = a.n, p = a.p;
  two.split(p, [&](int s0, int s1) {
    scaling::HomCategorySums(a.codes, n, a.m, a.yoff.data(), a.Kj.data(), X, p, a.GX, s0, s1);
  });
  for (int j = 0; j < a.m; ++j) {
    const auto J = static_cast<std::size_t>(j);
    const int K = a.Kj[J];
    const double* f = a.f + a.yoff[J];
    double* Y = a.Yj(j);
    // Yhat = D^-1 G'(X - S) + Y: the centroids of the partial residual.
    const double* gx = a.GX + a.yoff[J] * p;
    std::copy(gx, gx + static_cast<long>(K) * p, Yhat);
    for (int l = 0; l < a.m; ++l) {
      const long at = a.coff[J * static_cast<std::size_t>(a.m) + static_cast<std::size_t>(l)];
      if (at < 0) continue;
      const double* C = a.C + at;
      const int Kl = a.Kj[static_cast<std::size_t>(l)];
      const double* Yl = a.Yj(l);
      for (int s = 0; s < p; ++s)
        for (int d = 0; d < Kl; ++d) {
          const double y = Yl[d + s * Kl];
          if (y == 0.0) continue;
          for (int c = 0; c < K; ++c) Yhat[c + s * K] -= C[c + static_cast<long>(d) * K] * y;
        }
    }
    for (int s = 0; s < p; ++s)
      for (int c = 0; c < K; ++c) {
        const double inv = f[c] > 0 ? 1.0 / f[c] : 0.0;
        Yhat[c + s * K] = Yhat[c + s * K] * inv + (f[c] > 0 ? Y[c + s * K] : 0.0);
      }
    if (a.level[J] == MNOMINAL) {
      std::copy(Yhat, Yhat + static_cast<long>(K) * p, Y);
      std::copy(Y, Y + static_cast<long>(K) * p, a.Ymult + a.yoff[J] * p);
      continue;
    }
    double* q = a.q + a.yoff[J];
    double* w = a.weights + static_cast<long>(j) * p;
    if (a.level[J] == NUMERICAL || numerical) {
      // Linear in the category values; the sign goes to the weights.
      double N, mean, SS;
      for (int c = 0; c < K; ++c) work[c] = c + 1;
      scaling::ZYL_Moments(work, f, K, N, mean, SS);
      for (int c = 0; c < K; ++c) q[c] = f[c] > 0 ? work[c] - mean : 0.0;
    } else {
      for (int c = 0; c < K; ++c) {
        double t = 0;
        for (int s = 0; s < p; ++s) t += Yhat[c + s * K] * w[s];
        q[c] = t;
      }
      if (a.level[J] == ORDINAL) scaling::ZYL_MonReg(q, K, f);
    }
    scaling::ZYL_NormQuant(q, f, K, static_cast<double>(n));
    for (int s = 0; s < p; ++s) {
      double v = 0;
      for (int c = 0; c < K; ++c) v += f[c] * q[c] * Yhat[c + s * K];
      w[s] = v / n;
    }
    for (int s = 0; s < p; ++s)
      for (int c = 0; c < K; ++c) Y[c + s * K] = q[c] * w[s];
    // Keep the multiple coordinates for the output.
    std::copy(Yhat, Yhat + static_cast<long>(K) * p, a.Ymult + a.yoff[J] * p);
  }
}

// The set predictions S_k = sum over the set's variables of G_j Y_j.
void set_predictions(Analysis& a) {
  const long np = static_cast<long>(a.n) * a.p;
  for (int k = 0, j0 = 0; k < a.K; ++k) {
    int j1 = j0;
    while (j1 < a.m && a.set[static_cast<std::size_t>(j1)] == k) ++j1;
    scaling::HomScatterSum(a.codes + static_cast<long>(j0) * a.n, a.n, j1 - j0, a.yoff.data() + j0,
                           a.Kj.data() + j0, a.Y, a.p, a.S + k * np);
    j0 = j1;
  }
}

void run(Settings& s) {
  auto& h = H();
  auto& ws = *s.ws;
  Analysis a;
  const bool read = data_pass(s, a);
  if (!older::data_ready(read, a.n, 18012, ws)) return;
  case_summary(a);
  if (!checks(s, a)) return;
  bool plots = false;
  for (bool b : s.plot) plots = plots || b;
  if (a.p == 1 && plots) {
    number(18084, 2, frame::kWarning);
    std::fill(std::begin(s.plot), std::end(s.plot), false);
  }
  const int n = a.n;
  int p = a.p;
  int kmax = 1;
  for (int K : a.Kj) kmax = std::max(kmax, K);
  const auto np = static_cast<std::size_t>(n) * static_cast<std::size_t>(p);
  a.X = ws.get<double>(np);
  a.S = ws.get<double>(np * static_cast<std::size_t>(a.K));
  double* Z = ws.get<double>(np);
  // Scratch for the partial residuals and for turning any K x p block.
  double* T = ws.get<double>(static_cast<std::size_t>(std::max(n, kmax)) * static_cast<std::size_t>(p));
  a.Y = ws.get<double>(static_cast<std::size_t>(a.ksum) * static_cast<std::size_t>(p));
  a.Ymult = ws.get<double>(static_cast<std::size_t>(a.ksum) * static_cast<std::size_t>(p));
  a.q = ws.get<double>(static_cast<std::size_t>(a.ksum));
  a.weights = ws.get<double>(static_cast<std::size_t>(a.m) * static_cast<std::size_t>(p));
  double* Yhat = ws.get<double>(static_cast<std::size_t>(kmax) * static_cast<std::size_t>(p));
  a.GX = ws.get<double>(static_cast<std::size_t>(a.ksum) * static_cast<std::size_t>(p));
  // The cross tables of the variables of each set (the variables of a set
  // are consecutive).
  a.coff.assign(static_cast<std::size_t>(a.m) * static_cast<std::size_t>(a.m), -1);
  long csize = 0;
  for (int j = 0; j < a.m; ++j)
    for (int l = 0; l < a.m; ++l)
      if (a.set[static_cast<std::size_t>(j)] == a.set[static_cast<std::size_t>(l)]) {
        a.coff[static_cast<std::size_t>(j) * a.m + static_cast<std::size_t>(l)] = csize;
        csize += static_cast<long>(a.Kj[static_cast<std::size_t>(j)]) * a.Kj[static_cast<std::size_t>(l)];
      }
  a.C = ws.get<double>(static_cast<std::size_t>(csize));
  double* work = ws.get<double>(2 * static_cast<std::size_t>(p) * p + 2 * static_cast<std::size_t>(p) +
                                static_cast<std::size_t>(kmax));
  if (!a.X || !a.S || !Z || !T || !a.Y || !a.Ymult || !a.q || !a.weights || !Yhat || !work || !a.GX || !a.C) {
    ws.report_shortfall();
    return;
  }
  {
    const double blocks = static_cast<double>(np) * (3.0 + a.K) +
                          static_cast<double>(std::max(n, kmax)) * p + 2.0 * static_cast<double>(a.ksum) * p +
                          static_cast<double>(a.ksum) * 2 + static_cast<double>(a.m) * p +
                          static_cast<double>(kmax) * p + 2.0 * p * p + 2.0 * p + kmax +
                          static_cast<double>(a.ksum) * p + static_cast<double>(csize);
    older::memory_allocated("OVERALS", 8.0 * blocks + 8.0 * static_cast<double>(n) * a.m);
  }
  for (int j = 0; j < a.m; ++j)
    for (int l = 0; l < a.m; ++l) {
      const long at = a.coff[static_cast<std::size_t>(j) * a.m + static_cast<std::size_t>(l)];
      if (at >= 0)
        scaling::HomCrossTable(a.codes + static_cast<long>(j) * n, a.codes + static_cast<long>(l) * n, n,
                               a.Kj[static_cast<std::size_t>(j)], a.Kj[static_cast<std::size_t>(l)], a.C + at);
    }
  std::fill(a.Y, a.Y + a.ksum * p, 0.0);
  std::fill(a.Ymult, a.Ymult + a.ksum * p, 0.0);
  std::fill(a.q, a.q + a.ksum, 0.0);
  // Start: the fixed generator (or the host's random numbers), centred,
  // orthonormalized and scaled by sqrt(n). Single variables start with unit
  // weights.
  if (s.random_start) {
    for (std::size_t t = 0; t < np; ++t) Z[t] = 2.0 * h.num.URAND() - 1.0;
  } else {
    scaling::HomFixedStart(n, p, Z);
  }
  bool failed = false;
  orthonormalize(n, p, Z, a.X, work, failed);
  for (int t = 0; t < a.m * p; ++t) a.weights[t] = 1.0;
  // Two threads pay off from a few hundred thousand codes per pass.
  older::SecondThread two;
  two.start(static_cast<long>(n) * a.m >= 400000);
  double loss_old = 0;
  bool have_old = false;
  int it = 0;
  auto step = [&](bool numerical, double& fit) {
    sweep(a, a.X, Yhat, work, two, numerical);
    // Z = sum_k S_k = sum_j G_j Y_j.
    two.split(p, [&](int s0, int s1) {
      scaling::HomScatterSum(a.codes, n, a.m, a.yoff.data(), a.Kj.data(), a.Y, p, Z, s0, s1);
    });
    const double roots = orthonormalize(n, p, Z, a.X, work, failed);
    fit = std::min(static_cast<double>(p), roots / (a.K * std::sqrt(static_cast<double>(n))));
    if (failed) number(18055, 2, frame::kError);
    return !failed;
  };
  // Single nominal and ordinal variables start from the numerical initial
  // configuration, whose fit is the history's iteration 0.
  bool restricted = false;
  for (int lv : a.level) restricted = restricted || lv == SNOMINAL || lv == ORDINAL;
  if (restricted) {
    double fit = 0;
    if (!step(true, fit)) return;
    loss_old = p - fit;
    have_old = true;
    if (s.print[R_HISTORY]) a.history.push_back({0, loss_old, fit, host::SYSMIS});
  }
  for (;;) {
    if (h.num.ATNJMP()) return;
    h.num.ODOMTR("Iteration", it);
    double fit = 0;
    if (!step(false, fit)) return;
    ++it;
    const double loss = p - fit;
    const double diff = have_old ? std::fabs(loss_old - loss) : loss;
    const bool crit = have_old && diff <= s.converge;
    if (s.print[R_HISTORY] || crit || it >= s.maxiter) a.history.push_back({it, loss, fit, diff});
    if (crit || it >= s.maxiter) {
      a.crit_reached = crit;
      // Z is still the centred sum of the set predictions. The turn to the
      // principal axes, X_principal = X V, turns every coordinate with it so
      // that the final pass starts from the same solution.
      orthonormalize(n, p, Z, a.X, work, failed, true);
      rotate(a, work, T);
      break;
    }
    loss_old = loss;
    have_old = true;
  }
  // The final pass: quantifications against the final object scores, then
  // the loss of every set and dimension.
  sweep(a, a.X, Yhat, work, two);
  set_predictions(a);
  final_measures(a);
  output(s, a);
}

}  // namespace oscat::overals
