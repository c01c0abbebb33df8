// A demo of a one-hour run with busy input, and what watching it costs: opening it, seeking
// in it, stepping back, against replaying the same frames from the start. Google Benchmark
// times it natively (demo_seek_bench.cpp); any other runner (a WebAssembly build under Node)
// can time the same calls.
#pragma once

#include <memory>

#include "core/game/demo_viewer.h"
#include "core/game/frame_driver.h"
#include "core/game/game_world.h"
#include "core/game/replay_script.h"
#include "core/game/world_state.h"

// An hour at 60 frames a second, and the longest run a script may hold.
constexpr long hourFrames = 216000;
constexpr long dayFrames = 24 * hourFrames;

// Left, right and space going down and up at random, on about one frame in three, ending with
// the Escape that quit it; the same script every time.
ReplayScript BusyRun(long frames);

// A fresh world and driver with the run to play; the pictures come from the working folder.
struct DemoSeek {
  explicit DemoSeek(const ReplayScript& run);
  // The viewer over the run, a fresh timeline, showing its first picture: nothing is computed
  // ahead yet.
  void Open();
  // What watching does a slice a tick: the whole run computed once, its states kept.
  void ComputeAll();
  // Without a viewer: the run from its start to the frame, computed without drawing, then
  // drawn, as a seek would cost with nothing kept.
  void ReplayTo(long frame);

  ReplayScript script;
  WorldState start;
  std::unique_ptr<GameWorld> world;
  std::unique_ptr<FrameDriver> driver;
  std::unique_ptr<DemoViewer> viewer;
};
