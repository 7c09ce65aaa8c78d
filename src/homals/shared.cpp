#include "homals/shared.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <system_error>

#include "frame/messages.hpp"
#include "frame/workspace.hpp"

namespace oscat::older {

using host::H;
using host::Msg;

void number(int n, int cls, int severity, std::vector<std::string> params) {
  H().msg.ERROR(n, cls, severity, std::move(params));
}

bool TokenCursor::varlist_max(const VarlistNotes& notes, bool& bad_max,
                              const std::function<void(const std::vector<int>&, int)>& add) {
  const auto say = [](const Note& w, std::vector<std::string> params = {}) {
    number(w.n, w.cls, w.severity, std::move(params));
  };
  next_skip_equals();
  unread();
  while (true) {
    std::vector<int> list;
    const int rc = H().tokens.PRUVL(list);
    next();
    if (rc == 2 && ends(t_)) break;
    if (rc != 0) return false;
    if (t_.kind != host::TokenKind::LParen) {
      say(notes.no_lparen, {found()});
      return false;
    }
    next();
    double mx = 0;
    // Without a valid maximum the variable has no categories, which the data
    // checks report.
    if (t_.kind != host::TokenKind::Number || !host::QDINT(t_.value) || t_.value < 1) {
      say(notes.bad_max, {found()});
      bad_max = true;
      if (t_.kind == host::TokenKind::RParen) unread();
    } else if (t_.value > kMaxCategories) {
      if (notes.too_large.n != 0) say(notes.too_large, {std::to_string(static_cast<long long>(kMaxCategories))});
      mx = kMaxCategories;
    } else {
      mx = t_.value;
    }
    close_paren(notes.no_rparen);
    add(list, static_cast<int>(mx));
    next();
    if (ends(t_)) break;
    unread();
  }
  return true;
}

int TokenCursor::integer_setting(int at_least, int invalid, int fallback) {
  next_skip_equals();
  if (t_.kind == host::TokenKind::Number && host::QDINT(t_.value) && t_.value >= at_least) {
    const int v = static_cast<int>(t_.value);
    next();
    return v;
  }
  number(invalid, 2, frame::kWarning, {found()});
  return fallback;
}

double TokenCursor::positive_setting(int invalid, double fallback) {
  next_skip_equals();
  if (t_.kind == host::TokenKind::Number && t_.value > 0 && std::isfinite(t_.value)) {
    const double v = t_.value;
    next();
    return v;
  }
  number(invalid, 2, frame::kWarning, {found()});
  return fallback;
}

void TokenCursor::close_paren(int missing) {
  next();
  if (t_.kind != host::TokenKind::RParen) {
    number(missing, 3, frame::kWarning, {found()});
    unread();
  }
}

int TokenCursor::analysis_list(std::vector<int>& list, const std::vector<int>& vars, int bad_list) {
  std::string bad;
  const int rc = H().tokens.PRUVL2(list, vars, bad);
  next();
  if (rc == 2 && ends(t_)) return 0;
  if (rc != 0) {
    number(bad_list, 2, frame::kError, {bad.empty() ? shown() : bad});
    skip_subcommand();
    return -1;
  }
  return 1;
}

void TokenCursor::save_spec(std::string& root, int& dims, int no_rparen,
                            const std::function<void(const std::string&)>& invalid_dims) {
  next_skip_equals();
  if (t_.kind == host::TokenKind::Name) {
    root = shown();
    next();
  }
  if (t_.kind == host::TokenKind::LParen) {
    next();
    if (t_.kind == host::TokenKind::Number && host::QDINT(t_.value) && t_.value >= 1) dims = static_cast<int>(t_.value);
    else invalid_dims(shown());
    close_paren(no_rparen);
  }
}

int TokenCursor::matrix_file(int bad_file, int no_rparen) {
  next_skip_equals();
  if (t_.kind == host::TokenKind::Name && t_.text == "OUT") next();
  if (t_.kind != host::TokenKind::LParen) {
    number(bad_file, 2, frame::kError, {found()});
    return 0;
  }
  H().files.MTDINI();
  std::string path;
  const int h = H().files.MTDFRO(path);
  if (h <= 0) {
    // "*" (the working data file) is no file this procedure can write.
    number(bad_file, 2, frame::kError, {path.empty() ? "?" : path});
    if (h < 0) next();
    skip_subcommand();
    return 0;
  }
  close_paren(no_rparen);
  return h;
}

bool SecondThread::start(bool worth_it) {
  if (!worth_it || std::thread::hardware_concurrency() < 2) return false;
  try {
    thread_ = std::thread([this] { loop(); });
    return true;
  } catch (const std::system_error&) {
    return false;
  }
}

void SecondThread::split(int p, const std::function<void(int, int)>& fn) {
  if (!thread_.joinable() || p < 2) {
    fn(0, p);
    return;
  }
  const int half = p / 2;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    fn_ = &fn;
    s0_ = half;
    s1_ = p;
    pending_ = true;
  }
  wake_.notify_one();
  fn(0, half);
  std::unique_lock<std::mutex> lock(mutex_);
  done_.wait(lock, [this] { return !pending_; });
}

void SecondThread::loop() {
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    wake_.wait(lock, [this] { return pending_ || quit_; });
    if (quit_) return;
    const auto* fn = fn_;
    const int s0 = s0_, s1 = s1_;
    lock.unlock();
    (*fn)(s0, s1);
    lock.lock();
    pending_ = false;
    done_.notify_one();
  }
}

void SecondThread::stop() {
  if (!thread_.joinable()) return;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    quit_ = true;
  }
  wake_.notify_one();
  thread_.join();
}

void add_or_update(std::vector<int>& vars, std::vector<int>& max, const std::vector<int>& list, int mx) {
  for (int v : list) {
    auto at = std::find(vars.begin(), vars.end(), v);
    if (at == vars.end()) {
      vars.push_back(v);
      max.push_back(mx);
    } else {
      max[static_cast<std::size_t>(at - vars.begin())] = mx;
    }
  }
}

int count_objects(int nobserv) {
  auto& cs = H().cases;
  int n = 0;
  cs.OBINIT(0);
  cs.OBPINI();
  while (cs.OBSERV() && (nobserv == 0 || n < nobserv)) ++n;
  cs.OBPEND();
  return n;
}

CategoryReader::CategoryReader(const std::vector<int>& vars, const std::vector<int>& K) : vars_(vars), K_(K) {
  for (std::size_t j = 0; j < vars.size(); ++j) {
    string_.push_back(H().dict.DICGET(vars[j]).is_string() ? 1 : 0);
    missing_.emplace_back(static_cast<std::size_t>(std::max(K[j], 0)) + 1, static_cast<signed char>(-1));
  }
}

int CategoryReader::code(std::size_t j, bool& odd) {
  if (string_[j]) return 0;
  auto& cs = H().cases;
  const int v = vars_[j];
  const double x = cs.value(v);
  if (x >= 1 && x <= K_[j] && x == std::floor(x)) {
    const auto c = static_cast<std::size_t>(x);
    signed char& m = missing_[j][c];
    if (m < 0) m = cs.QAMISS(v, x) ? 1 : 0;
    return m ? 0 : static_cast<int>(c);
  }
  if (!cs.QAMISS(v, x)) odd = true;
  return 0;
}

long block_offsets(const std::vector<int>& K, std::vector<long>& off) {
  long sum = 0;
  for (int k : K) {
    off.push_back(sum);
    sum += k;
  }
  return sum;
}

bool data_ready(bool read, int n, int too_few, frame::Workspace& ws) {
  if (!read) {
    ws.report_shortfall();
    return false;
  }
  if (n < 3) {
    number(too_few, 2, frame::kError, {std::to_string(n)});
    return false;
  }
  return true;
}

void memory_shortfall(std::string_view procedure, double bytes) {
  auto& h = H();
  const auto [amount, unit] = h.workspace.MEMALU(bytes);
  // The amount is written over the dots of the first line.
  std::string line = std::string(procedure) + " requires at least ........";
  const std::size_t dots = line.size() - 8;
  for (std::size_t k = 0; k < amount.size() && k < 8; ++k) line[dots + k] = amount[k];
  if (amount.size() < 8) line.erase(dots + amount.size());
  h.listing.PRTLNC(line + " " + unit + " of memory.");
  h.workspace.SHOMEM();
}

void memory_allocated(std::string_view procedure, double bytes) {
  auto& h = H();
  const auto [amount, unit] = h.workspace.MEMALU(bytes);
  std::string line = std::string(procedure) + " has allocated .............";
  const std::size_t dots = line.size() - 13;
  for (std::size_t k = 0; k < amount.size() && k < 13; ++k) line[dots + k] = amount[k];
  if (amount.size() < 13) line.erase(dots + amount.size());
  h.listing.PRTLNC(line + " " + unit + " of memory.");
}

double* matrix_vector(frame::Workspace& ws, std::size_t count) {
  if (double* v = ws.get<double>(count)) return v;
  auto& h = H();
  const auto [amount, unit] = h.workspace.MEMALU(8.0 * static_cast<double>(count));
  std::string line = "To write matrix vector additional memory of ........";
  const std::size_t dots = line.size() - 8;
  for (std::size_t k = 0; k < amount.size() && k < 8; ++k) line[dots + k] = amount[k];
  if (amount.size() < 8) line.erase(dots + amount.size());
  h.listing.PRTLNC(line + " " + unit);
  h.listing.PRTLNC("required.");
  number(10627, 2, frame::kError);
  return nullptr;
}

bool entry_memory(frame::Workspace& ws, std::string_view procedure, std::size_t v,
                  std::initializer_list<std::size_t> sizes) {
  double words = 0;
  for (std::size_t size : sizes) {
    if (ws.get<int>(size) == nullptr) {
      for (std::size_t all : sizes) words += static_cast<double>(all);
      const double n = static_cast<double>(v);
      memory_shortfall(procedure, 4.0 * (words + (5.0 * n + 250.0) * n));
      return false;
    }
  }
  return true;
}

std::string save_name(std::string_view root, int d) {
  const std::string suffix = "_" + std::to_string(d);
  std::size_t room = suffix.size() >= 8 ? 0 : 8 - suffix.size();
  if (root.size() > room) {
    while (room > 0 && (static_cast<unsigned char>(root[room]) & 0xC0) == 0x80) --room;
    root = root.substr(0, room);
  }
  return std::string(root) + suffix;
}

int save_object_scores(const SaveCodes& codes, std::string_view root, int dims, int n, const double* X, int ld,
                       const std::vector<int>& case_numbers) {
  auto& h = H();
  if (dims <= 0) return 0;
  auto free_names = [&](std::string_view r) {
    for (int d = 1; d <= dims; ++d)
      if (h.dict.DICSCH(save_name(r, d)) != 0) return false;
    return true;
  };
  std::string use(root);
  if (!use.empty() && !free_names(use)) {
    number(codes.name_exists, 2, 2, {save_name(use, 1)});
    use.clear();
  }
  if (use.empty()) {
    // The default root, then the default root with a counter, until every
    // name of the batch is free.
    for (int k = 0; k <= 99 && use.empty(); ++k) {
      const std::string r = std::string(codes.root) + (k == 0 ? "" : std::to_string(k));
      if (free_names(r)) use = r;
    }
    if (use.empty()) {
      number(codes.no_unique_name, 2, 2);
      return 0;
    }
  }
  const Msg group = frame::key("Variables Created or Modified");
  int made = 0;
  for (int d = 1; d <= dims; ++d) {
    host::VarInfo info = h.dict.DICCLR();
    info.name = save_name(use, d);
    info.width = 0;
    const Msg contents = frame::composite("Dimension ^1", {frame::integer(d)});
    info.label = h.msg.text(contents);
    const int index = h.dict.DICPUT(info);
    h.msg.ASSERT(index > 0, "older::save_object_scores", "index .gt. 0");
    if (index <= 0) break;
    h.dict.VRLBLC(index, info.label);
    for (int i = 0; i < n; ++i)
      h.cases.set_value(index, case_numbers[static_cast<std::size_t>(i)], X[i + static_cast<long>(d - 1) * ld]);
    h.pivot.add_note(group, frame::text(info.name), contents);
    ++made;
  }
  return made;
}

namespace {

std::string value_text(double v) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.15g", v);
  return buf;
}

std::string catalogue(const char* n) {
  auto& m = H().msg;
  return m.text(m.CX_NSTRING(n));
}

}  // namespace

bool write_quantifications(int handle, const std::vector<QuantVariable>& vars, int p) {
  auto& h = H();
  auto& f = h.files;
  std::size_t width = 8;
  for (const auto& v : vars) width = std::max(width, (h.dict.DICGET(v.var).name.size() + 7) / 8 * 8);
  std::vector<host::FileVar> dict;
  dict.push_back({"ROWTYPE_", 8, catalogue("62933"), {}, {}});
  dict.push_back({"LEVEL_", 64, catalogue("62935"), {}, {}});
  dict.push_back({"VARNAME_", static_cast<int>(width), catalogue("62934"), {}, {}});
  for (int k = 1; k <= p; ++k) {
    const Msg c = h.msg.BP_BEGIN_COMPSTRING(h.msg.CX_NSTRING("62937"));
    h.msg.BP_ADD_PARAMETER(c, frame::integer(k));
    dict.push_back({"DIM" + std::to_string(k), 0, h.msg.text(h.msg.BP_END_COMPSTRING(c)), {}, {}});
  }
  const bool flagged = h.msg.error_flag();
  bool ok = f.MTDDIC(handle, dict);
  std::vector<host::FileValue> rec;
  for (std::size_t j = 0; j < vars.size() && ok; ++j) {
    const QuantVariable& v = vars[j];
    const std::string name = h.dict.DICGET(v.var).name;
    for (int c = 1; c <= v.K && ok; ++c) {
      rec.clear();
      rec.push_back(host::FileValue::str("QUANT"));
      std::string level = h.dict.VLBLST(v.var, static_cast<double>(c));
      rec.push_back(host::FileValue::str(level.empty() ? value_text(c) : level));
      rec.push_back(host::FileValue::str(name));
      for (int s = 0; s < p; ++s) rec.push_back(host::FileValue::num(v.Y[c - 1 + static_cast<long>(s) * v.ldy]));
      ok = f.MTDWRT(handle, rec);
    }
  }
  if (!ok) return false;
  f.MTDCLS(handle);
  if (!flagged && h.msg.error_flag()) return false;
  h.pivot.add_note(frame::key("Files Saved"), frame::text(f.path(handle)), frame::key("Matrix File"));
  return true;
}

bool chart(const ChartSpec& spec, const std::vector<ChartPoint>& points) {
  auto& h = H();
  auto& cx = h.charts;
  auto& msg = h.msg;
  int d = spec.d;
  Msg title = spec.title;
  if (d <= 0) {
    const Msg c = msg.BP_BEGIN_COMPSTRING(msg.CX_NSTRING("E61013^1^2"));
    msg.BP_ADD_PARAMETER(c, frame::integer(d));
    msg.BP_ADD_PARAMETER(c, frame::text(spec.name));
    title = msg.BP_END_COMPSTRING(c);
    d = 1;
  }
  // The element list (coordinates of every point) comes from the workspace.
  frame::Workspace ws;
  double* coords = ws.get<double>(points.size() * static_cast<std::size_t>(d));
  if (coords == nullptr) {
    number(17878, 1, 3);
    return false;
  }
  for (std::size_t r = 0; r < points.size(); ++r)
    for (int k = 0; k < d; ++k) {
      const auto s = static_cast<std::size_t>(spec.first + k);
      coords[r * static_cast<std::size_t>(d) + static_cast<std::size_t>(k)] =
          s < points[r].xy.size() ? points[r].xy[s] : host::SYSMIS;
    }
  bool grouped = false;
  for (const auto& pt : points)
    if (pt.group != 0 && pt.group != points.front().group) grouped = true;
  auto dim_label = [&](int s) {
    const Msg c = msg.BP_BEGIN_COMPSTRING(msg.CX_NSTRING("E61012^1"));
    msg.BP_ADD_PARAMETER(c, frame::integer(s + 1));
    return msg.BP_END_COMPSTRING(c);
  };

  const int id = cx.CX_CREATECHARTDESCRIPTION(spec.chart_template);
  if (title != 0) cx.CX_ADDFRAMEWITHLABEL(id, host::ChartFrame::Title, title);
  if (spec.frame_label != 0) cx.CX_ADDFRAMEWITHLABEL(id, host::ChartFrame::Footnote, spec.frame_label);
  const int lc = cx.CX_ADDAGGREGATE(id, msg.CX_NSTRING("E61001"), true);
  const Msg legend = spec.legend != 0 ? spec.legend : msg.CX_NSTRING("E61005");
  const int gc = grouped ? cx.CX_ADDAGGREGATE(id, legend, true) : 0;
  std::vector<int> dc;
  for (int k = 0; k < d; ++k) dc.push_back(cx.CX_ADDAGGREGATE(id, dim_label(spec.first + k), false));
  if (d == 1) {
    // One dimension: the points along x by label, their values up the y axis.
    cx.CX_ADDXYDIMENSIONWITHAXIS(id, lc, dc[0], msg.CX_NSTRING("E61001"),
                                 spec.value_title != 0 ? spec.value_title : dim_label(spec.first));
    cx.CX_ADDYREFERENCELINE(id, 0);
  } else if (d == 2) {
    cx.CX_ADDXYDIMAXISWITHSAMERATIO(id, dc[0], dc[1], dim_label(spec.first), dim_label(spec.first + 1));
    cx.CX_ADDXREFERENCELINE(id, 0);
    cx.CX_ADDYREFERENCELINE(id, 0);
  } else {
    cx.CX_ADDSPLOMELEMENT(id, dc, frame::key("Dimension"));
  }
  if (d <= 2) {
    const int el = cx.CX_ADDXYELEMENTEX(id, host::ElementKind::Point, gc);
    cx.CX_ADDLABELING(id, el, lc, spec.label_length);
  }
  if (gc != 0) cx.CX_ADDLEGENDFRAMEEX(id, legend);
  for (std::size_t r = 0; r < points.size(); ++r) {
    cx.CX_ADDROW(id);
    if (points[r].label != 0) cx.CX_ADDDATATEXT(id, lc, points[r].label);
    if (gc != 0 && points[r].group != 0) cx.CX_ADDDATATEXT(id, gc, points[r].group);
    for (int k = 0; k < d; ++k) cx.CX_ADDDATAVALUE(id, dc[static_cast<std::size_t>(k)], coords[r * static_cast<std::size_t>(d) + static_cast<std::size_t>(k)]);
  }
  if (points.empty() || msg.error_flag()) {
    cx.CX_KILLCHART(id);
    return false;
  }
  cx.CX_ENDCHART(id);
  return true;
}

}  // namespace oscat::older
