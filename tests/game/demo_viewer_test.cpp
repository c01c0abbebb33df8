// The demo viewer against an uninterrupted replay of a long random session: every frame it
// reaches, by any path, is the replay's frame, picture and state; the player's keys and pads
// steer it and never reach the game; a touched demo is never ended by the run's own Escape.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "front/messages.h"
#include "front/player_input.h"
#include "front/script_reader.h"
#include "core/game/demo_viewer.h"
#include "core/game/frame_driver.h"
#include "core/game/viewer_controls.h"
#include "core/game/world_state.h"
#include "test_support.h"

namespace {

constexpr long runFrames = 1800;

std::uint64_t PictureHash(const Pixel* frame) {
  std::uint64_t hash = 0xcbf29ce484222325ull;
  for (std::size_t i = 0; i < Display::pixelCount; ++i) hash = (hash ^ frame[i]) * 0x100000001b3ull;
  return hash;
}

// Busy random keys, ending with the Escape that quit the run, as a recording does.
ReplayScript RandomRun() {
  std::mt19937 random(20261209);
  ReplayScript script;
  const std::uint8_t keys[] = {vk::left, vk::right, vk::space};
  for (long frame = 1; frame < runFrames; ++frame)
    while (random() % 4 == 0) script.events.push_back({frame, random() % 2 ? wm::keyDown : wm::keyUp, keys[random() % 3]});
  script.events.push_back({runFrames, wm::keyDown, vk::escape});
  script.lastFrame = runFrames;
  return script;
}

class DemoViewerTest : public FreshWorldTest {
 protected:
  // The replay, uninterrupted and every frame drawn: each frame's state, and its picture.
  static void SetUpTestSuite() {
    processKeyboard = Keyboard{};
    GameWorld world(nullptr);
    FrameDriver driver(world, nullptr);
    driver.Play(RandomRun());
    states.assign(1, 0);
    pictures.assign(1, 0);
    for (long frame = 1; frame <= runFrames; ++frame) {
      driver.RunFrame();
      states.push_back(StateHash(CaptureState(world)));
      pictures.push_back(PictureHash(world.display.frameBuffer));
    }
  }

  void SetUp() override {
    FreshWorldTest::SetUp();
    driver = std::make_unique<FrameDriver>(*world, nullptr);
    driver->Play(RandomRun());
    viewer = std::make_unique<DemoViewer>(*driver, *world);
  }

  // Where the viewer stands is the replay's frame, to the pixel.
  void ExpectReplayed(const std::string& how) {
    const long frame = viewer->State().frame;
    ASSERT_GE(frame, 1) << how;
    EXPECT_EQ(StateHash(CaptureState(*world)), states[static_cast<std::size_t>(frame)]) << how << ", frame " << frame;
    EXPECT_EQ(PictureHash(world->display.frameBuffer), pictures[static_cast<std::size_t>(frame)]) << how << ", frame " << frame;
  }

  static std::vector<std::uint32_t> states;
  static std::vector<std::uint64_t> pictures;
  std::unique_ptr<FrameDriver> driver;
  std::unique_ptr<DemoViewer> viewer;
};
std::vector<std::uint32_t> DemoViewerTest::states;
std::vector<std::uint64_t> DemoViewerTest::pictures;

TEST_F(DemoViewerTest, EveryFrameReachedIsTheReplaysFrame) {
  EXPECT_EQ(viewer->Length(), runFrames);
  for (int i = 0; i < 5; ++i) viewer->Tick(1);
  ExpectReplayed("played untouched");
  std::mt19937 random(7);
  for (int i = 0; i < 60; ++i) {
    const long target = 1 + static_cast<long>(random() % runFrames);
    viewer->Seek(target);
    EXPECT_EQ(viewer->State().frame, target);
    ExpectReplayed("sought");
    viewer->StepPressed(-1);
    viewer->StepReleased(-1);
    ExpectReplayed("one step back from " + std::to_string(target));
  }
  // Paused by the steps; played on at eight times and a quarter of the pace.
  viewer->Seek(1000);
  viewer->PlayPause();
  viewer->SetSpeed(5);
  viewer->Tick(8);
  EXPECT_EQ(viewer->State().frame, 1008);
  ExpectReplayed("played at 8x");
  viewer->SetSpeed(0);
  viewer->Tick(0);
  EXPECT_EQ(viewer->State().frame, 1008);
  viewer->Skip(-300);
  ExpectReplayed("five seconds back");
  viewer->SeekTenth(5);
  EXPECT_EQ(viewer->State().frame, 900);
  ExpectReplayed("half way");
}

TEST_F(DemoViewerTest, AStepTappedIsOneFrameAndHeldASecondIsSixty) {
  viewer->Seek(1500);
  viewer->StepPressed(1);
  for (int tick = 0; tick < 10; ++tick) viewer->Tick(1);
  viewer->StepReleased(1);
  EXPECT_EQ(viewer->State().frame, 1501) << "a finger resting on the key a sixth of a second";
  viewer->Seek(1500);
  viewer->StepPressed(-1);
  for (int tick = 0; tick < 60; ++tick) viewer->Tick(1);
  viewer->StepReleased(-1);
  viewer->Tick(1);
  EXPECT_EQ(viewer->State().frame, 1440);
  EXPECT_TRUE(viewer->State().paused);
  ExpectReplayed("after a second of stepping back");
}

TEST_F(DemoViewerTest, OnlyAnUntouchedDemoEndsWithItsRun) {
  for (long frame = 0; frame < runFrames; ++frame) viewer->Tick(1);
  EXPECT_TRUE(viewer->Ended());
  EXPECT_TRUE(headlessPlatform.quitPosted) << "the run's Escape ends an untouched demo";

  SetUp();
  viewer->Seek(runFrames - 10);
  viewer->PlayPause();  // paused
  viewer->PlayPause();  // and played on, to the end and past it
  for (int tick = 0; tick < 30; ++tick) viewer->Tick(1);
  EXPECT_FALSE(viewer->Ended());
  EXPECT_FALSE(headlessPlatform.quitPosted);
  EXPECT_EQ(viewer->State().frame, runFrames);
  EXPECT_TRUE(viewer->State().paused) << "the end waits for the player";
  ExpectReplayed("at the end");
}

// The player's keys and pads in a demo: the viewer's, never the game's.
TEST_F(DemoViewerTest, KeysAndPadsSteerTheViewerNotTheGame) {
  PlayerInput input(*driver);
  ViewerControls controls(*viewer);
  input.SteerViewer(&controls);
  viewer->Seek(1000);
  input.Message(wm::keyDown, vk::right, 0);
  input.Message(wm::keyDown, vk::right, 0);  // the system's auto-repeat
  EXPECT_EQ(viewer->State().frame, 1300);
  input.Message(wm::keyUp, vk::right, 0);
  input.Message(wm::keyDown, 0xBC, 0);  // ','
  input.Message(wm::keyUp, 0xBC, 0);
  EXPECT_EQ(viewer->State().frame, 1299);
  input.Message(wm::keyDown, 'K', 0);
  EXPECT_FALSE(viewer->State().paused);
  input.Message(wm::keyDown, '9', 0);
  EXPECT_EQ(viewer->State().frame, 1620);

  PadState pad;
  pad.rightShoulder = true;
  input.PadsRead(&pad, 1);
  input.PadsRead(&pad, 1);
  EXPECT_EQ(viewer->State().frame, 1621);
  pad = PadState{};
  pad.north = true;
  input.PadsRead(&pad, 1);
  EXPECT_EQ(viewer->State().speed, DemoViewer::normalSpeed + 1);
  pad = PadState{};
  pad.back = true;
  for (int frame = 0; frame < 59; ++frame) input.PadsRead(&pad, 1);
  EXPECT_FALSE(headlessPlatform.quitPosted);
  input.PadsRead(&pad, 1);
  EXPECT_TRUE(headlessPlatform.quitPosted) << "Back held a second quits";

  // Escape quits at once, paused or not, and the game never holds it.
  headlessPlatform.quitPosted = false;
  input.Message(wm::keyDown, vk::escape, 0);
  EXPECT_TRUE(headlessPlatform.quitPosted);
  ExpectReplayed("after Escape");
}

// The recording a viewed run left, replayed straight in a fresh world: it must meet every
// checkpoint and end on the picture and the state the screen showed last.
void ExpectReplaysAsShown(const std::string& recorded, std::uint32_t shownState, std::uint64_t shownPicture,
                          long shownFrame, std::vector<std::uint32_t>* statesBefore = nullptr) {
  ReplayScript script;
  std::string error;
  ASSERT_TRUE(ParseReplayScript(recorded, script, error)) << error;
  EXPECT_EQ(script.lastFrame, shownFrame);
  processKeyboard = Keyboard{};
  GameWorld world(nullptr);
  FrameDriver driver(world, nullptr);
  driver.Play(std::move(script));
  while (!driver.ScriptEnded()) {
    driver.RunFrame();
    if (statesBefore != nullptr && driver.FramesRun() < static_cast<long>(statesBefore->size())) {
      EXPECT_EQ(StateHash(CaptureState(world)), (*statesBefore)[static_cast<std::size_t>(driver.FramesRun())])
          << "frame " << driver.FramesRun() << ", before the take-over";
    }
  }
  EXPECT_EQ(driver.Mismatch().frame, 0);
  EXPECT_GT(driver.ChecksMatched(), 10);
  EXPECT_EQ(StateHash(CaptureState(world)), shownState);
  EXPECT_EQ(PictureHash(world.display.frameBuffer), shownPicture);
}

// Live play with random keys, rewound now and then by a random number of frames, with keys held
// through the rewinds: the recording is the timeline played on, and replays straight to the end.
TEST_F(FreshWorldTest, RewindingAndPlayingOnEqualsPlayingTheKeptKeysStraight) {
  StringSink recorded;
  FrameDriver driver(*world, nullptr);
  driver.Record(recorded);
  DemoViewer viewer(driver, *world);
  ViewerControls controls(viewer);
  PlayerInput input(driver);
  input.SteerViewer(&controls);
  std::mt19937 random(41);
  const std::uint8_t keys[] = {vk::left, vk::right, vk::space};
  int rewinds = 0;
  for (int tick = 0; tick < 6000; ++tick) {
    while (random() % 5 == 0) input.Message(random() % 2 ? wm::keyDown : wm::keyUp, keys[random() % 3], 0);
    if (tick % 500 == 499) {
      input.Message(wm::keyDown, vk::backspace, 0);
      const long from = viewer.State().frame;
      const int back = 1 + static_cast<int>(random() % 400);
      for (int i = 0; i < back; ++i) {
        viewer.Tick(1);
        if (i % 50 == 0) input.Message(random() % 2 ? wm::keyDown : wm::keyUp, keys[random() % 3], 0);
      }
      EXPECT_EQ(viewer.State().frame, std::max(1L, from - back));
      EXPECT_EQ(viewer.State().mode, DemoPosition::Mode::rewinding);
      input.Message(wm::keyUp, vk::backspace, 0);
      ++rewinds;
    }
    viewer.Tick(1);
  }
  EXPECT_EQ(rewinds, 12);
  const long shown = driver.FramesRun();
  const std::uint32_t state = StateHash(CaptureState(*world));
  const std::uint64_t picture = PictureHash(world->display.frameBuffer);
  driver.Close();
  EXPECT_NE(recorded.text.find(" back\n"), std::string::npos);
  ExpectReplaysAsShown(recorded.text, state, picture, shown);
  // What a run link carries: the run as it was played on, and nothing it went back from.
  const std::string playedOn = PlayedOn(recorded.text);
  EXPECT_EQ(playedOn.find(" back\n"), std::string::npos);
  EXPECT_LT(playedOn.size(), recorded.text.size());
  ExpectReplaysAsShown(playedOn, state, picture, shown);
}

// A rewind is let go of by a lost focus (playing on with nothing held) and by Escape (which
// then quits, as ever).
TEST_F(FreshWorldTest, ALostFocusAndEscapeLetGoOfARewind) {
  FrameDriver driver(*world, nullptr);
  DemoViewer viewer(driver, *world);
  ViewerControls controls(viewer);
  PlayerInput input(driver);
  input.SteerViewer(&controls);
  input.Message(wm::keyDown, vk::right, 0);
  for (int tick = 0; tick < 120; ++tick) viewer.Tick(1);
  input.Message(wm::keyDown, vk::backspace, 0);
  for (int tick = 0; tick < 30; ++tick) viewer.Tick(1);
  EXPECT_EQ(viewer.State().frame, 90);
  input.Message(wm::killFocus, 0, 0);
  EXPECT_EQ(viewer.State().mode, DemoPosition::Mode::live);
  EXPECT_FALSE(world->keyboard.IsKeyDown(vk::right)) << "the focus went: nothing is held";
  input.Message(wm::setFocus, 0, 0);
  input.Message(wm::keyDown, vk::backspace, 0);
  for (int tick = 0; tick < 10; ++tick) viewer.Tick(1);
  input.Message(wm::keyDown, vk::escape, 0);
  EXPECT_EQ(viewer.State().mode, DemoPosition::Mode::live);
  viewer.Tick(1);
  EXPECT_TRUE(headlessPlatform.quitPosted);
  EXPECT_EQ(driver.FramesRun(), 81);
}

// Enter in a demo, with Right held: the recording holds the demo's keys up to the frame shown,
// then the player's, Right pressed from that frame.
TEST_F(DemoViewerTest, TakingOverPlaysOnFromTheFrameShown) {
  StringSink recorded;
  driver->Record(recorded);
  PlayerInput input(*driver);
  ViewerControls controls(*viewer);
  input.SteerViewer(&controls);
  viewer->Seek(900);
  input.Message(wm::keyDown, vk::right, 0);  // five seconds on, and held
  input.Message(wm::keyDown, vk::enter, 0);
  input.Message(wm::keyUp, vk::enter, 0);
  EXPECT_EQ(viewer->State().mode, DemoPosition::Mode::live);
  EXPECT_EQ(viewer->State().liveFrom, 1200);
  EXPECT_TRUE(world->keyboard.IsKeyDown(vk::right));
  for (int tick = 0; tick < 100; ++tick) {
    if (tick == 40) input.Message(wm::keyDown, vk::space, 0);
    viewer->Tick(1);
  }
  const std::uint32_t state = StateHash(CaptureState(*world));
  const std::uint64_t picture = PictureHash(world->display.frameBuffer);
  EXPECT_NE(state, states[1300]);
  driver->Close();
  std::vector<std::uint32_t> before(states.begin(), states.begin() + 1201);
  ExpectReplaysAsShown(recorded.text, state, picture, 1300, &before);
}

// A pad takes over with B, holding the stick right, and rewinds with LB held.
TEST_F(DemoViewerTest, APadTakesOverWithBAndRewindsWithLB) {
  PlayerInput input(*driver);
  ViewerControls controls(*viewer);
  input.SteerViewer(&controls);
  viewer->Seek(600);
  PadState pad;
  pad.east = true;
  pad.stickX = 1.0f;
  input.PadsRead(&pad, 1);
  EXPECT_EQ(viewer->State().mode, DemoPosition::Mode::live);
  EXPECT_EQ(viewer->State().liveFrom, 600);
  EXPECT_TRUE(world->keyboard.IsKeyDown(vk::right)) << "the stick held counts as pressed";
  for (int tick = 0; tick < 60; ++tick) {
    input.PadsRead(&pad, 1);
    viewer->Tick(1);
  }
  pad.leftShoulder = true;
  for (int tick = 0; tick < 20; ++tick) {
    input.PadsRead(&pad, 1);
    viewer->Tick(1);
  }
  EXPECT_EQ(viewer->State().mode, DemoPosition::Mode::rewinding);
  EXPECT_EQ(viewer->State().frame, 640);
  pad = PadState{};
  input.PadsRead(&pad, 1);
  EXPECT_EQ(viewer->State().mode, DemoPosition::Mode::live);
  EXPECT_FALSE(world->keyboard.IsKeyDown(vk::right)) << "let go during the rewind";
}

TEST(DemoTitle, SaysWhereTheDemoStands) {
  char title[say::titleSize];
  say::DemoTitle(741, 3600, 1, 2, true, title);
  EXPECT_STREQ(title, "Fennwick \u2014 0:12.35 / 1:00.00 \u00B7 \u00BD\u00D7 \u00B7 paused");
  say::DemoTitle(216000, 216000, 8, 1, false, title);
  EXPECT_STREQ(title, "Fennwick \u2014 60:00.00 / 60:00.00 \u00B7 8\u00D7");
  say::LiveTitle(false, 900, 741, title);
  EXPECT_STREQ(title, "Fennwick \u2014 live from 0:12.35");
  say::LiveTitle(true, 741, 600, title);
  EXPECT_STREQ(title, "Fennwick \u2014 rewinding \u00B7 0:12.35");
}

}  // namespace
