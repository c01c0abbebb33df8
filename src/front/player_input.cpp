#include "front/player_input.h"

#include <algorithm>

#include "core/platform.h"
#include "core/game/viewer_controls.h"
#include "core/game/replay_script.h"

namespace {
constexpr std::array<std::uint8_t, 4> gameKeyCodes = {vk::left, vk::right, vk::space, vk::escape};
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
  std::size_t key = 0;
  const bool keyMessage = message == wm::keyDown || message == wm::keyUp;
  const std::uint8_t played = keyMessage ? keys.GameKey(code) : code;
  if (keyMessage) {
    // The system's auto-repeat is not a press: a held step repeats at the viewer's own pace.
    const bool repeat = message == wm::keyDown && keyboardHolds.test(code);
    keyboardHolds.set(code, message == wm::keyDown);
    const Steered steered = viewer != nullptr && !repeat ? viewer->Key(code, message == wm::keyDown) : Steered{};
    if (steered.wentLive) PressWhatIsHeld();
    // The key that let go of a rewind (Escape, F11) is then the game's, once.
    if (steered.taken || (steered.wentLive && IsGameKey(played, key))) return;
  }
  if (ScriptableMessage(message) && !GameHears()) return;
  if (message == wm::keyUp) {
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

bool PlayerInput::GameHears() const { return viewer == nullptr || viewer->GameHears(); }

void PlayerInput::TakeOver() {
  if (viewer != nullptr && viewer->TakeOver().wentLive) PressWhatIsHeld();
}

void PlayerInput::PressWhatIsHeld() {
  for (std::size_t key = 0; key < gameKeyCount; ++key) {
    const std::uint8_t code = gameKeyCodes[key];
    const bool held = padHolds[key] || KeyboardHolds(code);
    if (held != viewer->GameHolds(code)) game.Deliver(held ? wm::keyDown : wm::keyUp, code, 0);
  }
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
  if (GameHears()) {
    for (int code = 0; code < 256; ++code)
      if (keyboardHolds.test(static_cast<std::size_t>(code))) released.set(keys.GameKey(static_cast<std::uint8_t>(code)));
    for (std::size_t key = 0; key < gameKeyCount; ++key)
      if (padHolds[key]) released.set(gameKeyCodes[key]);
  }
  released.reset(0);
  for (int code = 0; code < 256; ++code)
    if (released.test(static_cast<std::size_t>(code))) game.Deliver(wm::keyUp, static_cast<std::uintptr_t>(code), 0);
  keyboardHolds.reset();
  padHolds.fill(false);
  backFrames = 0;
  focused = false;
  // A rewind let go of plays on from the frame shown with nothing held.
  if (viewer != nullptr && viewer->LetGo().wentLive) PressWhatIsHeld();
}

bool PlayerInput::BackHeld(bool back) {
  backFrames = back ? std::min(backFrames + 1, backHoldFrames) : 0;
  return backFrames == backHoldFrames;
}

void PlayerInput::PadsRead(const PadState* pads, std::size_t count) {
  if (!focused) return;
  Held now{};
  bool back = false;
  for (std::size_t i = 0; i < count; ++i) {
    const PadState& pad = pads[i];
    now[left] = now[left] || pad.dpadLeft || pad.stickX <= -deadZone;
    now[right] = now[right] || pad.dpadRight || pad.stickX >= deadZone;
    now[jump] = now[jump] || Face(pad, jumpButton);
    back = back || pad.back;
  }
  now[quit] = BackHeld(back);
  Steered steered = viewer != nullptr ? viewer->Pads(pads, count) : Steered{};
  // Back's second counts as Escape: in a demo it quits, in a rewind it lets go first.
  if (viewer != nullptr && now[quit] && !padHolds[quit]) steered.wentLive = viewer->Key(vk::escape, true).wentLive || steered.wentLive;
  if (!GameHears()) {
    // Held, not told: a take-over or a rewind let go of counts them as pressed.
    padHolds = now;
    return;
  }
  if (steered.wentLive) {
    for (const std::size_t key : {left, right, jump}) padHolds[key] = now[key];
    PressWhatIsHeld();
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
