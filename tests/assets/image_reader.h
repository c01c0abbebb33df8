// Just enough of the BMP, ICO and PNG formats to check what fennwick-assetgen wrote. It is strict
// about the exact layout promised (24-bit bottom-up frames, single-image 32-bit icons, RGBA or
// palette PNGs of fixed-code blocks) and is kept apart from the game's loader, so a mistake
// shared by both cannot hide.
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

// Deflate's fixed-code blocks, the generator's only kind, written here from RFC 1951 apart from it.
// Returns the data; the stream's last four bytes (the checksum) are left to the caller.
inline Bytes Inflate(const Bytes& zlib) {
  std::size_t bit = 16;  // past the two header bytes
  const auto take = [&](int count) {
    std::uint32_t value = 0;
    for (int i = 0; i < count; ++i, ++bit) {
      Expect(bit / 8 + 4 < zlib.size(), "deflate data runs into the checksum");
      value |= static_cast<std::uint32_t>((zlib[bit / 8] >> (bit % 8)) & 1) << i;
    }
    return value;
  };
  const auto code = [&](int count) {  // a Huffman code, most significant bit first
    std::uint32_t value = 0;
    for (int i = 0; i < count; ++i) value = value << 1 | take(1);
    return value;
  };
  const std::uint32_t lengthBase[] = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                                      31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
  const std::uint32_t distanceBase[] = {1,   2,   3,   4,   5,    7,    9,    13,   17,   25,
                                        33,  49,  65,  97,  129,  193,  257,  385,  513,  769,
                                        1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
  Bytes out;
  for (bool last = false; !last;) {
    last = take(1) == 1;
    Expect(take(2) == 1, "a block is not in the fixed code");
    for (;;) {
      std::uint32_t symbol = code(7);
      if (symbol <= 23) {
        symbol += 256;
      } else {
        symbol = symbol << 1 | take(1);
        if (symbol >= 0x30 && symbol <= 0xBF) symbol -= 0x30;
        else if (symbol >= 0xC0 && symbol <= 0xC7) symbol = symbol - 0xC0 + 280;
        else symbol = (symbol << 1 | take(1)) - 0x190 + 144;
      }
      if (symbol < 256) {
        out.push_back(static_cast<std::uint8_t>(symbol));
        continue;
      }
      if (symbol == 256) break;
      const std::uint32_t l = symbol - 257;
      Expect(l < 29, "a length code past the table");
      const int lengthBits = (l < 8 || l == 28) ? 0 : static_cast<int>(l / 4 - 1);
      const std::uint32_t length = lengthBase[l] + take(lengthBits);
      const std::uint32_t d = code(5);
      Expect(d < 30, "a distance code past the table");
      const int distanceBits = d < 4 ? 0 : static_cast<int>(d / 2 - 1);
      const std::uint32_t distance = distanceBase[d] + take(distanceBits);
      Expect(distance <= out.size(), "a distance reaches before the start");
      for (std::uint32_t i = 0; i < length; ++i) out.push_back(out[out.size() - distance]);
    }
  }
  Expect(bit / 8 + (bit % 8 != 0) + 4 == zlib.size(), "data after the last block");
  return out;
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

// IHDR, a palette (PLTE, maybe tRNS) or none, IDAT and IEND only, every CRC checked; the zlib
// stream of fixed-code blocks.
inline Image DecodePng(const Bytes& b) {
  using namespace detail;
  const Bytes signature{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  Expect(b.size() > 8 && Bytes(b.begin(), b.begin() + 8) == signature, "no PNG signature");
  Image image;
  Bytes zlib;
  std::vector<std::string> order;
  bool indexed = false;
  std::vector<std::uint32_t> palette;
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
      Expect(b[data + 8] == 8 && (b[data + 9] == 6 || b[data + 9] == 3) && b[data + 10] == 0 &&
                 b[data + 11] == 0 && b[data + 12] == 0,
             "not 8-bit RGBA or palette, deflate, filter method 0, no interlace");
      indexed = b[data + 9] == 3;
    } else if (type == "PLTE") {
      Expect(length % 3 == 0 && length > 0 && length <= 3 * 256, "PLTE is not 1 to 256 colours");
      for (std::size_t c = data; c < data + length; c += 3)
        palette.push_back(0xFF000000u | static_cast<std::uint32_t>(b[c]) << 16 | b[c + 1] << 8 | b[c + 2]);
    } else if (type == "tRNS") {
      Expect(length <= palette.size(), "tRNS has more entries than the palette");
      for (std::size_t i = 0; i < length; ++i)
        palette[i] = (palette[i] & 0xFFFFFFu) | static_cast<std::uint32_t>(b[data + i]) << 24;
    } else if (type == "IDAT") {
      zlib.insert(zlib.end(), b.begin() + static_cast<std::ptrdiff_t>(data),
                  b.begin() + static_cast<std::ptrdiff_t>(data + length));
    }
    order.push_back(type);
    at += 12 + length;
  }
  const std::vector<std::string> plain{"IHDR", "IDAT", "IEND"}, withPalette{"IHDR", "PLTE", "IDAT", "IEND"},
      withAlphas{"IHDR", "PLTE", "tRNS", "IDAT", "IEND"};
  Expect(indexed ? order == withPalette || order == withAlphas : order == plain,
         "chunks are not IHDR, a palette if one is used, IDAT, IEND");
  Expect(zlib.size() >= 6 && zlib[0] == 0x78 && (zlib[0] * 256 + zlib[1]) % 31 == 0, "bad zlib header");

  const Bytes raw = Inflate(zlib);
  std::uint32_t s1 = 1, s2 = 0;
  for (std::uint8_t byte : raw) {
    s1 = (s1 + byte) % 65521;
    s2 = (s2 + s1) % 65521;
  }
  Expect(Big32(zlib, zlib.size() - 4) == (s2 << 16 | s1), "Adler-32 is wrong");

  const std::size_t pixelBytes = indexed ? 1 : 4;
  const std::size_t stride = 1 + static_cast<std::size_t>(image.width) * pixelBytes;
  Expect(raw.size() == stride * static_cast<std::size_t>(image.height), "pixel data is not whole rows");
  for (int y = 0; y < image.height; ++y) {
    const std::size_t row = stride * static_cast<std::size_t>(y);
    Expect(raw[row] == 0, "a row is filtered");
    for (int x = 0; x < image.width; ++x) {
      const std::size_t p = row + 1 + static_cast<std::size_t>(x) * pixelBytes;
      if (indexed) {
        Expect(raw[p] < palette.size(), "a pixel names a colour past the palette");
        image.argb.push_back(palette[raw[p]]);
        continue;
      }
      image.argb.push_back(static_cast<std::uint32_t>(raw[p + 3]) << 24 | raw[p] << 16 |
                           raw[p + 1] << 8 | raw[p + 2]);
    }
  }
  return image;
}

}  // namespace assettest
