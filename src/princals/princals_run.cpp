// PRINCALS: the data pass, the dimension check, the iterations and the
// listing output.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

#include "frame/messages.hpp"
#include "homals/shared.hpp"
#include "princals/princals.hpp"
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
const char* const kLevelName[] = {"MULTIPLE NOMINAL", "SINGLE NOMINAL", "ORDINAL", "NUMERICAL"};

struct Analysis {
  int n = 0, m = 0, p = 0;
  std::vector<int> var, level, K;
  std::vector<long> off;
  long ksum = 0;
  int* codes = nullptr;
  double* f = nullptr;
  std::vector<int> missing, case_numbers;
  double* X = nullptr;      // n x p, X'X = I during the iterations
  double* Ym = nullptr;     // multiple quantifications (centroids), K x p per variable
  double* Y = nullptr;      // the quantifications used: q a' (single) or Ym (multiple)
  double* q = nullptr;      // single quantifications
  double* a = nullptr;      // loadings, p per variable
  std::vector<double> eta;  // m x p multiple fit
  std::vector<double> sfit; // single fit per variable
  double fit = 0, mloss = 0, sloss = 0;
  bool single(int j) const { return level[static_cast<std::size_t>(j)] != MNOMINAL; }
  double* Ymj(int j) const { return Ym + off[static_cast<std::size_t>(j)] * p; }
  double* Yj(int j) const { return Y + off[static_cast<std::size_t>(j)] * p; }
};

void line(const std::string& s) { H().listing.PRTLNC(s); }
std::string fmt(const char* f, double v) {
  char b[64];
  std::snprintf(b, sizeof b, f, v);
  return b;
}
std::string pad(std::string s, std::size_t w) {
  if (s.size() < w) s.append(w - s.size(), ' ');
  return s;
}
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
  int i = 0;
  cs.OBPINI();
  while (i < n && cs.OBSERV()) {
    a.case_numbers[static_cast<std::size_t>(i)] = cs.case_number();
    for (int j = 0; j < a.m; ++j) {
      const auto J = static_cast<std::size_t>(j);
      const int v = a.var[J];
      int code = 0;
      if (!H().dict.DICGET(v).is_string()) {
        const double x = cs.value(v);
        if (!cs.QAMISS(v, x)) {
          if (x >= 1 && x <= a.K[J] && x == std::floor(x)) code = static_cast<int>(x);
          else odd[J] = 1;
        }
      }
      a.codes[i + static_cast<long>(j) * n] = code;
      if (code > 0) a.f[a.off[J] + code - 1] += 1.0;
      else ++a.missing[J];
    }
    ++i;
  }
  cs.OBPEND();
  for (int j = 0; j < a.m; ++j)
    if (odd[static_cast<std::size_t>(j)])
      frame::report("HOM var ^1 values not in 1 to ^2.",
                    {frame::text(name(a.var[static_cast<std::size_t>(j)])), frame::integer(a.K[static_cast<std::size_t>(j)])},
                    frame::kWarning);
  return true;
}

// Quantifications of every variable against X, with the fit measures.
void quantify(Analysis& a, bool first) {
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
    if (first || a.level[J] == NUMERICAL) {
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

// ---------------------------------------------------------------- listing ---
void banner(const Analysis& a) {
  auto& l = H().listing;
  l.PUTCPG();
  l.PUTTAB("PRINCALS");
  line("Principal Component Analysis");
  line("");
  line("The number of observations used in the analysis = " + std::to_string(a.n));
}

void variables_listing(const Analysis& a) {
  line("");
  line("List of Variables");
  line("");
  line("Variable  Variable Label            Number of Categories  Measurement Level");
  for (int j = 0; j < a.m; ++j) {
    const auto J = static_cast<std::size_t>(j);
    const auto& info = H().dict.DICGET(a.var[J]);
    line(pad(info.name, 10) + pad(info.label.substr(0, 24), 26) + pad(fmt("%20.0f", a.K[J]), 22) +
         kLevelName[a.level[J]]);
  }
}

void frequencies_listing(const Analysis& a) {
  line("");
  line("Marginal Frequencies");
  line("");
  line("Variable  Missing  Categories");
  for (int j = 0; j < a.m; ++j) {
    const auto J = static_cast<std::size_t>(j);
    std::string s = pad(name(a.var[J]), 10) + fmt("%7.0f", a.missing[J]) + "  ";
    for (int c = 0; c < a.K[J]; ++c) s += fmt("%6.0f", a.f[a.off[J] + c]);
    line(s);
  }
}

void summary_listing(const Analysis& a) {
  const int p = a.p;
  line("");
  line("Summary of Analysis");
  line("");
  std::string head = "          Multiple Fit";
  head.append(static_cast<std::size_t>(std::max(0, 9 * (p + 1) - 12)), ' ');
  head += "  Single Fit";
  line(head);
  std::string dims = "Variable  ";
  for (int s = 0; s < p; ++s) dims += fmt("%9.0f", s + 1);
  dims += " Row Sums";
  for (int s = 0; s < p; ++s) dims += fmt("%9.0f", s + 1);
  dims += " Row Sums  Single Loss";
  line(dims);
  std::vector<double> msum(static_cast<std::size_t>(p), 0.0), ssum(static_cast<std::size_t>(p), 0.0);
  for (int j = 0; j < a.m; ++j) {
    const auto J = static_cast<std::size_t>(j);
    std::string s = pad(name(a.var[J]), 10);
    double rm = 0;
    for (int t = 0; t < p; ++t) {
      const double e = a.eta[J * p + t];
      s += fmt("%9.4f", e);
      rm += e;
      msum[static_cast<std::size_t>(t)] += e / a.m;
    }
    s += fmt("%9.4f", rm);
    if (a.single(j)) {
      double rs = 0;
      for (int t = 0; t < p; ++t) {
        const double w = a.a[J * p + t];
        s += fmt("%9.4f", w * w);
        rs += w * w;
        ssum[static_cast<std::size_t>(t)] += w * w / a.m;
      }
      s += fmt("%9.4f", rs) + fmt("%13.4f", rm - rs);
    } else {
      for (int t = 0; t < p; ++t) ssum[static_cast<std::size_t>(t)] += a.eta[J * p + t] / a.m;
    }
    line(s);
  }
  std::string mean = pad("Mean:", 10);
  double tm = 0;
  for (int t = 0; t < p; ++t) {
    mean += fmt("%9.4f", msum[static_cast<std::size_t>(t)]);
    tm += msum[static_cast<std::size_t>(t)];
  }
  mean += fmt("%9.4f", tm);
  line(mean);
  line("");
  line("Total Fit = " + fmt("%.6f", a.fit) + "   Total Loss = " + fmt("%.6f", a.p - a.fit) +
       "   Multiple Loss = " + fmt("%.6f", a.mloss) + "   Single Loss = " + fmt("%.6f", a.sloss));
  // The fit of each dimension: single fits of single variables and
  // multiple fits of multiple ones, averaged over the variables.
  std::string ev = "Eigenvalues:";
  for (int t = 0; t < p; ++t) ev += fmt("%11.6f", ssum[static_cast<std::size_t>(t)]);
  line(ev);
}

void loadings_listing(const Analysis& a) {
  line("");
  bool any = false;
  for (int j = 0; j < a.m; ++j) any = any || a.single(j);
  if (!any) {
    line("All variables are multiple nominal, therefore no component");
    line("loadings tables or plots are available.");
    return;
  }
  line("Component Loadings");
  line("");
  std::string head = "Variable  ";
  for (int s = 0; s < a.p; ++s) head += fmt("%9.0f", s + 1);
  line(head);
  for (int j = 0; j < a.m; ++j) {
    if (!a.single(j)) continue;
    std::string s = pad(name(a.var[static_cast<std::size_t>(j)]), 10);
    for (int t = 0; t < a.p; ++t) s += fmt("%9.4f", a.a[static_cast<std::size_t>(j) * a.p + t]);
    line(s);
  }
}

void quantifications_listing(const Analysis& a) {
  const int p = a.p;
  for (int j = 0; j < a.m; ++j) {
    const auto J = static_cast<std::size_t>(j);
    const int K = a.K[J];
    line("");
    line("Category Quantifications: " + name(a.var[J]) + " (" + kLevelName[a.level[J]] + ")");
    line("");
    std::string head = "Category  Marginal Frequency";
    if (a.single(j)) head += "  Quantification  Single Category Coordinates";
    head += "  Multiple Category Coordinates";
    line(head);
    for (int c = 0; c < K; ++c) {
      const double f = a.f[a.off[J] + c];
      std::string s = pad(fmt("%.0f", c + 1), 10) + fmt("%18.0f", f);
      if (f <= 0) {
        line(s);
        continue;
      }
      if (a.single(j)) {
        s += fmt("%16.4f", a.q[a.off[J] + c]) + "  ";
        for (int t = 0; t < p; ++t) s += fmt("%9.4f", a.Yj(j)[c + t * K]);
      }
      s += "  ";
      for (int t = 0; t < p; ++t) s += fmt("%9.4f", a.Ymj(j)[c + t * K]);
      line(s);
    }
  }
}

void objects_listing(const Analysis& a, const double* X) {
  line("");
  line("The Object Scores are:");
  line("");
  std::string head = "Object    ";
  for (int s = 0; s < a.p; ++s) head += fmt("%9.0f", s + 1);
  line(head);
  for (int i = 0; i < a.n; ++i) {
    std::string s = pad(std::to_string(a.case_numbers[static_cast<std::size_t>(i)]), 10);
    for (int t = 0; t < a.p; ++t) s += fmt("%9.4f", X[i + static_cast<long>(t) * a.n]);
    line(s);
  }
}

void stop_message(bool converged, double diff) {
  line("");
  if (converged) {
    line("The iterative process stops because the");
    line("convergence test value is reached.");
  } else {
    line("The iterative process stops because the maximum");
    line("number of iterations is reached.");
    line("The difference in loss between the last two");
    line("iterations is " + fmt("%.6f", diff));
  }
}

void charts(const Settings& s, const Analysis& a, const double* X) {
  if (a.p < 2) {
    bool any = false;
    for (bool b : s.plot) any = any || b;
    if (any) {
      line("");
      line("No low-resolution plots are available due to only one valid dimension.");
    }
    return;
  }
  older::ChartSpec spec;
  spec.chart_template = "PRINCA";
  spec.first = 0;
  spec.d = 2;
  auto& m = H().msg;
  if (s.plot[P_OBJECT]) {
    std::vector<older::ChartPoint> pts;
    for (int i = 0; i < a.n; ++i)
      pts.push_back({frame::integer(a.case_numbers[static_cast<std::size_t>(i)]), 0,
                     {X[i], X[i + static_cast<long>(a.n)]}});
    spec.title = m.CX_NSTRING("E61801");
    older::chart(spec, pts);
  }
  if (s.plot[P_LOADING]) {
    std::vector<older::ChartPoint> pts;
    for (int j = 0; j < a.m; ++j)
      if (a.single(j))
        pts.push_back({frame::text(name(a.var[static_cast<std::size_t>(j)])), 0,
                       {a.a[static_cast<std::size_t>(j) * a.p], a.a[static_cast<std::size_t>(j) * a.p + 1]}});
    spec.title = m.CX_NSTRING("E61802");
    if (!pts.empty()) older::chart(spec, pts);
  }
  if (s.plot[P_QUANT]) {
    std::vector<older::ChartPoint> pts;
    for (int j = 0; j < a.m; ++j) {
      const auto J = static_cast<std::size_t>(j);
      const int K = a.K[J];
      for (int c = 0; c < K; ++c)
        if (a.f[a.off[J] + c] > 0)
          pts.push_back({H().pivot.BP_VARVALUE(a.var[J], c + 1.0), frame::text(name(a.var[J])),
                         {a.Ymj(j)[c], a.Ymj(j)[c + K]}});
    }
    spec.title = m.CX_NSTRING("E61803");
    older::chart(spec, pts);
  }
}

// Object scores of dimensions 1..dims as new variables; the listing names them.
void save(const Settings& s, const Analysis& a, const double* X) {
  const int dims = s.save_dims > 0 ? std::min(s.save_dims, a.p) : a.p;
  const int made = older::save_object_scores(older::kPrincalsSave, s.save_root, dims, a.n, X, a.n, a.case_numbers);
  if (made == 0) return;
  line("");
  line("Following object scores were added to the working file:");
  line("");
  line("Name       Label");
  const int size = H().dict.size();
  for (int v = size - made + 1; v <= size; ++v) line(pad(name(v), 11) + H().dict.DICGET(v).label);
  line(std::to_string(made) + " dimensions were saved with the rootname: " + name(size - made + 1).substr(0, name(size - made + 1).rfind('_')));
}

// QUANT_ (single quantification in DIM1), SCOOR_ (single category
// coordinates), MCOOR_ (multiple category coordinates) and LOADING_ records.
bool matrix_file(int handle, const Analysis& a) {
  auto& h = H();
  auto& f = h.files;
  static const char* const kType[] = {"MULTIPLE", "SINGLE N", "ORDINAL", "NUMERICA"};
  std::vector<host::FileVar> dict = {{"ROWTYPE_", 8, "", {}, {}}, {"LEVEL_", 64, "", {}, {}},
                                     {"VARNAME_", 64, "", {}, {}}, {"VARTYPE_", 8, "", {}, {}}};
  for (int s = 1; s <= a.p; ++s) dict.push_back({"DIM" + std::to_string(s), 0, "", {}, {}});
  const bool flagged = h.msg.error_flag();
  if (!f.MTDDIC(handle, dict)) return false;
  std::vector<host::FileValue> rec;
  auto write = [&](const char* type, const std::string& level, int j, auto value) {
    rec.clear();
    rec.push_back(host::FileValue::str(type));
    rec.push_back(host::FileValue::str(level));
    rec.push_back(host::FileValue::str(name(a.var[static_cast<std::size_t>(j)])));
    rec.push_back(host::FileValue::str(kType[a.level[static_cast<std::size_t>(j)]]));
    for (int s = 0; s < a.p; ++s) rec.push_back(host::FileValue::num(value(s)));
    return f.MTDWRT(handle, rec);
  };
  bool ok = true;
  for (int j = 0; j < a.m && ok; ++j) {
    const auto J = static_cast<std::size_t>(j);
    const int K = a.K[J];
    for (int c = 0; c < K && ok; ++c) {
      if (a.f[a.off[J] + c] <= 0) continue;
      const std::string level = std::to_string(c + 1);
      if (a.single(j)) {
        ok = write("QUANT_", level, j, [&](int s) { return s == 0 ? a.q[a.off[J] + c] : host::SYSMIS; });
        if (ok) ok = write("SCOOR_", level, j, [&](int s) { return a.Yj(j)[c + static_cast<long>(s) * K]; });
      }
      if (ok) ok = write("MCOOR_", level, j, [&](int s) { return a.Ymj(j)[c + static_cast<long>(s) * K]; });
    }
    if (ok && a.single(j)) ok = write("LOADING_", "", j, [&](int s) { return a.a[J * a.p + s]; });
  }
  if (!ok) return false;
  f.MTDCLS(handle);
  if (!flagged && h.msg.error_flag()) return false;
  h.pivot.add_note(frame::key("Files Saved"), frame::text(f.path(handle)), frame::key("Matrix File"));
  return true;
}

}  // namespace

void run(Settings& s) {
  auto& h = H();
  auto& ws = *s.ws;
  Analysis a;
  const bool read = data_pass(s, a);
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
    L += a.single(j) ? 1 : nonempty - 1;
  }
  L = std::max(1, std::min(L, a.n - 1));
  a.p = s.p;
  if (a.p > L) {
    for (const char* t : {"The requested number of dimensions is", "too large with respect",
                          "to either the number of objects or to the", "number of single",
                          "variables and the number of categories of", "multiple variables."})
      line(t);
    line("The number of dimensions to be computed");
    line("has been set to " + fmt("%5.0f", L) + ".");
    a.p = L;
  }
  const int n = a.n, p = a.p;
  const auto np = static_cast<std::size_t>(n) * static_cast<std::size_t>(p);
  a.X = ws.get<double>(np);
  double* Z = ws.get<double>(np);
  a.Ym = ws.get<double>(static_cast<std::size_t>(a.ksum) * static_cast<std::size_t>(p));
  a.Y = ws.get<double>(static_cast<std::size_t>(a.ksum) * static_cast<std::size_t>(p));
  a.q = ws.get<double>(static_cast<std::size_t>(a.ksum));
  a.a = ws.get<double>(static_cast<std::size_t>(a.m) * static_cast<std::size_t>(p));
  double* work = ws.get<double>(static_cast<std::size_t>(p) * p + 2 * static_cast<std::size_t>(p));
  if (!a.X || !Z || !a.Ym || !a.Y || !a.q || !a.a || !work) {
    ws.report_shortfall();
    return;
  }
  std::fill(a.q, a.q + a.ksum, 0.0);
  std::fill(a.a, a.a + static_cast<long>(a.m) * p, 0.0);
  // Start: the fixed generator, centred and orthonormalized.
  scaling::HomFixedStart(n, p, a.X);
  for (int t = 0; t < p; ++t) {
    double m = 0;
    for (int i = 0; i < n; ++i) m += a.X[i + static_cast<long>(t) * n];
    for (int i = 0; i < n; ++i) a.X[i + static_cast<long>(t) * n] -= m / n;
  }
  if (scaling::HomGramSchmidt(n, p, a.X) != p) {
    number(17713, 2, frame::kError);
    return;
  }
  if (s.print[R_HISTORY]) {
    line("");
    line(" * The History of Iterations *");
    line("");
    line("Itera-");
    line("tion      Total Fit    Total Loss  Multiple Loss   Single Loss  Iteration Change");
  }
  double old = 0, diff = 0;
  bool converged = false;
  for (int it = 1;; ++it) {
    if (h.num.ATNJMP()) return;
    h.num.ODOMTR("Iteration", it - 1);
    quantify(a, it == 1);
    diff = std::fabs(a.fit - old);
    if (s.print[R_HISTORY])
      line(pad(std::to_string(it), 6) + fmt("%13.6f", a.fit) + fmt("%14.6f", p - a.fit) + fmt("%15.6f", a.mloss) +
           fmt("%14.6f", a.sloss) + fmt("%18.6f", diff));
    converged = it > 1 && diff < s.converge;
    if (converged || it >= s.maxiter) break;
    old = a.fit;
    if (!new_scores(a, Z, false, work)) {
      number(17713, 2, frame::kError);
      return;
    }
  }
  stop_message(converged, diff);
  // The final solution on the principal axes, its quantifications once more.
  if (!new_scores(a, Z, true, work)) {
    number(17713, 2, frame::kError);
    return;
  }
  quantify(a, false);
  summary_listing(a);
  if (s.print[R_LOADING]) loadings_listing(a);
  if (s.print[R_QUANT]) quantifications_listing(a);
  // The object scores are reported and saved multiplied by sqrt(n).
  for (std::size_t t = 0; t < np; ++t) Z[t] = a.X[t] * std::sqrt(static_cast<double>(n));
  if (s.print[R_OBJECT]) objects_listing(a, Z);
  charts(s, a, Z);
  if (s.save) save(s, a, Z);
  if (s.matrix_handle > 0 && !matrix_file(s.matrix_handle, a))
    frame::report("HOM Matrix file ^1 not written.", {frame::text(h.files.path(s.matrix_handle))}, frame::kError);
}

}  // namespace oscat::princals
