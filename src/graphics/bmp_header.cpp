#include "graphics/bmp_header.h"

#include <algorithm>

#include "graphics/image_loader.h"

namespace {

std::uint32_t ReadU16(const unsigned char* p) { return p[0] | (p[1] << 8); }

std::uint32_t ReadU32(const unsigned char* p) {
  return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

constexpr std::int64_t fileHeaderSize = 14;
constexpr std::uint32_t coreHeaderSize = 12;  // the old header with 16-bit sizes
constexpr std::uint32_t infoHeaderSize = 40;
constexpr std::uint32_t largestHeaderSize = 124;
static_assert(bmpHeaderBytes == fileHeaderSize + infoHeaderSize, "the check reads the info header whole");

constexpr std::int64_t maxRunLengthPixelsPerByte = 128;

}  // namespace

// Everything is computed in 64 bits, so no claim can wrap around into a small, harmless-looking
// number.
bool ReadBmpHeader(const unsigned char* first, std::size_t firstSize, std::int64_t fileSize,
                   BmpHeader& header) {
  if (first == nullptr || fileSize < fileHeaderSize + 4 || fileSize > maxBmpFileBytes) return false;
  // A file shorter than the info header has the rest read as zeros; the size checks below
  // refuse it anyway.
  const std::size_t have = std::min<std::size_t>(firstSize, bmpHeaderBytes);
  if (static_cast<std::int64_t>(have) < std::min<std::int64_t>(fileSize, bmpHeaderBytes)) return false;
  unsigned char bytes[bmpHeaderBytes] = {};
  std::copy(first, first + have, bytes);
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
    header.compression = bmpPlainRgb;
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
    case bmpPlainRgb: break;
    case bmpRle8: if (header.bits != 8) return false; break;
    case bmpRle4: if (header.bits != 4) return false; break;
    case bmpBitFields: if (header.bits != 16 && header.bits != 32) return false; break;
    default: return false;  // embedded JPEG or PNG, or nothing known
  }
  if (header.bits <= 8 && coloursUsed > (std::int64_t{1} << header.bits)) return false;

  // The pixels start after the headers and inside the file.
  if (dataOffset < fileHeaderSize + infoSize || dataOffset >= fileSize) return false;
  const std::int64_t dataBytes = fileSize - dataOffset;
  if (header.compression == bmpPlainRgb || header.compression == bmpBitFields) {
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

bool BmpFileAcceptable(const void* file, std::size_t size, BmpHeader& header) {
  if (file == nullptr || size > static_cast<std::uint64_t>(maxBmpFileBytes)) return false;
  return ReadBmpHeader(static_cast<const unsigned char*>(file), size, static_cast<std::int64_t>(size), header);
}
