// The viewer's own keys and pad buttons (their table is packaging/controls.txt). In a demo every
// key and pad button steers the viewer and none reaches the game; Enter (pad: B) takes it over.
// In live play Backspace (pad: LB), held, rewinds, and while it rewinds the game hears none of
// the player's keys, only what is held when it lets go. Escape and F11 let go of a rewind and
// then do what they always do.
//
// The player's input (front/player_input.h) hands every key and pad here first, and knows
// nothing of what the viewer does with them.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "core/input/pad_state.h"

class DemoViewer;

// What the viewer made of a key or the pads.
struct Steered {
  bool taken = false;     // the game must not hear it
  bool wentLive = false;  // the game is the player's again from the frame shown: whatever is
                          // held now counts as pressed from there
};

class ViewerControls {
 public:
  explicit ViewerControls(DemoViewer& viewer) : viewer(viewer) {}

  // A key as the keyboard pressed or let go of it, before the player's key map; the system's
  // auto-repeat is left out, as a held step repeats at the viewer's own pace.
  Steered Key(std::uint8_t code, bool down);
  // Every pad connected now, once a frame.
  Steered Pads(const PadState* pads, std::size_t count);
  // A demo taken over from elsewhere than its keys (the page's bar).
  Steered TakeOver();
  // Everything is let go at once (the focus went).
  Steered LetGo();
  // Whether the player's keys reach the game now: live play, not rewinding.
  bool GameHears() const;
  // Whether the game's keyboard holds the key now.
  bool GameHolds(std::uint8_t code) const;

 private:
  enum Button : std::size_t { playPause, stepForward, stepBack, skipForward, skipBack, faster, slower, takeOver, buttonCount };

  Steered Button(std::size_t button, bool down);

  DemoViewer& viewer;
  std::array<bool, buttonCount> held{};
};
