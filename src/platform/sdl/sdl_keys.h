// SDL keyboard events in the vocabulary of the window-message handler: Windows virtual-key
// codes, WM_KEYDOWN / WM_KEYUP / WM_CHAR. Kept apart from the event loop so that it can be
// tested without a window.
#pragma once

#include <SDL.h>

#include <array>
#include <cstddef>
#include <cstdint>

// The Windows virtual-key code of a key, or 0 when Windows has none for it. Letters follow the
// keyboard layout, as Windows' do; keys that type something else are placed by their position
// on a US keyboard. modifiers matters only for the keypad, which without Num Lock moves the
// cursor.
std::uint8_t VirtualKeyOf(SDL_Keycode key, SDL_Scancode scancode, Uint16 modifiers);

// One message for HandleWindowMessage.
struct KeyMessage {
  std::uint32_t message;
  std::uintptr_t wParam;
};

// Whether Windows would take what is typed now for a menu shortcut rather than for the window:
// Alt is held without Ctrl (Ctrl with Alt is how Windows spells AltGr, and types normally).
bool SystemChord(Uint16 modifiers);

// Turns key events into window messages the way Windows would send them. Keys pressed in a
// system chord, Alt itself and F10 are system keys there and never reach the game.
class KeyTranslator {
 public:
  // A key event makes at most a key message and the control character typing it sends.
  static constexpr std::size_t maxMessages = 2;
  using Messages = std::array<KeyMessage, maxMessages>;

  // Fills out and returns how many messages the event makes (0 to 2).
  std::size_t Translate(const SDL_KeyboardEvent& event, Messages& out);

 private:
  // Keys whose press went through: their release always does too, even with Alt now held,
  // so that no key can stay down for the game after it was let go.
  std::array<bool, 256> delivered{};
};

// The UTF-16 code units of UTF-8 text, as WM_CHAR would carry them one by one (a character
// beyond U+FFFF takes two). A malformed byte becomes U+FFFD. Returns how many units were
// written; text that does not fit is cut at a character boundary.
std::size_t CharacterCodes(const char* utf8, std::uint16_t* out, std::size_t capacity);
