// Gamepads speak to the game as a keyboard does: the D-pad and the left stick press the arrows,
// the south face button space, and Back held for a second Escape, all as key messages on the
// path the keyboard's take. Nothing past the window-message handler knows that pads exist, so
// a recorded pad session is a script of keys like any other.
//
// Every platform reads its pads into PadState once a frame and hands them over; the keyboard's
// messages pass through here too, because a key the keyboard and a pad both hold must stay
// down until both have let go.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>

class FrameDriver;

// One pad as its platform read it.
struct PadState {
  bool dpadLeft = false;
  bool dpadRight = false;
  float stickX = 0.0f;  // the left stick, -1 (full left) to 1 (full right)
  bool south = false;   // A, Cross
  bool back = false;    // Back, Select, View
};

// A stick axis as SDL and XInput report it, -32768 to 32767, in PadState's terms.
float StickFromAxis(std::int16_t axis);

class GamepadKeys {
 public:
  using Deliver = std::function<void(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam)>;

  // A stick pushed at least half way counts: resting sticks drift, and a light touch while
  // aiming a jump should not start a run.
  static constexpr float deadZone = 0.5f;
  // Back quits only when held this long (a second at sixty frames), so a bump never ends a game.
  static constexpr int backHoldFrames = 60;

  explicit GamepadKeys(Deliver deliver);
  // The game's way: messages go on to the frame driver, which records them and hands them to
  // the window-message handler.
  explicit GamepadKeys(FrameDriver& driver);

  // Every window message on its way to the game. Key presses pass unchanged, auto-repeat
  // included; a key's release waits while a pad still holds the key. While the window is
  // without the focus, the pads are not listened to, as the keyboard is not; when it returns,
  // whatever a pad holds is pressed from that frame on.
  void Message(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam);

  // Once a frame, before it runs: every pad connected now (count 0 when there is none). A pad
  // that is gone holds nothing, so whatever only it held is released.
  void PadsRead(const PadState* pads, std::size_t count);

 private:
  enum GameKey : std::size_t { left, right, jump, quit, gameKeyCount };
  using Held = std::array<bool, gameKeyCount>;

  static bool IsGameKey(std::uint8_t code, std::size_t& key);

  Deliver deliver;
  Held keyboardHolds{};
  Held padHolds{};
  int backFrames = 0;
  bool focused = true;
};
