// The one place that decides what a window message does to the keyboard and the mouse.
// Every platform turns its events into these Win32 message numbers and calls
// HandleWindowMessage; the Win32 window procedure then passes the message on to
// DefWindowProcW.
#pragma once

#include <cstdint>

#include "core/types.h"

namespace wm {
constexpr std::uint32_t destroy = 0x0002;
constexpr std::uint32_t setFocus = 0x0007;
constexpr std::uint32_t killFocus = 0x0008;
constexpr std::uint32_t quit = 0x0012;
constexpr std::uint32_t keyDown = 0x0100;
constexpr std::uint32_t keyUp = 0x0101;
constexpr std::uint32_t character = 0x0102;
constexpr std::uint32_t mouseMove = 0x0200;
constexpr std::uint32_t leftButtonDown = 0x0201;
constexpr std::uint32_t leftButtonUp = 0x0202;
constexpr std::uint32_t rightButtonDown = 0x0204;
constexpr std::uint32_t rightButtonUp = 0x0205;

constexpr std::uintptr_t leftButtonFlag = 0x0001;   // MK_LBUTTON in a mouse message's wParam
constexpr std::uintptr_t rightButtonFlag = 0x0002;  // MK_RBUTTON

// lParam of a mouse message: x in the low 16 bits, y in the high 16 bits.
constexpr std::intptr_t PackPoint(int x, int y) {
  return static_cast<std::intptr_t>((static_cast<std::uint32_t>(y & 0xFFFF) << 16) |
                                    static_cast<std::uint32_t>(x & 0xFFFF));
}
}  // namespace wm

// Virtual-key codes the game itself cares about.
namespace vk {
constexpr std::uint8_t backspace = 8;
constexpr std::uint8_t enter = 13;
constexpr std::uint8_t space = 32;
constexpr std::uint8_t left = 37;
constexpr std::uint8_t up = 38;
constexpr std::uint8_t right = 39;
constexpr std::uint8_t down = 40;
constexpr std::uint8_t escape = 27;
constexpr std::uint8_t f11 = 122;
}  // namespace vk

void HandleWindowMessage(WindowHandle window, std::uint32_t message, std::uintptr_t wParam,
                         std::intptr_t lParam);

// Where the player's input hands its messages on: the frame driver, which records them and
// calls HandleWindowMessage.
class WindowMessageTarget {
 public:
  virtual void Deliver(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) = 0;

 protected:
  ~WindowMessageTarget() = default;
};
