#include "core/sprites/player_ground_states.h"

#include "core/sprites/player_jumping.h"
#include "core/sprites/player_sprite.h"

void PlayerMovingHoriz::OnCollision(const CollisionRect& tile) {
  float& x = data->position.x;
  float& vx = data->velocity.x;
  if (vx > 0.0f)
    x = x - ((x + data->bounds.right) - tile.rect.left);
  else
    x = (tile.rect.right - (x + data->bounds.left)) + x;
  vx = 0.0f;
}

PlayerStanding::PlayerStanding(PlayerData* d) : PlayerMovingHoriz(d), damping(dampingValue) {
  data->animation = data->animations[standPair].get();
}

void PlayerStanding::OnDirectionPress(Direction direction) {
  data->facing = direction;
  HandOver(std::make_unique<PlayerRunning>(data));
}

void PlayerStanding::OnJumpPress() {
  data->velocity.y = jumpLaunchSpeed;
  HandOver(std::make_unique<PlayerJumping>(data, false));
}

void PlayerStanding::OnUpdate() {
  // Never set to zero: the figure glides to a stop.
  data->velocity.x = damping * data->velocity.x;
  data->position.x = data->velocity.x + data->position.x;
}

void PlayerStanding::OnUnsupported() { HandOver(std::make_unique<PlayerJumping>(data, false)); }

PlayerRunning::PlayerRunning(PlayerData* d)
    : PlayerMovingHoriz(d), acceleration(accelerationValue), maxSpeed(maxSpeedValue) {
  data->animation = data->animations[runPair].get();
}

void PlayerRunning::OnDirectionPress(Direction direction) { data->facing = direction; }

void PlayerRunning::OnDirectionRelease(Direction direction) {
  // Letting go of the other key does nothing, even if it was the last one held.
  if (direction == data->facing) HandOver(std::make_unique<PlayerStanding>(data));
}

void PlayerRunning::OnJumpPress() {
  data->velocity.y = jumpLaunchSpeed;
  HandOver(std::make_unique<PlayerJumping>(data, true));
}

void PlayerRunning::OnUpdate() {
  float& vx = data->velocity.x;
  const float a = data->facing == Direction::Left ? -acceleration : acceleration;
  vx = a + vx;
  if (!(maxSpeed > vx)) vx = maxSpeed;
  if (!(vx > -maxSpeed)) vx = -maxSpeed;
  data->position.x = vx + data->position.x;
  data->animation->Advance(data->facing);
}

void PlayerRunning::OnUnsupported() { HandOver(std::make_unique<PlayerJumping>(data, true)); }
