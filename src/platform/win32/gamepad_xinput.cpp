#include "platform/win32/gamepad_xinput.h"

#include <xinput.h>

#include "platform/win32/win32_workarounds.h"

namespace {
// Asking an empty slot costs Windows far more than asking a connected pad, so empty slots are
// searched once a second, not every frame.
constexpr int searchPeriod = 60;
}  // namespace

XInputPads::XInputPads() {
  for (const wchar_t* name : {L"xinput1_4.dll", L"xinput9_1_0.dll"}) {
    library = LoadForGood(name);
    if (library != nullptr) break;
  }
  if (library == nullptr) return;
  // The cast is how a function found by name is called at all.
  getState = reinterpret_cast<GetStateFunction>(reinterpret_cast<void*>(GetProcAddress(library, "XInputGetState")));
}

void XInputPads::Read(PlayerInput& input) {
  std::array<PadState, userCount> pads{};
  std::size_t count = 0;
  if (getState != nullptr) {
    const bool searching = framesToSearch == 0;
    framesToSearch = searching ? searchPeriod - 1 : framesToSearch - 1;
    for (DWORD user = 0; user < userCount; ++user) {
      if (!connected[user] && !searching) continue;
      XINPUT_STATE state = {};
      connected[user] = getState(user, &state) == ERROR_SUCCESS;
      if (!connected[user]) continue;
      const WORD buttons = state.Gamepad.wButtons;
      PadState& pad = pads[count++];
      pad.dpadLeft = (buttons & XINPUT_GAMEPAD_DPAD_LEFT) != 0;
      pad.dpadRight = (buttons & XINPUT_GAMEPAD_DPAD_RIGHT) != 0;
      pad.stickX = StickFromAxis(state.Gamepad.sThumbLX);
      pad.south = (buttons & XINPUT_GAMEPAD_A) != 0;
      pad.back = (buttons & XINPUT_GAMEPAD_BACK) != 0;
      pad.east = (buttons & XINPUT_GAMEPAD_B) != 0;
      pad.north = (buttons & XINPUT_GAMEPAD_Y) != 0;
      pad.west = (buttons & XINPUT_GAMEPAD_X) != 0;
      pad.leftShoulder = (buttons & XINPUT_GAMEPAD_LEFT_SHOULDER) != 0;
      pad.rightShoulder = (buttons & XINPUT_GAMEPAD_RIGHT_SHOULDER) != 0;
    }
  }
  input.PadsRead(pads.data(), count);
}
