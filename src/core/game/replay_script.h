// The replay script as the frame driver plays and records it (front/script_reader.h reads one
// from a file): one key or character message per line, each delivered before a frame.
//
//   F down VK   key-down of virtual key VK before frame F (frames count from 1)
//   F up VK     key-up
//   F char C    character message
//   F end       F is the last frame
//   F back      the run went back to frame F and was played on from there: every line before
//               this one for a later frame is dropped, and later lines name frames after F
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

#include "core/game/script_sink.h"

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

// Whether a window message is one a script can hold: a key going down or up, or a character.
bool ScriptableMessage(std::uint32_t message);
// Writes one script line for such a message, delivered before the given frame.
void WriteScriptLine(ScriptSink& out, long frame, std::uint32_t message, std::uintptr_t wParam);
// Writes the line that names the last frame.
void WriteScriptEnd(ScriptSink& out, long frame);
// Writes the line that cuts the run back to the frame.
void WriteScriptBack(ScriptSink& out, long frame);
// Writes a checkpoint: the state's hash after the given frame.
void WriteScriptCheck(ScriptSink& out, long frame, std::uint32_t hash);
