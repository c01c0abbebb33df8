// The keyboard as the window procedure sees it: which keys are down, which went down since the
// game last asked, plus short queues of the latest key events and typed characters. Both queues
// keep only their newest entries.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

enum class KeyEventType : std::int32_t { Pressed = 0, Released = 1, NoEvent = 2 };

struct KeyEvent {
  KeyEventType type;
  std::uint8_t code;
};

// A first-in first-out queue that never refuses an entry: at its bound it drops the oldest.
template <typename T, std::size_t Capacity>
class BoundedQueue {
 public:
  void Push(const T& value) {
    if (count == Capacity) {
      head = (head + 1) % Capacity;
      --count;
    }
    items[(head + count) % Capacity] = value;
    ++count;
  }
  bool Empty() const { return count == 0; }
  std::size_t Size() const { return count; }
  T Pop() {
    T value = items[head];
    head = (head + 1) % Capacity;
    --count;
    return value;
  }

 private:
  std::array<T, Capacity> items{};
  std::size_t head = 0;
  std::size_t count = 0;
};

class Keyboard {
 public:
  static constexpr std::size_t queueBound = 4;

  Keyboard();

  // Writing side: only the window-message handler calls these.
  void KeyWentDown(std::uint8_t code);
  void KeyWentUp(std::uint8_t code);
  void CharTyped(std::uint8_t character);

  // Reading side: the game.
  bool IsKeyDown(std::uint8_t code) const { return keysDown[code]; }
  // Whether the key went down since the last time this was asked of it; asking forgets it. A
  // tap that is down and up again between two frames is still a press: the state alone would
  // never show it. Auto-repeat is not a press: the key was down already.
  bool TakePress(std::uint8_t code) {
    const bool pressed = pressedSinceTaken[code];
    pressedSinceTaken[code] = false;
    return pressed;
  }
  bool EventQueueEmpty() const { return events.Empty(); }
  KeyEvent PopEvent();

  std::size_t PendingEvents() const { return events.Size(); }
  std::size_t PendingCharacters() const { return typed.Size(); }
  std::uint8_t PopCharacter() { return typed.Empty() ? 0 : typed.Pop(); }

 private:
  std::array<bool, 256> keysDown;
  std::array<bool, 256> pressedSinceTaken;
  BoundedQueue<KeyEvent, queueBound> events;
  BoundedQueue<std::uint8_t, queueBound> typed;
};

// The one keyboard of the process, filled by the window procedure, read by the game.
extern Keyboard processKeyboard;
