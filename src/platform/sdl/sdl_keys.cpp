#include "platform/sdl/sdl_keys.h"

#include "core/input/window_messages.h"

namespace {

// Windows' codes for keys that have no letter or digit on them.
constexpr std::uint8_t vkBack = 0x08;
constexpr std::uint8_t vkTab = 0x09;
constexpr std::uint8_t vkClear = 0x0C;
constexpr std::uint8_t vkReturn = 0x0D;
constexpr std::uint8_t vkShift = 0x10;
constexpr std::uint8_t vkControl = 0x11;
constexpr std::uint8_t vkMenu = 0x12;  // Alt
constexpr std::uint8_t vkPause = 0x13;
constexpr std::uint8_t vkCapital = 0x14;
constexpr std::uint8_t vkEscape = 0x1B;
constexpr std::uint8_t vkSpace = 0x20;
constexpr std::uint8_t vkPrior = 0x21;  // Page Up
constexpr std::uint8_t vkNext = 0x22;   // Page Down
constexpr std::uint8_t vkEnd = 0x23;
constexpr std::uint8_t vkHome = 0x24;
constexpr std::uint8_t vkLeft = 0x25;
constexpr std::uint8_t vkUp = 0x26;
constexpr std::uint8_t vkRight = 0x27;
constexpr std::uint8_t vkDown = 0x28;
constexpr std::uint8_t vkSelect = 0x29;
constexpr std::uint8_t vkExecute = 0x2B;
constexpr std::uint8_t vkSnapshot = 0x2C;
constexpr std::uint8_t vkInsert = 0x2D;
constexpr std::uint8_t vkDelete = 0x2E;
constexpr std::uint8_t vkHelp = 0x2F;
constexpr std::uint8_t vkLeftWindows = 0x5B;
constexpr std::uint8_t vkRightWindows = 0x5C;
constexpr std::uint8_t vkApps = 0x5D;
constexpr std::uint8_t vkSleep = 0x5F;
constexpr std::uint8_t vkNumpad0 = 0x60;
constexpr std::uint8_t vkMultiply = 0x6A;
constexpr std::uint8_t vkAdd = 0x6B;
constexpr std::uint8_t vkSeparator = 0x6C;
constexpr std::uint8_t vkSubtract = 0x6D;
constexpr std::uint8_t vkDecimal = 0x6E;
constexpr std::uint8_t vkDivide = 0x6F;
constexpr std::uint8_t vkF1 = 0x70;
constexpr std::uint8_t vkF10 = 0x79;
constexpr std::uint8_t vkF13 = 0x7C;
constexpr std::uint8_t vkNumLock = 0x90;
constexpr std::uint8_t vkScroll = 0x91;
constexpr std::uint8_t vkBrowserBack = 0xA6;
constexpr std::uint8_t vkBrowserForward = 0xA7;
constexpr std::uint8_t vkBrowserRefresh = 0xA8;
constexpr std::uint8_t vkBrowserStop = 0xA9;
constexpr std::uint8_t vkBrowserSearch = 0xAA;
constexpr std::uint8_t vkBrowserFavorites = 0xAB;
constexpr std::uint8_t vkBrowserHome = 0xAC;
constexpr std::uint8_t vkVolumeMute = 0xAD;
constexpr std::uint8_t vkVolumeDown = 0xAE;
constexpr std::uint8_t vkVolumeUp = 0xAF;
constexpr std::uint8_t vkMediaNext = 0xB0;
constexpr std::uint8_t vkMediaPrevious = 0xB1;
constexpr std::uint8_t vkMediaStop = 0xB2;
constexpr std::uint8_t vkMediaPlayPause = 0xB3;
constexpr std::uint8_t vkLaunchMail = 0xB4;
constexpr std::uint8_t vkLaunchMediaSelect = 0xB5;
constexpr std::uint8_t vkLaunchApp1 = 0xB6;
constexpr std::uint8_t vkLaunchApp2 = 0xB7;
// The punctuation keys, named after what they type on a US keyboard.
constexpr std::uint8_t vkSemicolon = 0xBA;
constexpr std::uint8_t vkEquals = 0xBB;
constexpr std::uint8_t vkComma = 0xBC;
constexpr std::uint8_t vkMinus = 0xBD;
constexpr std::uint8_t vkPeriod = 0xBE;
constexpr std::uint8_t vkSlash = 0xBF;
constexpr std::uint8_t vkGrave = 0xC0;
constexpr std::uint8_t vkLeftBracket = 0xDB;
constexpr std::uint8_t vkBackslash = 0xDC;
constexpr std::uint8_t vkRightBracket = 0xDD;
constexpr std::uint8_t vkApostrophe = 0xDE;
constexpr std::uint8_t vkOem102 = 0xE2;  // the extra key beside left Shift on ISO keyboards

std::uint8_t PunctuationKey(SDL_Keycode key) {
  switch (key) {
    case SDLK_SEMICOLON: return vkSemicolon;
    case SDLK_EQUALS: return vkEquals;
    case SDLK_COMMA: return vkComma;
    case SDLK_MINUS: return vkMinus;
    case SDLK_PERIOD: return vkPeriod;
    case SDLK_SLASH: return vkSlash;
    case SDLK_BACKQUOTE: return vkGrave;
    case SDLK_LEFTBRACKET: return vkLeftBracket;
    case SDLK_BACKSLASH: return vkBackslash;
    case SDLK_RIGHTBRACKET: return vkRightBracket;
    case SDLK_QUOTE: return vkApostrophe;
    default: return 0;
  }
}

// Without Num Lock the keypad is a second set of cursor keys, on Windows as on the keycaps.
std::uint8_t KeypadKey(SDL_Keycode key, bool numLock) {
  switch (key) {
    case SDLK_KP_0: return numLock ? vkNumpad0 + 0 : vkInsert;
    case SDLK_KP_1: return numLock ? vkNumpad0 + 1 : vkEnd;
    case SDLK_KP_2: return numLock ? vkNumpad0 + 2 : vkDown;
    case SDLK_KP_3: return numLock ? vkNumpad0 + 3 : vkNext;
    case SDLK_KP_4: return numLock ? vkNumpad0 + 4 : vkLeft;
    case SDLK_KP_5: return numLock ? vkNumpad0 + 5 : vkClear;
    case SDLK_KP_6: return numLock ? vkNumpad0 + 6 : vkRight;
    case SDLK_KP_7: return numLock ? vkNumpad0 + 7 : vkHome;
    case SDLK_KP_8: return numLock ? vkNumpad0 + 8 : vkUp;
    case SDLK_KP_9: return numLock ? vkNumpad0 + 9 : vkPrior;
    case SDLK_KP_PERIOD: return numLock ? vkDecimal : vkDelete;
    case SDLK_KP_MULTIPLY: return vkMultiply;
    case SDLK_KP_PLUS: return vkAdd;
    case SDLK_KP_COMMA: return vkSeparator;
    case SDLK_KP_MINUS: return vkSubtract;
    case SDLK_KP_DIVIDE: return vkDivide;
    case SDLK_KP_ENTER: return vkReturn;
    case SDLK_KP_CLEAR: return vkClear;
    default: return 0;
  }
}

// Keys that type nothing, the keypad included.
std::uint8_t NamedKey(SDL_Keycode key, bool numLock) {
  if (key >= SDLK_F1 && key <= SDLK_F12) return static_cast<std::uint8_t>(vkF1 + (key - SDLK_F1));
  if (key >= SDLK_F13 && key <= SDLK_F24) return static_cast<std::uint8_t>(vkF13 + (key - SDLK_F13));
  if (const std::uint8_t keypad = KeypadKey(key, numLock)) return keypad;
  switch (key) {
    case SDLK_BACKSPACE: return vkBack;
    case SDLK_TAB: return vkTab;
    case SDLK_CLEAR: return vkClear;
    case SDLK_RETURN: case SDLK_RETURN2: return vkReturn;
    case SDLK_LSHIFT: case SDLK_RSHIFT: return vkShift;
    case SDLK_LCTRL: case SDLK_RCTRL: return vkControl;
    case SDLK_LALT: case SDLK_RALT: return vkMenu;
    case SDLK_PAUSE: return vkPause;
    case SDLK_CAPSLOCK: return vkCapital;
    case SDLK_ESCAPE: return vkEscape;
    case SDLK_SPACE: return vkSpace;
    case SDLK_PAGEUP: return vkPrior;
    case SDLK_PAGEDOWN: return vkNext;
    case SDLK_END: return vkEnd;
    case SDLK_HOME: return vkHome;
    case SDLK_LEFT: return vkLeft;
    case SDLK_UP: return vkUp;
    case SDLK_RIGHT: return vkRight;
    case SDLK_DOWN: return vkDown;
    case SDLK_SELECT: return vkSelect;
    case SDLK_EXECUTE: return vkExecute;
    case SDLK_PRINTSCREEN: return vkSnapshot;
    case SDLK_INSERT: return vkInsert;
    case SDLK_DELETE: return vkDelete;
    case SDLK_HELP: return vkHelp;
    case SDLK_LGUI: return vkLeftWindows;
    case SDLK_RGUI: return vkRightWindows;
    case SDLK_APPLICATION: case SDLK_MENU: return vkApps;
    case SDLK_SLEEP: return vkSleep;
    case SDLK_NUMLOCKCLEAR: return vkNumLock;
    case SDLK_SCROLLLOCK: return vkScroll;
    case SDLK_AC_BACK: return vkBrowserBack;
    case SDLK_AC_FORWARD: return vkBrowserForward;
    case SDLK_AC_REFRESH: return vkBrowserRefresh;
    case SDLK_AC_STOP: return vkBrowserStop;
    case SDLK_AC_SEARCH: return vkBrowserSearch;
    case SDLK_AC_BOOKMARKS: return vkBrowserFavorites;
    case SDLK_AC_HOME: return vkBrowserHome;
    case SDLK_MUTE: case SDLK_AUDIOMUTE: return vkVolumeMute;
    case SDLK_VOLUMEDOWN: return vkVolumeDown;
    case SDLK_VOLUMEUP: return vkVolumeUp;
    case SDLK_AUDIONEXT: return vkMediaNext;
    case SDLK_AUDIOPREV: return vkMediaPrevious;
    case SDLK_AUDIOSTOP: return vkMediaStop;
    case SDLK_AUDIOPLAY: return vkMediaPlayPause;
    case SDLK_MAIL: return vkLaunchMail;
    case SDLK_MEDIASELECT: return vkLaunchMediaSelect;
    case SDLK_COMPUTER: return vkLaunchApp1;
    case SDLK_CALCULATOR: return vkLaunchApp2;
    default: return 0;
  }
}

// Where the layout puts something Windows has no code for by character (an accented letter,
// a shifted symbol on the digit row), the key's place on a US keyboard decides.
std::uint8_t KeyByPosition(SDL_Scancode scancode) {
  if (scancode >= SDL_SCANCODE_A && scancode <= SDL_SCANCODE_Z)
    return static_cast<std::uint8_t>('A' + (scancode - SDL_SCANCODE_A));
  if (scancode >= SDL_SCANCODE_1 && scancode <= SDL_SCANCODE_9)
    return static_cast<std::uint8_t>('1' + (scancode - SDL_SCANCODE_1));
  switch (scancode) {
    case SDL_SCANCODE_0: return '0';
    case SDL_SCANCODE_SEMICOLON: return vkSemicolon;
    case SDL_SCANCODE_EQUALS: return vkEquals;
    case SDL_SCANCODE_COMMA: return vkComma;
    case SDL_SCANCODE_MINUS: return vkMinus;
    case SDL_SCANCODE_PERIOD: return vkPeriod;
    case SDL_SCANCODE_SLASH: return vkSlash;
    case SDL_SCANCODE_GRAVE: return vkGrave;
    case SDL_SCANCODE_LEFTBRACKET: return vkLeftBracket;
    case SDL_SCANCODE_BACKSLASH: case SDL_SCANCODE_NONUSHASH: return vkBackslash;
    case SDL_SCANCODE_RIGHTBRACKET: return vkRightBracket;
    case SDL_SCANCODE_APOSTROPHE: return vkApostrophe;
    case SDL_SCANCODE_NONUSBACKSLASH: return vkOem102;
    default: return 0;
  }
}

// The control character TranslateMessage would follow the key with. SDL sends no text for
// these, so without this WM_CHAR would never see them.
std::uint8_t ControlCharacter(std::uint8_t virtualKey, Uint16 modifiers) {
  const bool control = (modifiers & KMOD_CTRL) != 0;
  switch (virtualKey) {
    case vkReturn: return control ? 0x0A : 0x0D;
    case vkBack: return control ? 0x7F : 0x08;
    case vkTab: return control ? 0 : 0x09;
    case vkEscape: return 0x1B;
    default: break;
  }
  // With Alt too, Ctrl is AltGr and the layout, not the control code, says what is typed.
  const bool alt = (modifiers & KMOD_ALT) != 0;
  if (control && !alt && virtualKey >= 'A' && virtualKey <= 'Z') return static_cast<std::uint8_t>(virtualKey - 'A' + 1);
  return 0;
}

}  // namespace

std::uint8_t VirtualKeyOf(SDL_Keycode key, SDL_Scancode scancode, Uint16 modifiers) {
  if (key >= SDLK_a && key <= SDLK_z) return static_cast<std::uint8_t>('A' + (key - SDLK_a));
  if (key >= SDLK_0 && key <= SDLK_9) return static_cast<std::uint8_t>('0' + (key - SDLK_0));
  if (const std::uint8_t punctuation = PunctuationKey(key)) return punctuation;
  if (const std::uint8_t named = NamedKey(key, (modifiers & KMOD_NUM) != 0)) return named;
  return KeyByPosition(scancode);
}

bool SystemChord(Uint16 modifiers) { return (modifiers & KMOD_ALT) != 0 && (modifiers & KMOD_CTRL) == 0; }

std::size_t KeyTranslator::Translate(const SDL_KeyboardEvent& event, Messages& out) {
  const std::uint8_t code = VirtualKeyOf(event.keysym.sym, event.keysym.scancode, event.keysym.mod);
  if (code == 0) return 0;
  // Alt on its own counts as held even where the event's modifiers do not show it yet.
  const Uint16 modifiers = code == vkMenu ? static_cast<Uint16>(event.keysym.mod | KMOD_LALT) : event.keysym.mod;
  const bool systemKey = code == vkF10 || SystemChord(modifiers);

  if (event.type == SDL_KEYUP) {
    if (!delivered[code] && (systemKey || code == vkMenu)) return 0;
    delivered[code] = false;
    out[0] = KeyMessage{wm::keyUp, code};
    return 1;
  }
  if (event.type != SDL_KEYDOWN || systemKey) return 0;
  // A repeat is one more press, as Windows' auto-repeat sends it.
  delivered[code] = true;
  out[0] = KeyMessage{wm::keyDown, code};
  if (const std::uint8_t character = ControlCharacter(code, event.keysym.mod)) {
    out[1] = KeyMessage{wm::character, character};
    return 2;
  }
  return 1;
}

std::size_t CharacterCodes(const char* utf8, std::uint16_t* out, std::size_t capacity) {
  constexpr std::uint32_t replacement = 0xFFFD;
  const auto* bytes = reinterpret_cast<const unsigned char*>(utf8);
  std::size_t written = 0;
  std::size_t i = 0;
  while (bytes[i] != 0) {
    const unsigned char lead = bytes[i];
    std::uint32_t codePoint = replacement;
    std::size_t length = 1;
    std::size_t continuation = 0;
    std::uint32_t minimum = 0;
    if (lead < 0x80) {
      codePoint = lead;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
      continuation = 1, minimum = 0x80, codePoint = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      continuation = 2, minimum = 0x800, codePoint = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      continuation = 3, minimum = 0x10000, codePoint = lead & 0x07;
    }
    if (continuation > 0) {
      std::size_t k = 1;
      for (; k <= continuation; ++k) {
        const unsigned char next = bytes[i + k];
        if ((next & 0xC0) != 0x80) break;  // the terminator stops here too
        codePoint = (codePoint << 6) | (next & 0x3F);
      }
      const bool complete = k > continuation;
      const bool valid = complete && codePoint >= minimum && codePoint <= 0x10FFFF &&
                         !(codePoint >= 0xD800 && codePoint <= 0xDFFF);
      if (valid) {
        length = continuation + 1;
      } else {
        codePoint = replacement;
        // A sequence cut short is one bad character; a complete but invalid one is read as
        // bad bytes, one at a time.
        length = complete ? 1 : k;
      }
    } else if (lead >= 0x80) {
      codePoint = replacement;
    }

    const std::size_t units = codePoint > 0xFFFF ? 2 : 1;
    if (written + units > capacity) break;
    if (units == 2) {
      const std::uint32_t offset = codePoint - 0x10000;
      out[written++] = static_cast<std::uint16_t>(0xD800 | (offset >> 10));
      out[written++] = static_cast<std::uint16_t>(0xDC00 | (offset & 0x3FF));
    } else {
      out[written++] = static_cast<std::uint16_t>(codePoint);
    }
    i += length;
  }
  return written;
}
