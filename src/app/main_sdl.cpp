// The game as a desktop program through SDL: one window, one GameWorld, and a loop that
// hands every waiting event to the window-message handler and otherwise runs a frame.
#define SDL_MAIN_HANDLED
#include <SDL.h>

#include <cstdint>
#include <cstdio>

#include "app/platform_sdl.h"
#include "app/sdl_keys.h"
#include "app/window_messages.h"
#include "game/game_world.h"
#include "graphics/display_sdl.h"

namespace {

constexpr int windowLeft = 50;
constexpr int windowTop = 150;

const std::uint32_t iconPixels[] = {
#include "app/resources/icon32_pixels.inc"
};
static_assert(sizeof iconPixels / sizeof iconPixels[0] == 32 * 32, "the icon is 32 x 32 pixels");

// Mouse-message flags beyond the two buttons the handler reads, for completeness' sake.
constexpr std::uintptr_t shiftFlag = 0x0004;    // MK_SHIFT
constexpr std::uintptr_t controlFlag = 0x0008;  // MK_CONTROL
constexpr std::uintptr_t middleFlag = 0x0010;   // MK_MBUTTON

void SetIcon(SDL_Window* window) {
  // SDL only reads the pixels; the cast drops a const it never needed.
  SDL_Surface* icon = SDL_CreateRGBSurfaceFrom(const_cast<std::uint32_t*>(iconPixels), 32, 32, 32,
                                               32 * sizeof(std::uint32_t), 0x00FF0000u, 0x0000FF00u,
                                               0x000000FFu, 0xFF000000u);
  if (icon == nullptr) return;
  SDL_SetWindowIcon(window, icon);
  SDL_FreeSurface(icon);
}

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

// What the window procedure would have been sent for one SDL event.
class EventTranslator {
 public:
  explicit EventTranslator(SDL_Window* window) : window(window) {}

  void Deliver(const SDL_Event& event) {
    switch (event.type) {
      case SDL_QUIT:
        Closed();
        break;
      case SDL_WINDOWEVENT:
        if (event.window.event == SDL_WINDOWEVENT_CLOSE) Closed();
        break;
      case SDL_KEYDOWN:
      case SDL_KEYUP: {
        KeyTranslator::Messages messages;
        const std::size_t count = keys.Translate(event.key, messages);
        for (std::size_t i = 0; i < count; ++i) Send(messages[i].message, messages[i].wParam, 0);
        break;
      }
      case SDL_TEXTINPUT: {
        if (SystemChord(static_cast<Uint16>(SDL_GetModState()))) break;
        std::uint16_t units[sizeof event.text.text];
        const std::size_t count = CharacterCodes(event.text.text, units, sizeof event.text.text);
        for (std::size_t i = 0; i < count; ++i) Send(wm::character, units[i], 0);
        break;
      }
      case SDL_MOUSEMOTION:
        Send(wm::mouseMove, MouseFlags(event.motion.state), wm::PackPoint(event.motion.x, event.motion.y));
        break;
      case SDL_MOUSEBUTTONDOWN:
      case SDL_MOUSEBUTTONUP:
        MouseButton(event.button);
        break;
      default:
        break;
    }
  }

 private:
  void Send(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) {
    HandleWindowMessage(window, message, wParam, lParam);
  }

  // Closing the window destroys it on Windows; here it only disappears, because the picture
  // still belongs to the GameWorld, which must be gone before the window may go.
  void Closed() {
    if (closed) return;
    closed = true;
    SDL_HideWindow(window);
    Send(wm::destroy, 0, 0);
  }

  void MouseButton(const SDL_MouseButtonEvent& button) {
    const bool down = button.type == SDL_MOUSEBUTTONDOWN;
    std::uint32_t message = 0;
    if (button.button == SDL_BUTTON_LEFT) message = down ? wm::leftButtonDown : wm::leftButtonUp;
    if (button.button == SDL_BUTTON_RIGHT) message = down ? wm::rightButtonDown : wm::rightButtonUp;
    if (message == 0) return;
    // The flags say which buttons are held once this one has gone down or up, as on Windows.
    Uint32 held = SDL_GetMouseState(nullptr, nullptr) & ~SDL_BUTTON(button.button);
    if (down) held |= SDL_BUTTON(button.button);
    Send(message, MouseFlags(held), wm::PackPoint(button.x, button.y));
  }

  SDL_Window* window;
  KeyTranslator keys;
  bool closed = false;
};

int Fail(const char* what) {
  std::fprintf(stderr, "fennwick: %s: %s\n", what, SDL_GetError());
  return 1;
}

}  // namespace

int main() {
  SDL_SetMainReady();
  if (SDL_Init(SDL_INIT_VIDEO) != 0) return Fail("cannot open a window");
  // Hidden until the icon is on it, so the window system never shows it without one.
  SDL_Window* window = SDL_CreateWindow("Fennwick", windowLeft, windowTop, Display::width, Display::height,
                                        SDL_WINDOW_HIDDEN);
  if (window == nullptr) {
    const int status = Fail("cannot create the window");
    SDL_Quit();
    return status;
  }
  SetIcon(window);
  SDL_ShowWindow(window);

  int status = 0;
  {
    GameWorld world(window);
    if (!world.display.platform->Ready()) {
      std::fprintf(stderr, "fennwick: cannot draw into the window: %s\n", world.display.platform->failure.c_str());
      status = 1;
    } else {
      EventTranslator events(window);
      SDL_Event event;
      while (!QuitPosted()) {
        if (SDL_PollEvent(&event))
          events.Deliver(event);
        else
          world.RunFrame(window);
      }
    }
  }
  SDL_DestroyWindow(window);
  SDL_Quit();
  return status;
}
