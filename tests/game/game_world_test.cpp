// The whole frame: its stages in order, the camera, the quit and display-mode keys.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "platform/headless/platform_headless.h"
#include "core/input/window_messages.h"
#include "core/game/game_world.h"
#include "platform/headless/display_headless.h"
#include "core/sprites/player_ground_states.h"
#include "test_support.h"

namespace {

class GameWorldTest : public FreshWorldTest {};

// Where the camera's view starts in the world.
Vec2 CornerOf(const Camera& camera) { return {camera.x, camera.y}; }

TEST_F(GameWorldTest, StartsAtTheOriginAndFirstFrameCentresAboveTheFigure) {
  EXPECT_EQ(CornerOf(world->camera), (Vec2{0.0f, 0.0f}));
  EXPECT_EQ(world->camera.worldBounds.bottom, 1200.0f);
  EXPECT_EQ(world->camera.worldBounds.right, 3200.0f);
  world->RunFrame(nullptr);
  EXPECT_EQ(CornerOf(world->camera), (Vec2{0.0f, 45.0f}));
  EXPECT_TRUE(dynamic_cast<PlayerStanding*>(world->player.data.state.get()));
}

TEST(Camera, ClampsToTheWorld) {
  ViewRig view;
  struct Case { float px, py, x, y; };
  for (Case c : {Case{1000, 500, 600, 120}, Case{150, 200, 0, 0}, Case{3150, 1150, 2400, 600},
                 Case{225, 425, 0, 45}, Case{2800.5f, 980.25f, 2400, 600}}) {
    view.camera.CenterOn(c.px, c.py - 80.0f);
    EXPECT_EQ(CornerOf(view.camera), (Vec2{c.x, c.y})) << c.px << "," << c.py;
  }
  // A world smaller than the view: the far edges win.
  Camera small(RectF{0, 300, 0, 500}, view.viewport);
  small.CenterOn(100, 100);
  EXPECT_EQ(CornerOf(small), (Vec2{-300.0f, -300.0f}));
}

// Records the order in which the frame calls the player's state.
struct StageProbe : SpriteState {
  StageProbe(PlayerData* d, std::string* log) : SpriteState(d), log(log) {}
  void OnDirectionPress(Direction) override { *log += "press "; }
  void OnUpdate() override {
    *log += "update ";
    data->position = {1000.0f, 590.0f};  // 15 pixels into the floor of row 23
    data->bounds = {-61, 0, -10, 11};
  }
  void OnCollision(const CollisionRect&) override {
    *log += "collision ";
    data->position.y = 575.0f;  // out of the tile, onto the floor
  }
  void OnUnsupported() override { *log += "unsupported "; }
  std::string* log;
};

TEST_F(GameWorldTest, StagesRunInOrderAndTheCameraFollowsThePassResult) {
  std::string log;
  world->player.data.state = std::make_unique<StageProbe>(&world->player.data, &log);
  Send(wm::keyDown, vk::right);
  Send(wm::keyDown, vk::up);  // not one of the game's keys
  world->RunFrame(nullptr);
  // Standing on the floor after the pass: the support check stays quiet.
  EXPECT_EQ(log, "press update collision ");
  // y 195 follows the position the pass left, not the update's.
  EXPECT_EQ(CornerOf(world->camera), (Vec2{600.0f, 195.0f}));
  EXPECT_TRUE(processKeyboard.EventQueueEmpty());
}

TEST_F(GameWorldTest, EveryFrameCoversTheViewAndPresentsExactlyWhatWasDrawn) {
  Send(wm::keyDown, vk::right);
  for (int i = 0; i < 90; ++i) {
    world->RunFrame(nullptr);
    const Pixel* frame = world->display.frameBuffer;
    ASSERT_EQ(std::count(frame, frame + Display::pixelCount, 0xE0E0E0E0u), 0) << "frame " << i;
  }
  const auto& presented = HeadlessPresentation(world->display);
  EXPECT_EQ(presented.frames, 90);
  for (int y : {0, 345, 599})
    for (int x : {0, 222, 799}) EXPECT_EQ(presented.PresentedPixel(x, y), world->display.frameBuffer[y * 800 + x]);
}

TEST_F(GameWorldTest, EscapePostsQuitAndTheFrameStillCompletes) {
  Send(wm::keyDown, vk::escape);
  Send(wm::keyDown, vk::right);
  world->RunFrame(nullptr);
  EXPECT_TRUE(headlessPlatform.quitPosted);
  EXPECT_EQ(world->player.data.velocity.x, 0.4f);  // updated
  EXPECT_EQ(HeadlessPresentation(world->display).frames, 1);    // presented
}

TEST_F(GameWorldTest, F11TogglesOncePerPress) {
  Send(wm::keyDown, vk::f11);
  for (int i = 0; i < 3; ++i) world->RunFrame(nullptr);
  EXPECT_EQ(HeadlessPresentation(world->display).toggles, 1);
  EXPECT_FALSE(HeadlessPresentation(world->display).windowed);
  Send(wm::keyDown, vk::f11);  // auto-repeat while held: still the same press
  world->RunFrame(nullptr);
  EXPECT_EQ(HeadlessPresentation(world->display).toggles, 1);
  Send(wm::keyUp, vk::f11);
  world->RunFrame(nullptr);
  Send(wm::keyDown, vk::f11);
  world->RunFrame(nullptr);
  EXPECT_EQ(HeadlessPresentation(world->display).toggles, 2);
  EXPECT_TRUE(HeadlessPresentation(world->display).windowed);
}

// Down and up again between two frames: the key's state never shows it, yet it was a press.
TEST_F(GameWorldTest, ATapOfF11OrEscapeBetweenFramesCountsForTheNextFrameOnly) {
  const auto& presented = HeadlessPresentation(world->display);
  Send(wm::keyDown, vk::f11);
  Send(wm::keyUp, vk::f11);
  world->RunFrame(nullptr);
  world->RunFrame(nullptr);
  EXPECT_EQ(presented.toggles, 1);
  EXPECT_FALSE(headlessPlatform.quitPosted);
  Send(wm::keyDown, vk::escape);
  Send(wm::keyUp, vk::escape);
  world->RunFrame(nullptr);
  EXPECT_TRUE(headlessPlatform.quitPosted);
  EXPECT_EQ(presented.frames, 3);
}

TEST_F(GameWorldTest, ATapBetweenFramesStillReachesThePlayer) {
  Send(wm::keyDown, vk::right);
  Send(wm::keyUp, vk::right);
  world->RunFrame(nullptr);
  EXPECT_TRUE(dynamic_cast<PlayerStanding*>(world->player.data.state.get()));
  EXPECT_EQ(world->player.data.facing, Direction::Right);
  Send(wm::keyDown, vk::left);
  Send(wm::keyUp, vk::left);
  world->RunFrame(nullptr);
  EXPECT_EQ(world->player.data.facing, Direction::Left);
}

// A state that sinks the body into the floor and never moves it out.
struct Sinker : SpriteState {
  using SpriteState::SpriteState;
  void OnUpdate() override { data->position.y = 440.0f; }
};

TEST_F(GameWorldTest, AStateThatLeavesTheBodyInATileCannotHangTheFrame) {
  world->player.data.state = std::make_unique<Sinker>(&world->player.data);
  world->RunFrame(nullptr);
  EXPECT_EQ(world->collisionHits, PlayerController::collisionBound);
  EXPECT_EQ(HeadlessPresentation(world->display).frames, 1);
}

}  // namespace
