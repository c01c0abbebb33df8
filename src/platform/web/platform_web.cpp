#include <emscripten.h>

#include "front/messages.h"
#include "core/platform.h"
#include "platform/web/platform_web.h"

EM_JS(void, TellPage, (const char* state, const char* detail), {
  if (Module['onGameState']) Module['onGameState'](UTF8ToString(state), UTF8ToString(detail));
});

// The console hears what the desktop's would; the page shows a fault in its own place, without
// the usage the console adds, and a note beside the game, which goes on.
void TellPlayer(Tone tone, const std::string& text) {
  TellConsole(tone, text);
  if (tone == Tone::fault) TellPage("error", text.substr(0, text.find('\n')).c_str());
  if (tone == Tone::note) TellPage("note", text.c_str());
}

namespace {
bool quitPosted = false;
}  // namespace

void PostQuit() { quitPosted = true; }
bool QuitPosted() { return quitPosted; }

// The page keeps reporting the pointer while a button is held, wherever it goes: nothing to
// capture.
void CaptureMouse(WindowHandle) {}
void ReleaseMouseCapture() {}
// The page shows where a demo stands in its own bar, from the viewer's state.
void SetWindowTitle(WindowHandle, const char*) {}

// The page's pictures are packed into the top folder of its file system; there is no program
// file to look beside.
std::filesystem::path ExecutableFolder() { return {}; }
