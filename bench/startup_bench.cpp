// Building the game world: sixteen bitmaps decoded and mirrored, 6,144 tiles, the frame buffer.
#include <benchmark/benchmark.h>

#include <memory>

#include "core/game/game_world.h"

namespace {

void BM_BuildGameWorld(benchmark::State& state) {
  for (auto _ : state) {
    auto world = std::make_unique<GameWorld>(nullptr);
    benchmark::DoNotOptimize(world.get());
    state.PauseTiming();
    world.reset();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_BuildGameWorld)->Unit(benchmark::kMillisecond);

}  // namespace
