#include "core/graphics/bmp_header.h"

#include <algorithm>

#include "core/graphics/image_loader.h"

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

// Why a file was turned away, in a few words a player can act on.
constexpr const char* cutShort = "the file is cut short";
constexpr const char* unknownDepth = "an unknown number of bits a pixel";
constexpr const char* unknownEncoding = "an unknown encoding";

}  // namespace

// Everything is computed in 64 bits, so no claim can wrap around into a small, harmless-looking
// number.
const char* BmpHeaderRefusal(const unsigned char* first, std::size_t firstSize, std::int64_t fileSize,
                             BmpHeader& header) {
  if (first == nullptr || fileSize < fileHeaderSize + 4) return cutShort;
  if (fileSize > maxBmpFileBytes) return "the file is too big";
  // A file shorter than the info header has the rest read as zeros; the size checks below
  // refuse it anyway.
  const std::size_t have = std::min<std::size_t>(firstSize, bmpHeaderBytes);
  if (static_cast<std::int64_t>(have) < std::min<std::int64_t>(fileSize, bmpHeaderBytes)) return cutShort;
  unsigned char bytes[bmpHeaderBytes] = {};
  std::copy(first, first + have, bytes);
  if (bytes[0] != 'B' || bytes[1] != 'M') return "it does not start with BM";

  const std::int64_t dataOffset = ReadU32(bytes + 10);
  const std::uint32_t infoSize = ReadU32(bytes + 14);
  const bool core = infoSize == coreHeaderSize;
  if (!core && (infoSize < infoHeaderSize || infoSize > largestHeaderSize)) return "an unknown kind of header";
  if (fileHeaderSize + infoSize > fileSize) return cutShort;

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
  if (header.width == 0 || header.height == 0) return "no pixels at all";
  if (!ImageSizeAcceptable(header.width, header.height)) return "too many pixels";

  switch (header.bits) {
    case 1: case 4: case 8: case 24: break;
    case 16: case 32: if (core) return unknownDepth; break;
    default: return unknownDepth;
  }
  switch (header.compression) {
    case bmpPlainRgb: break;
    case bmpRle8: if (header.bits != 8) return unknownEncoding; break;
    case bmpRle4: if (header.bits != 4) return unknownEncoding; break;
    case bmpBitFields: if (header.bits != 16 && header.bits != 32) return unknownEncoding; break;
    default: return unknownEncoding;  // embedded JPEG or PNG, or nothing known
  }
  if (header.bits <= 8 && coloursUsed > (std::int64_t{1} << header.bits)) return "too many palette colours";

  // The pixels start after the headers and inside the file.
  if (dataOffset < fileHeaderSize + infoSize) return "its pixels overlap its header";
  if (dataOffset >= fileSize) return cutShort;
  const std::int64_t dataBytes = fileSize - dataOffset;
  if (header.compression == bmpPlainRgb || header.compression == bmpBitFields) {
    const std::int64_t rowBits = header.width * header.bits;
    const std::int64_t rowBytes = (rowBits + 31) / 32 * 4;
    const std::int64_t lastRowBytes = (rowBits + 7) / 8;
    if (rowBytes * (header.height - 1) + lastRowBytes > dataBytes) return cutShort;
  } else {
    // A run covers at most 255 pixels for its 2 bytes, so no run-length data can paint more
    // than about 128 pixels a byte. A file claiming more leaves most of its picture to
    // end-of-line and end-of-bitmap skips: a few bytes that would cost megabytes to unpack.
    if (header.width * header.height > dataBytes * maxRunLengthPixelsPerByte) return cutShort;
  }
  return nullptr;
}

bool ReadBmpHeader(const unsigned char* first, std::size_t firstSize, std::int64_t fileSize,
                   BmpHeader& header) {
  return BmpHeaderRefusal(first, firstSize, fileSize, header) == nullptr;
}

bool BmpFileAcceptable(const void* file, std::size_t size, BmpHeader& header) {
  if (file == nullptr || size > static_cast<std::uint64_t>(maxBmpFileBytes)) return false;
  return ReadBmpHeader(static_cast<const unsigned char*>(file), size, static_cast<std::int64_t>(size), header);
}
