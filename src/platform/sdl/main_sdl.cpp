// The game as a desktop program through SDL: one window, one GameWorld, and the shared loop
// that hands every waiting event to the window-message handler and runs frames at the game's
// pace.
#define SDL_MAIN_HANDLED
#include <SDL.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "front/game_loop.h"
#include "front/game_start.h"
#include "platform/sdl/gamepad_sdl.h"
#include "front/messages.h"
#include "core/platform.h"
#include "platform/sdl/platform_sdl.h"
#include "platform/sdl/sdl_events.h"
#include "platform/sdl/sdl_workarounds.h"
#include "core/graphics/display.h"

namespace {

constexpr int windowLeft = 50;
constexpr int windowTop = 150;

const std::uint32_t iconPixels[] = {
#include "front/icon32_pixels.inc"
};
static_assert(sizeof iconPixels / sizeof iconPixels[0] == 32 * 32, "the icon is 32 x 32 pixels");

void SetIcon(SDL_Window* window) {
  // SDL only reads the pixels; the cast drops a const it never needed.
  SDL_Surface* icon = SDL_CreateRGBSurfaceFrom(const_cast<std::uint32_t*>(iconPixels), 32, 32, 32,
                                               32 * sizeof(std::uint32_t), 0x00FF0000u, 0x0000FF00u,
                                               0x000000FFu, 0xFF000000u);
  if (icon == nullptr) return;
  SDL_SetWindowIcon(window, icon);
  SDL_FreeSurface(icon);
}

// The shared loop's view of SDL's event queue, and of the pads, which are read once a frame.
// Every event reaches the player's input as the window messages it makes.
class SdlLoop : public LoopPlatform {
 public:
  SdlLoop(SDL_Window* window, PlayerInput& input) : events(window), input(input) {}

  bool HandleOneMessage() override {
    SDL_Event event;
    if (!SDL_PollEvent(&event)) return false;
    pads.Event(event);
    const std::size_t count = events.Translate(event, messages);
    for (std::size_t i = 0; i < count; ++i) input.Message(messages[i].message, messages[i].wParam, messages[i].lParam);
    return true;
  }

  void WaitForMessage(FramePacer::Clock::duration timeout) override {
    // Whole milliseconds, rounded up: waking early would only mean waiting again.
    const double milliseconds = std::chrono::duration<double, std::milli>(timeout).count();
    // Only waits: the event stays in the queue for the next look.
    SDL_WaitEventTimeout(nullptr, static_cast<int>(std::ceil(milliseconds)));
  }

  bool QuitPosted() const override { return ::QuitPosted(); }

  void FrameDue() override { pads.Read(input); }

 private:
  EventTranslator events;
  EventTranslator::Messages messages;
  PlayerInput& input;
  SdlGamepads pads;
};

// SDL falls back to a driver that draws nowhere when no display answers; a window there would
// run unseen forever. Unless someone asked for such a driver, there is nothing to play on.
bool NoDisplay() {
  const char* driver = SDL_GetCurrentVideoDriver();
  if (driver == nullptr) return true;
  const bool invisible = std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0;
  const char* asked = std::getenv("SDL_VIDEODRIVER");
  return invisible && (asked == nullptr || std::strstr(asked, driver) == nullptr);
}

std::string Variable(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

}  // namespace

int main(int argc, char** argv) {
  GameStart start;
  if (!start.Prepare(std::vector<std::string>(argv + 1, argv + argc))) return start.Report();

  SDL_SetMainReady();
#ifdef __linux__
  // Without a runtime folder no Wayland compositor can be reached, and asking for one only
  // prints a stray complaint from the Wayland library before our own message.
  if (std::getenv("SDL_VIDEODRIVER") == nullptr && std::getenv("XDG_RUNTIME_DIR") == nullptr)
    SDL_SetHint(SDL_HINT_VIDEODRIVER, "x11,offscreen");
#endif
  TolerateLateWakeUps();
  if (SDL_Init(SDL_INIT_VIDEO) != 0) {
    start.Fail(GameStart::cannotPlay, say::CannotOpenWindow(SDL_GetError()));
    return start.Report();
  }
  if (NoDisplay()) {
    start.Fail(GameStart::cannotPlay, say::NoDisplay(Variable("DISPLAY"), Variable("WAYLAND_DISPLAY")));
    SDL_Quit();
    return start.Report();
  }
  // Without pads the game plays on keys alone.
  SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER);
  // Hidden until the icon is on it, so the window system never shows it without one.
  SDL_Window* window = SDL_CreateWindow("Fennwick", windowLeft, windowTop, Display::width, Display::height,
                                        SDL_WINDOW_HIDDEN);
  if (window == nullptr) {
    start.Fail(GameStart::cannotPlay, say::CannotCreateWindow(SDL_GetError()));
    SDL_Quit();
    return start.Report();
  }
  SetIcon(window);
  SDL_ShowWindow(window);

  if (start.Build(window)) {
    SdlLoop loop(window, start.Input());
    start.Play(loop);
  }
  start.End();
  SDL_DestroyWindow(window);
  SDL_Quit();
  return start.Report();
}
