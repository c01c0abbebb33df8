// The keyed copy against SDL's colour-keyed blit of the same full-screen image.
#include <SDL.h>
#include <benchmark/benchmark.h>

#include <cstring>
#include <random>
#include <vector>

#include "core/graphics/display.h"

namespace {

constexpr Pixel key = 0xFFFFFFFF;
const RectI screen{0, Display::height, 0, Display::width};

// Overlapping discs of opaque colour on the key, until about half the pixels are covered:
// runs of every length, as sprites and their transparent surroundings have.
std::vector<Pixel> KeyedImage() {
  std::vector<Pixel> image(Display::pixelCount, key);
  std::mt19937 random(1234);
  std::size_t covered = 0;
  while (covered < Display::pixelCount / 2) {
    const int cx = static_cast<int>(random() % Display::width);
    const int cy = static_cast<int>(random() % Display::height);
    const int radius = 3 + static_cast<int>(random() % 40);
    const Pixel colour = 0xFF000000 | (random() & 0x00FFFFFF);
    if (colour == key) continue;
    for (int y = std::max(0, cy - radius); y < std::min(Display::height, cy + radius + 1); ++y)
      for (int x = std::max(0, cx - radius); x < std::min(Display::width, cx + radius + 1); ++x) {
        if ((x - cx) * (x - cx) + (y - cy) * (y - cy) > radius * radius) continue;
        Pixel& p = image[static_cast<std::size_t>(y) * Display::width + x];
        if (p == key) ++covered;
        p = colour;
      }
  }
  return image;
}

const std::vector<Pixel>& Image() {
  static const std::vector<Pixel> image = KeyedImage();
  return image;
}

void BM_DrawKeyed(benchmark::State& state) {
  Display display(nullptr);
  std::memset(display.frameBuffer, 0xE0, Display::pixelCount * sizeof(Pixel));
  for (auto _ : state) {
    display.DrawKeyed(Image().data(), key, Display::width, Display::height, 0, 0, screen);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * Display::pixelCount);
}
BENCHMARK(BM_DrawKeyed)->Unit(benchmark::kMicrosecond);

void BM_SdlKeyedBlit(benchmark::State& state) {
  std::vector<Pixel> source = Image();
  SDL_Surface* from =
      SDL_CreateRGBSurfaceWithFormatFrom(source.data(), Display::width, Display::height, 32,
                                         Display::width * sizeof(Pixel), SDL_PIXELFORMAT_ARGB8888);
  SDL_Surface* to = SDL_CreateRGBSurfaceWithFormat(0, Display::width, Display::height, 32,
                                                   SDL_PIXELFORMAT_ARGB8888);
  if (from == nullptr || to == nullptr) {
    state.SkipWithError(SDL_GetError());
    return;
  }
  // A plain copy with a key, as DrawKeyed does: no blending on the alpha channel.
  SDL_SetColorKey(from, SDL_TRUE, key);
  SDL_SetSurfaceBlendMode(from, SDL_BLENDMODE_NONE);

  // Both must paint the same picture for the comparison to mean anything.
  Display display(nullptr);
  std::memset(display.frameBuffer, 0xE0, Display::pixelCount * sizeof(Pixel));
  display.DrawKeyed(source.data(), key, Display::width, Display::height, 0, 0, screen);
  SDL_LockSurface(to);
  for (int y = 0; y < Display::height; ++y)
    std::memset(static_cast<std::uint8_t*>(to->pixels) + y * to->pitch, 0xE0,
                Display::width * sizeof(Pixel));
  SDL_UnlockSurface(to);
  SDL_BlitSurface(from, nullptr, to, nullptr);
  SDL_LockSurface(to);
  bool same = true;
  for (int y = 0; y < Display::height && same; ++y)
    same =
        std::memcmp(static_cast<const std::uint8_t*>(to->pixels) + y * to->pitch,
                    display.frameBuffer + y * Display::width, Display::width * sizeof(Pixel)) == 0;
  SDL_UnlockSurface(to);
  if (!same) state.SkipWithError("SDL's keyed blit paints a different picture");

  for (auto _ : state) {
    SDL_BlitSurface(from, nullptr, to, nullptr);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * Display::pixelCount);
  SDL_FreeSurface(to);
  SDL_FreeSurface(from);
}
BENCHMARK(BM_SdlKeyedBlit)->Unit(benchmark::kMicrosecond);

}  // namespace
