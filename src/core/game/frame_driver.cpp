#include "core/game/frame_driver.h"

#include <algorithm>
#include <utility>

#include "core/input/window_messages.h"
#include "core/game/game_world.h"
#include "core/game/world_state.h"

FrameDriver::FrameDriver(GameWorld& world, WindowHandle window) : world(world), window(window) {
  timeline.Start(world);
}

void FrameDriver::Play(ReplayScript played) {
  scriptLastFrame = played.lastFrame;
  timeline.Load(std::move(played));
  nextEvent = timeline.FirstEventAfter(framesRun);
  playing = true;
  // Another script is another run: what the last one met or missed says nothing of it.
  checksMatched = 0;
  mismatch = CheckMismatch{};
}

void FrameDriver::TakeOver() {
  timeline.CutAfter(framesRun);
  nextEvent = timeline.Events().size();
  playing = false;
}

void FrameDriver::Deliver(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) {
  // A demo plays what was recorded: the player's own keys would change it, and the releases
  // of a lost focus must not let go of the keys the script holds. Escape still ends it.
  const bool escape = (message == wm::keyDown || message == wm::keyUp) && (wParam & 0xFF) == vk::escape;
  if (playing && ScriptableMessage(message) && !escape) return;
  // The timeline of a demo is its script's; the Escape that ends it is not kept.
  if (!playing && ScriptableMessage(message)) {
    timeline.Append(framesRun + 1, message, wParam);
    // Handled now: the frame that replays it must not handle it again.
    nextEvent = timeline.Events().size();
  }
  HandleWindowMessage(window, message, wParam, lParam);
}

void FrameDriver::RunFrame(FrameOutput output) {
  const long frame = framesRun + 1;
  const std::vector<ScriptEvent>& events = timeline.Events();
  for (; nextEvent < events.size() && events[nextEvent].frame <= frame; ++nextEvent)
    HandleWindowMessage(window, events[nextEvent].message, events[nextEvent].wParam, 0);
  world.RunFrame(window, output);
  framesRun = frame;
  timeline.FrameRan(frame, world);
  if (playing) Compare(frame);
}

void FrameDriver::Compare(long frame) {
  const std::vector<ScriptCheck>& checks = timeline.RecordedChecks();
  const auto check = std::lower_bound(checks.begin(), checks.end(), frame,
                                      [](const ScriptCheck& c, long f) { return c.frame < f; });
  if (check == checks.end() || check->frame != frame) return;
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
  nextEvent = timeline.FirstEventAfter(frame);
}

void FrameDriver::Close() { timeline.Close(framesRun, StateHash(CaptureState(world))); }
