#include "image_files.h"

#include <algorithm>
#include <cstddef>
#include <cstdio>

namespace assetgen {

namespace {

void Put16(Bytes& out, std::uint32_t v) {
  out.push_back(static_cast<std::uint8_t>(v & 0xFF));
  out.push_back(static_cast<std::uint8_t>((v >> 8) & 0xFF));
}

void Put32(Bytes& out, std::uint32_t v) {
  Put16(out, v & 0xFFFF);
  Put16(out, v >> 16);
}

constexpr std::uint32_t infoHeaderSize = 40;
constexpr std::uint32_t pixelsPerMetre = 2835;  // 72 dpi, what paint programs write

void PutInfoHeader(Bytes& out, std::int32_t width, std::int32_t height, std::uint32_t bits,
                   std::uint32_t imageSize) {
  Put32(out, infoHeaderSize);
  Put32(out, static_cast<std::uint32_t>(width));
  Put32(out, static_cast<std::uint32_t>(height));
  Put16(out, 1);  // planes
  Put16(out, bits);
  Put32(out, 0);  // no compression
  Put32(out, imageSize);
  Put32(out, pixelsPerMetre);
  Put32(out, pixelsPerMetre);
  Put32(out, 0);  // colours used
  Put32(out, 0);  // important colours
}

std::uint32_t PaddedRow(std::uint32_t bytes) { return (bytes + 3) / 4 * 4; }

void PutBig32(Bytes& out, std::uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<std::uint8_t>(v >> shift));
}

std::uint32_t Crc32(const std::uint8_t* data, std::size_t size) {
  std::uint32_t crc = 0xFFFFFFFFu;
  for (std::size_t i = 0; i < size; ++i) {
    crc ^= data[i];
    for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  return crc ^ 0xFFFFFFFFu;
}

void PutChunk(Bytes& out, const char type[5], const Bytes& data) {
  PutBig32(out, static_cast<std::uint32_t>(data.size()));
  const std::size_t start = out.size();
  out.insert(out.end(), type, type + 4);
  out.insert(out.end(), data.begin(), data.end());
  PutBig32(out, Crc32(out.data() + start, out.size() - start));
}

// Deflate's bits, packed from each byte's least significant end.
class BitWriter {
 public:
  explicit BitWriter(Bytes& out) : out(out) {}
  void Bits(std::uint32_t value, int count) {
    for (int i = 0; i < count; ++i) {
      if (used == 0) out.push_back(0);
      out.back() = static_cast<std::uint8_t>(out.back() | ((value >> i) & 1u) << used);
      used = (used + 1) % 8;
    }
  }
  // Huffman codes go in from their most significant bit.
  void Code(std::uint32_t code, int length) {
    for (int i = length - 1; i >= 0; --i) Bits(code >> i, 1);
  }

 private:
  Bytes& out;
  int used = 0;
};

// A literal byte, a length or the end, in deflate's fixed code.
void FixedSymbol(BitWriter& bits, std::uint32_t symbol) {
  if (symbol < 144) bits.Code(0x30 + symbol, 8);
  else if (symbol < 256) bits.Code(0x190 + symbol - 144, 9);
  else if (symbol < 280) bits.Code(symbol - 256, 7);
  else bits.Code(0xC0 + symbol - 280, 8);
}

constexpr std::uint32_t lengthBase[29] = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                                          31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
constexpr int lengthExtra[29] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                 2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
constexpr std::uint32_t distanceBase[30] = {1,   2,   3,   4,   5,   7,    9,    13,   17,   25,
                                            33,  49,  65,  97,  129, 193,  257,  385,  513,  769,
                                            1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
constexpr int distanceExtra[30] = {0, 0, 0, 0, 1, 1, 2, 2,  3,  3,  4,  4,  5,  5,  6,
                                   6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};

// The longest run at `at` that repeats the bytes `distance` back, up to deflate's 258.
std::size_t MatchLength(const Bytes& raw, std::size_t at, std::size_t distance) {
  if (distance == 0 || distance > at) return 0;
  std::size_t length = 0;
  while (length < 258 && at + length < raw.size() && raw[at + length] == raw[at + length - distance]) ++length;
  return length;
}

// A zlib stream of one block in deflate's fixed code. Icons are large areas of one colour: a
// pixel repeating the one before it, or a row the one above, is all the searching they need.
Bytes FixedZlib(const Bytes& raw, std::size_t rowBytes) {
  Bytes out{0x78, 0x01};
  BitWriter bits(out);
  bits.Bits(1, 1);  // the last block
  bits.Bits(1, 2);  // fixed codes
  for (std::size_t at = 0; at < raw.size();) {
    std::size_t length = 0, distance = 0;
    for (const std::size_t back : {std::size_t{4}, rowBytes}) {
      const std::size_t found = MatchLength(raw, at, back);
      if (found > length) {
        length = found;
        distance = back;
      }
    }
    if (length < 3) {
      FixedSymbol(bits, raw[at++]);
      continue;
    }
    int code = 28;
    while (lengthBase[code] > length) --code;
    FixedSymbol(bits, 257 + static_cast<std::uint32_t>(code));
    bits.Bits(static_cast<std::uint32_t>(length) - lengthBase[code], lengthExtra[code]);
    int far = 29;
    while (distanceBase[far] > distance) --far;
    bits.Code(static_cast<std::uint32_t>(far), 5);
    bits.Bits(static_cast<std::uint32_t>(distance) - distanceBase[far], distanceExtra[far]);
    at += length;
  }
  FixedSymbol(bits, 256);
  std::uint32_t a = 1, b = 0;
  for (std::uint8_t byte : raw) {
    a = (a + byte) % 65521;
    b = (b + a) % 65521;
  }
  PutBig32(out, b << 16 | a);
  return out;
}

}  // namespace

Bytes EncodeBmp24(const Canvas& canvas) {
  const auto width = static_cast<std::uint32_t>(canvas.Width());
  const auto height = static_cast<std::uint32_t>(canvas.Height());
  const std::uint32_t stride = PaddedRow(width * 3);
  const std::uint32_t imageSize = stride * height;
  const std::uint32_t dataOffset = 14 + infoHeaderSize;

  Bytes out;
  out.reserve(dataOffset + imageSize);
  out.push_back('B');
  out.push_back('M');
  Put32(out, dataOffset + imageSize);
  Put32(out, 0);  // reserved
  Put32(out, dataOffset);
  PutInfoHeader(out, canvas.Width(), canvas.Height(), 24, imageSize);
  for (std::int32_t y = canvas.Height() - 1; y >= 0; --y) {
    const std::size_t rowStart = out.size();
    for (std::int32_t x = 0; x < canvas.Width(); ++x) {
      const Argb p = canvas.At(x, y);
      out.push_back(static_cast<std::uint8_t>(p & 0xFF));
      out.push_back(static_cast<std::uint8_t>((p >> 8) & 0xFF));
      out.push_back(static_cast<std::uint8_t>((p >> 16) & 0xFF));
    }
    out.resize(rowStart + stride, 0);
  }
  return out;
}

Bytes EncodeIco(const Canvas& canvas) {
  const auto width = static_cast<std::uint32_t>(canvas.Width());
  const auto height = static_cast<std::uint32_t>(canvas.Height());
  const std::uint32_t colourSize = width * height * 4;
  const std::uint32_t maskStride = PaddedRow((width + 7) / 8);
  const std::uint32_t maskSize = maskStride * height;
  const std::uint32_t imageSize = infoHeaderSize + colourSize + maskSize;
  constexpr std::uint32_t directorySize = 6 + 16;

  Bytes out;
  out.reserve(directorySize + imageSize);
  Put16(out, 0);  // reserved
  Put16(out, 1);  // icon, not cursor
  Put16(out, 1);  // one image
  // The directory stores 256 as 0; nothing here is that large.
  out.push_back(static_cast<std::uint8_t>(width & 0xFF));
  out.push_back(static_cast<std::uint8_t>(height & 0xFF));
  out.push_back(0);  // no palette
  out.push_back(0);  // reserved
  Put16(out, 1);     // planes
  Put16(out, 32);    // bits a pixel
  Put32(out, imageSize);
  Put32(out, directorySize);

  // The height counts the colour image and the mask stacked together.
  PutInfoHeader(out, canvas.Width(), canvas.Height() * 2, 32, colourSize + maskSize);
  for (std::int32_t y = canvas.Height() - 1; y >= 0; --y) {
    for (std::int32_t x = 0; x < canvas.Width(); ++x) {
      const Argb p = canvas.At(x, y);
      out.push_back(static_cast<std::uint8_t>(p & 0xFF));
      out.push_back(static_cast<std::uint8_t>((p >> 8) & 0xFF));
      out.push_back(static_cast<std::uint8_t>((p >> 16) & 0xFF));
      out.push_back(static_cast<std::uint8_t>(p >> 24));
    }
  }
  for (std::int32_t y = canvas.Height() - 1; y >= 0; --y) {
    Bytes row(maskStride, 0);
    for (std::int32_t x = 0; x < canvas.Width(); ++x)
      if ((canvas.At(x, y) >> 24) == 0) {
        std::uint8_t& bits = row[static_cast<std::size_t>(x / 8)];
        bits = static_cast<std::uint8_t>(bits | (0x80 >> (x % 8)));
      }
    out.insert(out.end(), row.begin(), row.end());
  }
  return out;
}

Bytes EncodePng(const Canvas& canvas) {
  Bytes header;
  PutBig32(header, static_cast<std::uint32_t>(canvas.Width()));
  PutBig32(header, static_cast<std::uint32_t>(canvas.Height()));
  header.insert(header.end(), {8, 6, 0, 0, 0});  // 8 bits, RGBA, deflate, filter 0, no interlace

  Bytes raw;
  for (std::int32_t y = 0; y < canvas.Height(); ++y) {
    raw.push_back(0);  // the row is not filtered
    for (std::int32_t x = 0; x < canvas.Width(); ++x) {
      const Argb p = canvas.At(x, y);
      for (int shift : {16, 8, 0, 24}) raw.push_back(static_cast<std::uint8_t>(p >> shift));
    }
  }

  Bytes out{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  PutChunk(out, "IHDR", header);
  PutChunk(out, "IDAT", FixedZlib(raw, 1 + static_cast<std::size_t>(canvas.Width()) * 4));
  PutChunk(out, "IEND", {});
  return out;
}

std::string EncodePixelList(const Canvas& canvas, const std::string& headerComment) {
  constexpr std::size_t perLine = 8;
  std::string text = "// " + headerComment + "\n";
  const std::vector<Argb>& pixels = canvas.Pixels();
  for (std::size_t i = 0; i < pixels.size(); ++i) {
    char literal[16];
    std::snprintf(literal, sizeof literal, "0x%08Xu", static_cast<unsigned>(pixels[i]));
    text += (i % perLine == 0) ? "" : " ";
    text += literal;
    if (i + 1 < pixels.size()) text += ",";
    if (i % perLine == perLine - 1 || i + 1 == pixels.size()) text += "\n";
  }
  return text;
}

}  // namespace assetgen
