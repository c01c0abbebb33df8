#include "platform/web/gamepad_web.h"

#include <emscripten.h>
#include <emscripten/html5.h>

#include <cstdint>
#include <cstring>

namespace {

// Where the standard layout puts what the game reads. A pad the browser cannot lay out so
// reports its own order, whose first axis and first button are nearly always the left stick's
// x and the bottom face button; its other buttons cannot be trusted.
constexpr int southButton = 0;
constexpr int eastButton = 1;
constexpr int westButton = 2;
constexpr int northButton = 3;
constexpr int leftShoulderButton = 4;
constexpr int rightShoulderButton = 5;
constexpr int backButton = 8;
constexpr int dpadLeftButton = 14;
constexpr int dpadRightButton = 15;
constexpr int stickXAxis = 0;

bool Pressed(const EmscriptenGamepadEvent& pad, int button) {
  return button < pad.numButtons && pad.digitalButton[button] != 0;
}

// Calls SEEN with PADS once the page has a pad, as the page's settings (web/settings.js) tell
// it; a page without them has the pads read from the start.
EM_JS(void, WhenPadSeen, (std::intptr_t seen, void* pads), {
  var tell = function() { wasmTable.get(seen)(pads); };
  if (window.FennwickSettings && window.FennwickSettings.whenPadSeen) window.FennwickSettings.whenPadSeen(tell);
  else tell();
});

void OnPadSeen(void* pads) { static_cast<WebGamepads*>(pads)->PadSeen(); }

}  // namespace

void WebGamepads::Watch() { WhenPadSeen(reinterpret_cast<std::intptr_t>(&OnPadSeen), this); }

void WebGamepads::Read(PlayerInput& input) {
  std::size_t count = 0;
  if (padSeen && emscripten_sample_gamepad_data() == EMSCRIPTEN_RESULT_SUCCESS) {
    const int slots = emscripten_get_num_gamepads();
    for (int slot = 0; slot < slots && count + 1 < states.size(); ++slot) {
      EmscriptenGamepadEvent pad;
      if (emscripten_get_gamepad_status(slot, &pad) != EMSCRIPTEN_RESULT_SUCCESS || !pad.connected) continue;
      const bool standard = std::strcmp(pad.mapping, "standard") == 0;
      PadState& state = states[count++];
      state.south = Pressed(pad, southButton);
      state.stickX = pad.numAxes > stickXAxis ? static_cast<float>(pad.axis[stickXAxis]) : 0.0f;
      state.dpadLeft = standard && Pressed(pad, dpadLeftButton);
      state.dpadRight = standard && Pressed(pad, dpadRightButton);
      state.back = standard && Pressed(pad, backButton);
      state.east = standard && Pressed(pad, eastButton);
      state.north = standard && Pressed(pad, northButton);
      state.west = standard && Pressed(pad, westButton);
      state.leftShoulder = standard && Pressed(pad, leftShoulderButton);
      state.rightShoulder = standard && Pressed(pad, rightShoulderButton);
    }
  }
  // The touch controls' Jump is the player's jump, on whichever face button a pad's is.
  PadState& touched = states[count++] = touch;
  touched.south = false;
  Face(touched, input.JumpButton()) = touch.south;
  input.PadsRead(states.data(), count);
}
