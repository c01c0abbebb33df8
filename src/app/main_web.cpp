// The game in a web page: one GameWorld drawing on the page's canvas, the browser's animation
// frames driving it at 60 frames a second whatever the screen's rate, and the page's key and
// focus events delivered as the same window messages the desktop builds send.
#include <emscripten.h>
#include <emscripten/html5.h>

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "app/frame_pacer.h"
#include "app/game_start.h"
#include "app/gamepad_web.h"
#include "app/messages.h"
#include "app/page_controls_web.h"
#include "app/platform_web.h"
#include "app/window_messages.h"
#include "game/frame_driver.h"

namespace {

constexpr const char* canvas = "#canvas";

// An animation frame at 30 Hz must run two game frames; after a hitch a few more may be due,
// but never so many that one callback stalls the page.
constexpr int mostFramesPerCallback = 4;

// Callbacks come a screen refresh apart, but the moment each one starts wanders by a
// millisecond or more: a frame due within half a period counts as due now, or a 60 Hz screen
// would now and then skip a frame it should have run.
constexpr FramePacer::Clock::duration earlyEnough = FramePacer::period / 2;

// Windows' codes for the keys whose press also types a control character there, which the
// page's keypress event does not report.
constexpr std::uint32_t vkBack = 0x08;
constexpr std::uint32_t vkTab = 0x09;

// The run just played, as a replay script, for the page to offer when the game ends.
EM_JS(void, HandRunToPage, (const char* text, std::size_t length), {
  Module['recordedRun'] = UTF8ToString(text, length);
});

struct Game {
  GameStart start;
  GamepadKeys* keys = nullptr;  // where the page's messages and the pads meet, while playing
  WebGamepads pads;
  FramePacer pacer;
  bool demo = false;
  // The count the page reads, kept when the world is gone.
  long framesRun = 0;
};

Game game;

void Deliver(std::uint32_t message, std::uintptr_t wParam) {
  if (game.keys != nullptr) game.keys->Message(message, wParam, 0);
}

// The keys whose default the browser must not act on while the game has the focus: the
// arrows and space would scroll the page, F11 would take the whole browser to full screen.
bool GameKey(std::uint32_t code) {
  return code == vk::space || code == vk::left || code == vk::up || code == vk::right ||
         code == vk::down || code == vk::f11;
}

EM_BOOL OnKey(int type, const EmscriptenKeyboardEvent* event, void*) {
  // For the game's keys the DOM keyCode is the Windows virtual-key code.
  const std::uint32_t code = event->keyCode;
  if (code == 0 || code > 0xFF) return EM_FALSE;
  if (type == EMSCRIPTEN_EVENT_KEYUP) {
    Deliver(wm::keyUp, code);
    return GameKey(code) ? EM_TRUE : EM_FALSE;
  }
  Deliver(wm::keyDown, code);
  // Windows types these with the key; the browser sends no keypress for them (for space,
  // because its default is stopped here).
  if (code == vk::space || code == vk::escape || code == vkBack || code == vkTab)
    Deliver(wm::character, code);
  return GameKey(code) ? EM_TRUE : EM_FALSE;
}

EM_BOOL OnKeyPress(int, const EmscriptenKeyboardEvent* event, void*) {
  const std::uint32_t character = event->charCode;
  if (character == 0 || character == ' ') return EM_FALSE;
  // WM_CHAR carries UTF-16 code units: a character beyond U+FFFF comes as its two halves.
  if (character > 0xFFFF) {
    const std::uint32_t offset = character - 0x10000;
    Deliver(wm::character, 0xD800 + (offset >> 10));
    Deliver(wm::character, 0xDC00 + (offset & 0x3FF));
  } else {
    Deliver(wm::character, character);
  }
  return EM_FALSE;
}

// Keys held while the page loses the focus are never reported released: the portable handler
// lets them go, as it does on the desktop.
EM_BOOL OnBlur(int, const EmscriptenFocusEvent*, void*) {
  Deliver(wm::killFocus, 0);
  return EM_FALSE;
}

// The pads are listened to again only once the page has the focus back.
EM_BOOL OnFocus(int, const EmscriptenFocusEvent*, void*) {
  Deliver(wm::setFocus, 0);
  return EM_FALSE;
}

EM_BOOL OnVisibility(int, const EmscriptenVisibilityChangeEvent* event, void*) {
  if (event->hidden) Deliver(wm::killFocus, 0);
  return EM_FALSE;
}

void ListenToPage(bool listen) {
  const auto key = listen ? OnKey : nullptr;
  emscripten_set_keydown_callback(canvas, nullptr, EM_FALSE, key);
  emscripten_set_keyup_callback(canvas, nullptr, EM_FALSE, key);
  emscripten_set_keypress_callback(canvas, nullptr, EM_FALSE, listen ? OnKeyPress : nullptr);
  emscripten_set_blur_callback(canvas, nullptr, EM_FALSE, listen ? OnBlur : nullptr);
  emscripten_set_blur_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, nullptr, EM_FALSE, listen ? OnBlur : nullptr);
  emscripten_set_focus_callback(canvas, nullptr, EM_FALSE, listen ? OnFocus : nullptr);
  emscripten_set_focus_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, nullptr, EM_FALSE, listen ? OnFocus : nullptr);
  emscripten_set_visibilitychange_callback(nullptr, EM_FALSE, listen ? OnVisibility : nullptr);
}

bool Finished() { return QuitPosted() || game.start.Driver().ScriptEnded(); }

// Escape, or the demo's last frame: the world goes, as it does when the desktop game ends,
// and its last picture stays on the canvas.
// A demo that reaches its last frame has ended as a demo, even when the run it plays ended
// with Escape there.
void End() {
  const bool demoEnded = game.demo && game.start.Driver().ScriptEnded();
  ListenToPage(false);
  AttachPageControls(nullptr, nullptr);
  game.keys = nullptr;
  game.start.End();
  const std::string run = game.start.RecordedRun();
  HandRunToPage(run.data(), run.size());
  TellPage(demoEnded ? "demo-ended" : "ended", "");
}

EM_BOOL OnAnimationFrame(double, void*) {
  // --- Input --- The page's events have been delivered as they came, between callbacks.
  // The pads send no events: they are read before each frame below, so that Back's second
  // is sixty frames on a screen of any rate.

  // --- Frames --- Every frame that is due runs now; a tab in the background gets no
  // callbacks at all, so the game waits there, and the pacer starts afresh on return.
  const FramePacer::Clock::time_point now = FramePacer::Clock::now();
  for (int ran = 0; ran < mostFramesPerCallback && !Finished(); ++ran) {
    if (game.pacer.TimeUntilDue(now) > earlyEnough) break;
    game.pacer.FrameRuns(now);
    game.pads.Read(*game.keys);
    game.start.Driver().RunFrame();
    game.framesRun = game.start.Driver().FramesRun();
  }
  if (Finished()) {
    End();
    return EM_FALSE;
  }
  return EM_TRUE;
}

}  // namespace

// How many frames the game has run: the page's frame counter.
extern "C" EMSCRIPTEN_KEEPALIVE long fennwick_frames_run() { return game.framesRun; }

int main(int argc, char** argv) {
  // Every session is kept in memory, for the page to offer once the game ends.
  game.start.options.recordInMemory = true;
  if (!game.start.Prepare(std::vector<std::string>(argv + 1, argv + argc))) return game.start.Report();
  // A recording would go into the page's memory and be lost with it.
  if (!game.start.options.record.empty()) {
    game.start.FailOption(say::NoRecordingInBrowser());
    return game.start.Report();
  }
  if (!game.start.Build(nullptr)) return game.start.Report();
  game.keys = &game.start.Keys();
  game.demo = !game.start.options.play.empty();
  ListenToPage(true);
  AttachPageControls(game.keys, &game.pads);
  TellPage("running", "");
  emscripten_request_animation_frame_loop(OnAnimationFrame, nullptr);
  return 0;
}
