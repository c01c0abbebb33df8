// The Windows game's answers to quirks of the runtimes it meets, Wine's above all, kept apart
// from what is plain Win32 so that a reader of the Windows layer sees at once which is which.
// Each says what it guards against and which check shows it.
#pragma once

#include <windows.h>

#include <vector>



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
