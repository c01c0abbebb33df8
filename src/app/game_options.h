// The game's command line: no option plays as always; --record writes what is played as a
// replay script, --play shows one as a demo.
#pragma once

#include <fstream>
#include <string>
#include <vector>

#include "game/replay_script.h"

class FrameDriver;

extern const char* const gameUsage;

struct GameOptions {
  std::string record;  // file to record into, or empty
  std::string play;    // script to play, or empty
  bool version = false;  // print the version and stop
  bool help = false;     // print the usage, the options and the controls, and stop
};

// What --version prints: "fennwick" and the version.
std::string VersionLine();
// What --help prints: the usage, what each option does, and the controls.
std::string HelpText();

// Reads the arguments after the program's name; false with a message naming the fault.
bool ParseGameOptions(const std::vector<std::string>& args, GameOptions& options, std::string& error);

// The files the options name, opened before the game starts so a mistake is reported at once.
struct GameSession {
  std::ofstream recording;
  ReplayScript script;
  bool playing = false;

  // False with a message when a file cannot be read or written.
  bool Open(const GameOptions& options, std::string& error);
  void Attach(FrameDriver& driver);
};
