#include "core/graphics/surface.h"

#include "core/game/camera.h"
#include "core/graphics/display.h"
#include "core/graphics/picture_shelf.h"

Surface::Surface(const std::wstring& fileName) {
  Image image = TakePicture(fileName);
  width = image.width;
  height = image.height;
  pixels = std::move(image.pixels);
  if (!pixels) pixels = std::make_unique<Pixel[]>(0);
}

Surface::Surface(std::uint32_t w, std::uint32_t h, std::unique_ptr<Pixel[]> p)
    : width(w), height(h), pixels(std::move(p)) {}

void Surface::Draw(std::int32_t x, std::int32_t y, const Camera& camera) const {
  DrawWithKey(x, y, camera, defaultKey);
}

void Surface::DrawWithKey(std::int32_t x, std::int32_t y, const Camera& camera, Pixel key) const {
  const Viewport& viewport = camera.viewport;
  const auto screenLeft = static_cast<std::int32_t>(static_cast<float>(x) - camera.x) + viewport.clip.left;
  const auto screenTop = static_cast<std::int32_t>(static_cast<float>(y) - camera.y) + viewport.clip.top;
  viewport.display.DrawKeyed(pixels.get(), key, width, height, screenLeft, screenTop, viewport.clip);
}

std::unique_ptr<Pixel[]> Surface::MirroredPixels() const {
  const std::size_t w = width;
  const std::size_t h = height;
  auto mirrored = std::make_unique<Pixel[]>(w * h);
  for (std::size_t r = 0; r < h; ++r)
    for (std::size_t c = 0; c < w; ++c) mirrored[r * w + (w - 1 - c)] = pixels[r * w + c];
  return mirrored;
}

std::unique_ptr<Surface> Surface::CreateMirrored() const {
  return std::unique_ptr<Surface>(new Surface(width, height, MirroredPixels()));
}

KeyedSurface::KeyedSurface(const std::wstring& fileName, Pixel k) : Surface(fileName), key(k) {}

KeyedSurface::KeyedSurface(std::uint32_t w, std::uint32_t h, std::unique_ptr<Pixel[]> p, Pixel k)
    : Surface(w, h, std::move(p)), key(k) {}

void KeyedSurface::Draw(std::int32_t x, std::int32_t y, const Camera& camera) const {
  DrawWithKey(x, y, camera, key);
}

std::unique_ptr<Surface> KeyedSurface::CreateMirrored() const {
  return std::make_unique<KeyedSurface>(width, height, MirroredPixels(), key);
}
