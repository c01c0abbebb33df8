// Putting the finished frame into a locked back buffer whose pixel format the screen chose:
// the desktop's format is borrowed in a window, and a desktop may run at 16 bits.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/types.h"

// How a back buffer's rows hold their pixels, as far as the frame's copy is concerned.
enum class BackBufferLayout {
  Xrgb8888,  // blue, green, red bytes then one ignored: the frame's own layout
  Rgb565,
  Xrgb1555,
  Unknown,   // nothing is written into it
};

// The layout behind a Direct3D format number (D3DFORMAT); Unknown for any the game cannot fill.
BackBufferLayout LayoutOfFormat(std::uint32_t format);

// A locked back buffer: its bits, the bytes from one row's start to the next, and its size in
// pixels as the surface describes itself.
struct BackBufferRows {
  std::uint8_t* bits;
  std::int32_t pitch;
  std::uint32_t width;
  std::uint32_t height;
  BackBufferLayout layout;
};

// Copies a frame of frameWidth x frameHeight pixels, rows without a gap, into the back buffer,
// converting each pixel to its layout. Only the part both share is written, and of each row no
// more than its pitch holds: bytes beyond that, and every byte of an Unknown layout, stay as
// they were.
void CopyFrameToRows(const Pixel* frame, std::uint32_t frameWidth, std::uint32_t frameHeight,
                     const BackBufferRows& rows);
