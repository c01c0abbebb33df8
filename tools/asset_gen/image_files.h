// The file formats the game and its installers read, encoded byte by byte so the output does
// not depend on the host's struct layout or byte order.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "raster.h"

namespace assetgen {

using Bytes = std::vector<std::uint8_t>;

// 24 bits a pixel, bottom-up rows padded to four bytes; alpha is dropped.
Bytes EncodeBmp24(const Canvas& canvas);

// One 32-bit image with its alpha, plus the 1-bit mask older Windows versions draw with.
Bytes EncodeIco(const Canvas& canvas);

// 8-bit RGBA with its alpha, for the desktop's icon theme and the web page's home-screen icons.
// Compressed with deflate's fixed code and repeats of the pixel before or the row above: a
// 512-pixel icon would be a megabyte stored.
Bytes EncodePng(const Canvas& canvas);

// The pixels as 0xAARRGGBBu literals, top row first, for inclusion in an array initialiser.
std::string EncodePixelList(const Canvas& canvas, const std::string& headerComment);

}  // namespace assetgen
