// The pointer as last reported to the window. Nothing in the game reads it yet; the window
// procedure keeps it current all the same.
#pragma once

#include <cstdint>

struct Mouse {
  std::int32_t x;
  std::int32_t y;
  bool leftDown;
  bool rightDown;
  bool inside;
};

// Constant-initialised: no code runs to build or destroy it.
extern Mouse processMouse;
