#include "game/frame_driver.h"

#include <utility>

#include "app/keyboard.h"
#include "app/window_messages.h"
#include "game/game_world.h"

FrameDriver::FrameDriver(GameWorld& world, WindowHandle window) : world(world), window(window) {}

void FrameDriver::Record(ScriptSink& out) { recording = &out; }

void FrameDriver::Play(ReplayScript played) {
  script = std::move(played);
  nextEvent = 0;
  playing = true;
}

void FrameDriver::Deliver(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) {
  if (playing) {
    // A demo plays what was recorded: the player's own keys would change it, and a lost focus
    // must not let go of the keys the script holds. Escape still ends it.
    const bool escape = (message == wm::keyDown || message == wm::keyUp) && (wParam & 0xFF) == vk::escape;
    if ((ScriptableMessage(message) && !escape) || message == wm::killFocus) return;
  }
  Send(message, wParam, lParam);
}

void FrameDriver::Send(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) {
  if (recording != nullptr) {
    const long frame = framesRun + 1;
    if (ScriptableMessage(message)) {
      WriteScriptLine(*recording, frame, message, wParam);
      lastRecordedFrame = frame;
    } else if (message == wm::killFocus) {
      // The handler lets go of every held key; the recording says so key by key.
      for (int code = 0; code < 256; ++code) {
        if (!world.keyboard.IsKeyDown(static_cast<std::uint8_t>(code))) continue;
        WriteScriptLine(*recording, frame, wm::keyUp, static_cast<std::uintptr_t>(code));
        lastRecordedFrame = frame;
      }
    }
  }
  HandleWindowMessage(window, message, wParam, lParam);
}

void FrameDriver::RunFrame() {
  const long frame = framesRun + 1;
  for (; nextEvent < script.events.size() && script.events[nextEvent].frame <= frame; ++nextEvent)
    Send(script.events[nextEvent].message, script.events[nextEvent].wParam, 0);
  world.RunFrame(window);
  framesRun = frame;
  if (recording != nullptr) recording->Flush();
}

void FrameDriver::Close() {
  if (recording == nullptr || closed) return;
  closed = true;
  // Messages that arrived after the last frame (the close box, say) are already written; the
  // end may not come before them.
  WriteScriptEnd(*recording, framesRun > lastRecordedFrame ? framesRun : lastRecordedFrame);
  recording->Flush();
}
