// CATREG's tables of the reported fit: iteration history, model summary,
// ANOVA, coefficients, correlations and tolerance, quantifications.
#include <algorithm>
#include <string>
#include <cmath>
#include <vector>

#include "catreg/analysis.hpp"
#include "catreg/schedule.hpp"
#include "catreg/statistics.hpp"
#include "data/summary.hpp"
#include "frame/messages.hpp"
#include "host/host.hpp"
#include "scaling/linalg.hpp"

namespace oscat::catreg {

using frame::key;
using host::Axis;
using host::CellRef;
using host::H;
using host::Msg;
using host::SYSMIS;

namespace {

enum : int { kIdHistory = 6, kIdSummary = 7, kIdQuant = 9, kIdAnova = 10, kIdCoef = 11, kIdCorr = 3, kIdPath = 4,
             kIdPathCoef = 5 };

Msg num(long v) { return frame::integer(v); }

const char* var_name(const Reported& r, int j) {
  return H().dict.DICGET(r.ctx->settings->vars.variables[static_cast<std::size_t>(j)]).name.c_str();
}

// "Depvar ^1 Predictor(s) ..." with the dependent's and the predictors'
// names, preceded by the penalties of a regularized model when asked.
Msg model_key(const Reported& r, bool penalties) {
  auto& msg = H().msg;
  const int m = r.d.m;
  const bool one = m < 3;
  const bool signs = penalties && (r.res.best_pattern > 0 || r.fixed_pattern > 0);
  const bool fixed = r.fixed_pattern > 0;
  const char* k = one ? "Depvar ^1 Predictor ^2" : "Depvar ^1 Predictors [:^1 :$1]2";
  if (penalties && r.penalty == Penalty::ElasticNet)
    k = signs ? (one ? "MSigns ^1 Penalty ^2 ^3 Depvar ^4 Predictors ^5" : "MSigns ^1 Penalty ^2 ^3 Depvar ^4 Predictors [:^1 :$1]5")
              : (one ? "Penalty ^1 ^2 Depvar ^3 Predictors ^4" : "Penalty ^1 ^2 Depvar ^3 Predictors [:^1 :$1]4");
  else if (penalties && r.penalty != Penalty::None)
    k = signs ? (one ? "MSigns ^1 Penalty ^2 Depvar ^3 Predictors ^4" : "MSigns ^1 Penalty ^2 Depvar ^3 Predictors [:^1 :$1]4")
              : (one ? "Penalty ^1 Depvar ^2 Predictors ^3" : "Penalty ^1 Depvar ^2 Predictors [:^1 :$1]3");
  else if (signs)
    k = one ? "MSigns ^1 Depvar ^2 Predictor ^3" : "MSigns ^1 Depvar ^2 Predictors [:^1 :$1]3";
  std::string kk(k);
  if (fixed && kk.rfind("MSigns", 0) == 0) kk[0] = 'F';
  const Msg c = msg.BP_BEGIN_COMPSTRING(key(kk));
  if (signs) msg.BP_ADD_PARAMETER(c, num(fixed ? r.fixed_pattern : r.res.best_pattern));
  if (penalties && r.penalty == Penalty::ElasticNet) {
    msg.BP_ADD_PARAMETER(c, msg.BP_LRVALUE(r.lambda2));
    msg.BP_ADD_PARAMETER(c, msg.BP_LRVALUE(r.lambda1));
  } else if (penalties && r.penalty != Penalty::None) {
    msg.BP_ADD_PARAMETER(c, msg.BP_LRVALUE(r.penalty == Penalty::Ridge ? r.lambda2 : r.lambda1));
  }
  for (int j = 0; j < m; ++j) msg.BP_ADD_PARAMETER(c, frame::text(var_name(r, j)));
  return msg.BP_END_COMPSTRING(c);
}

// The "Expected Prediction Error" group: with resampling alone Estimate,
// Std. Error, N; with test data a "Training Data" group (Estimate with
// resampling, else Mean Squared Error) and a "Test Data" group.
struct EpeCols {
  int est = -1, se = -1, n = -1, test = -1, test_se = -1, test_n = -1;
};
EpeCols epe_columns(const Reported& r, int cols, const char* title = "Expected Prediction Error") {
  auto& pv = H().pivot;
  const auto& rs = r.ctx->settings->resample;
  EpeCols c;
  pv.BP_BEGIN_GROUP(cols, key(title));
  if (r.test) pv.BP_BEGIN_GROUP(cols, key("Training Data"));
  c.est = pv.BP_CELL_IN_CATEGORY(cols, key(r.resampled ? "Estimate" : "Mean Squared Error"));
  if (r.resampled)
    pv.BP_ANNOTATE_CATEGORY(cols, c.est,
                            frame::composite(rs.method == 1 ? "Annotation PE Est CV ^1." : "Annotation PE Est boot ^1.",
                                             {num(rs.count)}));
  c.se = pv.BP_CELL_IN_CATEGORY(cols, key("Std. Error"));
  c.n = pv.BP_CELL_IN_CATEGORY(cols, key("N"));
  if (r.test) {
    pv.BP_END_GROUP(cols);
    pv.BP_BEGIN_GROUP(cols, key("Test Data"));
    c.test = pv.BP_CELL_IN_CATEGORY(cols, key("Mean Squared Error"));
    c.test_se = pv.BP_CELL_IN_CATEGORY(cols, key("Std. Error"));
    c.test_n = pv.BP_CELL_IN_CATEGORY(cols, key("N"));
    pv.BP_END_GROUP(cols);
  }
  pv.BP_END_GROUP(cols);
  return c;
}
// The cells of model k; `raw` gives the errors on the dependent's raw scale.
void epe_cells(const Reported& r, const EpeCols& c, int row, int k, bool raw = false) {
  auto& pv = H().pivot;
  const auto f = host::BP_CORRELATION_FORMAT();
  auto cell = [&](int col) { return row >= 0 ? CellRef{{row, col}} : CellRef{{col}}; };
  auto error = [&](int field) { return raw ? r.raw_epe(k, field) : r.epe(k, field); };
  pv.BP_SET_VALUE(cell(c.est), error(0), f);
  pv.BP_SET_VALUE(cell(c.se), error(1), f);
  pv.BP_SET_VALUE(cell(c.n), r.epe(k, 2), host::BP_N_FORMAT());
  int active = 0;
  for (int i = 0; i < r.d.n; ++i) active += r.d.w[i] > 0;
  if (r.epe(k, 2) != active) pv.BP_ANNOTATE_CELL(cell(c.n), key("Annot train cases some excl."));
  if (!r.test) return;
  const int T = Reported::kTestField;
  const double mse = error(T), used = r.epe(k, T + 2), total = r.epe(k, T + 3);
  pv.BP_SET_VALUE(cell(c.test), mse, f);
  if (host::is_sysmis(mse) && total > 0) pv.BP_ANNOTATE_CELL(cell(c.test), key("Annot test cases all sysmis."));
  pv.BP_SET_VALUE(cell(c.test_se), error(T + 1), f);
  if (used != 0) {
    pv.BP_SET_VALUE(cell(c.test_n), used, host::BP_N_FORMAT());
    if (used != total) pv.BP_ANNOTATE_CELL(cell(c.test_n), key("Annot test cases some excl."));
  }
}

// Names of the predictors a model selected.
Msg model_note(const Reported& r, const char* k, int model) {
  auto& msg = H().msg;
  const Msg c = msg.BP_BEGIN_COMPSTRING(key(k));
  msg.BP_ADD_PARAMETER(c, num(model + 1));
  for (int j = 0; j < r.path.p; ++j)
    if (std::fabs(r.path.beta(model)[j]) >= kTiny) msg.BP_ADD_PARAMETER(c, frame::text(var_name(r, j + 1)));
  return msg.BP_END_COMPSTRING(c);
}

void path_models_table(const Reported& r) {
  auto& pv = H().pivot;
  const PathModels& P = r.path;
  const Penalty me = r.penalty;
  pv.BP_BEGIN_PIVOT_TABLE(key(me == Penalty::Ridge   ? "Ridge Models"
                              : me == Penalty::Lasso ? "Lasso Models"
                                                     : "Elastic Net Models"),
                          kIdPath);
  const int rows = pv.BP_CATEGORY_DIMENSION(key("Model"), Axis::Row);
  const int cols = pv.BP_CELL_DIMENSION(key("Statistics"), Axis::Column);
  const bool enet = me == Penalty::ElasticNet;
  const int cR = enet ? pv.BP_CELL_IN_CATEGORY(cols, key("Ridge Penalty")) : -1;
  const int cL = pv.BP_CELL_IN_CATEGORY(cols, key(enet ? "Lasso Penalty" : "Penalty"));
  const int cQ = pv.BP_CELL_IN_CATEGORY(cols, key("R Square Regu"));
  const int cN = me != Penalty::Ridge ? pv.BP_CELL_IN_CATEGORY(cols, key("Number of Selected Predictors")) : -1;
  const int cS = pv.BP_CELL_IN_CATEGORY(cols, key("Standardized Sum of Coefficients"));
  const int cA = pv.BP_CELL_IN_CATEGORY(cols, key("Apparent Prediction Error"));
  EpeCols ec, ecr;
  if (r.est != nullptr)
    ec = epe_columns(r, cols, r.raw ? "Expected Prediction Error Standardized Data" : "Expected Prediction Error");
  if (r.est != nullptr && r.raw) ecr = epe_columns(r, cols, "Expected Prediction Error Raw Data");
  const auto f = host::BP_CORRELATION_FORMAT();
  for (int k = 0; k < P.M; ++k) {
    const double* x = P.model(k);
    const int row = pv.BP_CELL_IN_CATEGORY(rows, num(k + 1));
    if (enet && k % r.path_inner == 0) pv.BP_SET_VALUE(CellRef{{row, cR}}, x[PathModels::kRidge], host::BP_GENSTAT_FORMAT());
    pv.BP_SET_VALUE(CellRef{{row, cL}}, me == Penalty::Ridge ? x[PathModels::kRidge] : x[PathModels::kLasso],
                    host::BP_GENSTAT_FORMAT());
    pv.BP_SET_VALUE(CellRef{{row, cQ}}, x[PathModels::kR2], f);
    if (cN >= 0) pv.BP_SET_VALUE(CellRef{{row, cN}}, x[PathModels::kSelected], host::BP_N_FORMAT());
    pv.BP_SET_VALUE(CellRef{{row, cS}}, x[PathModels::kStdSum], f);
    pv.BP_SET_VALUE(CellRef{{row, cA}}, x[PathModels::kApe], f);
    if (r.est == nullptr) continue;
    if (x[PathModels::kSelected] >= 1) epe_cells(r, ec, row, k);
    if (x[PathModels::kSelected] >= 1 && r.raw) epe_cells(r, ecr, row, k, true);
    if (k == r.optimal) pv.BP_ANNOTATE_CATEGORY(rows, row, model_note(r, "Annot Optimal model ^1 (pred [:^1 :$1]2).", k));
    if (k == r.one_se) pv.BP_ANNOTATE_CATEGORY(rows, row, model_note(r, "Annot 1SE model ^1 (pred [:^1 :$1]2).", k));
    if (k == r.optimal && k == r.one_se)
      pv.BP_ANNOTATE_CATEGORY(rows, row, frame::composite("Annot No model within 1 SE ^1.", {num(k + 1)}));
  }
  pv.BP_END_PIVOT_TABLE();
}

void path_coefficients_table(const Reported& r) {
  auto& pv = H().pivot;
  const PathModels& P = r.path;
  const Penalty me = r.penalty;
  pv.BP_BEGIN_PIVOT_TABLE(key(me == Penalty::Ridge   ? "Ridge Coefficients"
                              : me == Penalty::Lasso ? "Lasso Coefficients"
                                                     : "Elastic Net Coefficients"),
                          kIdPathCoef);
  const int rows = pv.BP_CATEGORY_DIMENSION(key("Model"), Axis::Row);
  const int cols = pv.BP_CELL_DIMENSION(key("Statistics"), Axis::Column);
  const int cN = me != Penalty::Ridge ? pv.BP_CELL_IN_CATEGORY(cols, key("Number of Selected Predictors")) : -1;
  std::vector<int> cB(static_cast<std::size_t>(P.p));
  for (int j = 0; j < P.p; ++j)
    cB[static_cast<std::size_t>(j)] =
        pv.BP_CELL_IN_CATEGORY(cols, pv.BP_VARIABLE(r.ctx->settings->vars.variables[static_cast<std::size_t>(j + 1)]));
  for (int k = 0; k < P.M; ++k) {
    const int row = pv.BP_CELL_IN_CATEGORY(rows, num(k + 1));
    if (cN >= 0) pv.BP_SET_VALUE(CellRef{{row, cN}}, P.model(k)[PathModels::kSelected], host::BP_N_FORMAT());
    for (int j = 0; j < P.p; ++j)
      pv.BP_SET_VALUE(CellRef{{row, cB[static_cast<std::size_t>(j)]}}, P.beta(k)[j], host::BP_CORRELATION_FORMAT());
  }
  pv.BP_END_PIVOT_TABLE();
}

Msg dependent_key(const Reported& r) { return frame::composite("Dependent Variable ^1", {frame::text(var_name(r, 0))}); }

void history_table(const Reported& r) {
  const CrgResult& res = r.res;
  if (res.history_rows == 0 && !res.prerun) return;
  auto& pv = H().pivot;
  const bool enet = r.penalty == Penalty::ElasticNet;
  const Msg ape_key = key(enet ? "Apparent Prediction Error (Naive Elastic Net)" : "Apparent Prediction Error");
  const host::Format f = host::BP_CORRELATION_FORMAT();
  pv.BP_BEGIN_PIVOT_TABLE(key("Iteration History"), kIdHistory);
  const int rows = pv.BP_CATEGORY_DIMENSION(key("Iteration Number"), Axis::Row);
  const int cols = pv.BP_CELL_DIMENSION(key("Statistics"), Axis::Column);
  const int cR = pv.BP_CELL_IN_CATEGORY(cols, key("Multiple R Square"));
  const int cA = pv.BP_CELL_IN_CATEGORY(cols, ape_key);
  const int cD = pv.BP_CELL_IN_CATEGORY(cols, key("Decrease in Apparent Prediction Error"));
  if (res.prerun) {
    const int row = pv.BP_CELL_IN_CATEGORY(rows, num(0));
    pv.BP_ANNOTATE_CATEGORY(
        rows, row, key(r.penalty == Penalty::None ? "Iteration 0 annotation." : "Iteration 0 annotation REGU."));
    pv.BP_SET_VALUE(CellRef{{row, cR}}, res.r20, f);
    pv.BP_SET_VALUE(CellRef{{row, cA}}, res.ape0, f);
  }
  int last = -1;
  for (int k = 0; k < res.history_rows; ++k) {
    const HistoryRow& h = r.a.history[k];
    const int row = pv.BP_CELL_IN_CATEGORY(rows, num(h.iteration));
    pv.BP_SET_VALUE(CellRef{{row, cR}}, h.r2, f);
    pv.BP_SET_VALUE(CellRef{{row, cA}}, h.ape, f);
    if (h.has_decrease) pv.BP_SET_VALUE(CellRef{{row, cD}}, h.decrease, f);
    last = row;
  }
  if (last >= 0) pv.BP_ANNOTATE_CATEGORY(rows, last, key(res.converged ? "CRITITER reached." : "MAXITER reached."));
  pv.BP_END_PIVOT_TABLE();
}

void summary_table(const Reported& r, const Stats& st) {
  auto& pv = H().pivot;
  const host::Format f = host::BP_CORRELATION_FORMAT();
  pv.BP_BEGIN_PIVOT_TABLE(key("Model Summary"), kIdSummary);
  pv.BP_ANNOTATE(model_key(r, true));
  // With raw-scale errors a second row repeats the errors on the dependent's scale.
  const bool raw = r.est != nullptr && r.raw;
  const int rows = raw ? pv.BP_CATEGORY_DIMENSION(key("Source"), Axis::Row) : -1;
  const int std_row = raw ? pv.BP_CELL_IN_CATEGORY(rows, key("Standardized Data")) : -1;
  const int raw_row = raw ? pv.BP_CELL_IN_CATEGORY(rows, key("Raw Data")) : -1;
  auto cell = [&](int row, int col) { return row >= 0 ? CellRef{{row, col}} : CellRef{{col}}; };
  const int cols = pv.BP_CELL_DIMENSION(key("Statistics"), Axis::Column);
  std::vector<std::pair<int, double>> cells;
  cells.emplace_back(pv.BP_CELL_IN_CATEGORY(cols, key("Multiple R")), std::sqrt(std::max(0.0, r.res.r2)));
  cells.emplace_back(pv.BP_CELL_IN_CATEGORY(cols, key("R Square")), r.res.r2);
  cells.emplace_back(pv.BP_CELL_IN_CATEGORY(cols, key("Adjusted R Square")), st.adjusted_r2);
  if (r.penalty != Penalty::None) cells.emplace_back(pv.BP_CELL_IN_CATEGORY(cols, key("R Square Regu")), st.r2_reg);
  const int cA = pv.BP_CELL_IN_CATEGORY(cols, key("Apparent Prediction Error"));
  cells.emplace_back(cA, r.res.ape);
  EpeCols ec;
  if (r.est != nullptr) ec = epe_columns(r, cols);
  for (const auto& [c, v] : cells) pv.BP_SET_VALUE(cell(std_row, c), v, f);
  if (r.est != nullptr) epe_cells(r, ec, std_row, r.one_se);
  if (raw) {
    const double v = r.epe(r.one_se, Reported::kRawField);
    pv.BP_SET_VALUE(cell(raw_row, cA), host::is_sysmis(v) ? host::SYSMIS : r.res.ape * v, f);
    epe_cells(r, ec, raw_row, r.one_se, true);
  }
  pv.BP_END_PIVOT_TABLE();
}

void anova_table(const Reported& r, const Stats& st) {
  auto& pv = H().pivot;
  pv.BP_BEGIN_PIVOT_TABLE(key("ANOVA"), kIdAnova);
  pv.BP_ANNOTATE(model_key(r, false));
  const int rows = pv.BP_CATEGORY_DIMENSION(key("Source"), Axis::Row);
  const int cols = pv.BP_CELL_DIMENSION(key("Statistics"), Axis::Column);
  const int cS = pv.BP_CELL_IN_CATEGORY(cols, key("Sum of Squares"));
  const int cDf = pv.BP_CELL_IN_CATEGORY(cols, key("df"));
  const int cM = pv.BP_CELL_IN_CATEGORY(cols, key("Mean Square"));
  const int cF = pv.BP_CELL_IN_CATEGORY(cols, key("F"));
  const int cP = pv.BP_CELL_IN_CATEGORY(cols, key("Sig."));
  const int rR = pv.BP_CELL_IN_CATEGORY(rows, key("Regression"));
  const int rE = pv.BP_CELL_IN_CATEGORY(rows, key("Residual"));
  const int rT = pv.BP_CELL_IN_CATEGORY(rows, key("Catreg Total"));
  const auto g = host::BP_GENSTAT_FORMAT();
  const auto n = host::BP_N_FORMAT();
  pv.BP_SET_VALUE(CellRef{{rR, cS}}, st.ss_reg, g);
  pv.BP_SET_VALUE(CellRef{{rR, cDf}}, st.df_reg, n);
  pv.BP_SET_VALUE(CellRef{{rR, cM}}, st.ms_reg, g);
  pv.BP_SET_VALUE(CellRef{{rR, cF}}, st.f, g);
  pv.BP_SET_VALUE(CellRef{{rR, cP}}, st.sig, host::BP_SIGNIFICANCE_FORMAT());
  pv.BP_SET_VALUE(CellRef{{rE, cS}}, st.ss_res, g);
  pv.BP_SET_VALUE(CellRef{{rE, cDf}}, st.df_res, n);
  pv.BP_SET_VALUE(CellRef{{rE, cM}}, st.ms_res, g);
  pv.BP_SET_VALUE(CellRef{{rT, cS}}, st.ss_reg + st.ss_res, g);
  pv.BP_SET_VALUE(CellRef{{rT, cDf}}, std::trunc(r.d.N) - 1, n);
  pv.BP_END_PIVOT_TABLE();
}

// One row per predictor, labelled with its name, with the row footnotes.
std::vector<int> predictor_rows(const Reported& r, const Stats& st, int rows, bool tolerance_note) {
  auto& pv = H().pivot;
  std::vector<int> ids(static_cast<std::size_t>(r.d.m), -1);
  for (int j = 1; j < r.d.m; ++j) {
    const int id = pv.BP_CELL_IN_CATEGORY(rows, pv.BP_VARIABLE(r.ctx->settings->vars.variables[static_cast<std::size_t>(j)]));
    ids[static_cast<std::size_t>(j)] = id;
    if (host::is_sysmis(st.df[j])) pv.BP_ANNOTATE_CATEGORY(rows, id, key("Zero quant due to sign."));
    else if (tolerance_note && !host::is_sysmis(st.tol_after[j]) && st.tol_after[j] < kLowTolerance)
      pv.BP_ANNOTATE_CATEGORY(rows, id, key("Annotation tolerance low."));
  }
  return ids;
}

void coefficients_table(const Reported& r, const Stats& st) {
  auto& pv = H().pivot;
  pv.BP_BEGIN_PIVOT_TABLE(key("Coefficients"), kIdCoef);
  pv.BP_ANNOTATE(dependent_key(r));
  const int rows = pv.BP_CATEGORY_DIMENSION(key("Variables"), Axis::Row);
  const int cols = pv.BP_CELL_DIMENSION(key("Statistics"), Axis::Column);
  pv.BP_BEGIN_GROUP(cols, key("Standardized Coefficients"));
  const int cB = pv.BP_CELL_IN_CATEGORY(cols, key("Beta"));
  const int cS = pv.BP_CELL_IN_CATEGORY(cols, frame::composite("Std. Error Beta ^1", {num(r.boot_count)}));
  pv.BP_END_GROUP(cols);
  const int cDf = pv.BP_CELL_IN_CATEGORY(cols, key("df"));
  const int cF = pv.BP_CELL_IN_CATEGORY(cols, key("F"));
  const int cP = pv.BP_CELL_IN_CATEGORY(cols, key("Sig."));
  const auto ids = predictor_rows(r, st, rows, true);
  const auto g = host::BP_GENSTAT_FORMAT();
  for (int j = 1; j < r.d.m; ++j) {
    const int row = ids[static_cast<std::size_t>(j)];
    pv.BP_SET_VALUE(CellRef{{row, cB}}, st.beta[j], host::BP_CORRELATION_FORMAT());
    pv.BP_SET_VALUE(CellRef{{row, cS}}, st.se[j], host::BP_CORRELATION_FORMAT());
    pv.BP_SET_VALUE(CellRef{{row, cDf}}, st.df[j], host::BP_N_FORMAT());
    pv.BP_SET_VALUE(CellRef{{row, cF}}, st.coef_f[j], g);
    pv.BP_SET_VALUE(CellRef{{row, cP}}, st.coef_sig[j], host::BP_SIGNIFICANCE_FORMAT());
  }
  pv.BP_END_PIVOT_TABLE();
}

void correlations_table(const Reported& r, const Stats& st) {
  auto& pv = H().pivot;
  pv.BP_BEGIN_PIVOT_TABLE(key("Correlations and Tolerance"), kIdCorr);
  pv.BP_ANNOTATE(dependent_key(r));
  const int rows = pv.BP_CATEGORY_DIMENSION(key("Variables"), Axis::Row);
  const int cols = pv.BP_CELL_DIMENSION(key("Statistics"), Axis::Column);
  pv.BP_BEGIN_GROUP(cols, key("Correlations"));
  const int cZ = pv.BP_CELL_IN_CATEGORY(cols, key("Zero-Order"));
  const int cP = pv.BP_CELL_IN_CATEGORY(cols, key("Partial"));
  const int cT = pv.BP_CELL_IN_CATEGORY(cols, key("Part"));
  pv.BP_END_GROUP(cols);
  const bool importance = r.penalty == Penalty::None;
  const int cI = importance ? pv.BP_CELL_IN_CATEGORY(cols, key("Importance")) : -1;
  pv.BP_BEGIN_GROUP(cols, key("Tolerance"));
  const int cA = pv.BP_CELL_IN_CATEGORY(cols, key("After Transformation"));
  const int cBf = pv.BP_CELL_IN_CATEGORY(cols, key("Before Transformation"));
  pv.BP_END_GROUP(cols);
  const auto ids = predictor_rows(r, st, rows, false);
  const auto f = host::BP_CORRELATION_FORMAT();
  for (int j = 1; j < r.d.m; ++j) {
    const int row = ids[static_cast<std::size_t>(j)];
    pv.BP_SET_VALUE(CellRef{{row, cZ}}, st.zero_order[j], f);
    pv.BP_SET_VALUE(CellRef{{row, cP}}, st.partial[j], f);
    pv.BP_SET_VALUE(CellRef{{row, cT}}, st.part[j], f);
    if (importance) pv.BP_SET_VALUE(CellRef{{row, cI}}, st.importance[j], host::BP_GENSTAT_FORMAT());
    pv.BP_SET_VALUE(CellRef{{row, cA}}, st.tol_after[j], f);
    if (!host::is_sysmis(st.tol_after[j]) && st.tol_after[j] < kLowTolerance)
      pv.BP_ANNOTATE_CELL(CellRef{{row, cA}}, key("Annotation tolerance low."));
    pv.BP_SET_VALUE(CellRef{{row, cBf}}, st.tol_before[j], f);
  }
  pv.BP_END_PIVOT_TABLE();
}

void quantification_table(const Reported& r, int j) {
  auto& h = H();
  auto& pv = h.pivot;
  const auto& ctx = *r.ctx;
  const int var = ctx.settings->vars.variables[static_cast<std::size_t>(j)];
  const auto& v = r.d.agg[j];
  const bool weighted = h.cases.weight_variable() != 0;
  pv.BP_BEGIN_PIVOT_TABLE(key("Quantifications"), kIdQuant);
  const int rows = pv.BP_CATEGORY_DIMENSION(pv.BP_VARIABLE(var), Axis::Row);
  const int cols = pv.BP_CELL_DIMENSION(key("Statistics"), Axis::Column);
  const int cF = pv.BP_CELL_IN_CATEGORY(cols, key(weighted ? "Weighted Frequency" : "Frequency"));
  const int cQ = pv.BP_CELL_IN_CATEGORY(cols, key("Quantification"));
  pv.BP_ANNOTATE(data::ZYL_AnnOSLevel(ctx.settings->vars.levels[static_cast<std::size_t>(j)]));
  const host::Format ff = weighted ? host::BP_GENSTAT_FORMAT() : host::BP_N_FORMAT();
  const double* q = r.a.q + static_cast<long>(j) * r.d.kmax;
  for (int c = 0; c < v.K; ++c) {
    const bool extra = ctx.book.extra[j] && c == v.K - 1;
    const int row = pv.BP_CELL_IN_CATEGORY(rows, extra ? key("Extra Category") : pv.BP_VARVALUE(var, v.x[c]));
    pv.BP_SET_VALUE(CellRef{{row, cF}}, v.f[c], ff);
    pv.BP_SET_VALUE(CellRef{{row, cQ}}, q[c], host::BP_GENSTAT_FORMAT());
  }
  const double* miss = ctx.book.miss + 3 * j;
  if (miss[0] + miss[1] + miss[2] > 0 && !ctx.book.extra[j]) {
    const int row = pv.BP_CELL_IN_CATEGORY(rows, key("Missing"));
    pv.BP_SET_VALUE(CellRef{{row, cF}}, miss[0] + miss[1] + miss[2], ff);
  }
  pv.BP_END_PIVOT_TABLE();
}

// Correlations of the predictors, as coded (original) or as quantified
// (transformed), followed by the eigenvalues of the matrix. An object
// without a category on either variable of a pair is left out of it; a
// predictor without df (a fixed sign not met) has SYSMIS correlations and
// stays out of the eigenvalues.
void correlation_table(const Reported& r, const Stats& st, bool transformed) {
  auto& pv = H().pivot;
  const int p = r.d.m - 1, n = r.d.n;
  const auto& vars = r.ctx->settings->vars.variables;
  auto value = [&](int j, int i) {
    const int c = r.d.codes[i + static_cast<long>(j) * n];
    if (c < 1 || c > r.d.agg[j].K) return host::SYSMIS;
    return transformed ? r.a.q[c - 1 + static_cast<long>(j) * r.d.kmax] : r.d.agg[j].x[c - 1];
  };
  std::vector<double> R(static_cast<std::size_t>(p) * p, 0.0);
  for (int j = 0; j < p; ++j)
    for (int k = 0; k <= j; ++k) {
      double sw = 0, mj = 0, mk = 0;
      for (int i = 0; i < n; ++i) {
        const double a = value(j + 1, i), b = value(k + 1, i);
        if (!(r.d.w[i] > 0) || host::is_sysmis(a) || host::is_sysmis(b)) continue;
        sw += r.d.w[i];
        mj += r.d.w[i] * a;
        mk += r.d.w[i] * b;
      }
      double sjk = 0, sjj = 0, skk = 0;
      if (sw > 0) {
        mj /= sw;
        mk /= sw;
        for (int i = 0; i < n; ++i) {
          const double a = value(j + 1, i), b = value(k + 1, i);
          if (!(r.d.w[i] > 0) || host::is_sysmis(a) || host::is_sysmis(b)) continue;
          sjk += r.d.w[i] * (a - mj) * (b - mk);
          sjj += r.d.w[i] * (a - mj) * (a - mj);
          skk += r.d.w[i] * (b - mk) * (b - mk);
        }
      }
      double c = sjj > kTiny && skk > kTiny ? sjk / std::sqrt(sjj * skk) : 0.0;
      if (j == k) c = 1.0;
      if (transformed && (host::is_sysmis(st.df[j + 1]) || host::is_sysmis(st.df[k + 1]))) c = host::SYSMIS;
      R[static_cast<std::size_t>(j) + static_cast<std::size_t>(k) * p] = R[static_cast<std::size_t>(k) + static_cast<std::size_t>(j) * p] = c;
    }
  pv.BP_BEGIN_PIVOT_TABLE(key(transformed ? "CPR Transformed Correlations" : "CPR Original Correlations"),
                          transformed ? 8 : 13);
  const int rows = pv.BP_POSITION_DIMENSION(key("Variables"), Axis::Row);
  const int cols = pv.BP_CELL_DIMENSION(key("Variables2"), Axis::Column);
  std::vector<int> rid(static_cast<std::size_t>(p)), cid(static_cast<std::size_t>(p));
  for (int j = 0; j < p; ++j) rid[static_cast<std::size_t>(j)] = pv.BP_CELL_IN_CATEGORY(rows, pv.BP_VARINDEX(vars[static_cast<std::size_t>(j + 1)]));
  for (int j = 0; j < p; ++j) cid[static_cast<std::size_t>(j)] = pv.BP_CELL_IN_CATEGORY(cols, pv.BP_VARINDEX(vars[static_cast<std::size_t>(j + 1)]));
  const int ceig = pv.BP_CELL_IN_CATEGORY(cols, key("Eigenvalue"));
  std::vector<int> keep;
  for (int j = 0; j < p; ++j)
    if (!transformed || !host::is_sysmis(st.df[j + 1])) keep.push_back(j);
  const int kk = static_cast<int>(keep.size());
  std::vector<int> erow;
  pv.BP_BEGIN_GROUP(rows, key("Dimension"));
  for (int k = 0; k < kk; ++k) erow.push_back(pv.BP_CELL_IN_CATEGORY(rows, num(k + 1)));
  pv.BP_END_GROUP(rows);
  for (int j = 0; j < p; ++j)
    for (int k = 0; k < p; ++k) {
      const CellRef cell{{rid[static_cast<std::size_t>(j)], cid[static_cast<std::size_t>(k)]}};
      pv.BP_SET_VALUE(cell, R[static_cast<std::size_t>(j) + static_cast<std::size_t>(k) * p], host::BP_CORRELATION_FORMAT());
      if (transformed && host::is_sysmis(st.df[j + 1])) pv.BP_ANNOTATE_CELL(cell, key("Zero quant due to sign."));
    }
  std::vector<double> E(static_cast<std::size_t>(kk) * kk), ev(static_cast<std::size_t>(kk)), e(static_cast<std::size_t>(kk));
  for (int a = 0; a < kk; ++a)
    for (int b = 0; b < kk; ++b)
      E[static_cast<std::size_t>(a) + static_cast<std::size_t>(b) * kk] =
          R[static_cast<std::size_t>(keep[a]) + static_cast<std::size_t>(keep[b]) * p];
  if (kk > 0 && scaling::SymEigen(kk, E.data(), kk, ev.data(), e.data()) != 0) {
    pv.BP_ABANDON_PIVOT_TABLE();
    frame::error("No rotation can be found.");
    return;
  }
  for (int a = 0; a < kk; ++a) pv.BP_SET_VALUE(CellRef{{erow[static_cast<std::size_t>(a)], ceig}}, ev[static_cast<std::size_t>(a)], host::BP_GENSTAT_FORMAT());
  pv.BP_END_PIVOT_TABLE();
}

void quantification_tables(const Reported& r) {
  std::vector<int> list = r.ctx->settings->print.quant_vars;
  if (list.empty())
    for (int j = 0; j < r.d.m; ++j) list.push_back(j);
  auto& pv = H().pivot;
  pv.BP_BEGIN_HEADING(key("Quantifications"));
  for (int j : list)
    if (j >= 0 && j < r.d.m) quantification_table(r, j);
  pv.BP_END_HEADING();
}

}  // namespace

void path_output(const Reported& r) {
  if (r.path.M == 0) return;
  if (r.ctx->settings->print.regu) {
    path_models_table(r);
    path_coefficients_table(r);
  }
  if (static_cast<const Schedule&>(*r.ctx->plan).regularization_plot) CRG_PathPlots(r);
}

void output(const Reported& r) {
  const auto& pr = r.ctx->settings->print;
  const int m = r.d.m;
  if (pr.history) history_table(r);
  path_output(r);
  if (r.penalty != Penalty::None) {
    int selected = 0;
    for (int j = 1; j < m; ++j) selected += std::fabs(r.a.b[j]) > kTiny;
    if (selected == 0) {
      frame::warn("CRG Penalty too high.");
      return;
    }
  }
  Stats st(m);
  StatsInput in;
  in.d = &r.d;
  in.a = &r.a;
  in.ape = r.res.ape;
  in.r2 = r.res.r2;
  in.se = r.se;
  in.penalized = r.penalty != Penalty::None;
  std::vector<double> work(static_cast<std::size_t>(CRG_StatsWork(m)));
  CRG_Statistics(in, st, work.data());
  if (pr.r) summary_table(r, st);
  if (pr.anova) anova_table(r, st);
  if (pr.coeff) {
    coefficients_table(r, st);
    correlations_table(r, st);
  }
  if (pr.ocorr) correlation_table(r, st, false);
  if (pr.corr && !H().msg.error_flag()) correlation_table(r, st, true);
  if (pr.quant) quantification_tables(r);
  CRG_Charts(r, st);
  CRG_Save(r);
}

}  // namespace oscat::catreg
