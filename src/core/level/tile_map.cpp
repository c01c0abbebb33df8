#include "core/level/tile_map.h"

#include <cstdint>
#include <utility>

#include "core/game/camera.h"
#include "core/game/truncate.h"
#include "core/graphics/display.h"
#include "core/level/level_layout.h"
#include "core/level/tile.h"
#include "core/sprites/player_sprite.h"
#include "core/sprites/sprite_state.h"

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

void TileMap::Place(std::int32_t row, std::int32_t column, std::unique_ptr<Tile> tile) {
  if (row < 0 || row >= rows || column < 0 || column >= columns) return;
  if (tile != nullptr && (tile->x != column * Tile::width || tile->y != row * Tile::height)) everyTileOnItsCell = false;
  tiles[static_cast<std::size_t>(row) * columns + column] = std::move(tile);
}

bool TileMap::IsSolid(std::int32_t row, std::int32_t column) const {
  if (row < 0 || row >= rows || column < 0 || column >= columns) return true;
  const Tile* tile = tiles[static_cast<std::size_t>(row) * columns + column].get();
  return tile != nullptr && !tile->passable;
}

namespace {

// The screen positions of the grid lines along one axis: world line k * size through the
// camera, truncated toward zero. The table is made once a frame, so a tile that sits on its
// own cell (every tile of a map built from a layout) looks its edges up instead of converting
// four floats; any other tile is converted as it stands, with the same arithmetic.
class GridEdges {
 public:
  static constexpr std::int32_t maxCells = 256;

  GridEdges(std::int32_t cells, std::int32_t size, float cameraOffset, std::int32_t clipOffset)
      : size(size), camera(cameraOffset), clip(clipOffset), cells(TableCells(cells, size)) {
    for (std::int32_t k = 0; k <= this->cells; ++k) screen[k] = Convert(k * size);
  }

  std::int32_t Convert(std::int32_t world) const {
    return TruncateToInt(static_cast<float>(world) - camera) + clip;
  }

  // Whether world coordinate `world` is line `cell` of the table, so that Near and Far apply.
  bool OnLine(std::int32_t world, std::int32_t cell) const {
    return cell < cells && world == cell * size;
  }
  bool InTable(std::int32_t cell) const { return cell < cells; }
  // The first and last of the table's cells whose span on the screen reaches past `from`, or
  // starts before `to`: the lines only grow along the axis, so the cells in view are these and
  // those between (none when first > last).
  std::int32_t FirstInView(std::int32_t count, std::int32_t from) const {
    std::int32_t cell = 0;
    while (cell < count && Far(cell) <= from) ++cell;
    return cell;
  }
  std::int32_t LastInView(std::int32_t count, std::int32_t to) const {
    std::int32_t cell = count - 1;
    while (cell >= 0 && Near(cell) >= to) --cell;
    return cell;
  }
  std::int32_t Line(std::int32_t cell) const { return cell * size; }
  std::int32_t Near(std::int32_t cell) const { return screen[cell]; }
  std::int32_t Far(std::int32_t cell) const { return screen[cell + 1]; }

 private:
  // No table (every tile converted) for a grid too large for it or a size it cannot hold.
  static std::int32_t TableCells(std::int32_t cells, std::int32_t size) {
    if (cells <= 0 || cells > maxCells || size <= 0) return 0;
    if (std::int64_t{cells} * size > INT32_MAX) return 0;
    return cells;
  }

  const std::int32_t size;
  const float camera;
  const std::int32_t clip;
  const std::int32_t cells;
  std::int32_t screen[maxCells + 1];
};

}  // namespace

void TileMap::Draw(const Camera& camera) const {
  const Viewport& viewport = camera.viewport;
  Display& display = viewport.display;
  // Nothing the loop calls can move the camera or resize the tiles: read them once.
  const RectI clip = viewport.clip;
  const std::int32_t tileWidth = Tile::width;
  const std::int32_t tileHeight = Tile::height;
  const GridEdges across(columns, tileWidth, camera.x, clip.left);
  const GridEdges down(rows, tileHeight, camera.y, clip.top);
  const Display::RowsOfFills rowsOfFills(display);
  if (everyTileOnItsCell && down.InTable(rows - 1) && across.InTable(columns - 1)) {
    // Only the cells in view: any other cell's tile would be clipped away whole. The order is
    // the full loop's, rows top to bottom, each left to right.
    const CellSpan cells{down.FirstInView(rows, clip.top), down.LastInView(rows, clip.bottom),
                         across.FirstInView(columns, clip.left), across.LastInView(columns, clip.right)};
    for (std::int32_t row = cells.firstRow; row <= cells.lastRow; ++row) {
      const std::unique_ptr<Tile>* cell = tiles.get() + static_cast<std::size_t>(row) * columns;
      for (std::int32_t column = cells.firstColumn; column <= cells.lastColumn; ++column) {
        const Tile* tile = cell[column].get();
        if (tile != nullptr)
          display.FillRect(down.Near(row), down.Far(row), across.Near(column), across.Far(column), tile->colour, clip);
      }
    }
    return;
  }
  const std::unique_ptr<Tile>* cell = tiles.get();
  for (std::int32_t row = 0; row < rows; ++row) {
    const bool rowInTable = down.InTable(row);
    const std::int32_t rowY = rowInTable ? down.Line(row) : 0;
    const std::int32_t rowTop = rowInTable ? down.Near(row) : 0;
    const std::int32_t rowBottom = rowInTable ? down.Far(row) : 0;
    for (std::int32_t column = 0; column < columns; ++column, ++cell) {
      const Tile* tile = cell->get();
      if (tile == nullptr) continue;
      const std::int32_t x = tile->x;
      const std::int32_t y = tile->y;
      // Neighbours share the edge value, so squares meet with no gap and no overlap.
      if (rowInTable && y == rowY && across.OnLine(x, column)) {
        display.FillRect(rowTop, rowBottom, across.Near(column), across.Far(column), tile->colour,
                         clip);
      } else {
        display.FillRect(down.Convert(y), down.Convert(y + tileHeight), across.Convert(x),
                         across.Convert(x + tileWidth), tile->colour, clip);
      }
    }
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
