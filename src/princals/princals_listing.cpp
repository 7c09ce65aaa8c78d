// PRINCALS listing: every section as fixed-width text lines, the
// low-resolution plots, the charts, the saved object scores and the matrix
// file.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

#include "frame/messages.hpp"
#include "frame/workspace.hpp"
#include "homals/shared.hpp"
#include "princals/analysis.hpp"
#include "scaling/linalg.hpp"

namespace oscat::princals {
namespace {

using host::H;

const char* const kLevelName[] = {"MULTIPLE NOMINAL", "SINGLE NOMINAL", "ORDINAL", "NUMERICAL"};
// Categories per line of the marginal frequencies.
constexpr int kFreqColumns = 10;

std::string fmt(const char* f, double v) {
  char b[64];
  std::snprintf(b, sizeof b, f, v);
  return b;
}
std::string pad(std::string s, std::size_t w) {
  if (s.size() < w) s.append(w - s.size(), ' ');
  return s;
}
std::string name(int v) { return H().dict.DICGET(v).name; }

// One point of a low-resolution plot.
struct TextPoint {
  char symbol;
  double x, y;
};

// A character plot of dimension 1 (across) by dimension 2 (up): 61 columns
// by 25 lines, axes through 0, each point its symbol; points that share a
// position show as '*'. With `counts` a position shows how many objects it
// holds (1-9, '*' for more).
void text_plot(const std::string& title, const std::vector<TextPoint>& pts, bool counts) {
  constexpr int W = 61, Hgt = 25;
  double x0 = 0, x1 = 0, y0 = 0, y1 = 0;
  for (const auto& t : pts) {
    x0 = std::min(x0, t.x), x1 = std::max(x1, t.x);
    y0 = std::min(y0, t.y), y1 = std::max(y1, t.y);
  }
  if (x1 - x0 <= 0) x1 = x0 + 1;
  if (y1 - y0 <= 0) y1 = y0 + 1;
  auto col = [&](double x) { return static_cast<int>(std::lround((x - x0) / (x1 - x0) * (W - 1))); };
  auto row = [&](double y) { return static_cast<int>(std::lround((y1 - y) / (y1 - y0) * (Hgt - 1))); };
  std::vector<std::string> grid(Hgt, std::string(W, ' '));
  const int cx = col(0), ry = row(0);
  for (int r = 0; r < Hgt; ++r) grid[static_cast<std::size_t>(r)][static_cast<std::size_t>(cx)] = '|';
  for (int c = 0; c < W; ++c) grid[static_cast<std::size_t>(ry)][static_cast<std::size_t>(c)] = '-';
  grid[static_cast<std::size_t>(ry)][static_cast<std::size_t>(cx)] = '+';
  std::vector<int> n(static_cast<std::size_t>(W * Hgt), 0);
  for (const auto& t : pts) {
    const int r = row(t.y), c = col(t.x);
    int& k = n[static_cast<std::size_t>(r * W + c)];
    ++k;
    char& g = grid[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)];
    if (counts) g = k <= 9 ? static_cast<char>('0' + k) : '*';
    else g = k == 1 ? t.symbol : '*';
  }
  line("");
  line(title);
  line("");
  line("Dimension 2 (vertical) by Dimension 1 (horizontal)");
  line(fmt("%10.2f", y1) + " +" + std::string(W, '-') + "+");
  for (int r = 0; r < Hgt; ++r) line(std::string(10, ' ') + " |" + grid[static_cast<std::size_t>(r)] + "|");
  line(fmt("%10.2f", y0) + " +" + std::string(W, '-') + "+");
  std::string axis = std::string(12, ' ') + fmt("%-10.2f", x0);
  axis = pad(axis, 12 + W - 8) + fmt("%10.2f", x1);
  line(axis);
}

}  // namespace

void line(const std::string& s) { H().listing.PRTLNC(s); }

void banner(const Analysis& a) {
  auto& l = H().listing;
  l.PUTCPG();
  l.PUTTAB("PRINCALS");
  line("Principal Component Analysis");
  line("");
  line("The number of observations used in the analysis = " + std::to_string(a.n));
}

void variables_listing(const Analysis& a) {
  line("");
  line("List of Variables");
  line("");
  line("Variable  Variable Label            Number of Categories  Measurement Level");
  for (int j = 0; j < a.m; ++j) {
    const auto J = static_cast<std::size_t>(j);
    const auto& info = H().dict.DICGET(a.var[J]);
    line(pad(info.name, 10) + pad(info.label.substr(0, 24), 26) + pad(fmt("%20.0f", a.K[J]), 22) +
         kLevelName[a.level[J]]);
  }
}

void frequencies_listing(const Analysis& a) {
  int kmax = 0;
  for (int K : a.K) kmax = std::max(kmax, K);
  // Ten categories to a line; more continue in further blocks.
  for (int first = 0; first == 0 || first < kmax; first += kFreqColumns) {
    line("");
    line(first == 0 ? "Marginal Frequencies" : "Marginal Frequencies (cont'd)");
    line("");
    line("Variable  Missing  Categories");
    std::string cats = pad("", 17) + "  ";
    for (int c = first; c < std::min(kmax, first + kFreqColumns); ++c) cats += fmt("%6.0f", c + 1);
    line(cats);
    for (int j = 0; j < a.m; ++j) {
      const auto J = static_cast<std::size_t>(j);
      if (first > 0 && a.K[J] <= first) continue;
      std::string s = pad(name(a.var[J]), 10) + (first == 0 ? fmt("%7.0f", a.missing[J]) : std::string(7, ' ')) + "  ";
      for (int c = first; c < std::min(a.K[J], first + kFreqColumns); ++c) s += fmt("%6.0f", a.f[a.off[J] + c]);
      line(s);
    }
  }
}

void dimension_check(int maximum) {
  line("");
  for (const char* t : {"The requested number of dimensions is", "too large with respect",
                        "to either the number of objects or to the", "number of single",
                        "variables and the number of categories of", "multiple variables."})
    line(t);
  line("The maximum appropriate number of dimensions");
  line("equals to " + fmt("%5.0f", maximum) + ".");
  line("The number of dimensions to be computed");
  line("has been set to " + fmt("%5.0f", maximum) + ".");
}

void history_head(bool initial) {
  line("");
  if (initial) {
    line(" * The History of Iterations to compute the");
    line("Initial Metric Configuration *");
  } else {
    line(" * The History of Iterations *");
  }
  line("");
  line("Itera-");
  line("tion      Total Fit    Total Loss  Multiple Loss   Single Loss  Iteration Change");
}

void history_row(int iteration, const Analysis& a, double change) {
  line(pad(std::to_string(iteration), 6) + fmt("%13.6f", a.fit) + fmt("%14.6f", a.p - a.fit) +
       fmt("%15.6f", a.mloss) + fmt("%14.6f", a.sloss) + fmt("%18.6f", change));
}

void summary_listing(const Analysis& a, bool initial) {
  const int p = a.p;
  line("");
  line(initial ? "Summary of Initial Configuration" : "Summary of Analysis");
  line("");
  std::string head = "          Multiple Fit";
  head.append(static_cast<std::size_t>(std::max(0, 9 * (p + 1) - 12)), ' ');
  head += "  Single Fit";
  line(head);
  std::string dims = "Variable  ";
  for (int s = 0; s < p; ++s) dims += fmt("%9.0f", s + 1);
  dims += " Row Sums";
  for (int s = 0; s < p; ++s) dims += fmt("%9.0f", s + 1);
  dims += " Row Sums  Single Loss";
  line(dims);
  std::vector<double> msum(static_cast<std::size_t>(p), 0.0), ssum(static_cast<std::size_t>(p), 0.0);
  for (int j = 0; j < a.m; ++j) {
    const auto J = static_cast<std::size_t>(j);
    std::string s = pad(name(a.var[J]), 10);
    double rm = 0;
    for (int t = 0; t < p; ++t) {
      const double e = a.eta[J * p + t];
      s += fmt("%9.4f", e);
      rm += e;
      msum[static_cast<std::size_t>(t)] += e / a.m;
    }
    s += fmt("%9.4f", rm);
    if (a.single(j)) {
      double rs = 0;
      for (int t = 0; t < p; ++t) {
        const double w = a.a[J * p + t];
        s += fmt("%9.4f", w * w);
        rs += w * w;
        ssum[static_cast<std::size_t>(t)] += w * w / a.m;
      }
      s += fmt("%9.4f", rs) + fmt("%13.4f", rm - rs);
    } else {
      for (int t = 0; t < p; ++t) ssum[static_cast<std::size_t>(t)] += a.eta[J * p + t] / a.m;
    }
    line(s);
  }
  std::string mean = pad("Mean:", 10);
  double tm = 0;
  for (int t = 0; t < p; ++t) {
    mean += fmt("%9.4f", msum[static_cast<std::size_t>(t)]);
    tm += msum[static_cast<std::size_t>(t)];
  }
  mean += fmt("%9.4f", tm);
  line(mean);
  line("");
  line("Total Fit = " + fmt("%.6f", a.fit) + "   Total Loss = " + fmt("%.6f", a.p - a.fit) +
       "   Multiple Loss = " + fmt("%.6f", a.mloss) + "   Single Loss = " + fmt("%.6f", a.sloss));
  // The fit of each dimension: single fits of single variables and
  // multiple fits of multiple ones, averaged over the variables.
  std::string ev = "Eigenvalues:";
  for (int t = 0; t < p; ++t) ev += fmt("%11.6f", ssum[static_cast<std::size_t>(t)]);
  line(ev);
}

void loadings_listing(const Analysis& a) {
  line("");
  bool any = false;
  for (int j = 0; j < a.m; ++j) any = any || a.single(j);
  if (!any) {
    line("All variables are multiple nominal, therefore no component");
    line("loadings tables or plots are available.");
    return;
  }
  line("Component Loadings");
  line("");
  std::string head = "Variable  ";
  for (int s = 0; s < a.p; ++s) head += fmt("%9.0f", s + 1);
  line(head);
  for (int j = 0; j < a.m; ++j) {
    if (!a.single(j)) continue;
    std::string s = pad(name(a.var[static_cast<std::size_t>(j)]), 10);
    for (int t = 0; t < a.p; ++t) s += fmt("%9.4f", a.a[static_cast<std::size_t>(j) * a.p + t]);
    line(s);
  }
}

void quantifications_listing(const Analysis& a) {
  const int p = a.p;
  for (int j = 0; j < a.m; ++j) {
    const auto J = static_cast<std::size_t>(j);
    const int K = a.K[J];
    line("");
    line("Category Quantifications: " + name(a.var[J]) + " (" + kLevelName[a.level[J]] + ")");
    line("");
    std::string head = "Category  Marginal Frequency";
    if (a.single(j)) head += "  Quantification  Single Category Coordinates";
    head += "  Multiple Category Coordinates";
    line(head);
    for (int c = 0; c < K; ++c) {
      const double f = a.f[a.off[J] + c];
      std::string s = pad(fmt("%.0f", c + 1), 10) + fmt("%18.0f", f);
      if (f <= 0) {
        line(s);
        continue;
      }
      if (a.single(j)) {
        s += fmt("%16.4f", a.q[a.off[J] + c]) + "  ";
        for (int t = 0; t < p; ++t) s += fmt("%9.4f", a.Yj(j)[c + t * K]);
      }
      s += "  ";
      for (int t = 0; t < p; ++t) s += fmt("%9.4f", a.Ymj(j)[c + t * K]);
      line(s);
    }
  }
}

void objects_listing(const Analysis& a, const double* X) {
  line("");
  line("The Object Scores are:");
  line("");
  std::string head = "Object    ";
  for (int s = 0; s < a.p; ++s) head += fmt("%9.0f", s + 1);
  line(head);
  for (int i = 0; i < a.n; ++i) {
    std::string s = pad(std::to_string(a.case_numbers[static_cast<std::size_t>(i)]), 10);
    for (int t = 0; t < a.p; ++t) s += fmt("%9.4f", X[i + static_cast<long>(t) * a.n]);
    line(s);
  }
}

void stop_message(const Stop& stop) {
  line("");
  if (stop.converged) {
    line("The iterative process stops because the");
    line("convergence test value is reached.");
  } else {
    line("The iterative process stops because the maximum");
    line("number of iterations is reached.");
    line("The difference in loss between the last two");
    line("iterations is " + fmt("%.6f", stop.difference));
  }
}

void correlations_listing(const Analysis& a, bool initial, double* work) {
  const int m = a.m, n = a.n;
  line("");
  line(initial ? "* Correlations after Initialization *" : "* Correlations between Optimally Scaled Variables *");
  line("");
  for (int miss : a.missing)
    if (miss > 0) {
      line("No correlations were calculated due to the missing items");
      line("in the data matrix.");
      return;
    }
  // Each variable's quantified column: the single quantification, or the
  // multiple coordinates of the first dimension.
  auto value = [&](int j, int c) {
    const auto J = static_cast<std::size_t>(j);
    return a.single(j) ? a.q[a.off[J] + c] : a.Ymj(j)[c];
  };
  double* R = work;
  double* ev = R + static_cast<long>(m) * m;
  double* e = ev + m;
  for (int j = 0; j < m; ++j)
    for (int l = 0; l <= j; ++l) {
      double sjl = 0, sjj = 0, sll = 0, mj = 0, ml = 0;
      for (int i = 0; i < n; ++i) {
        mj += value(j, a.codes[i + static_cast<long>(j) * n] - 1);
        ml += value(l, a.codes[i + static_cast<long>(l) * n] - 1);
      }
      mj /= n, ml /= n;
      for (int i = 0; i < n; ++i) {
        const double x = value(j, a.codes[i + static_cast<long>(j) * n] - 1) - mj;
        const double y = value(l, a.codes[i + static_cast<long>(l) * n] - 1) - ml;
        sjl += x * y, sjj += x * x, sll += y * y;
      }
      // A constant column correlates with nothing.
      const double r = sjj > 0 && sll > 0 ? sjl / std::sqrt(sjj * sll) : (j == l ? 1.0 : 0.0);
      R[j + l * m] = R[l + j * m] = r;
    }
  std::string head = pad("", 10);
  for (int j = 0; j < m; ++j) {
    std::string nm = name(a.var[static_cast<std::size_t>(j)]).substr(0, 8);
    head += std::string(10 - nm.size(), ' ') + nm;
  }
  line(head);
  for (int j = 0; j < m; ++j) {
    std::string s = pad(name(a.var[static_cast<std::size_t>(j)]), 10);
    for (int l = 0; l < m; ++l) s += fmt("%10.4f", R[j + l * m]);
    line(s);
  }
  line("");
  if (scaling::SymEigen(m, R, m, ev, e) != 0) return;
  line("Dimension  Eigenvalue");
  for (int s = 0; s < m; ++s) line(fmt("%9.0f", s + 1) + fmt("%12.4f", ev[s]));
}

void plots(const Settings& s, const Analysis& a, const double* X) {
  if (a.p < 2) {
    bool any = false;
    for (bool b : s.plot) any = any || b;
    if (any) {
      line("");
      line("No low-resolution plots are available due to only one valid dimension.");
    }
    return;
  }
  // Low-resolution plots in the listing; a symbol per variable with its key.
  auto symbol = [](int j) { return "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"[j % 52]; };
  auto key = [&](bool singles_only) {
    line("");
    line("Symbol  Variable");
    for (int j = 0; j < a.m; ++j)
      if (!singles_only || a.single(j))
        line(std::string("   ") + symbol(j) + "    " + name(a.var[static_cast<std::size_t>(j)]));
  };
  if (s.plot[P_OBJECT]) {
    std::vector<TextPoint> pts;
    for (int i = 0; i < a.n; ++i) pts.push_back({'1', X[i], X[i + static_cast<long>(a.n)]});
    text_plot("Plot of the Object Scores (the number of objects at each position)", pts, true);
  }
  if (s.plot[P_LOADING] && !a.all(MNOMINAL)) {
    std::vector<TextPoint> pts;
    for (int j = 0; j < a.m; ++j)
      if (a.single(j))
        pts.push_back({symbol(j), a.a[static_cast<std::size_t>(j) * a.p], a.a[static_cast<std::size_t>(j) * a.p + 1]});
    text_plot("Plot of the Component Loadings", pts, false);
    key(true);
  }
  if (s.plot[P_QUANT]) {
    std::vector<TextPoint> pts;
    for (int j = 0; j < a.m; ++j) {
      const auto J = static_cast<std::size_t>(j);
      for (int c = 0; c < a.K[J]; ++c)
        if (a.f[a.off[J] + c] > 0) pts.push_back({symbol(j), a.Ymj(j)[c], a.Ymj(j)[c + a.K[J]]});
    }
    text_plot("Plot of the Multiple Category Coordinates", pts, false);
    key(false);
  }
  older::ChartSpec spec;
  spec.chart_template = "PRINCA";
  spec.first = 0;
  spec.d = 2;
  auto& m = H().msg;
  if (s.plot[P_OBJECT]) {
    std::vector<older::ChartPoint> pts;
    for (int i = 0; i < a.n; ++i)
      pts.push_back({frame::integer(a.case_numbers[static_cast<std::size_t>(i)]), 0,
                     {X[i], X[i + static_cast<long>(a.n)]}});
    spec.title = m.CX_NSTRING("E61801");
    older::chart(spec, pts);
  }
  if (s.plot[P_LOADING]) {
    std::vector<older::ChartPoint> pts;
    for (int j = 0; j < a.m; ++j)
      if (a.single(j))
        pts.push_back({frame::text(name(a.var[static_cast<std::size_t>(j)])), 0,
                       {a.a[static_cast<std::size_t>(j) * a.p], a.a[static_cast<std::size_t>(j) * a.p + 1]}});
    spec.title = m.CX_NSTRING("E61802");
    if (!pts.empty()) older::chart(spec, pts);
  }
  if (s.plot[P_QUANT]) {
    std::vector<older::ChartPoint> pts;
    for (int j = 0; j < a.m; ++j) {
      const auto J = static_cast<std::size_t>(j);
      const int K = a.K[J];
      for (int c = 0; c < K; ++c)
        if (a.f[a.off[J] + c] > 0)
          pts.push_back({H().pivot.BP_VARVALUE(a.var[J], c + 1.0), frame::text(name(a.var[J])),
                         {a.Ymj(j)[c], a.Ymj(j)[c + K]}});
    }
    spec.title = m.CX_NSTRING("E61803");
    older::chart(spec, pts);
  }
}

// Object scores of dimensions 1..dims as new variables; the listing names them.
void save(const Settings& s, const Analysis& a, const double* X) {
  const int dims = s.save_dims > 0 ? std::min(s.save_dims, a.p) : a.p;
  const int made = older::save_object_scores(older::kPrincalsSave, s.save_root, dims, a.n, X, a.n, a.case_numbers);
  if (made == 0) return;
  line("");
  line("Following object scores were added to the working file:");
  line("");
  line("Name       Label");
  const int size = H().dict.size();
  for (int v = size - made + 1; v <= size; ++v) line(pad(name(v), 11) + H().dict.DICGET(v).label);
  line(std::to_string(made) + " dimensions were saved with the rootname: " + name(size - made + 1).substr(0, name(size - made + 1).rfind('_')));
}

// QUANT_ (single quantification in DIM1), SCOOR_ (single category
// coordinates), MCOOR_ (multiple category coordinates) and LOADING_ records.
bool matrix_file(int handle, const Analysis& a) {
  auto& h = H();
  auto& f = h.files;
  static const char* const kType[] = {"MULTIPLE", "SINGLE N", "ORDINAL", "NUMERICA"};
  std::vector<host::FileVar> dict = {{"ROWTYPE_", 8, "", {}, {}}, {"LEVEL_", 64, "", {}, {}},
                                     {"VARNAME_", 64, "", {}, {}}, {"VARTYPE_", 8, "", {}, {}}};
  for (int s = 1; s <= a.p; ++s) dict.push_back({"DIM" + std::to_string(s), 0, "", {}, {}});
  // The values of every record are gathered in a block of their own first:
  // a shortfall is known before anything is written.
  std::size_t rows = 0;
  for (int j = 0; j < a.m; ++j) {
    const auto J = static_cast<std::size_t>(j);
    for (int c = 0; c < a.K[J]; ++c)
      if (a.f[a.off[J] + c] > 0) rows += a.single(j) ? 3 : 1;
    if (a.single(j)) ++rows;
  }
  older::MatrixRows out(rows, a.p);
  if (!out.ok()) return true;  // reported; nothing is written
  auto write = [&](const char* type, const std::string& level, int j, auto value) {
    return out.write(type, level, j, value);
  };
  const auto& heads = out.heads();
  bool ok = true;
  for (int j = 0; j < a.m && ok; ++j) {
    const auto J = static_cast<std::size_t>(j);
    const int K = a.K[J];
    for (int c = 0; c < K && ok; ++c) {
      if (a.f[a.off[J] + c] <= 0) continue;
      const std::string level = std::to_string(c + 1);
      if (a.single(j)) {
        ok = write("QUANT_", level, j, [&](int s) { return s == 0 ? a.q[a.off[J] + c] : host::SYSMIS; });
        if (ok) ok = write("SCOOR_", level, j, [&](int s) { return a.Yj(j)[c + static_cast<long>(s) * K]; });
      }
      if (ok) ok = write("MCOOR_", level, j, [&](int s) { return a.Ymj(j)[c + static_cast<long>(s) * K]; });
    }
    if (ok && a.single(j)) ok = write("LOADING_", "", j, [&](int s) { return a.a[J * a.p + s]; });
  }
  const bool flagged = h.msg.error_flag();
  if (!f.MTDDIC(handle, dict)) return false;
  std::vector<host::FileValue> rec;
  for (std::size_t r = 0; r < heads.size() && ok; ++r) {
    const auto J = static_cast<std::size_t>(heads[r].j);
    rec.clear();
    rec.push_back(host::FileValue::str(heads[r].type));
    rec.push_back(host::FileValue::str(heads[r].level));
    rec.push_back(host::FileValue::str(name(a.var[J])));
    rec.push_back(host::FileValue::str(kType[a.level[J]]));
    for (int s = 0; s < a.p; ++s) rec.push_back(host::FileValue::num(out.value(r, s)));
    ok = f.MTDWRT(handle, rec);
  }
  if (!ok) return false;
  f.MTDCLS(handle);
  if (!flagged && h.msg.error_flag()) return false;
  h.pivot.add_note(frame::key("Files Saved"), frame::text(f.path(handle)), frame::key("Matrix File"));
  return true;
}


}  // namespace oscat::princals
