// The headless presentation: EndFrame copies the frame into a pitched buffer, as a locked back
// buffer would, and keeps it there for whoever wants to look.
#pragma once

#include <cstdint>
#include <vector>

#include "graphics/display.h"

struct Display::Platform {
  // A pitch wider than a row, as real back buffers often have, so the row-by-row copy counts.
  static constexpr std::int32_t pitch = 3328;

  std::vector<std::uint8_t> backBuffer = std::vector<std::uint8_t>(static_cast<std::size_t>(pitch) * height);
  bool windowed = true;
  int toggles = 0;
  int frames = 0;

  // A presented pixel, read back from the pitched buffer.
  Pixel PresentedPixel(int x, int y) const;
};
