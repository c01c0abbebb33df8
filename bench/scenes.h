// Steady scenes of the real game, for measuring a frame and for checking what a frame costs.
// Each scene is a fixed input cycle that can repeat for ever without drifting, so a frame
// measured after a million of them is the same frame as the first one.
#pragma once

#include <memory>

#include "core/game/game_world.h"

enum class SceneKind { standing, running, jumping };

class Scene {
 public:
  // The running scene runs along the corridor of rows 20 to 22, feet on row 23: a floor long
  // enough to reach full speed with the camera scrolling freely in both directions.
  static constexpr Vec2 runStart = {850.0f, 575.0f};
  static constexpr int runWarmUpFrames = 30;  // 15 to reach full speed, then some
  static constexpr int runCycleFrames = 80;
  static constexpr float runCycleDistance = 6.0f * runCycleFrames;

  // The jump: space held for jumpHoldFrames, then the figure lands where it took off and
  // stands until the cycle ends.
  static constexpr int jumpHoldFrames = 20;
  static constexpr int jumpCycleFrames = 45;

  // Builds a fresh world (the assets are read from the working directory) and brings the
  // scene to its steady cycle. The process keyboard is left with no key down and no event.
  explicit Scene(SceneKind kind);
  ~Scene();
  Scene(const Scene&) = delete;
  Scene& operator=(const Scene&) = delete;

  static const char* Name(SceneKind kind);

  // Delivers this frame's key messages, as the platform layer would, then runs the frame.
  void Frame();

  // The running scene must be moved back before it reaches the wall; Rewind does that without
  // changing anything a frame would see except the player's x (and so the camera's).
  bool NeedsRewind() const { return kind == SceneKind::running && frameInCycle == runCycleFrames; }
  void Rewind();

  GameWorld& World() { return *world; }
  int CycleLength() const;
  int FrameInCycle() const { return frameInCycle; }

 private:
  SceneKind kind;
  std::unique_ptr<GameWorld> world;
  int frameInCycle = 0;
};

// Lets go of every key the scenes press and empties the event queue.
void ReleaseSceneKeys();
