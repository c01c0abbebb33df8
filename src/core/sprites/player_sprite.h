// The stick figure the player steers: where it is, how it moves, what it shows, and the
// state object that decides its behaviour.
#pragma once

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "core/sprites/animation.h"
#include "core/sprites/sprite.h"
#include "core/types.h"

class SpriteState;

// Indexes into PlayerData::animations.
enum PlayerPair : int { standPair = 0, runPair = 1, jumpPair = 2, fallPair = 3 };

struct PlayerData {
  Vec2 position;
  Vec2 velocity;
  AnimationPair* animation;  // one of animations, not owned
  std::array<std::unique_ptr<AnimationPair>, 4> animations;
  std::unique_ptr<SpriteState> state;
  Direction facing;
  RectF bounds;  // the body, relative to position
};

class PlayerSprite : public Sprite {
 public:
  static constexpr Vec2 startPosition = {225.0f, 425.0f};
  static constexpr Pixel frameKey = 0xFFFFFFFF;

  PlayerSprite();
  ~PlayerSprite() override;

  // Every picture file the sprite loads, relative to the pictures folder, with '\\' between
  // folder and file as the decoders expect.
  static std::vector<std::wstring> PictureFiles();

  // The body in world pixels, with the current velocity.
  CollisionRect Body() const;

  PlayerData data;
};
