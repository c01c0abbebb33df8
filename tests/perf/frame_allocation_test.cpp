// A steady frame allocates nothing; a frame in which the player's state hands over allocates
// the successor and nothing else. Also checks that the benchmark's scenes are what they claim
// to be, since a scene that drifted would be measuring something else.
#include <gtest/gtest.h>

#include <string>
#include <typeinfo>
#include <vector>

#include "front/game_options.h"
#include "core/input/window_messages.h"
#include "core/game/frame_driver.h"
#include "core/game/game_world.h"
#include "heap_counter.h"
#include "scenes.h"
#include "core/sprites/player_ground_states.h"
#include "core/sprites/player_jumping.h"
#include "core/sprites/player_repel.h"

namespace {

std::size_t SizeOfState(const SpriteState* state) {
  if (dynamic_cast<const PlayerStanding*>(state)) return sizeof(PlayerStanding);
  if (dynamic_cast<const PlayerRunning*>(state)) return sizeof(PlayerRunning);
  if (dynamic_cast<const PlayerJumping*>(state)) return sizeof(PlayerJumping);
  if (dynamic_cast<const PlayerRepel*>(state)) return sizeof(PlayerRepel);
  return 0;
}

// Runs one frame and checks that the heap saw exactly the state hand-over, if there was one.
// Returns whether the state changed.
bool FrameAllocatesOnlyItsHandOver(Scene& scene, int frame) {
  const SpriteState* before = scene.World().player.data.state.get();
  const HeapWatch watch;
  scene.Frame();
  const HeapActivity heap = watch.Since();
  const SpriteState* after = scene.World().player.data.state.get();
  if (after == before) {
    EXPECT_EQ(heap.allocations, 0u) << "frame " << frame << " kept its state";
    EXPECT_EQ(heap.releases, 0u) << "frame " << frame << " kept its state";
    return false;
  }
  EXPECT_EQ(heap.allocations, 1u) << "frame " << frame << " handed over to "
                                  << typeid(*after).name();
  EXPECT_EQ(heap.bytes, SizeOfState(after)) << "frame " << frame;
  EXPECT_EQ(heap.releases, 1u) << "frame " << frame << ": the old state is freed";
  return true;
}

void Key(std::uint32_t message, std::uint8_t code) {
  HandleWindowMessage(nullptr, message, code, 0);
}

}  // namespace

TEST(SteadyFrames, StandingAllocatesNothing) {
  Scene scene(SceneKind::standing);
  scene.Frame();  // the first frame settles the camera
  const HeapWatch watch;
  for (int i = 0; i < 1000; ++i) scene.Frame();
  EXPECT_EQ(watch.Since().allocations, 0u);
  EXPECT_EQ(watch.Since().releases, 0u);
  EXPECT_NE(dynamic_cast<const PlayerStanding*>(scene.World().player.data.state.get()), nullptr);
}

TEST(SteadyFrames, RunningAtFullSpeedAllocatesNothing) {
  Scene scene(SceneKind::running);
  const HeapWatch watch;
  for (int i = 0; i < 1000; ++i) {
    scene.Frame();
    if (scene.NeedsRewind()) scene.Rewind();
  }
  EXPECT_EQ(watch.Since().allocations, 0u);
  EXPECT_EQ(watch.Since().releases, 0u);
}

// The browser records every game in memory: its text and the timeline may grow, by doubling,
// and nothing else.
TEST(SteadyFrames, AGameRecordedInMemoryAllocatesOnlyToGrowItsText) {
  GameWorld world(nullptr);
  FrameDriver driver(world, nullptr);
  GameOptions options;
  options.recordInMemory = true;
  GameSession session;
  std::string error;
  ASSERT_TRUE(session.Open(options, error));
  session.Attach(driver);
  driver.RunFrame();
  const HeapWatch watch;
  // A key the figure ignores, so no state hands over: 1,000 lines of about ten characters.
  for (int frame = 0; frame < 4000; ++frame) {
    if (frame % 4 == 0) driver.Deliver(frame % 8 == 0 ? wm::keyDown : wm::keyUp, 'A', 0);
    driver.RunFrame();
  }
  EXPECT_LE(watch.Since().allocations, 16u);
  EXPECT_GT(session.RecordedRun().size(), 9000u);
}

TEST(StateHandOvers, EachFrameAllocatesExactlyTheSuccessor) {
  Scene scene(SceneKind::standing);
  int frame = 0;
  Key(wm::keyDown, vk::right);
  EXPECT_TRUE(FrameAllocatesOnlyItsHandOver(scene, ++frame)) << "standing to running";
  for (int i = 0; i < 5; ++i) EXPECT_FALSE(FrameAllocatesOnlyItsHandOver(scene, ++frame));
  Key(wm::keyDown, vk::space);
  EXPECT_TRUE(FrameAllocatesOnlyItsHandOver(scene, ++frame)) << "running to jumping";
  Key(wm::keyUp, vk::space);
  Key(wm::keyUp, vk::right);
  int handOvers = 0;
  for (int i = 0; i < 200; ++i) handOvers += FrameAllocatesOnlyItsHandOver(scene, ++frame);
  EXPECT_GE(handOvers, 1) << "the jump lands";
  EXPECT_NE(dynamic_cast<const PlayerStanding*>(scene.World().player.data.state.get()), nullptr);
}

TEST(StateHandOvers, TheJumpCycleAllocatesOnlyItsTwoHandOvers) {
  Scene scene(SceneKind::jumping);
  for (int cycle = 0; cycle < 3; ++cycle) {
    int handOvers = 0;
    for (int i = 0; i < scene.CycleLength(); ++i)
      handOvers += FrameAllocatesOnlyItsHandOver(scene, i);
    EXPECT_EQ(handOvers, 2) << "cycle " << cycle << ": take-off and landing";
  }
}

// The scenes the benchmark measures: each must stay in the state it claims, for ever.
TEST(BenchScenes, RunningStaysAtFullSpeedWithTheViewScrolling) {
  Scene scene(SceneKind::running);
  const PlayerData& player = scene.World().player.data;
  float lastCameraX = scene.World().camera.x;
  for (int i = 0; i < 3 * Scene::runCycleFrames; ++i) {
    const bool rewound = scene.NeedsRewind();
    if (rewound) scene.Rewind();
    scene.Frame();
    ASSERT_NE(dynamic_cast<const PlayerRunning*>(player.state.get()), nullptr) << "frame " << i;
    ASSERT_EQ(player.velocity.x, PlayerRunning::maxSpeedValue) << "frame " << i;
    ASSERT_EQ(scene.World().collisionHits, 0) << "frame " << i;
    const float cameraX = scene.World().camera.x;
    ASSERT_GT(cameraX, 0.0f);
    ASSERT_LT(cameraX, 2400.0f);
    if (!rewound) {
      EXPECT_FLOAT_EQ(cameraX - lastCameraX, PlayerRunning::maxSpeedValue) << "frame " << i;
    }
    lastCameraX = cameraX;
  }
}

TEST(BenchScenes, TheJumpCycleRepeatsItsPicturesExactly) {
  Scene scene(SceneKind::jumping);
  const int length = scene.CycleLength();
  std::vector<std::uint64_t> first;
  const auto fingerprint = [&] {
    const Pixel* frame = scene.World().display.frameBuffer;
    std::uint64_t h = 0;
    for (std::size_t i = 0; i < Display::pixelCount; ++i) h = (h ^ frame[i]) * 0x100000001b3ull;
    return h;
  };
  for (int i = 0; i < length; ++i) {
    scene.Frame();
    first.push_back(fingerprint());
  }
  const Vec2 start = PlayerSprite::startPosition;
  EXPECT_EQ(scene.World().player.data.position.x, start.x);
  EXPECT_EQ(scene.World().player.data.position.y, start.y);
  for (int i = 0; i < length; ++i) {
    scene.Frame();
    EXPECT_EQ(fingerprint(), first[static_cast<std::size_t>(i)])
        << "frame " << i << " of the second cycle";
  }
}
