// Bitmap decoding through SDL's BMP loader, after the header check every decoder runs.
#include <SDL.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <new>
#include <string>

#include "core/graphics/bmp_header.h"
#include "platform/sdl/image_sdl.h"

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

// The header check reads the file's first bytes and its size; the file is then rewound for SDL.
bool ReadHeader(SDL_RWops* source, std::int64_t fileSize, BmpHeader& header) {
  unsigned char first[bmpHeaderBytes] = {};
  const auto want = static_cast<std::size_t>(std::min<std::int64_t>(fileSize, bmpHeaderBytes));
  if (SDL_RWread(source, first, 1, want) != want) return false;
  return ReadBmpHeader(first, want, fileSize, header);
}

// SDL keeps a 32-bit pixel's fourth byte as alpha when it is not zero everywhere, though
// without an alpha mask the format calls it reserved. Such a file carries no alpha: read it
// as opaque, or a white pixel would stop matching the figure's key.
bool CarriesNoAlpha(const BmpHeader& header) {
  return header.bits == 32 && header.compression == bmpPlainRgb;
}

// Reads every pixel through the surface's own format. SDL's blitters widen some channels
// inexactly (6-bit green 63 becomes 0xFE), which would leave a white pixel of a 16-bit file
// off-white and unkeyed; SDL_GetRGBA widens 0 to 0 and the channel's maximum to 0xFF.
bool ToArgb(SDL_Surface& surface, Image& image) {
  const SDL_PixelFormat* format = surface.format;
  const int bytesPerPixel = format->BytesPerPixel;
  if (bytesPerPixel < 1 || bytesPerPixel > 4) return false;
  const std::size_t width = static_cast<std::size_t>(surface.w);
  const std::size_t height = static_cast<std::size_t>(surface.h);
  image.pixels.reset(new (std::nothrow) Pixel[width * height]);
  if (!image.pixels || SDL_LockSurface(&surface) != 0) return false;
  for (std::size_t y = 0; y < height; ++y) {
    const auto* row = static_cast<const std::uint8_t*>(surface.pixels) + y * static_cast<std::size_t>(surface.pitch);
    Pixel* out = image.pixels.get() + y * width;
    for (std::size_t x = 0; x < width; ++x, row += bytesPerPixel) {
      Uint32 value = 0;
      for (int b = 0; b < bytesPerPixel; ++b) value |= static_cast<Uint32>(row[b]) << (8 * b);
      Uint8 r = 0, g = 0, bl = 0, a = 0;
      SDL_GetRGBA(value, format, &r, &g, &bl, &a);
      out[x] = (static_cast<Pixel>(a) << 24) | (static_cast<Pixel>(r) << 16) | (static_cast<Pixel>(g) << 8) | bl;
    }
  }
  SDL_UnlockSurface(&surface);
  return true;
}

Image Decode(SDL_RWops* source) {
  Image image;
  if (source == nullptr) return image;
  const Sint64 start = SDL_RWtell(source);
  const Sint64 size = SDL_RWsize(source);
  BmpHeader header;
  if (start != 0 || size < 0 || !ReadHeader(source, size, header)) return image;
  if (SDL_RWseek(source, 0, RW_SEEK_SET) != 0) return image;

  SDL_Surface* loaded = SDL_LoadBMP_RW(source, 0);
  if (loaded == nullptr) return image;
  const bool converted = loaded->w == header.width && loaded->h == header.height &&
                         ToArgb(*loaded, image);
  SDL_FreeSurface(loaded);
  if (!converted) return Image{};

  image.width = static_cast<std::uint32_t>(header.width);
  image.height = static_cast<std::uint32_t>(header.height);
  if (CarriesNoAlpha(header)) {
    const std::size_t count = std::size_t{image.width} * image.height;
    for (std::size_t i = 0; i < count; ++i) image.pixels[i] |= 0xFF000000u;
  }
  return image;
}

}  // namespace

Image DecodeBmp(const void* data, std::size_t size) {
  if (data == nullptr || size > static_cast<std::size_t>(INT_MAX)) return Image{};
  SDL_RWops* source = SDL_RWFromConstMem(data, static_cast<int>(size));
  Image image = Decode(source);
  if (source != nullptr) SDL_RWclose(source);
  return image;
}

Image LoadImageFile(const std::wstring& fileName) {
  SDL_RWops* source = SDL_RWFromFile(ToPath(fileName).c_str(), "rb");
  Image image = Decode(source);
  if (source != nullptr) SDL_RWclose(source);
  return image;
}
