// The CATREG regression engine timed on its own: catreg_bench [CASES].
// Twenty predictors with 5 + j mod 3 categories cut from two correlated
// latent factors (the design of catpca_bench) and a 7-category outcome built
// from them plus noise (fixed seed); predictors ordinal, nominal, numerical
// and spline ordinal in turn, the outcome ordinal. Prints the seconds per
// sweep over the objects, and on the cross tables (their one-off build
// apart), for 20 sweeps from the numerical start.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <vector>

#include <time.h>

#include "catreg/regression.hpp"
#include "scaling/als.hpp"

using namespace oscat::catreg;
namespace sc = oscat::scaling;

namespace {

// Processor time of this process: the machine is shared, so wall-clock time
// says more about the other work on it than about this code.
double cpu() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return t.tv_sec + 1e-9 * t.tv_nsec;
}

struct Data {
  int n, m = 21, kmax = 0;
  std::vector<int> codes, K;
  std::vector<double> w;
  std::vector<std::vector<double>> x, f;
  std::vector<sc::CategoryAggregates> agg;
};

Data make(int n) {
  Data d;
  d.n = n;
  std::mt19937_64 gen(20261207);
  std::normal_distribution<double> g;
  d.K.push_back(7);
  for (int j = 1; j < d.m; ++j) d.K.push_back(5 + j % 3);
  d.kmax = *std::max_element(d.K.begin(), d.K.end());
  d.codes.assign(static_cast<std::size_t>(n) * d.m, 0);
  const double weight[] = {0.6, -0.4, 0.3, 0, 0.5, 0, -0.3, 0.2, 0, 0, 0.4, 0, 0, 0, 0, 0.2, 0, 0, 0, 0.1};
  for (int i = 0; i < n; ++i) {
    const double f1 = g(gen), f2 = 0.5 * f1 + std::sqrt(0.75) * g(gen);
    double y = g(gen);
    for (int j = 1; j < d.m; ++j) {
      const double z = (j % 2 == 1 ? f1 : f2) + 0.5 * g(gen);
      const double u = 0.5 * (1 + std::erf(z / std::sqrt(2 * 1.25)));
      int c = std::min(d.K[j] - 1, static_cast<int>(u * d.K[j]));
      if (j % 3 == 0) c = (c * 2 + 1) % d.K[j];  // not monotone in the factors
      d.codes[static_cast<std::size_t>(j) * n + i] = c + 1;
      y += weight[j - 1] * (c + 1);
    }
    const double u = 0.5 * (1 + std::erf((y - 2.0) / 3.0));
    d.codes[i] = std::min(7, std::max(1, 1 + static_cast<int>(u * 7)));
  }
  d.w.assign(n, 1.0);
  d.x.assign(d.m, {});
  d.f.assign(d.m, {});
  d.agg.assign(d.m, {});
  for (int j = 0; j < d.m; ++j) {
    d.x[j].resize(d.kmax);
    d.f[j].assign(d.kmax, 0.0);
    for (int c = 0; c < d.kmax; ++c) d.x[j][c] = c + 1;
    for (int i = 0; i < n; ++i) d.f[j][d.codes[static_cast<std::size_t>(j) * n + i] - 1] += 1;
    auto& v = d.agg[j];
    v.K = d.K[j];
    v.x = d.x[j].data();
    v.f = d.f[j].data();
    sc::ZYL_Moments(v.x, v.f, v.K, v.N, v.xbar, v.S);
  }
  return d;
}

void run(Data& dd, bool tables) {
  const int n = dd.n, m = dd.m, K = dd.kmax;
  std::vector<sc::ScalingLevelRecord> lev(m);
  const int levels[] = {sc::ORDINAL, sc::NOMINAL, sc::NUMERICAL, sc::SPORD};
  lev[0] = {sc::ORDINAL, 0, 0, 0};
  for (int j = 1; j < m; ++j) {
    const int l = levels[(j - 1) % 4];
    lev[j] = {l, l == sc::SPORD ? 2 : 0, l == sc::SPORD ? 2 : 0, 0};
  }
  const int cols = std::max(1, sc::ZYL_SplineColumns(m, lev.data()));
  std::vector<double> basis(static_cast<std::size_t>(K) * cols), D(cols), coef(cols + m + 1), save(cols + m + 1),
      swork(3 * K + 64);
  std::vector<int> coloff(m), coefoff(m);
  sc::SplineSetupArgs sa;
  sa.m = m;
  sa.lev = lev.data();
  sa.agg = dd.agg.data();
  sa.kmax = K;
  sa.basis = basis.data();
  sa.D = D.data();
  sa.coef = coef.data();
  sa.col_offset = coloff.data();
  sa.coef_offset = coefoff.data();
  sa.work = swork.data();
  sc::ZYL_SplineSetup(sa);
  std::vector<sc::SplineBlock> spl(m);
  for (int j = 0; j < m; ++j) {
    if (coloff[j] < 0) continue;
    spl[j].B = basis.data() + static_cast<long>(coloff[j]) * K;
    spl[j].ldb = K;
    spl[j].D = D.data() + coloff[j];
    spl[j].b = coef.data() + coefoff[j];
    spl[j].bsave = save.data() + coefoff[j];
    spl[j].M = lev[j].inknot + lev[j].degree;
  }
  CrgData d{n, m, K, dd.codes.data(), dd.w.data(), dd.agg.data(), lev.data(), spl.data(), static_cast<double>(n)};
  std::vector<double> q(static_cast<std::size_t>(K) * m), b(m), z(n), phi(static_cast<std::size_t>(n) * m), zhat(n),
      r(n), t(K), work(2 * K), zq(K);
  std::vector<HistoryRow> hist(32);
  CrgArrays a{q.data(), b.data(), z.data(), phi.data(), zhat.data(), r.data(), t.data(), work.data(), hist.data(),
              zq.data()};
  std::vector<double> F;
  std::vector<long> off(static_cast<std::size_t>(m) * m);
  double build = 0;
  if (tables) {
    F.resize(static_cast<std::size_t>(CRG_CrossTableSize(m, dd.agg.data())));
    const double t0 = cpu();
    CRG_CrossTables(d, off.data(), F.data());
    build = cpu() - t0;
    d.cross = F.data();
    d.cross_off = off.data();
  }
  CrgSettings s;
  s.random_start = true;  // no preliminary run: every sweep is a main-run sweep
  s.maxiter = 20;
  s.crititer = 0;
  CrgResult res;
  CRG_InitNumerical(d, a);
  const double t0 = cpu();
  CRG_Als(d, s, a, res);
  const double secs = cpu() - t0;
  const int sweeps = res.iterations + 1;  // the final pass included
  std::printf("catreg engine %d cases, %s: %.3f s processor time for %d sweeps, %.4f s per sweep", n,
              tables ? "on cross tables" : "over the objects", secs, sweeps, secs / sweeps);
  if (tables) std::printf(" (+ %.3f s to build the tables once)", build);
  std::printf(", R2 %.10f\n", res.r2);
}

}  // namespace

int main(int argc, char** argv) {
  const int n = argc > 1 ? std::atoi(argv[1]) : 1000000;
  Data d = make(n);
  run(d, false);
  run(d, true);
  return 0;
}
