// The page's events fed to the player's input: its key, focus and visibility events through
// the browser's callbacks, and its pointer and touch controls through the two functions the
// page's script calls (web/controls.js), which are handed the page's input each time. In a
// demo the viewer's bar (web/viewer.js) steers the viewer through a third.
#pragma once

class DemoViewer;
class PlayerInput;
class WebGamepads;

// What the page's events reach while a game runs.
struct PageInput {
  PlayerInput* input = nullptr;
  WebGamepads* pads = nullptr;  // the touch controls join the pads
  DemoViewer* viewer = nullptr;  // in a demo: what the bar steers
};

// Starts hearing the page for `page`, or with null stops. The page's script finds its handle
// in Module.playerInput, 0 when no game runs.
void ListenToPage(PageInput* page);
