#include "data/categories.hpp"

#include <algorithm>
#include <cmath>

namespace oscat::data {

bool category_bookkeeping(const double* coded, int n, int m, const double* w, CategoryBook& b,
                          double* scratch) {
  bool ok = true;
  for (int j = 0; j < m; ++j) {
    const double* col = coded + static_cast<long>(j) * n;
    double* miss = b.miss + 3 * j;
    double* vals = b.values + static_cast<long>(j) * b.cap;
    double* freq = b.freq + static_cast<long>(j) * b.cap;
    int k = 0;
    // Whole-number codes in 1..n (the usual case) are ranked through a table
    // indexed by the code: scratch[c - 1] is -1 while code c is absent, else
    // the sum of its weights in object order (weights are not negative), so
    // that one look at the objects finds the categories and their
    // frequencies; any other code falls back to the sort.
    bool direct = true;
    long top = 0;
    miss[0] = miss[1] = miss[2] = 0;
    for (int i = 0; i < n; ++i) {
      const double c = col[i];
      if (c > 0) {
        const long ci = c <= n ? static_cast<long>(c) : 0;
        if (ci == 0 || static_cast<double>(ci) != c) {
          direct = false;
          break;
        }
        if (ci > top) {
          std::fill(scratch + top, scratch + ci, -1.0);
          top = ci;
        }
        double& f = scratch[ci - 1];
        if (f < 0) f = 0;
        f += w[i];
      } else if (c == -2) {
        miss[0] += w[i];
      } else if (c == -1) {
        miss[1] += w[i];
      } else {
        miss[2] += w[i];
      }
    }
    if (direct) {
      for (long c = 0; c < top; ++c) {
        if (scratch[c] < 0) continue;
        if (k < b.cap) {
          vals[k] = static_cast<double>(c + 1);
          freq[k] = scratch[c];
          ++k;
        } else {
          ok = false;  // beyond the room: not counted, as below
        }
      }
    } else {
      miss[0] = miss[1] = miss[2] = 0;
      for (int i = 0; i < n; ++i) {
        const double c = col[i];
        if (c > 0) scratch[k++] = c;
        else if (c == -2) miss[0] += w[i];
        else if (c == -1) miss[1] += w[i];
        else miss[2] += w[i];
      }
      std::sort(scratch, scratch + k);
      k = static_cast<int>(std::unique(scratch, scratch + k) - scratch);
      if (k > b.cap) {
        ok = false;
        k = b.cap;
      }
      std::copy(scratch, scratch + k, vals);
      std::fill(freq, freq + k, 0.0);
      b.count[j] = k;
      for (int i = 0; i < n; ++i) {
        if (!(col[i] > 0)) continue;
        const int idx = category_index(b, j, col[i]);
        if (idx >= 0) freq[idx] += w[i];
      }
    }
    b.count[j] = k;
    b.extra[j] = 0;
    int best = 0;
    for (int c = 1; c < k; ++c)
      if (freq[c] > freq[best]) best = c;
    b.mode[j] = k > 0 ? vals[best] : 0;
  }
  return ok;
}

void copy_book(const CategoryBook& from, CategoryBook& to) {
  const long cells = static_cast<long>(from.cap) * from.m;
  std::copy(from.count, from.count + from.m, to.count);
  std::copy(from.values, from.values + cells, to.values);
  std::copy(from.freq, from.freq + cells, to.freq);
  std::copy(from.mode, from.mode + from.m, to.mode);
  std::copy(from.miss, from.miss + 3L * from.m, to.miss);
  std::copy(from.extra, from.extra + from.m, to.extra);
}

int category_index(const CategoryBook& b, int j, double value) {
  const double* vals = b.values + static_cast<long>(j) * b.cap;
  const double* end = vals + b.count[j];
  const double* p = std::lower_bound(vals, end, value);
  return (p != end && *p == value) ? static_cast<int>(p - vals) : -1;
}

namespace {

// Category drawn in proportion to the whole-number frequencies; the mode when
// they sum to zero (all weights below 1).
double draw_category(const CategoryBook& b, int j, double u) {
  const double* vals = b.values + static_cast<long>(j) * b.cap;
  const double* freq = b.freq + static_cast<long>(j) * b.cap;
  const int k = b.count[j] - (b.extra[j] ? 1 : 0);
  double total = 0;
  for (int c = 0; c < k; ++c) total += std::trunc(freq[c]);
  if (!(total > 0)) return b.mode[j];
  const double pos = u * total;
  double cum = 0;
  for (int c = 0; c < k; ++c) {
    cum += std::trunc(freq[c]);
    if (pos < cum) return vals[c];
  }
  return vals[k - 1];
}

}  // namespace

MissingResult treat_missing(const MissingInput& in, int* code, double* coded, double* w,
                            int* cases, int* status, CategoryBook& book, double* valid_per_var,
                            int* issue, double* draw) {
  MissingResult r;
  const int n = in.n, m = in.m, ma = in.ma;
  auto at = [&](int i, int j) -> double& { return coded[static_cast<long>(j) * n + i]; };

  // 1. Validate the codes.
  for (int j = 0; j < m; ++j) {
    issue[j] = 0;
    if (code[j] < 1 || (code[j] > 7 && code[j] != 9)) {
      issue[j] |= kIssueInvalidCode;
      code[j] = 2;
    }
    if (code[j] == 1 || code[j] == 4) r.any_extra = true;
    if (code[j] >= 1 && code[j] <= 3) r.any_passive = true;
    if (code[j] == 7 && j < ma) r.any_listwise = true;
  }
  auto has_missing = [&](int j) {
    for (int i = 0; i < n; ++i)
      if (at(i, j) <= 0) return true;
    return false;
  };
  // 2. LISTWISE cannot apply to variables that do not take part in the fit.
  if (in.pca) {
    for (int j = 0; j < ma; ++j) {
      if (code[j] != 7 || !has_missing(j)) continue;
      if (in.fixed_config) issue[j] |= kIssueListwiseFixed;
      else if (in.supp_var && in.supp_var[j]) issue[j] |= kIssueListwiseSupp;
    }
  }
  // 3. Weighted valid counts; an object missing on a LISTWISE variable counts nowhere.
  auto listwise_missing = [&](int i) {
    for (int j = 0; j < ma; ++j)
      if (code[j] == 7 && at(i, j) <= 0) return true;
    return false;
  };
  for (int j = 0; j < m; ++j) valid_per_var[j] = 0;
  for (int i = 0; i < n; ++i) {
    if (listwise_missing(i)) continue;
    for (int j = 0; j < m; ++j)
      if (at(i, j) > 0) valid_per_var[j] += w[i];
  }
  // 4. Extra category and mode imputation; object status.
  for (int j = 0; j < m; ++j) {
    if (code[j] != 4 || !has_missing(j)) continue;
    const int k = book.count[j];
    if (k >= book.cap) continue;  // cannot happen with cap = distinct values + 1
    double* vals = book.values + static_cast<long>(j) * book.cap;
    vals[k] = (k > 0 ? vals[k - 1] : 0) + 1;
    book.freq[static_cast<long>(j) * book.cap + k] = 0;
    book.count[j] = k + 1;
    book.extra[j] = 1;
  }
  for (int i = 0; i < n; ++i) {
    bool miss_lw = false, miss_other = false;
    for (int j = 0; j < m; ++j) {
      double& c = at(i, j);
      if (c > 0) continue;
      if (j < ma) (code[j] == 7 ? miss_lw : miss_other) = true;
      if (code[j] == 4) c = book.values[static_cast<long>(j) * book.cap + book.count[j] - 1];
      else if (code[j] == 5 && book.count[j] > 0) c = book.mode[j];
    }
    if (status[i] == 0) status[i] = miss_lw ? 1 : (miss_other ? -1 : 0);
    r.total += w[i];
    if (status[i] == 0) r.valid += w[i];
  }
  // 5. Random imputation (active: the code changes; passive: only recorded).
  if (draw) std::fill(draw, draw + static_cast<long>(n) * m, 0.0);
  for (int i = 0; i < n; ++i) {
    for (int j = 0; j < m; ++j) {
      double& c = at(i, j);
      if (c > 0 || (code[j] != 6 && !(code[j] == 3 && draw))) continue;
      if (book.count[j] == 0 || !in.urand) continue;
      const double v = draw_category(book, j, in.urand(in.urand_ctx));
      if (code[j] == 6) c = v;
      else draw[static_cast<long>(j) * n + i] = v;
    }
  }
  // 6. Listwise exclusion, keeping the order of the rest. Moving column by
  // column is safe in place: every destination index precedes its source.
  int kept = 0;
  for (int i = 0; i < n; ++i) {
    if (status[i] == 1) {
      if (r.removed < 30) r.excluded_first[r.removed] = cases[i];
      ++r.removed;
    }
  }
  if (r.removed > 0) {
    const int nn = n - r.removed;
    for (int j = 0; j < m; ++j) {
      int d = 0;
      for (int i = 0; i < n; ++i)
        if (status[i] != 1) coded[static_cast<long>(j) * nn + d++] = coded[static_cast<long>(j) * n + i];
      if (draw) {
        d = 0;
        for (int i = 0; i < n; ++i)
          if (status[i] != 1) draw[static_cast<long>(j) * nn + d++] = draw[static_cast<long>(j) * n + i];
      }
    }
    for (int i = 0; i < n; ++i) {
      if (status[i] == 1) continue;
      w[kept] = w[i];
      if (in.aside) in.aside[kept] = in.aside[i];
      cases[kept] = cases[i];
      status[kept] = status[i];
      ++kept;
    }
  } else {
    kept = n;
  }
  r.n_after = kept;
  // 7. Minimum counts.
  double remaining = 0;
  for (int i = 0; i < kept; ++i) remaining += w[i];
  if (remaining >= 3) {
    for (int j = 0; j < ma; ++j)
      if (valid_per_var[j] < 3) issue[j] |= kIssueTooManyMissing;
  } else {
    r.too_few_objects = true;
  }
  r.error = r.too_few_objects;
  for (int j = 0; j < m; ++j)
    if (issue[j] & (kIssueListwiseSupp | kIssueListwiseFixed | kIssueTooManyMissing | kIssueInvalidCode))
      r.error = true;
  return r;
}

}  // namespace oscat::data
