#include "app/gamepad.h"

#include <algorithm>
#include <utility>

#include "app/window_messages.h"
#include "game/frame_driver.h"

namespace {
constexpr std::array<std::uint8_t, 4> gameKeyCodes = {vk::left, vk::right, vk::space, vk::escape};
}  // namespace

float StickFromAxis(std::int16_t axis) { return std::max(-1.0f, axis / 32767.0f); }

GamepadKeys::GamepadKeys(Deliver deliver) : deliver(std::move(deliver)) {}

GamepadKeys::GamepadKeys(FrameDriver& driver)
    : GamepadKeys([&driver](std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) {
        driver.Deliver(message, wParam, lParam);
      }) {}

bool GamepadKeys::IsGameKey(std::uint8_t code, std::size_t& key) {
  const auto found = std::find(gameKeyCodes.begin(), gameKeyCodes.end(), code);
  key = static_cast<std::size_t>(found - gameKeyCodes.begin());
  return found != gameKeyCodes.end();
}

void GamepadKeys::Message(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) {
  std::size_t key = 0;
  if ((message == wm::keyDown || message == wm::keyUp) && IsGameKey(static_cast<std::uint8_t>(wParam & 0xFF), key)) {
    keyboardHolds[key] = message == wm::keyDown;
    if (message == wm::keyUp && padHolds[key]) return;
  } else if (message == wm::killFocus) {
    // The handler lets go of every key, and the keyboard's releases will go elsewhere. The
    // pads' holds go too: whatever a pad still holds when the focus returns is then pressed
    // afresh, as a key held down at that moment would be, instead of staying dead until let go.
    keyboardHolds.fill(false);
    padHolds.fill(false);
    backFrames = 0;
    focused = false;
  } else if (message == wm::setFocus) {
    focused = true;
  }
  deliver(message, wParam, lParam);
}

void GamepadKeys::PadsRead(const PadState* pads, std::size_t count) {
  if (!focused) return;
  Held now{};
  bool back = false;
  for (std::size_t i = 0; i < count; ++i) {
    const PadState& pad = pads[i];
    now[left] = now[left] || pad.dpadLeft || pad.stickX <= -deadZone;
    now[right] = now[right] || pad.dpadRight || pad.stickX >= deadZone;
    now[jump] = now[jump] || pad.south;
    back = back || pad.back;
  }
  backFrames = back ? std::min(backFrames + 1, backHoldFrames) : 0;
  now[quit] = backFrames == backHoldFrames;

  // Releases before presses: a stick swung from left to right in one frame lets go of the
  // left arrow before the right one goes down, as fingers on keys would.
  for (const bool pressing : {false, true}) {
    for (std::size_t key = 0; key < gameKeyCount; ++key) {
      if (now[key] != pressing || padHolds[key] == pressing) continue;
      padHolds[key] = pressing;
      // The keyboard holding the key already said so, and its release is still to come.
      if (keyboardHolds[key]) continue;
      deliver(pressing ? wm::keyDown : wm::keyUp, gameKeyCodes[key], 0);
    }
  }
}
