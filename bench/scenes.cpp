#include "scenes.h"

#include "core/input/keyboard.h"
#include "core/input/window_messages.h"

namespace {

void Key(std::uint32_t message, std::uint8_t code) {
  HandleWindowMessage(nullptr, message, code, 0);
}

}  // namespace

void ReleaseSceneKeys() {
  for (const std::uint8_t code : {vk::space, vk::left, vk::right})
    if (processKeyboard.IsKeyDown(code)) Key(wm::keyUp, code);
  while (!processKeyboard.EventQueueEmpty()) processKeyboard.PopEvent();
}

Scene::Scene(SceneKind k) : kind(k) {
  ReleaseSceneKeys();
  world = std::make_unique<GameWorld>(nullptr);
  if (kind == SceneKind::running) {
    world->player.data.position = runStart;
    Key(wm::keyDown, vk::right);
    for (int i = 0; i < runWarmUpFrames; ++i) world->RunFrame(nullptr);
  }
}

Scene::~Scene() {
  world.reset();
  ReleaseSceneKeys();
}

const char* Scene::Name(SceneKind kind) {
  switch (kind) {
    case SceneKind::standing:
      return "standing";
    case SceneKind::running:
      return "running";
    case SceneKind::jumping:
      return "jumping";
  }
  return "?";
}

int Scene::CycleLength() const {
  switch (kind) {
    case SceneKind::standing:
      return 1;
    case SceneKind::running:
      return runCycleFrames;
    case SceneKind::jumping:
      return jumpCycleFrames;
  }
  return 1;
}

void Scene::Frame() {
  if (kind == SceneKind::jumping) {
    if (frameInCycle == 0) Key(wm::keyDown, vk::space);
    if (frameInCycle == jumpHoldFrames) Key(wm::keyUp, vk::space);
  }
  world->RunFrame(nullptr);
  if (++frameInCycle == CycleLength() && kind != SceneKind::running) frameInCycle = 0;
}

void Scene::Rewind() {
  world->player.data.position.x -= runCycleDistance;
  frameInCycle = 0;
}
