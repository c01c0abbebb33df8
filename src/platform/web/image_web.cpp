// Bitmap decoding in the browser build, through stb_image. The file is read whole, its header
// checked before stb_image sees it, and the RGBA bytes stb_image gives back are turned into
// 0xAARRGGBB, with the same reading of a bitmap's fourth byte as the other decoders.
#include <cstdio>
#include <new>
#include <string>
#include <vector>

#include "core/graphics/bmp_header.h"
#include "platform/web/image_web.h"

#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_BMP
#define STBI_NO_STDIO
#define STBI_NO_LINEAR
#define STBI_NO_HDR
#define STBI_MAX_DIMENSIONS 16384
#include <stb_image.h>

namespace {

// A 32-bit pixel's fourth byte is only alpha when a mask says so; without one the format calls
// it reserved, and the file reads as opaque, as it does on every other platform.
bool CarriesNoAlpha(const BmpHeader& header) { return header.bits == 32 && header.compression == bmpPlainRgb; }

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
  if (data == nullptr || size > static_cast<std::size_t>(maxBmpFileBytes)) return Image{};
  return Decode(static_cast<const unsigned char*>(data), size);
}

Image LoadImageFile(const std::wstring& fileName) {
  const std::string path = ToPath(fileName);
  if (path.empty()) return Image{};
  std::FILE* in = std::fopen(path.c_str(), "rb");
  if (in == nullptr) return Image{};
  std::vector<unsigned char> file;
  long size = -1;
  if (std::fseek(in, 0, SEEK_END) == 0) size = std::ftell(in);
  if (size > 0 && size <= maxBmpFileBytes && std::fseek(in, 0, SEEK_SET) == 0) {
    file.resize(static_cast<std::size_t>(size));
    if (std::fread(file.data(), 1, file.size(), in) != file.size()) file.clear();
  }
  std::fclose(in);
  if (file.empty()) return Image{};
  return Decode(file.data(), file.size());
}
