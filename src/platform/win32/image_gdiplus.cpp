// Bitmap decoding through GDI+'s flat API, after the header check every decoder runs. GDI+
// reports each pixel as 0xAARRGGBB, the frame buffer's own format, with alpha 0xFF for files
// that carry none.
// GDI+ needs the COM parts of <windows.h>, so not the lean version the build asks for.
#undef WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <algorithm>
#include <new>
// The GDI+ headers expect min and max, which NOMINMAX takes away.
namespace Gdiplus {
using std::max;
using std::min;
}  // namespace Gdiplus
#include <gdiplus.h>

#include "core/graphics/bmp_header.h"
#include "core/graphics/image_loader.h"

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

// The file is read into memory once: the header check and GDI+ see the same bytes, and the
// check has turned the file away before more than its first bytes are read. The stream returned
// owns the memory.
IStream* ReadCheckedFile(const std::wstring& fileName, BmpHeader& header) {
  const HANDLE file = CreateFileW(fileName.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return nullptr;
  IStream* stream = nullptr;
  LARGE_INTEGER size = {};
  unsigned char first[bmpHeaderBytes] = {};
  DWORD firstRead = 0;
  if (GetFileSizeEx(file, &size) && size.QuadPart <= maxBmpFileBytes &&
      ReadFile(file, first, sizeof first, &firstRead, nullptr) &&
      ReadBmpHeader(first, firstRead, size.QuadPart, header)) {
    const auto total = static_cast<SIZE_T>(size.QuadPart);
    const HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, total);
    auto* bytes = memory ? static_cast<unsigned char*>(GlobalLock(memory)) : nullptr;
    bool complete = false;
    if (bytes != nullptr) {
      CopyMemory(bytes, first, firstRead);
      SIZE_T done = firstRead;
      DWORD read = 1;
      while (done < total && read > 0 &&
             ReadFile(file, bytes + done, static_cast<DWORD>(std::min<SIZE_T>(total - done, 1u << 20)), &read, nullptr))
        done += read;
      complete = done == total;
      GlobalUnlock(memory);
    }
    if (memory != nullptr && (!complete || FAILED(CreateStreamOnHGlobal(memory, TRUE, &stream)))) {
      stream = nullptr;
      GlobalFree(memory);
    }
  }
  CloseHandle(file);
  return stream;
}

}  // namespace

Image LoadImageFile(const std::wstring& fileName) {
  StartGdiplusOnce();
  Image image;

  BmpHeader header;
  IStream* const stream = ReadCheckedFile(fileName, header);
  if (stream == nullptr) return image;
  Gdiplus::GpBitmap* bitmap = nullptr;
  if (gdip::GdipCreateBitmapFromStream(stream, &bitmap) != Gdiplus::Ok || bitmap == nullptr) {
    stream->Release();
    return image;
  }

  UINT height = 0;
  UINT width = 0;
  if (gdip::GdipGetImageHeight(bitmap, &height) != Gdiplus::Ok) height = 0;
  if (gdip::GdipGetImageWidth(bitmap, &width) != Gdiplus::Ok) width = 0;

  // GDI+ must have read the picture the header check weighed, or the checks would not hold.
  if (width == header.width && height == header.height) {
    image.pixels.reset(new (std::nothrow) Pixel[static_cast<std::size_t>(width) * height]);
  }
  if (image.pixels) {
    image.width = width;
    image.height = height;
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
  stream->Release();
  return image;
}
