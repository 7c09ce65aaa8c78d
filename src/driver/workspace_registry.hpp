// Every workspace block the driver obtains, by slot, so that the closing
// sequence can release all of them whatever path led there.
#pragma once

#include <array>
#include <cstddef>

#include "host/host.hpp"

namespace oscat::driver {

// Slot numbers (0-based). Groups follow the phases that allocate them.
enum Slot : int {
  kVarList = 0,
  // Per-variable arrays allocated right after VARIABLES.
  kPerVar0, kPerVar1, kPerVar2, kPerVar3, kPerVar4, kPerVar5, kLevels16, kPerVar4m, kPcaExtra,
  kCatregInt, kCatregM0, kCatregM1,
  kBootBook, kStartPatterns,
  kTableHandles, kTableHandles2,
  // Data preparation.
  kCoded, kWeights, kCaseBook, kRaw, kTemp, kDiscScratch, kStatus, kDraw,
  kBookCount, kBookValues, kBookFreq, kBookMode, kBookMiss, kBookExtra,
  kOrigCount, kOrigValues, kOrigFreq, kOrigMode, kOrigMiss, kOrigExtra,
  kValidPerVar, kIssues, kZeroVar,
  kFirstAnalysisSlot,  // slots from here on are free for the analysis Parts
};

class WorkspaceRegistry {
 public:
  static constexpr int kSlots = 106;

  // `count` elements of T into `slot` (a slot already holding a block is
  // released first). nullptr when the host granted less than asked; the
  // shortfall is remembered for the single "Insufficient memory." report.
  template <class T>
  T* get(int slot, std::size_t count) {
    return static_cast<T*>(get_bytes(slot, count == 0 ? 1 : count, sizeof(T)));
  }
  void release(int slot);
  void release_all();
  bool failed() const { return failed_; }
  // Elements granted in `slot` (0 when empty).
  std::size_t granted(int slot) const;
  void* block(int slot) const;

 private:
  void* get_bytes(int slot, std::size_t count, std::size_t elem);
  std::array<void*, kSlots> ptr_{};
  std::array<std::size_t, kSlots> granted_{};  // elements granted
  bool failed_ = false;
};

}  // namespace oscat::driver
