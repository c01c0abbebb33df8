// What the browser build's decoder offers beyond LoadImageFile.
#pragma once

#include <cstddef>

#include "core/graphics/image_loader.h"

// Decodes a whole bitmap file held in memory, the way LoadImageFile decodes one on disk: the
// corpus check feeds it directly.
Image DecodeBmp(const void* data, std::size_t size);
