#include "platform/sdl/sdl_workarounds.h"

#include <SDL.h>

#include <clocale>
#include <cstring>

#if defined(__linux__) && __has_include(<X11/Xlib.h>)
#include <X11/Xlib.h>
#include <X11/Xproto.h>
#include <dlfcn.h>

#include <cstdlib>

namespace {

using ErrorHandler = int (*)(Display*, XErrorEvent*);
using SetErrorHandler = ErrorHandler (*)(ErrorHandler);

ErrorHandler previousHandler = nullptr;

int OnXError(Display* display, XErrorEvent* error) {
  if (error->error_code == BadWindow && error->request_code == X_SendEvent) return 0;
  return previousHandler != nullptr ? previousHandler(display, error) : 0;
}

}  // namespace

void TolerateLateWakeUps() {
  // SDL loads Xlib itself, and this is the same library it will find: the game does not link
  // it, so that it starts where there is none.
  const char* display = std::getenv("DISPLAY");
  if (display == nullptr || *display == '\0') return;
  void* xlib = dlopen("libX11.so.6", RTLD_LAZY);
  if (xlib == nullptr) return;
  const auto setHandler = reinterpret_cast<SetErrorHandler>(dlsym(xlib, "XSetErrorHandler"));
  if (setHandler != nullptr) previousHandler = setHandler(OnXError);
  // Kept loaded: the handler must outlive SDL's own use of the library.
}

#else

void TolerateLateWakeUps() {}

#endif

void SetTitleInUtf8(SDL_Window* window, const char* title) {
  // The locale's name, kept in place: the title changes every frame of a demo.
  char before[64] = "C";
  const char* current = std::setlocale(LC_CTYPE, nullptr);
  if (current != nullptr && std::strlen(current) < sizeof before) std::strcpy(before, current);
  const bool utf8 = std::setlocale(LC_CTYPE, "C.UTF-8") != nullptr || std::setlocale(LC_CTYPE, "en_US.UTF-8") != nullptr;
  SDL_SetWindowTitle(window, title);
  if (utf8) std::setlocale(LC_CTYPE, before);
}
