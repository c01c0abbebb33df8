// Bitmap decoding in the browser build, through stb_image. The file is read whole, its header
// checked before stb_image sees it, and the RGBA bytes stb_image gives back are turned into
// 0xAARRGGBB, with the same reading of a bitmap's fourth byte as the other decoders.
#include <cstring>
#include <fstream>
#include <new>
#include <string>
#include <vector>

#include "graphics/image_loader.h"

#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_BMP
#define STBI_NO_STDIO
#define STBI_NO_LINEAR
#define STBI_NO_HDR
#define STBI_MAX_DIMENSIONS 16384
#include <stb_image.h>

namespace {

std::uint32_t ReadU16(const unsigned char* p) { return p[0] | (p[1] << 8); }

std::uint32_t ReadU32(const unsigned char* p) {
  return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

constexpr std::int64_t maxBmpFileBytes = (std::int64_t{1} << 26) + (std::int64_t{1} << 16);

struct BmpHeader {
  std::int64_t width = 0;
  std::int64_t height = 0;
  std::uint32_t bits = 0;
  std::uint32_t compression = 0;
};

// The check every decoder makes before its library sees a file: a picture the game is willing
// to allocate for, and the fields that say how to read its fourth byte.
bool BmpFileAcceptable(const void* file, std::size_t size, BmpHeader& header) {
  const auto* bytes = static_cast<const unsigned char*>(file);
  if (size < 34 || bytes[0] != 'B' || bytes[1] != 'M') return false;
  int width = 0, height = 0, components = 0;
  if (stbi_info_from_memory(bytes, static_cast<int>(size), &width, &height, &components) == 0) return false;
  if (width <= 0 || height <= 0 || !ImageSizeAcceptable(width, height)) return false;
  header.width = width;
  header.height = height;
  const bool core = ReadU32(bytes + 14) == 12;
  header.bits = core ? ReadU16(bytes + 24) : ReadU16(bytes + 28);
  header.compression = core ? 0 : ReadU32(bytes + 30);
  return true;
}

// A 32-bit pixel's fourth byte is only alpha when a mask says so; without one the format calls
// it reserved, and the file reads as opaque, as it does on every other platform.
bool CarriesNoAlpha(const BmpHeader& header) { return header.bits == 32 && header.compression == 0; }

std::string ToPath(const std::wstring& fileName) {
  // The game's file names are plain ASCII; anything else is not one of its files.
  std::string path;
  for (wchar_t ch : fileName) {
    if (ch <= 0 || ch >= 0x80) return std::string();
    path += static_cast<char>(ch == L'\\' ? '/' : ch);
  }
  return path;
}

Image Decode(const unsigned char* file, std::size_t size) {
  Image image;
  BmpHeader header;
  if (!BmpFileAcceptable(file, size, header)) return image;

  int width = 0, height = 0, components = 0;
  stbi_uc* rgba = stbi_load_from_memory(file, static_cast<int>(size), &width, &height, &components, 4);
  if (rgba == nullptr) return image;
  if (width == header.width && height == header.height) {
    const std::size_t count = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    image.pixels.reset(new (std::nothrow) Pixel[count]);
    if (image.pixels) {
      const Pixel opaque = CarriesNoAlpha(header) ? 0xFF000000u : 0u;
      for (std::size_t i = 0; i < count; ++i) {
        const stbi_uc* p = rgba + 4 * i;
        image.pixels[i] = (static_cast<Pixel>(p[3]) << 24 | static_cast<Pixel>(p[0]) << 16 |
                           static_cast<Pixel>(p[1]) << 8 | p[2]) | opaque;
      }
      image.width = static_cast<std::uint32_t>(width);
      image.height = static_cast<std::uint32_t>(height);
    }
  }
  stbi_image_free(rgba);
  return image;
}

}  // namespace

Image DecodeBmp(const void* data, std::size_t size) {
  if (data == nullptr || size > maxBmpFileBytes) return Image{};
  return Decode(static_cast<const unsigned char*>(data), size);
}

Image LoadImageFile(const std::wstring& fileName) {
  const std::string path = ToPath(fileName);
  if (path.empty()) return Image{};
  std::ifstream in(path, std::ios::binary | std::ios::ate);
  if (!in) return Image{};
  const std::streamoff size = in.tellg();
  if (size <= 0 || size > maxBmpFileBytes) return Image{};
  std::vector<unsigned char> file(static_cast<std::size_t>(size));
  in.seekg(0);
  if (!in.read(reinterpret_cast<char*>(file.data()), size)) return Image{};
  return Decode(file.data(), file.size());
}
