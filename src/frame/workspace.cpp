#include "frame/workspace.hpp"

#include <algorithm>
#include <limits>

#include "host/host.hpp"

namespace oscat::frame {

void* Workspace::get_bytes(int slot, std::size_t count, std::size_t elem) {
  release(slot);
  auto& ws = host::H().workspace;
  std::size_t bytes = 0;
  void* p = count > std::numeric_limits<std::size_t>::max() / elem ? nullptr : ws.GETMEM(count * elem, bytes);
  if (p == nullptr || bytes / elem < count) {
    if (p != nullptr) ws.FREMEM(p);
    failed_ = true;
    return nullptr;
  }
  blocks_.push_back({slot, p, bytes / elem});
  return p;
}

void Workspace::report_shortfall() {
  if (!failed_ || reported_) return;
  reported_ = true;
  auto& msg = host::H().msg;
  msg.BP_ERROR(msg.BP_CSTRING("Insufficient memory."), 2, 3);
}

const Workspace::Block* Workspace::find(int slot) const {
  auto it = std::find_if(blocks_.begin(), blocks_.end(), [&](const Block& b) { return b.slot == slot; });
  return it == blocks_.end() ? nullptr : &*it;
}

void Workspace::release(int slot) {
  auto it = std::find_if(blocks_.begin(), blocks_.end(), [&](const Block& b) { return b.slot == slot; });
  if (it == blocks_.end()) return;
  host::H().workspace.FREMEM(it->p);
  blocks_.erase(it);
}

void Workspace::release_all() {
  // Newest first, the order a stack of phases would give them back.
  while (!blocks_.empty()) {
    host::H().workspace.FREMEM(blocks_.back().p);
    blocks_.pop_back();
  }
}

std::size_t Workspace::granted(int slot) const {
  const Block* b = find(slot);
  return b ? b->granted : 0;
}

void* Workspace::block(int slot) const {
  const Block* b = find(slot);
  return b ? b->p : nullptr;
}

}  // namespace oscat::frame
