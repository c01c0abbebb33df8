// Pictures written as uncompressed 24-bit bottom-up bitmaps, the simplest file every image
// tool reads: the replay tool's --dump, and the test pictures.
#pragma once

#include <cstdint>
#include <filesystem>

#include "core/types.h"

// Writes width x height 0xAARRGGBB pixels, row-major, top row first (alpha dropped). False if
// the file could not be written.
bool WriteBmp24(const std::filesystem::path& file, std::uint32_t width, std::uint32_t height,
                const Pixel* pixels);
