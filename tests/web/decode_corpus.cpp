// The web build's bitmap decoder against the hostile corpus (tests/corpus/bmp), under Node:
// every file loads as its manifest says, as on the other platforms, and every truncation of a
// valid file loads whole or empty. stb_image reads no run-length files; those load empty here.
//
//   node fennwick-decode-corpus.js CORPUS_DIR
#include <cstdio>
#include <string>
#include <vector>

#include "bmp_manifest.h"
#include "check_lines.h"
#include "platform/web/image_web.h"

namespace {

std::string Mismatch(const bmp_manifest::Expectation& e, const Image& image) {
  if (image.width == 0 && image.height == 0 && e.name.rfind("valid_rle", 0) == 0) return "";
  return bmp_manifest::Mismatch(e, image.width, image.height, image.pixels.get());
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: fennwick-decode-corpus CORPUS_DIR\n");
    return 2;
  }
  const std::string dir = argv[1];
  const auto entries = bmp_manifest::Read(dir + "/manifest.txt", "web");
  CheckLines checks("web decoder");
  checks.Check(entries.size() >= 40, dir + ": the manifest lists " + std::to_string(entries.size()) + " files");
  int pictures = 0, cuts = 0;
  for (const bmp_manifest::Expectation& e : entries) {
    const std::string path = dir + "/" + e.name;
    const Image loaded = LoadImageFile(std::wstring(path.begin(), path.end()));
    if (loaded.width > 0) ++pictures;
    const std::string wrong = Mismatch(e, loaded);
    checks.Check(wrong.empty(), e.name + ": as its manifest says", wrong);

    if (e.outcome != "picture" || loaded.width == 0) continue;
    const std::string cut = bmp_manifest::BadCut(e, bmp_manifest::ReadFile(path), DecodeBmp, cuts);
    checks.Check(cut.empty(), e.name + ": every cut loads whole or empty", cut);
  }
  std::printf("corpus: %zu files, %d loaded as pictures, %d truncations\n", entries.size(), pictures, cuts);
  return checks.Finish();
}
