#include "core/graphics/back_buffer_copy.h"

#include <algorithm>
#include <cstring>

namespace {

// Direct3D's numbers for the formats the copy knows.
constexpr std::uint32_t formatA8R8G8B8 = 21;
constexpr std::uint32_t formatX8R8G8B8 = 22;
constexpr std::uint32_t formatR5G6B5 = 23;
constexpr std::uint32_t formatX1R5G5B5 = 24;

std::uint32_t BytesPerPixel(BackBufferLayout layout) {
  switch (layout) {
    case BackBufferLayout::Xrgb8888: return 4;
    case BackBufferLayout::Rgb565:
    case BackBufferLayout::Xrgb1555: return 2;
    case BackBufferLayout::Unknown: break;
  }
  return 0;
}

// Each channel is scaled from 255 to its own top value and rounded down, the way image tools
// convert to these formats, so a picture converted elsewhere compares pixel for pixel.
inline std::uint32_t Channel(Pixel p, int shift, std::uint32_t top) { return ((p >> shift) & 0xFFu) * top / 255u; }
inline std::uint16_t ToRgb565(Pixel p) {
  return static_cast<std::uint16_t>(Channel(p, 16, 31) << 11 | Channel(p, 8, 63) << 5 | Channel(p, 0, 31));
}
inline std::uint16_t ToXrgb1555(Pixel p) {
  return static_cast<std::uint16_t>(Channel(p, 16, 31) << 10 | Channel(p, 8, 31) << 5 | Channel(p, 0, 31));
}

template <std::uint16_t (*Convert)(Pixel)>
void ConvertRow(const Pixel* from, std::uint8_t* to, std::uint32_t count) {
  for (std::uint32_t x = 0; x < count; ++x) {
    const std::uint16_t value = Convert(from[x]);
    std::memcpy(to + static_cast<std::size_t>(x) * 2, &value, sizeof value);
  }
}

}  // namespace

BackBufferLayout LayoutOfFormat(std::uint32_t format) {
  switch (format) {
    // The alpha byte of A8R8G8B8 is never looked at when the buffer is presented.
    case formatA8R8G8B8:
    case formatX8R8G8B8: return BackBufferLayout::Xrgb8888;
    case formatR5G6B5: return BackBufferLayout::Rgb565;
    case formatX1R5G5B5: return BackBufferLayout::Xrgb1555;
    default: return BackBufferLayout::Unknown;
  }
}

void CopyFrameToRows(const Pixel* frame, std::uint32_t frameWidth, std::uint32_t frameHeight,
                     const BackBufferRows& rows) {
  const std::uint32_t bytes = BytesPerPixel(rows.layout);
  if (bytes == 0 || rows.bits == nullptr || rows.pitch <= 0) return;
  const std::uint32_t perPitch = static_cast<std::uint32_t>(rows.pitch) / bytes;
  const std::uint32_t columns = std::min({frameWidth, rows.width, perPitch});
  const std::uint32_t count = std::min(frameHeight, rows.height);
  for (std::uint32_t y = 0; y < count; ++y) {
    const Pixel* from = frame + static_cast<std::size_t>(y) * frameWidth;
    std::uint8_t* to = rows.bits + static_cast<std::size_t>(y) * static_cast<std::size_t>(rows.pitch);
    switch (rows.layout) {
      case BackBufferLayout::Xrgb8888: std::memcpy(to, from, static_cast<std::size_t>(columns) * 4); break;
      case BackBufferLayout::Rgb565: ConvertRow<ToRgb565>(from, to, columns); break;
      case BackBufferLayout::Xrgb1555: ConvertRow<ToXrgb1555>(from, to, columns); break;
      case BackBufferLayout::Unknown: return;
    }
  }
}
