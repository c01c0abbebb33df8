#include "app/page_controls_web.h"

#include <emscripten.h>

#include "app/gamepad_web.h"
#include "app/keyboard.h"
#include "app/mouse.h"
#include "app/page_pointer.h"

namespace {

GamepadKeys* attachedKeys = nullptr;
WebGamepads* attachedPads = nullptr;

}  // namespace

void AttachPageControls(GamepadKeys* keys, WebGamepads* pads) {
  attachedKeys = keys;
  attachedPads = pads;
}

// A pointer event over the canvas (or, while a button is held, anywhere): the same message the
// desktop window gets, on the keys' path so it reaches the frame in order with them.
extern "C" EMSCRIPTEN_KEEPALIVE void fennwick_pointer(int button, int buttons, double x, double y,
                                                      double width, double height) {
  PageMouseMessage message{};
  if (attachedKeys && PagePointerMessage(button, buttons, x, y, width, height, message))
    attachedKeys->Message(message.message, message.wParam, message.lParam);
}

// Every touch control, whether a finger holds it now; the next frame reads them with the pads.
extern "C" EMSCRIPTEN_KEEPALIVE void fennwick_touch(int left, int right, int jump, int quit) {
  if (!attachedPads) return;
  PadState state;
  state.dpadLeft = left != 0;
  state.dpadRight = right != 0;
  state.south = jump != 0;
  state.back = quit != 0;
  attachedPads->Touched(state);
}

// What the page may read back: the Mouse's fields in order (x, y, left, right, inside), and
// whether a key is down for the game.
extern "C" EMSCRIPTEN_KEEPALIVE int fennwick_mouse(int field) {
  switch (field) {
    case 0: return processMouse.x;
    case 1: return processMouse.y;
    case 2: return processMouse.leftDown;
    case 3: return processMouse.rightDown;
    case 4: return processMouse.inside;
    default: return 0;
  }
}

extern "C" EMSCRIPTEN_KEEPALIVE int fennwick_key_down(int code) {
  return code >= 0 && code < 256 && processKeyboard.IsKeyDown(static_cast<std::uint8_t>(code));
}
