// Everything a frame changes, as plain values: enough to put the world back exactly where it
// was (a demo that seeks or steps back), and to fingerprint it (a recording's checkpoints).
//
// The fingerprint, the same on every platform: FNV-1a (32 bits; offset basis 0x811C9DC5, prime
// 0x01000193) over these 124 bytes, every number little-endian, every float as its IEEE-754 bits:
//    0  position x, y; velocity x, y                       4 x float
//   16  mode (0 standing, 1 running, 2 jumping, 3 clinging) u8
//   17  facing (0 left, 1 right)                          u8
//   18  the animation pair shown (0 stand, 1 run, 2 jump, 3 fall)  u8
//   19  the mode's flags: 1 steering, 2 jump held, 4 air press (jumping), 8 push away (clinging) u8
//   20  for each pair in that order, right then left: current frame, hold counter   16 x u32
//   84  camera x, y                                        2 x float
//   92  the keys held: key k is bit k % 8 of byte k / 8   32 bytes
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "core/input/keyboard.h"
#include "core/types.h"

class GameWorld;

struct AnimationClock {
  std::uint32_t currentFrame;
  std::uint32_t holdCounter;
};

struct WorldState {
  enum class Mode : std::uint8_t { standing = 0, running = 1, jumping = 2, clinging = 3 };
  static constexpr std::size_t hashedBytes = 124;

  Vec2 position;
  Vec2 velocity;
  Mode mode;
  Direction facing;
  std::uint8_t animationPair;
  // The current mode's own fields; the others stay false.
  bool steering = false;
  bool jumpHeld = false;
  bool airPress = false;
  bool pushAway = false;
  std::array<AnimationClock, 8> clocks;  // right then left, pair by pair
  Vec2 camera;
  // Held keys, keys pressed since the game last asked, and the queued events: all of it,
  // because a restored world must go on exactly as the original did.
  Keyboard keyboard;
};

WorldState CaptureState(const GameWorld& world);
// Puts the world back; the pictures and the level are untouched (a frame never changes them).
void RestoreState(GameWorld& world, const WorldState& state);
std::uint32_t StateHash(const WorldState& state);
// The hash as a recording writes it: eight upper-case hexadecimal digits.
void FormatHash(std::uint32_t hash, char (&text)[9]);
