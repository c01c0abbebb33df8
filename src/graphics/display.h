// The picture: an 800 x 600 frame buffer in ordinary memory that the game draws into in
// software, and the platform presentation that puts it on the screen once per frame.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "types.h"

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
  void FillRect(std::int32_t top, std::int32_t bottom, std::int32_t left, std::int32_t right,
                Pixel colour, const RectI& clip);

  // Copies a width x height block whose top-left lands at (left, top), skipping pixels equal
  // to key, clipped to clip (which must lie within the frame buffer).
  void DrawKeyed(const Pixel* pixels, Pixel key, std::uint32_t width, std::uint32_t height,
                 std::int32_t left, std::int32_t top, const RectI& clip);

  // Hands the finished frame to the screen (platform).
  void EndFrame();
  // Switches between windowed and full-screen presentation (platform).
  void ToggleDisplayMode(WindowHandle window);

  // Whether frames reach the screen; when they cannot, DrawFailure says why (platform).
  bool CanDraw() const;
  std::string DrawFailure() const;

  Pixel* frameBuffer = nullptr;

  // Whatever the platform needs to present; defined by the platform's display file.
  struct Platform;

 private:
  // Each platform's constructor calls this once, after its presentation is set up.
  void AllocateFrameBuffer();
  // Writes the clear into row y from where it has been written or covered up to column `to`.
  void ClearRowUpTo(std::int32_t y, std::int32_t to);
  // Writes what is left of the clear; every platform's EndFrame calls it before presenting.
  void FinishClear();
  // The platform part for the platform's own files; everyone else goes through Display.
  friend Platform& PlatformOf(Display& display);

  std::unique_ptr<Platform> platform;
  std::unique_ptr<Pixel[]> frameStorage;

  // The clear not yet written: in row y, the pixels from clearedTo[y] on are still to be
  // cleared (those before it were cleared or drawn over). Rows are drawn left to right, tile by
  // tile, so one edge a row is all it takes.
  bool clearPending = false;
  std::uint8_t clearValue = 0;
  std::int32_t clearedTo[height] = {};
};
