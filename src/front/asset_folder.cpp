#include "front/asset_folder.h"

#include <cstdint>
#include <cstdio>
#include <system_error>
#include <utility>

#include "front/messages.h"
#include "core/game/script_sink.h"
#include "core/graphics/bmp_header.h"
#include "core/graphics/image_loader.h"
#include "core/graphics/picture_shelf.h"
#include "core/sprites/player_sprite.h"

#ifndef FENNWICK_DATA_FROM_BIN
#define FENNWICK_DATA_FROM_BIN "../share/fennwick"
#endif

namespace fs = std::filesystem;

namespace {

fs::path Normal(const fs::path& folder) {
  fs::path normal = folder.lexically_normal();
  // "/usr/bin/" and "/usr/bin" are one place.
  if (!normal.has_filename() && normal.has_relative_path()) normal = normal.parent_path();
  return normal;
}

bool SamePlace(const fs::path& a, const fs::path& b) {
  if (a == b) return true;
  std::error_code error;
  return fs::equivalent(a, b, error) && !error;
}

fs::path RelativeFile(const std::wstring& name) {
  std::wstring portable = name;
  for (wchar_t& c : portable)
    if (c == L'\\') c = L'/';
  return fs::path(portable);
}

struct Tried {
  fs::path folder;
  bool exists = false;
  std::size_t missing = 0;
  std::string firstMissing;
};

Tried Look(const fs::path& folder, const std::vector<fs::path>& files) {
  Tried tried{folder, false, 0, {}};
  std::error_code error;
  tried.exists = fs::is_directory(folder, error);
  for (const fs::path& file : files) {
    if (tried.exists && fs::is_regular_file(folder / file, error)) continue;
    if (tried.missing++ == 0) tried.firstMissing = file.generic_u8string();
  }
  return tried;
}

std::string Describe(const Tried& tried) {
  if (!tried.exists) return say::PlaceWithoutFolder(tried.folder.u8string());
  return say::PlaceMissing(tried.folder.u8string(), tried.missing);
}

// Broken pictures named one by one; past a few, the player has the wrong folder, not a few bad
// files, and a longer list would bury the rest of the message.
constexpr std::size_t faultsNamed = 3;

}  // namespace

namespace {

std::string Checked(const std::wstring& name, Image& decoded) {
  const fs::path file = RelativeFile(name);
  std::error_code error;
  const std::uintmax_t size = fs::file_size(file, error);
  // Plain C files, not streams: the browser's build would carry the streams for this alone.
  std::FILE* in = error ? nullptr : OpenUtf8File(file.u8string(), "rb");
  if (in == nullptr) return say::PictureUnreadable();
  unsigned char first[bmpHeaderBytes] = {};
  const std::size_t got = std::fread(first, 1, sizeof first, in);
  std::fclose(in);
  BmpHeader header;
  if (const char* refusal = BmpHeaderRefusal(first, got, static_cast<std::int64_t>(size), header))
    return say::PictureNotABitmap(refusal);
  // The very decoder the sprite uses: a file the header check passes can still fail there.
  decoded = LoadImageFile(name);
  if (decoded.width == 0) return say::PictureRefusedByDecoder();
  return "";
}

}  // namespace

std::string PictureFault(const std::wstring& name) {
  Image decoded;
  return Checked(name, decoded);
}

std::vector<fs::path> PictureFolderCandidates(const fs::path& workingFolder,
                                              const fs::path& executableFolder) {
  std::vector<fs::path> places{Normal(workingFolder)};
  if (!executableFolder.empty()) {
    places.push_back(Normal(executableFolder));
    places.push_back(Normal(executableFolder / fs::u8path(FENNWICK_DATA_FROM_BIN)));
  }
  std::vector<fs::path> candidates;
  for (const fs::path& place : places) {
    bool seen = false;
    for (const fs::path& earlier : candidates) seen = seen || SamePlace(place, earlier);
    if (!seen) candidates.push_back(place);
  }
  return candidates;
}

PictureSearch FindPictureFolder(const std::vector<fs::path>& candidates,
                                const std::vector<std::wstring>& files) {
  std::vector<fs::path> relative;
  for (const std::wstring& name : files) relative.push_back(RelativeFile(name));

  std::vector<Tried> tried;
  std::size_t best = 0;
  for (const fs::path& folder : candidates) {
    tried.push_back(Look(folder, relative));
    if (tried.back().missing == 0) return PictureSearch{folder, true, {}};
    if (tried.back().missing < tried[best].missing) best = tried.size() - 1;
  }
  if (tried.empty()) return PictureSearch{{}, false, say::NoFolderForPictures()};

  // The place closest to complete first: that is where the player should look.
  const Tried& nearest = tried[best];
  std::vector<std::string> others;
  for (std::size_t i = 0; i < tried.size(); ++i)
    if (i != best) others.push_back(Describe(tried[i]));
  return PictureSearch{nearest.folder, false,
                       say::PicturesMissing(nearest.missing, nearest.folder.u8string(), nearest.firstMissing, others)};
}

PictureCheck::PictureCheck(const fs::path& executableFolder) {
  std::error_code error;
  const fs::path working = fs::current_path(error);
  if (error) {
    searchMessage = say::CannotTellWorkingFolder(error.message());
    return;
  }
  const std::vector<std::wstring> wanted = PlayerSprite::PictureFiles();
  const PictureSearch search = FindPictureFolder(PictureFolderCandidates(working, executableFolder), wanted);
  if (!SamePlace(search.folder, working)) {
    fs::current_path(search.folder, error);
    if (error) {
      searchMessage = say::CannotEnterPictureFolder(search.folder.u8string(), error.message());
      return;
    }
  }
  files = wanted;
  folder = search.folder;
  searchMessage = search.message;
}

bool PictureCheck::Next(std::size_t count) {
  // A picture that is there but will not load leaves the figure blank in its frames; the
  // player should learn which file and why, in the same message as the missing ones.
  for (; count > 0 && checked < files.size(); --count) {
    const std::wstring& name = files[checked++];
    std::error_code error;
    if (!fs::is_regular_file(RelativeFile(name), error)) continue;  // counted as missing
    Image decoded;
    const std::string fault = Checked(name, decoded);
    if (fault.empty()) {
      ShelvePicture(name, std::move(decoded));
      continue;
    }
    if (++faulty <= faultsNamed) faults.push_back(RelativeFile(name).generic_u8string() + ": " + fault);
  }
  return checked == files.size();
}

std::string PictureCheck::Message() const {
  if (faulty == 0) return searchMessage;
  return say::PicturesUnshown(searchMessage, faulty, folder.u8string(), faults);
}

std::string EnterPictureFolder(const fs::path& executableFolder) {
  PictureCheck check(executableFolder);
  check.Next(PictureCheck::every);
  return check.Message();
}
