#include "raster.h"

#include <algorithm>

namespace assetgen {

void Shape::Add(GridPoint a, GridPoint b, std::int32_t radius, Argb colour) {
  strokes.push_back(Stroke{a, b, radius, colour});
}

void Shape::AddDisc(GridPoint centre, std::int32_t radius, Argb colour) {
  strokes.push_back(Stroke{centre, centre, radius, colour});
}

bool StrokeCovers(const Stroke& stroke, std::int64_t x, std::int64_t y) {
  const std::int64_t r2 = static_cast<std::int64_t>(stroke.radius) * stroke.radius;
  const std::int64_t ax = x - stroke.a.x;
  const std::int64_t ay = y - stroke.a.y;
  const std::int64_t dx = stroke.b.x - stroke.a.x;
  const std::int64_t dy = stroke.b.y - stroke.a.y;
  const std::int64_t length2 = dx * dx + dy * dy;
  const std::int64_t along = ax * dx + ay * dy;
  if (length2 == 0 || along <= 0) return ax * ax + ay * ay <= r2;
  if (along >= length2) {
    const std::int64_t bx = x - stroke.b.x;
    const std::int64_t by = y - stroke.b.y;
    return bx * bx + by * by <= r2;
  }
  // Squared distance from the line is cross^2 / length2; compared without dividing. The
  // operands stay far below 2^63 for anything the size of a sprite sheet.
  const std::int64_t cross = ax * dy - ay * dx;
  return cross * cross <= r2 * length2;
}

Canvas::Canvas(std::int32_t w, std::int32_t h, Argb fill)
    : width(w),
      height(h),
      pixels(static_cast<std::size_t>(w) * static_cast<std::size_t>(h), fill) {}

namespace {

// The pixel rectangle a stroke can touch, clipped to the canvas.
struct PixelBox {
  std::int32_t left, top, right, bottom;  // inclusive
};

PixelBox Reach(const Stroke& s, const Canvas& canvas) {
  const auto floorDiv = [](std::int32_t v) {
    return v >= 0 ? v / subunits : -((-v + subunits - 1) / subunits);
  };
  PixelBox box;
  box.left = std::max(0, floorDiv(std::min(s.a.x, s.b.x) - s.radius) - 1);
  box.top = std::max(0, floorDiv(std::min(s.a.y, s.b.y) - s.radius) - 1);
  box.right = std::min(canvas.Width() - 1, floorDiv(std::max(s.a.x, s.b.x) + s.radius) + 1);
  box.bottom = std::min(canvas.Height() - 1, floorDiv(std::max(s.a.y, s.b.y) + s.radius) + 1);
  return box;
}

}  // namespace

void DrawHard(Canvas& canvas, const Shape& shape) {
  for (const Stroke& stroke : shape.strokes) {
    const PixelBox box = Reach(stroke, canvas);
    for (std::int32_t y = box.top; y <= box.bottom; ++y)
      for (std::int32_t x = box.left; x <= box.right; ++x)
        if (StrokeCovers(stroke, std::int64_t{x} * subunits + subunits / 2,
                         std::int64_t{y} * subunits + subunits / 2))
          canvas.Set(x, y, stroke.colour);
  }
}

void DrawSmooth(Canvas& canvas, const Shape& shape) {
  constexpr std::int32_t samplesAcross = 4;
  constexpr std::int32_t step = subunits / samplesAcross;
  constexpr std::int32_t samples = samplesAcross * samplesAcross;
  for (std::int32_t y = 0; y < canvas.Height(); ++y) {
    for (std::int32_t x = 0; x < canvas.Width(); ++x) {
      std::int32_t hits = 0;
      std::int32_t red = 0, green = 0, blue = 0;
      for (std::int32_t sy = 0; sy < samplesAcross; ++sy) {
        for (std::int32_t sx = 0; sx < samplesAcross; ++sx) {
          const std::int64_t px = std::int64_t{x} * subunits + sx * step + step / 2;
          const std::int64_t py = std::int64_t{y} * subunits + sy * step + step / 2;
          const Stroke* top = nullptr;
          for (const Stroke& stroke : shape.strokes)
            if (StrokeCovers(stroke, px, py)) top = &stroke;
          if (top == nullptr) continue;
          ++hits;
          red += (top->colour >> 16) & 0xFF;
          green += (top->colour >> 8) & 0xFF;
          blue += top->colour & 0xFF;
        }
      }
      if (hits == 0) continue;
      const auto average = [hits](std::int32_t sum) {
        return static_cast<Argb>((sum + hits / 2) / hits);
      };
      const Argb alpha = static_cast<Argb>((hits * 255 + samples / 2) / samples);
      canvas.Set(x, y, alpha << 24 | average(red) << 16 | average(green) << 8 | average(blue));
    }
  }
}

Shape Shifted(const Shape& shape, std::int32_t dx, std::int32_t dy) {
  Shape moved = shape;
  for (Stroke& s : moved.strokes) {
    s.a.x += dx * subunits;
    s.b.x += dx * subunits;
    s.a.y += dy * subunits;
    s.b.y += dy * subunits;
  }
  return moved;
}

}  // namespace assetgen
