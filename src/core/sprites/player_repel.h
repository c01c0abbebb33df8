// Clinging to a wall: the figure hangs still until it lets go or jumps.
#pragma once

#include "core/sprites/sprite_state.h"

class PlayerRepel : public SpriteState {
 public:
  static constexpr float wallJumpSpeed = 7.0f;

  explicit PlayerRepel(PlayerData* data);

  void OnDirectionPress(Direction direction) override;
  void OnDirectionRelease(Direction direction) override;
  void OnJumpPress() override;

  // The latest direction press was away from the facing and is still held: jump off the wall.
  bool pushAway = false;
};
