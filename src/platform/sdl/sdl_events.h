// SDL's events as the window messages the Win32 window procedure would have been sent. The
// SDL loop hands each one to the player's input.
#pragma once

#include <SDL.h>

#include <array>
#include <cstddef>
#include <cstdint>

#include "platform/sdl/sdl_keys.h"

struct WindowMessage {
  std::uint32_t message;
  std::uintptr_t wParam;
  std::intptr_t lParam;
};

class EventTranslator {
 public:
  // A text event's code units are the most one event makes.
  static constexpr std::size_t maxMessages = sizeof(SDL_TextInputEvent::text);
  using Messages = std::array<WindowMessage, maxMessages>;

  explicit EventTranslator(SDL_Window* window) : window(window) {}
  // Fills out and returns how many messages the event makes.
  std::size_t Translate(const SDL_Event& event, Messages& out);

 private:
  bool Closed();
  WindowMessage MouseButton(const SDL_MouseButtonEvent& button);

  SDL_Window* window;
  KeyTranslator keys;
  bool closed = false;
};
