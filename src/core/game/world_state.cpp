#include "core/game/world_state.h"

#include <cstring>
#include <memory>

#include "core/game/game_world.h"
#include "core/sprites/player_ground_states.h"
#include "core/sprites/player_jumping.h"
#include "core/sprites/player_repel.h"

namespace {

std::uint8_t PairIndex(const PlayerData& data) {
  for (std::size_t i = 0; i < data.animations.size(); ++i)
    if (data.animations[i].get() == data.animation) return static_cast<std::uint8_t>(i);
  return 0;
}

class HashWriter {
 public:
  void Byte(std::uint8_t value) {
    hash = (hash ^ value) * 0x01000193u;
    ++count;
  }
  void Word(std::uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) Byte(static_cast<std::uint8_t>(value >> shift));
  }
  void Float(float value) {
    std::uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    Word(bits);
  }
  std::uint32_t hash = 0x811C9DC5u;
  std::size_t count = 0;
};

}  // namespace

WorldState CaptureState(const GameWorld& world) {
  const PlayerData& data = world.player.data;
  WorldState state;
  state.position = data.position;
  state.velocity = data.velocity;
  state.facing = data.facing;
  state.animationPair = PairIndex(data);
  const SpriteState* current = data.state.get();
  if (const auto* jumping = dynamic_cast<const PlayerJumping*>(current)) {
    state.mode = WorldState::Mode::jumping;
    state.steering = jumping->steering;
    state.jumpHeld = jumping->jumpHeld;
    state.airPress = jumping->airPress;
  } else if (const auto* clinging = dynamic_cast<const PlayerRepel*>(current)) {
    state.mode = WorldState::Mode::clinging;
    state.pushAway = clinging->pushAway;
  } else if (dynamic_cast<const PlayerRunning*>(current) != nullptr) {
    state.mode = WorldState::Mode::running;
  } else {
    state.mode = WorldState::Mode::standing;
  }
  for (std::size_t i = 0; i < data.animations.size(); ++i) {
    const AnimationPair& pair = *data.animations[i];
    state.clocks[2 * i] = {pair.right->currentFrame, pair.right->holdCounter};
    state.clocks[2 * i + 1] = {pair.left->currentFrame, pair.left->holdCounter};
  }
  state.camera = {world.camera.x, world.camera.y};
  state.keyboard = world.keyboard;
  return state;
}

void RestoreState(GameWorld& world, const WorldState& state) {
  PlayerData& data = world.player.data;
  data.position = state.position;
  data.velocity = state.velocity;
  data.facing = state.facing;
  // A fresh state object of the saved mode, then its fields; its constructor's choice of
  // animation is overruled below.
  switch (state.mode) {
    case WorldState::Mode::jumping: {
      auto jumping = std::make_unique<PlayerJumping>(&data, state.steering);
      jumping->jumpHeld = state.jumpHeld;
      jumping->airPress = state.airPress;
      data.state = std::move(jumping);
      break;
    }
    case WorldState::Mode::clinging: {
      auto clinging = std::make_unique<PlayerRepel>(&data);
      clinging->pushAway = state.pushAway;
      data.state = std::move(clinging);
      break;
    }
    case WorldState::Mode::running:
      data.state = std::make_unique<PlayerRunning>(&data);
      break;
    case WorldState::Mode::standing:
      data.state = std::make_unique<PlayerStanding>(&data);
      break;
  }
  data.animation = data.animations[state.animationPair].get();
  for (std::size_t i = 0; i < data.animations.size(); ++i) {
    AnimationPair& pair = *data.animations[i];
    pair.right->currentFrame = state.clocks[2 * i].currentFrame;
    pair.right->holdCounter = state.clocks[2 * i].holdCounter;
    pair.left->currentFrame = state.clocks[2 * i + 1].currentFrame;
    pair.left->holdCounter = state.clocks[2 * i + 1].holdCounter;
  }
  world.camera.x = state.camera.x;
  world.camera.y = state.camera.y;
  world.keyboard = state.keyboard;
}

std::uint32_t StateHash(const WorldState& state) {
  HashWriter out;
  out.Float(state.position.x);
  out.Float(state.position.y);
  out.Float(state.velocity.x);
  out.Float(state.velocity.y);
  out.Byte(static_cast<std::uint8_t>(state.mode));
  out.Byte(static_cast<std::uint8_t>(state.facing));
  out.Byte(state.animationPair);
  out.Byte(static_cast<std::uint8_t>((state.steering ? 1 : 0) | (state.jumpHeld ? 2 : 0) |
                                     (state.airPress ? 4 : 0) | (state.pushAway ? 8 : 0)));
  for (const AnimationClock& clock : state.clocks) {
    out.Word(clock.currentFrame);
    out.Word(clock.holdCounter);
  }
  out.Float(state.camera.x);
  out.Float(state.camera.y);
  for (int byte = 0; byte < 32; ++byte) {
    std::uint8_t held = 0;
    for (int bit = 0; bit < 8; ++bit)
      if (state.keyboard.IsKeyDown(static_cast<std::uint8_t>(byte * 8 + bit))) held |= static_cast<std::uint8_t>(1 << bit);
    out.Byte(held);
  }
  return out.hash;
}

void FormatHash(std::uint32_t hash, char (&text)[9]) {
  static const char digits[] = "0123456789ABCDEF";
  for (int i = 0; i < 8; ++i) text[i] = digits[(hash >> (28 - 4 * i)) & 0xF];
  text[8] = '\0';
}
