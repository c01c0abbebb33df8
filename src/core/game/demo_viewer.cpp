#include "core/game/demo_viewer.h"

#include <algorithm>

#include "core/input/window_messages.h"
#include "core/game/frame_driver.h"
#include "core/game/game_world.h"

DemoViewer::DemoViewer(FrameDriver& driver, GameWorld& world) : driver(driver), world(world) {
  // A run ends with the Escape that quit it; the game stops on that frame, and so does --dump.
  const ReplayScript& script = driver.Script();
  length = std::max(script.lastFrame, 1L);
  for (const ScriptEvent& event : script.events) {
    if (event.frame > length) break;
    if (event.message == wm::keyDown && (event.wParam & 0xFF) == vk::escape) {
      length = event.frame;
      break;
    }
  }
  const long start = driver.FramesRun();
  snapshots.reserve(static_cast<std::size_t>(length / snapshotEvery + 1));
  snapshots.push_back(CaptureState(world));
  for (long frame = start + 1; frame <= length; ++frame) {
    driver.RunFrame(FrameOutput::computedOnly);
    if (frame % snapshotEvery == 0) snapshots.push_back(CaptureState(world));
  }
  RestoreState(world, snapshots.front());
  driver.Resume(start);
}

void DemoViewer::Touch() { touched = true; }

void DemoViewer::Show(long frame) {
  frame = std::clamp(frame, 1L, length);
  const long at = driver.FramesRun();
  // Forward by less than the distance between two states, computing on is no slower than
  // starting from the state before.
  if (frame < at || frame - at >= snapshotEvery) {
    const long base = frame / snapshotEvery;
    RestoreState(world, snapshots[static_cast<std::size_t>(base)]);
    driver.Resume(base * snapshotEvery);
  }
  while (driver.FramesRun() < frame) driver.RunFrame(FrameOutput::computedOnly);
  world.Draw();
}

void DemoViewer::PlayPause() {
  Touch();
  const long at = driver.FramesRun();
  if (!paused) {
    paused = true;
    Show(at);
    return;
  }
  paused = false;
  stepHeld = 0;
  // As a video does: played again from its end, it starts over.
  Show(at >= length ? 1 : at);
}

void DemoViewer::StepPressed(int direction) {
  Touch();
  paused = true;
  stepHeld = direction;
  stepFrom = driver.FramesRun();
  stepTicks = 0;
  Show(stepFrom + direction);
}

void DemoViewer::StepReleased(int direction) {
  if (stepHeld == direction) stepHeld = 0;
}

void DemoViewer::Skip(long frames) {
  Touch();
  stepHeld = 0;
  Show(driver.FramesRun() + frames);
}

void DemoViewer::SetSpeed(int wanted) {
  Touch();
  speed = std::clamp(wanted, 0, static_cast<int>(speeds.size()) - 1);
  // Before the first frame there is no picture yet to keep showing.
  if (driver.FramesRun() == 0) Show(1);
}

void DemoViewer::Faster() { SetSpeed(speed + 1); }
void DemoViewer::Slower() { SetSpeed(speed - 1); }

void DemoViewer::Seek(long frame) {
  Touch();
  stepHeld = 0;
  Show(frame);
}

void DemoViewer::SeekTenth(int tenths) { Seek(std::max(1L, length * std::clamp(tenths, 0, 9) / 10)); }

void DemoViewer::Tick(int frames) {
  if (!touched) {
    for (; frames > 0 && !driver.ScriptEnded(); --frames) driver.RunFrame();
    return;
  }
  const long at = driver.FramesRun();
  if (stepHeld != 0 && ++stepTicks >= stepRepeatTicks) {
    Show(stepFrom + stepHeld * stepTicks);
  } else if (stepHeld == 0 && !paused && frames > 0) {
    const long to = std::min(at + frames, length);
    // The end of the run is where a touched demo waits for the player.
    if (to == length) paused = true;
    Show(to);
  } else {
    // The picture again, for a screen that may have lost it (a window uncovered, a mode switch).
    world.display.EndFrame();
  }
}

bool DemoViewer::Ended() const { return !touched && driver.ScriptEnded(); }

DemoPosition DemoViewer::State() const {
  DemoPosition position;
  position.frame = driver.FramesRun();
  position.lastFrame = length;
  position.speed = speed;
  position.paused = paused;
  position.holdsLeft = world.keyboard.IsKeyDown(vk::left);
  position.holdsRight = world.keyboard.IsKeyDown(vk::right);
  position.holdsJump = world.keyboard.IsKeyDown(vk::space);
  return position;
}
