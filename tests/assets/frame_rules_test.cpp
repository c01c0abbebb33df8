// What the game needs of its frames: the figure stands on the anchor, the key colour is the
// only background, and the run frames make a loop.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

#include "expected_frames.h"
#include "image_reader.h"

using namespace assettest;

namespace {

constexpr std::uint32_t keyColour = 0xFFFFFFFFu;

struct Frame {
  ExpectedFrame expected;
  Image image;
  // The figure's bounding box, inclusive.
  int left, top, right, bottom;
};

std::vector<std::pair<int, int>> FigurePixels(const Image& im) {
  std::vector<std::pair<int, int>> pixels;
  for (int y = 0; y < im.height; ++y)
    for (int x = 0; x < im.width; ++x)
      if (im.At(x, y) != keyColour) pixels.emplace_back(x, y);
  return pixels;
}

const std::vector<Frame>& Frames() {
  static const std::vector<Frame> frames = [] {
    std::vector<Frame> loaded;
    for (const ExpectedFrame& e : ExpectedFrames()) {
      Frame f{e, DecodeBmp24(ReadBytes(assetsDir / e.path)), 1 << 20, 1 << 20, -1, -1};
      for (const auto& [x, y] : FigurePixels(f.image)) {
        f.left = std::min(f.left, x);
        f.right = std::max(f.right, x);
        f.top = std::min(f.top, y);
        f.bottom = std::max(f.bottom, y);
      }
      loaded.push_back(std::move(f));
    }
    return loaded;
  }();
  return frames;
}

std::vector<const Frame*> RunFrames() {
  std::vector<const Frame*> run;
  for (const Frame& f : Frames())
    if (f.expected.kind == Kind::Run) run.push_back(&f);
  return run;
}

// How far apart two figures' outlines are, in pixels: the mean distance from each figure
// pixel to the nearest one of the other figure, both ways. Counting changed pixels would not
// do: a thin limb moved by two pixels changes every one of its pixels, however small the step.
double ShapeDistance(const Image& a, const Image& b) {
  const auto oneWay = [](const std::vector<std::pair<int, int>>& from,
                         const std::vector<std::pair<int, int>>& to) {
    double sum = 0.0;
    for (const auto& [x, y] : from) {
      int nearest = 1 << 30;
      for (const auto& [u, v] : to)
        nearest = std::min(nearest, (x - u) * (x - u) + (y - v) * (y - v));
      sum += std::sqrt(static_cast<double>(nearest));
    }
    return sum / static_cast<double>(from.size());
  };
  const auto pa = FigurePixels(a);
  const auto pb = FigurePixels(b);
  return 0.5 * (oneWay(pa, pb) + oneWay(pb, pa));
}

// Groups of figure pixels touching each other, diagonals included.
int Islands(const Image& im) {
  std::vector<bool> seen(im.argb.size(), false);
  std::vector<std::pair<int, int>> stack;
  int islands = 0;
  for (const auto& start : FigurePixels(im)) {
    if (seen[static_cast<std::size_t>(start.second * im.width + start.first)]) continue;
    ++islands;
    stack.push_back(start);
    while (!stack.empty()) {
      const auto [x, y] = stack.back();
      stack.pop_back();
      if (x < 0 || y < 0 || x >= im.width || y >= im.height || im.At(x, y) == keyColour) continue;
      const auto i = static_cast<std::size_t>(y * im.width + x);
      if (seen[i]) continue;
      seen[i] = true;
      for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx) stack.emplace_back(x + dx, y + dy);
    }
  }
  return islands;
}

}  // namespace

TEST(FrameAnchors, AnchorIsTheMiddleColumnInsideThePicture) {
  for (const Frame& f : Frames()) {
    SCOPED_TRACE(f.expected.path);
    // The game mirrors a picture in place and keeps the offsets: the anchor only stays on the
    // body's centre for the left-facing copy if it is the middle column.
    EXPECT_EQ(f.image.width, 2 * f.expected.offsetX + 1);
    EXPECT_LT(f.expected.offsetY, f.image.height);
    EXPECT_GE(f.right, f.left) << "picture is empty";
  }
}

TEST(FrameAnchors, FeetRestOnTheRowAboveTheAnchor) {
  for (const Frame& f : Frames()) {
    SCOPED_TRACE(f.expected.path);
    const bool grounded = f.expected.kind == Kind::Stand || f.expected.kind == Kind::Run;
    if (grounded)
      EXPECT_EQ(f.bottom, f.expected.offsetY - 1);
    else
      EXPECT_LE(f.bottom, f.expected.offsetY - 1) << "nothing may hang below the body";
  }
}

TEST(FrameAnchors, FigureIsCentredOnTheAnchorColumn) {
  for (const Frame& f : Frames()) {
    SCOPED_TRACE(f.expected.path);
    const double centre = 0.5 * (f.left + f.right);
    EXPECT_NEAR(centre, f.expected.offsetX, 4.0);
  }
}

TEST(FrameAnchors, FigureFillsThePlayersBody) {
  // The body is 61 px tall above the anchor; an upright figure should nearly fill it.
  for (const Frame& f : Frames()) {
    SCOPED_TRACE(f.expected.path);
    const int height = f.bottom - f.top + 1;
    const int width = f.right - f.left + 1;
    switch (f.expected.kind) {
      case Kind::Stand:
        EXPECT_GE(height, 56);
        EXPECT_LE(height, 61);
        EXPECT_LE(width, 21) << "standing figure wider than the body";
        break;
      case Kind::Run:
        EXPECT_GE(height, 52);
        EXPECT_GE(width, 15) << "no stride";
        break;
      case Kind::Jump:
      case Kind::Fall:
        EXPECT_GE(height, 50);
        break;
    }
  }
}

TEST(KeyColour, CornersAreBackground) {
  for (const Frame& f : Frames()) {
    SCOPED_TRACE(f.expected.path);
    const Image& im = f.image;
    EXPECT_EQ(im.At(0, 0), keyColour);
    EXPECT_EQ(im.At(im.width - 1, 0), keyColour);
    EXPECT_EQ(im.At(0, im.height - 1), keyColour);
    EXPECT_EQ(im.At(im.width - 1, im.height - 1), keyColour);
  }
}

TEST(KeyColour, FigureIsDarkWithNoPaleFringe) {
  // Anything between the figure's colours and white would show as a halo on the level's
  // light grey, since only exact white is left out.
  for (const Frame& f : Frames()) {
    SCOPED_TRACE(f.expected.path);
    int pale = 0;
    for (std::uint32_t p : f.image.argb)
      if (p != keyColour &&
          (((p >> 16) & 0xFF) >= 0x80 || ((p >> 8) & 0xFF) >= 0x80 || (p & 0xFF) >= 0x80))
        ++pale;
    EXPECT_EQ(pale, 0);
  }
}

TEST(KeyColour, FigureIsOnePiece) {
  // A limb drawn off its joint leaves a separate island of pixels.
  for (const Frame& f : Frames()) {
    SCOPED_TRACE(f.expected.path);
    EXPECT_EQ(Islands(f.image), 1);
  }
}

TEST(RunCycle, FramesAreAllDifferent) {
  const std::vector<const Frame*> run = RunFrames();
  ASSERT_EQ(run.size(), 13u);
  for (std::size_t i = 0; i < run.size(); ++i)
    for (std::size_t j = i + 1; j < run.size(); ++j)
      EXPECT_NE(run[i]->image.argb, run[j]->image.argb)
          << run[i]->expected.path << " and " << run[j]->expected.path;
}

TEST(RunCycle, LoopsWithoutAJump) {
  const std::vector<const Frame*> run = RunFrames();
  ASSERT_EQ(run.size(), 13u);
  const auto apart = [&run](std::size_t i, std::size_t later) {
    return ShapeDistance(run[i]->image, run[(i + later) % run.size()]->image);
  };
  std::vector<double> steps;  // steps[i]: frame i to the next, the last wrapping to frame 0
  for (std::size_t i = 0; i < run.size(); ++i) steps.push_back(apart(i, 1));
  const double largestInside = *std::max_element(steps.begin(), steps.end() - 1);
  EXPECT_LE(steps.back(), 1.25 * largestInside) << "the wrap from the last frame stands out";

  // Each frame must be nearer its successor than a quarter stride on, or the order is wrong.
  for (std::size_t i = 0; i < run.size(); ++i)
    EXPECT_LT(steps[i], apart(i, 3)) << run[i]->expected.path;
}

TEST(RunCycle, HeadBobsGently) {
  int highest = 1 << 20, lowest = -1;
  for (const Frame* f : RunFrames()) {
    highest = std::min(highest, f->top);
    lowest = std::max(lowest, f->top);
  }
  EXPECT_GE(lowest - highest, 1) << "a run with no bounce looks like gliding";
  EXPECT_LE(lowest - highest, 3) << "the head should not bob more than a few pixels";
}
