// Bitmap decoding through GDI+'s flat API. GDI+ reports each pixel as 0xAARRGGBB, the frame
// buffer's own format, with alpha 0xFF for files that carry none.
// GDI+ needs the COM parts of <windows.h>, so not the lean version the build asks for.
#undef WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <algorithm>
// The GDI+ headers expect min and max, which NOMINMAX takes away.
namespace Gdiplus {
using std::max;
using std::min;
}  // namespace Gdiplus
#include <gdiplus.h>

#include "graphics/image_loader.h"

namespace gdip = Gdiplus::DllExports;

namespace {

// GDI+ is started once for the whole process and left running: the bitmaps are all read at
// start-up and the process ends soon after it stops needing them.
void StartGdiplusOnce() {
  static const bool started = [] {
    Gdiplus::GdiplusStartupInput input;
    input.GdiplusVersion = 1;
    input.DebugEventCallback = nullptr;
    input.SuppressBackgroundThread = FALSE;
    input.SuppressExternalCodecs = FALSE;
    ULONG_PTR token = 0;
    return Gdiplus::GdiplusStartup(&token, &input, nullptr) == Gdiplus::Ok;
  }();
  (void)started;
}

}  // namespace

Image LoadImageFile(const std::wstring& fileName) {
  StartGdiplusOnce();
  Image image;

  Gdiplus::GpBitmap* bitmap = nullptr;
  if (gdip::GdipCreateBitmapFromFile(fileName.c_str(), &bitmap) != Gdiplus::Ok || bitmap == nullptr)
    return image;

  UINT height = 0;
  UINT width = 0;
  if (gdip::GdipGetImageHeight(bitmap, &height) != Gdiplus::Ok) height = 0;
  if (gdip::GdipGetImageWidth(bitmap, &width) != Gdiplus::Ok) width = 0;

  // A file may claim any size; it is weighed before anything is allocated for it.
  if (ImageSizeAcceptable(width, height) && width > 0 && height > 0) {
    image.width = width;
    image.height = height;
    image.pixels.reset(new Pixel[static_cast<std::size_t>(width) * height]);
    // A pixel that cannot be read repeats the last one that could, so a bad read never leaves
    // a hole of whatever the memory held.
    Gdiplus::ARGB colour = 0xFF000000;
    for (UINT y = 0; y < height; ++y) {
      Pixel* row = image.pixels.get() + static_cast<std::size_t>(y) * width;
      for (UINT x = 0; x < width; ++x) {
        Gdiplus::ARGB read = 0;
        if (gdip::GdipBitmapGetPixel(bitmap, static_cast<INT>(x), static_cast<INT>(y), &read) ==
            Gdiplus::Ok)
          colour = read;
        row[x] = colour;
      }
    }
  }

  gdip::GdipDisposeImage(bitmap);
  return image;
}
