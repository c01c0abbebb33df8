#include "sprites/player_sprite.h"

#include "sprites/player_ground_states.h"

PlayerSprite::PlayerSprite() {
  data.position = startPosition;
  data.velocity = {0.0f, 0.0f};
  // Each pair loads its files and mirrors them before the next one starts.
  data.animations[standPair] =
      std::make_unique<AnimationPair>(1, 60, 12, 60, frameKey, L"StickStand\\Stand");
  data.animations[runPair] = std::make_unique<AnimationPair>(13, 4, 30, 58, frameKey, L"StickRun\\Run");
  data.animations[jumpPair] =
      std::make_unique<AnimationPair>(1, 60, 16, 72, frameKey, L"StickJump\\Jump");
  data.animations[fallPair] =
      std::make_unique<AnimationPair>(1, 60, 14, 60, frameKey, L"StickFall\\Fall");
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
