// The regularization file: one case per model of the path.
#include <string>
#include <vector>

#include "catreg/analysis.hpp"
#include "data/saved.hpp"
#include "frame/messages.hpp"
#include "host/host.hpp"

namespace oscat::catreg {

using host::H;

namespace {

std::string label(std::string_view k, std::string_view param = {}) {
  auto& h = H();
  return h.msg.text(param.empty() ? frame::key(k) : frame::composite(k, {frame::text(param)}));
}

}  // namespace

bool CRG_WriteRegularization(const driver::RunContext& ctx, const PathModels& path, Penalty method,
                             const double* est, int est_fields, bool resampled, bool test, bool raw) {
  const auto& s = *ctx.settings;
  if (s.regu.file <= 0 || path.M == 0) return true;
  std::vector<host::FileVar> vars;
  std::vector<std::vector<double>> cols;
  auto add = [&](const std::string& name, const std::string& key) {
    host::FileVar v;
    v.name = name;
    v.label = label(key);
    vars.push_back(std::move(v));
    cols.emplace_back(static_cast<std::size_t>(path.M));
    return cols.size() - 1;
  };
  auto fill = [&](std::size_t c, auto value) {
    for (int k = 0; k < path.M; ++k) cols[c][static_cast<std::size_t>(k)] = value(k);
  };
  fill(add("ModelNumber", "CRG RegFile model"), [](int k) { return k + 1.0; });
  auto field = [&](int f) { return [&path, f](int k) { return path.model(k)[f]; }; };
  if (method != Penalty::Lasso) fill(add("RidgePenalty", "CRG RegFile ridge"), field(PathModels::kRidge));
  if (method != Penalty::Ridge) fill(add("LassoPenalty", "CRG RegFile lasso"), field(PathModels::kLasso));
  fill(add("RSquare", "CRG RegFile rsq"), field(PathModels::kR2));
  if (method != Penalty::Ridge) fill(add("NPredictors", "CRG RegFile npred"), field(PathModels::kSelected));
  fill(add("StdSumCoeff", "CRG RegFile stdsum"), field(PathModels::kStdSum));
  auto estimate = [&](int f, bool on_raw) {
    return [&path, est, est_fields, f, on_raw](int k) {
      if (path.model(k)[PathModels::kSelected] < 1) return host::SYSMIS;
      const double* x = est + static_cast<long>(est_fields) * k;
      if (!on_raw) return x[f];
      return host::is_sysmis(x[f]) || host::is_sysmis(x[Reported::kRawField]) ? host::SYSMIS
                                                                                : x[f] * x[Reported::kRawField];
    };
  };
  if (est != nullptr) {
    if (resampled) fill(add("APE", "CRG RegFile ape"), field(PathModels::kApe));
    // The standardized errors, then with `raw` the same on the raw scale.
    for (const bool on_raw : {false, true}) {
      if (on_raw && !raw) break;
      const std::string sfx = on_raw ? "_Raw" : "";
      auto named = [&](const char* n) { return n + sfx; };
      auto lab = [&](const char* k) { return on_raw ? (std::string(k) + " raw") : std::string(k); };
      if (resampled && !test) {
        fill(add(named("EPE"), lab("CRG RegFile epe")), estimate(0, on_raw));
        fill(add(named("SE"), lab("CRG RegFile se")), estimate(1, on_raw));
      } else {
        fill(add(named(resampled ? "EPE_Train" : "MSE_Train"), lab("CRG RegFile epe")), estimate(0, on_raw));
        fill(add(named("SE_Train"), lab("CRG RegFile se")), estimate(1, on_raw));
      }
      if (test) {
        fill(add(named("MSE_Test"), lab("CRG RegFile test")), estimate(Reported::kTestField, on_raw));
        fill(add(named("SE_Test"), lab("CRG RegFile test se")), estimate(Reported::kTestField + 1, on_raw));
      }
    }
  }
  const std::string prefix = method == Penalty::Ridge ? "RidgeBeta" : method == Penalty::Lasso ? "LassoBeta" : "ENetBeta";
  const std::size_t room = method == Penalty::ElasticNet ? 55 : 54;
  for (int j = 0; j < path.p; ++j) {
    const auto& name = H().dict.DICGET(s.vars.variables[static_cast<std::size_t>(j + 1)]).name;
    const std::string digits = std::to_string(j + 2);
    std::string cut = name.substr(0, room > digits.size() + 1 ? room - digits.size() - 1 : 0);
    host::FileVar v;
    v.name = prefix + digits + "_" + cut;
    v.label = label("CRG RegFile beta ^1", name);
    vars.push_back(std::move(v));
    cols.emplace_back(static_cast<std::size_t>(path.M));
    for (int k = 0; k < path.M; ++k) cols.back()[static_cast<std::size_t>(k)] = path.beta(k)[j];
  }
  std::vector<double> values;
  values.reserve(cols.size() * static_cast<std::size_t>(path.M));
  for (const auto& c : cols) values.insert(values.end(), c.begin(), c.end());
  return data::ZYL_WriteDataFile(s.regu.file, std::move(vars), path.M, values.data(), "Regularization");
}

}  // namespace oscat::catreg
