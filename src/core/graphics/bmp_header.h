// The check every bitmap decoder runs before it lets its library see a file. Libraries believe
// what a header says; a game reading files it did not write should not. A file that claims an
// absurd size, an encoding that cannot be, or more pixel data than it holds is turned away here,
// before anything is allocated for it, and so on every platform alike.
#pragma once

#include <cstddef>
#include <cstdint>

// What the check needs of a file: its first bytes (the file header and the start of the info
// header) and its size.
constexpr std::size_t bmpHeaderBytes = 54;

// No acceptable picture needs a bigger file: 2^24 pixels of 32 bits, headers and palette. A
// larger one is refused before a decoder reads it whole.
constexpr std::int64_t maxBmpFileBytes = (std::int64_t{1} << 26) + (std::int64_t{1} << 16);

enum BmpCompression : std::uint32_t { bmpPlainRgb = 0, bmpRle8 = 1, bmpRle4 = 2, bmpBitFields = 3 };

struct BmpHeader {
  std::int64_t width = 0;
  std::int64_t height = 0;  // rows, whichever way they are stored
  std::uint32_t bits = 0;
  std::uint32_t compression = bmpPlainRgb;
};

// Whether the file whose first bytes are given (bmpHeaderBytes of them, or the whole file when
// it is shorter) and whose size is fileSize holds a picture the game is willing to decode.
// Fills header when it does.
bool ReadBmpHeader(const unsigned char* first, std::size_t firstSize, std::int64_t fileSize,
                   BmpHeader& header);

// The same check, saying why a file is refused in a few words ("the file is cut short"), or
// nullptr when it is not.
const char* BmpHeaderRefusal(const unsigned char* first, std::size_t firstSize, std::int64_t fileSize,
                             BmpHeader& header);

// The same for a whole file held in memory.
bool BmpFileAcceptable(const void* file, std::size_t size, BmpHeader& header);
