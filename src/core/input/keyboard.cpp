#include "core/input/keyboard.h"

Keyboard processKeyboard;

Keyboard::Keyboard() {
  keysDown.fill(false);
  pressedSinceTaken.fill(false);
}

void Keyboard::KeyWentDown(std::uint8_t code) {
  if (!keysDown[code]) pressedSinceTaken[code] = true;
  keysDown[code] = true;
  events.Push(KeyEvent{KeyEventType::Pressed, code});
}

void Keyboard::KeyWentUp(std::uint8_t code) {
  keysDown[code] = false;
  events.Push(KeyEvent{KeyEventType::Released, code});
}

void Keyboard::CharTyped(std::uint8_t character) { typed.Push(character); }

KeyEvent Keyboard::PopEvent() {
  if (events.Empty()) return KeyEvent{KeyEventType::NoEvent, 0};
  return events.Pop();
}
