#include "graphics/display_headless.h"

#include <cstring>

#if defined(__SSE2__) || defined(_M_X64) || (defined(_M_IX86_FP) && _M_IX86_FP >= 2)
#include <emmintrin.h>
#define FENNWICK_SSE2 1
#endif

namespace {

// One row of the frame into the back buffer. A fixed-size memcpy is expanded by the compiler
// into a string move, which is slower here than plain 16-byte moves for 3,200-byte rows.
void CopyRow(std::uint8_t* target, const Pixel* source) {
#ifdef FENNWICK_SSE2
  // Sixteen pixels a turn: few enough branches that the loop's speed does not hang on where
  // the compiler places them.
  static_assert(Display::width % 16 == 0, "rows are copied sixteen pixels at a time");
  auto* out = reinterpret_cast<__m128i*>(target);
  const auto* in = reinterpret_cast<const __m128i*>(source);
  for (int group = 0; group < Display::width / 4; group += 4) {
    const __m128i a = _mm_loadu_si128(in + group);
    const __m128i b = _mm_loadu_si128(in + group + 1);
    const __m128i c = _mm_loadu_si128(in + group + 2);
    const __m128i d = _mm_loadu_si128(in + group + 3);
    _mm_storeu_si128(out + group, a);
    _mm_storeu_si128(out + group + 1, b);
    _mm_storeu_si128(out + group + 2, c);
    _mm_storeu_si128(out + group + 3, d);
  }
#else
  std::memcpy(target, source, Display::width * sizeof(Pixel));
#endif
}

}  // namespace

Display::Display(WindowHandle) : platform(std::make_unique<Platform>()) { AllocateFrameBuffer(); }

Display::~Display() = default;

void Display::EndFrame() {
  std::uint8_t* bits = platform->backBuffer.data();
  for (int y = 0; y < height; ++y)
    CopyRow(bits + static_cast<std::size_t>(y) * Platform::pitch,
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
