// How fast frames come, as a share of the game's own 60 a second: the pacer runs at a rate, and
// a demo's speeds are rates.
#pragma once

// Frames per tick, as a fraction: {1, 4} is a quarter of the game's pace, {8, 1} eight times it.
struct PaceRate {
  int frames = 1;
  int ticks = 1;
  bool operator==(const PaceRate& other) const { return frames == other.frames && ticks == other.ticks; }
};
