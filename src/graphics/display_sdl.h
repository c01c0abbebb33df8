// The SDL presentation: the frame buffer goes to a streaming texture that the renderer scales
// into the window, aspect kept, and is presented with vertical sync. The game's pace is the
// loop's business, not the screen's.
#pragma once

#include <SDL.h>

#include <string>

#include "graphics/display.h"

struct Display::Platform {
  SDL_Window* window = nullptr;
  SDL_Renderer* renderer = nullptr;
  SDL_Texture* texture = nullptr;
  bool fullScreen = false;
  // Why there is nothing to draw into, when there is not.
  std::string failure;

  bool Ready() const { return renderer != nullptr && texture != nullptr; }
};
