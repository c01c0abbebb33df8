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
    if (at.mode == DemoPosition::Mode::watching)
      say::DemoTitle(at.frame, at.lastFrame, speed.frames, speed.ticks, at.paused, now);
    else
      say::LiveTitle(at.mode == DemoPosition::Mode::rewinding, at.frame, at.liveFrom, now);
    if (std::strcmp(now, shown) == 0) return;
    std::memcpy(shown, now, sizeof shown);
    SetWindowTitle(window, shown);
  }

 private:
  // What every window is made with: live play never needs to set it again.
  char shown[say::titleSize] = "Fennwick";
};

}  // namespace

void RunTick(DemoViewer& viewer, FramePacer& pacer, int frames) {
  viewer.Tick(frames);
  pacer.SetRate(viewer.Rate());
}

void RunGameLoop(FrameDriver& driver, DemoViewer& viewer, WindowHandle window, LoopPlatform& platform, int pace) {
  using Clock = FramePacer::Clock;
  FramePacer pacer;
  pacer.SetPace(pace);
  DemoTitle title;
  while (!platform.QuitPosted() && !viewer.Ended()) {
    // Messages first, as they come: a frame always sees everything that arrived before it.
    if (platform.HandleOneMessage()) continue;
    const Clock::duration wait = pacer.TimeUntilDue(Clock::now());
    if (wait > Clock::duration::zero()) {
      platform.WaitForMessage(wait);
      continue;
    }
    const int frames = pacer.FrameRuns(Clock::now());
    platform.FrameDue();
    RunTick(viewer, pacer, frames);
    title.Show(window, viewer);
  }
  driver.Close();
}
