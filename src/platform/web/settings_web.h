// What the page's settings panel (web/settings.js) changes in a running game: its pace, the
// keys, the pad's jump button, and whether frames run at all while the panel is open.
#pragma once

class FramePacer;
class PlayerInput;

struct PageSettings {
  PlayerInput* input = nullptr;
  FramePacer* pacer = nullptr;
  // The panel is open: the game waits behind it, and no frame runs.
  bool paused = false;
};

// Hands the page `settings` (Module.gameSettings, 0 for null) and, for a game about to start,
// has it apply the player's choices through Module.onGameSettings, before the first frame.
void OfferSettings(PageSettings* settings);
