// The picture: an 800 x 600 frame buffer in ordinary memory that the game draws into in
// software, and the platform presentation that puts it on the screen once per frame.
#pragma once

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>

#include "core/types.h"

class Display {
 public:
  static constexpr int width = 800;
  static constexpr int height = 600;
  static constexpr std::size_t pixelCount = static_cast<std::size_t>(width) * height;

  explicit Display(WindowHandle window);
  ~Display();
  Display(const Display&) = delete;
  Display& operator=(const Display&) = delete;

  // Starts a frame whose every byte is `value` except where it is then drawn over. The bytes are
  // written only where nothing covers them first: a FillRect over a part not yet written spares
  // it, whatever is drawn on top of the clear is drawn on it, and EndFrame writes what is left.
  void Clear(std::uint8_t value);

  // Fills the part of the rectangle inside clip. clip must lie within the frame buffer.
  // While a RowsOfFills is alive the fill may be written later, when that ends at the latest.
  // Inline, so that the tile loop makes no call for the bulk of the level, outside the view.
  void FillRect(std::int32_t top, std::int32_t bottom, std::int32_t left, std::int32_t right,
                Pixel colour, const RectI& clip) {
    top = std::max(top, clip.top);
    bottom = std::min(bottom, clip.bottom);
    left = std::max(left, clip.left);
    right = std::min(right, clip.right);
    if (top >= bottom || left >= right) return;
    FillClipped(top, bottom, left, right, colour);
  }

  // Copies a width x height block whose top-left lands at (left, top), skipping pixels equal
  // to key, clipped to clip (which must lie within the frame buffer).
  void DrawKeyed(const Pixel* pixels, Pixel key, std::uint32_t width, std::uint32_t height,
                 std::int32_t left, std::int32_t top, const RectI& clip);

  // Hands the finished frame to the screen (platform).
  void EndFrame();

  // From now on the frame holds each pixel as a canvas's image data does, the bytes R, G, B, A,
  // and opaque, where the game's colours are 0xAARRGGBB: every pixel drawn, the clear's too, is
  // written so, and the platform puts the frame on its canvas as it stands, with no pass over
  // the whole picture to reorder it. What is drawn is signed as well (Signature). Called by a
  // platform before its first frame.
  void UseCanvasOrder() { canvasOrder = true; }
  // In canvas order, what has been drawn since the last Clear, in brief: frames with the same
  // signature show the same picture, so a platform can leave an unchanged one where it is. A
  // picture drawn from is known by where it lies: the game's pictures never change once loaded.
  std::uint64_t Signature() const { return signature; }
  // Switches between windowed and full-screen presentation (platform).
  void ToggleDisplayMode(WindowHandle window);

  // Whether frames reach the screen; when they cannot, DrawFailure says why (platform).
  bool CanDraw() const;
  std::string DrawFailure() const;

  Pixel* frameBuffer = nullptr;

  // For as long as one lives, rectangles that FillRect is given side by side, left to right on
  // the same rows (a row of tiles), are held back and written together when the row ends: its
  // first line run by run, the other lines copied from it whole. Long sequential lines are what
  // memory is fastest at, which matters most where there is no prefetch to hide a tile's 25
  // separate short lines. Whatever else draws writes what is held first, and so does the end.
  class RowsOfFills {
   public:
    explicit RowsOfFills(Display& display) : display(display) { display.holdFills = true; }
    ~RowsOfFills() {
      display.WriteHeldFills();
      display.holdFills = false;
    }
    RowsOfFills(const RowsOfFills&) = delete;
    RowsOfFills& operator=(const RowsOfFills&) = delete;

   private:
    Display& display;
  };

  // Whatever the platform needs to present; defined by the platform's display file.
  struct Platform;

 private:
  // Each platform's constructor calls this once, after its presentation is set up.
  void AllocateFrameBuffer();
  // Writes the clear into row y from where it has been written or covered up to column `to`.
  void ClearRowUpTo(std::int32_t y, std::int32_t to);
  // Writes what is left of the clear, and any fills held back; every platform's EndFrame calls
  // it before presenting.
  void FinishClear();
  // FillRect's rectangle, clipped and not empty.
  void FillClipped(std::int32_t top, std::int32_t bottom, std::int32_t left, std::int32_t right,
                   Pixel colour);
  // Adds a clipped rectangle to the row held back, which it continues on the right.
  void HoldFill(std::int32_t top, std::int32_t bottom, std::int32_t left, std::int32_t right,
                Pixel colour);
  void WriteHeldFills();
  // The platform part for the platform's own files; everyone else goes through Display.
  friend Platform& PlatformOf(Display& display);

  std::unique_ptr<Platform> platform;
  std::unique_ptr<Pixel[]> frameStorage;

  // The clear not yet written: in row y, the pixels from clearedTo[y] on are still to be
  // cleared (those before it were cleared or drawn over). Rows are drawn left to right, tile by
  // tile, so one edge a row is all it takes.
  bool clearPending = false;
  Pixel clearPixel = 0;
  std::int32_t clearedTo[height] = {};

  // The fills held back: rows heldTop to heldBottom, from column heldLeft, runs of one colour
  // each up to its `right`. A fixed handful, so holding allocates nothing; a longer row is
  // written in parts.
  struct HeldRun {
    std::int32_t right;
    Pixel colour;
  };
  static constexpr int maxHeldRuns = 64;

  // A colour of the game's as the frame holds it.
  Pixel ToFrame(Pixel colour) const {
    if (!canvasOrder) return colour;
    return (colour & 0x0000FF00u) | ((colour >> 16) & 0xFFu) | ((colour & 0xFFu) << 16) | 0xFF000000u;
  }
  // Adds what one drawing call did to the signature.
  void Sign(std::uint64_t what, std::uint64_t where);
  bool canvasOrder = false;
  std::uint64_t signature = 0;

  bool holdFills = false;
  int heldRunCount = 0;
  std::int32_t heldTop = 0;
  std::int32_t heldBottom = 0;
  std::int32_t heldLeft = 0;
  HeldRun heldRuns[maxHeldRuns] = {};
};
