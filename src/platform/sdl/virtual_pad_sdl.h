// A pad for the end-to-end test, never for players: SDL's virtual joystick, played by commands
// that the test appends to a file named by FENNWICK_TEST_PAD. Each look of the game's loop at
// its events takes the lines that have arrived since the last:
//
//   attach | detach              plug the pad in (as a game controller) or pull it out
//   button NAME 0|1              SDL's names: a, back, dpleft, dpright, ...
//   axis NAME VALUE              leftx, ...; -32768 to 32767
//
// The game does not know of it. The test build, fennwick-e2e, is linked with
// --wrap=SDL_PollEvent, so that the loop's every poll passes through here on its way to SDL;
// the game players get calls SDL directly and never asks for a virtual joystick, which needs
// SDL 2.24.
#pragma once

#include <SDL.h>

#include <cstdio>
#include <string>

class VirtualPadScript {
 public:
  // Reads nothing when path is null.
  explicit VirtualPadScript(const char* path);
  // Only the file is closed: by then SDL_Quit has pulled the pad out itself.
  ~VirtualPadScript();
  VirtualPadScript(const VirtualPadScript&) = delete;
  VirtualPadScript& operator=(const VirtualPadScript&) = delete;

  // Before SDL is polled: SDL passes what was set on at that update.
  void Poll();

 private:
  void Run(const std::string& line);
  void Detach();

  std::FILE* commands = nullptr;
  std::string partial;  // a line still being written
  SDL_Joystick* pad = nullptr;
};
