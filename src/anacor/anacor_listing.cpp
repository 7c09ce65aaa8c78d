// ANACOR's listing: the table, profiles, singular values, scores and
// contributions, variances and correlations, permuted tables, as plain text.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "anacor/output.hpp"

namespace oscat::anacor {
namespace {

using host::H;
using host::SYSMIS;

constexpr std::size_t kLabel = 20;   // width of the label column
constexpr std::size_t kField = 12;   // width of a number column
constexpr std::size_t kPerBlock = 6; // number columns side by side

void line(const std::string& s) { H().listing.PRTLNC(s); }
void blank() { H().listing.PUTSKP(1); }

std::string fmt(const char* f, double v) {
  if (v == SYSMIS || !std::isfinite(v)) return ".";
  char b[64];
  std::snprintf(b, sizeof b, f, v);
  return b;
}
// At most n bytes, never cutting a UTF-8 sequence.
std::string cut(const std::string& s, std::size_t n) {
  if (s.size() <= n) return s;
  while (n > 0 && (static_cast<unsigned char>(s[n]) & 0xC0) == 0x80) --n;
  return s.substr(0, n);
}
std::string ljust(const std::string& s, std::size_t w) {
  std::string t = cut(s, w - 1);
  t.append(w - t.size(), ' ');
  return t;
}
std::string rjust(const std::string& s, std::size_t w) {
  std::string t = cut(s, w - 1);
  return std::string(w - t.size(), ' ') + t;
}
inline double at(const double* m, int ld, int i, int j) { return m[static_cast<std::size_t>(j) * ld + i]; }

// Counts are printed with the fewest decimals (up to 3) that show every cell
// of the table exactly, the same number for the whole table.
int count_decimals(const corres::Analysis& a, bool allint) {
  if (allint) return 0;
  int d = 0;
  auto need = [&](double v) {
    for (double scale = std::pow(10.0, d); d < 3; scale *= 10.0) {
      const double x = v * scale;
      if (std::fabs(x - std::round(x)) <= 1e-9 * std::max(1.0, std::fabs(x))) return;
      ++d;
    }
  };
  for (std::size_t k = 0; k < static_cast<std::size_t>(a.I) * a.J; ++k) need(a.F0[k]);
  for (int i = 0; i < a.I; ++i) need(a.r0[i]);
  for (int j = 0; j < a.J; ++j) need(a.c0[j]);
  return d;
}

// A rows x columns grid of texts under column labels, in blocks of columns
// that fit the page.
void grid(const std::string& corner, const std::vector<std::string>& rlab, const std::vector<std::string>& clab,
          const std::function<std::string(std::size_t, std::size_t)>& cell) {
  for (std::size_t from = 0; from < clab.size(); from += kPerBlock) {
    const std::size_t to = std::min(clab.size(), from + kPerBlock);
    if (from > 0) blank();
    std::string head = ljust(corner, kLabel);
    for (std::size_t c = from; c < to; ++c) head += rjust(clab[c], kField);
    line(head);
    blank();
    for (std::size_t r = 0; r < rlab.size(); ++r) {
      std::string s = ljust(rlab[r], kLabel);
      for (std::size_t c = from; c < to; ++c) s += rjust(cell(r, c), kField);
      line(s);
    }
  }
}

std::string side_heading(const View& v, bool col) {
  if (v.s.table.table_mode == 1) return col ? v.s.table.col_name : v.s.table.row_name;
  return col ? "Column" : "Row";
}

void heading(const std::string& title) {
  blank();
  line(title);
  blank();
}

std::vector<int> identity(int n) {
  std::vector<int> o(static_cast<std::size_t>(n));
  for (int i = 0; i < n; ++i) o[static_cast<std::size_t>(i)] = i;
  return o;
}

}  // namespace

void list_table(const View& v, int d) {
  corres::Analysis& a = v.a;
  std::vector<int> ro = identity(a.I), co = identity(a.J);
  if (d < 0) {
    heading("The table to be analyzed:");
  } else {
    corres::ca_permutation(a, false, d);
    std::copy(a.perm, a.perm + a.I, ro.begin());
    corres::ca_permutation(a, true, d);
    std::copy(a.perm, a.perm + a.J, co.begin());
    heading("The data-matrix permuted according to the scores in dimension: " + std::to_string(d + 1));
  }
  std::vector<std::string> rlab, clab;
  for (int i : ro) rlab.push_back(v.l.row[static_cast<std::size_t>(i)]);
  rlab.push_back("Margin");
  for (int j : co) clab.push_back(v.l.col[static_cast<std::size_t>(j)]);
  clab.push_back("Margin");
  char f[16];
  std::snprintf(f, sizeof f, "%%.%df", count_decimals(a, v.allint));
  const std::size_t I = static_cast<std::size_t>(a.I), J = static_cast<std::size_t>(a.J);
  grid(side_heading(v, false), rlab, clab, [&](std::size_t r, std::size_t c) {
    if (r == I && c == J) return fmt(f, a.N);
    if (r == I) return fmt(f, a.c0[co[c]]);
    if (c == J) return fmt(f, a.r0[ro[r]]);
    return fmt(f, at(a.F0, a.I, ro[r], co[c]));
  });
}

void list_profiles(const View& v) {
  const corres::Analysis& a = v.a;
  const std::size_t I = static_cast<std::size_t>(a.I), J = static_cast<std::size_t>(a.J);
  // A profile is only taken of a row (column) whose margin is not about 0.
  auto share = [](double x, double margin) { return std::fabs(margin) > 0.0001 ? x / margin : 0.0; };
  if (v.s.print[R_RPROFILE]) {
    heading("The Rowprofiles:");
    std::vector<std::string> rlab(v.l.row), clab(v.l.col);
    rlab.push_back("Margin");
    grid(side_heading(v, false), rlab, clab, [&](std::size_t r, std::size_t c) {
      if (r == I) return fmt("%.4f", a.c0[c] / a.N);
      return fmt("%.4f", share(at(a.F0, a.I, static_cast<int>(r), static_cast<int>(c)), a.r0[r]));
    });
  }
  if (v.s.print[R_CPROFILE]) {
    // One line per column: its profile over the rows.
    heading("The Columnprofiles:");
    std::vector<std::string> rlab(v.l.col), clab(v.l.row);
    rlab.push_back("Margin");
    grid(side_heading(v, true), rlab, clab, [&](std::size_t r, std::size_t c) {
      if (r == J) return fmt("%.4f", a.r0[c] / a.N);
      return fmt("%.4f", share(at(a.F0, a.I, static_cast<int>(c), static_cast<int>(r)), a.c0[r]));
    });
  }
}

void banner() {
  auto& l = H().listing;
  l.PUTCPG();
  l.PUTTAB("ANACOR");
  line("Correspondence Analysis");
}

void list_independent() {
  blank();
  line("NOTE: Rows and Columns are independent.");
  line("No further analyses can be performed.");
}

void list_singular_values(const View& v) {
  const corres::Analysis& a = v.a;
  blank();
  line("Dimension    Singular       Inertia       Proportion    Cumulative");
  line("              Value                        Explained    Proportion");
  blank();
  double cum = 0;
  for (int k = 0; k < a.qp; ++k) {
    const double in = a.lambda[k] * a.lambda[k];
    const double prop = a.total_inertia > 0 ? in / a.total_inertia : 0.0;
    cum += prop;
    line(rjust(std::to_string(k + 1), 5) + rjust(fmt("%.6f", a.lambda[k]), 16) + rjust(fmt("%.6f", in), 14) +
         rjust(fmt("%.3f", prop), 17) + rjust(fmt("%.3f", cum), 14));
  }
  blank();
  line("Total" + std::string(16, ' ') + rjust(fmt("%.6f", a.total_inertia), 14) + rjust(fmt("%.3f", cum), 17) +
       rjust(fmt("%.3f", cum), 14));
}

void list_points(const View& v, bool col) {
  const corres::Analysis& a = v.a;
  const Settings& s = v.s;
  const bool scores = s.print[col ? R_CSCORES : R_RSCORES];
  const bool contrib = s.print[col ? R_CCONTRIB : R_RCONTRIB];
  if (!scores && !contrib) return;
  const int n = col ? a.J : a.I, p = a.p;
  const auto& lab = col ? v.l.col : v.l.row;
  const char* side = col ? "column" : "row";
  std::vector<std::vector<double>> sc, cp, cd;
  std::vector<corres::PointStats> st;
  std::vector<double> s1(static_cast<std::size_t>(p)), s2(s1), s3(s1);
  for (int i = 0; i < n; ++i) {
    st.push_back(corres::ca_point(a, col, i, s1.data(), s2.data(), s3.data()));
    sc.push_back(s1);
    cp.push_back(s2);
    cd.push_back(s3);
  }
  std::vector<std::string> dims;
  for (int k = 0; k < p; ++k) dims.push_back("Dim " + std::to_string(k + 1));
  const std::string corner = side_heading(v, col);
  const auto N = static_cast<std::size_t>(n);
  if (scores) {
    heading(col ? "Column Scores:" : "Row Scores:");
    std::vector<std::string> clab{"Mass"};
    clab.insert(clab.end(), dims.begin(), dims.end());
    grid(corner, lab, clab, [&](std::size_t r, std::size_t c) {
      return c == 0 ? fmt("%.4f", st[r].mass) : fmt("%.4f", sc[r][c - 1]);
    });
  }
  if (contrib) {
    heading(std::string("Contribution of ") + side + " points to the inertia of each dimension:");
    std::vector<std::string> rlab(lab);
    rlab.push_back("Total");
    std::vector<double> total(static_cast<std::size_t>(p), 0.0);
    for (int i = 0; i < n; ++i)
      if (!st[static_cast<std::size_t>(i)].missing)
        for (int k = 0; k < p; ++k) total[static_cast<std::size_t>(k)] += cp[static_cast<std::size_t>(i)][static_cast<std::size_t>(k)];
    grid(corner, rlab, dims, [&](std::size_t r, std::size_t c) {
      return fmt("%.4f", r == N ? total[c] : cp[r][c]);
    });
    heading(std::string("Contribution of dimensions to the inertia of each ") + side + " point:");
    std::vector<std::string> clab(dims);
    clab.push_back("Total");
    grid(corner, lab, clab, [&](std::size_t r, std::size_t c) {
      return fmt("%.4f", c == static_cast<std::size_t>(p) ? st[r].total : cd[r][c]);
    });
  }
}

namespace {

// Variances (the diagonal) and correlations (lower triangle) of one packed
// covariance block; `alone` lists the variances only.
void covariance_block(const corres::Analysis& a, int b, bool alone, bool missing) {
  const int p = a.p;
  line(alone ? "Dim Variances" : "Dim Variances           Correlations between dimensions");
  blank();
  auto cov = [&](int k, int l) { return missing ? SYSMIS : a.cov[corres::cov_index(p, b, k, l)]; };
  for (int k = 0; k < p; ++k) {
    const double vk = cov(k, k);
    std::string s = rjust(std::to_string(k + 1), 3) + rjust(fmt("%.7f", vk), 11);
    if (!alone) {
      s = ljust(s, 22);
      for (int l = 0; l <= k; ++l) {
        const double vl = cov(l, l);
        const double r = vk > 0 && vl > 0 && !missing ? cov(k, l) / std::sqrt(vk * vl) : SYSMIS;
        s += rjust(fmt("%.3f", r), 8);
      }
    }
    line(s);
  }
}

}  // namespace

void list_variances(const View& v) {
  const corres::Analysis& a = v.a;
  const Settings& s = v.s;
  if (s.variance[V_SINGULAR]) {
    heading("Variances and Correlation Matrix of the singular values:");
    covariance_block(a, 0, false, false);
  }
  for (int side = 0; side < 2; ++side) {
    const bool col = side == 1;
    if (!s.variance[col ? V_COLUMN : V_ROW]) continue;
    const int n = col ? a.J : a.I;
    for (int i = 0; i < n; ++i) {
      const double mass = col ? a.c0[i] : a.r0[i];
      const std::string who = std::string(col ? "Column " : "Row ") + (col ? v.l.col : v.l.row)[static_cast<std::size_t>(i)];
      const bool empty = mass == 0;
      heading(empty ? "Variances of the scores of " + who + ":"
                    : "Variances and Correlation Matrix of scores of " + who + ":");
      covariance_block(a, 1 + (col ? a.I : 0) + i, empty, empty);
    }
  }
}

}  // namespace oscat::anacor
