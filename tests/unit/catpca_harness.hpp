// Test harness of the CATPCA engine: coded data with its category aggregates
// and every array CPR_PrAlgo works on, owned here. Tests fill `codes`, `K`,
// `lev` (and optionally `objw`, `w`, `suppl`, `set`), then call run().
#pragma once

#include <algorithm>
#include <cstddef>
#include <vector>

#include "catpca/pralgo.hpp"

namespace oscat::catpca::harness {

struct EngineHarness {
  int n = 0, m = 0, p = 0, kmax = 0;
  std::vector<int> codes, K, suppl;
  std::vector<double> objw;  // object weights (1 when left empty)
  std::vector<double> w;     // variable weights (1 when left empty)
  std::vector<std::vector<double>> xv, fv;
  std::vector<ScalingLevelRecord> lev;
  std::vector<CategoryAggregates> agg;
  std::vector<double> X, q, Y, A, vaf, eta, lambda, basis, D, coef, coef_save, work;
  std::vector<int> col, cof, iwork, supponly;
  std::vector<HistoryRow> hist;
  PrArrays arr;
  PrSettings set;
  PrResult res;

  // Category values 1..K_j with their weighted frequencies (codes <= 0 are
  // missing and count nowhere).
  void aggregate() {
    if (objw.empty()) objw.assign(static_cast<std::size_t>(n), 1.0);
    if (suppl.empty()) suppl.assign(static_cast<std::size_t>(m), 0);
    xv.assign(static_cast<std::size_t>(m), {});
    fv.assign(static_cast<std::size_t>(m), {});
    agg.assign(static_cast<std::size_t>(m), {});
    kmax = *std::max_element(K.begin(), K.end());
    for (int j = 0; j < m; ++j) {
      auto& x = xv[static_cast<std::size_t>(j)];
      auto& f = fv[static_cast<std::size_t>(j)];
      x.resize(static_cast<std::size_t>(K[j]));
      f.assign(static_cast<std::size_t>(K[j]), 0.0);
      for (int c = 0; c < K[j]; ++c) x[static_cast<std::size_t>(c)] = c + 1;
      for (int i = 0; i < n; ++i) {
        const int c = codes[static_cast<std::size_t>(i) + static_cast<std::size_t>(j) * n];
        if (c > 0) f[static_cast<std::size_t>(c - 1)] += objw[static_cast<std::size_t>(i)];
      }
      CategoryAggregates& v = agg[static_cast<std::size_t>(j)];
      v.K = K[j];
      v.x = x.data();
      v.f = f.data();
      if (!w.empty()) v.w = w[static_cast<std::size_t>(j)];
      for (int c = 0; c < K[j]; ++c) {
        v.N += f[static_cast<std::size_t>(c)];
        v.xbar += f[static_cast<std::size_t>(c)] * x[static_cast<std::size_t>(c)];
      }
      v.xbar /= v.N;
      for (int c = 0; c < K[j]; ++c)
        v.S += f[static_cast<std::size_t>(c)] * (x[static_cast<std::size_t>(c)] - v.xbar) *
               (x[static_cast<std::size_t>(c)] - v.xbar);
    }
  }

  // One engine run; `start` is X on entry (INITIAL / FIXED configurations).
  void run(int proc = 1, int config = 0, const std::vector<double>* start = nullptr) {
    aggregate();
    const auto P = static_cast<std::size_t>(p), M = static_cast<std::size_t>(m), KM = static_cast<std::size_t>(kmax);
    X.assign(static_cast<std::size_t>(n) * P, 0.0);
    if (start != nullptr) X = *start;
    q.assign(KM * M, 0.0);
    Y.assign(KM * P * M, 0.0);
    A.assign(P * M, 0.0);
    vaf.assign(M, 0.0);
    eta.assign(P * M, 0.0);
    lambda.assign(P, 0.0);
    const int cols = std::max(1, scaling::ZYL_SplineColumns(m, lev.data()));
    int maxd = 0;
    for (const auto& l : lev) maxd = std::max(maxd, static_cast<int>(l.degree));
    basis.assign(KM * static_cast<std::size_t>(cols), 0.0);
    D.assign(static_cast<std::size_t>(cols), 0.0);
    coef.assign(static_cast<std::size_t>(cols) + M + 1, 0.0);
    coef_save = coef;
    col.assign(M, -1);
    cof.assign(M, -1);
    iwork.assign(KM, 0);
    supponly.assign(M, 0);
    hist.assign(static_cast<std::size_t>(set.maxiter) + 2, {});
    work.assign(static_cast<std::size_t>(CPR_WorkSize(n, m, p, kmax, maxd)) + 16, 0.0);
    arr.X = X.data();
    arr.q = q.data();
    arr.Y = Y.data();
    arr.A = A.data();
    arr.vaf = vaf.data();
    arr.eta = eta.data();
    arr.lambda = lambda.data();
    arr.basis = basis.data();
    arr.D = D.data();
    arr.coef = coef.data();
    arr.coef_save = coef_save.data();
    arr.col_offset = col.data();
    arr.coef_offset = cof.data();
    arr.history = hist.data();
    arr.suppl_only = supponly.data();
    PrData d;
    d.n = n;
    d.m = m;
    d.p = p;
    d.kmax = kmax;
    d.codes = codes.data();
    d.objw = objw.data();
    d.lev = lev.data();
    d.suppl = suppl.data();
    d.agg = agg.data();
    d.proc = proc;
    set.config = config;
    CPR_PrAlgo(d, set, arr, work.data(), iwork.data(), res);
  }

  int code(int i, int j) const { return codes[static_cast<std::size_t>(i) + static_cast<std::size_t>(j) * n]; }
  double x(int i, int s) const { return X[static_cast<std::size_t>(i) + static_cast<std::size_t>(s) * n]; }
  double a(int j, int s) const { return A[static_cast<std::size_t>(s) + static_cast<std::size_t>(j) * p]; }
};

}  // namespace oscat::catpca::harness
