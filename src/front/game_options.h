// The game's command line: no option plays as always; --record writes what is played as a
// replay script, --play shows one as a demo.
#pragma once

#include <string>
#include <vector>

#include "front/gamepad.h"
#include "front/key_map.h"
#include "core/game/replay_script.h"
#include "core/game/script_sink.h"

class FrameDriver;

struct GameOptions {
  std::string record;  // file to record into, or empty
  std::string play;    // script to play, or empty
  KeyMap keys;           // the keys the player plays left, right and jump on
  bool keysChosen = false;
  // The share of the game's 60 frames a second to run, 50 to 100 in steps of 10: every frame is
  // the same at any pace, only fewer come each second.
  int pace = 100;
  FaceButton padJump = FaceButton::south;  // the pads' button that jumps
  bool padJumpChosen = false;
  bool paceChosen = false;
  bool version = false;  // print the version and stop
  bool help = false;     // print the usage, the options and the controls, and stop
  // Keep what is played in memory as a replay script, for the page to offer when the game ends.
  bool recordInMemory = false;
};

// What --version prints: "fennwick" and the version.
std::string VersionLine();
// What --help prints: the usage, what each option does, and the controls.
std::string HelpText();

// A pace as the player writes it ("70"); false for anything but 50, 60, ... 100.
bool ParsePace(const std::string& text, int& percent);

// Reads the arguments after the program's name; false with a message naming the fault.
bool ParseGameOptions(const std::vector<std::string>& args, GameOptions& options, std::string& error);

// The files the options name, opened before the game starts so a mistake is reported at once.
struct GameSession {
  FileSink recording;
  StringSink memoryRecording;
  bool recordingInMemory = false;
  ReplayScript script;
  bool playing = false;

  // False with a message when a file cannot be read or written, or is no recording to play.
  bool Open(const GameOptions& options, std::string& error);
  void Attach(FrameDriver& driver);
  // The script kept in memory so far, as the run was played on: complete once the driver is
  // closed.
  std::string RecordedRun() const;
};
