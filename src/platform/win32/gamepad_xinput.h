// The Windows build's pads through XInput, loaded when the game starts: xinput1_4.dll (Windows
// 8 and later) or else xinput9_1_0.dll (Vista, 7). A system with neither plays on keys alone.
#pragma once

#include <windows.h>

#include <array>

#include "front/player_input.h"

class XInputPads {
 public:
  XInputPads();
  XInputPads(const XInputPads&) = delete;
  XInputPads& operator=(const XInputPads&) = delete;

  // Once a frame, before it runs: what every connected pad holds, handed to the player's input.
  void Read(PlayerInput& input);

 private:
  using GetStateFunction = DWORD(WINAPI*)(DWORD user, void* state);
  static constexpr DWORD userCount = 4;  // XUSER_MAX_COUNT

  HMODULE library = nullptr;  // never unloaded: see LoadForGood
  GetStateFunction getState = nullptr;
  std::array<bool, userCount> connected{};
  int framesToSearch = 0;
};
