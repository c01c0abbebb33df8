// The page's pointer events as the mouse messages a desktop window receives. The page knows
// where the pointer is in CSS pixels of the canvas, which the browser may scale to any size
// and, in full screen, letterbox; the game's messages speak of the picture's own pixels.
#pragma once

#include <cstdint>

struct PageMouseMessage {
  std::uint32_t message;
  std::uintptr_t wParam;
  std::intptr_t lParam;
};

// button and buttons as the DOM reports them: the button that changed (0 main, 2 secondary,
// -1 none: a plain move) and the buttons held after the event (bit 0 main, bit 1 secondary).
// x and y are measured from the canvas's top-left corner; width and height are its size on the
// page. False for what has no message: another button, or a canvas with no size.
bool PagePointerMessage(int button, int buttons, double x, double y, double width, double height,
                        PageMouseMessage& out);
