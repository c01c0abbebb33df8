#include "demo_seek.h"

#include <random>

#include "core/input/keyboard.h"
#include "core/input/window_messages.h"
#include "core/game/world_state.h"

ReplayScript BusyRun(long frames) {
  std::mt19937 random(216000);
  ReplayScript run;
  const std::uint8_t keys[] = {vk::left, vk::right, vk::space};
  for (long frame = 1; frame < frames; ++frame)
    if (random() % 3 == 0) run.events.push_back({frame, random() % 2 ? wm::keyDown : wm::keyUp, keys[random() % 3]});
  run.events.push_back({frames, wm::keyDown, vk::escape});
  run.lastFrame = frames;
  return run;
}

DemoSeek::DemoSeek(const ReplayScript& run) : script(run) {
  processKeyboard = Keyboard{};
  world = std::make_unique<GameWorld>(nullptr);
  start = CaptureState(*world);
  driver = std::make_unique<FrameDriver>(*world, nullptr);
  driver->Play(script);
}

void DemoSeek::Open() {
  viewer.reset();
  driver.reset();
  RestoreState(*world, start);
  driver = std::make_unique<FrameDriver>(*world, nullptr);
  driver->Play(script);
  viewer = std::make_unique<DemoViewer>(*driver, *world);
  viewer->Seek(1);
}

void DemoSeek::ComputeAll() {
  while (driver->Line().Computed() < viewer->Length()) viewer->ComputeAhead(DemoViewer::aheadPerTick);
}

void DemoSeek::ReplayTo(long frame) {
  RestoreState(*world, start);
  driver->Resume(0);
  while (driver->FramesRun() < frame - 1) driver->RunFrame(FrameOutput::computedOnly);
  driver->RunFrame();
}
