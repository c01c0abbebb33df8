// A pad that the end-to-end test plays from outside. Only the test build of the game,
// fennwick-e2e, has one (app/virtual_pad_sdl.cpp); the game players get links
// app/test_pad_none.cpp and never asks SDL for a virtual joystick.
#pragma once

#include <memory>

class TestPad {
 public:
  virtual ~TestPad() = default;
  // Before the frame's events are read.
  virtual void Frame() = 0;
};

// Null unless this is the test build and the test asked for its pad.
std::unique_ptr<TestPad> OpenTestPad();
