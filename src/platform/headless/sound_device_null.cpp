// No sound at all: the headless build.
#include "core/sound/sound_device.h"

struct SoundDevice::Platform {};

SoundDevice::SoundDevice(WindowHandle) {}
SoundDevice::~SoundDevice() = default;
bool SoundDevice::IsOpen() const { return false; }
