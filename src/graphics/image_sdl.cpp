// Bitmap decoding through SDL's BMP loader. SDL believes what a header says; a game reading
// files it did not write should not. So the header is checked here first, and a file that
// claims an absurd size, an encoding that cannot be, or more pixel data than it holds is turned
// away before anything is allocated for it.
#include <SDL.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <new>
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

std::uint32_t ReadU16(const unsigned char* p) { return p[0] | (p[1] << 8); }

std::uint32_t ReadU32(const unsigned char* p) {
  return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

constexpr std::int64_t fileHeaderSize = 14;
constexpr std::uint32_t coreHeaderSize = 12;  // the old header with 16-bit sizes
constexpr std::uint32_t infoHeaderSize = 40;
constexpr std::uint32_t largestHeaderSize = 124;

constexpr std::int64_t maxRunLengthPixelsPerByte = 128;

enum Compression : std::uint32_t { plainRgb = 0, rle8 = 1, rle4 = 2, bitFields = 3 };

struct BmpHeader {
  std::int64_t width = 0;
  std::int64_t height = 0;  // rows, whichever way they are stored
  std::uint32_t bits = 0;
  std::uint32_t compression = plainRgb;
};

// Whether the header describes a picture this file can actually hold. Everything is computed
// in 64 bits, so no claim can wrap around into a small, harmless-looking number.
bool ReadHeader(SDL_RWops* source, std::int64_t fileSize, BmpHeader& header) {
  unsigned char bytes[fileHeaderSize + infoHeaderSize] = {};
  if (fileSize < fileHeaderSize + 4) return false;
  const auto want = static_cast<std::size_t>(std::min<std::int64_t>(fileSize, sizeof bytes));
  if (SDL_RWread(source, bytes, 1, want) != want) return false;
  if (bytes[0] != 'B' || bytes[1] != 'M') return false;

  const std::int64_t dataOffset = ReadU32(bytes + 10);
  const std::uint32_t infoSize = ReadU32(bytes + 14);
  const bool core = infoSize == coreHeaderSize;
  if (!core && (infoSize < infoHeaderSize || infoSize > largestHeaderSize)) return false;
  if (fileHeaderSize + infoSize > fileSize) return false;

  std::int64_t coloursUsed = 0;
  if (core) {
    header.width = ReadU16(bytes + 18);
    header.height = ReadU16(bytes + 20);
    header.bits = ReadU16(bytes + 24);
    header.compression = plainRgb;
  } else {
    header.width = static_cast<std::int32_t>(ReadU32(bytes + 18));
    header.height = static_cast<std::int32_t>(ReadU32(bytes + 22));
    if (header.height < 0) header.height = -header.height;  // top-down rows
    header.bits = ReadU16(bytes + 28);
    header.compression = ReadU32(bytes + 30);
    coloursUsed = ReadU32(bytes + 46);
  }
  if (header.width == 0 || header.height == 0) return false;  // nothing to show
  if (!ImageSizeAcceptable(header.width, header.height)) return false;

  switch (header.bits) {
    case 1: case 4: case 8: case 24: break;
    case 16: case 32: if (core) return false; break;
    default: return false;
  }
  switch (header.compression) {
    case plainRgb: break;
    case rle8: if (header.bits != 8) return false; break;
    case rle4: if (header.bits != 4) return false; break;
    case bitFields: if (header.bits != 16 && header.bits != 32) return false; break;
    default: return false;  // embedded JPEG or PNG, or nothing known
  }
  if (header.bits <= 8 && coloursUsed > (std::int64_t{1} << header.bits)) return false;

  // The pixels start after the headers and inside the file.
  if (dataOffset < fileHeaderSize + infoSize || dataOffset >= fileSize) return false;
  const std::int64_t dataBytes = fileSize - dataOffset;
  if (header.compression == plainRgb || header.compression == bitFields) {
    const std::int64_t rowBits = header.width * header.bits;
    const std::int64_t rowBytes = (rowBits + 31) / 32 * 4;
    const std::int64_t lastRowBytes = (rowBits + 7) / 8;
    if (rowBytes * (header.height - 1) + lastRowBytes > dataBytes) return false;
  } else {
    // A run covers at most 255 pixels for its 2 bytes, so no run-length data can paint more
    // than about 128 pixels a byte. A file claiming more leaves most of its picture to
    // end-of-line and end-of-bitmap skips: a few bytes that would cost megabytes to unpack.
    if (header.width * header.height > dataBytes * maxRunLengthPixelsPerByte) return false;
  }
  return true;
}

// SDL keeps a 32-bit pixel's fourth byte as alpha when it is not zero everywhere, though
// without an alpha mask the format calls it reserved. Such a file carries no alpha: read it
// as opaque, or a white pixel would stop matching the figure's key.
bool CarriesNoAlpha(const BmpHeader& header) {
  return header.bits == 32 && header.compression == plainRgb;
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
