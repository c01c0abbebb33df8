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

// One tick of the pacer, on every platform: the frames it made due, run by the viewer (live,
// rewinding or a demo at its speed, which the pacer's rate then follows).
void RunTick(DemoViewer& viewer, FramePacer& pacer, int frames);

// Runs until the quit message or the end of a demo nobody touched, then closes the recording.
// The window's title says where a demo stands, and that a run is live again after a take-over
// or a rewind. `pace` is the player's, in per cent of the game's own.
void RunGameLoop(FrameDriver& driver, DemoViewer& viewer, WindowHandle window, LoopPlatform& platform, int pace);
