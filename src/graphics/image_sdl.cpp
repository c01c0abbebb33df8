// Bitmap decoding through SDL's BMP loader. The header is checked here first, so that a file
// claiming an absurd size is turned away before anything is allocated for it.
#include <SDL.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "graphics/image_loader.h"

namespace {

std::string ToPath(const std::wstring& fileName) {
  std::string path;
  for (wchar_t ch : fileName) {
    const auto c = static_cast<std::uint32_t>(ch == L'\\' ? L'/' : ch);
    if (c < 0x80) {
      path += static_cast<char>(c);
    } else if (c < 0x800) {
      path += static_cast<char>(0xC0 | (c >> 6));
      path += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      path += static_cast<char>(0xE0 | (c >> 12));
      path += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      path += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      path += static_cast<char>(0xF0 | (c >> 18));
      path += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
      path += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      path += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return path;
}

std::uint32_t ReadU32(const unsigned char* p) {
  return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

// Reads the size the file claims, without trusting it.
bool ClaimedSizeAcceptable(const std::string& path) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return false;
  unsigned char header[26] = {};
  const std::size_t got = std::fread(header, 1, sizeof header, file);
  std::fclose(file);
  if (got < 26 || header[0] != 'B' || header[1] != 'M') return false;
  const std::uint32_t infoSize = ReadU32(header + 14);
  std::int64_t width = 0;
  std::int64_t height = 0;
  if (infoSize == 12) {  // the old core header: 16-bit sizes
    width = header[18] | (header[19] << 8);
    height = header[20] | (header[21] << 8);
  } else {
    width = static_cast<std::int32_t>(ReadU32(header + 18));
    height = static_cast<std::int32_t>(ReadU32(header + 22));
    if (height < 0) height = -height;  // top-down rows
  }
  return ImageSizeAcceptable(width, height);
}

}  // namespace

Image LoadImageFile(const std::wstring& fileName) {
  Image image;
  const std::string path = ToPath(fileName);
  if (!ClaimedSizeAcceptable(path)) return image;
  SDL_Surface* loaded = SDL_LoadBMP(path.c_str());
  if (loaded == nullptr) return image;
  SDL_Surface* argb = SDL_ConvertSurfaceFormat(loaded, SDL_PIXELFORMAT_ARGB8888, 0);
  SDL_FreeSurface(loaded);
  if (argb == nullptr) return image;
  if (argb->w > 0 && argb->h > 0 && SDL_LockSurface(argb) == 0) {
    image.width = static_cast<std::uint32_t>(argb->w);
    image.height = static_cast<std::uint32_t>(argb->h);
    image.pixels.reset(new Pixel[static_cast<std::size_t>(image.width) * image.height]);
    for (std::uint32_t y = 0; y < image.height; ++y)
      std::memcpy(image.pixels.get() + static_cast<std::size_t>(y) * image.width,
                  static_cast<const std::uint8_t*>(argb->pixels) + static_cast<std::size_t>(y) * argb->pitch,
                  image.width * sizeof(Pixel));
    SDL_UnlockSurface(argb);
  }
  SDL_FreeSurface(argb);
  return image;
}
