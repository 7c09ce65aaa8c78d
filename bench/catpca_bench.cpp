// The CATPCA / MULTIPLE CORRESPONDENCE engine (CPR_PrAlgo) timed on its own:
// catpca_bench [CASES]. Twenty variables with 5 + j mod 3 categories cut from
// two correlated latent factors (fixed seed), two dimensions; CATPCA takes
// them ordinal, nominal, numerical and spline ordinal in turn. Prints the
// seconds per iteration (pre-run iterations included) with one and two threads.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <vector>

#include "catpca/pralgo.hpp"

using namespace oscat::catpca;
namespace sx = oscat::scaling;

namespace {

struct Data {
  int n, m = 20, p = 2, kmax = 0;
  std::vector<int> codes, K;
  std::vector<double> objw;
  std::vector<std::vector<double>> x, f;
  std::vector<CategoryAggregates> agg;
};

Data make(int n) {
  Data d;
  d.n = n;
  std::mt19937_64 gen(20261207);
  std::normal_distribution<double> g;
  for (int j = 1; j <= d.m; ++j) d.K.push_back(5 + j % 3);
  d.kmax = *std::max_element(d.K.begin(), d.K.end());
  d.codes.assign(static_cast<std::size_t>(n) * d.m, 0);
  for (int i = 0; i < n; ++i) {
    const double f1 = g(gen), f2 = 0.5 * f1 + std::sqrt(0.75) * g(gen);
    for (int j = 0; j < d.m; ++j) {
      const double z = (j % 2 == 0 ? f1 : f2) + 0.5 * g(gen);
      const double u = 0.5 * (1 + std::erf(z / std::sqrt(2 * 1.25)));
      int c = std::min(d.K[j] - 1, static_cast<int>(u * d.K[j]));
      if ((j + 1) % 3 == 0) c = (c * 2 + 1) % d.K[j];  // not monotone in the factors
      d.codes[static_cast<std::size_t>(j) * n + i] = c + 1;
    }
  }
  d.objw.assign(n, 1.0);
  d.x.assign(d.m, {});
  d.f.assign(d.m, {});
  d.agg.assign(d.m, {});
  for (int j = 0; j < d.m; ++j) {
    d.x[j].resize(d.K[j]);
    d.f[j].assign(d.K[j], 0.0);
    for (int c = 0; c < d.K[j]; ++c) d.x[j][c] = c + 1;
    for (int i = 0; i < n; ++i) d.f[j][d.codes[static_cast<std::size_t>(j) * n + i] - 1] += 1;
    CategoryAggregates& v = d.agg[j];
    v.K = d.K[j];
    v.x = d.x[j].data();
    v.f = d.f[j].data();
    for (int c = 0; c < v.K; ++c) {
      v.N += v.f[c];
      v.xbar += v.f[c] * v.x[c];
    }
    v.xbar /= v.N;
    for (int c = 0; c < v.K; ++c) v.S += v.f[c] * (v.x[c] - v.xbar) * (v.x[c] - v.xbar);
  }
  return d;
}

void run(const Data& d, bool mca, int threads) {
  const int n = d.n, m = d.m, p = d.p, K = d.kmax;
  std::vector<ScalingLevelRecord> lev(m);
  const int levels[] = {sx::ORDINAL, sx::NOMINAL, sx::NUMERICAL, sx::SPORD};
  for (int j = 0; j < m; ++j) {
    const int l = mca ? sx::MNOMINAL : levels[j % 4];
    lev[j] = {l, l == sx::SPORD ? 2 : 0, l == sx::SPORD ? 2 : 0, 0};
  }
  const int cols = std::max(1, oscat::scaling::ZYL_SplineColumns(m, lev.data()));
  std::vector<double> X(static_cast<std::size_t>(n) * p), q(static_cast<std::size_t>(K) * m),
      Y(static_cast<std::size_t>(K) * p * m), A(static_cast<std::size_t>(p) * m), vaf(m),
      eta(static_cast<std::size_t>(p) * m), lambda(p), basis(static_cast<std::size_t>(K) * cols), D(cols),
      coef(cols + m + 1), coef_save(cols + m + 1),
      work(static_cast<std::size_t>(CPR_WorkSize(n, m, p, K, 2)) + 2 + 4 + 16);
  std::vector<int> col(m), cof(m), iwork(K), suppl(m, 0), only(m);
  std::vector<HistoryRow> hist(102);
  PrArrays a;
  a.X = X.data(); a.q = q.data(); a.Y = Y.data(); a.A = A.data(); a.vaf = vaf.data(); a.eta = eta.data();
  a.lambda = lambda.data(); a.basis = basis.data(); a.D = D.data(); a.coef = coef.data();
  a.coef_save = coef_save.data(); a.col_offset = col.data(); a.coef_offset = cof.data();
  a.history = hist.data(); a.suppl_only = only.data();
  PrData in;
  in.n = n; in.m = m; in.p = p; in.kmax = K; in.codes = d.codes.data(); in.objw = d.objw.data();
  in.lev = lev.data(); in.suppl = suppl.data(); in.agg = d.agg.data(); in.proc = mca ? 3 : 1;
  PrSettings s;
  s.threads = threads;
  s.xscale = std::sqrt(static_cast<double>(n));
  PrResult r;
  const auto t0 = std::chrono::steady_clock::now();
  CPR_PrAlgo(in, s, a, work.data(), iwork.data(), r);
  const double secs = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  const int its = r.iterations + r.prerun_iterations;
  std::printf("%s engine %d cases, %d thread%s: %.2f s, %d iterations (%d pre-run), %.4f s per iteration\n",
              mca ? "mca" : "catpca", n, threads, threads == 1 ? "" : "s", secs, its, r.prerun_iterations,
              its > 0 ? secs / its : 0.0);
}

}  // namespace

int main(int argc, char** argv) {
  const int n = argc > 1 ? std::atoi(argv[1]) : 1000000;
  const Data d = make(n);
  for (bool mca : {true, false})
    for (int threads : {1, 2}) run(d, mca, threads);
  return 0;
}
