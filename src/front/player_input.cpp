#include "front/player_input.h"

#include <algorithm>

#include "core/platform.h"
#include "core/game/demo_viewer.h"
#include "core/game/replay_script.h"

namespace {
constexpr std::array<std::uint8_t, 4> gameKeyCodes = {vk::left, vk::right, vk::space, vk::escape};

// The viewer's keys that the game has no name for.
constexpr std::uint8_t vkEnd = 0x23;
constexpr std::uint8_t vkHome = 0x24;
constexpr std::uint8_t vkComma = 0xBC;
constexpr std::uint8_t vkPeriod = 0xBE;
constexpr std::uint8_t vkLeftBracket = 0xDB;
constexpr std::uint8_t vkRightBracket = 0xDD;
constexpr std::uint8_t vkNumpad0 = 0x60;
}  // namespace

bool PlayerInput::IsGameKey(std::uint8_t code, std::size_t& key) {
  const auto found = std::find(gameKeyCodes.begin(), gameKeyCodes.end(), code);
  key = static_cast<std::size_t>(found - gameKeyCodes.begin());
  return found != gameKeyCodes.end();
}

void PlayerInput::Message(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam,
                          const MessageStamp* stamp) {
  const auto code = static_cast<std::uint8_t>(wParam & 0xFF);
  const bool press = message == wm::keyDown || message == wm::character;
  if (stamp != nullptr) {
    // A focus message's own time says little; the clock at its handling is when it happened.
    if (message == wm::killFocus) clock.Lost(stamp->now);
    if (message == wm::setFocus) clock.Returned(stamp->now);
    if (press && clock.StalePress(stamp->hasFocus, stamp->sent)) return;
  }
  if (press && !focused) return;
  if (viewer != nullptr && ScriptableMessage(message)) {
    // The system's auto-repeat is not a press: a held step repeats at the viewer's own pace.
    const bool repeat = message == wm::keyDown && keyboardHolds.test(code);
    if (message == wm::keyDown) keyboardHolds.set(code);
    if (message == wm::keyUp) keyboardHolds.reset(code);
    if (message != wm::character && !repeat) ViewerKey(code, message == wm::keyDown);
    return;
  }
  std::size_t key = 0;
  const bool keyMessage = message == wm::keyDown || message == wm::keyUp;
  const std::uint8_t played = keyMessage ? keys.GameKey(code) : code;
  if (message == wm::keyDown) {
    keyboardHolds.set(code);
  } else if (message == wm::keyUp) {
    keyboardHolds.reset(code);
    if (IsGameKey(played, key) && padHolds[key]) return;
  } else if (message == wm::killFocus) {
    FocusLost();
  } else if (message == wm::setFocus) {
    focused = true;
  }
  if (keyMessage) {
    if (played == 0) return;
    wParam = played;
  }
  game.Deliver(message, wParam, lParam);
}

bool PlayerInput::KeyboardHolds(std::uint8_t gameCode) const {
  for (int code = 0; code < 256; ++code)
    if (keyboardHolds.test(static_cast<std::size_t>(code)) && keys.GameKey(static_cast<std::uint8_t>(code)) == gameCode)
      return true;
  return false;
}

void PlayerInput::FocusLost() {
  // The keyboard's releases will go to another window: everything held goes up now, key by
  // key in the order of their codes, so that the recording says what the player did. The pads'
  // holds go too: whatever a pad still holds when the focus returns is then pressed afresh, as
  // a key held down at that moment would be, instead of staying dead until let go.
  std::bitset<256> released;
  for (int code = 0; code < 256; ++code) {
    if (!keyboardHolds.test(static_cast<std::size_t>(code))) continue;
    if (viewer != nullptr)
      ViewerKey(static_cast<std::uint8_t>(code), false);
    else
      released.set(keys.GameKey(static_cast<std::uint8_t>(code)));
  }
  for (std::size_t key = 0; key < gameKeyCount; ++key)
    if (padHolds[key]) released.set(gameKeyCodes[key]);
  released.reset(0);
  for (int code = 0; code < 256; ++code)
    if (released.test(static_cast<std::size_t>(code))) game.Deliver(wm::keyUp, static_cast<std::uintptr_t>(code), 0);
  if (viewer != nullptr) {
    viewer->StepReleased(1);
    viewer->StepReleased(-1);
  }
  keyboardHolds.reset();
  padHolds.fill(false);
  viewerButtons.fill(false);
  backFrames = 0;
  focused = false;
}

void PlayerInput::ViewerKey(std::uint8_t code, bool down) {
  if (code == vk::escape) {
    if (down) PostQuit();
  } else if (code == vkPeriod || code == vkComma) {
    const int direction = code == vkPeriod ? 1 : -1;
    if (down) viewer->StepPressed(direction);
    else viewer->StepReleased(direction);
  } else if (!down) {
    return;
  } else if (code == 'K' || code == vk::space) {
    viewer->PlayPause();
  } else if (code == vk::right || code == 'L') {
    viewer->Skip(DemoViewer::skipFrames);
  } else if (code == vk::left || code == 'J') {
    viewer->Skip(-DemoViewer::skipFrames);
  } else if (code == vkRightBracket || code == vk::up) {
    viewer->Faster();
  } else if (code == vkLeftBracket || code == vk::down) {
    viewer->Slower();
  } else if (code == vkHome) {
    viewer->SeekFirst();
  } else if (code == vkEnd) {
    viewer->SeekLast();
  } else if (code >= '0' && code <= '9') {
    viewer->SeekTenth(code - '0');
  } else if (code >= vkNumpad0 && code <= vkNumpad0 + 9) {
    viewer->SeekTenth(code - vkNumpad0);
  }
}

void PlayerInput::ViewerButtons(const std::array<bool, viewerButtonCount>& now) {
  for (std::size_t button = 0; button < viewerButtonCount; ++button) {
    if (now[button] == viewerButtons[button]) continue;
    const bool down = viewerButtons[button] = now[button];
    if (button == stepForward || button == stepBack) {
      const int direction = button == stepForward ? 1 : -1;
      if (down) viewer->StepPressed(direction);
      else viewer->StepReleased(direction);
      continue;
    }
    if (!down) continue;
    if (button == playPause) viewer->PlayPause();
    if (button == skipForward) viewer->Skip(DemoViewer::skipFrames);
    if (button == skipBack) viewer->Skip(-DemoViewer::skipFrames);
    if (button == faster) viewer->Faster();
    if (button == slower) viewer->Slower();
  }
}

bool PlayerInput::BackHeld(bool back) {
  backFrames = back ? std::min(backFrames + 1, backHoldFrames) : 0;
  return backFrames == backHoldFrames;
}

void PlayerInput::PadsRead(const PadState* pads, std::size_t count) {
  if (!focused) return;
  Held now{};
  bool back = false;
  std::array<bool, viewerButtonCount> buttons{};
  for (std::size_t i = 0; i < count; ++i) {
    const PadState& pad = pads[i];
    now[left] = now[left] || pad.dpadLeft || pad.stickX <= -deadZone;
    now[right] = now[right] || pad.dpadRight || pad.stickX >= deadZone;
    now[jump] = now[jump] || Face(pad, jumpButton);
    back = back || pad.back;
    buttons[playPause] = buttons[playPause] || pad.south;
    buttons[stepForward] = buttons[stepForward] || pad.rightShoulder;
    buttons[stepBack] = buttons[stepBack] || pad.leftShoulder;
    buttons[skipForward] = buttons[skipForward] || pad.dpadRight;
    buttons[skipBack] = buttons[skipBack] || pad.dpadLeft;
    buttons[faster] = buttons[faster] || pad.north;
    buttons[slower] = buttons[slower] || pad.west;
  }
  const bool backWasHeld = backFrames == backHoldFrames;
  now[quit] = BackHeld(back);
  if (viewer != nullptr) {
    ViewerButtons(buttons);
    if (now[quit] && !backWasHeld) PostQuit();
    return;
  }

  // Releases before presses: a stick swung from left to right in one frame lets go of the
  // left arrow before the right one goes down, as fingers on keys would.
  for (const bool pressing : {false, true}) {
    for (std::size_t key = 0; key < gameKeyCount; ++key) {
      if (now[key] != pressing || padHolds[key] == pressing) continue;
      padHolds[key] = pressing;
      // The keyboard holding the key already said so, and its release is still to come.
      if (KeyboardHolds(gameKeyCodes[key])) continue;
      game.Deliver(pressing ? wm::keyDown : wm::keyUp, gameKeyCodes[key], 0);
    }
  }
}

void PlayerInput::SystemKeys(bool (*down)(std::uint8_t code), const MessageStamp& stamp) {
  // The focus may come back without a word; the system's own answer counts as one.
  clock.QueueEmptied(stamp.hasFocus, stamp.now);
  if (stamp.hasFocus) focused = true;
  for (int code = 1; code < 256; ++code) {
    if (keyboardHolds.test(static_cast<std::size_t>(code)) && !down(static_cast<std::uint8_t>(code)))
      Message(wm::keyUp, static_cast<std::uintptr_t>(code), 0);
  }
}
