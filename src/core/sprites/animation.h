// Frame animations loaded from numbered bitmap files, and the pair of a right-facing
// animation with its mirrored left-facing copy.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/types.h"

class Camera;
class Surface;

class Animation {
 public:
  // Loads frameCount frames named stem + number (at least four digits) + ".bmp".
  Animation(std::uint32_t frameCount, std::uint32_t holdCount, std::int32_t offsetX,
            std::int32_t offsetY, Pixel key, std::wstring stem);
  ~Animation();
  Animation(const Animation&) = delete;
  Animation& operator=(const Animation&) = delete;

  std::unique_ptr<Animation> CreateMirrored() const;
  // Counts one update; after holdCount of them the next frame becomes current.
  void Advance();
  // Draws the current frame with its anchor at world (x, y).
  void Draw(float x, float y, const Camera& camera) const;

  static std::wstring FrameFileName(const std::wstring& stem, std::uint32_t index);

  std::vector<std::unique_ptr<Surface>> frames;
  std::uint32_t frameCount;
  std::uint32_t holdCount;
  std::uint32_t currentFrame = 0;
  std::uint32_t holdCounter = 0;
  std::int32_t offsetX;
  std::int32_t offsetY;

 private:
  Animation(std::uint32_t frameCount, std::uint32_t holdCount, std::int32_t offsetX,
            std::int32_t offsetY);
};

class AnimationPair {
 public:
  AnimationPair(std::uint32_t frameCount, std::uint32_t holdCount, std::int32_t offsetX,
                std::int32_t offsetY, Pixel key, std::wstring stem);
  ~AnimationPair();

  void Advance(Direction facing);
  void Draw(Direction facing, float x, float y, const Camera& camera) const;
  // The animation a facing selects, or null for a value that is neither Left nor Right.
  Animation* For(Direction facing);
  const Animation* For(Direction facing) const;

  std::unique_ptr<Animation> right;
  std::unique_ptr<Animation> left;
};
