#include "core/game/demo_viewer.h"

#include <algorithm>

#include "core/input/window_messages.h"
#include "core/game/frame_driver.h"
#include "core/game/game_world.h"

DemoViewer::DemoViewer(FrameDriver& driver, GameWorld& world) : driver(driver), world(world) {
  frontier = CaptureState(world);
  frontierAt = driver.FramesRun();
  if (!driver.Playing()) return;
  mode = Mode::watching;
  // A run ends with the Escape that quit it; the game stops on that frame, and so does --dump.
  length = std::max(driver.ScriptLastFrame(), 1L);
  for (const ScriptEvent& event : driver.Line().Events()) {
    if (event.frame > length) break;
    if (event.message == wm::keyDown && (event.wParam & 0xFF) == vk::escape) {
      length = event.frame;
      break;
    }
  }
}

long DemoViewer::Length() const { return mode == Mode::watching ? length : driver.Line().Computed(); }

void DemoViewer::Touch() { touched = true; }

void DemoViewer::Reach(long frame) {
  const long at = driver.FramesRun();
  long from = at <= frame ? at : -1;
  long kept = 0;
  const WorldState& state = driver.Line().StateAtOrBefore(frame, kept);
  // Whichever start is latest leaves the fewest frames to compute.
  if (frontierAt <= frame && frontierAt > std::max(from, kept)) {
    RestoreState(world, frontier);
    driver.Resume(from = frontierAt);
  } else if (kept > from) {
    RestoreState(world, state);
    driver.Resume(from = kept);
  }
  while (driver.FramesRun() < frame) driver.RunFrame(FrameOutput::computedOnly);
}

void DemoViewer::Show(long frame) {
  Reach(std::clamp(frame, 1L, std::max(Length(), 1L)));
  world.Draw();
}

void DemoViewer::ComputeAhead(long frames) {
  const long computed = driver.Line().Computed();
  if (mode != Mode::watching || computed >= length) return;
  const long shown = driver.FramesRun();
  const WorldState here = CaptureState(world);
  Reach(std::min(computed + frames, length));
  frontier = CaptureState(world);
  frontierAt = driver.FramesRun();
  RestoreState(world, here);
  driver.Resume(shown);
}

void DemoViewer::PlayPause() {
  if (mode != Mode::watching) return;
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
  if (mode != Mode::watching) return;
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
  if (mode != Mode::watching) return;
  Touch();
  stepHeld = 0;
  Show(driver.FramesRun() + frames);
}

void DemoViewer::SetSpeed(int wanted) {
  if (mode != Mode::watching) return;
  Touch();
  speed = std::clamp(wanted, 0, static_cast<int>(speeds.size()) - 1);
  // Before the first frame there is no picture yet to keep showing.
  if (driver.FramesRun() == 0) Show(1);
}

void DemoViewer::Faster() { SetSpeed(speed + 1); }
void DemoViewer::Slower() { SetSpeed(speed - 1); }

void DemoViewer::Seek(long frame) {
  if (mode != Mode::watching) return;
  Touch();
  stepHeld = 0;
  Show(frame);
}

void DemoViewer::SeekTenth(int tenths) { Seek(std::max(1L, length * std::clamp(tenths, 0, 9) / 10)); }

bool DemoViewer::TakeOver() {
  if (mode != Mode::watching) return false;
  Touch();
  driver.TakeOver();
  // What was computed past the cut belongs to a run that is no more.
  frontierAt = -1;
  mode = Mode::live;
  liveFrom = driver.FramesRun();
  paused = false;
  stepHeld = 0;
  return true;
}

void DemoViewer::RewindPressed() {
  if (mode == Mode::live) mode = Mode::rewinding;
}

bool DemoViewer::RewindReleased() {
  if (mode != Mode::rewinding) return false;
  mode = Mode::live;
  const long at = driver.FramesRun();
  // Not a frame back yet: what was pressed meanwhile is the game's already.
  if (at == driver.Line().Computed()) return true;
  driver.TakeOver();
  frontierAt = -1;
  liveFrom = at;
  return true;
}

void DemoViewer::Tick(int frames) {
  if (mode == Mode::live) {
    for (int i = 0; i < frames; ++i) driver.RunFrame();
    return;
  }
  const long at = driver.FramesRun();
  if (mode == Mode::rewinding) {
    if (frames > 0 && at > 1) Show(at - frames);
    else world.display.EndFrame();
    return;
  }
  if (!touched) {
    for (; frames > 0 && !driver.ScriptEnded(); --frames) driver.RunFrame();
  } else if (stepHeld != 0 && ++stepTicks >= stepRepeatTicks) {
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
  ComputeAhead(aheadPerTick);
}

bool DemoViewer::Ended() const { return mode == Mode::watching && !touched && driver.ScriptEnded(); }

bool DemoViewer::GameHolds(std::uint8_t code) const { return world.keyboard.IsKeyDown(code); }

DemoPosition DemoViewer::State() const {
  DemoPosition position;
  position.mode = mode;
  position.liveFrom = liveFrom;
  position.frame = driver.FramesRun();
  position.lastFrame = Length();
  position.speed = speed;
  position.paused = paused;
  position.holdsLeft = world.keyboard.IsKeyDown(vk::left);
  position.holdsRight = world.keyboard.IsKeyDown(vk::right);
  position.holdsJump = world.keyboard.IsKeyDown(vk::space);
  return position;
}
