// Every picture the game loads, where its anchor sits, and how it is drawn.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "figure.h"
#include "raster.h"

namespace assetgen {

constexpr Argb keyColour = opaqueWhite;  // the game leaves this colour out when drawing frames

struct FramePicture {
  std::string path;  // relative to the output folder, '/' separated
  std::int32_t width;
  std::int32_t height;
  // The player's anchor, the bottom centre of its body, falls on this pixel of the picture.
  std::int32_t anchorX;
  std::int32_t anchorY;
  Pose pose;
  double hipShift;  // hip column relative to the anchor column
};

std::vector<FramePicture> Frames();

// The figure is stood so its lowest pixel lies on the row just above the anchor. Throws if
// the pose does not fit the picture.
Canvas RenderFrame(const FramePicture& frame);

// A square icon, figure on a transparent background.
Canvas RenderIcon(std::int32_t size);

// An installed web page's icon: opaque, the figure in its middle.
Canvas RenderAppIcon(std::int32_t size);

// Frames and icons on the level's grey, enlarged, for looking over the drawing.
Canvas RenderContactSheet();

// The .inc fragment written next to the icons; the build includes a copy of it.
extern const char* const iconPixelListName;

// Writes the frames and icons under `folder`, creating folders as needed. Throws
// std::runtime_error when a file cannot be written.
void WriteAssets(const std::filesystem::path& folder);

void WriteFile(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes);

}  // namespace assetgen
