// The one airborne state: a jump, a step off a ledge, or letting go of a wall.
#pragma once

#include "core/sprites/sprite_state.h"

class PlayerJumping : public SpriteState {
 public:
  static constexpr float accelerationValue = 0.4f;
  static constexpr float gravityValue = 0.6f;
  static constexpr float dampingValue = 0.97f;
  static constexpr float maxSpeedValue = 7.5f;
  static constexpr float jumpCutValue = 0.3f;
  // A body coming down counts its depth into a tile this much shallower when deciding
  // between landing and a side hit, so feet up to this far into a ledge still land on it.
  static constexpr float landingAllowance = 15.0f;

  PlayerJumping(PlayerData* data, bool steering);

  void OnDirectionPress(Direction direction) override;
  void OnDirectionRelease(Direction direction) override;
  void OnJumpRelease() override;
  void OnUpdate() override;
  void OnCollision(const CollisionRect& tile) override;

  const float acceleration;
  const float gravity;
  const float damping;
  const float maxSpeed;
  const float jumpCut;
  bool steering;
  bool jumpHeld = true;
  // A direction went down in the air and the facing key is still held: a wall may catch us.
  // A jump out of a run starts with it on, so it can catch the first wall it falls against.
  bool airPress;
};
