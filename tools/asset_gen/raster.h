// Hard-edged and supersampled drawing of round-capped strokes and discs.
//
// Everything is placed in sixteenths of a pixel and tested with integer arithmetic, so the
// committed pictures come out bit for bit the same from any compiler that builds the tool:
// only the joint positions are computed in floating point, and those are rounded to the grid
// before a single pixel is decided.
#pragma once

#include <cstdint>
#include <vector>

namespace assetgen {

constexpr std::int32_t subunits = 16;  // grid steps per pixel

using Argb = std::uint32_t;  // 0xAARRGGBB
constexpr Argb opaqueWhite = 0xFFFFFFFFu;
constexpr Argb transparent = 0x00000000u;

struct GridPoint {
  std::int32_t x;
  std::int32_t y;
};

// A stroke of constant radius with round ends; a disc is a stroke whose ends coincide.
struct Stroke {
  GridPoint a;
  GridPoint b;
  std::int32_t radius;  // grid steps
  Argb colour;
};

// Later strokes cover earlier ones.
struct Shape {
  std::vector<Stroke> strokes;

  void Add(GridPoint a, GridPoint b, std::int32_t radius, Argb colour);
  void AddDisc(GridPoint centre, std::int32_t radius, Argb colour);
};

bool StrokeCovers(const Stroke& stroke, std::int64_t x, std::int64_t y);

class Canvas {
 public:
  Canvas(std::int32_t width, std::int32_t height, Argb fill);

  std::int32_t Width() const { return width; }
  std::int32_t Height() const { return height; }
  Argb At(std::int32_t x, std::int32_t y) const { return pixels[Index(x, y)]; }
  void Set(std::int32_t x, std::int32_t y, Argb colour) { pixels[Index(x, y)] = colour; }
  bool Inside(std::int32_t x, std::int32_t y) const {
    return x >= 0 && y >= 0 && x < width && y < height;
  }
  const std::vector<Argb>& Pixels() const { return pixels; }

 private:
  std::size_t Index(std::int32_t x, std::int32_t y) const {
    return static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
           static_cast<std::size_t>(x);
  }

  std::int32_t width;
  std::int32_t height;
  std::vector<Argb> pixels;
};

// Each pixel takes the colour of the topmost stroke covering its centre, or stays as it is:
// no blending, so a keyed background never picks up a fringe.
void DrawHard(Canvas& canvas, const Shape& shape);

// Sixteen samples a pixel, the coverage becoming alpha over a transparent canvas; for icons,
// which the window system blends properly.
void DrawSmooth(Canvas& canvas, const Shape& shape);

// Moves every stroke by whole pixels, which keeps the pixels it covers identical.
Shape Shifted(const Shape& shape, std::int32_t dx, std::int32_t dy);

}  // namespace assetgen
