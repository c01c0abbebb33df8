#include "level/tile_map.h"

#include "game/camera.h"
#include "game/truncate.h"
#include "graphics/display.h"
#include "level/level_layout.h"
#include "level/tile.h"
#include "sprites/player_sprite.h"
#include "sprites/sprite_state.h"

std::int32_t Tile::width = 0;
std::int32_t Tile::height = 0;

namespace {

struct CellSpan {
  std::int32_t firstRow;
  std::int32_t lastRow;
  std::int32_t firstColumn;
  std::int32_t lastColumn;
};

// The first cell an edge belongs to: a top or left edge on a boundary starts the next cell.
std::int32_t FirstCell(float edge, std::int32_t size) {
  return TruncateToInt(edge / static_cast<float>(size));
}

// The last cell an exclusive bottom or right edge reaches: an edge exactly on a boundary stays
// out of the cell beyond it.
std::int32_t LastCell(float edge, std::int32_t size) {
  std::int32_t cell = TruncateToInt(edge) / size;
  if (static_cast<float>(cell * size) == edge) --cell;
  return cell;
}

CellSpan CoveredCells(const RectF& r) {
  return CellSpan{FirstCell(r.top, Tile::height), LastCell(r.bottom, Tile::height),
                  FirstCell(r.left, Tile::width), LastCell(r.right, Tile::width)};
}

}  // namespace

TileMap::TileMap() : TileMap(LevelLayout) {}

TileMap::TileMap(const char* layout) {
  Tile::width = 25;
  Tile::height = 25;
  columns = levelColumns;
  rows = levelRows;
  tiles = std::make_unique<std::unique_ptr<Tile>[]>(static_cast<std::size_t>(columns) * rows);
  std::size_t next = 0;
  for (std::int32_t y = 0; y < rows * Tile::height; y += Tile::height) {
    for (std::int32_t x = 0; x < columns * Tile::width; x += Tile::width, ++next) {
      switch (layout[next]) {
        case '#': tiles[next] = std::make_unique<Tile>(solidColour, x, y, false); break;
        case ' ': tiles[next] = std::make_unique<Tile>(openColour, x, y, true); break;
        default: break;  // no tile in this cell
      }
    }
  }
}

TileMap::~TileMap() {
  // Element order, front to back, whatever order the array would pick on its own.
  const std::size_t count = static_cast<std::size_t>(columns) * rows;
  for (std::size_t i = 0; i < count; ++i) tiles[i].reset();
}

const Tile* TileMap::At(std::int32_t row, std::int32_t column) const {
  if (row < 0 || row >= rows || column < 0 || column >= columns) return nullptr;
  return tiles[static_cast<std::size_t>(row) * columns + column].get();
}

bool TileMap::IsSolid(std::int32_t row, std::int32_t column) const {
  if (row < 0 || row >= rows || column < 0 || column >= columns) return true;
  const Tile* tile = tiles[static_cast<std::size_t>(row) * columns + column].get();
  return tile != nullptr && !tile->passable;
}

void TileMap::Draw(const Camera& camera) const {
  const Viewport& viewport = camera.viewport;
  Display& display = viewport.display;
  const std::size_t count = static_cast<std::size_t>(columns) * rows;
  for (std::size_t i = 0; i < count; ++i) {
    const Tile* tile = tiles[i].get();
    if (tile == nullptr) continue;
    // Neighbours share the edge value, so squares meet with no gap and no overlap.
    const std::int32_t top =
        TruncateToInt(static_cast<float>(tile->y) - camera.y) + viewport.clip.top;
    const std::int32_t bottom =
        TruncateToInt(static_cast<float>(tile->y + Tile::height) - camera.y) + viewport.clip.top;
    const std::int32_t left =
        TruncateToInt(static_cast<float>(tile->x) - camera.x) + viewport.clip.left;
    const std::int32_t right =
        TruncateToInt(static_cast<float>(tile->x + Tile::width) - camera.x) + viewport.clip.left;
    display.FillRect(top, bottom, left, right, tile->colour, viewport.clip);
  }
}

bool TileMap::FindCollision(const CollisionRect& body, CollisionRect& hit) const {
  const CellSpan cells = CoveredCells(body.rect);
  if (cells.lastRow < cells.firstRow || cells.lastColumn < cells.firstColumn) return false;

  // Columns start on the leading side of the horizontal motion; rows on the trailing side of
  // the vertical motion (the bottom row when rising, the top row when falling).
  const bool movingLeft = body.vx < 0.0f;
  const bool movingUp = body.vy < 0.0f;
  const std::int32_t rowCount = cells.lastRow - cells.firstRow + 1;
  const std::int32_t columnCount = cells.lastColumn - cells.firstColumn + 1;
  for (std::int32_t i = 0; i < rowCount; ++i) {
    const std::int32_t row = movingUp ? cells.lastRow - i : cells.firstRow + i;
    for (std::int32_t j = 0; j < columnCount; ++j) {
      const std::int32_t column = movingLeft ? cells.firstColumn + j : cells.lastColumn - j;
      if (!IsSolid(row, column)) continue;
      hit.rect.top = static_cast<float>(row * Tile::height);
      hit.rect.bottom = static_cast<float>((row + 1) * Tile::height);
      hit.rect.left = static_cast<float>(column * Tile::width);
      hit.rect.right = static_cast<float>((column + 1) * Tile::width);
      hit.vx = 0.0f;
      hit.vy = 0.0f;
      return true;
    }
  }
  return false;
}

void TileMap::CheckSupport(PlayerSprite& player) const {
  const PlayerData& data = player.data;
  const float left = data.position.x + data.bounds.left;
  const float right = data.position.x + data.bounds.right;
  const float bottom = data.position.y + data.bounds.bottom;
  const std::int32_t firstColumn = FirstCell(left, Tile::width);
  const std::int32_t lastColumn = LastCell(right, Tile::width);
  // The row holding the first line of pixels below the feet.
  const std::int32_t row = FirstCell(bottom, Tile::height);
  for (std::int32_t column = firstColumn; column <= lastColumn; ++column)
    if (IsSolid(row, column)) return;
  data.state->OnUnsupported();
}
