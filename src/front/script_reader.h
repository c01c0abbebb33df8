// Reading a replay script (core/game/replay_script.h) from a file or a text, within limits that
// keep a damaged or hostile file from taking the memory, with the first malformed line named.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>

#include "core/game/replay_script.h"

// The limits a script is read within: its largest frame (24 hours at 60 frames a second, which
// keeps a demo's states within their budget and its first picture immediate) and the largest
// file (an hour of frantic play, checkpoints and all, is about half a megabyte).
constexpr long largestScriptFrame = 5184000;
constexpr std::size_t largestScriptBytes = 64u << 20;

// Where a script went wrong: its first malformed line, as it stands in the file, and whether a
// good line came before it (if none did, the file was never a script at all).
struct ScriptFault {
  long line = 0;
  std::string text;
  bool afterGoodLines = false;
  // The line named a frame past the longest run: a recording, but one too long to play.
  bool tooLong = false;
  // Why the file could not be read, an errno value; 0 when it was read.
  int readError = 0;
};

// Returns false and sets error (naming the line) on the first malformed line; `fault`, when
// given, says where.
bool ParseReplayScript(const std::string& text, ReplayScript& script, std::string& error,
                       ScriptFault* fault = nullptr);
// A script as the run was played on: every line a later "F back" dropped goes, and the back line
// with it. Notes and blank lines stay. What a run link carries.
std::string PlayedOn(const std::string& text);
// The same for the rest of an open file, which may also fail to be read.
bool ParseReplayScript(std::FILE* in, ReplayScript& script, std::string& error, ScriptFault* fault = nullptr);
