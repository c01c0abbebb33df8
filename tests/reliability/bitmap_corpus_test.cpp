// The hostile bitmap corpus (tests/corpus/bmp, written by tools/soak/make_bmp_corpus.py): every
// file goes through the game's own loading path and must come out as the picture it encodes or
// as an empty image, without a crash and without a large allocation.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "bmp_manifest.h"
#include "core/graphics/bmp_header.h"
#include "platform/sdl/image_sdl.h"
#include "core/graphics/surface.h"
#include "heap_counter.h"
#include "test_support.h"

namespace fs = std::filesystem;

namespace {

constexpr std::uint64_t allocationLimit = 64ull << 20;

using bmp_manifest::Expectation;

fs::path CorpusDir() { return FENNWICK_BMP_CORPUS_DIR; }

std::vector<Expectation> ReadManifest() {
  return bmp_manifest::Read((CorpusDir() / "manifest.txt").string(), "sdl");
}

std::vector<unsigned char> CorpusFile(const std::string& name) {
  return bmp_manifest::ReadFile((CorpusDir() / name).string());
}

std::wstring Wide(const fs::path& path) {
  const std::string narrow = path.string();
  return std::wstring(narrow.begin(), narrow.end());
}

void ExpectOutcome(const Expectation& e, std::uint32_t width, std::uint32_t height, const Pixel* pixels) {
  EXPECT_EQ(bmp_manifest::Mismatch(e, width, height, pixels), "");
}

TEST(BitmapCorpus, ManifestAndFolderAgree) {
  const std::vector<Expectation> entries = ReadManifest();
  ASSERT_GE(entries.size(), 40u) << "the corpus is missing or was not generated";
  std::set<std::string> listed;
  for (const Expectation& e : entries) {
    EXPECT_TRUE(listed.insert(e.name).second) << e.name << " is listed twice";
    EXPECT_TRUE(e.recognised) << e.name;
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
    const HeapWatch watch;
    const KeyedSurface surface(Wide(CorpusDir() / e.name), 0xFFFFFFFF);
    const HeapActivity used = watch.Since();
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
    const std::vector<unsigned char> bytes = CorpusFile(e.name);
    const Image fromMemory = DecodeBmp(bytes.data(), bytes.size());
    const Image fromFile = LoadImageFile(Wide(CorpusDir() / e.name));
    ExpectOutcome(e, fromMemory.width, fromMemory.height, fromMemory.pixels.get());
    ASSERT_EQ(fromMemory.width, fromFile.width);
    ASSERT_EQ(fromMemory.height, fromFile.height);
    for (std::size_t i = 0; i < std::size_t{fromFile.width} * fromFile.height; ++i)
      ASSERT_EQ(fromMemory.pixels[i], fromFile.pixels[i]) << "pixel " << i;
  }
}

TEST(BitmapCorpus, EveryTruncationOfAValidFileLoadsWholeOrEmpty) {
  int cuts = 0;
  for (const Expectation& e : ReadManifest()) {
    if (e.outcome != "picture") continue;
    EXPECT_EQ(bmp_manifest::BadCut(e, CorpusFile(e.name), DecodeBmp, cuts), "") << e.name;
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
    const std::vector<unsigned char> bytes = CorpusFile(name);
    ASSERT_FALSE(bytes.empty());
    const HeapWatch watch;
    const Image image = DecodeBmp(bytes.data(), bytes.size());
    EXPECT_EQ(image.width, 0u);
    EXPECT_LT(watch.Since().bytes, 64u * 1024u);
  }
}

TEST(BitmapCorpus, ADirectoryOrAMissingFileWithABitmapsNameLoadsEmpty) {
  const TempDir temp;
  const fs::path& dir = temp.path();
  fs::create_directories(dir / "Stand0000.bmp");
  for (const fs::path& path : {dir / "Stand0000.bmp", dir / "Nothing0000.bmp", dir / "no" / "such" / "x.bmp"}) {
    SCOPED_TRACE(path.string());
    const KeyedSurface surface(Wide(path), 0xFFFFFFFF);
    EXPECT_EQ(surface.width, 0u);
    EXPECT_EQ(surface.height, 0u);
  }
}

TEST(BitmapCorpus, NullOrEmptyMemoryDecodesEmpty) {
  EXPECT_EQ(DecodeBmp(nullptr, 0).width, 0u);
  EXPECT_EQ(DecodeBmp(nullptr, 100).width, 0u);
  const unsigned char magic[] = {'B', 'M'};
  EXPECT_EQ(DecodeBmp(magic, 0).width, 0u);
  EXPECT_EQ(DecodeBmp(magic, sizeof magic).width, 0u);
}

// Every decoder reads a file whole once its header has passed, so the check weighs the file's
// size too: no acceptable picture needs more than maxBmpFileBytes, and a bigger file is refused
// on its first bytes, whatever they claim.
TEST(BitmapCorpus, AFileBiggerThanAnyAcceptablePictureIsRefusedOnItsHeader) {
  const std::vector<unsigned char> bytes = CorpusFile("valid_rgb24_bottom_up.bmp");
  ASSERT_GE(bytes.size(), bmpHeaderBytes);
  BmpHeader header;
  const auto size = static_cast<std::int64_t>(bytes.size());
  EXPECT_TRUE(ReadBmpHeader(bytes.data(), bmpHeaderBytes, size, header));
  EXPECT_EQ(header.width, 5);
  EXPECT_EQ(header.height, 3);
  EXPECT_TRUE(ReadBmpHeader(bytes.data(), bmpHeaderBytes, maxBmpFileBytes, header)) << "trailing bytes are allowed";
  EXPECT_FALSE(ReadBmpHeader(bytes.data(), bmpHeaderBytes, maxBmpFileBytes + 1, header));
  EXPECT_FALSE(ReadBmpHeader(bytes.data(), 20, size, header)) << "fewer first bytes than the check needs";
}

}  // namespace
