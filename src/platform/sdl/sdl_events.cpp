#include "platform/sdl/sdl_events.h"

#include <cstddef>

#include "core/input/window_messages.h"

namespace {

// Mouse-message flags beyond the two buttons the handler reads, for completeness' sake.
constexpr std::uintptr_t shiftFlag = 0x0004;    // MK_SHIFT
constexpr std::uintptr_t controlFlag = 0x0008;  // MK_CONTROL
constexpr std::uintptr_t middleFlag = 0x0010;   // MK_MBUTTON

std::uintptr_t MouseFlags(Uint32 buttons) {
  std::uintptr_t flags = 0;
  if (buttons & SDL_BUTTON_LMASK) flags |= wm::leftButtonFlag;
  if (buttons & SDL_BUTTON_RMASK) flags |= wm::rightButtonFlag;
  if (buttons & SDL_BUTTON_MMASK) flags |= middleFlag;
  const SDL_Keymod modifiers = SDL_GetModState();
  if (modifiers & KMOD_SHIFT) flags |= shiftFlag;
  if (modifiers & KMOD_CTRL) flags |= controlFlag;
  return flags;
}

}  // namespace

std::size_t EventTranslator::Translate(const SDL_Event& event, Messages& out) {
  std::size_t count = 0;
  const auto put = [&](std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) {
    out[count++] = WindowMessage{message, wParam, lParam};
  };
  switch (event.type) {
    case SDL_QUIT:
      if (Closed()) put(wm::destroy, 0, 0);
      break;
    case SDL_WINDOWEVENT:
      if (event.window.event == SDL_WINDOWEVENT_CLOSE && Closed()) put(wm::destroy, 0, 0);
      if (event.window.event == SDL_WINDOWEVENT_FOCUS_LOST) put(wm::killFocus, 0, 0);
      if (event.window.event == SDL_WINDOWEVENT_FOCUS_GAINED) put(wm::setFocus, 0, 0);
      break;
    case SDL_KEYDOWN:
    case SDL_KEYUP: {
      KeyTranslator::Messages messages;
      const std::size_t made = keys.Translate(event.key, messages);
      for (std::size_t i = 0; i < made; ++i) put(messages[i].message, messages[i].wParam, 0);
      break;
    }
    case SDL_TEXTINPUT: {
      if (SystemChord(static_cast<Uint16>(SDL_GetModState()))) break;
      std::uint16_t units[maxMessages];
      const std::size_t made = CharacterCodes(event.text.text, units, maxMessages);
      for (std::size_t i = 0; i < made; ++i) put(wm::character, units[i], 0);
      break;
    }
    case SDL_MOUSEMOTION:
      put(wm::mouseMove, MouseFlags(event.motion.state), wm::PackPoint(event.motion.x, event.motion.y));
      break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
      out[count] = MouseButton(event.button);
      if (out[count].message != 0) ++count;
      break;
    default:
      break;
  }
  return count;
}

// Closing the window destroys it on Windows; here it only disappears, because the picture
// still belongs to the GameWorld, which must be gone before the window may go. Only the first
// close says so.
bool EventTranslator::Closed() {
  if (closed) return false;
  closed = true;
  SDL_HideWindow(window);
  return true;
}

WindowMessage EventTranslator::MouseButton(const SDL_MouseButtonEvent& button) {
  const bool down = button.type == SDL_MOUSEBUTTONDOWN;
  std::uint32_t message = 0;
  if (button.button == SDL_BUTTON_LEFT) message = down ? wm::leftButtonDown : wm::leftButtonUp;
  if (button.button == SDL_BUTTON_RIGHT) message = down ? wm::rightButtonDown : wm::rightButtonUp;
  if (message == 0) return WindowMessage{0, 0, 0};
  // The flags say which buttons are held once this one has gone down or up, as on Windows.
  Uint32 held = SDL_GetMouseState(nullptr, nullptr) & ~SDL_BUTTON(button.button);
  if (down) held |= SDL_BUTTON(button.button);
  return WindowMessage{message, MouseFlags(held), wm::PackPoint(button.x, button.y)};
}
