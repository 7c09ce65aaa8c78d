// CORRESPONDENCE: workspace, the table from cases or from a matrix, the run
// of the computation and its checks.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <unordered_set>
#include <vector>

#include "corres/corres.hpp"
#include "corres/corres_msg.hpp"
#include "corres/corres_output.hpp"
#include "corres/table.hpp"
#include "frame/workspace.hpp"

namespace oscat::corres {
namespace {

using host::H;

void report_memory_need(double bytes) {
  auto [amount, unit] = H().workspace.MEMALU(bytes);
  std::string line = "CORRES has allocated .............";
  const std::string fill = amount + " " + unit;
  const std::size_t dots = line.find('.');
  if (fill.size() <= line.size() - dots)
    line.replace(line.size() - fill.size(), fill.size(), fill);
  else
    line = line.substr(0, dots) + fill;
  H().listing.PRTLNC(line + " of memory.");
  H().workspace.SHOMEM();
  report("Insufficient memory.", 2, 3);
}

// The host's missing-value test, asked only of variables that have
// user-missing values (SYSMIS is always missing).
struct MissingTest {
  int var;
  bool user;
  explicit MissingTest(int v) : var(v), user(!H().dict.DICGET(v).missing.empty()) {}
  bool operator()(double x) const { return host::is_sysmis(x) || (user && H().cases.QAMISS(var, x)); }
};

// The table from two variables: weighted counts of the cases in range.
bool build_from_cases(const Settings& s, double* F) {
  auto& cs = H().cases;
  const int I = s.nrow;
  std::fill(F, F + static_cast<std::size_t>(s.nrow) * s.ncol, 0.0);
  bool warned = false;
  cs.OBINIT(0);
  // The three columns the table needs, read whole.
  const int n = cs.OBCOUNT();
  std::vector<double> rows(static_cast<std::size_t>(n)), cols(static_cast<std::size_t>(n)),
      weights(static_cast<std::size_t>(n));
  cs.OBCOLUMN(s.row_var, rows.data());
  cs.OBCOLUMN(s.col_var, cols.data());
  cs.OBCASES(weights.data(), nullptr);
  const MissingTest row_missing(s.row_var), col_missing(s.col_var);
  bool ok = true, any = false;
  for (int k = 0; k < n; ++k) {
    const double rv = rows[static_cast<std::size_t>(k)], cv = cols[static_cast<std::size_t>(k)];
    if (row_missing(rv) || col_missing(cv)) continue;
    if (!std::isfinite(rv) || !std::isfinite(cv)) continue;
    const double rt = std::trunc(rv), ct = std::trunc(cv);
    if ((rt != rv || ct != cv) && !warned) {
      report("Correspondence table not integer.", 2, 2);
      warned = true;
    }
    if (rt < s.row_min || rt > s.row_max || ct < s.col_min || ct > s.col_max) continue;
    const double w = weights[static_cast<std::size_t>(k)];
    if (!(w < 2147483647.0)) {
      report("Applied weight too large.", 2, 3);
      ok = false;
      break;
    }
    const std::size_t i = static_cast<std::size_t>(rt - s.row_min), j = static_cast<std::size_t>(ct - s.col_min);
    F[j * I + i] += w;
    any = true;
  }
  if (ok && !any) {
    // Otherwise the empty table would only be called "independent".
    frame::report("Empty correspondence table ^1 ^2 ^3 ^4 ^5 ^6.",
                  {text_param(s.row_name), int_param(static_cast<long>(s.row_min)), int_param(static_cast<long>(s.row_max)),
                   text_param(s.col_name), int_param(static_cast<long>(s.col_min)), int_param(static_cast<long>(s.col_max))},
                  3, 2);
    return false;
  }
  return ok;
}

// The table read as a matrix: case i, variable j. Each variable's column
// goes straight into the table's column.
bool build_from_matrix(const Settings& s, double* F, double* rowcat) {
  auto& cs = H().cases;
  const int I = s.nrow, J = s.ncol;
  if (s.nmatrix_vars < J) {
    report("Matrix has fewer columns than specified.", 2, 3);
    return false;
  }
  cs.OBINIT(0);
  const int n = cs.OBCOUNT();
  if (n < I) {
    report("Matrix has fewer rows than specified.", 2, 3);
    return false;
  }
  // ROWCAT first: a repeated value ends the reading at its row, so only the
  // rows up to it are looked at for missing values (as a case loop would).
  std::vector<double> col(static_cast<std::size_t>(n));
  int rows = I;
  bool ok = true;
  if (s.rowcat_var != 0) {
    cs.OBCOLUMN(s.rowcat_var, col.data());
    std::unordered_set<double> seen;  // equal as doubles compare (0 and -0 alike)
    seen.reserve(static_cast<std::size_t>(I));
    for (int i = 0; i < I; ++i) {
      rowcat[i] = col[static_cast<std::size_t>(i)];
      if (!seen.insert(rowcat[i]).second) {
        rows = i + 1;
        ok = false;
        break;
      }
    }
  }
  bool warned = false;
  for (int j = 0; j < J; ++j) {
    const int var = s.matrix_vars[j];
    double* Fj = F + static_cast<std::size_t>(j) * I;
    if (H().dict.DICGET(var).is_string()) {
      std::fill(Fj, Fj + rows, 0.0);
      if (rows > 0 && !warned) report("Matrix has missing values.", 2, 2);
      warned = warned || rows > 0;
      continue;
    }
    cs.OBCOLUMN(var, col.data());
    const MissingTest missing(var);
    for (int i = 0; i < rows; ++i) {
      double v = col[static_cast<std::size_t>(i)];
      if (missing(v)) {
        if (!warned) report("Matrix has missing values.", 2, 2);
        warned = true;
        v = 0;
      }
      Fj[i] = v;
    }
  }
  if (!ok) report("non-unique ROWCAT value.", 2, 3);
  return ok;
}

}  // namespace

bool build_table(const Settings& s, double* F, double* rowcat, bool& allint) {
  const bool ok = s.table_mode == 1 ? build_from_cases(s, F) : build_from_matrix(s, F, rowcat);
  if (!ok || H().msg.error_flag()) return false;
  bool negative = false, nonfinite = false;
  allint = true;
  for (std::size_t e = 0; e < static_cast<std::size_t>(s.nrow) * s.ncol; ++e) {
    const double v = F[e];
    if (!std::isfinite(v)) nonfinite = true;
    else if (v < 0) negative = true;
    else if (v != std::trunc(v)) allint = false;
  }
  if (nonfinite) {
    report("Matrix has values that are not finite.", 2, 3);
    return false;
  }
  if (negative) {
    report("Matrix has negative values.", 2, 3);
    return false;
  }
  return true;
}

double* allocate_analysis(frame::Workspace& blocks, Analysis& a, const Sizes& z, int I, int J, int q, int p,
                          std::size_t a_size, std::size_t ubuf_size) {
  const std::size_t big = static_cast<std::size_t>(std::max(I, J));
  a.I = I;
  a.J = J;
  a.F = blocks.get<double>(z.F);
  a.F0 = blocks.get<double>(z.F);
  a.S = blocks.get<double>(z.F);
  a.P = blocks.get<double>(z.F);
  a.A = blocks.get<double>(a_size);
  a.X = blocks.get<double>(z.vecR);
  a.Y = blocks.get<double>(z.vecC);
  a.ubuf = blocks.get<double>(std::max(z.ubuf, ubuf_size));
  a.vbuf = blocks.get<double>(z.vbuf);
  a.svdwork = blocks.get<double>(z.svdwork);
  a.cov = blocks.get<double>(z.cov);
  a.scratch = blocks.get<double>(static_cast<std::size_t>(p) + big * p);
  a.r = blocks.get<double>(I);
  a.r0 = blocks.get<double>(I);
  a.rowin = blocks.get<double>(I);
  double* rowcat = blocks.get<double>(I);
  a.c = blocks.get<double>(J);
  a.c0 = blocks.get<double>(J);
  a.colin = blocks.get<double>(J);
  a.lambda = blocks.get<double>(q);
  a.keys = blocks.get<double>(big);
  a.gsizeR = blocks.get<int>(I);
  a.gsizeC = blocks.get<int>(J);
  a.perm = blocks.get<int>(big);
  return rowcat;
}

void run_analysis(Settings& s) {
  const int I = s.nrow, J = s.ncol;
  const bool want_points = s.print[P_RCONFIDE] || s.print[P_CCONFIDE] || s.out_variance;
  const int Ia = I - s.nsuprow, Ja = J - s.nsupcol;
  const int q = std::max(1, std::min(Ia, Ja));
  const int nvec = want_points ? q : std::min(s.ndim, q);
  const int p = std::max(1, s.ndim);

  // Sizes in bytes, in double precision so that a huge range cannot overflow.
  const double dI = I, dJ = J, dq = q, dbig = std::max(Ia, Ja), dnv = std::max(nvec, 1);
  const double mat = dI * dJ * 8;
  const double sizes[] = {mat /*F*/,        mat /*F0*/,         mat /*S*/,          mat /*P*/,
                          dbig * std::min(Ia, Ja) * 8 /*A*/,    dI * dq * 8,        dJ * dq * 8,
                          dbig * dnv * 8,   dq * dnv * 8,       (dbig + 4 * dq + dq * dq + 2 * dq * dnv + 14 * dq) * 8,
                          (dI + dJ + 1) * p * (p + 1) / 2 * 8,  (p + std::max(dI, dJ) * p) * 8,
                          dI * 8 * 4,       dJ * 8 * 4,         std::max(dI, dJ) * 12};
  double total = 0;
  bool too_big = false;
  for (double b : sizes) {
    total += b;
    too_big = too_big || b > 2147483647.0;
  }
  // The run's arrays, released together on every way out; a shortfall is
  // reported with the amount the run needs.
  frame::Workspace blocks;
  Analysis a;
  double* rowcat = nullptr;
  if (!too_big) {
    Sizes z = analysis_sizes(I, J, s.nsuprow, s.nsupcol, nvec, p);
    rowcat = allocate_analysis(blocks, a, z, I, J, q, p, static_cast<std::size_t>(Ia) * Ja,
                               want_points ? static_cast<std::size_t>(std::max(I, J)) * p : 0);
  }
  if (too_big || blocks.failed()) {
    blocks.release_all();
    report_memory_need(total);
    return;
  }

  // The table.
  bool ok = s.table_mode == 1 ? build_from_cases(s, a.F) : build_from_matrix(s, a.F, rowcat);
  if (!ok || H().msg.error_flag()) return;
  bool allint = true, negative = false, nonfinite = false;
  for (std::size_t e = 0; e < static_cast<std::size_t>(I) * J; ++e) {
    const double v = a.F[e];
    if (!std::isfinite(v)) nonfinite = true;
    else if (v < 0) negative = true;
    else if (v != std::trunc(v)) allint = false;
  }
  if (nonfinite) {
    report("Matrix has values that are not finite.", 2, 3);
    return;
  }
  if (negative) {
    report("Matrix has negative values.", 2, 3);
    return;
  }

  // Plot ranges against the number of dimensions.
  if (!s.plot_none) {
    if (s.plot_last == 0) s.plot_last = s.ndim;
    if (s.ndim > 1) {
      if (s.plot_first > s.ndim) {
        s.plot_first = s.ndim;
        report1("Plot min reduced to ^1 dimensions.", int_param(s.ndim), 2, 2);
      }
      if (s.plot_last > s.ndim) {
        s.plot_last = s.ndim;
        report1("Plot max reduced to ^1 dimensions.", int_param(s.ndim), 2, 2);
      }
    }
  }
  if (s.ndim < 2 && (s.plot[G_RPOINTS] || s.plot[G_CPOINTS] || s.plot[G_BIPLOT])) {
    report("One valid plot dimension.", 2, 2);
    s.plot_last = 1;
  }

  a.p = s.ndim;
  a.measure = s.measure;
  a.standardize = s.standardize;
  a.rpow = s.rpow;
  a.cpow = s.cpow;
  a.alpha = s.alpha;
  a.principal = s.principal;
  // Flags are optional in the settings; zero-filled stand-ins keep the steps simple.
  a.suprow = s.suprow;
  a.supcol = s.supcol;
  a.eqrow = s.eqrow;
  a.eqcol = s.eqcol;

  Labels labels;
  make_labels(s, rowcat, labels);

  if (ca_margins(a) != 0) {
    report("Independent rows and columns.", 2, 2);
    return;
  }
  ca_merge_equal(a);
  ca_standardize_center(a);
  ca_decompose(a, nvec);

  // A group member with an empty margin cannot carry its group's mean.
  bool margin0 = false;
  for (int i = 0; i < I && !margin0; ++i) margin0 = s.eqrow && s.eqrow[i] != 0 && a.r0[i] == 0;
  for (int j = 0; j < J && !margin0; ++j) margin0 = s.eqcol && s.eqcol[j] != 0 && a.c0[j] == 0;
  if (margin0) report("EQUAL has margin 0.", 2, 3);

  Output out(s, a, labels, allint);
  if (s.print[P_TABLE]) out.correspondence_table(-1);
  if (s.print[P_RPROFILE]) out.row_profiles();
  if (s.print[P_CPROFILE]) out.column_profiles();

  const int flags = ca_check_dims(a);
  if (flags & 1) report1("Too many dimensions ^1.", int_param(std::min(a.Iact, a.Jact) - 1), 2, 2);
  if (flags & 4) {
    report("Independent rows and columns.", 2, 2);
    return;
  }
  if (flags & 2) report1("Dimensions reduced to ^1.", int_param(a.qp), 2, 2);
  if (!s.plot_none) {
    if (s.plot_first > a.p) {
      s.plot_first = a.p;
      report1("Plot min reduced to ^1 dimensions.", int_param(a.p), 2, 2);
    }
    if (s.plot_last > a.p) {
      s.plot_last = a.p;
      report1("Plot max reduced to ^1 dimensions.", int_param(a.p), 2, 2);
    }
    if (s.plot_first == s.plot_last && (s.plot[G_RPOINTS] || s.plot[G_CPOINTS] || s.plot[G_BIPLOT])) {
      report("One requested plot dimension.", 2, 2);
      s.plot[G_RPOINTS] = s.plot[G_CPOINTS] = s.plot[G_BIPLOT] = false;
    }
  }
  if (s.nperm > a.p) s.nperm = a.p;

  ca_coordinates(a);
  ca_confidence(a, want_points, want_points);
  ca_scores(a);
  ca_summary(a);

  if (s.out_scores && !H().msg.error_flag()) out.score_file();
  if (s.out_variance) out.variance_file();
  out.summary();
  if (s.print[P_RPOINTS]) out.overview(false);
  if (s.print[P_CPOINTS]) out.overview(true);
  if (s.print[P_RCONFIDE]) out.confidence(false);
  if (s.print[P_CCONFIDE]) out.confidence(true);
  out.charts();
  if (s.print[P_PERMUTAT])
    for (int d = 0; d < s.nperm; ++d) out.correspondence_table(d);
}

}  // namespace oscat::corres

