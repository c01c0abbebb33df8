// SDL's events as the window messages the Win32 window procedure would have been sent, handed
// to the game through the pads' merge.
#pragma once

#include <SDL.h>

#include <cstdint>

#include "app/gamepad.h"
#include "app/sdl_keys.h"

class EventTranslator {
 public:
  EventTranslator(SDL_Window* window, GamepadKeys& keys) : window(window), padKeys(keys) {}

  void Deliver(const SDL_Event& event);

 private:
  void Send(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) {
    padKeys.Message(message, wParam, lParam);
  }
  void Closed();
  void MouseButton(const SDL_MouseButtonEvent& button);

  SDL_Window* window;
  GamepadKeys& padKeys;
  KeyTranslator keys;
  bool closed = false;
};
