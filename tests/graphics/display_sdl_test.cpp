#include "graphics/display_sdl.h"

#include <gtest/gtest.h>

#include <chrono>

namespace {

using Clock = FramePacer::Clock;
using std::chrono::microseconds;
using std::chrono::milliseconds;

constexpr Clock::duration period = FramePacer::framePeriod;

}  // namespace

TEST(FramePacer, HoldsFramesThatPresentInstantlyToSixtyASecond) {
  FramePacer pacer;
  Clock::time_point now{};
  EXPECT_EQ(pacer.WaitAfterFrame(now), Clock::duration::zero());
  // Every frame takes 1 ms to draw and present, and every sleep overshoots by 0.3 ms.
  for (int frame = 1; frame <= 600; ++frame) {
    now += milliseconds(1);
    const Clock::duration wait = pacer.WaitAfterFrame(now);
    EXPECT_GT(wait, Clock::duration::zero());
    now += wait + microseconds(300);
  }
  // The oversleeping does not add up: 600 frames still take ten seconds, give or take one
  // sleep's error.
  const auto elapsed = now - Clock::time_point{};
  EXPECT_GE(elapsed, 600 * period);
  EXPECT_LE(elapsed, 600 * period + milliseconds(2));
  EXPECT_NEAR(std::chrono::duration<double>(FramePacer::framePeriod).count(), 1.0 / 60.0, 1e-9);
}

TEST(FramePacer, ALateFrameIsMadeUpByTheNextOneNotLost) {
  FramePacer pacer;
  Clock::time_point now{};
  pacer.WaitAfterFrame(now);
  // Half a frame late: no wait now, and the next deadline is still one period after the
  // missed one, so the following frame waits only what is left of it.
  now += period + period / 2;
  EXPECT_EQ(pacer.WaitAfterFrame(now), Clock::duration::zero());
  now += milliseconds(1);
  EXPECT_EQ(pacer.WaitAfterFrame(now), (Clock::time_point{} + 2 * period) - now);
}

TEST(FramePacer, AfterAStallOfMoreThanAFrameItStartsAfresh) {
  FramePacer pacer;
  Clock::time_point now{};
  pacer.WaitAfterFrame(now);
  // The window was dragged for half a second: no burst of frames to catch up afterwards.
  now += milliseconds(500);
  EXPECT_EQ(pacer.WaitAfterFrame(now), Clock::duration::zero());
  now += milliseconds(2);
  EXPECT_EQ(pacer.WaitAfterFrame(now), period - milliseconds(2));
}

TEST(FramePacer, AScreenThatAlreadyWaitsForItsRetraceIsNotSlowedFurther) {
  FramePacer pacer;
  Clock::time_point now{};
  pacer.WaitAfterFrame(now);
  // A 59.94 Hz screen: presenting itself takes a little longer than a frame of the game.
  const Clock::duration retrace = std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(1.0 / 59.94));
  for (int frame = 1; frame <= 1200; ++frame) {
    now += retrace;
    EXPECT_EQ(pacer.WaitAfterFrame(now), Clock::duration::zero()) << "frame " << frame;
  }
}
