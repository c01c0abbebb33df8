// Which key the player uses for each of the game's three keys. Whatever the player chose, the
// game and its recordings see only the game's own keys (the arrows and space), so a run played
// on any keys replays anywhere.
#pragma once

#include <array>
#include <cstdint>
#include <string>

class KeyMap {
 public:
  // The keys as they come: each one is the game's key of the same code.
  KeyMap();

  // Reads "LEFT,RIGHT,JUMP" as key names (a to z, 0 to 9, left, right, up, down, space, enter,
  // tab, shift, ctrl, alt, home, end, pageup, pagedown, insert, delete, backspace, f1 to f12
  // but f11, num0 to num9, comma, period, slash, semicolon, quote, minus, equals, leftbracket,
  // rightbracket, backslash, backquote), in any case. Escape and F11 keep their
  // meaning. False, with a message naming the fault, for a name given twice, one unknown, or a
  // reserved key.
  static bool Parse(const std::string& text, KeyMap& map, std::string& error);
  // The same from three key codes (the page's settings); the message names the codes.
  static bool FromCodes(std::uint8_t left, std::uint8_t right, std::uint8_t jump, KeyMap& map, std::string& error);

  // The game's key for a key the player pressed, or 0 when it plays no part: the game's keys
  // the player moved elsewhere are not heard where they were.
  std::uint8_t GameKey(std::uint8_t pressed) const { return toGame[pressed]; }
  // A key's name as Parse reads it, or its code as a number for a key without one.
  static std::string Name(std::uint8_t code);

 private:
  std::array<std::uint8_t, 256> toGame;
};
