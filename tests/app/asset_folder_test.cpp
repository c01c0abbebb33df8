// Finding the pictures from wherever the game was started, and naming the places tried when
// they are nowhere.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "app/asset_folder.h"
#include "sprites/player_sprite.h"
#include "test_support.h"

namespace fs = std::filesystem;

namespace {

// Empty files do: the search only asks whether each one is there.
void PutPictures(const fs::path& folder, std::size_t leaveOut = 0) {
  const std::vector<std::wstring> files = PlayerSprite::PictureFiles();
  for (std::size_t i = 0; i + leaveOut < files.size(); ++i) {
    std::wstring name = files[i];
    for (wchar_t& c : name)
      if (c == L'\\') c = L'/';
    fs::create_directories((folder / name).parent_path());
    std::ofstream(folder / name) << "";
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
  EXPECT_EQ(search.message, "fennwick: 1 picture file missing in " + partial.u8string() +
                                ", for example StickFall/Fall0000.bmp; also looked in " +
                                empty.u8string() + " (16 missing) and " + absent.u8string() +
                                " (no such folder)");

  const PictureSearch nothing = FindPictureFolder({empty}, PlayerSprite::PictureFiles());
  EXPECT_EQ(nothing.folder, empty);
  EXPECT_EQ(nothing.message, "fennwick: 16 picture files missing in " + empty.u8string() +
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
    EXPECT_EQ(message.rfind("fennwick: 16 picture files missing in " + fs::current_path().u8string(), 0), 0u)
        << message;
    EXPECT_NE(message.find(bin.u8string() + " (16 missing)"), std::string::npos) << message;
    EXPECT_NE(message.find(data.u8string() + " (no such folder)"), std::string::npos) << message;
    EXPECT_TRUE(fs::equivalent(fs::current_path(), start)) << "nothing anywhere: it stays put";
  }
}
