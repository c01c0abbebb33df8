// The DirectSound 8 device: opened with the priority level so the primary buffer's format can
// be set to 16-bit stereo at 44,100 Hz. Nothing is played yet.
#include <windows.h>
#include <mmsystem.h>
#include <mmreg.h>
#include <dsound.h>

#include "core/sound/sound_device.h"

struct SoundDevice::Platform {
  IDirectSound8* directSound = nullptr;
  IDirectSoundBuffer* primaryBuffer = nullptr;
  bool open = false;
};

namespace {

DSBUFFERDESC PrimaryBufferDescription() {
  DSBUFFERDESC description = {};
  description.dwSize = sizeof description;
  description.dwFlags = DSBCAPS_PRIMARYBUFFER | DSBCAPS_CTRLVOLUME;
  return description;
}

WAVEFORMATEX PrimaryFormat() {
  WAVEFORMATEX format = {};
  format.wFormatTag = WAVE_FORMAT_PCM;
  format.nChannels = 2;
  format.nSamplesPerSec = 44100;
  format.wBitsPerSample = 16;
  format.nBlockAlign = static_cast<WORD>(format.nChannels * format.wBitsPerSample / 8);
  format.nAvgBytesPerSec = format.nSamplesPerSec * format.nBlockAlign;
  return format;
}

}  // namespace

SoundDevice::SoundDevice(WindowHandle window) : platform(std::make_unique<Platform>()) {
  Platform& p = *platform;
  // Each step needs what the one before it gave; a machine without sound stops at the first
  // failure and the game runs on silent.
  if (FAILED(DirectSoundCreate8(nullptr, &p.directSound, nullptr)) || p.directSound == nullptr) {
    p.directSound = nullptr;
    return;
  }
  if (FAILED(p.directSound->SetCooperativeLevel(static_cast<HWND>(window), DSSCL_PRIORITY))) return;
  DSBUFFERDESC description = PrimaryBufferDescription();
  if (FAILED(p.directSound->CreateSoundBuffer(&description, &p.primaryBuffer, nullptr)) ||
      p.primaryBuffer == nullptr) {
    p.primaryBuffer = nullptr;
    return;
  }
  const WAVEFORMATEX format = PrimaryFormat();
  p.open = SUCCEEDED(p.primaryBuffer->SetFormat(&format));
}

SoundDevice::~SoundDevice() {
  Platform& p = *platform;
  // The buffer belongs to the device: it goes first.
  if (p.primaryBuffer != nullptr) {
    p.primaryBuffer->Release();
    p.primaryBuffer = nullptr;
  }
  if (p.directSound != nullptr) {
    p.directSound->Release();
    p.directSound = nullptr;
  }
}

bool SoundDevice::IsOpen() const { return platform->open; }
