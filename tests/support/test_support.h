// Shared helpers for the game's tests: a small level builder, a rig that runs the player's
// frame stages on any level, a view to draw into, fixtures for the window messages and a fresh
// world, and a bitmap writer for test pictures.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "core/input/keyboard.h"
#include "core/input/mouse.h"
#include "platform/headless/platform_headless.h"
#include "core/input/window_messages.h"
#include "bmp_file.h"
#include "core/game/camera.h"
#include "core/game/game_world.h"
#include "core/game/player_controller.h"
#include "core/graphics/display.h"
#include "core/level/level_layout.h"
#include "core/level/tile_map.h"
#include "core/sprites/player_sprite.h"
#include "core/sprites/sprite_state.h"
#include "temp_dir.h"
#include "core/types.h"

// A level text of 128 x 48 open cells with a solid border; Put adds solid cells.
class LayoutBuilder {
 public:
  LayoutBuilder();
  LayoutBuilder& Put(int row, int column, char c = '#');
  LayoutBuilder& Row(int row, int firstColumn, int lastColumn, char c = '#');
  LayoutBuilder& Column(int column, int firstRow, int lastRow, char c = '#');
  const char* Text() const { return text.c_str(); }

 private:
  std::string text;
};

// The update half of a frame (keys, update, collision pass) on a level of the test's choosing.
struct PlayerRig {
  explicit PlayerRig(const char* layout = LevelLayout);

  void Press(std::uint8_t code) { keyboard.KeyWentDown(code); }
  void Release(std::uint8_t code) { keyboard.KeyWentUp(code); }
  // Runs one frame's update stages; returns the collision hits.
  int Step();
  void Steps(int count) {
    for (int i = 0; i < count; ++i) Step();
  }
  void Place(float x, float y, float vx = 0.0f, float vy = 0.0f);

  PlayerData& data() { return player.data; }
  SpriteState* state() { return player.data.state.get(); }
  template <typename T>
  bool Is() { return dynamic_cast<T*>(player.data.state.get()) != nullptr; }

  Keyboard keyboard;
  PlayerSprite player;
  TileMap tileMap;
  PlayerController controller;
};

// The frame buffer with the game's 800 x 600 view onto the 3200 x 1200 world, for drawing.
struct ViewRig {
  Pixel At(int x, int y) const { return display.frameBuffer[y * Display::width + x]; }
  void Fill(Pixel colour) { std::fill_n(display.frameBuffer, Display::pixelCount, colour); }
  std::size_t Count(Pixel colour) const {
    return static_cast<std::size_t>(
        std::count(display.frameBuffer, display.frameBuffer + Display::pixelCount, colour));
  }

  Display display{nullptr};
  Viewport viewport{display, RectI{0, 600, 0, 800}};
  Camera camera{RectF{0, 1200, 0, 3200}, viewport};
};

// The keyboard, the mouse and the platform log are the process's own: each test starts them as
// the process does, and sends its messages the way a window would.
class WindowMessageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    processKeyboard = Keyboard{};
    processMouse = Mouse{-1, -1, false, false, false};
    headlessPlatform = HeadlessPlatformLog{};
  }
  static void Send(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam = 0) {
    HandleWindowMessage(nullptr, message, wParam, lParam);
  }
};

// The player's input handing its messages straight to the window-message handler, as the frame
// driver does without a recording.
struct HandlerTarget : WindowMessageTarget {
  void Deliver(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) override {
    HandleWindowMessage(nullptr, message, wParam, lParam);
  }
};

// A new world on freshly started input, not yet run.
class FreshWorldTest : public WindowMessageTest {
 protected:
  void SetUp() override {
    WindowMessageTest::SetUp();
    world = std::make_unique<GameWorld>(nullptr);
  }
  std::unique_ptr<GameWorld> world;
};

// A position or a velocity compared exactly in one check, and printed in full when it differs.
inline bool operator==(const Vec2& a, const Vec2& b) { return a.x == b.x && a.y == b.y; }
inline std::ostream& operator<<(std::ostream& out, const Vec2& v) {
  return out << '(' << testing::PrintToString(v.x) << ", " << testing::PrintToString(v.y) << ')';
}

// Where the figure is and how it moves after a frame: x, y, vx, vy, for comparing two games.
using Motion = std::array<float, 4>;
inline Motion MotionOf(const GameWorld& world) {
  const PlayerData& p = world.player.data;
  return {p.position.x, p.position.y, p.velocity.x, p.velocity.y};
}

// The shared bitmap writer, for a test picture: makes the folder first.
void WriteBmp24(const std::filesystem::path& file, std::uint32_t width, std::uint32_t height,
                const std::vector<std::uint32_t>& pixels);

// Changes the working directory for the life of the object.
class ScopedCwd {
 public:
  explicit ScopedCwd(const std::filesystem::path& dir);
  ~ScopedCwd();

 private:
  std::filesystem::path previous;
};
