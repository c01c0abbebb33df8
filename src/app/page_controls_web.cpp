#include "app/page_controls_web.h"

#include <emscripten.h>

#include "app/gamepad_web.h"
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
