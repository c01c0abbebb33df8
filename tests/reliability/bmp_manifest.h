// The hostile bitmap corpus's manifest (tests/corpus/bmp/manifest.txt, written by
// tools/soak/make_bmp_corpus.py) and the comparison of a decoded image with it. Shared by the
// corpus test of the SDL build, the corpus program the Windows build runs under Wine and the web
// build's under Node, so all read the one manifest the same way. Plain C++: it compiles for each.
#pragma once

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

namespace bmp_manifest {

struct Expectation {
  std::string name;
  std::string outcome;  // picture, empty or either
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  std::vector<std::uint32_t> pixels;
  bool recognised = true;  // a known outcome, with as many pixels as its size says
};

// The expectations for one decoder ("sdl" or "gdiplus"), in the manifest's order. A line
// "NAME OUTCOME ..." holds for every decoder; a line "NAME DECODER OUTCOME ..." replaces it for
// that decoder, where the libraries may rightly read a file differently.
inline std::vector<Expectation> Read(const std::string& manifestPath, const std::string& decoder) {
  std::vector<Expectation> entries;
  std::vector<Expectation> overrides;
  std::ifstream in(manifestPath);
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream words(line);
    Expectation e;
    std::string tag;
    words >> e.name >> e.outcome;
    if (e.outcome == "sdl" || e.outcome == "gdiplus") {
      tag = e.outcome;
      words >> e.outcome;
    }
    if (e.outcome == "picture") {
      words >> e.width >> e.height;
      std::string hex;
      while (words >> hex) e.pixels.push_back(static_cast<std::uint32_t>(std::stoul(hex, nullptr, 16)));
    }
    e.recognised = e.outcome == "empty" || e.outcome == "either" ||
                   (e.outcome == "picture" && e.pixels.size() == std::size_t{e.width} * e.height);
    if (tag.empty()) {
      entries.push_back(std::move(e));
    } else if (tag == decoder) {
      overrides.push_back(std::move(e));
    }
  }
  for (Expectation& o : overrides) {
    for (Expectation& e : entries) {
      if (e.name == o.name) e = o;
    }
  }
  return entries;
}

inline std::vector<unsigned char> ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), {});
}

inline std::string Hex(std::uint32_t p) {
  char text[16];
  std::snprintf(text, sizeof text, "%08X", static_cast<unsigned>(p));
  return text;
}

// Empty when the decoded image is what the manifest says of its file, otherwise what differs.
inline std::string Mismatch(const Expectation& e, std::uint32_t width, std::uint32_t height,
                            const std::uint32_t* pixels) {
  const std::string size = std::to_string(width) + " x " + std::to_string(height);
  if (e.outcome == "empty") return width == 0 && height == 0 ? "" : "loaded as " + size + ", not empty";
  if (e.outcome == "either")
    return (width == 0) == (height == 0) ? "" : "a picture with no pixels in one direction only: " + size;
  if (width != e.width || height != e.height)
    return "loaded as " + size + ", not " + std::to_string(e.width) + " x " + std::to_string(e.height);
  for (std::size_t i = 0; i < e.pixels.size(); ++i) {
    if (pixels[i] != e.pixels[i])
      return "pixel " + std::to_string(i % e.width) + ", " + std::to_string(i / e.width) + " is " +
             Hex(pixels[i]) + ", not " + Hex(e.pixels[i]);
  }
  return "";
}

// A file cut short anywhere (a copy interrupted, a download stopped) must decode whole or empty,
// never as a picture of the right size with rows of garbage or zeros in it. Empty when every cut
// of the valid file `bytes` does; otherwise the first that does not and what differs. Adds the
// cuts tried to `cuts`.
template <typename Decode>
std::string BadCut(const Expectation& e, const std::vector<unsigned char>& bytes, Decode decode,
                   int& cuts) {
  for (std::size_t length = 0; length < bytes.size(); ++length, ++cuts) {
    const auto image = decode(bytes.data(), length);
    if (image.width == 0 && image.height == 0) continue;
    const std::string why = Mismatch(e, image.width, image.height, image.pixels.get());
    if (!why.empty()) return "cut to " + std::to_string(length) + " bytes: " + why;
  }
  return "";
}

}  // namespace bmp_manifest
