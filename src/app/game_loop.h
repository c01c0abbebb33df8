// The desktop programs' main loop, the same on every window system: handle every waiting
// message, and when none is waiting run a frame if one is due, else sleep until a message
// arrives or the next frame is due.
#pragma once

#include "app/frame_pacer.h"

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

// Runs until the quit message or the end of a played script, then closes the recording.
void RunGameLoop(FrameDriver& driver, LoopPlatform& platform);
