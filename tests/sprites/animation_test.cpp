// Frame animations: file names, counting, mirrored copies and where frames are drawn.
#include <gtest/gtest.h>

#include "core/graphics/display.h"
#include "core/graphics/surface.h"
#include "core/sprites/animation.h"
#include "test_support.h"

namespace {

TEST(AnimationFiles, NamesAreStemPlusAtLeastFourDigits) {
  EXPECT_EQ(Animation::FrameFileName(L"StickStand\\Stand", 0), L"StickStand\\Stand0000.bmp");
  EXPECT_EQ(Animation::FrameFileName(L"StickRun\\Run", 12), L"StickRun\\Run0012.bmp");
  EXPECT_EQ(Animation::FrameFileName(L"X", 10000), L"X10000.bmp");
}

std::uint32_t FrameAfter(std::uint32_t frames, std::uint32_t hold, int calls) {
  TempDir empty;
  const ScopedCwd cwd(empty.path());
  Animation animation(frames, hold, 0, 0, 0, L"none");
  for (int i = 0; i < calls; ++i) animation.Advance();
  return animation.currentFrame;
}

TEST(AnimationCounting, EachFrameStaysForItsHoldCountAndTheCycleWraps) {
  for (int n = 0; n <= 60; ++n) EXPECT_EQ(FrameAfter(13, 4, n), static_cast<std::uint32_t>((n / 4) % 13)) << n;
  EXPECT_EQ(FrameAfter(13, 4, 52), 0u);
  EXPECT_EQ(FrameAfter(1, 60, 1000), 0u);
  EXPECT_EQ(FrameAfter(13, 0, 3), 3u);  // a hold of 0 acts as 1
  EXPECT_EQ(FrameAfter(13, 1, 14), 1u);
}

class AnimationDrawing : public ::testing::Test, protected ViewRig {
 protected:
  AnimationDrawing() : cwd(dir.path()) {
    // Two 3 x 2 frames: a marker pixel at the top-left, key white elsewhere.
    for (int i = 0; i < 2; ++i) {
      std::vector<std::uint32_t> pixels(6, 0xFFFFFFFF);
      pixels[0] = 0xFF000010 + i;
      pixels[5] = 0xFF000020 + i;
      WriteBmp24(dir.path() / "Fig" / ("Fig000" + std::to_string(i) + ".bmp"), 3, 2, pixels);
    }
    Fill(0u);
  }

  TempDir dir;
  ScopedCwd cwd;
};

TEST_F(AnimationDrawing, TheAnchorLandsAtTheOffsetsAfterTruncation) {
  const Animation animation(2, 1, 12, 60, 0xFFFFFFFF, L"Fig\\Fig");
  ASSERT_EQ(animation.frames[0]->width, 3u);
  animation.Draw(225.7f, 425.2f, camera);  // top-left at world (213, 365)
  EXPECT_EQ(At(213, 365), 0xFF000010u);
  EXPECT_EQ(At(215, 366), 0xFF000020u);
  EXPECT_EQ(At(214, 365), 0u);  // key white: not drawn
}

TEST_F(AnimationDrawing, APairDrawsTheFacingsAnimationAndTheLeftOneIsMirrored) {
  AnimationPair pair(2, 1, 0, 0, 0xFFFFFFFF, L"Fig\\Fig");
  pair.Draw(Direction::Left, 10, 10, camera);
  EXPECT_EQ(At(12, 10), 0xFF000010u);
  EXPECT_EQ(At(10, 11), 0xFF000020u);
  pair.Draw(Direction::Right, 20, 10, camera);
  EXPECT_EQ(At(20, 10), 0xFF000010u);
  pair.Draw(static_cast<Direction>(7), 30, 10, camera);  // neither facing: nothing
  EXPECT_EQ(At(30, 10), 0u);
}

TEST_F(AnimationDrawing, FacingsAdvanceIndependentlyAndMirrorsStartFresh) {
  AnimationPair pair(2, 1, 5, 6, 0xFFFFFFFF, L"Fig\\Fig");
  pair.Advance(Direction::Left);
  EXPECT_EQ(pair.left->currentFrame, 1u);
  EXPECT_EQ(pair.right->currentFrame, 0u);
  pair.Advance(Direction::Right);
  pair.Advance(Direction::Right);
  EXPECT_EQ(pair.right->currentFrame, 0u);
  EXPECT_EQ(pair.left->currentFrame, 1u);

  pair.right->Advance();
  const auto mirror = pair.right->CreateMirrored();
  EXPECT_EQ(mirror->currentFrame, 0u);
  EXPECT_EQ(mirror->holdCounter, 0u);
  EXPECT_EQ(mirror->offsetX, 5);
  EXPECT_EQ(mirror->offsetY, 6);
  EXPECT_EQ(mirror->frameCount, 2u);
  EXPECT_NE(mirror->frames[0]->pixels.get(), pair.right->frames[0]->pixels.get());
}

TEST_F(AnimationDrawing, MissingFramesAreEmptyButStillCounted) {
  Animation animation(4, 1, 0, 0, 0xFFFFFFFF, L"Fig\\Fig");  // frames 2 and 3 do not exist
  EXPECT_EQ(animation.frames[2]->width, 0u);
  for (int i = 0; i < 3; ++i) animation.Advance();
  EXPECT_EQ(animation.currentFrame, 3u);
  animation.Draw(50, 50, camera);
  EXPECT_EQ(Count(0u), Display::pixelCount);
  animation.Advance();
  EXPECT_EQ(animation.currentFrame, 0u);
}

}  // namespace
