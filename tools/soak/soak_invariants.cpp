#include "soak_invariants.h"

#include <cmath>
#include <cstdio>

#include "platform/headless/platform_headless.h"
#include "core/game/game_world.h"
#include "core/level/tile.h"
#include "core/sprites/player_ground_states.h"
#include "core/sprites/player_jumping.h"
#include "core/sprites/player_repel.h"

namespace {

std::string Describe(const char* format, double a = 0, double b = 0, double c = 0, double d = 0) {
  char text[200];
  std::snprintf(text, sizeof text, format, a, b, c, d);
  return text;
}

bool Finite(float value) { return std::isfinite(value); }

}  // namespace

const char* SoakStateName(const GameWorld& world) {
  const SpriteState* state = world.player.data.state.get();
  if (dynamic_cast<const PlayerStanding*>(state)) return "standing";
  if (dynamic_cast<const PlayerRunning*>(state)) return "running";
  if (dynamic_cast<const PlayerJumping*>(state)) return "jumping";
  if (dynamic_cast<const PlayerRepel*>(state)) return "repel";
  return "unknown";
}

std::string FindViolation(const GameWorld& world) {
  const PlayerData& player = world.player.data;
  const Vec2 p = player.position;
  const Vec2 v = player.velocity;
  const Camera& camera = world.camera;

  if (!Finite(p.x) || !Finite(p.y) || !Finite(v.x) || !Finite(v.y))
    return Describe("position (%g, %g) or velocity (%g, %g) is not finite", p.x, p.y, v.x, v.y);
  if (!Finite(camera.x) || !Finite(camera.y))
    return Describe("camera (%g, %g) is not finite", camera.x, camera.y);

  const CollisionRect body = world.player.Body();
  const float worldWidth = static_cast<float>(world.tileMap.columns * Tile::width);
  const float worldHeight = static_cast<float>(world.tileMap.rows * Tile::height);
  if (body.rect.left < 0.0f || body.rect.top < 0.0f || body.rect.right > worldWidth ||
      body.rect.bottom > worldHeight)
    return Describe("body at (%g, %g) leaves the %g x %g world", p.x, p.y, worldWidth, worldHeight);

  CollisionRect tile{};
  if (world.tileMap.FindCollision(body, tile))
    return Describe("body at (%g, %g) overlaps the solid tile at (%g, %g)", p.x, p.y,
                    tile.rect.left, tile.rect.top);

  if (world.collisionHits >= PlayerController::collisionBound)
    return Describe("the collision pass stopped at its bound of %g hits",
                    PlayerController::collisionBound);

  if (camera.x < 0.0f || camera.x > 2400.0f || camera.y < 0.0f || camera.y > 600.0f)
    return Describe("camera (%g, %g) shows something outside the world", camera.x, camera.y);

  const std::string state = SoakStateName(world);
  const AnimationPair* shown = player.animation;
  const auto is = [&](PlayerPair pair) { return shown == player.animations[pair].get(); };
  bool fits = false;
  if (state == "standing") fits = is(standPair);
  else if (state == "running") fits = is(runPair);
  else if (state == "jumping") fits = is(jumpPair) || is(fallPair);
  else if (state == "repel") fits = is(fallPair);
  if (!fits) return "the " + state + " state shows a picture that does not belong to it";

  if (player.facing != Direction::Left && player.facing != Direction::Right)
    return "facing is neither left nor right";
  if (headlessPlatform.quitPosted) return "the game asked to quit, though Escape was never pressed";
  return {};
}
