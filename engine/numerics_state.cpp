#include "engine/numerics_state.hpp"

#include "engine/files.hpp"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <string>
#include <unistd.h>

namespace oscat::engine {

namespace {
std::atomic<bool> g_interrupt{false};

extern "C" void on_sigint(int) {
  if (g_interrupt.load()) {
    // Second Ctrl-C: the user really wants out; no half-written file stays behind.
    remove_registered_temporaries();
    std::signal(SIGINT, SIG_DFL);
    std::raise(SIGINT);
    return;
  }
  g_interrupt.store(true);
}

// SIGTERM and SIGHUP end the run at once, as they would have, but first
// remove the files being written.
extern "C" void on_terminate(int sig) {
  remove_registered_temporaries();
  std::signal(sig, SIG_DFL);
  std::raise(sig);
}

std::uint64_t splitmix64(std::uint64_t& x) {
  std::uint64_t z = (x += 0x9e3779b97f4a7c15ULL);
  z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
  z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
  return z ^ (z >> 31);
}

inline std::uint64_t rotl(std::uint64_t x, int k) { return (x << k) | (x >> (64 - k)); }
}  // namespace

std::atomic<bool>& interrupt_flag() { return g_interrupt; }

void install_interrupt_handler() {
  static_assert(std::atomic<bool>::is_always_lock_free, "the signal handler needs a lock-free flag");
  std::signal(SIGINT, on_sigint);
  std::signal(SIGTERM, on_terminate);
  std::signal(SIGHUP, on_terminate);
}

NumericsState::NumericsState() {
  set_seed(kDefaultSeed);
  progress_ = stderr;
  progress_enabled_ = ::isatty(STDERR_FILENO) == 1;
}

void NumericsState::set_seed(std::uint64_t seed) {
  seed_ = seed;
  std::uint64_t x = seed;
  for (auto& w : s_) w = splitmix64(x);
}

std::uint64_t NumericsState::next() {
  const std::uint64_t result = rotl(s_[1] * 5, 7) * 9;
  const std::uint64_t t = s_[1] << 17;
  s_[2] ^= s_[0];
  s_[3] ^= s_[1];
  s_[1] ^= s_[2];
  s_[0] ^= s_[3];
  s_[2] ^= t;
  s_[3] = rotl(s_[3], 45);
  return result;
}

double NumericsState::URAND() { return static_cast<double>(next() >> 11) * 0x1.0p-53; }

std::string format_duration(double seconds) {
  const long long n = seconds > 0 ? std::llround(seconds) : 0;
  char buf[64];
  if (n < 60) std::snprintf(buf, sizeof buf, "%lld s", n);
  else if (n < 3600 && n % 60 == 0) std::snprintf(buf, sizeof buf, "%lld min", n / 60);
  else if (n < 3600) std::snprintf(buf, sizeof buf, "%lld min %lld s", n / 60, n % 60);
  else if ((n / 60) % 60 == 0) std::snprintf(buf, sizeof buf, "%lld h", n / 3600);
  else std::snprintf(buf, sizeof buf, "%lld h %lld min", n / 3600, (n / 60) % 60);
  return buf;
}

std::string progress_line(std::string_view text, long counter, long total, double seconds, long done) {
  std::string line = std::string(text) + " " + std::to_string(counter);
  if (total > 0) line += " of " + std::to_string(total);
  if (seconds < 1) return line;
  if (total > 0) {
    line += "  (" + format_duration(seconds);
    if (done > 0 && counter < total)
      line += ", about " + format_duration(seconds / static_cast<double>(done) * static_cast<double>(total - counter)) + " left";
    return line + ")";
  }
  if (counter > 0) {
    char pace[64];
    std::snprintf(pace, sizeof pace, "  (%.0f s, %.3g s each)", seconds, seconds / static_cast<double>(counter));
    line += pace;
  }
  return line;
}

void NumericsState::ODOMTR(std::string_view text, long counter) { ODOMTR(text, counter, 0); }

void NumericsState::ODOMTR(std::string_view text, long counter, long total) {
  if (!progress_enabled_ || progress_ == nullptr) return;
  // One line, redrawn at most ten times a second, with the pace so far; a
  // counter that starts again (another loop) starts its own clock.
  const auto now = clock_();
  auto it = std::find_if(loops_.begin(), loops_.end(), [&](const Loop& l) { return l.text == text; });
  if (it == loops_.end()) it = loops_.insert(loops_.end(), Loop{std::string(text), counter, counter, now});
  if (counter < it->last) *it = Loop{std::string(text), counter, counter, now};
  it->last = counter;
  if (progress_shown_ && now - progress_drawn_ < std::chrono::milliseconds(100)) return;
  progress_drawn_ = now;
  const double secs = std::chrono::duration<double>(now - it->start).count();
  const std::string line = "\r" + progress_line(text, counter, total, secs, counter - it->first) + "\033[K";
  std::fputs(line.c_str(), progress_);
  std::fflush(progress_);
  progress_shown_ = true;
}

void NumericsState::end_command() {
  loops_.clear();
  if (!progress_shown_) return;
  std::fputs("\r\033[K", progress_);
  std::fflush(progress_);
  progress_shown_ = false;
}

bool NumericsState::ATNJMP() const { return g_interrupt.load(std::memory_order_relaxed); }

}  // namespace oscat::engine
