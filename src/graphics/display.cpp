#include "graphics/display.h"

#include <algorithm>

void Display::AllocateFrameBuffer() {
  // Not cleared: every frame writes every pixel before it is shown.
  frameStorage.reset(new Pixel[pixelCount]);
  frameBuffer = frameStorage.get();
}

void Display::FillRect(std::int32_t top, std::int32_t bottom, std::int32_t left,
                       std::int32_t right, Pixel colour, const RectI& clip) {
  top = std::max(top, clip.top);
  bottom = std::min(bottom, clip.bottom);
  left = std::max(left, clip.left);
  right = std::min(right, clip.right);
  if (top >= bottom || left >= right) return;
  const std::size_t runLength = static_cast<std::size_t>(right - left);
  Pixel* row = frameBuffer + static_cast<std::size_t>(top) * width + left;
  for (std::int32_t y = top; y < bottom; ++y, row += width) std::fill_n(row, runLength, colour);
}

void Display::DrawKeyed(const Pixel* pixels, Pixel key, std::uint32_t blockWidth,
                        std::uint32_t blockHeight, std::int32_t left, std::int32_t top,
                        const RectI& clip) {
  // 64-bit sums: a block placed near the integer limits must not wrap into view.
  const std::int64_t firstRow = std::max<std::int64_t>(top, clip.top) - top;
  const std::int64_t rowEnd = std::min<std::int64_t>(std::int64_t{top} + blockHeight, clip.bottom) - top;
  const std::int64_t firstColumn = std::max<std::int64_t>(left, clip.left) - left;
  const std::int64_t columnEnd =
      std::min<std::int64_t>(std::int64_t{left} + blockWidth, clip.right) - left;
  if (firstRow >= rowEnd || firstColumn >= columnEnd) return;

  const std::size_t runLength = static_cast<std::size_t>(columnEnd - firstColumn);
  for (std::int64_t r = firstRow; r < rowEnd; ++r) {
    const Pixel* source = pixels + static_cast<std::size_t>(r) * blockWidth + firstColumn;
    Pixel* target = frameBuffer + static_cast<std::size_t>(top + r) * width + (left + firstColumn);
    // Written as a select so the compiler can turn the row into vector blends.
    for (std::size_t c = 0; c < runLength; ++c) {
      const Pixel p = source[c];
      target[c] = p != key ? p : target[c];
    }
  }
}
