#include "soak_run.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "core/input/keyboard.h"
#include "platform/headless/platform_headless.h"
#include "core/input/window_messages.h"
#include "core/game/frame_driver.h"
#include "core/game/game_world.h"
#include "core/game/replay_script.h"
#include "core/level/tile.h"
#include "soak_input.h"
#include "soak_invariants.h"

namespace {

int StateIndex(const GameWorld& world) {
  static const char* const names[] = {"standing", "running", "jumping", "repel"};
  const char* name = SoakStateName(world);
  for (int i = 0; i < 4; ++i)
    if (std::strcmp(name, names[i]) == 0) return i;
  return 4;
}

void MarkCell(const GameWorld& world, VisitedCells& visited) {
  const Vec2 p = world.player.data.position;
  if (!(p.x >= 0.0f && p.y >= 0.0f)) return;
  const auto column = static_cast<long>(p.x) / Tile::width;
  // The anchor sits on the feet; the cell above it is the one the figure is in.
  const auto row = (static_cast<long>(p.y) - 1) / Tile::height;
  if (column < world.tileMap.columns && row >= 0 && row < world.tileMap.rows)
    visited.set(static_cast<std::size_t>(row * world.tileMap.columns + column));
}

std::string ScriptHeader(std::uint64_t seed) {
  return "# fennwick-soak seed " + std::to_string(seed) + "\n";
}

}  // namespace

SoakSeedResult RunSoakSeed(std::uint64_t seed, long frames, bool keepScript, const SoakHooks* hooks) {
  const SoakHooks soakInvariants{FindViolation, nullptr};
  if (hooks == nullptr) hooks = &soakInvariants;
  SoakSeedResult result;
  result.seed = seed;
  processKeyboard = Keyboard{};
  headlessPlatform = HeadlessPlatformLog{};

  auto world = std::make_unique<GameWorld>(nullptr);
  FrameDriver driver(*world, nullptr);
  // Everything delivered is recorded, so a failure comes with the script that replays it.
  StringSink script;
  script.Write(ScriptHeader(seed));
  driver.Record(script);
  SoakInput input(seed);
  std::vector<SoakMessage> messages;
  for (long frame = 1; frame <= frames; ++frame) {
    if (hooks->beforeFrame != nullptr) hooks->beforeFrame(seed, frame);
    messages.clear();
    input.NextFrame(messages);
    for (const SoakMessage& m : messages) driver.Deliver(m.message, m.wParam, 0);
    driver.RunFrame();
    result.frames = frame;

    if (world->collisionHits > result.mostHits) result.mostHits = world->collisionHits;
    ++result.stateFrames[static_cast<std::size_t>(StateIndex(*world))];
    MarkCell(*world, result.visited);

    std::string violation = hooks->check(*world);
    if (!violation.empty()) {
      result.failedFrame = frame;
      result.violation = std::move(violation);
      break;
    }
  }
  if (keepScript || result.failedFrame != 0) {
    driver.Close();
    result.script = std::move(script.text);
  }
  return result;
}

std::string SoakScript(std::uint64_t seed, long frames) {
  SoakInput input(seed);
  std::vector<SoakMessage> messages;
  StringSink script;
  script.Write(ScriptHeader(seed));
  for (long frame = 1; frame <= frames; ++frame) {
    messages.clear();
    input.NextFrame(messages);
    for (const SoakMessage& m : messages) WriteScriptLine(script, frame, m.message, m.wParam);
  }
  WriteScriptEnd(script, frames);
  return script.text;
}
