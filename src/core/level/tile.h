// One square of the level: solid or open, and the colour it is filled with.
#pragma once

#include <cstdint>

#include "core/types.h"

class Tile {
 public:
  Tile(Pixel colour, std::int32_t x, std::int32_t y, bool passable)
      : colour(colour), x(x), y(y), passable(passable) {}
  virtual ~Tile() = default;

  // The tile size, set by the tile map when it is built; 0 until then.
  static std::int32_t width;
  static std::int32_t height;

  Pixel colour;
  // Where a tile is, it stays: the map draws only the cells in view, which holds while every
  // tile sits on its own cell (TileMap::Place is the one way to put one elsewhere).
  const std::int32_t x;  // world x of the left edge
  const std::int32_t y;  // world y of the top edge
  bool passable;
};
