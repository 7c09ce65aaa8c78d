// SAVE and OUTFILE of CATREG: the transformed variables, the predicted values
// and the residuals in the working file; the transformed variables and the
// discretized data in data files.
#include <string>
#include <vector>

#include "catreg/analysis.hpp"
#include "data/saved.hpp"
#include "host/host.hpp"

namespace oscat::catreg {

using host::H;
using host::SYSMIS;

namespace {

struct Columns {
  std::vector<data::SavedVar> vars;
  std::vector<double> values;
  double* add(int number, std::string label, int n) {
    vars.push_back({number, 0, std::move(label)});
    values.resize(values.size() + static_cast<std::size_t>(n), SYSMIS);
    return values.data() + values.size() - static_cast<std::size_t>(n);
  }
};

std::string var_label(const Reported& r, int j) {
  return H().dict.VRLABG(r.ctx->settings->vars.variables[static_cast<std::size_t>(j)]);
}

// The quantification of object i on variable j; SYSMIS without a category or
// for a category the fit did not see (used by supplementary objects only).
double quantified(const Reported& r, int j, int i) {
  const int c = r.d.codes[i + static_cast<long>(j) * r.d.n];
  const auto& v = r.d.agg[j];
  if (c < 1 || c > v.K || v.f[c - 1] == 0.0) return SYSMIS;
  return r.a.q[c - 1 + static_cast<long>(j) * r.d.kmax];
}

Columns transformed(const Reported& r) {
  Columns c;
  for (int j = 0; j < r.d.m; ++j) {
    double* col = c.add(j + 1, data::ZYL_SaveLabel("64039", var_label(r, j), 0), r.d.n);
    for (int i = 0; i < r.d.n; ++i) col[i] = quantified(r, j, i);
  }
  return c;
}

// Predicted values; SYSMIS when a predictor's value cannot be quantified.
std::vector<double> predicted(const Reported& r) {
  std::vector<double> p(static_cast<std::size_t>(r.d.n), 0.0);
  for (int i = 0; i < r.d.n; ++i)
    for (int j = 1; j < r.d.m; ++j) {
      const int c = r.d.codes[i + static_cast<long>(j) * r.d.n];
      if (c < 1) continue;  // a passive missing value adds nothing
      const double q = quantified(r, j, i);
      if (host::is_sysmis(q)) {
        p[static_cast<std::size_t>(i)] = SYSMIS;
        break;
      }
      p[static_cast<std::size_t>(i)] += r.a.b[j] * q;
    }
  return p;
}

Columns discretized(const Reported& r) {
  Columns c;
  for (int j = 0; j < r.d.m; ++j) {
    double* col = c.add(j + 1, data::ZYL_SaveLabel("ZYL Discretized ^1", var_label(r, j), 0), r.d.n);
    const double* coded = r.ctx->coded + static_cast<long>(j) * r.d.n;
    for (int i = 0; i < r.d.n; ++i)
      if (coded[i] > 0) col[i] = coded[i];
  }
  return c;
}

void save_variables(const Reported& r, std::string_view root, const Columns& c, std::string_view full_key) {
  const std::vector<int> made = data::ZYL_CreateSaved(root, c.vars, full_key);
  auto& cases = H().cases;
  for (std::size_t t = 0; t < made.size(); ++t) {
    const double* col = c.values.data() + t * static_cast<std::size_t>(r.d.n);
    for (int i = 0; i < r.d.n; ++i) cases.set_value(made[t], r.ctx->cases[i], col[i]);
  }
}

}  // namespace

void CRG_Save(const Reported& r) {
  const auto& s = *r.ctx->settings;
  const auto& sv = s.save;
  const int n = r.d.n;
  if (sv.trdata.on) save_variables(r, sv.trdata.root, transformed(r), "ZYL SAVE TRDATA out of names.");
  if (sv.pre.on || sv.res.on) {
    const std::vector<double> p = predicted(r);
    if (sv.pre.on) {
      Columns c;
      double* col = c.add(0, data::ZYL_SaveLabel("62944", "", 0), n);
      for (int i = 0; i < n; ++i) col[i] = p[static_cast<std::size_t>(i)];
      save_variables(r, sv.pre.root, c, "CRG SAVE PRED out of names.");
    }
    if (sv.res.on) {
      Columns c;
      double* col = c.add(0, data::ZYL_SaveLabel("62945", "", 0), n);
      for (int i = 0; i < n; ++i) {
        const double z = quantified(r, 0, i);
        const double pi = p[static_cast<std::size_t>(i)];
        if (!host::is_sysmis(z) && !host::is_sysmis(pi)) col[i] = z - pi;
      }
      save_variables(r, sv.res.root, c, "CRG SAVE RES out of names.");
    }
  }
  const auto& of = s.outfile;
  if (of.trdata.handle > 0) {
    const Columns c = transformed(r);
    if (!data::ZYL_WriteSavedFile(of.trdata.handle, "TRA", c.vars, n, c.values.data(), "Quantifications")) return;
  }
  if (of.discrdat.handle > 0) {
    const Columns c = discretized(r);
    data::ZYL_WriteSavedFile(of.discrdat.handle, "DISCR", c.vars, n, c.values.data(), "Discretized Data");
  }
}

}  // namespace oscat::catreg
