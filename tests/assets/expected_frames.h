// The pictures the game loads and the offsets it draws them with, written out independently
// of the generator so that a frame drawn for the wrong anchor is caught.
#pragma once

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace assettest {

inline const std::filesystem::path sourceDir{FENNWICK_SOURCE_DIR};
inline const std::filesystem::path assetsDir = sourceDir / "assets";

enum class Kind { Stand, Run, Jump, Fall };

struct ExpectedFrame {
  std::string path;  // under assets/
  Kind kind;
  int offsetX;
  int offsetY;
};

inline std::vector<ExpectedFrame> ExpectedFrames() {
  std::vector<ExpectedFrame> frames{{"StickStand/Stand0000.bmp", Kind::Stand, 12, 60}};
  for (int i = 0; i < 13; ++i) {
    const std::string number = std::to_string(i);
    frames.push_back({"StickRun/Run" + std::string(4 - number.size(), '0') + number + ".bmp",
                      Kind::Run, 30, 58});
  }
  frames.push_back({"StickJump/Jump0000.bmp", Kind::Jump, 16, 72});
  frames.push_back({"StickFall/Fall0000.bmp", Kind::Fall, 14, 60});
  return frames;
}

inline const std::vector<std::string> iconFiles{"icons/fennwick16.ico", "icons/fennwick32.ico"};
// The same pictures for the Linux desktop's icon theme.
inline const std::vector<std::string> pngIconFiles{"icons/fennwick16.png", "icons/fennwick32.png"};
// The web page's icons for a home screen, with their sizes.
inline const std::vector<std::pair<std::string, int>> appIconFiles{{"icons/fennwick192.png", 192},
                                                                   {"icons/fennwick512.png", 512}};
inline const std::filesystem::path iconPixelList =
    sourceDir / "src" / "front" / "icon32_pixels.inc";

}  // namespace assettest
