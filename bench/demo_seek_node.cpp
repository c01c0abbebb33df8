// fennwick-demo-seek: watching a one-hour demo (bench/demo_seek.h) timed without Google
// Benchmark, so that the same calls run as WebAssembly under Node as natively: seeks to the end,
// the middle and the worst frame, one step back, opening the demo, and replaying the same frames
// with nothing kept. bench/viewer_vs_native.sh runs both builds, side by side.
//
//   fennwick-demo-seek [--assets DIR] [--repetitions N]
//
// Wall time, median of the repetitions; every seek comes from the other end of the run, as in
// fennwick-bench's DemoSeek.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <system_error>
#include <vector>

#include "demo_seek.h"

namespace {

using Clock = std::chrono::steady_clock;

// The median of `repetitions` timings of `timed`, each after `before` (untimed), in milliseconds.
double Median(int repetitions, const std::function<void()>& before, const std::function<void()>& timed) {
  std::vector<double> ms;
  for (int i = 0; i < repetitions; ++i) {
    before();
    const Clock::time_point start = Clock::now();
    timed();
    ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
  }
  std::sort(ms.begin(), ms.end());
  const std::size_t n = ms.size();
  return n % 2 ? ms[n / 2] : (ms[n / 2 - 1] + ms[n / 2]) / 2.0;
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
    std::fprintf(stderr, "fennwick-demo-seek: cannot change to '%s': %s\n", assets.c_str(), failure.message().c_str());
    return 2;
  }
  DemoSeek hour(BusyRun(hourFrames));
  const auto nothing = [] {};
  const double open = Median(std::min(repetitions, 3), nothing, [&] { hour.Open(); });
  hour.ComputeAll();
  DemoViewer& viewer = *hour.viewer;
  const auto seek = [&](long target) {
    const long away = target > hourFrames / 2 ? 1 : hourFrames;
    return Median(repetitions, [&] { viewer.Seek(away); }, [&] { viewer.Seek(target); });
  };
  const double end = seek(hourFrames);
  const double middle = seek(hourFrames / 2);
  const double worst = seek(hourFrames - 1);
  const double stepBack = Median(repetitions, [&] { viewer.Seek(hourFrames / 2); }, [&] {
    viewer.StepPressed(-1);
    viewer.StepReleased(-1);
  });
  // The step must land where it says, or the figure times nothing.
  if (viewer.State().frame != hourFrames / 2 - 1) {
    std::fprintf(stderr, "fennwick-demo-seek: a step back from %ld landed on %ld\n", hourFrames / 2, viewer.State().frame);
    return 1;
  }
  const double replayEnd = Median(std::min(repetitions, 3), nothing, [&] { hour.ReplayTo(hourFrames); });
  const double replayMiddle = Median(std::min(repetitions, 3), nothing, [&] { hour.ReplayTo(hourFrames / 2); });

  std::printf("one hour, %ld frames, %zu key events; wall time, ms, median of %d (opening and replays of %d)\n",
              hourFrames, hour.script.events.size(), repetitions, std::min(repetitions, 3));
  std::printf("seek to the end       %9.3f   replaying to it %9.3f\n", end, replayEnd);
  std::printf("seek to the middle    %9.3f   replaying to it %9.3f\n", middle, replayMiddle);
  std::printf("the worst seek        %9.3f\n", worst);
  std::printf("one step back         %9.3f\n", stepBack);
  std::printf("opening the demo      %9.3f   to its first picture\n", open);
  return 0;
}
