#include "platform/headless/display_headless.h"

#include <cstring>

Display::Display(WindowHandle) : platform(std::make_unique<Platform>()) { AllocateFrameBuffer(); }

Display::~Display() = default;

bool Display::CanDraw() const { return true; }
std::string Display::DrawFailure() const { return {}; }

void Display::EndFrame() {
  FinishClear();
  std::uint8_t* bits = platform->backBuffer.data();
  for (int y = 0; y < height; ++y)
    CopyFrameRow(bits + static_cast<std::size_t>(y) * Platform::pitch,
            frameBuffer + static_cast<std::size_t>(y) * width);
  ++platform->frames;
}

void Display::ToggleDisplayMode(WindowHandle) {
  platform->windowed = !platform->windowed;
  ++platform->toggles;
}

Pixel Display::Platform::PresentedPixel(int x, int y) const {
  Pixel p;
  std::memcpy(&p, backBuffer.data() + static_cast<std::size_t>(y) * pitch + x * sizeof(Pixel), sizeof p);
  return p;
}
