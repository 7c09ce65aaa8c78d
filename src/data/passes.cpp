#include "data/passes.hpp"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <unordered_map>
#include <vector>

#include "data/discretize.hpp"
#include "frame/messages.hpp"
#include "host/host.hpp"

namespace oscat::data {

using host::H;

namespace {

int key_words(int var) {
  const int width = H().dict.DICGET(var).width;
  return width > 0 ? (width + 7) / 8 : 1;
}

bool is_string(int var) { return H().dict.DICGET(var).is_string(); }

}  // namespace

bool open_value_tables(const int* vars, int m, int* handles) {
  auto& t = H().tables;
  t.TMOPEN();
  for (int j = 0; j < m; ++j) {
    handles[j] = t.TMNEWT(key_words(vars[j]));
    if (handles[j] == 0) {
      frame::report("ZYL Value table not available.", 3, 2);
      return false;
    }
  }
  return true;
}

void close_value_tables(int* handles, int m) {
  auto& t = H().tables;
  for (int j = 0; j < m; ++j) {
    if (handles[j] == 0) continue;
    t.TMDSCP(handles[j]);
    t.TMFREE(handles[j]);
    handles[j] = 0;
  }
  t.TMCLOS();
}

namespace {

std::uint64_t bits_of(double v) {
  std::uint64_t b;
  std::memcpy(&b, &v, sizeof b);
  return b;
}

// The distinct values of one column with a payload each (first pass: how
// often the value occurs; second: its code), so that the host's missing-
// value test and value-table lookup run once per distinct value. Whole
// numbers 0 .. kDirect - 1 (the usual category codes) are found by index,
// anything else by its bits.
class Distinct {
 public:
  static constexpr int kDirect = 1024;
  struct Entry {
    double value = 0;
    double payload = 0;
    bool missing = false;
  };
  // The entry of `v`, and whether it is new.
  [[gnu::always_inline]] Entry& find(double v, bool& is_new) {
    if (v >= 0 && v < kDirect) {
      const auto k = static_cast<int>(v);
      if (static_cast<double>(k) == v && (k != 0 || !std::signbit(v))) {
        int& slot = direct_[static_cast<std::size_t>(k)];
        is_new = slot == 0;
        if (is_new) slot = add(v);
        return entries_[static_cast<std::size_t>(slot - 1)];
      }
    }
    return find_other(v, is_new);
  }
  std::vector<Entry>& entries() { return entries_; }
  void clear() {
    for (const Entry& e : entries_) {
      const auto k = static_cast<int>(e.value);
      if (e.value >= 0 && e.value < kDirect && static_cast<double>(k) == e.value && !std::signbit(e.value))
        direct_[static_cast<std::size_t>(k)] = 0;
    }
    entries_.clear();
    other_.clear();
  }

 private:
  Entry& find_other(double v, bool& is_new) {
    auto [it, added] = other_.try_emplace(bits_of(v), 0);
    is_new = added;
    if (added) it->second = add(v);
    return entries_[static_cast<std::size_t>(it->second - 1)];
  }
  int add(double v) {
    entries_.push_back({v, 0, false});
    return static_cast<int>(entries_.size());
  }
  std::vector<int> direct_ = std::vector<int>(kDirect, 0);  // 1-based entry, 0 = none
  std::unordered_map<std::uint64_t, int> other_;
  std::vector<Entry> entries_;
};

}  // namespace

int first_data_pass(const int* vars, int m, const int* handles, int* ndistinct, bool& error) {
  auto& h = H();
  error = false;
  std::vector<char> str(static_cast<std::size_t>(m));
  bool any_string = false;
  for (int j = 0; j < m; ++j) any_string |= (str[static_cast<std::size_t>(j)] = is_string(vars[j])) != 0;
  const int n = h.cases.OBCOUNT();
  // Numeric variables column by column: the counts of the distinct values,
  // then one table entry for each value that is not missing.
  std::vector<double> col(static_cast<std::size_t>(n));
  Distinct d;
  for (int j = 0; j < m && !error; ++j) {
    if (str[static_cast<std::size_t>(j)]) continue;
    h.cases.OBCOLUMN(vars[j], col.data());
    d.clear();
    bool is_new = false;
    for (int i = 0; i < n; ++i) d.find(col[static_cast<std::size_t>(i)], is_new).payload += 1;
    for (const auto& e : d.entries()) {
      if (h.cases.QAMISS(vars[j], e.value)) continue;
      double* count = h.tables.TMGETV(handles[j], host::numeric_key(e.value), true, is_new);
      if (count == nullptr) {
        error = true;
        break;
      }
      *count += e.payload;
    }
  }
  if (any_string && !error) {
    h.cases.OBPINI();
    while (h.cases.OBSERV() && !error) {
      for (int j = 0; j < m; ++j) {
        if (!str[static_cast<std::size_t>(j)]) continue;
        const std::string_view s = h.cases.string_value(vars[j]);
        if (h.cases.QAMISS(vars[j], s)) continue;
        bool is_new = false;
        double* count = h.tables.TMGETV(handles[j], s, true, is_new);
        if (count == nullptr) {
          error = true;
          break;
        }
        *count += 1;
      }
    }
    h.cases.OBPEND();
  }
  if (error) {
    frame::report("ZYL Value table not available.", 3, 2);
    return n;
  }
  std::vector<int> empty;
  for (int j = 0; j < m; ++j) {
    ndistinct[j] = h.tables.TMPOIN(handles[j]);
    if (ndistinct[j] == 0) {
      empty.push_back(vars[j]);
      continue;
    }
    h.msg.ASSERT(h.tables.TMKEYL(handles[j]) <= 4096, "ZYL_1stDataPass", "lnvar .le. 4096");
    h.tables.TMSORT(handles[j], !str[static_cast<std::size_t>(j)]);
  }
  // A variable without a single valid value cannot be analysed; say which.
  if (!empty.empty()) {
    frame::report_variables("ZYL Var ^1 no valid values.", "ZYL Var [%1:, ^1:, $1]1 no valid values.", empty,
                     2, 3);
    error = true;
  }
  return n;
}

void second_data_pass(const int* vars, int m, const int* handles, int n, double* coded, double* w, int* cases) {
  auto& h = H();
  // The file cannot change between the passes; never write past n all the same.
  const int count = h.cases.OBCOUNT();
  if (count != n) {
    std::fill(coded, coded + static_cast<long>(n) * m, 0.0);
    std::fill(w, w + n, 0.0);
    std::fill(cases, cases + 2 * static_cast<long>(n), 0);
    h.msg.ASSERT(false, "ZYL_2ndDataPass", "ncases .eq. n");
    return;
  }
  std::vector<char> str(static_cast<std::size_t>(m));
  bool any_string = false;
  for (int j = 0; j < m; ++j) any_string |= (str[static_cast<std::size_t>(j)] = is_string(vars[j])) != 0;
  Distinct d;
  for (int j = 0; j < m; ++j) {
    if (str[static_cast<std::size_t>(j)]) continue;
    double* c = coded + static_cast<long>(j) * n;
    // The values are read into the column they are coded in.
    h.cases.OBCOLUMN(vars[j], c);
    d.clear();
    bool is_new = false;
    for (int i = 0; i < n; ++i) {
      const double v = c[i];
      if (host::is_sysmis(v)) {
        c[i] = 0;
        continue;
      }
      Distinct::Entry& e = d.find(v, is_new);
      if (is_new) {
        e.missing = h.cases.QAMISS(vars[j], v);
        if (!e.missing) {
          // The codes do not change during the pass: one lookup per value.
          const double* code = h.tables.TMGETV(handles[j], host::numeric_key(v), false, is_new);
          h.msg.ASSERT(code != nullptr, "ZYL_2ndDataPass", "qnew");
          e.payload = code ? *code : 0;
        }
      }
      c[i] = e.missing ? -1 : e.payload;
    }
  }
  if (any_string) {
    int i = 0;
    h.cases.OBPINI();
    while (h.cases.OBSERV() && i < n) {
      for (int j = 0; j < m; ++j) {
        if (!str[static_cast<std::size_t>(j)]) continue;
        double& c = coded[static_cast<long>(j) * n + i];
        const std::string_view s = h.cases.string_value(vars[j]);
        if (h.cases.QAMISS(vars[j], s)) {
          c = -1;
          continue;
        }
        bool is_new = false;
        double* code = h.tables.TMGETV(handles[j], s, false, is_new);
        h.msg.ASSERT(code != nullptr, "ZYL_2ndDataPass", "qnew");
        c = code ? *code : 0;
      }
      ++i;
    }
    h.cases.OBPEND();
  }
  h.cases.OBCASES(w, cases);
  std::fill(cases + n, cases + 2 * static_cast<long>(n), 0);
}

bool discretization_setup(const int* vars, int m, const int* handles, double* method, int* ncat,
                          int* ncat_eff, double* scratch) {
  auto& h = H();
  std::vector<int> to_ranking, to_grouping, too_large, too_small;
  bool ok = true;
  for (int j = 0; j < m; ++j) {
    const int t = handles[j];
    const int k = h.tables.TMSIZE(t);
    const bool str = is_string(vars[j]);
    double* v = scratch;
    double* c = scratch + k;
    double* codes = scratch + 2 * k;
    for (int i = 0; i < k; ++i) {
      v[i] = str ? i + 1 : host::key_number(h.tables.TMKEY(t, i + 1));
      c[i] = h.tables.TMVAL(t, i + 1);
    }
    if (method[j] == kDiscNone) {
      method[j] = default_method(str, v, k, ncat[j]);
      ncat_eff[j] = ncat[j];
      if (method[j] == kDiscRanking) to_ranking.push_back(vars[j]);
      else if (method[j] == kDiscNormal) to_grouping.push_back(vars[j]);
    }
    switch (code_values(method[j], ncat_eff[j], v, c, k, codes)) {
      case CodeStatus::Ok: break;
      case CodeStatus::TooFewValues:
        too_large.push_back(vars[j]);
        ncat_eff[j] = k;
        break;
      case CodeStatus::UnknownMethod:
        frame::report("Unknown Discretization.", 3, 2);
        ok = false;
        break;
      case CodeStatus::WidthTooSmall:
        too_small.push_back(vars[j]);
        ok = false;
        break;
    }
    for (int i = 0; i < k; ++i) h.tables.TMVAL(t, i + 1) = codes[i];
  }
  frame::report_variables("Discr var ^1 set to RANKING.", "Discr var [%1:, ^1:, $1]1 set to RANKING.",
                   to_ranking, 2, 2);
  frame::report_variables("Discr var ^1 set to GROUPING.", "Discr var [%1:, ^1:, $1]1 set to GROUPING.",
                   to_grouping, 2, 2);
  frame::report_variables("CPR NrCat for grouping too large for var ^1.",
                   "CPR NrCat for grouping too large for var [%1:, ^1:, $1]1.", too_large, 2, 2);
  frame::report_variables("CPR value EQINTV too small var ^1.", "CPR value EQINTV too small var [%1:, ^1:, $1]1.",
                   too_small, 2, 3);
  return ok;
}

bool equal_interval_check(const int* vars, int m, const int* handles, const double* method) {
  auto& h = H();
  std::vector<int> bad;
  for (int j = 0; j < m; ++j) {
    if (!(method[j] < 0)) continue;
    const int t = handles[j];
    const int k = h.tables.TMSIZE(t);
    if (k == 0) continue;
    const double range = is_string(vars[j]) ? k - 1
                         : host::key_number(h.tables.TMKEY(t, k)) - host::key_number(h.tables.TMKEY(t, 1));
    if (range < -method[j]) bad.push_back(vars[j]);
  }
  frame::report_variables("CPR value EQINTV too large var ^1.", "CPR value EQINTV too large var [%1:, ^1:, $1]1.",
                   bad, 2, 3);
  return bad.empty();
}

bool supplementary_objects(std::span<const syntax::SupplementaryObject> list, double* w, const int* cases,
                          int n, double* aside) {
  using K = syntax::SupplementaryObject::Kind;
  bool ok = true;
  std::vector<int> odd_weight;  // case numbers set aside with a weight other than 1
  auto find = [&](double k) -> int {
    const int* p = std::lower_bound(cases, cases + n, static_cast<int>(k));
    return (p != cases + n && *p == static_cast<int>(k)) ? static_cast<int>(p - cases) : -1;
  };
  auto set_aside = [&](int i) {
    if (w[i] != 1 && w[i] != 0) odd_weight.push_back(cases[i]);
    if (aside && w[i] != 0) aside[i] = w[i];
    w[i] = 0;
  };
  for (const auto& e : list) {
    if (e.kind == K::Reversed) {
      frame::report("Invalid CPR supp obj range.", {frame::text(e.text)}, 3, 2);
      ok = false;
      continue;
    }
    const int a = e.kind == K::Invalid ? -1 : find(e.first);
    const int b = e.kind == K::Range ? find(e.last) : a;
    if (a < 0 || b < 0) {
      frame::report("Invalid CPR supp obj.", {frame::text(e.text)}, 3, 2);
      ok = false;
      continue;
    }
    for (int i = a; i < n && cases[i] <= e.last; ++i) set_aside(i);
  }
  if (!odd_weight.empty()) {
    auto& msg = H().msg;
    const host::Msg c = msg.BP_BEGIN_COMPSTRING(frame::key("CPR weight supp obj."));
    for (int k : odd_weight) msg.BP_ADD_PARAMETER(c, frame::integer(k));
    msg.BP_ERROR(msg.BP_END_COMPSTRING(c), 2, 2);
  }
  return ok;
}

bool all_missing_objects(const double* coded, double* w, const int* cases, int n, int ma, const int* supp_var,
                         double* aside) {
  std::vector<int> found;  // their case numbers
  for (int i = 0; i < n; ++i) {
    if (w[i] == 0) continue;
    bool valid = false;
    for (int j = 0; j < ma && !valid; ++j)
      if (!(supp_var && supp_var[j]) && coded[static_cast<long>(j) * n + i] > 0) valid = true;
    if (!valid) {
      if (aside) aside[i] = w[i];
      w[i] = 0;
      found.push_back(cases[i]);
    }
  }
  if (found.empty()) return false;
  // The first 30 are named, as in the case processing summary.
  constexpr std::size_t kNamed = 30;
  auto& msg = H().msg;
  const host::Msg c = msg.BP_BEGIN_COMPSTRING(frame::key("Object all missings."));
  for (std::size_t k = 0; k < found.size() && k < kNamed; ++k) msg.BP_ADD_PARAMETER(c, frame::integer(found[k]));
  if (found.size() > kNamed)
    msg.BP_ADD_PARAMETER(c, frame::composite("and ^1 more", {frame::integer(static_cast<long long>(found.size() - kNamed))}));
  msg.BP_ERROR(msg.BP_END_COMPSTRING(c), 2, 2);
  return true;
}

int zero_variance(const CategoryBook& b, int ma, double* flags) {
  int found = 0;
  for (int j = 0; j < ma; ++j) {
    const double* f = b.freq + static_cast<long>(j) * b.cap;
    int nonzero = 0;
    for (int c = 0; c < b.count[j]; ++c)
      if (f[c] != 0) ++nonzero;
    const bool zero = b.count[j] <= 1 || nonzero == 1;
    flags[j] = zero ? 1.0 : 0.0;
    if (zero) ++found;
  }
  return found;
}

int zero_variance_check(const CategoryBook& b, const int* vars, int ma, std::string_view single,
                        std::string_view list, double* flags) {
  const int found = zero_variance(b, ma, flags);
  if (found == 0) return found;
  std::vector<int> named;
  for (int j = 0; j < ma; ++j)
    if (flags[j] != 0) named.push_back(vars[j]);
  frame::report_variables(single, list, named, 2, 3);
  return found;
}

}  // namespace oscat::data
