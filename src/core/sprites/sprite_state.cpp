#include "core/sprites/sprite_state.h"

#include "core/sprites/player_sprite.h"

void SpriteState::HandOver(std::unique_ptr<SpriteState> successor) {
  // unique_ptr stores the successor before it deletes the old state (this one).
  data->state = std::move(successor);
}
