#include "app/game_loop.h"

#include "game/frame_driver.h"

void RunGameLoop(FrameDriver& driver, LoopPlatform& platform) {
  using Clock = FramePacer::Clock;
  FramePacer pacer;
  while (!platform.QuitPosted() && !driver.ScriptEnded()) {
    // Messages first, as they come: a frame always sees everything that arrived before it.
    if (platform.HandleOneMessage()) continue;
    const Clock::duration wait = pacer.TimeUntilDue(Clock::now());
    if (wait > Clock::duration::zero()) {
      platform.WaitForMessage(wait);
      continue;
    }
    pacer.FrameRuns(Clock::now());
    platform.FrameDue();
    driver.RunFrame();
  }
  driver.Close();
}
