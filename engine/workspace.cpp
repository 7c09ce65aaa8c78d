#include "engine/workspace.hpp"

#include <cstdio>
#include <cstdlib>

#include <unistd.h>

#include <algorithm>

namespace oscat::engine {

WorkspaceArena::~WorkspaceArena() { release_all(); }

std::size_t WorkspaceArena::machine_default_limit() {
  const long pages = ::sysconf(_SC_PHYS_PAGES), page = ::sysconf(_SC_PAGESIZE);
  if (pages <= 0 || page <= 0) return kDefaultLimit;
  const double bytes = static_cast<double>(pages) * static_cast<double>(page);
  const double half = bytes / 2;
  const double chosen = half >= static_cast<double>(kDefaultLimit) ? half : std::min(bytes, static_cast<double>(kDefaultLimit));
  return static_cast<std::size_t>(chosen);
}

void* WorkspaceArena::GETMEM(std::size_t bytes, std::size_t& granted) {
  granted = 0;
  if (bytes > limit_ || used_ > limit_ - bytes) {
    refused_ = bytes;
    return nullptr;
  }
  // A zero-byte request still gets a distinct block, so "non-null means
  // granted, release it later" holds for every caller.
  void* p = std::calloc(bytes == 0 ? 1 : bytes, 1);
  if (p == nullptr) return nullptr;
  blocks_.emplace(p, bytes);
  used_ += bytes;
  granted = bytes;
  return p;
}

void WorkspaceArena::FREMEM(void* block) {
  if (block == nullptr) return;
  auto it = blocks_.find(block);
  if (it == blocks_.end()) {
    // Never hand a foreign pointer to free(): that would corrupt the heap.
    ++bad_frees_;
    return;
  }
  used_ -= it->second;
  blocks_.erase(it);
  std::free(block);
}

std::size_t WorkspaceArena::available() const { return used_ >= limit_ ? 0 : limit_ - used_; }

std::pair<std::string, std::string> WorkspaceArena::MEMALU(double bytes) const {
  static const char* const units[] = {"KB", "MB", "GB", "TB"};
  if (!(bytes >= 1024.0)) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.0f", bytes < 0 || bytes != bytes ? 0.0 : bytes);
    return {buf, "bytes"};
  }
  double v = bytes / 1024.0;
  int u = 0;
  while (v >= 1024.0 && u < 3) {
    v /= 1024.0;
    ++u;
  }
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.1f", v);
  std::string s = buf;
  if (s.size() > 2 && s.compare(s.size() - 2, 2, ".0") == 0) s.resize(s.size() - 2);
  return {s, units[u]};
}

void WorkspaceArena::SHOMEM() {
  if (!note_) return;
  auto [lim, lim_unit] = MEMALU(static_cast<double>(limit_));
  auto [use, use_unit] = MEMALU(static_cast<double>(used_));
  if (refused_ > 0) {
    // Say what was asked and how to allow it.
    auto [ask, ask_unit] = MEMALU(static_cast<double>(refused_));
    refused_ = 0;
    note_("Workspace asked ^1 ^2; limit ^3 ^4; in use ^5 ^6.", {ask, ask_unit, lim, lim_unit, use, use_unit});
    return;
  }
  note_("Workspace limit ^1 ^2; in use ^3 ^4.", {lim, lim_unit, use, use_unit});
}

std::size_t WorkspaceArena::release_all() {
  std::size_t n = blocks_.size();
  for (auto& [p, bytes] : blocks_) std::free(p);
  blocks_.clear();
  used_ = 0;
  return n;
}

}  // namespace oscat::engine
