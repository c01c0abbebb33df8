// Decoding a bitmap file into 0xAARRGGBB pixels, row-major, top row first. Each build links
// one decoder (image_sdl, image_gdiplus), and each runs the header check of bmp_header.h
// before its library sees the file. A file that cannot be read, or whose size is absurd, gives
// an empty image.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "core/types.h"

struct Image {
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  std::unique_ptr<Pixel[]> pixels;
};

// The largest width or height a bitmap may claim, and the most pixels in all (64 MB of them);
// anything bigger loads as empty.
constexpr std::int64_t maxImageSide = 16384;
constexpr std::int64_t maxImagePixels = std::int64_t{1} << 24;

// Game paths separate folders with a backslash; the decoder maps it where it must.
Image LoadImageFile(const std::wstring& fileName);

// Whether a claimed size is one the game is willing to allocate for.
inline bool ImageSizeAcceptable(std::int64_t width, std::int64_t height) {
  return width >= 0 && height >= 0 && width <= maxImageSide && height <= maxImageSide &&
         width * height <= maxImagePixels;
}
