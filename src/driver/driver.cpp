#include "driver/driver.hpp"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "data/categories.hpp"
#include "data/passes.hpp"
#include "data/report.hpp"
#include "data/summary.hpp"
#include "driver/analysis.hpp"
#include "driver/loops.hpp"
#include "driver/run_context.hpp"
#include "driver/workspace_registry.hpp"
#include "host/host.hpp"
#include "syntax/settings.hpp"

namespace oscat::driver {

using host::H;
using host::Msg;
using syntax::ProcedureKind;

namespace {

Msg key(std::string_view k) { return H().msg.BP_CSTRING(k); }
void report(std::string_view k, int severity) { H().msg.BP_ERROR(key(k), 2, severity); }
bool failed(const WorkspaceRegistry& ws) { return ws.failed() || H().msg.error_flag(); }

void declare_table_ids(ProcedureKind kind) {
  auto& p = H().pivot;
  if (kind == ProcedureKind::Catreg) {
    p.BP_TABLE_ID(12);
    for (int id = 3; id <= 11; ++id) p.BP_TABLE_ID(id);
    p.BP_TABLE_ID(13);
    p.BP_TABLE_ID(14);
  } else {
    for (int id = 3; id <= 14; ++id) p.BP_TABLE_ID(id);
    for (int id : {16, 17, 15, 18, 19, 20, 21, 22}) p.BP_TABLE_ID(id);
    if (kind == ProcedureKind::Mcorresp) {
      p.BP_TABLE_ID(15);
      p.BP_TABLE_ID(16);
    }
  }
  p.BP_END_TABLE_IDS();
}

void credit_table(const ProcedureDescriptor& d) {
  auto& h = H();
  auto& p = h.pivot;
  p.BP_BEGIN_PIVOT_TABLE(key("Credit"), 0);
  const int rows = p.BP_CATEGORY_DIMENSION(key("Credit"), host::Axis::Row);
  p.BP_HIDE_DIMENSION_LABEL(rows);
  const int cols = p.BP_CELL_DIMENSION(key("Credit"), host::Axis::Column);
  p.BP_HIDE_DIMENSION_LABEL(cols);
  const int col = p.BP_CELL_IN_CATEGORY(cols, h.msg.BP_CSTRING_NO_TRANSLATE(""));
  p.BP_DATA_COL_MIN_MAX_WIDTH(30, 60);
  const char* lines[] = {d.title, d.version, "by", "oscat project", "Optimal scaling procedures",
                         "open source"};
  int i = 0;
  for (const char* line : lines) {
    const int r = p.BP_CELL_IN_CATEGORY(rows, h.msg.BP_CSTRING_NO_TRANSLATE(std::to_string(++i)));
    p.BP_SET_TEXT(host::CellRef{{r, col}}, h.msg.BP_CSTRING_NO_TRANSLATE(line));
  }
  p.BP_END_PIVOT_TABLE();
}

// Variables the requested SAVE and OUTFILE settings will add (informational for the host).
int saved_variable_count(const syntax::CommandSettings& s) {
  int count = 0;
  const auto& sv = s.save;
  const int p = std::max(1, s.dim.p);
  auto dims = [&](const syntax::SaveRequest& r) { return r.dims > 0 ? std::min(r.dims, p) : p; };
  if (sv.trdata.on) {
    // A multiple nominal variable saves one variable per dimension.
    for (int j = 0; j < s.vars.m_a; ++j) {
      const auto uj = static_cast<std::size_t>(j);
      const bool mnom = s.kind == ProcedureKind::Mcorresp ||
                        (uj < s.vars.levels.size() && s.vars.levels[uj].mlevel == syntax::MNOMINAL);
      count += mnom ? dims(sv.trdata) : 1;
    }
  }
  if (sv.object.on) count += s.kind == ProcedureKind::Catreg ? 0 : dims(sv.object);
  if (sv.approx.on) count += s.vars.m_a;
  if (sv.pre.on) count += 1;
  if (sv.res.on) count += 1;
  for (const auto& r : sv.ellarea)
    if (r.on) count += 1;
  return count;
}

// The data preparation of the first run. False on an error or shortfall.
bool prepare_data(RunContext& c, WorkspaceRegistry& ws, const int* ndistinct, int* tables,
                  double* method, int* ncat, int* ncat_eff, int* miss_code) {
  auto& s = *c.settings;
  const int n = c.n_read, m = c.m, ma = c.m_a;
  const int* vars = s.vars.variables.data();
  const bool pca = s.kind != ProcedureKind::Catreg;

  // 1. The data arrays and two temporaries.
  c.coded = ws.get<double>(kCoded, static_cast<std::size_t>(n) * m);
  c.w = ws.get<double>(kWeights, n);
  c.cases = ws.get<int>(kCaseBook, 2 * static_cast<std::size_t>(n));
  double* raw = ws.get<double>(kRaw, static_cast<std::size_t>(n) * m);
  double* tmp = ws.get<double>(kTemp, n);
  int kmax = 1;
  for (int j = 0; j < m; ++j) kmax = std::max(kmax, ndistinct[j]);
  double* scratch = ws.get<double>(kDiscScratch, 3 * static_cast<std::size_t>(kmax));
  if (failed(ws)) return false;

  // 2. Discretization set-up; 3. second pass.
  if (!data::discretization_setup(vars, m, tables, method, ncat, ncat_eff, scratch)) return false;
  ws.release(kDiscScratch);
  data::second_data_pass(vars, m, tables, n, c.coded, raw, c.w, c.cases);
  if (failed(ws)) return false;

  // 4. Supplementary objects; objects missing on every variable.
  if (s.supp.object_position > 0) {
    if (!data::supplementary_objects(s.supp.object_position, c.w, c.cases, n)) return false;
    c.has_supplementary_objects = true;
  }
  if (pca) {
    const int* supp = s.supp.variable.empty() ? nullptr : s.supp.variable.data();
    if (data::all_missing_objects(c.coded, c.w, n, ma, supp)) c.has_supplementary_objects = true;
  }
  // 5. Equal-interval check; the temporaries go.
  if (!data::equal_interval_check(vars, m, tables, method)) return false;
  ws.release(kRaw);
  ws.release(kTemp);

  // 6. Category bookkeeping of the untreated data.
  const int cap = kmax + 1;
  auto book = [&](data::CategoryBook& b, int first_slot) {
    b.m = m;
    b.cap = cap;
    b.count = ws.get<int>(first_slot, m);
    b.values = ws.get<double>(first_slot + 1, static_cast<std::size_t>(cap) * m);
    b.freq = ws.get<double>(first_slot + 2, static_cast<std::size_t>(cap) * m);
    b.mode = ws.get<double>(first_slot + 3, m);
    b.miss = ws.get<double>(first_slot + 4, 3 * static_cast<std::size_t>(m));
    b.extra = ws.get<int>(first_slot + 5, m);
  };
  book(c.original, kOrigCount);
  book(c.book, kBookCount);
  tmp = ws.get<double>(kTemp, n);
  c.status = ws.get<int>(kStatus, n);
  double* valid = ws.get<double>(kValidPerVar, m);
  int* issue = ws.get<int>(kIssues, m);
  if (pca && (s.print.corr || s.print.ocorr)) c.draw = ws.get<double>(kDraw, static_cast<std::size_t>(n) * m);
  if (failed(ws)) return false;
  data::category_bookkeeping(c.coded, n, m, c.w, c.original, tmp);
  data::copy_book(c.original, c.book);  // the treatment extends this copy

  // 7. A configuration read from a file belongs to the CATPCA analysis.
  // 8. Missing-value treatment.
  data::MissingInput in;
  in.n = n;
  in.m = m;
  in.ma = ma;
  in.pca = pca;
  in.fixed_config = s.config.fixed();
  in.supp_var = s.supp.variable.empty() ? nullptr : s.supp.variable.data();
  in.urand = [](void*) { return H().num.URAND(); };
  std::fill(c.status, c.status + n, 0);
  data::MissingResult r =
      data::treat_missing(in, miss_code, c.coded, c.w, c.cases, c.status, c.book, valid, issue, c.draw);
  std::vector<int> invalid, lw_supp, lw_fixed, too_many;
  for (int j = 0; j < m; ++j) {
    if (issue[j] & data::kIssueInvalidCode) invalid.push_back(j);
    if (issue[j] & data::kIssueListwiseSupp) lw_supp.push_back(j);
    if (issue[j] & data::kIssueListwiseFixed) lw_fixed.push_back(j);
    if (issue[j] & data::kIssueTooManyMissing) too_many.push_back(vars[j]);
  }
  if (!invalid.empty()) report("CPR Invalid Missing option.", 3);
  if (!lw_supp.empty()) report("CPR Invalid MISS Kwd supp var.", 3);
  if (!lw_fixed.empty()) report("CPR Invalid MISS Kwd fixed conf.", 3);
  if (!(r.total <= 1e150)) {
    // Weighted sums of squares and products of such weights overflow and
    // leave the statistics infinite or NaN.
    report(pca ? "CPR Total weight too large." : "CRG Total weight too large.", 3);
  } else if (r.too_few_objects) {
    report(pca ? "Invalid CPR maximum observations." : "Invalid CRG maximum observations.", 3);
  } else {
    data::report_variables("CPR Var ^1 too many missings.", "CPR Var [%1:, ^1:, $1]1 too many missings.",
                           too_many, 2, 3);
  }
  c.n = r.n_after;
  c.valid_weight = r.valid;
  c.total_weight = r.total;
  // The bookkeeping of the treated (and compacted) data.
  data::category_bookkeeping(c.coded, c.n, m, c.w, c.book, tmp);
  ws.release(kTemp);
  if (failed(ws)) return false;

  // 9. Case processing summary and descriptive statistics.
  data::SummaryInput si;
  si.valid = r.valid;
  si.total = r.total;
  si.w = c.w;
  si.n_read = n;
  si.n_kept = c.n;
  si.removed = r.removed;
  si.excluded_first = r.excluded_first;
  si.book = &c.original;
  si.vars = vars;
  si.m = m;
  data::case_processing_summary(si);
  data::DescriptiveInput di;
  di.s = &s;
  di.handles = tables;
  di.original = &c.original;
  di.treated = &c.book;
  di.method = method;
  di.ncat = ncat_eff;
  di.miss_code = miss_code;
  data::descriptive_statistics(di);
  return !failed(ws);
}

}  // namespace

const ProcedureDescriptor& catpca_descriptor() {
  static const ProcedureDescriptor d{ProcedureKind::Catpca, "CATPCA", "Version 2.0",
                                     syntax::subcommand_table(ProcedureKind::Catpca), 6, 6};
  return d;
}
const ProcedureDescriptor& catreg_descriptor() {
  static const ProcedureDescriptor d{ProcedureKind::Catreg, "Catreg", "Version 3.0",
                                     syntax::subcommand_table(ProcedureKind::Catreg), 6, 3};
  return d;
}
const ProcedureDescriptor& mcorresp_descriptor() {
  static const ProcedureDescriptor d{ProcedureKind::Mcorresp, "Multiple Correspondence", "Version 1.0",
                                     syntax::subcommand_table(ProcedureKind::Mcorresp), 6, 6};
  return d;
}

void OptimalScalingDriver::run() {
  auto& h = H();
  const ProcedureKind kind = desc_.kind;
  const bool catreg = kind == ProcedureKind::Catreg;
  WorkspaceRegistry ws;
  syntax::CommandSettings s;
  s.kind = kind;
  RunContext ctx;
  ctx.desc = &desc_;
  ctx.settings = &s;
  ctx.ws = &ws;
  int* tables = nullptr;
  int m = 0;
  bool stacked = false, begun = false;

  // Opening sequence.
  h.pivot.BP_PROCEDURE(desc_.title);
  const int saved_split = h.cases.split_count();
  if (saved_split > 0) {
    report("Split File ignored.", 2);
    h.cases.set_split_count(0);
  }
  stacked = h.tokens.SSTACK() < 1;
  if (stacked) begun = h.cases.XYBEG() != 0;

  // Every phase below ends in the closing sequence on an error; a lambda
  // keeps that single exit explicit.
  auto body = [&]() {
    if (!stacked || !begun) return;
    if (h.dict.size() == 0) return;
    declare_table_ids(kind);
    credit_table(desc_);
    ws.get<int>(kVarList, h.dict.size());
    if (failed(ws)) return;

    if (!syntax::scan_subcommands(s) || failed(ws)) return;
    if (!syntax::parse_variables(s) || s.vars.m == 0 || failed(ws)) return;
    m = s.vars.m;

    // Per-variable arrays: the driver's own per-variable settings live here.
    auto* method = ws.get<double>(kPerVar0, m);
    auto* ncat = ws.get<int>(kPerVar1, m);
    auto* ncat_eff = ws.get<int>(kPerVar2, m);
    auto* miss_code = ws.get<int>(kPerVar3, m);
    auto* ndistinct = ws.get<int>(kPerVar4, m);
    ctx.zero_variance = ws.get<double>(kPerVar5, m);
    ws.get<int>(kLevels16, 16 * static_cast<std::size_t>(m));
    ws.get<int>(kPerVar4m, 4 * static_cast<std::size_t>(m));
    if (!catreg) ws.get<double>(kPcaExtra, 2 * static_cast<std::size_t>(m) + 9);
    if (catreg) {
      ws.get<int>(kCatregInt, m);
      ws.get<double>(kCatregM0, m);
      ws.get<double>(kCatregM1, m);
    }
    if (failed(ws)) return;

    if (!syntax::parse_remaining(s) || failed(ws)) return;
    m = s.vars.m;
    ctx.m = m;
    ctx.m_a = s.vars.m_a;
    for (int j = 0; j < m; ++j) {
      const auto uj = static_cast<std::size_t>(j);
      method[j] = uj < s.discr.method.size() ? s.discr.method[uj] : 0;
      ncat[j] = uj < s.discr.ncat.size() ? s.discr.ncat[uj] : 0;
      ncat_eff[j] = uj < s.discr.ncat_effective.size() ? s.discr.ncat_effective[uj] : ncat[j];
      miss_code[j] = uj < s.missing.code.size() ? s.missing.code[uj] : (catreg ? 7 : 2);
    }

    // CATREG: a penalty path without resampling gives the regularization output only.
    const auto& rv = s.regu.v;
    const bool regu = rv[0] != 0;
    const bool supp_objects = s.supp.object_position > 0;
    if (catreg) {
      const bool path = rv[3] > 0 || rv[6] > 0;
      if (regu && s.resample.method == 0 && !supp_objects && path) {
        report("CRG Only REGU output.", 2);
        if (s.initial.type == 2) report("CRG MltStrt Only REGU output.", 2);
        ctx.regularization_output_only = true;
      } else if (s.print.coeff) {
        ctx.coefficient_bootstrap_prepared = true;
        ws.get<int>(kBootBook, kCoefficientBootstrapSamples);
      }
      if (s.initial.type == 2 && s.vars.ordinal_predictors > 0) {
        const int p = s.vars.ordinal_predictors;
        const long patterns = p > 31 ? 0 : (1L << p);
        ws.get<int>(kStartPatterns, static_cast<std::size_t>(patterns + 1));
      }
      if (failed(ws)) return;
    }

    // First data pass.
    h.cases.OBINIT(saved_variable_count(s));
    tables = ws.get<int>(kTableHandles, m);
    ws.get<int>(kTableHandles2, m);
    if (failed(ws)) return;
    std::fill(tables, tables + m, 0);
    if (!data::open_value_tables(s.vars.variables.data(), m, tables)) return;
    bool pass_error = false;
    ctx.n_read = data::first_data_pass(s.vars.variables.data(), m, tables, ndistinct, pass_error);
    if (pass_error || failed(ws)) return;
    ctx.value_tables = tables;
    if (ctx.n_read < 3) {
      report(catreg ? "Invalid CRG maximum observations." : "Invalid CPR maximum observations.", 3);
      return;
    }

    // The loops: passes, second penalty, first penalty, samples.
    ctx.passes = pass_count(s.resample.method, rv[0], supp_objects);
    ctx.selected_penalty1 = rv[1];
    ctx.selected_penalty2 = rv[4];
    for (ctx.pass = 1; ctx.pass <= ctx.passes; ++ctx.pass) {
      ctx.final_pass = ctx.pass == ctx.passes;
      const bool reset = ctx.pass == 2;
      ctx.penalty2_count = reset ? 1 : (rv[0] == 3 ? second_penalty_count(rv[4], rv[5], rv[6]) : 1);
      ctx.penalty1_count = reset ? 1 : first_penalty_count(rv[1], rv[2], rv[3]);
      if (ctx.pass == 1 && catreg && s.plot.regu.on && ctx.penalty1_count == 1) {
        report(ctx.penalty2_count == 1 ? "CRG No REGU plot." : "CRG No ENET plot.", 2);
        s.plot.regu.on = false;
      }
      for (ctx.penalty2_index = 0; ctx.penalty2_index < ctx.penalty2_count; ++ctx.penalty2_index) {
        ctx.penalty2 = reset ? ctx.selected_penalty2
                       : (rv[0] == 3 ? second_penalty_value(rv[4], rv[6], ctx.penalty2_index) : 0);
        for (ctx.penalty1_index = 0; ctx.penalty1_index < ctx.penalty1_count; ++ctx.penalty1_index) {
          ctx.penalty1 = reset ? ctx.selected_penalty1
                               : first_penalty_value(rv[1], rv[3], ctx.penalty1_count, ctx.penalty1_index);
          ctx.coefficient_bootstrap =
              catreg && ctx.final_pass && ctx.coefficient_bootstrap_prepared &&
              ((ctx.penalty1_count == 1 && ctx.penalty2_count == 1) || (reset && regu));
          ctx.samples = ctx.coefficient_bootstrap ? coefficient_bootstrap_runs()
                        : reset                   ? 1
                                                  : sample_runs(catreg, s.resample.method, s.resample.count);
          for (ctx.sample = 0; ctx.sample < ctx.samples; ++ctx.sample) {
            ctx.first_run = ctx.pass == 1 && ctx.penalty2_index == 0 && ctx.penalty1_index == 0 &&
                            ctx.sample == 0;
            ctx.final_run = ctx.sample == ctx.samples - 1;
            if (ctx.first_run) {
              if (!prepare_data(ctx, ws, ndistinct, tables, method, ncat, ncat_eff, miss_code)) return;
              ctx.discr_method = method;
              ctx.discr_ncat = ncat_eff;
              ctx.missing_code = miss_code;
              ctx.zero_variance_count =
                  data::zero_variance_check(ctx.book, s.vars.variables.data(), ctx.m_a, true, catreg,
                                            s.resample.method == 1, ctx.zero_variance);
              if (failed(ws)) return;
            }
            const bool ok = catreg ? run_catreg_analysis(ctx) : run_catpca_analysis(ctx);
            if (!ok || failed(ws)) return;
            if (h.num.ATNJMP()) return;
          }
        }
      }
    }
  };
  body();

  // Closing sequence (every path).
  if (ws.failed()) report("Insufficient memory.", 3);
  if (tables != nullptr) data::close_value_tables(tables, m);
  ws.release_all();
  if (begun) h.cases.XYENDF();
  if (ctx.file_handles[0] != 0) h.files.SFCLDE(ctx.file_handles[0]);
  if (stacked) h.tokens.SSDELS();
  if (saved_split > 0) h.cases.set_split_count(saved_split);
  h.charts.CX_TERMINATE();
  h.pivot.BP_END_PROCEDURE();
}

}  // namespace oscat::driver
