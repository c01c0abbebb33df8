// The SDL presentation: the window's own surface, put on the screen by the window system (on X11
// through shared memory). When the surface is the picture's size and layout the game draws
// straight into it and presenting copies nothing; otherwise (full screen, a resized window, a
// desktop of another depth) the frame is drawn in ordinary memory and SDL copies it in, scaled
// with its shape kept and bars around it. The game's pace is the loop's business, not the screen's.
#pragma once

#include <SDL.h>

#include <string>

#include "core/graphics/display.h"

struct Display::Platform {
  SDL_Window* window = nullptr;
  // The frame buffer the display allocated, drawn into whenever the window's surface is not.
  Pixel* ownFrame = nullptr;
  // The window surface the frame buffer is, while it is one.
  SDL_Surface* drawnInto = nullptr;
  // The frame buffer as an SDL surface, in the window surface's format where that is the
  // frame's own layout, so that SDL's scaled copy is a plain stretch with no conversion.
  SDL_Surface* frame = nullptr;
  // The window surface whose bars are painted: only a new surface needs them.
  SDL_Surface* barsOn = nullptr;
  bool fullScreen = false;
  bool ready = false;
  // Why there is nothing to draw into, when there is not.
  std::string failure;

  bool Ready() const { return ready; }
};
