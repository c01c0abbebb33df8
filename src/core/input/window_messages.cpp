#include "core/input/window_messages.h"

#include "core/input/keyboard.h"
#include "core/input/mouse.h"
#include "core/platform.h"

Mouse processMouse = {-1, -1, false, false, false};

namespace {

constexpr int clientWidth = 800;
constexpr int clientHeight = 600;

int Clamp(int value, int low, int high) { return value < low ? low : (value > high ? high : value); }

void MouseMoved(WindowHandle window, std::uintptr_t buttons, std::intptr_t lParam) {
  const auto bits = static_cast<std::uint32_t>(lParam);
  const int x = static_cast<std::int16_t>(bits & 0xFFFF);
  const int y = static_cast<std::int16_t>((bits >> 16) & 0xFFFF);
  // Column 0 and row 0 count as outside: leaving through the top-left edge must register.
  const bool inside = x > 0 && x < clientWidth && y > 0 && y < clientHeight;
  if (inside) {
    processMouse.x = x;
    processMouse.y = y;
    if (!processMouse.inside) {
      CaptureMouse(window);
      processMouse.inside = true;
    }
  } else if (buttons & (wm::leftButtonFlag | wm::rightButtonFlag)) {
    // A drag that leaves the window keeps reporting the nearest edge point.
    processMouse.x = Clamp(x, 0, clientWidth - 1);
    processMouse.y = Clamp(y, 0, clientHeight - 1);
  } else {
    ReleaseMouseCapture();
    processMouse.leftDown = false;
    processMouse.rightDown = false;
    processMouse.inside = false;
  }
}

}  // namespace

void HandleWindowMessage(WindowHandle window, std::uint32_t message, std::uintptr_t wParam,
                         std::intptr_t lParam) {
  const auto low8 = static_cast<std::uint8_t>(wParam & 0xFF);
  switch (message) {
    case wm::destroy: PostQuit(); break;
    case wm::keyDown: processKeyboard.KeyWentDown(low8); break;
    case wm::keyUp: processKeyboard.KeyWentUp(low8); break;
    case wm::character: processKeyboard.CharTyped(low8); break;
    case wm::mouseMove: MouseMoved(window, wParam, lParam); break;
    case wm::leftButtonDown: processMouse.leftDown = true; break;
    case wm::leftButtonUp: processMouse.leftDown = false; break;
    case wm::rightButtonDown: processMouse.rightDown = true; break;
    case wm::rightButtonUp: processMouse.rightDown = false; break;
    default: break;
  }
}
