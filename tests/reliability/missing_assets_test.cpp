// Pictures missing from the game's folder: the game runs on exactly as before and draws the
// figure from whatever did load. Checked through fennwick-replay on copies of assets/ with
// parts taken away, comparing every frame's state and picture hash with complete runs.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <sys/wait.h>

#include "test_support.h"

namespace fs = std::filesystem;

namespace {

// Runs right across the start platform, jumps, lets go and lands: every picture is current
// at some point, and run frame 5 several times.
const char* const script =
    "1 down 39\n"
    "90 down 32\n"
    "100 up 32\n"
    "130 up 39\n"
    "170 end\n";
constexpr std::size_t frames = 170;

struct FrameLine {
  std::string state;  // everything but the hash: frame, state, facing, pair, index, numbers
  std::string pair;
  int index = -1;
  std::string hash;
};

struct ReplayRun {
  int exitCode = -1;
  std::vector<FrameLine> lines;
};

class MissingAssets : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!fs::exists(fs::path(FENNWICK_ASSETS_DIR) / "StickRun" / "Run0005.bmp"))
      GTEST_SKIP() << "assets/ holds no frame pictures";
    std::ofstream(scriptFile) << script;
  }

  // A copy of assets/ without the given paths (relative to it).
  fs::path CopyWithout(const std::string& name, const std::vector<std::string>& removed) {
    const fs::path dir = root.path() / name;
    fs::copy(FENNWICK_ASSETS_DIR, dir, fs::copy_options::recursive);
    for (const std::string& path : removed) fs::remove_all(dir / path);
    return dir;
  }

  ReplayRun Replay(const fs::path& dir) {
    const std::string command = std::string("\"") + FENNWICK_REPLAY + "\" --hash --assets \"" +
                                dir.string() + "\" \"" + scriptFile.string() + "\"";
    ReplayRun run;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return run;
    std::string out;
    char buffer[4096];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
    const int status = pclose(pipe);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    std::istringstream lines(out);
    std::string line;
    while (std::getline(lines, line)) {
      FrameLine f;
      const std::size_t lastSpace = line.rfind(' ');
      f.state = line.substr(0, lastSpace);
      f.hash = line.substr(lastSpace + 1);
      std::istringstream words(line);
      std::string frame, state, facing;
      words >> frame >> state >> facing >> f.pair >> f.index;
      run.lines.push_back(f);
    }
    return run;
  }

  // The run must finish cleanly, one sane line a frame, and move the figure exactly as the
  // complete run does: pictures never change what the game does.
  void ExpectSameGame(const ReplayRun& run, const ReplayRun& complete) {
    EXPECT_EQ(run.exitCode, 0);
    ASSERT_EQ(run.lines.size(), frames);
    for (std::size_t i = 0; i < frames; ++i) {
      EXPECT_EQ(run.lines[i].state, complete.lines[i].state) << "frame " << i + 1;
      EXPECT_EQ(run.lines[i].hash.size(), 16u) << "frame " << i + 1;
    }
  }

  TempDir root;
  const fs::path scriptFile = root.path() / "run.script";
};

TEST_F(MissingAssets, TheFigureIsDrawnFromWhatLoadedAndTheGameIsUnchanged) {
  const ReplayRun complete = Replay(FENNWICK_ASSETS_DIR);
  const ReplayRun none = Replay(CopyWithout("none", {"StickStand", "StickRun", "StickJump", "StickFall"}));
  const ReplayRun noRunFolder = Replay(CopyWithout("no-run-folder", {"StickRun"}));
  const ReplayRun noRunFive = Replay(CopyWithout("no-run-five", {"StickRun/Run0005.bmp"}));

  ASSERT_EQ(complete.exitCode, 0);
  ASSERT_EQ(complete.lines.size(), frames);
  for (const FrameLine& line : complete.lines) {
    std::istringstream words(line.state);
    std::string word;
    for (int field = 0; words >> word; ++field)
      if (field >= 5) {
        EXPECT_TRUE(std::isfinite(std::stod(word))) << line.state;
      }
  }
  ExpectSameGame(none, complete);
  ExpectSameGame(noRunFolder, complete);
  ExpectSameGame(noRunFive, complete);
  if (HasFailure()) return;

  int runFiveFrames = 0;
  int runFrames = 0;
  for (std::size_t i = 0; i < frames; ++i) {
    SCOPED_TRACE("frame " + std::to_string(i + 1) + ": " + complete.lines[i].state);
    // Without any picture no figure is drawn, so the figure must show in every complete frame,
    // or the comparisons below would prove nothing.
    EXPECT_NE(complete.lines[i].hash, none.lines[i].hash);
    const bool running = complete.lines[i].pair == "run";
    const bool runFive = running && complete.lines[i].index == 5;
    runFrames += running;
    runFiveFrames += runFive;
    EXPECT_EQ(noRunFolder.lines[i].hash, running ? none.lines[i].hash : complete.lines[i].hash);
    EXPECT_EQ(noRunFive.lines[i].hash, runFive ? none.lines[i].hash : complete.lines[i].hash);
  }
  EXPECT_GE(runFiveFrames, 4);
  EXPECT_GT(runFrames, runFiveFrames);
}

TEST_F(MissingAssets, AnEmptyOrUnreadableFramePictureCountsAsMissing) {
  const ReplayRun none = Replay(CopyWithout("none", {"StickStand", "StickRun", "StickJump", "StickFall"}));
  const fs::path dir = CopyWithout("broken", {"StickStand/Stand0000.bmp", "StickRun/Run0005.bmp"});
  std::ofstream(dir / "StickStand" / "Stand0000.bmp");  // empty
  fs::create_directory(dir / "StickRun" / "Run0005.bmp");  // a folder in a picture's place
  const ReplayRun complete = Replay(FENNWICK_ASSETS_DIR);
  const ReplayRun broken = Replay(dir);
  ExpectSameGame(broken, complete);
  if (HasFailure()) return;
  for (std::size_t i = 0; i < frames; ++i) {
    const FrameLine& line = complete.lines[i];
    const bool missing = line.pair == "stand" || (line.pair == "run" && line.index == 5);
    EXPECT_EQ(broken.lines[i].hash, missing ? none.lines[i].hash : line.hash) << line.state;
  }
}

}  // namespace
