// The headless presentation: EndFrame copies the frame into a pitched buffer, as a locked back
// buffer would, and keeps it there for whoever wants to look.
#pragma once

#include <cstdint>
#include <cstring>
#include <vector>

#if defined(__SSE2__) || defined(_M_X64) || (defined(_M_IX86_FP) && _M_IX86_FP >= 2)
#include <emmintrin.h>
#endif

#include "core/graphics/display.h"

Display::Platform& PlatformOf(Display& display);

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

// What the headless display presented, for the tests.
inline Display::Platform& HeadlessPresentation(Display& display) { return PlatformOf(display); }

// One row of the frame into the back buffer; the benchmark's memory floor copies with it too,
// so the floor is no easier to beat than the best simple copy. A fixed-size memcpy is expanded
// by the compiler into a string move, slower here than plain 16-byte moves for 3,200-byte rows.
// In WebAssembly it is the other way round: memcpy is bulk memory's one copy instruction, which
// the engine carries out with its own native copy, where 16-byte moves compiled from
// WebAssembly take about a third longer.
inline void CopyFrameRow(std::uint8_t* target, const Pixel* source) {
#if !defined(__wasm__) && (defined(__SSE2__) || defined(_M_X64) || (defined(_M_IX86_FP) && _M_IX86_FP >= 2))
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
