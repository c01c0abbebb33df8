// The hostile bitmap corpus (tests/corpus/bmp, written by tools/soak/make_bmp_corpus.py): every
// file goes through the game's own loading path and must come out as the picture it encodes or
// as an empty image, without a crash and without a large allocation.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "allocation_counter.h"
#include "graphics/image_loader.h"
#include "graphics/surface.h"

namespace fs = std::filesystem;

namespace {

constexpr std::uint64_t allocationLimit = 64ull << 20;

struct Expectation {
  std::string name;
  std::string outcome;  // picture, empty or either
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  std::vector<Pixel> pixels;
};

fs::path CorpusDir() { return FENNWICK_BMP_CORPUS_DIR; }

std::vector<Expectation> ReadManifest() {
  std::vector<Expectation> entries;
  std::ifstream in(CorpusDir() / "manifest.txt");
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream words(line);
    Expectation e;
    words >> e.name >> e.outcome;
    if (e.outcome == "picture") {
      words >> e.width >> e.height;
      std::string hex;
      while (words >> hex) e.pixels.push_back(static_cast<Pixel>(std::stoul(hex, nullptr, 16)));
    }
    entries.push_back(std::move(e));
  }
  return entries;
}

std::vector<unsigned char> ReadFile(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), {});
}

std::wstring Wide(const fs::path& path) {
  const std::string narrow = path.string();
  return std::wstring(narrow.begin(), narrow.end());
}

std::string Hex(Pixel p) {
  char text[16];
  std::snprintf(text, sizeof text, "%08X", p);
  return text;
}

// Checks a decoded image against what the manifest says of its file.
void ExpectOutcome(const Expectation& e, std::uint32_t width, std::uint32_t height, const Pixel* pixels) {
  if (e.outcome == "empty") {
    EXPECT_EQ(width, 0u);
    EXPECT_EQ(height, 0u);
  } else if (e.outcome == "either") {
    EXPECT_EQ(width == 0, height == 0) << "a picture with no pixels in one direction only";
  } else {
    ASSERT_EQ(width, e.width);
    ASSERT_EQ(height, e.height);
    for (std::size_t i = 0; i < e.pixels.size(); ++i)
      EXPECT_EQ(Hex(pixels[i]), Hex(e.pixels[i])) << "pixel " << i % e.width << ", " << i / e.width;
  }
}

TEST(BitmapCorpus, ManifestAndFolderAgree) {
  const std::vector<Expectation> entries = ReadManifest();
  ASSERT_GE(entries.size(), 40u) << "the corpus is missing or was not generated";
  std::set<std::string> listed;
  for (const Expectation& e : entries) {
    EXPECT_TRUE(listed.insert(e.name).second) << e.name << " is listed twice";
    EXPECT_TRUE(e.outcome == "picture" || e.outcome == "empty" || e.outcome == "either") << e.name;
    if (e.outcome == "picture") {
      EXPECT_EQ(e.pixels.size(), std::size_t{e.width} * e.height) << e.name;
    }
    EXPECT_TRUE(fs::is_regular_file(CorpusDir() / e.name)) << e.name << " is listed but missing";
  }
  for (const auto& file : fs::directory_iterator(CorpusDir())) {
    const std::string name = file.path().filename().string();
    if (name != "manifest.txt") {
      EXPECT_EQ(listed.count(name), 1u) << name << " is not in the manifest";
    }
  }
}

TEST(BitmapCorpus, EveryFileLoadsAsItsManifestSaysThroughTheGamesSurfaces) {
  std::map<std::string, int> outcomes;
  for (const Expectation& e : ReadManifest()) {
    SCOPED_TRACE(e.name);
    const AllocationWatch watch;
    const KeyedSurface surface(Wide(CorpusDir() / e.name), 0xFFFFFFFF);
    const AllocationCount used = watch.Since();
    ExpectOutcome(e, surface.width, surface.height, surface.pixels.get());
    EXPECT_LE(used.bytes, allocationLimit);
    ++outcomes[surface.width == 0 ? "empty" : "picture"];

    // The mirrored copy is what the game makes of every frame; it must cope with whatever
    // loading produced.
    const auto mirrored = surface.CreateMirrored();
    EXPECT_EQ(mirrored->width, surface.width);
    EXPECT_EQ(mirrored->height, surface.height);
  }
  std::printf("corpus: %d loaded as pictures, %d as empty images\n", outcomes["picture"], outcomes["empty"]);
}

TEST(BitmapCorpus, DecodingFromMemoryAgreesWithLoadingTheFile) {
  for (const Expectation& e : ReadManifest()) {
    SCOPED_TRACE(e.name);
    const std::vector<unsigned char> bytes = ReadFile(CorpusDir() / e.name);
    const Image fromMemory = DecodeBmp(bytes.data(), bytes.size());
    const Image fromFile = LoadImageFile(Wide(CorpusDir() / e.name));
    ExpectOutcome(e, fromMemory.width, fromMemory.height, fromMemory.pixels.get());
    ASSERT_EQ(fromMemory.width, fromFile.width);
    ASSERT_EQ(fromMemory.height, fromFile.height);
    for (std::size_t i = 0; i < std::size_t{fromFile.width} * fromFile.height; ++i)
      ASSERT_EQ(fromMemory.pixels[i], fromFile.pixels[i]) << "pixel " << i;
  }
}

// A file cut short anywhere (a copy interrupted, a download stopped) gives the whole picture
// or nothing: never a picture of the right size with rows of garbage or zeros in it.
TEST(BitmapCorpus, EveryTruncationOfAValidFileLoadsWholeOrEmpty) {
  int cuts = 0;
  for (const Expectation& e : ReadManifest()) {
    if (e.outcome != "picture") continue;
    SCOPED_TRACE(e.name);
    const std::vector<unsigned char> bytes = ReadFile(CorpusDir() / e.name);
    for (std::size_t length = 0; length < bytes.size(); ++length, ++cuts) {
      const Image image = DecodeBmp(bytes.data(), length);
      if (image.width == 0 && image.height == 0) continue;
      SCOPED_TRACE("cut to " + std::to_string(length) + " of " + std::to_string(bytes.size()) + " bytes");
      ExpectOutcome(e, image.width, image.height, image.pixels.get());
    }
  }
  EXPECT_GT(cuts, 1000);
}

// The header is believed only as far as the file can back it: a few bytes that claim a big
// picture cost a few bytes, not the picture's size, even when the claim is within the limits
// (uncompressed data too short for it, or run-length data that paints almost none of it).
TEST(BitmapCorpus, SizeClaimsAreCheckedBeforeAnythingIsAllocatedForThem) {
  for (const char* name : {"bad_claims_4096_square_tiny_file.bmp", "bad_claims_gigabytes.bmp",
                           "bad_size_overflows_32_bits.bmp", "bad_bytes_overflow_32_bits.bmp",
                           "bad_truncated_pixels.bmp", "bad_core_header_huge.bmp", "bad_rle8_bomb.bmp",
                           "bad_rle4_bomb.bmp", "fuzz_oom_rle8_4096_square.bmp"}) {
    SCOPED_TRACE(name);
    const std::vector<unsigned char> bytes = ReadFile(CorpusDir() / name);
    ASSERT_FALSE(bytes.empty());
    const AllocationWatch watch;
    const Image image = DecodeBmp(bytes.data(), bytes.size());
    EXPECT_EQ(image.width, 0u);
    EXPECT_LT(watch.Since().bytes, 64u * 1024u);
  }
}

TEST(BitmapCorpus, ADirectoryOrAMissingFileWithABitmapsNameLoadsEmpty) {
  const fs::path dir = fs::temp_directory_path() / ("fennwick-bmp-dir-" + std::to_string(getpid()));
  fs::create_directories(dir / "Stand0000.bmp");
  for (const fs::path& path : {dir / "Stand0000.bmp", dir / "Nothing0000.bmp", dir / "no" / "such" / "x.bmp"}) {
    SCOPED_TRACE(path.string());
    const KeyedSurface surface(Wide(path), 0xFFFFFFFF);
    EXPECT_EQ(surface.width, 0u);
    EXPECT_EQ(surface.height, 0u);
  }
  fs::remove_all(dir);
}

TEST(BitmapCorpus, NullOrEmptyMemoryDecodesEmpty) {
  EXPECT_EQ(DecodeBmp(nullptr, 0).width, 0u);
  EXPECT_EQ(DecodeBmp(nullptr, 100).width, 0u);
  const unsigned char magic[] = {'B', 'M'};
  EXPECT_EQ(DecodeBmp(magic, 0).width, 0u);
  EXPECT_EQ(DecodeBmp(magic, sizeof magic).width, 0u);
}

}  // namespace
