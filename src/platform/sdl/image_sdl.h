// What the SDL decoder offers beyond LoadImageFile.
#pragma once

#include <cstddef>

#include "core/graphics/image_loader.h"

// Decodes a whole bitmap file held in memory, the way LoadImageFile decodes one on disk: the
// fuzzer and the corpus tests feed it directly.
Image DecodeBmp(const void* data, std::size_t size);
