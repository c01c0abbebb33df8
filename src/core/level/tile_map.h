// The level grid: builds the tiles from the layout text, draws them, and answers the two
// collision questions the game asks every frame.
#pragma once

#include <cstdint>
#include <memory>

#include "core/types.h"

class Camera;
class PlayerSprite;
class Tile;

class TileMap {
 public:
  static constexpr Pixel solidColour = 0xFF000000;
  static constexpr Pixel openColour = 0xFFE0E0E0;

  TileMap();
  // Builds from any layout text of 128 x 48 characters (the game uses LevelLayout).
  explicit TileMap(const char* layout);
  ~TileMap();
  TileMap(const TileMap&) = delete;
  TileMap& operator=(const TileMap&) = delete;

  void Draw(const Camera& camera) const;

  // Reports the first solid tile the body overlaps, in the scan order its motion picks.
  // Leaves hit alone and returns false when there is none.
  bool FindCollision(const CollisionRect& body, CollisionRect& hit) const;
  // Tells the player's state when no solid tile lies under its feet.
  void CheckSupport(PlayerSprite& player) const;

  // A cell outside the grid counts as solid; a cell without a tile as open.
  bool IsSolid(std::int32_t row, std::int32_t column) const;
  const Tile* At(std::int32_t row, std::int32_t column) const;
  // Puts TILE (or none) in the cell, wherever the tile itself says it is.
  void Place(std::int32_t row, std::int32_t column, std::unique_ptr<Tile> tile);

  std::int32_t columns = 0;
  std::int32_t rows = 0;

 private:
  std::unique_ptr<std::unique_ptr<Tile>[]> tiles;
  // Whether every tile sits on its own cell, as a map built from a layout does: then a cell
  // outside the view holds nothing to draw.
  bool everyTileOnItsCell = true;
};
