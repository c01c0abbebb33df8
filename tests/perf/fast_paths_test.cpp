// The drawing paths are written for speed (groups of four pixels, overlapping last groups,
// edge tables, prefetches). Each is checked here against the plain loop it replaces, on the
// shapes where a fast path goes wrong: every short run length, every clip edge, blocks that
// straddle the view, tiles that are not where their cell says.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "core/game/camera.h"
#include "core/graphics/display.h"
#include "platform/headless/display_headless.h"
#include "core/level/level_layout.h"
#include "core/level/tile.h"
#include "core/level/tile_map.h"

namespace {

constexpr int W = Display::width;
constexpr int H = Display::height;

using Frame = std::vector<Pixel>;

const RectI screen{0, H, 0, W};

void ReferenceFill(Frame& frame, int top, int bottom, int left, int right, Pixel colour,
                   const RectI& clip) {
  top = std::max(top, clip.top);
  bottom = std::min(bottom, clip.bottom);
  left = std::max(left, clip.left);
  right = std::min(right, clip.right);
  for (int y = top; y < bottom; ++y)
    for (int x = left; x < right; ++x) frame[static_cast<std::size_t>(y) * W + x] = colour;
}

// `source` indexes into `pixels`; the target is `frame`. They may be the same buffer.
void ReferenceKeyed(Frame& frame, const Pixel* pixels, Pixel key, int width, int height, int left,
                    int top, const RectI& clip) {
  for (int r = 0; r < height; ++r)
    for (int c = 0; c < width; ++c) {
      const int y = top + r;
      const int x = left + c;
      if (y < clip.top || y >= clip.bottom || x < clip.left || x >= clip.right) continue;
      const Pixel p = pixels[static_cast<std::size_t>(r) * width + c];
      if (p != key) frame[static_cast<std::size_t>(y) * W + x] = p;
    }
}

void ReferenceTiles(Frame& frame, const TileMap& map, float cameraX, float cameraY,
                    const RectI& clip) {
  for (int i = 0; i < map.columns * map.rows; ++i) {
    const Tile* tile = map.At(i / map.columns, i % map.columns);
    if (tile == nullptr) continue;
    const int top = static_cast<int>(static_cast<float>(tile->y) - cameraY) + clip.top;
    const int bottom =
        static_cast<int>(static_cast<float>(tile->y + Tile::height) - cameraY) + clip.top;
    const int left = static_cast<int>(static_cast<float>(tile->x) - cameraX) + clip.left;
    const int right =
        static_cast<int>(static_cast<float>(tile->x + Tile::width) - cameraX) + clip.left;
    ReferenceFill(frame, top, bottom, left, right, tile->colour, clip);
  }
}

Frame Noise(std::mt19937& random) {
  Frame frame(Display::pixelCount);
  for (auto& p : frame) p = random();
  return frame;
}

// Whether the frames match; where they first differ when not, for a readable failure.
::testing::AssertionResult SameFrame(const Frame& expected, const Pixel* actual) {
  for (std::size_t i = 0; i < expected.size(); ++i)
    if (expected[i] != actual[i])
      return ::testing::AssertionFailure() << "first difference at x " << i % W << ", y " << i / W;
  return ::testing::AssertionSuccess();
}

RectI RandomClip(std::mt19937& random) {
  // Half the time the whole screen, as the game uses; otherwise any rectangle inside it.
  if (random() % 2) return screen;
  const int top = static_cast<int>(random() % H);
  const int left = static_cast<int>(random() % W);
  return RectI{top, top + static_cast<int>(random() % (H - top + 1)), left,
               left + static_cast<int>(random() % (W - left + 1))};
}

// A coordinate from `margin` before `low` to `margin` past `high`: near either edge of a clip,
// sometimes beyond it.
int Around(std::mt19937& random, int low, int high, int margin) {
  return low - margin + static_cast<int>(random() % static_cast<unsigned>(high - low + 2 * margin));
}

class FastPaths : public ::testing::Test {
 protected:
  Display display{nullptr};
  std::mt19937 random{20240607};

  Frame Start() {
    Frame frame = Noise(random);
    std::memcpy(display.frameBuffer, frame.data(), frame.size() * sizeof(Pixel));
    return frame;
  }
  // Draws the map over fresh noise and compares it with the tile-by-tile arithmetic.
  ::testing::AssertionResult DrawsLikeTheReference(const TileMap& map, const Camera& camera,
                                                   const RectI& clip) {
    Frame expected = Start();
    map.Draw(camera);
    ReferenceTiles(expected, map, camera.x, camera.y, clip);
    return SameFrame(expected, display.frameBuffer)
           << " with the camera at " << camera.x << ", " << camera.y;
  }
};

}  // namespace

TEST_F(FastPaths, FillRectMatchesThePlainLoopForEveryRunLengthAndClipEdge) {
  Frame expected = Start();
  for (int i = 0; i < 400; ++i) {
    const RectI clip = RandomClip(random);
    // Runs of 0 to 40 pixels, near any edge of the clip, sometimes beyond it.
    const int length = static_cast<int>(random() % 41);
    const int left = Around(random, clip.left, clip.right, 45);
    const int top = Around(random, clip.top, clip.bottom, 30);
    const int bottom = top + static_cast<int>(random() % 40);
    const Pixel colour = random();
    display.FillRect(top, bottom, left, left + length, colour, clip);
    ReferenceFill(expected, top, bottom, left, left + length, colour, clip);
  }
  EXPECT_TRUE(SameFrame(expected, display.frameBuffer));
}

TEST_F(FastPaths, FillRectCoversWholeRowsAndLeavesNeighboursAlone) {
  Frame expected = Start();
  display.FillRect(-10, H + 10, -10, W + 10, 0xFF123456, screen);
  ReferenceFill(expected, -10, H + 10, -10, W + 10, 0xFF123456, screen);
  for (int width = 1; width <= 12; ++width) {
    // A run that ends on the clip edge, where an overlapping last group must not step over.
    const RectI clip{100, 120, 200, 200 + width};
    display.FillRect(90, 130, 190, 300, 0xFF000000u + static_cast<Pixel>(width), clip);
    ReferenceFill(expected, 90, 130, 190, 300, 0xFF000000u + static_cast<Pixel>(width), clip);
  }
  EXPECT_TRUE(SameFrame(expected, display.frameBuffer));
}

// Rectangles held back and written a row at a time must give the picture of each written at
// once: rows side by side of one colour or many, longer than what is held at a time, broken by
// a step, a gap, an overlap, another height or a keyed block, each clipped, over noise or over a
// clear written late.
TEST_F(FastPaths, FillsHeldBackPaintWhatFillsWrittenAtOnceDo) {
  for (int frame = 0; frame < 12; ++frame) {
    Frame expected = Start();
    if (frame % 2) {
      display.Clear(0x5A);
      std::memset(expected.data(), 0x5A, expected.size() * sizeof(Pixel));
    }
    {
      const Display::RowsOfFills rows(display);
      for (int i = 0; i < 40; ++i) {
        const RectI clip = RandomClip(random);
        int left = Around(random, clip.left, clip.right, 30);
        const int top = Around(random, clip.top, clip.bottom, 20);
        const int bottom = top + static_cast<int>(random() % 30);
        const int count = 1 + static_cast<int>(random() % 90);
        for (int k = 0; k < count; ++k) {
          // Mostly continuing the row; sometimes stepping back over it or leaving a gap.
          const int step = random() % 8 ? 0 : static_cast<int>(random() % 11) - 5;
          const int right = left + step + static_cast<int>(random() % 12);
          const Pixel colour = random() % 3 ? 0xFF00FF00u : random();
          display.FillRect(top, bottom, left + step, right, colour, clip);
          ReferenceFill(expected, top, bottom, left + step, right, colour, clip);
          left = right;
        }
        if (i % 9 == 8) {
          const Pixel block[6] = {1, 2, 3, 4, 5, 6};
          display.DrawKeyed(block, 3, 3, 2, left - 2, top, screen);
          ReferenceKeyed(expected, block, 3, 3, 2, left - 2, top, screen);
        }
      }
    }
    if (frame % 2) display.EndFrame();
    ASSERT_TRUE(SameFrame(expected, display.frameBuffer)) << " in frame " << frame;
  }
}

TEST_F(FastPaths, DrawKeyedMatchesThePlainLoopAcrossSizesKeysAndEdges) {
  Frame expected = Start();
  for (int i = 0; i < 400; ++i) {
    const RectI clip = RandomClip(random);
    const int width = 1 + static_cast<int>(random() % 40);
    const int height = 1 + static_cast<int>(random() % 40);
    const Pixel key = random() % 2 ? 0xFFFFFFFF : random();
    // Key runs of every length, and pixels that differ from the key only in alpha.
    std::vector<Pixel> block(static_cast<std::size_t>(width) * height);
    const unsigned keyShare = random() % 5;
    for (auto& p : block) {
      const unsigned pick = random() % 4;
      p = pick < keyShare ? key : (pick == 3 ? key ^ 0xFF000000u : random());
    }
    const int left = Around(random, clip.left, clip.right, width + 5);
    const int top = Around(random, clip.top, clip.bottom, height + 5);
    display.DrawKeyed(block.data(), key, static_cast<std::uint32_t>(width),
                      static_cast<std::uint32_t>(height), left, top, clip);
    ReferenceKeyed(expected, block.data(), key, width, height, left, top, clip);
  }
  EXPECT_TRUE(SameFrame(expected, display.frameBuffer));
}

TEST_F(FastPaths, DrawKeyedFromTheFrameBufferItselfCopiesInOrder) {
  // Not something the game does, but the plain loop's answer is well defined: a block read
  // from the pixels the copy is writing sees the ones already copied, even along a row.
  Frame expected = Start();
  const std::size_t from = 10 * W + 10;
  const Pixel key = expected[from + 3];
  display.DrawKeyed(display.frameBuffer + from, key, 37, 20, 12, 10, screen);
  ReferenceKeyed(expected, expected.data() + from, key, 37, 20, 12, 10, screen);
  EXPECT_TRUE(SameFrame(expected, display.frameBuffer));
}

TEST_F(FastPaths, TileMapDrawMatchesTileByTileArithmeticForAnyCamera) {
  TileMap map;
  for (int i = 0; i < 120; ++i) {
    const RectI clip = i % 3 ? screen : RandomClip(random);
    Viewport viewport{display, clip};
    Camera camera(RectF{0.0f, 1200.0f, 0.0f, 3200.0f}, viewport);
    // Inside the world and a little beyond it, on whole, half and arbitrary fractions.
    camera.x = -40.0f + static_cast<float>(random() % 2500000) / 1000.0f;
    camera.y = -40.0f + static_cast<float>(random() % 700000) / 1000.0f;
    if (i % 4 == 0) camera.x = std::floor(camera.x) + 0.5f;
    ASSERT_TRUE(DrawsLikeTheReference(map, camera, clip));
  }
}

TEST_F(FastPaths, TileMapDrawHandlesEmptyCellsAndTilesOffTheirCell) {
  // Cells without a tile, and tiles that claim a position other than their cell's: the
  // edge table must not be used for them.
  std::string layout(LevelLayout);
  for (int i = 0; i < 300; ++i) layout[random() % layout.size()] = '.';
  TileMap map(layout.c_str());
  for (int i = 0; i < 60; ++i) {
    const int row = static_cast<int>(random() % map.rows);
    const int column = static_cast<int>(random() % map.columns);
    const Tile* tile = map.At(row, column);
    if (tile == nullptr) continue;
    // Moved across, down, or both.
    int x = tile->x;
    int y = tile->y;
    if (i % 3 != 1) x += (static_cast<int>(random() % 60) - 30) | 1;
    if (i % 3 != 0) y += (static_cast<int>(random() % 60) - 30) | 1;
    map.Place(row, column, std::make_unique<Tile>(0xFF0000FF, x, y, tile->passable));
  }
  Viewport viewport{display, screen};
  Camera camera(RectF{0.0f, 1200.0f, 0.0f, 3200.0f}, viewport);
  for (const Vec2 at :
       {Vec2{0.0f, 0.0f}, Vec2{612.4f, 197.3f}, Vec2{2400.0f, 600.0f}, Vec2{12.5f, 0.5f}}) {
    camera.x = at.x;
    camera.y = at.y;
    ASSERT_TRUE(DrawsLikeTheReference(map, camera, screen));
  }
}

TEST_F(FastPaths, EndFrameCopiesEveryRowAndLeavesTheRestOfThePitchAlone) {
  const Frame frame = Start();
  auto& back = HeadlessPresentation(display).backBuffer;
  std::fill(back.begin(), back.end(), std::uint8_t{0xAB});
  display.EndFrame();
  constexpr std::size_t rowBytes = W * sizeof(Pixel);
  for (int y = 0; y < H; ++y) {
    const std::uint8_t* row = back.data() + static_cast<std::size_t>(y) * Display::Platform::pitch;
    ASSERT_EQ(std::memcmp(row, frame.data() + static_cast<std::size_t>(y) * W, rowBytes), 0)
        << "row " << y;
    for (std::size_t b = rowBytes; b < Display::Platform::pitch; ++b)
      ASSERT_EQ(row[b], 0xAB) << "row " << y;
  }
}

// The clear is written only where nothing covers it first; whatever is drawn in whatever order,
// the finished frame is the one a clear written in full and then drawn over gives.
TEST_F(FastPaths, ClearWrittenLateGivesTheFrameOfAClearWrittenFirst) {
  TileMap map;
  for (int i = 0; i < 40; ++i) {
    Frame expected = Start();
    const std::uint8_t value = static_cast<std::uint8_t>(random());
    display.Clear(value);
    std::memset(expected.data(), value, expected.size() * sizeof(Pixel));
    if (i % 4 == 0) {
      // The game's frame: the level, which covers the view, then a figure on it.
      const RectI clip = i % 8 ? screen : RandomClip(random);
      Viewport viewport{display, clip};
      Camera camera(RectF{0.0f, 1200.0f, 0.0f, 3200.0f}, viewport);
      camera.x = static_cast<float>(random() % 2400000) / 1000.0f;
      camera.y = static_cast<float>(random() % 600000) / 1000.0f;
      map.Draw(camera);
      ReferenceTiles(expected, map, camera.x, camera.y, clip);
    }
    // Rectangles and keyed blocks anywhere, in any order: gaps to the left of a rectangle, rows
    // covered out of order, blocks over parts not yet written, a block read from the frame.
    for (int j = 0; j < 30; ++j) {
      const RectI clip = RandomClip(random);
      const int left = Around(random, clip.left, clip.right, 45);
      const int top = Around(random, clip.top, clip.bottom, 30);
      const int width = static_cast<int>(random() % 60);
      const int height = static_cast<int>(random() % 40);
      if (random() % 3) {
        const Pixel colour = random();
        display.FillRect(top, top + height, left, left + width, colour, clip);
        ReferenceFill(expected, top, top + height, left, left + width, colour, clip);
      } else if (j != 29 || i % 2) {
        std::vector<Pixel> block(static_cast<std::size_t>(width) * height);
        const Pixel key = random();
        for (auto& p : block) p = random() % 2 ? key : random();
        display.DrawKeyed(block.data(), key, static_cast<std::uint32_t>(width),
                          static_cast<std::uint32_t>(height), left, top, clip);
        ReferenceKeyed(expected, block.data(), key, width, height, left, top, clip);
      } else {
        const std::size_t from = 30 * W + 40;
        const Pixel key = expected[from + 1];
        display.DrawKeyed(display.frameBuffer + from, key, 31, 17, 50, 33, screen);
        ReferenceKeyed(expected, expected.data() + from, key, 31, 17, 50, 33, screen);
      }
    }
    display.EndFrame();
    ASSERT_TRUE(SameFrame(expected, display.frameBuffer)) << " in frame " << i;
    auto& back = HeadlessPresentation(display).backBuffer;
    for (int y = 0; y < H; ++y)
      ASSERT_EQ(std::memcmp(back.data() + static_cast<std::size_t>(y) * Display::Platform::pitch,
                            expected.data() + static_cast<std::size_t>(y) * W, W * sizeof(Pixel)), 0)
          << "presented row " << y << " in frame " << i;
  }
}

// A frame in a canvas's byte order is the game's picture with every pixel's bytes R, G, B and an
// opaque A, whatever drew it: the clear, the level's rows of tiles, fills and keyed blocks
// anywhere. Its signature is the same for the same drawing, and another for any change in it.
TEST_F(FastPaths, CanvasOrderDrawsTheGamesPictureAsBytesAndSignsWhatWasDrawn) {
  Display canvas{nullptr};
  canvas.UseCanvasOrder();
  TileMap map;
  std::vector<Pixel> block(24 * 31);
  for (auto& p : block) p = random() % 3 ? random() : 0xFFFF00FFu;
  // One frame of the scene numbered `scene`, with drawing call `changed` (if any) altered.
  const auto draw = [&](Display& target, std::uint32_t scene, int changed = -1, int how = 0) {
    std::mt19937 shapes(scene);
    target.Clear(static_cast<std::uint8_t>(0xE0 + scene % 3));
    Viewport viewport{target, screen};
    Camera camera(RectF{0.0f, 1200.0f, 0.0f, 3200.0f}, viewport);
    camera.x = static_cast<float>(shapes() % 2400);
    camera.y = static_cast<float>(shapes() % 600);
    if (scene % 2) map.Draw(camera);
    for (int call = 0; call < 12; ++call) {
      const int moved = call == changed && how == 1 ? 1 : 0;
      const int left = static_cast<int>(shapes() % 760) + moved;
      const int top = static_cast<int>(shapes() % 560);
      const Pixel colour = shapes() ^ (call == changed && how == 0 ? 0x100u : 0u);
      if (call % 3 == 2) {
        const Pixel key = call == changed && how == 2 ? 0x12345678u : 0xFFFF00FFu;
        target.DrawKeyed(block.data(), key, 24, 31, left, top, screen);
      } else {
        target.FillRect(top, top + 30, left, left + 40, colour, screen);
      }
    }
    target.EndFrame();
  };
  for (std::uint32_t scene = 1; scene <= 6; ++scene) {
    draw(display, scene);
    draw(canvas, scene);
    for (std::size_t i = 0; i < Display::pixelCount; ++i) {
      const Pixel game = display.frameBuffer[i];
      const auto* bytes = reinterpret_cast<const std::uint8_t*>(canvas.frameBuffer + i);
      const std::uint8_t expected[4] = {static_cast<std::uint8_t>(game >> 16), static_cast<std::uint8_t>(game >> 8),
                                        static_cast<std::uint8_t>(game), 0xFF};
      ASSERT_EQ(std::memcmp(bytes, expected, 4), 0) << "pixel " << i % W << ", " << i / W << " of scene " << scene;
    }
    const std::uint64_t signature = canvas.Signature();
    canvas.EndFrame();
    EXPECT_EQ(canvas.Signature(), signature) << "a frame with nothing drawn";
    draw(canvas, scene + 10);
    EXPECT_NE(canvas.Signature(), signature) << "another scene";
    draw(canvas, scene);
    EXPECT_EQ(canvas.Signature(), signature) << "the scene again, after another";
    // A fill's colour, a fill or block moved by a pixel, a block's key.
    const int change[3] = {static_cast<int>(scene % 2) * 3, static_cast<int>(scene % 12), 2 + 3 * static_cast<int>(scene % 4)};
    for (int how = 0; how < 3; ++how) {
      draw(canvas, scene, change[how], how);
      EXPECT_NE(canvas.Signature(), signature) << "scene " << scene << " changed in the way numbered " << how;
    }
  }
}
