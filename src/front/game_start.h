// The way the game starts and ends, the same on every platform: the options and the files
// they name, the pictures, the world, whether it can draw, the frame driver with its recording
// or demo, and the player's input in front of it. A platform's main adds only its window and its
// loop; what the game says is worded in messages.h and reaches the player through the
// platform's one sink (TellPlayer).
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "front/game_options.h"
#include "front/player_input.h"
#include "core/types.h"

class DemoViewer;
class ViewerControls;
class PictureCheck;
class FrameDriver;
class GameWorld;
class LoopPlatform;

class GameStart {
 public:
  // How the program ends: 0 after a game, --version or --help; 2 for a bad option or a file
  // that cannot be used; 1 when there is nothing to play on, or the recording could not be
  // written whole.
  static constexpr int ok = 0;
  static constexpr int cannotPlay = 1;
  static constexpr int runNotKept = 1;
  static constexpr int badCommandLine = 2;

  GameStart();
  ~GameStart();
  GameStart(const GameStart&) = delete;
  GameStart& operator=(const GameStart&) = delete;

  // Reads the options, opens the files they name and enters the pictures' folder, telling
  // standard error what is missing there. False when there is nothing to play; then
  // `exitCode` and `message` say what to tell the player.
  bool Prepare(const std::vector<std::string>& args);
  // Prepare in steps, for a platform that must answer between them: PrepareOptions does all but
  // the pictures' check, and enters their folder; CheckPictures then checks up to `count` of
  // them a call, and says true once all are checked and the player told what is wrong.
  bool PrepareOptions(const std::vector<std::string>& args);
  bool CheckPictures(std::size_t count);
  // The world in the platform's window; false, with the message, when it cannot draw there.
  bool Build(WindowHandle window);

  // Where the platform's window messages, pads and touches go once the world is built.
  PlayerInput& Input() { return *input; }
  FrameDriver& Driver() { return *driver; }
  // The viewer on the run's timeline: a demo's, or live play's (which it rewinds).
  DemoViewer& Viewer() { return *viewer; }
  // The desktop's loop: plays until Escape, the close button or the demo's end.
  void Play(LoopPlatform& loop);
  // The world is gone, and with it the picture's hold on the window.
  void End();
  // The run kept in memory (GameOptions::recordInMemory), complete once the game has ended.
  std::string RecordedRun() const { return session.RecordedRun(); }

  // Stops the start with a fault of the platform's (no window, say).
  bool Fail(int code, const std::string& fault);
  // Stops the start with a mistake in the options, which the usage puts right.
  bool FailOption(const std::string& fault);
  // Tells the player, through the platform's sink, what was asked for or what went wrong.
  // Returns the exit code.
  int Report() const;

  GameOptions options;
  int exitCode = ok;
  std::string fault;    // what went wrong, in a few words
  // All the player is told: the fault (with the usage, for a mistake in the options), or what
  // was asked for.
  std::string message;

 private:
  GameSession session;
  std::unique_ptr<GameWorld> world;
  std::unique_ptr<FrameDriver> driver;
  std::unique_ptr<DemoViewer> viewer;
  std::unique_ptr<ViewerControls> controls;
  std::unique_ptr<PlayerInput> input;
  std::unique_ptr<PictureCheck> pictures;  // between PrepareOptions and the last CheckPictures
  WindowHandle window = nullptr;
};
