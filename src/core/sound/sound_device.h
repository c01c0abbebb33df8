// The sound device, opened for the game's window. The game plays nothing yet; each build
// links one implementation, and a machine without sound runs on silently.
#pragma once

#include <memory>

#include "core/types.h"

class SoundDevice {
 public:
  explicit SoundDevice(WindowHandle window);
  ~SoundDevice();
  SoundDevice(const SoundDevice&) = delete;
  SoundDevice& operator=(const SoundDevice&) = delete;

  // Whether a device is open and set to the game's format.
  bool IsOpen() const;

  struct Platform;
  std::unique_ptr<Platform> platform;
};
