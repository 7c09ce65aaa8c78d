// Shared pieces of the CATPCA / MULTIPLE CORRESPONDENCE output: the view of
// the solution that tables and charts read, message helpers, and the table
// and chart writers, one file per group (output*.cpp).
#pragma once

#include <algorithm>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "catpca/output.hpp"
#include "catpca/solution.hpp"
#include "frame/messages.hpp"
#include "host/host.hpp"

namespace oscat::catpca::out {

using host::Axis;
using host::CellRef;
using host::H;
using host::Msg;
namespace sx = syntax;

// Table identifiers (declared by the driver).
enum : int { kIdHistory = 6, kIdSummary = 7, kIdQuant = 9, kIdVaf = 10, kIdLoadings = 11,
             kIdRotation = 12, kIdObjects = 14 };

using frame::composite;
using frame::key;
inline Msg lit(std::string_view t) { return frame::text(t); }
inline Msg num(long v) { return frame::integer(v); }
inline std::string pk(const OutputInput& in, std::string_view rest) { return std::string(in.pre) + " " + std::string(rest); }

inline const host::Format kGen = host::BP_FIXED_FORMAT(3);

struct View {
  const OutputInput& in;
  const driver::RunContext& ctx;
  const sx::CommandSettings& s;
  const Shown& sh;
  int n, m, p, K;
  double M;  // active variables with their weights
  bool weighted;

  explicit View(const OutputInput& i)
      : in(i), ctx(*i.ctx), s(*i.ctx->settings), sh(*i.shown), n(sh.n), m(sh.m), p(sh.p), K(sh.kmax),
        M(s.vars.active_weight_sum), weighted(H().cases.weight_variable() != 0) {}

  int var(int j) const { return s.vars.variables[static_cast<std::size_t>(j)]; }
  bool active(int j) const { return in.suppl[j] == 0; }
  bool multiple(int j) const { return in.multiple[j] != 0; }
  double weight(int j) const { return in.agg[j].w; }
  bool fixed() const { return s.config.fixed(); }
  double X(int i, int s_) const { return sh.X[i + static_cast<long>(s_) * n]; }
  double A(int j, int s_) const { return sh.A[s_ + static_cast<long>(j) * p]; }
  double q(int j, int c) const { return sh.q[c + static_cast<long>(j) * K]; }
  double Y(int j, int c, int s_) const { return sh.Y[c + static_cast<long>(s_) * K + static_cast<long>(j) * K * p]; }
  double vafc(int j, int s_) const { return sh.vafc[s_ + static_cast<long>(j) * p]; }
  double vafv(int j, int s_) const { return sh.vafv[s_ + static_cast<long>(j) * p]; }
  bool any_weight() const {
    for (int j = 0; j < m; ++j)
      if (weight(j) != 1) return true;
    return false;
  }
  // Plotted pair of dimensions (NDIM), 0-based.
  std::pair<int, int> dims() const {
    int a = s.plot.ndim_lo > 0 ? s.plot.ndim_lo - 1 : 0;
    int b = s.plot.ndim_hi > 0 ? s.plot.ndim_hi - 1 : 1;
    if (a >= p || b >= p || a == b) return {0, 1};
    return {a, b};
  }
};

// Labels of the categories of variable j: value labels of the original
// values behind each category ("^1 - ^2" for a range), "Extra Category".
std::vector<Msg> category_labels(const View& v, int j);
// Dimension categories 1..p in `dim`; returns the first id.
int dimension_cells(int dim, int p);
// Row label of object i: its case number, or its category label on analysis
// variable `lab` (labels from category_labels).
Msg object_label(const View& v, int i, int lab, const std::vector<Msg>& labels);
// Whether object i entered the analysis, was only placed in it, or has no score.
enum class ObjState { Active, Supplementary, Excluded };
ObjState object_state(const View& v, int i);

// Tables (output.cpp).
void history_table(const View& v);
// With `rot`, the tables of the rotated solution ("... Rotation").
void summary_table(const View& v, const RotationResult* rot = nullptr);
void vaf_table(const View& v, const RotationResult* rot = nullptr);
void loadings_table(const View& v, const double* L, std::string_view title, Msg note);
// The p x p matrix of a rotation: its transformation, or the component
// correlations of an oblique one.
void rotation_table(const View& v, const double* T, Msg note,
                    std::string_view title = "Component Transformation Matrix");
// Category and object tables (output_objects.cpp).
void quantification_tables(const View& v);
void object_table(const View& v, const double* X);
// MULTIPLE CORRESPONDENCE: mass, inertia and contributions of the objects.
void object_contributions_table(const View& v, const double* X);
void correlation_table(const View& v, bool transformed);
// Bootstrap tables and ellipse charts (output_bootstrap.cpp; in.boot set).
void boot_summary_table(const View& v);
void boot_vaf_table(const View& v);
void boot_loadings_table(const View& v);
void boot_centroid_tables(const View& v);
void boot_object_table(const View& v);
void boot_charts(const View& v);
// Charts (output_charts.cpp).
void charts(const View& v);

}  // namespace oscat::catpca::out
