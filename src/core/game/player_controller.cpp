#include "core/game/player_controller.h"

#include "core/input/keyboard.h"
#include "core/input/window_messages.h"
#include "core/level/tile_map.h"
#include "core/sprites/player_sprite.h"
#include "core/sprites/sprite_state.h"

PlayerController::PlayerController(PlayerSprite& p, Keyboard& k) : player(p), keyboard(k) {}

void PlayerController::ProcessKeyEvents() {
  while (!keyboard.EventQueueEmpty()) {
    const KeyEvent event = keyboard.PopEvent();
    const bool pressed = event.type == KeyEventType::Pressed;
    // The state is fetched afresh for every event: the previous one may have replaced it.
    SpriteState& state = *player.data.state;
    switch (event.code) {
      case vk::space:
        if (pressed) state.OnJumpPress(); else state.OnJumpRelease();
        break;
      case vk::left:
        if (pressed) state.OnDirectionPress(Direction::Left); else state.OnDirectionRelease(Direction::Left);
        break;
      case vk::right:
        if (pressed) state.OnDirectionPress(Direction::Right); else state.OnDirectionRelease(Direction::Right);
        break;
      default:
        break;
    }
  }
}

int PlayerController::ResolveCollisions(const TileMap& tileMap) {
  int hits = 0;
  CollisionRect tile{};
  while (hits < collisionBound && tileMap.FindCollision(player.Body(), tile)) {
    player.data.state->OnCollision(tile);
    ++hits;
  }
  tileMap.CheckSupport(player);
  return hits;
}
