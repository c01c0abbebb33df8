// fennwick-assetgen OUTDIR [--contact-sheet SHEET.bmp]
//
// Draws the player's frames and the program icons. Run it on the repository's assets folder,
// then move icons/icon32_pixels.inc to src/front/ (the fennwick-assets target does
// both). The output is the same on every run, so the committed files can be checked against it.
#include <cstdio>
#include <exception>
#include <string>

#include "assets.h"
#include "image_files.h"

int main(int argc, char** argv) {
  std::string folder;
  std::string sheet;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--contact-sheet" && i + 1 < argc) {
      sheet = argv[++i];
    } else if (folder.empty() && !arg.empty() && arg[0] != '-') {
      folder = arg;
    } else {
      folder.clear();
      break;
    }
  }
  if (folder.empty()) {
    std::fprintf(stderr, "usage: fennwick-assetgen OUTDIR [--contact-sheet SHEET.bmp]\n");
    return 2;
  }
  try {
    assetgen::WriteAssets(folder);
    if (!sheet.empty())
      assetgen::WriteFile(sheet, assetgen::EncodeBmp24(assetgen::RenderContactSheet()));
  } catch (const std::exception& e) {
    std::fprintf(stderr, "fennwick-assetgen: %s\n", e.what());
    return 1;
  }
  return 0;
}
