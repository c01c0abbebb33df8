// The SDL presentation: the frame buffer goes to a streaming texture that the renderer scales
// into the window, aspect kept, and is presented with vertical sync.
#pragma once

#include <SDL.h>

#include <chrono>
#include <string>

#include "graphics/display.h"

// Holds the game to its frame rate where presenting does not wait for the screen (a virtual
// display, a hidden or minimised window, a screen faster than the game). Deadlines follow
// each other a frame apart, so sleeping a little too long now and then does not slow the game
// down over time; after a stall of more than a frame it starts afresh rather than rushing
// frames out to catch up.
class FramePacer {
 public:
  using Clock = std::chrono::steady_clock;
  static constexpr Clock::duration framePeriod =
      std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(1.0 / 60.0));

  // Called once per presented frame with the time presenting finished; returns how long to
  // sleep before the game may go on.
  Clock::duration WaitAfterFrame(Clock::time_point now);

 private:
  Clock::time_point deadline{};
  bool started = false;
};

struct Display::Platform {
  SDL_Window* window = nullptr;
  SDL_Renderer* renderer = nullptr;
  SDL_Texture* texture = nullptr;
  bool fullScreen = false;
  FramePacer pacer;
  // Why there is nothing to draw into, when there is not.
  std::string failure;

  bool Ready() const { return renderer != nullptr && texture != nullptr; }
};
