// The player's state machine: transitions and the physics numbers they produce.
#include <gtest/gtest.h>

#include <algorithm>

#include "core/input/window_messages.h"
#include "core/sprites/player_ground_states.h"
#include "core/sprites/player_jumping.h"
#include "core/sprites/player_repel.h"
#include "test_support.h"

namespace {

// A level with one long floor whose top is at y 425 (row 17) and open air above it.
const char* OpenFloor() {
  static const LayoutBuilder layout = LayoutBuilder().Row(17, 1, 126);
  return layout.Text();
}

// A floor at y 1000 (row 40) with a wall whose left face is at x 750 (column 30).
const char* FloorAndWall() {
  static const LayoutBuilder layout = LayoutBuilder().Row(40, 1, 126).Column(30, 1, 39);
  return layout.Text();
}

// The figure standing on the open floor, at x 1000 unless a test needs the room.
struct FloorRig : PlayerRig {
  explicit FloorRig(float x = 1000) : PlayerRig(OpenFloor()) { Place(x, 425); }
};

void RunRight(PlayerRig& rig, int updates) {
  rig.Press(vk::right);
  rig.Steps(updates);
}

TEST(GroundMovement, HoldingADirectionReachesFullSpeedOnTheFifteenthUpdate) {
  FloorRig rig;
  RunRight(rig, 1);
  EXPECT_TRUE(rig.Is<PlayerRunning>());
  EXPECT_EQ(rig.data().velocity.x, 0.4f);
  EXPECT_EQ(rig.data().animation, rig.data().animations[runPair].get());
  rig.Steps(13);
  EXPECT_LT(rig.data().velocity.x, 6.0f);
  rig.Step();
  EXPECT_EQ(rig.data().velocity.x, 6.0f);
  EXPECT_FLOAT_EQ(rig.data().position.x, 1048.0f);
  rig.Steps(10);
  EXPECT_EQ(rig.data().velocity.x, 6.0f);
  EXPECT_EQ(rig.data().position.y, 425.0f);
}

TEST(GroundMovement, RunImageStepsEveryFourthUpdateAndEachFacingKeepsItsOwnFrame) {
  FloorRig rig;
  RunRight(rig, 9);
  AnimationPair& run = *rig.data().animations[runPair];
  EXPECT_EQ(run.right->currentFrame, 2u);
  rig.Press(vk::left);  // turn: the left animation starts from its own frame 0
  rig.Steps(4);
  EXPECT_EQ(run.left->currentFrame, 1u);
  EXPECT_EQ(run.right->currentFrame, 2u);
}

TEST(GroundMovement, TurningBrakesThenRunsTheOtherWay) {
  FloorRig rig;
  RunRight(rig, 20);
  rig.Press(vk::left);
  rig.Step();
  EXPECT_EQ(rig.data().facing, Direction::Left);
  EXPECT_FLOAT_EQ(rig.data().velocity.x, 5.6f);
  rig.Steps(14);
  EXPECT_NEAR(rig.data().velocity.x, 0.0f, 1e-5f);
  rig.Steps(15);
  EXPECT_EQ(rig.data().velocity.x, -6.0f);
}

TEST(GroundMovement, ReleasingTheFacingKeyGlidesToAStopWithoutEverReachingZero) {
  FloorRig rig;
  RunRight(rig, 20);
  const float releasedAt = rig.data().position.x;
  rig.Release(vk::right);
  rig.Step();
  EXPECT_TRUE(rig.Is<PlayerStanding>());
  EXPECT_EQ(rig.data().animation, rig.data().animations[standPair].get());
  EXPECT_FLOAT_EQ(rig.data().velocity.x, 5.52f);
  rig.Step();
  EXPECT_FLOAT_EQ(rig.data().velocity.x, 5.0784f);
  rig.Step();
  EXPECT_FLOAT_EQ(rig.data().velocity.x, 4.672128f);
  rig.Steps(300);
  EXPECT_GT(rig.data().velocity.x, 0.0f);
  EXPECT_NEAR(rig.data().position.x - releasedAt, 69.0f, 0.01f);
}

TEST(GroundMovement, OnlyTheFacingKeysReleaseStopsTheRun) {
  FloorRig rig;
  rig.Press(vk::right);
  rig.Press(vk::left);
  rig.Release(vk::left);  // stops although right is still held
  rig.Step();
  EXPECT_TRUE(rig.Is<PlayerStanding>());
  rig.Press(vk::right);
  rig.Step();
  EXPECT_TRUE(rig.Is<PlayerRunning>());

  FloorRig other;
  other.Press(vk::right);
  other.Press(vk::left);
  other.Release(vk::right);  // the other key: ignored, the figure keeps running left
  other.Step();
  EXPECT_TRUE(other.Is<PlayerRunning>());
  EXPECT_EQ(other.data().facing, Direction::Left);
  EXPECT_EQ(other.data().velocity.x, -0.4f);
}

TEST(GroundMovement, RepeatsAndJumpReleasesChangeNothingOnTheGround) {
  FloorRig rig;
  RunRight(rig, 3);
  SpriteState* running = rig.state();
  rig.Press(vk::right);
  rig.Release(vk::space);
  rig.Step();
  EXPECT_EQ(rig.state(), running);
  EXPECT_FLOAT_EQ(rig.data().velocity.x, 1.6f);
  rig.Release(vk::right);
  rig.Step();
  SpriteState* standing = rig.state();
  rig.Release(vk::space);
  rig.Release(vk::up);
  rig.Step();
  EXPECT_EQ(rig.state(), standing);
}

TEST(GroundMovement, RunningIntoAWallStopsAgainstItWhileTheRunImageCycles) {
  PlayerRig rig(FloorAndWall());
  rig.Place(700, 1000);
  RunRight(rig, 30);
  EXPECT_EQ(rig.data().position.x, 739.0f);  // right edge on the wall's left edge
  EXPECT_EQ(rig.data().velocity.x, 0.0f);
  const std::uint32_t frame = rig.data().animations[runPair]->right->currentFrame;
  rig.Steps(4);
  EXPECT_EQ(rig.data().position.x, 739.0f);
  EXPECT_NE(rig.data().animations[runPair]->right->currentFrame, frame);
  EXPECT_TRUE(rig.Is<PlayerRunning>());
}

TEST(GroundMovement, AGroundStateTreatsEveryHitAsAWall) {
  PlayerRig rig;
  const CollisionRect tile{{400, 425, 200, 225}, 0, 0};
  rig.Place(210, 425, 0.0f, 3.0f);  // still: pushed out to the tile's right
  rig.state()->OnCollision(tile);
  EXPECT_EQ(rig.data().position.x + rig.data().bounds.left, 225.0f);
  EXPECT_EQ(rig.data().position.y, 425.0f);
  EXPECT_EQ(rig.data().velocity.y, 3.0f);
  rig.Place(195, 425, 2.0f);
  rig.state()->OnCollision(tile);
  EXPECT_EQ(rig.data().position.x + rig.data().bounds.right, 200.0f);
  EXPECT_EQ(rig.data().velocity.x, 0.0f);
  EXPECT_TRUE(rig.Is<PlayerStanding>());
}

TEST(Jumping, AHeldJumpRises114PixelsAndLandsBackExactly) {
  FloorRig rig;
  rig.Press(vk::space);
  rig.Step();
  EXPECT_TRUE(rig.Is<PlayerJumping>());
  EXPECT_EQ(rig.data().velocity.y, -11.4f);
  EXPECT_EQ(rig.data().animation, rig.data().animations[jumpPair].get());
  float highest = rig.data().position.y;
  int highestAt = 1;
  for (int update = 2; update <= 39; ++update) {
    rig.Step();
    if (update == 19) {
      EXPECT_LT(rig.data().velocity.y, 0.0f);
      EXPECT_EQ(rig.data().animation, rig.data().animations[jumpPair].get());
    }
    if (update == 20) {
      EXPECT_GE(rig.data().velocity.y, 0.0f);
      EXPECT_EQ(rig.data().animation, rig.data().animations[fallPair].get());
    }
    if (rig.data().position.y < highest) {
      highest = rig.data().position.y;
      highestAt = update;
    }
  }
  EXPECT_EQ(highestAt, 19);
  EXPECT_NEAR(425.0f - highest, 114.0f, 1e-3f);
  EXPECT_EQ(rig.data().position.y, 425.0f);
  EXPECT_TRUE(rig.Is<PlayerJumping>());
  EXPECT_EQ(rig.Step(), 1);  // 12 pixels into the floor: a landing
  EXPECT_EQ(rig.data().position.y, 425.0f);
  EXPECT_EQ(rig.data().velocity.y, 0.0f);
  EXPECT_TRUE(rig.Is<PlayerStanding>());
}

TEST(Jumping, AHeldJumpFromTheStartHitsTheCeilingAt336) {
  PlayerRig rig;  // the real level: row 10 is solid above the start
  rig.Press(vk::space);
  rig.Steps(10);
  EXPECT_TRUE(rig.Is<PlayerJumping>());
  EXPECT_LT(rig.data().velocity.y, 0.0f);
  rig.Step();
  EXPECT_EQ(rig.data().position.y, 336.0f);
  EXPECT_EQ(rig.data().velocity.y, 0.0f);
  EXPECT_TRUE(rig.Is<PlayerJumping>());
  rig.Steps(40);
  EXPECT_TRUE(rig.Is<PlayerStanding>());
  EXPECT_EQ(rig.data().position.y, 425.0f);
}

float RiseWhenReleasedAfter(int updates) {
  FloorRig rig;
  rig.Press(vk::space);
  if (updates == 0) rig.Release(vk::space);
  float highest = 425.0f;
  for (int i = 1; i <= 60; ++i) {
    rig.Step();
    if (rig.Is<PlayerStanding>()) break;
    if (i == updates) rig.Release(vk::space);
    highest = std::min(highest, rig.data().position.y);
  }
  return 425.0f - highest;
}

TEST(Jumping, ReleasingSpaceCutsTheRise) {
  FloorRig rig;
  rig.Press(vk::space);
  rig.Release(vk::space);
  rig.Step();
  EXPECT_FLOAT_EQ(rig.data().velocity.y, -3.42f);
  rig.Step();
  EXPECT_FLOAT_EQ(rig.data().velocity.y, -0.846f);
  rig.Step();
  EXPECT_FLOAT_EQ(rig.data().velocity.y, -0.0738f);
  EXPECT_EQ(rig.data().animation, rig.data().animations[jumpPair].get());
  rig.Step();
  EXPECT_GE(rig.data().velocity.y, 0.0f);
  EXPECT_EQ(rig.data().animation, rig.data().animations[fallPair].get());

  EXPECT_NEAR(RiseWhenReleasedAfter(0), 4.34f, 0.01f);
  EXPECT_NEAR(RiseWhenReleasedAfter(1), 15.5f, 0.05f);
  EXPECT_NEAR(RiseWhenReleasedAfter(2), 26.0f, 0.05f);
  EXPECT_NEAR(RiseWhenReleasedAfter(5), 54.1f, 0.05f);
}

TEST(Jumping, OutOfARunTheAirSpeedClimbsTo7Point5) {
  FloorRig rig(500);
  RunRight(rig, 20);
  rig.Press(vk::space);
  const float expected[] = {6.4f, 6.8f, 7.2f, 7.5f, 7.5f};
  for (float vx : expected) {
    rig.Step();
    EXPECT_FLOAT_EQ(rig.data().velocity.x, vx);
  }
}

TEST(Jumping, WithoutSteeringTheAirSpeedDecays) {
  FloorRig rig;
  rig.Press(vk::space);
  rig.Step();
  rig.data().velocity.x = 7.0f;
  for (float vx : {6.79f, 6.5863f, 6.38871f}) {
    rig.Step();
    EXPECT_FLOAT_EQ(rig.data().velocity.x, vx);
  }
  rig.Press(vk::left);  // steering now: turn at once and accelerate left
  rig.Step();
  EXPECT_EQ(rig.data().facing, Direction::Left);
  EXPECT_FLOAT_EQ(rig.data().velocity.x, 6.38871f - 0.4f);
}

TEST(Jumping, PressesOfSpaceAndLostGroundChangeNothingInTheAir) {
  FloorRig rig;
  rig.Press(vk::space);
  rig.Step();
  SpriteState* jumping = rig.state();
  const float vy = rig.data().velocity.y;
  rig.state()->OnJumpPress();
  rig.state()->OnUnsupported();
  EXPECT_EQ(rig.state(), jumping);
  EXPECT_EQ(rig.data().velocity.y, vy);
}

TEST(Jumping, WalkingOffALedgeFallsWithTheGroundSpeed) {
  PlayerRig rig(LayoutBuilder().Row(17, 1, 41).Text());  // the floor ends at x 1050
  rig.Place(1000, 425);
  rig.Press(vk::right);
  for (int i = 0; i < 100 && !rig.Is<PlayerJumping>(); ++i) rig.Step();
  ASSERT_TRUE(rig.Is<PlayerJumping>());
  EXPECT_EQ(rig.data().velocity.y, 0.0f);
  EXPECT_GT(rig.data().velocity.x, 0.0f);
  // Drawn this frame with the jump image; the fall image from the next update on.
  EXPECT_EQ(rig.data().animation, rig.data().animations[jumpPair].get());
  rig.Step();
  EXPECT_EQ(rig.data().animation, rig.data().animations[fallPair].get());
}

const CollisionRect ledge{{500, 525, 500, 525}, 0, 0};

// One hit of the ledge, resolved by a falling or rising PlayerJumping.
struct AirHit {
  float x, y, vx, vy;
  bool airPress = true;
};

void HitTheLedge(PlayerRig& rig, const AirHit& hit) {
  rig.state()->OnJumpPress();  // standing -> jumping, steering off
  auto* jumping = dynamic_cast<PlayerJumping*>(rig.state());
  jumping->steering = true;
  jumping->airPress = hit.airPress;
  rig.Place(hit.x, hit.y, hit.vx, hit.vy);
  rig.state()->OnCollision(ledge);
}

TEST(AirCollisions, AShallowFallLandsOnTheLedge) {
  PlayerRig rig;
  HitTheLedge(rig, {491, 510, 6, 3});  // right edge 2 in, feet 10 in: 3 x 2 > (10 - 15) x 6
  EXPECT_EQ(rig.data().position.y, 500.0f);
  EXPECT_EQ(rig.data().velocity, (Vec2{6.0f, 0.0f}));
  EXPECT_TRUE(rig.Is<PlayerRunning>());
}

TEST(AirCollisions, ADeepFallIsASideHitAndAPressedDirectionCatchesTheWall) {
  PlayerRig rig;
  HitTheLedge(rig, {491, 517, 6, 3});  // feet 17 in: 6 > 12 fails
  EXPECT_EQ(rig.data().position, (Vec2{489.0f, 514.0f}));  // y taken back by vy
  EXPECT_EQ(rig.data().velocity, (Vec2{0.0f, 3.0f}));
  EXPECT_TRUE(rig.Is<PlayerRepel>());
  EXPECT_EQ(rig.data().animation, rig.data().animations[fallPair].get());

  PlayerRig loose;
  HitTheLedge(loose, {491, 517, 6, 3, false});  // no direction pressed in the air: no catch
  EXPECT_EQ(loose.data().position.y, 517.0f);
  EXPECT_TRUE(loose.Is<PlayerJumping>());
}

TEST(AirCollisions, EqualityIsASideHit) {
  PlayerRig rig;
  // vx 2, vy 4, dx 3, dy 21: 4 x 3 equals (21 - 15) x 2.
  HitTheLedge(rig, {492, 521, 2, 4, false});
  EXPECT_EQ(rig.data().position, (Vec2{489.0f, 521.0f}));
  EXPECT_TRUE(rig.Is<PlayerJumping>());
}

TEST(AirCollisions, RisingIntoAnUndersideIsACeilingAndSideHitsWhileRisingNeverCatch) {
  PlayerRig rig;
  // Head 5 into the underside (top 520), dx 10: 8 x 10 > 2 x 5.
  HitTheLedge(rig, {499, 581, 2, -8});
  EXPECT_EQ(rig.data().position.y, 586.0f);
  EXPECT_EQ(rig.data().velocity, (Vec2{2.0f, 0.0f}));
  EXPECT_TRUE(rig.Is<PlayerJumping>());

  PlayerRig side;
  HitTheLedge(side, {491, 560, 6, -1});  // dx 2, dy 26: 1 x 2 < 6 x 26
  EXPECT_EQ(side.data().position.x, 489.0f);
  EXPECT_TRUE(side.Is<PlayerJumping>());
}

TEST(AirCollisions, FallingStraightDownAlwaysLands) {
  PlayerRig rig;
  rig.state()->OnJumpPress();
  rig.Place(510, 540, 0, 9);
  rig.state()->OnCollision(ledge);
  EXPECT_EQ(rig.data().position.y, 500.0f);
  EXPECT_TRUE(rig.Is<PlayerStanding>());
}

// Runs into the wall at x 750, jumps, and keeps right held until the wall catches the fall.
void CatchTheWall(PlayerRig& rig) {
  rig.Place(600, 1000);
  RunRight(rig, 10);
  rig.Press(vk::space);
  for (int i = 0; i < 100 && !rig.Is<PlayerRepel>(); ++i) rig.Step();
  ASSERT_TRUE(rig.Is<PlayerRepel>());
}

TEST(WallCling, AJumpOutOfARunCatchesTheFirstWallAndHangsStill) {
  PlayerRig rig(FloorAndWall());
  CatchTheWall(rig);
  EXPECT_EQ(rig.data().position.x, 739.0f);
  EXPECT_EQ(rig.data().velocity.x, 0.0f);
  const Vec2 hanging = rig.data().position;
  const float vy = rig.data().velocity.y;
  EXPECT_GT(vy, 0.0f);
  for (int i = 0; i < 200; ++i) EXPECT_EQ(rig.Step(), 0);
  rig.Release(vk::space);
  rig.Step();
  EXPECT_TRUE(rig.Is<PlayerRepel>());
  EXPECT_EQ(rig.data().position, hanging);
  EXPECT_EQ(rig.data().velocity.y, vy);

  rig.Release(vk::right);  // let go: fall on with the caught speed
  rig.Step();
  EXPECT_TRUE(rig.Is<PlayerJumping>());
  EXPECT_FLOAT_EQ(rig.data().velocity.y, vy + 0.6f);
  for (int i = 0; i < 200 && !rig.Is<PlayerStanding>(); ++i) rig.Step();
  EXPECT_TRUE(rig.Is<PlayerStanding>());
  EXPECT_EQ(rig.data().position.y, 1000.0f);
}

TEST(WallCling, SpaceClimbsStraightUpUnlessTheOtherKeyPushesAway) {
  struct Case {
    std::vector<std::pair<bool, std::uint8_t>> keys;  // (pressed, code) before the jump
    float vx;
  };
  const Case cases[] = {
      {{}, 0.0f},
      {{{true, vk::left}}, -7.0f},
      {{{true, vk::left}, {false, vk::left}}, 0.0f},
      {{{true, vk::left}, {true, vk::right}}, 0.0f},
  };
  for (const Case& c : cases) {
    PlayerRig rig(FloorAndWall());
    CatchTheWall(rig);
    for (auto [pressed, code] : c.keys) pressed ? rig.Press(code) : rig.Release(code);
    rig.Press(vk::space);
    rig.Step();
    ASSERT_TRUE(rig.Is<PlayerJumping>());
    auto* jumping = dynamic_cast<PlayerJumping*>(rig.state());
    EXPECT_FALSE(jumping->steering);
    EXPECT_TRUE(jumping->jumpHeld);
    EXPECT_EQ(rig.data().velocity.y, -11.4f);
    EXPECT_FLOAT_EQ(rig.data().velocity.x, c.vx * 0.97f);
    EXPECT_EQ(rig.data().facing, Direction::Right);  // leaves the wall still facing it
    EXPECT_EQ(rig.data().animation, rig.data().animations[jumpPair].get());
  }
}

TEST(WallCling, PushingAwayFromALeftFacingClingGoesRight) {
  PlayerRig rig;
  rig.data().facing = Direction::Left;
  rig.Place(500, 500, 0, 6);
  auto repel = std::make_unique<PlayerRepel>(&rig.data());
  rig.data().state = std::move(repel);
  rig.state()->OnDirectionPress(Direction::Right);
  rig.state()->OnJumpPress();
  EXPECT_EQ(rig.data().velocity, (Vec2{7.0f, -12.0f}));
  EXPECT_EQ(rig.data().facing, Direction::Left);
}

// A state that notes, as it dies, whether its successor was already in place.
struct WatchedState : SpriteState {
  WatchedState(PlayerData* d, bool* successorInPlace, int* destroyed)
      : SpriteState(d), successorInPlace(successorInPlace), destroyed(destroyed) {}
  ~WatchedState() override {
    *successorInPlace = data->state.get() != this && data->state != nullptr;
    ++*destroyed;
  }
  void OnDirectionPress(Direction) override { HandOver(std::make_unique<PlayerStanding>(data)); }
  bool* successorInPlace;
  int* destroyed;
};

TEST(HandOver, TheOldStateDiesLastAndTheSpriteOwnsTheSuccessor) {
  bool successorInPlace = false;
  int destroyed = 0;
  {
    PlayerRig rig;
    rig.data().state = std::make_unique<WatchedState>(&rig.data(), &successorInPlace, &destroyed);
    rig.Press(vk::left);    // hands over to standing
    rig.Release(vk::left);  // must reach the successor, which ignores it
    rig.Step();
    EXPECT_EQ(destroyed, 1);
    EXPECT_TRUE(successorInPlace);
    EXPECT_TRUE(rig.Is<PlayerStanding>());
  }
  EXPECT_EQ(destroyed, 1);  // the sprite destroyed the successor, not the old state again
}

}  // namespace
