// A run as the game keeps it, live or watched: its keys frame by frame, and states kept along
// it, so that any frame is reached by putting the nearest kept state back and computing the few
// frames after it. Live play writes at the end; a demo reads a timeline from its script; the
// viewer moves along either, and rewinding or taking over a demo is cutting the timeline at
// the frame shown and playing on from there.
//
// Frames are known in order: `Computed()` is the last frame run at least once from the start.
// Only those have kept states and checkpoints; a demo's later frames are computed as it plays,
// a slice at a time, so that opening one of any length costs nothing.
//
// The states kept stay within `stateBudget` for any run: when they would pass it, every other
// one goes and the spacing doubles. The longest run accepted keeps one every 128 frames.
//
// A recording, when one is kept, is written from here and flushed after every frame, so that
// a crash loses nothing: each key as it joins the end, a checkpoint every `checkInterval`
// frames. When the timeline is cut back behind what the file already holds, the file says so
// with a line "F back": a reader drops what it holds after frame F and reads on.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/game/replay_script.h"
#include "core/game/world_state.h"

class GameWorld;
class ScriptSink;

class Timeline {
 public:
  static constexpr std::size_t stateBudget = std::size_t{32} << 20;
  static constexpr long firstSpacing = 64;
  static constexpr long checkInterval = 60;

  // Frame 0: the world before the first frame.
  void Start(const GameWorld& world);
  // A demo's keys and checkpoints, read from its script.
  void Load(ReplayScript script);
  // From now on the timeline is written to out as it grows.
  void Record(ScriptSink& out) { recording = &out; }
  bool Recording() const { return recording != nullptr; }

  const std::vector<ScriptEvent>& Events() const { return events; }
  // The index of the first key delivered after the frame.
  std::size_t FirstEventAfter(long frame) const;
  // The checkpoints of the script the timeline was read from, up to where it was cut.
  const std::vector<ScriptCheck>& RecordedChecks() const { return recordedChecks; }
  // A key delivered before the frame, at the end of the timeline: written at once.
  void Append(long frame, std::uint32_t message, std::uintptr_t wParam);
  // A frame has run: the first time in order it is kept (its state when due, its checkpoint).
  void FrameRan(long frame, const GameWorld& world);
  // Everything after the frame goes; the world is at that frame, and plays on from it. The
  // recording catches up to it (a demo taken over is written at that moment) or says it went
  // back.
  void CutAfter(long frame);
  // The recording ends at the frame shown, whose state hashes to `hash`.
  void Close(long frame, std::uint32_t hash);

  long Computed() const { return computed; }
  long Spacing() const { return spacing; }
  std::size_t StatesKept() const { return states.size(); }
  // The kept state nearest before or at the frame (frame 0's, at least), and its frame.
  const WorldState& StateAtOrBefore(long frame, long& at) const;

 private:
  // The recording: every line up to the frame, in order (keys before a frame, its checkpoint
  // after it).
  void WriteUpTo(long frame);

  std::vector<ScriptEvent> events;
  std::vector<ScriptCheck> recordedChecks;
  std::vector<WorldState> states;  // at frames 0, spacing, 2 * spacing ...
  std::vector<std::uint32_t> hashes;  // after frames checkInterval, 2 * checkInterval ...
  long spacing = firstSpacing;
  long computed = 0;
  // Written at its end: live play, or a demo taken over. A demo only read writes nothing.
  bool live = true;

  ScriptSink* recording = nullptr;
  std::size_t eventsWritten = 0;
  long checksWrittenTo = 0;  // the last frame whose checkpoint (if due) is written
  long lastLine = 0;         // the largest frame the file names
};
