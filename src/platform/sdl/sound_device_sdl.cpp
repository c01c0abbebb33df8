// The default playback device, opened in the game's format and left paused: the game plays
// nothing yet. Without a sound device, or without an audio system at all, the game runs on
// silently.
#include <SDL.h>
#include <fcntl.h>
#include <unistd.h>

#include "core/sound/sound_device.h"

namespace {

// Audio libraries report a missing sound card on standard error (ALSA does, at length). The
// game has nothing to say about that, so their output goes nowhere while the device opens.
class QuietStandardError {
 public:
  QuietStandardError() {
    const int sink = open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (sink < 0) return;
    saved = fcntl(STDERR_FILENO, F_DUPFD_CLOEXEC, 0);
    if (saved >= 0 && dup2(sink, STDERR_FILENO) < 0) {
      close(saved);
      saved = -1;
    }
    close(sink);
  }
  ~QuietStandardError() {
    if (saved < 0) return;
    dup2(saved, STDERR_FILENO);
    close(saved);
  }
  QuietStandardError(const QuietStandardError&) = delete;
  QuietStandardError& operator=(const QuietStandardError&) = delete;

 private:
  int saved = -1;
};

}  // namespace

struct SoundDevice::Platform {
  bool audioStarted = false;
  SDL_AudioDeviceID device = 0;
};

SoundDevice::SoundDevice(WindowHandle) : platform(std::make_unique<Platform>()) {
  const QuietStandardError quiet;
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return;
  platform->audioStarted = true;

  SDL_AudioSpec wanted{};
  wanted.freq = 44100;
  wanted.format = AUDIO_S16SYS;
  wanted.channels = 2;
  wanted.samples = 1024;
  wanted.callback = nullptr;  // nothing is ever queued, so nothing plays and nothing waits
  // No changes allowed: where the hardware differs, SDL converts to it.
  platform->device = SDL_OpenAudioDevice(nullptr, 0, &wanted, nullptr, 0);
}

SoundDevice::~SoundDevice() {
  const QuietStandardError quiet;
  if (platform->device != 0) {
    SDL_CloseAudioDevice(platform->device);
    platform->device = 0;
  }
  if (platform->audioStarted) {
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    platform->audioStarted = false;
  }
}

bool SoundDevice::IsOpen() const { return platform->device != 0; }
