// The one owner of the player's input. Every platform feeds it what its system reports, from
// one file of its own: the window procedure and the keys' state (input_win32.cpp), SDL's
// events (sdl_events.cpp), the page's events (input_web.cpp); the pads and the touch controls
// once a frame. It alone merges them, applies the rule for a lost focus, keeps stale presses
// out, and hands each message to the frame driver, which records it and passes it to the
// window-message handler.
//
// Pads speak as a keyboard does: the D-pad and the left stick press the arrows, the jump's face
// button (south, unless the player chose another) space, and Back held for a second Escape, all as key messages. Nothing past here knows
// that pads exist, so a recorded pad session is a script of keys like any other.
//
// Every key and pad goes to the viewer's controls first (core/game/viewer_controls.h): in a demo
// they steer the viewer and never reach the game; in live play the controls take only their
// own. When the game becomes the player's again (a demo taken over, a rewind let go), whatever
// the player holds then counts as pressed from that frame.
#pragma once

#include <array>
#include <bitset>
#include <cstddef>
#include <cstdint>

#include "front/focus_clock.h"
#include "front/gamepad.h"
#include "front/key_map.h"
#include "core/input/window_messages.h"

class ViewerControls;

// When a message was sent, for a window system that keeps such a clock (Windows): whether the
// game's window had the focus as it was read, the message's own time, and the time now, all on
// the system's millisecond clock.
struct MessageStamp {
  bool hasFocus = true;
  std::uint32_t sent = 0;
  std::uint32_t now = 0;
};

class PlayerInput {
 public:
  // A stick pushed at least half way counts: resting sticks drift, and a light touch while
  // aiming a jump should not start a run.
  static constexpr float deadZone = 0.5f;
  // Back quits only when held this long (a second at sixty frames), so a bump never ends a game.
  static constexpr int backHoldFrames = 60;

  explicit PlayerInput(WindowMessageTarget& game) : game(game) {}

  // The keys the player chose; from now on every key message speaks of the game's key instead.
  void UseKeys(const KeyMap& chosen) { keys = chosen; }
  const KeyMap& Keys() const { return keys; }
  // The pads' face button the player chose to jump with (south, A, as they come); the others
  // play no part in a game.
  void UseJumpButton(FaceButton button) { jumpButton = button; }
  FaceButton JumpButton() const { return jumpButton; }

  // Every window message on its way to the game. Key presses pass unchanged, auto-repeat
  // included; a key's release waits while a pad still holds the key. With a stamp, a press from
  // before the focus was last lost is dropped: its release went to another window.
  //
  // The focus: when it goes, every key held (the keyboard's and the pads') is let go, by key-up
  // messages the recording keeps; until it returns, neither presses nor pads are heard; when it
  // returns, whatever a pad holds then is pressed afresh.
  void Message(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam,
               const MessageStamp* stamp = nullptr);

  // Once a frame, before it runs: every pad connected now (count 0 when there is none). A pad
  // that is gone holds nothing, so whatever only it held is released.
  void PadsRead(const PadState* pads, std::size_t count);

  // Once a frame, for a window system whose releases can go astray (Windows under Wine, while
  // the window is re-made for full screen), with the queue emptied: `down` answers whether the
  // system has a key down now, and is asked only of the keys the keyboard holds. A key the game
  // holds that the system has up is let go of, as its release would have done; a key a pad
  // holds stays down.
  void SystemKeys(bool (*down)(std::uint8_t code), const MessageStamp& stamp);

  // A demo taken over from elsewhere than its keys (the page's bar): whatever is held now
  // counts as pressed from the frame shown.
  void TakeOver();

  // From now on every key and pad goes to these controls first (none: all to the game).
  void SteerViewer(ViewerControls* controls) { viewer = controls; }

 private:
  enum GameKey : std::size_t { left, right, jump, quit, gameKeyCount };
  using Held = std::array<bool, gameKeyCount>;

  static bool IsGameKey(std::uint8_t code, std::size_t& key);
  // Whether a key the keyboard holds plays the game's key of this code.
  bool KeyboardHolds(std::uint8_t gameCode) const;
  void FocusLost();
  // Whether the player's keys reach the game now (not in a demo, nor while it rewinds).
  bool GameHears() const;
  // The game is the player's again: what the game holds is made what the player holds.
  void PressWhatIsHeld();
  // Back held for its second: quits, in a game and in a demo.
  bool BackHeld(bool back);

  WindowMessageTarget& game;
  KeyMap keys;
  FaceButton jumpButton = FaceButton::south;
  // The keys as the player pressed them, before the map: the system answers for those.
  std::bitset<256> keyboardHolds;
  Held padHolds{};
  int backFrames = 0;
  bool focused = true;
  ViewerControls* viewer = nullptr;
  FocusClock clock;
};
