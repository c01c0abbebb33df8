// Watching a one-hour demo with busy input, once watching has computed it: a seek to the end and
// to the middle, the worst seek (the frame before a kept state), and one step back, side by side
// with replaying the same frames from the start; and what opening the demo costs, to its first
// picture, for an hour and for the longest run a script may hold, with the memory the day's
// states take once all of it is known. The targets: a seek at most 50 ms, a step back at most
// 5 ms, the first picture within 100 ms, the states within 32 MB.
#include <benchmark/benchmark.h>

#include "demo_seek.h"

namespace {

DemoSeek& Hour() {
  static DemoSeek hour = [] {
    DemoSeek seek(BusyRun(hourFrames));
    seek.Open();
    seek.ComputeAll();
    return seek;
  }();
  return hour;
}

// Each seek comes from the other end of the run, so that nothing is left where it was.
void BM_DemoSeek(benchmark::State& state) {
  DemoSeek& hour = Hour();
  const long target = state.range(0);
  const long away = target > hourFrames / 2 ? 1 : hourFrames;
  for (auto _ : state) {
    state.PauseTiming();
    hour.viewer->Seek(away);
    state.ResumeTiming();
    hour.viewer->Seek(target);
  }
}
BENCHMARK(BM_DemoSeek)->Name("DemoSeek/end")->Arg(hourFrames)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DemoSeek)->Name("DemoSeek/middle")->Arg(hourFrames / 2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DemoSeek)->Name("DemoSeek/worst")->Arg(hourFrames - 1)->Unit(benchmark::kMillisecond);

void BM_DemoStepBack(benchmark::State& state) {
  DemoSeek& hour = Hour();
  for (auto _ : state) {
    state.PauseTiming();
    hour.viewer->Seek(hourFrames / 2);
    state.ResumeTiming();
    hour.viewer->StepPressed(-1);
    hour.viewer->StepReleased(-1);
  }
}
BENCHMARK(BM_DemoStepBack)->Name("DemoSeek/step_back")->Unit(benchmark::kMillisecond);

// The same frames with nothing kept: from the start, computed, the last one drawn.
void BM_DemoReplay(benchmark::State& state) {
  DemoSeek& hour = Hour();
  for (auto _ : state) hour.ReplayTo(state.range(0));
}
BENCHMARK(BM_DemoReplay)->Name("DemoReplay/end")->Arg(hourFrames)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_DemoReplay)->Name("DemoReplay/middle")->Arg(hourFrames / 2)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_DemoOpen(benchmark::State& state) {
  DemoSeek run(BusyRun(state.range(0)));
  for (auto _ : state) run.Open();
  if (state.range(0) == dayFrames) {
    run.ComputeAll();
    state.counters["states_MB"] = static_cast<double>(run.driver->Line().StatesKept() * sizeof(WorldState)) / (1 << 20);
    state.counters["spacing"] = static_cast<double>(run.driver->Line().Spacing());
  }
}
BENCHMARK(BM_DemoOpen)->Name("DemoSeek/open_hour")->Arg(hourFrames)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_DemoOpen)->Name("DemoSeek/open_day")->Arg(dayFrames)->Unit(benchmark::kMillisecond)->Iterations(3);

// A slice of computing ahead, as each tick of a demo does until all of it is known.
void BM_DemoComputeAhead(benchmark::State& state) {
  DemoSeek run(BusyRun(dayFrames));
  run.Open();
  for (auto _ : state) run.viewer->ComputeAhead(DemoViewer::aheadPerTick);
}
BENCHMARK(BM_DemoComputeAhead)->Name("DemoSeek/compute_ahead_slice")->Unit(benchmark::kMillisecond)->Iterations(200);

}  // namespace
