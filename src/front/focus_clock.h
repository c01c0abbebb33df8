// Whether a key press read from the window's queue happened before the window last lost the
// focus. Such a press comes after the loss has let go of every key, and its release went to
// another window: the game must not see it, or it would hold the key for good. It may even be
// read after the focus has come back, so its own time tells it apart.
//
// The times are the window system's 32-bit millisecond clock, which wraps every 49.7 days: one
// time is before another when it is less than half the clock behind it. So a press timed after
// the focus came back is never stale, however long the window was away, and the loss is
// forgotten once the focus has been back a while with the queue emptied: nothing from before
// it can be waiting then, and a window that keeps the focus for a month never compares a press
// with a loss that far behind.
#pragma once

#include <cstdint>

class FocusClock {
 public:
  // How long the loss is remembered once the focus is back: a press from before it may be
  // read late, when the window system hands its input over in batches.
  static constexpr std::uint32_t settleMilliseconds = 1000;

  void Lost(std::uint32_t now) {
    lost = true;
    back = false;
    lostAt = now;
  }
  void Returned(std::uint32_t now) {
    if (!lost || back) return;
    back = true;
    backAt = now;
  }
  // Once a frame, when every waiting message has been read.
  void QueueEmptied(bool hasFocus, std::uint32_t now) {
    if (!lost || !hasFocus) return;
    if (!back) {
      Returned(now);  // the focus came back without a word
    } else if (now - backAt >= settleMilliseconds) {
      lost = false;
    }
  }

  bool StalePress(bool hasFocus, std::uint32_t messageTime) const {
    if (!hasFocus) return true;
    if (!lost) return false;
    if (back && !Before(messageTime, backAt)) return false;
    return Before(messageTime, lostAt);
  }

 private:
  static bool Before(std::uint32_t time, std::uint32_t other) {
    return static_cast<std::uint32_t>(time - other) >= 0x80000000u;
  }

  bool lost = false;  // and a press from before it may still be read
  bool back = false;  // the focus has come back since
  std::uint32_t lostAt = 0;
  std::uint32_t backAt = 0;
};
