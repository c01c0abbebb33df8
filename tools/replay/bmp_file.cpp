#include "bmp_file.h"

#include <fstream>
#include <string>

namespace {
void PutLE(std::string& out, std::uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
}
}  // namespace

bool WriteBmp24(const std::filesystem::path& file, std::uint32_t width, std::uint32_t height,
                const Pixel* pixels) {
  const std::uint32_t rowBytes = (width * 3 + 3) & ~3u;  // rows pad to four bytes
  const std::uint32_t dataBytes = rowBytes * height;
  std::string out;
  out.reserve(54 + static_cast<std::size_t>(dataBytes));
  out += "BM";
  PutLE(out, 54 + dataBytes, 4);
  PutLE(out, 0, 4);
  PutLE(out, 54, 4);
  PutLE(out, 40, 4);
  PutLE(out, width, 4);
  PutLE(out, height, 4);  // positive: bottom-up rows
  PutLE(out, 1, 2);
  PutLE(out, 24, 2);
  PutLE(out, 0, 4);
  PutLE(out, dataBytes, 4);
  PutLE(out, 2835, 4);
  PutLE(out, 2835, 4);
  PutLE(out, 0, 4);
  PutLE(out, 0, 4);
  for (std::uint32_t y = height; y-- > 0;) {
    for (std::uint32_t x = 0; x < width; ++x) PutLE(out, pixels[static_cast<std::size_t>(y) * width + x], 3);
    for (std::uint32_t pad = width * 3; pad < rowBytes; ++pad) out += '\0';
  }
  std::ofstream stream(file, std::ios::binary);
  stream.write(out.data(), static_cast<std::streamsize>(out.size()));
  return static_cast<bool>(stream);
}
