#include "soak_run.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "app/keyboard.h"
#include "app/platform_headless.h"
#include "app/window_messages.h"
#include "game/game_world.h"
#include "level/tile.h"
#include "soak_input.h"
#include "soak_invariants.h"

namespace {

const char* ScriptWord(std::uint32_t message) {
  if (message == wm::keyDown) return "down";
  if (message == wm::keyUp) return "up";
  return "char";
}

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

void AppendMessages(long frame, const std::vector<SoakMessage>& messages, std::string& script) {
  char line[64];
  for (const SoakMessage& m : messages) {
    std::snprintf(line, sizeof line, "%ld %s %lu\n", frame, ScriptWord(m.message),
                  static_cast<unsigned long>(m.wParam));
    script += line;
  }
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
  SoakInput input(seed);
  std::vector<SoakMessage> messages;
  std::string script = ScriptHeader(seed);
  for (long frame = 1; frame <= frames; ++frame) {
    if (hooks->beforeFrame != nullptr) hooks->beforeFrame(seed, frame);
    messages.clear();
    input.NextFrame(messages);
    for (const SoakMessage& m : messages) HandleWindowMessage(nullptr, m.message, m.wParam, 0);
    AppendMessages(frame, messages, script);
    world->RunFrame(nullptr);
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
    result.script = std::move(script);
    result.script += std::to_string(result.frames) + " end\n";
  }
  return result;
}

std::string SoakScript(std::uint64_t seed, long frames) {
  SoakInput input(seed);
  std::vector<SoakMessage> messages;
  std::string script = ScriptHeader(seed);
  for (long frame = 1; frame <= frames; ++frame) {
    messages.clear();
    input.NextFrame(messages);
    AppendMessages(frame, messages, script);
  }
  return script + std::to_string(frames) + " end\n";
}
