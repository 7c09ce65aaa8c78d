#include "driver/workspace_registry.hpp"

namespace oscat::driver {

void* WorkspaceRegistry::get_bytes(int slot, std::size_t count, std::size_t elem) {
  if (slot < 0 || slot >= kSlots) {
    failed_ = true;
    return nullptr;
  }
  release(slot);
  auto& ws = host::H().workspace;
  std::size_t bytes = 0;
  void* p = (count > static_cast<std::size_t>(-1) / elem) ? nullptr : ws.GETMEM(count * elem, bytes);
  if (p == nullptr || bytes / elem < count) {
    if (p != nullptr) ws.FREMEM(p);
    failed_ = true;
    return nullptr;
  }
  ptr_[static_cast<std::size_t>(slot)] = p;
  granted_[static_cast<std::size_t>(slot)] = bytes / elem;
  return p;
}

void WorkspaceRegistry::release(int slot) {
  if (slot < 0 || slot >= kSlots) return;
  auto s = static_cast<std::size_t>(slot);
  if (ptr_[s] != nullptr) host::H().workspace.FREMEM(ptr_[s]);
  ptr_[s] = nullptr;
  granted_[s] = 0;
}

void WorkspaceRegistry::release_all() {
  for (int s = 0; s < kSlots; ++s) release(s);
}

std::size_t WorkspaceRegistry::granted(int slot) const {
  return (slot < 0 || slot >= kSlots) ? 0 : granted_[static_cast<std::size_t>(slot)];
}

void* WorkspaceRegistry::block(int slot) const {
  return (slot < 0 || slot >= kSlots) ? nullptr : ptr_[static_cast<std::size_t>(slot)];
}

}  // namespace oscat::driver
