// The browser build's pads, through the page's Gamepad API: sampled once an animation frame,
// since the browser sends no events for a pad's buttons and sticks.
#pragma once

#include <array>

#include "app/gamepad.h"

class WebGamepads {
 public:
  // What every connected pad holds now, handed to the keys. Browsers list at most four pads,
  // some eight: beyond that a pad is left out.
  void Read(GamepadKeys& keys);

 private:
  std::array<PadState, 8> states{};
};
