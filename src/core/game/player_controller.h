// Connects the player's state machine to the rest of the frame: the key events before the
// update, and the collision pass after it.
#pragma once

class Keyboard;
class PlayerSprite;
class TileMap;

class PlayerController {
 public:
  // More hits than this in one frame means a state left the body inside a tile; the pass
  // stops instead of spinning. A legitimate frame meets at most a handful (the body covers
  // at most 4 x 2 cells).
  static constexpr int collisionBound = 64;

  PlayerController(PlayerSprite& player, Keyboard& keyboard);

  // Hands every queued arrow and space event to the player's current state, oldest first.
  void ProcessKeyEvents();
  // Resolves every solid tile the body overlaps, then checks the ground under the feet.
  // Returns the number of tiles handed to the state.
  int ResolveCollisions(const TileMap& tileMap);

  PlayerSprite& player;
  Keyboard& keyboard;
};
