#include "core/game/frame_driver.h"

#include <algorithm>
#include <utility>

#include "core/input/window_messages.h"
#include "core/game/game_world.h"
#include "core/game/world_state.h"

FrameDriver::FrameDriver(GameWorld& world, WindowHandle window) : world(world), window(window) {}

void FrameDriver::Record(ScriptSink& out) { recording = &out; }

void FrameDriver::Play(ReplayScript played) {
  script = std::move(played);
  nextEvent = 0;
  playing = true;
  // Another script is another run: what the last one met or missed says nothing of it.
  checksMatched = 0;
  mismatch = CheckMismatch{};
}

void FrameDriver::Deliver(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) {
  // A demo plays what was recorded: the player's own keys would change it, and the releases
  // of a lost focus must not let go of the keys the script holds. Escape still ends it.
  const bool escape = (message == wm::keyDown || message == wm::keyUp) && (wParam & 0xFF) == vk::escape;
  if (playing && ScriptableMessage(message) && !escape) return;
  Record(message, wParam);
  HandleWindowMessage(window, message, wParam, lParam);
}

void FrameDriver::Record(std::uint32_t message, std::uintptr_t wParam) {
  if (recording == nullptr || !ScriptableMessage(message)) return;
  WriteScriptLine(*recording, framesRun + 1, message, wParam);
  lastRecordedFrame = framesRun + 1;
}

void FrameDriver::RunFrame(FrameOutput output) {
  const long frame = framesRun + 1;
  for (; nextEvent < script.events.size() && script.events[nextEvent].frame <= frame; ++nextEvent) {
    const ScriptEvent& event = script.events[nextEvent];
    if (frame > farthestFrame) Record(event.message, event.wParam);
    HandleWindowMessage(window, event.message, event.wParam, 0);
  }
  world.RunFrame(window, output);
  framesRun = frame;
  // Frames a demo's viewer runs again are compared again, but recorded only once.
  const bool firstTime = frame > farthestFrame;
  farthestFrame = std::max(farthestFrame, frame);
  if (playing) Compare(frame);
  if (recording != nullptr) {
    if (firstTime && frame % checkInterval == 0) {
      WriteScriptCheck(*recording, frame, StateHash(CaptureState(world)));
      lastCheckedFrame = frame;
    }
    recording->Flush();
  }
}

void FrameDriver::Compare(long frame) {
  const auto check = std::lower_bound(script.checks.begin(), script.checks.end(), frame,
                                      [](const ScriptCheck& c, long f) { return c.frame < f; });
  if (check == script.checks.end() || check->frame != frame) return;
  const std::uint32_t replayed = StateHash(CaptureState(world));
  if (replayed == check->hash) {
    ++checksMatched;
    return;
  }
  if (mismatch.frame != 0) return;
  mismatch = CheckMismatch{frame, check->hash, replayed};
  if (runDiffers) runDiffers(mismatch);
}

void FrameDriver::Resume(long frame) {
  framesRun = frame;
  const auto next = std::upper_bound(script.events.begin(), script.events.end(), frame,
                                     [](long f, const ScriptEvent& event) { return f < event.frame; });
  nextEvent = static_cast<std::size_t>(next - script.events.begin());
}

void FrameDriver::Close() {
  if (recording == nullptr || closed) return;
  closed = true;
  // The state the run ended in, unless messages came after the last frame: a replay runs one
  // more frame for them, which no checkpoint of this run can speak for.
  if (framesRun > lastCheckedFrame && lastRecordedFrame <= framesRun)
    WriteScriptCheck(*recording, framesRun, StateHash(CaptureState(world)));
  // Messages that arrived after the last frame (the close box, say) are already written; the
  // end may not come before them.
  WriteScriptEnd(*recording, std::max(farthestFrame, lastRecordedFrame));
  recording->Flush();
}
