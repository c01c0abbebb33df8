#include "core/sprites/player_jumping.h"

#include "core/sprites/player_ground_states.h"
#include "core/sprites/player_repel.h"
#include "core/sprites/player_sprite.h"

PlayerJumping::PlayerJumping(PlayerData* d, bool steer)
    : SpriteState(d),
      acceleration(accelerationValue),
      gravity(gravityValue),
      damping(dampingValue),
      maxSpeed(maxSpeedValue),
      jumpCut(jumpCutValue),
      steering(steer),
      airPress(steer) {
  data->animation = data->animations[jumpPair].get();
}

void PlayerJumping::OnDirectionPress(Direction direction) {
  data->facing = direction;
  steering = true;
  airPress = true;
}

void PlayerJumping::OnDirectionRelease(Direction direction) {
  if (direction != data->facing) return;
  steering = false;
  airPress = false;
}

void PlayerJumping::OnJumpRelease() { jumpHeld = false; }

void PlayerJumping::OnUpdate() {
  float& vx = data->velocity.x;
  float& vy = data->velocity.y;
  vy = gravity + vy;
  if (steering) {
    const float a = data->facing == Direction::Left ? -acceleration : acceleration;
    vx = vx + a;
    if (!(maxSpeed > vx)) vx = maxSpeed;
    if (!(vx > -maxSpeed)) vx = -maxSpeed;
  } else {
    vx = damping * vx;
  }
  // Letting go of space early cuts the rise short.
  if (!jumpHeld && vy < 0.0f) vy = jumpCut * vy;
  data->position.x = vx + data->position.x;
  data->position.y = vy + data->position.y;
  if (vy >= 0.0f) data->animation = data->animations[fallPair].get();
}

void PlayerJumping::OnCollision(const CollisionRect& tile) {
  float& x = data->position.x;
  float& y = data->position.y;
  float& vx = data->velocity.x;
  float& vy = data->velocity.y;
  const float bodyTop = y + data->bounds.top;
  const float bodyBottom = y + data->bounds.bottom;
  const float bodyLeft = x + data->bounds.left;
  const float bodyRight = x + data->bounds.right;

  // Which side was crossed last, at the current velocity, decides how the hit is resolved.
  const bool movingRight = vx > 0.0f;
  const float dx = movingRight ? bodyRight - tile.rect.left : tile.rect.right - bodyLeft;
  const float s = movingRight ? vx : -vx;

  if (vy > 0.0f) {
    const float dy = bodyBottom - tile.rect.top;
    if (vy * dx > (dy - landingAllowance) * s) {
      vy = 0.0f;
      y = y - dy;
      if (steering)
        HandOver(std::make_unique<PlayerRunning>(data));
      else
        HandOver(std::make_unique<PlayerStanding>(data));
      return;
    }
  } else {
    const float dy = tile.rect.bottom - bodyTop;
    if (-vy * dx > s * dy) {
      vy = 0.0f;
      y = y + dy;
      return;
    }
  }

  // Side hit.
  vx = 0.0f;
  if (movingRight)
    x = x - dx;
  else
    x = x + dx;
  if (!(vy > 0.0f)) return;

  // Wall catch: only while falling with a direction pressed in the air, and only against a
  // tile that lies beside the body.
  if (!airPress) return;
  if (!(tile.rect.right > bodyLeft)) return;
  y = y - vy;
  HandOver(std::make_unique<PlayerRepel>(data));
}
