#include "driver/driver.hpp"

#include <algorithm>
#include <string>
#include <vector>

#include "data/categories.hpp"
#include "data/passes.hpp"
#include "data/summary.hpp"
#include "driver/run_context.hpp"
#include "frame/frame.hpp"
#include "frame/messages.hpp"
#include "host/host.hpp"
#include "syntax/settings.hpp"

namespace oscat::driver {

using host::H;

namespace {

// Weighted sums of squares and products of a larger total overflow and
// leave the statistics infinite or NaN.
constexpr double kMaxTotalWeight = 1e150;

// The per-variable arrays of the data preparation, from the driver's slots.
struct PerVariable {
  double* method = nullptr;
  int* ncat = nullptr;
  int* ncat_eff = nullptr;
  int* miss_code = nullptr;
  int* ndistinct = nullptr;
  int* tables = nullptr;
};

// The data preparation of the first run. False on an error or shortfall.
bool prepare_data(RunContext& c, frame::ProcedureFrame& f, const PerVariable& pv, const DataOptions& opt) {
  auto& ws = f.workspace();
  const auto& s = *c.settings;
  const auto& keys = c.desc->keys;
  const int n = c.n_read, m = c.m, ma = c.m_a;
  const int* vars = s.vars.variables.data();

  // 1. The data arrays and a temporary.
  c.coded = ws.get<double>(kCoded, static_cast<std::size_t>(n) * m);
  c.w = ws.get<double>(kWeights, n);
  c.cases = ws.get<int>(kCaseBook, 2 * static_cast<std::size_t>(n));
  double* tmp = ws.get<double>(kTemp, n);
  int kmax = 1;
  for (int j = 0; j < m; ++j) kmax = std::max(kmax, pv.ndistinct[j]);
  double* scratch = ws.get<double>(kDiscScratch, 3 * static_cast<std::size_t>(kmax));
  double* aside = ws.get<double>(kAsideWeights, n);  // weights of the objects set aside
  if (f.failed()) return false;
  std::fill(aside, aside + n, 0.0);

  // 2. Discretization set-up; 3. second pass.
  if (!data::discretization_setup(vars, m, pv.tables, pv.method, pv.ncat, pv.ncat_eff, scratch)) return false;
  ws.release(kDiscScratch);
  data::second_data_pass(vars, m, pv.tables, n, c.coded, c.w, c.cases);
  if (f.failed()) return false;

  // 4. Supplementary objects; objects missing on every variable.
  if (s.supp.has_objects()) {
    if (!data::supplementary_objects(s.supp.objects, c.w, c.cases, n, aside)) return false;
    c.has_supplementary_objects = true;
  }
  if (opt.all_missing_supplementary) {
    const int* supp = s.supp.variable.empty() ? nullptr : s.supp.variable.data();
    if (data::all_missing_objects(c.coded, c.w, c.cases, n, ma, supp, aside)) c.has_supplementary_objects = true;
  }
  // 5. Equal-interval check; the temporaries go.
  if (!data::equal_interval_check(vars, m, pv.tables, pv.method)) return false;
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
  // Draws are kept only where a passive random imputation makes them.
  const bool draws = opt.keep_draws && std::any_of(pv.miss_code, pv.miss_code + m, [](int code) {
    return code == syntax::MISS_PASSIVE_RANDOM;
  });
  if (draws) c.draw = ws.get<double>(kDraw, static_cast<std::size_t>(n) * m);
  if (f.failed()) return false;
  data::category_bookkeeping(c.coded, n, m, c.w, c.original, tmp);
  data::copy_book(c.original, c.book);  // the treatment extends this copy

  // 7. A configuration read from a file belongs to the analysis.
  // 8. Missing-value treatment.
  data::MissingInput in;
  in.n = n;
  in.m = m;
  in.ma = ma;
  in.pca = opt.pca_missing_checks;
  in.fixed_config = s.config.fixed();
  in.supp_var = s.supp.variable.empty() ? nullptr : s.supp.variable.data();
  in.urand = [](void*) { return H().num.URAND(); };
  in.aside = aside;
  std::fill(c.status, c.status + n, 0);
  data::MissingResult r =
      data::treat_missing(in, pv.miss_code, c.coded, c.w, c.cases, c.status, c.book, valid, issue, c.draw);
  std::vector<int> invalid, lw_supp, lw_fixed, too_many;
  for (int j = 0; j < m; ++j) {
    if (issue[j] & data::kIssueInvalidCode) invalid.push_back(vars[j]);
    if (issue[j] & data::kIssueListwiseSupp) lw_supp.push_back(vars[j]);
    if (issue[j] & data::kIssueListwiseFixed) lw_fixed.push_back(vars[j]);
    if (issue[j] & data::kIssueTooManyMissing) too_many.push_back(vars[j]);
  }
  // Each names its variables; the keys' texts hold a list slot for them.
  for (const auto& [key, list] : {std::pair{"CPR Invalid Missing option.", &invalid},
                                  std::pair{"CPR Invalid MISS Kwd supp var.", &lw_supp},
                                  std::pair{"CPR Invalid MISS Kwd fixed conf.", &lw_fixed}})
    frame::report_variables(key, key, *list, 2, frame::kError);
  if (!(r.total <= kMaxTotalWeight)) {
    frame::error(keys.total_weight);
  } else if (r.too_few_objects) {
    frame::error(keys.max_observations);
  } else {
    frame::report_variables("CPR Var ^1 too many missings.", "CPR Var [%1:, ^1:, $1]1 too many missings.",
                            too_many, 2, frame::kError);
  }
  c.n = r.n_after;
  c.valid_weight = r.valid;
  c.total_weight = r.total;
  // The bookkeeping of the treated (and compacted) data. It finds the
  // categories afresh, so the extra category the treatment appended is marked
  // again where it is still there (its value is above every other).
  std::vector<double> extra_value(static_cast<std::size_t>(m), 0.0);
  for (int j = 0; j < m; ++j)
    if (c.book.extra[j] && c.book.count[j] > 0)
      extra_value[static_cast<std::size_t>(j)] = c.book.values[static_cast<long>(j) * c.book.cap + c.book.count[j] - 1];
  data::category_bookkeeping(c.coded, c.n, m, c.w, c.book, tmp);
  for (int j = 0; j < m; ++j) {
    const double v = extra_value[static_cast<std::size_t>(j)];
    const int k = c.book.count[j];
    c.book.extra[j] = v > 0 && k > 0 && c.book.values[static_cast<long>(j) * c.book.cap + k - 1] == v ? 1 : 0;
  }
  ws.release(kTemp);
  if (f.failed()) return false;

  // 9. Case processing summary and descriptive statistics.
  data::SummaryInput si;
  si.valid = r.valid;
  si.total = r.total;
  si.w = c.w;
  si.aside = aside;
  si.n_read = n;
  si.n_kept = c.n;
  si.removed = r.removed;
  si.excluded_first = r.excluded_first;
  si.book = &c.original;
  si.vars = vars;
  si.m = m;
  data::case_processing_summary(si);
  ws.release(kAsideWeights);
  data::DescriptiveInput di;
  di.s = &s;
  di.handles = pv.tables;
  di.original = &c.original;
  di.treated = &c.book;
  di.method = pv.method;
  di.ncat = pv.ncat_eff;
  di.miss_code = pv.miss_code;
  data::descriptive_statistics(di);
  return !f.failed();
}

// What one command keeps until its frame has closed (the closing steps use
// the run context).
struct Command {
  syntax::CommandSettings s;
  RunContext ctx;
  PerVariable pv;
  std::unique_ptr<RunPlan> plan;
};

// Everything between the opening and the closing sequence.
void command(const ProcedureDescriptor& desc, frame::ProcedureFrame& f, Command& cmd) {
  auto& h = H();
  auto& ws = f.workspace();
  if (!f.open() || h.dict.size() == 0) return;
  f.declare_tables(desc.table_ids);
  const char* credit[] = {desc.title, desc.version, frame::kCreditBy, frame::kCreditGroup,
                          desc.credit_subject, frame::kCreditLicence};
  f.credit(credit);

  auto& s = cmd.s;
  auto& ctx = cmd.ctx;
  auto& pv = cmd.pv;
  s.kind = desc.kind;
  if (!syntax::scan_subcommands(s) || f.failed()) return;
  if (!syntax::parse_variables(s) || s.vars.m == 0 || f.failed()) return;

  // Per-variable arrays of the data preparation.
  int m = s.vars.m;
  pv.method = ws.get<double>(kMethod, m);
  pv.ncat = ws.get<int>(kNcat, m);
  pv.ncat_eff = ws.get<int>(kNcatEffective, m);
  pv.miss_code = ws.get<int>(kMissingCode, m);
  pv.ndistinct = ws.get<int>(kDistinct, m);
  ctx.zero_variance = ws.get<double>(kZeroVariance, m);
  if (f.failed()) return;

  if (!syntax::parse_remaining(s) || f.failed()) return;
  const syntax::CommandSettings& settings = s;  // final from here on
  const DataOptions opt = desc.data_options(settings);
  m = settings.vars.m;
  ctx.desc = &desc;
  ctx.settings = &settings;
  ctx.ws = &ws;
  ctx.m = m;
  ctx.m_a = settings.vars.m_a;
  for (int j = 0; j < m; ++j) {
    const auto uj = static_cast<std::size_t>(j);
    pv.method[j] = uj < settings.discr.method.size() ? settings.discr.method[uj] : 0;
    pv.ncat[j] = uj < settings.discr.ncat.size() ? settings.discr.ncat[uj] : 0;
    pv.ncat_eff[j] = uj < settings.discr.ncat_effective.size() ? settings.discr.ncat_effective[uj] : pv.ncat[j];
    pv.miss_code[j] = uj < settings.missing.code.size() ? settings.missing.code[uj] : opt.default_missing;
  }
  cmd.plan = desc.plan(ctx);
  ctx.plan = cmd.plan.get();
  f.at_close([&ctx] {
    if (ctx.output_file != 0) H().files.SFCLDE(ctx.output_file);
  });
  if (!cmd.plan->prepare(ctx) || f.failed()) return;

  // First data pass.
  h.cases.OBINIT(desc.saved_variables(settings));
  pv.tables = ws.get<int>(kTableHandles, m);
  if (f.failed()) return;
  std::fill(pv.tables, pv.tables + m, 0);
  f.at_close([tables = pv.tables, m] { data::close_value_tables(tables, m); });
  if (!data::open_value_tables(settings.vars.variables.data(), m, pv.tables)) return;
  bool pass_error = false;
  ctx.n_read = data::first_data_pass(settings.vars.variables.data(), m, pv.tables, pv.ndistinct, pass_error);
  if (pass_error || f.failed()) return;
  ctx.value_tables = pv.tables;
  if (ctx.n_read < 3) {
    frame::error(desc.keys.max_observations);
    return;
  }

  // The runs of the procedure's plan.
  while (cmd.plan->next(ctx)) {
    if (ctx.first_run) {
      if (!prepare_data(ctx, f, pv, opt)) return;
      ctx.discr_method = pv.method;
      ctx.discr_ncat = pv.ncat_eff;
      ctx.missing_code = pv.miss_code;
      ctx.zero_variance_count = data::zero_variance_check(ctx.book, settings.vars.variables.data(), ctx.m_a,
                                                          desc.keys.zero_variance, desc.keys.zero_variance_list,
                                                          ctx.zero_variance);
      if (f.failed()) return;
    }
    if (!desc.analysis(ctx) || f.failed()) return;
    if (h.num.ATNJMP()) return;
  }
}

}  // namespace

bool PassSamplePlan::next(RunContext& ctx) {
  if (!started_) {
    started_ = true;
    ctx.pass = 1;
    ctx.sample = 0;
  } else if (++ctx.sample >= ctx.samples) {
    if (++ctx.pass > passes_) return false;
    ctx.sample = 0;
  }
  ctx.passes = passes_;
  ctx.final_pass = ctx.pass == passes_;
  ctx.samples = ctx.pass == 1 ? first_samples_ : 1;
  ctx.first_run = ctx.pass == 1 && ctx.sample == 0;
  ctx.final_run = ctx.sample == ctx.samples - 1;
  return true;
}

void run(const ProcedureDescriptor& desc) {
  Command cmd;  // outlives the frame, whose closing steps read it
  frame::ProcedureFrame f({desc.title, desc.routine});
  f.run([&] { command(desc, f, cmd); });
}

}  // namespace oscat::driver
