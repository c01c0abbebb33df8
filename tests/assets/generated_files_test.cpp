// The committed pictures must be exactly what the generator draws today, in the formats the
// game and the Windows resources read.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>

#include "../support/temp_dir.h"
#include "expected_frames.h"
#include "image_files.h"
#include "image_reader.h"

namespace fs = std::filesystem;
using namespace assettest;

namespace {

int RunGenerator(const std::string& arguments) {
  const std::string command = std::string("\"") + FENNWICK_ASSETGEN + "\" " + arguments;
#ifdef _WIN32
  return std::system(("\"" + command + "\"").c_str());  // cmd.exe strips the outer quotes
#else
  return std::system(command.c_str());
#endif
}

std::string Quoted(const fs::path& path) { return "\"" + path.string() + "\""; }

// Where the committed copy of a generated file lives.
fs::path CommittedCopy(const std::string& generated) {
  return generated == "icons/icon32_pixels.inc" ? iconPixelList : assetsDir / generated;
}

// Included the way the SDL layer includes it, so a fragment that would not compile there does
// not compile here either.
const std::uint32_t iconPixels[] = {
#include "front/icon32_pixels.inc"
};
static_assert(sizeof iconPixels / sizeof iconPixels[0] == 32 * 32, "one value a pixel");

// A checkout may turn the fragment's line ends into CR LF; the pictures are compared as is.
Bytes Contents(const fs::path& path) {
  Bytes bytes = ReadBytes(path);
  if (path.extension() == ".inc")
    bytes.erase(std::remove(bytes.begin(), bytes.end(), '\r'), bytes.end());
  return bytes;
}

}  // namespace

TEST(GeneratedFiles, EveryPictureTheGameLoadsIsCommitted) {
  for (const ExpectedFrame& frame : ExpectedFrames())
    EXPECT_TRUE(fs::is_regular_file(assetsDir / frame.path)) << frame.path;
  for (const std::string& icon : iconFiles)
    EXPECT_TRUE(fs::is_regular_file(assetsDir / icon)) << icon;
  for (const std::string& icon : pngIconFiles)
    EXPECT_TRUE(fs::is_regular_file(assetsDir / icon)) << icon;
  EXPECT_TRUE(fs::is_regular_file(iconPixelList));
}

TEST(GeneratedFiles, RegeneratingReproducesTheCommittedFilesByteForByte) {
  TempDir scratch;
  ASSERT_EQ(RunGenerator(Quoted(scratch.path() / "out")), 0);

  std::set<std::string> written;
  for (const auto& entry : fs::recursive_directory_iterator(scratch.path() / "out"))
    if (entry.is_regular_file())
      written.insert(entry.path().lexically_relative(scratch.path() / "out").generic_string());

  std::set<std::string> expected{"icons/icon32_pixels.inc"};
  for (const ExpectedFrame& frame : ExpectedFrames()) expected.insert(frame.path);
  expected.insert(iconFiles.begin(), iconFiles.end());
  expected.insert(pngIconFiles.begin(), pngIconFiles.end());
  for (const auto& icon : appIconFiles) expected.insert(icon.first);
  EXPECT_EQ(written, expected);

  for (const std::string& name : written) {
    const fs::path committed = CommittedCopy(name);
    ASSERT_TRUE(fs::is_regular_file(committed)) << name << " was generated but not committed";
    EXPECT_TRUE(Contents(scratch.path() / "out" / name) == Contents(committed))
        << name << " differs from the committed copy; rebuild target fennwick-assets";
  }
}

TEST(GeneratedFiles, GeneratorReportsFailure) {
  TempDir scratch;
  EXPECT_NE(RunGenerator(""), 0) << "no output folder given";
  EXPECT_NE(RunGenerator("--contact-sheet x.bmp"), 0) << "only an option given";

  // A folder cannot be made beneath a plain file.
  std::ofstream(scratch.path() / "plain-file") << "in the way";
  EXPECT_NE(RunGenerator(Quoted(scratch.path() / "plain-file" / "out")), 0);
}

TEST(GeneratedFiles, ContactSheetIsWrittenOnRequest) {
  TempDir scratch;
  ASSERT_EQ(RunGenerator(Quoted(scratch.path() / "out") + " --contact-sheet " +
                         Quoted(scratch.path() / "sheet.bmp")),
            0);
  const Image sheet = DecodeBmp24(ReadBytes(scratch.path() / "sheet.bmp"));
  EXPECT_EQ(sheet.At(0, 0), 0xFFE0E0E0u) << "the sheet shows frames on the level's grey";
}

TEST(FileFormats, FramesAreUncompressed24BitBottomUpBitmaps) {
  for (const ExpectedFrame& frame : ExpectedFrames()) {
    SCOPED_TRACE(frame.path);
    EXPECT_NO_THROW(DecodeBmp24(ReadBytes(assetsDir / frame.path)));
  }
}

TEST(FileFormats, IconsAre32BitWithAlphaAndAMatchingMask) {
  const int sizes[] = {16, 32};
  for (std::size_t i = 0; i < iconFiles.size(); ++i) {
    SCOPED_TRACE(iconFiles[i]);
    Image icon;
    ASSERT_NO_THROW(icon = DecodeIco32(ReadBytes(assetsDir / iconFiles[i])));
    EXPECT_EQ(icon.width, sizes[i]);
    EXPECT_EQ(icon.height, sizes[i]);

    int transparent = 0, opaque = 0;
    for (int y = 0; y < icon.height; ++y)
      for (int x = 0; x < icon.width; ++x) {
        const std::uint32_t alpha = icon.At(x, y) >> 24;
        const bool masked = icon.masked[static_cast<std::size_t>(y * icon.width + x)];
        EXPECT_EQ(masked, alpha == 0) << "at " << x << "," << y;
        if (alpha == 0) ++transparent;
        if (alpha == 255) ++opaque;
      }
    EXPECT_EQ(icon.At(0, 0) >> 24, 0u) << "background must be transparent";
    EXPECT_EQ(icon.At(icon.width - 1, 0) >> 24, 0u);
    // A figure: neither a few stray pixels nor a filled square.
    EXPECT_GT(opaque, icon.width * icon.height / 10);
    EXPECT_GT(transparent, icon.width * icon.height / 3);
  }
}

TEST(FileFormats, DesktopIconsArePngsOfTheWindowsIconsPictures) {
  for (std::size_t i = 0; i < pngIconFiles.size(); ++i) {
    SCOPED_TRACE(pngIconFiles[i]);
    Image png;
    ASSERT_NO_THROW(png = DecodePng(ReadBytes(assetsDir / pngIconFiles[i])));
    const Image ico = DecodeIco32(ReadBytes(assetsDir / iconFiles[i]));
    EXPECT_EQ(png.width, ico.width);
    EXPECT_EQ(png.height, ico.height);
    EXPECT_EQ(png.argb, ico.argb);
  }
}

TEST(FileFormats, HomeScreenIconsAreOpaqueSquaresWithTheFigureInTheMiddle) {
  for (const auto& [file, size] : appIconFiles) {
    SCOPED_TRACE(file);
    Image png;
    ASSERT_NO_THROW(png = DecodePng(ReadBytes(assetsDir / file)));
    EXPECT_EQ(png.width, size);
    EXPECT_EQ(png.height, size);
    int figure = 0;
    for (int y = 0; y < png.height; ++y)
      for (int x = 0; x < png.width; ++x) {
        const std::uint32_t pixel = png.At(x, y);
        ASSERT_EQ(pixel >> 24, 0xFFu) << "a home screen shows no hole at " << x << "," << y;
        if (pixel == png.At(0, 0)) continue;
        ++figure;
        // A launcher's round mask keeps the middle; the figure must not reach its corners.
        const int dx = 2 * x - size, dy = 2 * y - size;
        EXPECT_LT(dx * dx + dy * dy, size * size) << "at " << x << "," << y;
      }
    EXPECT_GT(figure, size * size / 40) << "the figure is there, not a few stray pixels";
  }
}

TEST(FileFormats, WindowIconPixelsMatchThe32PixelIcon) {
  std::ifstream in(iconPixelList);
  std::string first;
  std::getline(in, first);
  EXPECT_EQ(first.rfind("// ", 0), 0u);
  EXPECT_NE(first.find("fennwick-assetgen"), std::string::npos);

  const Image icon = DecodeIco32(ReadBytes(assetsDir / "icons/fennwick32.ico"));
  const std::vector<std::uint32_t> included(std::begin(iconPixels), std::end(iconPixels));
  EXPECT_EQ(included, icon.argb) << "the window icon must be the same picture, top row first";
}

TEST(FileFormats, PngsKeepEveryPixelWithOrWithoutAPalette) {
  // A few colours, one of them half seen through, and then more colours than a palette holds.
  assetgen::Canvas few(7, 5, 0xFF336699u);
  few.Set(1, 1, 0x80FFFFFFu);
  few.Set(6, 4, 0x00000000u);
  assetgen::Canvas many(20, 20, 0u);
  for (std::int32_t y = 0; y < 20; ++y)
    for (std::int32_t x = 0; x < 20; ++x) many.Set(x, y, 0x01000000u * static_cast<std::uint32_t>(x + 1) + 0x0103u * static_cast<std::uint32_t>(y));
  for (const assetgen::Canvas* canvas : {&few, &many}) {
    const assetgen::Bytes png = assetgen::EncodePng(*canvas);
    ASSERT_GT(png.size(), 26u);
    EXPECT_EQ(png[25], canvas == &few ? 3 : 6) << "colour type";
    Image decoded;
    ASSERT_NO_THROW(decoded = DecodePng(png));
    ASSERT_EQ(decoded.width, canvas->Width());
    ASSERT_EQ(decoded.height, canvas->Height());
    for (std::int32_t y = 0; y < canvas->Height(); ++y)
      for (std::int32_t x = 0; x < canvas->Width(); ++x)
        ASSERT_EQ(decoded.At(x, y), canvas->At(x, y)) << x << "," << y;
  }
}
