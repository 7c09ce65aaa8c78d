// Every workspace block a procedure obtains from the host, so that whatever
// path ends the command (an error, a shortfall, an interrupt, an exception)
// releases all of them. Blocks are kept by slot: each owner numbers its own
// arrays in one enum (the driver from 0, an analysis from the driver's last
// slot on), and the registry grows with what is asked, so no separate count
// can fall out of step with the enums.
#pragma once

#include <cstddef>
#include <vector>

namespace oscat::frame {

class Workspace {
 public:
  Workspace() = default;
  Workspace(const Workspace&) = delete;
  Workspace& operator=(const Workspace&) = delete;
  ~Workspace() { release_all(); }

  // `count` elements of T into `slot` (a slot already holding a block is
  // released first). nullptr when the host granted less than asked; the
  // shortfall is remembered for the single "Insufficient memory." report.
  template <class T>
  T* get(int slot, std::size_t count) {
    return static_cast<T*>(get_bytes(slot, count == 0 ? 1 : count, sizeof(T)));
  }
  // A block without a slot of its own; it lives until the command closes.
  template <class T>
  T* get(std::size_t count) {
    return get<T>(next_anonymous_--, count);
  }
  void release(int slot);
  void release_all();
  bool failed() const { return failed_; }
  // "Insufficient memory." after a shortfall, once however often called.
  void report_shortfall();
  std::size_t granted(int slot) const;  // elements granted in `slot` (0 when empty)
  void* block(int slot) const;
  int blocks() const { return static_cast<int>(blocks_.size()); }

 private:
  struct Block {
    int slot;
    void* p;
    std::size_t granted;  // elements
  };
  void* get_bytes(int slot, std::size_t count, std::size_t elem);
  const Block* find(int slot) const;
  std::vector<Block> blocks_;
  int next_anonymous_ = -1;
  bool failed_ = false;
  bool reported_ = false;
};

}  // namespace oscat::frame
