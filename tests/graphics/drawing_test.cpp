// Filling, keyed copying, surfaces and mirroring in the frame buffer.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <vector>

#include "core/game/camera.h"
#include "core/graphics/back_buffer_copy.h"
#include "core/graphics/display.h"
#include "platform/headless/display_headless.h"
#include "core/graphics/surface.h"
#include "test_support.h"

namespace {

constexpr Pixel background = 0x11111111;
const RectI screen{0, 600, 0, 800};

class DrawingTest : public ::testing::Test, protected ViewRig {
 protected:
  DrawingTest() { Fill(background); }

  // The bounding box of every pixel that differs from the background, or an empty box.
  RectI Touched() const {
    RectI box{600, 0, 800, 0};
    for (int y = 0; y < Display::height; ++y)
      for (int x = 0; x < Display::width; ++x)
        if (At(x, y) != background) {
          box.top = std::min(box.top, y);
          box.bottom = std::max(box.bottom, y + 1);
          box.left = std::min(box.left, x);
          box.right = std::max(box.right, x + 1);
        }
    return box;
  }
  std::size_t CountTouched() const { return Display::pixelCount - Count(background); }
};

void ExpectBox(const RectI& box, int top, int bottom, int left, int right) {
  EXPECT_EQ(box.top, top);
  EXPECT_EQ(box.bottom, bottom);
  EXPECT_EQ(box.left, left);
  EXPECT_EQ(box.right, right);
}

TEST_F(DrawingTest, FillRectFillsExactlyTheClippedRectangle) {
  display.FillRect(-5, 20, 790, 830, 0xFF123456, screen);
  ExpectBox(Touched(), 0, 20, 790, 800);
  EXPECT_EQ(CountTouched(), 20u * 10u);
  EXPECT_EQ(At(795, 10), 0xFF123456u);
}

TEST_F(DrawingTest, FillRectBottomAndRightAreExclusive) {
  display.FillRect(0, 25, 0, 25, 1, screen);
  ExpectBox(Touched(), 0, 25, 0, 25);
  EXPECT_EQ(CountTouched(), 625u);
}

TEST_F(DrawingTest, FillRectWithNothingInsideWritesNothing) {
  display.FillRect(10, 10, 0, 800, 1, screen);     // no height
  display.FillRect(0, 600, 300, 300, 1, screen);   // no width
  display.FillRect(0, 600, 400, 300, 1, screen);   // left beyond right
  display.FillRect(-50, -1, 0, 800, 1, screen);    // above
  display.FillRect(600, 700, 0, 800, 1, screen);   // below
  display.FillRect(0, 600, -90, 0, 1, screen);     // left of it
  display.FillRect(0, 600, 800, 900, 1, screen);   // right of it
  display.FillRect(100, 200, 100, 200, 1, RectI{300, 400, 300, 400});  // outside a smaller clip
  EXPECT_EQ(CountTouched(), 0u);
}

TEST_F(DrawingTest, FillRectRespectsASmallerClip) {
  display.FillRect(0, 600, 0, 800, 7, RectI{10, 20, 30, 40});
  ExpectBox(Touched(), 10, 20, 30, 40);
}

std::vector<Pixel> Numbered(std::uint32_t w, std::uint32_t h) {
  std::vector<Pixel> block(static_cast<std::size_t>(w) * h);
  for (std::size_t i = 0; i < block.size(); ++i) block[i] = 0xFF000000u | static_cast<Pixel>(i + 1);
  return block;
}

TEST_F(DrawingTest, KeyedCopyLeavesKeyPixelsAndComparesAllThirtyTwoBits) {
  const Pixel key = 0xFFFFFFFF;
  std::vector<Pixel> block = {key, 0x00FFFFFF, 0xFF000001, key};
  display.DrawKeyed(block.data(), key, 2, 2, 100, 50, screen);
  EXPECT_EQ(At(100, 50), background);
  EXPECT_EQ(At(101, 50), 0x00FFFFFFu);  // differs from the key only in alpha: drawn
  EXPECT_EQ(At(100, 51), 0xFF000001u);
  EXPECT_EQ(At(101, 51), background);
}

TEST_F(DrawingTest, KeyedCopyClipsWithoutShiftingThePicture) {
  const auto block = Numbered(30, 20);
  struct Case { int left, top; };
  for (Case c : {Case{-10, -5}, Case{790, 590}, Case{-29, 100}, Case{400, -19}}) {
    Fill(background);
    display.DrawKeyed(block.data(), 0, 30, 20, c.left, c.top, screen);
    for (int r = 0; r < 20; ++r)
      for (int col = 0; col < 30; ++col) {
        const int x = c.left + col;
        const int y = c.top + r;
        if (x < 0 || x >= 800 || y < 0 || y >= 600) continue;
        ASSERT_EQ(At(x, y), block[r * 30 + col]) << c.left << "," << c.top;
      }
    ExpectBox(Touched(), std::max(c.top, 0), std::min(c.top + 20, 600), std::max(c.left, 0),
              std::min(c.left + 30, 800));
  }
}

TEST_F(DrawingTest, KeyedCopyWhollyOutsideTheClipWritesNothing) {
  const auto block = Numbered(30, 20);
  for (auto [left, top] : {std::pair{-30, 0}, std::pair{800, 0}, std::pair{0, -20}, std::pair{0, 600},
                           std::pair{-2147483600, 0}, std::pair{2147483600, 2147483600}})
    display.DrawKeyed(block.data(), 0, 30, 20, left, top, screen);
  display.DrawKeyed(block.data(), 0, 30, 20, 0, 0, RectI{100, 200, 100, 200});
  display.DrawKeyed(block.data(), 0, 0, 0, 10, 10, screen);
  EXPECT_EQ(CountTouched(), 0u);
}

TEST_F(DrawingTest, FullScreenBlockCoversTheWholeClip) {
  const auto block = Numbered(800, 600);
  display.DrawKeyed(block.data(), 0, 800, 600, 0, 0, screen);
  EXPECT_TRUE(std::equal(block.begin(), block.end(), display.frameBuffer));
}

// Surfaces made straight from pixels, as loading would make them.
struct TestSurface : Surface {
  TestSurface(std::uint32_t w, std::uint32_t h, std::vector<Pixel> p)
      : Surface(w, h, std::unique_ptr<Pixel[]>(new Pixel[p.size()])) {
    std::copy(p.begin(), p.end(), pixels.get());
  }
};

std::unique_ptr<Pixel[]> Copy(const std::vector<Pixel>& p) {
  std::unique_ptr<Pixel[]> copy(new Pixel[p.size()]);
  std::copy(p.begin(), p.end(), copy.get());
  return copy;
}

TEST_F(DrawingTest, SurfaceDrawTruncatesTowardZeroThroughTheCamera) {
  const KeyedSurface dot(1, 1, Copy({0xFFABCDEF}), 0);
  camera.x = 10.5f;  // 10 - 10.5 = -0.5 lands on column 0, not -1
  dot.Draw(10, 5, camera);
  EXPECT_EQ(At(0, 5), 0xFFABCDEFu);
  Fill(background);
  camera.x = 9.5f;  // 0.5 also lands on column 0
  camera.y = 4.75f;
  dot.Draw(10, 5, camera);
  EXPECT_EQ(At(0, 0), 0xFFABCDEFu);
  EXPECT_EQ(CountTouched(), 1u);
}

TEST_F(DrawingTest, PlainSurfaceSkipsMagentaAndKeyedSurfaceItsOwnKey) {
  const std::vector<Pixel> pixels = {Surface::defaultKey, 0xFFFFFFFF};
  TestSurface plain(2, 1, pixels);
  plain.Draw(0, 0, camera);
  EXPECT_EQ(At(0, 0), background);
  EXPECT_EQ(At(1, 0), 0xFFFFFFFFu);
  const KeyedSurface keyed(2, 1, Copy(pixels), 0xFFFFFFFF);
  keyed.Draw(0, 1, camera);
  EXPECT_EQ(At(0, 1), Surface::defaultKey);
  EXPECT_EQ(At(1, 1), background);
}

TEST(SurfaceMirroring, MirrorsRowsKeepsClassAndKeyAndRestoresOnSecondMirror) {
  const std::vector<Pixel> pixels = {1, 2, 3, 4, 5, 6};
  const KeyedSurface source(3, 2, Copy(pixels), 0xFF00FF00);
  const auto once = source.CreateMirrored();
  const auto* keyed = dynamic_cast<const KeyedSurface*>(once.get());
  ASSERT_NE(keyed, nullptr);
  EXPECT_EQ(keyed->key, 0xFF00FF00u);
  EXPECT_EQ(once->width, 3u);
  EXPECT_EQ(once->height, 2u);
  EXPECT_EQ(std::vector<Pixel>(once->pixels.get(), once->pixels.get() + 6), (std::vector<Pixel>{3, 2, 1, 6, 5, 4}));
  EXPECT_NE(once->pixels.get(), source.pixels.get());
  const auto twice = once->CreateMirrored();
  EXPECT_EQ(std::vector<Pixel>(twice->pixels.get(), twice->pixels.get() + 6), pixels);
  EXPECT_EQ(std::vector<Pixel>(source.pixels.get(), source.pixels.get() + 6), pixels);

  const TestSurface plain(1, 3, {7, 8, 9});
  const auto plainMirror = plain.CreateMirrored();
  EXPECT_EQ(dynamic_cast<const KeyedSurface*>(plainMirror.get()), nullptr);
  EXPECT_EQ(std::vector<Pixel>(plainMirror->pixels.get(), plainMirror->pixels.get() + 3), (std::vector<Pixel>{7, 8, 9}));

  const TestSurface empty(0, 0, {});
  const auto emptyMirror = empty.CreateMirrored();
  EXPECT_EQ(emptyMirror->width, 0u);
  EXPECT_EQ(emptyMirror->height, 0u);
}

TEST(SurfaceLoading, ReadsABitmapAsOpaquePixelsTopRowFirst) {
  TempDir dir;
  WriteBmp24(dir.path() / "Pic" / "Pic0000.bmp", 3, 2, {0xFFFFFFFF, 0xFF102030, 0xFF000000, 0xFFFF0000, 0xFF00FF00, 0xFF0000FF});
  const ScopedCwd cwd(dir.path());
  const KeyedSurface surface(L"Pic\\Pic0000.bmp", 0xFFFFFFFF);  // the game's own separator
  ASSERT_EQ(surface.width, 3u);
  ASSERT_EQ(surface.height, 2u);
  EXPECT_EQ(std::vector<Pixel>(surface.pixels.get(), surface.pixels.get() + 6),
            (std::vector<Pixel>{0xFFFFFFFF, 0xFF102030, 0xFF000000, 0xFFFF0000, 0xFF00FF00, 0xFF0000FF}));
}

TEST(SurfaceLoading, MissingOrUnreadableFileGivesAnEmptySurfaceThatDrawsNothing) {
  TempDir dir;
  std::filesystem::create_directories(dir.path() / "Folder.bmp");
  { std::ofstream(dir.path() / "text.bmp") << "not a picture"; }
  const ScopedCwd cwd(dir.path());
  for (const wchar_t* name : {L"Nothing\\Here0000.bmp", L"Folder.bmp", L"text.bmp"}) {
    const KeyedSurface surface(name, 0);
    EXPECT_EQ(surface.width, 0u);
    EXPECT_EQ(surface.height, 0u);
    ViewRig view;
    view.Fill(background);
    surface.Draw(0, 0, view.camera);
    surface.CreateMirrored()->Draw(0, 0, view.camera);
    EXPECT_EQ(view.Count(background), Display::pixelCount);
  }
}

TEST(HeadlessDisplay, EndFrameCopiesRowsIntoAPitchedBufferUnskewed) {
  Display display(nullptr);
  for (std::size_t i = 0; i < Display::pixelCount; ++i) display.frameBuffer[i] = static_cast<Pixel>(i * 2654435761u);
  display.EndFrame();
  for (int y : {0, 1, 299, 599})
    for (int x : {0, 1, 400, 799})
      ASSERT_EQ(HeadlessPresentation(display).PresentedPixel(x, y), display.frameBuffer[y * 800 + x]) << x << "," << y;
  EXPECT_EQ(HeadlessPresentation(display).frames, 1);
}

// Back buffers the screen chose: 16-bit desktops, odd pitches, sizes other than the frame's.
TEST(BackBufferCopy, KnowsOnlyTheFormatsItCanFill) {
  EXPECT_EQ(LayoutOfFormat(21), BackBufferLayout::Xrgb8888);
  EXPECT_EQ(LayoutOfFormat(22), BackBufferLayout::Xrgb8888);
  EXPECT_EQ(LayoutOfFormat(23), BackBufferLayout::Rgb565);
  EXPECT_EQ(LayoutOfFormat(24), BackBufferLayout::Xrgb1555);
  for (std::uint32_t other : {0u, 20u, 25u, 35u, 41u})
    EXPECT_EQ(LayoutOfFormat(other), BackBufferLayout::Unknown) << other;
}

TEST(BackBufferCopy, SixteenBitPixelsScaleEachChannelDown) {
  const Pixel frame[] = {0xFFFFFFFF, 0x00FF0000, 0xFF00FF00, 0x000000FF,
                         0x12345678, 0xFFE0E0E0, 0x00080408, 0x00090509};
  std::uint16_t rgb565[8], xrgb1555[8];
  CopyFrameToRows(frame, 8, 1, {reinterpret_cast<std::uint8_t*>(rgb565), 16, 8, 1, BackBufferLayout::Rgb565});
  CopyFrameToRows(frame, 8, 1, {reinterpret_cast<std::uint8_t*>(xrgb1555), 16, 8, 1, BackBufferLayout::Xrgb1555});
  EXPECT_EQ(std::vector<std::uint16_t>(rgb565, rgb565 + 8),
            (std::vector<std::uint16_t>{0xFFFF, 0xF800, 0x07E0, 0x001F, 0x32AE, 0xDEFB, 0x0000, 0x0821}));
  EXPECT_EQ(std::vector<std::uint16_t>(xrgb1555, xrgb1555 + 8),
            (std::vector<std::uint16_t>{0x7FFF, 0x7C00, 0x03E0, 0x001F, 0x194E, 0x6F7B, 0x0000, 0x0401}));
}

TEST(BackBufferCopy, WritesOnlyWhatEachRowOfTheSurfaceHolds) {
  constexpr std::uint8_t untouched = 0xAB;
  Pixel frame[12];  // 4 x 3, no byte of any of its conversions is 0xAB
  for (Pixel i = 0; i < 12; ++i) frame[i] = 0xFF000000u | (i + 1) * 0x010101u;
  struct Case {
    const char* what;
    BackBufferLayout layout;
    std::int32_t pitch;
    std::uint32_t width, height, bytesWritten, rowsWritten;
  };
  const Case cases[] = {
      {"a pitch wider than the row", BackBufferLayout::Xrgb8888, 24, 4, 3, 16, 3},
      {"16-bit rows", BackBufferLayout::Rgb565, 8, 4, 3, 8, 3},
      {"32 bits claimed with a 16-bit pitch", BackBufferLayout::Xrgb8888, 8, 4, 3, 8, 3},
      {"a surface smaller than the frame", BackBufferLayout::Xrgb1555, 8, 2, 2, 4, 2},
      {"an unknown format", BackBufferLayout::Unknown, 16, 4, 3, 0, 0},
      {"no pitch", BackBufferLayout::Xrgb8888, 0, 4, 3, 0, 0},
      {"a negative pitch", BackBufferLayout::Xrgb8888, -16, 4, 3, 0, 0},
  };
  for (const Case& c : cases) {
    std::vector<std::uint8_t> bits(128, untouched);
    CopyFrameToRows(frame, 4, 3, {bits.data(), c.pitch, c.width, c.height, c.layout});
    for (std::size_t i = 0; i < bits.size(); ++i) {
      const bool written = c.pitch > 0 && i / c.pitch < c.rowsWritten && i % c.pitch < c.bytesWritten;
      ASSERT_EQ(bits[i] != untouched, written) << c.what << ", byte " << i;
    }
    if (c.layout == BackBufferLayout::Xrgb8888 && c.rowsWritten == 3) {
      EXPECT_EQ(std::memcmp(&bits[2 * c.pitch], &frame[8], 8), 0) << c.what << ": the last row, unskewed";
    }
  }
}

}  // namespace
