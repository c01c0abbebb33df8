#include "core/graphics/display.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <iterator>

// Every x86-64 processor has SSE2; elsewhere the plain loops below do the same work.
#if defined(__SSE2__) || defined(_M_X64) || (defined(_M_IX86_FP) && _M_IX86_FP >= 2)
#include <emmintrin.h>
#define FENNWICK_SSE2 1
#endif

namespace {

#ifdef FENNWICK_SSE2
inline void Store4(Pixel* p, __m128i v) { _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v); }
inline void Store16(Pixel* p, __m128i v) {
  Store4(p, v);
  Store4(p + 4, v);
  Store4(p + 8, v);
  Store4(p + 12, v);
}
inline __m128i Load4(const Pixel* p) {
  return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}

// Asks for the line holding pixel `offset` past p. The address may lie past the end of the
// buffer; a prefetch never faults, so it is formed as an integer.
inline void Prefetch(const Pixel* p, std::size_t offset) {
  const std::uintptr_t address = reinterpret_cast<std::uintptr_t>(p) + offset * sizeof(Pixel);
  _mm_prefetch(reinterpret_cast<const char*>(address), _MM_HINT_T0);
}

// Four pixels of the keyed copy at once: where the source equals the key the target keeps its
// pixel. Applying it twice to the same pixels changes nothing, which lets a run finish with an
// overlapping group instead of a scalar tail.
inline void KeyedCopy4(const Pixel* source, Pixel* target, __m128i key) {
  const __m128i s = Load4(source);
  const __m128i keep = _mm_cmpeq_epi32(s, key);
  Store4(target, _mm_or_si128(_mm_and_si128(keep, Load4(target)), _mm_andnot_si128(keep, s)));
}
#endif

// COUNT pixels of one colour from p on. The first line of a held row is the first the frame
// writes there, every store a miss: four pixels to a store, not one.
inline void FillLine(Pixel* p, std::size_t count, Pixel colour) {
#ifdef FENNWICK_SSE2
  if (count >= 4) {
    const __m128i v = _mm_set1_epi32(static_cast<int>(colour));
    Pixel* const lastGroup = p + count - 4;
    for (; p < lastGroup; p += 4) Store4(p, v);
    Store4(lastGroup, v);
    return;
  }
#endif
  std::fill_n(p, count, colour);
}

}  // namespace

Display::Platform& PlatformOf(Display& display) { return *display.platform; }

void Display::AllocateFrameBuffer() {
  // Not cleared: every frame writes every pixel before it is shown.
  frameStorage.reset(new Pixel[pixelCount]);
  frameBuffer = frameStorage.get();
}

void Display::Sign(std::uint64_t what, std::uint64_t where) {
  // Each call's words stirred in turn (multiply, fold the high half down): a change anywhere,
  // or the same calls in another order, gives another signature.
  for (std::uint64_t word : {what, where}) {
    signature = (signature ^ word) * 0x9E3779B97F4A7C15u;
    signature ^= signature >> 29;
  }
}

void Display::Clear(std::uint8_t value) {
  WriteHeldFills();
  clearPixel = ToFrame(0x01010101u * value);
  if (canvasOrder) {
    signature = 0;
    Sign(clearPixel, 0);
  }
  clearPending = true;
  std::fill(std::begin(clearedTo), std::end(clearedTo), 0);
}

void Display::ClearRowUpTo(std::int32_t y, std::int32_t to) {
  const std::int32_t from = clearedTo[y];
  if (from >= to) return;
  Pixel* const start = frameBuffer + static_cast<std::size_t>(y) * width + from;
  const std::size_t count = static_cast<std::size_t>(to - from);
  // The game's clear is one byte everywhere, the alpha too; a canvas's is opaque.
  if (canvasOrder) FillLine(start, count, clearPixel);
  else std::memset(start, static_cast<std::uint8_t>(clearPixel), count * sizeof(Pixel));
  clearedTo[y] = to;
}

void Display::FinishClear() {
  WriteHeldFills();
  if (!clearPending) return;
  for (std::int32_t y = 0; y < height; ++y) ClearRowUpTo(y, width);
  clearPending = false;
}

void Display::FillClipped(std::int32_t top, std::int32_t bottom, std::int32_t left,
                          std::int32_t right, Pixel colour) {
  if (canvasOrder) {
    colour = ToFrame(colour);
    // Clipped to the frame, each edge fits in twelve bits.
    Sign(colour, static_cast<std::uint64_t>(top) | static_cast<std::uint64_t>(bottom) << 12 |
                     static_cast<std::uint64_t>(left) << 24 | static_cast<std::uint64_t>(right) << 36);
  }
  const bool continuesHeldRow = heldRunCount > 0 && top == heldTop && bottom == heldBottom &&
                                left == heldRuns[heldRunCount - 1].right;
  if (!continuesHeldRow) WriteHeldFills();
  // A rectangle that continues the held row starts where that row's clear already stands, so
  // its rows are brought up to date once, when the row is written.
  if (clearPending && !continuesHeldRow) {
    // The level's tiles meet edge to edge and cover the view: the clear under them is never
    // written, which saves a pass over the whole frame. A gap left of the rectangle is cleared.
    for (std::int32_t y = top; y < bottom; ++y) {
      const std::int32_t done = clearedTo[y];
      if (done < left) ClearRowUpTo(y, left);
      if (done < right) clearedTo[y] = right;
    }
  }
  if (holdFills) {
    HoldFill(top, bottom, left, right, colour);
    return;
  }
  const std::size_t runLength = static_cast<std::size_t>(right - left);
  Pixel* row = frameBuffer + static_cast<std::size_t>(top) * width + left;
#ifdef FENNWICK_SSE2
  // Rectangles drawn one by one are often drawn side by side, so the next is usually the one
  // to the right of this one, on the same rows. Rows 3,200 bytes apart defeat the processor's
  // stream prefetcher, and every line of that neighbour would otherwise be missed on its own;
  // asking for two lines of it while this row is written hides that.
  if (runLength >= 16) {
    // A tile's 25-pixel row is one block of sixteen and a last block that overlaps it: eight
    // stores and no inner loop to speak of, so the row costs the same wherever the compiler
    // happens to place its branches.
    const __m128i v = _mm_set1_epi32(static_cast<int>(colour));
    for (std::int32_t y = top; y < bottom; ++y, row += width) {
      Prefetch(row, runLength + 8);
      Prefetch(row, runLength + 24);
      Pixel* const lastBlock = row + runLength - 16;
      for (Pixel* p = row; p < lastBlock; p += 16) Store16(p, v);
      Store16(lastBlock, v);
    }
    return;
  }
  if (runLength >= 4) {
    // Clipped tiles at the edges of the view: groups of four and an overlapping last group.
    const __m128i v = _mm_set1_epi32(static_cast<int>(colour));
    for (std::int32_t y = top; y < bottom; ++y, row += width) {
      Pixel* const lastGroup = row + runLength - 4;
      for (Pixel* p = row; p < lastGroup; p += 4) Store4(p, v);
      Store4(lastGroup, v);
    }
    return;
  }
#endif
  for (std::int32_t y = top; y < bottom; ++y, row += width) std::fill_n(row, runLength, colour);
}

void Display::HoldFill(std::int32_t top, std::int32_t bottom, std::int32_t left,
                       std::int32_t right, Pixel colour) {
  if (heldRunCount > 0) {
    HeldRun& last = heldRuns[heldRunCount - 1];
    // Neighbours of one colour are one run: the open space and the walls come in long stretches.
    if (last.colour == colour) {
      last.right = right;
      return;
    }
    if (heldRunCount == maxHeldRuns) WriteHeldFills();
  }
  if (heldRunCount == 0) {
    heldTop = top;
    heldBottom = bottom;
    heldLeft = left;
  }
  heldRuns[heldRunCount++] = HeldRun{right, colour};
}

void Display::WriteHeldFills() {
  if (heldRunCount == 0) return;
  Pixel* const firstLine = frameBuffer + static_cast<std::size_t>(heldTop) * width;
  std::int32_t from = heldLeft;
  for (int i = 0; i < heldRunCount; ++i) {
    FillLine(firstLine + from, static_cast<std::size_t>(heldRuns[i].right - from), heldRuns[i].colour);
    from = heldRuns[i].right;
  }
  heldRunCount = 0;
  if (clearPending)
    for (std::int32_t y = heldTop; y < heldBottom; ++y) clearedTo[y] = std::max(clearedTo[y], from);
  const std::size_t bytes = static_cast<std::size_t>(from - heldLeft) * sizeof(Pixel);
  for (std::int32_t y = heldTop + 1; y < heldBottom; ++y)
    std::memcpy(frameBuffer + static_cast<std::size_t>(y) * width + heldLeft, firstLine + heldLeft, bytes);
}

void Display::DrawKeyed(const Pixel* pixels, Pixel key, std::uint32_t blockWidth,
                        std::uint32_t blockHeight, std::int32_t left, std::int32_t top,
                        const RectI& clip) {
  WriteHeldFills();
  // 64-bit sums: a block placed near the integer limits must not wrap into view.
  const std::int64_t firstRow = std::max<std::int64_t>(top, clip.top) - top;
  const std::int64_t rowEnd = std::min<std::int64_t>(std::int64_t{top} + blockHeight, clip.bottom) - top;
  const std::int64_t firstColumn = std::max<std::int64_t>(left, clip.left) - left;
  const std::int64_t columnEnd =
      std::min<std::int64_t>(std::int64_t{left} + blockWidth, clip.right) - left;
  if (firstRow >= rowEnd || firstColumn >= columnEnd) return;

  if (canvasOrder) {
    Sign(reinterpret_cast<std::uintptr_t>(pixels), key);
    Sign(static_cast<std::uint64_t>(blockWidth) << 32 | static_cast<std::uint32_t>(top),
         static_cast<std::uint32_t>(left));
    Sign(static_cast<std::uint64_t>(firstRow) << 32 | static_cast<std::uint64_t>(rowEnd),
         static_cast<std::uint64_t>(firstColumn) << 32 | static_cast<std::uint64_t>(columnEnd));
  }
  const std::size_t runLength = static_cast<std::size_t>(columnEnd - firstColumn);
  const Pixel* source = pixels + static_cast<std::size_t>(firstRow) * blockWidth + firstColumn;
  Pixel* target =
      frameBuffer + static_cast<std::size_t>(top + firstRow) * width + (left + firstColumn);
  const std::int64_t rowCount = rowEnd - firstRow;
  if (clearPending) {
    // The keyed copy keeps what is under its key pixels: that must be the clear by now. A
    // source inside the frame buffer itself must read the finished clear too.
    const auto frameStart = reinterpret_cast<std::uintptr_t>(frameBuffer);
    const auto frameEnd = reinterpret_cast<std::uintptr_t>(frameBuffer + pixelCount);
    const auto sourceStart = reinterpret_cast<std::uintptr_t>(pixels);
    const auto sourceEnd =
        reinterpret_cast<std::uintptr_t>(pixels + static_cast<std::size_t>(blockWidth) * blockHeight);
    if (sourceEnd <= frameStart || frameEnd <= sourceStart) {
      const auto rightEdge = static_cast<std::int32_t>(left + columnEnd);
      for (std::int64_t r = firstRow; r < rowEnd; ++r) ClearRowUpTo(static_cast<std::int32_t>(top + r), rightEdge);
    } else {
      FinishClear();
    }
  }
  if (canvasOrder) {
    // The figure is a few thousand pixels: reordered one by one, it costs the frame nothing.
    for (std::int64_t r = 0; r < rowCount; ++r, source += blockWidth, target += width)
      for (std::size_t c = 0; c < runLength; ++c)
        if (source[c] != key) target[c] = ToFrame(source[c]);
    return;
  }
#ifdef FENNWICK_SSE2
  // Groups of four read the target before writing it, so they need a source that does not lie
  // in the frame buffer itself; the game's images never do.
  const auto sourceStart = reinterpret_cast<std::uintptr_t>(pixels);
  const auto sourceEnd =
      reinterpret_cast<std::uintptr_t>(pixels + static_cast<std::size_t>(blockWidth) * blockHeight);
  const auto frameStart = reinterpret_cast<std::uintptr_t>(frameBuffer);
  const auto frameEnd = reinterpret_cast<std::uintptr_t>(frameBuffer + pixelCount);
  const bool apart = sourceEnd <= frameStart || frameEnd <= sourceStart;
  if (runLength >= 4 && apart) {
    const __m128i k = _mm_set1_epi32(static_cast<int>(key));
    for (std::int64_t r = 0; r < rowCount; ++r, source += blockWidth, target += width) {
      const std::size_t lastGroup = runLength - 4;
      for (std::size_t c = 0; c < lastGroup; c += 4) KeyedCopy4(source + c, target + c, k);
      KeyedCopy4(source + lastGroup, target + lastGroup, k);
    }
    return;
  }
#endif
  for (std::int64_t r = 0; r < rowCount; ++r, source += blockWidth, target += width) {
    // Written as a select so a compiler can turn the row into vector blends.
    for (std::size_t c = 0; c < runLength; ++c) {
      const Pixel p = source[c];
      target[c] = p != key ? p : target[c];
    }
  }
}
