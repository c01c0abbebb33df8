// Pictures decoded ahead of the world that shows them. The start-up's check decodes every
// picture to learn that it loads; rather than decode each file a second time, it leaves the image
// here and the sprite's surface takes it.
#pragma once

#include <string>

#include "core/graphics/image_loader.h"

// Keeps `image`, decoded from `fileName` (a game path, relative to the working folder).
void ShelvePicture(const std::wstring& fileName, Image image);

// The image kept for `fileName`, taken off the shelf; one decoded from the file when none is.
// A picture is kept by the file's full path, so one checked in another folder is never lent.
Image TakePicture(const std::wstring& fileName);
