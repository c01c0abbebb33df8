// The player's behaviour as a state machine of small objects. Exactly one state is current;
// it lives in PlayerData::state, and an operation that ends it installs the successor there.
#pragma once

#include <memory>

#include "core/types.h"

struct PlayerData;

class SpriteState {
 public:
  explicit SpriteState(PlayerData* data) : data(data) {}
  virtual ~SpriteState() = default;
  SpriteState(const SpriteState&) = delete;
  SpriteState& operator=(const SpriteState&) = delete;

  // Every default does nothing.
  virtual void OnDirectionPress(Direction) {}
  virtual void OnDirectionRelease(Direction) {}
  virtual void OnJumpPress() {}
  virtual void OnJumpRelease() {}
  virtual void OnUpdate() {}
  virtual void OnUnsupported() {}
  virtual void OnCollision(const CollisionRect&) {}

 protected:
  // Installs the successor, which destroys this state. Must be the last thing an operation
  // does: nothing of this object may be touched afterwards.
  void HandOver(std::unique_ptr<SpriteState> successor);

  PlayerData* const data;
};
