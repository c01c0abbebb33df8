// Finding the pictures from wherever the game was started, and naming the places tried when
// they are nowhere.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "front/asset_folder.h"
#include "core/graphics/picture_shelf.h"
#include "core/sprites/player_sprite.h"
#include "test_support.h"

namespace fs = std::filesystem;

namespace {

// Copies of the real pictures: entering a folder also checks that each one loads.
void PutPictures(const fs::path& folder, std::size_t leaveOut = 0) {
  const std::vector<std::wstring> files = PlayerSprite::PictureFiles();
  for (std::size_t i = 0; i + leaveOut < files.size(); ++i) {
    std::wstring name = files[i];
    for (wchar_t& c : name)
      if (c == L'\\') c = L'/';
    fs::create_directories((folder / name).parent_path());
    fs::copy_file(fs::path(FENNWICK_ASSETS_DIR) / name, folder / name);
  }
}

const fs::path dataFromBin = fs::u8path(FENNWICK_DATA_FROM_BIN);

}  // namespace

TEST(PictureFolder, PlacesAreTheWorkingFolderThenTheProgramsThenItsDataFolder) {
  const std::vector<fs::path> places = PictureFolderCandidates("/home/ann/games", "/opt/fw/bin/");
  ASSERT_EQ(places.size(), 3u);
  EXPECT_EQ(places[0], fs::path("/home/ann/games"));
  EXPECT_EQ(places[1], fs::path("/opt/fw/bin"));
  EXPECT_EQ(places[2], (fs::path("/opt/fw/bin") / dataFromBin).lexically_normal());
  EXPECT_EQ(PictureFolderCandidates("/opt/fw/bin", "/opt/fw/bin/").size(), 2u)
      << "started beside the program, as a double-click does: that place is tried once";
  EXPECT_EQ(PictureFolderCandidates("/home/ann", "").size(), 1u) << "no program folder known";
}

TEST(PictureFolder, TheFirstPlaceWithEveryPictureWins) {
  TempDir root;
  PutPictures(root.path() / "second");
  PutPictures(root.path() / "third");
  fs::create_directories(root.path() / "first");
  const PictureSearch search = FindPictureFolder(
      {root.path() / "first", root.path() / "second", root.path() / "third"}, PlayerSprite::PictureFiles());
  EXPECT_TRUE(search.complete);
  EXPECT_EQ(search.folder, root.path() / "second");
  EXPECT_EQ(search.message, "");

  EXPECT_TRUE(FindPictureFolder({FENNWICK_ASSETS_DIR}, PlayerSprite::PictureFiles()).complete)
      << "the repository's assets folder has every picture the sprite loads";
}

TEST(PictureFolder, WithNoCompletePlaceTheNearestIsUsedAndEveryPlaceIsNamed) {
  TempDir root;
  const fs::path partial = root.path() / "partial", empty = root.path() / "empty",
                 absent = root.path() / "absent";
  PutPictures(partial, 1);
  fs::create_directories(empty);
  const PictureSearch search = FindPictureFolder({empty, partial, absent}, PlayerSprite::PictureFiles());
  EXPECT_FALSE(search.complete);
  EXPECT_EQ(search.folder, partial);
  EXPECT_EQ(search.message, "1 picture file missing in " + partial.u8string() +
                                ", for example StickFall/Fall0000.bmp; also looked in " +
                                empty.u8string() + " (16 missing) and " + absent.u8string() +
                                " (no such folder)");

  const PictureSearch nothing = FindPictureFolder({empty}, PlayerSprite::PictureFiles());
  EXPECT_EQ(nothing.folder, empty);
  EXPECT_EQ(nothing.message, "16 picture files missing in " + empty.u8string() +
                                 ", for example StickStand/Stand0000.bmp");
}

TEST(PictureFolder, EnteringMovesToTheInstalledDataFolderOnlyWhenTheWorkingFolderLacksPictures) {
  TempDir root;
  const fs::path bin = root.path() / "bin", start = root.path() / "start";
  const fs::path data = (bin / dataFromBin).lexically_normal();
  fs::create_directories(bin);
  fs::create_directories(start);
  PutPictures(data);
  {
    ScopedCwd cwd(start);
    EXPECT_EQ(EnterPictureFolder(bin), "");
    EXPECT_TRUE(fs::equivalent(fs::current_path(), data));
  }
  PutPictures(start);
  {
    ScopedCwd cwd(start);
    EXPECT_EQ(EnterPictureFolder(bin), "");
    EXPECT_TRUE(fs::equivalent(fs::current_path(), start)) << "the working folder comes first";
  }
  fs::remove_all(data);
  fs::remove_all(start);
  fs::create_directories(start);
  {
    ScopedCwd cwd(start);
    const std::string message = EnterPictureFolder(bin);
    EXPECT_EQ(message.rfind("16 picture files missing in " + fs::current_path().u8string(), 0), 0u)
        << message;
    EXPECT_NE(message.find(bin.u8string() + " (16 missing)"), std::string::npos) << message;
    EXPECT_NE(message.find(data.u8string() + " (no such folder)"), std::string::npos) << message;
    EXPECT_TRUE(fs::equivalent(fs::current_path(), start)) << "nothing anywhere: it stays put";
  }
}

TEST(PictureFolder, APictureThereThatWillNotLoadIsNamedWithTheReason) {
  TempDir root;
  const fs::path start = root.path() / "start";
  PutPictures(start);
  fs::resize_file(start / "StickRun/Run0003.bmp", 100);
  std::ofstream(start / "StickJump/Jump0000.bmp") << "GIF89a, not what it says it is";
  {
    ScopedCwd cwd(start);
    EXPECT_EQ(EnterPictureFolder(""),
              "2 picture files in " + fs::current_path().u8string() +
                  " cannot be shown: StickRun/Run0003.bmp: not a bitmap (the file is cut short), "
                  "StickJump/Jump0000.bmp: not a bitmap (it does not start with BM)");
  }

  // Missing and broken at once: one message; past three broken files the rest are counted.
  for (const char* name : {"StickRun/Run0000.bmp", "StickRun/Run0001.bmp", "StickRun/Run0002.bmp"})
    fs::resize_file(start / name, 0);
  fs::remove(start / "StickFall/Fall0000.bmp");
  {
    ScopedCwd cwd(start);
    const std::string message = EnterPictureFolder("");
    EXPECT_EQ(message.rfind("1 picture file missing in ", 0), 0u) << message;
    EXPECT_NE(message.find(", for example StickFall/Fall0000.bmp; and 5 picture files in "), std::string::npos)
        << message;
    EXPECT_NE(message.find(" cannot be shown: StickRun/Run0000.bmp: not a bitmap (the file is cut short), "
                           "StickRun/Run0001.bmp"),
              std::string::npos)
        << message;
    EXPECT_EQ(message.substr(message.size() - 11), " and 2 more") << message;
  }
}

// The browser checks the pictures a few to a task; what it tells the player is no different, and
// each picture checked is decoded once, the world taking the check's image.
TEST(PictureFolder, CheckedInStepsItSaysTheSameAndTheWorldTakesEachPictureDecoded) {
  TempDir root;
  const fs::path start = root.path() / "start", other = root.path() / "other";
  PutPictures(start);
  PutPictures(other);
  fs::resize_file(start / "StickRun/Run0003.bmp", 100);
  fs::remove(start / "StickFall/Fall0000.bmp");
  // The other folder's standing picture is a running one (61 wide, where standing is 25).
  fs::copy_file(start / "StickRun/Run0000.bmp", other / "StickStand/Stand0000.bmp",
                fs::copy_options::overwrite_existing);
  ScopedCwd cwd(start);
  const std::string atOnce = EnterPictureFolder("");
  ASSERT_NE(atOnce, "");

  PictureCheck check("");
  int steps = 1;
  while (!check.Next(3)) ++steps;
  EXPECT_EQ(steps, 6) << "16 pictures, 3 a step";
  EXPECT_EQ(check.Message(), atOnce);

  // Changed on disk after the check: the world shows what was checked, once; after that the file.
  fs::copy_file(start / "StickRun/Run0000.bmp", start / "StickStand/Stand0000.bmp",
                fs::copy_options::overwrite_existing);
  EXPECT_EQ(TakePicture(L"StickStand\\Stand0000.bmp").width, 25u);
  EXPECT_EQ(TakePicture(L"StickStand\\Stand0000.bmp").width, 61u);
  fs::copy_file(fs::path(FENNWICK_ASSETS_DIR) / "StickStand/Stand0000.bmp", start / "StickStand/Stand0000.bmp",
                fs::copy_options::overwrite_existing);
  {
    ScopedCwd there(other);
    EnterPictureFolder("");
  }
  EXPECT_EQ(TakePicture(L"StickStand\\Stand0000.bmp").width, 25u) << "another folder's picture of that name";
}

TEST(PictureFolder, AFaultSaysWhatIsWrongWithTheFile) {
  TempDir root;
  ScopedCwd cwd(root.path());
  // A 1 x 1 picture of 24 bits, then the same header claiming other things.
  std::string bmp = std::string("BM") + std::string(52, '\0') + std::string(4, '\0');
  auto put32 = [&bmp](std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) bmp[at + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
  };
  put32(2, 58), put32(10, 54), put32(14, 40), put32(18, 1), put32(22, 1);
  bmp[26] = 1, bmp[28] = 24;
  auto faultOf = [](const std::string& bytes) {
    std::ofstream("p.bmp", std::ios::binary) << bytes;
    return PictureFault(L"p.bmp");
  };
  EXPECT_EQ(faultOf(bmp), "");
  EXPECT_EQ(faultOf(bmp.substr(0, 40)), "not a bitmap (the file is cut short)");
  put32(18, 20000), put32(22, 20000);
  EXPECT_EQ(faultOf(bmp), "not a bitmap (too many pixels)");
  fs::remove("p.bmp");
  EXPECT_EQ(PictureFault(L"p.bmp"), "cannot be read");
}
