// The game's speed: 60 frames a second on average, whatever the screen does. Presenting may
// wait for a 60 Hz retrace, a 144 Hz one, or not at all (no vsync, a hidden window); the loop
// asks the pacer before every frame and sleeps for what is left.
//
// Frames are due one period apart, counted from the first, so an oversleep now and then does
// not slow the game down over time. A frame that runs a little late is made up by the next
// being due sooner; after a stall of several periods (a dragged window, a debugger) the count
// starts afresh instead of rushing out the missed frames.
//
// The pacer's rate sets how many of the game's frames a tick runs: at 1x one, slower only some
// ticks run one, faster a tick runs several and shows only the last. Ticks stay 60 a second
// whatever the rate, so a screen is never asked for more pictures than at the game's own pace.
#pragma once

#include <chrono>

#include "core/game/pace_rate.h"


class FramePacer {
 public:
  using Clock = std::chrono::steady_clock;
  static constexpr Clock::duration period =
      std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(1.0 / 60.0));
  // Later than this, a frame is not made up. A screen refreshing at 30 Hz still gets its two
  // frames per refresh, and a hitch of a tenth of a second (a switch to full screen, a busy
  // moment) costs the game no time; a longer stall is let go rather than played back fast.
  static constexpr Clock::duration stallLimit = 8 * period;

  // Zero when a frame may run now, else how long until one may.
  Clock::duration TimeUntilDue(Clock::time_point now) const {
    return started && now < due ? due - now : Clock::duration::zero();
  }

  // A tick starts now; returns how many frames it runs.
  int FrameRuns(Clock::time_point now) {
    if (!started || now - due > stallLimit) {
      started = true;
      due = now;
    }
    due += period;
    // The player's pace scales every rate: a demo at 2x played at 70 % runs 1.4 frames a tick.
    owed += rate.frames * pace;
    const int frames = owed / (rate.ticks * 100);
    owed %= rate.ticks * 100;
    return frames;
  }

  // From the next tick on. The part of a frame owed at the old rate is dropped.
  void SetRate(PaceRate wanted) {
    if (wanted == rate || wanted.frames < 1 || wanted.ticks < 1) return;
    rate = wanted;
    owed = 0;
  }
  PaceRate Rate() const { return rate; }
  // The player's pace, in per cent of the game's own: a slower game is the same frames, fewer of
  // them a second, through the same shares as a demo's speeds.
  void SetPace(int percent) {
    if (percent == pace || percent < 1) return;
    pace = percent;
    owed = 0;
  }

 private:
  Clock::time_point due{};
  bool started = false;
  PaceRate rate;
  int pace = 100;
  int owed = 0;
};
