#include "core/sprites/player_sprite.h"

#include "core/sprites/player_ground_states.h"

namespace {

struct PairPictures {
  std::uint32_t frameCount;
  std::uint32_t holdCount;
  std::int32_t offsetX;
  std::int32_t offsetY;
  const wchar_t* stem;  // the folder and the start of each file's name
};

// In PlayerPair order.
constexpr PairPictures pairPictures[] = {
    {1, 60, 12, 60, L"StickStand\\Stand"},
    {13, 4, 30, 58, L"StickRun\\Run"},
    {1, 60, 16, 72, L"StickJump\\Jump"},
    {1, 60, 14, 60, L"StickFall\\Fall"},
};
static_assert(sizeof pairPictures / sizeof pairPictures[0] ==
                  std::tuple_size<decltype(PlayerData::animations)>::value,
              "one set of pictures per pair");

}  // namespace

std::vector<std::wstring> PlayerSprite::PictureFiles() {
  std::vector<std::wstring> files;
  for (const PairPictures& pair : pairPictures)
    for (std::uint32_t i = 0; i < pair.frameCount; ++i)
      files.push_back(Animation::FrameFileName(pair.stem, i));
  return files;
}

PlayerSprite::PlayerSprite() {
  data.position = startPosition;
  data.velocity = {0.0f, 0.0f};
  // Each pair loads its files and mirrors them before the next one starts.
  for (std::size_t i = 0; i < data.animations.size(); ++i) {
    const PairPictures& pair = pairPictures[i];
    data.animations[i] = std::make_unique<AnimationPair>(pair.frameCount, pair.holdCount, pair.offsetX,
                                                         pair.offsetY, frameKey, pair.stem);
  }
  data.animation = data.animations[standPair].get();
  data.state = std::make_unique<PlayerStanding>(&data);
  data.facing = Direction::Right;
  data.bounds = {-61.0f, 0.0f, -10.0f, 11.0f};
}

PlayerSprite::~PlayerSprite() {
  for (auto& pair : data.animations) pair.reset();
  data.state.reset();
}

CollisionRect PlayerSprite::Body() const {
  return CollisionRect{{data.position.y + data.bounds.top, data.position.y + data.bounds.bottom,
                        data.position.x + data.bounds.left, data.position.x + data.bounds.right},
                       data.velocity.x,
                       data.velocity.y};
}
