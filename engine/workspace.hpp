// The host workspace: blocks handed to procedures by GETMEM, accounted against
// a byte limit (SET WORKSPACE). Blocks are zero-initialised, like the host's
// cleared work array, so a procedure never reads garbage.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "host/host.hpp"

namespace oscat::engine {

class WorkspaceArena : public host::Workspace {
 public:
  static constexpr std::size_t kDefaultLimit = std::size_t{1} << 30;  // 1 GiB
  // The limit a session starts with: half the machine's memory, at least
  // kDefaultLimit (or all of it on a smaller machine).
  static std::size_t machine_default_limit();

  // Receives SHOMEM's note: a message key and its parameter texts.
  using NoteSink = std::function<void(const std::string& key, const std::vector<std::string>& params)>;

  WorkspaceArena() : limit_(machine_default_limit()) {}
  ~WorkspaceArena() override;
  WorkspaceArena(const WorkspaceArena&) = delete;
  WorkspaceArena& operator=(const WorkspaceArena&) = delete;

  void* GETMEM(std::size_t bytes, std::size_t& granted) override;
  void FREMEM(void* block) override;
  std::size_t available() const override;
  std::pair<std::string, std::string> MEMALU(double bytes) const override;
  void SHOMEM() override;

  // The limit applies to later requests; blocks already granted stay valid.
  void set_limit(std::size_t bytes) { limit_ = bytes; }
  std::size_t limit() const { return limit_; }
  std::size_t in_use() const { return used_; }
  std::size_t outstanding() const { return blocks_.size(); }
  // Frees every outstanding block; returns how many there were.
  std::size_t release_all();
  // FREMEM calls with a pointer that no GETMEM handed out (ignored, counted).
  std::size_t bad_frees() const { return bad_frees_; }
  void set_note_sink(NoteSink sink) { note_ = std::move(sink); }

 private:
  std::unordered_map<void*, std::size_t> blocks_;  // block -> bytes accounted
  std::size_t limit_ = kDefaultLimit;
  std::size_t used_ = 0;
  std::size_t refused_ = 0;  // the last request the limit refused (0 = none since SHOMEM)
  std::size_t bad_frees_ = 0;
  NoteSink note_;
};

}  // namespace oscat::engine
