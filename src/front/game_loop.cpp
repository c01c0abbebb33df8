#include "front/game_loop.h"

#include <cstring>

#include "front/messages.h"
#include "core/platform.h"
#include "core/game/demo_viewer.h"
#include "core/game/frame_driver.h"

namespace {

// The title follows the demo, set only when its text changes.
class DemoTitle {
 public:
  void Show(WindowHandle window, const DemoViewer& viewer) {
    const DemoPosition at = viewer.State();
    const PaceRate speed = DemoViewer::speeds[static_cast<std::size_t>(at.speed)];
    char now[say::titleSize];
    say::DemoTitle(at.frame, at.lastFrame, speed.frames, speed.ticks, at.paused, now);
    if (std::strcmp(now, shown) == 0) return;
    std::memcpy(shown, now, sizeof shown);
    SetWindowTitle(window, shown);
  }

 private:
  char shown[say::titleSize] = "";
};

}  // namespace

void RunTick(FrameDriver& driver, DemoViewer* viewer, FramePacer& pacer, int frames) {
  if (viewer == nullptr) {
    for (int i = 0; i < frames; ++i) driver.RunFrame();
    return;
  }
  viewer->Tick(frames);
  pacer.SetRate(viewer->Rate());
}

bool PlayedOut(const FrameDriver& driver, const DemoViewer* viewer) {
  return viewer != nullptr ? viewer->Ended() : driver.ScriptEnded();
}

void RunGameLoop(FrameDriver& driver, DemoViewer* viewer, WindowHandle window, LoopPlatform& platform, int pace) {
  using Clock = FramePacer::Clock;
  FramePacer pacer;
  pacer.SetPace(pace);
  DemoTitle title;
  while (!platform.QuitPosted() && !PlayedOut(driver, viewer)) {
    // Messages first, as they come: a frame always sees everything that arrived before it.
    if (platform.HandleOneMessage()) continue;
    const Clock::duration wait = pacer.TimeUntilDue(Clock::now());
    if (wait > Clock::duration::zero()) {
      platform.WaitForMessage(wait);
      continue;
    }
    const int frames = pacer.FrameRuns(Clock::now());
    platform.FrameDue();
    RunTick(driver, viewer, pacer, frames);
    if (viewer != nullptr) title.Show(window, *viewer);
  }
  driver.Close();
}
