// The SDL sound device: it opens where SDL has an audio driver; where the driver is missing the
// device stays closed and the game carries on without it, its own messages still reaching
// standard error.
#include "core/sound/sound_device.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

void UseAudioDriver(const char* name) { setenv("SDL_AUDIODRIVER", name, 1); }

TEST(SdlSoundDevice, OpensOnTheDummyDriver) {
  UseAudioDriver("dummy");
  const SoundDevice sound(nullptr);
  EXPECT_TRUE(sound.IsOpen());
}

TEST(SdlSoundDevice, ADriverThatDoesNotExistLeavesItClosedAndQuiet) {
  UseAudioDriver("no-such-driver");
  testing::internal::CaptureStderr();
  {
    const SoundDevice sound(nullptr);
    EXPECT_FALSE(sound.IsOpen());
    std::fputs("the game's own message\n", stderr);
  }
  std::fflush(stderr);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "the game's own message\n");

  // Nothing was left half started: a driver that exists opens afterwards.
  UseAudioDriver("dummy");
  const SoundDevice sound(nullptr);
  EXPECT_TRUE(sound.IsOpen());
}

}  // namespace
