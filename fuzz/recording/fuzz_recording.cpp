// libFuzzer target: any bytes as a recording. The parser must refuse it in words or accept it
// whole; what it accepts is played without drawing, as --verify does, for at most a few
// seconds of frames, and a checkpoint it reports missed must be one the recording holds.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

#include "core/game/frame_driver.h"
#include "core/game/game_world.h"
#include "core/game/replay_script.h"
#include "front/script_reader.h"
#include "core/game/world_state.h"

namespace {

// Enough for every line of a short run to be reached, few enough for thousands of runs a minute.
constexpr long mostFrames = 600;

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
  RestoreState(*world, start);
  FrameDriver driver(*world, nullptr);
  const ReplayScript played = script;
  driver.Play(std::move(script));
  const long frames = std::min(played.lastFrame, mostFrames);
  for (long frame = 1; frame <= frames && driver.Mismatch().frame == 0; ++frame)
    driver.RunFrame(FrameOutput::computedOnly);
  const CheckMismatch& missed = driver.Mismatch();
  if (missed.frame != 0 &&
      std::none_of(played.checks.begin(), played.checks.end(), [&](const ScriptCheck& c) {
        return c.frame == missed.frame && c.hash == missed.recorded && missed.frame <= frames;
      }))
    std::abort();
  return 0;
}
