// The level grid, its drawing, and the two collision queries.
#include <gtest/gtest.h>

#include <cstring>
#include <tuple>

#include "core/level/tile.h"
#include "core/level/tile_map.h"
#include "test_support.h"

namespace {

CollisionRect Body(float top, float bottom, float left, float right, float vx = 0, float vy = 0) {
  return CollisionRect{{top, bottom, left, right}, vx, vy};
}

// Returns the hit tile as (row, column), or (-1, -1) for no hit.
std::pair<int, int> FirstHit(const TileMap& map, const CollisionRect& body) {
  CollisionRect hit{};
  if (!map.FindCollision(body, hit)) return {-1, -1};
  EXPECT_EQ(hit.rect.bottom - hit.rect.top, 25.0f);
  EXPECT_EQ(hit.rect.right - hit.rect.left, 25.0f);
  EXPECT_EQ(hit.vx, 0.0f);
  EXPECT_EQ(hit.vy, 0.0f);
  return {static_cast<int>(hit.rect.top) / 25, static_cast<int>(hit.rect.left) / 25};
}

TEST(Level, HasTheRightTilesAndAClosedBorder) {
  const TileMap map;
  EXPECT_EQ(Tile::width, 25);
  EXPECT_EQ(Tile::height, 25);
  ASSERT_EQ(map.columns, 128);
  ASSERT_EQ(map.rows, 48);
  int solid = 0;
  int open = 0;
  for (int i = 0; i < 6144; ++i) {
    const Tile* tile = map.At(i / 128, i % 128);
    ASSERT_NE(tile, nullptr);
    EXPECT_EQ(tile->x, (i % 128) * 25);
    EXPECT_EQ(tile->y, (i / 128) * 25);
    EXPECT_EQ(tile->colour, tile->passable ? 0xFFE0E0E0u : 0xFF000000u);
    (tile->passable ? open : solid)++;
  }
  EXPECT_EQ(solid, 1466);
  EXPECT_EQ(open, 4678);
  for (int c = 0; c < 128; ++c) EXPECT_TRUE(map.IsSolid(0, c) && map.IsSolid(47, c));
  for (int r = 0; r < 48; ++r) EXPECT_TRUE(map.IsSolid(r, 0) && map.IsSolid(r, 127));
  EXPECT_FALSE(map.At(0, 0)->passable);
  EXPECT_TRUE(map.At(1, 1)->passable);
  EXPECT_EQ(map.At(1, 1)->x, 25);
  EXPECT_EQ(map.At(47, 127)->x, 3175);
  EXPECT_EQ(map.At(47, 127)->y, 1175);
}

TEST(Level, CellsOutsideTheGridAreSolidAndCellsWithoutATileAreOpen) {
  const TileMap map(LayoutBuilder().Put(5, 5, 'x').Text());
  EXPECT_EQ(map.At(5, 5), nullptr);
  EXPECT_FALSE(map.IsSolid(5, 5));
  EXPECT_TRUE(map.IsSolid(-1, 5));
  EXPECT_TRUE(map.IsSolid(48, 5));
  EXPECT_TRUE(map.IsSolid(5, -1));
  EXPECT_TRUE(map.IsSolid(5, 128));
}

class LevelDrawing : public ::testing::Test, protected ViewRig {
 protected:
  // Draws the map with the camera at (x, y) over a colour no tile has.
  void DrawFrom(const TileMap& map, float x, float y) {
    Fill(0xE0E0E0E0u);
    camera.x = x;
    camera.y = y;
    map.Draw(camera);
  }
};

TEST_F(LevelDrawing, TilesCoverTheWholeViewWithNoGapsWhereverTheCameraIs) {
  const TileMap map;
  for (auto [x, y] : {std::pair{0.0f, 0.0f}, std::pair{12.5f, 0.0f}, std::pair{2400.0f, 600.0f},
                      std::pair{1234.56f, 321.98f}, std::pair{0.4f, 599.9f}}) {
    DrawFrom(map, x, y);
    EXPECT_EQ(Count(0xE0E0E0E0u), 0u) << x << "," << y;
  }
}

TEST_F(LevelDrawing, SquaresTruncateTowardZero) {
  // Column 0 solid, column 1 open on row 1: the edge between them shows where each lands.
  const TileMap map;
  DrawFrom(map, 12.5f, 0.0f);  // column 0 spans -12.5..12.5: truncated to -12..12
  EXPECT_EQ(At(11, 30), 0xFF000000u);
  EXPECT_EQ(At(12, 30), 0xFFE0E0E0u);
  DrawFrom(map, 0.0f, 0.0f);
  EXPECT_EQ(At(24, 30), 0xFF000000u);
  EXPECT_EQ(At(25, 30), 0xFFE0E0E0u);
  EXPECT_EQ(At(24, 24), 0xFF000000u);
}

TEST_F(LevelDrawing, ACellWithoutATileIsNotDrawn) {
  const TileMap map(LayoutBuilder().Put(2, 2, '?').Text());
  DrawFrom(map, 0.0f, 0.0f);
  EXPECT_EQ(At(60, 60), 0xE0E0E0E0u);
  EXPECT_EQ(At(49, 60), 0xFFE0E0E0u);
  EXPECT_EQ(At(75, 60), 0xFFE0E0E0u);
}

TEST(FindCollision, TheStartPositionIsClearAndFloorsOnABoundaryAreNotEntered) {
  const TileMap map;
  EXPECT_EQ(FirstHit(map, Body(364, 425, 215, 236)), std::make_pair(-1, -1));
  EXPECT_EQ(FirstHit(map, Body(1114, 1175, 215, 236, 0, 5)), std::make_pair(-1, -1));
  EXPECT_EQ(FirstHit(map, Body(1114, 1175.001f, 215, 236, 0, 5)), std::make_pair(47, 9));
}

TEST(FindCollision, ARightEdgeOnAWallTouchesButDoesNotEnterIt) {
  const TileMap map(LayoutBuilder().Column(10, 1, 46).Text());
  EXPECT_EQ(FirstHit(map, Body(100, 161, 229, 250, 3, 0)), std::make_pair(-1, -1));
  EXPECT_EQ(FirstHit(map, Body(100, 161, 229.01f, 250.01f, 3, 0)).second, 10);
  // A left edge on the wall's right edge belongs to the open cell beyond: clear too.
  EXPECT_EQ(FirstHit(map, Body(100, 161, 275, 296, -3, 0)), std::make_pair(-1, -1));
  EXPECT_EQ(FirstHit(map, Body(100, 161, 274.99f, 295.99f, -3, 0)).second, 10);
}

TEST(FindCollision, CoversTheCellsItsEdgesReach) {
  // top 39, bottom 100, left 90, right 111: rows 1 to 3, columns 3 to 4.
  for (auto [row, column, hits] : {std::tuple{1, 3, true}, std::tuple{3, 4, true}, std::tuple{4, 3, false},
                                   std::tuple{2, 5, false}, std::tuple{2, 2, false}}) {
    const TileMap map(LayoutBuilder().Put(row, column).Text());
    EXPECT_EQ(FirstHit(map, Body(39, 100, 90, 111)).first != -1, hits) << row << "," << column;
  }
}

TEST(FindCollision, ScanOrderFollowsTheMotion) {
  // Solid cells at every corner of a body covering rows 10 to 12 and columns 10 to 11.
  const TileMap map(LayoutBuilder().Put(10, 10).Put(10, 11).Put(12, 10).Put(12, 11).Text());
  const float top = 250, bottom = 325, left = 250, right = 300;
  EXPECT_EQ(FirstHit(map, Body(top, bottom, left, right, -1, -1)), std::make_pair(12, 10));  // up-left
  EXPECT_EQ(FirstHit(map, Body(top, bottom, left, right, -1, 1)), std::make_pair(10, 10));   // down-left
  EXPECT_EQ(FirstHit(map, Body(top, bottom, left, right, 1, -1)), std::make_pair(12, 11));   // up-right
  EXPECT_EQ(FirstHit(map, Body(top, bottom, left, right, 1, 1)), std::make_pair(10, 11));    // down-right
  EXPECT_EQ(FirstHit(map, Body(top, bottom, left, right, 0, 0)), std::make_pair(10, 11));    // still: right, down
}

TEST(FindCollision, MovingDownRightFindsAWallInTheTopRowBeforeTheFloor) {
  const TileMap map(LayoutBuilder().Put(10, 11).Row(12, 10, 11).Text());
  EXPECT_EQ(FirstHit(map, Body(250, 325, 250, 300, 4, 4)), std::make_pair(10, 11));
}

TEST(FindCollision, AnEmptyRectangleFindsNothingAndAMissLeavesTheHitAlone) {
  const TileMap map;
  const CollisionRect before{{1, 2, 3, 4}, 5, 6};
  CollisionRect hit = before;
  EXPECT_FALSE(map.FindCollision(Body(50, 50, 0, 100), hit));  // covers no row, even in the border
  EXPECT_FALSE(map.FindCollision(Body(364, 425, 215, 236), hit));
  EXPECT_EQ(std::memcmp(&hit, &before, sizeof hit), 0);
}

// A state that only counts how often the ground was missing.
struct SupportProbe : SpriteState {
  using SpriteState::SpriteState;
  void OnUnsupported() override { ++unsupported; }
  int unsupported = 0;
};

class CheckSupportTest : public ::testing::Test {
 protected:
  int Probe(const TileMap& map, float x, float y, RectF bounds = {-61, 0, -10, 11}) {
    player.data.position = {x, y};
    player.data.bounds = bounds;
    auto probe = std::make_unique<SupportProbe>(&player.data);
    SupportProbe* raw = probe.get();
    player.data.state = std::move(probe);
    map.CheckSupport(player);
    return raw->unsupported;
  }
  PlayerSprite player;
};

TEST_F(CheckSupportTest, FeetOnARowTopTestThatRow) {
  const TileMap level;
  EXPECT_EQ(Probe(level, 225, 425), 0);    // the start platform, row 17
  EXPECT_EQ(Probe(level, 225, 1175), 0);   // the bottom border
  EXPECT_EQ(Probe(level, 225, 424.9f), 1); // row 16 is open above the platform
}

TEST_F(CheckSupportTest, AnExclusiveRightEdgeOnABoundaryDoesNotReachTheNextColumn) {
  const TileMap map(LayoutBuilder().Put(20, 4).Text());
  // left 80 .. right 100: columns 3 only; 100.5 reaches column 4.
  EXPECT_EQ(Probe(map, 90, 500, {-61, 0, -10, 10}), 1);
  EXPECT_EQ(Probe(map, 90, 500, {-61, 0, -10, 10.5f}), 0);
  // Either end of the feet over solid ground is enough.
  EXPECT_EQ(Probe(map, 115, 500), 0);
}

TEST_F(CheckSupportTest, CallsUnsupportedOverOpenCellsEvenWhenTheBodyTouchesSolidOnes) {
  const TileMap map(LayoutBuilder().Put(18, 10).Put(19, 10).Text());
  EXPECT_EQ(Probe(map, 255, 500), 1);
}

}  // namespace
