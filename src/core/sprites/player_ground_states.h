// Standing and running: the two states with the figure's feet on the ground.
#pragma once

#include "core/sprites/sprite_state.h"

// What the ground states share: every tile they run into counts as a wall.
class PlayerMovingHoriz : public SpriteState {
 public:
  using SpriteState::SpriteState;
  void OnCollision(const CollisionRect& tile) override;
};

class PlayerStanding : public PlayerMovingHoriz {
 public:
  static constexpr float dampingValue = 0.92f;

  explicit PlayerStanding(PlayerData* data);

  void OnDirectionPress(Direction direction) override;
  void OnJumpPress() override;
  void OnUpdate() override;
  void OnUnsupported() override;

  const float damping;
};

class PlayerRunning : public PlayerMovingHoriz {
 public:
  static constexpr float accelerationValue = 0.4f;
  static constexpr float maxSpeedValue = 6.0f;

  explicit PlayerRunning(PlayerData* data);

  void OnDirectionPress(Direction direction) override;
  void OnDirectionRelease(Direction direction) override;
  void OnJumpPress() override;
  void OnUpdate() override;
  void OnUnsupported() override;

  const float acceleration;
  const float maxSpeed;
};

// A jump from the ground starts at this speed, upward.
constexpr float jumpLaunchSpeed = -12.0f;
