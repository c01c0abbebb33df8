// The whole game: owns everything and runs one frame at a time.
#pragma once

#include "core/game/camera.h"
#include "core/game/player_controller.h"
#include "core/graphics/display.h"
#include "core/level/tile_map.h"
#include "core/sound/sound_device.h"
#include "core/sprites/player_sprite.h"
#include "core/types.h"

class Keyboard;

// How much of a frame is wanted: all of it, or only what it changes, for a replay computed to
// reach or to check a later frame. Then nothing is drawn and the window is left as it is.
enum class FrameOutput { shown, computedOnly };

class GameWorld {
 public:
  // The view follows the point this far above the player's feet.
  static constexpr float cameraLift = 80.0f;
  static constexpr std::uint8_t clearByte = 0xE0;

  explicit GameWorld(WindowHandle window);
  ~GameWorld() = default;
  GameWorld(const GameWorld&) = delete;
  GameWorld& operator=(const GameWorld&) = delete;

  void RunFrame(WindowHandle window, FrameOutput output = FrameOutput::shown);
  // Draws the world as it stands and hands the picture to the screen. Drawing changes nothing,
  // so a world put back to a frame's state shows that frame's picture.
  void Draw();

  // Members in construction order; they are destroyed in reverse.
  Display display;
  Keyboard& keyboard;
  SoundDevice sound;
  PlayerSprite player;
  TileMap tileMap;
  PlayerController controller;
  Viewport viewport;
  Camera camera;

  // How many tiles the last frame's collision pass handed to the player's state.
  int collisionHits = 0;
};
