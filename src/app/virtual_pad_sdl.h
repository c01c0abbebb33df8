// A pad for the end-to-end test, never for players: SDL's virtual joystick, played by commands
// that the test appends to a file named by FENNWICK_TEST_PAD. Each frame takes the lines that
// have arrived since the last:
//
//   attach | detach              plug the pad in (as a game controller) or pull it out
//   button NAME 0|1              SDL's names: a, back, dpleft, dpright, ...
//   axis NAME VALUE              leftx, ...; -32768 to 32767
#pragma once

#include <SDL.h>

#include <cstdio>
#include <string>

#include "app/test_pad.h"

class VirtualPadScript : public TestPad {
 public:
  explicit VirtualPadScript(std::FILE* commands) : commands(commands) {}
  ~VirtualPadScript() override;
  VirtualPadScript(const VirtualPadScript&) = delete;
  VirtualPadScript& operator=(const VirtualPadScript&) = delete;

  // Before the frame's events are read: SDL passes what was set on at its next update.
  void Frame() override;

 private:
  void Run(const std::string& line);
  void Detach();

  std::FILE* commands;
  std::string partial;  // a line still being written
  SDL_Joystick* pad = nullptr;
};
