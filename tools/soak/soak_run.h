// One soak seed: a fresh game world, driven frame by frame with the seed's random input,
// every invariant checked after every frame.
#pragma once

#include <array>
#include <bitset>
#include <cstdint>
#include <string>

class GameWorld;

// Which states the figure spent its frames in, in the order standing, running, jumping,
// repel, unknown.
using StateFrames = std::array<long, 5>;
// The tile cells the figure's anchor has passed through (128 x 48 of them).
using VisitedCells = std::bitset<128 * 48>;

struct SoakSeedResult {
  std::uint64_t seed = 0;
  long frames = 0;       // frames run; fewer than asked when an invariant broke
  int mostHits = 0;      // the most tiles one frame's collision pass handled
  long failedFrame = 0;  // the frame after which an invariant broke, or 0
  std::string violation;
  // The replay script of every message delivered, up to the failing frame. Kept when the
  // seed failed, or always when asked.
  std::string script;
  StateFrames stateFrames{};
  VisitedCells visited;
};

struct SoakHooks {
  // Judges the world after each frame: a description of what is wrong, or empty.
  std::string (*check)(const GameWorld& world);
  // Called before each frame with its number, as a watchdog's heartbeat; may be null.
  void (*beforeFrame)(std::uint64_t seed, long frame);
};

// Runs the seed for the given number of frames in the current directory (where the game looks
// for its pictures). Resets the process-wide keyboard first, as a new process would have it.
// The hooks default to the soak's invariants and no heartbeat.
SoakSeedResult RunSoakSeed(std::uint64_t seed, long frames, bool keepScript = false,
                           const SoakHooks* hooks = nullptr);

// The replay script of the seed's first frames, made without running the game: the input
// never depends on what the game does.
std::string SoakScript(std::uint64_t seed, long frames);
