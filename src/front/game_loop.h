// The desktop programs' main loop, the same on every window system: handle every waiting
// message, and when none is waiting run a frame if one is due, else sleep until a message
// arrives or the next frame is due.
#pragma once

#include "front/frame_pacer.h"
#include "core/types.h"

class DemoViewer;
class FrameDriver;

class LoopPlatform {
 public:
  virtual ~LoopPlatform() = default;
  // Handles one waiting message; false when none was waiting.
  virtual bool HandleOneMessage() = 0;
  // Sleeps until a message arrives or the time is up, whichever comes first.
  virtual void WaitForMessage(FramePacer::Clock::duration timeout) = 0;
  virtual bool QuitPosted() const = 0;
  // Just before each frame: what is polled rather than sent (the pads) is read here, so that
  // it reaches the frame the way a waiting message does.
  virtual void FrameDue() {}
};

// One tick of the pacer, on every platform: the frames it made due, run by the viewer at its
// speed in a demo (which the pacer's rate then follows), else by the driver.
void RunTick(FrameDriver& driver, DemoViewer* viewer, FramePacer& pacer, int frames);
// Whether a demo is over by itself: played to its end by nobody touching it.
bool PlayedOut(const FrameDriver& driver, const DemoViewer* viewer);

// Runs until the quit message or the end of a played script, then closes the recording. In a
// demo (viewer not null) the viewer runs the frames at its speed, and the window's title says
// where the demo stands.
// `pace` is the player's, in per cent of the game's own.
void RunGameLoop(FrameDriver& driver, DemoViewer* viewer, WindowHandle window, LoopPlatform& platform, int pace);
