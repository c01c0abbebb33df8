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

// A zlib stream of stored blocks, each at most 65,535 bytes.
Bytes StoredZlib(const Bytes& raw) {
  Bytes out{0x78, 0x01};
  std::size_t at = 0;
  do {
    const std::size_t length = std::min<std::size_t>(raw.size() - at, 65535);
    out.push_back(at + length == raw.size() ? 1 : 0);  // the last block says so
    Put16(out, static_cast<std::uint32_t>(length));
    Put16(out, static_cast<std::uint32_t>(~length & 0xFFFF));
    out.insert(out.end(), raw.begin() + static_cast<std::ptrdiff_t>(at),
               raw.begin() + static_cast<std::ptrdiff_t>(at + length));
    at += length;
  } while (at < raw.size());
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
  PutChunk(out, "IDAT", StoredZlib(raw));
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
