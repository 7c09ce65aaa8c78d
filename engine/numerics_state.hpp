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
#include <string>

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

 private:
  std::uint64_t next();
  std::uint64_t seed_ = kDefaultSeed;
  std::uint64_t s_[4] = {};
  std::FILE* progress_ = nullptr;
  bool progress_enabled_ = false;
  bool progress_shown_ = false;
  std::string progress_text_;
  long progress_last_ = 0;
  std::chrono::steady_clock::time_point progress_start_{}, progress_drawn_{};
};

}  // namespace oscat::engine
