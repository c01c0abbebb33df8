#include "core/game/timeline.h"

#include <algorithm>
#include <utility>

#include "core/game/game_world.h"
#include "core/game/script_sink.h"

void Timeline::Start(const GameWorld& world) {
  // Room for the first minutes of play, so that a frame of them never allocates; after that the
  // timeline grows by doubling.
  events.reserve(2048);
  states.reserve(128);
  hashes.reserve(256);
  states.assign(1, CaptureState(world));
  computed = 0;
}

void Timeline::Load(ReplayScript script) {
  events = std::move(script.events);
  recordedChecks = std::move(script.checks);
  live = false;
}

std::size_t Timeline::FirstEventAfter(long frame) const {
  const auto next = std::upper_bound(events.begin(), events.end(), frame,
                                     [](long f, const ScriptEvent& event) { return f < event.frame; });
  return static_cast<std::size_t>(next - events.begin());
}

void Timeline::Append(long frame, std::uint32_t message, std::uintptr_t wParam) {
  events.push_back(ScriptEvent{frame, message, wParam});
  if (recording == nullptr || !live) return;
  WriteScriptLine(*recording, frame, message, wParam);
  eventsWritten = events.size();
  lastLine = std::max(lastLine, frame);
}

void Timeline::FrameRan(long frame, const GameWorld& world) {
  if (frame != computed + 1) return;
  computed = frame;
  if (frame % spacing == 0) {
    states.push_back(CaptureState(world));
    // Past the budget every other state goes: the frames between two grow by one computed
    // frame in two, and a step back stays a fraction of a millisecond.
    if (states.size() * sizeof(WorldState) > stateBudget) {
      for (std::size_t i = 1; 2 * i < states.size(); ++i) states[i] = states[2 * i];
      states.resize((states.size() + 1) / 2);
      spacing *= 2;
    }
  }
  if (frame % checkInterval == 0) hashes.push_back(StateHash(CaptureState(world)));
  if (recording != nullptr && live) {
    WriteUpTo(frame);
    recording->Flush();
  }
}

void Timeline::CutAfter(long frame) {
  events.erase(events.begin() + static_cast<std::ptrdiff_t>(FirstEventAfter(frame)), events.end());
  recordedChecks.erase(std::upper_bound(recordedChecks.begin(), recordedChecks.end(), frame,
                                        [](long f, const ScriptCheck& check) { return f < check.frame; }),
                       recordedChecks.end());
  states.resize(std::min(states.size(), static_cast<std::size_t>(frame / spacing + 1)));
  hashes.resize(std::min(hashes.size(), static_cast<std::size_t>(frame / checkInterval)));
  computed = std::min(computed, frame);
  live = true;
  if (recording == nullptr) return;
  if (lastLine > frame) {
    WriteScriptBack(*recording, frame);
    lastLine = frame;
    eventsWritten = std::min(eventsWritten, events.size());
    checksWrittenTo = std::min(checksWrittenTo, frame);
  }
  WriteUpTo(frame);
  recording->Flush();
}

void Timeline::Close(long frame, std::uint32_t hash) {
  if (recording == nullptr) return;
  // A demo watched, or a rewind the game was left in: the recording is what the screen showed.
  if (!live || frame < computed) CutAfter(frame);
  // The state the run ended in, unless keys came after the last frame: a replay runs one more
  // frame for them, which no checkpoint of this run can speak for.
  if (frame > 0 && frame % checkInterval != 0 && lastLine <= frame) WriteScriptCheck(*recording, frame, hash);
  WriteScriptEnd(*recording, std::max(frame, lastLine));
  recording->Flush();
  recording = nullptr;
}

const WorldState& Timeline::StateAtOrBefore(long frame, long& at) const {
  const std::size_t index = std::min(states.size() - 1, static_cast<std::size_t>(std::max(frame, 0L) / spacing));
  at = static_cast<long>(index) * spacing;
  return states[index];
}

void Timeline::WriteUpTo(long frame) {
  // Keys come before their frame, a checkpoint after it: at one frame, keys first.
  long nextCheck = (checksWrittenTo / checkInterval + 1) * checkInterval;
  for (;;) {
    const bool key = eventsWritten < events.size() && events[eventsWritten].frame <= frame;
    const bool check = nextCheck <= frame;
    if (key && (!check || events[eventsWritten].frame <= nextCheck)) {
      const ScriptEvent& event = events[eventsWritten++];
      WriteScriptLine(*recording, event.frame, event.message, event.wParam);
      lastLine = std::max(lastLine, event.frame);
    } else if (check) {
      WriteScriptCheck(*recording, nextCheck, hashes[static_cast<std::size_t>(nextCheck / checkInterval - 1)]);
      lastLine = std::max(lastLine, nextCheck);
      nextCheck += checkInterval;
    } else {
      break;
    }
  }
  checksWrittenTo = std::max(checksWrittenTo, frame);
}
