// The browser build's pads, through the page's Gamepad API: sampled once an animation frame,
// since the browser sends no events for a pad's buttons and sticks; but only once the page has
// a pad, which the browser tells of when a pad is first used. Until then the frames do not pay
// for asking.
#pragma once

#include <array>

#include "front/player_input.h"

class WebGamepads {
 public:
  // What every connected pad holds now, handed to the player's input. Browsers list at most four pads,
  // some eight: beyond that a pad is left out.
  void Read(PlayerInput& input);
  // Starts watching for the page's first pad (at once, if it has one already).
  void Watch();
  // The page has a pad: from now on they are sampled.
  void PadSeen() { padSeen = true; }
  // The page's touch controls, held as a pad's buttons are: a key that a finger and the keyboard
  // both hold stays down until both let go, and Quit, like Back, must be held for a second.
  void Touched(const PadState& held) { touch = held; }

 private:
  // The browser's pads, then the touch controls after them.
  std::array<PadState, 9> states{};
  PadState touch;
  bool padSeen = false;
};
