// A million key messages between two frames: the keyboard keeps the newest four events and
// not one byte more, and the frame hands exactly those four to the player's state.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "heap_counter.h"
#include "core/sprites/player_ground_states.h"
#include "core/sprites/sprite_state.h"
#include "test_support.h"

namespace {

constexpr int floodSize = 1000000;

// Writes down every operation it receives, into room reserved up front, so that recording
// allocates nothing while the frame is watched.
class RecordingState : public SpriteState {
 public:
  explicit RecordingState(PlayerData* data) : SpriteState(data) { calls.reserve(16); }
  void OnDirectionPress(Direction d) override { calls.push_back(d == Direction::Left ? "press L" : "press R"); }
  void OnDirectionRelease(Direction d) override { calls.push_back(d == Direction::Left ? "release L" : "release R"); }
  void OnJumpPress() override { calls.push_back("press space"); }
  void OnJumpRelease() override { calls.push_back("release space"); }
  std::vector<const char*> calls;
};

using KeyFlood = FreshWorldTest;

TEST_F(KeyFlood, AMillionEventsAllocateNothingAndOnlyTheNewestFourReachTheState) {
  auto recorder = std::make_unique<RecordingState>(&world->player.data);
  RecordingState& recording = *recorder;
  world->player.data.state = std::move(recorder);

  const HeapWatch flood;
  // Mostly jumps and a key the game ignores; if any of them survived, the record would show it.
  for (int i = 0; i < floodSize - 4; ++i) {
    if (i % 3 == 2) Send(wm::keyDown, vk::up);
    else Send(i % 3 == 0 ? wm::keyDown : wm::keyUp, vk::space);
  }
  Send(wm::keyDown, vk::left);
  Send(wm::keyUp, vk::left);
  Send(wm::keyDown, vk::right);
  Send(wm::keyUp, vk::space);
  EXPECT_EQ(flood.Since().allocations, 0u);
  EXPECT_EQ(processKeyboard.PendingEvents(), Keyboard::queueBound);

  const HeapWatch frame;
  world->RunFrame(nullptr);
  EXPECT_EQ(frame.Since().allocations, 0u) << "a frame without a state change allocates nothing";
  const std::vector<std::string> seen(recording.calls.begin(), recording.calls.end());
  EXPECT_EQ(seen, (std::vector<std::string>{"press L", "release L", "press R", "release space"}));
  EXPECT_TRUE(processKeyboard.EventQueueEmpty());

  // The key states went through the whole flood and end where the last messages left them.
  EXPECT_TRUE(processKeyboard.IsKeyDown(vk::right));
  EXPECT_FALSE(processKeyboard.IsKeyDown(vk::left));
  EXPECT_FALSE(processKeyboard.IsKeyDown(vk::space));
  EXPECT_TRUE(processKeyboard.IsKeyDown(vk::up));
}

TEST_F(KeyFlood, AFloodOfJumpsEndingInTwoTapsOfRightLeavesTheRealFigureStanding) {
  for (int i = 0; i < floodSize - 4; ++i) Send(i % 2 == 0 ? wm::keyDown : wm::keyUp, vk::space);
  for (int i = 0; i < 2; ++i) {
    Send(wm::keyDown, vk::right);
    Send(wm::keyUp, vk::right);
  }
  world->RunFrame(nullptr);
  // Two taps run and stop twice; one surviving space press would have made it jump.
  EXPECT_NE(dynamic_cast<PlayerStanding*>(world->player.data.state.get()), nullptr);
  EXPECT_EQ(world->player.data.velocity.y, 0.0f);
  EXPECT_EQ(world->player.data.facing, Direction::Right);
  EXPECT_EQ(world->collisionHits, 0);
}

TEST_F(KeyFlood, AMillionCharactersKeepTheNewestFourAndAllocateNothing) {
  const HeapWatch flood;
  for (int i = 0; i < floodSize; ++i) Send(wm::character, static_cast<std::uintptr_t>(i));
  EXPECT_EQ(flood.Since().allocations, 0u);
  ASSERT_EQ(processKeyboard.PendingCharacters(), Keyboard::queueBound);
  for (int i = floodSize - 4; i < floodSize; ++i)
    EXPECT_EQ(processKeyboard.PopCharacter(), static_cast<std::uint8_t>(i & 0xFF));
}

}  // namespace
