// The game's pace against simulated screens: a fake clock, a loop that sleeps as the real one
// does (a little too long), and presentations that wait for retraces at various rates or not
// at all.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <numeric>
#include <vector>

#include "front/frame_pacer.h"

namespace {

using Clock = FramePacer::Clock;
using std::chrono::microseconds;
using std::chrono::milliseconds;

constexpr Clock::duration second = std::chrono::seconds(1);

struct Screen {
  int hertz;  // 0: presenting returns at once
  // When presenting, begun at now, returns: at the next retrace.
  Clock::time_point Present(Clock::time_point now) const {
    if (hertz == 0) return now;
    const Clock::duration interval = second / hertz;
    const auto retraces = (now.time_since_epoch() + interval - Clock::duration(1)) / interval;
    return Clock::time_point(retraces * interval);
  }
};

// Runs the loop for the given time and counts the frames; each frame draws for 2 ms and every
// sleep oversleeps by 0.3 ms. stallAt, if set, freezes the program for stallFor once.
struct Simulation {
  explicit Simulation(int hertz, Clock::duration stallAt = {}, Clock::duration stallFor = {})
      : screen{hertz}, stallAt(stallAt), stallFor(stallFor) {}

  Screen screen;
  Clock::duration stallAt;
  Clock::duration stallFor;
  std::vector<Clock::time_point> frameStarts;

  long Run(Clock::duration length) {
    FramePacer pacer;
    Clock::time_point now{};
    bool stalled = false;
    while (now < Clock::time_point(length)) {
      const Clock::duration wait = pacer.TimeUntilDue(now);
      if (wait > Clock::duration::zero()) {
        now += wait + microseconds(300);
        continue;
      }
      pacer.FrameRuns(now);
      frameStarts.push_back(now);
      now = screen.Present(now + milliseconds(2));
      if (!stalled && stallFor > Clock::duration::zero() && now >= Clock::time_point(stallAt)) {
        stalled = true;
        now += stallFor;
      }
    }
    return static_cast<long>(frameStarts.size());
  }
};

TEST(FramePacer, SixtyFramesASecondWhateverTheScreenDoes) {
  for (int hertz : {0, 60, 75, 120, 144, 240}) {
    Simulation simulation(hertz);
    EXPECT_NEAR(simulation.Run(10 * second), 600, 1) << hertz << " Hz";
  }
}

TEST(FramePacer, OnAHundredAndTwentyHertzScreenEveryOtherRetraceShowsAFrame) {
  Simulation simulation(120);
  simulation.Run(2 * second);
  const Clock::duration retrace = second / 120;
  for (std::size_t i = 2; i < simulation.frameStarts.size(); ++i) {
    const Clock::duration gap = simulation.frameStarts[i] - simulation.frameStarts[i - 1];
    EXPECT_GT(gap, retrace + retrace / 2) << "frame " << i;
    EXPECT_LT(gap, 2 * retrace + retrace / 2) << "frame " << i;
  }
}

TEST(FramePacer, AfterAStallTheGameGoesOnAtNormalSpeedWithoutABurst) {
  Simulation simulation(0, std::chrono::seconds(3), std::chrono::seconds(1));
  const long frames = simulation.Run(10 * second);
  // The stalled second is lost, not made up afterwards.
  EXPECT_NEAR(frames, 540, 2);
  for (std::size_t i = 1; i < simulation.frameStarts.size(); ++i)
    EXPECT_GE(simulation.frameStarts[i] - simulation.frameStarts[i - 1], FramePacer::period - milliseconds(1))
        << "frame " << i;
}

TEST(FramePacer, AFrameRunningALittleLateIsMadeUpByTheNext) {
  FramePacer pacer;
  Clock::time_point now{};
  pacer.FrameRuns(now);
  now += FramePacer::period + FramePacer::period / 2;
  EXPECT_EQ(pacer.TimeUntilDue(now), Clock::duration::zero());
  pacer.FrameRuns(now);
  // The next one is due two periods after the first, not one period after this one.
  EXPECT_EQ(pacer.TimeUntilDue(now), 2 * FramePacer::period - (now - Clock::time_point{}));
}

// A rate changes how many frames the ticks run, never how often ticks come: a second of ticks
// runs a quarter of a second's frames at 1/4, eight seconds' at 8x, one each again at 1x.
TEST(FramePacer, ARateSharesFramesOutOverTicksThatStaySixtyASecond) {
  FramePacer pacer;
  Clock::time_point now{};
  const auto second = [&](PaceRate rate, std::vector<int>& perTick) {
    pacer.SetRate(rate);
    perTick.clear();
    for (int tick = 0; tick < 60; ++tick) {
      now += pacer.TimeUntilDue(now);
      perTick.push_back(pacer.FrameRuns(now));
    }
  };
  std::vector<int> frames;
  second({1, 4}, frames);
  EXPECT_EQ(std::count(frames.begin(), frames.end(), 1), 15);
  EXPECT_EQ(std::count(frames.begin(), frames.end(), 0), 45);
  second({8, 1}, frames);
  EXPECT_EQ(std::count(frames.begin(), frames.end(), 8), 60);
  second({1, 1}, frames);
  EXPECT_EQ(std::count(frames.begin(), frames.end(), 1), 60);
  EXPECT_NEAR(std::chrono::duration<double>(now.time_since_epoch()).count(), 3.0, 0.02);
  // The player's pace scales whatever rate there is: half pace is every other tick, and 2x at
  // 70 % runs 84 frames a second.
  pacer.SetPace(50);
  second({1, 1}, frames);
  EXPECT_EQ(std::count(frames.begin(), frames.end(), 1), 30);
  EXPECT_EQ(std::count(frames.begin(), frames.end(), 0), 30);
  pacer.SetPace(70);
  second({2, 1}, frames);
  EXPECT_EQ(std::accumulate(frames.begin(), frames.end(), 0), 84);
}

}  // namespace
