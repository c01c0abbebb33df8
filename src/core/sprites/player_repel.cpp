#include "core/sprites/player_repel.h"

#include "core/sprites/player_ground_states.h"
#include "core/sprites/player_jumping.h"
#include "core/sprites/player_sprite.h"

PlayerRepel::PlayerRepel(PlayerData* d) : SpriteState(d) {
  data->animation = data->animations[fallPair].get();
}

void PlayerRepel::OnDirectionPress(Direction direction) { pushAway = direction != data->facing; }

void PlayerRepel::OnDirectionRelease(Direction direction) {
  if (direction != data->facing) {
    pushAway = false;
    return;
  }
  // Letting go of the wall: fall on with the speed the wall caught.
  HandOver(std::make_unique<PlayerJumping>(data, false));
}

void PlayerRepel::OnJumpPress() {
  data->velocity.y = jumpLaunchSpeed;
  // Always away from the facing side; the figure leaves the wall still facing it.
  if (pushAway) data->velocity.x = data->facing == Direction::Left ? wallJumpSpeed : -wallJumpSpeed;
  HandOver(std::make_unique<PlayerJumping>(data, false));
}
