// The Windows game's answers to quirks of the runtimes it meets, Wine's above all, kept apart
// from what is plain Win32 so that a reader of the Windows layer sees at once which is which.
// Each says what it guards against and which check shows it.
#pragma once

#include <windows.h>

#include <vector>

#include "app/focus_clock.h"

class GamepadKeys;

// The device may hand its own teardown to a thread of its own and return before that thread is
// done; a process that ends under such a thread can die of it (Wine's Direct3D does this). So
// the threads that came with the device get a moment to finish once it is released, and no
// more: a driver's thread that lives as long as the process must not hold up the end.
// Shown by scripts/test.d/30-windows.sh, "the device and Direct3D are released at exit, and the
// device's thread finishes before the end".
class DeviceThreads {
 public:
  DeviceThreads() = default;
  ~DeviceThreads() { WaitForEnd(); }
  DeviceThreads(const DeviceThreads&) = delete;
  DeviceThreads& operator=(const DeviceThreads&) = delete;

  // Around the device's creation: the threads there were not before came with it.
  void BeforeCreation();
  void AfterCreation();
  // Once the device is released.
  void WaitForEnd();

 private:
  std::vector<DWORD> before;
  std::vector<HANDLE> threads;
};

// Wine's XInput runs a thread for the pads that, told to stop when the library is unloaded,
// says it is done a moment before it has left the library's code. A game that unloads the
// library on its way out can die there: "Unhandled page fault" and a debugger's dialog instead
// of an exit, about one end in ten on a loaded machine. The library is therefore loaded for the
// life of the process, whose end takes it down. Shown by scripts/test.d/30-windows.sh,
// "hardware-fails, closed by the close box", which failed that way now and then.
HMODULE LoadForGood(const wchar_t* name);

// A release can go astray without a WM_KILLFOCUS to make up for it: under Wine, while the
// window is re-made for full screen, it may reach no window at all. The keyboard's own state
// knows better than the messages then, so once a frame a key it has up is let go of, as its
// release would have done. (A key a pad holds stays down: the pads' merge keeps it.)
// Shown by the storm of scripts/test.d/35-windows-reliability.sh, "under stress: the figure did
// not come to rest after the storm" when it fails.
void ReleaseKeysLetGoElsewhere(GamepadKeys& keys);

// A press still queued when the focus moved away is read after WM_KILLFOCUS has let go of every
// key, and its release went to the other window: the game must not see it, or it would hold the
// key for good (app/focus_clock.h decides which presses those are). Wine reads it even after
// the focus has come back. Shown by the same storm, with its 50 focus changes.
class StalePresses {
 public:
  // Every message, before the game sees it: true for a press that is not the game's.
  bool Filter(HWND window, UINT message);
  // Once a frame, with the queue emptied.
  void QueueEmptied(HWND window);

 private:
  FocusClock clock;
};
