// The SDL build's pads: every game controller SDL knows (its own mapping database names the
// buttons), opened as it is plugged in and closed as it goes.
#pragma once

#include <SDL.h>

#include <vector>

#include "front/player_input.h"

class SdlGamepads {
 public:
  SdlGamepads() = default;
  ~SdlGamepads();
  SdlGamepads(const SdlGamepads&) = delete;
  SdlGamepads& operator=(const SdlGamepads&) = delete;

  // Controller arrivals and departures; every other event is left alone.
  void Event(const SDL_Event& event);
  // Once a frame, before it runs: what every open controller holds, handed to the player's input.
  void Read(PlayerInput& input);

 private:
  std::vector<SDL_GameController*> controllers;
  std::vector<PadState> states;  // kept between frames, so that reading allocates nothing
};
