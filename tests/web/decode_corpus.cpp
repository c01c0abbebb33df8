// The web build's bitmap decoder against the hostile corpus (tests/corpus/bmp), under Node:
// every file loads as its manifest says, as on the other platforms, and every truncation of a
// valid file loads whole or empty. stb_image reads no run-length files; those load empty here.
//
//   node fennwick-decode-corpus.js CORPUS_DIR
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "graphics/image_loader.h"

namespace {

struct Expectation {
  std::string name;
  std::string outcome;  // picture, empty or either
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  std::vector<Pixel> pixels;
};

int failures = 0;

void Fail(const std::string& name, const std::string& why) {
  std::printf("FAIL %s: %s\n", name.c_str(), why.c_str());
  ++failures;
}

std::string Matches(const Expectation& e, const Image& image) {
  const bool empty = image.width == 0 && image.height == 0;
  if (e.outcome == "empty") return empty ? "" : "a picture, wanted none";
  if (e.outcome == "either") return (image.width == 0) == (image.height == 0) ? "" : "a picture with no pixels one way";
  if (empty && e.name.rfind("valid_rle", 0) == 0) return "";
  if (image.width != e.width || image.height != e.height)
    return std::to_string(image.width) + " x " + std::to_string(image.height) + ", wanted " +
           std::to_string(e.width) + " x " + std::to_string(e.height);
  for (std::size_t i = 0; i < e.pixels.size(); ++i) {
    if (image.pixels[i] != e.pixels[i]) {
      char text[96];
      std::snprintf(text, sizeof text, "pixel %zu is %08X, wanted %08X", i, image.pixels[i], e.pixels[i]);
      return text;
    }
  }
  return "";
}

std::vector<unsigned char> ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), {});
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: fennwick-decode-corpus CORPUS_DIR\n");
    return 2;
  }
  const std::string dir = argv[1];
  std::ifstream manifest(dir + "/manifest.txt");
  std::string line;
  int files = 0, pictures = 0, cuts = 0;
  while (std::getline(manifest, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream words(line);
    Expectation e;
    words >> e.name >> e.outcome;
    // A line for one decoder's own reading of a file (sdl, gdiplus) is not this decoder's.
    if (e.outcome != "picture" && e.outcome != "empty" && e.outcome != "either") continue;
    std::string hex;
    if (e.outcome == "picture") {
      words >> e.width >> e.height;
      while (words >> hex) e.pixels.push_back(static_cast<Pixel>(std::stoul(hex, nullptr, 16)));
    }
    ++files;
    const std::string path = dir + "/" + e.name;
    const Image loaded = LoadImageFile(std::wstring(path.begin(), path.end()));
    if (loaded.width > 0) ++pictures;
    const std::string wrong = Matches(e, loaded);
    if (!wrong.empty()) Fail(e.name, wrong);

    if (e.outcome != "picture" || loaded.width == 0) continue;
    const std::vector<unsigned char> bytes = ReadFile(path);
    for (std::size_t length = 0; length < bytes.size(); ++length, ++cuts) {
      const Image cut = DecodeBmp(bytes.data(), length);
      if (cut.width == 0 && cut.height == 0) continue;
      const std::string why = Matches(e, cut);
      if (!why.empty()) {
        Fail(e.name, "cut to " + std::to_string(length) + " bytes: " + why);
        break;  // the first is enough to go on
      }
    }
  }
  if (files < 40) Fail(dir, "the manifest lists " + std::to_string(files) + " files");
  std::printf("corpus: %d files, %d loaded as pictures, %d truncations; %d failure(s)\n", files, pictures,
              cuts, failures);
  return failures == 0 ? 0 : 1;
}
