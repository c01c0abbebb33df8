// The soak's own parts: the invariant checker must notice each kind of broken world, the
// random input must contain the abuse it promises, and a recorded script must replay the
// same game.
#include <gtest/gtest.h>

#include <limits>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "core/game/frame_driver.h"
#include "core/game/replay_script.h"
#include "front/script_reader.h"
#include "soak_input.h"
#include "soak_invariants.h"
#include "soak_run.h"
#include "core/sprites/player_jumping.h"
#include "core/sprites/player_repel.h"
#include "test_support.h"

namespace {

class SoakChecker : public FreshWorldTest {
 protected:
  void SetUp() override {
    FreshWorldTest::SetUp();
    world->RunFrame(nullptr);
  }
  PlayerData& player() { return world->player.data; }
};

TEST_F(SoakChecker, AFreshWorldBreaksNothing) { EXPECT_EQ(FindViolation(*world), ""); }

TEST_F(SoakChecker, NoticesABodyInsideSolidTilesOrOutsideTheWorld) {
  player().position = {225.0f, 440.0f};  // feet 15 pixels into the start platform
  EXPECT_NE(FindViolation(*world).find("overlaps the solid tile"), std::string::npos);
  player().position = {30.0f, 100.0f};  // in the left border
  EXPECT_NE(FindViolation(*world), "");
  player().position = {-500.0f, 425.0f};
  EXPECT_NE(FindViolation(*world).find("leaves"), std::string::npos);
  player().position = {225.0f, 5000.0f};
  EXPECT_NE(FindViolation(*world).find("leaves"), std::string::npos);
}

TEST_F(SoakChecker, NoticesNumbersThatAreNotFinite) {
  const float bad[] = {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(),
                       -std::numeric_limits<float>::infinity()};
  for (float value : bad) {
    SetUp();
    player().velocity.x = value;
    EXPECT_NE(FindViolation(*world).find("not finite"), std::string::npos);
    SetUp();
    player().position.y = value;
    EXPECT_NE(FindViolation(*world).find("not finite"), std::string::npos);
    SetUp();
    world->camera.x = value;
    EXPECT_NE(FindViolation(*world).find("not finite"), std::string::npos);
  }
}

TEST_F(SoakChecker, NoticesACameraOutsideTheWorldAndAPassStoppedAtItsBound) {
  world->camera.x = 2400.5f;
  EXPECT_NE(FindViolation(*world).find("camera"), std::string::npos);
  world->camera.x = 0.0f;
  world->camera.y = -0.5f;
  EXPECT_NE(FindViolation(*world).find("camera"), std::string::npos);
  world->camera.y = 600.0f;
  EXPECT_EQ(FindViolation(*world), "");

  world->collisionHits = PlayerController::collisionBound - 1;
  EXPECT_EQ(FindViolation(*world), "");
  world->collisionHits = PlayerController::collisionBound;
  EXPECT_NE(FindViolation(*world).find("bound"), std::string::npos);
}

TEST_F(SoakChecker, NoticesAPictureThatDoesNotFitTheState) {
  player().animation = player().animations[runPair].get();  // standing, shown running
  EXPECT_NE(FindViolation(*world).find("standing"), std::string::npos);

  player().state = std::make_unique<PlayerJumping>(&player(), false);
  EXPECT_EQ(FindViolation(*world), "");  // the jump picture
  player().animation = player().animations[fallPair].get();
  EXPECT_EQ(FindViolation(*world), "");  // falling is jumping too
  player().animation = player().animations[standPair].get();
  EXPECT_NE(FindViolation(*world).find("jumping"), std::string::npos);

  player().state = std::make_unique<PlayerRepel>(&player());
  EXPECT_EQ(FindViolation(*world), "");
  player().animation = player().animations[jumpPair].get();
  EXPECT_NE(FindViolation(*world).find("repel"), std::string::npos);
}

TEST(SoakInput, SameSeedSameStreamAndSeedsDiffer) {
  const auto stream = [](std::uint64_t seed) {
    SoakInput input(seed);
    std::vector<SoakMessage> all;
    for (int frame = 0; frame < 3000; ++frame) input.NextFrame(all);
    std::ostringstream text;
    for (const SoakMessage& m : all) text << m.message << ':' << m.wParam << ' ';
    return text.str();
  };
  EXPECT_EQ(stream(7), stream(7));
  EXPECT_NE(stream(7), stream(8));
}

// Over a stretch of play the stream holds everything the soak is meant to throw at the game,
// and never Escape, which would end it.
TEST(SoakInput, ContainsBurstsRepeatsDisplayKeysAndNeverEscape) {
  int bursts = 0, repeats = 0, f11Presses = 0, strayCodes = 0, characters = 0, spaceTaps = 0;
  std::set<std::uint8_t> down;
  for (std::uint64_t seed = 1; seed <= 3; ++seed) {
    SoakInput input(seed);
    std::vector<SoakMessage> messages;
    for (int frame = 0; frame < 20000; ++frame) {
      messages.clear();
      input.NextFrame(messages);
      int keyMessages = 0;
      bool spaceDown = false;
      for (const SoakMessage& m : messages) {
        const auto code = static_cast<std::uint8_t>(m.wParam & 0xFF);
        if (m.message == wm::character) {
          ++characters;
          continue;
        }
        ASSERT_NE(code, vk::escape);
        ++keyMessages;
        if (m.wParam > 0xFF) ++strayCodes;
        if (m.message == wm::keyDown) {
          if (down.count(code) && (code == vk::left || code == vk::right || code == vk::space)) ++repeats;
          down.insert(code);
          if (code == vk::f11) ++f11Presses;
          if (code == vk::space) spaceDown = true;
        } else {
          if (code == vk::space && spaceDown) ++spaceTaps;
          down.erase(code);
        }
      }
      if (keyMessages > static_cast<int>(Keyboard::queueBound)) ++bursts;
    }
  }
  EXPECT_GT(bursts, 100);
  EXPECT_GT(repeats, 1000);
  EXPECT_GT(f11Presses, 50);
  EXPECT_GT(strayCodes, 10);
  EXPECT_GT(characters, 10);
  EXPECT_GT(spaceTaps, 10);  // down and up before one frame
}

// Plays a replay script the way fennwick-replay does, on a fresh world.
std::vector<Motion> Replay(const std::string& text) {
  ReplayScript script;
  std::string error;
  EXPECT_TRUE(ParseReplayScript(text, script, error)) << error;
  processKeyboard = Keyboard{};
  GameWorld world(nullptr);
  FrameDriver driver(world, nullptr);
  const long lastFrame = script.lastFrame;
  driver.Play(std::move(script));
  std::vector<Motion> frames;
  for (long frame = 1; frame <= lastFrame; ++frame) {
    driver.RunFrame();
    frames.push_back(MotionOf(world));
  }
  return frames;
}

// What the soak writes for a failing seed is a replay script; replayed, it must give the very
// same game, frame for frame, or a reported failure could not be reproduced.
TEST(SoakRun, TheRecordedScriptReplaysTheSameGame) {
  constexpr long frames = 2500;
  const SoakSeedResult soaked = RunSoakSeed(11, frames, true);
  ASSERT_EQ(soaked.failedFrame, 0) << soaked.violation;
  ASSERT_EQ(soaked.frames, frames);
  const std::vector<Motion> replayed = Replay(soaked.script);
  ASSERT_EQ(replayed.size(), static_cast<std::size_t>(frames));

  // The seed's input again, delivered straight from the generator.
  processKeyboard = Keyboard{};
  GameWorld direct(nullptr);
  SoakInput input(11);
  std::vector<SoakMessage> messages;
  for (long frame = 1; frame <= frames; ++frame) {
    messages.clear();
    input.NextFrame(messages);
    for (const SoakMessage& m : messages) HandleWindowMessage(nullptr, m.message, m.wParam, 0);
    direct.RunFrame(nullptr);
    ASSERT_EQ(MotionOf(direct), replayed[static_cast<std::size_t>(frame - 1)]) << "frame " << frame;
  }
  // The seed went somewhere: a replay of a figure standing still would prove little.
  EXPECT_GT(soaked.visited.count(), 100u);
}

std::string PastTheFirstPlatform(const GameWorld& world) {
  return world.player.data.position.x > 750.0f ? "past x 750" : "";
}

// A seed that breaks an invariant stops in that frame, and the script it leaves ends there and
// brings the game to exactly that point; the --script option writes the same keys, which the
// failing run's script holds with its checkpoints.
TEST(SoakRun, AFailingSeedLeavesAScriptThatEndsInTheFailingFrame) {
  const SoakHooks hooks{PastTheFirstPlatform, nullptr};
  const SoakSeedResult failed = RunSoakSeed(3, 20000, false, &hooks);
  ASSERT_NE(failed.failedFrame, 0) << "the seed never got that far";
  EXPECT_EQ(failed.frames, failed.failedFrame);
  EXPECT_EQ(failed.violation, "past x 750");
  std::string keys;
  long checks = 0;
  for (std::size_t at = 0, end; at < failed.script.size(); at = end + 1) {
    end = failed.script.find('\n', at);
    const std::string line = failed.script.substr(at, end - at + 1);
    if (line.find(" check ") != std::string::npos) ++checks;
    else keys += line;
  }
  EXPECT_EQ(keys, SoakScript(3, failed.failedFrame));
  EXPECT_EQ(checks, failed.failedFrame / 60 + (failed.failedFrame % 60 != 0 ? 1 : 0));

  const std::vector<Motion> replayed = Replay(failed.script);
  ASSERT_EQ(replayed.size(), static_cast<std::size_t>(failed.failedFrame));
  EXPECT_GT(replayed.back()[0], 750.0f);
  for (std::size_t i = 0; i + 1 < replayed.size(); ++i) ASSERT_LE(replayed[i][0], 750.0f) << "frame " << i + 1;

  EXPECT_EQ(RunSoakSeed(3, 100).script, "") << "a passing seed keeps no script unless asked";
}

}  // namespace
