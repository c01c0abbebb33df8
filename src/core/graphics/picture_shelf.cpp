#include "core/graphics/picture_shelf.h"

#include <filesystem>
#include <map>
#include <system_error>
#include <utility>

namespace fs = std::filesystem;

namespace {

// The start-up runs on one thread, and only the few pictures of one check wait here, until the
// world takes them.
std::map<fs::path, Image>& Shelf() {
  static std::map<fs::path, Image> shelf;
  return shelf;
}

fs::path FullPath(const std::wstring& fileName) {
  std::wstring portable = fileName;
  for (wchar_t& c : portable)
    if (c == L'\\') c = L'/';
  std::error_code error;
  const fs::path full = fs::absolute(fs::path(portable), error);
  return error ? fs::path() : full.lexically_normal();
}

}  // namespace

void ShelvePicture(const std::wstring& fileName, Image image) {
  const fs::path key = FullPath(fileName);
  if (!key.empty()) Shelf()[key] = std::move(image);
}

Image TakePicture(const std::wstring& fileName) {
  std::map<fs::path, Image>& shelf = Shelf();
  if (!shelf.empty()) {
    const auto kept = shelf.find(FullPath(fileName));
    if (kept != shelf.end()) {
      Image image = std::move(kept->second);
      shelf.erase(kept);
      return image;
    }
  }
  return LoadImageFile(fileName);
}
