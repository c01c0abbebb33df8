#include "platform/web/input_web.h"

#include <emscripten.h>
#include <emscripten/html5.h>

#include <cstdint>

#include "platform/web/gamepad_web.h"
#include "platform/web/page_numbers.h"
#include "platform/web/page_pointer.h"
#include "front/player_input.h"
#include "core/game/demo_viewer.h"

namespace {

constexpr const char* canvas = "#canvas";

// Windows' codes for the keys whose press also types a control character there, which the
// page's keypress event does not report.
constexpr std::uint32_t vkBack = 0x08;
constexpr std::uint32_t vkTab = 0x09;
// A demo's first and last frame, which would otherwise scroll the page.
constexpr std::uint32_t vkEnd = 0x23;
constexpr std::uint32_t vkHome = 0x24;

PlayerInput& InputOf(void* page) { return *static_cast<PageInput*>(page)->input; }

// The keys whose default the browser must not act on while the game has the focus: the
// arrows, space, Home and End would scroll the page, F11 would take the whole browser to full
// screen, and a key the player chose to play with must only play (Tab would take the focus away
// mid-jump, a slash open a browser's quick find).
bool GameKey(void* page, std::uint32_t code) {
  const std::uint8_t played = InputOf(page).Keys().GameKey(static_cast<std::uint8_t>(code));
  return code == vk::space || code == vk::left || code == vk::up || code == vk::right ||
         code == vk::down || code == vk::f11 || code == vkHome || code == vkEnd || played == vk::left ||
         played == vk::right || played == vk::space;
}

EM_BOOL OnKey(int type, const EmscriptenKeyboardEvent* event, void* page) {
  // For the game's keys the DOM keyCode is the Windows virtual-key code.
  const std::uint32_t code = event->keyCode;
  if (code == 0 || code > 0xFF) return EM_FALSE;
  if (type == EMSCRIPTEN_EVENT_KEYUP) {
    InputOf(page).Message(wm::keyUp, code, 0);
    return GameKey(page, code) ? EM_TRUE : EM_FALSE;
  }
  InputOf(page).Message(wm::keyDown, code, 0);
  // Windows types these with the key; the browser sends no keypress for them (for space,
  // because its default is stopped here).
  if (code == vk::space || code == vk::escape || code == vkBack || code == vkTab)
    InputOf(page).Message(wm::character, code, 0);
  return GameKey(page, code) ? EM_TRUE : EM_FALSE;
}

EM_BOOL OnKeyPress(int, const EmscriptenKeyboardEvent* event, void* page) {
  const std::uint32_t character = event->charCode;
  if (character == 0 || character == ' ') return EM_FALSE;
  // WM_CHAR carries UTF-16 code units: a character beyond U+FFFF comes as its two halves.
  if (character > 0xFFFF) {
    const std::uint32_t offset = character - 0x10000;
    InputOf(page).Message(wm::character, 0xD800 + (offset >> 10), 0);
    InputOf(page).Message(wm::character, 0xDC00 + (offset & 0x3FF), 0);
  } else {
    InputOf(page).Message(wm::character, character, 0);
  }
  return EM_FALSE;
}

// Keys held while the page loses the focus are never reported released; the player's input
// lets them go, as it does on the desktop.
EM_BOOL OnBlur(int, const EmscriptenFocusEvent*, void* page) {
  InputOf(page).Message(wm::killFocus, 0, 0);
  return EM_FALSE;
}

EM_BOOL OnFocus(int, const EmscriptenFocusEvent*, void* page) {
  InputOf(page).Message(wm::setFocus, 0, 0);
  return EM_FALSE;
}

// A hidden tab has lost the player as surely as a window that lost the focus; shown again, it
// may be heard again.
EM_BOOL OnVisibility(int, const EmscriptenVisibilityChangeEvent* event, void* page) {
  InputOf(page).Message(event->hidden ? wm::killFocus : wm::setFocus, 0, 0);
  return EM_FALSE;
}

}  // namespace

void ListenToPage(PageInput* page) {
  const bool listen = page != nullptr;
  emscripten_set_keydown_callback(canvas, page, EM_FALSE, listen ? OnKey : nullptr);
  emscripten_set_keyup_callback(canvas, page, EM_FALSE, listen ? OnKey : nullptr);
  emscripten_set_keypress_callback(canvas, page, EM_FALSE, listen ? OnKeyPress : nullptr);
  emscripten_set_blur_callback(canvas, page, EM_FALSE, listen ? OnBlur : nullptr);
  emscripten_set_blur_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, page, EM_FALSE, listen ? OnBlur : nullptr);
  emscripten_set_focus_callback(canvas, page, EM_FALSE, listen ? OnFocus : nullptr);
  emscripten_set_focus_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, page, EM_FALSE, listen ? OnFocus : nullptr);
  emscripten_set_visibilitychange_callback(page, EM_FALSE, listen ? OnVisibility : nullptr);
  EM_ASM({ Module['playerInput'] = $0; }, page);
}

// A pointer event over the canvas (or, while a button is held, anywhere): the same message the
// desktop window gets, on the keys' path so it reaches the frame in order with them.
extern "C" EMSCRIPTEN_KEEPALIVE void fennwick_pointer(PageInput* page, int button, int buttons, double x, double y,
                                                      double width, double height) {
  PageMouseMessage message{};
  if (page != nullptr && PagePointerMessage(button, buttons, x, y, width, height, message))
    page->input->Message(message.message, message.wParam, message.lParam);
}

// Every touch control, whether a finger holds it now; the next frame reads them with the pads.
extern "C" EMSCRIPTEN_KEEPALIVE void fennwick_touch(PageInput* page, int left, int right, int jump, int quit, int rewind) {
  if (page == nullptr) return;
  PadState state;
  state.dpadLeft = left != 0;
  state.dpadRight = right != 0;
  state.south = jump != 0;
  state.back = quit != 0;
  // The rewind held, as a pad's LB holds it.
  state.leftShoulder = rewind != 0;
  page->pads->Touched(state);
}

// What the viewer's bar asks of a demo (page_numbers.h names the commands for the page). A step
// held on the bar repeats as a held key does, until it is let go.

extern "C" EMSCRIPTEN_KEEPALIVE void fennwick_view(PageInput* page, int command, int argument) {
  if (page == nullptr || page->viewer == nullptr) return;
  DemoViewer& viewer = *page->viewer;
  switch (static_cast<ViewCommand>(command)) {
    case ViewCommand::playPause: viewer.PlayPause(); break;
    case ViewCommand::stepPressed: viewer.StepPressed(argument < 0 ? -1 : 1); break;
    case ViewCommand::stepReleased: viewer.StepReleased(argument < 0 ? -1 : 1); break;
    case ViewCommand::seek: viewer.Seek(argument); break;
    case ViewCommand::speed: viewer.SetSpeed(argument); break;
    // Through the player's input, which hands the game whatever is held at that moment.
    case ViewCommand::takeOver: page->input->TakeOver(); break;
  }
}
