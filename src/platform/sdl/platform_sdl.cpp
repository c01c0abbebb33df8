#include <SDL.h>

#include "front/messages.h"
#include "core/platform.h"
#include "platform/sdl/platform_sdl.h"
#include "platform/sdl/sdl_workarounds.h"

namespace {
// A flag rather than an event in SDL's queue: it cannot be lost to a full queue or a filter.
bool quitPosted = false;
}  // namespace

void PostQuit() { quitPosted = true; }
bool QuitPosted() { return quitPosted; }

// Held from the moment the pointer enters the picture, so that leaving it is seen.
void CaptureMouse(WindowHandle) { SDL_CaptureMouse(SDL_TRUE); }
void ReleaseMouseCapture() { SDL_CaptureMouse(SDL_FALSE); }
void SetWindowTitle(WindowHandle window, const char* title) {
  SetTitleInUtf8(static_cast<SDL_Window*>(window), title);
}

std::filesystem::path ExecutableFolder() {
  char* base = SDL_GetBasePath();
  if (base == nullptr) return {};
  const std::filesystem::path folder = std::filesystem::u8path(base);
  SDL_free(base);
  return folder;
}

void TellPlayer(Tone tone, const std::string& text) { TellConsole(tone, text); }
