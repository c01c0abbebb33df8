// fennwick-bare-present: the least an SDL program can do to show an 800 x 600 frame 60 times a
// second, the yardstick bench/sdl_present.sh holds the game's processor time against. Each tick
// it writes every pixel of a picture once, as the game's frame does (tiles of two colours, moved
// a pixel a tick so that each picture is new), into the window's own surface, or in full screen
// into its own frame that SDL's scaled copy puts in the surface with bars; and SDL puts the
// surface on the screen. No renderer, no copy of a finished frame.
//
//   fennwick-bare-present [--fullscreen] [--seconds N]
//
// It runs until Escape, the close button, or N seconds (default: for ever).
#define SDL_MAIN_HANDLED
#include <SDL.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <vector>

namespace {

constexpr int width = 800;
constexpr int height = 600;

// The part of a surface the picture fills, scaled with its shape kept, centred.
SDL_Rect Fitted(const SDL_Surface* surface) {
  const int w = surface->w * height <= surface->h * width ? surface->w : surface->h * width / height;
  const int h = w * height / width;
  return SDL_Rect{(surface->w - w) / 2, (surface->h - h) / 2, w, h};
}

// The picture for TICK, written once into PIXELS (rows PITCH pixels apart): the game's two tile
// colours in 25-pixel squares, each row written as runs of one colour.
void Paint(std::uint32_t* pixels, int pitch, int tick) {
  constexpr int tile = 25;
  for (int y = 0; y < height; ++y) {
    std::uint32_t* row = pixels + static_cast<std::size_t>(y) * pitch;
    for (int x = 0; x < width;) {
      const int column = (x + tick) / tile;
      const int end = std::min(width, (column + 1) * tile - tick);
      std::fill(row + x, row + end, ((column + y / tile) % 3 == 0) ? 0xFF000000u : 0xFFE0E0E0u);
      x = end;
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  bool fullScreen = false;
  double seconds = -1.0;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--fullscreen") == 0)
      fullScreen = true;
    else if (std::strcmp(argv[i], "--seconds") == 0 && i + 1 < argc)
      seconds = std::atof(argv[++i]);
    else {
      SDL_Log("usage: fennwick-bare-present [--fullscreen] [--seconds N]");
      return 2;
    }
  }
  SDL_SetMainReady();
  if (SDL_Init(SDL_INIT_VIDEO) != 0) {
    SDL_Log("fennwick-bare-present: %s", SDL_GetError());
    return 1;
  }
  // The window's surface straight to the window system (MIT-SHM on X11), not through OpenGL,
  // which without a graphics card is drawn by the processor.
  SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
  SDL_Window* window = SDL_CreateWindow("Fennwick bare presenter", 50, 150, width, height,
                                        fullScreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0);
  if (window == nullptr) {
    SDL_Log("fennwick-bare-present: %s", SDL_GetError());
    return 1;
  }
  // The picture's own frame, for full screen.
  std::vector<std::uint32_t> frame(static_cast<std::size_t>(width) * height);
  int tick = 0;
  // Wrapped in the window surface's own format once it is known (the bytes are the same), so
  // that SDL's scaled copy is a plain stretch, not a conversion.
  SDL_Surface* picture = nullptr;

  using Clock = std::chrono::steady_clock;
  const auto period = std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(1.0 / 60.0));
  const Clock::time_point start = Clock::now();
  Clock::time_point due = start;
  SDL_Surface* barsDrawnOn = nullptr;
  bool running = true;
  while (running) {
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
      if (event.type == SDL_QUIT) running = false;
      if (event.type == SDL_KEYDOWN && event.key.keysym.sym == SDLK_ESCAPE) running = false;
    }
    const Clock::time_point now = Clock::now();
    if (seconds >= 0.0 && now - start >= std::chrono::duration<double>(seconds)) break;
    if (now < due) {
      SDL_WaitEventTimeout(nullptr, static_cast<int>(std::chrono::ceil<std::chrono::milliseconds>(due - now).count()));
      continue;
    }
    due += period;
    if (now > due + 8 * period) due = now + period;

    SDL_Surface* surface = SDL_GetWindowSurface(window);
    if (surface == nullptr) continue;
    tick = (tick + 1) % 75;
    if (surface->w == width && surface->h == height) {
      Paint(static_cast<std::uint32_t*>(surface->pixels), surface->pitch / 4, tick);
      SDL_UpdateWindowSurface(window);
    } else {
      // The bars are painted once for each surface; after that only the picture changes.
      if (picture == nullptr || picture->format->format != surface->format->format) {
        SDL_FreeSurface(picture);
        picture = SDL_CreateRGBSurfaceWithFormatFrom(frame.data(), width, height, 32, width * 4,
                                                     surface->format->format);
        SDL_SetSurfaceBlendMode(picture, SDL_BLENDMODE_NONE);
      }
      Paint(frame.data(), width, tick);
      SDL_Rect place = Fitted(surface);
      const bool newSurface = barsDrawnOn != surface;
      if (newSurface) {
        SDL_FillRect(surface, nullptr, SDL_MapRGB(surface->format, 0, 0, 0));
        barsDrawnOn = surface;
      }
      SDL_BlitScaled(picture, nullptr, surface, &place);
      if (newSurface)
        SDL_UpdateWindowSurface(window);
      else
        SDL_UpdateWindowSurfaceRects(window, &place, 1);
    }
  }
  SDL_FreeSurface(picture);
  SDL_DestroyWindow(window);
  SDL_Quit();
  return 0;
}
