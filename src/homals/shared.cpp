#include "homals/shared.hpp"

#include <cstdio>

#include "frame/messages.hpp"
#include "frame/workspace.hpp"

namespace oscat::older {

using host::H;
using host::Msg;

void number(int n, int cls, int severity, std::vector<std::string> params) {
  H().msg.ERROR(n, cls, severity, std::move(params));
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
    cx.CX_ADDXYDIMENSIONWITHAXIS(id, lc, dc[0], msg.CX_NSTRING("E61001"), dim_label(spec.first));
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
