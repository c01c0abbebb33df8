#include "core/game/game_world.h"


#include "core/input/keyboard.h"
#include "core/platform.h"
#include "core/input/window_messages.h"
#include "core/level/tile.h"
#include "core/sprites/sprite_state.h"

namespace {
RectF WorldBounds(const TileMap& map) {
  return RectF{0.0f, static_cast<float>(map.rows * Tile::height), 0.0f,
               static_cast<float>(map.columns * Tile::width)};
}
}  // namespace

GameWorld::GameWorld(WindowHandle window)
    : display(window),
      keyboard(processKeyboard),
      sound(window),
      player(),
      tileMap(),
      controller(player, keyboard),
      viewport{display, RectI{0, Display::height, 0, Display::width}},
      camera(WorldBounds(tileMap), viewport) {
  camera.CenterOn(0.0f, 0.0f);
}

void GameWorld::RunFrame(WindowHandle window, FrameOutput output) {
  // The frame that sees Escape still completes; the loop ends when it next looks. A tap that
  // came and went since the last frame counts as much as a key still down: on-screen keyboards,
  // remote desktops and switch-access tools send just such taps.
  // A computed frame takes the presses all the same, so that the keyboard goes on exactly as
  // it does in a shown one.
  const bool shown = output == FrameOutput::shown;
  const bool escapePressed = keyboard.TakePress(vk::escape);
  if (shown && (escapePressed || keyboard.IsKeyDown(vk::escape))) PostQuit();

  // Once per press, tap or hold: a held key must not flip the mode on every frame.
  if (keyboard.TakePress(vk::f11) && shown) display.ToggleDisplayMode(window);

  // --- Update ---
  controller.ProcessKeyEvents();
  player.data.state->OnUpdate();
  collisionHits = controller.ResolveCollisions(tileMap);
  camera.CenterOn(player.data.position.x, player.data.position.y - cameraLift);

  // --- Draw ---
  if (shown) Draw();
}

void GameWorld::Draw() {
  display.Clear(clearByte);
  tileMap.Draw(camera);
  player.data.animation->Draw(player.data.facing, player.data.position.x, player.data.position.y,
                              camera);
  display.EndFrame();
}
