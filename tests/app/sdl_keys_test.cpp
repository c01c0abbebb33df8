#include "platform/sdl/sdl_keys.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "core/input/window_messages.h"

namespace {

// What the handler is sent for one key event, spelt out: "down 39", "down 13, char 13", "".
std::string Translate(KeyTranslator& keys, Uint32 type, SDL_Keycode key, SDL_Scancode scancode,
                      Uint16 modifiers = KMOD_NONE, Uint8 repeat = 0) {
  SDL_KeyboardEvent event{};
  event.type = type;
  event.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
  event.repeat = repeat;
  event.keysym.sym = key;
  event.keysym.scancode = scancode;
  event.keysym.mod = modifiers;
  KeyTranslator::Messages out{};
  const std::size_t count = keys.Translate(event, out);
  std::string text;
  for (std::size_t i = 0; i < count; ++i) {
    if (!text.empty()) text += ", ";
    switch (out[i].message) {
      case wm::keyDown: text += "down "; break;
      case wm::keyUp: text += "up "; break;
      case wm::character: text += "char "; break;
      default: text += "? "; break;
    }
    text += std::to_string(out[i].wParam);
  }
  return text;
}

using Units = std::vector<std::uint16_t>;

}  // namespace

TEST(SdlKeyCodes, LettersAndDigitsTakeTheirCharacterCodes) {
  EXPECT_EQ(VirtualKeyOf(SDLK_a, SDL_SCANCODE_A, KMOD_NONE), 'A');
  EXPECT_EQ(VirtualKeyOf(SDLK_z, SDL_SCANCODE_Z, KMOD_NONE), 'Z');
  EXPECT_EQ(VirtualKeyOf(SDLK_0, SDL_SCANCODE_0, KMOD_NONE), '0');
  EXPECT_EQ(VirtualKeyOf(SDLK_9, SDL_SCANCODE_9, KMOD_NONE), '9');
  // Shift changes what is typed, not which key it is.
  EXPECT_EQ(VirtualKeyOf(SDLK_q, SDL_SCANCODE_Q, KMOD_LSHIFT), 'Q');
}

TEST(SdlKeyCodes, LettersFollowTheLayoutAndOtherCharactersThePosition) {
  // On a French keyboard the US Q key types "a", and the digit row types symbols unshifted.
  EXPECT_EQ(VirtualKeyOf(SDLK_a, SDL_SCANCODE_Q, KMOD_NONE), 'A');
  EXPECT_EQ(VirtualKeyOf(SDLK_AMPERSAND, SDL_SCANCODE_1, KMOD_NONE), '1');
  // An accented letter has no code of its own; its place on the keyboard decides.
  EXPECT_EQ(VirtualKeyOf(0xF6 /* ö */, SDL_SCANCODE_SEMICOLON, KMOD_NONE), 0xBA);
  EXPECT_EQ(VirtualKeyOf(SDLK_LESS, SDL_SCANCODE_NONUSBACKSLASH, KMOD_NONE), 0xE2);
}

TEST(SdlKeyCodes, TheGameKeysAndTheirNeighbours) {
  EXPECT_EQ(VirtualKeyOf(SDLK_LEFT, SDL_SCANCODE_LEFT, KMOD_NONE), vk::left);
  EXPECT_EQ(VirtualKeyOf(SDLK_UP, SDL_SCANCODE_UP, KMOD_NONE), vk::up);
  EXPECT_EQ(VirtualKeyOf(SDLK_RIGHT, SDL_SCANCODE_RIGHT, KMOD_NONE), vk::right);
  EXPECT_EQ(VirtualKeyOf(SDLK_DOWN, SDL_SCANCODE_DOWN, KMOD_NONE), vk::down);
  EXPECT_EQ(VirtualKeyOf(SDLK_SPACE, SDL_SCANCODE_SPACE, KMOD_NONE), vk::space);
  EXPECT_EQ(VirtualKeyOf(SDLK_ESCAPE, SDL_SCANCODE_ESCAPE, KMOD_NONE), vk::escape);
  EXPECT_EQ(VirtualKeyOf(SDLK_RETURN, SDL_SCANCODE_RETURN, KMOD_NONE), 13);
  EXPECT_EQ(VirtualKeyOf(SDLK_TAB, SDL_SCANCODE_TAB, KMOD_NONE), 9);
  EXPECT_EQ(VirtualKeyOf(SDLK_BACKSPACE, SDL_SCANCODE_BACKSPACE, KMOD_NONE), 8);
  // Windows names the modifier, not the side it is on.
  EXPECT_EQ(VirtualKeyOf(SDLK_RSHIFT, SDL_SCANCODE_RSHIFT, KMOD_NONE), 16);
  EXPECT_EQ(VirtualKeyOf(SDLK_RCTRL, SDL_SCANCODE_RCTRL, KMOD_NONE), 17);
  EXPECT_EQ(VirtualKeyOf(SDLK_PAGEDOWN, SDL_SCANCODE_PAGEDOWN, KMOD_NONE), 0x22);
  EXPECT_EQ(VirtualKeyOf(SDLK_DELETE, SDL_SCANCODE_DELETE, KMOD_NONE), 0x2E);
  EXPECT_EQ(VirtualKeyOf(SDLK_SLASH, SDL_SCANCODE_SLASH, KMOD_NONE), 0xBF);
  EXPECT_EQ(VirtualKeyOf(SDLK_QUOTE, SDL_SCANCODE_APOSTROPHE, KMOD_NONE), 0xDE);
}

TEST(SdlKeyCodes, FunctionKeysRunFrom112) {
  EXPECT_EQ(VirtualKeyOf(SDLK_F1, SDL_SCANCODE_F1, KMOD_NONE), 112);
  EXPECT_EQ(VirtualKeyOf(SDLK_F10, SDL_SCANCODE_F10, KMOD_NONE), 121);
  EXPECT_EQ(VirtualKeyOf(SDLK_F11, SDL_SCANCODE_F11, KMOD_NONE), vk::f11);
  EXPECT_EQ(VirtualKeyOf(SDLK_F12, SDL_SCANCODE_F12, KMOD_NONE), 123);
  EXPECT_EQ(VirtualKeyOf(SDLK_F13, SDL_SCANCODE_F13, KMOD_NONE), 124);
  EXPECT_EQ(VirtualKeyOf(SDLK_F24, SDL_SCANCODE_F24, KMOD_NONE), 135);
}

TEST(SdlKeyCodes, KeypadDigitsMoveTheCursorWithoutNumLock) {
  EXPECT_EQ(VirtualKeyOf(SDLK_KP_4, SDL_SCANCODE_KP_4, KMOD_NUM), 0x64);
  EXPECT_EQ(VirtualKeyOf(SDLK_KP_4, SDL_SCANCODE_KP_4, KMOD_NONE), vk::left);
  EXPECT_EQ(VirtualKeyOf(SDLK_KP_PERIOD, SDL_SCANCODE_KP_PERIOD, KMOD_NUM), 0x6E);
  EXPECT_EQ(VirtualKeyOf(SDLK_KP_PERIOD, SDL_SCANCODE_KP_PERIOD, KMOD_NONE), 0x2E);
  EXPECT_EQ(VirtualKeyOf(SDLK_KP_ENTER, SDL_SCANCODE_KP_ENTER, KMOD_NONE), 13);
  EXPECT_EQ(VirtualKeyOf(SDLK_KP_MULTIPLY, SDL_SCANCODE_KP_MULTIPLY, KMOD_NONE), 0x6A);
}

TEST(SdlKeyCodes, KeysWindowsHasNoCodeForGiveZero) {
  EXPECT_EQ(VirtualKeyOf(SDLK_BRIGHTNESSDOWN, SDL_SCANCODE_BRIGHTNESSDOWN, KMOD_NONE), 0);
  EXPECT_EQ(VirtualKeyOf(SDLK_UNKNOWN, SDL_SCANCODE_UNKNOWN, KMOD_NONE), 0);

  KeyTranslator keys;
  EXPECT_TRUE(Translate(keys, SDL_KEYDOWN, SDLK_EJECT, SDL_SCANCODE_EJECT).empty());
  EXPECT_TRUE(Translate(keys, SDL_KEYUP, SDLK_EJECT, SDL_SCANCODE_EJECT).empty());
}

TEST(SdlKeyTranslator, PressRepeatAndReleaseBecomeKeyMessages) {
  KeyTranslator keys;
  EXPECT_EQ(Translate(keys, SDL_KEYDOWN, SDLK_RIGHT, SDL_SCANCODE_RIGHT), "down 39");
  // Held long enough to repeat: each repeat is one more press, as on Windows.
  EXPECT_EQ(Translate(keys, SDL_KEYDOWN, SDLK_RIGHT, SDL_SCANCODE_RIGHT, KMOD_NONE, 1), "down 39");
  EXPECT_EQ(Translate(keys, SDL_KEYUP, SDLK_RIGHT, SDL_SCANCODE_RIGHT), "up 39");
}

TEST(SdlKeyTranslator, F10AndAltChordsAreSystemKeysAndNeverArrive) {
  KeyTranslator keys;
  EXPECT_TRUE(Translate(keys, SDL_KEYDOWN, SDLK_F10, SDL_SCANCODE_F10).empty());
  EXPECT_TRUE(Translate(keys, SDL_KEYUP, SDLK_F10, SDL_SCANCODE_F10).empty());

  // Alt itself, whether or not SDL already counts it among the modifiers.
  EXPECT_TRUE(Translate(keys, SDL_KEYDOWN, SDLK_LALT, SDL_SCANCODE_LALT).empty());
  EXPECT_TRUE(Translate(keys, SDL_KEYDOWN, SDLK_RALT, SDL_SCANCODE_RALT, KMOD_RALT).empty());
  EXPECT_TRUE(Translate(keys, SDL_KEYDOWN, SDLK_SPACE, SDL_SCANCODE_SPACE, KMOD_LALT).empty());
  EXPECT_TRUE(Translate(keys, SDL_KEYDOWN, SDLK_F4, SDL_SCANCODE_F4, KMOD_RALT).empty());
  EXPECT_TRUE(Translate(keys, SDL_KEYUP, SDLK_SPACE, SDL_SCANCODE_SPACE, KMOD_LALT).empty());
  EXPECT_TRUE(Translate(keys, SDL_KEYUP, SDLK_LALT, SDL_SCANCODE_LALT).empty());

  // Ctrl with Alt is AltGr to Windows: those keys are typed normally.
  EXPECT_EQ(Translate(keys, SDL_KEYDOWN, SDLK_q, SDL_SCANCODE_Q, KMOD_LCTRL | KMOD_LALT),
            "down 81");
}

TEST(SdlKeyTranslator, AKeyLetGoWhileAltIsHeldStillComesUp) {
  KeyTranslator keys;
  Translate(keys, SDL_KEYDOWN, SDLK_RIGHT, SDL_SCANCODE_RIGHT);
  // Windows would report this release as a system key and the figure would run on forever.
  EXPECT_EQ(Translate(keys, SDL_KEYUP, SDLK_RIGHT, SDL_SCANCODE_RIGHT, KMOD_LALT), "up 39");
  // Once up, a second release under Alt is a system key again.
  EXPECT_TRUE(Translate(keys, SDL_KEYUP, SDLK_RIGHT, SDL_SCANCODE_RIGHT, KMOD_LALT).empty());
  // A key pressed under Alt but let go after it is released, as on Windows.
  EXPECT_TRUE(Translate(keys, SDL_KEYDOWN, SDLK_LEFT, SDL_SCANCODE_LEFT, KMOD_LALT).empty());
  EXPECT_EQ(Translate(keys, SDL_KEYUP, SDLK_LEFT, SDL_SCANCODE_LEFT), "up 37");
}

TEST(SdlKeyTranslator, ControlKeysAlsoTypeTheirCharacter) {
  KeyTranslator keys;
  EXPECT_EQ(Translate(keys, SDL_KEYDOWN, SDLK_RETURN, SDL_SCANCODE_RETURN), "down 13, char 13");
  EXPECT_EQ(Translate(keys, SDL_KEYDOWN, SDLK_ESCAPE, SDL_SCANCODE_ESCAPE), "down 27, char 27");
  EXPECT_EQ(Translate(keys, SDL_KEYDOWN, SDLK_c, SDL_SCANCODE_C, KMOD_LCTRL), "down 67, char 3");
  // Plain letters type through text input, not here; key-ups type nothing.
  EXPECT_EQ(Translate(keys, SDL_KEYDOWN, SDLK_c, SDL_SCANCODE_C), "down 67");
  EXPECT_EQ(Translate(keys, SDL_KEYUP, SDLK_RETURN, SDL_SCANCODE_RETURN), "up 13");
}

TEST(SdlTypedText, BecomesOneCodeUnitPerCharacter) {
  std::uint16_t units[8] = {};
  ASSERT_EQ(CharacterCodes("a\xC3\xA9\xE2\x82\xAC", units, 8), 3u);  // a é €
  EXPECT_EQ(Units(units, units + 3), (Units{'a', 0x00E9, 0x20AC}));

  // Beyond U+FFFF: a surrogate pair, as WM_CHAR delivers it.
  ASSERT_EQ(CharacterCodes("\xF0\x9F\x98\x80", units, 8), 2u);  // U+1F600
  EXPECT_EQ(Units(units, units + 2), (Units{0xD83D, 0xDE00}));
}

TEST(SdlTypedText, MalformedOrOversizedTextIsCutSafely) {
  std::uint16_t units[8] = {};
  // A stray continuation byte, an overlong encoding and a sequence cut short by the end.
  ASSERT_EQ(CharacterCodes("\x80x\xC0\xAFy\xE2\x82", units, 8), 6u);
  EXPECT_EQ(Units(units, units + 6), (Units{0xFFFD, 'x', 0xFFFD, 0xFFFD, 'y', 0xFFFD}));

  // No room for both halves of a pair: neither is written.
  units[1] = 0;
  EXPECT_EQ(CharacterCodes("a\xF0\x9F\x98\x80", units, 2), 1u);
  EXPECT_EQ(units[1], 0);
}
