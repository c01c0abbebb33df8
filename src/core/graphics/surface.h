// Images held in memory, drawn with a colour key through the camera, and mirrored.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "core/types.h"

class Camera;

class Surface {
 public:
  static constexpr Pixel defaultKey = 0xFFFF00FF;

  explicit Surface(const std::wstring& fileName);
  virtual ~Surface() = default;

  // Draws the whole surface with its top-left corner at world (x, y).
  virtual void Draw(std::int32_t x, std::int32_t y, const Camera& camera) const;
  virtual std::unique_ptr<Surface> CreateMirrored() const;

  std::uint32_t width = 0;
  std::uint32_t height = 0;
  std::unique_ptr<Pixel[]> pixels;

 protected:
  Surface(std::uint32_t width, std::uint32_t height, std::unique_ptr<Pixel[]> pixels);
  void DrawWithKey(std::int32_t x, std::int32_t y, const Camera& camera, Pixel key) const;
  std::unique_ptr<Pixel[]> MirroredPixels() const;
};

class KeyedSurface : public Surface {
 public:
  KeyedSurface(const std::wstring& fileName, Pixel key);
  KeyedSurface(std::uint32_t width, std::uint32_t height, std::unique_ptr<Pixel[]> pixels,
               Pixel key);

  void Draw(std::int32_t x, std::int32_t y, const Camera& camera) const override;
  std::unique_ptr<Surface> CreateMirrored() const override;

  Pixel key;
};
