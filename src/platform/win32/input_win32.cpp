#include "platform/win32/input_win32.h"

#include <cstdint>

#include "front/player_input.h"
#include "core/input/window_messages.h"

namespace {

// A press still queued when the focus moved away is read after the loss has let go of every
// key, and its release went to the other window; Wine reads it even after the focus has come
// back. The message's own time and whether the window has the focus as it is read tell the
// player's input which presses those are. Shown by the storm of
// scripts/test.d/35-windows-reliability.sh, with its 50 focus changes.
MessageStamp Stamp(HWND window, std::uint32_t sent) {
  return MessageStamp{GetFocus() == window, sent, static_cast<std::uint32_t>(GetTickCount())};
}

}  // namespace

LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  // The game only watches: every message goes on to Windows afterwards.
  auto* input = reinterpret_cast<PlayerInput*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  // Only presses and the focus's comings and goings are judged by their time; asking Windows
  // for the focus costs Wine a trip to its server, too dear for every move of the mouse.
  const bool timed = message == WM_KEYDOWN || message == WM_CHAR || message == WM_KILLFOCUS || message == WM_SETFOCUS;
  if (input != nullptr && timed) {
    const MessageStamp stamp = Stamp(window, static_cast<std::uint32_t>(GetMessageTime()));
    input->Message(message, static_cast<std::uintptr_t>(wParam), static_cast<std::intptr_t>(lParam), &stamp);
  } else if (input != nullptr) {
    input->Message(message, static_cast<std::uintptr_t>(wParam), static_cast<std::intptr_t>(lParam));
  } else {
    HandleWindowMessage(window, message, static_cast<std::uintptr_t>(wParam), static_cast<std::intptr_t>(lParam));
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

void AttachInput(HWND window, PlayerInput* input) {
  SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(input));
}

// A release can go astray without a WM_KILLFOCUS to make up for it: under Wine, while the
// window is re-made for full screen, it may reach no window at all. The system's own state of
// the keys knows better than the messages then. Shown by the storm of
// scripts/test.d/35-windows-reliability.sh, "under stress: the figure did not come to rest
// after the storm" when it fails.
void FeedKeyStates(HWND window, PlayerInput& input) {
  input.SystemKeys([](std::uint8_t code) { return (GetAsyncKeyState(code) & 0x8000) != 0; }, Stamp(window, 0));
}
