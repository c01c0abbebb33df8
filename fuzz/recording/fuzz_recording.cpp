// libFuzzer target: any bytes as a recording. The parser must refuse it in words or accept it
// whole. What it accepts is opened as a demo, of any length up to the longest run, and watched
// as a player might: played, sought, stepped back, taken over, played on with keys, rewound and
// played on again. A checkpoint the demo reports missed must be one the recording holds, and
// what the game recorded of it all must replay to the frame it ended on, meeting every
// checkpoint of its own.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

#include "core/game/demo_viewer.h"
#include "core/game/frame_driver.h"
#include "core/game/game_world.h"
#include "core/game/replay_script.h"
#include "core/game/world_state.h"
#include "front/script_reader.h"

namespace {

// How far into a demo the seeks go: every line of a short run is reached, and a run a day long
// still costs milliseconds an input, so that thousands run a minute.
constexpr long farthestSeek = 20000;

// The bytes' own numbers, to choose what the player does.
struct Choices {
  std::uint32_t state;
  std::uint32_t Next(std::uint32_t below) {
    state = state * 1664525u + 1013904223u;
    return (state >> 8) % below;
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // One world for the whole run, put back to its start before each input: loading the
  // pictures every time would leave no time to fuzz.
  static const std::unique_ptr<GameWorld> world = std::make_unique<GameWorld>(nullptr);
  static const WorldState start = CaptureState(*world);

  ReplayScript script;
  std::string error;
  if (!ParseReplayScript(std::string(reinterpret_cast<const char*>(data), size), script, error)) {
    if (error.empty()) std::abort();  // refused without a word
    return 0;
  }
  if (!std::is_sorted(script.checks.begin(), script.checks.end(),
                      [](const ScriptCheck& a, const ScriptCheck& b) { return a.frame < b.frame; }))
    std::abort();
  if (script.lastFrame > largestScriptFrame) std::abort();
  const ReplayScript played = script;
  RestoreState(*world, start);
  StringSink recorded;
  FrameDriver driver(*world, nullptr);
  driver.Record(recorded);
  driver.Play(std::move(script));
  DemoViewer viewer(driver, *world);
  Choices choose{static_cast<std::uint32_t>(size) * 2654435761u + (size > 0 ? data[size / 2] : 0u)};

  // Every shown frame is drawn and a demo's tick computes thousands ahead, which cost the most
  // here: few of them, each one to the point.
  for (int tick = 0; tick < 2; ++tick) viewer.Tick(1);
  const long reach = std::min(viewer.Length(), farthestSeek);
  for (int seek = 0; seek < 3; ++seek) {
    viewer.Seek(1 + static_cast<long>(choose.Next(static_cast<std::uint32_t>(reach))));
    viewer.StepPressed(-1);
    viewer.StepReleased(-1);
  }
  const CheckMismatch missed = driver.Mismatch();
  if (missed.frame != 0 && std::none_of(played.checks.begin(), played.checks.end(), [&](const ScriptCheck& c) {
        return c.frame == missed.frame && c.hash == missed.recorded;
      }))
    std::abort();

  viewer.TakeOver();
  const std::uint8_t keys[] = {vk::left, vk::right, vk::space};
  for (int round = 0; round < 2; ++round) {
    for (int tick = 0; tick < 30; ++tick) {
      if (choose.Next(3) == 0) driver.Deliver(choose.Next(2) ? wm::keyDown : wm::keyUp, keys[choose.Next(3)], 0);
      viewer.Tick(1);
    }
    viewer.RewindPressed();
    for (int tick = static_cast<int>(choose.Next(45)); tick > 0; --tick) viewer.Tick(1);
    viewer.RewindReleased();
  }
  const long shown = driver.FramesRun();
  const std::uint32_t state = StateHash(CaptureState(*world));
  driver.Close();

  // What was recorded replays straight to the frame shown last, in the state it was in.
  ReplayScript again;
  if (!ParseReplayScript(recorded.text, again, error)) std::abort();
  if (again.lastFrame != shown) std::abort();
  RestoreState(*world, start);
  FrameDriver replay(*world, nullptr);
  replay.Play(std::move(again));
  while (!replay.ScriptEnded()) replay.RunFrame(FrameOutput::computedOnly);
  if (replay.Mismatch().frame != 0 || StateHash(CaptureState(*world)) != state) std::abort();
  return 0;
}
