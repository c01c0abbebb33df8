// fennwick-viewer-bench: how long a demo viewer takes to land anywhere in an hour of busy play,
// beside how long replaying the same frames takes. One program, built natively (default preset)
// and for Node (web preset), so that bench/viewer_vs_native.sh sets the two side by side.
//
//   fennwick-viewer-bench [--assets DIR] [--repetitions N]
//
// The hour is made here, the same on every build: a key pressed or let go every 3 to 14 frames
// (the arrows and space), about 24,000 events, as restless a player as a run link carries.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <system_error>
#include <vector>

#include "app/window_messages.h"
#include "game/demo_viewer.h"
#include "game/frame_driver.h"
#include "game/game_world.h"
#include "game/replay_script.h"

namespace {

constexpr long hourFrames = 60L * 60L * 60L;

ReplayScript BusyHour() {
  ReplayScript script;
  std::uint32_t seed = 12345u;
  const auto next = [&seed](std::uint32_t below) {
    seed = seed * 1664525u + 1013904223u;
    return (seed >> 16) % below;
  };
  const std::uint8_t keys[] = {vk::left, vk::right, vk::space};
  bool held[3] = {};
  for (long frame = 1 + static_cast<long>(next(12)); frame < hourFrames; frame += 3 + static_cast<long>(next(12))) {
    const std::size_t key = next(3);
    held[key] = !held[key];
    script.events.push_back({frame, held[key] ? wm::keyDown : wm::keyUp, keys[key]});
  }
  script.lastFrame = hourFrames;
  return script;
}

using Clock = std::chrono::steady_clock;

double MillisecondsOf(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const std::size_t n = values.size();
  return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2.0;
}

}  // namespace

int main(int argc, char** argv) {
  std::string assets = FENNWICK_ASSETS_DIR;
  int repetitions = 9;
  for (int i = 1; i + 1 < argc; i += 2) {
    if (std::strcmp(argv[i], "--assets") == 0) assets = argv[i + 1];
    else if (std::strcmp(argv[i], "--repetitions") == 0) repetitions = std::max(1, std::atoi(argv[i + 1]));
  }
  std::error_code failure;
  std::filesystem::current_path(assets, failure);
  if (failure) {
    std::fprintf(stderr, "fennwick-viewer-bench: cannot change to '%s': %s\n", assets.c_str(), failure.message().c_str());
    return 2;
  }
  const ReplayScript hour = BusyHour();

  // The hour replayed as fennwick-replay does, every frame run and drawn; and only computed,
  // the least a viewer without kept states would have to do to reach the end.
  const auto replayed = [&hour](FrameOutput output) {
    GameWorld world(nullptr);
    FrameDriver driver(world, nullptr);
    driver.Play(hour);
    const Clock::time_point start = Clock::now();
    for (long frame = 1; frame <= hourFrames; ++frame) driver.RunFrame(output);
    return MillisecondsOf(start);
  };
  const double replay = replayed(FrameOutput::shown);
  const double computed = replayed(FrameOutput::computedOnly);

  GameWorld world(nullptr);
  FrameDriver driver(world, nullptr);
  driver.Play(hour);
  Clock::time_point start = Clock::now();
  DemoViewer viewer(driver, world);
  const double opened = MillisecondsOf(start);

  // Each from the first frame, or from the middle: the farthest a seek can reach, and a step
  // back from a kept state's own frame, which computes the most frames a step can.
  std::vector<double> toEnd, toMiddle, stepBack;
  const long middle = hourFrames / 2;
  for (int i = 0; i < repetitions; ++i) {
    viewer.Seek(1);
    start = Clock::now();
    viewer.Seek(hourFrames);
    toEnd.push_back(MillisecondsOf(start));
    viewer.Seek(1);
    start = Clock::now();
    viewer.Seek(middle);
    toMiddle.push_back(MillisecondsOf(start));
    start = Clock::now();
    viewer.StepPressed(-1);
    viewer.StepReleased(-1);
    stepBack.push_back(MillisecondsOf(start));
  }
  if (viewer.State().frame != middle - 1) {
    std::fprintf(stderr, "fennwick-viewer-bench: the step back landed on frame %ld, not %ld\n", viewer.State().frame, middle - 1);
    return 1;
  }
  std::printf("an hour of busy play: %ld frames, %zu key events; medians of %d\n", hourFrames, hour.events.size(), repetitions);
  std::printf("replaying every frame:      %10.1f ms (%.1f us a frame)\n", replay, replay * 1000.0 / hourFrames);
  std::printf("computing every frame:      %10.1f ms, nothing drawn\n", computed);
  std::printf("opening the viewer:         %10.1f ms (computing the hour once, keeping its states)\n", opened);
  std::printf("seek, first frame to last:  %10.3f ms\n", Median(toEnd));
  std::printf("seek, first frame to middle:%10.3f ms\n", Median(toMiddle));
  std::printf("one step back:              %10.3f ms\n", Median(stepBack));
  return 0;
}
