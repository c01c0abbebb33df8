// A pad as its platform reads it, once a frame: what the player's input turns into keys
// (front/player_input.h), and what the viewer's controls read (core/game/viewer_controls.h).
#pragma once

struct PadState {
  bool dpadLeft = false;
  bool dpadRight = false;
  float stickX = 0.0f;  // the left stick, -1 (full left) to 1 (full right)
  bool south = false;   // A, Cross
  bool back = false;    // Back, Select, View
  // A demo's viewer reads these; in a game, whichever face button the player chose jumps.
  bool east = false;           // B, Circle
  bool north = false;          // Y, Triangle
  bool west = false;           // X, Square
  bool leftShoulder = false;   // LB, L1
  bool rightShoulder = false;  // RB, R1
};
