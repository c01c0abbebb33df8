#include "front/key_map.h"

#include <cctype>
#include <cstddef>

#include "front/messages.h"
#include "core/input/window_messages.h"

namespace {

struct NamedKey {
  const char* name;
  std::uint8_t code;  // the Windows virtual-key code every platform's keys arrive as
};

// Keys whose names are not a letter or digit of their own code.
constexpr NamedKey namedKeys[] = {
    {"left", 0x25},     {"right", 0x27},    {"up", 0x26},     {"down", 0x28},     {"space", 0x20},
    {"enter", 0x0D},    {"tab", 0x09},      {"shift", 0x10},  {"ctrl", 0x11},     {"alt", 0x12},
    {"home", 0x24},     {"end", 0x23},      {"pageup", 0x21}, {"pagedown", 0x22}, {"insert", 0x2D},
    {"delete", 0x2E},   {"backspace", 0x08}, {"semicolon", 0xBA}, {"equals", 0xBB}, {"comma", 0xBC},
    {"minus", 0xBD},    {"period", 0xBE},   {"slash", 0xBF},  {"backquote", 0xC0}, {"leftbracket", 0xDB},
    {"backslash", 0xDC}, {"rightbracket", 0xDD}, {"quote", 0xDE},      {"escape", 0x1B},   {"f11", 0x7A},
};

bool Reserved(std::uint8_t code) { return code == vk::escape || code == vk::f11 || code == vk::backspace; }

// The code a name stands for, or 0.
std::uint8_t CodeOf(std::string name) {
  for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (name.size() == 1 && std::isalnum(static_cast<unsigned char>(name[0])))
    return static_cast<std::uint8_t>(std::toupper(static_cast<unsigned char>(name[0])));
  for (const NamedKey& key : namedKeys)
    if (name == key.name) return key.code;
  if (name.size() == 4 && name.compare(0, 3, "num") == 0 && std::isdigit(static_cast<unsigned char>(name[3])))
    return static_cast<std::uint8_t>(0x60 + (name[3] - '0'));
  if (name.size() >= 2 && name[0] == 'f' && name.find_first_not_of("0123456789", 1) == std::string::npos &&
      name.size() <= 3) {
    const int number = std::stoi(name.substr(1));
    if (number >= 1 && number <= 12) return static_cast<std::uint8_t>(0x70 + number - 1);
  }
  return 0;
}

}  // namespace

KeyMap::KeyMap() {
  for (std::size_t code = 0; code < toGame.size(); ++code) toGame[code] = static_cast<std::uint8_t>(code);
}

std::string KeyMap::Name(std::uint8_t code) {
  if ((code >= 'A' && code <= 'Z') || (code >= '0' && code <= '9')) return std::string(1, static_cast<char>(std::tolower(code)));
  if (code >= 0x60 && code <= 0x69) return "num" + std::to_string(code - 0x60);
  if (code >= 0x70 && code <= 0x7B) return "f" + std::to_string(code - 0x70 + 1);
  for (const NamedKey& key : namedKeys)
    if (key.code == code) return key.name;
  return "key " + std::to_string(code);
}

bool KeyMap::FromCodes(std::uint8_t left, std::uint8_t right, std::uint8_t jump, KeyMap& map, std::string& error) {
  const std::uint8_t chosen[] = {left, right, jump};
  const char* const jobs[] = {"left", "right", "jump"};
  for (int i = 0; i < 3; ++i) {
    if (chosen[i] == 0) {
      error = say::UnknownKeyName(jobs[i], "");
      return false;
    }
    if (Reserved(chosen[i])) {
      error = say::ReservedKey(jobs[i], Name(chosen[i]));
      return false;
    }
    for (int j = 0; j < i; ++j)
      if (chosen[j] == chosen[i]) {
        error = say::KeyChosenTwice(Name(chosen[i]), jobs[j], jobs[i]);
        return false;
      }
  }
  KeyMap made;
  // The game's own keys go quiet first: the player moved them, and one key may take another's
  // place (left and right swapped, say).
  for (std::uint8_t gameKey : {vk::left, vk::right, vk::space}) made.toGame[gameKey] = 0;
  made.toGame[left] = vk::left;
  made.toGame[right] = vk::right;
  made.toGame[jump] = vk::space;
  map = made;
  return true;
}

bool KeyMap::Parse(const std::string& text, KeyMap& map, std::string& error) {
  std::string names[3];
  std::size_t start = 0;
  int commas = 0;
  for (std::size_t comma; (comma = text.find(',', start)) != std::string::npos; start = comma + 1, ++commas)
    if (commas < 2) names[commas] = text.substr(start, comma - start);
  if (commas == 2) names[2] = text.substr(start);
  if (commas != 2) {
    error = say::KeysNeedThree(text);
    return false;
  }
  const char* const jobs[] = {"left", "right", "jump"};
  std::uint8_t codes[3];
  for (int i = 0; i < 3; ++i) {
    codes[i] = CodeOf(names[i]);
    if (codes[i] == 0) {
      error = say::UnknownKeyName(jobs[i], names[i]);
      return false;
    }
  }
  return FromCodes(codes[0], codes[1], codes[2], map, error);
}
