#include "soak_input.h"

#include "core/input/window_messages.h"

namespace {

constexpr std::uint8_t steerKeys[] = {vk::left, vk::right, vk::space};
constexpr int leftKey = 0;
constexpr int rightKey = 1;
constexpr int spaceKey = 2;

// Keys the game does not steer with, some of them above 255 so that only their low byte
// names a key. None of them is, or truncates to, Escape: the soak must not quit itself.
constexpr std::uintptr_t strayKeys[] = {vk::up, vk::down,  vk::f11, 'A',   16,     0,
                                        255,    13,        0x125,   0x120, 0x1027, 0xFFFF};

}  // namespace

std::uint64_t SoakRandom::Next() {
  state += 0x9E3779B97F4A7C15ull;
  std::uint64_t z = state;
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}

std::uint32_t SoakRandom::Below(std::uint32_t bound) {
  return static_cast<std::uint32_t>(Next() % bound);
}

bool SoakRandom::Chance(double probability) {
  // 53 random bits, as exact as a double allows, so every platform draws the same.
  return static_cast<double>(Next() >> 11) * (1.0 / 9007199254740992.0) < probability;
}

SoakInput::SoakInput(std::uint64_t seed) : random(seed) {
  // Each simulated keyboard repeats at its own pace, as real ones are set up differently.
  repeatDelay = 8 + static_cast<int>(random.Below(25));
  repeatPeriod = 1 + static_cast<int>(random.Below(4));
}

void SoakInput::PickMode() {
  // Running and climbing carry the figure around the level; the rest hammer the state machine
  // where it happens to be.
  static constexpr Mode weighted[] = {Mode::idle,  Mode::runRight, Mode::runRight, Mode::runLeft,
                                      Mode::runLeft, Mode::climb,  Mode::climb,    Mode::wallPlay,
                                      Mode::wallPlay, Mode::mash,  Mode::flood};
  mode = weighted[random.Below(sizeof weighted / sizeof weighted[0])];
  modeFramesLeft = 20 + static_cast<int>(random.Below(mode == Mode::flood ? 40 : 300));
}

void SoakInput::Press(int key, int holdFrames, std::vector<SoakMessage>& out) {
  HeldKey& k = held[key];
  k.down = true;
  k.repeatIn = repeatDelay;
  k.releaseIn = holdFrames;
  out.push_back({wm::keyDown, steerKeys[key]});
}

void SoakInput::Release(int key, std::vector<SoakMessage>& out) {
  held[key] = HeldKey{};
  out.push_back({wm::keyUp, steerKeys[key]});
}

void SoakInput::AutoRepeat(std::vector<SoakMessage>& out) {
  for (int key = 0; key < keyCount; ++key) {
    HeldKey& k = held[key];
    if (!k.down || --k.repeatIn > 0) continue;
    k.repeatIn = repeatPeriod;
    out.push_back({wm::keyDown, steerKeys[key]});
  }
}

void SoakInput::Burst(std::vector<SoakMessage>& out) {
  // More events than the queue keeps: the oldest must fall off without harm.
  const int count = 5 + static_cast<int>(random.Below(16));
  for (int i = 0; i < count; ++i) {
    const int key = static_cast<int>(random.Below(keyCount));
    if (random.Chance(0.5)) {
      Press(key, 1 + static_cast<int>(random.Below(30)), out);
    } else {
      Release(key, out);
    }
  }
}

void SoakInput::Stray(std::vector<SoakMessage>& out) {
  const std::uintptr_t code = strayKeys[random.Below(sizeof strayKeys / sizeof strayKeys[0])];
  switch (random.Below(3)) {
    case 0: out.push_back({wm::keyDown, code}); break;
    case 1: out.push_back({wm::keyUp, code}); break;
    default: out.push_back({wm::character, random.Below(0x10000)}); break;
  }
}

void SoakInput::NextFrame(std::vector<SoakMessage>& out) {
  if (--modeFramesLeft <= 0) PickMode();

  for (int key = 0; key < keyCount; ++key)
    if (held[key].down && --held[key].releaseIn <= 0) Release(key, out);
  AutoRepeat(out);

  const auto hold = [&](int key, int frames) {
    if (!held[key].down) Press(key, frames, out);
  };
  const auto jump = [&](double chance, int longest) {
    if (!held[spaceKey].down && random.Chance(chance))
      Press(spaceKey, 1 + static_cast<int>(random.Below(static_cast<std::uint32_t>(longest))), out);
  };

  switch (mode) {
    case Mode::idle:
      break;
    case Mode::runRight:
    case Mode::runLeft: {
      const int along = mode == Mode::runRight ? rightKey : leftKey;
      const int against = mode == Mode::runRight ? leftKey : rightKey;
      if (held[against].down && random.Chance(0.2)) Release(against, out);
      hold(along, 10 + static_cast<int>(random.Below(200)));
      jump(0.03, 40);
      break;
    }
    case Mode::climb:
      // Long jumps and frequent turns reach the platforms above the start.
      if (random.Chance(0.02)) hold(random.Chance(0.5) ? leftKey : rightKey, 5 + static_cast<int>(random.Below(60)));
      jump(0.08, 45);
      break;
    case Mode::wallPlay:
      // Falling against walls while pressing toward, then away, then jumping: the cling and
      // the wall jump.
      if (random.Chance(0.06)) hold(random.Chance(0.5) ? leftKey : rightKey, 3 + static_cast<int>(random.Below(40)));
      if (random.Chance(0.04)) Press(random.Chance(0.5) ? leftKey : rightKey, 1 + static_cast<int>(random.Below(20)), out);
      jump(0.06, 30);
      break;
    case Mode::mash:
      if (random.Chance(0.4)) {
        const int key = static_cast<int>(random.Below(keyCount));
        if (held[key].down && random.Chance(0.5)) Release(key, out);
        else Press(key, 1 + static_cast<int>(random.Below(15)), out);
      }
      if (random.Chance(0.1)) Stray(out);
      break;
    case Mode::flood:
      if (random.Chance(0.5)) Burst(out);
      break;
  }

  // Whatever the mode: now and then a key the game ignores, a release of a key that is not
  // down, or the display-mode key.
  if (random.Chance(0.01)) Stray(out);
  if (random.Chance(0.005)) out.push_back({wm::keyUp, steerKeys[random.Below(keyCount)]});
  if (f11ReleaseIn > 0 && --f11ReleaseIn == 0) out.push_back({wm::keyUp, vk::f11});
  if (f11ReleaseIn == 0 && random.Chance(0.003)) {
    out.push_back({wm::keyDown, vk::f11});
    f11ReleaseIn = 1 + static_cast<int>(random.Below(8));
    if (random.Chance(0.3)) {  // down and up before the frame sees it
      out.push_back({wm::keyUp, vk::f11});
      f11ReleaseIn = 0;
    }
  }
}
