// Seeded random keyboard input for the soak: the window messages a restless, careless or
// hostile player could send between two frames. The same seed always gives the same stream,
// on every platform, so any failure can be written down and replayed.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

struct SoakMessage {
  std::uint32_t message;  // wm::keyDown, wm::keyUp or wm::character
  std::uintptr_t wParam;
};

// A small generator with a fixed algorithm (splitmix64), unlike the standard distributions,
// whose results differ between standard libraries.
class SoakRandom {
 public:
  explicit SoakRandom(std::uint64_t seed) : state(seed) {}
  std::uint64_t Next();
  // Uniform in [0, bound); bound > 0.
  std::uint32_t Below(std::uint32_t bound);
  // True with the given chance in [0, 1].
  bool Chance(double probability);

 private:
  std::uint64_t state;
};

class SoakInput {
 public:
  // How the simulated player behaves for a stretch of frames.
  enum class Mode { idle, runRight, runLeft, climb, wallPlay, mash, flood };

  explicit SoakInput(std::uint64_t seed);

  // Appends the messages to deliver before the next frame.
  void NextFrame(std::vector<SoakMessage>& out);

  Mode CurrentMode() const { return mode; }

 private:
  // The three keys the game steers with, and whether the simulated player holds each.
  static constexpr int keyCount = 3;
  struct HeldKey {
    bool down = false;
    int repeatIn = 0;   // frames until the next auto-repeated press while held
    int releaseIn = 0;  // frames until the player lets go
  };

  void PickMode();
  void Press(int key, int holdFrames, std::vector<SoakMessage>& out);
  void Release(int key, std::vector<SoakMessage>& out);
  void AutoRepeat(std::vector<SoakMessage>& out);
  void Burst(std::vector<SoakMessage>& out);
  void Stray(std::vector<SoakMessage>& out);

  SoakRandom random;
  Mode mode = Mode::idle;
  int modeFramesLeft = 0;
  int repeatDelay = 15;  // frames before a held key starts repeating
  int repeatPeriod = 2;  // frames between repeats
  int f11ReleaseIn = 0;  // while positive, F11 is held
  std::array<HeldKey, keyCount> held{};
};
