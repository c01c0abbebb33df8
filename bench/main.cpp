// fennwick-bench: the frame and its parts against the memory floor and against peers, then the
// handful of ratios that say whether the frame is where it should be.
//
//   fennwick-bench [--assets=DIR] [benchmark options, e.g. --benchmark_repetitions=5]
//
// The assets are read from the repository's assets folder unless --assets names another.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace {

// Keeps every measurement it shows, so the ratios can be printed after the last benchmark.
class RecordingReporter : public benchmark::ConsoleReporter {
 public:
  using ConsoleReporter::ConsoleReporter;

  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      if (run.error_occurred) continue;
      const double seconds =
          run.GetAdjustedCPUTime() / benchmark::GetTimeUnitMultiplier(run.time_unit);
      Timing& timing = timings[run.run_name.str()];
      if (run.run_type == Run::RT_Aggregate) {
        if (run.aggregate_name == "median") {
          timing.median = seconds;
          timing.aggregated =
              static_cast<std::size_t>(run.iterations);  // the repetitions it sums up
        }
      } else {
        timing.repetitions.push_back(seconds);
      }
    }
    ConsoleReporter::ReportRuns(runs);
  }

  // Seconds per iteration, the median over the repetitions; negative when it did not run.
  double Seconds(const std::string& name) const {
    const auto found = timings.find(name);
    if (found == timings.end()) return -1.0;
    const Timing& timing = found->second;
    if (timing.median >= 0.0) return timing.median;
    if (timing.repetitions.empty()) return -1.0;
    std::vector<double> sorted = timing.repetitions;
    std::sort(sorted.begin(), sorted.end());
    const std::size_t n = sorted.size();
    return n % 2 ? sorted[n / 2] : (sorted[n / 2 - 1] + sorted[n / 2]) / 2.0;
  }

  std::size_t Repetitions() const {
    std::size_t most = 0;
    for (const auto& entry : timings)
      most = std::max({most, entry.second.repetitions.size(), entry.second.aggregated});
    return most;
  }

 private:
  struct Timing {
    double median = -1.0;
    std::size_t aggregated = 0;
    std::vector<double> repetitions;
  };
  std::map<std::string, Timing> timings;
};

void PrintRatio(const char* what, double numerator, double denominator, const char* target,
                bool lowerThan, double bound) {
  if (numerator < 0.0 || denominator <= 0.0) {
    std::printf("  %-34s %10s  %-8s\n", what, "not run", target);
    return;
  }
  const double ratio = numerator / denominator;
  const bool met = lowerThan ? ratio < bound : ratio <= bound;
  std::printf("  %-34s %10.3f  %-8s %s\n", what, ratio, target, met ? "met" : "MISSED");
}

void PrintTable(const RecordingReporter& results) {
  const double floor = results.Seconds("BM_Floor");
  std::printf("\nRatios (CPU time, median of %zu run%s):\n", results.Repetitions(),
              results.Repetitions() == 1 ? "" : "s");
  std::printf("  %-34s %10s  %-8s\n", "", "ratio", "target");
  for (const char* scene : {"standing", "running", "jumping"}) {
    const double frame = results.Seconds(std::string("BM_RunFrame/") + scene);
    const std::string name = std::string("RunFrame / floor, ") + scene;
    PrintRatio(name.c_str(), frame, floor, "<= 1.10", false, 1.1);
  }
  for (const char* scene : {"standing", "running", "jumping"}) {
    const double frame = results.Seconds(std::string("BM_RunFrame/") + scene);
    const double peer = results.Seconds(std::string("BM_Pixman/") + scene);
    const std::string name = std::string("RunFrame / pixman, ") + scene;
    PrintRatio(name.c_str(), frame, peer, "< 1", true, 1.0);
  }
  PrintRatio("DrawKeyed / SDL keyed blit", results.Seconds("BM_DrawKeyed"),
             results.Seconds("BM_SdlKeyedBlit"), "<= 1", false, 1.0);
  const double startup = results.Seconds("BM_BuildGameWorld");
  if (startup < 0.0)
    std::printf("  %-34s %10s  %-8s\n", "GameWorld built (ms)", "not run", "< 5");
  else
    std::printf("  %-34s %10.3f  %-8s %s\n", "GameWorld built (ms)", startup * 1000.0, "< 5",
                startup * 1000.0 < 5.0 ? "met" : "MISSED");
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  std::string assets = FENNWICK_ASSETS_DIR;
  int kept = 1;
  for (int i = 1; i < argc; ++i) {
    if (std::strncmp(argv[i], "--assets=", 9) == 0)
      assets = argv[i] + 9;
    else
      argv[kept++] = argv[i];
  }
  argc = kept;
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  // The game reads its bitmaps from the working directory; without them it runs with empty
  // frames, which would make the figure free to draw.
  if (chdir(assets.c_str()) != 0) {
    std::fprintf(stderr, "fennwick-bench: cannot change to the assets folder '%s'\n",
                 assets.c_str());
    return 1;
  }
  if (access("StickStand/Stand0000.bmp", R_OK) != 0)
    std::fprintf(stderr,
                 "fennwick-bench: warning: no frame bitmaps in '%s'; the figure will be empty\n",
                 assets.c_str());

  RecordingReporter reporter(isatty(STDOUT_FILENO) ? benchmark::ConsoleReporter::OO_Defaults
                                                   : benchmark::ConsoleReporter::OO_Tabular);
  benchmark::RunSpecifiedBenchmarks(&reporter);
  PrintTable(reporter);
  benchmark::Shutdown();
  return 0;
}
