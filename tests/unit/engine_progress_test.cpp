// The progress display: the time left of loops with a known length, on a fake
// clock.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <string>

#include "engine/numerics_state.hpp"

namespace {

using namespace oscat::engine;
using Clock = std::chrono::steady_clock;

TEST(Progress, DurationsReadAsPeopleSayThem) {
  EXPECT_EQ(format_duration(0), "0 s");
  EXPECT_EQ(format_duration(59.4), "59 s");
  EXPECT_EQ(format_duration(59.6), "1 min");
  EXPECT_EQ(format_duration(150), "2 min 30 s");
  EXPECT_EQ(format_duration(3599.6), "1 h");
  EXPECT_EQ(format_duration(3 * 3600 + 25 * 60 + 20), "3 h 25 min");
  EXPECT_EQ(format_duration(-5), "0 s");
}

TEST(Progress, TimeLeftFollowsThePaceSoFar) {
  // 250 of 1000 in 50 s, counted from the first: 0.2 s each, 750 to go.
  EXPECT_EQ(progress_line("Bootstrap sample", 250, 1000, 50.0, 250), "Bootstrap sample 250 of 1000  (50 s, about 2 min 30 s left)");
  // The clock started at sample 10: 240 done in 48 s is the same pace.
  EXPECT_EQ(progress_line("Bootstrap sample", 250, 1000, 48.0, 240), "Bootstrap sample 250 of 1000  (48 s, about 2 min 30 s left)");
  // Under a second, or nothing done since the clock started: no guess.
  EXPECT_EQ(progress_line("Run", 3, 10, 0.5, 2), "Run 3 of 10");
  EXPECT_EQ(progress_line("Run", 3, 10, 4.0, 0), "Run 3 of 10  (4 s)");
  EXPECT_EQ(progress_line("Run", 10, 10, 4.0, 9), "Run 10 of 10  (4 s)");
  // Without a total, the pace per count as before.
  EXPECT_EQ(progress_line("Iteration", 20, 0, 10.0, 19), "Iteration 20  (10 s, 0.5 s each)");
}

// The odometer on a fake clock, written to a temporary file.
struct Odometer {
  NumericsState num;
  std::FILE* f = std::tmpfile();
  Clock::time_point t0 = Clock::now(), now = t0;
  Odometer() {
    num.set_progress(f, true);
    num.set_clock([this] { return now; });
  }
  ~Odometer() { std::fclose(f); }
  void at(double secs) { now = t0 + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(secs)); }
  // The last line drawn.
  std::string shown() {
    std::fflush(f);
    std::rewind(f);
    std::string all;
    for (int c; (c = std::fgetc(f)) != EOF;) all += static_cast<char>(c);
    const auto cr = all.rfind('\r');
    std::string line = all.substr(cr + 1);
    const auto esc = line.find("\033[K");
    return esc == std::string::npos ? line : line.substr(0, esc);
  }
};

TEST(Progress, InnerIterationsDoNotRestartTheLoopsClock) {
  Odometer o;
  o.at(0);
  o.num.ODOMTR("Run", 1, 101);
  EXPECT_EQ(o.shown(), "Run 1 of 101");
  // Each run shows its iterations; the runs' clock keeps going.
  o.at(5);
  o.num.ODOMTR("Iteration", 7);
  o.at(10);
  o.num.ODOMTR("Run", 11, 101);
  EXPECT_EQ(o.shown(), "Run 11 of 101  (10 s, about 1 min 30 s left)");
  // A redraw within a tenth of a second is skipped.
  o.at(10.05);
  o.num.ODOMTR("Run", 12, 101);
  EXPECT_EQ(o.shown(), "Run 11 of 101  (10 s, about 1 min 30 s left)");
  // A new command, or a counter that starts again, starts a new clock.
  o.num.end_command();
  o.at(100);
  o.num.ODOMTR("Run", 1, 11);
  o.at(102);
  o.num.ODOMTR("Run", 2, 11);
  EXPECT_EQ(o.shown(), "Run 2 of 11  (2 s, about 18 s left)");
}

TEST(Progress, NothingWhenNotATerminal) {
  NumericsState num;
  std::FILE* f = std::tmpfile();
  num.set_progress(f, false);
  num.ODOMTR("Bootstrap sample", 5, 10);
  num.end_command();
  EXPECT_EQ(std::ftell(f), 0L);
  std::fclose(f);
}

}  // namespace
