#include "catpca/save.hpp"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "catpca/output_view.hpp"
#include "data/saved.hpp"

namespace oscat::catpca {

using host::H;
using host::SYSMIS;

namespace {

// Columns of one keyword: the variables and their values per object
// (column-major, n rows).
struct Columns {
  std::vector<data::SavedVar> vars;
  std::vector<double> values;
  double* add(int number, int dim, std::string label, int n) {
    vars.push_back({number, dim, std::move(label)});
    values.resize(values.size() + static_cast<std::size_t>(n), SYSMIS);
    return values.data() + values.size() - static_cast<std::size_t>(n);
  }
};

// An object without a category on any active variable, or left out by the
// configuration file, has no place in the solution.
bool excluded(const out::View& v, int i) {
  if (v.in.conf_excluded != nullptr && v.in.conf_excluded[i]) return true;
  const double w = v.in.objw != nullptr ? v.in.objw[i] : v.ctx.w[i];
  if (w > 0) return false;
  for (int j = 0; j < v.m; ++j)
    if (v.active(j) && v.in.codes[i + static_cast<long>(j) * v.n] > 0) return false;
  return true;
}

int saved_dims(int asked, int p) { return asked > 0 ? std::min(asked, p) : p; }

std::string var_label(const out::View& v, int j) { return H().dict.VRLABG(v.var(j)); }

// Transformed variables: the quantification of each object's category, for a
// multiple nominal variable its centroid coordinates per dimension.
Columns transformed(const out::View& v, int dims) {
  Columns c;
  for (int j = 0; j < v.m; ++j) {
    const std::string lab = var_label(v, j);
    const int* code = v.in.codes + static_cast<long>(j) * v.n;
    const int layers = v.multiple(j) ? dims : 1;
    for (int s = 0; s < layers; ++s) {
      double* col = v.multiple(j) ? c.add(j + 1, s + 1, data::ZYL_SaveLabel("64040", lab, s + 1), v.n)
                                  : c.add(j + 1, 0, data::ZYL_SaveLabel("64039", lab, 0), v.n);
      for (int i = 0; i < v.n; ++i) {
        if (excluded(v, i) || code[i] <= 0 || code[i] > v.in.agg[j].K) continue;
        col[i] = v.multiple(j) ? v.Y(j, code[i] - 1, s) : v.q(j, code[i] - 1);
      }
    }
  }
  return c;
}

Columns object_scores(const out::View& v, int dims) {
  Columns c;
  for (int s = 0; s < dims; ++s) {
    double* col = c.add(s + 1, 0, data::ZYL_SaveLabel("64041", "", s + 1), v.n);
    for (int i = 0; i < v.n; ++i)
      if (!excluded(v, i)) col[i] = v.X(i, s);
  }
  return c;
}

// Approximations: the transformed variable as the solution reproduces it,
// sum_s x_is a_js with standardized scores and the loadings as correlations.
// The shown scores and loadings carry lambda_s^(e_obj/2) and
// lambda_s^((e_var-1)/2); their product is the approximation whenever the
// exponents add to 1, otherwise the remaining power is taken out. A rotation
// turns scores and loadings together (pattern loadings after an oblique one),
// leaving the product as it was. Multiple nominal variables have no
// loadings and so no approximation.
Columns approximations(const out::View& v) {
  Columns c;
  const double* L = v.in.rotated != nullptr ? v.in.rotated : v.sh.A;
  std::vector<double> f(static_cast<std::size_t>(v.p), 1.0);
  if (v.in.rotated == nullptr) {
    const double e = 1.0 - v.s.norm.e_var - v.in.e_obj;
    for (int s = 0; s < v.p; ++s) {
      const double l = v.in.lambda[s];
      if (l > 0 && std::fabs(e) > 1e-12) f[static_cast<std::size_t>(s)] = std::pow(l, e / 2);
    }
  }
  for (int j = 0; j < v.m; ++j) {
    double* col = c.add(j + 1, 0, data::ZYL_SaveLabel("64042", var_label(v, j), 0), v.n);
    if (v.multiple(j)) continue;
    for (int i = 0; i < v.n; ++i) {
      if (excluded(v, i)) continue;
      double a = 0;
      for (int s = 0; s < v.p; ++s) a += v.X(i, s) * L[s + static_cast<long>(j) * v.p] * f[static_cast<std::size_t>(s)];
      col[i] = a;
    }
  }
  return c;
}

// The category values after discretization (and the missing-value treatment).
Columns discretized(const out::View& v) {
  Columns c;
  for (int j = 0; j < v.m; ++j) {
    double* col = c.add(j + 1, 0, data::ZYL_SaveLabel("ZYL Discretized ^1", var_label(v, j), 0), v.n);
    const double* coded = v.ctx.coded + static_cast<long>(j) * v.n;
    for (int i = 0; i < v.n; ++i)
      if (coded[i] > 0) col[i] = coded[i];
  }
  return c;
}

void save_variables(const out::View& v, std::string_view root, const Columns& c, std::string_view full_key) {
  const std::vector<int> made = data::ZYL_CreateSaved(root, c.vars, full_key);
  auto& cases = H().cases;
  for (std::size_t t = 0; t < made.size(); ++t) {
    const double* col = c.values.data() + t * static_cast<std::size_t>(v.n);
    for (int i = 0; i < v.n; ++i) cases.set_value(made[t], v.ctx.cases[i], col[i]);
  }
}

}  // namespace

void CPR_Save(const OutputInput& in) {
  auto& h = H();
  const out::View v(in);
  const auto& sv = v.s.save;
  const auto& of = v.s.outfile;

  // Ellipses come from the bootstrap, which this build does not run.
  bool ellipses = of.ellcoord.handle > 0;
  for (const auto& e : sv.ellarea) ellipses = ellipses || e.on;
  if (ellipses) h.msg.BP_ERROR(h.msg.BP_CSTRING("CPR Ellipses not saved."), 2, 2);

  if (sv.trdata.on)
    save_variables(v, sv.trdata.root, transformed(v, saved_dims(sv.trdata.dims, v.p)),
                   "ZYL SAVE TRDATA out of names.");
  if (sv.object.on)
    save_variables(v, sv.object.root, object_scores(v, saved_dims(sv.object.dims, v.p)),
                   "CPR SAVE OBJECT out of names.");
  if (sv.approx.on && !in.mca)
    save_variables(v, sv.approx.root, approximations(v), "CPR SAVE APPROX out of names.");

  // Files in a fixed order; the first that cannot be written ends the writing.
  struct File {
    int handle;
    const char* root;
    const char* contents;
    Columns (*make)(const out::View&);
  };
  const File files[] = {
      {of.trdata.handle, "TRA", "Quantifications", [](const out::View& w) { return transformed(w, w.p); }},
      {of.discrdat.handle, "DISCR", "Discretized Data", discretized},
      {of.object.handle, "OBSCO", "Object Scores", [](const out::View& w) { return object_scores(w, w.p); }},
      {in.mca ? 0 : of.approx.handle, "APP", "Approximations", approximations},
  };
  for (const auto& f : files) {
    if (f.handle <= 0) continue;
    const Columns c = f.make(v);
    if (!data::ZYL_WriteSavedFile(f.handle, f.root, c.vars, v.n, c.values.data(), f.contents)) break;
  }
}

}  // namespace oscat::catpca
