// A pad as its platform reads it, once a frame. Each platform's pads (gamepad_sdl,
// gamepad_xinput, gamepad_web) fill these in and hand them to the player's input
// (player_input.h), which turns them into the keys a keyboard would press.
#pragma once

#include <algorithm>
#include <cstdint>

#include "core/input/pad_state.h"

// The four face buttons, named by where they sit, as the jump may be put on any of them.
enum class FaceButton { south, east, west, north };

inline bool& Face(PadState& pad, FaceButton button) {
  switch (button) {
    case FaceButton::east: return pad.east;
    case FaceButton::west: return pad.west;
    case FaceButton::north: return pad.north;
    case FaceButton::south: break;
  }
  return pad.south;
}
inline bool Face(const PadState& pad, FaceButton button) { return Face(const_cast<PadState&>(pad), button); }

// A stick axis as SDL and XInput report it, -32768 to 32767, in PadState's terms.
inline float StickFromAxis(std::int16_t axis) { return std::max(-1.0f, axis / 32767.0f); }
