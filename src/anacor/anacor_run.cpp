// ANACOR's run: workspace, the table, CORRESPONDENCE's computation with every
// row and column active, the dimension and plot checks, then the listing, the
// matrix files and the charts.
#include <algorithm>
#include <cmath>
#include <string>

#include "anacor/anacor.hpp"
#include "anacor/output.hpp"
#include "corres/corres_output.hpp"
#include "corres/table.hpp"
#include "frame/messages.hpp"
#include "frame/workspace.hpp"
#include "homals/shared.hpp"

namespace oscat::anacor {
namespace {

using host::H;
using older::number;

// "ANACOR has allocated ............." with the amount over the dots, then
// the host's workspace note and "Insufficient memory.".
void report_memory_need(double bytes, frame::Workspace& blocks) {
  auto [amount, unit] = H().workspace.MEMALU(bytes);
  std::string line = "ANACOR has allocated .............";
  const std::string fill = amount + " " + unit;
  const std::size_t dots = line.find('.');
  if (fill.size() <= line.size() - dots)
    line.replace(line.size() - fill.size(), fill.size(), fill);
  else
    line = line.substr(0, dots) + fill;
  H().listing.PRTLNC(line + " of memory.");
  H().workspace.SHOMEM();
  blocks.report_shortfall();
}

void add_file_note(int handle, const char* contents) {
  const std::string path = H().files.path(handle);
  if (!path.empty()) H().pivot.add_note(frame::key("Files Saved"), frame::text(path), frame::key(contents));
}

}  // namespace

void run(Settings& s) {
  corres::Settings& t = s.table;
  const int I = t.nrow, J = t.ncol;
  const bool want_rows = s.variance[V_ROW] || t.out_variance;
  const bool want_cols = s.variance[V_COLUMN] || t.out_variance;
  const int q = std::max(1, std::min(I, J));
  // The point covariances need every vector pair; otherwise p suffice.
  const int nvec = want_rows || want_cols ? q : std::min(t.ndim, q);
  const int p = std::max(1, t.ndim);

  // Sizes in bytes, in double precision so that a huge range cannot overflow.
  const double dI = I, dJ = J, dq = q, dbig = std::max(I, J), dnv = std::max(nvec, 1);
  const double mat = dI * dJ * 8;
  const double sizes[] = {mat /*F*/, mat /*F0*/, mat /*S*/, mat /*P*/, dbig * dq * 8 /*A*/, dI * dq * 8, dJ * dq * 8,
                          std::max(dbig * dnv, dbig * p) * 8, dq * dnv * 8,
                          (dbig + 4 * dq + dq * dq + 2 * dq * dnv + 14 * dq) * 8,
                          (dI + dJ + 1) * p * (p + 1) / 2 * 8, (p + dbig * p) * 8, dI * 8 * 4, dJ * 8 * 4,
                          dbig * 12};
  double total = 0;
  bool too_big = false;
  for (double b : sizes) {
    total += b;
    too_big = too_big || b > 2147483647.0;
  }
  frame::Workspace blocks;
  corres::Analysis a;
  double* rowcat = nullptr;
  if (!too_big) {
    const corres::Sizes z = corres::analysis_sizes(I, J, 0, 0, nvec, p);
    rowcat = corres::allocate_analysis(blocks, a, z, I, J, q, p, z.F, static_cast<std::size_t>(std::max(I, J)) * p);
  }
  if (too_big || blocks.failed()) {
    blocks.release_all();
    report_memory_need(total, blocks);
    if (too_big) frame::error("Insufficient memory.");
    return;
  }

  bool allint = true;
  if (!corres::build_table(t, a.F, rowcat, allint)) return;
  a.p = t.ndim;
  a.rpow = t.rpow;
  a.cpow = t.cpow;
  a.alpha = t.alpha;
  a.principal = t.principal;
  corres::Labels labels;
  corres::make_labels(t, rowcat, labels);
  const View v{s, a, labels, allint};
  banner();

  if (corres::ca_margins(a) != 0) {
    // An empty table: nothing to profile or decompose.
    if (s.print[R_TABLE]) list_table(v, -1);
    list_independent();
    return;
  }
  corres::ca_merge_equal(a);
  corres::ca_standardize_center(a);
  corres::ca_decompose(a, nvec);

  if (s.print[R_TABLE]) list_table(v, -1);
  if (s.print[R_RPROFILE] || s.print[R_CPROFILE]) list_profiles(v);

  // The parser has kept the dimensions below min(I, J), so only the
  // tolerance can lower them here.
  const int flags = corres::ca_check_dims(a);
  if (flags & 4) {
    list_independent();
    return;
  }
  auto& l = H().listing;
  if (!s.plot_none && a.qp < s.plot_first) {
    l.PUTSKP(1);
    l.PRTLNC("NOTE: No solution has been found in specified dimensions.");
  }
  if (flags & 2) {
    l.PUTSKP(1);
    l.PRTLNC(">The number of dimensions has been reduced because the data");
    l.PRTLNC(">cannot support the requested number (some singular values ");
    l.PRTLNC(">are approximately equal to zero)");
  }
  if (!s.plot_none) {
    if (s.plot_last == 0) s.plot_last = a.p;
    bool lowered = false;
    if (s.plot_last > a.p) {
      number(17946, 2, 2, {std::to_string(s.plot_last), std::to_string(a.p)});
      s.plot_last = a.p;
      lowered = true;
    }
    if (s.plot_first > s.plot_last || (s.plot_last <= s.plot_first && (lowered || s.ndim_given))) {
      number(17945, 2, 2, {std::to_string(s.plot_first), std::to_string(s.plot_last)});
      s.plot_first = 1;
      s.plot_last = std::min(a.p, 2);
    }
  }

  corres::ca_coordinates(a);
  corres::ca_confidence(a, want_rows, want_cols);
  corres::ca_scores(a);
  corres::ca_summary(a);

  list_singular_values(v);
  list_points(v, false);
  list_points(v, true);
  list_variances(v);
  if (s.print[R_PERMUTAT])
    for (int d = 0; d < a.p; ++d) list_table(v, d);

  corres::Output files(t, a, labels, allint);
  if (t.out_scores && !H().msg.error_flag()) {
    files.score_file();
    if (!H().msg.error_flag()) add_file_note(t.scores_handle, "Score Matrix File");
  }
  if (t.out_variance && !H().msg.error_flag()) {
    files.variance_file();
    if (!H().msg.error_flag()) add_file_note(t.variance_handle, "Variance Matrix File");
  }
  if (!s.plot_none) charts(v);
}

}  // namespace oscat::anacor
