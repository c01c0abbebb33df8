#include "core/sprites/animation.h"

#include "core/game/truncate.h"
#include "core/graphics/surface.h"

Animation::Animation(std::uint32_t count, std::uint32_t hold, std::int32_t ox, std::int32_t oy)
    : frameCount(count), holdCount(hold), offsetX(ox), offsetY(oy) {}

Animation::Animation(std::uint32_t count, std::uint32_t hold, std::int32_t ox, std::int32_t oy,
                     Pixel key, std::wstring stem)
    : Animation(count, hold, ox, oy) {
  frames.reserve(frameCount);
  for (std::uint32_t i = 0; i < frameCount; ++i)
    frames.push_back(std::make_unique<KeyedSurface>(FrameFileName(stem, i), key));
}

Animation::~Animation() {
  for (auto& frame : frames) frame.reset();  // in index order
}

std::wstring Animation::FrameFileName(const std::wstring& stem, std::uint32_t index) {
  std::wstring number = std::to_wstring(index);
  if (number.size() < 4) number.insert(0, 4 - number.size(), L'0');
  return stem + number + L".bmp";
}

std::unique_ptr<Animation> Animation::CreateMirrored() const {
  // The offsets are kept, not mirrored: both facings share the anchor column.
  std::unique_ptr<Animation> mirrored(new Animation(frameCount, holdCount, offsetX, offsetY));
  mirrored->frames.reserve(frameCount);
  for (const auto& frame : frames) mirrored->frames.push_back(frame->CreateMirrored());
  return mirrored;
}

void Animation::Advance() {
  ++holdCounter;
  if (holdCounter < holdCount) return;
  currentFrame = (currentFrame + 1) % frameCount;
  holdCounter = 0;
}

void Animation::Draw(float x, float y, const Camera& camera) const {
  frames[currentFrame]->Draw(TruncateToInt(x) - offsetX, TruncateToInt(y) - offsetY, camera);
}

AnimationPair::AnimationPair(std::uint32_t frameCount, std::uint32_t holdCount,
                             std::int32_t offsetX, std::int32_t offsetY, Pixel key,
                             std::wstring stem)
    : right(std::make_unique<Animation>(frameCount, holdCount, offsetX, offsetY, key,
                                        std::move(stem))),
      left(right->CreateMirrored()) {}

AnimationPair::~AnimationPair() {
  right.reset();
  left.reset();
}

Animation* AnimationPair::For(Direction facing) {
  switch (facing) {
    case Direction::Right: return right.get();
    case Direction::Left: return left.get();
  }
  return nullptr;
}

const Animation* AnimationPair::For(Direction facing) const {
  return const_cast<AnimationPair*>(this)->For(facing);
}

void AnimationPair::Advance(Direction facing) {
  if (Animation* animation = For(facing)) animation->Advance();
}

void AnimationPair::Draw(Direction facing, float x, float y, const Camera& camera) const {
  if (const Animation* animation = For(facing)) animation->Draw(x, y, camera);
}
