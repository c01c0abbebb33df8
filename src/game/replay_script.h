// The replay script: one key or character message per line, each delivered before a frame.
//
//   F down VK   key-down of virtual key VK before frame F (frames count from 1)
//   F up VK     key-up
//   F char C    character message
//   F end       F is the last frame
//   F check H   after frame F the world's state hashed to H (eight hexadecimal digits; the
//               hash is StateHash's, world_state.h): a replay that hashes otherwise has parted
//               from the run as it was played
//
// Blank lines and everything from '#' to the end of a line are ignored.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "game/script_sink.h"

struct ScriptEvent {
  long frame;
  std::uint32_t message;  // a window message number
  std::uintptr_t wParam;
};

struct ScriptCheck {
  long frame;
  std::uint32_t hash;
};

struct ReplayScript {
  std::vector<ScriptEvent> events;  // in file order, frames never going backwards
  std::vector<ScriptCheck> checks;  // likewise
  long lastFrame = 0;               // from "end", else the largest frame named
};

// The limits a script is read within: its largest frame (over 19 days at 60 frames a second)
// and the largest file (an hour of frantic play, checkpoints and all, is about half a megabyte).
constexpr long largestScriptFrame = 100000000;
constexpr std::size_t largestScriptBytes = 64u << 20;

// Where a script went wrong: its first malformed line, as it stands in the file, and whether a
// good line came before it (if none did, the file was never a script at all).
struct ScriptFault {
  long line = 0;
  std::string text;
  bool afterGoodLines = false;
};

// Returns false and sets error (naming the line) on the first malformed line; `fault`, when
// given, says where.
bool ParseReplayScript(const std::string& text, ReplayScript& script, std::string& error,
                       ScriptFault* fault = nullptr);
// The same for the rest of an open file, which may also fail to be read.
bool ParseReplayScript(std::FILE* in, ReplayScript& script, std::string& error, ScriptFault* fault = nullptr);

// Whether a window message is one a script can hold: a key going down or up, or a character.
bool ScriptableMessage(std::uint32_t message);
// Writes one script line for such a message, delivered before the given frame.
void WriteScriptLine(ScriptSink& out, long frame, std::uint32_t message, std::uintptr_t wParam);
// Writes the line that names the last frame.
void WriteScriptEnd(ScriptSink& out, long frame);
// Writes a checkpoint: the state's hash after the given frame.
void WriteScriptCheck(ScriptSink& out, long frame, std::uint32_t hash);
