// Just enough of the BMP, ICO and PNG formats to check what fennwick-assetgen wrote. It is strict
// about the exact layout promised (24-bit bottom-up frames, single-image 32-bit icons, RGBA PNGs of stored blocks) and is
// kept apart from the game's loader, so a mistake shared by both cannot hide.
#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

namespace assettest {

using Bytes = std::vector<std::uint8_t>;

inline Bytes ReadBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot open " + path.string());
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

struct Image {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> argb;  // top row first
  std::vector<bool> masked;         // icons only: the AND mask, top row first

  std::uint32_t At(int x, int y) const {
    return argb[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                static_cast<std::size_t>(x)];
  }
};

namespace detail {

inline std::uint32_t U16(const Bytes& b, std::size_t at) {
  if (at + 2 > b.size()) throw std::runtime_error("file ends inside a header");
  return b[at] | (b[at + 1] << 8);
}

inline std::uint32_t U32(const Bytes& b, std::size_t at) {
  return U16(b, at) | (U16(b, at + 2) << 16);
}

inline void Expect(bool condition, const std::string& what) {
  if (!condition) throw std::runtime_error(what);
}

// The 40-byte info header at `at`; returns the stored height.
inline std::int32_t InfoHeader(const Bytes& b, std::size_t at, int bits, int& width) {
  Expect(U32(b, at) == 40, "info header is not the 40-byte kind");
  width = static_cast<std::int32_t>(U32(b, at + 4));
  const auto height = static_cast<std::int32_t>(U32(b, at + 8));
  Expect(U16(b, at + 12) == 1, "planes is not 1");
  Expect(static_cast<int>(U16(b, at + 14)) == bits, "unexpected bits per pixel");
  Expect(U32(b, at + 16) == 0, "pixels are compressed");
  Expect(width > 0 && height > 0, "size is not positive (rows must be bottom-up)");
  return height;
}

inline std::uint32_t Big32(const Bytes& b, std::size_t at) {
  Expect(at + 4 <= b.size(), "file ends inside a field");
  return static_cast<std::uint32_t>(b[at]) << 24 | b[at + 1] << 16 | b[at + 2] << 8 | b[at + 3];
}

inline std::uint32_t PngCrc(const Bytes& b, std::size_t from, std::size_t to) {
  std::uint32_t crc = 0xFFFFFFFFu;
  for (std::size_t i = from; i < to; ++i) {
    crc ^= b[i];
    for (int k = 0; k < 8; ++k) crc = (crc & 1u) ? (crc >> 1) ^ 0xEDB88320u : crc >> 1;
  }
  return ~crc;
}

}  // namespace detail

inline Image DecodeBmp24(const Bytes& b) {
  using namespace detail;
  Expect(b.size() >= 54 && b[0] == 'B' && b[1] == 'M', "no BM signature");
  Expect(U32(b, 2) == b.size(), "file size field disagrees with the file");
  const std::uint32_t offset = U32(b, 10);
  Expect(offset == 54, "pixels do not follow the headers");
  Image image;
  image.height = InfoHeader(b, 14, 24, image.width);
  const std::size_t stride = (static_cast<std::size_t>(image.width) * 3 + 3) / 4 * 4;
  Expect(b.size() == offset + stride * static_cast<std::size_t>(image.height),
         "pixel data is not rows padded to four bytes");
  image.argb.resize(static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height));
  for (int y = 0; y < image.height; ++y) {
    const std::size_t row = offset + stride * static_cast<std::size_t>(image.height - 1 - y);
    for (int x = 0; x < image.width; ++x) {
      const std::size_t p = row + static_cast<std::size_t>(x) * 3;
      image.argb[static_cast<std::size_t>(y * image.width + x)] =
          0xFF000000u | b[p + 2] << 16 | b[p + 1] << 8 | b[p];
    }
  }
  return image;
}

inline Image DecodeIco32(const Bytes& b) {
  using namespace detail;
  Expect(U16(b, 0) == 0 && U16(b, 2) == 1, "not an icon file");
  Expect(U16(b, 4) == 1, "expected exactly one image");
  const int entryWidth = b.at(6) == 0 ? 256 : b.at(6);
  const int entryHeight = b.at(7) == 0 ? 256 : b.at(7);
  Expect(U16(b, 10) == 1 && U16(b, 12) == 32, "directory entry is not 32 bits a pixel");
  const std::uint32_t size = U32(b, 14);
  const std::uint32_t offset = U32(b, 18);
  Expect(offset == 22 && offset + size == b.size(), "directory entry does not span the image");

  Image image;
  const std::int32_t storedHeight = InfoHeader(b, offset, 32, image.width);
  image.height = storedHeight / 2;
  Expect(storedHeight == 2 * entryHeight && image.width == entryWidth,
         "info header size disagrees with the directory (height must be doubled)");
  const std::size_t colours = offset + 40;
  const std::size_t maskStride = (static_cast<std::size_t>(image.width) + 31) / 32 * 4;
  const std::size_t mask = colours + static_cast<std::size_t>(image.width * image.height) * 4;
  Expect(mask + maskStride * static_cast<std::size_t>(image.height) == b.size(),
         "colour and mask data do not fill the file");
  const auto pixels = static_cast<std::size_t>(image.width * image.height);
  image.argb.resize(pixels);
  image.masked.resize(pixels);
  for (int y = 0; y < image.height; ++y) {
    const int fileRow = image.height - 1 - y;
    for (int x = 0; x < image.width; ++x) {
      const std::size_t p = colours + static_cast<std::size_t>(fileRow * image.width + x) * 4;
      const std::size_t i = static_cast<std::size_t>(y * image.width + x);
      image.argb[i] =
          static_cast<std::uint32_t>(b[p + 3]) << 24 | b[p + 2] << 16 | b[p + 1] << 8 | b[p];
      const std::uint8_t bits = b[mask + maskStride * static_cast<std::size_t>(fileRow) +
                                  static_cast<std::size_t>(x / 8)];
      image.masked[i] = (bits & (0x80 >> (x % 8))) != 0;
    }
  }
  return image;
}

// IHDR, IDAT and IEND only, every CRC checked; the zlib stream must be stored blocks.
inline Image DecodePng(const Bytes& b) {
  using namespace detail;
  const Bytes signature{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  Expect(b.size() > 8 && Bytes(b.begin(), b.begin() + 8) == signature, "no PNG signature");
  Image image;
  Bytes zlib;
  std::vector<std::string> order;
  for (std::size_t at = 8; at < b.size();) {
    const std::uint32_t length = Big32(b, at);
    Expect(at + 12 + length <= b.size(), "chunk runs past the end");
    const std::string type(b.begin() + static_cast<std::ptrdiff_t>(at + 4),
                           b.begin() + static_cast<std::ptrdiff_t>(at + 8));
    Expect(Big32(b, at + 8 + length) == PngCrc(b, at + 4, at + 8 + length), type + " CRC is wrong");
    const std::size_t data = at + 8;
    if (type == "IHDR") {
      Expect(length == 13, "IHDR is not 13 bytes");
      image.width = static_cast<int>(Big32(b, data));
      image.height = static_cast<int>(Big32(b, data + 4));
      Expect(b[data + 8] == 8 && b[data + 9] == 6 && b[data + 10] == 0 && b[data + 11] == 0 &&
                 b[data + 12] == 0,
             "not 8-bit RGBA, deflate, filter method 0, no interlace");
    } else if (type == "IDAT") {
      zlib.insert(zlib.end(), b.begin() + static_cast<std::ptrdiff_t>(data),
                  b.begin() + static_cast<std::ptrdiff_t>(data + length));
    }
    order.push_back(type);
    at += 12 + length;
  }
  Expect(order == std::vector<std::string>{"IHDR", "IDAT", "IEND"}, "chunks are not IHDR, IDAT, IEND");
  Expect(zlib.size() >= 6 && zlib[0] == 0x78 && (zlib[0] * 256 + zlib[1]) % 31 == 0, "bad zlib header");

  Bytes raw;
  std::size_t at = 2;
  for (bool last = false; !last;) {
    Expect(at + 5 <= zlib.size(), "zlib stream ends inside a block header");
    last = (zlib[at] & 1) != 0;
    Expect((zlib[at] & 6) == 0, "a block is compressed");
    const std::uint32_t length = U16(zlib, at + 1);
    Expect((length ^ U16(zlib, at + 3)) == 0xFFFF, "stored length and its complement disagree");
    Expect(at + 5 + length <= zlib.size(), "stored block runs past the stream");
    raw.insert(raw.end(), zlib.begin() + static_cast<std::ptrdiff_t>(at + 5),
               zlib.begin() + static_cast<std::ptrdiff_t>(at + 5 + length));
    at += 5 + length;
  }
  std::uint32_t s1 = 1, s2 = 0;
  for (std::uint8_t byte : raw) {
    s1 = (s1 + byte) % 65521;
    s2 = (s2 + s1) % 65521;
  }
  Expect(at + 4 == zlib.size() && Big32(zlib, at) == (s2 << 16 | s1), "Adler-32 is wrong");

  const std::size_t stride = 1 + static_cast<std::size_t>(image.width) * 4;
  Expect(raw.size() == stride * static_cast<std::size_t>(image.height), "pixel data is not whole rows");
  for (int y = 0; y < image.height; ++y) {
    const std::size_t row = stride * static_cast<std::size_t>(y);
    Expect(raw[row] == 0, "a row is filtered");
    for (int x = 0; x < image.width; ++x) {
      const std::size_t p = row + 1 + static_cast<std::size_t>(x) * 4;
      image.argb.push_back(static_cast<std::uint32_t>(raw[p + 3]) << 24 | raw[p] << 16 |
                           raw[p + 1] << 8 | raw[p + 2]);
    }
  }
  return image;
}

}  // namespace assettest
