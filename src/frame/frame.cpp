#include "frame/frame.hpp"

#include <exception>
#include <new>
#include <string>

#include "frame/messages.hpp"
#include "host/host.hpp"

namespace oscat::frame {

using host::H;

ProcedureFrame::ProcedureFrame(const FrameSpec& spec) : routine_(spec.routine) {
  auto& h = H();
  h.pivot.BP_PROCEDURE(spec.title);
  saved_split_ = h.cases.split_count();
  if (saved_split_ > 0) {
    warn("Split File ignored.");
    h.cases.set_split_count(0);
  }
  if (spec.keep_tokens) {
    stacked_ = h.tokens.SSTACK() < 1;
    if (!stacked_) return;
  }
  begun_ = h.cases.XYBEG() != 0;
  open_ = begun_;
}

ProcedureFrame::~ProcedureFrame() { close(); }

void ProcedureFrame::declare_tables(std::span<const int> ids) {
  auto& p = H().pivot;
  for (int id : ids) p.BP_TABLE_ID(id);
  p.BP_END_TABLE_IDS();
}

void ProcedureFrame::credit(std::span<const char* const> lines) {
  auto& p = H().pivot;
  p.BP_BEGIN_PIVOT_TABLE(key("Credit"), 0);
  const int rows = p.BP_CATEGORY_DIMENSION(key("Credit"), host::Axis::Row);
  p.BP_HIDE_DIMENSION_LABEL(rows);
  const int cols = p.BP_CELL_DIMENSION(key("Credit"), host::Axis::Column);
  p.BP_HIDE_DIMENSION_LABEL(cols);
  const int col = p.BP_CELL_IN_CATEGORY(cols, text(""));
  p.BP_DATA_COL_MIN_MAX_WIDTH(30, 60);
  int i = 0;
  for (const char* line : lines) {
    const int r = p.BP_CELL_IN_CATEGORY(rows, text(std::to_string(++i)));
    p.BP_SET_TEXT(host::CellRef{{r, col}}, text(line));
  }
  p.BP_END_PIVOT_TABLE();
}

bool ProcedureFrame::failed() const { return ws_.failed() || H().msg.error_flag(); }

void ProcedureFrame::run(const std::function<void()>& body) {
  auto abandon = [] {
    // A table begun when the exception struck is not shown half built.
    H().pivot.BP_ABANDON_PIVOT_TABLE();
  };
  try {
    body();
  } catch (const std::bad_alloc&) {
    abandon();
    error("Insufficient memory.");
  } catch (const std::exception& e) {
    abandon();
    H().msg.ASSERT(false, routine_, e.what());
  } catch (...) {
    abandon();
    H().msg.ASSERT(false, routine_, "unknown exception");
  }
}

void ProcedureFrame::close() noexcept {
  auto& h = H();
  // Each step is guarded so that one failing step cannot keep the others
  // (and BP_END_PROCEDURE) from running.
  auto step = [&](auto&& f) {
    try {
      f();
    } catch (...) {
    }
  };
  step([&] { ws_.report_shortfall(); });
  for (auto& c : closers_) step(c);
  step([&] { ws_.release_all(); });
  step([&] {
    if (begun_) h.cases.XYENDF();
  });
  step([&] {
    if (stacked_) h.tokens.SSDELS();
  });
  step([&] {
    if (saved_split_ > 0) h.cases.set_split_count(saved_split_);
  });
  step([&] { h.charts.CX_TERMINATE(); });
  step([&] { h.pivot.BP_END_PROCEDURE(); });
}

}  // namespace oscat::frame
