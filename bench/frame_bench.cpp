// A whole frame against what it cannot beat (the memory floor) and against a general-purpose
// rasteriser drawing the same picture (pixman).
#include <benchmark/benchmark.h>
#include <pixman.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <vector>

#include "core/game/truncate.h"
#include "platform/headless/display_headless.h"
#include "core/graphics/surface.h"
#include "core/level/tile.h"
#include "scenes.h"
#include "core/sprites/player_sprite.h"

namespace {

constexpr std::size_t frameBytes = Display::pixelCount * sizeof(Pixel);
constexpr std::size_t pitch = Display::Platform::pitch;

// A cheap fingerprint, only to tell the peer's picture from the game's.
std::uint64_t Fingerprint(const Pixel* frame) {
  std::uint64_t h = 0;
  for (std::size_t i = 0; i < Display::pixelCount; ++i) h = (h ^ frame[i]) * 0x100000001b3ull;
  return h;
}

// The floor: the bytes every frame has to move whatever the drawing does. Write every pixel of
// the frame once, copy it row by row into a pitched buffer. No clear: the game writes each pixel
// once too (its clear only where nothing else covers, which in the game is nowhere).
void BM_Floor(benchmark::State& state) {
  std::vector<Pixel> frame(Display::pixelCount);
  std::vector<std::uint8_t> back(pitch * Display::height);
  const Pixel colour = 0xFFE0E0E0;
  for (auto _ : state) {
    std::fill_n(frame.data(), Display::pixelCount, colour);
    benchmark::ClobberMemory();
    for (int y = 0; y < Display::height; ++y)
      CopyFrameRow(back.data() + y * pitch, frame.data() + y * Display::width);
    benchmark::DoNotOptimize(back.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * 2 * frameBytes);
}
BENCHMARK(BM_Floor)->Unit(benchmark::kMicrosecond);

// A whole frame as the game runs it: key messages, update, collision pass, camera, clear,
// tiles, figure, copy to the pitched back buffer.
void BM_RunFrame(benchmark::State& state, SceneKind kind) {
  Scene scene(kind);
  for (auto _ : state) {
    scene.Frame();
    if (scene.NeedsRewind()) {
      state.PauseTiming();
      scene.Rewind();
      state.ResumeTiming();
    }
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * 3 * frameBytes);
}
BENCHMARK_CAPTURE(BM_RunFrame, standing, SceneKind::standing)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_RunFrame, running, SceneKind::running)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_RunFrame, jumping, SceneKind::jumping)->Unit(benchmark::kMicrosecond);

// The frame's drawing stages one at a time, on the running scene's picture, to see where a
// frame's time goes beyond the floor. Not part of the ratios.
enum class Stage { clear, tiles, figure, present };

void BM_FrameStage(benchmark::State& state, Stage stage) {
  Scene scene(SceneKind::running);
  GameWorld& world = scene.World();
  const PlayerData& player = world.player.data;
  for (auto _ : state) {
    switch (stage) {
      case Stage::clear:
        std::memset(world.display.frameBuffer, GameWorld::clearByte, frameBytes);
        break;
      case Stage::tiles:
        world.tileMap.Draw(world.camera);
        break;
      case Stage::figure:
        player.animation->Draw(player.facing, player.position.x, player.position.y, world.camera);
        break;
      case Stage::present:
        world.display.EndFrame();
        break;
    }
    benchmark::ClobberMemory();
  }
}
BENCHMARK_CAPTURE(BM_FrameStage, clear, Stage::clear)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_FrameStage, tiles, Stage::tiles)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_FrameStage, figure, Stage::figure)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_FrameStage, present, Stage::present)->Unit(benchmark::kMicrosecond);

// What the game drew in one frame, recorded so the peer can draw the same picture.
struct DrawnFrame {
  float cameraX;
  float cameraY;
  const Surface* figure;
  std::int32_t figureLeft;
  std::int32_t figureTop;
  std::uint64_t fingerprint;
  pixman_image_t* peerFigure;  // the figure converted for pixman; null for an empty frame
};

DrawnFrame Record(GameWorld& world) {
  const PlayerData& player = world.player.data;
  const Camera& camera = world.camera;
  const Animation* animation = player.animation->For(player.facing);
  const Surface* figure = animation->frames[animation->currentFrame].get();
  const std::int32_t x = TruncateToInt(player.position.x) - animation->offsetX;
  const std::int32_t y = TruncateToInt(player.position.y) - animation->offsetY;
  return DrawnFrame{camera.x,
                    camera.y,
                    figure,
                    TruncateToInt(static_cast<float>(x) - camera.x),
                    TruncateToInt(static_cast<float>(y) - camera.y),
                    Fingerprint(world.display.frameBuffer),
                    nullptr};
}

// The figure as pixman wants it: premultiplied ARGB, the key colour fully transparent.
struct PeerImage {
  std::vector<std::uint32_t> bits;
  pixman_image_t* image = nullptr;
};

void BM_Pixman(benchmark::State& state, SceneKind kind) {
  // One full cycle of the scene, as the game drew it.
  Scene scene(kind);
  std::vector<DrawnFrame> cycle;
  for (int i = 0; i < scene.CycleLength(); ++i) {
    scene.Frame();
    cycle.push_back(Record(scene.World()));
  }
  const GameWorld& world = scene.World();
  const TileMap& map = world.tileMap;

  std::map<const Surface*, PeerImage> figures;
  for (DrawnFrame& f : cycle) {
    const std::size_t count = static_cast<std::size_t>(f.figure->width) * f.figure->height;
    if (count == 0) continue;  // a frame that failed to load draws nothing in either
    PeerImage& peer = figures[f.figure];
    if (peer.image == nullptr) {
      const auto* keyed = dynamic_cast<const KeyedSurface*>(f.figure);
      const Pixel key = keyed ? keyed->key : Surface::defaultKey;
      peer.bits.assign(f.figure->pixels.get(), f.figure->pixels.get() + count);
      // Key pixels become transparent; the rest are opaque, so premultiplying changes nothing.
      // (A picture that is not would show up in the comparison below.)
      for (auto& p : peer.bits)
        if (p == key) p = 0;
      peer.image = pixman_image_create_bits(PIXMAN_a8r8g8b8, static_cast<int>(f.figure->width),
                                            static_cast<int>(f.figure->height), peer.bits.data(),
                                            static_cast<int>(f.figure->width * sizeof(Pixel)));
    }
    f.peerFigure = peer.image;
  }
  std::vector<Pixel> colours(static_cast<std::size_t>(map.rows) * map.columns);
  for (std::int32_t r = 0; r < map.rows; ++r)
    for (std::int32_t c = 0; c < map.columns; ++c)
      colours[static_cast<std::size_t>(r) * map.columns + c] = map.At(r, c)->colour;

  std::vector<std::uint32_t> frame(Display::pixelCount);
  std::vector<std::uint32_t> back(pitch * Display::height / sizeof(std::uint32_t));
  pixman_image_t* target =
      pixman_image_create_bits(PIXMAN_a8r8g8b8, Display::width, Display::height, frame.data(),
                               Display::width * sizeof(Pixel));
  const int tile = Tile::width;

  // Culls to the visible tiles, as a general renderer would, with the game's edge arithmetic.
  const auto draw = [&](const DrawnFrame& f) {
    pixman_fill(frame.data(), Display::width, 32, 0, 0, Display::width, Display::height,
                0xE0E0E0E0);
    const int firstColumn = TruncateToInt(f.cameraX) / tile;
    const int lastColumn =
        std::min(map.columns - 1, TruncateToInt(f.cameraX + Display::width) / tile);
    const int firstRow = TruncateToInt(f.cameraY) / tile;
    const int lastRow = std::min(map.rows - 1, TruncateToInt(f.cameraY + Display::height) / tile);
    for (int r = firstRow; r <= lastRow; ++r) {
      const int top = std::max(0, TruncateToInt(static_cast<float>(r * tile) - f.cameraY));
      const int bottom =
          std::min(Display::height, TruncateToInt(static_cast<float>((r + 1) * tile) - f.cameraY));
      if (top >= bottom) continue;
      for (int c = firstColumn; c <= lastColumn; ++c) {
        const int left = std::max(0, TruncateToInt(static_cast<float>(c * tile) - f.cameraX));
        const int right =
            std::min(Display::width, TruncateToInt(static_cast<float>((c + 1) * tile) - f.cameraX));
        if (left >= right) continue;
        pixman_fill(frame.data(), Display::width, 32, left, top, right - left, bottom - top,
                    colours[static_cast<std::size_t>(r) * map.columns + c]);
      }
    }
    if (f.peerFigure != nullptr)
      pixman_image_composite32(PIXMAN_OP_OVER, f.peerFigure, nullptr, target, 0, 0, 0, 0,
                               f.figureLeft, f.figureTop, static_cast<int>(f.figure->width),
                               static_cast<int>(f.figure->height));
    pixman_blt(frame.data(), back.data(), Display::width, pitch / sizeof(std::uint32_t), 32, 32, 0,
               0, 0, 0, Display::width, Display::height);
  };

  // Only a peer that draws the game's picture is a fair peer.
  for (const DrawnFrame& f : cycle) {
    draw(f);
    if (Fingerprint(frame.data()) != f.fingerprint) {
      state.SkipWithError("pixman's picture differs from the game's");
      break;
    }
  }

  std::size_t next = 0;
  for (auto _ : state) {
    draw(cycle[next]);
    if (++next == cycle.size()) next = 0;
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * 3 * frameBytes);

  pixman_image_unref(target);
  for (auto& entry : figures)
    if (entry.second.image != nullptr) pixman_image_unref(entry.second.image);
}
BENCHMARK_CAPTURE(BM_Pixman, standing, SceneKind::standing)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Pixman, running, SceneKind::running)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Pixman, jumping, SceneKind::jumping)->Unit(benchmark::kMicrosecond);

}  // namespace
