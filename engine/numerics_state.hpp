// Host numerics state: the random generator behind URAND (SET SEED), the
// iteration odometer and the interrupt flag that Ctrl-C sets.
//
// Generator: xoshiro256** (Blackman and Vigna), its 256-bit state filled from
// the seed by splitmix64; URAND takes the top 53 bits as a double in [0, 1).
// The same seed gives the same sequence on every platform.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "host/host.hpp"

namespace oscat::engine {

// The process-wide interrupt flag (set by the SIGINT handler).
std::atomic<bool>& interrupt_flag();
// First Ctrl-C sets the flag (iterations stop and procedures return); a second
// one takes the default action and ends the program.
void install_interrupt_handler();

class NumericsState : public host::Numerics {
 public:
  static constexpr std::uint64_t kDefaultSeed = 2000000;

  NumericsState();
  double URAND() override;
  std::uint64_t seed() const override { return seed_; }
  void ODOMTR(std::string_view text, long counter) override;
  void ODOMTR(std::string_view text, long counter, long total) override;
  bool ATNJMP() const override;

  // Restart the generator from `seed` (SET SEED).
  void set_seed(std::uint64_t seed);
  // Clear the odometer line at the end of a command (if anything was shown).
  void end_command();
  // Where the odometer goes; it is shown only when `enabled` (a terminal).
  void set_progress(std::FILE* stream, bool enabled) {
    progress_ = stream;
    progress_enabled_ = enabled;
  }
  // The clock of the progress display (tests pass a fake one).
  using Clock = std::function<std::chrono::steady_clock::time_point()>;
  void set_clock(Clock clock) { clock_ = std::move(clock); }

 private:
  std::uint64_t next();
  std::uint64_t seed_ = kDefaultSeed;
  std::uint64_t s_[4] = {};
  std::FILE* progress_ = nullptr;
  bool progress_enabled_ = false;
  bool progress_shown_ = false;
  // One clock per counter text: a loop's pace is not reset by the iterations
  // shown inside each of its runs.
  struct Loop {
    std::string text;
    long first = 0, last = 0;
    std::chrono::steady_clock::time_point start{};
  };
  std::vector<Loop> loops_;
  std::chrono::steady_clock::time_point progress_drawn_{};
  Clock clock_ = [] { return std::chrono::steady_clock::now(); };
};

// The progress line: "Bootstrap sample 250 of 1000  (50 s, about 2 min 30 s
// left)". `seconds` have passed since the counter was `counter - done`; the
// time left assumes the same pace. Without a total: the pace per count.
std::string progress_line(std::string_view text, long counter, long total, double seconds, long done);
// "42 s", "2 min 30 s", "1 h 5 min" (whole seconds, rounded).
std::string format_duration(double seconds);

}  // namespace oscat::engine
