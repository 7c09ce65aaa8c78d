// The fixed parse order after VARIABLES and the cross-subcommand checks.
#include "syntax/common.hpp"

namespace oscat::syntax {

using namespace detail;

namespace {
void cross_checks(CommandSettings& s) {
  const ProcedureKind k = s.kind;
  auto& v = s.vars;
  if (is_pca(k)) {
    const bool fixed = s.config.fixed();
    // The warnings name their variables (positions in the VARIABLES list).
    std::vector<int> made_active, supp_w, fixed_w;
    if (fixed) {
      for (std::size_t i = 0; i < s.supp.variable.size(); ++i) {
        if (s.supp.variable[i] != 0) made_active.push_back(static_cast<int>(i));
        s.supp.variable[i] = 0;
      }
    }
    for (int i = 0; i < v.m_a; ++i) {
      auto& w = v.weights[static_cast<std::size_t>(i)];
      if (w == 1) continue;
      if (fixed) fixed_w.push_back(i);
      else if (s.supp.variable[static_cast<std::size_t>(i)]) supp_w.push_back(i);
      else continue;
      w = 1;
    }
    for (const auto& [key, list] : {std::pair{"CPR supp var while fixed conf.", &made_active},
                                    std::pair{"CPR suppl var no weight.", &supp_w},
                                    std::pair{"CPR fixconf var no weight.", &fixed_w}})
      if (!list->empty()) report_n(key, var_names(s, *list), 2, 2);
    if (s.norm.independent()) {
      if (s.plot.biplot.on) warn("CPR Indep norm no biplot.");
      if (s.plot.triplot.on) warn("CPR Indep norm no triplot.");
      s.plot.biplot.on = s.plot.triplot.on = false;
    }
    if (fixed && (s.print.object || s.plot.object.on || s.plot.biplot.on || s.plot.triplot.on))
      warn(k == ProcedureKind::Catpca ? "CPR fixed conf objects." : "MCOR fixed conf objects.");
  } else if (s.regu.method == RegMethod::None) {
    const bool pl = s.plot.regu.on, pr = s.print.regu;
    if (pl && pr) warn("CRG non-applicable PLOT/PRINT REGU.");
    else if (pl) warn("CRG non-applicable PLOT REGU.");
    else if (pr) warn("CRG non-applicable PRINT REGU.");
    s.plot.regu.on = false;
    s.print.regu = false;
  }
  double sum = 0;
  for (int i = 0; i < v.m_a; ++i)
    if (s.supp.variable.empty() || !s.supp.variable[static_cast<std::size_t>(i)])
      sum += v.weights[static_cast<std::size_t>(i)];
  v.active_weight_sum = sum;
}

// CATPCA: no loadings exist when every active analysis variable is MNOMINAL.
void loading_check(CommandSettings& s) {
  bool single = false;
  for (int i = 0; i < s.vars.m_a; ++i)
    if (!s.supp.variable[static_cast<std::size_t>(i)] &&
        s.vars.levels[static_cast<std::size_t>(i)].mlevel != MNOMINAL)
      single = true;
  if (single) return;
  if (s.plot.loading.on && !s.plot.given) {
    s.plot.loading.on = false;  // the default request goes silently
  } else if (s.plot.loading.on) {
    warn("CPR No Loading PLOT");
    s.plot.loading.on = false;
  }
  if (s.print.loading && s.positions[sub::PRINT] > 0) {
    warn("CPR No Loading");
  }
  s.print.loading = false;
}
}  // namespace

namespace {
bool parse_in_order(CommandSettings& s) {
  const ProcedureKind k = s.kind;
  const bool pca = is_pca(k);
  auto done = [] { return errors().errors == 0; };
  if (pca) {
    parse_configuration(s);
    if (s.vars.m == 1 && !s.config.fixed()) {
      report("One var on VARI cmd.");
      return false;
    }
  }
  parse_analysis(s);
  if (k == ProcedureKind::Catreg) {
    int p = 0;
    if (s.vars.m_a >= 2)
      for (int i = 1; i < s.vars.m_a; ++i) {
        int l = s.vars.levels[static_cast<std::size_t>(i)].mlevel;
        p += l == ORDINAL || l == SPORD;
      }
    s.vars.ordinal_predictors = p;
    CRG_ParseInitial(s);
    CRG_ParseRegularization(s);
  } else {
    parse_dimension(s);
    s.regu = RegularizationSettings{};
  }
  parse_resample(s);
  if (pca && s.resample.method != 0 && s.config.fixed()) {
    report("CPR Conf fixed and Resample");
    return false;
  }
  parse_discretization(s);
  parse_missing(s);
  if (pca) {
    CPR_ParseNorm(s);
    if (k == ProcedureKind::Catpca) parse_rotation(s);
    if (s.rotation.method != ROT_NONE && s.resample.method != 0) {
      report("CPR Rot and Resample");
      return false;
    }
  }
  parse_supplementary(s);
  parse_maxiter(s);
  parse_crititer(s);
  parse_print(s);
  parse_plot(s);
  if (k == ProcedureKind::Catpca) loading_check(s);
  parse_outfile(s);
  parse_save(s);
  // Ellipse coordinates and areas need resampling and two dimensions.
  if (pca) {
    const bool ok = s.resample.method != 0 && s.dim.p == 2;
    if (!ok && s.outfile.ellcoord.handle != 0) {
      warn("CPR EllCoord not applicable");
      s.outfile.ellcoord = OutfileRequest{};
    }
    bool any = false;
    for (auto& e : s.save.ellarea) any = any || e.on;
    if (!ok && any) {
      warn("CPR non-appl. SAVE EllArea");
      for (auto& e : s.save.ellarea) e = SaveRequest{};
    }
  }
  cross_checks(s);
  return done();
}
}  // namespace

bool parse_remaining(CommandSettings& s) {
  errors().errors = 0;
  const bool ok = parse_in_order(s);
  hint_swallowed_command();
  return ok;
}

}  // namespace oscat::syntax
