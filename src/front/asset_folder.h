// Where the game's pictures are. A player may start the game from anywhere: from the folder
// the pictures are in (as the README says), by double-clicking it beside them, or from an
// installed package, where they sit in a data folder next to the program's.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <vector>

// The folders to look in, in order: the working folder, the executable's folder, then the
// installed data folder relative to the executable. A place named twice is listed once; an
// unknown executable folder (empty) adds nothing.
std::vector<std::filesystem::path> PictureFolderCandidates(
    const std::filesystem::path& workingFolder, const std::filesystem::path& executableFolder);

struct PictureSearch {
  std::filesystem::path folder;  // where to load from: the first complete candidate, else the
                                 // one missing the fewest files
  bool complete = false;
  std::string message;  // when incomplete: every place tried and what is missing there
};

// `files` are relative to a candidate, with '\\' or '/' between folder and file.
PictureSearch FindPictureFolder(const std::vector<std::filesystem::path>& candidates,
                                const std::vector<std::wstring>& files);

// What keeps a picture file that is there from showing, in a few words ("not a bitmap (the
// file is cut short)"), or "" when it loads. `name` is the game's name for it, relative to the
// working folder.
std::string PictureFault(const std::wstring& name);

// Looks for the player's pictures from the working folder and `executableFolder`, and makes the
// folder found the working folder, so the core's relative names reach them. Anything opened by
// a relative name from the starting folder must be opened before this. Returns what to tell
// the player on standard error, or "" when every picture is there and loads.
std::string EnterPictureFolder(const std::filesystem::path& executableFolder);

// EnterPictureFolder taken a few pictures at a time, for a platform that must answer between
// steps (a slow phone's page, where decoding every picture at once is one long wait). Each
// picture that loads is left on the picture shelf, so the world built next decodes none again.
class PictureCheck {
 public:
  // Finds the folder and enters it; no picture is decoded yet.
  explicit PictureCheck(const std::filesystem::path& executableFolder);
  static constexpr std::size_t every = static_cast<std::size_t>(-1);

  // Checks up to `count` more pictures; true once every one has been checked.
  bool Next(std::size_t count);
  // What to tell the player, complete once Next has said true; "" when all is well.
  std::string Message() const;

 private:
  std::vector<std::wstring> files;
  std::size_t checked = 0;
  std::filesystem::path folder;
  std::string searchMessage;
  std::vector<std::string> faults;
  std::size_t faulty = 0;
};
