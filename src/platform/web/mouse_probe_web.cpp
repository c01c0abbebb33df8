// What the browser test reads back from the web's test build, fennwick-e2e, and a player never
// sees: the game draws nothing for the Mouse, so only this shows where the page's pointer put
// it. The game players get is linked without it.
#include <emscripten.h>

#include "core/input/mouse.h"

// The Mouse's fields in order: x, y, left, right, inside.
extern "C" EMSCRIPTEN_KEEPALIVE int fennwick_mouse(int field) {
  switch (field) {
    case 0: return processMouse.x;
    case 1: return processMouse.y;
    case 2: return processMouse.leftDown;
    case 3: return processMouse.rightDown;
    case 4: return processMouse.inside;
    default: return 0;
  }
}
